// The response of one page request as the browser gets it. Handlers answer a wrong password,
// an invalid filter or an error report with a bare line of text; sent alone, a phone lays it
// out 980 px wide with no way back. PageResponse holds such a text back and sends it as a small
// page in the site's look with a link back, and moves a report written above a page's template
// into that page's body. Pages written from a template pass straight through.
#pragma once

#include <string>
#include <string_view>

#include "frame/host/exchange.h"
#include "frame/store.h"

namespace ravadid {

// What a message page shows around the message.
struct MessagePage {
  std::string_view messageHtml;     // the text as the handler wrote it (already HTML)
  bool errorReport = false;         // an "Error in Procedure" report rather than a message
  const Store* settings = nullptr;  // the district's name and address, when known
  std::string signedIn;             // who is signed in, as HTML; empty when nobody is
  std::string backHref;             // where "Go back" leads without script
  bool historyBack = true;          // with script, "Go back" is the browser's back
};

// A complete page holding the message unchanged.
std::string messagePage(const MessagePage& page);

// The page where "Go back" leads: the page the user came from when the Referer is one of this
// site's pages (made relative, so it cannot lead elsewhere), else the bare page.
std::string backHrefFrom(std::string_view referer, std::string_view host);

// The page with the text written above it placed at the top of its body, marked as an error.
// Without a body tag the text stays in front.
std::string placeAbovePage(std::string_view abovePage, std::string_view page);

class PageResponse final : public Exchange {
 public:
  explicit PageResponse(Exchange& inner) : inner_(inner) {}

  // Called when a page template starts to be written: what was written before is above it.
  void beginPage();
  // Sends what was held back. Redirects and empty answers go out unchanged.
  void finish(const Store& settings);
  // A message page's "Go back" leads to this page of the site rather than the browser's back.
  void backTo(std::string href) { backTo_ = std::move(href); }

  std::string form(std::string_view name) const override { return inner_.form(name); }
  std::string query(std::string_view name) const override { return inner_.query(name); }
  bool hasQuery(std::string_view name) const override { return inner_.hasQuery(name); }
  std::string serverVariable(std::string_view name) const override {
    return inner_.serverVariable(name);
  }
  void write(std::string_view text) override;
  void writeMoved(std::string&& text) override;
  void redirect(std::string_view url) override;
  void end() override { ended_ = true; }
  void download(std::string_view contentType, std::string_view fileName,
                std::string&& body) override;
  bool ended() const override { return ended_ || inner_.ended(); }
  void setStatus(int status) override { inner_.setStatus(status); }
  Store& session() override { return inner_.session(); }
  void setSessionTimeout(int minutes) override { inner_.setSessionTimeout(minutes); }
  int sessionTimeout() const override { return inner_.sessionTimeout(); }
  void abandonSession() override { inner_.abandonSession(); }
  void renewSessionId() override { inner_.renewSessionId(); }

 private:
  Exchange& inner_;
  std::string held_;       // written and not yet sent
  std::string abovePage_;  // written before the page's template began
  bool pageStarted_ = false;
  bool passThrough_ = false;  // a page with nothing above it: writes go straight out
  bool ended_ = false;
  bool redirected_ = false;
  std::string backTo_;
};

}  // namespace ravadid

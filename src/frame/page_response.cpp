#include "frame/page_response.h"

#include <cctype>

#include "frame/runtime.h"
#include "frame/shared_tags.h"
#include "frame/text.h"
#include "frame/web_application.h"

namespace ravadid {
namespace {

bool blank(std::string_view text) {
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  return true;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         vb::equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// Text that is already a whole page (a placeholder, the not-found page).
bool isDocument(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return false;
  text.remove_prefix(start);
  return startsWithIgnoreCase(text, "<!DOCTYPE") || startsWithIgnoreCase(text, "<html");
}

// Position right after the page's <body ...> tag, or npos.
std::size_t afterBodyTag(std::string_view page) {
  for (std::size_t at = page.find('<'); at != std::string_view::npos; at = page.find('<', at + 1)) {
    std::string_view rest = page.substr(at);
    if (startsWithIgnoreCase(rest, "<body") &&
        (rest.size() == 5 || rest[5] == '>' || std::isspace(static_cast<unsigned char>(rest[5])))) {
      const std::size_t close = page.find('>', at);
      return close == std::string_view::npos ? close : close + 1;
    }
  }
  return std::string_view::npos;
}

void appendDistrictHeader(std::string& html, const Store* settings) {
  const std::string name = settings ? vb::Trim(settings->text("DISTNAME")) : std::string();
  html += "  <header class=\"district\">\n    <h1>";
  html += name.empty() ? std::string("Field Trip Requests") : htmlEscape(name);
  html += "</h1>\n";
  if (!name.empty()) {
    std::string address;
    for (const char* key : {"DISTADDR1", "DISTCITYSTZIP", "DISTPHONE"}) {
      const std::string line = vb::Trim(settings->text(key));
      if (line.empty()) continue;
      if (!address.empty()) address += "<br>";
      address += htmlEscape(line);
    }
    if (!address.empty()) html.append("    <p>").append(address).append("</p>\n");
  }
  html += "  </header>\n";
}

}  // namespace

std::string messagePage(const MessagePage& page) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  html += page.errorReport ? "Field Trip Requests - Error" : "Field Trip Requests - Message";
  html +=
      "</title>\n<link rel=\"stylesheet\" href=\"static/ravadid.css\">\n</head>\n<body>\n"
      "<main class=\"card signin message-page\">\n";
  appendDistrictHeader(html, page.settings);
  if (!page.signedIn.empty())
    html.append("  <p class=\"signed-in\">").append(page.signedIn).append("</p>\n");
  html += page.errorReport ? "  <h2>Something went wrong</h2>\n" : "  <h2>Please check</h2>\n";
  html += page.errorReport ? "  <div class=\"message error-report\" role=\"alert\">"
                           : "  <div class=\"message\" role=\"alert\">";
  html.append(page.messageHtml).append("</div>\n");
  // With script the browser's own back keeps what the user typed into the form.
  html.append("  <nav class=\"actions\"><a href=\"").append(htmlEscape(page.backHref));
  if (page.historyBack)
    html += "\" onclick=\"if (history.length &gt; 1) { history.back(); return false; }";
  html += "\">Go back</a></nav>\n</main>\n</body>\n</html>\n";
  return html;
}

std::string backHrefFrom(std::string_view referer, std::string_view host) {
  const std::string bare = kPageName;
  for (std::string_view scheme : {"http://", "https://"}) {
    if (!startsWithIgnoreCase(referer, scheme)) continue;
    std::string_view rest = referer.substr(scheme.size());
    const std::size_t slash = rest.find('/');
    if (host.empty() || slash == std::string_view::npos ||
        !vb::equalsIgnoreCase(rest.substr(0, slash), host))
      return bare;
    rest.remove_prefix(slash);
    rest = rest.substr(0, rest.find('#'));
    const std::size_t question = rest.find('?');
    if (!vb::equalsIgnoreCase(rest.substr(0, question), kPagePath)) return bare;
    return question == std::string_view::npos ? bare : bare + std::string(rest.substr(question));
  }
  return bare;
}

std::string placeAbovePage(std::string_view abovePage, std::string_view page) {
  const std::size_t at = afterBodyTag(page);
  if (at == std::string_view::npos) return std::string(abovePage).append(page);
  std::string html(page.substr(0, at));
  html.append("\n<div class=\"page-error\" role=\"alert\">").append(abovePage).append("</div>");
  html.append(page.substr(at));
  return html;
}

void PageResponse::beginPage() {
  if (pageStarted_) return;
  pageStarted_ = true;
  if (blank(held_)) {
    inner_.write(held_);
    passThrough_ = true;
  } else {
    abovePage_ = std::move(held_);
  }
  held_.clear();
}

void PageResponse::write(std::string_view text) {
  if (ended()) return;
  if (passThrough_) {
    inner_.write(text);
  } else {
    held_.append(text);
  }
}

void PageResponse::writeMoved(std::string&& text) {
  if (ended()) return;
  if (passThrough_) {
    inner_.writeMoved(std::move(text));
  } else {
    held_.append(text);
  }
}

void PageResponse::redirect(std::string_view url) {
  if (ended()) return;
  held_.clear();
  abovePage_.clear();
  redirected_ = true;
  ended_ = true;
  inner_.redirect(url);
}

// A file goes out as it is: it is no page that a message could be placed in.
void PageResponse::download(std::string_view contentType, std::string_view fileName,
                            std::string&& body) {
  if (ended()) return;
  held_.clear();
  abovePage_.clear();
  redirected_ = true;  // finish sends nothing more
  ended_ = true;
  inner_.download(contentType, fileName, std::move(body));
}

void PageResponse::finish(const Store& settings) {
  if (redirected_) return;
  if (pageStarted_) {
    if (!passThrough_) inner_.write(placeAbovePage(abovePage_, held_));
  } else if (blank(held_) || isDocument(held_)) {
    // An empty answer stays empty: a sign-in post without a start choice answers nothing.
    inner_.write(held_);
  } else {
    MessagePage page{.messageHtml = held_,
                     .errorReport = startsWithIgnoreCase(held_, "Error in Procedure: "),
                     .settings = &settings,
                     .signedIn = signedInHtml(inner_.session()),
                     .backHref = backTo_.empty()
                                     ? backHrefFrom(inner_.serverVariable("HTTP_REFERER"),
                                                    inner_.serverVariable("HTTP_HOST"))
                                     : backTo_,
                     .historyBack = backTo_.empty()};
    inner_.write(messagePage(page));
  }
  held_.clear();
  if (ended_) inner_.end();
}

}  // namespace ravadid

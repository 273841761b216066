// A page object whose page is not built yet: it runs the session check where the page will,
// and otherwise answers with a short page saying so.
#pragma once

#include <string>
#include <vector>

#include "frame/page_object.h"

namespace ravadid {

class PlaceholderPage : public PageObject {
 public:
  // checkedHandlers: "Respond", "UserEvent" or declared event names that check the session.
  PlaceholderPage(std::string name, std::string title, std::vector<std::string> events,
                  std::vector<std::string> checkedHandlers);

  void respond(Ravadid& app) const override;
  void onEvent(Ravadid& app, const std::string& event) const override;
  void userEvent(Ravadid& app, const std::string& event) const override;

 private:
  void handle(Ravadid& app, const std::string& handler) const;
  bool checks(const std::string& handler) const;

  std::string title_;
  std::vector<std::string> checked_;
};

// The common frame of the system's own simple pages: doctype, style sheet and a card.
std::string simplePage(std::string_view title, std::string_view bodyHtml);

}  // namespace ravadid

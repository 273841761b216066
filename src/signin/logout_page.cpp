#include "signin/logout_page.h"

#include "frame/application.h"
#include "frame/connections.h"
#include "frame/text.h"

namespace ravadid {

void LogoutPage::respond(Ravadid& app) const {
  CloseTripDBConnections(app);
  app.exchange().abandonSession();
  app.writeTemplate(*this);
}

void LogoutPage::processTag(Ravadid& app, TagEvent& tag) const {
  static constexpr std::pair<const char*, const char*> kDistrictTags[] = {
      {"wc@Name", "DISTNAME"},
      {"WC@ADDR1", "DISTADDR1"},
      {"WC@CITYSTZIP", "DISTCITYSTZIP"},
      {"WC@PHONE", "DISTPHONE"}};
  for (auto [tagName, key] : kDistrictTags) {
    if (tag.is(tagName)) {
      tag.contents = htmlEscape(app.application().text(key));
      return;
    }
  }
  if (tag.is("WC@TIMEOUT")) {
    if (!app.timeoutMessage.empty())
      tag.contents = "<p align='center'>" + htmlEscape(app.timeoutMessage) + "</p><p>&nbsp;</p>";
  } else if (tag.is("WC@LOGIN")) {
    tag.contents =
        "<p align='center'><a href='RavadidLarkdale.asp'>P.L.X.  Login</a></p><p>&nbsp;</p>";
  }
}

}  // namespace ravadid

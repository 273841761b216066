#include "signin/logout_page.h"

#include "frame/application.h"
#include "frame/connections.h"
#include "frame/text.h"
#include "signin/district_tags.h"

namespace ravadid {

void LogoutPage::respond(Ravadid& app) const {
  CloseTripDBConnections(app);
  app.exchange().abandonSession();
  app.writeTemplate(*this);
}

void LogoutPage::processTag(Ravadid& app, TagEvent& tag) const {
  if (replaceDistrictTag(app, tag)) return;
  if (tag.is("WC@TIMEOUT")) {
    if (!app.timeoutMessage.empty())
      tag.contents = "<p align='center'>" + htmlEscape(app.timeoutMessage) + "</p><p>&nbsp;</p>";
  } else if (tag.is("WC@LOGIN")) {
    tag.contents =
        "<p align='center'><a href='RavadidLarkdale.asp'>P.L.X.  Login</a></p><p>&nbsp;</p>";
  }
}

}  // namespace ravadid

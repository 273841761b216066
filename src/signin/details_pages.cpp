#include "signin/details_pages.h"

#include <string>
#include <utility>

#include "frame/application.h"
#include "frame/text.h"

namespace ravadid {

void TkDetailsPage::respond(Ravadid& app) const {
  app.setNextItem("TKTechDetails");
}

void TkTechDetailsPage::respond(Ravadid& app) const {
  app.writeTemplate(*this);
}

void TkTechDetailsPage::processTag(Ravadid& app, TagEvent& tag) const {
  // Tags showing a site setting, and its key in the application store.
  static constexpr std::pair<const char*, const char*> kSettingTags[] = {
      {"WC@APPPATH", "APP_PATH"},
      {"WC@SMTPSERVER", "SmtpServer"},
      {"WC@SMTPport", "SmtpPort"},
      {"WC@SMTPAUTH", "SmtpAuthentication"},
      {"WC@SMTPemailfrom", "EmailFromAddress"},
      {"WC@TIMEOUT", "SESSION_TIMEOUT"}};
  if (tag.is("WC@VERSION")) {
    tag.contents = htmlEscape(RAVADID_VERSION);
    return;
  }
  if (tag.is("WC@DATAPATH")) {
    // Empty until a database handler has run on this worker.
    tag.contents = htmlEscape(app.worker().strTripDataPath);
    return;
  }
  for (auto [tagName, key] : kSettingTags) {
    if (tag.is(tagName)) {
      tag.contents = htmlEscape(app.application().text(key));
      return;
    }
  }
}

}  // namespace ravadid

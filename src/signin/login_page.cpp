#include "signin/login_page.h"

#include "frame/application.h"
#include "frame/placeholder_page.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "signin/district_tags.h"

namespace ravadid {

void LoginPage::respond(Ravadid& app) const { app.writeTemplate(*this); }

void LoginPage::processTag(Ravadid& app, TagEvent& tag) const {
  if (replaceDistrictTag(app, tag)) return;
  if (tag.is("WC@TRIPREQUESTINQUIRY")) {
    Value installed = app.application().get("DOTNET_INSTALLED");
    bool on = installed.isBoolean() ? installed.asBoolean() : false;
    tag.contents = on ? "<a href=\"" + htmlEscape(app.application().text("INQUIRY_URL")) +
                            "\">Trip Request Inquiry</a>"
                      : "";
  } else if (tag.is("WC@tkTECHDETAILS")) {
    tag.contents = "<A HREF=\"" + htmlEscape(app.urlFor("tkDetails")) +
                   "\"><img src='images/Brantwell.gif'  height='55' width='55' border='0' "
                   "align='right'></a>";
  }
}

void LoginPage::onEvent(Ravadid& app, const std::string&) const {
  // Validating the user comes with the sign-in step of the build.
  app.write(simplePage("Sign In", "<p>Signing in is not available yet.</p>"));
}

}  // namespace ravadid

#include "signin/login_page.h"

#include <gtest/gtest.h>

#include "frame/application.h"
#include "frame/pages.h"
#include "support/fake_exchange.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::TempInstallation;

class LoginPageTest : public ::testing::Test {
 protected:
  LoginPageTest() : web_(site_.installation(), makeStandardPages()), app_(web_, exchange_) {}

  // The tag as a new request renders it (a request reads the settings as they were at its
  // first read).
  std::string tag(const std::string& name, const std::string& contents = "kept") {
    FakeExchange exchange;
    Ravadid app(web_, exchange);
    TagEvent event{name, contents, false};
    page_.processTag(app, event);
    return event.contents;
  }

  TempInstallation site_;
  WebApplication web_;
  FakeExchange exchange_;
  Ravadid app_;
  LoginPage page_;
};

TEST_F(LoginPageTest, DistrictTagsShowTheSettingsEscaped) {
  Store& settings = web_.applicationStore();
  settings.set("DISTNAME", "Larkdale <Unified> & Co");
  settings.set("DISTADDR1", "1 Main St");
  settings.set("DISTCITYSTZIP", "Larkdale, CA  95000");
  settings.set("DISTPHONE", "555-0100");
  EXPECT_EQ(tag("wc@NAME"), "Larkdale &lt;Unified&gt; &amp; Co");
  EXPECT_EQ(tag("WC@ADDR1"), "1 Main St");
  EXPECT_EQ(tag("wc@cityStZip"), "Larkdale, CA  95000");
  EXPECT_EQ(tag("WC@PHONE"), "555-0100");
  EXPECT_EQ(tag("WC@SOMETHINGELSE"), "kept");
}

TEST_F(LoginPageTest, InquiryLinkOnlyWhenTheInquiryIsInstalled) {
  Store& settings = web_.applicationStore();
  settings.set("INQUIRY_URL", "http://inquiry/?a=1&b=\"2\"");
  settings.set("DOTNET_INSTALLED", Value::boolean(false));
  EXPECT_EQ(tag("WC@TRIPREQUESTINQUIRY"), "");
  settings.set("DOTNET_INSTALLED", Value::boolean(true));
  EXPECT_EQ(tag("WC@TRIPREQUESTINQUIRY"),
            "<a href=\"http://inquiry/?a=1&amp;b=&quot;2&quot;\">Trip Request Inquiry</a>");
}

TEST_F(LoginPageTest, LogoLinksToTheTechnicalDetails) {
  EXPECT_EQ(tag("WC@tkTECHDETAILS"),
            "<A HREF=\"RavadidLarkdale.asp?WCI=tkDetails&amp;WCU\"><img src='images/Brantwell.gif' "
            " height='55' width='55' border='0' align='right'></a>");
}

TEST_F(LoginPageTest, TemplateHoldsEveryTagAndTheSignInForm) {
  page_.respond(app_);
  const std::string& html = exchange_.body;
  for (const char* fragment :
       {"action=\"RavadidLarkdale.asp?WCI=Login&amp;WCE=LoginValidateUser&amp;WCU\"",
        "name=\"user\"", "name=\"password\"",
        "name=\"btnsubmit\" value=\"Work With Trip Requests\"",
        "name=\"btnsubmit\" value=\"Enter a New Trip Request\"", "images/Brantwell.gif"})
    EXPECT_NE(html.find(fragment), std::string::npos) << fragment;
  EXPECT_EQ(html.find("WC@"), std::string::npos);  // every tag was replaced
}

}  // namespace
}  // namespace ravadid

#include "signin/details_pages.h"

#include <gtest/gtest.h>

#include <string>

#include "frame/application.h"
#include "frame/pages.h"
#include "support/fake_exchange.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::TempInstallation;

class DetailsPagesTest : public ::testing::Test {
 protected:
  DetailsPagesTest() : web_(site_.installation(), makeStandardPages()) {}

  std::string request(const std::string& pageObject) {
    FakeExchange ex;
    ex.queryItems["WCI"] = pageObject;
    ex.queryItems["WCU"] = "";
    web_.handle(ex);
    return ex.body;
  }
  std::string tag(const std::string& name, const std::string& contents = "kept") {
    FakeExchange ex;
    Ravadid app(web_, ex);
    TagEvent event{name, contents, false};
    page_.processTag(app, event);
    return event.contents;
  }
  Store& settings() { return web_.applicationStore(); }
  void mailSettings() {
    settings().set("APP_PATH", "/srv/site/");
    settings().set("SmtpServer", "mail.larkdale.example");
    settings().set("SmtpPort", "587");
    settings().set("SmtpAuthentication", Value::boolean(true));
    settings().set("SmtpUsername", "mailer-account");
    settings().set("SmtpPassword", "hunter2-secret");
    settings().set("EmailFromAddress", "Trips <trips@larkdale.example>");
    settings().set("SESSION_TIMEOUT", Value::integer(45));
  }

  TempInstallation site_;
  WebApplication web_;
  TkTechDetailsPage page_;
};

TEST_F(DetailsPagesTest, TagsShowTheSettingsEscaped) {
  mailSettings();
  struct Case {
    const char* tag;
    const char* shown;
  };
  const Case cases[] = {
      {"WC@VERSION", "2.4.0"},
      {"WC@DATAPATH", ""},  // no database handler has run on this worker yet
      {"WC@APPPATH", "/srv/site/"},
      {"wc@smtpserver", "mail.larkdale.example"},
      {"WC@SMTPport", "587"},
      {"WC@SMTPAUTH", "True"},
      {"WC@SMTPemailfrom", "Trips &lt;trips@larkdale.example&gt;"},
      {"WC@TIMEOUT", "45"},  // minutes
      {"WC@SMTPUSERNAME", "kept"},
      {"WC@SMTPPASSWORD", "kept"},
      {"WC@OTHER", "kept"},
  };
  for (const Case& c : cases) EXPECT_EQ(tag(c.tag), c.shown) << c.tag;
}

TEST_F(DetailsPagesTest, DataFolderShowsOnceADatabaseHandlerRanOnThisWorker) {
  EXPECT_EQ(tag("WC@DATAPATH"), "");
  request("");  // the start request opens the databases
  EXPECT_EQ(tag("WC@DATAPATH"), site_.dataFolder().string() + "/");
}

TEST_F(DetailsPagesTest, TheLogoLinkLeadsToTheDetailsWithoutSigningIn) {
  mailSettings();
  std::string page = request("tkDetails");
  EXPECT_NE(page.find("Technical Details"), std::string::npos) << page;
  EXPECT_NE(page.find("2.4.0"), std::string::npos);
  EXPECT_NE(page.find("mail.larkdale.example"), std::string::npos);
  EXPECT_NE(page.find(">45<"), std::string::npos);
  EXPECT_EQ(page.find("WC@"), std::string::npos);  // the template's tags are all replaced
  EXPECT_EQ(page.find("mailer-account"), std::string::npos);
  EXPECT_EQ(page.find("hunter2-secret"), std::string::npos);
  EXPECT_EQ(page.find("Error in Procedure"), std::string::npos);
}

TEST_F(DetailsPagesTest, TheTemplateHoldsEveryTag) {
  std::string html;
  {
    FakeExchange ex;
    Ravadid app(web_, ex);
    // Write the raw template: a page whose ProcessTag keeps every tag's contents, marking it.
    struct Marker : PageObject {
      Marker() : PageObject("TKTechDetails") {}
      void processTag(Ravadid&, TagEvent& t) const override { t.contents = "[" + t.name + "]"; }
    } marker;
    app.writeTemplate(marker);
    html = ex.body;
  }
  for (const char* name : {"WC@VERSION", "WC@DATAPATH", "WC@APPPATH", "WC@SMTPSERVER",
                           "WC@SMTPport", "WC@SMTPAUTH", "WC@SMTPemailfrom", "WC@TIMEOUT"})
    EXPECT_NE(html.find(std::string("[") + name + "]"), std::string::npos) << name;
}

}  // namespace
}  // namespace ravadid

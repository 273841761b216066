#include "frame/page_response.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "frame/application.h"
#include "frame/errors.h"
#include "frame/page_object.h"
#include "frame/web_application.h"
#include "support/fake_exchange.h"
#include "support/message_page.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::messageOf;
using testing::TempInstallation;

constexpr const char* kInvalidPassword =
    "Sorry, invalid password.  Use your browser's back button and please try again.";
constexpr const char* kDocument = "<!DOCTYPE html>\n<html><body>whole</body></html>";

// Answers the way the pages do: a bare message, an error report, a report above its template,
// nothing, a whole document of its own, a redirect.
class AnsweringPage : public PageObject {
 public:
  explicit AnsweringPage(std::string name) : PageObject(std::move(name)) {}
  void respond(Ravadid& app) const override {
    if (name() == "Message") app.write(kInvalidPassword);
    if (name() == "Report") app.run({.name = "Report_Respond"}, [] { raise(5, "bad <b>"); });
    if (name() == "Above") {
      app.write("Error reading &quot;x&quot;");
      app.writeTemplate(*this);
    }
    if (name() == "Whole") app.write(kDocument);
    if (name() == "Away") app.exchange().redirect("RavadidLarkdale.asp");
  }
};

class PageResponseTest : public ::testing::Test {
 protected:
  PageResponseTest() {
    auto pages = std::make_shared<PageRegistry>();
    for (const char* name : {"Message", "Report", "Above", "Empty", "Whole", "Away"})
      pages->add(std::make_unique<AnsweringPage>(name));
    site_.writeTemplate("Above",
                        "<!DOCTYPE html>\n<html lang=\"en\"><body class=\"x\">\n<p>page</p>");
    web_ = std::make_unique<WebApplication>(site_.installation(), pages);
  }
  std::string answer(const std::string& page, FakeExchange& ex) {
    ex.queryItems = {{"WCI", page}, {"WCU", ""}};
    web_->handle(ex);
    return ex.body;
  }

  TempInstallation site_;
  std::unique_ptr<WebApplication> web_;
};

TEST_F(PageResponseTest, BareTextsBecomeASmallPageAndPagesStayWhole) {
  struct Case {
    const char* page;
    const char* message;  // expected inside a message page; null: the body below as it is
    const char* body;
  };
  const Case cases[] = {
      {"Message", kInvalidPassword, nullptr},
      {"Report",
       "Error in Procedure: Report_Respond of Module: Ravadid.  Error: 5.  bad &lt;b&gt;.",
       nullptr},
      {"Above", nullptr,
       "<!DOCTYPE html>\n<html lang=\"en\"><body class=\"x\">\n<div class=\"page-error\" "
       "role=\"alert\">Error reading &quot;x&quot;</div>\n<p>page</p>"},
      {"Empty", nullptr, ""},  // a sign-in post naming no start page answers nothing
      {"Whole", nullptr, kDocument},
      {"Away", nullptr, ""},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    const std::string body = answer(c.page, ex);
    if (c.message) {
      EXPECT_EQ(messageOf(body), c.message) << c.page;
    } else {
      EXPECT_EQ(body, c.body) << c.page;
    }
  }
}

TEST_F(PageResponseTest, AMessagePageShowsTheDistrictAndLeadsBack) {
  web_->applicationStore().set("DISTNAME", "Larkdale <USD>");
  web_->applicationStore().set("DISTPHONE", "555-0100");
  FakeExchange ex;
  ex.serverVariables = {
      {"HTTP_HOST", "127.0.0.1:8080"},
      {"HTTP_REFERER", "http://127.0.0.1:8080/RavadidLarkdale.asp?WCI=Login&WCU"}};
  const std::string body = answer("Report", ex);
  EXPECT_NE(body.find("<title>Field Trip Requests - Error</title>"), std::string::npos);
  EXPECT_NE(body.find("<h1>Larkdale &lt;USD&gt;</h1>\n    <p>555-0100</p>"), std::string::npos);
  EXPECT_NE(body.find("<a href=\"RavadidLarkdale.asp?WCI=Login&amp;WCU\""), std::string::npos);
  EXPECT_EQ(body.find("signed-in"), std::string::npos) << "nobody is signed in";

  FakeExchange signedIn;
  signedIn.sessionStore.set("USER", "o'neil<b>");
  signedIn.sessionStore.set("ROLE", "CLERK");
  EXPECT_NE(answer("Message", signedIn)
                .find("</header>\n  <p class=\"signed-in\">Signed in as <strong class=\"user\">"
                      "o&#39;neil&lt;b&gt;</strong> <span class=\"role\">CLERK</span></p>\n"),
            std::string::npos);
}

TEST(BackHref, OnlyThisSitesPageIsLedBackTo) {
  struct Case {
    const char* referer;
    const char* expected;
  };
  const Case cases[] = {
      {"http://127.0.0.1:8080/RavadidLarkdale.asp?WCI=RequestSearch&WCU#top",
       "RavadidLarkdale.asp?WCI=RequestSearch&WCU"},
      {"https://127.0.0.1:8080/ravadidlarkdale.asp", "RavadidLarkdale.asp"},
      {"http://127.0.0.1:8080.evil.example/RavadidLarkdale.asp?WCI=x", "RavadidLarkdale.asp"},
      {"http://other.example/RavadidLarkdale.asp?WCI=x", "RavadidLarkdale.asp"},
      {"http://127.0.0.1:8080/static/ravadid.css?WCI=x", "RavadidLarkdale.asp"},
      {"javascript:alert(1)", "RavadidLarkdale.asp"},
      {"", "RavadidLarkdale.asp"},
  };
  for (const Case& c : cases) EXPECT_EQ(backHrefFrom(c.referer, "127.0.0.1:8080"), c.expected);
}

}  // namespace
}  // namespace ravadid

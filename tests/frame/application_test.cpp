#include "frame/application.h"

#include <gtest/gtest.h>

#include "frame/errors.h"
#include "frame/page_object.h"
#include "frame/pages.h"
#include "frame/web_application.h"
#include "signin/logout_page.h"
#include "support/fake_exchange.h"
#include "support/message_page.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::TempInstallation;

// A page object that records which of its handlers ran, and can raise an error.
class ProbePage : public PageObject {
 public:
  explicit ProbePage(std::string name, std::string next = {})
      : PageObject(std::move(name), {"Save", "Raise"}), next_(std::move(next)) {}
  void respond(Ravadid& app) const override {
    app.write("[" + name() + ".Respond]");
    if (!next_.empty()) app.setNextItem(next_);
  }
  void onEvent(Ravadid& app, const std::string& event) const override {
    if (event == "Raise") {
      app.run({.name = name() + "_Raise"}, [&] {
        app.write("[before]");
        raise(vberr::kTypeMismatch, "Type mismatch");
        app.write("[never]");  // skipped by the trap
      });
      // A later procedure of the class in the same request reports the error again.
      app.run({.name = "Later"}, [&] {});
      return;
    }
    app.write("[" + name() + "." + event + "]");
  }
  void userEvent(Ravadid& app, const std::string& event) const override {
    app.write("[" + name() + ".UserEvent:" + event + "]");
  }
  void processTag(Ravadid&, TagEvent& tag) const override {
    if (tag.is("wc@name")) tag.contents = "<" + tag.contents + ">";
  }

 private:
  std::string next_;
};

// A checked page: runs the session check first, like the signed-in pages.
class CheckedPage : public PageObject {
 public:
  CheckedPage() : PageObject("Checked") {}
  void respond(Ravadid& app) const override {
    app.run({.name = "Checked_Respond"}, [&] {
      if (!app.sessionCheck()) return;
      app.write("secret results");
    });
  }
};

class ApplicationTest : public ::testing::Test {
 protected:
  ApplicationTest() {
    auto pages = std::make_shared<PageRegistry>();
    pages->add(std::make_unique<ProbePage>("First", "Second"));
    pages->add(std::make_unique<ProbePage>("Second"));
    pages->add(std::make_unique<ProbePage>("Looping", "Looping"));
    pages->add(std::make_unique<CheckedPage>());
    pages->add(std::make_unique<LogoutPage>());
    web_ = std::make_unique<WebApplication>(site_.installation(), pages);
  }

  void prepare(FakeExchange& ex, std::string wci, std::string wce = {}) {
    ex.serverVariables["APPL_PHYSICAL_PATH"] = site_.installation().siteText();
    if (!wci.empty()) ex.queryItems["WCI"] = wci;
    if (!wce.empty()) ex.queryItems["WCE"] = wce;
    ex.queryItems["WCU"] = "";
  }
  std::string run(FakeExchange& ex) {
    web_->handle(ex);
    return ex.body;
  }

  TempInstallation site_;
  std::unique_ptr<WebApplication> web_;
};

TEST_F(ApplicationTest, EventsAreDispatchedByNameIgnoringCase) {
  struct Case {
    const char* wci;
    const char* wce;
    const char* expected;
  };
  const Case cases[] = {
      {"Second", "", "[Second.Respond]"},
      {"second", "save", "[Second.Save]"},               // declared event, any case
      {"Second", "12345", "[Second.UserEvent:12345]"},   // data as the event name
      {"First", "", "[First.Respond][Second.Respond]"},  // next page object responds
  };
  for (const auto& c : cases) {
    FakeExchange ex;
    prepare(ex, c.wci, c.wce);
    EXPECT_EQ(testing::messageOf(run(ex)), c.expected) << c.wci << " " << c.wce;
    EXPECT_EQ(ex.status, 200);
  }
}

TEST_F(ApplicationTest, UnknownPageObjectIsA404) {
  FakeExchange ex;
  prepare(ex, "NoSuchPage<script>");
  std::string body = run(ex);
  EXPECT_EQ(ex.status, 404);
  EXPECT_NE(body.find("NoSuchPage&lt;script&gt;"), std::string::npos);
  EXPECT_EQ(body.find("<script>"), std::string::npos);
}

TEST_F(ApplicationTest, ANextItemLoopIsCut) {
  FakeExchange ex;
  prepare(ex, "Looping");
  std::string body = run(ex);
  EXPECT_LT(testing::messageOf(body).size(), 200u);  // a handful of responds, then the chain stops
}

TEST_F(ApplicationTest, ErrorGivesTheExactReportAndDoesNotLeakIntoTheNextRequest) {
  FakeExchange failing;
  prepare(failing, "Second", "Raise");
  const std::string report =
      "Error in Procedure: Second_Raise of Module: Ravadid.  Error: 13.  Type mismatch.";
  const std::string again =
      "Error in Procedure: Second_Raise of Module: Ravadid.  Error: 13.  Type mismatch.";
  EXPECT_EQ(testing::messageOf(run(failing)), "[before]" + report + again);

  // Same thread, so the same worker state: the next request starts with "NA" again.
  FakeExchange next;
  prepare(next, "Second", "Save");
  EXPECT_EQ(testing::messageOf(run(next)), "[Second.Save]");
}

TEST(ErrorReport, FormatsOfTheTwoModuleKinds) {
  EXPECT_EQ(errorReport("WebClass_Start", "Ravadid", 13, "Type mismatch"),
            "Error in Procedure: WebClass_Start of Module: Ravadid.  Error: 13.  Type mismatch.");
  EXPECT_EQ(errorReport("LoginValidateUser", "", 5, "x"),
            "Error in Procedure: LoginValidateUser of Module: .  Error: 5.  x.");
  EXPECT_EQ(errorReport("CloseTripDBConnections", "ChkEligWeb", 3, "y", true),
            "Error in Procedure: CloseTripDBConnections of Module: ChkEligWeb.  Error: 3 - y.");
}

TEST_F(ApplicationTest, ErrorReportIsHtmlEscaped) {
  auto pages = std::make_shared<PageRegistry>();
  struct Raiser : PageObject {
    Raiser() : PageObject("Raiser") {}
    void respond(Ravadid& app) const override {
      app.run({.name = "Raiser_Respond"}, [] { raise(5, "bad <b>value</b> & 'quote'"); });
    }
  };
  pages->add(std::make_unique<Raiser>());
  WebApplication web(site_.installation(), pages);
  FakeExchange ex;
  prepare(ex, "Raiser");
  web.handle(ex);
  EXPECT_EQ(testing::messageOf(ex.body),
            "Error in Procedure: Raiser_Respond of Module: Ravadid.  Error: 5.  bad "
            "&lt;b&gt;value&lt;/b&gt; &amp; &#39;quote&#39;.");
}

TEST_F(ApplicationTest, CheckedPageWithoutSessionShowsTheTimeoutPageOnly) {
  FakeExchange ex;
  prepare(ex, "Checked");
  ex.sessionStore.set("CUSTOMER", "K12");
  std::string body = run(ex);
  EXPECT_EQ(body.find("secret results"), std::string::npos);
  EXPECT_NE(body.find("<p align='center'>Sorry, your session has timed out please log in again "
                      "and retry.</p><p>&nbsp;</p>"),
            std::string::npos);
  EXPECT_NE(body.find("<a href='RavadidLarkdale.asp'>P.L.X.  Login</a>"), std::string::npos);
  EXPECT_EQ(ex.abandonCount, 1);
  EXPECT_EQ(ex.sessionStore.size(), 0u);

  FakeExchange signedIn;
  prepare(signedIn, "Checked");
  signedIn.sessionStore.set("user", "clerk");  // keys ignore case
  EXPECT_EQ(testing::messageOf(run(signedIn)), "secret results");
}

TEST_F(ApplicationTest, LogoutOpenedDirectlyShowsNoTimeoutText) {
  FakeExchange ex;
  prepare(ex, "Logout");
  ex.sessionStore.set("USER", "clerk");
  std::string body = run(ex);
  EXPECT_EQ(body.find("timed out"), std::string::npos);
  EXPECT_EQ(ex.abandonCount, 1);
}

TEST_F(ApplicationTest, TemplateTagsAreRaisedInOrderAndReplaced) {
  site_.writeTemplate("Second", "a<WC@NAME>x</WC@NAME>b<WC@OTHER>kept</WC@OTHER>c");
  FakeExchange ex;
  prepare(ex, "Second");
  Ravadid app(*web_, ex);
  app.writeTemplate("Second");
  EXPECT_EQ(ex.body, "a<x>bkeptc");
}

TEST_F(ApplicationTest, EveryTemplateMayShowWhoIsSignedIn) {
  site_.writeTemplate("Second", "[<WC@SIGNEDIN>kept</WC@SIGNEDIN>]");
  struct Case {
    const char* user;
    const char* role;
    const char* shown;
  };
  const Case cases[] = {
      {"", "", "[]"},
      {" clerk ", " ", "[Signed in as <strong class=\"user\">clerk</strong>]"},
      {"o'neil<b>", "PRINCIPAL & CO",
       "[Signed in as <strong class=\"user\">o&#39;neil&lt;b&gt;</strong> <span "
       "class=\"role\">PRINCIPAL &amp; CO</span>]"},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    prepare(ex, "Second");
    ex.sessionStore.set("USER", c.user);
    ex.sessionStore.set("ROLE", c.role);
    Ravadid app(*web_, ex);
    app.writeTemplate("Second");
    EXPECT_EQ(ex.body, c.shown) << c.user;
  }
}

TEST_F(ApplicationTest, UrlForNamesPageAndEncodedEvent) {
  FakeExchange ex;
  prepare(ex, "Second");
  Ravadid app(*web_, ex);
  EXPECT_EQ(app.urlFor("RequestSearch"), "RavadidLarkdale.asp?WCI=RequestSearch&WCU");
  EXPECT_EQ(app.urlFor("RequestDetail", "1042"),
            "RavadidLarkdale.asp?WCI=RequestDetail&WCE=1042&WCU");
  EXPECT_EQ(app.urlFor("LookupDest", "a b&c"),
            "RavadidLarkdale.asp?WCI=LookupDest&WCE=a%20b%26c&WCU");
}

TEST_F(ApplicationTest, SetNewVarsPreparesANewRequestOverAnExistingOne) {
  FakeExchange ex;
  prepare(ex, "Second");
  ex.sessionStore.set("RequestDetail.New", "");
  ex.sessionStore.set("TRIPREQ", "1042");
  ex.sessionStore.set("blnDepDtWarn", Value::boolean(true));
  Ravadid app(*web_, ex);
  app.SetNewVars();
  EXPECT_EQ(ex.sessionStore.get("RequestDetail.New"), Value("NEW"));
  EXPECT_EQ(ex.sessionStore.get("TRIPREQ"), Value(""));
  EXPECT_EQ(ex.sessionStore.get("blnDepDtWarn"), Value::boolean(false));
  EXPECT_EQ(ex.sessionStore.get("blnRtnDtWarn"), Value::boolean(false));
  EXPECT_TRUE(app.blnNewRequest);
  EXPECT_TRUE(app.blnEditable);
}

TEST(StandardPages, EveryPageObjectOfTheSystemIsKnown) {
  auto pages = makeStandardPages();
  for (const char* name :
       {"Login", "Logout", "LookupCust", "LookupDest", "LookupFund", "PrintReport", "RequestDetail",
        "RequestSearch", "TripReport1", "TripReport2", "TripRequestDetailPrint",
        "TripRequestReport1", "TripRequestReport2", "TripSearch", "TripSummaryReport", "tkDetails",
        "TKTechDetails"})
    EXPECT_NE(pages->find(name), nullptr) << name;
  EXPECT_EQ(pages->find("Nope"), nullptr);
}

}  // namespace
}  // namespace ravadid

// Signing in over HTTP as demo users of different roles, following the start choices, signing
// out, and meeting the timeout page on the next checked request.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "frame/host/http_server.h"
#include "frame/pages.h"
#include "frame/web_application.h"
#include "support/message_page.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::TempInstallation;

const char* kTimeout = "Sorry, your session has timed out please log in again and retry.";

class SignInFlowTest : public ::testing::Test {
 protected:
  SignInFlowTest()
      : site_(TempInstallation::Data::Demo),
        web_(site_.installation(), makeStandardPages()),
        server_(web_, options()) {
    server_.start();
  }
  static ServerOptions options() {
    ServerOptions o;
    o.port = 0;
    o.threads = 4;
    return o;
  }

  // A browser: keeps the session cookie it is given.
  struct Browser {
    httplib::Client client;
    std::string cookie;
    explicit Browser(int port) : client("127.0.0.1", port) {}

    httplib::Headers headers() const {
      return cookie.empty() ? httplib::Headers{} : httplib::Headers{{"Cookie", cookie}};
    }
    void keepCookie(const httplib::Result& r) {
      if (!r) return;
      for (const auto& [name, value] : r->headers) {
        if (name != "Set-Cookie") continue;
        std::string pair = value.substr(0, value.find(';'));
        // An expired cookie clears the session.
        cookie =
            value.find("Max-Age=0") != std::string::npos || value.find("1970") != std::string::npos
                ? std::string()
                : pair;
      }
    }
    std::string get(const std::string& path) {
      auto r = client.Get(path.c_str(), headers());
      keepCookie(r);
      return r ? r->body : "<no answer>";
    }
    std::string signIn(const std::string& user, const std::string& password,
                       const std::string& button) {
      httplib::Params form{{"user", user}, {"password", password}};
      if (!button.empty()) form.emplace("btnsubmit", button);
      auto r =
          client.Post("/RavadidLarkdale.asp?WCI=Login&WCE=LoginValidateUser&WCU", headers(), form);
      keepCookie(r);
      return r ? r->body : "<no answer>";
    }
  };

  TempInstallation site_;
  WebApplication web_;
  HttpServer server_;
};

TEST_F(SignInFlowTest, BarePageShowsTheDistrictSignInPage) {
  Browser browser(server_.boundPort());
  std::string page = browser.get("/RavadidLarkdale.asp");
  EXPECT_NE(page.find("Larkdale"), std::string::npos);
  EXPECT_NE(page.find("Work With Trip Requests"), std::string::npos);
  EXPECT_EQ(page.find("Error in Procedure"), std::string::npos) << page;
}

TEST_F(SignInFlowTest, UsersOfEveryRoleSignInFollowTheStartChoiceAndSignOut) {
  struct Case {
    const char* user;
    const char* password;
    const char* button;
  };
  const Case cases[] = {
      {"clerk", "clerk", "Work With Trip Requests"},
      {"  wes.teacher ", "TEACHER", "Enter a New Trip Request"},  // trimmed id, any-case password
      {"wes.principal", "principal", "Work With Trip Requests"},
      {"transport", "transport", "Enter a New Trip Request"},
      {"guest", "", "Work With Trip Requests"},  // no password stored
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.user);
    Browser browser(server_.boundPort());
    browser.get("/RavadidLarkdale.asp");
    std::string before = browser.cookie;
    std::string page = browser.signIn(c.user, c.password, c.button);
    EXPECT_EQ(page.find("Sorry, invalid"), std::string::npos) << page;
    EXPECT_EQ(page.find("Error in Procedure"), std::string::npos) << page;
    EXPECT_EQ(page.find(kTimeout), std::string::npos) << page;
    EXPECT_FALSE(browser.cookie.empty());
    EXPECT_NE(browser.cookie, before);  // a new session id at sign-in

    // Signed in: the checked page does not time out.
    std::string list = browser.get("/RavadidLarkdale.asp?WCI=RequestSearch&WCU");
    EXPECT_EQ(list.find(kTimeout), std::string::npos) << list;

    // Sign out, then the next checked request meets the timeout page.
    std::string out = browser.get("/RavadidLarkdale.asp?WCI=Logout&WCU");
    EXPECT_EQ(out.find(kTimeout), std::string::npos);
    EXPECT_NE(out.find("P.L.X.  Login"), std::string::npos);
    std::string after = browser.get("/RavadidLarkdale.asp?WCI=RequestSearch&WCU");
    EXPECT_NE(after.find(kTimeout), std::string::npos) << after;
  }
}

TEST_F(SignInFlowTest, WrongPasswordAndUnknownUserGetTheirMessages) {
  Browser browser(server_.boundPort());
  browser.get("/RavadidLarkdale.asp");
  EXPECT_EQ(testing::messageOf(browser.signIn("clerk", "nope", "Work With Trip Requests")),
            "Sorry, invalid password.  Use your browser's back button and please try again.");
  EXPECT_EQ(testing::messageOf(browser.signIn("nobody' OR '1'='1", "x", "Work With Trip Requests")),
            "Sorry, invalid user id.  Use your browser's back button and please try again.");
  std::string after = browser.get("/RavadidLarkdale.asp?WCI=RequestSearch&WCU");
  EXPECT_NE(after.find(kTimeout), std::string::npos);
}

TEST_F(SignInFlowTest, TheOldSessionIdNoLongerSignsAnyoneIn) {
  Browser browser(server_.boundPort());
  browser.get("/RavadidLarkdale.asp");
  std::string before = browser.cookie;
  browser.signIn("clerk", "clerk", "");
  ASSERT_NE(browser.cookie, before);
  Browser thief(server_.boundPort());
  thief.cookie = before;
  std::string page = thief.get("/RavadidLarkdale.asp?WCI=RequestSearch&WCU");
  EXPECT_NE(page.find(kTimeout), std::string::npos);
}

TEST_F(SignInFlowTest, SignedInPagesAreNotStoredAndNoResponseMayBeFramed) {
  Browser browser(server_.boundPort());
  auto bare = browser.client.Get("/RavadidLarkdale.asp");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->get_header_value("Cache-Control"), "private");
  browser.signIn("clerk", "clerk", "Work With Trip Requests");
  auto list = browser.client.Get("/RavadidLarkdale.asp?WCI=RequestSearch&WCU", browser.headers());
  ASSERT_TRUE(list);
  EXPECT_EQ(list->get_header_value("Cache-Control"), "no-store");
  auto styleSheet = browser.client.Get("/static/ravadid.css");
  ASSERT_TRUE(styleSheet);
  for (const httplib::Result* result : {&bare, &list, &styleSheet}) {
    EXPECT_EQ((*result)->get_header_value("X-Frame-Options"), "DENY");
    EXPECT_EQ((*result)->get_header_value("Content-Security-Policy"), "frame-ancestors 'none'");
  }
}

TEST_F(SignInFlowTest, FailedSignInsKeepNoSessionAndPushNobodyOut) {
  Browser clerk(server_.boundPort());
  clerk.get("/RavadidLarkdale.asp");
  clerk.signIn("clerk", "clerk", "");
  ASSERT_EQ(server_.sessions().size(), 1u);

  std::atomic<int> refused{0};
  std::atomic<int> cookies{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, &refused, &cookies, t] {
      httplib::Client client("127.0.0.1", server_.boundPort());
      for (int i = 0; i < 500; ++i) {
        httplib::Params form{{"user", (i + t) % 2 ? "clerk" : "nobody"}, {"password", "wrong"}};
        auto r = client.Post("/RavadidLarkdale.asp?WCI=Login&WCE=LoginValidateUser&WCU", form);
        if (r && testing::messageOf(r->body).rfind("Sorry, invalid", 0) == 0) ++refused;
        if (r && r->has_header("Set-Cookie")) ++cookies;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(refused, 2000);
  EXPECT_EQ(cookies, 0);
  EXPECT_EQ(server_.sessions().size(), 1u);
  std::string list = clerk.get("/RavadidLarkdale.asp?WCI=RequestSearch&WCU");
  EXPECT_EQ(list.find(kTimeout), std::string::npos) << list;
}

}  // namespace
}  // namespace ravadid

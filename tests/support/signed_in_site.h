// A site with the sample district's rows in its three files, served by the standard pages, and
// sessions signed in through the sign-in post: for tests that follow a user from page to page.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "frame/application.h"
#include "frame/connections.h"
#include "frame/db/sample_district.h"
#include "frame/pages.h"
#include "signin/login_page.h"
#include "support/fake_exchange.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid::testing {

class SignedInSite {
 public:
  SignedInSite() : web_(site_.installation(), makeStandardPages()) {
    trip(kSampleTripRows);
    users(kSampleUserRows);
    requests(kSampleRequestRows);
    start();
  }

  void trip(const std::string& sql) { sqliteExec(site_.dataFolder() / kTripFile, sql); }
  void users(const std::string& sql) { sqliteExec(site_.dataFolder() / kUsersFile, sql); }
  void requests(const std::string& sql) { sqliteExec(site_.dataFolder() / kRequestsFile, sql); }
  const TempInstallation& site() const { return site_; }

  // The bare page: loads the site settings again.
  void start() {
    FakeExchange ex;
    web_.handle(ex);
  }

  // Changes one site setting until the next start request.
  void setting(const std::string& key, Value value) {
    web_.applicationStore().set(key, std::move(value));
  }

  // Signs the session of ex in through the sign-in post; the page it opens is not run.
  void signIn(FakeExchange& ex, const std::string& user, const std::string& password = "pw") {
    ex.formItems = {
        {"user", user}, {"password", password}, {"btnsubmit", "Work With Trip Requests"}};
    Ravadid app(web_, ex);
    Login_LoginValidateUser(app);
    ASSERT_EQ(ex.body, "") << user;
    ASSERT_EQ(ex.sessionStore.text("USER"), user);
  }

  // One request as ex holds it, in the session of ex.
  void handle(FakeExchange& ex) { web_.handle(ex); }

  // One request for a page in the session of ex; "" names no event (Respond). Returns the body.
  // A link's own parameters come in query.
  std::string page(FakeExchange& ex, const std::string& pageObject, const std::string& event = "",
                   const FakeExchange::Items& form = {}, const FakeExchange::Items& query = {}) {
    ex.body.clear();
    ex.hasEnded = false;
    ex.formItems = form;
    ex.queryItems = query;
    ex.queryItems["WCI"] = pageObject;
    ex.queryItems["WCU"] = "";
    if (!event.empty()) ex.queryItems["WCE"] = event;
    web_.handle(ex);
    return ex.body;
  }

 private:
  TempInstallation site_;
  WebApplication web_;
};

}  // namespace ravadid::testing

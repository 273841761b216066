// The sample district served by a web application in a throw-away installation, for tests that
// sign a user in and send the pages requests through the host's dispatch.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "frame/application.h"
#include "frame/connections.h"
#include "frame/db/sample_district.h"
#include "frame/pages.h"
#include "frame/runtime.h"
#include "frame/web_application.h"
#include "signin/login_page.h"
#include "support/fake_exchange.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid::testing {

class SampleSiteTest : public ::testing::Test {
 protected:
  SampleSiteTest() : web_(site_.installation(), makeStandardPages()) {
    trip(kSampleTripRows);
    users(kSampleUserRows);
    requests(kSampleRequestRows);
  }

  void trip(const std::string& sql) { sqliteExec(site_.dataFolder() / kTripFile, sql); }
  void users(const std::string& sql) { sqliteExec(site_.dataFolder() / kUsersFile, sql); }
  void requests(const std::string& sql) { sqliteExec(site_.dataFolder() / kRequestsFile, sql); }

  // The bare page: loads the site settings.
  void start() {
    FakeExchange ex;
    web_.handle(ex);
  }

  // Signs the session of ex in through the sign-in post; the page it opens is not run.
  void signIn(FakeExchange& ex, const std::string& user, const std::string& password) {
    ex.formItems = {
        {"user", user}, {"password", password}, {"btnsubmit", "Work With Trip Requests"}};
    Ravadid app(web_, ex);
    Login_LoginValidateUser(app);
    ASSERT_EQ(ex.sessionStore.text("USER"), vb::Trim(user));
    ex.body.clear();
  }

  // One request for a page object in the session of ex; an empty event names none.
  std::string request(FakeExchange& ex, const std::string& page, const std::string& event,
                      const FakeExchange::Items& form = {}) {
    ex.body.clear();
    ex.hasEnded = false;
    ex.formItems = form;
    ex.queryItems = {{"WCI", page}, {"WCU", ""}};
    if (!event.empty()) ex.queryItems["WCE"] = event;
    web_.handle(ex);
    return ex.body;
  }

  TempInstallation site_;
  WebApplication web_;
};

}  // namespace ravadid::testing

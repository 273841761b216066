#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "frame/application.h"
#include "frame/pages.h"
#include "signin/login_page.h"
#include "support/fake_exchange.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::sqliteExec;
using testing::TempInstallation;
using Entries = std::vector<std::string>;

constexpr const char* kInvalidUserId =
    "Sorry, invalid user id.  Use your browser's back button and please try again.";
constexpr const char* kInvalidPassword =
    "Sorry, invalid password.  Use your browser's back button and please try again.";
constexpr const char* kWorkWithRequests = "Work With Trip Requests";
constexpr const char* kNewRequest = "Enter a New Trip Request";

class LoginValidateUserTest : public ::testing::Test {
 protected:
  LoginValidateUserTest() : web_(site_.installation(), makeStandardPages()) {
    Store& settings = web_.applicationStore();
    settings.set("APP_PATH", site_.installation().siteText());
    settings.set("SESSION_TIMEOUT", Value::integer(30));
    users(
        "INSERT INTO KRSCU (KRSC1, KRSC2, CUSTOMER, ROLE, SCTKFOVD, SCTKDDFT) VALUES"
        " ('amy', 'Secret', NULL, 'PRINCIPAL', ' true ', NULL),"
        " (' bob ', NULL, 'LINC', NULL, 'False', 'TRUE'),"
        " ('o''brien', ' pass ', '', 'TEACHER', NULL, NULL)");
    trip(
        "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, ACTIVE) VALUES ('LINC', 'Lincoln', 1),"
        " ('WASH', 'Washington', 1);"
        "INSERT INTO DESTINATION (DESTINATION, DESTDESC, ACTIVE) VALUES (5, 'Zoo', 1);"
        "INSERT INTO FUND (FUND, FUNDDESC, ACTIVE) VALUES ('GEN', 'General', 1);"
        "INSERT INTO GRADE (GRADE, Active) VALUES ('K', 1);"
        "INSERT INTO DISTRICT (DISTNAME, TRIPREQ_COMMENT) VALUES ('Larkdale', 'Plan ahead.');"
        "INSERT INTO EMAIL_OPTIONS (REQ_TREKKO_CHANGE, ADM_TREKKO_CHANGE, APP_TREKKO_CHANGE)"
        " VALUES ('True', 'True', NULL)");
  }

  void users(const std::string& sql) { sqliteExec(site_.dataFolder() / "zqkrsc1.mdb", sql); }
  void trip(const std::string& sql) { sqliteExec(site_.dataFolder() / "trip.mdb", sql); }

  // Runs the sign-in event on its own, leaving the next page object in next.
  void signIn(FakeExchange& ex, const std::string& user, const std::string& password,
              const char* button = kWorkWithRequests) {
    ex.formItems["user"] = user;
    ex.formItems["password"] = password;
    if (button) ex.formItems["btnsubmit"] = button;
    Ravadid app(web_, ex);
    Login_LoginValidateUser(app);
    next = app.takeNextItem();
  }
  // The whole request, as the browser's post makes it.
  std::string post(FakeExchange& ex, const std::string& user, const std::string& password) {
    ex.queryItems["WCI"] = "Login";
    ex.queryItems["WCE"] = "LoginValidateUser";
    ex.queryItems["WCU"] = "";
    ex.formItems["user"] = user;
    ex.formItems["password"] = password;
    web_.handle(ex);
    return ex.body;
  }
  static Entries list(const Store& session, const char* key) {
    Value v = session.get(key);
    return v.isList() ? *v.asList() : Entries{"<not a list>"};
  }

  TempInstallation site_;
  WebApplication web_;
  std::string next;
};

TEST_F(LoginValidateUserTest, SignsInAndFillsTheSession) {
  FakeExchange ex;
  signIn(ex, "amy", "Secret");
  EXPECT_EQ(ex.body, "");
  EXPECT_EQ(next, "RequestSearch");
  const Store& s = ex.sessionStore;
  EXPECT_EQ(s.get("USER"), Value("amy"));
  EXPECT_EQ(s.get("CUSTOMER"), Value(" "));  // null column
  EXPECT_EQ(s.get("ROLE"), Value("PRINCIPAL"));
  EXPECT_EQ(s.get("CANOVERRIDEFUND"), Value("True"));
  EXPECT_EQ(s.get("CANOVERRIDEDEPARTUREDATE"), Value("False"));
  EXPECT_EQ(s.get("TRIPREQ_COMMENT"), Value("Plan ahead."));
  EXPECT_EQ(s.get("EMAIL_OPTIONS.REQ_TREKKO_CHANGE"), Value("True"));
  EXPECT_EQ(s.get("EMAIL_OPTIONS.APP_TREKKO_CHANGE"), Value(" "));
  EXPECT_EQ(s.get("LoadRequestDetailFromSession"), Value("False"));
  EXPECT_EQ(s.get("numCustomers"), Value::integer(2));
  EXPECT_EQ(list(s, "CustomersDD"), (Entries{"", "LINC, Lincoln", "WASH, Washington"}));
  EXPECT_EQ(list(s, "Destinations"), (Entries{"", "5, Zoo"}));
  EXPECT_EQ(s.get("numGrades"), Value::integer(1));
  EXPECT_EQ(list(s, "Grades"), (Entries{"", "K"}));
  for (const char* key : {"numTripCat", "numStatusVals", "numDivisions", "numDESTCATs"})
    EXPECT_EQ(s.get(key), Value::integer(0)) << key;
  for (const char* key : {"TripCat", "StatusVals", "Divisions", "DESTCATS"})
    EXPECT_EQ(list(s, key), Entries{""}) << key;
  EXPECT_EQ(ex.timeoutMinutes, 30);
  EXPECT_FALSE(s.contains("RequestDetail.New"));
}

TEST_F(LoginValidateUserTest, UserIdsAndPasswordsMatchTrimmedAndPasswordsIgnoreCase) {
  struct Case {
    const char* user;
    const char* password;
    const char* signedInAs;
  };
  const Case cases[] = {
      {"  amy  ", "Secret", "amy"},    // blanks around the typed id
      {"amy", "  sECRET ", "amy"},     // password case and blanks
      {"bob", "", "bob"},              // stored with blanks; null password
      {" bob", "   ", "bob"},          // a blank password is an empty one
      {"o'brien", "PASS", "o'brien"},  // an apostrophe is part of the id
      {"AMY", "secret", "AMY"},        // ids compare ignoring case, as the database does
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, c.user, c.password);
    EXPECT_EQ(ex.body, "") << c.user;
    EXPECT_EQ(ex.sessionStore.get("USER"), Value(c.signedInAs)) << c.user;
  }
}

TEST_F(LoginValidateUserTest, LettersBeyondAsciiIgnoreCaseInIdsAndPasswords) {
  users("INSERT INTO KRSCU (KRSC1, KRSC2, ROLE) VALUES ('josé.nuñez', 'Señor', 'TEACHER')");
  struct Case {
    const char* user;
    const char* password;
    const char* body;
  };
  const Case cases[] = {
      {"JOSÉ.NUÑEZ", "SEÑOR", ""},
      {" josé.nuñez ", "señor", ""},
      {"JOSE.NUNEZ", "SEÑOR", kInvalidUserId},  // accents are not case
      {"JOSÉ.NUÑEZ", "SENOR", kInvalidPassword},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, c.user, c.password);
    EXPECT_EQ(ex.body, c.body) << c.user << " / " << c.password;
    EXPECT_EQ(ex.sessionStore.get("USER").asText().empty(), *c.body != '\0') << c.user;
  }
}

TEST_F(LoginValidateUserTest, WrongIdsAndPasswordsGetTheirMessages) {
  struct Case {
    const char* user;
    const char* password;
    const char* message;
  };
  const Case cases[] = {
      {"nobody", "Secret", kInvalidUserId}, {"", "", kInvalidUserId},
      {"x' OR '1'='1", "", kInvalidUserId},  // the quote cannot end the literal
      {"amy' --", "", kInvalidUserId},      {"amy", "Secret!", kInvalidPassword},
      {"amy", "", kInvalidPassword},        {"bob", "x", kInvalidPassword},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, c.user, c.password);
    EXPECT_EQ(ex.body, c.message) << c.user;
    EXPECT_EQ(ex.sessionStore.get("USER"), Value("")) << c.user;
    EXPECT_EQ(ex.renewCount, 0) << c.user;
    EXPECT_EQ(next, "") << c.user;
  }
}

TEST_F(LoginValidateUserTest, AFailedAttemptSignsOutThePreviousUser) {
  FakeExchange ex;
  signIn(ex, "amy", "Secret");
  ex.sessionStore.set("LoadRequestDetailFromSession", "True");
  ex.body.clear();
  signIn(ex, "amy", "wrong");
  EXPECT_EQ(ex.body, kInvalidPassword);
  const Store& s = ex.sessionStore;
  EXPECT_EQ(s.get("USER"), Value(""));
  EXPECT_EQ(s.get("CUSTOMER"), Value(""));
  EXPECT_EQ(s.get("ROLE"), Value(""));
  EXPECT_EQ(s.get("CANOVERRIDEFUND"), Value("False"));
  EXPECT_EQ(s.get("CANOVERRIDEDEPARTUREDATE"), Value("False"));
  EXPECT_EQ(s.get("LoadRequestDetailFromSession"), Value("False"));
  EXPECT_EQ(s.get("numCustomers"), Value::integer(0));
  EXPECT_EQ(s.get("CustomersDD"), Value(""));
  EXPECT_EQ(s.get("numDestinations"), Value::integer(0));
  EXPECT_EQ(s.get("Destinations"), Value(""));
  EXPECT_EQ(s.get("Funds"), Value(""));
  EXPECT_EQ(s.get("numFunds"), Value("0"));
}

TEST_F(LoginValidateUserTest, OnlyASuccessfulSignInRenewsTheSessionId) {
  FakeExchange failed;
  signIn(failed, "nobody", "x");
  EXPECT_EQ(failed.renewCount, 0);
  FakeExchange succeeded;
  signIn(succeeded, "amy", "secret");
  EXPECT_EQ(succeeded.renewCount, 1);
}

TEST_F(LoginValidateUserTest, TheButtonChoosesTheStartPage) {
  FakeExchange search;
  signIn(search, "amy", "Secret", "work with trip requests");
  EXPECT_EQ(next, "RequestSearch");
  EXPECT_FALSE(search.sessionStore.contains("RequestDetail.New"));

  FakeExchange fresh;
  fresh.sessionStore.set("TRIPREQ", "1234");
  signIn(fresh, "amy", "Secret", kNewRequest);
  EXPECT_EQ(next, "RequestDetail");
  EXPECT_EQ(fresh.sessionStore.get("RequestDetail.New"), Value("NEW"));
  EXPECT_EQ(fresh.sessionStore.get("TRIPREQ"), Value(""));

  FakeExchange neither;
  signIn(neither, "amy", "Secret", nullptr);
  EXPECT_EQ(next, "");
  EXPECT_EQ(neither.sessionStore.get("USER"), Value("amy"));
}

TEST_F(LoginValidateUserTest, APostWithoutAButtonSignsInWithAnEmptyPage) {
  FakeExchange ex;
  EXPECT_EQ(post(ex, "amy", "Secret"), "");
  EXPECT_EQ(ex.status, 200);
  EXPECT_EQ(ex.sessionStore.get("USER"), Value("amy"));
}

TEST_F(LoginValidateUserTest, ACustomerBoundUserGetsTheirCustomerOnly) {
  FakeExchange ex;
  signIn(ex, "bob", "");
  EXPECT_EQ(ex.sessionStore.get("CUSTOMER"), Value("LINC"));
  EXPECT_EQ(ex.sessionStore.get("numCustomers"), Value::integer(1));
  EXPECT_EQ(list(ex.sessionStore, "CustomersDD"), (Entries{"", "LINC, Lincoln"}));
}

TEST_F(LoginValidateUserTest, FundsAreListedOnlyForAFundListWithoutCustomerFunds) {
  struct Case {
    const char* fundDropDown;
    const char* customerFunds;
    bool built;
  };
  const Case cases[] = {
      {"True", " ", true},     {"true", "False", true}, {"True", "", true}, {"True", "True", false},
      {"True", "TRUE", false}, {"False", " ", false},   {" ", " ", false},  {"", "", false},
  };
  for (const Case& c : cases) {
    web_.applicationStore().set("DISTRICT.FUND_DD", c.fundDropDown);
    web_.applicationStore().set("DISTRICT.USECUSTFUND", c.customerFunds);
    FakeExchange ex;
    signIn(ex, "amy", "Secret");
    std::string label = std::string(c.fundDropDown) + "/" + c.customerFunds;
    EXPECT_EQ(ex.body, "") << label;
    EXPECT_EQ(ex.sessionStore.get("numFunds"), Value::integer(c.built ? 1 : 0)) << label;
    Entries funds = c.built ? Entries{"", "", "GEN", "General"} : Entries{};
    EXPECT_EQ(list(ex.sessionStore, "Funds"), funds) << label;
  }
}

TEST_F(LoginValidateUserTest, NoDistrictOrMailRowLeavesEmptyTexts) {
  trip("DELETE FROM DISTRICT; DELETE FROM EMAIL_OPTIONS");
  FakeExchange ex;
  signIn(ex, "amy", "Secret");
  EXPECT_EQ(ex.sessionStore.get("TRIPREQ_COMMENT"), Value(""));
  EXPECT_EQ(ex.sessionStore.get("EMAIL_OPTIONS.REQ_TREKKO_CHANGE"), Value(""));
  EXPECT_EQ(ex.sessionStore.get("EMAIL_OPTIONS.APP_TREKKO_CHANGE"), Value(""));
}

TEST_F(LoginValidateUserTest, TwoSessionsWithEqualListsShareOneCopy) {
  FakeExchange first;
  FakeExchange second;
  signIn(first, "amy", "Secret");
  signIn(second, "o'brien", "pass");
  for (const char* key : {"CustomersDD", "Destinations", "Grades", "TripCat"}) {
    ASSERT_TRUE(first.sessionStore.get(key).isList()) << key;
    EXPECT_EQ(first.sessionStore.get(key).asList().get(),
              second.sessionStore.get(key).asList().get())
        << key;
  }
}

TEST_F(LoginValidateUserTest, AMissingDatabaseReportsTheDataFolderAndSignsNobodyIn) {
  std::filesystem::remove(site_.dataFolder() / "trip.mdb");
  FakeExchange ex;
  signIn(ex, "amy", "Secret");
  const std::string prefix =
      "Error in Procedure: SetTripDBConnections of Module: ChkEligWeb.  Error: ";
  EXPECT_EQ(ex.body.rfind(prefix, 0), 0u) << ex.body;
  EXPECT_NE(ex.body.find("; strTripDataPath=" + site_.dataFolder().string() + "/."),
            std::string::npos)
      << ex.body;
  EXPECT_EQ(ex.sessionStore.get("USER"), Value(""));
  EXPECT_EQ(ex.renewCount, 0);
}

TEST_F(LoginValidateUserTest, AFailureAfterThePasswordLeavesNobodySignedIn) {
  trip("DROP TABLE GRADE");
  FakeExchange ex;
  signIn(ex, "amy", "Secret");
  EXPECT_EQ(ex.body.rfind("Error in Procedure: PopulateGradeDD of Module: Ravadid.  Error: ", 0),
            0u)
      << ex.body;
  EXPECT_EQ(next, "");
  EXPECT_EQ(ex.sessionStore.get("USER"), Value(""));
  EXPECT_EQ(ex.sessionStore.get("CUSTOMER"), Value(""));
  EXPECT_EQ(ex.sessionStore.get("CustomersDD"), Value(""));
}

TEST_F(LoginValidateUserTest, AnErrorInTheEventIsReportedWithAnEmptyModule) {
  web_.applicationStore().set("SESSION_TIMEOUT", "soon");
  FakeExchange ex;
  signIn(ex, "amy", "Secret");
  EXPECT_EQ(ex.body,
            "Error in Procedure: LoginValidateUser of Module: .  Error: 13.  Type mismatch.");
  EXPECT_EQ(ex.sessionStore.get("USER"), Value(""));
}

TEST_F(LoginValidateUserTest, NoStartRequestYetGivesATimeoutOfZero) {
  web_.applicationStore().remove("SESSION_TIMEOUT");
  FakeExchange ex;
  signIn(ex, "amy", "Secret");
  EXPECT_EQ(ex.body, "");
  EXPECT_EQ(ex.timeoutMinutes, 0);
}

}  // namespace
}  // namespace ravadid

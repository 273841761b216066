#include "frame/site_settings.h"

#include <gtest/gtest.h>

#include "frame/application.h"
#include "frame/pages.h"
#include "frame/runtime.h"
#include "support/fake_exchange.h"
#include "support/message_page.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::sqliteExec;
using testing::TempInstallation;

class SiteSettingsTest : public ::testing::Test {
 protected:
  SiteSettingsTest() : web_(site_.installation(), makeStandardPages()) {}

  // The bare page: no page object named.
  std::string start() {
    FakeExchange ex;
    ex.serverVariables["APPL_PHYSICAL_PATH"] = site_.installation().siteText();
    web_.handle(ex);
    return ex.body;
  }
  void district(const std::string& values) {
    sqliteExec(site_.dataFolder() / "trip.mdb",
               "DELETE FROM DISTRICT; INSERT INTO DISTRICT (DISTNAME, DISTADDR1, DISTCITY, "
               "DISTSTATE, DISTZIP, DISTPHONE, DEFAULTVTYPE, FUND_DD, DEPDT_LEADTIME, "
               "TOTAL_TRIPS_LIMIT) VALUES (" +
                   values + ")");
  }
  void tripIni(const std::string& options) {
    site_.writeFile("root/trip.ini", "[P.L.X. Options]\n" + options);
  }
  static std::string fullIni(const std::string& timeout = "30", const std::string& auth = "False") {
    return "SessionTimeOut=" + timeout +
           "\nDOTNETInstalled=true\nCalendarUrl=http://cal\nInquiryUrl=http://inq\n"
           "SmtpServer=mail\nSmtpPort=25\nSmtpAuthentication=" +
           auth +
           "\nSmtpUsername=mailer\nSmtpPassword=secret\nEmailFromAddress=a@b\n"
           "EmailFromName=Trips\n";
  }
  Store& settings() { return web_.applicationStore(); }

  TempInstallation site_;
  WebApplication web_;
};

TEST_F(SiteSettingsTest, BarePageLoadsTheSettingsAndShowsTheSignInPage) {
  tripIni(fullIni());
  district(
      "'Larkdale USD', '1 Main St', 'Larkdale', 'CA', '95000', '555-0100', 'BUS', 'True', "
      "14, 12");
  std::string body = start();
  EXPECT_NE(body.find("Larkdale USD"), std::string::npos);
  EXPECT_NE(body.find("Larkdale, CA  95000"), std::string::npos);
  EXPECT_NE(body.find("name=\"btnsubmit\" value=\"Work With Trip Requests\""), std::string::npos);
  EXPECT_EQ(body.find("Error in Procedure"), std::string::npos) << body;

  EXPECT_EQ(settings().get("SESSION_TIMEOUT"), Value::integer(30));
  EXPECT_EQ(settings().get("PageSize"), Value::integer(20));
  EXPECT_EQ(settings().get("DOTNET_INSTALLED"), Value::boolean(true));
  EXPECT_EQ(settings().get("APP_PATH"), Value(site_.installation().siteText()));
  EXPECT_EQ(settings().get("DISTRICT.DEPDT_LEADTIME"), Value::whole(14));
  EXPECT_EQ(settings().get("DISTRICT.TOTAL_TRIPS_LIMIT"), Value::whole(12));
  EXPECT_EQ(settings().get("DISTRICT.FUND_DD"), Value("True"));
  // Columns that are null read through NullToSpace as one blank.
  EXPECT_EQ(settings().get("DISTRICT.USECUSTFUND"), Value(" "));
  EXPECT_EQ(settings().get("WEBTITLE"), Value("P.L.X. FIELD TRIPS"));
  // No TRIPREQ_REQUIRED row: all 25 keys empty.
  EXPECT_EQ(settings().get("TRIP_REQ_REQUIRED.REQUEST_DATE_REQ"), Value(""));
  EXPECT_EQ(settings().get("TRIP_REQ_REQUIRED.INVOICE_COMMENT_REQ"), Value(""));
}

TEST_F(SiteSettingsTest, NullZipLeavesThreeBlanksAtTheEnd) {
  tripIni(fullIni());
  district("'D', 'A', 'Larkdale', 'CA', NULL, 'P', 'BUS', 'True', 0, 0");
  start();
  EXPECT_EQ(settings().get("DISTCITYSTZIP"), Value("Larkdale, CA   "));
}

TEST_F(SiteSettingsTest, MissingDistrictRowStoresDefaultsAndKeepsTheVehicleType) {
  tripIni(fullIni());
  district("'D', 'A', 'C', 'S', 'Z', 'P', 'VAN', 'True', 5, 3");
  start();
  sqliteExec(site_.dataFolder() / "trip.mdb", "DELETE FROM DISTRICT");
  start();
  EXPECT_EQ(settings().get("DEFAULT_CALCNUMDRIVER"), Value::boolean(true));
  EXPECT_EQ(settings().get("DEFAULTVTYPE"), Value("VAN"));
  EXPECT_EQ(settings().get("DISTNAME"), Value(""));
  EXPECT_EQ(settings().get("AUTOFILL_REQUESTS"), Value::boolean(true));
  EXPECT_EQ(settings().get("VIEW_OTHER_SCHOOLS"), Value::boolean(false));
  EXPECT_EQ(settings().get("DISTRICT.DEPDT_LEADTIME"), Value::integer(0));
  EXPECT_EQ(settings().get("WEBLINK2"), Value(""));
}

TEST_F(SiteSettingsTest, SecondStartSeesAChangedRow) {
  tripIni(fullIni());
  district("'First Name', 'A', 'C', 'S', 'Z', 'P', 'BUS', 'True', 0, 0");
  start();
  EXPECT_EQ(settings().get("DISTNAME"), Value("First Name"));
  start();
  EXPECT_EQ(settings().get("DISTNAME"), Value("First Name"));
  sqliteExec(site_.dataFolder() / "trip.mdb", "UPDATE DISTRICT SET DISTNAME = 'Second Name'");
  start();
  EXPECT_EQ(settings().get("DISTNAME"), Value("Second Name"));
}

TEST_F(SiteSettingsTest, NextStartReadsTripIniAsItIsThen) {
  tripIni(fullIni());
  start();
  EXPECT_EQ(settings().get("SmtpPort"), Value("25"));
  // Rewritten at once with the same size: the file times may not have moved on.
  for (const char* port : {"26", "27", "25"}) {
    std::string options = fullIni();
    options.replace(options.find("SmtpPort=25"), 11, std::string("SmtpPort=") + port);
    tripIni(options);
    start();
    EXPECT_EQ(settings().get("SmtpPort"), Value(port));
  }
  std::filesystem::remove(site_.root() / "trip.ini");
  EXPECT_EQ(testing::messageOf(start()),
            "Error in Procedure: WebClass_Start of Module: Ravadid.  Error: 13.  Type "
            "mismatch.");
}

TEST_F(SiteSettingsTest, RequiredFieldsComeFromTheirColumns) {
  tripIni(fullIni());
  sqliteExec(site_.dataFolder() / "trip.mdb",
             "INSERT INTO TRIPREQ_REQUIRED (REQUEST_DATE_REQUIRED, FUND_REQUIRED, PO_REQ) "
             "VALUES ('True', 'False', 'True')");
  start();
  EXPECT_EQ(settings().get("TRIP_REQ_REQUIRED.REQUEST_DATE_REQ"), Value("True"));
  EXPECT_EQ(settings().get("TRIP_REQ_REQUIRED.FUND_REQ"), Value("False"));
  EXPECT_EQ(settings().get("TRIP_REQ_REQUIRED.PO_REQ"), Value("True"));
  EXPECT_EQ(settings().get("TRIP_REQ_REQUIRED.GRADE_REQ"), Value(" "));
}

TEST_F(SiteSettingsTest, MailAccountIsStoredOnlyWithExactTrue) {
  for (auto [auth, user] : {std::pair{"True", "mailer"}, std::pair{"TRUE", ""}}) {
    tripIni(fullIni("30", auth));
    start();
    EXPECT_EQ(settings().get("SmtpUsername"), Value(user)) << auth;
    EXPECT_EQ(settings().get("SmtpPassword"), Value(*user ? "secret" : "")) << auth;
  }
}

TEST_F(SiteSettingsTest, BadSessionTimeoutStopsWithTheTypeMismatchReport) {
  tripIni(fullIni("soon"));
  std::string body = start();
  EXPECT_EQ(testing::messageOf(body),
            "Error in Procedure: WebClass_Start of Module: Ravadid.  Error: 13.  Type "
            "mismatch.");
}

// The report is shown at the top of the sign-in page's body: nothing comes before the doctype.
TEST_F(SiteSettingsTest, MissingKeyReportsAboveTheSignInPageAndGoesOn) {
  tripIni("SessionTimeOut=20\nSmtpServer=mail\n");
  district("'Larkdale USD', 'A', 'C', 'S', 'Z', 'P', 'BUS', 'True', 0, 0");
  std::string body = start();
  std::size_t report = body.find(
      "Error in Procedure: INIGetSettingString of Module: ChkEligWeb."
      "  Error reading ");
  ASSERT_NE(report, std::string::npos) << body;
  EXPECT_EQ(body.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_GT(report, body.find("<body>\n<div class=\"page-error\" role=\"alert\">"));
  EXPECT_LT(report, body.find("<form"));
  EXPECT_EQ(settings().get("DISTNAME"), Value("Larkdale USD"));
  EXPECT_EQ(settings().get("SmtpServer"), Value("mail"));
}

TEST_F(SiteSettingsTest, UnopenableDatabaseReportsAboveTheSignInPage) {
  tripIni(fullIni());
  std::filesystem::remove(site_.dataFolder() / "Tripschl.mdb");
  std::string body = start();
  std::size_t report = body.find("Error in Procedure: SetTripDBConnections of Module: ChkEligWeb.");
  ASSERT_NE(report, std::string::npos) << body;
  EXPECT_EQ(body.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_GT(report, body.find("<div class=\"page-error\" role=\"alert\">"));
  EXPECT_TRUE(settings().get("SESSION_TIMEOUT").isEmpty());  // nothing of the load is stored
}

}  // namespace
}  // namespace ravadid

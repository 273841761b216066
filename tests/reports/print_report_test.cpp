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

const std::string kLines =
    "<table><tr><td><input type=radio name=rb value=\"1\" checked>One Line<br>"
    "<input type=radio name=rb value=\"2\">Two Line<br>";
const std::string kEnd = "</td></tr></table>";
const std::string kSummary =
    "<input type=radio name=rb value=\"3\">Summary&nbsp;<select name=ddlSummary>"
    "<option value=\"Customer\">Customer</option><option value=\"Category\">Category</option>"
    "<option value=\"Fund\">Fund</option><option value=\"Destination\">Destination</option>"
    "<option value=\"Grade\">Grade</option></select>";

class PrintReportTest : public ::testing::Test {
 protected:
  PrintReportTest() : web_(site_.installation(), makeStandardPages()) {
    site_.writeTemplate("PrintReport", "[<WC@SOURCE></WC@SOURCE>]");
  }

  // The page opened from a list's link, with the Type the link carries (none when null).
  std::string open(FakeExchange& ex, const char* type) {
    ex.body.clear();
    ex.queryItems = {{"WCI", "PrintReport"}};
    if (type) ex.queryItems["Type"] = type;
    web_.handle(ex);
    return ex.body;
  }

  TempInstallation site_;
  WebApplication web_;
};

TEST_F(PrintReportTest, TheLinksTypeInAnyCaseChoosesTheReportsOffered) {
  struct Case {
    const char* type;
    const char* reportType;
    std::string choices;
  };
  const Case cases[] = {
      {"Request", "REQUEST", kLines + kEnd},      {"request", "REQUEST", kLines + kEnd},
      {"TRIP", "TRIP", kLines + kSummary + kEnd}, {"trip", "TRIP", kLines + kSummary + kEnd},
      {"Trips", "TRIPS", "Invalid report type."}, {nullptr, "", "Invalid report type."},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    ex.sessionStore.set("PageNumber", Value::integer(4));
    EXPECT_EQ(open(ex, c.type), "[" + c.choices + "]") << (c.type ? c.type : "<none>");
    EXPECT_EQ(ex.sessionStore.text("ReportType"), c.reportType);
    EXPECT_EQ(ex.sessionStore.text("PageNumber"), "1");
  }
}

TEST_F(PrintReportTest, TheChoiceRedirectsToItsReport) {
  struct Case {
    const char* type;
    const char* rb;
    const char* summary;
    const char* target;  // empty: the choice page again
  };
  const Case cases[] = {
      {"Request", "1", "", "RavadidLarkdale.asp?WCI=TripRequestReport1&WCE&WCU"},
      {"Request", "2", "", "RavadidLarkdale.asp?WCI=TripRequestReport2&WCE&WCU"},
      {"Request", "", "", "RavadidLarkdale.asp?WCI=TripRequestReport2&WCE&WCU"},
      {"Trip", "1", "Fund", "RavadidLarkdale.asp?WCI=TripReport1&WCE&WCU"},
      {"Trip", "2", "Fund", "RavadidLarkdale.asp?WCI=TripReport2&WCE&WCU"},
      {"Trip", "3", "Customer", "RavadidLarkdale.asp?WCI=TripSummaryReport&Type=Customer"},
      {"Trip", "3", "Grade&WCI=Login x",
       "RavadidLarkdale.asp?WCI=TripSummaryReport&Type=Grade%26WCI%3DLogin%20x"},
      {"other", "1", "", ""},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    open(ex, c.type);
    ex.body.clear();
    ex.queryItems = {{"WCI", "PrintReport"}, {"WCE", "PrintReport"}, {"WCU", ""}};
    ex.formItems = {{"rb", c.rb}, {"ddlSummary", c.summary}};
    web_.handle(ex);
    EXPECT_EQ(ex.redirectTarget, c.target) << c.type << " " << c.rb;
    if (std::string(c.target).empty()) {
      EXPECT_EQ(ex.body, "[Invalid report type.]");
    }
  }
}

}  // namespace
}  // namespace ravadid

#include <gtest/gtest.h>

#include <cctype>
#include <regex>
#include <string>
#include <vector>

#include "frame/application.h"
#include "frame/connections.h"
#include "frame/db/sample_district.h"
#include "frame/pages.h"
#include "signin/login_page.h"
#include "support/fake_exchange.h"
#include "support/message_page.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::sqliteExec;
using testing::TempInstallation;

const std::string kTimeout = "Sorry, your session has timed out please log in again and retry.";
const std::string kReport =
    "Error in Procedure: TripRequestDetailPrint_Respond of Module: Ravadid.  ";
const std::string kAddressRow = "<tr><td><font class=\"label\">Destination:</font></td><td>";

// Every tag on a line of its own; the comment, button and unknown tags hold text to keep.
const char* kLineTemplate =
    "REQUEST=<WC@REQUEST></WC@REQUEST>\n"
    "REQUESTDT=<wc@REQUESTDT></wc@REQUESTDT>\n"
    "CUSTOMER=<WC@CUSTOMER></WC@CUSTOMER>\n"
    "CONTACT=<WC@CONTACT></WC@CONTACT>\n"
    "DESTINATION=<wc@DESTINATION></wc@DESTINATION>\n"
    "ADDRESS=<WC@DESTINATIONADDRESS>kept</WC@DESTINATIONADDRESS>\n"
    "DEPDATE=<WC@DEPDATE></WC@DEPDATE>\n"
    "DEPTIME=<WC@DEPTIME></WC@DEPTIME>\n"
    "RETTIME=<WC@RETTIME></WC@RETTIME>\n"
    "PO=<WC@PO></WC@PO>\n"
    "TRIPCOM=<WC@TRIPCOM></WC@TRIPCOM>\n"
    "STATUSCOMMENT=<WC@STATUSCOMMENT>no comment</WC@STATUSCOMMENT>\n"
    "TRIPREQCOMMENT=<WC@TRIPREQCOMMENT></WC@TRIPREQCOMMENT>\n"
    "FUNDHDR=<WC@FUNDHDR>Fund</WC@FUNDHDR>\n"
    "DEPWARN=<WC@DEPWARN>warn</WC@DEPWARN>\n"
    "NEW=<WC@NEW></WC@NEW>\n"
    "NAME=<wc@Name></wc@Name>\n"
    "FORMBUTTONS=<WC@FORMBUTTONS>buttons</WC@FORMBUTTONS>\n"
    "PRINT=<WC@PRINT>print</WC@PRINT>\n"
    "UNKNOWN=<WC@UNKNOWN>other</WC@UNKNOWN>\n";

// A value line of kLineTemplate; "<no line>" when the page was not written.
std::string line(const std::string& body, const std::string& name) {
  const std::string key = "\n" + name + "=";
  const std::string text = "\n" + body;
  std::size_t at = text.find(key);
  if (at == std::string::npos) return "<no line>";
  at += key.size();
  return text.substr(at, text.find('\n', at) - at);
}

// The first element left open or closed out of order, or "" when every element is closed in
// order (void elements need no end tag).
std::string unbalancedElement(const std::string& html) {
  static const std::regex tag("<(/?)([A-Za-z][A-Za-z0-9]*)[^>]*>");
  static const std::vector<std::string> voids = {"br",   "hr",    "img",  "input", "link",
                                                 "meta", "area",  "base", "col",   "source",
                                                 "wbr",  "embed", "track"};
  std::vector<std::string> open;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), tag); it != std::sregex_iterator();
       ++it) {
    std::string name = (*it)[2];
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (std::find(voids.begin(), voids.end(), name) != voids.end()) continue;
    if ((*it)[1].length() == 0) {
      open.push_back(name);
    } else if (open.empty() || open.back() != name) {
      return "</" + name + "> after <" + (open.empty() ? std::string() : open.back()) + ">";
    } else {
      open.pop_back();
    }
  }
  return open.empty() ? std::string() : "<" + open.back() + "> left open";
}

class RequestPrintTest : public ::testing::Test {
 protected:
  RequestPrintTest() : web_(site_.installation(), makeStandardPages()) {
    sqliteExec(site_.dataFolder() / kTripFile, testing::kSampleTripRows);
    sqliteExec(site_.dataFolder() / kUsersFile, testing::kSampleUserRows);
    sqliteExec(site_.dataFolder() / kRequestsFile, testing::kSampleRequestRows);
    // A destination without an address, a request going there with markup in its values.
    sqliteExec(site_.dataFolder() / kTripFile,
               "INSERT INTO DESTINATION (DESTINATION, DESTDESC, DESTADD1, DESTADD2, ACTIVE) "
               "VALUES (16, 'Pond <Site>', '  ', 'Back lot', 1)");
    sqliteExec(site_.dataFolder() / kRequestsFile,
               "INSERT INTO TRIPSREQ (TRIPNUM, Status, CUSTOMER, DESTINATION, CONTACT, "
               "STATUS_COMMENT, chainid) VALUES (40, 'Pending', 'SMA', 16, "
               "'<b>O''Hara & Co</b>', '  ', 'HS')");
    FakeExchange start;
    web_.handle(start);
  }

  // A session signed in as user.
  void signIn(FakeExchange& ex, const std::string& user) {
    ex.formItems = {{"user", user}, {"password", "pw"}, {"btnsubmit", "Work With Trip Requests"}};
    Ravadid app(web_, ex);
    Login_LoginValidateUser(app);
    ASSERT_EQ(ex.sessionStore.text("USER"), user);
  }

  // The printable page of the request number in the session's TRIPREQ.
  std::string print(FakeExchange& ex, const std::string& requestNumber) {
    ex.sessionStore.set("TRIPREQ", requestNumber);
    ex.body.clear();
    ex.hasEnded = false;
    ex.formItems.clear();
    ex.queryItems = {{"WCI", "TripRequestDetailPrint"}, {"WCU", ""}};
    web_.handle(ex);
    return ex.body;
  }

  TempInstallation site_;
  WebApplication web_;
};

TEST_F(RequestPrintTest, TagsPrintTheStoredValuesEscaped) {
  site_.writeTemplate("TripRequestDetailPrint", kLineTemplate);
  struct Case {
    std::string request, tag, expected;
  };
  const Case cases[] = {
      {"1", "REQUESTDT", "2/10/2026 9:15:00 AM"},
      {"1", "CUSTOMER", "Larkdale High School"},
      {"1", "DEPDATE", "3/5/2026"},
      {"1", "DEPTIME", "8:00:00 AM"},
      {"1", "DESTINATION", "City Museum of Science"},
      // A comment prints under its label; without one the template's text stays.
      {"1", "STATUSCOMMENT", "Approve/Deny Comment:<br>Approved; bring the permission slips."},
      {"40", "STATUSCOMMENT", "no comment"},
      // An address of one line, of two lines, none (line 1 blank): the row or nothing.
      {"1", "ADDRESS", kAddressRow + "1200 River Rd</td></tr>"},
      {"3", "ADDRESS", kAddressRow + "55 Park Ave<br>Gate B</td></tr>"},
      {"40", "ADDRESS", ""},
      // A destination typed on the form (code 0) prints its own description and address.
      {"2", "DESTINATION", "Harbor Cruise, Dock 5"},
      {"2", "ADDRESS", kAddressRow + "5 Wharf Rd</td></tr>"},
      // Null columns print a single blank.
      {"2", "PO", " "},
      {"2", "TRIPCOM", " "},
      {"2", "RETTIME", " "},
      // Values are escaped; fixed fragments are exact.
      {"40", "CONTACT", "&lt;b&gt;O&#39;Hara &amp; Co&lt;/b&gt;"},
      {"40", "DESTINATION", "Pond &lt;Site&gt;"},
      {"40", "CUSTOMER", "St. Mary&#39;s Academy"},
      {"1", "TRIPREQCOMMENT",
       "<b><font color='#FFFFFF'>Submit requests two weeks ahead; the principal&#39;s approval "
       "comes first.</font></b>"},
      {"1", "NAME", "Larkdale Unified School District"},
      {"1", "FUNDHDR", "<font class=\"label\">Fund:</font>"},
      {"1", "DEPWARN", ""},
      {"1", "NEW", "<input type='text' name='New' value='EXISTING'>"},
      {"1", "FORMBUTTONS", "buttons"},
      {"1", "PRINT", "print"},
      {"1", "UNKNOWN", "other"},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, "dwu");
    const std::string body = print(ex, c.request);
    EXPECT_EQ(line(body, c.tag), c.expected) << "request " << c.request << " " << c.tag;
    EXPECT_EQ(body.find("Error in Procedure"), std::string::npos) << body;
  }
}

TEST_F(RequestPrintTest, AUserWhoMayEditGetsTheNumberAsAReadOnlyField) {
  site_.writeTemplate("TripRequestDetailPrint", kLineTemplate);
  struct Case {
    std::string user, request, expected;
  } const cases[] = {
      {"dwu", "1", "<input type='text' name='TRIPNUM' value='1' readonly>"},
      {"josé.nuñez", "4", "4"},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, c.user);
    EXPECT_EQ(line(print(ex, c.request), "REQUEST"), c.expected) << c.user;
  }
}

TEST_F(RequestPrintTest, FailuresEndInTheErrorReport) {
  site_.writeTemplate("TripRequestDetailPrint", kLineTemplate);
  struct Case {
    std::string request;
    bool templateWritten;
    std::string error;
  } const cases[] = {
      // No request number: the template without a record; record tags fail, fixed ones print.
      {"", true, "Error: 3021.  "},
      {"999", false, "Error: 3021.  "},
      {"1 OR 1=1", false, "Error: 13.  Type mismatch."},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, "dwu");
    const std::string body = print(ex, c.request);
    EXPECT_NE(body.find(kReport + c.error), std::string::npos) << c.request << "\n" << body;
    if (c.templateWritten) {
      // The report stays set, so it is written again after every later tag.
      const std::string fund = line(body, "FUNDHDR");
      EXPECT_EQ(fund.rfind(kReport, 0), 0u) << fund;
      EXPECT_TRUE(fund.ends_with("<font class=\"label\">Fund:</font>")) << fund;
    } else {
      EXPECT_EQ(body.find("FUNDHDR="), std::string::npos) << c.request;
    }
  }
}

TEST_F(RequestPrintTest, WithoutASessionTheTimeoutPageShows) {
  FakeExchange ex;
  const std::string body = print(ex, "1");
  EXPECT_NE(body.find(kTimeout), std::string::npos) << body;
  EXPECT_EQ(body.find("Larkdale High School"), std::string::npos);
}

TEST_F(RequestPrintTest, TheRealTemplateGivesAWellFormedPageWithEveryValue) {
  // Request 40 is St. Mary's: printed for a user without a customer of their own.
  for (const std::string request : {"1", "2", "40"}) {
    const std::string user = request == "40" ? "dwu" : "mgarcia";
    FakeExchange ex;
    signIn(ex, user);
    const std::string body = print(ex, request);
    EXPECT_EQ(body.rfind("<!DOCTYPE html>", 0), 0u) << request;
    EXPECT_EQ(unbalancedElement(body), "") << request;
    EXPECT_EQ(body.find("WC@"), std::string::npos) << request;
    EXPECT_EQ(body.find("Error in Procedure"), std::string::npos) << body;
    EXPECT_NE(body.find("Signed in as <strong class=\"user\">" + user + "</strong>"),
              std::string::npos);
    EXPECT_NE(body.find("href=\"RavadidLarkdale.asp?WCI=RequestSearch&amp;WCU\""),
              std::string::npos);
  }
}

}  // namespace
}  // namespace ravadid

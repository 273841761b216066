#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/connections.h"
#include "frame/db/sample_district.h"
#include "frame/pages.h"
#include "frame/runtime.h"
#include "search/request_search_page.h"
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
using Numbers = std::vector<int>;

const std::string kTimeout = "Sorry, your session has timed out please log in again and retry.";
const std::string kRefine =
    "<table border='0' cellpadding='0' cellspacing='0' width='100%'><tr><td>&nbsp;</td></tr><tr>"
    "<td align='center'><b><font color='#0000ff'>&nbsp;&nbsp;Sorry, your search has returned "
    "more than 300 trip requests. Please refine your search and try again.</font></b></td></tr>"
    "</table>";
const std::string kFilterColumns =
    "SELECT TRIPSREQ.TRIPNUM, TRIPSREQ.ENTERDATE, TRIPSREQ.CONTACT, TRIPSREQ.INTTRIPNUM, "
    "TRIPSREQ.CUSTOMER, TRIPSREQ.DESTINATION, tripsreq.destdesc as trDESTDESC, "
    "TRIPSREQ.DEPDATE, TRIPSREQ.DEPTIME, TRIPSREQ.STATUS, DateValue(TRIPSREQ.STATUS_DATE) AS "
    "Expr1, TRIPSREQ.STATUS_COMMENT, TRIPSREQ.GRADE, TRIPSREQ.RETDATE, TRIPSREQ.RETTIME, "
    "TRIPSREQ.ARRIVETIME, TRIPSREQ.LEAVETIME, TRIPSREQ.FUND, TRIPSREQ.REQDATE, "
    "TRIPSREQ.CHAINID, TRIPSREQ.FIELDTRIP_NUM, TRIPSREQ.TRIPCAT, TRIPSREQ.NUMSTUDENTS, "
    "TRIPSREQ.NUMADULTS, TRIPSREQ.PURPOSE FROM TRIPSREQ";
const std::string kQueueColumns =
    "SELECT TRIPSREQ.TRIPNUM, TRIPSREQ.ENTERDATE, TRIPSREQ.CONTACT, TRIPSREQ.INTTRIPNUM, "
    "TRIPSREQ.CUSTOMER, TRIPSREQ.DESTINATION, "
    "tripsreq.destdesc as trDESTDESC, TRIPSREQ.DEPDATE, TRIPSREQ.DEPTIME, TRIPSREQ.STATUS, "
    "DateValue(TRIPSREQ.STATUS_DATE) AS Expr1, TRIPSREQ.STATUS_COMMENT, TRIPSREQ.GRADE, "
    "TRIPSREQ.RETDATE, TRIPSREQ.RETTIME, TRIPSREQ.ARRIVETIME, TRIPSREQ.LEAVETIME, TRIPSREQ.FUND, "
    "TRIPSREQ.REQDATE, TRIPSREQ.CHAINID, TRIPSREQ.TRIPCAT, TRIPSREQ.FIELDTRIP_NUM, "
    "TRIPSREQ.NUMSTUDENTS, TRIPSREQ.NUMADULTS, TRIPSREQ.PURPOSE FROM TRIPSREQ";
const std::string kOrder = " ORDER BY TRIPSREQ.DEPDATE, TRIPSREQ.DEPTIME, TRIPSREQ.DESTINATION";

// A template that shows each value on its own line, so tests can read them back exactly.
const char* kLineTemplate =
    "NUM=<WC@NUM></WC@NUM>\n"
    "DEPFROM=<WC@DEPFROM></WC@DEPFROM>\n"
    "DEPTO=<WC@DEPTO></WC@DEPTO>\n"
    "ENTERFROM=<WC@ENTERFROM></WC@ENTERFROM>\n"
    "ENTERTO=<WC@ENTERTO></WC@ENTERTO>\n"
    "RESULTS=<WC@RESULTS></WC@RESULTS>\n";

// A value line of kLineTemplate; "<no line>" when the page was not written.
std::string line(const std::string& body, const std::string& name) {
  const std::string key = name + "=";
  std::size_t at = body.rfind("\n" + key);
  at = at == std::string::npos ? (body.rfind(key, 0) == 0 ? 0 : std::string::npos) : at + 1;
  if (at == std::string::npos) return "<no line>";
  at += key.size();
  return body.substr(at, body.find('\n', at) - at);
}

// The request numbers listed, in order.
Numbers listed(const std::string& body) {
  static const std::regex link("WCI=RequestDetail&amp;WCE=(\\d+)&amp;WCU");
  Numbers numbers;
  for (auto it = std::sregex_iterator(body.begin(), body.end(), link); it != std::sregex_iterator();
       ++it)
    numbers.push_back(std::stoi((*it)[1]));
  return numbers;
}

// The colour of every result line (two per request).
std::vector<std::string> rowColours(const std::string& body) {
  static const std::regex row("<tr bgcolor='(#[0-9A-F]+)'>");
  std::vector<std::string> colours;
  for (auto it = std::sregex_iterator(body.begin(), body.end(), row); it != std::sregex_iterator();
       ++it)
    colours.push_back((*it)[1]);
  return colours;
}

// The destination cell of a listed request.
std::string destinationCell(const std::string& body, int request) {
  const std::string open = "<td colspan='2' nowrap><font size='-2'>";
  std::size_t at = body.find("WCE=" + std::to_string(request) + "&amp;WCU\"");
  if (at == std::string::npos) return "<not listed>";
  at = body.find(open, at) + open.size();
  return body.substr(at, body.find("</font></td>", at) - at);
}

class RequestSearchTest : public ::testing::Test {
 protected:
  RequestSearchTest() : web_(site_.installation(), makeStandardPages()) {
    trip(testing::kSampleTripRows);
    users(testing::kSampleUserRows);
    requests(testing::kSampleRequestRows);
    site_.writeTemplate("RequestSearch", kLineTemplate);
    start();
  }

  void trip(const std::string& sql) { sqliteExec(site_.dataFolder() / kTripFile, sql); }
  void users(const std::string& sql) { sqliteExec(site_.dataFolder() / kUsersFile, sql); }
  void requests(const std::string& sql) { sqliteExec(site_.dataFolder() / kRequestsFile, sql); }

  // The bare page: loads the site settings again.
  void start() {
    FakeExchange ex;
    web_.handle(ex);
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

  // One request for the page in the session of ex; "" names no event (Respond).
  std::string request(FakeExchange& ex, const std::string& event,
                      const FakeExchange::Items& form = {}) {
    ex.body.clear();
    ex.hasEnded = false;
    ex.formItems = form;
    ex.queryItems = {{"WCI", "RequestSearch"}, {"WCU", ""}};
    if (!event.empty()) ex.queryItems["WCE"] = event;
    web_.handle(ex);
    return ex.body;
  }
  std::string search(FakeExchange& ex, const FakeExchange::Items& form) {
    return request(ex, "TripRequests", form);
  }
  static std::string reportQuery(const FakeExchange& ex) {
    return ex.sessionStore.text("TripRequestReportQuery");
  }

  // Requests numbered from `first`, all of customer EMS in category BULK.
  void bulkRequests(int first, int count) {
    requests("WITH RECURSIVE n(i) AS (SELECT " + std::to_string(first) +
             " UNION ALL SELECT i + 1"
             " FROM n WHERE i < " +
             std::to_string(first + count - 1) +
             ")"
             " INSERT INTO TRIPSREQ (TRIPNUM, Status, CUSTOMER, DESTINATION, TRIPCAT, depdate,"
             " REQDATE) SELECT i, 'Pending', 'EMS', 11, 'BULK', '2026-05-01 00:00:00',"
             " '2026-02-01 00:00:00' FROM n");
  }

  TempInstallation site_;
  WebApplication web_;
};

// ---- The approver's queue -------------------------------------------------------------------

TEST_F(RequestSearchTest, ARoleAtLevelsOneAndThreeOfAChainWaitsForBothStatuses) {
  users(
      "INSERT INTO KRSCU (KRSC1, KRSC2, ROLE) VALUES ('rev', 'pw', 'REVIEWER');"
      "INSERT INTO KRSCC (CHAINID, Active, LEVEL1APPROVER, Level2Approver, Level3Approver,"
      " Level1Status, Level2Status, Level3Status) VALUES"
      " ('TWICE', 1, 'REVIEWER', 'SUPER', 'Reviewer', 'First look', 'Second look', 'Done')");
  requests(
      "INSERT INTO TRIPSREQ (TRIPNUM, Status, chainid, CUSTOMER, DESTINATION, depdate)"
      " VALUES (101, 'UNAPPROVED', 'TWICE', 'LHS', 10, '2026-05-04 00:00:00'),"
      " (102, 'First look', 'TWICE', 'LHS', 10, '2026-05-03 00:00:00'),"
      " (103, 'Second look', 'TWICE', 'SMA', 10, '2026-05-02 00:00:00'),"
      " (104, 'Done', 'TWICE', 'LHS', 10, '2026-05-01 00:00:00'),"
      " (105, 'Second look', 'HS', 'LHS', 10, '2026-05-01 00:00:00')");
  FakeExchange ex;
  signIn(ex, "rev");
  const std::string body = request(ex, "");
  EXPECT_EQ(listed(body), (Numbers{103, 101}));
  EXPECT_EQ(line(body, "NUM"), "2");
  EXPECT_EQ(reportQuery(ex),
            kQueueColumns +
                " WHERE ((TRIPSREQ.CHAINID = 'TWICE' AND TRIPSREQ.STATUS = 'UNAPPROVED') OR "
                "(TRIPSREQ.CHAINID = 'TWICE' AND TRIPSREQ.STATUS = 'Second look'))" +
                kOrder);
  EXPECT_EQ(ex.sessionStore.get("LoadRequestDetailFromSession"), Value("False"));
}

TEST_F(RequestSearchTest, AnApproverBoundToACustomerSeesOnlyThatCustomersWaitingRequests) {
  struct Case {
    const char* user;
    Numbers queue;
    const char* customerCondition;
  };
  const Case cases[] = {
      // PRINCIPAL approves HS and ELEM at level 1 and ATHLETIC at level 2 ("Coach OK").
      {"mgarcia", {7, 2}, " AND (TRIPSREQ.CUSTOMER = 'LHS')"},
      {"k.o'brien", {3}, " AND (TRIPSREQ.CUSTOMER = 'O''BRIEN')"},
      {"rpatel", {7, 2, 3}, ""},  // no customer: every customer's requests
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, c.user, c.user == std::string("k.o'brien") ? "shamrock" : "pw");
    const std::string body = request(ex, "");
    EXPECT_EQ(listed(body), c.queue) << c.user;
    EXPECT_EQ(reportQuery(ex),
              kQueueColumns +
                  " WHERE ((TRIPSREQ.CHAINID = 'HS' AND TRIPSREQ.STATUS = 'UNAPPROVED') OR "
                  "(TRIPSREQ.CHAINID = 'ELEM' AND TRIPSREQ.STATUS = 'UNAPPROVED') OR "
                  "(TRIPSREQ.CHAINID = 'ATHLETIC' AND TRIPSREQ.STATUS = 'Coach OK'))" +
                  c.customerCondition + kOrder)
        << c.user;
  }
}

TEST_F(RequestSearchTest, AUserWhoApprovesNowhereSeesTheFilterListOnlyWithAutofill) {
  FakeExchange ex;
  signIn(ex, "jsmith", "Secret1");  // TEACHER of LHS; schools may not see each other's requests
  std::string body = request(ex, "");
  EXPECT_EQ(listed(body), (Numbers{1, 7, 2, 6}));
  EXPECT_EQ(reportQuery(ex), kFilterColumns + " WHERE TRIPSREQ.CUSTOMER = 'LHS'" + kOrder);

  trip("UPDATE DISTRICT SET autofill_requests = 'False'");
  start();
  body = request(ex, "");
  EXPECT_EQ(line(body, "RESULTS"), "");
  EXPECT_EQ(line(body, "NUM"), "0");
  EXPECT_TRUE(ex.sessionStore.contains("TripRequestReportQuery"));
  EXPECT_EQ(reportQuery(ex), "");
  // A submitted search lists whatever the setting.
  EXPECT_EQ(listed(search(ex, {{"btnsubmit", "Search"}})), (Numbers{1, 7, 2, 6}));
}

// ---- Filters --------------------------------------------------------------------------------

TEST_F(RequestSearchTest, ExactlyThreeHundredRequestsAreListedAndOneMoreAsksToRefine) {
  bulkRequests(1000, 300);
  FakeExchange ex;
  signIn(ex, "dwu");
  std::string body = search(ex, {{"tripcat", "BULK"}});
  EXPECT_EQ(listed(body).size(), 300u);
  EXPECT_EQ(rowColours(body).size(), 600u);
  EXPECT_EQ(line(body, "NUM"), "300");

  bulkRequests(1300, 1);
  body = search(ex, {{"tripcat", "BULK"}});
  EXPECT_EQ(line(body, "RESULTS"), kRefine);
  EXPECT_EQ(line(body, "NUM"), "301");
  EXPECT_EQ(reportQuery(ex), kFilterColumns + " WHERE TRIPSREQ.TRIPCAT = 'BULK'" + kOrder);
}

TEST_F(RequestSearchTest, MoreRequestsThanASixteenBitCountStillAskToRefine) {
  bulkRequests(1000, 32768);
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string body = search(ex, {{"tripcat", "BULK"}});
  EXPECT_EQ(line(body, "RESULTS"), kRefine);
  EXPECT_EQ(line(body, "NUM"), "32768");
}

TEST_F(RequestSearchTest, TheDivisionFilterDropsRowsFromTheCountAndKeepsColoursAlternating) {
  FakeExchange ex;
  signIn(ex, "dwu");
  // Departure order: 1 (N), 4 (S), 7 (N), 2 (N), 3 (S), 6 (N), 5 (N).
  struct Case {
    const char* division;
    Numbers shown;
  };
  const Case cases[] = {{"N, North", {1, 7, 2, 6, 5}}, {"s, South", {4, 3}}, {"X, Closed", {}}};
  for (const Case& c : cases) {
    const std::string body = search(ex, {{"div", c.division}});
    EXPECT_EQ(listed(body), c.shown) << c.division;
    EXPECT_EQ(line(body, "NUM"), std::to_string(c.shown.size())) << c.division;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < c.shown.size(); ++i)
      expected.insert(expected.end(), 2, i % 2 == 0 ? "#FFFFFF" : "#C0C0C0");
    EXPECT_EQ(rowColours(body), expected) << c.division;
    // The division is no condition of the query.
    EXPECT_EQ(reportQuery(ex), kFilterColumns + kOrder) << c.division;
  }
}

TEST_F(RequestSearchTest, ADepartureFromDateAloneListsThatDayAndFillsTheToField) {
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string body = search(ex, {{"DepFrom", "3/5/2026"}, {"DepTo", "  "}});
  EXPECT_EQ(listed(body), (Numbers{1, 4}));
  EXPECT_EQ(line(body, "DEPFROM"), "3/5/2026");
  EXPECT_EQ(line(body, "DEPTO"), "3/5/2026");
  EXPECT_EQ(reportQuery(ex), kFilterColumns +
                                 " WHERE TRIPSREQ.DEPDATE >= #3/5/2026# and TRIPSREQ.DEPDATE <= "
                                 "#3/5/2026#" +
                                 kOrder);
}

// A date picker posts 2026-03-05: the filter reads it as that day and shows it back as posted,
// which is the form a date field needs in its value.
TEST_F(RequestSearchTest, ADatePickersDateFiltersAndShowsBack) {
  struct Case {
    FakeExchange::Items form;
    Numbers listed;
    const char* depTo;
    const char* condition;
  };
  const Case cases[] = {
      {{{"DepFrom", "2026-03-05"}},
       {1, 4},
       "2026-03-05",
       " WHERE TRIPSREQ.DEPDATE >= #3/5/2026# and TRIPSREQ.DEPDATE <= #3/5/2026#"},
      {{{"DepFrom", "2026-03-01"}, {"DepTo", "3/5/2026"}},
       {1, 4},
       "3/5/2026",
       " WHERE TRIPSREQ.DEPDATE >= #3/1/2026# and TRIPSREQ.DEPDATE <= #3/5/2026#"},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, "dwu");
    const std::string body = search(ex, c.form);
    EXPECT_EQ(listed(body), c.listed) << c.depTo;
    EXPECT_EQ(line(body, "DEPFROM"), c.form.at("DepFrom"));
    EXPECT_EQ(line(body, "DEPTO"), c.depTo);
    EXPECT_EQ(reportQuery(ex), kFilterColumns + c.condition + kOrder);
  }
  FakeExchange ex;
  signIn(ex, "dwu");
  EXPECT_EQ(testing::messageOf(search(ex, {{"DepFrom", "2026-02-30"}})),
            "Please enter a valid departure from date.");
}

// The line a printed list starts with: the filters used, dates as the district writes them.
TEST(RequestSearchFiltersUsed, NameTheFiltersAndThePrintDate) {
  const double now = vb::DateSerial(2026, 3, 5) + vb::TimeSerial(14, 5, 0);
  RequestSearchState none;
  RequestSearchState filtered;
  filtered.status = "UNAPPROVED";
  filtered.customer = "O'BRIEN";
  filtered.departureFrom = "2026-03-01";
  filtered.departureTo = "3/31/2026";
  RequestSearchState queue;
  queue.approverQueue = true;
  const std::pair<const RequestSearchState*, const char*> cases[] = {
      {&none, "Filters used: none. Printed 3/5/2026 2:05:00 PM."},
      {&filtered,
       "Filters used: Status UNAPPROVED; Customer O&#39;BRIEN; Departing 3/1/2026 to 3/31/2026. "
       "Printed 3/5/2026 2:05:00 PM."},
      {&queue, "Requests waiting for your approval. Printed 3/5/2026 2:05:00 PM."},
  };
  for (auto [search, expected] : cases) EXPECT_EQ(filtersUsed(*search, now), expected);
}

TEST_F(RequestSearchTest, DateRangesCombineWithTheOtherFiltersInOrder) {
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string body = search(ex, {{"DepFrom", "3/1/2026"},
                                       {"DepTo", "3/31/2026"},
                                       {"EnterFrom", "2/11/2026"},
                                       {"Status", "UNAPPROVED"},
                                       {"grade", "K"},
                                       {"cust", "O'BRIEN"},
                                       {"dest", "11"},
                                       {"tripcat", "ACAD"},
                                       {"IntNum", "OBR-3"}});
  EXPECT_EQ(listed(body), (Numbers{3}));
  EXPECT_EQ(line(body, "ENTERTO"), "2/11/2026");
  EXPECT_EQ(reportQuery(ex),
            kFilterColumns +
                " WHERE TRIPSREQ.DEPDATE >= #3/1/2026# and TRIPSREQ.DEPDATE <= #3/31/2026#"
                " AND datevalue(TRIPSREQ.REQDATE) >= #2/11/2026# and"
                " datevalue(TRIPSREQ.REQDATE) <= #2/11/2026#"
                " AND TRIPSREQ.STATUS = 'UNAPPROVED' AND TRIPSREQ.GRADE = 'K'"
                " AND TRIPSREQ.CUSTOMER = 'O''BRIEN' AND TRIPSREQ.DESTINATION = 11"
                " AND TRIPSREQ.TRIPCAT = 'ACAD' AND TRIPSREQ.INTTRIPNUM = 'OBR-3'" +
                kOrder);
}

TEST_F(RequestSearchTest, InvalidDatesAnswerWithTheirMessageAlone) {
  struct Case {
    FakeExchange::Items form;
    const char* message;
  };
  const Case cases[] = {
      {{{"DepFrom", "soon"}}, "Please enter a valid departure from date."},
      {{{"DepFrom", " "}}, "Please enter a valid departure from date."},
      {{{"DepFrom", "3/5/2026' OR '1'='1"}}, "Please enter a valid departure from date."},
      {{{"DepFrom", "3/5/2026"}, {"DepTo", "later"}}, "Please enter a valid departure to date."},
      {{{"EnterFrom", "2/30/2026"}}, "Please enter a valid enter from date."},
      {{{"EnterFrom", "2/1/2026"}, {"EnterTo", "#1/1/2026#"}},
       "Please enter a valid enter to date."},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, "dwu");
    EXPECT_EQ(testing::messageOf(search(ex, c.form)), c.message);
    EXPECT_FALSE(ex.sessionStore.contains("TripRequestReportQuery"));
  }
}

TEST_F(RequestSearchTest, AToDateWithoutItsFromDateIsIgnored) {
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string body = search(ex, {{"DepTo", "nonsense"}, {"EnterTo", "3/1/2026"}});
  EXPECT_EQ(listed(body).size(), 7u);
  EXPECT_EQ(line(body, "DEPTO"), "nonsense");
  EXPECT_EQ(reportQuery(ex), kFilterColumns + kOrder);
}

TEST_F(RequestSearchTest, ResetClearsEveryFilterButTheCustomerWhichBecomesTheSessionCustomer) {
  trip("UPDATE DISTRICT SET VIEW_OTHER_SCHOOLS = 'True'");
  start();
  FakeExchange ex;
  signIn(ex, "jsmith", "Secret1");
  const FakeExchange::Items filters = {
      {"cust", "SMA"},         {"Status", "Denied"},      {"grade", "10"},
      {"DepFrom", "3/1/2026"}, {"EnterFrom", "2/1/2026"}, {"dest", "not a number"},
      {"div", "S, South"},     {"tripcat", "ACAD"},       {"IntNum", "x"}};
  FakeExchange::Items reset = filters;
  reset["btnsubmit"] = "reset";
  std::string body = search(ex, reset);
  EXPECT_EQ(reportQuery(ex), kFilterColumns + " WHERE TRIPSREQ.CUSTOMER = 'LHS'" + kOrder);
  EXPECT_EQ(listed(body), (Numbers{1, 7, 2, 6}));
  for (const char* field : {"DEPFROM", "DEPTO", "ENTERFROM", "ENTERTO"})
    EXPECT_EQ(line(body, field), "") << field;

  // The form's Exit button (its caption in asterisks) resets too; a user without a customer
  // then sees every request. A plain "Exit" is no reset.
  FakeExchange all;
  signIn(all, "rpatel");  // CUSTOMER is null: the session holds a blank
  reset["btnsubmit"] = "**EXIT**";
  body = search(all, reset);
  EXPECT_EQ(reportQuery(all), kFilterColumns + kOrder);
  EXPECT_EQ(listed(body).size(), 7u);
  search(all, {{"btnsubmit", "Exit"}, {"Status", "Denied"}});
  EXPECT_EQ(reportQuery(all), kFilterColumns + " WHERE TRIPSREQ.STATUS = 'Denied'" + kOrder);
}

TEST_F(RequestSearchTest, ASchoolSeesOnlyItsOwnRequestsUnlessTheSiteAllowsOthers) {
  FakeExchange ex;
  signIn(ex, "jsmith", "Secret1");
  EXPECT_EQ(listed(search(ex, {{"cust", "SMA"}})), (Numbers{1, 7, 2, 6}));
  trip("UPDATE DISTRICT SET VIEW_OTHER_SCHOOLS = 'True'");
  start();
  EXPECT_EQ(listed(search(ex, {{"cust", "SMA"}})), (Numbers{4}));
}

TEST_F(RequestSearchTest, APostedWholeCustomerEntryStandsForItsCode) {
  FakeExchange ex;
  signIn(ex, "dwu");
  EXPECT_EQ(listed(search(ex, {{"cust", " sma, St. Mary's Academy "}})), (Numbers{4}));
  EXPECT_EQ(reportQuery(ex), kFilterColumns + " WHERE TRIPSREQ.CUSTOMER = 'SMA'" + kOrder);
  // Text that is no whole entry is only cut at its comma.
  EXPECT_EQ(listed(search(ex, {{"cust", "SMA, Someone Else"}})), (Numbers{4}));
  EXPECT_EQ(listed(search(ex, {{"cust", " SMA, St. Mary's"}})), Numbers{});
}

TEST_F(RequestSearchTest, ANonNumericDestinationFilterFailsWithTheErrorReport) {
  FakeExchange ex;
  signIn(ex, "dwu");
  for (const char* destination : {"abc", "10 OR 1=1", "10'"}) {
    ex.sessionStore.remove("TripRequestReportQuery");
    EXPECT_EQ(testing::messageOf(search(ex, {{"dest", destination}})),
              "Error in Procedure: RequestSearch_TripRequests of Module: Ravadid.  Error: 13.  "
              "Type mismatch.")
        << destination;
    EXPECT_FALSE(ex.sessionStore.contains("TripRequestReportQuery")) << destination;
  }
  // The next request starts without the error.
  EXPECT_EQ(listed(search(ex, {{"dest", " 10 "}})), (Numbers{1, 5}));
  EXPECT_EQ(reportQuery(ex), kFilterColumns + " WHERE TRIPSREQ.DESTINATION = 10" + kOrder);
}

TEST_F(RequestSearchTest, QuotesInEveryFilterStayLiteral) {
  trip("UPDATE DISTRICT SET VIEW_OTHER_SCHOOLS = 'True'");
  start();
  const std::string attack = "x' OR '1'='1";
  FakeExchange ex;
  signIn(ex, "dwu");
  struct Case {
    const char* field;
    const char* condition;
  };
  const Case cases[] = {
      {"Status", " WHERE TRIPSREQ.STATUS = 'x'' OR ''1''=''1'"},
      {"grade", " WHERE TRIPSREQ.GRADE = 'x'' OR ''1''=''1'"},
      {"cust", " WHERE TRIPSREQ.CUSTOMER = 'x'' OR ''1''=''1'"},
      {"tripcat", " WHERE TRIPSREQ.TRIPCAT = 'x'' OR ''1''=''1'"},
      {"IntNum", " WHERE TRIPSREQ.INTTRIPNUM = 'x'' OR ''1''=''1'"},
      {"div", ""},  // the division only filters the rows
  };
  for (const Case& c : cases) {
    const std::string body = search(ex, {{c.field, attack}});
    EXPECT_EQ(listed(body), Numbers{}) << c.field;
    EXPECT_EQ(line(body, "NUM"), "0") << c.field;
    EXPECT_EQ(reportQuery(ex), kFilterColumns + c.condition + kOrder) << c.field;
  }
  // Real values with quotes find their rows.
  EXPECT_EQ(listed(search(ex, {{"Status", "Principal's OK"}})), (Numbers{1, 4}));
  EXPECT_EQ(listed(search(ex, {{"cust", "O'BRIEN"}})), (Numbers{3}));
  EXPECT_EQ(listed(search(ex, {{"IntNum", "SMA;4"}})), (Numbers{4}));
  EXPECT_EQ(listed(search(ex, {{"IntNum", "EMS#7"}})), (Numbers{5}));
}

// ---- The results table ----------------------------------------------------------------------

TEST_F(RequestSearchTest, ASearchWithoutMatchesShowsThePrintLinkTheHeaderAndNoRows) {
  const std::string border = " style=\"border: solid 0 #000000; border-right-width:1px;\"";
  const std::string header =
      "<a href='RavadidLarkdale.asp?WCI=PrintReport&Type=Request' target='_blank'>Print "
      "Report</a>&nbsp;<table width='100%' border='0' cellspacing='0'><thead><tr>"
      "<td width='52'" +
      border +
      "><font size='-2'>Request #</font></td>"
      "<td width='110'" +
      border +
      "><font size='-2'>Customer</font></td>"
      "<td colspan='2' width='190'" +
      border +
      "><font size='-2'>Destination</font></td>"
      "<td width='88'" +
      border +
      "><font size='-2'>Depart</font></td>"
      "<td width='88'" +
      border +
      "><font size='-2'>Return</font></td>"
      "<td width='88'" +
      border +
      "><font size='-2'>Status</font></td>"
      "<td width='66'" +
      border +
      "><font size='-2'>Entered</font></td>"
      "<td width='66'" +
      border +
      "><font size='-2'>Category</font></td>"
      "<td width='88'><font size='-2'>Internal #</font></td>"
      "</tr><tr>"
      "<td" +
      border +
      "><font size='-2'>Contact</td>"
      "<td" +
      border +
      "><font size='-2'> </font></td>"
      "<td width='90'" +
      border +
      "><font size='-2'># Stus / Adults</font></td>"
      "<td width='90'" +
      border +
      "><font size='-2'>Grade</font></td>"
      "<td" +
      border +
      "><font size='-2'>Arrive</font></td>"
      "<td" +
      border +
      "><font size='-2'>Leave</font></td>"
      "<td" +
      border +
      "><font size='-2'>Division</font></td>"
      "<td" +
      border +
      "><font size='-2'>Trip #</font></td>"
      "<td" +
      border +
      "><font size='-2'>Approval</font></td>"
      "<td><font size='-2'>Purpose</font></td>"
      "</tr><tr><td colspan='11'><hr></td></tr></thead></tbody>";
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string body = search(ex, {{"IntNum", "no such trip"}});
  EXPECT_EQ(line(body, "RESULTS"), header + "</tbody></table>");
  EXPECT_EQ(line(body, "NUM"), "0");
}

TEST_F(RequestSearchTest, EachRequestIsTwoLinesWithEscapedValuesAndTheFormLink) {
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string results = line(search(ex, {{"IntNum", "LHS-01"}}), "RESULTS");
  EXPECT_NE(results.find(
                "<tr bgcolor='#FFFFFF'><td><font size='-2'><a "
                "href=\"RavadidLarkdale.asp?WCI=RequestDetail&amp;WCE=1&amp;WCU\">1</a></font></td>"
                "<td><font size='-2'>Larkdale High School</font></td>"
                "<td colspan='2' nowrap><font size='-2'>City Museum of Science</font></td>"
                "<td><font size='-2'>3/5/2026, 8:00&nbsp;AM</font></td>"
                "<td><font size='-2'>3/5/2026, 2:30&nbsp;PM</font></td>"
                "<td><font color='Red' size='-1'><b>Principal&#39;s OK</b></font></td>"
                "<td><font size='-2'>2/10/2026</font></td>"
                "<td><font size='-2'>ACAD</font></td>"
                "<td><font size='-2'>LHS-01</font></td>"
                "</tr><tr bgcolor='#FFFFFF'><td></td><td>&nbsp;</td>"
                "<td><font size='-2'>40/4</td></font>"
                "<td><font size='-2'>09</font></td>"
                "<td><font size='-2'>9:00&nbsp;AM</font></td>"
                "<td><font size='-2'>2:00&nbsp;PM</font></td>"
                "<td><font size='-2'>N</font></td>"
                "<td><font size='-2'>1</font></td>"
                "<td><font size='-2'>HS</font></td>"
                "<td><font size='-2'>Science fair</td></font>"
                "</tr></tbody></table>"),
            std::string::npos)
      << results;
}

TEST_F(RequestSearchTest, EmptyValuesShowAsNonBreakingSpaces) {
  requests(
      "INSERT INTO TRIPSREQ (TRIPNUM, Status, CUSTOMER, DESTINATION, depdate, REQDATE,"
      " FIELDTRIP_NUM, INTTRIPNUM) VALUES (30, 'Pending', NULL, NULL, '2026-06-01 00:00:00',"
      " NULL, 0, 'BARE')");
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string results = line(search(ex, {{"IntNum", "BARE"}}), "RESULTS");
  EXPECT_NE(results.find("WCE=30&amp;WCU\">30</a></font></td>"
                         "<td><font size='-2'>NOT FOUND</font></td>"
                         "<td colspan='2' nowrap><font size='-2'>&nbsp;</font></td>"
                         "<td><font size='-2'>6/1/2026, &nbsp;</font></td>"
                         "<td><font size='-2'> , &nbsp;</font></td>"
                         "<td><font color='Red' size='-1'><b>Pending</b></font></td>"
                         "<td><font size='-2'>&nbsp;</font></td>"
                         "<td><font size='-2'>&nbsp;</font></td>"
                         "<td><font size='-2'>BARE</font></td>"
                         "</tr><tr bgcolor='#FFFFFF'><td></td><td>&nbsp;</td>"
                         "<td><font size='-2'>/</td></font>"
                         "<td><font size='-2'>&nbsp;</font></td>"
                         "<td><font size='-2'>&nbsp;</font></td>"
                         "<td><font size='-2'>&nbsp;</font></td>"
                         "<td><font size='-2'>&nbsp;</font></td>"
                         "<td><font size='-2'>&nbsp;</font></td>"
                         "<td><font size='-2'>&nbsp;</font></td>"
                         "<td><font size='-2'>&nbsp;</td></font></tr>"),
            std::string::npos)
      << results;
}

TEST_F(RequestSearchTest, DateColumnsHoldingTextAreShownAsTheirTextAndTheListGoesOn) {
  requests(
      "INSERT INTO TRIPSREQ (TRIPNUM, Status, CUSTOMER, depdate, retdate, REQDATE, INTTRIPNUM)"
      " VALUES (31, 'Pending', 'LHS', 'soon <b>', 'later & then', 'last week', 'TEXT'),"
      " (32, 'Pending', 'LHS', '2026-06-02 00:00:00', NULL, '2026-05-01 09:00:00', 'TEXT')");
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string body = search(ex, {{"IntNum", "TEXT"}});
  EXPECT_EQ(body.find("Error in Procedure"), std::string::npos) << body;
  EXPECT_EQ(listed(body), (Numbers{32, 31}));  // text sorts after the dates
  const std::string results = line(body, "RESULTS");
  for (const char* cell :
       {"<td><font size='-2'>soon &lt;b&gt;, &nbsp;</font></td>",
        "<td><font size='-2'>later &amp; then, &nbsp;</font></td>",
        "<td><font size='-2'>last week</font></td>", "<td><font size='-2'>5/1/2026</font></td>"})
    EXPECT_NE(results.find(cell), std::string::npos) << cell;
}

TEST_F(RequestSearchTest, ADateCellFollowsHowTheColumnReadsAlsoAfterAListOfTheSameText) {
  requests(
      "INSERT INTO TRIPSREQ (TRIPNUM, Status, CUSTOMER, depdate, INTTRIPNUM)"
      " VALUES (31, 'Pending', 'LHS', '2026-06-02 00:00:00', 'TEXT')");
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string asDate = "<td><font size='-2'>6/2/2026, &nbsp;</font></td>";
  const std::string asText = "<td><font size='-2'>2026-06-02 00:00:00, &nbsp;</font></td>";
  EXPECT_NE(line(search(ex, {{"IntNum", "TEXT"}}), "RESULTS").find(asDate), std::string::npos);
  // The same stored text in a column declared as text reads as that text.
  requests(
      "ALTER TABLE TRIPSREQ RENAME COLUMN depdate TO depdate_before;"
      " ALTER TABLE TRIPSREQ ADD COLUMN depdate TEXT; UPDATE TRIPSREQ SET depdate = "
      "depdate_before");
  const std::string results = line(search(ex, {{"IntNum", "TEXT"}}), "RESULTS");
  EXPECT_NE(results.find(asText), std::string::npos) << results;
  EXPECT_EQ(results.find(asDate), std::string::npos);
}

TEST_F(RequestSearchTest, DestinationsComeFromTheSessionListOrTheRequestOrAreNotFound) {
  const std::string longName = "abcdefghijklmnopqrstuvwxyzABC&Parade <b>";
  requests(
      "INSERT INTO TRIPSREQ (TRIPNUM, Status, CUSTOMER, DESTINATION, destdesc, depdate) VALUES"
      " (40, 'Pending', 'LHS', 13, NULL, '2026-06-01 00:00:00'),"
      " (41, 'Pending', 'LHS', 0, '" +
      longName +
      "', '2026-06-02 00:00:00'),"
      " (42, 'Pending', 'LHS', 0, 'Lincoln''s \"Boyhood\" Home', '2026-06-03 00:00:00'),"
      " (43, 'Pending', 'LHS', 15, 'ignored', '2026-06-04 00:00:00')");
  FakeExchange ex;
  signIn(ex, "dwu");
  // The list read at sign-in is what the page shows, even when the table changes later.
  trip("UPDATE DESTINATION SET DESTDESC = 'Renamed' WHERE DESTINATION = 10");
  const std::string body = search(ex, {});
  EXPECT_EQ(destinationCell(body, 1), "City Museum of Science");        // from the list
  EXPECT_EQ(destinationCell(body, 4), "Aquarium of the Bay, Pier 39");  // commas kept
  EXPECT_EQ(destinationCell(body, 2), "Harbor Cruise, Dock 5");         // typed on the request
  EXPECT_EQ(destinationCell(body, 40), "NOT FOUND");                    // inactive: not listed
  EXPECT_EQ(destinationCell(body, 41), "abcdefghijklmnopqrstuvwxyzABC&amp;-<br>Parade &lt;b&gt;");
  EXPECT_EQ(destinationCell(body, 42), "Lincoln&#39;s &quot;Boyhood&quot; Home");
  EXPECT_EQ(destinationCell(body, 43), "Museo de Arte Español");

  // A session list of other contents is used as it is.
  ex.sessionStore.set("Destinations", Value::list(std::make_shared<const std::vector<std::string>>(
                                          std::vector<std::string>{"", "10, Science Hall"})));
  ex.sessionStore.set("numDestinations", Value::integer(1));
  const std::string again = search(ex, {});
  EXPECT_EQ(destinationCell(again, 1), "Science Hall");
  EXPECT_EQ(destinationCell(again, 43), "NOT FOUND");

  // A code is found only as the number is written, and only up to the list's count, also when
  // the same list is read again with another count.
  auto entries = std::make_shared<const std::vector<std::string>>(
      std::vector<std::string>{"", "010, Leading Zero", "10, Science Hall", "15, Past the count"});
  ex.sessionStore.set("Destinations", Value::list(entries));
  ex.sessionStore.set("numDestinations", Value::integer(2));
  const std::string counted = search(ex, {});
  EXPECT_EQ(destinationCell(counted, 1), "Science Hall");
  EXPECT_EQ(destinationCell(counted, 43), "NOT FOUND");
  ex.sessionStore.set("numDestinations", Value::integer(3));
  EXPECT_EQ(destinationCell(search(ex, {}), 43), "Past the count");
}

// ---- The menu -------------------------------------------------------------------------------

TEST_F(RequestSearchTest, TheMenuOpensTheChosenPageAndEmptiesTheRequestFormCopy) {
  struct Case {
    const char* button;
    const char* next;
  };
  const Case cases[] = {
      {"Work With Trip Requests", "RequestSearch"},
      {"enter new request", "RequestDetail"},
      {"View Field Trips", "TripSearch"},
      {"LOG OUT", "Logout"},
      {"Print", ""},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, "dwu");
    Store& s = ex.sessionStore;
    s.set("LoadRequestDetailFromSession", "True");
    s.set("RequestDetail.New", "EXISTING");
    s.set("TRIPREQ", "12");
    s.set("RequestDetail.contact", "Ann Lee");
    s.set("RequestDetail.dep_month", "Mar");
    s.set("RequestDetail.leave_ampm", "PM");
    s.set("RequestDetail.requestoremail", "a@example.org");
    s.set("RequestDetail.customer", "LHS");
    ex.formItems = {{"btnsubmit", c.button}};
    Ravadid app(web_, ex);
    RequestSearch_Navigate(app);
    EXPECT_EQ(app.takeNextItem(), c.next) << c.button;
    EXPECT_EQ(ex.body, "") << c.button;
    EXPECT_EQ(s.get("LoadRequestDetailFromSession"), Value("False")) << c.button;
    for (const char* key : {"TRIPREQ", "RequestDetail.contact", "RequestDetail.dep_month",
                            "RequestDetail.leave_ampm", "RequestDetail.requestoremail"})
      EXPECT_EQ(s.get(key), Value("")) << c.button << " " << key;
    // The form's customer is not part of the copy the menu empties.
    EXPECT_EQ(s.get("RequestDetail.customer"), Value("LHS")) << c.button;
    const bool isNew = std::string(c.next) == "RequestDetail";
    EXPECT_EQ(s.get("RequestDetail.New"), Value(isNew ? "NEW" : "")) << c.button;
    EXPECT_EQ(app.blnNewRequest, isNew) << c.button;
    EXPECT_EQ(app.blnEditable, isNew) << c.button;
    if (isNew) {
      EXPECT_EQ(s.get("blnDepDtWarn"), Value::boolean(false)) << c.button;
    }
  }
}

TEST_F(RequestSearchTest, TheMenuThroughTheHostShowsTheListOrSignsOut) {
  FakeExchange ex;
  signIn(ex, "jsmith", "Secret1");
  EXPECT_EQ(listed(request(ex, "Navigate", {{"btnsubmit", "Work With Trip Requests"}})),
            (Numbers{1, 7, 2, 6}));
  const std::string body = request(ex, "Navigate", {{"btnsubmit", "Log Out"}});
  EXPECT_NE(body.find("Signed Out"), std::string::npos);
  EXPECT_EQ(ex.abandonCount, 1);
}

TEST_F(RequestSearchTest, CheckedHandlersWithoutASessionShowTheTimeoutPage) {
  for (const char* event : {"", "TripRequests", "Navigate"}) {
    FakeExchange ex;
    const std::string body =
        request(ex, event, {{"btnsubmit", "Enter New Request"}, {"DepFrom", "junk"}});
    EXPECT_NE(body.find(kTimeout), std::string::npos) << event;
    EXPECT_EQ(body.find("RESULTS="), std::string::npos) << event;
    EXPECT_EQ(body.find("Please enter"), std::string::npos) << event;
    EXPECT_FALSE(ex.sessionStore.contains("TripRequestReportQuery")) << event;
    EXPECT_FALSE(ex.sessionStore.contains("RequestDetail.New")) << event;
  }
}

// ---- Tags -----------------------------------------------------------------------------------

TEST_F(RequestSearchTest, TagsShowTheSessionListsWithTheFiltersSelected) {
  FakeExchange ex;
  Store& s = ex.sessionStore;
  auto list = [&](const SessionListKeys& keys, std::vector<std::string> entries) {
    const auto count = static_cast<int16_t>(entries.size() - 1);
    storeList(
        s, keys,
        WorkingList{std::make_shared<const std::vector<std::string>>(std::move(entries)), count});
  };
  list(kGradeListKeys, {"", "K", "09"});
  list(kStatusListKeys, {"", "UNAPPROVED", "Principal's OK"});
  list(kCustomerListKeys, {"", "LHS, Larkdale High School", "O'BRIEN, O'Brien Elementary"});
  list(kDestinationListKeys, {"", "10, City Museum of Science", "12, Aquarium of the Bay, Pier 39",
                              "16, Northwest Regional Science Center and Planetarium"});
  list(kTripCategoryListKeys, {"", "ACAD", "ATH"});
  list(kDivisionListKeys, {"", "S, South", "N, North"});
  web_.applicationStore().set("DISTNAME", "Larkdale & Co");

  RequestSearchState search;
  search.grade = "k";
  search.status = "Principal's OK";
  search.customer = "o'brien";
  search.destination = "12";
  search.category = "ath";
  search.division = "n";
  search.departureFrom = "3/5/2026";
  search.departureTo = "\"><b>";
  search.count = 301;
  search.results = "<table>kept as built</table>";

  struct Case {
    const char* tag;
    const char* contents;
    std::string shown;
  };
  const Case cases[] = {
      {"WC@Grade", "class=\"x\"",
       "<select name='grade' class=\"x\"><option value=><option value='K' selected>K"
       "<option value='09'>09</select>"},
      {"wc@status", "",
       "<select name='status' ><option value=><option value='UNAPPROVED'>UNAPPROVED"
       "<option value='Principal&#39;s OK' selected>Principal&#39;s OK</select>"},
      {"WC@CUSTOMER", "",
       "<select name='cust' ><option value= ></option><option value='LHS' >Larkdale High "
       "School</option><option value='O&#39;BRIEN' selected>O&#39;Brien Elementary</option>"
       "</select>"},
      {"WC@DEST", "",
       "<select name='dest' ><option></option><option value=10 >City Museum of Science</option>"
       "<option value=12 selected>Aquarium of the Bay, Pier 39</option>"
       "<option value=16 >Northwest Regional Science Cen</option></select>"},
      {"WC@CATEGORY", "",
       "<select name='tripcat' ><option></option><option>ACAD</option>"
       "<option selected>ATH</option></select>"},
      {"WC@DIV", "",
       "<select name='div' ><option></option><option>S, South</option>"
       "<option selected>N, North</option></select>"},
      {"WC@DEPFROM", "", "3/5/2026"},
      {"WC@DEPTO", "", "&quot;&gt;&lt;b&gt;"},
      {"WC@ENTERFROM", "kept?", ""},
      {"WC@NUM", "", "301"},
      {"WC@RESULTS", "", "<table>kept as built</table>"},
      {"wc@Name", "", "Larkdale &amp; Co"},
      {"WC@TRIPREQCOMMENT", "As written.", "As written."},
      {"WC@UNKNOWN", "left alone", "left alone"},
  };
  for (const Case& c : cases) {
    Ravadid app(web_, ex);
    TagEvent tag{c.tag, c.contents, false};
    RequestSearch_ProcessTag(app, search, tag);
    EXPECT_EQ(tag.contents, c.shown) << c.tag;
  }
}

// A list shown again is the same list: one loaded anew or another selection shows anew.
TEST_F(RequestSearchTest, AFilterListShownAgainFollowsTheSessionListAndTheSelection) {
  FakeExchange ex;
  auto grades = [&](std::vector<std::string> entries) {
    storeList(ex.sessionStore, kGradeListKeys,
              WorkingList{std::make_shared<const std::vector<std::string>>(std::move(entries)), 2});
  };
  auto shown = [&](const std::string& selected) {
    Ravadid app(web_, ex);
    RequestSearchState search;
    search.grade = selected;
    TagEvent tag{"WC@Grade", "", false};
    RequestSearch_ProcessTag(app, search, tag);
    return tag.contents;
  };
  grades({"", "K", "09"});
  const std::string first = shown("K");
  EXPECT_EQ(shown("K"), first);
  EXPECT_EQ(shown("09"),
            "<select name='grade' ><option value=><option value='K'>K<option value='09' "
            "selected>09</select>");
  grades({"", "K", "10"});
  EXPECT_EQ(shown("K"),
            "<select name='grade' ><option value=><option value='K' selected>K<option "
            "value='10'>10</select>");
}

TEST_F(RequestSearchTest, ThePageRendersItsListsWithoutReadingTheListTables) {
  std::ifstream real(std::filesystem::path(RAVADID_SOURCE_DIR) /
                     "site/templates/RequestSearch.html");
  site_.writeTemplate("RequestSearch", std::string(std::istreambuf_iterator<char>(real), {}));
  FakeExchange ex;
  signIn(ex, "dwu");
  trip(
      "DROP TABLE GRADE; DROP TABLE TRIPREQSTATUS; DROP TABLE Division; DROP TABLE TRIPCAT;"
      " DROP TABLE DESTINATION;");
  const std::string body = search(ex, {{"Status", "Pending"}});
  EXPECT_EQ(body.find("Error in Procedure"), std::string::npos) << body;
  EXPECT_EQ(body.find("WC@"), std::string::npos);
  for (const char* fragment :
       {"<select name='grade' id=\"f-grade\">", "<select name='status' id=\"f-status\">",
        "<option value='Pending' selected>Pending", "<select name='cust' id=\"f-cust\">",
        "<select name='dest' id=\"f-dest\">", "<select name='tripcat' id=\"f-tripcat\">",
        "<select name='div' id=\"f-div\">", "Larkdale Unified School District",
        "WCI=RequestSearch&amp;WCE=TripRequests&amp;WCU", "WCI=RequestSearch&amp;WCE=Navigate",
        "<strong>1</strong>", "Print Report", "static/search.css"})
    EXPECT_NE(body.find(fragment), std::string::npos) << fragment;
  EXPECT_EQ(listed(body), (Numbers{5}));
}

}  // namespace
}  // namespace ravadid

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "frame/application.h"
#include "frame/connections.h"
#include "frame/db/sample_district.h"
#include "frame/pages.h"
#include "search/trip_search_page.h"
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
using Form = FakeExchange::Items;

const std::string kColumns =
    "SELECT TRIPS.TRIPNUM, TRIPS.ESTTIME, TRIPS.ESTMILE, TRIPS.INTTRIPNUM, TRIPS.CUSTOMER, "
    "CUSTOMER.CUSTNAME, TRIPS.DESTINATION, DESTINATION.DESTDESC, TRIPS.DEPDATE, TRIPS.DEPTIME, "
    "TRIPS.ASSIGNED, TRIPS.BILLED, DateValue(TRIPS.BILLDATE) AS BILLDATE, TRIPS.CANCELED, "
    "DATEVALUE(TRIPS.CANDATE) AS CANDATE, TRIPS.GRADE, CUSTOMER.CUSTDIV, TRIPS.RETDATE, "
    "TRIPS.RETTIME, TRIPS.FUND, TRIPS.TRIPREQNUM, TRIPS.PO, TRIPS.TRIPCAT, TRIPS.SCHEDULE, "
    "TRIPS.NUMSTUDENTS, TRIPS.NUMADULTS, TRIPS.CONTACT, TRIPS.ARRIVETIME, TRIPS.LEAVETIME, "
    "TRIPS.PURPOSE, TRIPS.SHUTTLE, CUSTOMER_1.CUSTNAME as BILLCUSTNAME, TRIPS.BILLCUST, "
    "(SELECT SUM(TRANAMT) FROM ARDETAIL WHERE TRANCODE='BIL' AND TRIPNUM=TRIPS.TRIPNUM) AS "
    "TOTALBILLED, (SELECT SUM(TRANAMT) FROM ARDETAIL WHERE TRIPNUM=TRIPS.TRIPNUM) AS TOTALDUE "
    "FROM (((TRIPS LEFT JOIN CUSTOMER ON TRIPS.CUSTOMER = CUSTOMER.CUSTOMER) LEFT JOIN "
    "DESTINATION ON TRIPS.DESTINATION = DESTINATION.DESTINATION) LEFT JOIN CUSTOMER AS "
    "CUSTOMER_1 ON TRIPS.BILLCUST = CUSTOMER_1.CUSTOMER) ";
const std::string kRefine =
    "<table width='100%' border='1'><tr>&nbsp;</tr><tr><p align='center'><b><font "
    "color='#0000ff'>&nbsp;&nbsp;Sorry, your search has returned more than 300 trip requests. "
    "Please refine your search and try again.</font></b></p></tr></table>";

// A template that shows each value on its own line, so tests can read them back exactly.
const char* kLineTemplate =
    "NUM=<WC@NUM></WC@NUM>\n"
    "DEPTO=<WC@DEPTO></WC@DEPTO>\n"
    "BILLED=<WC@TOTALBILLED></WC@TOTALBILLED>\n"
    "DUE=<WC@AMOUNTDUE></WC@AMOUNTDUE>\n"
    "BOXES=<WC@CHKBOX></WC@CHKBOX>\n"
    "RESULTS=<WC@RESULTS></WC@RESULTS>\n";

std::string line(const std::string& body, const std::string& name) {
  const std::size_t at = body.find(name + "=");
  if (at == std::string::npos) return "<no line>";
  const std::size_t start = at + name.size() + 1;
  return body.substr(start, body.find('\n', start) - start);
}

// The trip numbers listed, in order.
Numbers listed(const std::string& body) {
  static const std::regex first("<tr bgcolor=#[0-9A-F]+><td><font size='-2'>(\\d+)</font>");
  Numbers numbers;
  for (auto it = std::sregex_iterator(body.begin(), body.end(), first);
       it != std::sregex_iterator(); ++it)
    numbers.push_back(std::stoi((*it)[1]));
  return numbers;
}

// Every state box ticked: no state condition.
Form allBoxes(Form form = {}) {
  for (const char* box :
       {"chkASSIGNED", "chkUnassigned", "chkBILLED", "chkUnbilled", "chkCANCELLED", "chkOPEN"})
    form[box] = "ON";
  return form;
}

class TripSearchTest : public ::testing::Test {
 protected:
  TripSearchTest() : web_(site_.installation(), makeStandardPages()) {
    trip(testing::kSampleTripRows);
    sqliteExec(site_.dataFolder() / kUsersFile, testing::kSampleUserRows);
    site_.writeTemplate("TripSearch", kLineTemplate);
    start();
  }

  void trip(const std::string& sql) { sqliteExec(site_.dataFolder() / kTripFile, sql); }
  void start() {
    FakeExchange ex;
    web_.handle(ex);
  }

  void signIn(FakeExchange& ex, const std::string& user, const std::string& password = "pw") {
    ex.formItems = {{"user", user}, {"password", password}, {"btnsubmit", "View Field Trips"}};
    Ravadid app(web_, ex);
    Login_LoginValidateUser(app);
    ASSERT_EQ(ex.sessionStore.text("USER"), user);
  }

  // One request for a page in the session of ex; "" names no event (Respond).
  std::string request(FakeExchange& ex, const std::string& page, const std::string& event,
                      const Form& form = {}) {
    ex.body.clear();
    ex.hasEnded = false;
    ex.formItems = form;
    ex.queryItems = {{"WCI", page}, {"WCU", ""}};
    if (!event.empty()) ex.queryItems["WCE"] = event;
    web_.handle(ex);
    return ex.body;
  }
  std::string search(FakeExchange& ex, const Form& form) {
    return request(ex, "TripSearch", "FieldTrips", form);
  }
  static std::string session(const FakeExchange& ex, const char* key) {
    return ex.sessionStore.text(key);
  }

  TempInstallation site_;
  WebApplication web_;
};

TEST_F(TripSearchTest, TheMenuOpensTheListWithEveryTripAndStoresItsQuery) {
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string body =
      request(ex, "RequestSearch", "Navigate", {{"btnsubmit", "View Field Trips"}});
  EXPECT_EQ(listed(body), (Numbers{1, 2, 3, 4, 5}));
  EXPECT_EQ(line(body, "NUM"), "5");
  EXPECT_EQ(line(body, "BILLED"), "$335.00");
  EXPECT_EQ(line(body, "DUE"), "$200.00");
  EXPECT_EQ(session(ex, "TripReportQuery"), kColumns + " ORDER BY TRIPS.DEPDATE");
  EXPECT_EQ(session(ex, "TripReportSummaryCondition"), "");
  EXPECT_EQ(session(ex, "TripReportFilters"), "Filters used: none.");
  EXPECT_EQ(session(ex, "LoadRequestDetailFromSession"), "False");
  EXPECT_EQ(line(body, "BOXES"),
            "<input type='checkbox' name='chkASSIGNED' value='ON' checked >Assigned&nbsp;"
            "<input type='checkbox' name='chkUnassigned' value='ON' checked >Unassigned"
            "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;"
            "<input type='checkbox' name='chkBILLED' value='ON' checked >Billed&nbsp;"
            "<input type='checkbox' name='chkUnbilled' value='ON' checked >Unbilled"
            "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;"
            "<input type='checkbox' name='chkCANCELLED' value='ON' checked >Cancelled&nbsp;"
            "<input type='checkbox' name='chkOPEN' value='ON' checked >Open");

  // Without autofill the first display lists nothing; a submitted search lists.
  trip("UPDATE DISTRICT SET AUTOFILL = 'False'");
  start();
  const std::string empty = request(ex, "TripSearch", "");
  EXPECT_EQ(line(empty, "RESULTS"), "");
  EXPECT_EQ(line(empty, "NUM"), "0");
  EXPECT_EQ(session(ex, "TripReportQuery"), "");
  EXPECT_EQ(listed(search(ex, {{"btnsubmit", "Search"}})), (Numbers{1, 2, 3, 4, 5}));
}

TEST_F(TripSearchTest, StateBoxPairsFilterOnlyWhenTheyDiffer) {
  struct Case {
    std::vector<const char*> boxes;
    const char* condition;
    Numbers trips;
  };
  const Case cases[] = {
      {{}, "", {1, 2, 3, 4, 5}},
      {{"chkASSIGNED", "chkUnassigned", "chkBILLED", "chkUnbilled", "chkCANCELLED", "chkOPEN"},
       "",
       {1, 2, 3, 4, 5}},
      {{"chkASSIGNED"}, " WHERE TRIPS.ASSIGNED = TRUE", {1, 3, 5}},
      {{"chkUnassigned"}, " WHERE TRIPS.ASSIGNED = FALSE", {2, 4}},
      {{"chkBILLED", "chkCANCELLED", "chkOPEN"}, " WHERE TRIPS.BILLED = TRUE", {1, 4}},
      {{"chkUnbilled"}, " WHERE TRIPS.BILLED = FALSE", {2, 3, 5}},
      {{"chkCANCELLED"}, " WHERE TRIPS.CANCELED = TRUE", {2}},
      {{"chkOPEN", "chkASSIGNED"},
       " WHERE TRIPS.ASSIGNED = TRUE AND TRIPS.CANCELED = FALSE",
       {1, 3, 5}},
      {{"chkOpenBalance"},
       " WHERE (TRIPS.AMOUNT1 > 0 OR TRIPS.AMOUNT2 > 0 OR TRIPS.AMOUNT3 > 0 OR TRIPS.AMOUNT4 > 0 "
       "OR TRIPS.AMOUNT5)",
       {1, 3, 4}},
  };
  FakeExchange ex;
  signIn(ex, "dwu");
  for (const Case& c : cases) {
    Form form;
    for (const char* box : c.boxes) form[box] = "ON";
    const std::string body = search(ex, form);
    EXPECT_EQ(listed(body), c.trips) << c.condition;
    EXPECT_EQ(session(ex, "TripReportSummaryCondition"), c.condition);
    EXPECT_EQ(session(ex, "TripReportQuery"), kColumns + c.condition + " ORDER BY TRIPS.DEPDATE");
  }
}

TEST_F(TripSearchTest, FiltersBecomeSafeConditionsOrAClearMessage) {
  struct Case {
    Form form;
    const char* conditionOrMessage;
    Numbers trips;
  };
  const Case cases[] = {
      {{{"DepFrom", "3/6/2026"}},
       " WHERE TRIPS.DEPDATE >= #3/6/2026# and TRIPS.DEPDATE <= #3/6/2026#",
       {2}},
      {{{"DepFrom", "2026-03-05"}, {"DepTo", "2026-03-09"}},
       " WHERE TRIPS.DEPDATE >= #3/5/2026# and TRIPS.DEPDATE <= #3/9/2026#",
       {1, 2, 3}},
      {{{"DepFrom", "soon"}}, "Please enter a valid departure from date.", {}},
      {{{"DepFrom", "3/6/2026"}, {"DepTo", "later"}},
       "Please enter a valid departure to date.",
       {}},
      {{{"grade", "10"}, {"cust", "LHS"}, {"tripcat", "ATH"}},
       " WHERE TRIPS.GRADE = '10' AND TRIPS.CUSTOMER = 'LHS' AND TRIPS.TRIPCAT = 'ATH'",
       {2}},
      {{{"cust", "O'BRIEN"}}, " WHERE TRIPS.CUSTOMER = 'O''BRIEN'", {4}},
      {{{"dest", "10"}}, " WHERE TRIPS.DESTINATION = 10", {1, 3}},
      {{{"dest", "10 OR 1=1"}}, "Please choose a destination from the list.", {}},
      {{{"div", "S, South"}}, " WHERE CUSTOMER.CUSTDIV = 'S'", {3, 4}},
      {{{"IntNum", "LHS-02"}}, " WHERE TRIPS.INTTRIPNUM = 'LHS-02'", {2}},
      {{{"TRIPREQNUM", "4"}}, " WHERE TRIPS.TRIPREQNUM = 4", {3}},
      {{{"TRIPREQNUM", "4; DELETE FROM TRIPS"}}, "Please enter a valid request number.", {}},
      {{{"TRIPNUM", "99999999999"}}, "Please enter a valid trip number.", {}},
      {{{"TRIPNUM", "2"}, {"BILLCUST", "SMA, St. Mary's Academy"}},
       " WHERE TRIPS.TRIPNUM = 2 AND TRIPS.BILLCUST = 'SMA'",
       {2}},
      {{{"PO", "PO 12--14"}, {"fund", "210"}},
       " WHERE TRIPS.PO = 'PO 12--14' AND TRIPS.FUND = '210'",
       {2}},
      {{{"fund", "x' OR 'a'='a"}}, " WHERE TRIPS.FUND = 'x'' OR ''a''=''a'", {}},
  };
  FakeExchange ex;
  signIn(ex, "dwu");
  for (const Case& c : cases) {
    ex.sessionStore.remove("TripReportSummaryCondition");
    const std::string body = search(ex, allBoxes(c.form));
    const std::string expected = c.conditionOrMessage;
    if (expected.rfind("Please", 0) == 0) {
      EXPECT_EQ(testing::messageOf(body), expected);
      EXPECT_FALSE(ex.sessionStore.contains("TripReportSummaryCondition")) << expected;
      continue;
    }
    EXPECT_EQ(listed(body), c.trips) << expected;
    EXPECT_EQ(session(ex, "TripReportSummaryCondition"), expected);
  }
}

TEST_F(TripSearchTest, ADepartureFromDateAloneFillsTheToDateAndTheFiltersInWords) {
  FakeExchange ex;
  signIn(ex, "dwu");
  Form form = allBoxes({{"DepFrom", "2026-03-06"}, {"cust", "LHS"}});
  form.erase("chkBILLED");
  const std::string body = search(ex, form);
  EXPECT_EQ(listed(body), (Numbers{2}));
  EXPECT_EQ(line(body, "DEPTO"), "2026-03-06");
  EXPECT_EQ(session(ex, "TripReportFilters"),
            "Filters used: Departing 3/6/2026 to 3/6/2026; Customer LHS; Unbilled.");
}

TEST_F(TripSearchTest, SortColumnsComeOnlyFromTheList) {
  struct Case {
    const char* sort1;
    const char* sort2;
    const char* orderOrMessage;
    Numbers trips;
  };
  const Case cases[] = {
      {"", "TRIPS.TRIPNUM", " ORDER BY TRIPS.DEPDATE", {1, 2, 3, 4, 5}},  // sort 2 alone: ignored
      {"CUSTOMER.CUSTNAME",
       "trips.tripnum",
       " ORDER BY CUSTOMER.CUSTNAME, TRIPS.TRIPNUM",
       {5, 1, 2, 4, 3}},
      {"TRIPS.NUMSTUDENTS", "", " ORDER BY TRIPS.NUMSTUDENTS", {3, 2, 4, 5, 1}},
      {"TRIPS.TRIPNUM; DROP TABLE TRIPS", "", "Please choose a sort column from the list.", {}},
      {"TRIPS.DEPDATE", "1=1", "Please choose a sort column from the list.", {}},
  };
  FakeExchange ex;
  signIn(ex, "dwu");
  for (const Case& c : cases) {
    const std::string body = search(ex, allBoxes({{"sortBy1", c.sort1}, {"sortBy2", c.sort2}}));
    const std::string expected = c.orderOrMessage;
    if (expected.rfind("Please", 0) == 0) {
      EXPECT_EQ(testing::messageOf(body), expected);
      continue;
    }
    EXPECT_EQ(listed(body), c.trips) << expected;
    EXPECT_EQ(session(ex, "TripReportQuery"), kColumns + expected);
  }
}

TEST_F(TripSearchTest, ExactlyThreeHundredTripsAreListedAndOneMoreAsksToRefine) {
  trip(
      "WITH RECURSIVE n(i) AS (SELECT 1000 UNION ALL SELECT i + 1 FROM n WHERE i < 1299)"
      " INSERT INTO TRIPS (TRIPNUM, CUSTOMER, TRIPCAT, DEPDATE, ASSIGNED, BILLED, CANCELED)"
      " SELECT i, 'EMS', 'BULK', '2026-05-01 00:00:00', 0, 0, 0 FROM n;"
      "INSERT INTO ARDETAIL (TRIPNUM, TRANAMT, TRANCODE) VALUES (1000, 2.5, 'BIL');");
  FakeExchange ex;
  signIn(ex, "dwu");
  std::string body = search(ex, allBoxes({{"tripcat", "BULK"}}));
  EXPECT_EQ(listed(body).size(), 300u);
  EXPECT_EQ(line(body, "NUM"), "300");
  EXPECT_EQ(line(body, "BILLED"), "$2.50");

  trip(
      "INSERT INTO TRIPS (TRIPNUM, CUSTOMER, TRIPCAT, DEPDATE) VALUES"
      " (1300, 'EMS', 'BULK', '2026-05-02 00:00:00')");
  body = search(ex, allBoxes({{"tripcat", "BULK"}}));
  EXPECT_EQ(line(body, "RESULTS"), kRefine);
  EXPECT_EQ(line(body, "NUM"), "301");
  EXPECT_EQ(line(body, "BILLED"), "$0.00");
  EXPECT_EQ(session(ex, "TripReportQuery"),
            kColumns + " WHERE TRIPS.TRIPCAT = 'BULK' ORDER BY TRIPS.DEPDATE");
}

TEST_F(TripSearchTest, ATripWithoutBillingRowsShowsEmptyAmountsAndAddsNothing) {
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string body = search(ex, allBoxes({{"TRIPNUM", "5"}}));
  EXPECT_EQ(line(body, "BILLED"), "$0.00");
  EXPECT_EQ(line(body, "DUE"), "$0.00");
  const std::string results = line(body, "RESULTS");
  const std::string header =
      "<a href='RavadidLarkdale.asp?WCI=PrintReport&Type=Trip' target='_blank'>Print Report</a>"
      "&nbsp;<table width='100%' border='0' cellpadding='0' cellspacing='0'><thead><tr>";
  const std::string border = " style=\"border: solid 0 #000000; border-right-width:1px;\"";
  auto cell = [&border](const std::string& attributes, const std::string& label,
                        bool bordered = true) {
    return "<td" + attributes + (bordered ? border : "") + " ><font size='-2'>" + label +
           "</font></td>";
  };
  const std::string expected =
      header + cell(" width='58'", "Trip#") + cell(" rowspan='2' width='110'", "Customer") +
      cell(" colspan='2' width='170'", "Destination") + cell("", "Depart") + cell("", "Return") +
      cell("", "Cancelled") + cell("", "Billed") + cell("", " ") + cell("", "Billing Customer") +
      cell("", "Division") + cell("", "Category", false) + "</tr><tr>" + cell("", "Contact") +
      cell(" width='90'", "# Stus / Adults") + cell(" width='70'", "Grade") +
      cell("", "Arrive Time") + cell("", "Leave Time") + cell("", "Assigned") + cell("", "Amt") +
      cell("", "Due") + cell("", "Fund") + cell("", "Purpose") +
      cell(" width='60'", "Request #", false) +
      "</tr><tr><td colspan='12'><hr></td></tr></thead><tbody>"
      "<tr bgcolor=#FFFFFF><td><font size='-2'>5</font></td>"
      "<td rowspan='2'><font size='-2'>East Middle School</font></td>"
      "<td colspan='2'><font size='-2'>&nbsp;</font></td>"
      "<td><font size='-2'>4/1/26, 10:00&nbsp;AM</font></td><td><font size='-2'>, "
      "&nbsp;</font></td>"
      "<td align='center'><font size='-2'><input type=checkbox></font></td>"
      "<td align='center'><font size='-2'><input type=checkbox></font></td><td>&nbsp;</td>"
      "<td><font size='-2'></font></td><td><font size='-2'>N</font></td>"
      "<td><font size='-2'>OVN</font></td>"
      "</tr><tr bgcolor=#FFFFFF><td><font size='-2'>&nbsp;</font></td>"
      "<td><font size='-2'>30/3</font></td><td><font size='-2'>10</font></td>"
      "<td><font size='-2'>&nbsp;</font></td><td><font size='-2'>&nbsp;</font></td>"
      "<td align='center'><font size='-2'><input type=checkbox checked></font></td>"
      "<td><font size='-2'></font></td><td><font size='-2'></font></td>"
      "<td><font size='-2'>100</font></td><td><font size='-2'>Camp</font></td>"
      "<td><font size='-2'>&nbsp;</font></td></tr></tbody></table>";
  EXPECT_EQ(results, expected);
}

TEST_F(TripSearchTest, ACustomerBoundUserSeesOnlyTheirOwnTrips) {
  FakeExchange ex;
  signIn(ex, "jsmith", "Secret1");  // LHS; schools may not see each other's trips
  EXPECT_EQ(listed(search(ex, allBoxes({{"cust", "SMA"}}))), (Numbers{1, 2}));
  EXPECT_EQ(session(ex, "TripReportSummaryCondition"), " WHERE TRIPS.CUSTOMER = 'LHS'");
}

TEST_F(TripSearchTest, ResetClearsTheFiltersAndTicksEveryBox) {
  FakeExchange ex;
  signIn(ex, "dwu");
  const std::string body =
      search(ex, {{"btnsubmit", "Reset"}, {"grade", "10"}, {"chkASSIGNED", "ON"}});
  EXPECT_EQ(listed(body), (Numbers{1, 2, 3, 4, 5}));
  EXPECT_EQ(session(ex, "TripReportSummaryCondition"), "");
}

TEST_F(TripSearchTest, TheFundButtonOpensTheLookUpForTheCustomer) {
  struct Case {
    const char* user;
    const char* password;
    const char* customer;
  };
  const Case cases[] = {{"dwu", "pw", "SMA"}, {"jsmith", "Secret1", "LHS"}};
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, c.user, c.password);
    search(ex, allBoxes({{"btnsubmit", "Fund"}, {"cust", "SMA"}, {"grade", "10"}}));
    EXPECT_EQ(session(ex, "SELTRIP"), "Y") << c.user;
    EXPECT_EQ(session(ex, "RequestDetail.customer"), c.customer) << c.user;
    EXPECT_FALSE(ex.sessionStore.contains("TripReportQuery")) << c.user;
  }
}

TEST_F(TripSearchTest, TheFundChosenInTheLookUpIsAConditionWithoutAPostedFund) {
  FakeExchange ex;
  signIn(ex, "dwu");
  ex.formItems = {{"fund", "100"}, {"sortBy1", "TRIPS.TRIPNUM"}};
  Ravadid app(web_, ex);
  TripSearch_FromFundLookup(app, "305");
  EXPECT_EQ(listed(ex.body), (Numbers{3}));
  EXPECT_EQ(session(ex, "TripReportSummaryCondition"), " WHERE TRIPS.FUND = '305'");
}

TEST_F(TripSearchTest, AnExpiredSessionGoesToSignOut) {
  FakeExchange ex;
  EXPECT_EQ(line(request(ex, "TripSearch", "FieldTrips", allBoxes()), "NUM"), "<no line>");
  EXPECT_FALSE(ex.sessionStore.contains("TripReportQuery"));
}

TEST_F(TripSearchTest, TagsWriteTheirControlsWithTheTemplatesAttributes) {
  FakeExchange ex;
  signIn(ex, "dwu");
  Ravadid app(web_, ex);
  TripSearchState search;
  search.assigned = search.billed = "ON";
  search.openBalance = "ON";
  search.sort1 = "TRIPS.DEPDATE";
  search.tripNumber = "7'";
  search.fund = "Parents' Club";
  search.destination = "12";
  search.customer = "O'BRIEN";
  search.totalBilled = 1234.5;
  struct Case {
    const char* tag;
    const char* contents;
    std::string expected;
  };
  const Case cases[] = {
      {"WC@CHKBOX2", "id=x",
       "<input type='checkbox' name='chkOPENBALANCE' value='ON' checked id=x>Show only Trips "
       "with an Open Balance"},
      {"WC@TRIPNUM", "id=t", "<input name='TRIPNUM' size='21' VALUE='7&#39;' id=t>"},
      {"WC@TRIPREQNUM", "", "<input name='TRIPREQNUM' size='21' VALUE='' >"},
      {"WC@FUNDHDR", "class=s",
       "<b><input type='submit' value='Fund' name='btnSubmit' class=s></b>"},
      {"WC@FUND", "", "<input name='fund' size='21' value='Parents&#39; Club' >"},
      {"WC@TOTALBILLED", "", "$1,234.50"},
      {"WC@AMOUNTDUE", "", "$0.00"},
      {"WC@CUSTHDR", "Customer", "Customer"},
      {"WC@SORTBY", "class=s",
       "Sort By:&nbsp;<select name='sortBy1' class=s><option value='TRIPS.TRIPNUM'>Trip #</option>"
       "<option value='CUSTOMER.CUSTNAME'>Customer</option><option "
       "value='DESTINATION.DESTDESC'>Destination</option><option "
       "value='TRIPS.NUMSTUDENTS'># Students</option><option selected "
       "value='TRIPS.DEPDATE'>Depart Date</option><option value='TRIPS.TRIPREQNUM'>Request "
       "#</option></select>&nbsp;then by:&nbsp;<select name='sortBy2' class=s><option "
       "selected></option><option value='TRIPS.TRIPNUM'>Trip #</option><option "
       "value='CUSTOMER.CUSTNAME'>Customer</option><option "
       "value='DESTINATION.DESTDESC'>Destination</option><option "
       "value='TRIPS.NUMSTUDENTS'># Students</option><option value='TRIPS.DEPDATE'>Depart "
       "Date</option><option value='TRIPS.TRIPREQNUM'>Request #</option></select>"},
  };
  for (const Case& c : cases) {
    TagEvent tag{c.tag, c.contents, false};
    TripSearch_ProcessTag(app, search, tag);
    EXPECT_EQ(tag.contents, c.expected) << c.tag;
  }
  // The lists: customers and destinations quote their codes; billing customers post the entry.
  struct ListCase {
    const char* tag;
    std::vector<std::string> fragments;
  };
  const ListCase lists[] = {
      {"WC@CUST",
       {"<select name='cust' id=c><option></option>",
        "<option value='O&#39;BRIEN' selected>O&#39;Brien Elementary</option>"}},
      {"WC@DEST",
       {"<select name='dest' id=c><option></option>",
        "<option value='12' selected>Aquarium of the Bay, Pier 39</option>"}},
      {"WC@BILLCUST",
       {"<select name='billcust' id=c><option></option>",
        "<option>SMA, St. Mary&#39;s Academy</option>"}},
  };
  for (const ListCase& c : lists) {
    TagEvent tag{c.tag, "id=c", false};
    TripSearch_ProcessTag(app, search, tag);
    for (const std::string& fragment : c.fragments)
      EXPECT_NE(tag.contents.find(fragment), std::string::npos) << c.tag << ": " << tag.contents;
  }
}

}  // namespace
}  // namespace ravadid

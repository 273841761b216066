#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "support/signed_in_site.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using Numbers = std::vector<int>;

const std::string kRequestQuery =
    "SELECT TRIPSREQ.TRIPNUM, TRIPSREQ.ENTERDATE, TRIPSREQ.CONTACT, TRIPSREQ.INTTRIPNUM, "
    "TRIPSREQ.CUSTOMER, TRIPSREQ.DESTINATION, tripsreq.destdesc as trDESTDESC, "
    "TRIPSREQ.DEPDATE, TRIPSREQ.DEPTIME, TRIPSREQ.STATUS, DateValue(TRIPSREQ.STATUS_DATE) AS "
    "Expr1, TRIPSREQ.STATUS_COMMENT, TRIPSREQ.GRADE, TRIPSREQ.RETDATE, TRIPSREQ.RETTIME, "
    "TRIPSREQ.ARRIVETIME, TRIPSREQ.LEAVETIME, TRIPSREQ.FUND, TRIPSREQ.REQDATE, "
    "TRIPSREQ.CHAINID, TRIPSREQ.FIELDTRIP_NUM, TRIPSREQ.TRIPCAT, TRIPSREQ.NUMSTUDENTS, "
    "TRIPSREQ.NUMADULTS, TRIPSREQ.PURPOSE FROM TRIPSREQ";
// The query the field trip search stores, ordered by trip number.
const std::string kTripQuery =
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
    "CUSTOMER_1 ON TRIPS.BILLCUST = CUSTOMER_1.CUSTOMER)  ORDER BY TRIPS.TRIPNUM";

// The numbers of the rows shown: request numbers by their links, trip numbers by their first
// cell.
Numbers shown(const std::string& body) {
  static const std::regex number(
      "WCE=(\\d+)&amp;WCU\"|<tr bgcolor=#[0-9A-F]+><td><font size='-2'>(\\d+)<");
  Numbers numbers;
  for (auto it = std::sregex_iterator(body.begin(), body.end(), number);
       it != std::sregex_iterator(); ++it)
    numbers.push_back(std::stoi((*it)[1].matched ? (*it)[1] : (*it)[2]));
  return numbers;
}

Numbers range(int first, int last) {
  Numbers numbers;
  for (int i = first; i <= last; ++i) numbers.push_back(i);
  return numbers;
}

class ReportPagesTest : public ::testing::Test {
 protected:
  ReportPagesTest() {
    site_.trip("UPDATE DISTRICT SET DISTNAME = 'Larkdale <Unified>'");
    site_.start();
    site_.setting("PageSize", Value::integer(10));
  }

  // Signs ex in with the report's query stored, as the searches leave it.
  void session(FakeExchange& ex, const std::string& queryKey, const std::string& query) {
    site_.signIn(ex, "dwu");
    ex.sessionStore.set(queryKey, query);
    ex.sessionStore.set("PageNumber", Value::integer(1));
  }
  // Replaces the page's template by the results alone, so rows can be compared exactly.
  void resultsOnly(const std::string& page) {
    site_.site().writeTemplate(page, "<WC@RESULTS></WC@RESULTS>");
  }
  // Requests 101.. in category BULK, departing in number order.
  void bulkRequests(int count) {
    site_.requests(
        "WITH RECURSIVE n(i) AS (SELECT 101 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(100 + count) +
        ") INSERT INTO TRIPSREQ (TRIPNUM, Status, CUSTOMER, DESTINATION, TRIPCAT, depdate)"
        " SELECT i, 'Pending', 'LHS', 11, 'BULK', date('2026-05-01', '+' || i || ' days') ||"
        " ' 00:00:00' FROM n");
  }

  testing::SignedInSite site_;
};

TEST_F(ReportPagesTest, PagesHoldPageSizeRowsAndLastClampsToTheLastPageWithRows) {
  struct Step {
    const char* event;  // "" for the display, else the posted button
    Numbers rows;       // as request numbers less 100
    int page;
  };
  struct Case {
    const char* name;
    int requests;
    int storedPage;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"25 rows",
       25,
       1,
       {{"", range(1, 10), 1},
        {"Next", range(11, 20), 2},
        {"Last", range(21, 25), 3},
        {"Previous", range(11, 20), 2},
        {"First", range(1, 10), 1},
        {"Last", range(21, 25), 3}}},
      {"20 rows",
       20,
       1,
       {{"", range(1, 10), 1}, {"Last", range(11, 20), 2}, {"Next", range(11, 20), 2}}},
      {"page beyond the data", 25, 9, {{"", range(21, 25), 3}}},
  };
  for (const char* report : {"TripRequestReport1", "TripRequestReport2"}) {
    for (const Case& c : cases) {
      site_.requests("DELETE FROM TRIPSREQ WHERE TRIPNUM > 100");
      bulkRequests(c.requests);
      FakeExchange ex;
      session(ex, "TripRequestReportQuery",
              kRequestQuery + " WHERE TRIPSREQ.TRIPCAT = 'BULK' ORDER BY TRIPSREQ.DEPDATE");
      ex.sessionStore.set("PageNumber", Value::integer(static_cast<int16_t>(c.storedPage)));
      for (const Step& step : c.steps) {
        const std::string body = *step.event
                                     ? site_.page(ex, report, report, {{"btnSubmit", step.event}})
                                     : site_.page(ex, report);
        Numbers expected;
        for (int n : step.rows) expected.push_back(100 + n);
        EXPECT_EQ(shown(body), expected) << report << ", " << c.name << ", " << step.event;
        EXPECT_EQ(ex.sessionStore.text("PageNumber"), std::to_string(step.page))
            << report << ", " << c.name << ", " << step.event;
        EXPECT_EQ(ex.sessionStore.text("RecordCount"), std::to_string(c.requests));
        const bool first = step.page == 1;
        const bool last = step.page * 10 >= c.requests;
        EXPECT_EQ(body.find("&nbsp;First&nbsp;&nbsp;Previous&nbsp;") != std::string::npos, first)
            << report << ", " << c.name << ", " << step.event;
        EXPECT_EQ(body.find("&nbsp;Next&nbsp;&nbsp;Last&nbsp;") != std::string::npos, last)
            << report << ", " << c.name << ", " << step.event;
      }
    }
  }
}

TEST_F(ReportPagesTest, RowsArePrintedCellByCellWithEveryValueEscaped) {
  struct Case {
    const char* page;
    const char* queryKey;
    std::string query;
    const char* row;  // the first row of the results, byte for byte
  };
  const Case cases[] = {
      {"TripRequestReport1", "TripRequestReportQuery",
       kRequestQuery + " WHERE TRIPSREQ.TRIPNUM = 1",
       "<tr bgcolor='#FFFFFF'><td><font size='-3'><a "
       "href=\"RavadidLarkdale.asp?WCI=RequestDetail&amp;WCE=1&amp;WCU\">1</a></font></td>"
       "<td><font size='-3'>3/5/2026</font></td>"
       "<td><font size='-3'>Larkdale High School</font></td>"
       "<td nowrap><font size='-3'>City Museum of Science</font></td>"
       "<td><font size='-3'>3/5/2026</font></td><td><font size='-3'>8:00&nbsp;AM</font></td>"
       "<td><font size='-3'>2:30&nbsp;PM</font></td>"
       "<td><font size='-3'>Principal&#39;s OK</font></td></tr>"},
      // A destination typed on the request (code 0), no return time, counts and contact.
      {"TripRequestReport2", "TripRequestReportQuery",
       kRequestQuery + " WHERE TRIPSREQ.TRIPNUM = 2",
       "<tr bgcolor='#FFFFFF'><td><a "
       "href=\"RavadidLarkdale.asp?WCI=RequestDetail&amp;WCE=2&amp;WCU\">2</a></td>"
       "<td>Larkdale High School</td><td colspan='2'>Harbor Cruise, Dock 5</td>"
       "<td>3/6/2026, 7:45&nbsp;AM</td><td>3/6/2026, &nbsp;</td><td>UNAPPROVED</td>"
       "<td>2/11/2026 2:00:00 PM</td><td>ACAD</td><td>LHS-02</td>"
       "</tr><tr bgcolor='#FFFFFF'><td colspan='2'>Ann Lee</td><td>20/2</td><td>10</td>"
       "<td>&nbsp;</td><td>&nbsp;</td><td>N</td><td> </td><td>HS</td><td>Harbor tour</td>"
       "</tr><tr><td colspan='10'></td></tr>"},
      // A cancelled trip: a ticked checkbox that cannot be changed.
      {"TripReport1", "TripReportQuery", kTripQuery,
       "<tr bgcolor=#FFFFFF><td><font size='-2'>1</font></td>"
       "<td><font size='-2'>3/5/2026</font></td>"
       "<td><font size='-2'>Larkdale High School</font></td>"
       "<td><font size='-2'>City Museum of Science</font></td>"
       "<td><font size='-2'>3/5/2026</font></td><td><font size='-2'>8:00&nbsp;AM</font></td>"
       "<td><font size='-2'>2:30&nbsp;PM</font></td>"
       "<td><font size='-2'><input type=checkbox disabled></font></td></tr>"
       "<tr bgcolor=#C0C0C0><td><font size='-2'>2</font></td>"},
      {"TripReport2", "TripReportQuery", kTripQuery,
       "<tr bgcolor=#FFFFFF><td><font size='-2'>1</font></td>"
       "<td><font size='-2'>3/5/2026</font></td>"
       "<td><font size='-2'>Larkdale High School</font></td>"
       "<td colspan='3'><font size='-2'>City Museum of Science</font></td>"
       "<td><font size='-2'>3/5/2026</font></td><td><font size='-2'>8:00&nbsp;AM</font></td>"
       "<td><font size='-2'>&nbsp;</font></td><td><font size='-2'>2:30&nbsp;PM</font></td>"
       "<td><font size='-2'><input type=checkbox disabled></font></td>"
       "</tr><tr bgcolor=#FFFFFF><td><font size='-2'>Ann Lee</font></td>"
       "<td colspan='2'><font size='-2'>Science fair</font></td>"
       "<td><font size='-2'><input type=checkbox disabled></font></td>"
       "<td><font size='-2'>6.50</font></td><td><font size='-2'>25</font></td>"
       "<td><font size='-2'>40</font></td><td><font size='-2'>09</font></td>"
       "<td><font size='-2'><input type=checkbox checked disabled></font></td>"
       "<td><font size='-2'>4</font></td></tr>"},
  };
  for (const Case& c : cases) {
    resultsOnly(c.page);
    FakeExchange ex;
    session(ex, c.queryKey, c.query);
    const std::string body = site_.page(ex, c.page);
    EXPECT_EQ(body.substr(0, std::string(c.row).size()), c.row) << c.page;
  }
}

TEST_F(ReportPagesTest, TripCellsShowCancelledTripsEmptyTimesAndEscapedText) {
  site_.trip(
      "UPDATE TRIPS SET CONTACT = '<b>Reyes</b>', SHUTTLE = 1, ESTMILE = NULL WHERE TRIPNUM = 2");
  resultsOnly("TripReport2");
  FakeExchange ex;
  session(ex, "TripReportQuery", kTripQuery);
  const std::string body = site_.page(ex, "TripReport2");
  const std::size_t trip2 = body.find("<tr bgcolor=#C0C0C0><td><font size='-2'>2<");
  ASSERT_NE(trip2, std::string::npos) << body;
  const std::string rows = body.substr(trip2, body.find("<tr bgcolor=#FFFFFF>", trip2) - trip2);
  for (const char* cell : {
           "<td><font size='-2'><input type=checkbox checked disabled></font></td></tr>",
           "<td><font size='-2'>&lt;b&gt;Reyes&lt;/b&gt;</font></td>",
           "<td colspan='3'><font size='-2'>Aquarium of the Bay, Pier 39</font></td>",
           "<td><font size='-2'>9.00</font></td><td><font size='-2'>0</font></td>",
       })
    EXPECT_NE(rows.find(cell), std::string::npos) << cell << "\n" << rows;
  // Trip 3 comes back without a return time.
  EXPECT_NE(body.find("<td><font size='-2'>9:00&nbsp;AM</font></td><td><font "
                      "size='-2'>&nbsp;</font></td><td><font size='-2'>&nbsp;</font></td>"),
            std::string::npos);
}

TEST_F(ReportPagesTest, AReportWithoutAStoredQuerySaysSoAboveAnEmptyPage) {
  struct Case {
    const char* page;
    const char* message;
  };
  const Case cases[] = {
      {"TripRequestReport1", "Trip Request Report Query must be supplied."},
      {"TripRequestReport2", "Trip Request Report Query must be supplied."},
      {"TripReport1", "Trip Report Query must be supplied."},
      {"TripReport2", "Trip Report Query must be supplied."},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    site_.signIn(ex, "dwu");
    const std::string body = site_.page(ex, c.page);
    EXPECT_NE(body.find(c.message), std::string::npos) << c.page;
    EXPECT_NE(body.find("</html>"), std::string::npos) << c.page;
    EXPECT_NE(body.find("&nbsp;First&nbsp;&nbsp;Previous&nbsp;&nbsp;Next&nbsp;&nbsp;Last&nbsp;"),
              std::string::npos)
        << c.page;
    EXPECT_EQ(body.find("Error in Procedure"), std::string::npos) << c.page;
  }
}

TEST_F(ReportPagesTest, TheApproversQueuePrintsOnTheTwoLineReport) {
  FakeExchange ex;
  site_.signIn(ex, "mgarcia");  // PRINCIPAL of LHS: requests 7 and 2 wait for the principal
  site_.page(ex, "RequestSearch");
  ex.sessionStore.set("PageNumber", Value::integer(1));
  const std::string body = site_.page(ex, "TripRequestReport2");
  EXPECT_EQ(body.find("Error in Procedure"), std::string::npos) << body;
  EXPECT_EQ(shown(body), (Numbers{7, 2}));
  EXPECT_NE(body.find("<td colspan='2'>Coach Reyes</td>"), std::string::npos);
  EXPECT_NE(body.find("<td>2/11/2026 2:00:00 PM</td>"), std::string::npos);
  EXPECT_NE(body.find("Requests waiting for your approval (Customer LHS)."), std::string::npos);
}

TEST_F(ReportPagesTest, TheReportStatesItsFiltersDistrictAndPrintDate) {
  FakeExchange ex;
  site_.signIn(ex, "dwu");
  site_.page(ex, "RequestSearch", "TripRequests",
             {{"btnsubmit", "Search"}, {"Status", "UNAPPROVED"}, {"IntNum", "<x>"}});
  EXPECT_EQ(ex.sessionStore.text("TripRequestReportFilters"),
            "Filters used: Status UNAPPROVED; Internal # <x>.");
  std::string body = site_.page(ex, "TripRequestReport1");
  EXPECT_NE(body.find("Filters used: Status UNAPPROVED; Internal # &lt;x&gt;."), std::string::npos);
  EXPECT_NE(body.find("<h1>Larkdale &lt;Unified&gt;</h1>"), std::string::npos);
  EXPECT_TRUE(
      std::regex_search(body, std::regex("Printed \\d+/\\d+/\\d{4} \\d+:\\d\\d:\\d\\d [AP]M\\.")));
  EXPECT_NE(body.find("action=\"RavadidLarkdale.asp?WCI=TripRequestReport1&amp;WCE="
                      "TripRequestReport1&amp;WCU\""),
            std::string::npos);

  ex.sessionStore.set("TripReportQuery", kTripQuery);
  body = site_.page(ex, "TripReport1");
  EXPECT_NE(body.find("<span class=\"filters-used\"></span>"), std::string::npos);
}

}  // namespace
}  // namespace ravadid

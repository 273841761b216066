#include "search/trip_calendar.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "frame/runtime.h"
#include "support/html_check.h"
#include "support/signed_in_site.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using Texts = std::vector<std::string>;

TEST(TripCalendarMonth, WeeksStartOnSundayAndHoldEveryDayOnce) {
  struct Case {
    const char* month;
    int days;
    CalendarWeek first;
    CalendarWeek last;
    std::size_t weeks;
  };
  const Case cases[] = {
      // Leap February starting on a Thursday.
      {"2024-02", 29, {0, 0, 0, 0, 1, 2, 3}, {25, 26, 27, 28, 29, 0, 0}, 5},
      // Starts on a Sunday.
      {"2026-03", 31, {1, 2, 3, 4, 5, 6, 7}, {29, 30, 31, 0, 0, 0, 0}, 5},
      // Starts on a Saturday: six rows.
      {"2025-11", 30, {0, 0, 0, 0, 0, 0, 1}, {30, 0, 0, 0, 0, 0, 0}, 6},
      // Four rows exactly: 28 days from a Sunday.
      {"2015-02", 28, {1, 2, 3, 4, 5, 6, 7}, {22, 23, 24, 25, 26, 27, 28}, 4},
      // A century that is no leap year.
      {"2100-02", 28, {0, 1, 2, 3, 4, 5, 6}, {28, 0, 0, 0, 0, 0, 0}, 5},
      // December rolls into the next year.
      {"2026-12", 31, {0, 0, 1, 2, 3, 4, 5}, {27, 28, 29, 30, 31, 0, 0}, 5},
  };
  for (const Case& c : cases) {
    const CalendarMonth month = *parseMonth(c.month);
    const std::vector<CalendarWeek> weeks = monthWeeks(month);
    EXPECT_EQ(daysInMonth(month), c.days) << c.month;
    ASSERT_EQ(weeks.size(), c.weeks) << c.month;
    EXPECT_EQ(weeks.front(), c.first) << c.month;
    EXPECT_EQ(weeks.back(), c.last) << c.month;
    EXPECT_EQ(weekOfDay(month, c.days), static_cast<int>(c.weeks)) << c.month;
  }
}

TEST(TripCalendarMonth, OnlyYearDashMonthIsAMonth) {
  EXPECT_EQ(parseMonth("2026-03"), (CalendarMonth{2026, 3}));
  EXPECT_EQ(parseMonth("1900-01"), (CalendarMonth{1900, 1}));
  for (const char* bad : {"", "2026-3", "2026-13", "2026-00", "26-03", "2026/03", "2026-03x",
                          " 2026-03", "1899-12", "-026-03", "2026-+3", "' OR 1=1"})
    EXPECT_FALSE(parseMonth(bad)) << bad;
  EXPECT_EQ(monthParameter(previousMonth({2026, 1})), "2025-12");
  EXPECT_EQ(monthTitle(nextMonth({2025, 12})), "January 2026");
}

class TripCalendarPageTest : public ::testing::Test {
 protected:
  // Signs the user in with the sample district's password.
  void signIn(FakeExchange& ex, const std::string& user) {
    site_.signIn(ex, user, user == "k.o'brien" ? "shamrock" : "pw");
  }
  std::string calendar(const std::string& user, const FakeExchange::Items& query) {
    FakeExchange ex;
    signIn(ex, user);
    return site_.page(ex, "TripCalendar", "", {}, query);
  }
  std::string march(const std::string& user) { return calendar(user, {{"month", "2026-03"}}); }

  // The month grid's part of the page.
  static std::string grid(const std::string& body) {
    const std::size_t start = body.find("<table class=\"month-grid\"");
    return start == std::string::npos ? std::string()
                                      : body.substr(start, body.find("</table>", start) - start);
  }

  // "Trip 1", "Request 7", ... as the month grid lists them.
  static Texts items(const std::string& body) {
    static const std::regex item("item-number\">((Trip|Request) \\d+)</span>");
    const std::string month = grid(body);
    Texts found;
    for (auto it = std::sregex_iterator(month.begin(), month.end(), item);
         it != std::sregex_iterator(); ++it)
      found.push_back((*it)[1]);
    return found;
  }

  // The opening of a day's cell in the month grid.
  static std::string dayCell(const std::string& body, int day) {
    const std::string month = grid(body);
    const std::string link =
        "DepFrom=2026-03-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "&amp;";
    const std::size_t at = month.find(link);
    if (at == std::string::npos) return "<no day>";
    const std::size_t open = month.rfind("<td", at);
    return month.substr(open, month.find("</td>", at) - open);
  }

  testing::SignedInSite site_;
};

TEST_F(TripCalendarPageTest, EachUserSeesTheRequestsAndTripsOfTheCustomersTheyMaySee) {
  struct Case {
    const char* user;
    bool viewOtherSchools;
    Texts shown;
  };
  // A request made into a trip that exists (requests 1 and 4) is shown once, as the trip. On
  // one day, lines without a time come first, then by time.
  const Texts everything = {"Trip 1", "Request 7", "Trip 2",    "Request 2",
                            "Trip 3", "Trip 4",    "Request 3", "Request 6"};
  const Case cases[] = {
      {"dwu", false, everything},
      {"tnull", false, everything},
      {"mgarcia", false, {"Trip 1", "Request 7", "Trip 2", "Request 2", "Request 6"}},
      {"k.o'brien", false, {"Trip 4", "Request 3"}},
      {"josé.nuñez", false, {"Trip 3"}},
      {"mgarcia", true, everything},
  };
  for (const Case& c : cases) {
    site_.start();
    site_.setting("VIEW_OTHER_SCHOOLS", c.viewOtherSchools ? "True" : "False");
    EXPECT_EQ(items(march(c.user)), c.shown) << c.user << " " << c.viewOtherSchools;
  }
}

TEST_F(TripCalendarPageTest, ItemsShowTimeCustomerDestinationAndStatusColour) {
  const std::string body = march("dwu");
  for (const char* fragment : {
           "<li class=\"item status-trip\"><span class=\"item-time\">8:00&nbsp;AM</span> <span "
           "class=\"item-number\">Trip 1</span> <span class=\"item-customer\">Larkdale High "
           "School</span> <span class=\"item-destination\">City Museum of Science</span> <span "
           "class=\"item-status\">Scheduled</span></li>",
           "<li class=\"item status-cancelled\"><span class=\"item-time\">7:15&nbsp;AM</span>",
           // A destination typed on the request (code 0).
           "<span class=\"item-number\">Request 2</span> <span class=\"item-customer\">Larkdale "
           "High School</span> <span class=\"item-destination\">Harbor Cruise, Dock 5</span>",
           "<li class=\"item status-unapproved\">",
           "<li class=\"item status-denied\">",
           "<span class=\"item-customer\">O&#39;Brien Elementary</span>",
           "class=\"item-status\">Coach OK</span>",
       })
    EXPECT_NE(body.find(fragment), std::string::npos) << fragment;
  EXPECT_EQ(body.find("WC@"), std::string::npos);
  EXPECT_EQ(body.find("Error in Procedure"), std::string::npos) << body;
  EXPECT_EQ(testing::htmlProblems(body), std::vector<std::string>{});
}

TEST_F(TripCalendarPageTest, ClosedAndWarningDaysAreMarkedAsTheCalendarCheckReadsThem) {
  site_.trip(
      "INSERT INTO Big_CalCalNotes (NoteDate, NoteText, NoteLongText, NoteSeverity, "
      "Note_SchoolClosed) VALUES "
      "('2026-03-10 00:00:00', 'Assembly', NULL, 1, 0),"
      "('2026-03-11 10:00:00', 'Not a whole day', NULL, 3, 1),"
      "('2026-03-13 00:00:00', 'First note', NULL, 2, 0),"
      "('2026-03-13 00:00:00', 'Second note', NULL, 3, 1),"
      "('2026-04-01 00:00:00', 'Next month', NULL, 3, 1);");
  struct Case {
    int day;
    const char* opening;
    const char* note;  // nullptr: no note shown
  };
  const Case cases[] = {
      {5, "<td class=\"day warning\">",
       "<p class=\"note note-warning\"><strong>Warning</strong>: Teacher in-service <span "
       "class=\"note-detail\">Buses run a reduced schedule</span></p>"},
      {20, "<td class=\"day closed\">",
       "<p class=\"note note-closed\"><strong>Closed</strong>: Spring break <span "
       "class=\"note-detail\">District offices closed</span></p>"},
      {10, "<td class=\"day\">", nullptr},
      {11, "<td class=\"day\">", nullptr},
      {13, "<td class=\"day warning\">", "<strong>Warning</strong>: First note</p>"},
      {31, "<td class=\"day\">", nullptr},
  };
  const std::string body = march("dwu");
  for (const Case& c : cases) {
    const std::string cell = dayCell(body, c.day);
    EXPECT_EQ(cell.rfind(c.opening, 0), 0u) << c.day << ": " << cell;
    if (c.note) {
      EXPECT_NE(cell.find(c.note), std::string::npos) << c.day << ": " << cell;
    } else {
      EXPECT_EQ(cell.find("class=\"note"), std::string::npos) << c.day << ": " << cell;
    }
  }
}

TEST_F(TripCalendarPageTest, ADayLinksToTheRequestsDepartingThatDay) {
  const std::string body = march("dwu");
  EXPECT_NE(dayCell(body, 5).find(
                "<a class=\"day-link\" href=\"RavadidLarkdale.asp?WCI=RequestSearch&amp;"
                "WCE=TripRequests&amp;WCU&amp;DepFrom=2026-03-05&amp;DepTo=2026-03-05\">5<span "
                "class=\"visually-hidden\"> Thursday, March 5: requests</span></a>"),
            std::string::npos)
      << dayCell(body, 5);

  // Following the link lists that day's requests, within the user's customer.
  struct Case {
    const char* user;
    const char* date;
    Texts requests;
  };
  const Case cases[] = {
      {"dwu", "2026-03-05", {"1", "4"}},
      {"dwu", "2026-03-06", {"7", "2"}},
      {"mgarcia", "2026-03-05", {"1"}},
      {"k.o'brien", "2026-03-05", {}},
  };
  static const std::regex link("WCI=RequestDetail&amp;WCE=(\\d+)&amp;WCU");
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, c.user);
    const std::string list = site_.page(ex, "RequestSearch", "TripRequests", {},
                                        {{"DepFrom", c.date}, {"DepTo", c.date}});
    Texts found;
    for (auto it = std::sregex_iterator(list.begin(), list.end(), link);
         it != std::sregex_iterator(); ++it)
      found.push_back((*it)[1]);
    EXPECT_EQ(found, c.requests) << c.user << " " << c.date;
  }
}

TEST_F(TripCalendarPageTest, ValuesFromTheDatabaseAreEscaped) {
  site_.trip(
      "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, ACTIVE) VALUES ('X&Y', '<b>Tom & Jerry</b>', 1);"
      "INSERT INTO DESTINATION (DESTINATION, DESTDESC, ACTIVE) VALUES (77, '\"Quoted\" <i>', 1);"
      "INSERT INTO TRIPS (TRIPNUM, CUSTOMER, DESTINATION, DEPDATE, CANCELED) VALUES "
      "(9, 'X&Y', 77, '2026-03-17 00:00:00', 0);"
      "INSERT INTO Big_CalCalNotes (NoteDate, NoteText, NoteLongText, NoteSeverity) VALUES "
      "('2026-03-17 00:00:00', '<script>alert(1)</script>', 'a & b', 2);");
  site_.requests(
      "INSERT INTO TRIPSREQ (TRIPNUM, CUSTOMER, DESTINATION, DESTDESC, depdate, Status) VALUES "
      "(40, 'X&Y', 0, '<img src=x>', '2026-03-17 00:00:00', '<u>Odd</u>');");
  const std::string cell = dayCell(march("dwu"), 17);
  for (const char* fragment :
       {"<span class=\"item-customer\">&lt;b&gt;Tom &amp; Jerry&lt;/b&gt;</span>",
        "<span class=\"item-destination\">&quot;Quoted&quot; &lt;i&gt;</span>",
        "<span class=\"item-destination\">&lt;img src=x&gt;</span>",
        "<span class=\"item-status\">&lt;u&gt;Odd&lt;/u&gt;</span>",
        "&lt;script&gt;alert(1)&lt;/script&gt; <span class=\"note-detail\">a &amp; b</span>"})
    EXPECT_NE(cell.find(fragment), std::string::npos) << fragment << "\n" << cell;
  for (const char* raw : {"<b>", "<i>", "<img", "<u>", "<script"})
    EXPECT_EQ(cell.find(raw), std::string::npos) << raw;
}

TEST_F(TripCalendarPageTest, TheMonthAndWeekComeFromTheLinkOrToday) {
  const double today = vb::Today();
  const CalendarMonth current = monthOf(today);
  struct Case {
    FakeExchange::Items query;
    std::string title;  // "" when the page answers with the month message
    std::string weekTitle;
  };
  const std::string thisWeek = "Week " + std::to_string(weekOfDay(current, vb::Day(today))) +
                               " of " + std::to_string(monthWeeks(current).size());
  const Case cases[] = {
      {{}, monthTitle(current), thisWeek},
      {{{"month", "2026-03"}}, "March 2026", "Week 1 of 5"},
      {{{"month", "2026-03"}, {"week", "4"}}, "March 2026", "Week 4 of 5"},
      {{{"month", "2026-03"}, {"week", "6"}}, "March 2026", "Week 1 of 5"},
      {{{"month", "2026-03"}, {"week", "x"}}, "March 2026", "Week 1 of 5"},
      {{{"month", "2026-13"}}, "", ""},
      {{{"month", "2026-03' OR '1'='1"}}, "", ""},
  };
  for (const Case& c : cases) {
    const std::string body = calendar("dwu", c.query);
    if (c.title.empty()) {
      EXPECT_NE(body.find("Please choose a month as YYYY-MM, for example 2026-03."),
                std::string::npos)
          << body;
      EXPECT_EQ(grid(body), "");
      continue;
    }
    EXPECT_NE(body.find("<h2>Trip Calendar: " + c.title + "</h2>"), std::string::npos) << body;
    EXPECT_NE(body.find("<span class=\"week-title\">" + c.weekTitle + "</span>"), std::string::npos)
        << c.title << " " << c.weekTitle;
  }
  // Today is marked in its own month only.
  EXPECT_NE(calendar("dwu", {}).find("aria-current=\"date\""), std::string::npos);
  const CalendarMonth other =
      current.year == 2026 && current.month == 3 ? CalendarMonth{2026, 4} : CalendarMonth{2026, 3};
  EXPECT_EQ(calendar("dwu", {{"month", monthParameter(other)}}).find("aria-current=\"date\""),
            std::string::npos);
}

TEST_F(TripCalendarPageTest, WithoutASignedInUserTheCalendarIsNotShown) {
  FakeExchange ex;
  const std::string body = site_.page(ex, "TripCalendar", "", {}, {{"month", "2026-03"}});
  EXPECT_EQ(grid(body), "");
  EXPECT_NE(body.find("Sorry, your session has timed out"), std::string::npos) << body;
}

}  // namespace
}  // namespace ravadid

#include "forms/date_time_selectors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/application.h"
#include "frame/pages.h"
#include "frame/runtime.h"
#include "frame/web_application.h"
#include "support/fake_exchange.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::TempInstallation;

size_t occurrences(const std::string& text, const std::string& fragment) {
  size_t count = 0;
  for (size_t at = text.find(fragment); at != std::string::npos;
       at = text.find(fragment, at + fragment.size()))
    ++count;
  return count;
}

bool contains(const std::string& text, const std::string& fragment) {
  return text.find(fragment) != std::string::npos;
}

double at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return vb::DateSerial(year, month, day) + vb::TimeSerial(hour, minute, second);
}

// A fixed "today" for the year lists: 15 June 2030, so the window is 2029 to 2040.
const double kToday = at(2030, 6, 15);

TEST(SelectorDateLists, MonthListInFull) {
  EXPECT_EQ(BuildMonthDD(at(2024, 3, 5), "Dep", "tabindex=3"),
            "<span  class=HOMEPAGEFONT><select class=HOMEPAGEFONT name='Dep_month' size='1' "
            "style='height: 23; width: 52' tabindex=3>"
            "<option value = 'Jan'>Jan</option><option value = 'Feb'>Feb</option>"
            "<option selected value = 'Mar'>Mar</option><option value = 'Apr'>Apr</option>"
            "<option value = 'May'>May</option><option value = 'Jun'>Jun</option>"
            "<option value = 'Jul'>Jul</option><option value = 'Aug'>Aug</option>"
            "<option value = 'Sep'>Sep</option><option value = 'Oct'>Oct</option>"
            "<option value = 'Nov'>Nov</option><option value = 'Dec'>Dec</option>"
            "</select></span>");
}

TEST(SelectorDateLists, BlankDateLeadsWithTheSelectedBlankOptionAndMarksNothingElse) {
  struct Case {
    const char* list;
    std::string html;
    std::string opening;
  };
  const Case cases[] = {
      {"month", BuildMonthDD(kBlankDate, "Rtn", ""),
       "<span  class=HOMEPAGEFONT><select class=HOMEPAGEFONT name='Rtn_month' size='1' "
       "style='height: 23; width: 52' ><option selected value = ' '></option>"
       "<option value = 'Jan'>Jan</option>"},
      {"day", BuildDayDD(kBlankDate, "Rtn", ""),
       "<span  class=HOMEPAGEFONT><select class=HOMEPAGEFONT name='Rtn_date' size='1' "
       "style='height: 23; width: 44' ><option selected value = ' '></option>"
       "<option value = '1'>1</option>"},
      {"year", BuildYearDD(kBlankDate, "Rtn", "", kToday),
       "<span  class=HOMEPAGEFONT><select class=HOMEPAGEFONT name='Rtn_year' size='1' "
       "style='height: 23; width: 53' ><option selected value = ' '></option>"
       "<option value='2029'>2029</option>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.html.rfind(c.opening, 0), 0u) << c.list << ": " << c.html;
    EXPECT_EQ(occurrences(c.html, "selected"), 1u) << c.list;
    EXPECT_EQ(c.html.substr(c.html.size() - 16), "</select></span>") << c.list;
  }
  // The blank date's own year (1969) is not offered.
  EXPECT_FALSE(contains(BuildYearDD(kBlankDate, "Rtn", "", kToday), "1969"));
}

TEST(SelectorDateLists, DayZeroIsADateLikeAnyOther) {
  // 30 December 1899 is day 0: a real date, shown without the blank option.
  struct Case {
    const char* list;
    std::string html;
    std::string marked;
  };
  const Case cases[] = {
      {"month", BuildMonthDD(0.0, "Dep", ""), "<option selected value = 'Dec'>Dec</option>"},
      {"day", BuildDayDD(0.0, "Dep", ""), "<option selected value = '30'>30</option>"},
      {"year", BuildYearDD(0.0, "Dep", "", kToday), "<option selected value='1899'>1899</option>"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(contains(c.html, "value = ' '")) << c.list;
    EXPECT_TRUE(contains(c.html, c.marked)) << c.list << ": " << c.html;
    EXPECT_EQ(occurrences(c.html, "selected"), 1u) << c.list;
  }
}

TEST(SelectorDateLists, DayListOffersOneToThirtyOneWithoutLeadingZeros) {
  const std::string html = BuildDayDD(at(2024, 1, 31), "Dep", "");
  EXPECT_TRUE(contains(html, "<option value = '1'>1</option><option value = '2'>2</option>"));
  EXPECT_TRUE(contains(html,
                       "<option value = '30'>30</option>"
                       "<option selected value = '31'>31</option></select></span>"));
  EXPECT_EQ(occurrences(html, "<option"), 31u);
  EXPECT_TRUE(contains(BuildDayDD(at(2024, 2, 7), "Dep", ""),
                       "<option value = '6'>6</option><option selected value = '7'>7</option>"));
}

// The years offered, in order, and the one marked selected ("" for none).
struct YearList {
  std::vector<std::string> years;
  std::string selected;
};

YearList yearsIn(const std::string& html) {
  YearList list;
  const std::string plain = "<option value='";
  const std::string marked = "<option selected value='";
  for (size_t pos = html.find("<option"); pos != std::string::npos;
       pos = html.find("<option", pos + 1)) {
    const bool isMarked = html.compare(pos, marked.size(), marked) == 0;
    if (!isMarked && html.compare(pos, plain.size(), plain) != 0) continue;
    const size_t begin = pos + (isMarked ? marked.size() : plain.size());
    const std::string year = html.substr(begin, html.find('\'', begin) - begin);
    list.years.push_back(year);
    if (isMarked) list.selected = year;
  }
  return list;
}

std::vector<std::string> yearTexts(int first, int last) {
  std::vector<std::string> years;
  for (int y = first; y <= last; ++y) years.push_back(std::to_string(y));
  return years;
}

TEST(SelectorYearList, OffersLastYearToTenYearsAheadAndKeepsAStoredYearOutsideThat) {
  std::vector<std::string> window = yearTexts(2029, 2040);
  std::vector<std::string> withEarlier = yearTexts(2028, 2040);
  std::vector<std::string> withLater = yearTexts(2029, 2041);
  std::vector<std::string> withOld = window;
  withOld.insert(withOld.begin(), "2014");
  struct Case {
    const char* what;
    double value;
    std::vector<std::string> years;
    std::string selected;
  };
  const Case cases[] = {
      {"blank date", kBlankDate, window, ""},
      {"first year of the window", at(2029, 1, 1), window, "2029"},
      {"this year", at(2030, 12, 31), window, "2030"},
      {"last year of the window", at(2040, 7, 4), window, "2040"},
      {"year before the window", at(2028, 5, 1), withEarlier, "2028"},
      {"year after the window", at(2041, 5, 1), withLater, "2041"},
      {"old stored trip", at(2014, 9, 30), withOld, "2014"},
  };
  for (const auto& c : cases) {
    YearList list = yearsIn(BuildYearDD(c.value, "Dep", "", kToday));
    EXPECT_EQ(list.years, c.years) << c.what;
    EXPECT_EQ(list.selected, c.selected) << c.what;
  }
}

TEST(SelectorYearList, WindowFollowsTheCalendar) {
  EXPECT_EQ(yearsIn(BuildYearDD(kBlankDate, "Dep", "", at(2025, 12, 31))).years,
            yearTexts(2024, 2035));
  EXPECT_EQ(yearsIn(BuildYearDD(kBlankDate, "Dep", "", at(2026, 1, 1))).years,
            yearTexts(2025, 2036));
  // Without an explicit today the window starts at last year.
  const int thisYear = vb::Year(vb::Today());
  EXPECT_EQ(yearsIn(BuildYearDD(kBlankDate, "Dep", "")).years,
            yearTexts(thisYear - 1, thisYear + 10));
}

TEST(SelectorYearList, YearOptionsHaveNoBlanksAroundTheEqualsSign) {
  EXPECT_TRUE(contains(BuildYearDD(at(2031, 3, 1), "Dep", "", kToday),
                       "<option value='2030'>2030</option>"
                       "<option selected value='2031'>2031</option>"
                       "<option value='2032'>2032</option>"));
}

TEST(SelectorTimeList, TimeListInFull) {
  EXPECT_EQ(BuildTimeDD(at(1899, 12, 30, 14, 35), "DEP", "class=t"),
            "<select name='DEP_HOUR' class=t>"
            "<option value = '1'>1</option><option selected value = '2'>2</option>"
            "<option value = '3'>3</option><option value = '4'>4</option>"
            "<option value = '5'>5</option><option value = '6'>6</option>"
            "<option value = '7'>7</option><option value = '8'>8</option>"
            "<option value = '9'>9</option><option value = '10'>10</option>"
            "<option value = '11'>11</option><option value = '12'>12</option>"
            "</select>"
            "<select name='DEP_MIN' class=t >"
            "<option value = '0'>00</option><option value = '5'>05</option>"
            "<option value = '10'>10</option><option value = '15'>15</option>"
            "<option value = '20'>20</option><option value = '25'>25</option>"
            "<option value = '30'>30</option><option selected value = '35'>35</option>"
            "<option value = '40'>40</option><option value = '45'>45</option>"
            "<option value = '50'>50</option><option value = '55'>55</option>"
            "</select>"
            "<INPUT TYPE=radio  name='DEP_AMPM'  VALUE='AM' class=t>am"
            "<INPUT TYPE=radio  name='DEP_AMPM'  VALUE='PM' CHECKED class=t>pm");
}

TEST(SelectorTimeList, HourMinuteAndHalfOfDay) {
  const std::string am = "VALUE='AM' CHECKED >am";
  const std::string pm = "VALUE='PM' CHECKED >pm";
  struct Case {
    const char* what;
    double value;
    const char* prefix;
    std::string hour;    // marked hour option, "" for none
    std::string minute;  // marked minute option, "" for none
    std::string half;
  };
  const Case cases[] = {
      {"noon", at(1899, 12, 30, 12, 0), "DEP", "12", "0", pm},
      {"midnight on day 0 is not blank", 0.0, "RET", "12", "0", am},
      {"one second past midnight", at(2024, 3, 5, 0, 0, 1), "DEP", "12", "0", am},
      {"morning", at(1899, 12, 30, 9, 5), "ARRIVE", "9", "5", am},
      {"one in the afternoon", at(1899, 12, 30, 13, 55), "LEAVE", "1", "55", pm},
      {"last hour", at(1899, 12, 30, 23, 30), "DEP", "11", "30", pm},
      {"minute between steps", at(1899, 12, 30, 10, 7), "DEP", "10", "", am},
      {"one second past the minute", at(1899, 12, 30, 16, 45, 1), "ARRIVE", "4", "45", pm},
      {"blank return", kBlankDate, "RET", "", "", pm},
      {"blank return, lower case", kBlankDate, "ret", "", "", pm},
      {"blank leave", kBlankDate, "LEAVE", "", "", pm},
      {"blank departure", kBlankDate, "DEP", "", "", am},
      {"blank arrival", kBlankDate, "ARRIVE", "", "", am},
  };
  for (const auto& c : cases) {
    const std::string html = BuildTimeDD(c.value, c.prefix, "");
    const std::string hourList = html.substr(0, html.find("</select>"));
    const std::string minuteList = html.substr(html.find("</select>") + 9);
    const std::string prefix = c.prefix;
    if (c.hour.empty()) {
      EXPECT_EQ(hourList.rfind("<select name='" + prefix +
                                   "_HOUR' ><option selected value = ' '></option>"
                                   "<option value = '1'>",
                               0),
                0u)
          << c.what << ": " << html;
    } else {
      EXPECT_TRUE(contains(hourList, "<option selected value = '" + c.hour + "'>" + c.hour + "<"))
          << c.what << ": " << html;
    }
    EXPECT_EQ(occurrences(hourList, "selected"), 1u) << c.what;
    if (c.minute.empty()) {
      EXPECT_EQ(occurrences(minuteList.substr(0, minuteList.find("</select>")), "selected"),
                c.value == kBlankDate ? 1u : 0u)
          << c.what << ": " << html;
    } else {
      EXPECT_TRUE(contains(minuteList, "<option selected value = '" + c.minute + "'>"))
          << c.what << ": " << html;
    }
    EXPECT_TRUE(contains(html, c.half)) << c.what << ": " << html;
    EXPECT_EQ(occurrences(html, "CHECKED"), 1u) << c.what;
  }
}

TEST(SelectorTimeList, BlankTimeLeadsBothListsWithTheBlankOption) {
  EXPECT_EQ(BuildTimeDD(kBlankDate, "LEAVE", ""),
            "<select name='LEAVE_HOUR' ><option selected value = ' '></option>"
            "<option value = '1'>1</option><option value = '2'>2</option>"
            "<option value = '3'>3</option><option value = '4'>4</option>"
            "<option value = '5'>5</option><option value = '6'>6</option>"
            "<option value = '7'>7</option><option value = '8'>8</option>"
            "<option value = '9'>9</option><option value = '10'>10</option>"
            "<option value = '11'>11</option><option value = '12'>12</option>"
            "</select>"
            "<select name='LEAVE_MIN'  ><option selected value = ' '></option>"
            "<option value = '0'>00</option><option value = '5'>05</option>"
            "<option value = '10'>10</option><option value = '15'>15</option>"
            "<option value = '20'>20</option><option value = '25'>25</option>"
            "<option value = '30'>30</option><option value = '35'>35</option>"
            "<option value = '40'>40</option><option value = '45'>45</option>"
            "<option value = '50'>50</option><option value = '55'>55</option>"
            "</select>"
            "<INPUT TYPE=radio  name='LEAVE_AMPM'  VALUE='AM' >am"
            "<INPUT TYPE=radio  name='LEAVE_AMPM'  VALUE='PM' CHECKED >pm");
}

TEST(SelectorAttributes, AttributesGoIntoEveryOpeningTag) {
  const std::string attributes = "onchange=\"touched()\" tabindex=4";
  struct Case {
    const char* builder;
    std::string html;
    size_t openingTags;
  };
  const Case cases[] = {
      {"month", BuildMonthDD(at(2024, 3, 5), "Dep", attributes), 1},
      {"day", BuildDayDD(at(2024, 3, 5), "Dep", attributes), 1},
      {"year", BuildYearDD(at(2024, 3, 5), "Dep", attributes, kToday), 1},
      {"time", BuildTimeDD(at(1899, 12, 30, 8, 15), "ARRIVE", attributes), 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(occurrences(c.html, attributes), c.openingTags) << c.builder;
    EXPECT_EQ(occurrences(c.html, attributes + ">") + occurrences(c.html, attributes + " >"),
              c.openingTags)
        << c.builder;
  }
}

class DateTimeFormatters : public ::testing::Test {
 protected:
  DateTimeFormatters()
      : site_(testing::TempInstallation::Data::None),
        web_(site_.installation(), makeStandardPages()) {}

  TempInstallation site_;
  WebApplication web_;
};

TEST_F(DateTimeFormatters, TimeTextPrintsWithoutSeconds) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"", "&nbsp;"},
      {" ", "&nbsp;"},
      {"     ", "&nbsp;"},
      {"10:30:00 AM", "10:30&nbsp;AM"},
      {"9:05:00 PM", "9:05&nbsp;PM"},
      {"12:00:00 AM", "12:00&nbsp;AM"},
      {"abcdef", "&nbsp;ef"},  // six characters: nothing before the cut
  };
  for (const auto& c : cases) {
    FakeExchange exchange;
    Ravadid app(web_, exchange);
    EXPECT_EQ(getTIME(app, c.text), c.expected) << "'" << c.text << "'";
    EXPECT_EQ(exchange.body, "") << "'" << c.text << "'";
    EXPECT_TRUE(app.noError());
  }
}

TEST_F(DateTimeFormatters, TimeOfADatePrintsAsGetTimePrintsItsText) {
  const double values[] = {
      at(1899, 12, 30, 10, 30),  // a time alone
      at(1899, 12, 30, 0, 0),    // day 0 at midnight: "12:00:00 AM"
      at(1899, 12, 30, 23, 59, 59),
      at(1899, 12, 30, 12, 0),  // noon
      at(1899, 12, 30, 1, 5),
      1 - 1.0 / (4 * 86400),  // rounds up into the next day
      at(2026, 3, 5, 14, 5),  // a date with a time keeps the date
      at(2026, 3, 5),         // a date alone loses its middle
      at(2026, 12, 31),
      -1.25,  // before day 0
  };
  for (double value : values) {
    FakeExchange exchange;
    Ravadid app(web_, exchange);
    std::string appended = "x";
    appendTimeOfDate(appended, value);
    EXPECT_EQ(appended, "x" + getTIME(app, vb::formatDate(value))) << vb::formatDate(value);
    EXPECT_TRUE(app.noError());
  }
}

TEST_F(DateTimeFormatters, TimeTextIsEscapedForTheTable) {
  FakeExchange exchange;
  Ravadid app(web_, exchange);
  EXPECT_EQ(getTIME(app, "<b>10:30:00 <i"), "&lt;b&gt;10:30&nbsp;&lt;i");
}

TEST_F(DateTimeFormatters, ShortTimeTextIsReportedUnderGetTime) {
  const std::string report =
      "Error in Procedure: getTIME of Module: Ravadid.  Error: 5.  "
      "Invalid procedure call or argument.";
  for (const char* text : {"1", "10:30", " 9AM "}) {
    FakeExchange exchange;
    Ravadid app(web_, exchange);
    EXPECT_EQ(getTIME(app, text), "") << text;
    EXPECT_EQ(app.errorText(), report) << text;
    EXPECT_EQ(exchange.body, report) << text;  // written at the exit step
  }
}

TEST_F(DateTimeFormatters, DatePrintsAsMonthDayTwoDigitYear) {
  struct Case {
    double date;
    std::string expected;
  };
  const Case cases[] = {
      {at(2009, 12, 31), "12/31/09"},     {at(2024, 3, 5), "3/5/24"},
      {at(2024, 3, 5, 17, 45), "3/5/24"},  // a time of day does not show
      {at(2000, 1, 1), "1/1/00"},         {0.0, "12/30/99"},
  };
  for (const auto& c : cases) {
    FakeExchange exchange;
    Ravadid app(web_, exchange);
    EXPECT_EQ(getDATE(app, c.date), c.expected);
    EXPECT_TRUE(app.noError());
  }
}

TEST_F(DateTimeFormatters, DateOutsideTheCalendarIsReportedUnderGetDate) {
  FakeExchange exchange;
  Ravadid app(web_, exchange);
  EXPECT_EQ(getDATE(app, 1e12), "");
  EXPECT_EQ(app.errorText(),
            "Error in Procedure: getDATE of Module: Ravadid.  Error: 6.  Overflow.");
  EXPECT_EQ(exchange.body, app.errorText());
}

}  // namespace
}  // namespace ravadid

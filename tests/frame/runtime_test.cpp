#include "frame/runtime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/errors.h"
#include "frame/store.h"

namespace ravadid::vb {
namespace {

using ravadid::CaseInsensitiveEqual;
using ravadid::CaseInsensitiveHash;

constexpr double kMarch5th2024 = 45356.0;
constexpr double kBlankDate = 25253.0;  // 19 February 1969
constexpr double kSecond = 1.0 / 86400.0;

// The error number a call raises, or 0 when it returns.
template <typename F>
long errorNumberOf(F&& call) {
  try {
    call();
  } catch (const VbError& e) {
    return e.number();
  }
  return 0;
}

Value list(std::vector<std::string> entries) {
  return Value::list(std::make_shared<const std::vector<std::string>>(std::move(entries)));
}

// ---- Whole numbers ------------------------------------------------------------------------

TEST(RuntimeWholeNumbers, HalvesRoundToTheEvenNeighbour) {
  struct Case {
    double in;
    int expected;
  } cases[] = {{2.5, 2}, {3.5, 4},         {-2.5, -2}, {-3.5, -4}, {0.5, 0},
               {1.5, 2}, {2.4, 2},         {2.6, 3},   {-0.5, 0},  {-1.5, -2},
               {0.0, 0}, {32766.5, 32766}, {-2.6, -3}, {-2.4, -2}, {7.0, 7}};
  for (const Case& c : cases) {
    EXPECT_EQ(CInt(Value::number(c.in)), c.expected) << c.in;
    EXPECT_EQ(CLng(Value::number(c.in)), c.expected) << c.in;
    EXPECT_EQ(roundHalfEven(c.in), c.expected) << c.in;
  }
}

TEST(RuntimeWholeNumbers, CIntOverflowsOutsideSixteenBits) {
  EXPECT_EQ(CInt(Value::number(32767.4)), 32767);
  EXPECT_EQ(CInt(Value::number(-32768.5)), -32768);  // rounds to even, inside the range
  EXPECT_EQ(CInt(Value("-32768")), -32768);
  for (double out : {32767.5, 32768.0, -32768.6, -32769.0, 1e10}) {
    EXPECT_EQ(errorNumberOf([&] { CInt(Value::number(out)); }), vberr::kOverflow) << out;
  }
  EXPECT_EQ(errorNumberOf([] { CInt(Value::whole(40000)); }), vberr::kOverflow);
  EXPECT_EQ(errorNumberOf([] { CInt(Value("32768")); }), vberr::kOverflow);
}

TEST(RuntimeWholeNumbers, CLngOverflowsOutsideThirtyTwoBits) {
  EXPECT_EQ(CLng(Value::number(2147483647.0)), 2147483647);
  EXPECT_EQ(CLng(Value::number(-2147483648.5)), std::numeric_limits<int32_t>::min());
  for (double out : {2147483647.5, 2147483648.0, -2147483648.6, 1e300}) {
    EXPECT_EQ(errorNumberOf([&] { CLng(Value::number(out)); }), vberr::kOverflow) << out;
  }
  EXPECT_EQ(errorNumberOf([] { CLng(Value("99999999999")); }), vberr::kOverflow);
  EXPECT_EQ(errorNumberOf([] { CLng(Value::number(std::nan(""))); }), vberr::kOverflow);
}

TEST(RuntimeWholeNumbers, ConvertsEveryKindOfValue) {
  struct Case {
    Value in;
    int expected;
  } cases[] = {
      {Value(), 0},
      {Value::boolean(true), -1},
      {Value::boolean(false), 0},
      {Value::integer(-7), -7},
      {Value::whole(1234), 1234},
      {Value::single(2.5f), 2},
      {Value::date(kBlankDate + 0.75), 25254},
      {Value(" 12 "), 12},
      {Value("2.5"), 2},
      {Value("3.5"), 4},
      {Value("1,234"), 1234},
      {Value("$15"), 15},
      {Value("-$15"), -15},
      {Value("1E3"), 1000},
      {Value("&H1F"), 31},
      {Value("&hff"), 255},
      {Value("&HFFFF"), -1},  // four hex digits are a 16-bit number
      {Value("&H7FFF"), 32767},
  };
  for (const Case& c : cases) EXPECT_EQ(CInt(c.in), c.expected) << CStr(c.in);
  EXPECT_EQ(CLng(Value("&H10000")), 65536);
  EXPECT_EQ(CLng(Value("&HFFFFFFFF")), -1);
}

TEST(RuntimeWholeNumbers, NonNumbersAreTypeMismatchAndNullIsInvalidUse) {
  for (const char* text : {"", " ", "abc", "12abc", "1 2", "3/5/2024", "True", "--1", "&H", "1e"}) {
    EXPECT_EQ(errorNumberOf([&] { CInt(Value(text)); }), vberr::kTypeMismatch) << text;
    EXPECT_EQ(errorNumberOf([&] { CLng(Value(text)); }), vberr::kTypeMismatch) << text;
  }
  EXPECT_EQ(errorNumberOf([] { CLng(list({"", "A"})); }), vberr::kTypeMismatch);
  EXPECT_EQ(errorNumberOf([] { CInt(Value::null()); }), vberr::kInvalidUseOfNull);
  EXPECT_EQ(errorNumberOf([] { CLng(Value::null()); }), vberr::kInvalidUseOfNull);
  try {
    CInt(Value("x"));
    FAIL() << "no error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.description(), "Type mismatch");
  }
  try {
    CInt(Value::number(1e6));
    FAIL() << "no error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.description(), "Overflow");
  }
}

// ---- Numbers ------------------------------------------------------------------------------

TEST(RuntimeNumbers, RecognisesTheNumberForms) {
  struct Case {
    const char* text;
    std::optional<double> expected;
  } cases[] = {
      {"0", 0.0},
      {"42", 42.0},
      {"  42  ", 42.0},
      {"\t42", 42.0},
      {"+7", 7.0},
      {"-7", -7.0},
      {"1.5", 1.5},
      {".5", 0.5},
      {"5.", 5.0},
      {"-.25", -0.25},
      {"1,234.5", 1234.5},
      {"1,2", 12.0},  // separators are not checked for position, only dropped
      {"1,,2", 12.0},
      {"1E5", 1e5},
      {"1e+5", 1e5},
      {"2.5E-3", 0.0025},
      {"$1,234.50", 1234.5},
      {"-$3", -3.0},
      {"$-3", -3.0},
      {"007", 7.0},
      {"&H1F", 31.0},
      {" &H10 ", 16.0},
      {"&HFFFF", -1.0},
      {"&HFFFFFFFF", -1.0},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"abc", std::nullopt},
      {".", std::nullopt},
      {"-", std::nullopt},
      {"$", std::nullopt},
      {",5", std::nullopt},
      {"1.2.3", std::nullopt},
      {"1.5,0", std::nullopt},
      {"1 000", std::nullopt},
      {"1e", std::nullopt},
      {"E5", std::nullopt},
      {"+-1", std::nullopt},
      {"$$1", std::nullopt},
      {"1$", std::nullopt},
      {"0x1F", std::nullopt},
      {"&HG", std::nullopt},
      {"&H123456789", std::nullopt},
      {"1e400", std::nullopt},
      {"3/5/2024", std::nullopt},
      {"12 ; DROP TABLE X", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseNumber(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(IsNumeric(Value(c.text)), c.expected.has_value()) << '"' << c.text << '"';
  }
}

TEST(RuntimeNumbers, IsNumericByKind) {
  EXPECT_TRUE(IsNumeric(Value()));  // Empty counts as numeric
  EXPECT_FALSE(IsNumeric(Value::null()));
  EXPECT_TRUE(IsNumeric(Value::integer(1)));
  EXPECT_TRUE(IsNumeric(Value::whole(1)));
  EXPECT_TRUE(IsNumeric(Value::single(1.5f)));
  EXPECT_TRUE(IsNumeric(Value::number(1.5)));
  EXPECT_TRUE(IsNumeric(Value::boolean(true)));
  EXPECT_FALSE(IsNumeric(Value::date(kMarch5th2024)));
  EXPECT_FALSE(IsNumeric(list({"", "1"})));
}

TEST(RuntimeNumbers, CDblAndCSng) {
  EXPECT_EQ(CDbl(Value()), 0.0);
  EXPECT_EQ(CDbl(Value(" 1,234.25 ")), 1234.25);
  EXPECT_EQ(CDbl(Value::date(kBlankDate + 0.5)), kBlankDate + 0.5);
  EXPECT_EQ(CDbl(Value::boolean(true)), -1.0);
  EXPECT_EQ(errorNumberOf([] { CDbl(Value("1.5x")); }), vberr::kTypeMismatch);
  EXPECT_EQ(errorNumberOf([] { CDbl(Value::null()); }), vberr::kInvalidUseOfNull);
  EXPECT_EQ(CSng(Value("2.75")), 2.75f);
  EXPECT_EQ(CSng(Value::number(0.1)), 0.1f);
  EXPECT_EQ(errorNumberOf([] { CSng(Value::number(1e39)); }), vberr::kOverflow);
  EXPECT_EQ(errorNumberOf([] { CSng(Value("")); }), vberr::kTypeMismatch);
}

TEST(RuntimeNumbers, CBoolAcceptsTheWordsAndNumbers) {
  struct Case {
    Value in;
    bool expected;
  } cases[] = {
      {Value("True"), true},      {Value("true"), true},      {Value(" TRUE "), true},
      {Value("False"), false},    {Value("fAlSe"), false},    {Value("0"), false},
      {Value("-1"), true},        {Value("0.1"), true},       {Value(), false},
      {Value::integer(0), false}, {Value::number(0.5), true}, {Value::boolean(true), true},
      {Value::whole(-1), true},   {Value::date(0.0), false},
  };
  for (const Case& c : cases) EXPECT_EQ(CBool(c.in), c.expected) << CStr(c.in);
  EXPECT_EQ(errorNumberOf([] { CBool(Value("yes")); }), vberr::kTypeMismatch);
  EXPECT_EQ(errorNumberOf([] { CBool(Value("")); }), vberr::kTypeMismatch);
  EXPECT_EQ(errorNumberOf([] { CBool(Value::null()); }), vberr::kInvalidUseOfNull);
}

TEST(RuntimeNumbers, CStrPrintsValuesAsTheRuntimeDoes) {
  struct Case {
    Value in;
    const char* expected;
  } cases[] = {
      {Value(), ""},
      {Value("  text kept as is "), "  text kept as is "},
      {Value::integer(-3), "-3"},
      {Value::whole(2147483647), "2147483647"},
      {Value::number(1.5), "1.5"},
      {Value::number(0.5), "0.5"},
      {Value::number(-0.5), "-0.5"},
      {Value::number(3.0), "3"},
      {Value::number(-0.0), "0"},
      {Value::number(0.1 + 0.2), "0.3"},  // fifteen significant digits hide the binary error
      {Value::number(1.0 / 3.0), "0.333333333333333"},
      {Value::number(123456789012345.0), "123456789012345"},
      {Value::number(1234567890123456.0), "1.23456789012346E+15"},
      {Value::number(1e15), "1E+15"},
      {Value::number(1e20), "1E+20"},
      {Value::number(-2.5e100), "-2.5E+100"},
      {Value::number(0.0001), "0.0001"},
      {Value::number(0.00001), "1E-05"},
      {Value::single(2.5f), "2.5"},
      {Value::single(0.1f), "0.1"},  // seven digits for singles
      {Value::single(1.0f / 3.0f), "0.3333333"},
      {Value::single(12345678.0f), "1.234568E+07"},
      {Value::boolean(true), "True"},
      {Value::boolean(false), "False"},
      {Value::date(kMarch5th2024), "3/5/2024"},
      {Value::date(kMarch5th2024 + 0.4375), "3/5/2024 10:30:00 AM"},
      {Value::date(0.4375), "10:30:00 AM"},
  };
  for (const Case& c : cases) EXPECT_EQ(CStr(c.in), c.expected);
  EXPECT_EQ(errorNumberOf([] { CStr(Value::null()); }), vberr::kInvalidUseOfNull);
  EXPECT_EQ(errorNumberOf([] { CStr(list({""})); }), vberr::kTypeMismatch);
}

// ---- Dates --------------------------------------------------------------------------------

TEST(RuntimeDates, DateSerialCountsDaysFromTheThirtiethOfDecember1899) {
  struct Case {
    int year, month, day;
    double expected;
  } cases[] = {
      {1899, 12, 30, 0.0},
      {1899, 12, 31, 1.0},
      {1900, 1, 1, 2.0},
      {1900, 3, 1, 61.0},  // 1900 was no leap year
      {1969, 2, 19, kBlankDate},
      {2000, 1, 1, 36526.0},
      {2024, 3, 5, kMarch5th2024},
      {2024, 2, 29, 45351.0},
      {1899, 12, 29, -1.0},
      {1899, 12, 1, -29.0},
      {1800, 1, 1, -36522.0},
      {100, 1, 1, -657434.0},
      {9999, 12, 31, 2958465.0},
      {2024, 13, 1, 45658.0},  // month 13 is January of the next year
      {2024, 0, 31, 45291.0},  // month 0 is December of the year before
      {2024, 2, 30, 45352.0},  // 30 February is 1 March
      {2024, 3, 0, 45351.0},   // day 0 is the last day of the month before
      {2024, -1, 1, 45260.0 - 29.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DateSerial(c.year, c.month, c.day), c.expected)
        << c.year << "-" << c.month << "-" << c.day;
  }
}

TEST(RuntimeDates, TimeSerialIsAFractionOfADay) {
  EXPECT_EQ(TimeSerial(0, 0, 0), 0.0);
  EXPECT_EQ(TimeSerial(12, 0, 0), 0.5);
  EXPECT_EQ(TimeSerial(10, 30, 0), 0.4375);
  EXPECT_EQ(TimeSerial(6, 0, 0), 0.25);
  EXPECT_DOUBLE_EQ(TimeSerial(0, 0, 1), kSecond);
  EXPECT_DOUBLE_EQ(TimeSerial(23, 0, 0), 23.0 / 24.0);
}

TEST(RuntimeDates, PartsOfASerial) {
  struct Case {
    double serial;
    DateParts expected;
    int weekday;
  } cases[] = {
      {0.0, {1899, 12, 30, 0, 0, 0}, 7},
      {kMarch5th2024, {2024, 3, 5, 0, 0, 0}, 3},
      {kMarch5th2024 + 0.4375, {2024, 3, 5, 10, 30, 0}, 3},
      {kBlankDate, {1969, 2, 19, 0, 0, 0}, 4},
      {45291.0, {2023, 12, 31, 0, 0, 0}, 1},
      {36526.0 + 86399.4 / 86400.0, {2000, 1, 1, 23, 59, 59}, 7},
      // Before day 0 the fraction still counts forward from that day's midnight.
      {-1.25, {1899, 12, 29, 6, 0, 0}, 6},
      {-1.0, {1899, 12, 29, 0, 0, 0}, 6},
      {-0.5, {1899, 12, 30, 12, 0, 0}, 7},
      {-36522.0, {1800, 1, 1, 0, 0, 0}, 4},
      {-657434.0, {100, 1, 1, 0, 0, 0}, 6},
      {2958465.5, {9999, 12, 31, 12, 0, 0}, 6},
  };
  for (const Case& c : cases) {
    DateParts p = dateParts(c.serial);
    EXPECT_EQ(p.year, c.expected.year) << c.serial;
    EXPECT_EQ(p.month, c.expected.month) << c.serial;
    EXPECT_EQ(p.day, c.expected.day) << c.serial;
    EXPECT_EQ(p.hour, c.expected.hour) << c.serial;
    EXPECT_EQ(p.minute, c.expected.minute) << c.serial;
    EXPECT_EQ(p.second, c.expected.second) << c.serial;
    EXPECT_EQ(Year(c.serial), c.expected.year);
    EXPECT_EQ(Month(c.serial), c.expected.month);
    EXPECT_EQ(Day(c.serial), c.expected.day);
    EXPECT_EQ(Hour(c.serial), c.expected.hour);
    EXPECT_EQ(Minute(c.serial), c.expected.minute);
    EXPECT_EQ(Second(c.serial), c.expected.second);
    EXPECT_EQ(Weekday(c.serial), c.weekday) << c.serial;
  }
}

TEST(RuntimeDates, PartsRoundToTheNearestSecond) {
  DateParts p = dateParts(kMarch5th2024 + TimeSerial(10, 30, 0) + 0.4 * kSecond);
  EXPECT_EQ(p.second, 0);
  p = dateParts(kMarch5th2024 + TimeSerial(10, 30, 0) + 0.6 * kSecond);
  EXPECT_EQ(p.second, 1);
  // Half a second before midnight rounds into the next day.
  p = dateParts(kMarch5th2024 + 1.0 - 0.4 * kSecond);
  EXPECT_EQ(p.day, 6);
  EXPECT_EQ(p.hour, 0);
}

TEST(RuntimeDates, SerialsOutsideYears100To9999Overflow) {
  for (double bad : {-657435.0, 2958466.0, 1e12, -1e12, std::nan("")}) {
    EXPECT_EQ(errorNumberOf([&] { dateParts(bad); }), vberr::kOverflow) << bad;
    EXPECT_EQ(errorNumberOf([&] { formatDate(bad); }), vberr::kOverflow) << bad;
  }
}

TEST(RuntimeDates, DateOnlyAndTimeOnlySplitASerial) {
  EXPECT_EQ(dateOnly(kMarch5th2024 + 0.4375), kMarch5th2024);
  EXPECT_EQ(timeOnly(kMarch5th2024 + 0.4375), 0.4375);
  EXPECT_EQ(dateOnly(-1.25), -1.0);
  EXPECT_EQ(timeOnly(-1.25), 0.25);
  EXPECT_EQ(dateOnly(0.75), 0.0);
  EXPECT_EQ(timeOnly(kBlankDate), 0.0);
}

TEST(RuntimeDates, NowAndTodayAreTheLocalClock) {
  const double before = Now();
  const double today = Today();
  EXPECT_EQ(today, std::floor(today));
  EXPECT_LE(today, before + 1.0);
  EXPECT_GT(before, DateSerial(2024, 1, 1));
  EXPECT_LT(before - today, 1.0 + 1e-6);
}

TEST(RuntimeDates, FromUnixTimeUsesTheLocalTimeZone) {
  const char* saved = std::getenv("TZ");
  const std::string previous = saved ? saved : "";
  setenv("TZ", "UTC0", 1);
  tzset();
  EXPECT_EQ(fromUnixTime(0), DateSerial(1970, 1, 1));
  EXPECT_EQ(formatDate(fromUnixTime(1709634600)), "3/5/2024 10:30:00 AM");
  setenv("TZ", "EST5", 1);
  tzset();
  EXPECT_EQ(formatDate(fromUnixTime(1709634600)), "3/5/2024 5:30:00 AM");
  if (saved) {
    setenv("TZ", previous.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

struct ParsedDate {
  const char* text;
  std::optional<double> expected;
};

double at(double day, int hour, int minute, int second = 0) {
  return day + TimeSerial(hour, minute, second);
}

TEST(RuntimeDates, ParsesTheDateFormsThePagesUse) {
  const double thisYearMarch5th = DateSerial(Year(Today()), 3, 5);
  const ParsedDate cases[] = {
      {"3/5/2024", kMarch5th2024},
      {"03/05/2024", kMarch5th2024},
      {" 3/5/2024 ", kMarch5th2024},
      {"3-5-2024", kMarch5th2024},
      {"3/5/24", kMarch5th2024},
      {"3/5/29", DateSerial(2029, 3, 5)},  // 00-29 are this century
      {"3/5/30", DateSerial(1930, 3, 5)},  // 30-99 the last
      {"3/5/99", DateSerial(1999, 3, 5)},
      {"3/5/00", DateSerial(2000, 3, 5)},
      {"3/5", thisYearMarch5th},
      {"Mar/5/2024", kMarch5th2024},
      {"mar/5/2024", kMarch5th2024},
      {"Jan/5/2024", DateSerial(2024, 1, 5)},
      {"Dec/31/2025", DateSerial(2025, 12, 31)},
      {"March 5, 2024", kMarch5th2024},
      {"March 5 2024", kMarch5th2024},
      {"Mar 5, 24", kMarch5th2024},
      {"5 Mar 2024", kMarch5th2024},
      {"5-Mar-2024", kMarch5th2024},
      {"5 March, 2024", kMarch5th2024},
      {"September 30, 2024", DateSerial(2024, 9, 30)},
      {"2024-03-05", kMarch5th2024},
      {"2024/3/5", kMarch5th2024},
      {"2/29/2024", DateSerial(2024, 2, 29)},
      {"2/29/2000", DateSerial(2000, 2, 29)},
      {"12/30/1899", 0.0},
      {"1/1/1800", -36522.0},
      {"2/19/1969", kBlankDate},
  };
  for (const ParsedDate& c : cases) {
    EXPECT_EQ(parseDate(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_TRUE(IsDate(Value(c.text))) << '"' << c.text << '"';
  }
}

TEST(RuntimeDates, ParsesTimesAloneOnDayZero) {
  const ParsedDate cases[] = {
      {"10:30 AM", at(0, 10, 30)},
      {"10:30AM", at(0, 10, 30)},
      {"10:30 am", at(0, 10, 30)},
      {"10:30:00 PM", at(0, 22, 30)},
      {"10:30", at(0, 10, 30)},
      {"22:15", at(0, 22, 15)},
      {"22:15:30", at(0, 22, 15, 30)},
      {"0:00", 0.0},
      {"12:0:01AM", at(0, 0, 0, 1)},  // 12 AM is midnight
      {"12:00 AM", 0.0},
      {"12:00 PM", 0.5},  // 12 PM is noon
      {"12:5PM", at(0, 12, 5)},
      {"3:15:01PM", at(0, 15, 15, 1)},
      {"11:00PM", at(0, 23, 0)},
      {"10 PM", at(0, 22, 0)},
      {"9AM", at(0, 9, 0)},
  };
  for (const ParsedDate& c : cases) {
    ASSERT_TRUE(parseDate(c.text).has_value()) << '"' << c.text << '"';
    EXPECT_NEAR(*parseDate(c.text), *c.expected, 1e-9) << '"' << c.text << '"';
    EXPECT_GE(*parseDate(c.text), 0.0);
    EXPECT_LT(*parseDate(c.text), 1.0);
  }
}

TEST(RuntimeDates, ParsesDatesWithTimes) {
  const ParsedDate cases[] = {
      {"3/5/2024 10:30:00 AM", at(kMarch5th2024, 10, 30)},
      {"3/5/2024 10:30 PM", at(kMarch5th2024, 22, 30)},
      {"3/5/2024 22:15", at(kMarch5th2024, 22, 15)},
      {"3/5/2024  9 AM", at(kMarch5th2024, 9, 0)},
      {"2024-03-05 10:30:00", at(kMarch5th2024, 10, 30)},
      {"2024-03-05T10:30:00", at(kMarch5th2024, 10, 30)},
      {"March 5, 2024 12:00 AM", kMarch5th2024},
      {"Mar/5/2024 12:0:01AM", at(kMarch5th2024, 0, 0, 1)},
      // Before day 0 the time counts forward from the day's midnight: -1.25.
      {"12/29/1899 6:00 AM", -1.25},
  };
  for (const ParsedDate& c : cases) {
    ASSERT_TRUE(parseDate(c.text).has_value()) << '"' << c.text << '"';
    EXPECT_NEAR(*parseDate(c.text), *c.expected, 1e-9) << '"' << c.text << '"';
  }
}

TEST(RuntimeDates, RefusesWhatIsNoDate) {
  const char* cases[] = {
      "",
      " ",
      "abc",
      "2/30/2024",
      "2/29/2023",
      "13/45/2024",
      "13/5/2024",  // month first only: no day/month swapping
      "0/5/2024",
      "3/0/2024",
      "3/32/2024",
      "4/31/2024",
      "3/5/2024/1",
      "3//5/2024",
      "3/5/",
      "/3/5",
      "3",
      "2024",
      "1.5",
      "1,2",
      "3/5/12345",
      "3/5/0099",  // years before 100
      "3/5/10000",
      "Foo/5/2024",
      "Mar/Apr/2024",
      "Mar5/2024",
      "5 2024 Mar",
      "25:00",
      "24:00",
      "10:60",
      "10:30:60",
      "13:00 PM",
      "10:30:00:00",
      "10:",
      ":30",
      "10:30 XM",
      "AM",
      "3/5/2024 25:00",
      "3/5/2024 10",
      "3/5/202410:30",
      "3/5/2024-10:30",
      "3/5/2024' OR '1'='1",
  };
  for (const char* text : cases) {
    EXPECT_EQ(parseDate(text), std::nullopt) << '"' << text << '"';
    EXPECT_FALSE(IsDate(Value(text))) << '"' << text << '"';
  }
}

TEST(RuntimeDates, IsDateByKind) {
  EXPECT_TRUE(IsDate(Value::date(kBlankDate)));
  EXPECT_FALSE(IsDate(Value()));
  EXPECT_FALSE(IsDate(Value::null()));
  EXPECT_FALSE(IsDate(Value::number(kMarch5th2024)));
  EXPECT_FALSE(IsDate(Value::whole(45356)));
}

TEST(RuntimeDates, CDateConvertsDatesNumbersAndText) {
  EXPECT_EQ(CDate(Value::date(kBlankDate)), kBlankDate);
  EXPECT_EQ(CDate(Value::number(1.5)), 1.5);
  EXPECT_EQ(CDate(Value()), 0.0);
  EXPECT_EQ(CDate(Value("Mar/5/2024")), kMarch5th2024);
  EXPECT_NEAR(CDate(Value("10:30 AM")), 0.4375, 1e-12);
  EXPECT_EQ(errorNumberOf([] { CDate(Value("2/30/2024")); }), vberr::kTypeMismatch);
  EXPECT_EQ(errorNumberOf([] { CDate(Value("")); }), vberr::kTypeMismatch);
  EXPECT_EQ(errorNumberOf([] { CDate(Value::null()); }), vberr::kInvalidUseOfNull);
}

TEST(RuntimeDates, DefaultTextOfDatesAndTimes) {
  struct Case {
    double serial;
    const char* expected;
  } cases[] = {
      {kMarch5th2024, "3/5/2024"},
      {at(kMarch5th2024, 10, 30), "3/5/2024 10:30:00 AM"},
      {at(kMarch5th2024, 21, 5, 9), "3/5/2024 9:05:09 PM"},
      {at(kMarch5th2024, 0, 0, 1), "3/5/2024 12:00:01 AM"},
      {at(kMarch5th2024, 12, 0), "3/5/2024 12:00:00 PM"},
      {at(0, 10, 30), "10:30:00 AM"},
      {at(0, 23, 59, 59), "11:59:59 PM"},
      {0.0, "12:00:00 AM"},
      {kBlankDate, "2/19/1969"},
      {DateSerial(2025, 12, 31), "12/31/2025"},
      {-1.0, "12/29/1899"},
      {-1.25, "12/29/1899 6:00:00 AM"},
      {-657434.0, "1/1/0100"},
      {at(kMarch5th2024, 10, 30) + 0.4 * kSecond, "3/5/2024 10:30:00 AM"},
      {at(kMarch5th2024, 10, 30) + 0.6 * kSecond, "3/5/2024 10:30:01 AM"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatDate(c.serial), c.expected) << c.serial;
}

TEST(RuntimeDates, DefaultTextReadsBackToTheSameValue) {
  for (double serial : {kMarch5th2024, at(kMarch5th2024, 10, 30), at(0, 15, 15, 1), 0.0, kBlankDate,
                        at(kMarch5th2024, 0, 0, 1)}) {
    std::optional<double> back = parseDate(formatDate(serial));
    ASSERT_TRUE(back.has_value()) << formatDate(serial);
    EXPECT_NEAR(*back, serial, 1e-9) << formatDate(serial);
  }
}

TEST(RuntimeDates, StorageTextRoundTrips) {
  struct Case {
    double serial;
    const char* text;
  } cases[] = {
      {kMarch5th2024, "2024-03-05 00:00:00"},
      {at(kMarch5th2024, 10, 30), "2024-03-05 10:30:00"},
      {at(0, 15, 15, 1), "1899-12-30 15:15:01"},  // a time alone lies on day 0
      {0.0, "1899-12-30 00:00:00"},
      {kBlankDate, "1969-02-19 00:00:00"},
      {-1.25, "1899-12-29 06:00:00"},
      {-657434.0, "0100-01-01 00:00:00"},
      {at(2958465.0, 23, 59, 59), "9999-12-31 23:59:59"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toStorageText(c.serial), c.text);
    std::optional<double> back = fromStorageText(c.text);
    ASSERT_TRUE(back.has_value()) << c.text;
    EXPECT_NEAR(*back, c.serial, 1e-9) << c.text;
  }
}

TEST(RuntimeDates, StorageTextFormsAccepted) {
  const ParsedDate cases[] = {
      {"2024-03-05", kMarch5th2024},
      {"2024-03-05T10:30:00", at(kMarch5th2024, 10, 30)},
      {"2024-03-05 10:30:00", at(kMarch5th2024, 10, 30)},
      {"2024-02-30", std::nullopt},
      {"2024-3-5", std::nullopt},
      {"2024-03-05 24:00:00", std::nullopt},
      {"2024-03-05 10:30", std::nullopt},
      {"2024-03-05X10:30:00", std::nullopt},
      {"2024/03/05", std::nullopt},
      {"3/5/2024", std::nullopt},
      {"", std::nullopt},
      {"0099-01-01", std::nullopt},
      {"2024-03-05 10:30:00 ", std::nullopt},
      {"2024-0a-05", std::nullopt},
      {"+024-03-05", std::nullopt},
      {"2024-03-05 1:30:000", std::nullopt},
      {"2024-03-05 10:3 :00", std::nullopt},
  };
  for (const ParsedDate& c : cases) {
    std::optional<double> got = fromStorageText(c.text);
    ASSERT_EQ(got.has_value(), c.expected.has_value()) << '"' << c.text << '"';
    if (got) {
      EXPECT_NEAR(*got, *c.expected, 1e-9) << c.text;
    }
  }
}

// ---- Text ---------------------------------------------------------------------------------

TEST(RuntimeText, TrimRemovesSpacesOnly) {
  struct Case {
    const char* in;
    const char* trim;
    const char* ltrim;
    const char* rtrim;
  } cases[] = {
      {"  a b  ", "a b", "a b  ", "  a b"},
      {"", "", "", ""},
      {"   ", "", "", ""},
      {"\tx\t", "\tx\t", "\tx\t", "\tx\t"},
      {" \tx ", "\tx", "\tx ", " \tx"},
      {"x\n", "x\n", "x\n", "x\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Trim(c.in), c.trim) << '"' << c.in << '"';
    EXPECT_EQ(LTrim(c.in), c.ltrim) << '"' << c.in << '"';
    EXPECT_EQ(RTrim(c.in), c.rtrim) << '"' << c.in << '"';
  }
}

TEST(RuntimeText, CaseChangesFollowUnicode) {
  struct Case {
    const char* in;
    const char* upper;
    const char* lower;
  } cases[] = {
      {"abc Xyz 123_[]@", "ABC XYZ 123_[]@", "abc xyz 123_[]@"},
      {"José Nuñez", "JOSÉ NUÑEZ", "josé nuñez"},
      {"ΟΔΟΣ οδος", "ΟΔΟΣ ΟΔΟΣ", "οδος οδος"},  // a final sigma stays final in lower case
      {"straße", "STRASSE", "straße"},
      {"ıi", "II", "ıi"},  // no language's rules: dotless i keeps its own lower case
      {"caf\xC3\xA9\xFF!", "CAF\xC3\x89\xFF!", "caf\xC3\xA9\xFF!"},  // bytes that are no UTF-8 stay
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UCase(c.in), c.upper) << c.in;
    EXPECT_EQ(LCase(c.in), c.lower) << c.in;
  }
}

// Equal ignoring case means equal after full Unicode case folding.
TEST(RuntimeText, ComparisonsIgnoreCaseByUnicodeFolding) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"Save", "SAVE", 0},
      {"abc", "ABD", -1},
      {"b", "A", 1},
      {"", "", 0},
      {"ab", "AB ", -1},
      {"AB ", "ab", 1},
      {"a_", "A[", 1},              // letters fold to lower case before comparing
      {"\xC3\xA9", "\xC3\x89", 0},  // é É
      {"josé.nuñez", "JOSÉ.NUÑEZ", 0},
      {"Señor", "SEÑOR", 0},
      {"e", "é", -1},
      {"straße", "STRASSE", 0},  // ß folds to ss
      {"ΟΔΟΣ", "οδος", 0},       // final and medial sigma are one letter
      {"σ", "ς", 0},
      {"ı", "I", 1},       // Turkish dotless i is a letter of its own
      {"İ", "i", 1},       // capital I with dot folds to i and a combining dot
      {"\u212A", "k", 0},  // Kelvin sign
      {"\u212Aelvin", "KELVIN", 0},
      {"ÅNGSTRÖM", "ångström", 0},
      {"\xFF", "\xFF", 0},  // bytes that are no UTF-8 compare as they are
      {"\xFF"
       "A",
       "\xFF"
       "a",
       0},
      {"\xFE", "\xFF", -1},
      {"\xC3", "\xC3\xA9", -1},
      {"\xED\xA0\x80", "\xED\xA0\x80", 0},  // an encoded surrogate
  };
  CaseInsensitiveHash hash;
  for (const Case& c : cases) {
    const int got = compareIgnoreCase(c.a, c.b);
    EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
    const int back = compareIgnoreCase(c.b, c.a);
    EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
    EXPECT_EQ(equalsIgnoreCase(c.a, c.b), c.sign == 0) << c.a << " vs " << c.b;
    if (c.sign == 0) {
      EXPECT_EQ(hash(c.a), hash(c.b)) << c.a << " vs " << c.b;
    }
    EXPECT_EQ(CaseInsensitiveEqual()(c.a, c.b), c.sign == 0) << c.a << " vs " << c.b;
  }
}

// ---- Number formats -----------------------------------------------------------------------

TEST(RuntimeFormats, PatternsThePagesUse) {
  struct Case {
    double value;
    const char* pattern;
    const char* expected;
  } cases[] = {
      {1234.5, "$###,##0.00", "$1,234.50"},
      {0.0, "$###,##0.00", "$0.00"},
      {0.5, "$###,##0.00", "$0.50"},
      {1234567.891, "$###,##0.00", "$1,234,567.89"},
      {-1.5, "$###,##0.00", "-$1.50"},
      {-0.001, "$###,##0.00", "$0.00"},  // no sign on a value that rounds to zero
      {1234.5, "#,###,##0", "1,235"},
      {1234567, "#,###,##0", "1,234,567"},
      {999.5, "#,###,##0", "1,000"},
      {0.0, "#,###,##0", "0"},
      {0.4, "#,###,##0", "0"},
      {-2500, "#,###,##0", "-2,500"},
      {3.14159, "#0.00", "3.14"},
      {2.345, "#0.00", "2.35"},  // half away from zero on the decimal digits
      {2.355, "#0.00", "2.36"},
      {1.005, "#0.00", "1.01"},
      {-2.345, "#0.00", "-2.35"},
      {0.125, "#0.00", "0.13"},
      {99.995, "#0.00", "100.00"},
      {0.0, "#0.00", "0.00"},
      {0.5, "0", "1"},
      {1.5, "0", "2"},
      {2.5, "0", "3"},
      {-2.5, "0", "-3"},
      {7, "00", "07"},
      {123, "00", "123"},
      {0.5, "#.00", ".50"},
      {2.5, "#.##", "2.5"},
      {2, "#.##", "2."},
      {2.5, "0.0#", "2.5"},
      {2.567, "0.0#", "2.57"},
      {12.5, "0.00 \"hrs\"", "12.50 hrs"},
      {12.5, "\\$0.0", "$12.5"},
      {1e15, "#,##0", "1,000,000,000,000,000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Format(c.value, c.pattern), c.expected) << c.value << " " << c.pattern;
  }
  EXPECT_EQ(Format(2.5, ""), "2.5");
}

TEST(RuntimeFormats, CurrencyUsesParenthesesForNegatives) {
  struct Case {
    double value;
    const char* expected;
  } cases[] = {
      {1234.5, "$1,234.50"}, {-1234.5, "($1,234.50)"}, {0.0, "$0.00"},     {-0.004, "$0.00"},
      {0.005, "$0.01"},      {1e6, "$1,000,000.00"},   {12.345, "$12.35"}, {-0.5, "($0.50)"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatCurrency(c.value), c.expected) << c.value;
}

}  // namespace
}  // namespace ravadid::vb

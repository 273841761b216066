// The value rules of the legacy runtime that every page relies on: whole-number conversions
// (halves to even, "Overflow", "Type mismatch"), numeric and date recognition, date serials,
// the default text of dates and times, and the number formats the pages print.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "frame/value.h"

namespace ravadid::vb {

// ---- Whole numbers and numbers ----------------------------------------------------------
// Rounds halves to even. Error 6 "Overflow" outside the range, 13 "Type mismatch" for text that
// is not a number, 94 "Invalid use of Null" for null. Empty converts to 0; booleans to -1/0;
// dates to their serial.
int16_t CInt(const Value& v);
int32_t CLng(const Value& v);
double CDbl(const Value& v);
float CSng(const Value& v);
bool CBool(const Value& v);  // numbers: non-zero; text "True"/"False" (any case) or a number
// Text of a value: numbers as the runtime prints them ("1.5", "-3", "1E+20"), booleans
// "True"/"False", dates in the default date text, Empty "". Null raises error 94.
std::string CStr(const Value& v);
// Date serial of a value: dates as they are, numbers as serials, text parsed as a date.
// Error 13 when text is not a date; 94 for null.
double CDate(const Value& v);

// Text that the runtime accepts as a number: surrounding blanks, a sign, thousands
// separators, a decimal point, an exponent, a leading "$", "&H" hex. Empty text is not numeric.
std::optional<double> parseNumber(std::string_view text);
bool IsNumeric(const Value& v);  // Empty counts as numeric (as the runtime has it); Null not
bool IsDate(const Value& v);

// Rounds halves to even (the runtime's rounding for conversions).
double roundHalfEven(double x);

// ---- Dates ------------------------------------------------------------------------------
// A date-time is a day count with a time fraction; day 0 is 30 December 1899.
double DateSerial(int year, int month, int day);  // month/day out of range roll over
double TimeSerial(int hour, int minute, int second);
struct DateParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};
DateParts dateParts(double serial);  // rounded to the second
int Year(double serial);
int Month(double serial);
int Day(double serial);
int Hour(double serial);
int Minute(double serial);
int Second(double serial);
int Weekday(double serial);               // 1 = Sunday
double dateOnly(double serial);           // DateValue: the day without its time
double timeOnly(double serial);           // TimeValue: the time on day 0
double Now();                             // server's local time
double Today();                           // Date: today at midnight
double fromUnixTime(int64_t secondsUtc);  // as local time

// Text to a date-time, for the forms the pages use: "3/5/2024", "3/5/24", "Mar/5/2024",
// "March 5, 2024", "2024-03-05", "10:30 AM", "12:0:01AM", "10:30:00", "3/5/2024 10:30:00 AM",
// "2024-03-05 10:30:00". A time alone lies on day 0; a date alone at midnight.
std::optional<double> parseDate(std::string_view text);

// The default text of a date-time (en-US): "3/5/2024" for a date alone, "10:30:00 AM" for a
// time alone (day 0), "3/5/2024 10:30:00 AM" for both. Day 0 at midnight prints "12:00:00 AM".
std::string formatDate(double serial);
// Storage text "YYYY-MM-DD HH:MM:SS" and back.
std::string toStorageText(double serial);
std::optional<double> fromStorageText(std::string_view text);

// ---- Text -------------------------------------------------------------------------------
std::string Trim(std::string_view s);  // blanks only, as the runtime's Trim
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
// Letter case by Unicode rules (UTF-8 text; invalid bytes are kept as they are).
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
// The form in which texts that differ only in letter case are equal ("Straße" and "STRASSE"
// both give "strasse"); the comparisons below compare it.
std::string foldCase(std::string_view s);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
int compareIgnoreCase(std::string_view a, std::string_view b);  // <0, 0, >0

// ---- Number formats ---------------------------------------------------------------------
// The format strings the pages use: "$###,##0.00", "#,###,##0", "#0.00", "0", "00".
// Halves round away from zero, as the runtime's Format does.
std::string Format(double value, std::string_view pattern);
// The locale's currency: "$1,234.50", negative "($1,234.50)".
std::string FormatCurrency(double value);

}  // namespace ravadid::vb

// The date and time selectors of the request form: month, day and year lists, the hour and
// minute lists with the AM/PM radio pair, and the two formatters that print a stored date and
// time in result tables.
#pragma once

#include <string>
#include <string_view>

namespace ravadid {

class Ravadid;

// 19 February 1969 at midnight: the value a caller passes when it has no date or time to show.
// Only this exact value renders the unset form of a selector.
inline constexpr double kBlankDate = 25253.0;

// Each builder takes a date-time value, the prefix that names the posted fields and an
// attributes text copied into every opening tag. They raise only for a value that is not a
// date (error 6).

// "<prefix>_month": "Jan" .. "Dec".
std::string BuildMonthDD(double dateTime, std::string_view prefix, std::string_view attributes);
// "<prefix>_date": "1" .. "31".
std::string BuildDayDD(double dateTime, std::string_view prefix, std::string_view attributes);
// "<prefix>_year": twelve years, from the year before today's to ten years after it. A value
// whose year lies outside that window adds its own year, in order and selected, so that saving
// the form again keeps the stored year.
std::string BuildYearDD(double dateTime, std::string_view prefix, std::string_view attributes);
std::string BuildYearDD(double dateTime, std::string_view prefix, std::string_view attributes,
                        double today);
// "<prefix>_HOUR" (1 .. 12), "<prefix>_MIN" (0 .. 55 by 5) and the "<prefix>_AMPM" radios.
std::string BuildTimeDD(double dateTime, std::string_view prefix, std::string_view attributes);

// "10:30:00 AM" prints "10:30&nbsp;AM"; a blank text prints "&nbsp;". A non-empty text shorter
// than six characters is reported under the error trap of getTIME and gives "".
std::string getTIME(Ravadid& app, std::string_view strTIME);
// What getTIME prints for the default text of a date-time value, appended to out. That text is
// never shorter than six characters and holds nothing to escape, so it needs no error trap:
// result tables print thousands of them.
void appendTimeOfDate(std::string& out, double dateTime);
// Month/day/two-digit year without leading zeros: 5 March 2024 prints "3/5/24".
std::string getDATE(Ravadid& app, double dtDATE);

}  // namespace ravadid

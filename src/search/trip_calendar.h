// The trip calendar's month: its weeks, and the requests, scheduled trips and calendar notes of
// its days that one user may see.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/value.h"

namespace ravadid {

class Ravadid;

struct CalendarMonth {
  int year = 0;
  int month = 0;  // 1 = January
  bool operator==(const CalendarMonth&) const = default;
};

// "2026-03" (four-digit year from 1900 to 9999, two-digit month); nothing for anything else.
std::optional<CalendarMonth> parseMonth(std::string_view text);
// The month a date-time falls in.
CalendarMonth monthOf(double serial);
CalendarMonth previousMonth(CalendarMonth month);
CalendarMonth nextMonth(CalendarMonth month);
// "2026-03", as parseMonth reads it.
std::string monthParameter(CalendarMonth month);
// "March 2026".
std::string monthTitle(CalendarMonth month);
// The date serial of a day of the month.
double daySerial(CalendarMonth month, int day);
int daysInMonth(CalendarMonth month);

// The weeks that hold the month's days, Sunday first; a cell of a neighbouring month is 0.
using CalendarWeek = std::array<int, 7>;
std::vector<CalendarWeek> monthWeeks(CalendarMonth month);
// The week (1-based) of the grid that holds the day.
int weekOfDay(CalendarMonth month, int day);

// One line of a day: a request not yet scheduled, or a scheduled trip.
struct CalendarItem {
  enum class Kind { Request, Trip };
  Kind kind = Kind::Request;
  int day = 0;
  std::string number;  // the request's or the trip's number
  Value time;          // the departure time as stored (null when none)
  std::string customer;
  std::string destination;
  std::string status;  // a request's status; "Scheduled" or "Cancelled" for a trip
  bool cancelled = false;
};

// The calendar note of a day, as the save's calendar check reads it: severity 3 closes the day,
// 2 warns.
struct CalendarDayNote {
  int32_t severity = 0;
  std::string text;
  std::string longText;
  bool closed() const { return severity == 3; }
  bool warning() const { return severity == 2; }
};

struct MonthCalendar {
  CalendarMonth month;
  std::vector<CalendarItem> items;       // by day, then departure time
  std::map<int, CalendarDayNote> notes;  // by day: the first note of that date
};

// Reads the month's requests (TRIPSREQ by departure date; a request whose trip exists is left
// to its trip), its scheduled trips (TRIPS by departure date) and its calendar notes. With a
// customer code, only that customer's requests and trips are read. Opens and closes the
// connections; a database failure is thrown for the caller's error trap.
MonthCalendar loadMonthCalendar(Ravadid& app, CalendarMonth month, const std::string& customer);

// The colour class of an item's status: "status-pending", "status-unapproved",
// "status-approving" (a level's status), "status-denied", "status-accepted", "status-trip" or
// "status-cancelled".
std::string_view statusClass(const CalendarItem& item);

}  // namespace ravadid

#include "search/trip_calendar.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "search/request_cells.h"
#include "search/search_common.h"

namespace ravadid {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

bool allDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The day of the month a stored date falls on, or 0 when the field holds no date.
int dayOf(const Value& date) {
  if (!date.isDate()) return 0;
  return vb::Day(date.asDate());
}

// The time of day, for ordering a day's lines: a line without a time goes first.
double timeOfDay(const Value& time) {
  return time.isDate() ? vb::timeOnly(time.asDate()) : -1;
}

// " AND column = 'code'" when the reader is bound to a customer.
std::string customerCondition(std::string_view column, const std::string& customer) {
  if (vb::Trim(customer).empty()) return {};
  return " AND " + std::string(column) + " = " + sqlText(customer);
}

// The range condition of the month: from its first day up to, not including, the next month's.
std::string monthRange(std::string_view column, CalendarMonth month) {
  const CalendarMonth next = nextMonth(month);
  return std::string(column) + " >= " + sqlDate(daySerial(month, 1)) + " AND " +
         std::string(column) + " < " + sqlDate(daySerial(next, 1));
}

void readTrips(Ravadid& app, CalendarMonth month, const std::string& customer,
               std::vector<CalendarItem>& items) {
  const std::string sql =
      "SELECT TRIPS.TRIPNUM, TRIPS.DEPDATE, TRIPS.DEPTIME, TRIPS.CANCELED, CUSTOMER.CUSTNAME, "
      "DESTINATION.DESTDESC "
      "FROM (TRIPS LEFT JOIN CUSTOMER ON TRIPS.CUSTOMER = CUSTOMER.CUSTOMER) "
      "LEFT JOIN DESTINATION ON TRIPS.DESTINATION = DESTINATION.DESTINATION WHERE " +
      monthRange("TRIPS.DEPDATE", month) + customerCondition("TRIPS.CUSTOMER", customer);
  db::Recordset trips;
  trips.open(sql, app.tripDb());
  for (; !trips.eof(); trips.moveNext()) {
    CalendarItem item;
    item.kind = CalendarItem::Kind::Trip;
    item.day = dayOf(trips.field("DEPDATE"));
    item.number = fieldText(trips.field("TRIPNUM"));
    item.time = trips.field("DEPTIME");
    const Value name = trips.field("CUSTNAME");
    item.customer = name.isNull() ? std::string(cells::kNotFound) : NullToSpace(name);
    item.destination = NullToSpace(trips.field("DESTDESC"));
    const Value cancelled = trips.field("CANCELED");
    item.cancelled = !cancelled.isNull() && vb::CBool(cancelled);
    item.status = item.cancelled ? "Cancelled" : "Scheduled";
    items.push_back(std::move(item));
  }
  trips.close();
}

// The trips among the numbers that exist, whatever their month or customer.
std::set<long> existingTrips(Ravadid& app, const std::set<long>& numbers) {
  std::set<long> found;
  if (numbers.empty()) return found;
  std::string list;
  for (long number : numbers) {
    if (!list.empty()) list += ", ";
    list += std::to_string(number);
  }
  db::Recordset trips;
  trips.open("SELECT TRIPS.TRIPNUM FROM TRIPS WHERE TRIPS.TRIPNUM IN (" + list + ")", app.tripDb());
  for (; !trips.eof(); trips.moveNext()) found.insert(NullToLong(trips.field("TRIPNUM")));
  trips.close();
  return found;
}

void readRequests(Ravadid& app, CalendarMonth month, const std::string& customer,
                  std::vector<CalendarItem>& items) {
  const std::string sql =
      "SELECT TRIPSREQ.TRIPNUM, TRIPSREQ.DEPDATE, TRIPSREQ.DEPTIME, TRIPSREQ.STATUS, "
      "TRIPSREQ.CUSTOMER, TRIPSREQ.DESTINATION, tripsreq.destdesc as trDESTDESC, "
      "TRIPSREQ.FIELDTRIP_NUM FROM TRIPSREQ WHERE " +
      monthRange("TRIPSREQ.DEPDATE", month) + customerCondition("TRIPSREQ.CUSTOMER", customer) +
      " ORDER BY TRIPSREQ.CUSTOMER";
  db::Recordset requests;
  requests.open(sql, app.tripschlDb());
  std::set<long> tripNumbers;
  for (; !requests.eof(); requests.moveNext())
    if (const long trip = NullToLong(requests.field("FIELDTRIP_NUM")); trip != 0)
      tripNumbers.insert(trip);
  // A request made into a trip is shown once, as its trip.
  const std::set<long> scheduled = existingTrips(app, tripNumbers);
  cells::CustomerCursor customers(app.tripDb());
  cells::DestinationNames destinations(app.session());
  if (requests.recordCount() > 0) requests.moveFirst();
  for (; !requests.eof(); requests.moveNext()) {
    if (scheduled.count(NullToLong(requests.field("FIELDTRIP_NUM")))) continue;
    CalendarItem item;
    item.day = dayOf(requests.field("DEPDATE"));
    item.number = fieldText(requests.field("TRIPNUM"));
    item.time = requests.field("DEPTIME");
    item.status = NullToSpace(requests.field("STATUS"));
    const Value code = requests.field("CUSTOMER");
    item.customer =
        isBlank(NullToSpace(code)) ? std::string(cells::kNotFound) : customers.find(code).name;
    // Code 0 is a destination typed on the request, not one of the district's.
    const long destination = NullToLong(requests.field("DESTINATION"));
    item.destination = destination != 0 ? std::string(destinations.describe(destination))
                                        : NullToSpace(requests.field("trDESTDESC"));
    items.push_back(std::move(item));
  }
  customers.close();
  requests.close();
}

void readNotes(Ravadid& app, CalendarMonth month, std::map<int, CalendarDayNote>& notes) {
  const std::string sql =
      "Select * from Big_CalCalNotes where " + monthRange("Big_CalCalNotes.NoteDate", month);
  db::Recordset rows;
  rows.open(sql, app.tripDb());
  for (; !rows.eof(); rows.moveNext()) {
    const Value date = rows.field("NoteDate");
    // The calendar check looks a day up by its date alone, so a note with a time of day
    // never closes or warns.
    if (!date.isDate() || vb::timeOnly(date.asDate()) != 0) continue;
    const int day = vb::Day(date.asDate());
    if (notes.count(day)) continue;  // the check reads the first note of a date
    auto textOf = [&rows](std::string_view name) {
      const Value value = rows.field(name);
      return value.isNull() ? std::string() : vb::Trim(vb::CStr(value));
    };
    CalendarDayNote note;
    note.severity = NullToLong(rows.field("NoteSeverity"));
    note.text = textOf("NoteText");
    note.longText = textOf("NoteLongText");
    notes.emplace(day, std::move(note));
  }
  rows.close();
}

}  // namespace

std::optional<CalendarMonth> parseMonth(std::string_view text) {
  if (text.size() != 7 || text[4] != '-') return std::nullopt;
  const std::string_view year = text.substr(0, 4);
  const std::string_view month = text.substr(5, 2);
  if (!allDigits(year) || !allDigits(month)) return std::nullopt;
  CalendarMonth parsed{std::stoi(std::string(year)), std::stoi(std::string(month))};
  if (parsed.year < 1900 || parsed.month < 1 || parsed.month > 12) return std::nullopt;
  return parsed;
}

CalendarMonth monthOf(double serial) {
  return {vb::Year(serial), vb::Month(serial)};
}

CalendarMonth previousMonth(CalendarMonth month) {
  return month.month == 1 ? CalendarMonth{month.year - 1, 12}
                          : CalendarMonth{month.year, month.month - 1};
}

CalendarMonth nextMonth(CalendarMonth month) {
  return month.month == 12 ? CalendarMonth{month.year + 1, 1}
                           : CalendarMonth{month.year, month.month + 1};
}

std::string monthParameter(CalendarMonth month) {
  std::string text = std::to_string(month.year) + "-";
  if (month.month < 10) text += '0';
  return text + std::to_string(month.month);
}

std::string monthTitle(CalendarMonth month) {
  return std::string(kMonthNames[month.month - 1]) + " " + std::to_string(month.year);
}

double daySerial(CalendarMonth month, int day) {
  return vb::DateSerial(month.year, month.month, day);
}

int daysInMonth(CalendarMonth month) {
  return static_cast<int>(std::lround(daySerial(nextMonth(month), 1) - daySerial(month, 1)));
}

std::vector<CalendarWeek> monthWeeks(CalendarMonth month) {
  std::vector<CalendarWeek> weeks;
  const int days = daysInMonth(month);
  int column = vb::Weekday(daySerial(month, 1)) - 1;  // 0 = Sunday
  CalendarWeek week{};
  for (int day = 1; day <= days; ++day) {
    week[column] = day;
    if (++column == 7 || day == days) {
      weeks.push_back(week);
      week = {};
      column = 0;
    }
  }
  return weeks;
}

int weekOfDay(CalendarMonth month, int day) {
  const int firstColumn = vb::Weekday(daySerial(month, 1)) - 1;
  return (firstColumn + day - 1) / 7 + 1;
}

MonthCalendar loadMonthCalendar(Ravadid& app, CalendarMonth month, const std::string& customer) {
  MonthCalendar calendar;
  calendar.month = month;
  if (!app.databasePreamble()) return calendar;
  readRequests(app, month, customer, calendar.items);
  readTrips(app, month, customer, calendar.items);
  readNotes(app, month, calendar.notes);
  app.closeStep();
  std::stable_sort(calendar.items.begin(), calendar.items.end(),
                   [](const CalendarItem& a, const CalendarItem& b) {
                     if (a.day != b.day) return a.day < b.day;
                     return timeOfDay(a.time) < timeOfDay(b.time);
                   });
  return calendar;
}

std::string_view statusClass(const CalendarItem& item) {
  if (item.kind == CalendarItem::Kind::Trip)
    return item.cancelled ? "status-cancelled" : "status-trip";
  const std::string status = vb::UCase(vb::Trim(item.status));
  if (status == "PENDING") return "status-pending";
  if (status == "UNAPPROVED") return "status-unapproved";
  if (status == "DENIED") return "status-denied";
  if (status == "ACCEPTED") return "status-accepted";
  return "status-approving";
}

}  // namespace ravadid

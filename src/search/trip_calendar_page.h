// TripCalendar: the requests and scheduled trips a user may see, by departure date, as a month
// (a week on a phone). Closed and warning days of the calendar notes are marked, and every day
// links to the request list of that day.
#pragma once

#include <string>

#include "frame/page_object.h"
#include "search/trip_calendar.h"

namespace ravadid {

class Ravadid;

class TripCalendarPage : public PageObject {
 public:
  TripCalendarPage() : PageObject("TripCalendar") {}
  void respond(Ravadid& app) const override;
};

// The page entered by a link: month=YYYY-MM (the current month when absent) and week=N (the
// week of the month the narrow view lists; the week of today, or the first, when absent). A
// month that is no month answers with a message.
void TripCalendar_Respond(Ravadid& app);

// What the page shows of one month, for its tags.
struct CalendarView {
  MonthCalendar calendar;
  int week = 1;        // the week the narrow view lists
  int today = 0;       // today's day in this month, 0 when today is in another month
  std::string self;    // the page's URL without parameters
  std::string search;  // the request list's search URL, to which a day adds its dates
};

// The month as a table, a week to a row, Sunday first.
std::string monthGridHtml(const CalendarView& view);
// The chosen week as a list of its days in the month.
std::string weekListHtml(const CalendarView& view);
// Links to the previous and next month and to this month.
std::string monthNavigationHtml(const CalendarView& view, double today);

}  // namespace ravadid

#include "search/trip_calendar_page.h"

#include <array>
#include <cmath>
#include <string_view>

#include "frame/application.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "search/search_common.h"
#include "signin/district_tags.h"

namespace ravadid {
namespace {

using namespace std::string_view_literals;

constexpr std::array<std::string_view, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};

constexpr std::string_view kBadMonth = "Please choose a month as YYYY-MM, for example 2026-03.";

// "2026-03-05", as a date field posts it and as the request list reads it.
std::string isoDate(CalendarMonth month, int day) {
  return monthParameter(month) + (day < 10 ? "-0" : "-") + std::to_string(day);
}

// "Thursday, March 5".
std::string dayName(CalendarMonth month, int day) {
  const int weekday = vb::Weekday(daySerial(month, day)) - 1;
  std::string title = monthTitle(month);
  return std::string(kWeekdays[weekday]) + ", " + title.substr(0, title.find(' ')) + " " +
         std::to_string(day);
}

std::string calendarLink(const CalendarView& view, CalendarMonth month, int week = 0) {
  std::string url = view.self + "&month=" + monthParameter(month);
  if (week > 0) url += "&week=" + std::to_string(week);
  return url;
}

// The request list of the requests departing on the day.
std::string dayLink(const CalendarView& view, int day) {
  const std::string date = isoDate(view.calendar.month, day);
  return view.search + "&DepFrom=" + date + "&DepTo=" + date;
}

void appendLink(std::string& html, std::string_view href, std::string_view className) {
  html.append("<a class=\""sv).append(className).append("\" href=\""sv);
  appendHtmlEscaped(html, href);
  html += "\">"sv;
}

std::string dayClasses(const CalendarView& view, int day) {
  std::string classes = "day";
  if (auto note = view.calendar.notes.find(day); note != view.calendar.notes.end()) {
    if (note->second.closed()) classes += " closed";
    if (note->second.warning()) classes += " warning";
  }
  if (day == view.today) classes += " today";
  return classes;
}

void appendNote(std::string& html, const CalendarView& view, int day) {
  auto found = view.calendar.notes.find(day);
  if (found == view.calendar.notes.end()) return;
  const CalendarDayNote& note = found->second;
  if (!note.closed() && !note.warning()) return;
  html += note.closed() ? "<p class=\"note note-closed\"><strong>Closed</strong>"sv
                        : "<p class=\"note note-warning\"><strong>Warning</strong>"sv;
  if (!note.text.empty()) {
    html += ": "sv;
    appendHtmlEscaped(html, note.text);
  }
  if (!note.longText.empty()) {
    html += " <span class=\"note-detail\">"sv;
    appendHtmlEscaped(html, note.longText);
    html += "</span>"sv;
  }
  html += "</p>"sv;
}

void appendItems(std::string& html, const CalendarView& view, int day) {
  bool any = false;
  for (const CalendarItem& item : view.calendar.items) {
    if (item.day != day) continue;
    if (!any) html += "<ul class=\"items\">"sv;
    any = true;
    html.append("<li class=\"item "sv).append(statusClass(item)).append("\">"sv);
    html += "<span class=\"item-time\">"sv;
    appendTimeCell(html, item.time);
    html += "</span> <span class=\"item-number\">"sv;
    html += item.kind == CalendarItem::Kind::Trip ? "Trip "sv : "Request "sv;
    appendHtmlEscaped(html, item.number);
    html += "</span> <span class=\"item-customer\">"sv;
    appendHtmlEscaped(html, item.customer);
    html += "</span> <span class=\"item-destination\">"sv;
    appendTextOrSpace(html, item.destination);
    html += "</span> <span class=\"item-status\">"sv;
    appendHtmlEscaped(html, item.status);
    html += "</span></li>"sv;
  }
  if (any) html += "</ul>"sv;
}

}  // namespace

std::string monthGridHtml(const CalendarView& view) {
  const CalendarMonth month = view.calendar.month;
  std::string html = "<table class=\"month-grid\"><caption class=\"visually-hidden\">";
  appendHtmlEscaped(html, "Trips and requests departing in " + monthTitle(month));
  html += "</caption><thead><tr>"sv;
  for (std::string_view weekday : kWeekdays) {
    html.append("<th scope=\"col\"><abbr title=\""sv).append(weekday).append("\">"sv);
    html.append(weekday.substr(0, 3)).append("</abbr></th>"sv);
  }
  html += "</tr></thead><tbody>"sv;
  for (const CalendarWeek& week : monthWeeks(month)) {
    html += "<tr>"sv;
    for (int day : week) {
      if (day == 0) {
        html += "<td class=\"outside\"></td>"sv;
        continue;
      }
      html.append("<td class=\""sv).append(dayClasses(view, day)).append("\""sv);
      if (day == view.today) html += " aria-current=\"date\""sv;
      html += ">"sv;
      appendLink(html, dayLink(view, day), "day-link");
      html += std::to_string(day);
      html += "<span class=\"visually-hidden\"> "sv;
      appendHtmlEscaped(html, dayName(month, day));
      html += ": requests</span></a>"sv;
      appendNote(html, view, day);
      appendItems(html, view, day);
      html += "</td>"sv;
    }
    html += "</tr>"sv;
  }
  html += "</tbody></table>"sv;
  return html;
}

std::string weekListHtml(const CalendarView& view) {
  const CalendarMonth month = view.calendar.month;
  const std::vector<CalendarWeek> weeks = monthWeeks(month);
  const CalendarWeek& week = weeks[view.week - 1];
  std::string html = "<nav class=\"week-nav\" aria-label=\"Weeks\">";
  // The week before the first is the last of the month before, and so on.
  if (view.week > 1) {
    appendLink(html, calendarLink(view, month, view.week - 1), "previous");
  } else {
    const CalendarMonth before = previousMonth(month);
    appendLink(html, calendarLink(view, before, static_cast<int>(monthWeeks(before).size())),
               "previous");
  }
  html += "Previous week</a>"sv;
  html += "<span class=\"week-title\">Week "sv;
  html += std::to_string(view.week) + " of " + std::to_string(weeks.size());
  html += "</span>"sv;
  if (view.week < static_cast<int>(weeks.size())) {
    appendLink(html, calendarLink(view, month, view.week + 1), "next");
  } else {
    appendLink(html, calendarLink(view, nextMonth(month), 1), "next");
  }
  html += "Next week</a></nav><ol class=\"week-days\">"sv;
  for (int day : week) {
    if (day == 0) continue;
    html.append("<li class=\""sv).append(dayClasses(view, day)).append("\""sv);
    if (day == view.today) html += " aria-current=\"date\""sv;
    html += "><h3 class=\"day-title\">"sv;
    appendLink(html, dayLink(view, day), "day-link");
    appendHtmlEscaped(html, dayName(month, day));
    html += "</a></h3>"sv;
    appendNote(html, view, day);
    const std::size_t before = html.size();
    appendItems(html, view, day);
    if (html.size() == before) html += "<p class=\"no-items\">No trips or requests.</p>"sv;
    html += "</li>"sv;
  }
  html += "</ol>"sv;
  return html;
}

std::string monthNavigationHtml(const CalendarView& view, double today) {
  const CalendarMonth month = view.calendar.month;
  std::string html;
  appendLink(html, calendarLink(view, previousMonth(month)), "previous");
  html += "<span aria-hidden=\"true\">&larr; </span>"sv;
  appendHtmlEscaped(html, monthTitle(previousMonth(month)));
  html += "</a>"sv;
  appendLink(html, calendarLink(view, monthOf(today)), "this-month");
  html += "This month</a>"sv;
  appendLink(html, calendarLink(view, nextMonth(month)), "next");
  appendHtmlEscaped(html, monthTitle(nextMonth(month)));
  html += "<span aria-hidden=\"true\"> &rarr;</span></a>"sv;
  return html;
}

namespace {

// Writes the page's template with the tags of one month.
class CalendarPageWriter final : public PageObject {
 public:
  CalendarPageWriter(const CalendarView& view, double today)
      : PageObject("TripCalendar"), view_(view), today_(today) {}
  void processTag(Ravadid& app, TagEvent& tag) const override {
    if (replaceDistrictTag(app, tag)) return;
    if (tag.is("WC@MONTH")) {
      tag.contents = htmlEscape(monthTitle(view_.calendar.month));
    } else if (tag.is("WC@MONTHNAV")) {
      tag.contents = monthNavigationHtml(view_, today_);
    } else if (tag.is("WC@CALENDAR")) {
      tag.contents = monthGridHtml(view_);
    } else if (tag.is("WC@WEEK")) {
      tag.contents = weekListHtml(view_);
    }
  }

 private:
  const CalendarView& view_;
  double today_;
};

// The week asked for, if it is one of the month's; otherwise the week of today in this month,
// or the first.
int chosenWeek(const std::string& asked, CalendarMonth month, int today) {
  const int weeks = static_cast<int>(monthWeeks(month).size());
  if (!asked.empty() && asked.size() <= 2 &&
      asked.find_first_not_of("0123456789") == std::string::npos) {
    const int week = std::stoi(asked);
    if (week >= 1 && week <= weeks) return week;
  }
  return today > 0 ? weekOfDay(month, today) : 1;
}

}  // namespace

void TripCalendarPage::respond(Ravadid& app) const {
  TripCalendar_Respond(app);
}

void TripCalendar_Respond(Ravadid& app) {
  app.run({.name = "TripCalendar_Respond"}, [&] {
    if (!app.sessionCheck()) return;
    const double today = vb::Today();
    CalendarMonth month = monthOf(today);
    if (const std::string asked = vb::Trim(app.query("month")); !asked.empty()) {
      const std::optional<CalendarMonth> parsed = parseMonth(asked);
      if (!parsed) {
        app.errorText() = std::string(kBadMonth);  // written as the whole answer
        app.backTo(app.urlFor("TripCalendar"));
        return;
      }
      month = *parsed;
    }
    CalendarView view;
    view.today = monthOf(today) == month ? vb::Day(today) : 0;
    view.week = chosenWeek(vb::Trim(app.query("week")), month, view.today);
    view.self = app.urlFor("TripCalendar");
    view.search = app.urlFor("RequestSearch", "TripRequests");
    view.calendar = loadMonthCalendar(app, month, boundCustomer(app));
    if (!app.noError()) return;
    app.writeTemplate(CalendarPageWriter(view, today));
  });
}

}  // namespace ravadid

// Local dates and times, as the data files hold them: no time zone, whole seconds.
#pragma once

#include <chrono>
#include <string>

namespace ravadid::demo {

using Days = std::chrono::sys_days;

int dayNumber(Days day);

// A moment as seconds since 1970-01-01 00:00 local time.
long long momentAt(Days day, int secondOfDay);

Days dayOf(long long moment);
int secondOfDay(long long moment);

std::string dateText(Days day);
std::string momentText(long long moment);

// A time of day alone is stored on day zero.
std::string timeText(int minuteOfDay, int second = 0);

bool isWeekend(Days day);

// Today in the server's local time.
std::chrono::year_month_day localToday();

}  // namespace ravadid::demo

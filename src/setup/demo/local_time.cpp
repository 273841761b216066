#include "setup/demo/local_time.h"

#include <cstdio>
#include <ctime>

namespace ravadid::demo {
namespace {

constexpr long long kSecondsPerDay = 86400;

std::string dateTimeText(Days day, int second) {
  std::chrono::year_month_day date{day};
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                second / 3600, second / 60 % 60, second % 60);
  return text;
}

}  // namespace

int dayNumber(Days day) {
  return static_cast<int>(day.time_since_epoch().count());
}

long long momentAt(Days day, int secondOfDay) {
  return dayNumber(day) * kSecondsPerDay + secondOfDay;
}

Days dayOf(long long moment) {
  long long day = moment / kSecondsPerDay;
  if (moment % kSecondsPerDay < 0) --day;
  return Days{std::chrono::days{day}};
}

int secondOfDay(long long moment) {
  long long second = moment % kSecondsPerDay;
  return static_cast<int>(second < 0 ? second + kSecondsPerDay : second);
}

std::string dateText(Days day) {
  return dateTimeText(day, 0);
}

std::string momentText(long long moment) {
  return dateTimeText(dayOf(moment), secondOfDay(moment));
}

std::string timeText(int minuteOfDay, int second) {
  constexpr Days kDayZero = std::chrono::sys_days{std::chrono::year{1899} / 12 / 30};
  return dateTimeText(kDayZero, minuteOfDay * 60 + second);
}

bool isWeekend(Days day) {
  std::chrono::weekday weekday{day};
  return weekday == std::chrono::Saturday || weekday == std::chrono::Sunday;
}

std::chrono::year_month_day localToday() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::chrono::year{local.tm_year + 1900} /
         std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
         std::chrono::day{static_cast<unsigned>(local.tm_mday)};
}

}  // namespace ravadid::demo

#include "forms/date_time_selectors.h"

#include <array>
#include <cmath>
#include <vector>

#include "frame/application.h"
#include "frame/errors.h"
#include "frame/runtime.h"
#include "frame/text.h"

namespace ravadid {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The unset choice that leads every list when the value is the blank date.
constexpr std::string_view kBlankOption = "<option selected value = ' '></option>";

// Months, days, hours and minutes open their options with blanks around "="; years do not.
struct OptionOpenings {
  std::string_view plain;
  std::string_view selected;
};
constexpr OptionOpenings kSpacedOpenings{"<option value = '", "<option selected value = '"};
constexpr OptionOpenings kYearOpenings{"<option value='", "<option selected value='"};

bool isBlankDate(double dateTime) {
  return dateTime == kBlankDate;
}

void appendOption(std::string& html, const OptionOpenings& openings, bool selected,
                  std::string_view value, std::string_view text) {
  html.append(selected ? openings.selected : openings.plain);
  html.append(value).append("'>").append(text).append("</option>");
}

std::string openDateList(std::string_view prefix, std::string_view tail,
                         std::string_view attributes) {
  std::string html = "<span  class=HOMEPAGEFONT><select class=HOMEPAGEFONT name='";
  html.append(prefix).append(tail).append(attributes).append(">");
  return html;
}

constexpr std::string_view kDateListEnd = "</select></span>";

// The legacy Left/Right count characters, not bytes; never split a UTF-8 sequence.
size_t characterCount(std::string_view text) {
  size_t count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

// Byte offset where character number `characters` begins.
size_t byteOffsetOfCharacter(std::string_view text, size_t characters) {
  size_t seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (seen == characters) return i;
    ++seen;
  }
  return text.size();
}

}  // namespace

std::string BuildMonthDD(double dateTime, std::string_view prefix, std::string_view attributes) {
  std::string html =
      openDateList(prefix, "_month' size='1' style='height: 23; width: 52' ", attributes);
  const bool blank = isBlankDate(dateTime);
  if (blank) html.append(kBlankOption);
  const int month = blank ? 0 : vb::Month(dateTime);
  for (int m = 1; m <= 12; ++m) {
    const std::string_view name = kMonthNames[m - 1];
    appendOption(html, kSpacedOpenings, m == month, name, name);
  }
  html.append(kDateListEnd);
  return html;
}

std::string BuildDayDD(double dateTime, std::string_view prefix, std::string_view attributes) {
  std::string html =
      openDateList(prefix, "_date' size='1' style='height: 23; width: 44' ", attributes);
  const bool blank = isBlankDate(dateTime);
  if (blank) html.append(kBlankOption);
  const int day = blank ? 0 : vb::Day(dateTime);
  for (int d = 1; d <= 31; ++d) {
    const std::string text = std::to_string(d);
    appendOption(html, kSpacedOpenings, d == day, text, text);
  }
  html.append(kDateListEnd);
  return html;
}

std::string BuildYearDD(double dateTime, std::string_view prefix, std::string_view attributes) {
  return BuildYearDD(dateTime, prefix, attributes, vb::Today());
}

std::string BuildYearDD(double dateTime, std::string_view prefix, std::string_view attributes,
                        double today) {
  std::string html =
      openDateList(prefix, "_year' size='1' style='height: 23; width: 53' ", attributes);
  const bool blank = isBlankDate(dateTime);
  if (blank) html.append(kBlankOption);
  const int year = blank ? 0 : vb::Year(dateTime);

  // Last year to ten years ahead, so trips can always be entered for the coming years. A
  // stored year outside that window stays on offer, or re-saving the form would change it.
  const int first = vb::Year(today) - 1;
  const int last = first + 11;
  std::vector<int> years;
  if (!blank && year < first) years.push_back(year);
  for (int y = first; y <= last; ++y) years.push_back(y);
  if (!blank && year > last) years.push_back(year);

  for (int y : years) {
    const std::string text = std::to_string(y);
    appendOption(html, kYearOpenings, y == year, text, text);
  }
  html.append(kDateListEnd);
  return html;
}

std::string BuildTimeDD(double dateTime, std::string_view prefix, std::string_view attributes) {
  const bool blank = isBlankDate(dateTime);
  const int hour24 = vb::Hour(dateTime);
  const int minute = vb::Minute(dateTime);
  const int hour = hour24 == 0 ? 12 : (hour24 > 12 ? hour24 - 12 : hour24);
  bool pm = hour24 >= 12;
  // An unset return or leave time offers the afternoon, an unset departure or arrival the
  // morning (the blank date itself is midnight).
  if (blank) {
    const std::string upper = vb::UCase(prefix);
    if (upper == "RET" || upper == "LEAVE") pm = true;
  }

  std::string html = "<select name='";
  html.append(prefix).append("_HOUR' ").append(attributes).append(">");
  if (blank) html.append(kBlankOption);
  for (int h = 1; h <= 12; ++h) {
    const std::string text = std::to_string(h);
    appendOption(html, kSpacedOpenings, !blank && h == hour, text, text);
  }
  html.append("</select>");

  html.append("<select name='").append(prefix).append("_MIN' ").append(attributes).append(" >");
  if (blank) html.append(kBlankOption);
  for (int m = 0; m <= 55; m += 5) {
    const std::string value = std::to_string(m);
    const std::string text = m < 10 ? "0" + value : value;
    appendOption(html, kSpacedOpenings, !blank && m == minute, value, text);
  }
  html.append("</select>");

  html.append("<INPUT TYPE=radio  name='").append(prefix).append("_AMPM'  VALUE='AM' ");
  if (!pm) html.append("CHECKED ");
  html.append(attributes).append(">am");
  html.append("<INPUT TYPE=radio  name='").append(prefix).append("_AMPM'  VALUE='PM' ");
  if (pm) html.append("CHECKED ");
  html.append(attributes).append(">pm");
  return html;
}

std::string getTIME(Ravadid& app, std::string_view strTIME) {
  std::string result;
  app.run({.name = "getTIME", .closesConnections = false}, [&] {
    if (vb::Trim(strTIME).empty()) {
      result = "&nbsp;";
      return;
    }
    const size_t length = characterCount(strTIME);
    if (length < 6) raise(vberr::kInvalidProcedureCall, "Invalid procedure call or argument");
    // Drops the seconds and the blank before AM/PM: "10:30:00 AM" -> "10:30", "AM".
    const std::string_view clock = strTIME.substr(0, byteOffsetOfCharacter(strTIME, length - 6));
    const std::string_view meridiem = strTIME.substr(byteOffsetOfCharacter(strTIME, length - 2));
    result = htmlEscape(clock) + "&nbsp;" + htmlEscape(meridiem);
  });
  return result;
}

void appendTimeOfDate(std::string& out, double dateTime) {
  // A time of day alone, as time columns hold it, is written straight from its seconds: a list
  // writes four times a row.
  constexpr int kSecondsPerDay = 24 * 60 * 60;
  const long long seconds =
      dateTime >= 0 && dateTime < 1 ? std::llround(dateTime * kSecondsPerDay) : kSecondsPerDay;
  if (seconds < kSecondsPerDay) {
    const int hour = static_cast<int>(seconds / 3600);
    const int minute = static_cast<int>(seconds / 60 % 60);
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    char text[16];
    char* end = text;
    if (hour12 >= 10) *end++ = '1';
    *end++ = static_cast<char>('0' + hour12 % 10);
    *end++ = ':';
    *end++ = static_cast<char>('0' + minute / 10);
    *end++ = static_cast<char>('0' + minute % 10);
    out.append(text, end).append(hour < 12 ? "&nbsp;AM" : "&nbsp;PM");
    return;
  }
  const std::string text = vb::formatDate(dateTime);
  out.append(text, 0, text.size() - 6).append("&nbsp;").append(text, text.size() - 2);
}

std::string getDATE(Ravadid& app, double dtDATE) {
  std::string result;
  app.run({.name = "getDATE", .closesConnections = false}, [&] {
    const vb::DateParts parts = vb::dateParts(dtDATE);
    const std::string year = std::to_string(parts.year);
    result = std::to_string(parts.month) + "/" + std::to_string(parts.day) + "/" +
             year.substr(year.size() >= 2 ? year.size() - 2 : 0);
  });
  return result;
}

}  // namespace ravadid

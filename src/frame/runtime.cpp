#include "frame/runtime.h"

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/stringpiece.h>
#include <unicode/ucasemap.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <vector>

#include "frame/errors.h"

namespace ravadid::vb {
namespace {

// ---- Characters -------------------------------------------------------------------------

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
char upperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Surrounding spaces and tabs, which number and date recognition both ignore.
std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool startsWithIgnoreCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && equalsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

bool endsWithIgnoreCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && equalsIgnoreCase(s.substr(s.size() - suffix.size()), suffix);
}

// Digits only, at most maxDigits of them.
std::optional<int> smallNumber(std::string_view s, std::size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  int value = 0;
  for (char c : s) {
    if (!isDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The number written by count digits at text[at], or -1 when one of them is no digit.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t k = at; k < at + count; ++k) {
    const unsigned digit = static_cast<unsigned char>(text[k]) - unsigned{'0'};
    if (digit > 9) return -1;
    value = value * 10 + static_cast<int>(digit);
  }
  return value;
}

constexpr int64_t floorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
constexpr int64_t floorMod(int64_t a, int64_t b) {
  return a - floorDiv(a, b) * b;
}

// ---- Numbers ----------------------------------------------------------------------------

int hexDigitValue(char c) {
  if (isDigit(c)) return c - '0';
  char l = lowerAscii(c);
  return (l >= 'a' && l <= 'f') ? l - 'a' + 10 : -1;
}

// "&H" text: up to four digits is a 16-bit number, up to eight a 32-bit one, so "&HFFFF" is -1.
std::optional<double> parseHex(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t bits = 0;
  for (char c : digits) {
    int d = hexDigitValue(c);
    if (d < 0) return std::nullopt;
    bits = bits * 16 + static_cast<uint32_t>(d);
  }
  if (digits.size() <= 4) return static_cast<int16_t>(static_cast<uint16_t>(bits));
  return static_cast<int32_t>(bits);
}

// A sign and a dollar sign, in either order, each at most once.
std::size_t skipSignAndDollar(std::string_view s, bool& negative) {
  bool sawSign = false, sawDollar = false;
  std::size_t i = 0;
  while (i < s.size()) {
    if ((s[i] == '+' || s[i] == '-') && !sawSign) {
      sawSign = true;
      negative = s[i] == '-';
    } else if (s[i] == '$' && !sawDollar) {
      sawDollar = true;
    } else {
      break;
    }
    ++i;
  }
  return i;
}

// Digits with thousands separators (a comma anywhere after the first digit), a decimal part and
// an exponent. The separators are dropped, so "1,2" reads as 12.
std::optional<double> parseDecimal(std::string_view s) {
  bool negative = false;
  std::size_t i = skipSignAndDollar(s, negative);
  std::string plain;
  bool mantissaDigits = false;
  for (; i < s.size() && (isDigit(s[i]) || (s[i] == ',' && mantissaDigits)); ++i) {
    if (s[i] == ',') continue;
    plain += s[i];
    mantissaDigits = true;
  }
  if (i < s.size() && s[i] == '.') {
    plain += s[i++];
    for (; i < s.size() && isDigit(s[i]); ++i) {
      plain += s[i];
      mantissaDigits = true;
    }
  }
  if (!mantissaDigits) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    plain += s[i++];
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
    std::size_t exponentStart = i;
    for (; i < s.size() && isDigit(s[i]); ++i) plain += s[i];
    if (i == exponentStart) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
  return negative ? -value : value;
}

// The number in a value, as every numeric conversion starts: Empty is 0, text must be numeric.
double numberOf(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Empty:
      return 0.0;
    case Value::Kind::Null:
      raiseInvalidUseOfNull();
    case Value::Kind::Text: {
      std::optional<double> n = parseNumber(v.asText());
      if (!n) raiseTypeMismatch();
      return *n;
    }
    case Value::Kind::List:
      raiseTypeMismatch();
    default:
      return v.asDouble();
  }
}

template <typename Whole>
Whole wholeNumber(const Value& v) {
  double rounded = roundHalfEven(numberOf(v));
  if (!(rounded >= std::numeric_limits<Whole>::min() &&
        rounded <= std::numeric_limits<Whole>::max())) {
    raiseOverflow();
  }
  return static_cast<Whole>(rounded);
}

// The runtime prints a number with up to `digits` significant digits, switching to E notation
// ("1E+20", "1E-05") where printf's %G would.
template <typename Real>
std::string realText(Real x, int digits) {
  if (x == 0) return "0";  // also for -0
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, digits);
  std::string text(buf, result.ptr);
  for (char& c : text) c = upperAscii(c);
  return text;
}

// ---- Calendar ---------------------------------------------------------------------------

constexpr int kSecondsPerDay = 86400;
constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

// Days since 1 January 1970 of a proleptic Gregorian date (month 1..12).
constexpr int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = floorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct CivilDate {
  int64_t year;
  int month, day;
};

CivilDate civilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = floorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2), month, day};
}

constexpr int64_t kSerialDayZero = daysFromCivil(1899, 12, 30);

constexpr int64_t serialDay(int64_t year, int month, int day) {
  return daysFromCivil(year, month, day) - kSerialDayZero;
}

bool isLeapYear(int64_t y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int64_t year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValidDate(int64_t year, int month, int day) {
  return year >= kMinYear && year <= kMaxYear && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysInMonth(year, month);
}

// A serial split into its calendar day and the seconds of that day. The time fraction counts
// forward from the day's midnight whatever the sign (-1.25 is 29 Dec 1899 06:00), as the runtime
// stores dates before day 0.
struct SplitSerial {
  int64_t day;
  int seconds;
};

SplitSerial splitSerial(double serial) {
  constexpr double kFirst = static_cast<double>(serialDay(kMinYear, 1, 1));
  constexpr double kLast = static_cast<double>(serialDay(kMaxYear, 12, 31)) + 1.0;
  if (!(serial > kFirst - 1.0 && serial < kLast)) raiseOverflow();
  const double whole = std::trunc(serial);
  auto seconds = static_cast<int>(std::llround(std::fabs(serial - whole) * kSecondsPerDay));
  auto day = static_cast<int64_t>(whole);
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    day += 1;
  }
  return {day, seconds};
}

double composeSerial(int64_t day, int seconds) {
  const double time = static_cast<double>(seconds) / kSecondsPerDay;
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

// ---- Date text --------------------------------------------------------------------------

constexpr std::array<const char*, 12> kMonthNames = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};

// A month by its full name or its first three letters.
std::optional<int> monthFromName(std::string_view word) {
  for (int m = 0; m < 12; ++m) {
    std::string_view name = kMonthNames[m];
    if (equalsIgnoreCase(word, name) || equalsIgnoreCase(word, name.substr(0, 3))) return m + 1;
  }
  return std::nullopt;
}

// Two-digit years: 00-29 are 2000-2029, 30-99 are 1930-1999. Three or four digits as written.
std::optional<int64_t> yearFromText(std::string_view s) {
  std::optional<int> y = smallNumber(s, 4);
  if (!y) return std::nullopt;
  if (s.size() <= 2) return *y < 30 ? 2000 + *y : 1900 + *y;
  return *y;
}

struct DateToken {
  std::string_view text;
  bool isWord;
};

// The date's fields: runs of digits or letters, each pair divided by blanks with at most one
// "/", "-" or ",". A comma is only allowed where a month is written as a name.
std::optional<std::vector<DateToken>> dateTokens(std::string_view s) {
  std::vector<DateToken> tokens;
  bool comma = false;
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t start = i;
    const bool word = isLetter(s[i]);
    while (i < s.size() && (word ? isLetter(s[i]) : isDigit(s[i]))) ++i;
    if (i == start) return std::nullopt;
    tokens.push_back({s.substr(start, i - start), word});
    if (i == s.size()) break;
    std::size_t separatorStart = i;
    while (i < s.size() && isBlank(s[i])) ++i;
    if (i < s.size() && (s[i] == '/' || s[i] == '-' || s[i] == ',')) comma |= s[i++] == ',';
    while (i < s.size() && isBlank(s[i])) ++i;
    if (i == separatorStart || i == s.size()) return std::nullopt;
  }
  int words = 0;
  for (const DateToken& t : tokens) words += t.isWord;
  if (words > 1 || (comma && words == 0)) return std::nullopt;
  return tokens;
}

int64_t currentYear() {
  return Year(Today());
}

// A month, day and year; without a year, this year.
std::optional<int64_t> dateFromFields(std::optional<int> month, std::string_view day,
                                      std::optional<std::string_view> year) {
  std::optional<int> d = smallNumber(day, 2);
  std::optional<int64_t> y = year ? yearFromText(*year) : currentYear();
  if (!month || !d || !y || !isValidDate(*y, *month, *d)) return std::nullopt;
  return serialDay(*y, *month, *d);
}

// "3/5/2024", "3-5-24", "3/5", "2024-03-05", "Mar/5/2024", "March 5, 2024", "5 Mar 2024".
std::optional<int64_t> parseDateText(std::string_view s) {
  std::optional<std::vector<DateToken>> tokens = dateTokens(s);
  if (!tokens || tokens->size() < 2 || tokens->size() > 3) return std::nullopt;
  const std::vector<DateToken>& t = *tokens;
  std::optional<std::string_view> year;
  if (t.size() == 3) year = t[2].text;
  if (t[0].isWord) return dateFromFields(monthFromName(t[0].text), t[1].text, year);
  if (t[1].isWord) return dateFromFields(monthFromName(t[1].text), t[0].text, year);
  if (year && t[2].isWord) return std::nullopt;
  if (year && t[0].text.size() >= 3) {  // year first: 2024-03-05
    return dateFromFields(smallNumber(t[1].text, 2), t[2].text, t[0].text);
  }
  return dateFromFields(smallNumber(t[0].text, 2), t[1].text, year);
}

// "10:30", "10:30:00", "22:15", "10:30 AM", "12:0:01AM", "10 PM"; the seconds of the day.
std::optional<int> parseTimeText(std::string_view s) {
  std::optional<bool> pm;
  if (endsWithIgnoreCase(s, "AM") || endsWithIgnoreCase(s, "PM")) {
    pm = upperAscii(s[s.size() - 2]) == 'P';
    s = trimBlanks(s.substr(0, s.size() - 2));
  }
  std::array<int, 3> fields = {0, 0, 0};
  std::size_t count = 0;
  for (;;) {
    if (count == fields.size()) return std::nullopt;
    const std::size_t colon = s.find(':');
    std::optional<int> n = smallNumber(s.substr(0, colon), 2);
    if (!n) return std::nullopt;
    fields[count++] = *n;
    if (colon == std::string_view::npos) break;
    s.remove_prefix(colon + 1);
  }
  if (count == 1 && !pm) return std::nullopt;  // a bare number is no time
  auto [hour, minute, second] = fields;
  if (pm && hour > 12) return std::nullopt;
  if (pm) hour = hour % 12 + (*pm ? 12 : 0);  // 12 AM is midnight, 12 PM noon
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
  return hour * 3600 + minute * 60 + second;
}

// Where the time begins: at the digits before the first colon, or at the hour before a final
// "AM"/"PM" ("10 AM"). The end of the text when there is no time.
std::size_t timeStart(std::string_view s) {
  std::size_t end = s.find(':');
  if (end == std::string_view::npos) {
    if (!endsWithIgnoreCase(s, "AM") && !endsWithIgnoreCase(s, "PM")) return s.size();
    end = s.size() - 2;
    while (end > 0 && isBlank(s[end - 1])) --end;
  }
  while (end > 0 && isDigit(s[end - 1])) --end;
  return end;
}

// The date part before a time: it must end in a blank, or in "T" for "2024-03-05T10:30:00".
std::optional<std::string_view> datePartBeforeTime(std::string_view s) {
  if (s.empty()) return s;
  if ((s.back() == 'T' || s.back() == 't') && s.size() > 1 && isDigit(s[s.size() - 2])) {
    return s.substr(0, s.size() - 1);
  }
  if (!isBlank(s.back())) return std::nullopt;
  return trimBlanks(s);
}

// Writes n in decimal at out, at least two digits when padded; n is 0..99. Returns the end.
char* putSmall(char* out, int n, bool padded) {
  if (n >= 10 || padded) *out++ = static_cast<char>('0' + n / 10);
  *out++ = static_cast<char>('0' + n % 10);
  return out;
}

std::string calendarText(int64_t day) {
  CivilDate c = civilFromDays(day + kSerialDayZero);
  if (c.year < 0 || c.year > 9999) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d/%d/%04lld", c.month, c.day, static_cast<long long>(c.year));
    return buf;
  }
  // Built by hand: every date a page shows passes through here.
  char buf[10];
  char* end = putSmall(buf, c.month, false);
  *end++ = '/';
  end = putSmall(end, c.day, false);
  *end++ = '/';
  const int year = static_cast<int>(c.year);
  end = putSmall(end, year / 100, true);
  end = putSmall(end, year % 100, true);
  return std::string(buf, end);
}

std::string clockText(int seconds) {
  const int hour = seconds / 3600;
  const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  char buf[11];
  char* end = putSmall(buf, hour12, false);
  *end++ = ':';
  end = putSmall(end, seconds / 60 % 60, true);
  *end++ = ':';
  end = putSmall(end, seconds % 60, true);
  *end++ = ' ';
  *end++ = hour < 12 ? 'A' : 'P';
  *end++ = 'M';
  return std::string(buf, end);
}

// ---- Number formats ---------------------------------------------------------------------

// A pattern of literal text around one number: "#" and "0" digit places, "," for thousands
// separators, "." for the decimal point; "\x" and "..." are literal text.
struct NumberPattern {
  std::string prefix, suffix;
  int minIntegerDigits = 0;  // "0" places before the point
  bool grouping = false;
  bool hasPoint = false;
  int fractionDigits = 0;          // places after the point
  int requiredFractionDigits = 0;  // up to the last "0" place after the point
};

NumberPattern parsePattern(std::string_view pattern) {
  NumberPattern p;
  enum class Part { Prefix, Number, Suffix } part = Part::Prefix;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    std::string literal;
    if (c == '\\' && i + 1 < pattern.size()) {
      literal = pattern[++i];
    } else if (c == '"') {
      std::size_t close = pattern.find('"', i + 1);
      if (close == std::string_view::npos) close = pattern.size();
      literal = pattern.substr(i + 1, close - i - 1);
      i = close;
    } else if (part != Part::Suffix && (c == '#' || c == '0' || c == ',' || c == '.')) {
      part = Part::Number;
      if (c == '.' && !p.hasPoint) {
        p.hasPoint = true;
      } else if (c == ',' && !p.hasPoint) {
        p.grouping = true;
      } else if (c != '.' && c != ',' && p.hasPoint) {
        ++p.fractionDigits;
        if (c == '0') p.requiredFractionDigits = p.fractionDigits;
      } else if (c == '0') {
        ++p.minIntegerDigits;
      }
      continue;
    } else {
      literal = c;
    }
    if (part == Part::Number) part = Part::Suffix;
    (part == Part::Prefix ? p.prefix : p.suffix) += literal;
  }
  return p;
}

struct FixedDecimal {
  std::string integer;   // no leading zeros; "0" for zero
  std::string fraction;  // exactly the digits asked for
};

// Adds one unit in the last place of integer + fraction.
void incrementLastDigit(FixedDecimal& d) {
  std::string digits = d.integer + d.fraction;
  int i = static_cast<int>(digits.size()) - 1;
  for (; i >= 0 && digits[i] == '9'; --i) digits[i] = '0';
  if (i >= 0) {
    ++digits[i];
  } else {
    digits.insert(digits.begin(), '1');
  }
  d.integer = digits.substr(0, digits.size() - d.fraction.size());
  d.fraction = digits.substr(d.integer.size());
}

// |x| in fixed notation with `decimals` fraction digits. Rounds the number's 15 significant
// decimal digits, halves away from zero, so 2.345 (stored as 2.34499...) rounds to 2.35.
FixedDecimal fixedDecimal(double x, int decimals) {
  char buf[64];
  auto result =
      std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
  std::string_view sci(buf, result.ptr - buf);  // d.ddddddddddddddde+XX
  const std::size_t e = sci.find('e');
  std::string digits = std::string(1, sci[0]) + std::string(sci.substr(2, e - 2));
  int exponent = 0;
  std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
  const int point = exponent + 1;
  FixedDecimal d;
  if (point <= 0) {
    d.integer = "0";
    d.fraction = std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (point >= static_cast<int>(digits.size())) {
    d.integer = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
  } else {
    d.integer = digits.substr(0, point);
    d.fraction = digits.substr(point);
  }
  const bool roundUp =
      static_cast<int>(d.fraction.size()) > decimals && d.fraction[decimals] >= '5';
  d.fraction.resize(decimals, '0');
  if (roundUp) incrementLastDigit(d);
  const std::size_t firstSignificant = d.integer.find_first_not_of('0');
  d.integer = firstSignificant == std::string::npos ? "0" : d.integer.substr(firstSignificant);
  return d;
}

std::string withThousandsSeparators(const std::string& digits) {
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string formatWithPattern(double value, const NumberPattern& p) {
  FixedDecimal d = fixedDecimal(value, p.fractionDigits);
  const bool isZero = d.integer == "0" && d.fraction.find_first_not_of('0') == std::string::npos;
  while (static_cast<int>(d.fraction.size()) > p.requiredFractionDigits &&
         d.fraction.back() == '0') {
    d.fraction.pop_back();
  }
  std::string integer = d.integer == "0" ? "" : d.integer;
  if (static_cast<int>(integer.size()) < p.minIntegerDigits) {
    integer.insert(0, p.minIntegerDigits - integer.size(), '0');
  }
  if (p.grouping) integer = withThousandsSeparators(integer);
  std::string text = (value < 0 && !isZero) ? "-" : "";
  text += p.prefix + integer;
  if (p.hasPoint) text += "." + d.fraction;
  return text + p.suffix;
}

}  // namespace

// ---- Conversions ------------------------------------------------------------------------

double roundHalfEven(double x) {
  const double below = std::floor(x);
  const double diff = x - below;
  if (diff < 0.5) return below;
  if (diff > 0.5) return below + 1.0;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

int16_t CInt(const Value& v) {
  return wholeNumber<int16_t>(v);
}
int32_t CLng(const Value& v) {
  return wholeNumber<int32_t>(v);
}
double CDbl(const Value& v) {
  return numberOf(v);
}

float CSng(const Value& v) {
  const double d = numberOf(v);
  if (std::isfinite(d) && std::fabs(d) > FLT_MAX) raiseOverflow();
  return static_cast<float>(d);
}

bool CBool(const Value& v) {
  if (v.isText()) {
    std::string_view t = trimBlanks(v.asText());
    if (equalsIgnoreCase(t, "True")) return true;
    if (equalsIgnoreCase(t, "False")) return false;
  }
  return numberOf(v) != 0.0;
}

std::string CStr(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Empty:
      return {};
    case Value::Kind::Null:
      raiseInvalidUseOfNull();
    case Value::Kind::Text:
      return v.asText();
    case Value::Kind::Integer:
    case Value::Kind::Long:
      return std::to_string(static_cast<int32_t>(v.asDouble()));
    case Value::Kind::Single:
      return realText(static_cast<float>(v.asDouble()), 7);
    case Value::Kind::Double:
      return realText(v.asDouble(), 15);
    case Value::Kind::Boolean:
      return v.asBoolean() ? "True" : "False";
    case Value::Kind::Date:
      return formatDate(v.asDate());
    case Value::Kind::List:
      break;
  }
  raiseTypeMismatch();
}

double CDate(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Null:
      raiseInvalidUseOfNull();
    case Value::Kind::Text: {
      std::optional<double> d = parseDate(v.asText());
      if (!d) raiseTypeMismatch();
      return *d;
    }
    case Value::Kind::List:
      raiseTypeMismatch();
    default:
      return v.asDouble();
  }
}

std::optional<double> parseNumber(std::string_view text) {
  std::string_view s = trimBlanks(text);
  if (startsWithIgnoreCase(s, "&H")) return parseHex(s.substr(2));
  return parseDecimal(s);
}

bool IsNumeric(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Empty:
    case Value::Kind::Integer:
    case Value::Kind::Long:
    case Value::Kind::Single:
    case Value::Kind::Double:
    case Value::Kind::Boolean:
      return true;
    case Value::Kind::Text:
      return parseNumber(v.asText()).has_value();
    default:
      return false;
  }
}

bool IsDate(const Value& v) {
  if (v.isDate()) return true;
  return v.isText() && parseDate(v.asText()).has_value();
}

// ---- Dates ------------------------------------------------------------------------------

double DateSerial(int year, int month, int day) {
  const int64_t monthIndex = static_cast<int64_t>(month) - 1;
  const int64_t y = year + floorDiv(monthIndex, 12);
  const int m = static_cast<int>(floorMod(monthIndex, 12)) + 1;
  return static_cast<double>(serialDay(y, m, 1) + day - 1);
}

double TimeSerial(int hour, int minute, int second) {
  const int64_t seconds =
      static_cast<int64_t>(hour) * 3600 + static_cast<int64_t>(minute) * 60 + second;
  return static_cast<double>(seconds) / kSecondsPerDay;
}

DateParts dateParts(double serial) {
  SplitSerial s = splitSerial(serial);
  CivilDate c = civilFromDays(s.day + kSerialDayZero);
  return {static_cast<int>(c.year), c.month,       c.day, s.seconds / 3600,
          s.seconds / 60 % 60,      s.seconds % 60};
}

int Year(double serial) {
  return dateParts(serial).year;
}
int Month(double serial) {
  return dateParts(serial).month;
}
int Day(double serial) {
  return dateParts(serial).day;
}
int Hour(double serial) {
  return dateParts(serial).hour;
}
int Minute(double serial) {
  return dateParts(serial).minute;
}
int Second(double serial) {
  return dateParts(serial).second;
}

int Weekday(double serial) {
  // Day 0 was a Saturday.
  return static_cast<int>(floorMod(splitSerial(serial).day + 6, 7)) + 1;
}

double dateOnly(double serial) {
  return static_cast<double>(splitSerial(serial).day);
}
double timeOnly(double serial) {
  return composeSerial(0, splitSerial(serial).seconds);
}

double Now() {
  return fromUnixTime(static_cast<int64_t>(std::time(nullptr)));
}
double Today() {
  return dateOnly(Now());
}

double fromUnixTime(int64_t secondsUtc) {
  const auto t = static_cast<std::time_t>(secondsUtc);
  std::tm local{};
  localtime_r(&t, &local);
  const int64_t day = serialDay(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday);
  return composeSerial(day, local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

std::optional<double> parseDate(std::string_view text) {
  std::string_view s = trimBlanks(text);
  if (s.empty()) return std::nullopt;
  const std::size_t split = timeStart(s);
  std::optional<std::string_view> datePart =
      split == s.size() ? s : datePartBeforeTime(s.substr(0, split));
  if (!datePart) return std::nullopt;
  int64_t day = 0;
  if (!datePart->empty()) {
    std::optional<int64_t> d = parseDateText(*datePart);
    if (!d) return std::nullopt;
    day = *d;
  }
  int seconds = 0;
  if (split < s.size()) {
    std::optional<int> t = parseTimeText(s.substr(split));
    if (!t) return std::nullopt;
    seconds = *t;
  }
  return composeSerial(day, seconds);
}

std::string formatDate(double serial) {
  SplitSerial s = splitSerial(serial);
  if (s.day == 0) return clockText(s.seconds);
  std::string date = calendarText(s.day);
  if (s.seconds != 0) date.append(" ").append(clockText(s.seconds));
  return date;
}

std::string toStorageText(double serial) {
  DateParts p = dateParts(serial);
  if (p.year >= 0 && p.year <= 9999) {
    // Written digit by digit: this runs for every date a statement reads or writes.
    std::string out = "0000-00-00 00:00:00";
    auto put = [&out](std::size_t at, int value, int digits) {
      for (int k = digits - 1; k >= 0; --k, value /= 10)
        out[at + static_cast<std::size_t>(k)] = static_cast<char>('0' + value % 10);
    };
    put(0, p.year, 4);
    put(5, p.month, 2);
    put(8, p.day, 2);
    put(11, p.hour, 2);
    put(14, p.minute, 2);
    put(17, p.second, 2);
    return out;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                p.minute, p.second);
  return buf;
}

std::optional<double> fromStorageText(std::string_view text) {
  // YYYY-MM-DD, optionally followed by " HH:MM:SS" or "THH:MM:SS". Read in place: every date a
  // statement reads passes here.
  if (text.size() != 10 && text.size() != 19) return std::nullopt;
  if (text[4] != '-' || text[7] != '-') return std::nullopt;
  // -1 for a field holding anything but digits, which no check below lets pass.
  const int year = digitsAt(text, 0, 4);
  const int month = digitsAt(text, 5, 2);
  const int day = digitsAt(text, 8, 2);
  if (!isValidDate(year, month, day)) return std::nullopt;
  int seconds = 0;
  if (text.size() == 19) {
    if ((text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':') {
      return std::nullopt;
    }
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    if (hour < 0 || minute < 0 || second < 0 || hour > 23 || minute > 59 || second > 59)
      return std::nullopt;
    seconds = hour * 3600 + minute * 60 + second;
  }
  return composeSerial(serialDay(year, month, day), seconds);
}

// ---- Text -------------------------------------------------------------------------------

std::string LTrim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string RTrim(std::string_view s) {
  const std::size_t last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

std::string Trim(std::string_view s) {
  return LTrim(RTrim(s));
}

// Letter case follows Unicode's rules through ICU, the Unicode library that Debian ships and
// keeps current with each Unicode version: upper and lower case by the full mappings of the
// root locale (no language's exceptions: "i" and "I" pair as in English), comparisons by full
// default case folding, so "straße" equals "STRASSE", final and medial sigma are one letter
// and the Kelvin sign is a "k". Bytes that are no valid UTF-8 pass through unchanged, so such
// text still compares consistently. Text that is all ASCII, nearly all text here, never
// reaches ICU.
namespace {

bool isAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

enum class CaseMapping { Upper, Lower, Fold };

std::string mapCase(std::string_view s, CaseMapping mapping) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  icu::StringByteSink<std::string> sink(&out);
  icu::StringPiece text(s.data(), static_cast<int32_t>(s.size()));
  UErrorCode error = U_ZERO_ERROR;
  switch (mapping) {
    case CaseMapping::Upper:
      icu::CaseMap::utf8ToUpper("", 0, text, sink, nullptr, error);
      break;
    case CaseMapping::Lower:
      icu::CaseMap::utf8ToLower("", 0, text, sink, nullptr, error);
      break;
    case CaseMapping::Fold:
      icu::CaseMap::utf8Fold(U_FOLD_CASE_DEFAULT, text, sink, nullptr, error);
      break;
  }
  if (U_FAILURE(error)) {  // only when out of memory
    out.assign(s);
    for (char& c : out) c = mapping == CaseMapping::Upper ? upperAscii(c) : lowerAscii(c);
  }
  return out;
}

}  // namespace

std::string UCase(std::string_view s) {
  if (!isAscii(s)) return mapCase(s, CaseMapping::Upper);
  std::string out(s);
  for (char& c : out) c = upperAscii(c);
  return out;
}

std::string LCase(std::string_view s) {
  if (!isAscii(s)) return mapCase(s, CaseMapping::Lower);
  std::string out(s);
  for (char& c : out) c = lowerAscii(c);
  return out;
}

std::string foldCase(std::string_view s) {
  if (!isAscii(s)) return mapCase(s, CaseMapping::Fold);
  std::string out(s);
  for (char& c : out) c = lowerAscii(c);
  return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size() && isAscii(a) && isAscii(b)) return false;
  return compareIgnoreCase(a, b) == 0;
}

int compareIgnoreCase(std::string_view a, std::string_view b) {
  // ASCII letters fold to themselves in lower case; the folded texts first differ where the
  // originals do, unless a byte outside ASCII comes first. From there on both rests are folded.
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  for (; i < n; ++i) {
    const auto x = static_cast<unsigned char>(lowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(lowerAscii(b[i]));
    if (x >= 0x80 || y >= 0x80) break;
    if (x != y) return x < y ? -1 : 1;
  }
  if (i == n && (isAscii(a.substr(i)) && isAscii(b.substr(i))))
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  int order = foldCase(a.substr(i)).compare(foldCase(b.substr(i)));
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// ---- Number formats ---------------------------------------------------------------------

std::string Format(double value, std::string_view pattern) {
  if (!std::isfinite(value)) raiseOverflow();
  if (pattern.empty()) return realText(value, 15);
  return formatWithPattern(value, parsePattern(pattern));
}

std::string FormatCurrency(double value) {
  std::string amount = Format(std::fabs(value), "$#,##0.00");
  return value < 0 && amount != "$0.00" ? "(" + amount + ")" : amount;
}

}  // namespace ravadid::vb

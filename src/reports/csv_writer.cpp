#include "reports/csv_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "frame/runtime.h"

namespace ravadid {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Text a spreadsheet would take for a formula (or, after a tab or CR, might once trimmed).
bool startsLikeFormula(std::string_view cell) {
  if (cell.empty()) return false;
  switch (cell.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
      return true;
    default:
      return false;
  }
}

void appendDouble(std::string& out, double value, int decimals) {
  char buffer[64];
  const auto result = decimals < 0 ? std::to_chars(buffer, buffer + sizeof buffer, value)
                                   : std::to_chars(buffer, buffer + sizeof buffer, value,
                                                   std::chars_format::fixed, decimals);
  out.append(buffer, result.ptr);
}

bool isBlankValue(const Value& cell) {
  return cell.isNull() || cell.isEmpty() || (cell.isText() && vb::Trim(cell.asText()).empty());
}

}  // namespace

CsvWriter::CsvWriter(std::string& out) : out_(out) {
  out_.append(kByteOrderMark);
}

void CsvWriter::separate() {
  if (rowStarted_) out_ += ',';
  rowStarted_ = true;
}

void CsvWriter::empty() {
  separate();
}

void CsvWriter::text(std::string_view cell) {
  separate();
  out_ += '"';
  if (startsLikeFormula(cell)) out_ += '\'';
  for (char c : cell) {
    if (c == '"') out_ += '"';
    out_ += c;
  }
  out_ += '"';
}

void CsvWriter::field(const Value& cell) {
  if (cell.isNull() || cell.isEmpty()) return empty();
  if (cell.isText()) return text(std::string_view(cell.asText()));
  if (cell.isDate()) return date(cell);
  text(std::string_view(vb::CStr(cell)));
}

void CsvWriter::number(double cell) {
  separate();
  // A total that should be zero may come out a hair below it; no "-0" either.
  if (std::fabs(cell) < 1e-9) cell = 0;
  appendDouble(out_, cell, -1);
}

void CsvWriter::number(const Value& cell) {
  if (isBlankValue(cell)) return empty();
  if (cell.isText()) {
    // A number stored as text is still a figure; anything else stays text.
    if (std::optional<double> parsed = vb::parseNumber(cell.asText())) return number(*parsed);
    return text(std::string_view(cell.asText()));
  }
  number(vb::CDbl(cell));
}

void CsvWriter::amount(const Value& cell) {
  if (isBlankValue(cell)) return empty();
  std::optional<double> value =
      cell.isText() ? vb::parseNumber(cell.asText()) : std::optional<double>(vb::CDbl(cell));
  if (!value) return text(std::string_view(cell.asText()));
  separate();
  // Cents are what the district bills in: an amount that rounds to no cents is 0.00, not -0.00.
  double cents = std::nearbyint(*value * 100);
  if (cents == 0) cents = 0;
  appendDouble(out_, cents / 100, 2);
}

void CsvWriter::date(const Value& cell) {
  if (isBlankValue(cell) || !vb::IsDate(cell)) return empty();
  const double serial = vb::CDate(cell);
  const vb::DateParts parts = vb::dateParts(serial);
  const bool hasDay = std::trunc(serial) != 0;
  const bool hasTime = parts.hour != 0 || parts.minute != 0 || parts.second != 0;
  char buffer[32];
  int length = 0;
  if (hasDay && hasTime) {
    length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d", parts.year,
                           parts.month, parts.day, parts.hour, parts.minute);
  } else if (hasDay) {
    length =
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", parts.year, parts.month, parts.day);
  } else {
    length = std::snprintf(buffer, sizeof buffer, "%02d:%02d", parts.hour, parts.minute);
  }
  text(std::string_view(buffer, static_cast<std::size_t>(length)));
}

void CsvWriter::flag(const Value& cell) {
  const bool on = !isBlankValue(cell) && vb::CBool(cell);
  text(on ? "Yes"sv : "No"sv);
}

void CsvWriter::endRow() {
  out_ += "\r\n"sv;
  rowStarted_ = false;
}

void CsvWriter::header(std::initializer_list<std::string_view> labels) {
  for (std::string_view label : labels) text(label);
  endRow();
}

std::string isoDate(double serial) {
  const vb::DateParts parts = vb::dateParts(serial);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", parts.year, parts.month, parts.day);
  return buffer;
}

}  // namespace ravadid

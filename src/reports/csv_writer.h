// Spreadsheet files of the lists and reports: comma-separated values that common spreadsheet
// programs open as they are. Text cells are always quoted and numbers never, so a reader that
// tells the two apart by quotes gets numbers as numbers; dates are ISO text ("2026-03-05").
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "frame/value.h"

namespace ravadid {

class CsvWriter {
 public:
  // Starts the file in out with the byte-order mark that makes spreadsheet programs read the
  // file as UTF-8 (accented names would otherwise come out garbled).
  explicit CsvWriter(std::string& out);

  // A text cell, quoted, its quotes doubled. Text that a spreadsheet would run as a formula
  // (beginning with "=", "+", "-", "@", a tab or a carriage return) gets a leading "'".
  void text(std::string_view cell);
  // A field as text: null is an empty cell, other values as the runtime prints them.
  void field(const Value& cell);
  // A figure, bare: "12", "-3.25". Never prefixed: a negative figure is a number, not a
  // formula. Null is an empty cell.
  void number(const Value& cell);
  void number(double cell);
  // An amount with its two decimals, bare: "1234.50", "-45.00"; null is an empty cell.
  void amount(const Value& cell);
  // A date-time as ISO text: "2026-03-05" for a date alone, "2026-03-05 14:30" with a time,
  // "14:30" for a time alone (stored on day zero). Null, blank or no date is an empty cell.
  void date(const Value& cell);
  // "Yes" or "No" for a flag; null reads as "No".
  void flag(const Value& cell);
  // Ends the row with CR LF.
  void endRow();

  // A whole row of header texts.
  void header(std::initializer_list<std::string_view> labels);

 private:
  void separate();
  void empty();

  std::string& out_;
  bool rowStarted_ = false;
};

// The date part of a download's file name: today as "2026-12-08".
std::string isoDate(double serial);

}  // namespace ravadid

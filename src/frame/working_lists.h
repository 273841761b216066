// The drop-down lists an application object works with during one request: filled by the
// loaders at sign-in, or copied from the session by a page that renders a list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/value.h"

namespace ravadid {

// A list: entries 0..count, entry 0 always empty. Each entry is a code, or a code, a comma, a
// blank and a description. The entries are immutable and may be shared with other sessions.
struct WorkingList {
  TextList entries;   // null until the list is loaded
  int16_t count = 0;  // index of the last entry

  bool loaded() const { return entries != nullptr; }
  // Entry i; empty text for an index the list does not hold.
  std::string_view entry(int index) const {
    if (!entries || index < 0 || static_cast<std::size_t>(index) >= entries->size()) return {};
    return (*entries)[static_cast<std::size_t>(index)];
  }
};

// The fund table: rows 0..count of a code and a description, row 0 empty. The cells are held
// row by row in one list of 2 * (count + 1) entries: code of row i at 2i, description at
// 2i + 1. The session keeps the same list under `Funds`.
struct FundTable {
  TextList cells;     // null until a table is loaded in this request
  int16_t count = 0;  // index of the last row

  bool loaded() const { return cells != nullptr; }
  std::string_view code(int row) const { return cell(2 * row); }
  std::string_view description(int row) const { return cell(2 * row + 1); }

 private:
  std::string_view cell(int index) const {
    if (!cells || index < 0 || static_cast<std::size_t>(index) >= cells->size()) return {};
    return (*cells)[static_cast<std::size_t>(index)];
  }
};

struct WorkingLists {
  WorkingList customers;
  WorkingList destinations;
  WorkingList tripCategories;
  WorkingList statuses;
  WorkingList divisions;
  WorkingList grades;
  WorkingList destinationCategories;
  FundTable funds;
  // The vehicle assignment's lists, loaded when a request is scheduled as a trip.
  WorkingList schedules;
  WorkingList vehicleTypes;
  WorkingList ticketTemplates;
};

}  // namespace ravadid

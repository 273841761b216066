// The district's settings and code tables in trip.mdb, and the calendar notes: fixed rows that
// the generated requests and trips refer to.
#pragma once

#include <array>
#include <span>

#include "setup/demo/code_seed.h"
#include "setup/demo/database_file.h"

namespace ravadid::demo {

struct BillRateSeed {
  int number;
  std::array<double, 5> amounts;
};

inline constexpr const char* kAmountLabels[5] = {"Per Mile", "Driver Per Hour", "Wait Per Hour",
                                                 "Lift Bus Fee", "Admin Fee"};

// The bill rate of the number; the first when there is none.
const BillRateSeed& billRate(int number);

inline constexpr const char* kDefaultVehicleType = "BUS72";
inline constexpr const char* kInvoiceFormat = "PLX_INVOICE";

// The buses that trips are assigned to.
std::span<const CodeSeed> busSchedules();

struct CalendarNote {
  int dayOffset;
  const char* text;
  const char* longText;
  int severity;  // 3 closes the day, 2 warns
  bool closed;
};

// Placed around today: day offsets from it, moved past weekends and each other.
std::span<const CalendarNote> calendarNotes();

// The district's settings: the DISTRICT row, the required request fields and the e-mail options.
void writeSettings(DatabaseFile& file);

// Divisions, vehicle types, ticket templates, categories, statuses, funds, buses, grades,
// destination categories and bill rates.
void writeCodeTables(DatabaseFile& file);

}  // namespace ravadid::demo

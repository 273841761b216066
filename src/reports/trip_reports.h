// TripReport1 and TripReport2: the trips of the user's last field trip search, one or two
// lines per trip, a page at a time, on the paging frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "reports/report_paging.h"

namespace ravadid {

class Ravadid;

// One line per trip: number, departure date, customer, destination, return date, departure
// and return times, cancelled.
void BuildTripReport1Results(Ravadid& app, const std::string& query, int16_t& pageNumber,
                             int16_t pageSize, ReportRows& rows);
// Two lines per trip: the first adds the arrival time, the second contact, purpose, shuttle,
// estimated time and miles, students, grade, assigned and adults.
void BuildTripReport2Results(Ravadid& app, const std::string& query, int16_t& pageNumber,
                             int16_t pageSize, ReportRows& rows);

std::unique_ptr<PageObject> makeTripReport1Page();
std::unique_ptr<PageObject> makeTripReport2Page();

}  // namespace ravadid

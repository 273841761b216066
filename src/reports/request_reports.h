// TripRequestReport1 and TripRequestReport2: the requests of the user's last request search,
// one or two lines per request, a page at a time, on the paging frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "reports/report_paging.h"

namespace ravadid {

class Ravadid;

// One line per request: number (linked to the request form), departure date, customer,
// destination, return date, departure and return times, status.
void BuildTripRequestReport1Results(Ravadid& app, const std::string& query, int16_t& pageNumber,
                                    int16_t pageSize, ReportRows& rows);
// Two lines per request, the second with contact, counts, grade, arrival and leave times,
// division, trip number, chain and purpose, then a spacer row.
void BuildTripRequestReport2Results(Ravadid& app, const std::string& query, int16_t& pageNumber,
                                    int16_t pageSize, ReportRows& rows);

std::unique_ptr<PageObject> makeTripRequestReport1Page();
std::unique_ptr<PageObject> makeTripRequestReport2Page();

}  // namespace ravadid

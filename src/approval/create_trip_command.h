// `ravadid create-trip`: creates the trip of one stored request outside the web pages, for the
// transportation department's own scripts.
#pragma once

#include <cstdint>
#include <ostream>

namespace ravadid {

struct Installation;

// Runs CreateTrip for the request under an error trap of its own. Prints the new trip's number
// on out and returns 0, or prints the error report on err and returns 1.
int runCreateTripCommand(const Installation& installation, int32_t requestNumber, std::ostream& out,
                         std::ostream& err);

}  // namespace ravadid

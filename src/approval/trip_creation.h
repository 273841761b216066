// A scheduled trip made from a stored trip request: the request's columns copied into a new
// TRIPS row of trip.mdb, linked back to the request through TRIPREQNUM.
#pragma once

#include <cstdint>

namespace ravadid {

class Ravadid;

// Adds the trip for request TripReqNum and returns its TRIPNUM; 0 when the connections could not
// be opened (the request error text then holds the report). Traps nothing: a missing request or
// a failing write raises to the caller. The request row is left as it is, and the connections
// stay open for the caller.
int32_t CreateTrip(Ravadid& app, int32_t TripReqNum);

}  // namespace ravadid

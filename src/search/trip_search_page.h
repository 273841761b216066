// TripSearch: the list of scheduled trips with their billing state and balances.
#pragma once

#include <string>

namespace ravadid {

class Ravadid;

// The fund look-up opened by the search's Fund button hands its choice back here: the fund
// filter becomes the chosen fund, the autofill flag follows AUTOFILL_TRIPS, the six state boxes
// are ticked, and the search runs.
void TripSearch_FromFundLookup(Ravadid& app, const std::string& fund);

}  // namespace ravadid

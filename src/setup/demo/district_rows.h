// Writing the generated district and its users into the three database files.
#pragma once

#include "setup/demo/database_file.h"
#include "setup/demo/district_builder.h"

namespace ravadid::demo {

// trip.mdb
void writeCustomers(DatabaseFile& file, const DistrictBuilder& district);
void writeDestinations(DatabaseFile& file, const DistrictBuilder& district);
void writeCalendar(DatabaseFile& file, const DistrictBuilder& district);
void writeTrips(DatabaseFile& file, const DistrictBuilder& district);

// zqkrsc1.mdb: the users and the approval chains.
void writeUsers(DatabaseFile& file);

// Tripschl.mdb
// A request as the request form saves it: the customer's billing, capacity and invoice format,
// the district's default vehicle type, and for a destination picked from the list, blank typed-in
// fields.
void writeRequests(DatabaseFile& file, const DistrictBuilder& district);

}  // namespace ravadid::demo

// The vehicle assignment of a trip request as the transportation department sets it when the
// request becomes a trip: schedules #1 to #5 (SCHEDMAST), the primary and additional vehicle
// types (VEHTYPE) with their counts, the capacity, the trip ticket template
// (TRIPTICKET_TEMPLATE) and the CALCNUMDRIVERS and AUTOASSIGN check boxes, as one HTML table of
// form controls named after the request's columns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ravadid {

class Ravadid;

// The lists of the section, loaded into the application object's working lists over the
// handler's trip.mdb connection. Each traps its own errors and skips its work after an earlier
// error in the request.
void PopulateSchedDD(Ravadid& app);    // every schedule, by code
void PopulateVehTypeDD(Ravadid& app);  // active vehicle types, by description
void PopulateTikTempDD(Ravadid& app);  // active ticket templates, by description

// The selects. Each offers an empty first option and marks the entry whose code equals the
// selection (trimmed, ignoring case); a selection the list does not hold is offered as its own
// option, so that showing a request never changes its value.
// schedNum 1 to 5 names the select SCHEDULE, Schedule2 ... Schedule5.
std::string BuildSchedDD(Ravadid& app, std::string_view selSched, int schedNum);
// strPrimary "True" names the select Type, anything else ADDLTYPE.
std::string BuildVehTypeDD(Ravadid& app, std::string_view selVehType, std::string_view strPrimary);
// Seat counts of the usual vehicles.
std::string BuildCapacityDD(Ravadid& app, std::string_view selCapacity);
std::string BuildTripTikDD(Ravadid& app, std::string_view selTripTik);

// Loads the three lists and writes the section's table into the response, its values taken
// from the open request record (app.tripRequest).
void BuildAssignmentSection(Ravadid& app);

// The capacities BuildCapacityDD offers.
const std::vector<std::string>& capacityChoices();

}  // namespace ravadid

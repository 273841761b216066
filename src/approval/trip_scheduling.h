// The transportation department's way from an accepted trip request to a scheduled trip: who
// may do it and for which requests, the vehicle assignment posted with it, and the pair of
// writes (the trip in trip.mdb, its number in the request's FIELDTRIP_NUM in Tripschl.mdb) made
// so that a failure leaves neither.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ravadid {

class Ravadid;
class Value;

// The role that schedules trips: trip.ini's TRANSPORT_ROLE, "TRANSPORT" when it is missing.
std::string transportRole(Ravadid& app);
// Whether the signed-in user holds that role (session ROLE, trimmed, ignoring case).
bool holdsTransportRole(Ravadid& app);

// Messages of the action.
inline constexpr const char* kNotTransportMessage =
    "<p>Only the transportation department can schedule a request as a trip.</p>";
inline constexpr const char* kNotAcceptedMessage =
    "<p>Only an accepted request can be scheduled as a trip.</p>";
inline constexpr const char* kAssignmentMessage =
    "<p>Please choose the schedules, vehicle types, capacity and ticket template from their "
    "lists, and enter each number of vehicles as a whole number from 0 to 99.</p>";
std::string notFoundMessage(int32_t requestNumber);
std::string alreadyScheduledMessage(int32_t tripNumber);

// Why the request row (current record of a TRIPSREQ record set) cannot become a trip: empty
// when it can, i.e. its status is "ACCEPTED" and its FIELDTRIP_NUM holds no trip.
std::string schedulingRefusal(const Value& status, const Value& fieldTripNumber);

// The trip a request was scheduled as; nothing when FIELDTRIP_NUM is null, blank or 0.
std::optional<int32_t> scheduledTrip(const Value& fieldTripNumber);

// What the request form shows beside its buttons for the open request record: the trip it was
// scheduled as, or the "Schedule as a trip" link for the transportation department and an
// accepted request without one, or nothing.
std::string scheduleTripAction(Ravadid& app);

// The vehicle assignment as posted with the action; each value empty when not given.
struct PostedAssignment {
  std::string schedules[5];
  std::string type, numType, addlType, numAddl, capacity, ticketFormat;
  bool calcNumDrivers = false;
  bool autoAssign = false;
};
PostedAssignment readPostedAssignment(const Ravadid& app);

// The outcome of scheduling: the new trip's number, or the message that refused it.
struct ScheduleOutcome {
  int32_t trip = 0;
  std::string refusal;
};

// Schedules the request as a trip over the handler's open connections. Under the request file's
// write lock it re-reads the request, refuses it (see schedulingRefusal) or an assignment value
// its list does not offer, writes the assignment into the request, creates the trip, records the
// trip's number in FIELDTRIP_NUM and commits. When the request's write or commit fails, the trip
// is deleted again and the error raised. Database failures raise to the caller.
ScheduleOutcome ScheduleRequestAsTrip(Ravadid& app, int32_t requestNumber,
                                      const PostedAssignment& assignment);

}  // namespace ravadid

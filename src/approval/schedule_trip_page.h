// ScheduleTrip: the transportation department turns an accepted request into a scheduled trip.
// Opened from the request form with the request number as event name, it shows the request's
// vehicle assignment; its Schedule post creates the trip, records its number in the request
// and shows the request form again. Role, status, an earlier trip and the session are checked on
// the server at both steps.
#pragma once

#include <string>

#include "frame/page_object.h"

namespace ravadid {

class Ravadid;

class ScheduleTripPage : public PageObject {
 public:
  ScheduleTripPage() : PageObject("ScheduleTrip", {"Schedule"}) {}
  void processTag(Ravadid& app, TagEvent& tag) const override;
  void onEvent(Ravadid& app, const std::string& event) const override;
  void userEvent(Ravadid& app, const std::string& event) const override;
};

// The assignment page for the request numbered by the event name.
void ScheduleTrip_UserEvent(Ravadid& app, const std::string& event);
// The confirmation: schedules the posted request (tripnum) with the posted assignment.
void ScheduleTrip_Schedule(Ravadid& app);

}  // namespace ravadid

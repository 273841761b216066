// The request form's post: Save validates the posted form and writes the TRIPSREQ row; the
// other buttons copy, delete, print or leave the request, open a lookup, or rebuild the form
// after a list changed. Also the count of trips on a day that the daily trip limit reads, and
// the seam through which a save sends its notices.
#pragma once

#include <cstdint>
#include <string>

namespace ravadid {

class Ravadid;

// Every button of the trip request form posts here (event TripRequestDetail of RequestDetail).
void RequestDetail_TripRequestDetail(Ravadid& app);

// The answer to a save, an approval or a delete that the signed-in user may not make.
inline constexpr const char* kNotAllowedMessage =
    "<p>Sorry, you are not allowed to change this trip request.</p>";

// The number of trips already scheduled on a day: trips in TRIPS departing that day and not
// cancelled. Reads through the caller's open trip.mdb connection.
class TripCounter {
 public:
  explicit TripCounter(Ravadid& app) : app_(app) {}
  // False when trip.mdb is not open, so there is nothing to count from.
  bool ready() const;
  // Trips on the day of the date serial (its time is ignored), at most 32767.
  int16_t tripsOn(double date) const;

 private:
  Ravadid& app_;
};

}  // namespace ravadid

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

// What a save tells the requester and the next approver when it changed the request's status.
struct SavedRequestNotice {
  std::string statusBefore;  // empty for a new request
  std::string statusAfter;
  int32_t tripNumber = 0;
  std::string requestorEmail;  // the row's REQUESTOR_EMAIL
  std::string customer;        // the row's CUSTOMER
  std::string chain;           // the row's chainid, trimmed
  std::string departureDate;   // as the form shows it ("3/5/2026")
  int16_t students = 0;
  bool isNew = false;               // the save created the request
  bool notifyRequestor = false;     // session EMAIL_OPTIONS.REQ_TREKKO_CHANGE is set
  bool notifyNextApprover = false;  // session EMAIL_OPTIONS.APP_TREKKO_CHANGE is set
};

// Sends the save's notices: the requester's to requestorEmail, the next approver's (NextRole of
// the chain and status, then that role's address for the customer) each only when its switch
// is on and its address is non-blank and holds "@". Runs only while the request has no error.
void sendSaveNotices(Ravadid& app, const SavedRequestNotice& notice);

}  // namespace ravadid

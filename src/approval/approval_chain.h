// The approval chain (module mdlApproval): which chain a request follows, what a user may do
// with a request, whose turn it is, and the calendar notes that warn about or close a day.
// Roles are compared exactly; statuses after upper-casing both sides. Failures only set the
// request error text (module "mdlApproval"); the calling handler writes it at its exit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ravadid {

class Ravadid;

// The chain of the customer and trip category (CUSTOMER_TRIPCAT), empty when none. Uses the
// caller's trip.mdb connection.
std::string getCHAIN(Ravadid& app, std::string_view strCustNum, std::string_view strTripCat);

// What a user may do with a request.
struct Authority {
  bool edit = false;     // may change (save) or delete the request
  bool approve = false;  // may approve or deny it
  // The status of the highest chain level the user's role holds, whatever the two flags are;
  // "NA" when the role holds no level.
  std::string levelStatus = "NA";
  bool failed = false;  // a database error; the request error text holds the report

  // The answer as the system passes it on: "Y,N,NA" and the like; empty text after an error.
  std::string text() const;
};

// The authority of a user with the given role and customer (blank: all customers) over the
// request. With a chain given, the request is taken as "UNAPPROVED" on that chain and its
// customer is not read; otherwise chain, status and customer come from the stored request.
// Uses the caller's connections (Tripschl.mdb and zqkrsc1.mdb).
Authority HasAuthority(Ravadid& app, int32_t requestNumber, std::string_view role,
                       std::string_view chain, std::string_view customer);

// The role that approves next for a request with this chain and status, or "NA". Uses the
// caller's zqkrsc1.mdb connection.
std::string NextRole(Ravadid& app, std::string_view chain, std::string_view status);

// The calendar note of a day. severity is 0 without a note; 2 warns, 3 closes the day.
struct CalendarNote {
  int16_t severity = 0;  // in closed-only mode: -1 when the school is closed, else 0
  std::string text;      // NoteText, trimmed (only when texts are wanted)
  std::string longText;  // NoteLongText, trimmed (only when texts are wanted)
};

// Reads the first note of the date (text the runtime reads as a date; anything else fails
// with "Type mismatch" before a statement is built). Opens and closes its own connections.
CalendarNote Check_calNotes(Ravadid& app, std::string_view dateText, bool textsWanted = true,
                            bool closedOnly = false);

}  // namespace ravadid

// The small record operations of the request form: a customer's defaults, a destination, a
// fund's description, the amounts of a bill rate, a stored request's destination copied into
// the session, deleting a request and adding one. The values they load are left in
// app.record (frame/request_values.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ravadid {

class Ravadid;
class Store;
class Value;

// The answer to a user who asks for another customer's request by its number.
inline constexpr const char* kNotYoursMessage =
    "<p>Sorry, you may not see this trip request: it belongs to another customer.</p>";

// Whether the signed-in user may see a request of this customer: a user bound to a customer
// (the session's CUSTOMER, unless the site lets schools see each other's requests) sees only
// that customer's requests and those saved without one; a user without a customer sees all.
// Codes compare as the text columns do, ignoring case and surrounding blanks.
bool MaySeeRequestOf(Ravadid& app, const Value& requestCustomer);

// Loads the customer's defaults into app.record.customer. Runs its own preamble; opens the
// connections only when trip.mdb is closed, and then closes them again. Errors are reported
// as "getCust" and written at its exit.
void getcust(Ravadid& app, std::string_view custnum);

// Loads the destination into app.record.destination and returns its special instructions.
// A blank or "0" number reads nothing. Uses the caller's trip.mdb connection.
std::string getdest(Ravadid& app, std::string_view dest);

// The fund's description, "No Description" when it has none, or "NOFUND" when the fund is not
// active or, with customer funds on and no fund override for the user, not one of the
// customer's. Uses the caller's trip.mdb connection.
std::string getFundDesc(Ravadid& app, std::string_view fundnum,
                        std::string_view customerFilter = {});

// Loads the five amounts of the bill rate into app.record.billing. Uses the caller's trip.mdb
// connection.
void getBILLRATEFlat(Ravadid& app, int16_t billRate);

// Copies the stored request's destination into the ten RequestDetail.dest* session keys
// (all empty when the request does not exist or is another customer's). Opens and closes its
// own connections.
void SetDestFromREQ(Ravadid& app, int32_t lngTRIPNUM);

// Deletes the request; a missing row is no error. Opens and closes its own connections.
// Has no error trap of its own: a failure is thrown to the calling handler's trap. The text
// form converts the number first (error 13 "Type mismatch" for a non-number, 6 "Overflow"
// beyond 32 bits) and touches nothing when that fails.
void DeleteTripRequest(Ravadid& app, int32_t tripRequestNumber);
void DeleteTripRequest(Ravadid& app, std::string_view tripRequestNumber);

// Stores a new request from app.record.customer and app.record.userCustomer, puts its number
// into the session's TRIPREQ and returns it (0 after an error). Uses the caller's
// Tripschl.mdb connection.
int32_t AddNewTRIPREQ(Ravadid& app);

}  // namespace ravadid

#include "approval/trip_creation.h"

#include <string>

#include "frame/application.h"
#include "frame/configuration.h"
#include "frame/connections.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"

namespace ravadid {
namespace {

namespace trips = schema::trips;
namespace tripsreq = schema::tripsreq;

// How a TRIPS column takes its value from the request.
enum class Copy {
  Always,      // the request's value, null included
  WhenNotNull  // a null leaves the column at the database default
};

struct CopiedColumn {
  const char* trip;
  const char* request;
  Copy copy;
};

constexpr CopiedColumn kLeadingColumns[] = {
    {trips::kBillRate, tripsreq::kBillrate, Copy::Always},
    {trips::kReqDate, tripsreq::kReqdate, Copy::Always},
    {trips::kFund, tripsreq::kFund, Copy::Always},
    {trips::kCustomer, tripsreq::kCustomer, Copy::Always},
    {trips::kBillcust, tripsreq::kBillcust, Copy::Always},
    {trips::kContact, tripsreq::kContact, Copy::Always},
};

constexpr CopiedColumn kScheduleColumns[] = {
    {trips::kDepdate, tripsreq::kDepdate, Copy::Always},
    {trips::kDeptime, tripsreq::kDeptime, Copy::WhenNotNull},
    {trips::kRetdate, tripsreq::kRetdate, Copy::Always},
    {trips::kRettime, tripsreq::kRettime, Copy::WhenNotNull},
    {trips::kArrivetime, tripsreq::kArrivetime, Copy::WhenNotNull},
    {trips::kLeavetime, tripsreq::kLeavetime, Copy::WhenNotNull},
    {trips::kEstmile, tripsreq::kEstmile, Copy::WhenNotNull},
    {trips::kEsttime, tripsreq::kEstTime, Copy::WhenNotNull},
    {trips::kNumstudents, tripsreq::kNumstudents, Copy::WhenNotNull},
    {trips::kNumadults, tripsreq::kNumadults, Copy::WhenNotNull},
    {trips::kNumHand, tripsreq::kNumhand, Copy::WhenNotNull},
    {trips::kPurpose, tripsreq::kPurpose, Copy::WhenNotNull},
    {trips::kDestSpec, tripsreq::kDestspec, Copy::WhenNotNull},
    {trips::kOutOfTown, tripsreq::kOutOfTown, Copy::WhenNotNull},
    {trips::kSchedule, tripsreq::kSchedule, Copy::Always},
    {trips::kSchedule2, tripsreq::kSchedule2, Copy::WhenNotNull},
    {trips::kSchedule3, tripsreq::kSchedule3, Copy::WhenNotNull},
    {trips::kSchedule4, tripsreq::kSchedule4, Copy::WhenNotNull},
    {trips::kSchedule5, tripsreq::kSchedule5, Copy::WhenNotNull},
    {trips::kCalcnumdrivers, tripsreq::kCalcnumdrivers, Copy::WhenNotNull},
    {trips::kType, tripsreq::kType, Copy::Always},
    {trips::kNumtype, tripsreq::kNumtype, Copy::WhenNotNull},
    {trips::kCapacity, tripsreq::kCapacity, Copy::Always},
    {trips::kAddlType, tripsreq::kAddltype, Copy::WhenNotNull},
    {trips::kNumAddl, tripsreq::kNumaddl, Copy::WhenNotNull},
};

constexpr CopiedColumn kBillingColumns[] = {
    {trips::kAutoAssign, tripsreq::kAutoassign, Copy::WhenNotNull},
    {trips::kPo, tripsreq::kPo, Copy::WhenNotNull},
    {trips::kInttripnum, tripsreq::kInttripnum, Copy::WhenNotNull},
    {trips::kTripcat, tripsreq::kTripcat, Copy::WhenNotNull},
    {trips::kAmounttxt1, tripsreq::kAmounttxt1, Copy::WhenNotNull},
    {trips::kAmounttxt2, tripsreq::kAmounttxt2, Copy::WhenNotNull},
    {trips::kAmounttxt3, tripsreq::kAmounttxt3, Copy::WhenNotNull},
    {trips::kAmounttxt4, tripsreq::kAmounttxt4, Copy::WhenNotNull},
    {trips::kAmounttxt5, tripsreq::kAmounttxt5, Copy::WhenNotNull},
    {trips::kAmount1, tripsreq::kAmount1, Copy::WhenNotNull},
    {trips::kAmount2, tripsreq::kAmount2, Copy::WhenNotNull},
    {trips::kAmount3, tripsreq::kAmount3, Copy::WhenNotNull},
    {trips::kAmount4, tripsreq::kAmount4, Copy::WhenNotNull},
    {trips::kAmount5, tripsreq::kAmount5, Copy::WhenNotNull},
    {trips::kGrade, tripsreq::kGrade, Copy::WhenNotNull},
};

constexpr CopiedColumn kTrailingColumns[] = {
    {trips::kSplit, tripsreq::kSplit, Copy::WhenNotNull},
    {trips::kInvoiceFormat, tripsreq::kInvoiceFormat, Copy::WhenNotNull},
    {trips::kInvoiceComment1, tripsreq::kInvoiceComment1, Copy::WhenNotNull},
    {trips::kMultidest, tripsreq::kMultidest, Copy::WhenNotNull},
    {trips::kShuttle, tripsreq::kShuttle, Copy::WhenNotNull},
    {trips::kTicketFormat, tripsreq::kTicketFormat, Copy::WhenNotNull},
    {trips::kNumchar, tripsreq::kNumchar, Copy::WhenNotNull},
};

template <std::size_t N>
void copyColumns(db::Recordset& trip, const db::Recordset& request,
                 const CopiedColumn (&columns)[N]) {
  for (const CopiedColumn& column : columns) {
    Value value = request.field(column.request);
    if (column.copy == Copy::WhenNotNull && value.isNull()) continue;
    trip.setField(column.trip, std::move(value));
  }
}

// A destination typed by hand (0), or none, is stored as 0.
Value tripDestination(const Value& requested) {
  if (requested.isNull() || vb::CDbl(requested) <= 0) return Value::whole(0);
  return Value::whole(vb::CLng(requested));
}

}  // namespace

int32_t CreateTrip(Ravadid& app, int32_t TripReqNum) {
  // SQLite assigns the new key when the row is stored, so there is nothing to wait for first.
  if (app.worker().applicationFolder.empty())
    app.worker().applicationFolder = app.application().text("APP_PATH");
  if (app.worker().strTripDataPath.empty()) SetTripPaths(app);
  if (!app.tripDb().isOpen() || !app.tripschlDb().isOpen()) {
    if (app.noError()) SetTripDBConnections(app);
    if (!app.noError()) return 0;
  }

  db::Recordset request;
  request.open("Select * from TRIPSREQ WHERE TRIPNUM = " + std::to_string(TripReqNum),
               app.tripschlDb());
  // Reading the first field fails on a request that is not there.
  const std::string customer = vb::Trim(NullToSpace(request.field(tripsreq::kCustomer)));

  db::Recordset trip;
  trip.open("Select TRIPS.* from Trips where trim$(TRIPS.CUSTOMER) = " + sqlText(customer),
            app.tripDb(), db::CursorType::Keyset, db::LockType::Optimistic);
  trip.addNew();
  copyColumns(trip, request, kLeadingColumns);
  trip.setField(trips::kDestination, tripDestination(request.field(tripsreq::kDestination)));
  copyColumns(trip, request, kScheduleColumns);
  trip.setField(trips::kBill, Value::boolean(true));
  if (Value special = request.field(tripsreq::kCustspec); !special.isNull())
    trip.setField(trips::kCustSpec, std::move(special));
  trip.setField(trips::kAssigned, Value::boolean(false));
  trip.setField(trips::kBilled, Value::boolean(false));
  trip.setField(trips::kCanceled, Value::boolean(false));
  trip.setField(trips::kNumVeh, Value::whole(0));
  if (Value dropReturn = request.field(tripsreq::kDropRet); !dropReturn.isNull())
    trip.setField(trips::kDropRet, std::move(dropReturn));
  trip.setField(trips::kTripCom, " ");
  copyColumns(trip, request, kBillingColumns);
  trip.setField(trips::kTripreqnum, request.field(tripsreq::kTripnum));
  copyColumns(trip, request, kTrailingColumns);
  trip.update();
  const int32_t tripNumber = vb::CLng(trip.field(trips::kTripnum));
  trip.close();
  request.close();
  return tripNumber;
}

}  // namespace ravadid

#include "setup/demo/district_rows.h"

#include <string>

#include "frame/schema.h"
#include "setup/demo/categories.h"
#include "setup/demo/chains.h"

namespace ravadid::demo {

void writeCustomers(DatabaseFile& file, const DistrictBuilder& district) {
  namespace c = schema::customer;
  namespace cf = schema::customer_fund;
  Inserter customers(file, c::kTable);
  Inserter funds(file, cf::kTable);
  for (const CustomerState& customer : district.customers()) {
    const CustomerSeed& seed = *customer.seed;
    customers.add({
        {c::kCustomer, seed.code},
        {c::kCustname, seed.name},
        {c::kChainid, textOrNull(std::string(seed.chain))},
        {c::kCustdiv, seed.division},
        {c::kActive, flag(seed.active)},
        {c::kCustbillrate, seed.billRate},
        {c::kCustspec, textOrNull(seed.instructions)},
        {c::kDefaultcap, seed.capacity},
        {c::kCustDefaultFormat, kInvoiceFormat},
        {c::kRequestorEmail, requesterEmail(seed)},
    });
    for (const std::string& fund : customer.funds) {
      funds.add({{cf::kCustomer, seed.code}, {cf::kFund, fund}});
    }
  }
  namespace ct = schema::customer_tripcat;
  Inserter chains(file, ct::kTable);
  for (const ChainOverride& entry : chainOverrides()) {
    chains.add({{ct::kCustomer, entry.customer},
                {ct::kTripcat, entry.category},
                {ct::kChainid, entry.chain}});
  }
}

void writeDestinations(DatabaseFile& file, const DistrictBuilder& district) {
  namespace d = schema::destination;
  Inserter rows(file, d::kTable);
  for (const Destination& destination : district.destinations()) {
    rows.add({
        {d::kDestination, destination.number},
        {d::kDestdesc, destination.name},
        {d::kDestadd1, destination.address1},
        {d::kDestadd2, destination.address2},
        {d::kDestspec, textOrNull(destination.instructions)},
        {d::kMiles, destination.miles},
        {d::kActive, flag(destination.active)},
    });
  }
}

void writeCalendar(DatabaseFile& file, const DistrictBuilder& district) {
  namespace n = schema::big_calcalnotes;
  Inserter rows(file, n::kTable);
  for (const auto& [day, note] : district.notes()) {
    rows.add({
        {n::kNoteDate, dateText(day)},
        {n::kNoteText, note->text},
        {n::kNoteLongText, note->longText},
        {n::kNoteSeverity, note->severity},
        {n::kNoteSchoolClosed, flag(note->closed)},
    });
  }
}

void writeTrips(DatabaseFile& file, const DistrictBuilder& district) {
  namespace t = schema::trips;
  namespace s = schema::tripsplit;
  namespace e = schema::tripemployees;
  namespace a = schema::ardetail;
  Inserter trips(file, t::kTable);
  Inserter splits(file, s::kTable);
  Inserter drivers(file, e::kTable);
  Inserter ledger(file, a::kTable);
  for (const Trip& trip : district.trips()) {
    const CustomerSeed& seed = *trip.customer->seed;
    const BillRateSeed& rate = billRate(seed.billRate);
    const Schedule& schedule = trip.schedule;
    auto bus = [&trip](std::size_t i) {
      return i < trip.schedules.size() ? Value(trip.schedules[i]) : Value(kNull);
    };
    int buses = static_cast<int>(trip.schedules.size());
    trips.add({
        {t::kTripnum, trip.number},
        {t::kTripreqnum, trip.requestNumber},
        {t::kInttripnum, textOrNull(trip.internalNumber)},
        {t::kCustomer, seed.code},
        {t::kBillcust, trip.billCustomer},
        {t::kDestination, trip.destination},
        {t::kDepdate, dateText(schedule.departure)},
        {t::kDeptime, timeText(schedule.departs)},
        {t::kRetdate, dateText(schedule.returnDay)},
        {t::kRettime, timeText(schedule.returns)},
        {t::kArrivetime, timeText(schedule.arrives, 1)},
        {t::kLeavetime, timeText(schedule.leaves, 1)},
        {t::kEsttime, schedule.hours},
        {t::kEstmile, schedule.miles},
        {t::kNumstudents, trip.students},
        {t::kNumadults, trip.adults},
        {t::kContact, trip.contact},
        {t::kPurpose, trip.purpose},
        {t::kPo, textOrNull(trip.purchaseOrder)},
        {t::kFund, trip.fund},
        {t::kGrade, trip.grade},
        {t::kTripcat, trip.category},
        {t::kSchedule, bus(0)},
        {t::kShuttle, flag(trip.shuttle)},
        {t::kAssigned, flag(trip.assigned)},
        {t::kBilled, flag(trip.billed)},
        {t::kCanceled, flag(trip.canceled)},
        {t::kBilldate, trip.billDate ? Value(dateText(*trip.billDate)) : Value(kNull)},
        {t::kCandate, trip.cancelDate ? Value(dateText(*trip.cancelDate)) : Value(kNull)},
        {t::kAmount1, rate.amounts[0]},
        {t::kAmount2, rate.amounts[1]},
        {t::kAmount3, rate.amounts[2]},
        {t::kAmount4, rate.amounts[3]},
        {t::kAmount5, rate.amounts[4]},
        {t::kAutoAssign, flag(false)},
        {t::kBill, flag(true)},
        {t::kBillRate, rate.number},
        {t::kCalcnumdrivers, flag(true)},
        {t::kCapacity, seed.capacity},
        {t::kCustSpec, textOrNull(seed.instructions)},
        {t::kDestSpec, textOrNull(trip.destinationInstructions)},
        {t::kDropRet, flag(false)},
        {t::kInvoiceFormat, kInvoiceFormat},
        {t::kMultidest, flag(false)},
        {t::kNumtype, buses ? Value(buses) : Value(kNull)},
        {t::kNumHand, trip.handicapped},
        {t::kNumVeh, buses},
        {t::kOutOfTown, flag(trip.outOfTown)},
        {t::kReqDate, momentText(trip.requested)},
        {t::kSplit, flag(!trip.splitFunds.empty())},
        {t::kSchedule2, bus(1)},
        {t::kSchedule3, bus(2)},
        {t::kTicketFormat, textOrNull(trip.ticketFormat)},
        {t::kTripCom, trip.tripComment},
        {t::kType, trip.vehicleType},
        {t::kAmounttxt1, kAmountLabels[0]},
        {t::kAmounttxt2, kAmountLabels[1]},
        {t::kAmounttxt3, kAmountLabels[2]},
        {t::kAmounttxt4, kAmountLabels[3]},
        {t::kAmounttxt5, kAmountLabels[4]},
    });
    for (const std::string& fund : trip.splitFunds) {
      splits.add({{s::kTripnum, trip.number}, {s::kFund, fund}});
    }
    for (const auto& [hours, miles] : trip.drivers) {
      drivers.add({{e::kTripnum, trip.number}, {e::kHours, hours}, {e::kMiles, miles}});
    }
    for (const auto& [code, amount] : trip.ledger) {
      ledger.add({{a::kTripnum, trip.number}, {a::kTranamt, amount}, {a::kTrancode, code}});
    }
  }
}

void writeUsers(DatabaseFile& file) {
  namespace u = schema::krscu;
  Inserter users(file, u::kTable);
  for (const DemoUser& user : demoUsers()) {
    users.add({
        {u::kKrsc1, user.id},
        {u::kKrsc2, user.password ? Value(*user.password) : Value(kNull)},
        {u::kCustomer, user.customer},
        {u::kRole, user.role},
        {u::kEmail, textOrNull(user.email)},
        {u::kSctkfovd, user.canOverrideFund ? "True" : "False"},
        {u::kSctkddft, user.canOverrideDepartureDate ? "True" : "False"},
    });
  }

  // Levels past the last one have neither approver nor status.
  namespace k = schema::krscc;
  Inserter chainRows(file, k::kTable);
  for (const ChainSeed& chain : chains()) {
    auto role = [&chain](std::size_t level) {
      return level < chain.levels.size() ? Value(chain.levels[level].role) : Value(kNull);
    };
    auto status = [&chain](std::size_t level) {
      return level < chain.levels.size() ? Value(chain.levels[level].status) : Value(kNull);
    };
    chainRows.add({
        {k::kChainid, chain.id},
        {k::kActive, flag(chain.active)},
        {k::kLevel1Approver, role(0)},
        {k::kLevel2Approver, role(1)},
        {k::kLevel3Approver, role(2)},
        {k::kLevel4Approver, role(3)},
        {k::kLevel5Approver, role(4)},
        {k::kLevel6Approver, role(5)},
        {k::kLevel7Approver, role(6)},
        {k::kLevel8Approver, role(7)},
        {k::kLevel1Status, status(0)},
        {k::kLevel2Status, status(1)},
        {k::kLevel3Status, status(2)},
        {k::kLevel4Status, status(3)},
        {k::kLevel5Status, status(4)},
        {k::kLevel6Status, status(5)},
        {k::kLevel7Status, status(6)},
        {k::kLevel8Status, status(7)},
    });
  }
}
void writeRequests(DatabaseFile& file, const DistrictBuilder& district) {
  namespace r = schema::tripsreq;
  namespace h = schema::tripreq_history;
  Inserter rows(file, r::kTable);
  Inserter history(file, h::kTable);
  for (const Request& request : district.requests()) {
    const CustomerSeed& seed = *request.customer->seed;
    const BillRateSeed& rate = billRate(seed.billRate);
    const Schedule& schedule = request.schedule;
    rows.add({
        {r::kTripnum, request.number},
        {r::kEnteredby, request.enteredBy},
        {r::kEnterdate, momentText(request.entered)},
        {r::kReqdate, momentText(request.entered)},
        {r::kRequestorEmail, request.requesterEmail},
        {r::kFieldtripNum, request.trip ? Value(request.trip) : Value(kNull)},
        {r::kStatus, request.status},
        {r::kStatusDate, momentText(request.statusDate)},
        {r::kStatusComment, textOrNull(request.statusComment)},
        {r::kChainid, textOrNull(request.chain)},
        {r::kCustomer, seed.code},
        {r::kBillcust, seed.code},
        {r::kBillrate, rate.number},
        {r::kAmount1, rate.amounts[0]},
        {r::kAmount2, rate.amounts[1]},
        {r::kAmount3, rate.amounts[2]},
        {r::kAmount4, rate.amounts[3]},
        {r::kAmount5, rate.amounts[4]},
        {r::kAmounttxt1, kAmountLabels[0]},
        {r::kAmounttxt2, kAmountLabels[1]},
        {r::kAmounttxt3, kAmountLabels[2]},
        {r::kAmounttxt4, kAmountLabels[3]},
        {r::kAmounttxt5, kAmountLabels[4]},
        {r::kCapacity, seed.capacity},
        {r::kInvoiceFormat, kInvoiceFormat},
        {r::kCustspec, textOrNull(seed.instructions)},
        {r::kContact, request.contact},
        {r::kFund, request.fund},
        {r::kPo, textOrNull(request.purchaseOrder)},
        {r::kGrade, request.grade},
        {r::kTripcat, request.category},
        {r::kInttripnum, textOrNull(request.internalNumber)},
        {r::kPurpose, request.purpose},
        {r::kTripcom, textOrNull(request.comment)},
        {r::kDestination, request.destination},
        {r::kDestdesc, request.destinationName},
        {r::kDestcat, request.destinationCategory},
        {r::kMiles, request.destinationMiles},
        {r::kDestadd1, request.address1},
        {r::kDestadd2, request.address2},
        {r::kDestcity, request.city},
        {r::kDeststate, request.state},
        {r::kDestzip, request.zip},
        {r::kDestspec, textOrNull(request.destinationInstructions)},
        {r::kDepdate, dateText(schedule.departure)},
        {r::kRetdate, dateText(schedule.returnDay)},
        {r::kDeptime, timeText(schedule.departs)},
        {r::kRettime, timeText(schedule.returns)},
        {r::kArrivetime, timeText(schedule.arrives, 1)},
        {r::kLeavetime, timeText(schedule.leaves, 1)},
        {r::kEstTime, schedule.hours},
        {r::kEstmile, schedule.miles},
        {r::kNumstudents, request.students},
        {r::kNumadults, request.adults},
        {r::kNumhand, request.handicapped},
        {r::kType, kDefaultVehicleType},
        {r::kCalcnumdrivers, flag(true)},
        {r::kOutOfTown, flag(outOfTown(request.destinationMiles))},
    });
    for (const HistoryStep& step : request.history) {
      history.add({
          {h::kTripnum, request.number},
          {h::kAction, step.action},
          {h::kUserid, step.user},
          {h::kRole, step.role},
          {h::kChangedAt, momentText(step.moment)},
          {h::kStatusBefore, textOrNull(step.before)},
          {h::kStatusAfter, step.after},
          {h::kComment, textOrNull(step.comment)},
      });
    }
  }
}

}  // namespace ravadid::demo

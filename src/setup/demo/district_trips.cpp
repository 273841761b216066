// The generated trips: DistrictBuilder's members that make them from accepted requests or enter
// them for Transportation, then assign, cancel, bill and pay them.
#include <algorithm>
#include <cmath>
#include <span>
#include <tuple>

#include "setup/demo/chains.h"
#include "setup/demo/district_builder.h"
#include "setup/demo/texts.h"

namespace ravadid::demo {

void DistrictBuilder::runTrip(Trip& trip) {
  const Schedule& schedule = trip.schedule;
  int departureOffset = dayNumber(schedule.departure) - dayNumber(today_);
  Days createdDay = dayOf(trip.created);
  Days yesterday = today_ - std::chrono::days{1};
  if (random_.percent(5)) {
    trip.canceled = true;
    Days last = std::min(schedule.departure - std::chrono::days{1}, yesterday);
    int span = std::max(0, dayNumber(last) - dayNumber(createdDay));
    trip.cancelDate = createdDay + std::chrono::days{random_.between(0, span)};
    return;
  }
  int assignChance = departureOffset < 0 ? 97 : departureOffset <= 14 ? 75 : 25;
  trip.assigned = random_.percent(assignChance);
  int riders = trip.students + trip.adults;
  if (trip.handicapped > 0) {
    trip.vehicleType = "LIFT";
  } else if (riders <= 12) {
    trip.vehicleType = "VAN";
  }
  if (trip.assigned) {
    // A lift bus takes the wheelchairs and some riders; regular buses take the rest.
    int seats = trip.vehicleType == "VAN" ? 12 : 66;
    int buses = std::clamp((riders + seats - 1) / seats, 1, 3);
    for (int i = 0; i < buses; ++i) {
      const char* bus = trip.vehicleType == "VAN"              ? "V12"
                        : trip.vehicleType == "LIFT" && i == 0 ? "L07"
                                                               : nullptr;
      while (!bus ||
             std::find(trip.schedules.begin(), trip.schedules.end(), bus) != trip.schedules.end()) {
        bus = busSchedules()[random_.below(7)].code;
      }
      trip.schedules.push_back(bus);
    }
    trip.ticketFormat = trip.category == "ATHLETIC"    ? "ATH"
                        : trip.category == "OVERNIGHT" ? "OVN"
                                                       : "STD";
    if (random_.percent(20)) {
      constexpr const char* kNotes[] = {"Driver to confirm parking with the venue.",
                                        "Stagger the two buses by five minutes.",
                                        "Driver has the venue contact's cell number."};
      trip.tripComment = random_.pick(std::span<const char* const>(kNotes));
    }
  }
  if (trip.assigned && departureOffset < 0) {
    int nights = dayNumber(schedule.returnDay) - dayNumber(schedule.departure);
    double hours = nights > 0 ? 8.0 * (nights + 1) : schedule.hours + 0.5;
    for (std::size_t i = 0; i < trip.schedules.size(); ++i) {
      trip.drivers.push_back({hours, schedule.miles + random_.between(0, 8)});
    }
  }
  bool returnedDaysAgo = dayNumber(schedule.returnDay) <= dayNumber(today_) - 3;
  if (trip.assigned && returnedDaysAgo && random_.percent(85)) {
    trip.billed = true;
    Days billDay = schedule.returnDay + std::chrono::days{random_.between(2, 20)};
    trip.billDate = std::min(billDay, yesterday);
    const BillRateSeed& rate = billRate(trip.customer->seed->billRate);
    double charge = rate.amounts[4] + (trip.handicapped > 0 ? rate.amounts[3] : 0.0);
    for (const auto& [hours, miles] : trip.drivers) {
      charge += miles * rate.amounts[0] + hours * rate.amounts[1];
    }
    charge = std::round(charge * 100) / 100;
    trip.ledger.push_back({"BIL", charge});
    int paid = random_.below(100);
    if (paid < 65) {
      trip.ledger.push_back({"PAY", -charge});
    } else if (paid < 80) {
      trip.ledger.push_back({"PAY", -std::round(charge * 50) / 100});
    }
  }
  if (trip.customer->activeFunds.size() > 1 && random_.percent(10)) {
    for (const std::string& fund : trip.customer->activeFunds) {
      if (fund != trip.fund) {
        trip.splitFunds.push_back(fund);
        break;
      }
    }
  }
}

Trip DistrictBuilder::tripFromRequest(std::size_t index) {
  const Request& request = requests_[index];
  Trip trip;
  trip.request = index;
  trip.requestNumber = request.number;
  trip.outOfTown = outOfTown(request.destinationMiles);
  trip.created = request.statusDate;
  trip.customer = request.customer;
  trip.billCustomer = request.customer->seed->code;
  trip.destination = request.destination;
  trip.schedule = request.schedule;
  trip.students = request.students;
  trip.adults = request.adults;
  trip.handicapped = request.handicapped;
  trip.contact = request.contact;
  trip.purpose = request.purpose;
  trip.purchaseOrder = request.purchaseOrder;
  trip.internalNumber = request.internalNumber;
  trip.fund = request.fund;
  trip.grade = request.grade;
  trip.category = request.category;
  trip.destinationInstructions = request.destinationInstructions;
  trip.vehicleType = kDefaultVehicleType;
  trip.requested = request.entered;
  return trip;
}

Trip DistrictBuilder::directTrip() {
  Trip trip;
  int offset = random_.between(-120, 120);
  int roll = random_.below(100);
  const CustomerSeed* seed = nullptr;
  std::string category;
  if (roll < 35) {
    seed = &customerSeed("ATHL");
    category = "ATHLETIC";
  } else if (roll < 60) {
    constexpr const char* kHighSchools[] = {"LHS", "NHS", "CHS", "EVH"};
    seed = &customerSeed(random_.pick(std::span<const char* const>(kHighSchools)));
    category = "ATHLETIC";
  } else if (roll < 85) {
    constexpr const char* kOffices[] = {"DO", "SUPO", "TRANS", "MAINT", "CURR", "COMM", "FOOD"};
    seed = &customerSeed(random_.pick(std::span<const char* const>(kOffices)));
    category = random_.percent(50) ? "COMMUNITY" : "ACADEMIC";
  } else {
    constexpr const char* kSchools[] = {"WES", "NES", "LMS", "WMS", "RMS"};
    seed = &customerSeed(random_.pick(std::span<const char* const>(kSchools)));
    category = random_.percent(50) ? "REWARD" : "ACADEMIC";
  }
  const CustomerState& customer = state(*seed);
  const Destination& destination = pickDestination(category, seed->kind, false);
  trip.customer = &customer;
  trip.category = category;
  trip.billCustomer =
      seed->kind == Kind::High && random_.percent(50) ? std::string("ATHL") : seed->code;
  trip.destination = destination.number;
  trip.destinationInstructions = destination.instructions;
  trip.outOfTown = outOfTown(destination.miles);
  trip.schedule = planSchedule(offset, category, seed->kind, destination.miles);
  People people = pickPeople(*seed, category);
  trip.students = people.students;
  trip.adults = people.adults;
  trip.handicapped = people.handicapped;
  trip.contact = pickContact(seed->kind, category);
  trip.shuttle = random_.percent(30);
  if (trip.shuttle) {
    constexpr const char* kShuttles[] = {"Tournament shuttle", "In-service day shuttle",
                                         "Open house shuttle", "Game day fan shuttle"};
    trip.purpose = random_.pick(std::span<const char* const>(kShuttles));
  } else {
    trip.purpose = random_.pick(purposes(category, seed->kind, destination.place));
  }
  trip.fund = pickFund(customer, category);
  trip.grade = pickGrade(*seed, category);
  trip.vehicleType = kDefaultVehicleType;
  int departureDay = dayNumber(trip.schedule.departure);
  int enteredDay = std::min(departureDay - random_.between(3, 30), dayNumber(today_) - 1);
  trip.requested =
      momentAt(Days{std::chrono::days{enteredDay}}, random_.between(7 * 3600, 16 * 3600));
  trip.created = trip.requested;
  trip.tripComment = "Entered by Transportation.";
  return trip;
}

void DistrictBuilder::buildTrips() {
  for (std::size_t i = 0; i < requests_.size(); ++i) {
    if (requests_[i].status == kAccepted) trips_.push_back(tripFromRequest(i));
  }
  for (int i = 0; i < kDirectTrips; ++i) trips_.push_back(directTrip());
  for (std::size_t i = 0; i < trips_.size(); ++i) {
    trips_[i].order = static_cast<int>(i);
    runTrip(trips_[i]);
  }
  // Trips are numbered in the order they were made.
  std::sort(trips_.begin(), trips_.end(), [](const Trip& a, const Trip& b) {
    return std::tie(a.created, a.order) < std::tie(b.created, b.order);
  });
  for (std::size_t i = 0; i < trips_.size(); ++i) {
    trips_[i].number = 5001 + static_cast<int>(i);
    if (trips_[i].request == kNoRequest) continue;
    Request& request = requests_[trips_[i].request];
    request.trip = trips_[i].number;
    // Transportation, which accepted the request, made the trip from it.
    const HistoryStep& accepted = request.history.back();
    request.history.push_back({trips_[i].created, "Trip created", accepted.user, accepted.role,
                               request.status, request.status, request.statusComment});
  }
}

}  // namespace ravadid::demo

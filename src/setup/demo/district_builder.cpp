#include "setup/demo/district_builder.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <stdexcept>

#include "setup/demo/categories.h"
#include "setup/demo/chains.h"
#include "setup/demo/funds.h"
#include "setup/demo/texts.h"

namespace ravadid::demo {

bool outOfTown(double miles) {
  return miles > 45;
}

void DistrictBuilder::build() {
  buildCalendar();
  destinations_ = buildDestinations(random_);
  buildCustomers();
  buildRequests();
  buildTrips();
}

void DistrictBuilder::buildCalendar() {
  std::set<Days> taken;
  for (const CalendarNote& note : calendarNotes()) {
    Days day = today_ + std::chrono::days{note.dayOffset};
    while (isWeekend(day) || taken.count(day)) day += std::chrono::days{1};
    taken.insert(day);
    notes_.push_back({day, &note});
    if (note.severity >= 3) closed_.insert(day);
  }
}

void DistrictBuilder::buildCustomers() {
  for (const CustomerSeed& seed : customerSeeds()) {
    CustomerState customer;
    customer.seed = &seed;
    FundPlan plan = fundPlan(seed.kind);
    std::vector<const char*> others = plan.others;
    random_.shuffle(others);
    std::size_t extra =
        static_cast<std::size_t>(random_.between(1, std::min(3, static_cast<int>(others.size()))));
    customer.funds.push_back(plan.main);
    for (std::size_t i = 0; i < extra; ++i) customer.funds.push_back(others[i]);
    for (const std::string& fund : customer.funds) {
      if (fundActive(fund)) customer.activeFunds.push_back(fund);
    }
    customers_.push_back(std::move(customer));
  }
  for (const DemoUser& user : demoUsers()) {
    if (user.role != kRequester) continue;
    for (CustomerState& customer : customers_) {
      if (user.customer == customer.seed->code) customer.requesters.push_back(&user);
    }
  }
}

const CustomerState& DistrictBuilder::state(const CustomerSeed& seed) {
  for (const CustomerState& customer : customers_) {
    if (customer.seed == &seed) return customer;
  }
  throw std::logic_error("unknown demo customer");
}

Days DistrictBuilder::schoolDayFrom(Days day, bool saturdayAllowed) {
  for (;;) {
    std::chrono::weekday weekday{day};
    bool weekend =
        weekday == std::chrono::Sunday || (weekday == std::chrono::Saturday && !saturdayAllowed);
    if (!weekend && !closed_.count(day)) return day;
    day += std::chrono::days{random_.between(1, 4)};
  }
}

const CustomerSeed& DistrictBuilder::pickCustomer(bool past) {
  std::vector<Weighted> choices;
  for (const CustomerSeed& customer : customerSeeds()) {
    if (!customer.active && !past) continue;
    int weight = 1;
    switch (customer.kind) {
      case Kind::Elementary:
        weight = 3;
        break;
      case Kind::Middle:
        weight = 4;
        break;
      case Kind::High:
      case Kind::Athletics:
        weight = 6;
        break;
      case Kind::Special:
      case Kind::Music:
      case Kind::Activities:
        weight = 2;
        break;
      case Kind::Office:
        weight = 1;
        break;
    }
    choices.push_back({customer.code, weight});
  }
  return customerSeed(pickWeighted(random_, choices));
}

std::string DistrictBuilder::pickCategory(const CustomerSeed& customer) {
  std::string category = pickWeighted(random_, categoryWeights(customer.kind));
  // Only the elementary schools with an outdoor school go overnight.
  if (category == "OVERNIGHT" && customer.kind == Kind::Elementary &&
      !hasOwnChain(customer, category)) {
    category = "SCIENCE";
  }
  return category;
}

const Destination& DistrictBuilder::pickDestination(std::string_view category, Kind kind,
                                                    bool allowInactive) {
  bool overnight = category == "OVERNIGHT";
  double maxMiles = (kind == Kind::Elementary || kind == Kind::Special) ? 50 : 95;
  std::vector<Place> places = placesFor(category);
  std::vector<const Destination*> candidates;
  for (const Destination& destination : destinations_) {
    if (!destination.active && !allowInactive) continue;
    bool inRange = overnight ? destination.miles >= 80 : destination.miles <= maxMiles;
    if (!inRange) continue;
    if (std::find(places.begin(), places.end(), destination.place) == places.end()) continue;
    candidates.push_back(&destination);
  }
  if (candidates.empty()) {
    for (const Destination& destination : destinations_) {
      if (destination.active && (overnight || destination.miles <= maxMiles)) {
        candidates.push_back(&destination);
      }
    }
  }
  return *random_.pick(candidates);
}

int DistrictBuilder::travelMinutes(double miles) {
  int minutes = static_cast<int>(std::ceil((miles * 60.0 / 45.0 + 10.0) / 15.0)) * 15;
  return std::max(15, minutes);
}

Schedule DistrictBuilder::planSchedule(int departureOffset, std::string_view category, Kind kind,
                                       double miles) {
  Schedule schedule;
  bool overnight = category == "OVERNIGHT";
  bool weekendEvent = (category == "ATHLETIC" || category == "BAND") && random_.percent(25);
  schedule.departure =
      schoolDayFrom(today_ + std::chrono::days{departureOffset}, weekendEvent || overnight);
  bool saturday = std::chrono::weekday{schedule.departure} == std::chrono::Saturday;
  int travel = travelMinutes(miles);
  int nights = 0;
  if (overnight) {
    nights = kind == Kind::Elementary ? 2 : random_.between(1, 3);
    schedule.departs = 7 * 60 + 30 + 15 * random_.between(0, 14);
    schedule.arrives = schedule.departs + travel;
    schedule.leaves = 9 * 60 + 15 * random_.between(0, 16);
    schedule.returns = schedule.leaves + travel;
  } else {
    int event = 0;
    int latestReturn = 23 * 60 + 30;
    if (saturday) {
      schedule.departs = 7 * 60 + 15 * random_.between(0, 12);
      event = 240 + 15 * random_.between(0, 16);
    } else if (category == "ATHLETIC") {
      schedule.departs = 13 * 60 + 30 + 15 * random_.between(0, 10);
      event = 120 + 15 * random_.between(0, 6);
    } else if (category == "BAND" && random_.percent(40)) {
      schedule.departs = 16 * 60 + 15 * random_.between(0, 6);
      event = 150 + 15 * random_.between(0, 4);
    } else {
      schedule.departs = 8 * 60 + 15 * random_.between(0, 8);
      event = 90 + 15 * random_.between(0, 10);
      bool young = kind == Kind::Elementary || kind == Kind::Special || kind == Kind::Middle;
      latestReturn = young ? 15 * 60 + 30 : 17 * 60;
    }
    if (schedule.departs + 2 * travel + event > latestReturn) {
      event = std::max(60, latestReturn - schedule.departs - 2 * travel);
    }
    if (schedule.departs + 2 * travel + event > latestReturn) {
      schedule.departs = std::max(7 * 60, latestReturn - 2 * travel - event);
    }
    schedule.arrives = schedule.departs + travel;
    schedule.leaves = schedule.arrives + event;
    schedule.returns = std::min(schedule.leaves + travel, 23 * 60 + 45);
  }
  schedule.returnDay = schedule.departure + std::chrono::days{nights};
  schedule.hours = nights * 24 + (schedule.returns - schedule.departs) / 60.0;
  schedule.miles = std::round(2 * miles + 20.0 * nights);
  return schedule;
}

DistrictBuilder::People DistrictBuilder::pickPeople(const CustomerSeed& customer,
                                                    std::string_view category) {
  Kind kind = customer.kind;
  int students = 0;
  int adults = 0;
  switch (kind) {
    case Kind::Elementary:
      students = random_.between(20, 75);
      adults = students / 10 + random_.between(1, 3);
      break;
    case Kind::Middle:
      students = random_.between(20, 90);
      adults = students / 15 + random_.between(1, 3);
      break;
    case Kind::High:
      students = category == "ATHLETIC" ? random_.between(12, 45)
                 : category == "BAND"   ? random_.between(25, 80)
                                        : random_.between(15, 60);
      adults = students / 15 + random_.between(1, 2);
      break;
    case Kind::Special:
      students = random_.between(6, 20);
      adults = students / 3 + random_.between(1, 2);
      break;
    case Kind::Athletics:
      students = random_.between(15, 45);
      adults = random_.between(2, 5);
      break;
    case Kind::Music:
      students = random_.between(30, 90);
      adults = students / 12 + random_.between(1, 3);
      break;
    case Kind::Activities:
      students = random_.between(10, 40);
      adults = random_.between(2, 4);
      break;
    case Kind::Office:
      // Staff trips, except for the community education classes.
      students = std::string_view(customer.code) == "COMM" ? random_.between(10, 30) : 0;
      adults = random_.between(6, 40);
      break;
  }
  int handicapped = 0;
  if (kind == Kind::Special) {
    if (random_.percent(50)) handicapped = random_.between(1, 4);
  } else if (random_.percent(6)) {
    handicapped = random_.between(1, 2);
  }
  return {students, adults, std::min(handicapped, students)};
}

std::string DistrictBuilder::pickGrade(const CustomerSeed& customer, std::string_view category) {
  auto number = [this](int low, int high) { return std::to_string(random_.between(low, high)); };
  switch (customer.kind) {
    case Kind::Elementary: {
      int grade = random_.between(0, 5);
      return grade == 0 ? "K" : std::to_string(grade);
    }
    case Kind::Middle:
      return number(6, 8);
    case Kind::High:
      if ((category == "ATHLETIC" || category == "BAND" || category == "OVERNIGHT") &&
          random_.percent(50)) {
        return "MIX";
      }
      return number(9, 12);
    case Kind::Special:
      if (std::string_view(customer.code) == "ECE") return "K";
      if (random_.percent(50)) return "MIX";
      return number(1, 12);
    case Kind::Athletics:
    case Kind::Music:
    case Kind::Activities:
      return random_.percent(70) ? "MIX" : number(9, 12);
    case Kind::Office:
      return "MIX";
  }
  return "MIX";
}

std::string DistrictBuilder::pickContact(Kind kind, std::string_view category) {
  std::string surname = random_.pick(surnames());
  if (category == "ATHLETIC") return "Coach " + surname;
  if (kind == Kind::Office) {
    return std::string(1, static_cast<char>('A' + random_.below(26))) + ". " + surname;
  }
  constexpr const char* kTitles[] = {"Ms.", "Mr.", "Mrs.", "Dr."};
  return std::string(random_.pick(std::span<const char* const>(kTitles))) + " " + surname;
}

std::string DistrictBuilder::pickFund(const CustomerState& customer, std::string_view category) {
  if (category == "ATHLETIC" && random_.percent(60)) {
    for (const std::string& fund : customer.activeFunds) {
      if (fund.rfind("AT-", 0) == 0) return fund;
    }
  }
  return random_.pick(customer.activeFunds);
}

}  // namespace ravadid::demo

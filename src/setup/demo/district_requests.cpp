// The generated trip requests: DistrictBuilder's members that make and decide them.
#include <algorithm>
#include <cstdio>
#include <span>
#include <string>
#include <tuple>

#include "setup/demo/categories.h"
#include "setup/demo/chains.h"
#include "setup/demo/district_builder.h"
#include "setup/demo/texts.h"

namespace ravadid::demo {
namespace {

// The user who acts for a role on a customer's requests: the customer's own holder of the role
// (a school's principal), else the district's, else (a closed school) any holder of the role.
std::string actingUser(const char* role, const std::string& customer) {
  const DemoUser* districtUser = nullptr;
  const DemoUser* anyUser = nullptr;
  for (const DemoUser& user : demoUsers()) {
    if (user.role != role) continue;
    if (user.customer == customer) return user.id;
    if (user.customer.empty() && !districtUser) districtUser = &user;
    if (!anyUser) anyUser = &user;
  }
  if (districtUser) return districtUser->id;
  return anyUser ? anyUser->id : std::string(role);
}

}  // namespace

std::vector<long long> DistrictBuilder::decisionMoments(long long start, long long end, int count) {
  std::vector<long long> moments;
  int firstDay = dayNumber(dayOf(start));
  int lastDay = dayNumber(dayOf(end));
  for (int i = 0; i < count; ++i) {
    Days day{std::chrono::days{random_.between(firstDay, lastDay)}};
    long long moment = momentAt(day, random_.between(7 * 3600 + 1800, 17 * 3600 + 1800));
    moments.push_back(std::clamp(moment, start, end));
  }
  std::sort(moments.begin(), moments.end());
  return moments;
}

Request DistrictBuilder::makeRequest(const RequestPlan& plan) {
  Request request;
  request.order = static_cast<int>(requests_.size());
  int offset = plan.customer ? plan.departureOffset : random_.between(-120, 120);
  const CustomerSeed& seed = plan.customer ? *plan.customer : pickCustomer(offset < -40);
  const CustomerState& customer = state(seed);
  request.customer = &customer;
  request.category = plan.category ? plan.category : pickCategory(seed);
  request.chain = chainFor(seed, request.category);

  // Destination: from the list, or now and then typed by hand.
  Place place = Place::Museum;
  bool allowInactive = offset < -30 && random_.percent(15);
  if (request.category != "ATHLETIC" && random_.percent(8)) {
    bool overnight = request.category == "OVERNIGHT";
    std::vector<Place> places = placesFor(request.category);
    std::vector<const TypedPlace*> typed;
    for (const TypedPlace& candidate : typedPlaces()) {
      bool far = candidate.miles >= 80;
      bool fits = std::find(places.begin(), places.end(), candidate.place) != places.end();
      if (far == overnight && (fits || overnight)) typed.push_back(&candidate);
    }
    if (typed.empty()) typed.push_back(&typedPlaces()[0]);
    const TypedPlace& typedPlace = *random_.pick(typed);
    place = typedPlace.place;
    request.destination = 0;
    request.destinationName = typedPlace.name;
    request.destinationCategory = placeCode(typedPlace.place);
    request.address1 = typedPlace.address1;
    request.address2 = *typedPlace.address2 ? typedPlace.address2 : " ";
    request.city = typedPlace.city;
    request.state = "OR";
    request.zip = typedPlace.zip;
    request.destinationMiles = typedPlace.miles;
    if (typedPlace.instructions) request.destinationInstructions = typedPlace.instructions;
  } else {
    const Destination& destination = pickDestination(request.category, seed.kind, allowInactive);
    place = destination.place;
    // A destination picked from the list leaves the typed-in fields blank.
    request.destination = destination.number;
    request.destinationName = destination.name;
    request.destinationCategory = "0";
    request.address1 = destination.address1;
    request.address2 = destination.address2;
    request.city = " ";
    request.state = " ";
    request.zip = " ";
    request.destinationMiles = destination.miles;
    request.destinationInstructions = destination.instructions;
  }
  request.schedule = planSchedule(offset, request.category, seed.kind, request.destinationMiles);
  People people = pickPeople(seed, request.category);
  request.students = people.students;
  request.adults = people.adults;
  request.handicapped = people.handicapped;
  request.grade = pickGrade(seed, request.category);
  request.fund = pickFund(customer, request.category);
  request.contact = pickContact(seed.kind, request.category);
  request.purpose = random_.pick(purposes(request.category, seed.kind, place));
  if (random_.percent(55))
    request.purchaseOrder = "PO-" + std::to_string(random_.between(240000, 289999));
  if (random_.percent(35)) {
    char number[16];
    std::snprintf(number, sizeof number, "-%03d", ++internalNumbers_[seed.code]);
    request.internalNumber = std::string(seed.code) + number;
  }
  if (request.handicapped > 0) {
    request.comment = "Wheelchair lift bus needed.";
  } else if (random_.percent(25)) {
    request.comment = random_.pick(tripComments());
  }

  const DemoUser& requester = *random_.pick(customer.requesters);
  request.enteredBy = requester.id;
  request.requesterEmail = requester.email.empty() ? requesterEmail(seed) : requester.email;

  // Entered two to eight weeks ahead as a rule, now and then late; never today or later.
  int departureDay = dayNumber(request.schedule.departure);
  int lead = random_.percent(85) ? random_.between(14, 60) : random_.between(3, 13);
  int enteredDay = departureDay - lead;
  if (enteredDay >= dayNumber(today_)) enteredDay = dayNumber(today_) - random_.between(1, 21);
  request.entered =
      momentAt(Days{std::chrono::days{enteredDay}}, random_.between(7 * 3600, 17 * 3600 - 1));
  decide(request, plan);
  return request;
}

void DistrictBuilder::decide(Request& request, const RequestPlan& plan) {
  request.statusDate = request.entered;
  const std::string customer = request.customer->seed->code;
  request.history.push_back({request.entered, "Created", request.enteredBy, kRequester, "",
                             request.chain.empty() ? kPending : kUnapproved, ""});
  if (request.chain.empty()) {
    request.status = kPending;
    return;
  }
  const ChainSeed& chain = *findChain(request.chain);
  int levels = static_cast<int>(chain.levels.size());
  using Outcome = RequestPlan::Outcome;
  Outcome outcome = plan.outcome;
  int approvals = plan.progress;
  if (outcome == Outcome::Random) {
    int roll = random_.below(100);
    int departureOffset = dayNumber(request.schedule.departure) - dayNumber(today_);
    int acceptedBelow = departureOffset < 0 ? 84 : departureOffset <= 21 ? 60 : 22;
    int deniedBelow = acceptedBelow + (departureOffset < 0 ? 12 : departureOffset <= 21 ? 8 : 5);
    outcome = roll < acceptedBelow ? Outcome::Accepted
              : roll < deniedBelow ? Outcome::Denied
                                   : Outcome::InProgress;
    approvals = random_.below(static_cast<std::size_t>(levels));
    // Nobody acts on a retired chain any more.
    if (!chain.active && outcome == Outcome::InProgress) outcome = Outcome::Accepted;
  }
  int deniedAt = 0;
  if (outcome == Outcome::Accepted) approvals = levels;
  if (outcome == Outcome::Denied) {
    deniedAt = random_.between(1, levels);
    approvals = deniedAt - 1;
  }
  int decisions = approvals + (deniedAt ? 1 : 0);
  if (decisions == 0) {
    request.status = kUnapproved;
    return;
  }
  long long start = request.entered + 1800;
  long long dayBefore = momentAt(request.schedule.departure - std::chrono::days{1}, 17 * 3600);
  long long end = std::max(start, std::min(latest_, dayBefore));
  std::vector<long long> moments = decisionMoments(start, end, decisions);
  for (int level = 1; level <= approvals; ++level) {
    const Level& approver = chain.levels[static_cast<std::size_t>(level - 1)];
    const std::string before = request.status.empty() ? kUnapproved : request.status;
    request.status = approver.status;
    bool last = level == levels;
    if (random_.percent(last ? 75 : 60)) {
      request.statusComment = random_.pick(approvalComments(approver.role));
    }
    request.history.push_back({moments[static_cast<std::size_t>(level - 1)], "Approved",
                               actingUser(approver.role, customer), approver.role, before,
                               request.status, request.statusComment});
  }
  if (deniedAt) {
    const char* role = chain.levels[static_cast<std::size_t>(deniedAt - 1)].role;
    const std::string before = request.status.empty() ? kUnapproved : request.status;
    request.status = kDenied;
    request.statusComment = random_.pick(denialComments(role));
    request.history.push_back({moments.back(), "Denied", actingUser(role, customer), role, before,
                               request.status, request.statusComment});
  }
  request.statusDate = moments.back();
}

void DistrictBuilder::buildRequests() {
  using Outcome = RequestPlan::Outcome;
  for (const ChainSeed& chain : chains()) {
    if (!chain.active) continue;
    const CustomerSeed* customer = nullptr;
    const char* category = nullptr;
    for (const CustomerSeed& candidate : customerSeeds()) {
      if (!candidate.active || customer) continue;
      for (const Weighted& choice : categoryWeights(candidate.kind)) {
        if (chainFor(candidate, choice.value) == chain.id) {
          customer = &candidate;
          category = choice.value;
          break;
        }
      }
    }
    if (!customer) continue;
    int levels = static_cast<int>(chain.levels.size());
    for (int progress = 0; progress < levels; ++progress) {
      requests_.push_back(makeRequest(
          {customer, category, random_.between(25, 90), Outcome::InProgress, progress}));
    }
    requests_.push_back(
        makeRequest({customer, category, random_.between(5, 60), Outcome::Accepted, 0}));
    requests_.push_back(
        makeRequest({customer, category, random_.between(5, 60), Outcome::Denied, 0}));
  }
  for (const CustomerSeed& candidate : customerSeeds()) {
    if (candidate.active && !*candidate.chain) {
      requests_.push_back(makeRequest({&candidate, "ACADEMIC", random_.between(10, 60)}));
      break;
    }
  }
  for (int i = 0; i < kRandomRequests; ++i) requests_.push_back(makeRequest({}));

  // Requests are numbered in the order they were entered.
  std::sort(requests_.begin(), requests_.end(), [](const Request& a, const Request& b) {
    return std::tie(a.entered, a.order) < std::tie(b.entered, b.order);
  });
  for (std::size_t i = 0; i < requests_.size(); ++i) {
    requests_[i].number = 1001 + static_cast<int>(i);
  }
}

}  // namespace ravadid::demo

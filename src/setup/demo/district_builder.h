// The generated district: customers with their funds and requesters, trip requests in every
// status and the trips made from them or entered by Transportation, all drawn from the fixed-seed
// generator and placed around one day.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "setup/demo/customers.h"
#include "setup/demo/demo_district.h"
#include "setup/demo/destinations.h"
#include "setup/demo/local_time.h"
#include "setup/demo/random.h"
#include "setup/demo/reference_rows.h"

namespace ravadid::demo {

bool outOfTown(double miles);

struct CustomerState {
  const CustomerSeed* seed = nullptr;
  std::vector<std::string> funds;
  std::vector<std::string> activeFunds;
  std::vector<const DemoUser*> requesters;
};

// When, for how long and how far a trip goes.
struct Schedule {
  Days departure;
  Days returnDay;
  int departs = 0;  // minutes after midnight
  int arrives = 0;
  int leaves = 0;
  int returns = 0;
  double hours = 0;
  double miles = 0;
};

// One line of a request's approval history.
struct HistoryStep {
  long long moment = 0;
  std::string action;
  std::string user;
  std::string role;
  std::string before;  // empty for the request's creation
  std::string after;
  std::string comment;  // the approve/deny comment after the step; empty: none
};

struct Request {
  int order = 0;
  int number = 0;
  const CustomerState* customer = nullptr;
  std::string enteredBy;
  std::string requesterEmail;
  long long entered = 0;
  std::string status;
  long long statusDate = 0;
  std::string statusComment;  // empty: none
  std::string chain;          // empty: none
  std::string category;
  std::string grade;
  std::string fund;
  std::string contact;
  std::string purpose;
  std::string purchaseOrder;   // empty: none
  std::string internalNumber;  // empty: none
  std::string comment;         // empty: none
  int destination = 0;         // 0: typed by hand
  std::string destinationName;
  std::string destinationCategory;
  std::string address1;
  std::string address2;
  std::string city;
  std::string state;
  std::string zip;
  std::string destinationInstructions;  // empty: none
  double destinationMiles = 0;
  Schedule schedule;
  int students = 0;
  int adults = 0;
  int handicapped = 0;
  int trip = 0;                      // the trip made from it
  std::vector<HistoryStep> history;  // oldest first; the trip's line is added with the trip
};

constexpr std::size_t kNoRequest = static_cast<std::size_t>(-1);

struct Trip {
  int order = 0;
  int number = 0;
  std::size_t request = kNoRequest;  // index of the request it was made from
  int requestNumber = 0;             // 0: entered by Transportation
  long long created = 0;
  const CustomerState* customer = nullptr;
  std::string billCustomer;
  int destination = 0;
  Schedule schedule;
  int students = 0;
  int adults = 0;
  int handicapped = 0;
  std::string contact;
  std::string purpose;
  std::string purchaseOrder;
  std::string internalNumber;
  std::string fund;
  std::string grade;
  std::string category;
  std::string destinationInstructions;
  std::string vehicleType;
  std::string tripComment = " ";
  std::string ticketFormat;
  std::vector<std::string> schedules;  // buses assigned
  bool shuttle = false;
  bool outOfTown = false;
  bool assigned = false;
  bool billed = false;
  bool canceled = false;
  std::optional<Days> billDate;
  std::optional<Days> cancelDate;
  long long requested = 0;
  std::vector<std::pair<double, double>> drivers;      // hours, miles
  std::vector<std::pair<std::string, double>> ledger;  // "BIL" or "PAY", amount
  std::vector<std::string> splitFunds;
};

// A request made to show one particular state; the rest are drawn at random.
struct RequestPlan {
  const CustomerSeed* customer = nullptr;
  const char* category = nullptr;
  int departureOffset = 0;
  enum class Outcome { Random, InProgress, Accepted, Denied } outcome = Outcome::Random;
  int progress = 0;  // levels approved, for InProgress
};

class DistrictBuilder {
 public:
  explicit DistrictBuilder(std::chrono::year_month_day today)
      : today_(Days{today}),
        latest_(momentAt(today_ - std::chrono::days{1}, 17 * 3600 + 30 * 60)) {}

  void build();

  Days today() const { return today_; }
  const std::vector<std::pair<Days, const CalendarNote*>>& notes() const { return notes_; }
  const std::vector<Destination>& destinations() const { return destinations_; }
  const std::vector<CustomerState>& customers() const { return customers_; }
  const std::vector<Request>& requests() const { return requests_; }
  const std::vector<Trip>& trips() const { return trips_; }

 private:
  static constexpr int kRandomRequests = 320;
  static constexpr int kDirectTrips = 60;

  // The calendar, the customers and the draws that requests and trips share
  // (district_builder.cpp).
  void buildCalendar();
  void buildCustomers();
  const CustomerState& state(const CustomerSeed& seed);
  // A school day a little after `day` when it falls on a weekend (Saturday may be allowed) or a
  // closed day. The step is drawn so that moved trips do not all land on Mondays.
  Days schoolDayFrom(Days day, bool saturdayAllowed);
  const CustomerSeed& pickCustomer(bool past);
  std::string pickCategory(const CustomerSeed& customer);
  const Destination& pickDestination(std::string_view category, Kind kind, bool allowInactive);
  static int travelMinutes(double miles);
  Schedule planSchedule(int departureOffset, std::string_view category, Kind kind, double miles);

  struct People {
    int students = 0;
    int adults = 0;
    int handicapped = 0;  // wheelchair users among the students
  };

  People pickPeople(const CustomerSeed& customer, std::string_view category);
  std::string pickGrade(const CustomerSeed& customer, std::string_view category);
  std::string pickContact(Kind kind, std::string_view category);
  std::string pickFund(const CustomerState& customer, std::string_view category);

  // Requests (district_requests.cpp).
  // Moments at which `count` decisions were made, in order, between `start` and `end`.
  std::vector<long long> decisionMoments(long long start, long long end, int count);
  Request makeRequest(const RequestPlan& plan);
  // Sets the status the request reached: how many levels approved it, and whether one denied it
  // or the last accepted it.
  void decide(Request& request, const RequestPlan& plan);
  // Requests that show every state of every active chain, then the random ones.
  void buildRequests();

  // Trips (district_trips.cpp).
  // Assignment, cancellation, billing and payment of a trip, by how far it lies in the past.
  void runTrip(Trip& trip);
  Trip tripFromRequest(std::size_t index);
  Trip directTrip();
  void buildTrips();

  Random random_;
  Days today_;
  long long latest_;  // no stamp is later than yesterday at the end of office hours
  std::vector<std::pair<Days, const CalendarNote*>> notes_;
  std::set<Days> closed_;
  std::vector<Destination> destinations_;
  std::vector<CustomerState> customers_;
  std::vector<Request> requests_;
  std::vector<Trip> trips_;
  std::map<std::string, int> internalNumbers_;  // last internal trip number per customer
};

}  // namespace ravadid::demo

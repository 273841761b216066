#include "setup/demo/demo_district.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <map>
#include <random>
#include <set>
#include <span>
#include <stdexcept>
#include <string_view>
#include <tuple>
#include <utility>
#include <variant>

#include "frame/connections.h"
#include "frame/schema.h"

namespace ravadid {
namespace {

using Days = std::chrono::sys_days;

// ---------------------------------------------------------------------------------------------
// Local dates and times, as the data files hold them: no time zone, whole seconds.
// ---------------------------------------------------------------------------------------------

constexpr long long kSecondsPerDay = 86400;

int dayNumber(Days day) {
  return static_cast<int>(day.time_since_epoch().count());
}

// A moment as seconds since 1970-01-01 00:00 local time.
long long momentAt(Days day, int secondOfDay) {
  return dayNumber(day) * kSecondsPerDay + secondOfDay;
}

Days dayOf(long long moment) {
  long long day = moment / kSecondsPerDay;
  if (moment % kSecondsPerDay < 0) --day;
  return Days{std::chrono::days{day}};
}

int secondOfDay(long long moment) {
  long long second = moment % kSecondsPerDay;
  return static_cast<int>(second < 0 ? second + kSecondsPerDay : second);
}

std::string dateTimeText(Days day, int second) {
  std::chrono::year_month_day date{day};
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                second / 3600, second / 60 % 60, second % 60);
  return text;
}

std::string dateText(Days day) {
  return dateTimeText(day, 0);
}

std::string momentText(long long moment) {
  return dateTimeText(dayOf(moment), secondOfDay(moment));
}

// A time of day alone is stored on day zero.
std::string timeText(int minuteOfDay, int second = 0) {
  constexpr Days kDayZero = std::chrono::sys_days{std::chrono::year{1899} / 12 / 30};
  return dateTimeText(kDayZero, minuteOfDay * 60 + second);
}

bool isWeekend(Days day) {
  std::chrono::weekday weekday{day};
  return weekday == std::chrono::Saturday || weekday == std::chrono::Sunday;
}

std::string lowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// ---------------------------------------------------------------------------------------------
// The fixed-seed generator. Only the engine's raw output is used (its sequence is fixed by the
// language), so the district is the same with every standard library.
// ---------------------------------------------------------------------------------------------

class Random {
 public:
  int below(std::size_t count) {
    return static_cast<int>(engine_() % static_cast<std::uint32_t>(count));
  }
  int between(int low, int high) { return low + below(static_cast<std::size_t>(high - low + 1)); }
  bool percent(int chance) { return below(100) < chance; }
  template <class T>
  const T& pick(std::span<const T> items) {
    return items[static_cast<std::size_t>(below(items.size()))];
  }
  template <class T>
  const T& pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(below(items.size()))];
  }
  template <class T>
  void shuffle(std::vector<T>& items) {
    for (std::size_t i = items.size(); i > 1; --i) {
      std::swap(items[i - 1], items[static_cast<std::size_t>(below(i))]);
    }
  }

 private:
  std::mt19937 engine_{20240917u};
};

// A code with its description and whether the lists offer it.
struct CodeSeed {
  const char* code;
  const char* description;
  bool active;
};

// ---------------------------------------------------------------------------------------------
// Roles, statuses and approval chains
// ---------------------------------------------------------------------------------------------

constexpr const char* kPrincipal = "PRINCIPAL";
constexpr const char* kAthleticDirector = "ATHLETICDIR";
constexpr const char* kSuperintendent = "SUPERINTENDENT";
constexpr const char* kProgramDirector = "SPEDDIR";
constexpr const char* kTransport = "TRANSPORT";
constexpr const char* kRequester = "REQUESTOR";
constexpr const char* kClerk = "CLERK";

constexpr const char* kPending = "Pending";
constexpr const char* kUnapproved = "UNAPPROVED";
constexpr const char* kDenied = "Denied";
constexpr const char* kAccepted = "ACCEPTED";

struct Level {
  const char* role;
  const char* status;  // the request's status once this level has approved
};

// Transportation holds the last level of every chain, and its approval is the acceptance.
struct ChainSeed {
  const char* id;
  bool active;
  std::vector<Level> levels;
};

const std::vector<ChainSeed>& chains() {
  static const std::vector<ChainSeed> kChains = {
      {"ELEM", true, {{kPrincipal, "PRINCIPAL APPROVED"}, {kTransport, kAccepted}}},
      {"MIDDLE", true, {{kPrincipal, "PRINCIPAL APPROVED"}, {kTransport, kAccepted}}},
      {"HIGH",
       true,
       {{kPrincipal, "PRINCIPAL APPROVED"},
        {kSuperintendent, "SUPT APPROVED"},
        {kTransport, kAccepted}}},
      {"ATHLETIC",
       true,
       {{kPrincipal, "PRINCIPAL APPROVED"},
        {kAthleticDirector, "AD APPROVED"},
        {kSuperintendent, "SUPT APPROVED"},
        {kTransport, kAccepted}}},
      {"OVERNIGHT",
       true,
       {{kPrincipal, "PRINCIPAL APPROVED"},
        {kSuperintendent, "SUPT APPROVED"},
        {kTransport, kAccepted}}},
      {"SPECIAL", true, {{kProgramDirector, "PROGRAM APPROVED"}, {kTransport, kAccepted}}},
      {"ATHLDEPT", true, {{kAthleticDirector, "AD APPROVED"}, {kTransport, kAccepted}}},
      {"ATHLTRAVEL",
       true,
       {{kAthleticDirector, "AD APPROVED"},
        {kSuperintendent, "SUPT APPROVED"},
        {kTransport, kAccepted}}},
      {"DEPT", true, {{kTransport, kAccepted}}},
      // Retired with the school that used it; its requests are all decided.
      {"ELEM-OLD",
       false,
       {{kPrincipal, "PRINCIPAL OK"}, {kSuperintendent, "SUPT OK"}, {kTransport, kAccepted}}},
  };
  return kChains;
}

const ChainSeed* findChain(std::string_view id) {
  for (const ChainSeed& chain : chains()) {
    if (id == chain.id) return &chain;
  }
  return nullptr;
}

constexpr CodeSeed kStatuses[] = {
    {kPending, "Pending - no approval chain", true},
    {kUnapproved, "Unapproved - waiting for the first approval", true},
    {"PRINCIPAL APPROVED", "Approved by the principal", true},
    {"AD APPROVED", "Approved by the athletic director", true},
    {"SUPT APPROVED", "Approved by the superintendent", true},
    {"PROGRAM APPROVED", "Approved by the special programs director", true},
    {kDenied, "Denied", true},
    {kAccepted, "Accepted by Transportation", true},
    {"PRINCIPAL OK", "Principal approved (retired chain)", false},
    {"SUPT OK", "Superintendent approved (retired chain)", false},
};

// ---------------------------------------------------------------------------------------------
// Customers and their users
// ---------------------------------------------------------------------------------------------

enum class Kind { Elementary, Middle, High, Special, Athletics, Music, Activities, Office };

bool isSchool(Kind kind) {
  return kind == Kind::Elementary || kind == Kind::Middle || kind == Kind::High;
}

struct CustomerSeed {
  const char* code;
  const char* name;
  Kind kind;
  const char* division;
  const char* chain;  // empty: requests stay "Pending"
  bool active;
  int billRate;
  const char* capacity;
  const char* instructions;  // null: none
};

// clang-format off
constexpr CustomerSeed kCustomers[] = {
    {"WES", "Westside Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", "Load at the bus loop on Alder Street."},
    {"EES", "Eastbrook Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"NES", "Northgate Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", "Buses use the north driveway; no parking on Birch Lane."},
    {"SES", "Southfield Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"CHE", "Cedar Hollow Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"MRE", "Maple Ridge Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", "Office opens at 7:30 AM; call ahead for early pickups."},
    {"OPE", "Oak Park Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"PCE", "Pinecrest Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"RBE", "Riverbend Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"HWE", "Hawthorne Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"LNE", "Lincoln Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", "Kindergarten classes need booster seats."},
    {"JFE", "Jefferson Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"BSE", "Brookside Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"FVE", "Fairview Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"VVE", "Valley View Elementary School", Kind::Elementary, "ELEM", "ELEM", true, 1, "Medium", nullptr},
    {"GES", "Glenwood Elementary School (closed)", Kind::Elementary, "ELEM", "ELEM-OLD", false, 1, "Medium", nullptr},
    {"LMS", "Larkdale Middle School", Kind::Middle, "MID", "MIDDLE", true, 1, "Large", nullptr},
    {"WMS", "Washington Middle School", Kind::Middle, "MID", "MIDDLE", true, 1, "Large", "Load in front of the gym on 5th Avenue."},
    {"RMS", "Roosevelt Middle School", Kind::Middle, "MID", "MIDDLE", true, 1, "Large", nullptr},
    {"KMS", "Kennedy Middle School", Kind::Middle, "MID", "MIDDLE", true, 1, "Large", nullptr},
    {"HVM", "Harbor View Middle School", Kind::Middle, "MID", "MIDDLE", true, 1, "Large", nullptr},
    {"LHS", "Larkdale High School", Kind::High, "HIGH", "HIGH", true, 1, "Large", "Teams load behind the gym; equipment goes in the bay."},
    {"NHS", "North Larkdale High School", Kind::High, "HIGH", "HIGH", true, 1, "Large", nullptr},
    {"CHS", "Central High School", Kind::High, "HIGH", "HIGH", true, 1, "Large", nullptr},
    {"EVH", "East Valley High School", Kind::High, "HIGH", "HIGH", true, 1, "Large", nullptr},
    {"LCA", "Larkdale Career Academy", Kind::High, "HIGH", "HIGH", true, 1, "Medium", "Students may carry tool kits; allow room for gear."},
    {"HAH", "Horizon Alternative High School", Kind::High, "HIGH", "HIGH", true, 1, "Small", nullptr},
    {"SPED", "Special Education Services", Kind::Special, "SPEC", "SPECIAL", true, 3, "Small", "Lift bus required; instructional aides ride along."},
    {"ELL", "English Learner Program", Kind::Special, "SPEC", "SPECIAL", true, 3, "Medium", nullptr},
    {"GATE", "Gifted and Talented Education", Kind::Special, "SPEC", "SPECIAL", true, 3, "Medium", nullptr},
    {"ECE", "Early Childhood Center", Kind::Special, "SPEC", "SPECIAL", true, 3, "Small", "Preschoolers ride in safety vests; two adults per row."},
    {"ATHL", "District Athletics Department", Kind::Athletics, "ATHL", "ATHLDEPT", true, 2, "Large", "Coaches carry the team roster and emergency forms."},
    {"ACTV", "Student Activities Office", Kind::Activities, "ATHL", "DEPT", true, 2, "Medium", nullptr},
    {"MUSIC", "Fine Arts and Music Department", Kind::Music, "ATHL", "DEPT", true, 2, "Large", "Instrument trailer needed for band trips."},
    {"DO", "District Office", Kind::Office, "ADMIN", "", true, 4, "Small", nullptr},
    {"SUPO", "Office of the Superintendent", Kind::Office, "ADMIN", "", true, 4, "Small", nullptr},
    {"TRANS", "Transportation Department", Kind::Office, "ADMIN", "DEPT", true, 4, "Medium", nullptr},
    {"MAINT", "Maintenance and Operations", Kind::Office, "ADMIN", "DEPT", true, 4, "Small", nullptr},
    {"CURR", "Curriculum and Instruction", Kind::Office, "ADMIN", "DEPT", true, 4, "Medium", nullptr},
    {"FOOD", "Food and Nutrition Services", Kind::Office, "ADMIN", "", true, 4, "Small", nullptr},
    {"COMM", "Community Education", Kind::Office, "ADMIN", "DEPT", true, 4, "Medium", nullptr},
    {"HR", "Human Resources (merged into District Office)", Kind::Office, "ADMIN", "", false, 4, "Small", nullptr},
};
// clang-format on

const CustomerSeed& customerSeed(std::string_view code) {
  for (const CustomerSeed& customer : kCustomers) {
    if (code == customer.code) return customer;
  }
  throw std::logic_error("unknown demo customer " + std::string(code));
}

std::string requesterEmail(const CustomerSeed& customer) {
  return lowerCase(customer.code) + (isSchool(customer.kind) ? ".teacher" : ".staff") +
         "@larkdale.example";
}

std::vector<DemoUser> buildUsers() {
  std::vector<DemoUser> users = {
      {"clerk", "clerk", kClerk, "", "clerk@larkdale.example",
       "Transportation clerk: works with the requests of every customer", true, false},
      {"transport", "transport", kTransport, "", "transport@larkdale.example",
       "Transportation director: last level of every chain (accepts)", true, true},
      {"dispatch", "dispatch", kTransport, "", "dispatch@larkdale.example",
       "Transportation dispatcher: last level of every chain (accepts)", true, true},
      {"supt", "supt", kSuperintendent, "", "supt@larkdale.example",
       "Superintendent: high school, athletic and overnight trips", false, false},
      {"athdir", "athdir", kAthleticDirector, "", "athdir@larkdale.example",
       "Athletic director: athletic trips", false, false},
      {"speddir", "speddir", kProgramDirector, "", "speddir@larkdale.example",
       "Special programs director: special program trips", false, false},
      {"guest", std::nullopt, kRequester, "WES", "",
       "Shared substitute sign-in at Westside Elementary; no password, no e-mail", false, false},
      {"lhs.coach", "coach", kRequester, "LHS", "lhs.coach@larkdale.example",
       "Coach at Larkdale High School", false, false},
  };
  for (const CustomerSeed& customer : kCustomers) {
    std::string code = lowerCase(customer.code);
    if (isSchool(customer.kind) && customer.active) {
      users.push_back({code + ".principal", "principal", kPrincipal, customer.code,
                       code + ".principal@larkdale.example",
                       std::string("Principal of ") + customer.name, false, false});
    }
    bool school = isSchool(customer.kind);
    users.push_back({code + (school ? ".teacher" : ".staff"), school ? "teacher" : "staff",
                     kRequester, customer.code, requesterEmail(customer),
                     std::string(school ? "Teacher at " : "Staff of ") + customer.name, false,
                     false});
  }
  return users;
}

// ---------------------------------------------------------------------------------------------
// Funds
// ---------------------------------------------------------------------------------------------

constexpr CodeSeed kFunds[] = {
    {"GF-100", "General Fund - Transportation", true},
    {"GF-110", "General Fund - Elementary Field Trips", true},
    {"GF-120", "General Fund - Secondary Field Trips", true},
    {"TI-200", "Title I - Supplemental Programs", true},
    {"SE-300", "Special Education (IDEA)", true},
    {"AT-400", "Athletics - District Allocation", true},
    {"AT-410", "Athletics - Gate Receipts", true},
    {"MU-450", "Music and Band Boosters", true},
    {"AS-500", "Associated Student Body", true},
    {"PT-600", "PTA / PTO Donations", true},
    {"GR-700", "STEM Grant", true},
    {"GR-710", "Outdoor School Grant", true},
    {"CT-800", "Career and Technical Education", true},
    {"BD-900", "2015 Bond - closed", false},
    {"GR-720", "Arts Grant 2019 - expired", false},
};

bool fundActive(std::string_view code) {
  for (const CodeSeed& fund : kFunds) {
    if (code == fund.code) return fund.active;
  }
  return false;
}

// The fund every customer of a kind has, and the pool its other one to three funds come from.
struct FundPlan {
  const char* main;
  std::vector<const char*> others;
};

FundPlan fundPlan(Kind kind) {
  switch (kind) {
    case Kind::Elementary:
      return {"GF-110", {"TI-200", "PT-600", "GR-710", "GR-720"}};
    case Kind::Middle:
      return {"GF-120", {"AS-500", "PT-600", "GR-700", "AT-400"}};
    case Kind::High:
      return {"GF-120", {"AS-500", "AT-410", "CT-800", "MU-450", "BD-900"}};
    case Kind::Special:
      return {"SE-300", {"TI-200", "GF-100", "GR-700"}};
    case Kind::Athletics:
      return {"AT-400", {"AT-410", "AS-500"}};
    case Kind::Music:
      return {"MU-450", {"GF-120", "GR-720"}};
    case Kind::Activities:
      return {"AS-500", {"GF-120", "PT-600"}};
    case Kind::Office:
      return {"GF-100", {"CT-800", "GR-700", "TI-200"}};
  }
  return {"GF-100", {}};
}

// ---------------------------------------------------------------------------------------------
// Trip categories and which chain a customer and category take
// ---------------------------------------------------------------------------------------------

constexpr CodeSeed kCategories[] = {
    {"ACADEMIC", "Academic / Curriculum", true}, {"ATHLETIC", "Athletic Event", true},
    {"BAND", "Band, Choir and Music", true},     {"CAREER", "Career and College", true},
    {"COMMUNITY", "Community Service", true},    {"OVERNIGHT", "Overnight / Extended Travel", true},
    {"REWARD", "Reward / Recognition", true},    {"SCIENCE", "Science and Outdoor Education", true},
    {"SUMMER", "Summer School", false},
};

struct ChainOverride {
  std::string customer;
  std::string category;
  std::string chain;
};

// Athletic and overnight trips of secondary schools, the overnight outdoor school of four
// elementary schools and the away tournaments of the athletics department have chains of their
// own.
std::vector<ChainOverride> buildChainOverrides() {
  std::vector<ChainOverride> overrides;
  for (const CustomerSeed& customer : kCustomers) {
    if (customer.kind == Kind::Middle || customer.kind == Kind::High) {
      overrides.push_back({customer.code, "ATHLETIC", "ATHLETIC"});
      overrides.push_back({customer.code, "OVERNIGHT", "OVERNIGHT"});
    }
  }
  for (const char* code : {"WES", "EES", "NES", "MRE"}) {
    overrides.push_back({code, "OVERNIGHT", "OVERNIGHT"});
  }
  overrides.push_back({"ATHL", "OVERNIGHT", "ATHLTRAVEL"});
  return overrides;
}

const std::vector<ChainOverride>& chainOverrides() {
  static const std::vector<ChainOverride> kOverrides = buildChainOverrides();
  return kOverrides;
}

// As a save picks it: the customer and category's own chain, else the customer's default.
std::string chainFor(const CustomerSeed& customer, std::string_view category) {
  for (const ChainOverride& entry : chainOverrides()) {
    if (entry.customer == customer.code && entry.category == category) return entry.chain;
  }
  return customer.chain;
}

bool hasOwnChain(const CustomerSeed& customer, std::string_view category) {
  for (const ChainOverride& entry : chainOverrides()) {
    if (entry.customer == customer.code && entry.category == category) return true;
  }
  return false;
}

struct Weighted {
  const char* value;
  int weight;
};

std::vector<Weighted> categoryWeights(Kind kind) {
  switch (kind) {
    case Kind::Elementary:
      return {{"ACADEMIC", 30}, {"SCIENCE", 30},  {"REWARD", 10}, {"COMMUNITY", 10},
              {"BAND", 8},      {"OVERNIGHT", 6}, {"CAREER", 6}};
    case Kind::Middle:
      return {{"ACADEMIC", 25}, {"SCIENCE", 15},  {"ATHLETIC", 20}, {"BAND", 15},
              {"CAREER", 5},    {"COMMUNITY", 8}, {"OVERNIGHT", 6}, {"REWARD", 6}};
    case Kind::High:
      return {{"ACADEMIC", 18}, {"ATHLETIC", 30}, {"BAND", 14},  {"CAREER", 16},
              {"COMMUNITY", 6}, {"OVERNIGHT", 8}, {"SCIENCE", 8}};
    case Kind::Special:
      return {{"ACADEMIC", 30}, {"COMMUNITY", 30}, {"SCIENCE", 20}, {"REWARD", 20}};
    case Kind::Athletics:
      return {{"ATHLETIC", 85}, {"OVERNIGHT", 15}};
    case Kind::Music:
      return {{"BAND", 90}, {"OVERNIGHT", 10}};
    case Kind::Activities:
      return {{"COMMUNITY", 40}, {"REWARD", 30}, {"ACADEMIC", 30}};
    case Kind::Office:
      return {{"ACADEMIC", 40}, {"COMMUNITY", 40}, {"CAREER", 20}};
  }
  return {{"ACADEMIC", 1}};
}

const char* pickWeighted(Random& random, const std::vector<Weighted>& choices) {
  int total = 0;
  for (const Weighted& choice : choices) total += choice.weight;
  int roll = random.below(static_cast<std::size_t>(total));
  for (const Weighted& choice : choices) {
    if (roll < choice.weight) return choice.value;
    roll -= choice.weight;
  }
  return choices.back().value;
}

// ---------------------------------------------------------------------------------------------
// Destinations
// ---------------------------------------------------------------------------------------------

enum class Place { Museum, Outdoor, Sports, Recreation, College, Arts, Community };

const char* placeCode(Place place) {
  switch (place) {
    case Place::Museum:
      return "MUSEUM";
    case Place::Outdoor:
      return "OUTDOOR";
    case Place::Sports:
      return "SPORTS";
    case Place::Recreation:
      return "RECREATION";
    case Place::College:
      return "COLLEGE";
    case Place::Arts:
      return "ARTS";
    case Place::Community:
      return "COMMUNITY";
  }
  return "OTHER";
}

struct Town {
  const char* name;
  const char* zip;
  int miles;  // from the district office; 0 for Larkdale itself
};

constexpr Town kTowns[] = {
    {"Larkdale", "97390", 0},     {"Millbrook", "97391", 12},     {"Albany", "97321", 19},
    {"Corvallis", "97330", 24},   {"Salem", "97301", 31},         {"Silverton", "97381", 40},
    {"McMinnville", "97128", 47}, {"Eugene", "97401", 58},        {"Portland", "97204", 76},
    {"Newport", "97365", 84},     {"Hood River", "97031", 128},   {"Sisters", "97759", 138},
    {"Seaside", "97138", 141},    {"Cannon Beach", "97110", 146}, {"Bend", "97701", 152},
    {"Ashland", "97520", 231},
};

const Town& town(std::string_view name) {
  for (const Town& candidate : kTowns) {
    if (name == candidate.name) return candidate;
  }
  throw std::logic_error("unknown demo town " + std::string(name));
}

struct Pattern {
  const char* suffix;  // the name is the town's name, a blank and this
  Place place;
  int maxMiles;  // only towns this close have one
};

constexpr Pattern kPatterns[] = {
    {"Museum of Natural History", Place::Museum, 999},
    {"Art Museum", Place::Museum, 999},
    {"Children's Museum", Place::Museum, 80},
    {"Historical Society Museum", Place::Museum, 999},
    {"Science and Discovery Center", Place::Museum, 999},
    {"Railway Museum", Place::Museum, 160},
    {"Planetarium", Place::Museum, 90},
    {"Nature Center", Place::Outdoor, 999},
    {"Regional Park", Place::Outdoor, 90},
    {"Zoo", Place::Outdoor, 999},
    {"Arboretum", Place::Outdoor, 90},
    {"Wildlife Refuge", Place::Outdoor, 999},
    {"Fish Hatchery", Place::Outdoor, 150},
    {"Pumpkin Patch and Farm", Place::Outdoor, 50},
    {"High School Stadium", Place::Sports, 80},
    {"Aquatic Center", Place::Sports, 90},
    {"Sports Complex", Place::Sports, 999},
    {"Ice Arena", Place::Recreation, 999},
    {"Bowling Lanes", Place::Recreation, 50},
    {"Fieldhouse", Place::Sports, 999},
    {"Community College", Place::College, 999},
    {"State University", Place::College, 999},
    {"Technical Institute", Place::College, 90},
    {"Center for the Performing Arts", Place::Arts, 999},
    {"Symphony Hall", Place::Arts, 999},
    {"Community Playhouse", Place::Arts, 90},
    {"Public Library", Place::Community, 60},
    {"City Hall", Place::Community, 60},
    {"Fire Station No. 1", Place::Community, 40},
    {"Water Treatment Plant", Place::Community, 40},
    {"Municipal Airport", Place::Community, 90},
    {"Food Bank Warehouse", Place::Community, 60},
    {"Senior Center", Place::Community, 40},
    {"General Hospital", Place::Community, 90},
    {"County Courthouse", Place::Community, 60},
};

// Destinations written out in full: names with commas and apostrophes, long names, camps.
struct NamedPlace {
  const char* name;
  Place place;
  const char* town;
  int extraMiles;
  bool active;
  const char* instructions;
};

// clang-format off
constexpr NamedPlace kNamedPlaces[] = {
    {"Smith, Jones & Co. Science Center", Place::Museum, "Salem", 2, true, "Bus drop-off on Commercial Street; lunchroom available."},
    {"Hartwell, Price and Daughters Heritage Farm", Place::Outdoor, "Millbrook", 3, true, "Gravel lane; buses turn around at the barn."},
    {"Museum of Flight, Rail, and Maritime History", Place::Museum, "Portland", 2, true, nullptr},
    {"Oaks, Pines & Firs Outdoor Learning Center", Place::Outdoor, "Silverton", 2, true, nullptr},
    {"Willamette Valley Regional Center for Environmental Science Education", Place::Outdoor, "Corvallis", 2, true, "Students need boots and rain gear."},
    {"Cascade Foothills Outdoor School and Residential Environmental Camp", Place::Outdoor, "Sisters", 0, true, "Cabins assigned by school; bring bedding."},
    {"Larkdale County Historical Society Museum and Pioneer Heritage Village", Place::Museum, "Larkdale", 6, true, nullptr},
    {"Pacific Shores Aquarium, Tide Pool Trail and Marine Discovery Center", Place::Outdoor, "Newport", 2, true, "Check low tide times; buses park in Lot B."},
    {"State Capitol Building - Legislative Visitor Services and Tour Office", Place::Community, "Salem", 0, true, "Security screening at the north entrance."},
    {"Northwest Collegiate Athletic Conference Championship Fieldhouse", Place::Sports, "Eugene", 2, true, nullptr},
    {"Mid-Valley Regional Youth Orchestra Festival at Riverfront Amphitheater", Place::Arts, "Salem", 1, true, nullptr},
    {"Eastside Regional Soccer, Softball and Baseball Tournament Complex", Place::Sports, "Salem", 3, true, "Buses park in the east lot only."},
    {"Rogue Valley Repertory Theatre, Student Matinees and Backstage Tour Program", Place::Arts, "Ashland", 0, true, nullptr},
    {"Camp Tamarack Outdoor School", Place::Outdoor, "Sisters", 4, true, nullptr},
    {"Coastal Dunes Science Camp", Place::Outdoor, "Newport", 6, true, nullptr},
    {"O'Brien Family Pumpkin Patch", Place::Outdoor, "Millbrook", 1, true, "Open weekdays by appointment only."},
    {"Lee, Park & Nguyen Dental Clinic", Place::Community, "Albany", 0, true, nullptr},
    {"Larkdale Drive-In Theater", Place::Arts, "Larkdale", 3, false, nullptr},
    {"Timberline Ridge Snow Science Center", Place::Outdoor, "Hood River", 12, true, "Chains required November to March."},
    {"Larkdale Lanes & Skate, Family Fun Center", Place::Recreation, "Larkdale", 4, true, nullptr},
    {"Bigfoot Falls Trampoline Park", Place::Recreation, "Albany", 1, true, nullptr},
    {"Riverside Community Center, East Wing", Place::Community, "Larkdale", 5, true, nullptr},
    {"Juniper Plateau Museum of Western Life", Place::Museum, "Bend", 3, true, nullptr},
    {"Crater Rim Lodge and Geology Field Station", Place::Outdoor, "Bend", 9, false, nullptr},
};
// clang-format on

constexpr const char* kStreets[] = {
    "Main Street",  "Oak Avenue",      "River Road",        "Commercial St NE", "State Street",
    "College Way",  "Park Drive",      "Industrial Way",    "Mill Creek Road",  "Fairgrounds Road",
    "Highway 20",   "Market Street",   "Lakeview Drive",    "Cedar Lane",       "Front Street",
    "Airport Road", "Washington Blvd", "Evergreen Parkway", "Hillcrest Drive",  "Depot Street",
};

constexpr const char* kDestinationInstructions[] = {
    "Bus parking in the east lot.",
    "Enter from Second Street; drop-off at the loading zone.",
    "Buses check in at the gate house.",
    "No bus turnaround; drop off on Main Street.",
    "Groups of more than 60 need a reserved time slot.",
    "Lunch area available under the covered pavilion.",
};

const int kDestinationCount = 150;

struct Destination {
  int number = 0;
  std::string name;
  Place place = Place::Museum;
  std::string address1;
  std::string address2;
  std::string instructions;  // empty: none
  double miles = 0;
  bool active = true;
};

std::string streetAddress(Random& random) {
  return std::to_string(random.between(100, 9899)) + " " +
         random.pick(std::span<const char* const>(kStreets));
}

std::string townLine(const Town& where) {
  return std::string(where.name) + ", OR " + where.zip;
}

double milesTo(Random& random, const Town& where, int extra) {
  if (where.miles == 0) return random.between(2, 9) + extra;
  return where.miles + random.between(0, 4) + extra;
}

std::vector<Destination> buildDestinations(Random& random) {
  struct Candidate {
    const Town* town;
    const Pattern* pattern;
  };
  std::vector<Candidate> candidates;
  for (const Town& where : kTowns) {
    for (const Pattern& pattern : kPatterns) {
      if (where.miles <= pattern.maxMiles) candidates.push_back({&where, &pattern});
    }
  }
  random.shuffle(candidates);
  std::size_t generated = kDestinationCount - std::size(kNamedPlaces);
  candidates.resize(generated);

  std::vector<Destination> destinations;
  int index = 0;
  for (const Candidate& candidate : candidates) {
    Destination destination;
    destination.name = std::string(candidate.town->name) + " " + candidate.pattern->suffix;
    destination.place = candidate.pattern->place;
    destination.address1 = streetAddress(random);
    destination.address2 = townLine(*candidate.town);
    destination.miles = milesTo(random, *candidate.town, 0);
    destination.active = ++index % 12 != 0;
    if (random.percent(30)) {
      destination.instructions =
          random.pick(std::span<const char* const>(kDestinationInstructions));
    }
    destinations.push_back(std::move(destination));
  }
  for (const NamedPlace& named : kNamedPlaces) {
    const Town& where = town(named.town);
    Destination destination;
    destination.name = named.name;
    destination.place = named.place;
    destination.address1 = streetAddress(random);
    destination.address2 = townLine(where);
    destination.miles = milesTo(random, where, named.extraMiles);
    destination.active = named.active;
    if (named.instructions) destination.instructions = named.instructions;
    destinations.push_back(std::move(destination));
  }
  random.shuffle(destinations);
  for (std::size_t i = 0; i < destinations.size(); ++i) {
    destinations[i].number = static_cast<int>(i) + 1;
  }
  return destinations;
}

// Places typed into a request by hand (destination 0), with the address fields of the form.
struct TypedPlace {
  const char* name;
  Place place;
  const char* address1;
  const char* address2;
  const char* city;
  const char* zip;
  int miles;
  const char* instructions;
};

// clang-format off
constexpr TypedPlace kTypedPlaces[] = {
    {"Grandview Apple Orchard", Place::Outdoor, "31150 Grandview Road", "", "Millbrook", "97391", 15, "Buses park by the red barn."},
    {"Rivera Family Dairy", Place::Outdoor, "8870 Mill Creek Road", "", "Albany", "97321", 21, nullptr},
    {"Sunrise Assisted Living", Place::Community, "455 Sunrise Court", "", "Larkdale", "97390", 4, "Check in at the front desk."},
    {"Hilltop Veterans Hall", Place::Community, "120 Hilltop Drive", "", "Silverton", "97381", 41, nullptr},
    {"KLRK Radio Studios", Place::Community, "77 Broadcast Way", "Suite 200", "Salem", "97301", 30, nullptr},
    {"Ortega Tile & Stone, Inc.", Place::Community, "2300 Industrial Way", "Building 4", "Larkdale", "97390", 6, "Closed-toe shoes required."},
    {"Millbrook Grange Hall", Place::Community, "14 Grange Road", "", "Millbrook", "97391", 12, nullptr},
    {"Bridgeport Robotics Lab", Place::College, "900 Research Parkway", "Building C", "Corvallis", "97330", 25, nullptr},
    {"Sandpiper Beach Day-Use Area", Place::Outdoor, "Highway 101 Milepost 142", "", "Newport", "97365", 86, "No restrooms at the north lot."},
    {"Cedar Lake Camp", Place::Outdoor, "6200 Cedar Lake Road", "", "Sisters", "97759", 139, nullptr},
    {"Thompson's Tree Farm", Place::Outdoor, "4100 Ridge Road", "", "Silverton", "97381", 43, nullptr},
    {"Valley Soccer Club Fields", Place::Sports, "2500 Fairgrounds Road", "", "Albany", "97321", 20, nullptr},
};
// clang-format on

std::vector<Place> placesFor(std::string_view category) {
  if (category == "ACADEMIC") return {Place::Museum, Place::Arts, Place::Community, Place::College};
  if (category == "SCIENCE") return {Place::Museum, Place::Outdoor};
  if (category == "ATHLETIC") return {Place::Sports};
  if (category == "BAND") return {Place::Arts, Place::Sports};
  if (category == "CAREER") return {Place::College, Place::Community};
  if (category == "COMMUNITY") return {Place::Community, Place::Outdoor};
  if (category == "REWARD") return {Place::Outdoor, Place::Recreation, Place::Arts};
  return {Place::Museum, Place::Outdoor, Place::Sports, Place::College, Place::Arts};
}

// ---------------------------------------------------------------------------------------------
// Small texts of requests and trips
// ---------------------------------------------------------------------------------------------

constexpr const char* kSurnames[] = {
    "Alvarez", "Bennett",  "Brooks",   "Carter",  "Chen",    "Delgado",  "Ellis",    "Foster",
    "Garcia",  "Gonzalez", "Hayes",    "Hoffman", "Ibarra",  "Jensen",   "Kaur",     "Kim",
    "Larson",  "Lopez",    "Martinez", "Meyer",   "Morales", "Nakamura", "Nguyen",   "O'Connor",
    "Olsen",   "Patel",    "Quinn",    "Ramirez", "Reyes",   "Robinson", "Sato",     "Schmidt",
    "Singh",   "Sullivan", "Thompson", "Tran",    "Vasquez", "Walker",   "Whitaker", "Young",
};

// What a trip is for, by its category and the kind of place it goes to.
std::vector<const char*> purposes(std::string_view category, Kind kind, Place place) {
  if (category == "ATHLETIC") {
    return {"Varsity football game", "JV volleyball match", "Cross country meet",
            "Basketball tournament", "Track & field meet",  "Swim meet",
            "Wrestling tournament",  "Soccer playoff game"};
  }
  if (category == "OVERNIGHT") {
    if (kind == Kind::Elementary) return {"Outdoor school (3 days)"};
    if (kind == Kind::Athletics) return {"Regional tournament", "State championships"};
    if (kind == Kind::Music) return {"State band competition"};
    if (place == Place::Sports) return {"Regional tournament", "State championships"};
    if (place == Place::Arts) return {"State band competition", "Drama festival"};
    return {"Leadership conference", "Coastal science camp", "College visit tour"};
  }
  if (category == "BAND") {
    if (place == Place::Arts) {
      return {"Band festival", "Choir performance", "Orchestra festival", "Jazz band competition"};
    }
    return {"Parade performance", "Halftime show", "Pep band performance"};
  }
  if (category == "REWARD") {
    if (place == Place::Recreation) return {"Bowling reward outing", "Skating reward trip"};
    if (place == Place::Outdoor) return {"End-of-year picnic", "Attendance reward trip"};
    return {"Attendance reward trip", "End-of-year celebration"};
  }
  if (category == "CAREER") {
    if (place == Place::College) return {"College campus tour", "STEM lab visit"};
    return {"Job shadow day", "Career fair", "Hospital career visit", "Manufacturing plant tour"};
  }
  if (category == "COMMUNITY") {
    if (place == Place::Outdoor) return {"Park cleanup day", "Community garden work"};
    return {"Food bank volunteering", "Senior center visit", "Holiday caroling"};
  }
  switch (place) {
    case Place::Museum:
      if (category == "SCIENCE") {
        return {"Science center visit", "Planetarium show", "Natural history exhibit"};
      }
      return {"History museum tour", "Art museum visit", "Museum guided tour"};
    case Place::Outdoor:
      return {"Nature walk & pond study", "Watershed field study", "Salmon release",
              "Farm & harvest study"};
    case Place::Arts:
      return {"Theater performance", "Youth symphony concert"};
    case Place::Community:
      return {"State capitol tour", "Court system field study", "Library research day",
              "City government visit"};
    case Place::College:
      return {"College science lab day", "Author visit and workshop"};
    case Place::Sports:
      return {"Swim safety lesson"};
    case Place::Recreation:
      return {"Physical education outing"};
  }
  return {"Field study"};
}

constexpr const char* kTripComments[] = {
    "Students will bring sack lunches.",
    "Please arrive 10 minutes early.",
    "Return may be delayed if the event runs long.",
    "Two classes; please keep them on separate buses if possible.",
    "Permission slips are on file in the office.",
};

std::vector<const char*> approvalComments(std::string_view role) {
  if (role == kPrincipal) {
    return {"Approved.", "Approved - please send permission slips to the office.",
            "Approved; confirm the chaperone list with the office."};
  }
  if (role == kAthleticDirector) {
    return {"Approved - league game.", "Approved; coaches ride with the team.", "Approved."};
  }
  if (role == kSuperintendent) {
    return {"Approved.", "Approved; overnight forms are on file.",
            "Approved - keep costs within the budget."};
  }
  if (role == kProgramDirector) return {"Approved; aides assigned.", "Approved - lift bus needed."};
  return {"Accepted - bus assigned.", "Accepted. The driver will call the contact the day before.",
          "Accepted; please have students ready 10 minutes early."};
}

std::vector<const char*> denialComments(std::string_view role) {
  if (role == kPrincipal) {
    return {"Denied - conflicts with state testing.", "Please resubmit with the chaperone list.",
            "Denied - not in the approved curriculum plan."};
  }
  if (role == kAthleticDirector) {
    return {"Denied - game was rescheduled; submit a new request.", "Denied - not a league event."};
  }
  if (role == kSuperintendent) {
    return {"Denied - overnight travel is limited this year.",
            "Denied - cost exceeds the approved budget."};
  }
  if (role == kProgramDirector)
    return {"Denied - please coordinate with the program office first."};
  return {"Denied - no drivers available on this date.",
          "Denied - buses are committed to routes at that time.", "Denied - insufficient notice."};
}

// ---------------------------------------------------------------------------------------------
// Reference rows of trip.mdb
// ---------------------------------------------------------------------------------------------

struct BillRateSeed {
  int number;
  std::array<double, 5> amounts;
};

constexpr const char* kAmountLabels[5] = {"Per Mile", "Driver Per Hour", "Wait Per Hour",
                                          "Lift Bus Fee", "Admin Fee"};

constexpr BillRateSeed kBillRates[] = {
    {1, {2.25, 38.50, 24.00, 45.00, 15.00}},  // schools
    {2, {2.10, 36.00, 22.00, 45.00, 10.00}},  // athletics and activities
    {3, {1.95, 34.00, 20.00, 0.00, 0.00}},    // special programs: lift bus included
    {4, {2.60, 42.00, 28.00, 55.00, 25.00}},  // departments
};

const BillRateSeed& billRate(int number) {
  for (const BillRateSeed& rate : kBillRates) {
    if (rate.number == number) return rate;
  }
  return kBillRates[0];
}

constexpr CodeSeed kDivisions[] = {
    {"ELEM", "Elementary Schools", true},
    {"MID", "Middle Schools", true},
    {"HIGH", "High Schools", true},
    {"SPEC", "Special Programs", true},
    {"ATHL", "Athletics and Activities", true},
    {"ADMIN", "Administration and Operations", true},
    {"ADULT", "Adult Education (discontinued)", false},
};

constexpr CodeSeed kVehicleTypes[] = {
    {"BUS72", "72-Passenger School Bus", true},    {"BUS48", "48-Passenger School Bus", true},
    {"LIFT", "Wheelchair Lift Bus", true},         {"VAN", "12-Passenger Activity Van", true},
    {"COACH", "Charter Coach (contracted)", true}, {"BUS66", "66-Passenger Bus (retired)", false},
};

constexpr const char* kDefaultVehicleType = "BUS72";
constexpr const char* kInvoiceFormat = "PLX_INVOICE";

constexpr CodeSeed kSchedules[] = {
    {"T31", "Bus 31 - North Yard", true},         {"T32", "Bus 32 - North Yard", true},
    {"T33", "Bus 33 - North Yard", true},         {"T34", "Bus 34 - South Yard", true},
    {"T35", "Bus 35 - South Yard", true},         {"T36", "Bus 36 - South Yard", true},
    {"T40", "Activity Bus 40 - Main Yard", true}, {"L07", "Lift Bus 7 - South Yard", true},
    {"V12", "Activity Van 12 - Main Yard", true},
};

constexpr CodeSeed kTicketTemplates[] = {
    {"STD", "Standard Trip Ticket", true},
    {"ATH", "Athletic Trip Ticket", true},
    {"OVN", "Overnight Trip Ticket", true},
    {"OLD", "Trip Ticket (2015 layout)", false},
};

constexpr const char* kDestinationCategories[] = {"MUSEUM",  "OUTDOOR", "SPORTS",   "RECREATION",
                                                  "COLLEGE", "ARTS",    "COMMUNITY"};

struct CalendarNote {
  int dayOffset;
  const char* text;
  const char* longText;
  int severity;  // 3 closes the day, 2 warns
  bool closed;
};

constexpr CalendarNote kCalendarNotes[] = {
    {-90, "Picture Day", "School pictures in the morning; trips may leave after 10:00 AM.", 1,
     false},
    {-55, "Weather Closure - Schools Closed", "All schools and offices closed for weather.", 3,
     true},
    {-30, "Parent-Teacher Conferences", "Early dismissal at 12:30 PM; few buses are free.", 2,
     false},
    {-12, "Teacher Workday - No School", "No students; no field trips.", 3, true},
    {5, "School Board Meeting", "Board meeting at 7:00 PM at the District Office.", 1, false},
    {10, "Staff Development Day - No School",
     "All schools are closed for staff development. No field trips can be scheduled.", 3, true},
    {17, "Early Release Day",
     "Schools dismiss at 12:30 PM. Buses run early routes; trips must be back by 11:30 AM.", 2,
     false},
    {24, "State Testing Window",
     "State assessments this week. Check with the principal before planning a trip.", 2, false},
    {38, "District Holiday - Schools Closed", "Schools and offices closed.", 3, true},
    {39, "District Holiday - Schools Closed", "Schools and offices closed.", 3, true},
    {60, "Bus Inspection Day",
     "Half of the fleet is at the state bus inspection; few buses are available.", 2, false},
    {95, "Teacher Workday - No School", "No students; no field trips.", 3, true},
};

// ---------------------------------------------------------------------------------------------
// The generated district
// ---------------------------------------------------------------------------------------------

bool outOfTown(double miles) {
  return miles > 45;
}

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
  int trip = 0;  // the trip made from it
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

  void build() {
    buildCalendar();
    destinations_ = buildDestinations(random_);
    buildCustomers();
    buildRequests();
    buildTrips();
  }

  Days today() const { return today_; }
  const std::vector<std::pair<Days, const CalendarNote*>>& notes() const { return notes_; }
  const std::vector<Destination>& destinations() const { return destinations_; }
  const std::vector<CustomerState>& customers() const { return customers_; }
  const std::vector<Request>& requests() const { return requests_; }
  const std::vector<Trip>& trips() const { return trips_; }

 private:
  static constexpr int kRandomRequests = 320;
  static constexpr int kDirectTrips = 60;

  void buildCalendar() {
    std::set<Days> taken;
    for (const CalendarNote& note : kCalendarNotes) {
      Days day = today_ + std::chrono::days{note.dayOffset};
      while (isWeekend(day) || taken.count(day)) day += std::chrono::days{1};
      taken.insert(day);
      notes_.push_back({day, &note});
      if (note.severity >= 3) closed_.insert(day);
    }
  }

  void buildCustomers() {
    for (const CustomerSeed& seed : kCustomers) {
      CustomerState customer;
      customer.seed = &seed;
      FundPlan plan = fundPlan(seed.kind);
      std::vector<const char*> others = plan.others;
      random_.shuffle(others);
      std::size_t extra = static_cast<std::size_t>(
          random_.between(1, std::min(3, static_cast<int>(others.size()))));
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

  const CustomerState& state(const CustomerSeed& seed) {
    for (const CustomerState& customer : customers_) {
      if (customer.seed == &seed) return customer;
    }
    throw std::logic_error("unknown demo customer");
  }

  // A school day a little after `day` when it falls on a weekend (Saturday may be allowed) or a
  // closed day. The step is drawn so that moved trips do not all land on Mondays.
  Days schoolDayFrom(Days day, bool saturdayAllowed) {
    for (;;) {
      std::chrono::weekday weekday{day};
      bool weekend =
          weekday == std::chrono::Sunday || (weekday == std::chrono::Saturday && !saturdayAllowed);
      if (!weekend && !closed_.count(day)) return day;
      day += std::chrono::days{random_.between(1, 4)};
    }
  }

  const CustomerSeed& pickCustomer(bool past) {
    std::vector<Weighted> choices;
    for (const CustomerSeed& customer : kCustomers) {
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

  std::string pickCategory(const CustomerSeed& customer) {
    std::string category = pickWeighted(random_, categoryWeights(customer.kind));
    // Only the elementary schools with an outdoor school go overnight.
    if (category == "OVERNIGHT" && customer.kind == Kind::Elementary &&
        !hasOwnChain(customer, category)) {
      category = "SCIENCE";
    }
    return category;
  }

  const Destination& pickDestination(std::string_view category, Kind kind, bool allowInactive) {
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

  static int travelMinutes(double miles) {
    int minutes = static_cast<int>(std::ceil((miles * 60.0 / 45.0 + 10.0) / 15.0)) * 15;
    return std::max(15, minutes);
  }

  Schedule planSchedule(int departureOffset, std::string_view category, Kind kind, double miles) {
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

  struct People {
    int students = 0;
    int adults = 0;
    int handicapped = 0;  // wheelchair users among the students
  };

  People pickPeople(const CustomerSeed& customer, std::string_view category) {
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

  std::string pickGrade(const CustomerSeed& customer, std::string_view category) {
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

  std::string pickContact(Kind kind, std::string_view category) {
    std::string surname = random_.pick(std::span<const char* const>(kSurnames));
    if (category == "ATHLETIC") return "Coach " + surname;
    if (kind == Kind::Office) {
      return std::string(1, static_cast<char>('A' + random_.below(26))) + ". " + surname;
    }
    constexpr const char* kTitles[] = {"Ms.", "Mr.", "Mrs.", "Dr."};
    return std::string(random_.pick(std::span<const char* const>(kTitles))) + " " + surname;
  }

  std::string pickFund(const CustomerState& customer, std::string_view category) {
    if (category == "ATHLETIC" && random_.percent(60)) {
      for (const std::string& fund : customer.activeFunds) {
        if (fund.rfind("AT-", 0) == 0) return fund;
      }
    }
    return random_.pick(customer.activeFunds);
  }

  // Moments at which `count` decisions were made, in order, between `start` and `end`.
  std::vector<long long> decisionMoments(long long start, long long end, int count) {
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

  Request makeRequest(const RequestPlan& plan) {
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
      for (const TypedPlace& candidate : kTypedPlaces) {
        bool far = candidate.miles >= 80;
        bool fits = std::find(places.begin(), places.end(), candidate.place) != places.end();
        if (far == overnight && (fits || overnight)) typed.push_back(&candidate);
      }
      if (typed.empty()) typed.push_back(&kTypedPlaces[0]);
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
      request.comment = random_.pick(std::span<const char* const>(kTripComments));
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

  // Sets the status the request reached: how many levels approved it, and whether one denied it
  // or the last accepted it.
  void decide(Request& request, const RequestPlan& plan) {
    request.statusDate = request.entered;
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
      request.status = approver.status;
      bool last = level == levels;
      if (random_.percent(last ? 75 : 60)) {
        request.statusComment = random_.pick(approvalComments(approver.role));
      }
    }
    if (deniedAt) {
      request.status = kDenied;
      request.statusComment =
          random_.pick(denialComments(chain.levels[static_cast<std::size_t>(deniedAt - 1)].role));
    }
    request.statusDate = moments.back();
  }

  // Requests that show every state of every active chain, then the random ones.
  void buildRequests() {
    using Outcome = RequestPlan::Outcome;
    for (const ChainSeed& chain : chains()) {
      if (!chain.active) continue;
      const CustomerSeed* customer = nullptr;
      const char* category = nullptr;
      for (const CustomerSeed& candidate : kCustomers) {
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
    for (const CustomerSeed& candidate : kCustomers) {
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

  // Assignment, cancellation, billing and payment of a trip, by how far it lies in the past.
  void runTrip(Trip& trip) {
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
        while (!bus || std::find(trip.schedules.begin(), trip.schedules.end(), bus) !=
                           trip.schedules.end()) {
          bus = kSchedules[random_.below(7)].code;
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

  Trip tripFromRequest(std::size_t index) {
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

  Trip directTrip() {
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

  void buildTrips() {
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
      if (trips_[i].request != kNoRequest) requests_[trips_[i].request].trip = trips_[i].number;
    }
  }

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

// ---------------------------------------------------------------------------------------------
// Writing with the SQLite C API
// ---------------------------------------------------------------------------------------------

using Value = std::variant<std::monostate, long long, double, std::string>;

constexpr std::monostate kNull{};

Value textOrNull(const std::string& text) {
  if (text.empty()) return kNull;
  return text;
}

Value flag(bool on) {
  return on ? 1LL : 0LL;
}

std::string quoteIdentifier(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

// One database file, written in one transaction that rolls back unless committed.
class DatabaseFile {
 public:
  DatabaseFile(const std::filesystem::path& folder, const char* name) : name_(name) {
    std::filesystem::path path = folder / name;
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      db_ = nullptr;
      throw std::runtime_error("cannot open " + path.string() + ": " + message);
    }
    sqlite3_busy_timeout(db_, 5000);
    execute("BEGIN IMMEDIATE");
    inTransaction_ = true;
  }
  ~DatabaseFile() {
    if (inTransaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
  }
  DatabaseFile(const DatabaseFile&) = delete;
  DatabaseFile& operator=(const DatabaseFile&) = delete;

  sqlite3* handle() const { return db_; }
  const std::string& name() const { return name_; }

  void execute(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return;
    std::string text = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw std::runtime_error(name_ + ": " + text);
  }

  // The demo goes only into new databases: every table of the file must exist and be empty.
  void requireEmpty() {
    for (const schema::TableSchema& table : schema::schemaTables()) {
      if (name_ != table.file) continue;
      std::string sql = "SELECT 1 FROM " + quoteIdentifier(table.name) + " LIMIT 1";
      sqlite3_stmt* statement = nullptr;
      if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        std::string message = sqlite3_errmsg(db_);
        sqlite3_finalize(statement);
        throw std::runtime_error(name_ + ": " + message);
      }
      int rc = sqlite3_step(statement);
      sqlite3_finalize(statement);
      if (rc == SQLITE_ROW) {
        throw std::runtime_error(name_ + " already holds data (table " + table.name +
                                 "); the demo district goes only into new databases");
      }
    }
  }

  void commit() {
    execute("COMMIT");
    inTransaction_ = false;
  }

 private:
  std::string name_;
  sqlite3* db_ = nullptr;
  bool inTransaction_ = false;
};

// One column of a row and the value written to it.
struct Field {
  const char* column;
  Value value;
};

// Adds rows to one table through one prepared INSERT. Every row names the same columns in the
// same order, each beside its value; the values are bound, never spliced into the statement.
class Inserter {
 public:
  Inserter(DatabaseFile& file, const char* table) : file_(file), table_(table) {}
  ~Inserter() { sqlite3_finalize(statement_); }
  Inserter(const Inserter&) = delete;
  Inserter& operator=(const Inserter&) = delete;

  void add(std::initializer_list<Field> fields) {
    if (!statement_) prepare(fields);
    if (fields.size() != columns_.size()) mismatch();
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    int index = 1;
    for (const Field& field : fields) {
      if (columns_[static_cast<std::size_t>(index - 1)] != field.column) mismatch();
      int rc = SQLITE_OK;
      if (const auto* number = std::get_if<long long>(&field.value)) {
        rc = sqlite3_bind_int64(statement_, index, *number);
      } else if (const auto* real = std::get_if<double>(&field.value)) {
        rc = sqlite3_bind_double(statement_, index, *real);
      } else if (const auto* text = std::get_if<std::string>(&field.value)) {
        rc = sqlite3_bind_text(statement_, index, text->c_str(), static_cast<int>(text->size()),
                               SQLITE_TRANSIENT);
      } else {
        rc = sqlite3_bind_null(statement_, index);
      }
      if (rc != SQLITE_OK) fail();
      ++index;
    }
    if (sqlite3_step(statement_) != SQLITE_DONE) fail();
  }

 private:
  void prepare(std::initializer_list<Field> fields) {
    std::string sql = "INSERT INTO " + quoteIdentifier(table_) + " (";
    std::string placeholders;
    const char* separator = "";
    for (const Field& field : fields) {
      columns_.push_back(field.column);
      sql += separator + quoteIdentifier(field.column);
      placeholders += std::string(separator) + "?";
      separator = ", ";
    }
    sql += ") VALUES (" + placeholders + ")";
    if (sqlite3_prepare_v2(file_.handle(), sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK) {
      fail();
    }
  }

  [[noreturn]] void fail() {
    throw std::runtime_error(file_.name() + ": cannot write " + table_ + ": " +
                             sqlite3_errmsg(file_.handle()));
  }

  [[noreturn]] void mismatch() {
    throw std::logic_error(std::string("rows of ") + table_ + " name different columns");
  }

  DatabaseFile& file_;
  const char* table_;
  std::vector<std::string> columns_;
  sqlite3_stmt* statement_ = nullptr;
};

Value textOrNull(const char* text) {
  return text ? Value(text) : Value(kNull);
}

void writeSettings(DatabaseFile& file) {
  namespace d = schema::district;
  Inserter district(file, d::kTable);
  district.add({
      {d::kDistname, "Larkdale Unified School District"},
      {d::kDistaddr1, "1450 Meadowlark Avenue"},
      {d::kDistcity, "Larkdale"},
      {d::kDiststate, "OR"},
      {d::kDistzip, "97390"},
      {d::kDistphone, "(541) 555-0142"},
      {d::kDefaultCalcnumdriver, "True"},
      {d::kDefaultvtype, kDefaultVehicleType},
      {d::kTranstitle, "Larkdale USD Transportation Services"},
      {d::kAutofillRequests, "True"},
      {d::kAutofill, "True"},
      {d::kViewOtherSchools, "False"},
      {d::kFundDd, "True"},
      {d::kUsecustfund, "True"},
      {d::kDepdtLeadtime, 14},
      {d::kDepdtLeadtimeHardwarn, "False"},
      {d::kTotalTripsLimit, 12},
      {d::kTotalTripsLimitMessage,
       "Transportation already has 12 trips on this date. Please pick another date or call the "
       "Transportation office at (541) 555-0147."},
      {d::kTotalTripsHardwarn, "False"},
      {d::kTripreqComment,
       "Please submit requests at least 14 days before departure. Athletic and overnight trips "
       "need extra approvals; call Transportation at (541) 555-0147 with questions."},
  });

  // The fields most districts insist on; times on site, estimates and instructions optional.
  namespace r = schema::tripreq_required;
  Inserter required(file, r::kTable);
  required.add({
      {r::kRequestDateRequired, "True"},
      {r::kFundRequired, "True"},
      {r::kCustomerRequired, "True"},
      {r::kContactReq, "True"},
      {r::kDestinationReq, "True"},
      {r::kDepdateReq, "True"},
      {r::kDeptimeReq, "True"},
      {r::kRetdateReq, "True"},
      {r::kRettimeReq, "True"},
      {r::kArrivetimeReq, "False"},
      {r::kLeavetimeReq, "False"},
      {r::kEstmileReq, "False"},
      {r::kEsttimeReq, "False"},
      {r::kNumstudentsReq, "True"},
      {r::kNumadultsReq, "True"},
      {r::kNumwheelReq, "False"},
      {r::kPurposeReq, "True"},
      {r::kDestspecReq, "False"},
      {r::kCustspecReq, "False"},
      {r::kTripcomReq, "False"},
      {r::kPoReq, "False"},
      {r::kTripcatReq, "True"},
      {r::kInttripnumReq, "False"},
      {r::kGradeReq, "True"},
      {r::kInvoiceCommentReq, "False"},
  });

  namespace e = schema::email_options;
  Inserter email(file, e::kTable);
  email.add({
      {e::kReqTrekkoChange, "True"},
      {e::kAdmTrekkoChange, "False"},
      {e::kAppTrekkoChange, "True"},
  });
}

// A table of codes with a description and an active flag.
void writeCodes(DatabaseFile& file, const char* table, const char* codeColumn,
                const char* descriptionColumn, const char* activeColumn,
                std::span<const CodeSeed> seeds) {
  Inserter rows(file, table);
  for (const CodeSeed& seed : seeds) {
    rows.add({{codeColumn, seed.code},
              {descriptionColumn, seed.description},
              {activeColumn, flag(seed.active)}});
  }
}

void writeCodeTables(DatabaseFile& file) {
  namespace dv = schema::division;
  writeCodes(file, dv::kTable, dv::kDivision, dv::kDescription, dv::kActive, kDivisions);
  namespace v = schema::vehtype;
  writeCodes(file, v::kTable, v::kVehtype, v::kVtypdesc, v::kActive, kVehicleTypes);
  namespace tt = schema::tripticket_template;
  writeCodes(file, tt::kTable, tt::kTicketId, tt::kTemplateDesc, tt::kActive, kTicketTemplates);
  namespace c = schema::tripcat;
  writeCodes(file, c::kTable, c::kTripcat, c::kDescription, c::kActive, kCategories);
  namespace st = schema::tripreqstatus;
  writeCodes(file, st::kTable, st::kStatus, st::kDescription, st::kActive, kStatuses);
  namespace f = schema::fund;
  writeCodes(file, f::kTable, f::kFund, f::kFunddesc, f::kActive, kFunds);
  {
    namespace s = schema::schedmast;
    Inserter rows(file, s::kTable);
    for (const CodeSeed& seed : kSchedules) {
      rows.add({{s::kSchedule, seed.code}, {s::kScheddesc, seed.description}});
    }
  }
  {
    namespace g = schema::grade;
    Inserter rows(file, g::kTable);
    rows.add({{g::kGrade, "K"}, {g::kDescription, "Kindergarten"}, {g::kActive, flag(true)}});
    constexpr const char* kOrdinals[] = {"1st", "2nd", "3rd"};
    for (int grade = 1; grade <= 12; ++grade) {
      std::string ordinal = grade <= 3 ? kOrdinals[grade - 1] : std::to_string(grade) + "th";
      rows.add({{g::kGrade, std::to_string(grade)},
                {g::kDescription, ordinal + " Grade"},
                {g::kActive, flag(true)}});
    }
    rows.add({{g::kGrade, "MIX"}, {g::kDescription, "Mixed Grades"}, {g::kActive, flag(true)}});
  }
  {
    namespace dc = schema::destcat;
    Inserter rows(file, dc::kTable);
    for (const char* code : kDestinationCategories) {
      rows.add({{dc::kDestcat, code}, {dc::kActive, flag(true)}});
    }
    rows.add({{dc::kDestcat, "OTHER"}, {dc::kActive, flag(false)}});
  }
  {
    namespace b = schema::billrate;
    Inserter rows(file, b::kTable);
    for (const BillRateSeed& rate : kBillRates) {
      rows.add({
          {b::kBillrate, rate.number},
          {b::kAmount1, rate.amounts[0]},
          {b::kAmount2, rate.amounts[1]},
          {b::kAmount3, rate.amounts[2]},
          {b::kAmount4, rate.amounts[3]},
          {b::kAmount5, rate.amounts[4]},
          {b::kAmounttxt1, kAmountLabels[0]},
          {b::kAmounttxt2, kAmountLabels[1]},
          {b::kAmounttxt3, kAmountLabels[2]},
          {b::kAmounttxt4, kAmountLabels[3]},
          {b::kAmounttxt5, kAmountLabels[4]},
      });
    }
  }
}

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

// A request as the request form saves it: the customer's billing, capacity and invoice format,
// the district's default vehicle type, and for a destination picked from the list, blank typed-in
// fields.
void writeRequests(DatabaseFile& file, const DistrictBuilder& district) {
  namespace r = schema::tripsreq;
  Inserter rows(file, r::kTable);
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
  }
}

std::chrono::year_month_day localToday() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::chrono::year{local.tm_year + 1900} /
         std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
         std::chrono::day{static_cast<unsigned>(local.tm_mday)};
}

}  // namespace

const std::vector<DemoUser>& demoUsers() {
  static const std::vector<DemoUser> kUsers = buildUsers();
  return kUsers;
}

void fillDemoDistrict(const std::filesystem::path& dataFolder) {
  fillDemoDistrict(dataFolder, localToday());
}

void fillDemoDistrict(const std::filesystem::path& dataFolder, std::chrono::year_month_day today) {
  if (!today.ok()) throw std::invalid_argument("fillDemoDistrict: invalid date");
  DistrictBuilder district(today);
  district.build();

  // Every file is checked before any is written, and all three commit only after all writes
  // succeeded.
  DatabaseFile tripFile(dataFolder, kTripFile);
  DatabaseFile usersFile(dataFolder, kUsersFile);
  DatabaseFile requestsFile(dataFolder, kRequestsFile);
  for (DatabaseFile* file : {&tripFile, &usersFile, &requestsFile}) file->requireEmpty();

  writeSettings(tripFile);
  writeCodeTables(tripFile);
  writeCustomers(tripFile, district);
  writeDestinations(tripFile, district);
  writeCalendar(tripFile, district);
  writeTrips(tripFile, district);
  writeUsers(usersFile);
  writeRequests(requestsFile, district);

  tripFile.commit();
  usersFile.commit();
  requestsFile.commit();
}

}  // namespace ravadid

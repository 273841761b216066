#include "setup/demo/customers.h"

#include <cctype>
#include <stdexcept>

#include "setup/demo/chains.h"

namespace ravadid::demo {
namespace {

std::string lowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool isSchool(Kind kind) {
  return kind == Kind::Elementary || kind == Kind::Middle || kind == Kind::High;
}

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

}  // namespace

std::span<const CustomerSeed> customerSeeds() {
  return kCustomers;
}

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

}  // namespace ravadid::demo

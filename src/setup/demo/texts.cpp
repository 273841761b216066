#include "setup/demo/texts.h"

#include "setup/demo/chains.h"

namespace ravadid::demo {
namespace {

constexpr const char* kSurnames[] = {
    "Alvarez", "Bennett",  "Brooks",   "Carter",  "Chen",    "Delgado",  "Ellis",    "Foster",
    "Garcia",  "Gonzalez", "Hayes",    "Hoffman", "Ibarra",  "Jensen",   "Kaur",     "Kim",
    "Larson",  "Lopez",    "Martinez", "Meyer",   "Morales", "Nakamura", "Nguyen",   "O'Connor",
    "Olsen",   "Patel",    "Quinn",    "Ramirez", "Reyes",   "Robinson", "Sato",     "Schmidt",
    "Singh",   "Sullivan", "Thompson", "Tran",    "Vasquez", "Walker",   "Whitaker", "Young",
};

constexpr const char* kTripComments[] = {
    "Students will bring sack lunches.",
    "Please arrive 10 minutes early.",
    "Return may be delayed if the event runs long.",
    "Two classes; please keep them on separate buses if possible.",
    "Permission slips are on file in the office.",
};

}  // namespace

std::span<const char* const> surnames() {
  return kSurnames;
}

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

std::span<const char* const> tripComments() {
  return kTripComments;
}

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

}  // namespace ravadid::demo

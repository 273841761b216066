#include "setup/demo/destinations.h"

#include <iterator>
#include <stdexcept>

namespace ravadid::demo {
namespace {

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

}  // namespace

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

std::span<const TypedPlace> typedPlaces() {
  return kTypedPlaces;
}

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

}  // namespace ravadid::demo

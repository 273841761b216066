// Destinations: the district's list of places, and places typed into a request by hand.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "setup/demo/random.h"

namespace ravadid::demo {

enum class Place { Museum, Outdoor, Sports, Recreation, College, Arts, Community };

const char* placeCode(Place place);

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

// The list, numbered from 1 in a shuffled order.
std::vector<Destination> buildDestinations(Random& random);

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

std::span<const TypedPlace> typedPlaces();

// The kinds of place a trip of the category goes to.
std::vector<Place> placesFor(std::string_view category);

}  // namespace ravadid::demo

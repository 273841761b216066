// The district's customers (schools, programs and departments) and the users who sign in for
// them.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "setup/demo/demo_district.h"

namespace ravadid::demo {

enum class Kind { Elementary, Middle, High, Special, Athletics, Music, Activities, Office };

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

std::span<const CustomerSeed> customerSeeds();
const CustomerSeed& customerSeed(std::string_view code);
std::string requesterEmail(const CustomerSeed& customer);

// District staff first, then customer by customer its principal (active schools) and its
// requester.
std::vector<DemoUser> buildUsers();

}  // namespace ravadid::demo

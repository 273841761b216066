// Funds, and which of them each kind of customer has.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "setup/demo/code_seed.h"
#include "setup/demo/customers.h"

namespace ravadid::demo {

std::span<const CodeSeed> fundSeeds();
bool fundActive(std::string_view code);

// The fund every customer of a kind has, and the pool its other one to three funds come from.
struct FundPlan {
  const char* main;
  std::vector<const char*> others;
};

FundPlan fundPlan(Kind kind);

}  // namespace ravadid::demo

// Trip categories, which chain a customer and category take, and how often each kind of customer
// travels for each category.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "setup/demo/code_seed.h"
#include "setup/demo/customers.h"
#include "setup/demo/random.h"

namespace ravadid::demo {

std::span<const CodeSeed> categorySeeds();

struct ChainOverride {
  std::string customer;
  std::string category;
  std::string chain;
};

// Athletic and overnight trips of secondary schools, the overnight outdoor school of four
// elementary schools and the away tournaments of the athletics department have chains of their
// own.
const std::vector<ChainOverride>& chainOverrides();

// As a save picks it: the customer and category's own chain, else the customer's default.
std::string chainFor(const CustomerSeed& customer, std::string_view category);

bool hasOwnChain(const CustomerSeed& customer, std::string_view category);

std::vector<Weighted> categoryWeights(Kind kind);

}  // namespace ravadid::demo

#include "setup/demo/categories.h"

namespace ravadid::demo {
namespace {

constexpr CodeSeed kCategories[] = {
    {"ACADEMIC", "Academic / Curriculum", true}, {"ATHLETIC", "Athletic Event", true},
    {"BAND", "Band, Choir and Music", true},     {"CAREER", "Career and College", true},
    {"COMMUNITY", "Community Service", true},    {"OVERNIGHT", "Overnight / Extended Travel", true},
    {"REWARD", "Reward / Recognition", true},    {"SCIENCE", "Science and Outdoor Education", true},
    {"SUMMER", "Summer School", false},
};

std::vector<ChainOverride> buildChainOverrides() {
  std::vector<ChainOverride> overrides;
  for (const CustomerSeed& customer : customerSeeds()) {
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

}  // namespace

std::span<const CodeSeed> categorySeeds() {
  return kCategories;
}

const std::vector<ChainOverride>& chainOverrides() {
  static const std::vector<ChainOverride> kOverrides = buildChainOverrides();
  return kOverrides;
}

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

}  // namespace ravadid::demo

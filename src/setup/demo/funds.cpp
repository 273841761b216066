#include "setup/demo/funds.h"

namespace ravadid::demo {
namespace {

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

}  // namespace

std::span<const CodeSeed> fundSeeds() {
  return kFunds;
}

bool fundActive(std::string_view code) {
  for (const CodeSeed& fund : kFunds) {
    if (code == fund.code) return fund.active;
  }
  return false;
}

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

}  // namespace ravadid::demo

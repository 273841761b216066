#include "setup/demo/chains.h"

namespace ravadid::demo {
namespace {

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

}  // namespace

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

std::span<const CodeSeed> statusSeeds() {
  return kStatuses;
}

}  // namespace ravadid::demo

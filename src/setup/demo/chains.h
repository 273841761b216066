// Roles, request statuses and approval chains of the demo district.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "setup/demo/code_seed.h"

namespace ravadid::demo {

inline constexpr const char* kPrincipal = "PRINCIPAL";
inline constexpr const char* kAthleticDirector = "ATHLETICDIR";
inline constexpr const char* kSuperintendent = "SUPERINTENDENT";
inline constexpr const char* kProgramDirector = "SPEDDIR";
inline constexpr const char* kTransport = "TRANSPORT";
inline constexpr const char* kRequester = "REQUESTOR";
inline constexpr const char* kClerk = "CLERK";

inline constexpr const char* kPending = "Pending";
inline constexpr const char* kUnapproved = "UNAPPROVED";
inline constexpr const char* kDenied = "Denied";
inline constexpr const char* kAccepted = "ACCEPTED";

struct Level {
  const char* role;
  const char* status;  // the request's status once this level has approved
};

// Transportation holds the last level of every chain, and its approval is the acceptance.
struct ChainSeed {
  const char* id;
  bool active;
  std::vector<Level> levels;
};

const std::vector<ChainSeed>& chains();
const ChainSeed* findChain(std::string_view id);

// The statuses a request can have, with their descriptions.
std::span<const CodeSeed> statusSeeds();

}  // namespace ravadid::demo

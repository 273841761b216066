// The shape shared by the demo's small code tables.
#pragma once

namespace ravadid::demo {

// A code with its description and whether the lists offer it.
struct CodeSeed {
  const char* code;
  const char* description;
  bool active;
};

}  // namespace ravadid::demo

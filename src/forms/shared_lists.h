// One immutable copy of each distinct list, shared by every session that holds an equal list.
// Every signed-in session keeps the district's customers, destinations and the other lists;
// most sessions hold the same contents, so they share one copy instead of each keeping its own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "frame/value.h"

namespace ravadid {

// A list equal to entries: the copy already held by someone else when there is one, else a new
// one that later callers will share. Safe to call from several threads at once. A copy is freed
// when its last holder lets it go.
TextList internList(std::vector<std::string> entries);

// How many distinct lists are held at the moment (for diagnostics and tests).
std::size_t sharedListCount();

}  // namespace ravadid

// The shared conversions of database values: how a field that may be null is read as text or
// as a whole number.
#pragma once

#include <cstdint>
#include <string>

#include "frame/value.h"

namespace ravadid {

// Null reads as one space, Empty as empty text, anything else as its text (vb::CStr).
std::string NullToSpace(const Value& value);

// Null, Empty and empty text read as 0; anything else is converted by vb::CLng (error 13 for
// text that is not a number, 6 beyond the 32-bit range).
int32_t NullToLong(const Value& value);

}  // namespace ravadid

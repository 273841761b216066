#include "frame/db/nulls.h"

#include "frame/runtime.h"

namespace ravadid {

std::string NullToSpace(const Value& value) {
  if (value.isNull()) return " ";
  if (value.isEmpty()) return "";
  return vb::CStr(value);
}

int32_t NullToLong(const Value& value) {
  if (value.isNull() || value.isEmpty()) return 0;
  if (value.isText() && value.asText().empty()) return 0;
  return vb::CLng(value);
}

}  // namespace ravadid

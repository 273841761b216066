#include "frame/value.h"

namespace ravadid {

double Value::asDouble() const {
  switch (kind()) {
    case Kind::Integer:
      return std::get<int16_t>(data_);
    case Kind::Long:
      return std::get<int32_t>(data_);
    case Kind::Single:
      return std::get<float>(data_);
    case Kind::Double:
      return std::get<NumberTag>(data_).value;
    case Kind::Boolean:
      return std::get<bool>(data_) ? -1.0 : 0.0;
    case Kind::Date:
      return asDate();
    default:
      return 0.0;
  }
}

bool operator==(const Value& a, const Value& b) {
  if (a.kind() != b.kind()) return false;
  if (a.isList()) {
    const TextList& x = a.asList();
    const TextList& y = b.asList();
    if (x == y) return true;
    if (!x || !y) return false;
    return *x == *y;
  }
  return a.data_ == b.data_;
}

}  // namespace ravadid

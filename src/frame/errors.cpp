#include "frame/errors.h"

namespace ravadid {

void raise(long number, std::string description) {
  throw VbError(number, std::move(description));
}
void raiseOverflow() {
  raise(vberr::kOverflow, "Overflow");
}
void raiseTypeMismatch() {
  raise(vberr::kTypeMismatch, "Type mismatch");
}
void raiseInvalidUseOfNull() {
  raise(vberr::kInvalidUseOfNull, "Invalid use of Null");
}

}  // namespace ravadid

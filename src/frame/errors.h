// Errors raised the way the legacy runtime raises them: a number and a description.
#pragma once

#include <stdexcept>
#include <string>

namespace ravadid {

class VbError : public std::runtime_error {
 public:
  VbError(long number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}
  long number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  long number_;
  std::string description_;
};

// The runtime's own errors that the system relies on.
namespace vberr {
inline constexpr long kInvalidProcedureCall = 5;
inline constexpr long kOverflow = 6;
inline constexpr long kSubscriptOutOfRange = 9;
inline constexpr long kTypeMismatch = 13;
inline constexpr long kObjectNotSet = 91;
inline constexpr long kInvalidUseOfNull = 94;
// The database provider's generic failure (0x80004005).
inline constexpr long kDatabase = -2147467259;
// Record-set operations on a closed record set, or at end of file.
inline constexpr long kNoCurrentRecord = 3021;
inline constexpr long kItemNotFound = 3265;
}  // namespace vberr

[[noreturn]] void raise(long number, std::string description);
[[noreturn]] void raiseOverflow();
[[noreturn]] void raiseTypeMismatch();
[[noreturn]] void raiseInvalidUseOfNull();

}  // namespace ravadid

// The date and number conversions over any text. They fail only with the runtime's errors;
// a date read from text prints and stores as text that reads back as the same date; whole
// numbers stay in their range; the number formats print every finite number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "frame/errors.h"
#include "frame/runtime.h"
#include "frame/value.h"
#include "fuzz_check.h"

namespace {

using namespace ravadid;

// Runs f; a failure must be one of the runtime's own errors.
template <typename F>
void allowRuntimeErrors(F f) {
  try {
    f();
  } catch (const VbError& e) {
    const long n = e.number();
    FUZZ_CHECK(n == vberr::kOverflow || n == vberr::kTypeMismatch);
  }
}

void checkDate(std::string_view text) {
  const std::optional<double> serial = vb::parseDate(text);
  FUZZ_CHECK(serial.has_value() == vb::IsDate(Value::text(std::string(text))));
  if (!serial) return;
  FUZZ_CHECK(vb::CDate(Value::text(std::string(text))) == *serial);
  const std::string shown = vb::formatDate(*serial);
  FUZZ_CHECK(vb::parseDate(shown) == serial);
  FUZZ_CHECK(vb::fromStorageText(vb::toStorageText(*serial)) == serial);
  const vb::DateParts p = vb::dateParts(*serial);
  FUZZ_CHECK(vb::DateSerial(p.year, p.month, p.day) == vb::dateOnly(*serial));
  FUZZ_CHECK(vb::Weekday(*serial) >= 1 && vb::Weekday(*serial) <= 7);
}

void checkNumber(std::string_view text) {
  const Value value = Value::text(std::string(text));
  const std::optional<double> number = vb::parseNumber(text);
  FUZZ_CHECK(number.has_value() == vb::IsNumeric(value));
  if (number) FUZZ_CHECK(std::isfinite(*number));
  allowRuntimeErrors([&] {
    const int16_t n = vb::CInt(value);
    FUZZ_CHECK(number && n == vb::roundHalfEven(*number));
  });
  allowRuntimeErrors([&] {
    const int32_t n = vb::CLng(value);
    FUZZ_CHECK(number && n == vb::roundHalfEven(*number));
  });
  allowRuntimeErrors([&] { FUZZ_CHECK(vb::CDbl(value) == number); });
  allowRuntimeErrors([&] { vb::CSng(value); });
  allowRuntimeErrors([&] { vb::CBool(value); });
  if (!number) return;
  allowRuntimeErrors([&] { FUZZ_CHECK(!vb::CStr(Value::number(*number)).empty()); });
  const std::string currency = vb::FormatCurrency(*number);
  FUZZ_CHECK(currency.rfind("$", 0) == 0 || currency.rfind("($", 0) == 0);
  vb::Format(*number, "#,###,##0");
  vb::Format(*number, "#0.00");
  vb::Format(*number, "00");
  allowRuntimeErrors([&] { vb::formatDate(*number); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  checkDate(input);
  checkNumber(input);
  allowRuntimeErrors([&] { vb::fromStorageText(input); });

  // "number|pattern": a pattern of the number formats applied to a number.
  const std::size_t bar = input.find('|');
  if (bar != std::string_view::npos) {
    if (std::optional<double> number = vb::parseNumber(input.substr(0, bar))) {
      vb::Format(*number, input.substr(bar + 1));
    }
  }
  return 0;
}

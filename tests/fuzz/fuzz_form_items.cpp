// The query-string and form decoder over any text. Names and values carry no NUL byte; every
// item's name is found and holds the value of its first occurrence; text without escapes comes
// through as sent.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/host/form_items.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace ravadid;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const FormItems items = parseFormItems(text);

  for (const auto& [name, value] : items) {
    FUZZ_CHECK(name.find('\0') == std::string::npos);
    FUZZ_CHECK(value.find('\0') == std::string::npos);
  }

  std::size_t pieces = 0;
  FormItems firsts;
  for (std::string_view rest = text; !rest.empty();) {
    const std::size_t amp = rest.find('&');
    const std::string_view item = rest.substr(0, amp);
    rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
    if (item.empty()) continue;
    ++pieces;
    const std::size_t eq = item.find('=');
    const std::string_view rawName = item.substr(0, eq);
    const std::string name = decodedFormText(rawName);
    const std::string value =
        eq == std::string_view::npos ? std::string() : decodedFormText(item.substr(eq + 1));
    if (rawName.find_first_of("%+") == std::string_view::npos &&
        rawName.find('\0') == std::string_view::npos)
      FUZZ_CHECK(name == rawName);
    firsts.try_emplace(name, value);
    auto found = items.find(name);
    FUZZ_CHECK(found != items.end());
    FUZZ_CHECK(found->second == firsts.find(name)->second);
  }
  FUZZ_CHECK(items.size() <= pieces);
  return 0;
}

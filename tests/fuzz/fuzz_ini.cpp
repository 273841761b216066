// The INI reader over any file text. Every "key = value" line under a section header is found,
// and the file read with Windows line ends answers the same.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "frame/ini_file.h"
#include "fuzz_check.h"

namespace {

std::string_view trimmed(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using ravadid::IniFile;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const IniFile ini = IniFile::parse(text);

  std::string windows;
  for (char c : text) {
    if (c == '\n') windows += '\r';
    windows += c;
  }
  const IniFile windowsIni = IniFile::parse(windows);

  // The section and key of each setting line, found the plain way.
  std::vector<std::pair<std::string_view, std::string_view>> keys;
  std::optional<std::string_view> section;
  for (std::string_view rest = text; !rest.empty();) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = trimmed(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const std::size_t close = line.find(']');
      section =
          close == std::string_view::npos ? std::nullopt : std::optional(line.substr(1, close - 1));
      continue;
    }
    const std::size_t eq = line.find('=');
    if (section && eq != std::string_view::npos)
      keys.emplace_back(*section, trimmed(line.substr(0, eq)));
  }

  for (const auto& [sectionName, key] : keys) {
    const std::optional<std::string> value = ini.find(sectionName, key);
    FUZZ_CHECK(value.has_value());
    FUZZ_CHECK(windowsIni.find(sectionName, key) == value);
  }
  FUZZ_CHECK(ini.find("P.L.X. Options", "DataPath") ==
             windowsIni.find("P.L.X. Options", "DataPath"));
  return 0;
}

// INI files (trip.ini, registry.ini) read through a parsed copy per path. The copy is reused
// while the file keeps its identity (device, inode), size and modification and change times, so
// a lookup answers from the file as it is at that moment without parsing it again.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ravadid {

class IniFile {
 public:
  // Lines "[section]" and "key = value"; blank lines and lines starting with ';' are skipped.
  static IniFile parse(std::string_view text);

  // The value of the first key in a section of that name (names ignore case), trimmed and
  // without one pair of quotes around it; nullopt when the section or key is missing.
  std::optional<std::string> find(std::string_view section, std::string_view key) const;

 private:
  struct Setting {
    std::string section;
    std::string key;
    std::string value;
  };
  std::vector<Setting> settings_;
};

class IniFileCache {
 public:
  // A file changed less than settleTime before it was parsed is parsed again at every lookup:
  // file times advance in clock ticks, so a second rewrite of the same size within one tick
  // would otherwise look unchanged.
  explicit IniFileCache(std::chrono::nanoseconds settleTime = std::chrono::seconds(2));

  // The parsed file at path; null when it cannot be read.
  std::shared_ptr<const IniFile> load(const std::string& path);
  std::optional<std::string> lookup(const std::string& path, std::string_view section,
                                    std::string_view key);

 private:
  struct Stamp {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedSeconds = 0, modifiedNanoseconds = 0;
    long long changedSeconds = 0, changedNanoseconds = 0;
    bool operator==(const Stamp&) const = default;
  };
  struct Entry {
    Stamp stamp;
    bool settled = false;  // parsed at least settleTime after the file's last change
    std::shared_ptr<const IniFile> parsed;
  };

  std::chrono::nanoseconds settleTime_;
  std::mutex mutex_;
  std::unordered_map<std::string, Entry> entries_;
};

// The cache that the configuration module reads through, shared by every worker.
IniFileCache& iniFiles();

}  // namespace ravadid

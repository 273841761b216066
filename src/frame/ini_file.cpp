#include "frame/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "frame/runtime.h"

namespace ravadid {
namespace {

std::string_view trimBlanks(std::string_view s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

long long nanoseconds(long long seconds, long long nanos) {
  return seconds * 1'000'000'000LL + nanos;
}

// The whole file behind fd; false when it cannot be read.
bool readAll(int fd, std::string& text) {
  char chunk[16384];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) return true;
    if (n < 0) return false;
    text.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
  IniFile ini;
  std::optional<std::string> section;  // none before the first header or after a broken one
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = trimBlanks(text.substr(at, end - at));
    at = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[') {
      std::size_t close = line.find(']');
      if (close == std::string_view::npos) {
        section.reset();
      } else {
        section = std::string(line.substr(1, close - 1));
      }
      continue;
    }
    if (!section) continue;
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view value = trimBlanks(line.substr(eq + 1));
    // The reader drops one pair of quotes around a value.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    ini.settings_.push_back(
        {*section, std::string(trimBlanks(line.substr(0, eq))), std::string(value)});
  }
  return ini;
}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const {
  for (const Setting& setting : settings_) {
    if (vb::equalsIgnoreCase(setting.section, section) && vb::equalsIgnoreCase(setting.key, key))
      return setting.value;
  }
  return std::nullopt;
}

IniFileCache::IniFileCache(std::chrono::nanoseconds settleTime) : settleTime_(settleTime) {}

std::shared_ptr<const IniFile> IniFileCache::load(const std::string& path) {
  auto stampOf = [](const struct stat& st) {
    return Stamp{static_cast<unsigned long long>(st.st_dev),
                 static_cast<unsigned long long>(st.st_ino),
                 static_cast<long long>(st.st_size),
                 st.st_mtim.tv_sec,
                 st.st_mtim.tv_nsec,
                 st.st_ctim.tv_sec,
                 st.st_ctim.tv_nsec};
  };
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    std::lock_guard lock(mutex_);
    entries_.erase(path);
    return nullptr;
  }
  {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(path);
    if (it != entries_.end() && it->second.settled && it->second.stamp == stampOf(st))
      return it->second.parsed;
  }

  std::timespec parsedAt{};
  std::timespec_get(&parsedAt, TIME_UTC);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::string text;
  bool read = ::fstat(fd, &st) == 0 && readAll(fd, text);
  ::close(fd);
  // A folder or an unreadable file holds no settings, as an empty file.
  if (!read) text.clear();
  Entry entry{stampOf(st), false, std::make_shared<const IniFile>(IniFile::parse(text))};
  const long long changed = std::max(nanoseconds(st.st_mtim.tv_sec, st.st_mtim.tv_nsec),
                                     nanoseconds(st.st_ctim.tv_sec, st.st_ctim.tv_nsec));
  entry.settled = nanoseconds(parsedAt.tv_sec, parsedAt.tv_nsec) - changed >= settleTime_.count();
  std::shared_ptr<const IniFile> parsed = entry.parsed;
  std::lock_guard lock(mutex_);
  entries_[path] = std::move(entry);
  return parsed;
}

std::optional<std::string> IniFileCache::lookup(const std::string& path, std::string_view section,
                                                std::string_view key) {
  std::shared_ptr<const IniFile> ini = load(path);
  if (!ini) return std::nullopt;
  return ini->find(section, key);
}

IniFileCache& iniFiles() {
  static IniFileCache cache;
  return cache;
}

}  // namespace ravadid

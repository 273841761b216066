// The debug log, ROOT/RavadidLarkdale/log.txt: one line per diagnostic, appended by every
// worker. It is kept open between lines and rolled over to log.txt.1 when it passes its size
// limit, so a busy or attacked site never fills its disk.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace ravadid {

inline constexpr std::uint64_t kDefaultLogMaxBytes = 16 * 1024 * 1024;

class DebugLog {
 public:
  // maxBytes 0: never rolled over.
  explicit DebugLog(std::filesystem::path file, std::uint64_t maxBytes = kDefaultLogMaxBytes);
  ~DebugLog();
  DebugLog(const DebugLog&) = delete;
  DebugLog& operator=(const DebugLog&) = delete;

  void setMaxBytes(std::uint64_t maxBytes);
  const std::filesystem::path& file() const { return file_; }

  // Appends text and a line end as one write, so concurrent lines never interleave. Failures
  // are reported on standard error and give false; they never throw.
  bool append(std::string_view text);

 private:
  using Clock = std::chrono::steady_clock;
  // Callers hold mutex_.
  bool openLocked();
  void closeLocked();
  // The file at the path is no longer the one held open (moved, removed, replaced).
  bool movedLocked();
  void rollOverLocked();

  std::filesystem::path file_;
  std::mutex mutex_;
  std::uint64_t maxBytes_;
  int fd_ = -1;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::uint64_t size_ = 0;  // of the open file, as this process last knew it
  Clock::time_point lastCheck_{};
};

}  // namespace ravadid

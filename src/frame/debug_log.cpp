#include "frame/debug_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <utility>

namespace ravadid {
namespace {

// How often the path is looked at to notice that the file was moved or removed by someone
// else (logrotate, an administrator); between looks, lines go to the file held open.
constexpr auto kCheckInterval = std::chrono::seconds(1);

void report(int number) {
  std::cerr << "AppendToTextFile: Error: " << number << ". " << std::strerror(number) << '\n';
}

}  // namespace

DebugLog::DebugLog(std::filesystem::path file, std::uint64_t maxBytes)
    : file_(std::move(file)), maxBytes_(maxBytes) {}

DebugLog::~DebugLog() {
  closeLocked();
}

void DebugLog::setMaxBytes(std::uint64_t maxBytes) {
  std::lock_guard lock(mutex_);
  maxBytes_ = maxBytes;
}

bool DebugLog::openLocked() {
  fd_ = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd_ < 0) return false;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    closeLocked();
    return false;
  }
  device_ = st.st_dev;
  inode_ = st.st_ino;
  size_ = static_cast<std::uint64_t>(st.st_size);
  lastCheck_ = Clock::now();
  return true;
}

void DebugLog::closeLocked() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool DebugLog::movedLocked() {
  struct stat st {};
  if (::stat(file_.c_str(), &st) != 0) return true;
  if (st.st_dev != device_ || st.st_ino != inode_) return true;
  // Another process may append too: take the size from the file now and then.
  size_ = static_cast<std::uint64_t>(st.st_size);
  return false;
}

void DebugLog::rollOverLocked() {
  closeLocked();
  std::filesystem::path old = file_;
  old += ".1";
  // Replaces the older log.txt.1: one old file is kept.
  if (std::rename(file_.c_str(), old.c_str()) != 0 && errno != ENOENT) report(errno);
}

bool DebugLog::append(std::string_view text) {
  std::string line(text);
  line += '\n';
  std::lock_guard lock(mutex_);
  if (fd_ >= 0 && Clock::now() - lastCheck_ >= kCheckInterval) {
    lastCheck_ = Clock::now();
    if (movedLocked()) closeLocked();
  }
  if (fd_ >= 0 && maxBytes_ > 0 && size_ + line.size() > maxBytes_ && size_ > 0) {
    rollOverLocked();
  }
  if (fd_ < 0 && !openLocked()) {
    report(errno);
    return false;
  }
  // O_APPEND with a single write puts each line whole at the end of the file.
  ssize_t written = ::write(fd_, line.data(), line.size());
  if (written != static_cast<ssize_t>(line.size())) {
    int number = errno;
    // A file removed or a disk full: open afresh at the next line.
    closeLocked();
    report(number);
    return false;
  }
  size_ += line.size();
  return true;
}

}  // namespace ravadid

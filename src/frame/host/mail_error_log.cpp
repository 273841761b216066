#include "frame/host/mail_error_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>

namespace ravadid {
namespace {

constexpr std::string_view kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ErrorLog>\n";
constexpr std::string_view kClosingTag = "</ErrorLog>";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
// The closing tag is looked for in this many bytes at the end of the file.
constexpr off_t kTailBytes = 4096;
// Another writer may move the file between our open and our lock; we then open it again.
constexpr int kMaxAttempts = 8;

// The length of the valid UTF-8 sequence at the start of text, or 0.
std::size_t utf8Length(std::string_view text) {
  unsigned char c = static_cast<unsigned char>(text[0]);
  std::size_t length;
  char32_t code;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
    code = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    code = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    code = c & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = code << 6 | (next & 0x3F);
  }
  bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  bool notCharacter = code == 0xFFFE || code == 0xFFFF || code > 0x10FFFF;
  return overlong || surrogate || notCharacter ? 0 : length;
}

std::string localTimestamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  long offset = local.tm_gmtoff / 60;
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, sign, offset / 60, offset % 60);
  return text;
}

bool writeAll(int fd, std::string_view data, off_t offset) {
  while (!data.empty()) {
    ssize_t n = ::pwrite(fd, data.data(), data.size(), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
    offset += n;
  }
  return true;
}

std::string systemError(std::string_view what) {
  return std::string(what) + ": " + std::strerror(errno);
}

// Where the closing root tag starts, when the file ends with it (blanks after it allowed).
std::optional<off_t> closingTagOffset(int fd, off_t size) {
  off_t start = size > kTailBytes ? size - kTailBytes : 0;
  std::string tail(static_cast<std::size_t>(size - start), '\0');
  ssize_t n = ::pread(fd, tail.data(), tail.size(), start);
  if (n != static_cast<ssize_t>(tail.size())) return std::nullopt;
  std::size_t at = tail.rfind(kClosingTag);
  if (at == std::string::npos) return std::nullopt;
  if (tail.find_first_not_of(" \t\r\n", at + kClosingTag.size()) != std::string::npos)
    return std::nullopt;
  return start + static_cast<off_t>(at);
}

// Adds the element before the closing root tag under an exclusive lock. Empty text on success,
// else what went wrong.
std::string appendElement(const std::filesystem::path& file, std::string_view element,
                          std::uint64_t maxBytes) {
  const std::string path = file.string();
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return systemError("open");
    if (::flock(fd, LOCK_EX) != 0) {
      std::string error = systemError("lock");
      ::close(fd);
      return error;
    }
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0 ||
        held.st_ino != named.st_ino || held.st_dev != named.st_dev) {
      ::close(fd);  // moved away meanwhile: the next open finds the current file
      continue;
    }
    std::string error;
    if (held.st_size == 0) {
      std::string document(kHeader);
      document.append(element).append(kClosingTag).append("\n");
      if (!writeAll(fd, document, 0)) error = systemError("write");
    } else {
      std::optional<off_t> at = closingTagOffset(fd, held.st_size);
      bool full = maxBytes > 0 && static_cast<std::uint64_t>(held.st_size) >= maxBytes;
      if (!at || full) {
        // Kept aside; a new document is started on the next attempt.
        std::string aside = path + (at ? ".1" : ".bad");
        bool moved = std::rename(path.c_str(), aside.c_str()) == 0;
        if (!moved) error = systemError("rename");
        ::close(fd);
        if (!moved) return error;
        continue;
      }
      std::string end(element);
      end.append(kClosingTag).append("\n");
      if (!writeAll(fd, end, *at) || ::ftruncate(fd, *at + static_cast<off_t>(end.size())) != 0)
        error = systemError("write");
    }
    ::close(fd);  // releases the lock
    return error;
  }
  return "the file keeps moving";
}

}  // namespace

std::string xmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    std::size_t length = utf8Length(text);
    if (length == 0) {
      out += kReplacement;
      text.remove_prefix(1);
      continue;
    }
    if (length > 1) {
      out.append(text.substr(0, length));
      text.remove_prefix(length);
      continue;
    }
    char c = text[0];
    text.remove_prefix(1);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '\t':
        out += "&#9;";
        break;
      case '\n':
        out += "&#10;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20)
          out += kReplacement;  // XML 1.0 has no other control characters
        else
          out += c;
    }
  }
  return out;
}

std::string appendMailFailure(const std::filesystem::path& file, const MailFailure& failure,
                              std::uint64_t maxBytes) {
  std::string text = "Mail to " + failure.recipients + " failed: " + failure.error;
  std::string element = "  <MailError time=\"" + localTimestamp() + "\" server=\"" +
                        xmlEscape(failure.server) + "\" to=\"" + xmlEscape(failure.recipients) +
                        "\">\n    <Subject>" + xmlEscape(failure.subject) +
                        "</Subject>\n    <Error>" + xmlEscape(failure.error) +
                        "</Error>\n  </MailError>\n";
  if (std::string problem = appendElement(file, element, maxBytes); !problem.empty())
    text += " (" + file.filename().string() + " not written: " + problem + ")";
  return text;
}

}  // namespace ravadid

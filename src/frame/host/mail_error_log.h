// The mail error log, ROOT/RavadidLarkdale/ErrorLog.xml: one element per failed send inside
// one root element, so the file is a well-formed XML document after every append. Appends
// from several threads or processes take an exclusive lock on the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace ravadid {

inline constexpr std::uint64_t kMailErrorLogMaxBytes = 4 * 1024 * 1024;

struct MailFailure {
  std::string server;      // host:port
  std::string recipients;  // the recipient text
  std::string subject;
  std::string error;  // what the mail component answered
};

// Appends the failure and answers the text to log: "Mail to <recipients> failed: <error>".
// Past maxBytes the file is moved to ErrorLog.xml.1 and a new one started; a file that is no
// log of ours (no closing root tag) is moved to ErrorLog.xml.bad. A failure to write the log
// is added to the answered text; it never throws.
std::string appendMailFailure(const std::filesystem::path& file, const MailFailure& failure,
                              std::uint64_t maxBytes = kMailErrorLogMaxBytes);

// Text for XML character data and attribute values: markup characters and line breaks as
// references, characters XML cannot hold and invalid UTF-8 as U+FFFD.
std::string xmlEscape(std::string_view text);

}  // namespace ravadid

#include "frame/configuration.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <iostream>

#include "frame/application.h"
#include "frame/errors.h"
#include "frame/ini_file.h"
#include "frame/runtime.h"
#include "frame/web_application.h"

namespace ravadid {
namespace {

// The message facility: diagnostics go to standard error.
void message(std::string_view title, std::string_view text) {
  std::cerr << title << ": " << text << '\n';
}

std::string trimBlanks(std::string_view s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

// Finds key in [section] of an INI file as it is now; nullopt when the file, section or key
// is missing.
std::optional<std::string> iniLookup(const std::string& file, std::string_view section,
                                     std::string_view key) {
  return iniFiles().lookup(file, section, key);
}

// Lines of one INI read, appended to the debug log together in one write when the read ends
// (the lines themselves are unchanged): a start request reads eleven settings.
class LogLines {
 public:
  explicit LogLines(const Ravadid& app) : app_(app) {}
  ~LogLines() {
    if (!text_.empty()) debugLog(app_, text_);
  }
  void add(std::string_view prefix, std::string_view text) {
    if (!text_.empty()) text_ += '\n';
    text_.append(prefix).append(text);
  }

 private:
  const Ravadid& app_;
  std::string text_;
};

}  // namespace

std::string RegistryGetKeyValue(const Ravadid& app, std::string_view rootKey,
                                std::string_view keyPath, std::string_view valueName) {
  std::string section(rootKey);
  section.append("\\").append(keyPath);
  auto value = iniLookup((app.installation().root / "registry.ini").string(), section, valueName);
  if (!value) return {};
  // A text value ends at its first NUL character.
  return value->substr(0, value->find('\0'));
}

std::size_t readPrivateProfileString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue, std::string& buffer,
                                     std::size_t bufferSize, const std::string& file) {
  auto value = iniLookup(file, section, key);
  std::string result = value ? *value : trimBlanks(defaultValue);
  // The buffer keeps its last character for the terminating NUL.
  if (bufferSize == 0) return 0;
  if (result.size() > bufferSize - 1) result.resize(bufferSize - 1);
  buffer = result;
  return value ? result.size() : 0;
}

std::string INIGetSettingString(Ravadid& app, std::string_view strSection,
                                std::string_view strKeyName, const std::string& strFile,
                                std::string_view defaultValue) {
  LogLines log(app);
  try {
    log.add("In INIGetSettingString Starting ", "");
    log.add("In INIGetSettingString strSection: ", strSection);
    log.add("In INIGetSettingString strKeyName: ", strKeyName);
    log.add("In INIGetSettingString strFile: ", strFile);
    std::string buffer;
    std::size_t count =
        readPrivateProfileString(strSection, strKeyName, defaultValue, buffer, 256, strFile);
    if (count == 0) raise(8, "");
    std::string result = buffer.substr(0, count);
    // The mail password never goes into the log.
    log.add("In INIGetSettingString: ",
            vb::equalsIgnoreCase(strKeyName, "SmtpPassword") ? "********" : result);
    return result;
  } catch (const VbError& e) {
    if (e.number() == 8) {
      app.errorText() =
          "Error in Procedure: INIGetSettingString of Module: ChkEligWeb.  Error reading " +
          strFile + ", " + std::string(strSection) + " - " + std::string(strKeyName) +
          ".  Please make sure the appropriate user has permissions to read this "
          "file and that the lastest version of the ini file is in the correct path. "
          " Contact the transportation webmaster.";
    } else {
      app.errorText() = errorReport("INIGetSettingString", kModuleConfiguration, e.number(),
                                    e.description(), true);
    }
    return {};
  }
}

namespace {

std::string tripIniFile(Ravadid& app) {
  std::string folder = RegistryGetKeyValue(app, "HKEY_LOCAL_MACHINE", kRegistryKey, "INIPath");
  // Several installations on one server each keep trip.ini in their own web folder.
  if (vb::UCase(folder) == "MULTIPLE") folder = app.worker().applicationFolder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder + "trip.ini";
}

}  // namespace

std::string GetTripOption(Ravadid& app, std::string_view keyName) {
  return INIGetSettingString(app, kOptionsSection, keyName, tripIniFile(app), "");
}

std::string tripOptionOr(Ravadid& app, std::string_view keyName, std::string_view defaultValue) {
  std::string buffer;
  if (readPrivateProfileString(kOptionsSection, keyName, "", buffer, 256, tripIniFile(app)) == 0)
    return std::string(defaultValue);
  return buffer;
}

int16_t getSessionTimeOut(Ravadid& app) {
  return vb::CInt(GetTripOption(app, "SessionTimeOut"));
}
bool getDOTNETInstalled(Ravadid& app) {
  return vb::UCase(GetTripOption(app, "DOTNETInstalled")) == "TRUE";
}
std::string getCalendarUrl(Ravadid& app) {
  return GetTripOption(app, "CalendarUrl");
}
std::string getInquiryUrl(Ravadid& app) {
  return GetTripOption(app, "InquiryUrl");
}
std::string getSmtpServer(Ravadid& app) {
  return GetTripOption(app, "SmtpServer");
}
std::string getSmtpPort(Ravadid& app) {
  return GetTripOption(app, "SmtpPort");
}
// Only the exact word counts: "TRUE" is off.
bool getSmtpAuthentication(Ravadid& app) {
  return GetTripOption(app, "SmtpAuthentication") == "True";
}
std::string getSmtpUsername(Ravadid& app) {
  return GetTripOption(app, "SmtpUsername");
}
std::string getSmtpPassword(Ravadid& app) {
  return GetTripOption(app, "SmtpPassword");
}
std::string getEmailFromAddress(Ravadid& app) {
  return GetTripOption(app, "EmailFromAddress");
}
std::string getEmailFromName(Ravadid& app) {
  return GetTripOption(app, "EmailFromName");
}

void SetTripPaths(Ravadid& app) {
  try {
    debugLog(app, "Starting SetTripPaths");
    std::string path = (app.installation().root / "Data" / "Larkdale").string();
    if (path.empty() || path.back() != '/') path += '/';
    app.worker().strTripDataPath = path;
    debugLog(app, "Ending SetTripPaths");
  } catch (const VbError& e) {
    app.errorText() =
        errorReport("SetTripPaths", "SetTripPaths", e.number(), e.description(), true);
  }
}

bool AppendToTextFile(const std::string& path, std::string_view text) {
  std::string line(text);
  line += '\n';
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    int number = errno;
    message("AppendToTextFile", "Error: " + std::to_string(number) + ". " + std::strerror(number));
    return false;
  }
  // O_APPEND with a single write puts each line whole at the end of the file.
  ssize_t written = ::write(fd, line.data(), line.size());
  int number = errno;
  ::close(fd);
  if (written != static_cast<ssize_t>(line.size())) {
    message("AppendToTextFile", "Error: " + std::to_string(number) + ". " + std::strerror(number));
    return false;
  }
  return true;
}

void debugLog(const Ravadid& app, std::string_view line) {
  app.log().append(line);
}

std::optional<std::uint64_t> wholeNumberOption(const Installation& installation,
                                               std::string_view key) {
  auto folder = iniLookup((installation.root / "registry.ini").string(),
                          "HKEY_LOCAL_MACHINE\\" + std::string(kRegistryKey), "INIPath");
  std::string path = folder ? *folder : std::string();
  if (vb::UCase(path) == "MULTIPLE") path = installation.siteText();
  if (path.empty() || path.back() != '/') path += '/';
  auto value = iniLookup(path + "trip.ini", kOptionsSection, key);
  if (!value || value->empty()) return std::nullopt;
  std::uint64_t number = 0;
  auto [end, ec] = std::from_chars(value->data(), value->data() + value->size(), number);
  if (ec != std::errc() || end != value->data() + value->size()) return std::nullopt;
  return number;
}

std::optional<std::uint64_t> logMaxBytesSetting(const Installation& installation) {
  return wholeNumberOption(installation, "LogMaxBytes");
}

}  // namespace ravadid

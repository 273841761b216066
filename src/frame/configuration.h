// Configuration module: finds trip.ini through the registry stand-in, reads single settings
// from it, fixes the data folder and writes the debug log. Every getter reads the files as they
// are at that moment (through parsed copies reused while a file is unchanged).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ravadid {

class Ravadid;
class Value;
struct Installation;

inline constexpr std::string_view kRegistryKey =
    "Software\\Brantwell Datacraft, Inc.\\Pelix Fleet Desk (P.L.X.) - Field Trip";
inline constexpr std::string_view kOptionsSection = "P.L.X. Options";

// Reads a value of ROOT/registry.ini, section "HKEY_LOCAL_MACHINE\<keyPath>"; a missing file,
// section or value gives empty text.
std::string RegistryGetKeyValue(const Ravadid& app, std::string_view rootKey,
                                std::string_view keyPath, std::string_view valueName);

// The private-profile reader: section and key names ignore case, the value is trimmed and
// copied into a buffer of 256 characters. Returns the count copied (0 when the file, section
// or key is missing or the value is empty; the default is copied then).
std::size_t readPrivateProfileString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue, std::string& buffer,
                                     std::size_t bufferSize, const std::string& file);

std::string INIGetSettingString(Ravadid& app, std::string_view strSection,
                                std::string_view strKeyName, const std::string& strFile,
                                std::string_view defaultValue);
std::string GetTripOption(Ravadid& app, std::string_view keyName);
// A later key of trip.ini's options that older files lack: the default when it is missing or
// empty, without log lines or error text.
std::string tripOptionOr(Ravadid& app, std::string_view keyName, std::string_view defaultValue);

// One getter per setting of trip.ini.
int16_t getSessionTimeOut(Ravadid& app);  // error 13 when the value is not a number
bool getDOTNETInstalled(Ravadid& app);
std::string getCalendarUrl(Ravadid& app);
std::string getInquiryUrl(Ravadid& app);
std::string getSmtpServer(Ravadid& app);
std::string getSmtpPort(Ravadid& app);
bool getSmtpAuthentication(Ravadid& app);
std::string getSmtpUsername(Ravadid& app);
std::string getSmtpPassword(Ravadid& app);
std::string getEmailFromAddress(Ravadid& app);
std::string getEmailFromName(Ravadid& app);

// Sets the worker's strTripDataPath to ROOT/Data/Larkdale/.
void SetTripPaths(Ravadid& app);
// Appends text and a line end to the file (created if needed), as one write so concurrent
// appenders never interleave inside a line. False on failure, reported on standard error.
bool AppendToTextFile(const std::string& path, std::string_view text);
// Appends one line to ROOT/RavadidLarkdale/log.txt.
void debugLog(const Ravadid& app, std::string_view line);
// A whole-number key of trip.ini's options, found as the other settings are but without log
// lines or error text; nullopt when it is missing or not a whole number.
std::optional<std::uint64_t> wholeNumberOption(const Installation& installation,
                                               std::string_view key);
// trip.ini's LogMaxBytes (the debug log's size limit).
std::optional<std::uint64_t> logMaxBytesSetting(const Installation& installation);

}  // namespace ravadid

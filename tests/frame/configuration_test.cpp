#include "frame/configuration.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "frame/application.h"
#include "frame/connections.h"
#include "frame/errors.h"
#include "frame/pages.h"
#include "support/fake_exchange.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::TempInstallation;

const std::string kRegistrySection =
    "[HKEY_LOCAL_MACHINE\\Software\\Brantwell Datacraft, Inc.\\Pelix Fleet Desk (P.L.X.) - "
    "Field Trip]\n";

class ConfigurationTest : public ::testing::Test {
 protected:
  ConfigurationTest() : web_(site_.installation(), makeStandardPages()), app_(web_, exchange_) {
    std::filesystem::remove(site_.logFile());
  }

  void setRegistry(const std::string& iniPath) {
    site_.writeFile("root/registry.ini", kRegistrySection + "INIPath=" + iniPath + "\n");
  }
  std::vector<std::string> logLines() const {
    std::ifstream in(site_.logFile());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  TempInstallation site_;
  WebApplication web_;
  FakeExchange exchange_;
  Ravadid app_;
};

TEST_F(ConfigurationTest, ReadsTheOptionFromTheRegistryFolder) {
  site_.writeFile("root/conf/trip.ini", "[P.L.X. Options]\nSmtpServer = mail.example.org \n");
  setRegistry(site_.root().string() + "/conf/");
  EXPECT_EQ(getSmtpServer(app_), "mail.example.org");
  EXPECT_EQ(app_.errorText(), "NA");
}

TEST_F(ConfigurationTest, FolderWithoutTrailingSeparatorGetsOne) {
  site_.writeFile("root/conf/trip.ini", "[P.L.X. Options]\nSmtpPort=2525\n");
  setRegistry(site_.root().string() + "/conf");
  EXPECT_EQ(getSmtpPort(app_), "2525");
}

TEST_F(ConfigurationTest, MultipleInAnyCaseReadsTripIniFromTheWebFolder) {
  site_.writeFile("site/trip.ini", "[p.l.x. options]\nsmtpserver=site-mail\n");
  app_.worker().applicationFolder = site_.installation().siteText();
  for (const char* word : {"MULTIPLE", "multiple", "Multiple"}) {
    setRegistry(word);
    EXPECT_EQ(getSmtpServer(app_), "site-mail") << word;
  }
}

TEST_F(ConfigurationTest, LogLimitIsReadFromTripIniWhereTheOtherSettingsAre) {
  struct Case {
    const char* registry;
    const char* file;
    const char* value;
    std::optional<std::uint64_t> bytes;
  } cases[] = {
      {"conf", "root/conf/trip.ini", "LogMaxBytes=1000", 1000},
      {"MULTIPLE", "site/trip.ini", "logmaxbytes = 0", 0},
      {"conf", "root/conf/trip.ini", "LogMaxBytes=lots", std::nullopt},
      {"conf", "root/conf/trip.ini", "LogMaxBytes=", std::nullopt},
      {"conf", "root/conf/trip.ini", "SmtpPort=25", std::nullopt},
  };
  for (const Case& c : cases) {
    std::string registry = c.registry;
    setRegistry(registry == "conf" ? site_.root().string() + "/conf" : registry);
    site_.writeFile(c.file, std::string("[P.L.X. Options]\n") + c.value + "\n");
    EXPECT_EQ(logMaxBytesSetting(site_.installation()), c.bytes) << c.value;
  }
}

TEST_F(ConfigurationTest, FlagsFollowTheirOwnCaseRules) {
  struct Case {
    const char* value;
    bool dotnet;
    bool authentication;
  };
  const Case cases[] = {{"True", true, true},
                        {"TRUE", true, false},
                        {"true", true, false},
                        {"False", false, false},
                        {"yes", false, false}};
  setRegistry(site_.root().string() + "/");
  for (const auto& c : cases) {
    site_.writeFile("root/trip.ini", std::string("[P.L.X. Options]\nDOTNETInstalled=") + c.value +
                                         "\nSmtpAuthentication=" + c.value + "\n");
    EXPECT_EQ(getDOTNETInstalled(app_), c.dotnet) << c.value;
    EXPECT_EQ(getSmtpAuthentication(app_), c.authentication) << c.value;
  }
}

TEST_F(ConfigurationTest, LongValueIsCutToWhatTheBufferHolds) {
  std::string longValue(300, 'x');
  site_.writeFile("root/trip.ini", "[P.L.X. Options]\nCalendarUrl=" + longValue + "\n");
  setRegistry(site_.root().string() + "/");
  EXPECT_EQ(getCalendarUrl(app_), std::string(255, 'x'));
}

TEST_F(ConfigurationTest, EachSuccessfulReadLeavesFiveLogLines) {
  std::string file = site_.root().string() + "/trip.ini";
  site_.writeFile("root/trip.ini", "[P.L.X. Options]\nInquiryUrl=http://inquiry\n");
  setRegistry(site_.root().string() + "/");
  EXPECT_EQ(getInquiryUrl(app_), "http://inquiry");
  EXPECT_EQ(logLines(), (std::vector<std::string>{
                            "In INIGetSettingString Starting ",
                            "In INIGetSettingString strSection: P.L.X. Options",
                            "In INIGetSettingString strKeyName: InquiryUrl",
                            "In INIGetSettingString strFile: " + file,
                            "In INIGetSettingString: http://inquiry",
                        }));
}

TEST_F(ConfigurationTest, SmtpPasswordNeverReachesTheLog) {
  site_.writeFile("root/trip.ini", "[P.L.X. Options]\nSmtpPassword=hunter2\n");
  setRegistry(site_.root().string() + "/");
  EXPECT_EQ(getSmtpPassword(app_), "hunter2");
  std::vector<std::string> lines = logLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "In INIGetSettingString: ********");
  for (const auto& line : lines) EXPECT_EQ(line.find("hunter2"), std::string::npos);
}

TEST_F(ConfigurationTest, MissingKeyReportsAndReturnsEmpty) {
  std::string file = site_.root().string() + "/trip.ini";
  site_.writeFile("root/trip.ini", "[P.L.X. Options]\nCalendarUrl=\n");
  setRegistry(site_.root().string() + "/");
  for (const char* key : {"CalendarUrl", "InquiryUrl"}) {  // empty value, missing key
    app_.errorText() = "NA";
    EXPECT_EQ(GetTripOption(app_, key), "");
    EXPECT_EQ(app_.errorText(),
              "Error in Procedure: INIGetSettingString of Module: ChkEligWeb.  Error reading " +
                  file + ", P.L.X. Options - " + key +
                  ".  Please make sure the appropriate user has permissions to read this file "
                  "and that the lastest version of the ini file is in the correct path.  Contact "
                  "the transportation webmaster.");
  }
}

TEST_F(ConfigurationTest, NoRegistryValueReadsTripIniAtTheFileSystemRoot) {
  std::filesystem::remove(site_.root() / "registry.ini");
  EXPECT_EQ(GetTripOption(app_, "SmtpServer"), "");
  EXPECT_NE(app_.errorText().find("Error reading /trip.ini, P.L.X. Options - SmtpServer."),
            std::string::npos);
}

TEST_F(ConfigurationTest, SessionTimeoutThatIsNoNumberIsATypeMismatch) {
  site_.writeFile("root/trip.ini", "[P.L.X. Options]\nSessionTimeOut=twenty\n");
  setRegistry(site_.root().string() + "/");
  try {
    getSessionTimeOut(app_);
    FAIL() << "expected error 13";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 13);
  }
}

TEST_F(ConfigurationTest, SetTripPathsSetsTheDataFolderAndLogsAroundIt) {
  SetTripPaths(app_);
  EXPECT_EQ(app_.worker().strTripDataPath, site_.dataFolder().string() + "/");
  EXPECT_EQ(logLines(), (std::vector<std::string>{"Starting SetTripPaths", "Ending SetTripPaths"}));
}

TEST_F(ConfigurationTest, ConcurrentAppendersKeepLinesWhole) {
  std::string path = site_.logFile().string();
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      std::string line(200, static_cast<char>('a' + t));
      for (int i = 0; i < 200; ++i) AppendToTextFile(path, line);
    });
  for (auto& th : threads) th.join();
  std::vector<std::string> lines = logLines();
  ASSERT_EQ(lines.size(), 1600u);
  for (const auto& line : lines) EXPECT_EQ(line, std::string(200, line.front()));
}

TEST_F(ConfigurationTest, AppendToAnUnwritablePathFailsWithoutThrowing) {
  EXPECT_FALSE(AppendToTextFile(site_.root().string() + "/no/such/folder/log.txt", "x"));
}

TEST_F(ConfigurationTest, MissingDatabaseFileIsReportedWithTheDataFolderAndNeverCreated) {
  std::filesystem::remove(site_.dataFolder() / "trip.mdb");
  EXPECT_FALSE(app_.databasePreamble());
  std::string folder = site_.dataFolder().string() + "/";
  EXPECT_EQ(app_.errorText(),
            "Error in Procedure: SetTripDBConnections of Module: ChkEligWeb.  Error: -2147467259 - "
            "Could not find file '" +
                folder + "trip.mdb'.; strTripDataPath=" + folder + ".");
  EXPECT_FALSE(std::filesystem::exists(site_.dataFolder() / "trip.mdb"));
}

TEST_F(ConfigurationTest, ClosingTwiceOrBeforeOpeningReportsNothing) {
  CloseTripDBConnections(app_);
  EXPECT_EQ(app_.errorText(), "NA");
  ASSERT_TRUE(app_.databasePreamble());
  EXPECT_TRUE(app_.tripDb().isOpen());
  CloseTripDBConnections(app_);
  CloseTripDBConnections(app_);
  EXPECT_EQ(app_.errorText(), "NA");
  EXPECT_FALSE(app_.tripDb().isOpen());
}

}  // namespace
}  // namespace ravadid

#include "frame/debug_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_installation.h"

namespace ravadid {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(DebugLogTest, RollsOverPastItsLimitKeepingOneOldFile) {
  struct Case {
    std::uint64_t maxBytes;
    int lines;  // of 99 characters and the line end
    std::size_t current, old;
  } cases[] = {
      {1000, 10, 10, 0},  // exactly at the limit: not rolled yet
      {1000, 11, 1, 10},
      {1000, 25, 5, 10},  // rolled twice: log.txt.1 is the second roll, no log.txt.2
      {0, 50, 50, 0},     // 0: never
  };
  for (const Case& c : cases) {
    testing::TempInstallation site;  // with its log folder
    DebugLog log(site.logFile(), c.maxBytes);
    for (int i = 0; i < c.lines; ++i) ASSERT_TRUE(log.append(std::string(99, 'a' + i % 26)));
    fs::path old = site.logFile().string() + ".1";
    EXPECT_EQ(linesOf(site.logFile()).size(), c.current) << c.maxBytes << "/" << c.lines;
    EXPECT_EQ(linesOf(old).size(), c.old) << c.maxBytes << "/" << c.lines;
    EXPECT_FALSE(fs::exists(site.logFile().string() + ".2"));
  }
}

TEST(DebugLogTest, ConcurrentAppendersKeepLinesWholeAcrossRollOvers) {
  testing::TempInstallation site;  // with its log folder
  DebugLog log(site.logFile(), 20000);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) log.append(std::string(199, static_cast<char>('a' + t)));
    });
  for (auto& th : threads) th.join();
  std::vector<std::string> lines = linesOf(site.logFile());
  std::vector<std::string> old = linesOf(site.logFile().string() + ".1");
  EXPECT_EQ(old.size(), 100u);  // the file rolled at exactly 100 lines each time
  lines.insert(lines.end(), old.begin(), old.end());
  for (const auto& line : lines) EXPECT_EQ(line, std::string(199, line.front()));
}

TEST(DebugLogTest, AFileMovedOrRemovedMeanwhileIsStartedAfresh) {
  testing::TempInstallation site;  // with its log folder
  DebugLog log(site.logFile());
  log.append("first");
  fs::rename(site.logFile(), site.logFile().string() + ".moved");
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  log.append("second");
  EXPECT_EQ(linesOf(site.logFile()), std::vector<std::string>{"second"});
  EXPECT_EQ(linesOf(site.logFile().string() + ".moved"), std::vector<std::string>{"first"});
}

}  // namespace
}  // namespace ravadid

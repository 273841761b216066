#include "frame/ini_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::TempInstallation;

TEST(IniFileTest, FindsTheFirstKeyOfTheSectionAsThePrivateProfileReaderDoes) {
  const IniFile ini = IniFile::parse(
      "Top=outside\n"
      "[Options]\r\n"
      "  Port = 25 \r\n"
      "; Port = commented\n"
      "Name=\"quoted value\"\n"
      "Single='x'\n"
      "Odd=\"half\n"
      "NoEquals\n"
      "[Broken\n"
      "Lost=1\n"
      "[other]\n"
      "Port=99\n"
      "[OPTIONS]\n"
      "Port=26\n"
      "Late=last line without a line end");
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  } cases[] = {
      {"options", "PORT", "25"},
      {"Options", "Name", "quoted value"},
      {"Options", "Single", "x"},
      {"Options", "Odd", "\"half"},
      {"Options", "NoEquals", std::nullopt},
      {"Options", "Lost", std::nullopt},
      {"Options", "Top", std::nullopt},
      {"other", "Port", "99"},
      {"Options", "Late", "last line without a line end"},
      {"Missing", "Port", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ini.find(c.section, c.key), c.value) << c.key;
}

class IniFileCacheTest : public ::testing::Test {
 protected:
  std::string path() const { return (site_.root() / "trip.ini").string(); }
  void write(const std::string& text) const { site_.writeFile("root/trip.ini", text); }
  // Gives the file a modification time of its own, as a later rewrite would get.
  void setModified(long seconds) const {
    timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path().c_str(), times, 0), 0);
  }

  TempInstallation site_;
};

TEST_F(IniFileCacheTest, UnchangedFileIsParsedOnceAndARewriteIsSeen) {
  IniFileCache cache(std::chrono::nanoseconds(0));
  write("[O]\nK=aaa\n");
  setModified(1'000'000);
  auto first = cache.load(path());
  ASSERT_TRUE(first);
  EXPECT_EQ(cache.load(path()), first);

  // Same size; only the file times tell the versions apart.
  write("[O]\nK=bbb\n");
  setModified(1'000'001);
  EXPECT_EQ(cache.lookup(path(), "O", "K"), "bbb");

  std::filesystem::remove(path());
  EXPECT_EQ(cache.load(path()), nullptr);
  write("[O]\nK=ccc\n");
  EXPECT_EQ(cache.lookup(path(), "O", "K"), "ccc");
}

TEST_F(IniFileCacheTest, RewriteWithinTheSameClockTickIsSeen) {
  IniFileCache cache;
  for (const char* value : {"aaa", "bbb", "ccc", "ddd"}) {
    write(std::string("[O]\nK=") + value + "\n");
    EXPECT_EQ(cache.lookup(path(), "O", "K"), value);
  }
}

TEST_F(IniFileCacheTest, ConcurrentReadersSeeOneWholeVersion) {
  IniFileCache cache;
  const std::string versions[] = {"[O]\nA=1\nB=1\n", "[O]\nA=2\nB=2\n"};
  write(versions[0]);
  std::atomic<bool> stop = false;
  std::atomic<int> torn = 0;
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&] {
      while (!stop) {
        auto ini = cache.load(path());
        if (!ini) continue;
        auto a = ini->find("O", "A");
        if (a && a != ini->find("O", "B")) ++torn;
      }
    });
  }
  // Each version replaces the file whole, as an editor saving it does.
  const std::string next = path() + ".new";
  for (int i = 0; i < 300; ++i) {
    std::ofstream(next) << versions[i % 2];
    std::filesystem::rename(next, path());
  }
  stop = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(cache.lookup(path(), "O", "A"), "2");
}

}  // namespace
}  // namespace ravadid

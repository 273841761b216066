#include "frame/host/mail_error_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace ravadid {
namespace {

class MailErrorLogTest : public ::testing::Test {
 protected:
  MailErrorLogTest() {
    static int counter = 0;
    folder_ = std::filesystem::temp_directory_path() /
              ("ravadid-errorlog-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder_);
  }
  ~MailErrorLogTest() override { std::filesystem::remove_all(folder_); }

  // What the system's XML parser makes of the file: "ok <count of MailError>
  // <texts of the last Error and Subject>", or its complaint.
  std::string parse(const std::filesystem::path& file) const {
    std::string command =
        "/usr/bin/python3 -c \"import sys, xml.etree.ElementTree as E\n"
        "try:\n r = E.parse(sys.argv[1]).getroot(); m = r.findall('MailError')\n"
        " print('ok', r.tag, len(m), ascii(m[-1].get('to')), ascii(m[-1].findtext('Subject')))\n"
        "except Exception as e: print('bad', e)\" " +
        file.string() + " 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char buffer[512];
      while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
      ::pclose(pipe);
    }
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }

  std::filesystem::path folder_;
  std::filesystem::path file() const { return folder_ / "ErrorLog.xml"; }
};

TEST_F(MailErrorLogTest, ConcurrentFailuresKeepOneWellFormedDocument) {
  constexpr int kThreads = 8, kEach = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i)
        appendMailFailure(file(), {"localhost:25", "a@x.org; b@y.org",
                                   "Trip " + std::to_string(t) + "/" + std::to_string(i),
                                   "SMTP error 7: Couldn't connect to server"});
    });
  for (std::thread& t : threads) t.join();
  std::string parsed = parse(file());
  EXPECT_EQ(parsed.rfind("ok ErrorLog " + std::to_string(kThreads * kEach) + " ", 0), 0u) << parsed;
}

TEST_F(MailErrorLogTest, ValuesAreEscapedAndTheLogTextAnswered) {
  std::string text = appendMailFailure(
      file(), {"h:25", "<a@x.org>; \"b\"&'c'", "Bad \x01 \xFF byte]]>\r\n", "550 <no>"});
  EXPECT_EQ(text, "Mail to <a@x.org>; \"b\"&'c' failed: 550 <no>");
  EXPECT_EQ(parse(file()),
            "ok ErrorLog 1 '<a@x.org>; \"b\"&\\'c\\'' 'Bad \\ufffd \\ufffd byte]]>\\r\\n'");
}

TEST_F(MailErrorLogTest, AForeignOrFullFileIsSetAsideForANewDocument) {
  struct Case {
    const char* what;
    std::string content;
    std::uint64_t maxBytes;
    const char* aside;
  };
  const Case cases[] = {
      {"not our document", "garbage without a root", 0, "ErrorLog.xml.bad"},
      {"past its size",
       "<?xml version=\"1.0\"?>\n<ErrorLog>\n" + std::string(200, ' ') + "</ErrorLog>\n", 100,
       "ErrorLog.xml.1"},
  };
  for (const Case& c : cases) {
    std::ofstream(file(), std::ios::binary | std::ios::trunc) << c.content;
    appendMailFailure(file(), {"h:25", "a@x.org", "Hi", "down"}, c.maxBytes);
    EXPECT_EQ(parse(file()), "ok ErrorLog 1 'a@x.org' 'Hi'") << c.what;
    std::ifstream aside(folder_ / c.aside, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), c.content) << c.what;
  }
}

}  // namespace
}  // namespace ravadid

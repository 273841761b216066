// The ravadid program itself: help, argument errors, init, and serve from start to SIGTERM.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_installation.h"

namespace ravadid {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The program running as a child process with its output on pipes.
class Child {
 public:
  explicit Child(std::vector<std::string> args) {
    args.insert(args.begin(), RAVADID_BINARY);
    // Built before fork: the child of a threaded process may only make async-signal-safe calls.
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(err[1], STDERR_FILENO);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~Child() {
    if (pid_ > 0 && !exitStatus_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pid_ > 0; }
  void signal(int sig) { ::kill(pid_, sig); }

  // One line of standard output, or nothing when none comes in time.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    while (true) {
      if (auto nl = stdout_.find('\n'); nl != std::string::npos) {
        std::string line = stdout_.substr(0, nl);
        stdout_.erase(0, nl + 1);
        return line;
      }
      if (Clock::now() >= deadline || !readSome(out_, stdout_, deadline)) return std::nullopt;
    }
  }

  // Waits for the exit, reading the output meanwhile; nothing when it takes too long.
  std::optional<int> wait(std::chrono::milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    while (readSome(out_, stdout_, deadline) || readSome(err_, stderr_, deadline)) {
    }
    while (!exitStatus_ && Clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exitStatus_ = status;
        break;
      }
      std::this_thread::sleep_for(10ms);
    }
    if (!exitStatus_ || !WIFEXITED(*exitStatus_)) return std::nullopt;
    return WEXITSTATUS(*exitStatus_);
  }

  const std::string& out() const { return stdout_; }
  const std::string& err() const { return stderr_; }

 private:
  // Reads what is there until the deadline; false at end of file or when the time is up.
  static bool readSome(int fd, std::string& into, Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left <= 0ms) return false;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    ssize_t n = ::read(fd, buffer, sizeof(buffer));
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  std::string stdout_;
  std::string stderr_;
  std::optional<int> exitStatus_;
};

struct Outcome {
  int exitCode;
  std::string out;
  std::string err;
};

Outcome run(std::vector<std::string> args) {
  Child child(std::move(args));
  EXPECT_TRUE(child.started());
  auto code = child.wait(20s);
  EXPECT_TRUE(code.has_value()) << "the program did not finish";
  return {code.value_or(-1), child.out(), child.err()};
}

TEST(CommandLineTest, HelpOfTheProgramAndOfEachCommand) {
  struct Case {
    std::vector<std::string> args;
    std::string shows;
  } cases[] = {
      {{"--help"}, "Usage: ravadid COMMAND"},
      {{"-h"}, "Usage: ravadid COMMAND"},
      {{"init", "--help"}, "Usage: ravadid init --root ROOT [--demo]"},
      {{"serve", "--help"}, "Usage: ravadid serve --root ROOT --site SITE"},
      {{"serve", "--port", "x", "--help"}, "Usage: ravadid serve"},
  };
  for (const Case& c : cases) {
    Outcome r = run(c.args);
    EXPECT_EQ(r.exitCode, 0) << c.args.front();
    EXPECT_NE(r.out.find(c.shows), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
  }
}

TEST(CommandLineTest, BadArgumentsGiveOneLineAndExitCodeTwo) {
  testing::TempInstallation installation(testing::TempInstallation::Data::None);
  std::string root = installation.root().string();
  std::string site = installation.site().string();
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"--frobnicate"},
      {"init"},
      {"init", "--root"},
      {"init", "--root", root, "--demo=yes"},
      {"init", "--root", root, "extra"},
      {"serve", "--root", root},
      {"serve", "--site", site},
      {"serve", "--root", root, "--site", site, "--port", "http"},
      {"serve", "--root", root, "--site", site, "--port", "65536"},
      {"serve", "--root", root, "--site", site, "--port", "-1"},
      {"serve", "--root", root, "--site", site, "--threads", "0"},
      {"serve", "--root", root, "--site", site, "--port", "8080", "--port", "8081"},
      {"serve", "--root", root, "--site", site, "--colour"},
      {"serve", "--root", root, "--site", site, "--log-max-bytes", "lots"},
      {"serve", "--root", root + "/missing", "--site", site},
  };
  for (const auto& args : cases) {
    std::string shown;
    for (const auto& a : args) shown += a + " ";
    Outcome r = run(args);
    EXPECT_EQ(r.exitCode, 2) << shown;
    EXPECT_EQ(r.out, "") << shown;
    ASSERT_FALSE(r.err.empty()) << shown;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << shown << ": " << r.err;
  }
}

TEST(CommandLineTest, InitCreatesTheInstallationAndKeepsItTheSecondTime) {
  testing::TempInstallation installation(testing::TempInstallation::Data::None);
  fs::path root = installation.root() / "fresh";
  Outcome first = run({"init", "--root", root.string()});
  EXPECT_EQ(first.exitCode, 0) << first.err;
  EXPECT_TRUE(fs::exists(root / "registry.ini"));
  EXPECT_TRUE(fs::exists(root / "Data" / "Larkdale" / "trip.mdb"));
  Outcome second = run({"init", "--root", root.string()});
  EXPECT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(second.out.find("created"), std::string::npos) << second.out;
}

TEST(CommandLineTest, ServeAnswersOnTheAnnouncedPortAndStopsCleanlyOnSigterm) {
  testing::TempInstallation installation;
  Child server({"serve", "--root", installation.root().string(), "--site",
                installation.site().string(), "--port", "0", "--threads", "4"});
  ASSERT_TRUE(server.started());
  auto line = server.readLine(10s);
  ASSERT_TRUE(line.has_value()) << "no announcement";
  std::smatch match;
  ASSERT_TRUE(std::regex_match(*line, match,
                               std::regex(R"(Ravadid listening on http://127\.0\.0\.1:(\d+)/)")))
      << *line;
  int port = std::stoi(match[1]);
  ASSERT_GT(port, 0);

  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(2);
  client.set_read_timeout(10);
  auto root = client.Get("/");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->status, 302);
  auto page = client.Get("/RavadidLarkdale.asp");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_FALSE(page->body.empty());
  auto style = client.Get("/static/ravadid.css");
  ASSERT_TRUE(style);
  EXPECT_EQ(style->status, 200);

  server.signal(SIGTERM);
  auto code = server.wait(15s);
  ASSERT_TRUE(code.has_value()) << "did not stop";
  EXPECT_EQ(*code, 0) << server.err();
}

TEST(CommandLineTest, ServeStopsCleanlyOnSigintToo) {
  testing::TempInstallation installation;
  Child server({"serve", "--root", installation.root().string(), "--site",
                installation.site().string(), "--port", "0"});
  ASSERT_TRUE(server.started());
  ASSERT_TRUE(server.readLine(10s).has_value());
  server.signal(SIGINT);
  auto code = server.wait(15s);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0);
}

TEST(CommandLineTest, ServeOnABusyPortFailsWithExitCodeOne) {
  testing::TempInstallation installation;
  std::vector<std::string> args = {
      "serve",  "--root", installation.root().string(), "--site", installation.site().string(),
      "--port", "0"};
  Child first(args);
  auto line = first.readLine(10s);
  ASSERT_TRUE(line.has_value());
  std::string port = line->substr(line->rfind(':') + 1);
  port.pop_back();  // the closing "/"
  args.back() = port;
  Outcome second = run(args);
  EXPECT_EQ(second.exitCode, 1) << second.err;
  EXPECT_NE(second.err.find("cannot listen"), std::string::npos) << second.err;
  first.signal(SIGTERM);
  EXPECT_EQ(first.wait(15s), 0);
}

}  // namespace
}  // namespace ravadid

// A real SMTP server on loopback for the life of the object: tests/support/smtp_sink.py run by
// the system's Python, which has the Debian aiosmtpd module. Messages land in a temporary folder.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace ravadid::testing {

struct ReceivedMail {
  std::string mailFrom;
  std::vector<std::string> recipients;  // the envelope's, in order
  std::string content;                  // headers, blank line, body, as received
  std::string login;                    // the AUTH user, empty without AUTH

  // The value of the first header with this name (exact case), empty when absent.
  std::string header(const std::string& name) const {
    std::string head = "\r\n" + content.substr(0, content.find("\r\n\r\n"));
    std::size_t at = head.find("\r\n" + name + ": ");
    if (at == std::string::npos) return {};
    std::size_t start = at + name.size() + 4;
    return head.substr(start, head.find("\r\n", start) - start);
  }
  std::string body() const { return content.substr(content.find("\r\n\r\n") + 4); }
};

class SmtpSink {
 public:
  // auth "user:password" makes AUTH required (offered without TLS).
  explicit SmtpSink(const std::string& auth = {}) {
    folder_ = std::filesystem::temp_directory_path() /
              ("ravadid-smtp-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
    std::string script = std::string(RAVADID_SOURCE_DIR) + "/tests/support/smtp_sink.py";
    std::string folder = folder_.string();
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::close(out[1]);
      if (auth.empty())
        ::execl("/usr/bin/python3", "python3", script.c_str(), folder.c_str(), nullptr);
      else
        ::execl("/usr/bin/python3", "python3", script.c_str(), folder.c_str(), "--auth",
                auth.c_str(), nullptr);
      ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    if (pid_ < 0 || line.empty()) {
      stop();
      throw std::runtime_error("the SMTP sink did not start (python3-aiosmtpd installed?)");
    }
    port_ = std::stoi(line);
  }
  ~SmtpSink() {
    stop();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  SmtpSink(const SmtpSink&) = delete;
  SmtpSink& operator=(const SmtpSink&) = delete;

  int port() const { return port_; }

  // The complete messages received so far, in order of arrival.
  std::vector<ReceivedMail> messages() const {
    std::vector<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      if (entry.path().extension() != ".part") folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    std::vector<ReceivedMail> mails;
    for (const auto& dir : folders) {
      ReceivedMail mail;
      mail.mailFrom = read(dir / "mail_from");
      std::istringstream rcpt(read(dir / "rcpt_tos"));
      for (std::string line; std::getline(rcpt, line);) mail.recipients.push_back(line);
      mail.content = read(dir / "content");
      mail.login = read(dir / "login");
      mails.push_back(std::move(mail));
    }
    return mails;
  }

 private:
  static int& counter() {
    static int n = 0;
    return n;
  }
  static std::string read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  std::filesystem::path folder_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace ravadid::testing

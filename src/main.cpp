// The ravadid program: `init` creates an installation, `serve` runs the web application,
// `create-trip` makes a scheduled trip of a stored request.

#include <malloc.h>
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "approval/create_trip_command.h"
#include "frame/configuration.h"
#include "frame/host/http_server.h"
#include "frame/pages.h"
#include "frame/web_application.h"
#include "setup/installation.h"

namespace {

namespace fs = std::filesystem;
using ravadid::ServerOptions;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kProgramHelp =
    "Usage: ravadid COMMAND [OPTIONS]\n"
    "\n"
    "Field-trip requests for the school district.\n"
    "\n"
    "Commands:\n"
    "  init    create an installation (folders, settings, empty databases)\n"
    "  serve   run the web application\n"
    "  create-trip\n"
    "          make a scheduled trip of a stored trip request\n"
    "\n"
    "Options:\n"
    "  --help      show this help (also after a command)\n"
    "  --version   show the version\n";

constexpr const char* kInitHelp =
    "Usage: ravadid init --root ROOT [--demo]\n"
    "\n"
    "Creates the folders, registry.ini, trip.ini and the three database files under ROOT.\n"
    "Existing files are never overwritten or emptied.\n"
    "\n"
    "Options:\n"
    "  --root ROOT   the installation folder (created when missing)\n"
    "  --demo        fill new, empty databases with a sample district\n"
    "  --help        show this help\n";

constexpr const char* kServeHelp =
    "Usage: ravadid serve --root ROOT --site SITE [--port 8080] [--bind 127.0.0.1] [--threads N]\n"
    "                     [--log-max-bytes BYTES]\n"
    "\n"
    "Runs the web application until SIGINT or SIGTERM.\n"
    "\n"
    "Options:\n"
    "  --root ROOT      the installation folder made by `ravadid init`\n"
    "  --site SITE      the folder of templates, style sheets and images\n"
    "  --port PORT      TCP port, 0 for any free port (default 8080)\n"
    "  --bind ADDRESS   address to listen on (default 127.0.0.1)\n"
    "  --threads N      worker threads (default max(256, 16 x processors))\n"
    "  --log-max-bytes BYTES\n"
    "                   roll the debug log over to log.txt.1 past this size, 0 never\n"
    "                   (default: LogMaxBytes of trip.ini, else 16777216)\n"
    "  --help           show this help\n";

constexpr const char* kCreateTripHelp =
    "Usage: ravadid create-trip --root ROOT REQUEST_NUMBER\n"
    "\n"
    "Copies the stored trip request into a new scheduled trip and prints the trip's number.\n"
    "The request itself is left unchanged. On failure the error report is printed on\n"
    "standard error and the exit code is 1.\n"
    "\n"
    "Options:\n"
    "  --root ROOT   the installation folder made by `ravadid init`\n"
    "  --help        show this help\n";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Options of one command: "--name value", "--name=value" and bare flags.
class Arguments {
 public:
  explicit Arguments(std::vector<std::string> args) : args_(std::move(args)) {}

  // Reads the arguments; valued and flag options name what the command accepts.
  void parse(const std::vector<std::string_view>& valued,
             const std::vector<std::string_view>& flags) {
    for (std::size_t i = 0; i < args_.size(); ++i) {
      std::string_view arg = args_[i];
      if (arg.rfind("--", 0) != 0) throw UsageError("unexpected argument '" + args_[i] + "'");
      std::string_view name = arg.substr(2);
      std::optional<std::string> value;
      if (std::size_t eq = name.find('='); eq != std::string_view::npos) {
        value = std::string(name.substr(eq + 1));
        name = name.substr(0, eq);
      }
      if (contains(flags, name)) {
        if (value) throw UsageError("--" + std::string(name) + " takes no value");
        flags_.emplace_back(name);
      } else if (contains(valued, name)) {
        if (!value) {
          if (i + 1 >= args_.size()) throw UsageError("--" + std::string(name) + " needs a value");
          value = args_[++i];
        }
        if (value->empty()) throw UsageError("--" + std::string(name) + " needs a value");
        values_.emplace_back(std::string(name), *value);
      } else {
        throw UsageError("unknown option --" + std::string(name));
      }
    }
  }

  bool flag(std::string_view name) const { return contains(flags_, name); }

  std::optional<std::string> value(std::string_view name) const {
    std::optional<std::string> found;
    for (const auto& [n, v] : values_) {
      if (n != name) continue;
      if (found) throw UsageError("--" + std::string(name) + " given twice");
      found = v;
    }
    return found;
  }

  std::string required(std::string_view name) const {
    auto v = value(name);
    if (!v) throw UsageError("missing --" + std::string(name));
    return *v;
  }

  long number(std::string_view name, long fallback, long low, long high) const {
    auto v = value(name);
    if (!v) return fallback;
    long n = 0;
    auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), n);
    if (ec != std::errc() || end != v->data() + v->size() || n < low || n > high) {
      throw UsageError("--" + std::string(name) + " must be a number from " + std::to_string(low) +
                       " to " + std::to_string(high));
    }
    return n;
  }

 private:
  template <class List>
  static bool contains(const List& list, std::string_view name) {
    for (const auto& item : list) {
      if (item == name) return true;
    }
    return false;
  }

  std::vector<std::string> args_;
  std::vector<std::string> flags_;
  std::vector<std::pair<std::string, std::string>> values_;
};

// Absolute, without "." and ".." and without a trailing slash.
fs::path folderPath(const std::string& text) {
  fs::path p = fs::absolute(fs::path(text)).lexically_normal();
  if (!p.has_filename() && p.has_parent_path() && p != p.root_path()) p = p.parent_path();
  return p;
}

fs::path existingFolder(const Arguments& args, std::string_view option) {
  std::string text = args.required(option);
  fs::path p = folderPath(text);
  std::error_code ec;
  if (!fs::is_directory(p, ec)) {
    throw UsageError("--" + std::string(option) + " " + text + " is not a folder");
  }
  return p;
}

bool wantsHelp(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") return true;
  }
  return false;
}

int runInit(const Arguments& args) {
  fs::path root = folderPath(args.required("root"));
  ravadid::InitResult result = ravadid::initInstallation(root, args.flag("demo"));
  for (const std::string& f : result.created) std::cout << "created " << f << "\n";
  for (const std::string& f : result.kept) std::cout << "kept    " << f << "\n";
  return 0;
}

int runServe(const Arguments& args) {
  ravadid::Installation installation{existingFolder(args, "root"), existingFolder(args, "site")};
  ServerOptions options;
  options.port = static_cast<int>(args.number("port", options.port, 0, 65535));
  options.threads = static_cast<unsigned>(args.number("threads", options.threads, 1, 1024));
  if (auto bind = args.value("bind")) options.bind = *bind;

  // SIGINT and SIGTERM are taken by sigwait below: block them before any thread starts, so
  // every worker inherits the mask and none is interrupted.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  // Pages of a few hundred kilobytes are built on every request: glibc would map and unmap
  // each such buffer afresh (faulting its pages in every time) and give freed heap back at
  // once. Keep them on the heap and let freed memory be reused.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);

  ravadid::WebApplication application(installation, ravadid::makeStandardPages());
  // The command line wins over trip.ini, which wins over the default.
  std::optional<std::uint64_t> logMaxBytes = ravadid::logMaxBytesSetting(installation);
  if (args.value("log-max-bytes")) {
    logMaxBytes = static_cast<std::uint64_t>(
        args.number("log-max-bytes", 0, 0, std::numeric_limits<long>::max()));
  }
  if (logMaxBytes) application.log().setMaxBytes(*logMaxBytes);
  ravadid::HttpServer server(application, options);
  server.start();
  std::string host =
      options.bind.find(':') != std::string::npos ? "[" + options.bind + "]" : options.bind;
  std::cout << "Ravadid listening on http://" << host << ":" << server.boundPort() << "/"
            << std::endl;

  int signal = 0;
  sigwait(&stopSignals, &signal);
  std::cout << "Ravadid stopping (" << (signal == SIGINT ? "SIGINT" : "SIGTERM") << ")"
            << std::endl;
  server.stop();
  return 0;
}

// The request number is the one argument that is not an option or an option's value.
int runCreateTrip(const std::vector<std::string>& rest) {
  std::vector<std::string> options;
  std::optional<std::string> number;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == "--root" && i + 1 < rest.size()) {
      options.push_back(rest[i]);
      options.push_back(rest[++i]);
    } else if (rest[i].rfind("--", 0) == 0) {
      options.push_back(rest[i]);
    } else if (number) {
      throw UsageError("unexpected argument '" + rest[i] + "'");
    } else {
      number = rest[i];
    }
  }
  Arguments parsed(options);
  parsed.parse({"root"}, {});
  fs::path root = existingFolder(parsed, "root");
  if (!number) throw UsageError("missing REQUEST_NUMBER");
  std::int32_t request = 0;
  auto [end, ec] = std::from_chars(number->data(), number->data() + number->size(), request);
  if (ec != std::errc() || end != number->data() + number->size() || request < 1)
    throw UsageError("REQUEST_NUMBER must be a whole number from 1 to 2147483647");
  return ravadid::runCreateTripCommand(ravadid::Installation{root, root}, request, std::cout,
                                       std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  // A client that disconnects mid-response must not end the process.
  signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string command = args.empty() ? std::string() : args.front();
  std::string who = command == "init" || command == "serve" || command == "create-trip"
                        ? "ravadid " + command
                        : "ravadid";
  try {
    if (command.empty()) throw UsageError("no command given (try --help)");
    if (command == "--help" || command == "-h" || command == "help") {
      std::cout << kProgramHelp;
      return 0;
    }
    if (command == "--version") {
      std::cout << "ravadid " << RAVADID_VERSION << "\n";
      return 0;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "init" || command == "serve") {
      if (wantsHelp(rest)) {
        std::cout << (command == "init" ? kInitHelp : kServeHelp);
        return 0;
      }
      Arguments parsed(rest);
      if (command == "init") {
        parsed.parse({"root"}, {"demo"});
        return runInit(parsed);
      }
      parsed.parse({"root", "site", "port", "bind", "threads", "log-max-bytes"}, {});
      return runServe(parsed);
    }
    if (command == "create-trip") {
      if (wantsHelp(rest)) {
        std::cout << kCreateTripHelp;
        return 0;
      }
      return runCreateTrip(rest);
    }
    throw UsageError("unknown command '" + command + "' (try --help)");
  } catch (const UsageError& e) {
    std::cerr << who << ": " << e.what() << "\n";
    return kExitUsage;
  } catch (const std::exception& e) {
    std::cerr << who << ": " << e.what() << "\n";
    return kExitFailure;
  }
}

#include "frame/configuration.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "frame/application.h"

namespace ravadid {

void SetTripPaths(Ravadid& app) {
  debugLog(app, "Starting SetTripPaths");
  std::string path = (app.installation().root / "Data" / "Larkdale").string();
  if (path.empty() || path.back() != '/') path += '/';
  app.worker().strTripDataPath = path;
  debugLog(app, "Ending SetTripPaths");
}

bool AppendToTextFile(const std::string& path, std::string_view text) {
  std::string line(text);
  line += "\r\n";
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    int number = errno;
    std::cerr << "AppendToTextFile: Error: " << number << ". " << std::strerror(number) << '\n';
    return false;
  }
  // O_APPEND makes each write land whole at the end of the file.
  ssize_t written = ::write(fd, line.data(), line.size());
  int number = errno;
  ::close(fd);
  if (written != static_cast<ssize_t>(line.size())) {
    std::cerr << "AppendToTextFile: Error: " << number << ". " << std::strerror(number) << '\n';
    return false;
  }
  return true;
}

void debugLog(const Ravadid& app, std::string_view line) {
  AppendToTextFile((app.installation().root / "RavadidLarkdale" / "log.txt").string(), line);
}

}  // namespace ravadid

// A throw-away installation (ROOT and SITE) in a temporary folder, removed afterwards.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "frame/web_application.h"
#include "setup/installation.h"

namespace ravadid::testing {

class TempInstallation {
 public:
  // Creates ROOT with `ravadid init` behaviour and a SITE holding the project's templates.
  enum class Data { None, Empty, Demo };
  explicit TempInstallation(Data data = Data::Empty) {
    static std::atomic<int> counter{0};
    base_ = std::filesystem::temp_directory_path() /
            ("ravadid-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(base_);
    std::filesystem::create_directories(base_ / "site");
    std::filesystem::copy(std::filesystem::path(RAVADID_SOURCE_DIR) / "site", base_ / "site",
                          std::filesystem::copy_options::recursive);
    if (data != Data::None) initInstallation(base_ / "root", data == Data::Demo);
    std::filesystem::create_directories(base_ / "root");
  }
  ~TempInstallation() {
    std::error_code ec;
    std::filesystem::remove_all(base_, ec);
  }
  TempInstallation(const TempInstallation&) = delete;
  TempInstallation& operator=(const TempInstallation&) = delete;

  std::filesystem::path root() const { return base_ / "root"; }
  std::filesystem::path site() const { return base_ / "site"; }
  std::filesystem::path dataFolder() const { return root() / "Data" / "Larkdale"; }
  std::filesystem::path logFile() const { return root() / "RavadidLarkdale" / "log.txt"; }
  Installation installation() const { return Installation{root(), site()}; }

  void writeFile(const std::filesystem::path& relativeToBase, const std::string& text) const {
    std::filesystem::path p = base_ / relativeToBase;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << text;
  }
  void writeTemplate(const std::string& pageObject, const std::string& html) const {
    writeFile(std::filesystem::path("site") / "templates" / (pageObject + ".html"), html);
  }

 private:
  std::filesystem::path base_;
};

}  // namespace ravadid::testing

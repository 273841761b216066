// Creating an installation: folders, registry.ini, trip.ini and the three database files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ravadid {

struct InitResult {
  std::vector<std::string> created;  // files and folders made
  std::vector<std::string> kept;     // files that existed and were left alone
};

// Never overwrites or empties an existing file. Throws std::runtime_error on failure.
InitResult initInstallation(const std::filesystem::path& root, bool demo);

}  // namespace ravadid

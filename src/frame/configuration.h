// Configuration module: the data folder and the debug log.
#pragma once

#include <string>
#include <string_view>

namespace ravadid {

class Ravadid;

// Sets the worker's strTripDataPath to ROOT/Data/Larkdale/.
void SetTripPaths(Ravadid& app);
// Appends text and a line end to the file (created if needed), as one write so concurrent
// appenders never interleave inside a line. False on failure, reported on standard error.
bool AppendToTextFile(const std::string& path, std::string_view text);
// Appends one line to ROOT/RavadidLarkdale/log.txt.
void debugLog(const Ravadid& app, std::string_view line);

}  // namespace ravadid

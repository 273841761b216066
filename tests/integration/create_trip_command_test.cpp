// `ravadid create-trip` on the demo installation.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "support/sqlite_query.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::sqliteValue;
using testing::TempInstallation;

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string fileText(const std::filesystem::path& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

Outcome createTrip(const TempInstallation& site, const std::string& arguments) {
  const std::filesystem::path out = site.root() / "create-trip.out";
  const std::filesystem::path err = site.root() / "create-trip.err";
  const std::string command = std::string("'") + RAVADID_BINARY + "' create-trip " + arguments +
                              " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileText(out), fileText(err)};
}

TEST(CreateTripCommandTest, PrintsTheNewTripOrTheErrorReport) {
  TempInstallation site(TempInstallation::Data::Demo);
  const std::string root = "--root '" + site.root().string() + "'";
  const std::filesystem::path trips = site.dataFolder() / "trip.mdb";
  const std::string request = sqliteValue(
      site.dataFolder() / "Tripschl.mdb",
      "SELECT MIN(TRIPNUM) FROM TRIPSREQ WHERE Status = 'ACCEPTED' AND DESTINATION > 0");
  ASSERT_FALSE(request.empty());

  Outcome made = createTrip(site, root + " " + request);
  EXPECT_EQ(made.exitCode, 0) << made.err;
  EXPECT_EQ(made.out, sqliteValue(trips, "SELECT MAX(TRIPNUM) FROM TRIPS") + "\n");
  EXPECT_EQ(
      sqliteValue(trips, "SELECT TRIPREQNUM || '/' || Bill FROM TRIPS WHERE TRIPNUM = " + made.out),
      request + "/1");

  Outcome missing = createTrip(site, root + " 987654");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err.rfind(
                "Error in Procedure: CreateTripCommand of Module: Ravadid.  Error: 3021.", 0),
            0u)
      << missing.err;

  for (const std::string& bad :
       {root, root + " 12x", root + " 0", root + " 1 2", std::string("17"), root + " --demo 17"}) {
    Outcome refused = createTrip(site, bad);
    EXPECT_EQ(refused.exitCode, 2) << bad;
    EXPECT_EQ(refused.err.rfind("ravadid create-trip: ", 0), 0u) << bad << ": " << refused.err;
  }
  EXPECT_EQ(createTrip(site, "--help").out.rfind("Usage: ravadid create-trip", 0), 0u);
}

}  // namespace
}  // namespace ravadid

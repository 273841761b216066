#include "setup/installation.h"

#include <sqlite3.h>

#include <fstream>
#include <stdexcept>

#include "frame/connections.h"
#include "frame/schema.h"
#include "setup/demo/demo_district.h"

namespace ravadid {
namespace {

void writeNewFile(const std::filesystem::path& path, const std::string& content,
                  InitResult& result) {
  if (std::filesystem::exists(path)) {
    result.kept.push_back(path.string());
    return;
  }
  std::ofstream out(path, std::ios::binary);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path.string());
  result.created.push_back(path.string());
}

void createDatabase(const std::filesystem::path& path, InitResult& result) {
  if (std::filesystem::exists(path)) {
    result.kept.push_back(path.string());
    return;
  }
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
  std::string message = db ? sqlite3_errmsg(db) : "out of memory";
  if (rc == SQLITE_OK) {
    try {
      schema::createSchema(db, path.filename().string());
    } catch (const std::exception& e) {
      rc = SQLITE_ERROR;
      message = e.what();
    }
  }
  sqlite3_close(db);
  if (rc != SQLITE_OK) {
    std::filesystem::remove(path);  // a half-made file would be kept by the next init
    throw std::runtime_error("cannot create " + path.string() + ": " + message);
  }
  result.created.push_back(path.string());
}

std::string tripIni() {
  return "[P.L.X. Options]\n"
         "SessionTimeOut=20\n"
         "DOTNETInstalled=False\n"
         "CalendarUrl=http://localhost/calendar\n"
         "InquiryUrl=http://localhost/inquiry\n"
         "SmtpServer=localhost\n"
         "SmtpPort=25\n"
         "SmtpAuthentication=False\n"
         "SmtpUsername=\n"
         "SmtpPassword=\n"
         "EmailFromAddress=fieldtrips@localhost\n"
         "EmailFromName=Field Trips\n"
         "; Milliseconds a notice may wait for the mail server: to connect, and for the whole\n"
         "; send (0 or missing: 3000 and 10000; at most 120000).\n"
         "SmtpConnectTimeoutMs=3000\n"
         "SmtpTimeoutMs=10000\n"
         "; The debug log rolls over to log.txt.1 past this many bytes (0: never).\n"
         "LogMaxBytes=16777216\n"
         "; The role of the transportation department, which schedules accepted requests as "
         "trips.\n"
         "TRANSPORT_ROLE=TRANSPORT\n";
}

}  // namespace

InitResult initInstallation(const std::filesystem::path& rootIn, bool demo) {
  InitResult result;
  std::filesystem::path root = std::filesystem::absolute(rootIn);
  std::filesystem::path data = root / "Data" / "Larkdale";
  std::filesystem::path logs = root / "RavadidLarkdale";
  for (const auto& dir : {root, data, logs}) {
    if (std::filesystem::create_directories(dir)) result.created.push_back(dir.string());
  }
  std::string rootText = root.string();
  if (rootText.back() != '/') rootText += '/';
  writeNewFile(root / "registry.ini",
               "[HKEY_LOCAL_MACHINE\\Software\\Brantwell Datacraft, Inc.\\Pelix Fleet Desk "
               "(P.L.X.) - Field Trip]\nINIPath=" +
                   rootText + "\n",
               result);
  writeNewFile(root / "trip.ini", tripIni(), result);
  std::size_t createdBefore = result.created.size();
  for (const char* file : {kTripFile, kUsersFile, kRequestsFile})
    createDatabase(data / file, result);
  if (demo) {
    // Only databases made by this run are filled: an existing installation is never touched.
    std::size_t made = result.created.size() - createdBefore;
    if (made == 3) {
      fillDemoDistrict(data);
      result.created.push_back("demo district in " + data.string());
    } else if (made != 0) {
      throw std::runtime_error("--demo needs three new database files; " + data.string() +
                               " already holds some of them");
    }
  }
  return result;
}

}  // namespace ravadid

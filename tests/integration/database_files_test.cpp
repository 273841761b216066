// The server over HTTP when a database file changes or breaks under it: a file restored over
// the old one in place is read afresh, and a file that is no database is reported and left
// as it is.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "frame/host/http_server.h"
#include "frame/pages.h"
#include "frame/text.h"
#include "frame/web_application.h"
#include "support/message_page.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::sqliteExec;
using testing::TempInstallation;

constexpr const char* kInvalidPassword =
    "Sorry, invalid password.  Use your browser's back button and please try again.";

std::string bytesOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ino_t inodeOf(const std::filesystem::path& file) {
  struct stat s {};
  ::stat(file.c_str(), &s);
  return s.st_ino;
}

class DatabaseFilesTest : public ::testing::Test {
 protected:
  DatabaseFilesTest()
      : site_(TempInstallation::Data::Demo),
        web_(site_.installation(), makeStandardPages()),
        server_(web_, options()) {
    server_.start();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_.boundPort());
  }
  static ServerOptions options() {
    ServerOptions o;
    o.port = 0;
    o.threads = 2;
    return o;
  }
  std::string barePage() {
    auto r = client_->Get("/RavadidLarkdale.asp");
    return r ? r->body : "<no answer>";
  }
  std::string signIn(const std::string& user, const std::string& password) {
    httplib::Params form{{"user", user}, {"password", password}};
    auto r = client_->Post("/RavadidLarkdale.asp?WCI=Login&WCE=LoginValidateUser&WCU", form);
    return r ? r->body : "<no answer>";
  }

  TempInstallation site_;
  WebApplication web_;
  HttpServer server_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(DatabaseFilesTest, AUserFileRestoredInPlaceIsReadAfresh) {
  barePage();
  ASSERT_NE(testing::messageOf(signIn("clerk", "clerk")), kInvalidPassword);

  // The restored copy: the same users, with the clerk's password changed.
  std::filesystem::path users = site_.dataFolder() / "zqkrsc1.mdb";
  std::filesystem::path copy = site_.root() / "zqkrsc1-backup.mdb";
  std::filesystem::copy_file(users, copy);
  sqliteExec(copy, "UPDATE KRSCU SET KRSC2 = 'changed' WHERE KRSC1 = 'clerk'");
  std::string restored = bytesOf(copy);
  ino_t inode = inodeOf(users);
  // File times move in clock ticks of a few milliseconds; let one pass since the last use.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ofstream(users, std::ios::binary | std::ios::trunc) << restored;
  ASSERT_EQ(inodeOf(users), inode);

  EXPECT_EQ(testing::messageOf(signIn("clerk", "clerk")), kInvalidPassword);
  std::string page = signIn("clerk", "CHANGED");
  EXPECT_EQ(page.find("Sorry, invalid"), std::string::npos) << page;
  EXPECT_EQ(page.find("Error in Procedure"), std::string::npos) << page;
}

TEST_F(DatabaseFilesTest, AnEmptyRequestFileIsReportedAboveTheSignInPageAndLeftEmpty) {
  std::filesystem::path requests = site_.dataFolder() / "Tripschl.mdb";
  std::ofstream(requests, std::ios::binary | std::ios::trunc);
  std::string folder = site_.dataFolder().string() + "/";

  std::string page = barePage();
  std::string report =
      "Error in Procedure: SetTripDBConnections of Module: ChkEligWeb.  Error: -2147467259 - "
      "Unrecognized database format '" +
      folder + "Tripschl.mdb'.; strTripDataPath=" + folder + ".";
  size_t at = page.find(htmlEscape(report));
  ASSERT_NE(at, std::string::npos) << page;
  EXPECT_GT(page.find("Work With Trip Requests", at), at) << page;
  EXPECT_EQ(std::filesystem::file_size(requests), 0u);
  EXPECT_FALSE(std::filesystem::exists(folder + "Tripschl.mdb-wal"));
}

}  // namespace
}  // namespace ravadid

// Idle handles are reused between handlers, but never for a file that was removed or replaced.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "db_fixture.h"
#include "frame/db/database.h"
#include "frame/errors.h"

namespace ravadid::db {
namespace {

using testing::TempDatabase;

std::string firstName(Connection& connection) {
  Recordset rs;
  rs.open("SELECT NAME FROM T", connection);
  return rs.eof() ? "" : rs.field("NAME").asText();
}

void writeDatabase(const std::string& path, const std::string& name) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  std::string sql = "CREATE TABLE T (NAME TEXT); INSERT INTO T VALUES ('" + name + "');";
  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

TEST(ConnectionReuse, AClosedHandleServesTheNextOpenOfTheSameFile) {
  TempDatabase file("CREATE TABLE T (NAME TEXT); INSERT INTO T VALUES ('first');");
  Connection connection;
  connection.open(file.path());
  sqlite3* handle = connection.handle();
  connection.close();
  connection.open(file.path());
  EXPECT_EQ(connection.handle(), handle);
  EXPECT_EQ(firstName(connection), "first");
}

TEST(ConnectionReuse, AReplacedFileIsReadThroughANewHandle) {
  TempDatabase file("CREATE TABLE T (NAME TEXT); INSERT INTO T VALUES ('old');");
  Connection connection;
  connection.open(file.path());
  EXPECT_EQ(firstName(connection), "old");
  connection.close();

  std::filesystem::remove(file.path());
  writeDatabase(file.path(), "new");
  connection.open(file.path());
  EXPECT_EQ(firstName(connection), "new");
}

// A backup copied over the file keeps its inode; the handle's cached pages must not outlive it,
// whether the copy lands while the handle is idle or while a handler still uses it.
TEST(ConnectionReuse, AFileOverwrittenInPlaceIsReadThroughANewHandle) {
  for (bool whileInUse : {false, true}) {
    SCOPED_TRACE(whileInUse ? "overwritten while in use" : "overwritten while idle");
    TempDatabase file("CREATE TABLE T (NAME TEXT); INSERT INTO T VALUES ('old');");
    std::string backup = (file.folder() / "backup.mdb").string();
    writeDatabase(backup, "new");
    std::ifstream in(backup, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    Connection connection;
    connection.open(file.path());
    EXPECT_EQ(firstName(connection), "old");
    if (!whileInUse) connection.close();
    // File times move in clock ticks of a few milliseconds.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ofstream(file.path(), std::ios::binary | std::ios::trunc) << bytes;
    connection.close();
    connection.open(file.path());
    EXPECT_EQ(firstName(connection), "new");
  }
}

TEST(ConnectionReuse, AHandleStaysReusableAfterItsOwnWrites) {
  TempDatabase file("CREATE TABLE T (NAME TEXT);");
  Connection connection;
  connection.open(file.path());
  sqlite3* handle = connection.handle();
  connection.execute("INSERT INTO T VALUES ('written')");
  connection.close();
  connection.open(file.path());
  EXPECT_EQ(connection.handle(), handle);
  EXPECT_EQ(firstName(connection), "written");
}

TEST(ConnectionReuse, ARemovedFileIsReportedMissingDespiteAnIdleHandle) {
  TempDatabase file("CREATE TABLE T (NAME TEXT);");
  Connection connection;
  connection.open(file.path());
  connection.close();
  std::filesystem::remove(file.path());
  EXPECT_THROW(connection.open(file.path()), VbError);
  EXPECT_FALSE(std::filesystem::exists(file.path()));
}

TEST(ConnectionReuse, AHandleWithAnOpenTransactionIsNotReused) {
  TempDatabase file("CREATE TABLE T (NAME TEXT);");
  Connection connection;
  connection.open(file.path());
  sqlite3* handle = connection.handle();
  sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
  connection.close();
  Connection next;
  next.open(file.path());
  EXPECT_TRUE(sqlite3_get_autocommit(next.handle()));
}

}  // namespace
}  // namespace ravadid::db

// Idle handles are reused between handlers, but never for a file that was removed or replaced.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

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

// A small tmpfs in a temporary folder, which a test can make read-only and writable again
// (unlike mode bits, which root ignores). Mounting needs root.
class RemountableFolder {
 public:
  RemountableFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ravadid-ro-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
      error_ = std::strerror(errno);
      return;
    }
    folder_ = buffer.data();
    if (::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=1m") != 0)
      error_ = std::strerror(errno);
    else
      mounted_ = true;
  }
  ~RemountableFolder() {
    // Idle handles of the pool may still hold its files: detach, the kernel frees it later.
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    if (!folder_.empty()) ::rmdir(folder_.c_str());
  }
  RemountableFolder(const RemountableFolder&) = delete;
  RemountableFolder& operator=(const RemountableFolder&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& error() const { return error_; }
  std::string file(const std::string& name) const { return (folder_ / name).string(); }
  bool setReadOnly(bool readOnly) {
    const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
    return ::mount("tmpfs", folder_.c_str(), "tmpfs", flags, "size=1m") == 0;
  }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
  std::string error_;
};

// SQLite opens a file on a read-only mount read-only for good; a remount leaves the file's
// identity unchanged, so only refusing to keep such a handle lets saves work again.
TEST(ConnectionReuse, AHandleOpenedReadOnlyIsNotReusedOnceTheFolderIsWritable) {
  RemountableFolder folder;
  if (!folder.mounted()) GTEST_SKIP() << "cannot mount a tmpfs: " << folder.error();
  const std::string path = folder.file("test.mdb");
  writeDatabase(path, "first");
  ASSERT_TRUE(folder.setReadOnly(true)) << std::strerror(errno);
  Connection connection;
  connection.open(path);
  EXPECT_EQ(firstName(connection), "first");
  EXPECT_THROW(connection.execute("INSERT INTO T VALUES ('refused')"), VbError);
  connection.close();

  ASSERT_TRUE(folder.setReadOnly(false)) << std::strerror(errno);
  connection.open(path);
  EXPECT_NO_THROW(connection.execute("INSERT INTO T VALUES ('second')"));
  connection.close();
}

}  // namespace
}  // namespace ravadid::db

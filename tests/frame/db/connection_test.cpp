#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "db_fixture.h"
#include "frame/db/database.h"
#include "frame/errors.h"

namespace ravadid::db {
namespace {

using testing::TempDatabase;

TEST(ConnectionTest, MissingFileIsAnErrorAndIsNeverCreated) {
  TempDatabase database("CREATE TABLE T (A INTEGER);");
  std::string missing = (database.folder() / "trip.mdb").string();
  Connection connection;
  try {
    connection.open(missing);
    FAIL() << "expected an error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::kDatabase);
    EXPECT_EQ(e.description(), "Could not find file '" + missing + "'.");
  }
  EXPECT_FALSE(connection.isOpen());
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(ConnectionTest, MissingFolderIsAnError) {
  Connection connection;
  EXPECT_THROW(connection.open("/nonexistent-ravadid-folder/trip.mdb"), VbError);
  EXPECT_FALSE(std::filesystem::exists("/nonexistent-ravadid-folder"));
}

TEST(ConnectionTest, FileThatIsNoDatabaseIsAnError) {
  TempDatabase database("CREATE TABLE T (A INTEGER);");
  std::string path = (database.folder() / "garbage.mdb").string();
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("Not a database file, just some bytes that fill more than a page header........", f);
    std::fclose(f);
  }
  Connection connection;
  try {
    connection.open(path);
    FAIL() << "expected an error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::kDatabase);
  }
  EXPECT_FALSE(connection.isOpen());
}

// SQLite would take an empty file for an empty database and write a header into it; the file
// belongs to the department's software and must be reported, never changed.
TEST(ConnectionTest, FileThatIsNoDatabaseIsReportedByNameAndLeftUnchanged) {
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"text", std::string(5000, 'x')},
      {"header then garbage", std::string("SQLite format 3\0", 16) + std::string(4080, '\xff')},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    TempDatabase database("CREATE TABLE T (A INTEGER);");
    std::string path = (database.folder() / "Tripschl.mdb").string();
    std::ofstream(path, std::ios::binary) << bytes;
    Connection connection;
    try {
      connection.open(path);
      ADD_FAILURE() << "expected an error";
    } catch (const VbError& e) {
      EXPECT_EQ(e.number(), vberr::kDatabase);
      EXPECT_EQ(e.description(), "Unrecognized database format '" + path + "'.");
    }
    EXPECT_FALSE(connection.isOpen());
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
              bytes);
    EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
  }
}

TEST(ConnectionTest, OpensInWalModeAndCloses) {
  TempDatabase database("CREATE TABLE T (A INTEGER); INSERT INTO T VALUES (1);");
  Connection connection;
  EXPECT_FALSE(connection.isOpen());
  connection.open(database.path());
  EXPECT_TRUE(connection.isOpen());
  EXPECT_EQ(connection.path(), database.path());
  Recordset rs;
  rs.open("PRAGMA journal_mode", connection);
  EXPECT_EQ(rs.field("journal_mode"), Value::text("wal"));
  connection.close();
  connection.close();
  EXPECT_FALSE(connection.isOpen());
  EXPECT_EQ(connection.handle(), nullptr);
}

TEST(ConnectionTest, StatementOnClosedConnectionIsRefused) {
  Connection connection;
  try {
    connection.execute("DELETE FROM T");
    FAIL() << "expected an error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 3709);
  }
  Recordset rs;
  EXPECT_THROW(rs.open("SELECT 1", connection), VbError);
}

TEST(ConnectionTest, EngineErrorsCarryTheEngineText) {
  TempDatabase database("CREATE TABLE T (A INTEGER);");
  Connection connection;
  connection.open(database.path());
  try {
    connection.execute("DELETE FROM NOSUCH");
    FAIL() << "expected an error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::kDatabase);
    EXPECT_EQ(e.description(), "no such table: NOSUCH");
  }
}

TEST(ConnectionTest, UpdatableRecordsetOutlivesItsConnectionObject) {
  TempDatabase database(
      "CREATE TABLE T (ID INTEGER PRIMARY KEY AUTOINCREMENT, A TEXT COLLATE NOCASE);");
  Recordset rs;
  {
    Connection connection;
    connection.open(database.path());
    rs.open("SELECT * FROM T", connection, CursorType::Dynamic, LockType::Optimistic);
  }
  rs.addNew();
  rs.setField("A", Value::text("kept"));
  rs.update();
  EXPECT_EQ(rs.field("ID"), Value::whole(1));
  Connection again;
  again.open(database.path());
  EXPECT_EQ(testing::column(again, "SELECT A FROM T", "A"), (std::vector<std::string>{"kept"}));
}

TEST(ConnectionTest, TwoConnectionsShareOneFile) {
  TempDatabase database("CREATE TABLE T (A INTEGER);");
  Connection writer, reader;
  writer.open(database.path());
  reader.open(database.path());
  writer.execute("INSERT INTO T VALUES (7)");
  EXPECT_EQ(testing::column(reader, "SELECT A FROM T", "A"), (std::vector<std::string>{"7"}));
}

}  // namespace
}  // namespace ravadid::db

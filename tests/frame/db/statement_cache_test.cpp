// Read-only record sets keep their prepared statements on the handle: a kept statement reads
// what a fresh one reads, follows changes of the rows, the schema and the file, and a statement
// that failed is never kept.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "db_fixture.h"
#include "frame/db/connection_handle.h"
#include "frame/db/database.h"
#include "frame/errors.h"

namespace ravadid::db {
namespace {

using testing::TempDatabase;

// Every field of every row, with its kind, as one text.
std::string allRows(Connection& connection, const std::string& sql) {
  Recordset rs;
  rs.open(sql, connection);
  std::string out;
  for (; !rs.eof(); rs.moveNext()) {
    for (int i = 0; i < rs.fieldCount(); ++i) {
      Value v = rs.field(i);
      out += rs.fieldName(i) + "=" + std::to_string(static_cast<int>(v.kind())) + ":" +
             (v.isNull() ? "null" : vb::CStr(v)) + ";";
    }
    out += "\n";
  }
  return out;
}

void runOnFile(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

std::size_t keptStatements(Connection& connection) {
  return connection.shared()->statements->size();
}

// Row 1 of kScript as allRows prints it.
constexpr const char* kFirstRow = "ID=4:1;NAME=2:one;WHEN_=8:3/5/2024 10:30:00 AM;FLAG=2:True;\n";

constexpr const char* kScript =
    "CREATE TABLE T (ID INTEGER, NAME TEXT COLLATE NOCASE, WHEN_ DATETIME, FLAG TEXT);"
    "INSERT INTO T VALUES (1, 'one', '2024-03-05 10:30:00', 'True'), (2, 'Two', NULL, 'False');";

TEST(StatementCache, AKeptStatementReadsWhatAFreshOneReads) {
  TempDatabase file(kScript);
  const std::vector<std::string> queries = {
      "SELECT * FROM T ORDER BY ID", "SELECT NAME, DateValue(WHEN_) AS D FROM T WHERE NAME = 'ONE'",
      "SELECT COUNT(*) AS N FROM T"};
  Connection connection;
  connection.open(file.path());
  std::vector<std::string> first;
  for (const std::string& sql : queries) first.push_back(allRows(connection, sql));
  EXPECT_EQ(keptStatements(connection), queries.size());
  for (int round = 0; round < 2; ++round) {
    connection.close();
    connection.open(file.path());
    for (size_t k = 0; k < queries.size(); ++k)
      EXPECT_EQ(allRows(connection, queries[k]), first[k]) << queries[k];
  }
  EXPECT_EQ(allRows(connection, "SELECT * FROM T ORDER BY ID"),
            "ID=4:1;NAME=2:one;WHEN_=8:3/5/2024 10:30:00 AM;FLAG=2:True;\n"
            "ID=4:2;NAME=2:Two;WHEN_=1:null;FLAG=2:False;\n");
}

TEST(StatementCache, KeptStatementsFollowChangedRowsAndSchema) {
  TempDatabase file(kScript);
  Connection connection;
  connection.open(file.path());
  const std::string all = "SELECT * FROM T WHERE ID = 1";
  EXPECT_EQ(allRows(connection, all), kFirstRow);

  // Rows written by another connection.
  runOnFile(file.path(), "UPDATE T SET NAME = 'uno' WHERE ID = 1");
  EXPECT_EQ(allRows(connection, all),
            "ID=4:1;NAME=2:uno;WHEN_=8:3/5/2024 10:30:00 AM;FLAG=2:True;\n");

  // A column added: the kept "*" statement is prepared again and described again.
  runOnFile(file.path(), "ALTER TABLE T ADD COLUMN CACHED_FLAG INTEGER DEFAULT 1");
  EXPECT_EQ(allRows(connection, all),
            "ID=4:1;NAME=2:uno;WHEN_=8:3/5/2024 10:30:00 AM;FLAG=2:True;CACHED_FLAG=4:1;\n");

  // A column registered as boolean after the description was kept.
  registerBooleanColumn("T", "CACHED_FLAG");
  EXPECT_EQ(allRows(connection, all),
            "ID=4:1;NAME=2:uno;WHEN_=8:3/5/2024 10:30:00 AM;FLAG=2:True;CACHED_FLAG=7:True;\n");
}

TEST(StatementCache, AFileReplacedInPlaceIsReadAfresh) {
  TempDatabase file(kScript);
  Connection connection;
  connection.open(file.path());
  const std::string all = "SELECT * FROM T WHERE ID = 1";
  EXPECT_EQ(allRows(connection, all), kFirstRow);
  connection.close();
  TempDatabase other("CREATE TABLE T (ID INTEGER, NAME TEXT);INSERT INTO T VALUES (1, 'new');");
  std::ifstream in(other.path(), std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // File times move in clock ticks of a few milliseconds.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ofstream(file.path(), std::ios::binary | std::ios::trunc) << bytes;
  connection.open(file.path());
  EXPECT_EQ(allRows(connection, all), "ID=4:1;NAME=2:new;\n");
}

TEST(StatementCache, AFailedStatementIsNotKeptAndTheHandleStaysReusable) {
  TempDatabase file(kScript);
  Connection connection;
  connection.open(file.path());
  sqlite3* handle = connection.handle();
  for (const char* failing :
       {"SELECT abs(-9223372036854775807 - 1) AS X FROM T", "SELECT NOPE FROM T"}) {
    SCOPED_TRACE(failing);
    Recordset rs;
    EXPECT_THROW(rs.open(failing, connection), VbError);
    EXPECT_EQ(keptStatements(connection), 0u);
  }
  connection.close();
  connection.open(file.path());
  EXPECT_EQ(connection.handle(), handle);
  EXPECT_EQ(allRows(connection, "SELECT ID FROM T ORDER BY ID"), "ID=4:1;\nID=4:2;\n");
}

}  // namespace
}  // namespace ravadid::db

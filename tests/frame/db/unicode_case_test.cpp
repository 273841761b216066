// Statements compare text ignoring letter case by Unicode rules, and the files stay valid for
// programs that open them without our functions.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "db_fixture.h"
#include "frame/db/database.h"
#include "frame/runtime.h"
#include "frame/text.h"

namespace ravadid::db {
namespace {

using testing::TempDatabase;

constexpr const char* kNames = R"sql(
CREATE TABLE N (ID INTEGER, NAME TEXT COLLATE NOCASE);
CREATE INDEX N_NAME ON N (NAME);
INSERT INTO N VALUES (1, 'josé.nuñez'), (2, 'Museo de Arte Español'), (3, 'Straße 5'),
  (4, 'jose.nunez'), (5, 'ΟΔΟΣ'), (6, '100% off_sale');
)sql";

// Text beyond ASCII that folds to ASCII (a ligature, the Kelvin sign), and its ASCII look-alikes.
constexpr const char* kFoldingToAscii =
    "INSERT INTO N VALUES (7, 'ﬁx'), (8, 'FIX'), (9, 'K2'), (10, 'k2'), (11, 'Joe'),"
    " (12, 'JOË');";

std::vector<std::string> idsOf(Connection& connection, const std::string& where) {
  Recordset rs;
  rs.open("SELECT ID FROM N WHERE " + where + " ORDER BY ID", connection);
  std::vector<std::string> ids;
  for (; !rs.eof(); rs.moveNext()) ids.push_back(vb::CStr(rs.field("ID")));
  return ids;
}

TEST(UnicodeCase, ComparisonsAndLikeFoldLettersBeyondAscii) {
  using Ids = std::vector<std::string>;
  struct Case {
    std::string where;
    Ids expected;
  } cases[] = {
      {"NAME = " + sqlText("JOSÉ.NUÑEZ"), {"1"}},
      {"trim$(NAME) = " + sqlText("JOSÉ.NUÑEZ"), {"1"}},
      {"NAME <> " + sqlText("JOSÉ.NUÑEZ") + " AND ID < 5", {"2", "3", "4"}},
      {"NAME = " + sqlText("STRASSE 5"), {"3"}},
      {"NAME = " + sqlText("οδος"), {"5"}},
      {"ucase$(NAME) like 'MUSEO DE ARTE ESPAÑ%'", {"2"}},
      {"NAME like '%ESPAÑOL'", {"2"}},
      {"NAME like 'jos_.nu_ez'", {"1", "4"}},
      {"NAME like 'JOSÉ%'", {"1"}},
      {"NAME like '100\\% OFF\\_%' ESCAPE '\\'", {"6"}},
      {"NAME like '100\\%OFF%' ESCAPE '\\'", {}},
      {"lcase$(NAME) = 'josé.nuñez'", {"1"}},
      {"NAME = ucase$('josé.nuñez')", {"1"}},
      // Text beyond ASCII that folds to an ASCII literal (a ligature, the Kelvin sign) and
      // ASCII literals that no such text can meet, whose comparison an index serves.
      {"NAME = 'fix'", {"7", "8"}},
      {"NAME = 'K2'", {"9", "10"}},
      {"NAME = 'JOE'", {"11"}},
      {"'joe' = NAME", {"11"}},
  };
  TempDatabase file(std::string(kNames) + kFoldingToAscii);
  Connection connection;
  connection.open(file.path());
  for (const Case& c : cases) EXPECT_EQ(idsOf(connection, c.where), c.expected) << c.where;
}

TEST(UnicodeCase, EqualityWithAPlainAsciiLiteralSearchesTheColumnsIndex) {
  TempDatabase file(kNames);
  Connection connection;
  connection.open(file.path());
  std::string plan;
  std::string sql = "EXPLAIN QUERY PLAN " + translateSql("SELECT * FROM N WHERE NAME = 'JOE'");
  sqlite3_exec(
      connection.handle(), sql.c_str(),
      [](void* out, int count, char** values, char**) {
        *static_cast<std::string*>(out) += values[count - 1];
        return 0;
      },
      &plan, nullptr);
  EXPECT_NE(plan.find("USING INDEX N_NAME (NAME=?)"), std::string::npos) << plan;
}

TEST(UnicodeCase, FilesWrittenThroughTheLayerPassAStockIntegrityCheck) {
  TempDatabase file(kNames);
  {
    Connection connection;
    connection.open(file.path());
    connection.execute("INSERT INTO N VALUES (7, 'ÉCOLE'), (8, 'école'), (9, '\u212Aelvin')");
    connection.execute("UPDATE N SET NAME = 'NUÑEZ' WHERE NAME = 'josé.nuñez'");
    connection.execute("DELETE FROM N WHERE NAME = 'STRASSE 5'");
    EXPECT_EQ(idsOf(connection, "NAME = 'kelvin'"), std::vector<std::string>{"9"});
  }
  // A connection without our collation and functions, as another program opens the file.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.path().c_str(), &db), SQLITE_OK);
  std::vector<std::string> answers;
  auto collect = [](void* out, int, char** values, char**) {
    static_cast<std::vector<std::string>*>(out)->push_back(values[0] ? values[0] : "<null>");
    return 0;
  };
  const char* sql =
      "PRAGMA integrity_check; SELECT group_concat(ID) FROM (SELECT ID FROM N INDEXED BY N_NAME "
      "WHERE NAME = 'nuÑez' ORDER BY ID); SELECT count(*) FROM N;";
  EXPECT_EQ(sqlite3_exec(db, sql, collect, &answers, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
  EXPECT_EQ(answers, (std::vector<std::string>{"ok", "1", "8"}));
}

}  // namespace
}  // namespace ravadid::db

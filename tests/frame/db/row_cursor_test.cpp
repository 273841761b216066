#include "frame/db/row_cursor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "db_fixture.h"
#include "frame/db/connection_handle.h"
#include "frame/db/database.h"
#include "frame/errors.h"

namespace ravadid::db {
namespace {

class RowCursorTest : public testing::TripDatabaseTest {
 protected:
  long errorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const VbError& e) {
      return e.number();
    }
    return 0;
  }
};

// Every field of every row reads as the record set reads it: plain text, nulls, numbers,
// dates, times, flags and expressions. text() lends only fields that read as text, and every
// such field of a table column.
TEST_F(RowCursorTest, ReadsEachFieldAsTheRecordSetDoes) {
  struct Case {
    const char* sql;
    bool tableColumnsOnly;
  };
  const Case cases[] = {
      {"SELECT * FROM TRIPSREQ ORDER BY TRIPNUM", true},
      {"SELECT TRIPSREQ.TRIPNUM, tripsreq.destdesc as trDESTDESC, DateValue(TRIPSREQ.STATUS_DATE) "
       "AS Expr1, TRIPSREQ.DEPTIME & '' AS joined, Status & '' AS said FROM TRIPSREQ ORDER BY "
       "TRIPSREQ.DEPDATE",
       false},
      {"SELECT * FROM KRSCC", true},
      {"SELECT * FROM DESTINATION WHERE DESTINATION = 99", true},
  };
  for (const auto& [sql, tableColumnsOnly] : cases) {
    SCOPED_TRACE(sql);
    Recordset expected;
    expected.open(sql, db_);
    RowCursor cursor;
    cursor.open(sql, db_);
    long rows = 0;
    while (cursor.next()) {
      ASSERT_FALSE(expected.eof());
      for (int i = 0; i < expected.fieldCount(); ++i) {
        SCOPED_TRACE(expected.fieldName(i));
        EXPECT_EQ(cursor.fieldIndex(expected.fieldName(i)), i);
        const Value& want = expected.fieldValue(i);
        const std::optional<std::string_view> text = cursor.text(i);
        if (tableColumnsOnly) {
          EXPECT_EQ(text.has_value(), want.isText());
        }
        if (text) {
          ASSERT_TRUE(want.isText());
          EXPECT_EQ(*text, want.asText());
        }
        EXPECT_EQ(cursor.field(i).kind(), want.kind());
        EXPECT_EQ(cursor.field(i), want);
      }
      expected.moveNext();
      ++rows;
    }
    EXPECT_TRUE(expected.eof());
    EXPECT_EQ(rows, expected.recordCount());
    EXPECT_FALSE(cursor.next());
  }
}

TEST_F(RowCursorTest, FieldsNeedARowAndAKnownName) {
  RowCursor cursor;
  cursor.open("SELECT TRIPNUM FROM TRIPS ORDER BY TRIPNUM", db_);
  EXPECT_EQ(errorOf([&] { cursor.field(0); }), vberr::kNoCurrentRecord);
  EXPECT_EQ(errorOf([&] { cursor.fieldIndex("NOPE"); }), vberr::kItemNotFound);
  ASSERT_TRUE(cursor.next());
  EXPECT_EQ(errorOf([&] { cursor.field(1); }), vberr::kItemNotFound);
  EXPECT_EQ(cursor.field(cursor.fieldIndex("tripnum")), Value::whole(1));
  EXPECT_EQ(errorOf([&] { RowCursor().open("SELECT NOPE FROM TRIPS", db_); }), vberr::kDatabase);
}

// A pass left early or run to its end leaves the statement kept on the handle, ready to read
// the same rows again from the first; a second cursor of the same text while the first is in
// use prepares its own.
TEST_F(RowCursorTest, StatementIsKeptForTheNextPass) {
  const char* sql = "SELECT TRIPNUM FROM TRIPS ORDER BY TRIPNUM";
  StatementCache& kept = *db_.shared()->statements;
  const std::size_t before = kept.size();
  for (int pass = 0; pass < 3; ++pass) {
    RowCursor cursor;
    cursor.open(sql, db_);
    ASSERT_TRUE(cursor.next());
    EXPECT_EQ(cursor.field(0), Value::whole(1));
    {
      RowCursor nested;
      nested.open(sql, db_);
      int rows = 0;
      while (nested.next()) ++rows;
      EXPECT_EQ(rows, 4);
    }
    if (pass == 1) continue;  // left after the first row
    ASSERT_TRUE(cursor.next());
    EXPECT_EQ(cursor.field(0), Value::whole(2));
  }
  EXPECT_EQ(kept.size(), before + 1);
}

}  // namespace
}  // namespace ravadid::db

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

#include "db_fixture.h"
#include "frame/db/database.h"
#include "frame/errors.h"
#include "frame/runtime.h"

namespace ravadid::db {
namespace {

using testing::column;
using testing::storedText;

class RecordsetTest : public testing::TripDatabaseTest {
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

TEST_F(RecordsetTest, EmptyResultIsBothBofAndEof) {
  Recordset rs;
  rs.open("SELECT * FROM CUSTOMER WHERE CUSTOMER = 'none'", db_);
  EXPECT_TRUE(rs.eof());
  EXPECT_TRUE(rs.bof());
  EXPECT_EQ(rs.recordCount(), 0);
}

TEST_F(RecordsetTest, MovesThroughRowsAndReportsEnds) {
  Recordset rs;
  rs.open("SELECT TRIPNUM FROM TRIPS ORDER BY TRIPNUM", db_);
  EXPECT_EQ(rs.recordCount(), 4);
  EXPECT_FALSE(rs.bof());
  EXPECT_EQ(rs.field("tripnum"), Value::whole(1));
  rs.move(2);
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(3));
  rs.moveLast();
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(4));
  rs.moveNext();
  EXPECT_TRUE(rs.eof());
  EXPECT_EQ(errorOf([&] { rs.moveNext(); }), vberr::kNoCurrentRecord);
  rs.movePrevious();
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(4));
  rs.moveFirst();
  rs.movePrevious();
  EXPECT_TRUE(rs.bof());
  EXPECT_FALSE(rs.eof());
  EXPECT_EQ(errorOf([&] { rs.movePrevious(); }), vberr::kNoCurrentRecord);
  rs.moveFirst();
  rs.move(10);
  EXPECT_TRUE(rs.eof());
  rs.move(-2);
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(3));
  rs.move(0);
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(3));
}

TEST_F(RecordsetTest, MoveFirstOnEmptyResultStaysAtEnd) {
  Recordset rs;
  rs.open("SELECT * FROM CUSTOMER WHERE CUSTOMER = 'none'", db_);
  rs.moveFirst();
  rs.moveLast();
  EXPECT_TRUE(rs.eof());
}

TEST_F(RecordsetTest, FieldErrors) {
  Recordset rs;
  rs.open("SELECT CUSTOMER FROM CUSTOMER WHERE CUSTOMER = 'LHS'", db_);
  try {
    rs.field("NOSUCH");
    FAIL();
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::kItemNotFound);
    EXPECT_EQ(e.description(),
              "Item cannot be found in the collection corresponding to the requested name or "
              "ordinal.");
  }
  rs.moveNext();
  try {
    rs.field("CUSTOMER");
    FAIL();
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::kNoCurrentRecord);
    EXPECT_EQ(e.description(),
              "Either BOF or EOF is True, or the current record has been deleted. Requested "
              "operation requires a current record.");
  }
  // An unknown name is reported before the missing row.
  EXPECT_EQ(errorOf([&] { rs.field("NOSUCH"); }), vberr::kItemNotFound);
  EXPECT_TRUE(rs.hasField("customer"));
  EXPECT_FALSE(rs.hasField("NOSUCH"));
}

TEST_F(RecordsetTest, FieldKindsFollowColumns) {
  Recordset rs;
  rs.open("SELECT * FROM TRIPS WHERE TRIPNUM = 1", db_);
  EXPECT_EQ(rs.field("TRIPNUM").kind(), Value::Kind::Long);
  EXPECT_EQ(rs.field("CUSTOMER"), Value::text("LHS"));
  EXPECT_EQ(rs.field("DEPDATE"), Value::date(vb::DateSerial(2024, 3, 5)));
  EXPECT_EQ(rs.field("CANCELED"), Value::boolean(false));
  EXPECT_EQ(rs.field("BILLED"), Value::boolean(true));
  EXPECT_EQ(rs.field("AMOUNT1"), Value::number(10));
  EXPECT_TRUE(rs.field("PO").isNull());
  EXPECT_TRUE(rs.field("RETDATE").isNull());
  ASSERT_TRUE(rs.field("BILLDATE").isDate());
  EXPECT_EQ(vb::Hour(rs.field("BILLDATE").asDate()), 14);
  EXPECT_EQ(vb::Minute(rs.field("BILLDATE").asDate()), 30);
}

TEST_F(RecordsetTest, FieldsOfJoinedTablesKeepTheirKinds) {
  Recordset rs;
  rs.open(
      "SELECT TRIPS.CANCELED, CUSTOMER_1.ACTIVE AS BILLACTIVE FROM TRIPS LEFT JOIN CUSTOMER AS "
      "CUSTOMER_1 ON TRIPS.BILLCUST = CUSTOMER_1.CUSTOMER WHERE TRIPS.TRIPNUM = 1",
      db_);
  EXPECT_EQ(rs.field("CANCELED"), Value::boolean(false));
  EXPECT_EQ(rs.field("BILLACTIVE"), Value::boolean(true));
}

TEST_F(RecordsetTest, FindSearchesForwardIgnoringCase) {
  Recordset rs;
  rs.open(
      "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID, CUSTOMER.CUSTDIV From "
      "CUSTOMER order by CUSTOMER.CUSTOMER;",
      db_);
  rs.find("CUSTOMER = 'lhs'");
  ASSERT_FALSE(rs.eof());
  EXPECT_EQ(rs.field("CUSTNAME"), Value::text("Larkdale High"));
  rs.find("CUSTOMER = 'LHS'");  // the current row counts
  EXPECT_EQ(rs.field("CUSTNAME"), Value::text("Larkdale High"));
  rs.find("CUSTOMER = 'EMS'");  // lies behind the current row
  EXPECT_TRUE(rs.eof());
  rs.moveFirst();
  rs.find("CUSTNAME = 'O''Brien School'");
  ASSERT_FALSE(rs.eof());
  EXPECT_EQ(rs.field("CUSTOMER"), Value::text("OBR"));
  rs.moveFirst();
  rs.find("CHAINID = 'x'' OR ''a''=''a'");
  EXPECT_TRUE(rs.eof());
}

TEST_F(RecordsetTest, FindComparesNumbers) {
  Recordset rs;
  rs.open("SELECT * FROM DESTINATION ORDER BY DESTINATION", db_);
  rs.find("DESTINATION = 2");
  EXPECT_EQ(rs.field("DESTDESC"), Value::text("Museum"));
}

TEST_F(RecordsetTest, ClosedRecordsetRefusesReads) {
  Recordset rs;
  EXPECT_FALSE(rs.isOpen());
  EXPECT_EQ(errorOf([&] { rs.eof(); }), vberr::kNoCurrentRecord);
  rs.open("SELECT * FROM GRADE", db_);
  EXPECT_TRUE(rs.isOpen());
  rs.close();
  rs.close();
  EXPECT_FALSE(rs.isOpen());
}

TEST_F(RecordsetTest, StaysUsableAfterItsConnectionCloses) {
  Recordset rs;
  rs.open("SELECT GRADE FROM GRADE ORDER BY GRADE", db_);
  db_.close();
  rs.moveLast();
  EXPECT_EQ(rs.field("GRADE"), Value::text("11"));
}

TEST_F(RecordsetTest, ReadOnlyRecordsetRefusesChanges) {
  Recordset rs;
  rs.open("SELECT * FROM TRIPSREQ", db_);
  EXPECT_EQ(errorOf([&] { rs.addNew(); }), 3251);
  EXPECT_EQ(errorOf([&] { rs.setField("Status", Value::text("x")); }), 3251);
}

TEST_F(RecordsetTest, StoredDateTextReadsAsADate) {
  struct Case {
    const char* stored;  // written into a DATETIME column as it stands
    Value expected;
  };
  const Case cases[] = {
      {"2024-03-05 10:30:00", Value::date(vb::DateSerial(2024, 3, 5) + vb::TimeSerial(10, 30, 0))},
      {"2024-03-05", Value::date(vb::DateSerial(2024, 3, 5))},
      {"3/5/2024", Value::date(vb::DateSerial(2024, 3, 5))},  // any date the runtime reads
      {"2024-02-30 10:30:00", Value::text("2024-02-30 10:30:00")},
      {"soon", Value::text("soon")},
  };
  for (const Case& c : cases) {
    db_.execute(std::string("UPDATE TRIPS SET RETDATE = '") + c.stored + "' WHERE TRIPNUM = 1");
    Recordset rs;
    rs.open("SELECT RETDATE FROM TRIPS WHERE TRIPNUM = 1", db_);
    EXPECT_EQ(rs.field("RETDATE"), c.expected) << c.stored;
    if (!c.expected.isDate()) continue;
    // An expression's storage text is a date as well.
    rs.open("SELECT DateValue(RETDATE) AS DAY FROM TRIPS WHERE TRIPNUM = 1", db_);
    EXPECT_EQ(rs.field("DAY"), Value::date(vb::dateOnly(c.expected.asDate()))) << c.stored;
  }
}

TEST_F(RecordsetTest, DateValueKeepsTheDayAsStorageTextWhateverTheDateForm) {
  struct Case {
    const char* stored;
    const char* day;
  };
  const Case cases[] = {
      {"2024-03-05 10:30:00", "2024-03-05 00:00:00"},
      {"2024-03-05 23:59:59", "2024-03-05 00:00:00"},
      {"2024-03-05", "2024-03-05 00:00:00"},
      {"1899-12-29 06:00:00", "1899-12-29 00:00:00"},  // before day zero
      {"3/5/2024 10:30:00 AM", "2024-03-05 00:00:00"},
      {"0150-06-01 12:00:00", "0150-06-01 00:00:00"},
  };
  sqlite3_stmt* statement = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db_.handle(), "SELECT vb_datevalue(?)", -1, &statement, nullptr),
            SQLITE_OK);
  for (const Case& c : cases) {
    sqlite3_reset(statement);
    sqlite3_bind_text(statement, 1, c.stored, -1, SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW) << c.stored;
    const auto* day = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    EXPECT_STREQ(day, c.day) << c.stored;
  }
  sqlite3_finalize(statement);
}

TEST_F(RecordsetTest, FieldByPositionReadsWhatTheNameReads) {
  Recordset rs;
  rs.open("SELECT TRIPNUM, Status FROM TRIPSREQ ORDER BY TRIPNUM", db_, CursorType::Dynamic,
          LockType::Optimistic);
  const int status = rs.fieldIndex("status");
  EXPECT_EQ(rs.fieldName(status), "Status");
  for (; !rs.eof(); rs.moveNext()) {
    EXPECT_EQ(rs.field(status), rs.field("STATUS"));
    EXPECT_EQ(rs.currentFields()[static_cast<size_t>(status)], rs.field("STATUS"));
  }
  // Values assigned but not yet written read back by position too, though not as a whole row.
  rs.moveFirst();
  rs.setField("Status", Value::text("Denied"));
  EXPECT_EQ(rs.field(status), Value::text("Denied"));
  EXPECT_EQ(errorOf([&] { rs.currentFields(); }), vberr::kNoCurrentRecord);
  rs.moveLast();
  rs.moveNext();
  EXPECT_EQ(errorOf([&] { rs.field(status); }), vberr::kNoCurrentRecord);
  EXPECT_EQ(errorOf([&] { rs.currentFields(); }), vberr::kNoCurrentRecord);
  for (int outside : {-1, rs.fieldCount()})
    EXPECT_EQ(errorOf([&] { rs.field(outside); }), vberr::kItemNotFound) << outside;
  EXPECT_EQ(errorOf([&] { rs.fieldIndex("NOSUCH"); }), vberr::kItemNotFound);
}

TEST_F(RecordsetTest, AddNewWritesOnlyAssignedColumnsAndReturnsTheKey) {
  Recordset rs;
  rs.open("Select * from TRIPSREQ", db_, CursorType::Dynamic, LockType::Optimistic);
  rs.addNew();
  EXPECT_FALSE(rs.eof());
  rs.setField("ENTEREDBY", Value::text("jsmith"));
  rs.setField("enterdate", Value::date(vb::DateSerial(2024, 3, 5) + vb::TimeSerial(10, 30, 0)));
  rs.setField("deptime", Value::date(vb::TimeSerial(0, 0, 1)));
  rs.setField("Status", Value::text("Pending"));
  rs.setField("CONTACT", Value::null());
  rs.setField("NUMSTUDENTS", Value::text("12"));
  rs.setField("CALCNUMDRIVERS", Value::boolean(true));
  rs.setField("destdesc", Value::text("O'Brien's \"farm\""));
  rs.update();
  Value key = rs.field("TRIPNUM");
  ASSERT_EQ(key, Value::whole(4));
  EXPECT_EQ(rs.field("NUMSTUDENTS"), Value::whole(12));

  Recordset check;
  check.open("SELECT * FROM TRIPSREQ WHERE TRIPNUM = 4", db_);
  EXPECT_EQ(check.field("ENTEREDBY"), Value::text("jsmith"));
  EXPECT_EQ(check.field("destdesc"), Value::text("O'Brien's \"farm\""));
  EXPECT_EQ(storedText(db_, "SELECT CALCNUMDRIVERS FROM TRIPSREQ WHERE TRIPNUM = 4"), "1");
  EXPECT_TRUE(check.field("CONTACT").isNull());
  EXPECT_EQ(storedText(db_, "SELECT enterdate FROM TRIPSREQ WHERE TRIPNUM = 4"),
            "2024-03-05 10:30:00");
  EXPECT_EQ(storedText(db_, "SELECT deptime FROM TRIPSREQ WHERE TRIPNUM = 4"),
            "1899-12-30 00:00:01");
}

TEST_F(RecordsetTest, KeysAreNeverReused) {
  db_.execute("DELETE FROM TRIPSREQ WHERE TRIPNUM = 3");
  Recordset rs;
  rs.open("Select * from TRIPSREQ", db_, CursorType::Dynamic, LockType::Optimistic);
  rs.addNew();
  rs.update();
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(4));
}

TEST_F(RecordsetTest, UpdateChangesOneRow) {
  Recordset rs;
  rs.open("SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = 2", db_, CursorType::ForwardOnly,
          LockType::Optimistic);
  ASSERT_EQ(rs.recordCount(), 1);
  rs.setField("Status", Value::text("Denied"));
  EXPECT_EQ(rs.field("Status"), Value::text("Denied"));
  rs.setField("STATUS_COMMENT", Value::text("It's late"));
  rs.setField("GRADE", Value());
  rs.update();
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(2));
  EXPECT_EQ(column(db_, "SELECT Status FROM TRIPSREQ ORDER BY TRIPNUM", "Status"),
            (std::vector<std::string>{"UNAPPROVED", "Denied", "Pending"}));
  EXPECT_EQ(column(db_, "SELECT STATUS_COMMENT FROM TRIPSREQ WHERE TRIPNUM = 2", "STATUS_COMMENT"),
            (std::vector<std::string>{"It's late"}));
}

TEST_F(RecordsetTest, AddToSelectionOfOneCustomersTrips) {
  Recordset rs;
  rs.open("Select TRIPS.* from Trips where trim$(TRIPS.CUSTOMER) = 'LHS'", db_, CursorType::Dynamic,
          LockType::Optimistic);
  EXPECT_EQ(rs.recordCount(), 2);
  rs.addNew();
  rs.setField("Customer", Value::text("EMS"));
  rs.setField("Bill", Value::boolean(true));
  rs.setField("Assigned", Value::boolean(false));
  rs.setField("NumVeh", Value::whole(0));
  rs.setField("INVOICE_COMMENT#1", Value::text("note"));
  rs.setField("TRIPREQNUM", Value::whole(2));
  rs.update();
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(5));
  EXPECT_EQ(rs.field("Bill"), Value::boolean(true));
  EXPECT_EQ(rs.field("TripCom"), Value::text("none"));  // the column's default
  EXPECT_EQ(rs.field("INVOICE_COMMENT#1"), Value::text("note"));
  EXPECT_EQ(rs.recordCount(), 3);
}

TEST_F(RecordsetTest, AssigningTextThatIsNoNumberToANumberColumnFails) {
  Recordset rs;
  rs.open("Select * from TRIPSREQ", db_, CursorType::Dynamic, LockType::Optimistic);
  rs.addNew();
  EXPECT_EQ(errorOf([&] { rs.setField("NUMADULTS", Value::text("abc")); }), vberr::kTypeMismatch);
  EXPECT_EQ(errorOf([&] { rs.setField("DEPDATE", Value::text("not a date")); }),
            vberr::kTypeMismatch);
  EXPECT_EQ(errorOf([&] { rs.setField("NOSUCH", Value::text("x")); }), vberr::kItemNotFound);
}

TEST_F(RecordsetTest, DateTextIsStoredAsDate) {
  Recordset rs;
  rs.open("SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = 3", db_, CursorType::ForwardOnly,
          LockType::Optimistic);
  rs.setField("RETDATE", Value::text("4/12/2024"));
  rs.update();
  EXPECT_EQ(rs.field("RETDATE"), Value::date(vb::DateSerial(2024, 4, 12)));
  EXPECT_EQ(storedText(db_, "SELECT RETDATE FROM TRIPSREQ WHERE TRIPNUM = 3"),
            "2024-04-12 00:00:00");
}

TEST_F(RecordsetTest, UpdatableJoinReadsButRefusesChanges) {
  Recordset rs;
  rs.open("SELECT FUND.* FROM FUND INNER JOIN CUSTOMER_FUND ON FUND.FUND = CUSTOMER_FUND.FUND", db_,
          CursorType::Keyset, LockType::Optimistic);
  EXPECT_EQ(rs.recordCount(), 3);
  EXPECT_EQ(errorOf([&] { rs.addNew(); }), 3251);
}

TEST_F(RecordsetTest, RowAddedBeforeReadingStaysCurrentAndLast) {
  Recordset rs;
  rs.open("Select * from TRIPSREQ", db_, CursorType::Dynamic, LockType::Optimistic);
  rs.addNew();
  rs.setField("Status", Value::text("Pending"));
  rs.update();
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(4));
  EXPECT_EQ(rs.recordCount(), 4);
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(4));
  rs.moveNext();
  EXPECT_TRUE(rs.eof());
  rs.moveFirst();
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(1));
}

TEST_F(RecordsetTest, RowAddedOutsideTheSelectionStillCounts) {
  Recordset rs;
  rs.open("Select TRIPS.* from Trips where trim$(TRIPS.CUSTOMER) = 'nobody'", db_,
          CursorType::Dynamic, LockType::Optimistic);
  rs.addNew();
  rs.setField("CUSTOMER", Value::text("LHS"));
  rs.update();
  rs.addNew();
  rs.setField("CUSTOMER", Value::text("EMS"));
  rs.update();
  EXPECT_EQ(rs.recordCount(), 2);
  EXPECT_EQ(rs.field("CUSTOMER"), Value::text("EMS"));
  rs.movePrevious();
  EXPECT_EQ(rs.field("CUSTOMER"), Value::text("LHS"));
}

TEST_F(RecordsetTest, PendingAddIsWrittenWhenMovingOn) {
  Recordset rs;
  rs.open("SELECT * FROM TRIPSREQ", db_, CursorType::Dynamic, LockType::Optimistic);
  rs.addNew();
  rs.setField("ENTEREDBY", Value::text("mover"));
  rs.moveFirst();
  EXPECT_EQ(column(db_, "SELECT ENTEREDBY FROM TRIPSREQ WHERE TRIPNUM = 4", "ENTEREDBY"),
            (std::vector<std::string>{"mover"}));
}

TEST_F(RecordsetTest, ClosingDiscardsPendingChanges) {
  Recordset rs;
  rs.open("SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = 1", db_, CursorType::ForwardOnly,
          LockType::Optimistic);
  rs.setField("Status", Value::text("Changed"));
  rs.close();
  EXPECT_EQ(column(db_, "SELECT Status FROM TRIPSREQ WHERE TRIPNUM = 1", "Status"),
            (std::vector<std::string>{"UNAPPROVED"}));
}

}  // namespace
}  // namespace ravadid::db

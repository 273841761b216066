// A throw-away database file in its own temporary folder, built from an SQL script with
// SQLite directly (not through the layer under test).
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "frame/db/database.h"
#include "frame/runtime.h"

namespace ravadid::db::testing {

class TempDatabase {
 public:
  explicit TempDatabase(const std::string& script) {
    std::string pattern = (std::filesystem::temp_directory_path() / "ravadid-db-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = buffer.data();
    path_ = (folder_ / "test.mdb").string();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* error = nullptr;
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::string message = error ? error : "?";
      sqlite3_free(error);
      sqlite3_close(db);
      throw std::runtime_error("fixture script failed: " + message);
    }
    sqlite3_close(db);
  }
  ~TempDatabase() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  TempDatabase(const TempDatabase&) = delete;
  TempDatabase& operator=(const TempDatabase&) = delete;

  const std::string& path() const { return path_; }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

// The tables of the three files that the tests need, in one file, with a few rows.
inline const char* kTripScript = R"sql(
BEGIN;
CREATE TABLE CUSTOMER (CUSTOMER TEXT COLLATE NOCASE, CUSTNAME TEXT COLLATE NOCASE,
  CHAINID TEXT COLLATE NOCASE, CUSTDIV TEXT COLLATE NOCASE, ACTIVE INTEGER);
INSERT INTO CUSTOMER VALUES ('LHS', 'Larkdale High', 'CH1', 'D1', 1),
  ('EMS', 'East Middle', '', 'D2', 1), ('OBR', 'O''Brien School', NULL, 'D1', 0);

CREATE TABLE FUND (FUND TEXT COLLATE NOCASE, FUNDDESC TEXT COLLATE NOCASE, ACTIVE INTEGER);
INSERT INTO FUND VALUES ('100', 'General', 1), ('200', 'Athletics', 1), ('300', 'Old fund', 0),
  (' 400 ', 'Padded', 1);
CREATE TABLE CUSTOMER_FUND (CUSTOMER TEXT COLLATE NOCASE, FUND TEXT COLLATE NOCASE);
INSERT INTO CUSTOMER_FUND VALUES ('LHS', '100'), ('LHS', '300'), ('EMS', '200');
CREATE TABLE CUSTOMER_TRIPCAT (CUSTOMER TEXT COLLATE NOCASE, TRIPCAT TEXT COLLATE NOCASE,
  chainid TEXT COLLATE NOCASE);
INSERT INTO CUSTOMER_TRIPCAT VALUES ('LHS', 'SP', 'CH2');

CREATE TABLE DESTINATION (DESTINATION INTEGER, DESTDESC TEXT COLLATE NOCASE,
  DESTADD1 TEXT COLLATE NOCASE, DESTADD2 TEXT COLLATE NOCASE, MILES REAL, ACTIVE INTEGER);
INSERT INTO DESTINATION VALUES (1, 'Zoo', '1 Zoo Rd', NULL, 12.5, 1),
  (2, 'Museum', '2 Main St', NULL, 30, 1), (3, 'Aquarium', NULL, NULL, 8, 0);
CREATE TABLE TRIPCAT (TRIPCAT TEXT COLLATE NOCASE, DESCRIPTION TEXT COLLATE NOCASE, Active INTEGER);
INSERT INTO TRIPCAT VALUES ('FT', 'Field trip', 1), ('SP', 'Sports', 1), ('XX', 'Gone', 0);
CREATE TABLE GRADE (GRADE TEXT COLLATE NOCASE, DESCRIPTION TEXT COLLATE NOCASE, Active INTEGER);
INSERT INTO GRADE VALUES ('09', 'Ninth', 1), ('10', 'Tenth', 1), ('11', 'Eleventh', 0);
CREATE TABLE Division (Division TEXT COLLATE NOCASE, DESCRIPTION TEXT COLLATE NOCASE, ACTIVE INTEGER);
INSERT INTO Division VALUES ('D2', 'West', 1), ('D1', 'East', 1), ('D3', 'Closed', 0);
CREATE TABLE BILLRATE (BILLRATE INTEGER, AMOUNT1 REAL, AMOUNTTXT1 TEXT COLLATE NOCASE);
INSERT INTO BILLRATE VALUES (3, 12.5, 'Per mile');

CREATE TABLE TRIPS (TRIPNUM INTEGER PRIMARY KEY AUTOINCREMENT, TRIPREQNUM INTEGER,
  INTTRIPNUM TEXT COLLATE NOCASE, CUSTOMER TEXT COLLATE NOCASE, BILLCUST TEXT COLLATE NOCASE,
  DESTINATION INTEGER, DEPDATE DATETIME, DEPTIME DATETIME, RETDATE DATETIME, RETTIME DATETIME,
  ARRIVETIME DATETIME, LEAVETIME DATETIME, ESTTIME REAL, ESTMILE REAL, NUMSTUDENTS INTEGER,
  NUMADULTS INTEGER, CONTACT TEXT COLLATE NOCASE, PURPOSE TEXT COLLATE NOCASE,
  PO TEXT COLLATE NOCASE, FUND TEXT COLLATE NOCASE, GRADE TEXT COLLATE NOCASE,
  TRIPCAT TEXT COLLATE NOCASE, SCHEDULE TEXT COLLATE NOCASE, SHUTTLE INTEGER DEFAULT 0,
  ASSIGNED INTEGER DEFAULT 0, BILLED INTEGER DEFAULT 0, CANCELED INTEGER DEFAULT 0,
  BILLDATE DATETIME, CANDATE DATETIME, AMOUNT1 REAL, AMOUNT2 REAL, AMOUNT3 REAL, AMOUNT4 REAL,
  AMOUNT5 REAL, Bill INTEGER DEFAULT 0, NumVeh INTEGER, "INVOICE_COMMENT#1" TEXT COLLATE NOCASE,
  TripCom TEXT COLLATE NOCASE DEFAULT 'none');
INSERT INTO TRIPS (TRIPNUM, CUSTOMER, BILLCUST, DESTINATION, DEPDATE, DEPTIME, TRIPCAT, FUND,
  GRADE, NUMSTUDENTS, NUMADULTS, ASSIGNED, BILLED, CANCELED, BILLDATE, AMOUNT1, AMOUNT5) VALUES
  (1, 'LHS', 'EMS', 1, '2024-03-05 00:00:00', '1899-12-30 08:00:00', 'FT', '100', '09', 20, 2,
   1, 1, 0, '2024-03-10 14:30:00', 10, 0),
  (2, 'LHS', NULL, 2, '2024-03-06 00:00:00', '1899-12-30 09:15:00', 'FT', '200', NULL, 30, 3,
   0, 0, 1, NULL, 0, 0),
  (3, 'EMS', NULL, 1, '2024-03-07 00:00:00', NULL, '', '100', '10', 10, 1, 0, 0, 0, NULL, 0, 4),
  (4, 'EMS', NULL, 99, '2024-03-04 00:00:00', NULL, 'SP', '100', '10', 5, 1, 1, 0, 0, NULL,
   0, 0);
CREATE TABLE TRIPSPLIT (TRIPNUM INTEGER, FUND TEXT COLLATE NOCASE);
INSERT INTO TRIPSPLIT VALUES (1, '200'), (1, '300'), (3, '200');
CREATE TABLE TRIPEMPLOYEES (TRIPNUM INTEGER, HOURS REAL, MILES REAL);
INSERT INTO TRIPEMPLOYEES VALUES (1, 2.5, 40), (1, 1.5, 10), (2, 3, 25), (3, 1, 5);
CREATE TABLE ARDETAIL (TRIPNUM INTEGER, TRANAMT REAL, TRANCODE TEXT COLLATE NOCASE);
INSERT INTO ARDETAIL VALUES (1, 100, 'BIL'), (1, -40, 'PAY'), (2, 50, 'BIL'), (2, 5, 'ADJ'),
  (3, 20, 'BIL');
CREATE TABLE Big_CalCalNotes (NoteDate DATETIME, NoteText TEXT COLLATE NOCASE,
  NoteSeverity INTEGER, Note_SchoolClosed INTEGER);
INSERT INTO Big_CalCalNotes VALUES ('2024-03-05 00:00:00', 'Spring break', 2, 1);

CREATE TABLE KRSCU (KRSC1 TEXT COLLATE NOCASE, KRSC2 TEXT COLLATE NOCASE,
  CUSTOMER TEXT COLLATE NOCASE, ROLE TEXT COLLATE NOCASE, EMAIL TEXT COLLATE NOCASE);
INSERT INTO KRSCU VALUES ('  jsmith ', 'pw', 'LHS', 'PRINCIPAL', 'js@example.org'),
  ('all', 'pw', '', 'PRINCIPAL', 'all@example.org'),
  ('nobody', 'pw', NULL, 'PRINCIPAL', 'nobody@example.org'),
  ('other', 'pw', 'EMS', 'PRINCIPAL', 'other@example.org'),
  ('clerk', 'pw', 'LHS', 'CLERK', 'clerk@example.org');
CREATE TABLE KRSCC (CHAINID TEXT COLLATE NOCASE, Active INTEGER,
  LEVEL1APPROVER TEXT COLLATE NOCASE, Level1Status TEXT COLLATE NOCASE);
INSERT INTO KRSCC VALUES ('CH1', 1, 'PRINCIPAL', 'Principal OK'), ('CH2', 0, 'CLERK', 'x');

CREATE TABLE TRIPSREQ (TRIPNUM INTEGER PRIMARY KEY AUTOINCREMENT, ENTEREDBY TEXT COLLATE NOCASE,
  enterdate DATETIME, REQDATE DATETIME, Status TEXT COLLATE NOCASE, STATUS_DATE DATETIME,
  STATUS_COMMENT TEXT COLLATE NOCASE, chainid TEXT COLLATE NOCASE, CUSTOMER TEXT COLLATE NOCASE,
  DESTINATION INTEGER, destdesc TEXT COLLATE NOCASE, DEPDATE DATETIME, DEPTIME DATETIME,
  RETDATE DATETIME, RETTIME DATETIME, ARRIVETIME DATETIME, LEAVETIME DATETIME,
  GRADE TEXT COLLATE NOCASE, FUND TEXT COLLATE NOCASE, TRIPCAT TEXT COLLATE NOCASE,
  INTTRIPNUM TEXT COLLATE NOCASE, CONTACT TEXT COLLATE NOCASE, FIELDTRIP_NUM INTEGER,
  NUMSTUDENTS INTEGER, NUMADULTS INTEGER, PURPOSE TEXT COLLATE NOCASE, MILES REAL,
  estTime REAL, CALCNUMDRIVERS INTEGER);
INSERT INTO TRIPSREQ (TRIPNUM, ENTEREDBY, REQDATE, Status, STATUS_DATE, chainid, CUSTOMER,
  DESTINATION, destdesc, DEPDATE, DEPTIME, NUMSTUDENTS, NUMADULTS) VALUES
  (1, 'jsmith', '2024-03-01 15:45:00', 'UNAPPROVED', '2024-03-01 15:45:00', 'CH1', 'LHS', 1,
   NULL, '2024-04-10 00:00:00', '1899-12-30 08:00:01', 20, 2),
  (2, 'jsmith', '2024-03-02 09:00:00', 'Principal OK', '2024-03-03 10:00:00', 'CH1', 'LHS', 0,
   'Beach', '2024-04-11 00:00:00', NULL, 15, 1),
  (3, 'other', '2024-03-02 10:00:00', 'Pending', NULL, NULL, 'EMS', 2, NULL,
   '2024-04-09 00:00:00', NULL, NULL, NULL);
COMMIT;
)sql";

// Registers the boolean columns of the tables above (the schema does the same for the real
// files).
inline void registerTestBooleans() {
  for (const char* column : {"SHUTTLE", "ASSIGNED", "BILLED", "CANCELED", "Bill"})
    registerBooleanColumn("TRIPS", column);
  for (const char* table : {"CUSTOMER", "FUND", "DESTINATION"})
    registerBooleanColumn(table, "ACTIVE");
  registerBooleanColumn("Big_CalCalNotes", "Note_SchoolClosed");
}

// Every row of a query, each field as text ("<null>" for null) in the order of the fields.
inline std::vector<std::vector<std::string>> allRows(Connection& connection, std::string_view sql) {
  Recordset rs;
  rs.open(sql, connection);
  std::vector<std::vector<std::string>> rows;
  while (!rs.eof()) {
    std::vector<std::string> row;
    for (int i = 0; i < rs.fieldCount(); ++i) {
      Value v = rs.field(rs.fieldName(i));
      row.push_back(v.isNull() ? "<null>" : vb::CStr(v));
    }
    rows.push_back(std::move(row));
    rs.moveNext();
  }
  return rows;
}

// One column of every row of a query, as text.
inline std::vector<std::string> column(Connection& connection, std::string_view sql,
                                       std::string_view name) {
  Recordset rs;
  rs.open(sql, connection);
  std::vector<std::string> values;
  for (; !rs.eof(); rs.moveNext()) {
    Value v = rs.field(name);
    values.push_back(v.isNull() ? "<null>" : vb::CStr(v));
  }
  return values;
}

// The first column of the first row of a query in SQLite's SQL, as stored, read past the
// layer under test.
inline std::string storedText(Connection& connection, const char* sqliteSql) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(connection.handle(), sqliteSql, -1, &statement, nullptr);
  std::string result = "<no row>";
  if (statement && sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    result = text ? reinterpret_cast<const char*>(text) : "<null>";
  }
  sqlite3_finalize(statement);
  return result;
}

class TripDatabaseTest : public ::testing::Test {
 protected:
  TripDatabaseTest() : database_(kTripScript) {
    registerTestBooleans();
    db_.open(database_.path());
  }
  TempDatabase database_;
  Connection db_;
};

}  // namespace ravadid::db::testing

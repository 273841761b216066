#include "frame/schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "frame/db/database.h"

namespace ravadid::schema {
namespace {

// An SQLite database opened straight through the C API, in memory or in a file.
class RawDatabase {
 public:
  explicit RawDatabase(const std::string& path = ":memory:") {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
      ADD_FAILURE() << "cannot open " << path;
    }
  }
  ~RawDatabase() { sqlite3_close(db_); }
  RawDatabase(const RawDatabase&) = delete;
  RawDatabase& operator=(const RawDatabase&) = delete;

  sqlite3* get() const { return db_; }

  // Runs statements; returns SQLite's message, empty on success.
  std::string exec(const std::string& sql) const {
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    std::string text = rc == SQLITE_OK ? "" : (message ? message : "failed");
    sqlite3_free(message);
    return text;
  }

  // The first column of every row of a query, as text ("NULL" for null).
  std::vector<std::string> column(const std::string& sql) const {
    std::vector<std::string> values;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sqlite3_errmsg(db_) << " in " << sql;
      return values;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(statement, 0);
      values.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    sqlite3_finalize(statement);
    return values;
  }

  bool compiles(const std::string& sql, std::string* error) const {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr);
    if (rc != SQLITE_OK) *error = sqlite3_errmsg(db_);
    sqlite3_finalize(statement);
    return rc == SQLITE_OK;
  }

  std::set<std::string> tables() const {
    auto names =
        column("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
    return {names.begin(), names.end()};
  }

 private:
  sqlite3* db_ = nullptr;
};

struct ColumnInfo {
  std::string declaredType;
  std::string collation;
  bool notNull = false;
  bool primaryKey = false;
  bool autoIncrement = false;
};

ColumnInfo columnInfo(const RawDatabase& db, const std::string& table, const std::string& name) {
  const char* type = nullptr;
  const char* collation = nullptr;
  int notNull = 0, primaryKey = 0, autoIncrement = 0;
  int rc = sqlite3_table_column_metadata(db.get(), "main", table.c_str(), name.c_str(), &type,
                                         &collation, &notNull, &primaryKey, &autoIncrement);
  if (rc != SQLITE_OK) {
    ADD_FAILURE() << "no column " << table << "." << name;
    return {};
  }
  return {type ? type : "", collation ? collation : "", notNull != 0, primaryKey != 0,
          autoIncrement != 0};
}

const char* const kFiles[] = {"trip.mdb", "zqkrsc1.mdb", "Tripschl.mdb"};

TEST(SchemaDdl, EachFileCreatesOnAFreshDatabaseAndAgainOverItself) {
  for (const char* file : kFiles) {
    RawDatabase db;
    std::string ddl = schemaDdl(file);
    EXPECT_EQ(db.exec(ddl), "") << file;
    EXPECT_EQ(db.exec(ddl), "") << file << " run a second time";
    EXPECT_NO_THROW(createSchema(db.get(), file)) << file;
  }
}

TEST(SchemaDdl, EachFileHoldsExactlyItsOwnTables) {
  struct Case {
    const char* file;
    std::set<std::string> tables;
  };
  const Case cases[] = {
      {"trip.mdb", {"DISTRICT",      "TRIPREQ_REQUIRED",
                    "EMAIL_OPTIONS", "CUSTOMER",
                    "CUSTOMER_FUND", "CUSTOMER_TRIPCAT",
                    "DESTINATION",   "DESTCAT",
                    "FUND",          "GRADE",
                    "TRIPCAT",       "TRIPREQSTATUS",
                    "Division",      "VEHTYPE",
                    "SCHEDMAST",     "TRIPTICKET_TEMPLATE",
                    "BILLRATE",      "TRIPS",
                    "TRIPSPLIT",     "TRIPEMPLOYEES",
                    "ARDETAIL",      "Big_CalCalNotes"}},
      {"zqkrsc1.mdb", {"KRSCU", "KRSCC"}},
      {"Tripschl.mdb", {"TRIPSREQ", "TRIPREQ_HISTORY"}},
  };
  for (const Case& c : cases) {
    RawDatabase db;
    createSchema(db.get(), c.file);
    EXPECT_EQ(db.tables(), c.tables) << c.file;
  }
}

TEST(SchemaDdl, UnknownFileNameIsRefused) {
  EXPECT_THROW(schemaDdl("other.mdb"), std::invalid_argument);
  EXPECT_THROW(schemaDdl("TRIP.MDB"), std::invalid_argument);
  RawDatabase db;
  EXPECT_THROW(createSchema(db.get(), ""), std::invalid_argument);
  EXPECT_TRUE(db.tables().empty());
}

TEST(SchemaDdl, FailingCreationLeavesNoHalfSchema) {
  RawDatabase db;
  // A view named like a table of the file makes its CREATE TABLE fail part-way through.
  ASSERT_EQ(db.exec("CREATE VIEW \"TRIPS\" AS SELECT 1 AS x"), "");
  EXPECT_THROW(createSchema(db.get(), "trip.mdb"), std::runtime_error);
  EXPECT_TRUE(db.tables().empty());
}

// The request list, one customer's and everyone's, reads its rows in order from an index: a
// sort of a few hundred whole rows would cost more than the rest of the query.
TEST(SchemaIndexes, RequestListNeedsNoSort) {
  RawDatabase db;
  createSchema(db.get(), "Tripschl.mdb");
  const char* const queries[] = {
      "SELECT TRIPSREQ.TRIPNUM, TRIPSREQ.PURPOSE FROM TRIPSREQ WHERE TRIPSREQ.CUSTOMER = 'BEN'",
      "SELECT TRIPSREQ.TRIPNUM, TRIPSREQ.PURPOSE FROM TRIPSREQ",
  };
  for (const char* query : queries) {
    const std::string sql = "EXPLAIN QUERY PLAN " + db::translateSql(std::string(query) +
                                                                     " ORDER BY TRIPSREQ.DEPDATE, "
                                                                     "TRIPSREQ.DEPTIME, "
                                                                     "TRIPSREQ.DESTINATION");
    std::string plan;
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db.get());
    while (sqlite3_step(statement) == SQLITE_ROW)
      plan += reinterpret_cast<const char*>(sqlite3_column_text(statement, 3)) + std::string(";");
    sqlite3_finalize(statement);
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << query << ": " << plan;
    EXPECT_NE(plan.find("USING INDEX"), std::string::npos) << query << ": " << plan;
  }
}

TEST(SchemaIndexes, OlderFilesGetTheMissingIndexesAndOtherFilesAreLeftAlone) {
  const std::string indexes =
      "SELECT name FROM sqlite_master WHERE type = 'index' "
      "AND name NOT LIKE 'sqlite_%' ORDER BY name";
  RawDatabase older;
  createSchema(older.get(), "Tripschl.mdb");
  const std::vector<std::string> all = older.column(indexes);
  ASSERT_EQ(older.exec("DROP INDEX \"TRIPSREQ_departure\"; "
                       "DROP INDEX \"TRIPSREQ_CUSTOMER_departure\""),
            "");
  createMissingIndexes(older.get(), "Tripschl.mdb");
  EXPECT_EQ(older.column(indexes), all);
  createMissingIndexes(older.get(), "Tripschl.mdb");  // nothing left to add
  EXPECT_EQ(older.column(indexes), all);

  // A file without the tables gets neither tables nor indexes.
  RawDatabase other;
  createMissingIndexes(other.get(), "Tripschl.mdb");
  EXPECT_TRUE(other.tables().empty());
  EXPECT_TRUE(other.column(indexes).empty());
}

TEST(SchemaAddedTables, AnOlderRequestsFileGetsTheHistoryTableOthersAreLeftAlone) {
  RawDatabase older;
  createSchema(older.get(), "Tripschl.mdb");
  ASSERT_EQ(older.exec("INSERT INTO TRIPSREQ (TRIPNUM) VALUES (1); DROP TABLE TRIPREQ_HISTORY"),
            "");
  createAddedTables(older.get(), "Tripschl.mdb");
  createAddedTables(older.get(), "Tripschl.mdb");  // nothing left to add
  EXPECT_EQ(older.tables(), (std::set<std::string>{"TRIPSREQ", "TRIPREQ_HISTORY"}));
  EXPECT_EQ(older.column("SELECT name FROM sqlite_master WHERE name = 'TRIPREQ_HISTORY_TRIPNUM'"),
            std::vector<std::string>{"TRIPREQ_HISTORY_TRIPNUM"});
  EXPECT_EQ(older.column("SELECT COUNT(*) FROM TRIPSREQ"), std::vector<std::string>{"1"});

  // A file without the request table, and the other two files, get nothing.
  RawDatabase other;
  createAddedTables(other.get(), "Tripschl.mdb");
  createAddedTables(other.get(), "trip.mdb");
  EXPECT_TRUE(other.tables().empty());
}

TEST(SchemaKeys, RequestAndTripNumbersAreNeverReused) {
  struct Case {
    const char* file;
    const char* table;
  };
  for (const Case& c : {Case{"Tripschl.mdb", "TRIPSREQ"}, Case{"trip.mdb", "TRIPS"}}) {
    RawDatabase db;
    createSchema(db.get(), c.file);
    std::string table = c.table;
    std::string insert = "INSERT INTO " + table + " (CUSTOMER) VALUES ('LHS');";
    ASSERT_EQ(db.exec(insert + insert + insert), "");
    ASSERT_EQ(db.exec("DELETE FROM " + table + " WHERE TRIPNUM = 3;"), "");
    ASSERT_EQ(db.exec(insert), "");
    EXPECT_EQ(db.column("SELECT MAX(TRIPNUM) FROM " + table), std::vector<std::string>{"4"})
        << table << ": the deleted last number is not given again";
    ASSERT_EQ(db.exec("DELETE FROM " + table + ";" + insert), "");
    EXPECT_EQ(db.column("SELECT TRIPNUM FROM " + table), std::vector<std::string>{"5"})
        << table << ": an emptied table goes on counting";
  }
}

TEST(SchemaKeys, KeyColumns) {
  struct Case {
    const char* file;
    const char* table;
    const char* column;
    const char* declaredType;
    bool autoIncrement;
  };
  const Case cases[] = {
      {"Tripschl.mdb", "TRIPSREQ", "TRIPNUM", "INTEGER", true},
      {"trip.mdb", "TRIPS", "TRIPNUM", "INTEGER", true},
      {"trip.mdb", "CUSTOMER", "CUSTOMER", "TEXT", false},
      {"trip.mdb", "FUND", "FUND", "TEXT", false},
      {"trip.mdb", "DESTINATION", "DESTINATION", "INTEGER", false},
      {"trip.mdb", "BILLRATE", "BILLRATE", "INTEGER", false},
      {"zqkrsc1.mdb", "KRSCC", "CHAINID", "TEXT", false},
  };
  for (const Case& c : cases) {
    RawDatabase db;
    createSchema(db.get(), c.file);
    ColumnInfo info = columnInfo(db, c.table, c.column);
    EXPECT_TRUE(info.primaryKey) << c.table << "." << c.column;
    EXPECT_EQ(info.declaredType, c.declaredType) << c.table << "." << c.column;
    EXPECT_EQ(info.autoIncrement, c.autoIncrement) << c.table << "." << c.column;
  }
}

TEST(SchemaKeys, CodesDifferingOnlyInLetterCaseAreOneKey) {
  RawDatabase db;
  createSchema(db.get(), "trip.mdb");
  ASSERT_EQ(db.exec("INSERT INTO CUSTOMER (CUSTOMER) VALUES ('LHS')"), "");
  EXPECT_NE(db.exec("INSERT INTO CUSTOMER (CUSTOMER) VALUES ('lhs')"), "");
  EXPECT_NE(db.exec("INSERT INTO CUSTOMER (CUSTNAME) VALUES ('no code')"), "")
      << "a customer needs its code";
}

TEST(SchemaText, EqualityAndLikeIgnoreLetterCase) {
  struct Case {
    const char* file;
    const char* table;
    const char* column;
    const char* stored;
    const char* searched;
  };
  const Case cases[] = {
      {"zqkrsc1.mdb", "KRSCU", "KRSC1", "JSmith", "jsmith"},
      {"zqkrsc1.mdb", "KRSCC", "CHAINID", "ELEM", "elem"},
      {"Tripschl.mdb", "TRIPSREQ", "Status", "UNAPPROVED", "Unapproved"},
      {"Tripschl.mdb", "TRIPSREQ", "chainid", "Elem", "ELEM"},
      {"trip.mdb", "DISTRICT", "FUND_DD", "TRUE", "True"},
      {"trip.mdb", "FUND", "FUND", "gen-01", "GEN-01"},
  };
  for (const Case& c : cases) {
    RawDatabase db;
    createSchema(db.get(), c.file);
    std::string table = c.table, column = std::string("\"") + c.column + "\"";
    ASSERT_EQ(db.exec("INSERT INTO " + table + " (" + column + ") VALUES ('" + c.stored + "')"),
              "");
    EXPECT_EQ(
        db.column("SELECT COUNT(*) FROM " + table + " WHERE " + column + " = '" + c.searched + "'"),
        std::vector<std::string>{"1"})
        << table << "." << c.column;
    EXPECT_EQ(db.column("SELECT COUNT(*) FROM " + table + " WHERE " + column + " LIKE '" +
                        std::string(c.searched).substr(0, 2) + "%'"),
              std::vector<std::string>{"1"})
        << table << "." << c.column;
  }
}

TEST(SchemaText, EveryColumnHasOneOfTheStoredTypesAndTextIgnoresCase) {
  const std::set<std::string> storedTypes = {"TEXT", "INTEGER", "REAL", "DATETIME"};
  for (const char* file : kFiles) {
    RawDatabase db;
    createSchema(db.get(), file);
    for (const std::string& table : db.tables()) {
      for (const std::string& column :
           db.column("SELECT name FROM pragma_table_info('" + table + "')")) {
        ColumnInfo info = columnInfo(db, table, column);
        EXPECT_TRUE(storedTypes.count(info.declaredType))
            << table << "." << column << " is " << info.declaredType;
        if (info.declaredType == "TEXT") {
          EXPECT_EQ(info.collation, "NOCASE") << table << "." << column;
        }
      }
    }
  }
}

// Types other parts of the system depend on: flags compared with "True" are text, yes/no
// fields are booleans, amounts are REAL, dates and times DATETIME.
TEST(SchemaTypes, ColumnsHoldTheirValuesInTheAgreedForm) {
  struct Case {
    const char* file;
    const char* table;
    const char* column;
    const char* declaredType;
    bool notNull;
  };
  const Case cases[] = {
      {"trip.mdb", "DISTRICT", "DEFAULT_CALCNUMDRIVER", "TEXT", false},
      {"trip.mdb", "DISTRICT", "VIEW_OTHER_SCHOOLS", "TEXT", false},
      {"trip.mdb", "DISTRICT", "DEPDT_LEADTIME", "INTEGER", false},
      {"trip.mdb", "DISTRICT", "TOTAL_TRIPS_LIMIT", "INTEGER", false},
      {"trip.mdb", "TRIPREQ_REQUIRED", "INVOICE_COMMENT_REQ", "TEXT", false},
      {"trip.mdb", "EMAIL_OPTIONS", "APP_TREKKO_CHANGE", "TEXT", false},
      {"trip.mdb", "CUSTOMER", "ACTIVE", "INTEGER", true},
      {"trip.mdb", "CUSTOMER", "CUSTBILLRATE", "INTEGER", false},
      {"trip.mdb", "CUSTOMER", "DEFAULTCAP", "TEXT", false},
      {"trip.mdb", "DESTINATION", "MILES", "REAL", false},
      {"trip.mdb", "BILLRATE", "AMOUNT5", "REAL", false},
      {"trip.mdb", "ARDETAIL", "TRANAMT", "REAL", false},
      {"trip.mdb", "TRIPEMPLOYEES", "HOURS", "REAL", false},
      {"trip.mdb", "Big_CalCalNotes", "NoteDate", "DATETIME", false},
      {"trip.mdb", "Big_CalCalNotes", "NoteSeverity", "INTEGER", false},
      {"trip.mdb", "Big_CalCalNotes", "Note_SchoolClosed", "INTEGER", true},
      {"trip.mdb", "TRIPS", "CANCELED", "INTEGER", true},
      {"trip.mdb", "TRIPS", "Bill", "INTEGER", true},
      {"trip.mdb", "TRIPS", "BILLDATE", "DATETIME", false},
      {"trip.mdb", "TRIPS", "TRIPREQNUM", "INTEGER", false},
      {"zqkrsc1.mdb", "KRSCU", "SCTKFOVD", "TEXT", false},
      {"zqkrsc1.mdb", "KRSCC", "Active", "INTEGER", true},
      {"Tripschl.mdb", "TRIPSREQ", "CALCNUMDRIVERS", "INTEGER", true},
      {"Tripschl.mdb", "TRIPSREQ", "AUTOASSIGN", "INTEGER", true},
      {"Tripschl.mdb", "TRIPSREQ", "Type", "TEXT", false},
      {"Tripschl.mdb", "TRIPSREQ", "CAPACITY", "TEXT", false},
      {"Tripschl.mdb", "TRIPSREQ", "deptime", "DATETIME", false},
      {"Tripschl.mdb", "TRIPSREQ", "estTime", "REAL", false},
      {"Tripschl.mdb", "TRIPSREQ", "NUMHAND", "INTEGER", false},
      {"Tripschl.mdb", "TRIPSREQ", "DESTINATION", "INTEGER", false},
      {"Tripschl.mdb", "TRIPSREQ", "DESTCAT", "TEXT", false},
  };
  for (const Case& c : cases) {
    RawDatabase db;
    createSchema(db.get(), c.file);
    ColumnInfo info = columnInfo(db, c.table, c.column);
    EXPECT_EQ(info.declaredType, c.declaredType) << c.table << "." << c.column;
    EXPECT_EQ(info.notNull, c.notNull) << c.table << "." << c.column;
  }
}

TEST(SchemaTypes, BooleansOfANewRowAreFalseAndOtherColumnsNull) {
  RawDatabase db;
  createSchema(db.get(), "trip.mdb");
  ASSERT_EQ(db.exec("INSERT INTO TRIPS (CUSTOMER) VALUES ('LHS')"), "");
  EXPECT_EQ(db.column("SELECT ASSIGNED || BILLED || CANCELED || Bill || SHUTTLE FROM TRIPS"),
            std::vector<std::string>{"00000"});
  EXPECT_EQ(db.column("SELECT DEPTIME FROM TRIPS"), std::vector<std::string>{"NULL"});
  EXPECT_EQ(db.column("SELECT NumVeh FROM TRIPS"), std::vector<std::string>{"NULL"});
}

// Creating a trip copies these request columns into the trip row of the same name.
TEST(SchemaColumns, TripCreationFindsEveryColumnInRequestAndTrip) {
  const char* const copied[] = {"BillRate",       "ReqDate",
                                "Fund",           "Customer",
                                "BillCust",       "Contact",
                                "Destination",    "DepDate",
                                "DepTime",        "RetDate",
                                "RetTime",        "ArriveTime",
                                "LeaveTime",      "EstMile",
                                "EstTime",        "NumStudents",
                                "NumAdults",      "NumHand",
                                "Purpose",        "DestSpec",
                                "OutOfTown",      "Schedule",
                                "Schedule2",      "Schedule3",
                                "Schedule4",      "Schedule5",
                                "CALCNUMDRIVERS", "Type",
                                "NUMTYPE",        "Capacity",
                                "AddlType",       "NumAddl",
                                "CustSpec",       "DropRet",
                                "AutoAssign",     "PO",
                                "INTTRIPNUM",     "TRIPCAT",
                                "AMOUNTTXT1",     "AMOUNTTXT5",
                                "AMOUNT1",        "AMOUNT5",
                                "GRADE",          "SPLIT",
                                "INVOICE_FORMAT", "\"INVOICE_COMMENT#1\"",
                                "MULTIDEST",      "SHUTTLE",
                                "TICKET_FORMAT",  "NUMCHAR"};
  const char* const tripOnly[] = {"TRIPREQNUM", "Bill",   "Assigned", "Billed",
                                  "Canceled",   "NumVeh", "TripCom"};
  RawDatabase requests, trips;
  createSchema(requests.get(), "Tripschl.mdb");
  createSchema(trips.get(), "trip.mdb");
  std::string error;
  for (const char* column : copied) {
    EXPECT_TRUE(requests.compiles(std::string("SELECT ") + column + " FROM TRIPSREQ", &error))
        << error;
    EXPECT_TRUE(trips.compiles(std::string("SELECT ") + column + " FROM TRIPS", &error)) << error;
  }
  for (const char* column : tripOnly) {
    EXPECT_TRUE(trips.compiles(std::string("SELECT ") + column + " FROM TRIPS", &error)) << error;
  }
}

TEST(SchemaColumns, NameWithNumberSignIsUsableQuoted) {
  RawDatabase db;
  createSchema(db.get(), "trip.mdb");
  ASSERT_EQ(db.exec("INSERT INTO TRIPS (\"INVOICE_COMMENT#1\") VALUES ('net 30')"), "");
  EXPECT_EQ(db.column("SELECT \"invoice_comment#1\" FROM TRIPS"),
            std::vector<std::string>{"net 30"});
}

TEST(SchemaColumns, DescriptionMatchesTheCreatedTables) {
  std::set<std::string> described;
  for (const TableSchema& table : schemaTables()) {
    RawDatabase db;
    createSchema(db.get(), table.file);
    EXPECT_EQ(
        db.column("SELECT COUNT(*) FROM pragma_table_info('" + std::string(table.name) + "')"),
        std::vector<std::string>{std::to_string(table.columns.size())})
        << table.name;
    EXPECT_TRUE(described.insert(table.name).second) << table.name << " described twice";
  }
  EXPECT_EQ(described.size(), 26u);
}

// Reading through the database layer: yes/no columns come back as booleans, text flags as text.
class SchemaRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    path_ =
        std::filesystem::temp_directory_path() /
        ("ravadid-schema-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".mdb");
    std::filesystem::remove(path_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  std::filesystem::path path_;
};

TEST_F(SchemaRegistration, YesNoColumnsReadAsBooleansAndTextFlagsAsText) {
  {
    RawDatabase db(path_.string());
    createSchema(db.get(), "trip.mdb");
    ASSERT_EQ(db.exec("INSERT INTO CUSTOMER (CUSTOMER, ACTIVE) VALUES ('LHS', 1);"
                      "INSERT INTO DISTRICT (FUND_DD) VALUES ('True');"
                      "INSERT INTO TRIPS (CUSTOMER, CANCELED) VALUES ('LHS', 0);"),
              "");
  }
  // Registration is done once however often and from however many threads it is asked for.
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) threads.emplace_back(registerSchemaColumnTypes);
  for (std::thread& t : threads) t.join();
  registerSchemaColumnTypes();

  db::Connection connection;
  connection.open(path_.string());
  struct Case {
    const char* sql;
    const char* field;
    const char* expected;  // a boolean as "True"/"False", text as itself
    bool boolean;
  };
  const Case cases[] = {
      {"SELECT * FROM CUSTOMER", "ACTIVE", "True", true},
      {"SELECT CUSTOMER.active FROM CUSTOMER", "active", "True", true},
      {"SELECT * FROM TRIPS", "CANCELED", "False", true},
      {"SELECT * FROM TRIPS", "Bill", "False", true},
      {"SELECT * FROM DISTRICT", "FUND_DD", "True", false},
  };
  for (const Case& c : cases) {
    db::Recordset records;
    records.open(c.sql, connection);
    ASSERT_FALSE(records.eof()) << c.sql;
    Value value = records.field(c.field);
    if (c.boolean) {
      ASSERT_TRUE(value.isBoolean()) << c.sql << " / " << c.field;
      EXPECT_EQ(value.asBoolean() ? "True" : "False", std::string(c.expected)) << c.field;
    } else {
      ASSERT_TRUE(value.isText()) << c.sql << " / " << c.field;
      EXPECT_EQ(value.asText(), c.expected) << c.field;
    }
    records.close();
  }
  connection.close();
}

}  // namespace
}  // namespace ravadid::schema

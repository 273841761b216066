#include "approval/trip_creation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/application.h"
#include "frame/pages.h"
#include "support/fake_exchange.h"
#include "support/sqlite_exec.h"
#include "support/sqlite_query.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::sqliteExec;
using testing::sqliteValue;
using testing::TempInstallation;

class TripCreationTest : public ::testing::Test {
 protected:
  TripCreationTest() : web_(site_.installation(), makeStandardPages()), app_(web_, ex_) {
    web_.applicationStore().set("APP_PATH", site_.installation().siteText());
  }

  void requests(const std::string& sql) { sqliteExec(site_.dataFolder() / "Tripschl.mdb", sql); }
  std::string request(const std::string& sql) {
    return sqliteValue(site_.dataFolder() / "Tripschl.mdb", sql);
  }
  std::string trips(const std::string& sql) {
    return sqliteValue(site_.dataFolder() / "trip.mdb", sql);
  }
  // A column of a trip as SQL quotes it: NULL, a number or a quoted text.
  std::string tripColumn(int32_t trip, const std::string& column) {
    return trips("SELECT quote(\"" + column +
                 "\") FROM TRIPS WHERE TRIPNUM = " + std::to_string(trip));
  }

  // CreateTrip under a trap of the test's own, as a caller runs it.
  int32_t create(int32_t requestNumber) {
    int32_t trip = 0;
    app_.run({.name = "Caller", .writesReport = false}, [&] {
      trip = CreateTrip(app_, requestNumber);
      app_.closeStep();
    });
    return trip;
  }

  // Gives TRIPS columns defaults, so that a column the insert leaves out shows as its default.
  void giveTripDefaults(const std::vector<std::pair<std::string, std::string>>& defaults) {
    std::string ddl = trips("SELECT sql FROM sqlite_master WHERE name = 'TRIPS'");
    for (const auto& [column, value] : defaults) {
      for (const char* type : {" DATETIME", " TEXT COLLATE NOCASE", " INTEGER"}) {
        const std::string definition = "\"" + column + "\"" + type;
        if (std::size_t at = ddl.find(definition + ","); at != std::string::npos) {
          ddl.insert(at + definition.size(), " DEFAULT " + value);
          break;
        }
      }
    }
    sqliteExec(site_.dataFolder() / "trip.mdb", "DROP TABLE TRIPS; " + ddl);
  }

  TempInstallation site_;
  WebApplication web_;
  FakeExchange ex_;
  Ravadid app_;
};

TEST_F(TripCreationTest, DestinationIsTheRequestsWhenAboveZeroElseZero) {
  requests(
      "INSERT INTO TRIPSREQ (TRIPNUM, CUSTOMER, DESTINATION) VALUES (1, 'LHS', NULL),"
      " (2, 'LHS', 0), (3, 'LHS', -3), (4, 'LHS', 12)");
  const std::pair<int32_t, const char*> cases[] = {{1, "0"}, {2, "0"}, {3, "0"}, {4, "12"}};
  for (const auto& [number, destination] : cases) {
    const int32_t trip = create(number);
    ASSERT_EQ(app_.errorText(), "NA") << number;
    EXPECT_EQ(tripColumn(trip, "DESTINATION"), destination) << "request " << number;
  }
}

TEST_F(TripCreationTest, NullColumnsAreCopiedOrLeftAtTheDefaultByTheirRule) {
  giveTripDefaults({{"DEPDATE", "'2001-01-01 00:00:00'"},
                    {"DEPTIME", "'1899-12-30 06:00:00'"},
                    {"RETDATE", "'2001-01-02 00:00:00'"},
                    {"RETTIME", "'1899-12-30 18:00:00'"},
                    {"CONTACT", "'none'"},
                    {"PURPOSE", "'none'"},
                    {"SCHEDULE", "'none'"},
                    {"Schedule2", "'none'"},
                    {"Capacity", "'none'"},
                    {"NUMTYPE", "9"},
                    {"GRADE", "'none'"}});
  requests("INSERT INTO TRIPSREQ (TRIPNUM, CUSTOMER) VALUES (7, 'LHS')");
  const int32_t trip = create(7);
  ASSERT_EQ(app_.errorText(), "NA");
  const std::pair<const char*, const char*> expected[] = {
      {"DEPDATE", "NULL"},  // always copied
      {"DEPTIME", "'1899-12-30 06:00:00'"},
      {"RETDATE", "NULL"},
      {"RETTIME", "'1899-12-30 18:00:00'"},
      {"CONTACT", "NULL"},
      {"PURPOSE", "'none'"},
      {"SCHEDULE", "NULL"},
      {"Schedule2", "'none'"},
      {"Capacity", "NULL"},
      {"NUMTYPE", "9"},
      {"GRADE", "'none'"},
  };
  for (const auto& [column, value] : expected) EXPECT_EQ(tripColumn(trip, column), value) << column;
}

TEST_F(TripCreationTest, NewTripHasTheFixedValuesTheRequestsColumnsAndItsLink) {
  requests(
      "INSERT INTO TRIPSREQ (TRIPNUM, CUSTOMER, BILLCUST, CONTACT, depdate, deptime, Type,"
      " NUMTYPE, SCHEDULE, Schedule3, CAPACITY, \"INVOICE_COMMENT#1\", AMOUNT2, AMOUNTTXT2, Status,"
      " FIELDTRIP_NUM) VALUES (41, ' O''BRIEN ', 'LHS', 'Mrs. Keane', '2026-03-12 00:00:00',"
      " '1899-12-30 09:30:00', 'BUS', 2, 'A1', 'C3', '48', 'Car seats', 12.5, 'Per hour',"
      " 'ACCEPTED', NULL)");
  // An earlier trip of the same customer: the new one gets a number of its own.
  sqliteExec(site_.dataFolder() / "trip.mdb",
             "INSERT INTO TRIPS (TRIPNUM, CUSTOMER) VALUES (5000, 'O''BRIEN')");
  const int32_t trip = create(41);
  ASSERT_EQ(app_.errorText(), "NA");
  EXPECT_EQ(trip, 5001);
  EXPECT_EQ(trips("SELECT MAX(TRIPNUM) FROM TRIPS"), "5001");
  const std::pair<const char*, const char*> expected[] = {
      {"TRIPREQNUM", "41"},
      {"Bill", "1"},
      {"ASSIGNED", "0"},
      {"BILLED", "0"},
      {"CANCELED", "0"},
      {"NumVeh", "0"},
      {"TripCom", "' '"},
      {"CUSTOMER", "' O''BRIEN '"},
      {"BILLCUST", "'LHS'"},
      {"CONTACT", "'Mrs. Keane'"},
      {"DEPDATE", "'2026-03-12 00:00:00'"},
      {"DEPTIME", "'1899-12-30 09:30:00'"},
      {"Type", "'BUS'"},
      {"NUMTYPE", "2"},
      {"SCHEDULE", "'A1'"},
      {"Schedule3", "'C3'"},
      {"Capacity", "'48'"},
      {"INVOICE_COMMENT#1", "'Car seats'"},
      {"AMOUNT2", "12.5"},
      {"AMOUNTTXT2", "'Per hour'"},
  };
  for (const auto& [column, value] : expected) EXPECT_EQ(tripColumn(trip, column), value) << column;
  // The request itself is not changed.
  EXPECT_EQ(request("SELECT quote(FIELDTRIP_NUM) || Status FROM TRIPSREQ WHERE TRIPNUM = 41"),
            "NULLACCEPTED");
}

TEST_F(TripCreationTest, MissingRequestReachesTheCallersTrapAndStoresNothing) {
  EXPECT_EQ(create(99), 0);
  EXPECT_EQ(
      app_.errorText().rfind("Error in Procedure: Caller of Module: Ravadid.  Error: 3021.", 0), 0u)
      << app_.errorText();
  EXPECT_EQ(trips("SELECT COUNT(*) FROM TRIPS"), "0");
}

}  // namespace
}  // namespace ravadid

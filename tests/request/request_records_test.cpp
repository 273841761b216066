#include "request/request_records.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "frame/application.h"
#include "frame/errors.h"
#include "frame/pages.h"
#include "frame/text.h"
#include "support/fake_exchange.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::sqliteExec;
using testing::TempInstallation;

// The first column of the first row as text ("<null>" for null, "<none>" without a row).
std::string queryText(const std::filesystem::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + file.string());
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    std::string message = sqlite3_errmsg(db);
    sqlite3_close(db);
    throw std::runtime_error(message + " in: " + sql);
  }
  std::string result = "<none>";
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(stmt, 0);
    result = text ? reinterpret_cast<const char*>(text) : "<null>";
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return result;
}

class RequestRecordsTest : public ::testing::Test {
 protected:
  RequestRecordsTest() : web_(site_.installation(), makeStandardPages()), app_(web_, ex_) {
    web_.applicationStore().set("APP_PATH", site_.installation().siteText());
    trip(
        "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, CUSTBILLRATE, CUSTSPEC, DEFAULTCAP,"
        " cust_default_format, CHAINID, CUSTDIV, REQUESTOR_EMAIL, ACTIVE) VALUES"
        " ('LINC', 'Lincoln Elementary', 3, 'Use the side door', 'Large', 'LINC_INVOICE',"
        "  '  CH1  ', 'EAST', 'office@linc.example', 1),"
        " ('BARE', 'Bare School', NULL, NULL, NULL, NULL, NULL, NULL, NULL, 1),"
        " ('O''NEIL', 'O''Neil Academy', 4, NULL, NULL, NULL, NULL, NULL, NULL, 1),"
        " ('HUGE', 'Huge Rate', 70000, NULL, NULL, NULL, NULL, NULL, NULL, 1);"
        "INSERT INTO DESTINATION (DESTINATION, DESTDESC, DESTADD1, DESTADD2, DESTSPEC, MILES,"
        " ACTIVE) VALUES (5, 'City Zoo', '1 Zoo Way', 'Gate B', 'Meet at the gate', 12.5, 1),"
        " (6, NULL, NULL, NULL, NULL, NULL, 1);"
        "INSERT INTO FUND (FUND, FUNDDESC, ACTIVE) VALUES ('GEN', 'General', 1),"
        " ('OLD', 'Old money', 0), ('NODESC', NULL, 1), (' PAD', 'Padded code', 1),"
        " ('O''K', 'Quoted fund', 1), ('SPORT', 'Athletics', 1);"
        "INSERT INTO CUSTOMER_FUND (CUSTOMER, FUND) VALUES ('LINC', 'GEN'), ('LINC', 'OLD'),"
        " ('WASH', 'SPORT');"
        "INSERT INTO BILLRATE (BILLRATE, AMOUNT1, AMOUNT2, AMOUNT3, AMOUNT4, AMOUNT5,"
        " AMOUNTTXT1, AMOUNTTXT2, AMOUNTTXT3, AMOUNTTXT4, AMOUNTTXT5) VALUES"
        " (3, 1.5, 2.25, NULL, 40, 0.1, 'Per mile', 'Per hour', NULL, 'Flat', 'Fuel')");
    requests(
        "INSERT INTO TRIPSREQ (TRIPNUM, CUSTOMER, Status, DESTINATION, DESTDESC, DESTCAT,"
        " DESTADD1, DESTADD2, DESTCITY, DESTZIP, DESTSPEC, MILES, DESTSTATE) VALUES"
        " (41, 'LINC', 'Pending', 0, '  Science Center ', 'MUSEUM', ' 9 Main St ', NULL,"
        "  'Springfield', '12345', 'Park in back', 7.5, ' IL '),"
        " (42, 'LINC', 'Pending', 5, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        " (43, 'LINC', 'Pending', 0, 'Keep me', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
  }

  void trip(const std::string& sql) { sqliteExec(site_.dataFolder() / "trip.mdb", sql); }
  void requests(const std::string& sql) { sqliteExec(site_.dataFolder() / "Tripschl.mdb", sql); }
  std::string request(const std::string& sql) {
    return queryText(site_.dataFolder() / "Tripschl.mdb", sql);
  }
  // Opens the three connections as a handler does before calling the loaders that use them.
  void connect() { ASSERT_TRUE(app_.databasePreamble()) << app_.errorText(); }

  TempInstallation site_;
  WebApplication web_;
  FakeExchange ex_;
  Ravadid app_;
};

// ---- getcust --------------------------------------------------------------------------------

TEST_F(RequestRecordsTest, GetcustLoadsEveryCustomerValueAndTrimsTheChain) {
  getcust(app_, "LINC");
  EXPECT_EQ(ex_.body, "");
  const CustomerValues& c = app_.record.customer;
  EXPECT_EQ(c.name, "Lincoln Elementary");
  EXPECT_EQ(c.billRate, 3);
  EXPECT_EQ(c.specialInstructions, "Use the side door");
  EXPECT_EQ(c.defaultCapacity, "Large");
  EXPECT_EQ(c.invoiceFormat, "LINC_INVOICE");
  EXPECT_EQ(c.defaultChain, "CH1");
  EXPECT_EQ(c.division, "EAST");
  EXPECT_EQ(c.requestorEmail, "office@linc.example");
}

TEST_F(RequestRecordsTest, GetcustOfAnUnknownCustomerLeavesTheDefaultsAndKeepsTheBillRate) {
  getcust(app_, "LINC");
  getcust(app_, "NOPE");
  EXPECT_EQ(ex_.body, "");
  const CustomerValues& c = app_.record.customer;
  EXPECT_EQ(c.name, "Not Found");
  EXPECT_EQ(c.billRate, 3);  // the previous customer's
  EXPECT_EQ(c.specialInstructions, " ");
  EXPECT_EQ(c.defaultCapacity, "Medium");
  EXPECT_EQ(c.invoiceFormat, "PLX_INVOICE");
  EXPECT_EQ(c.defaultChain, "");
  EXPECT_EQ(c.division, " ");
  EXPECT_EQ(c.requestorEmail, "");
}

TEST_F(RequestRecordsTest, GetcustKeepsTheDefaultForEveryNullColumn) {
  getcust(app_, "LINC");
  getcust(app_, "BARE");
  const CustomerValues& c = app_.record.customer;
  EXPECT_EQ(c.name, "Bare School");
  EXPECT_EQ(c.billRate, 3);
  EXPECT_EQ(c.specialInstructions, " ");
  EXPECT_EQ(c.defaultCapacity, "Medium");
  EXPECT_EQ(c.invoiceFormat, "PLX_INVOICE");
  EXPECT_EQ(c.defaultChain, "");
  EXPECT_EQ(c.division, " ");
  EXPECT_EQ(c.requestorEmail, "");
}

TEST_F(RequestRecordsTest, GetcustTakesAQuoteInTheCodeLiterally) {
  getcust(app_, "O'NEIL");
  EXPECT_EQ(app_.record.customer.name, "O'Neil Academy");
  getcust(app_, "x' OR '1'='1");
  EXPECT_EQ(ex_.body, "");
  EXPECT_EQ(app_.record.customer.name, "Not Found");
}

TEST_F(RequestRecordsTest, GetcustClosesOnlyTheConnectionsItOpened) {
  getcust(app_, "LINC");
  EXPECT_FALSE(app_.tripDb().isOpen());

  connect();
  getcust(app_, "O'NEIL");
  EXPECT_TRUE(app_.tripDb().isOpen());
  EXPECT_EQ(app_.record.customer.name, "O'Neil Academy");
  app_.closeStep();
}

TEST_F(RequestRecordsTest, GetcustReportsAFailureUnderTheNameGetCust) {
  getcust(app_, "HUGE");  // a bill rate beyond 16 bits
  const std::string report =
      "Error in Procedure: getCust of Module: Ravadid.  Error: 6.  Overflow.";
  EXPECT_EQ(app_.errorText(), report);
  EXPECT_EQ(ex_.body, report);
  EXPECT_FALSE(app_.tripDb().isOpen());
}

TEST_F(RequestRecordsTest, GetcustWithoutTheDataFileReportsTheConnectionFailure) {
  std::filesystem::remove(site_.dataFolder() / "trip.mdb");
  getcust(app_, "LINC");
  EXPECT_EQ(app_.errorText().rfind(
                "Error in Procedure: SetTripDBConnections of Module: ChkEligWeb.  ", 0),
            0u)
      << app_.errorText();
  EXPECT_EQ(ex_.body, htmlEscape(app_.errorText()));  // the data folder may hold any character
  EXPECT_EQ(app_.record.customer.name, "Not Found");
}

TEST_F(RequestRecordsTest, LaterProceduresSkipTheirWorkAndWriteTheReportAgain) {
  app_.errorText() = "Earlier failure.";
  getcust(app_, "LINC");
  EXPECT_EQ(app_.record.customer.name, "Not Found");  // never loaded
  EXPECT_EQ(getFundDesc(app_, "GEN"), "NOFUND");
  EXPECT_EQ(ex_.body, "Earlier failure.Earlier failure.");
}

// ---- getdest --------------------------------------------------------------------------------

TEST_F(RequestRecordsTest, GetdestLoadsTheDestinationAndReturnsItsInstructions) {
  connect();
  EXPECT_EQ(getdest(app_, "5"), "Meet at the gate");
  const DestinationValues& d = app_.record.destination;
  EXPECT_EQ(d.description, "City Zoo");
  EXPECT_FLOAT_EQ(d.miles, 12.5f);
  EXPECT_EQ(d.address1, "1 Zoo Way");
  EXPECT_EQ(d.address2, "Gate B");
  EXPECT_EQ(ex_.body, "");
}

TEST_F(RequestRecordsTest, GetdestReadsNullColumnsAsTheirDefaults) {
  connect();
  getdest(app_, "5");
  EXPECT_EQ(getdest(app_, " 6 "), "");
  const DestinationValues& d = app_.record.destination;
  EXPECT_EQ(d.description, "");
  EXPECT_FLOAT_EQ(d.miles, 0);
  EXPECT_EQ(d.address1, " ");
  EXPECT_EQ(d.address2, " ");
}

TEST_F(RequestRecordsTest, GetdestOfZeroBlankOrUnknownReadsNothingAndResetsTheValues) {
  connect();
  for (const char* dest : {"0", "", "   ", "999"}) {
    getdest(app_, "5");
    EXPECT_EQ(getdest(app_, dest), "") << dest;
    EXPECT_EQ(app_.record.destination.description, "") << dest;
    EXPECT_FLOAT_EQ(app_.record.destination.miles, 0) << dest;
    EXPECT_EQ(app_.record.destination.address1, "") << dest;
  }
  EXPECT_EQ(ex_.body, "");
}

TEST_F(RequestRecordsTest, GetdestOfANonNumberIsATypeMismatch) {
  connect();
  EXPECT_EQ(getdest(app_, "5 OR 1=1"), "");
  const std::string report =
      "Error in Procedure: getdest of Module: Ravadid.  Error: 13.  Type mismatch.";
  EXPECT_EQ(app_.errorText(), report);
  EXPECT_EQ(ex_.body, report);
  EXPECT_FALSE(app_.tripDb().isOpen());
}

// ---- getFundDesc ----------------------------------------------------------------------------

TEST_F(RequestRecordsTest, GetFundDescWithoutCustomerFundsChecksOnlyTheFund) {
  struct Case {
    const char* fund;
    const char* customer;
    const char* description;
  };
  const Case cases[] = {
      {"GEN", "", "General"},
      {"GEN", "WASH", "General"},  // the customer is not looked at
      {"OLD", "", "NOFUND"},       // inactive
      {"NODESC", "", "No Description"},
      {"  PAD ", "", "Padded code"},  // trimmed on both sides
      {"gen", "", "General"},         // codes compare as the database compares text
      {"O'K", "", "Quoted fund"},
      {"x' OR '1'='1", "", "NOFUND"},
      {"", "", "NOFUND"},
  };
  connect();
  for (const Case& c : cases)
    EXPECT_EQ(getFundDesc(app_, c.fund, c.customer), c.description) << c.fund;
  EXPECT_EQ(ex_.body, "");
}

TEST_F(RequestRecordsTest, GetFundDescWithCustomerFundsChecksTheCustomerUnlessTheUserMayOverride) {
  web_.applicationStore().set("DISTRICT.USECUSTFUND", "True");
  struct Case {
    const char* canOverride;
    const char* fund;
    const char* customer;
    const char* description;
  };
  const Case cases[] = {
      {"False", "GEN", "LINC", "General"},
      {"False", " GEN ", "LINC", "General"},
      {"False", "SPORT", "LINC", "NOFUND"},  // another customer's fund
      {"False", "OLD", "LINC", "NOFUND"},    // the customer's, but inactive
      {"False", "GEN", "", "NOFUND"},
      {"False", "GEN", "x' OR '1'='1", "NOFUND"},
      {"True", "SPORT", "LINC", "Athletics"},  // the override lifts the customer rule
      {"TRUE", "SPORT", "LINC", "Athletics"},
      {"True", "OLD", "LINC", "NOFUND"},  // but not the active rule
  };
  connect();
  for (const Case& c : cases) {
    ex_.sessionStore.set("CANOVERRIDEFUND", c.canOverride);
    EXPECT_EQ(getFundDesc(app_, c.fund, c.customer), c.description)
        << c.canOverride << " " << c.fund << " " << c.customer;
  }
  EXPECT_EQ(ex_.body, "");
}

// ---- getBILLRATEFlat ------------------------------------------------------------------------

TEST_F(RequestRecordsTest, GetBillRateFlatLoadsTheAmountsAndKeepsDefaultsForNulls) {
  connect();
  getBILLRATEFlat(app_, 3);
  const BillingValues& b = app_.record.billing;
  EXPECT_FLOAT_EQ(b.amounts[0], 1.5f);
  EXPECT_FLOAT_EQ(b.amounts[1], 2.25f);
  EXPECT_FLOAT_EQ(b.amounts[2], 0);
  EXPECT_FLOAT_EQ(b.amounts[3], 40);
  EXPECT_FLOAT_EQ(b.amounts[4], 0.1f);
  EXPECT_EQ(b.amountTexts,
            (std::array<std::string, 5>{"Per mile", "Per hour", " ", "Flat", "Fuel"}));
  EXPECT_EQ(ex_.body, "");
}

TEST_F(RequestRecordsTest, GetBillRateFlatOfAnUnknownRateResetsTheAmounts) {
  connect();
  getBILLRATEFlat(app_, 3);
  getBILLRATEFlat(app_, 9);
  const BillingValues& b = app_.record.billing;
  EXPECT_EQ(b.amounts, (std::array<float, 5>{}));
  EXPECT_EQ(b.amountTexts, (std::array<std::string, 5>{" ", " ", " ", " ", " "}));
}

// ---- SetDestFromREQ -------------------------------------------------------------------------

constexpr const char* kDestinationKeys[] = {"RequestDetail.destination", "RequestDetail.destdesc",
                                            "RequestDetail.destcat",     "RequestDetail.miles",
                                            "RequestDetail.destadd1",    "RequestDetail.destadd2",
                                            "RequestDetail.destcity",    "RequestDetail.destzip",
                                            "RequestDetail.destspec",    "RequestDetail.deststate"};

TEST_F(RequestRecordsTest, SetDestFromReqCopiesTheTrimmedDestinationIntoTheSession) {
  SetDestFromREQ(app_, 41);
  EXPECT_EQ(ex_.body, "");
  const Store& s = ex_.sessionStore;
  EXPECT_EQ(s.get("RequestDetail.destination"), Value("0"));
  EXPECT_EQ(s.get("RequestDetail.destdesc"), Value("Science Center"));
  EXPECT_EQ(s.get("RequestDetail.destcat"), Value("MUSEUM"));
  EXPECT_EQ(s.get("RequestDetail.miles"), Value("7.5"));
  EXPECT_EQ(s.get("RequestDetail.destadd1"), Value("9 Main St"));
  EXPECT_EQ(s.get("RequestDetail.destadd2"), Value(""));
  EXPECT_EQ(s.get("RequestDetail.destcity"), Value("Springfield"));
  EXPECT_EQ(s.get("RequestDetail.destzip"), Value("12345"));
  EXPECT_EQ(s.get("RequestDetail.destspec"), Value("Park in back"));
  EXPECT_EQ(s.get("RequestDetail.deststate"), Value("IL"));
  EXPECT_FALSE(app_.tripschlDb().isOpen());
}

TEST_F(RequestRecordsTest, SetDestFromReqReadsNullColumnsAsEmptyAndNullMilesAsZero) {
  SetDestFromREQ(app_, 42);
  EXPECT_EQ(ex_.body, "");
  for (const char* key : kDestinationKeys) {
    const std::string expected = std::string(key) == "RequestDetail.destination" ? "5"
                                 : std::string(key) == "RequestDetail.miles"     ? "0"
                                                                                 : "";
    EXPECT_EQ(ex_.sessionStore.get(key), Value(expected)) << key;
  }
}

TEST_F(RequestRecordsTest, SetDestFromReqOfAMissingRequestEmptiesAllTenKeys) {
  for (const char* key : kDestinationKeys) ex_.sessionStore.set(key, "old");
  SetDestFromREQ(app_, 999);
  EXPECT_EQ(ex_.body, "");
  for (const char* key : kDestinationKeys) EXPECT_EQ(ex_.sessionStore.get(key), Value("")) << key;
}

// ---- DeleteTripRequest ----------------------------------------------------------------------

TEST_F(RequestRecordsTest, DeleteTripRequestDeletesOnlyThatRequestAndClosesItsConnections) {
  DeleteTripRequest(app_, 42);
  EXPECT_EQ(request("SELECT COUNT(*) FROM TRIPSREQ WHERE TRIPNUM = 42"), "0");
  EXPECT_EQ(request("SELECT COUNT(*) FROM TRIPSREQ"), "2");
  EXPECT_FALSE(app_.tripschlDb().isOpen());
  EXPECT_TRUE(app_.noError());
}

TEST_F(RequestRecordsTest, DeleteTripRequestOfAMissingRequestIsNoError) {
  DeleteTripRequest(app_, std::string_view("999"));
  EXPECT_TRUE(app_.noError());
  EXPECT_EQ(request("SELECT COUNT(*) FROM TRIPSREQ"), "3");
}

TEST_F(RequestRecordsTest, DeleteTripRequestOfANonNumberFailsInTheCallersTrapAndDeletesNothing) {
  for (const char* number : {"41 OR 1=1", "", "abc"}) {
    Ravadid app(web_, ex_);
    ex_.body.clear();
    app.run({.name = "RequestDetail_TripRequestDetail"},
            [&] { DeleteTripRequest(app, std::string_view(number)); });
    const std::string report =
        "Error in Procedure: RequestDetail_TripRequestDetail of Module: Ravadid.  Error: 13.  "
        "Type mismatch.";
    EXPECT_EQ(app.errorText(), report) << number;
    EXPECT_EQ(ex_.body, report) << number;
  }
  EXPECT_EQ(request("SELECT COUNT(*) FROM TRIPSREQ"), "3");
}

TEST_F(RequestRecordsTest, DeleteTripRequestBeyondThirtyTwoBitsOverflows) {
  try {
    DeleteTripRequest(app_, std::string_view("99999999999"));
    FAIL() << "no error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 6);
  }
  EXPECT_EQ(request("SELECT COUNT(*) FROM TRIPSREQ"), "3");
}

// ---- AddNewTRIPREQ --------------------------------------------------------------------------

TEST_F(RequestRecordsTest, AddNewTripReqStoresTheCustomerValuesAndReturnsTheNewNumber) {
  web_.applicationStore().set("DEFAULT_CALCNUMDRIVER", "True");
  ex_.sessionStore.set("USER", "amy");
  app_.record.userCustomer = "LINC";
  getcust(app_, "LINC");
  connect();
  const int32_t first = AddNewTRIPREQ(app_);
  EXPECT_EQ(ex_.body, "");
  EXPECT_EQ(first, 44);  // after the highest number on file
  EXPECT_EQ(ex_.sessionStore.get("TRIPREQ"), Value::whole(first));
  const std::string row = "FROM TRIPSREQ WHERE TRIPNUM = " + std::to_string(first);
  EXPECT_EQ(request("SELECT CUSTOMER " + row), "LINC");
  EXPECT_EQ(request("SELECT BILLCUST " + row), "LINC");
  EXPECT_EQ(request("SELECT BILLRATE " + row), "3");
  EXPECT_EQ(request("SELECT CUSTSPEC " + row), "Use the side door");
  EXPECT_EQ(request("SELECT CAPACITY " + row), "Large");
  EXPECT_EQ(request("SELECT INVOICE_FORMAT " + row), "LINC_INVOICE");
  EXPECT_EQ(request("SELECT CALCNUMDRIVERS " + row), "1");
  EXPECT_EQ(request("SELECT chainid " + row), "CH1");
  EXPECT_EQ(request("SELECT Status " + row), "UNAPPROVED");
  EXPECT_EQ(request("SELECT ENTEREDBY " + row), "amy");
  EXPECT_NE(request("SELECT STATUS_DATE " + row), "<null>");
  EXPECT_EQ(request("SELECT REQDATE = enterdate " + row), "1");

  EXPECT_EQ(AddNewTRIPREQ(app_), first + 1);
  app_.closeStep();
}

TEST_F(RequestRecordsTest, AddNewTripReqWithoutADefaultChainIsPending) {
  web_.applicationStore().set("DEFAULT_CALCNUMDRIVER", "False");
  ex_.sessionStore.set("USER", "bob");
  getcust(app_, "BARE");
  connect();
  const int32_t number = AddNewTRIPREQ(app_);
  const std::string row = "FROM TRIPSREQ WHERE TRIPNUM = " + std::to_string(number);
  EXPECT_EQ(request("SELECT Status " + row), "Pending");
  EXPECT_EQ(request("SELECT chainid " + row), "<null>");
  EXPECT_EQ(request("SELECT CUSTSPEC " + row), " ");
  EXPECT_EQ(request("SELECT CAPACITY " + row), "Medium");
  EXPECT_EQ(request("SELECT CALCNUMDRIVERS " + row), "0");
  app_.closeStep();
}

TEST_F(RequestRecordsTest, AddNewTripReqReportsAFailureAndReturnsZero) {
  // No connection open: the insert cannot run.
  EXPECT_EQ(AddNewTRIPREQ(app_), 0);
  EXPECT_EQ(app_.errorText().rfind("Error in Procedure: AddNewTRIPREQ of Module: Ravadid.  ", 0),
            0u)
      << app_.errorText();
  EXPECT_EQ(ex_.body, app_.errorText());
  EXPECT_EQ(request("SELECT COUNT(*) FROM TRIPSREQ"), "3");
}

}  // namespace
}  // namespace ravadid

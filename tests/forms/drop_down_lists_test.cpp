#include "forms/drop_down_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "forms/shared_lists.h"
#include "frame/application.h"
#include "frame/pages.h"
#include "support/fake_exchange.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::sqliteExec;
using testing::TempInstallation;
using Entries = std::vector<std::string>;

// ---- Entries --------------------------------------------------------------------------------

TEST(DropDownEntryTest, SplitsAtTheFirstCommaOnly) {
  struct Case {
    const char* entry;
    bool hasComma;
    const char* code;
    const char* description;
  };
  const Case cases[] = {
      {"LINC, Lincoln Elementary", true, "LINC", "Lincoln Elementary"},
      {"12, Zoo, Aquarium, and Park", true, "12", "Zoo, Aquarium, and Park"},
      {" X ,   spaced out  ", true, " X ", "spaced out"},
      {"CODE,", true, "CODE", ""},
      {", no code", true, "", "no code"},
      {"", false, "", ""},     // entry 0
      {"K-2", false, "", ""},  // a bare code has no description either
  };
  for (const Case& c : cases) {
    SplitEntry split = splitAtFirstComma(c.entry);
    EXPECT_EQ(split.hasComma, c.hasComma) << c.entry;
    EXPECT_EQ(split.code, c.code) << c.entry;
    EXPECT_EQ(split.description, c.description) << c.entry;
  }
}

TEST(DropDownEntryTest, LeftCharactersCountsCharactersNotBytes) {
  EXPECT_EQ(leftCharacters("Museum of Science and Industry, Chicago", 30),
            "Museum of Science and Industry");
  EXPECT_EQ(leftCharacters("short", 30), "short");
  EXPECT_EQ(leftCharacters("", 30), "");
  std::string accented;
  for (int i = 0; i < 31; ++i) accented += "\xC3\xA9";  // é, two bytes each
  EXPECT_EQ(leftCharacters(accented, 30), accented.substr(0, 60));
}

// ---- Sharing --------------------------------------------------------------------------------

TEST(DropDownSharedListTest, EqualListsShareOneCopyAndDifferentOnesDoNot) {
  TextList first = internList({"", "A, Alpha", "B, Beta"});
  TextList second = internList({"", "A, Alpha", "B, Beta"});
  TextList other = internList({"", "A, Alpha", "B, Beta "});
  TextList regrouped = internList({"", "A, Alpha", "B,", " Beta"});
  EXPECT_EQ(first.get(), second.get());
  EXPECT_NE(first.get(), other.get());
  EXPECT_NE(first.get(), regrouped.get());
  EXPECT_EQ(*other, (Entries{"", "A, Alpha", "B, Beta "}));
}

TEST(DropDownSharedListTest, ACopyIsFreedWithItsLastHolder) {
  std::size_t before = sharedListCount();
  TextList list = internList({"", "only in this test"});
  EXPECT_EQ(sharedListCount(), before + 1);
  list.reset();
  EXPECT_EQ(sharedListCount(), before);
  // Interning the same contents again makes a fresh copy that works as before.
  EXPECT_EQ(*internList({"", "only in this test"}), (Entries{"", "only in this test"}));
}

TEST(DropDownSharedListTest, ThreadsInterningEqualListsGetOneCopy) {
  Entries entries{""};
  for (int i = 0; i < 200; ++i) entries.push_back(std::to_string(i) + ", Destination");
  std::vector<TextList> results(8);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 50; ++round) results[t] = internList(entries);
    });
  }
  for (auto& thread : threads) thread.join();
  for (const TextList& result : results) EXPECT_EQ(result.get(), results[0].get());
}

// ---- Loaders and builders -------------------------------------------------------------------

class DropDownListsTest : public ::testing::Test {
 protected:
  DropDownListsTest() : web_(site_.installation(), makeStandardPages()) {
    web_.applicationStore().set("APP_PATH", site_.installation().siteText());
    app_ = std::make_unique<Ravadid>(web_, exchange_);
  }

  void trip(const std::string& sql) { sqliteExec(site_.dataFolder() / "trip.mdb", sql); }
  // A fresh request on the same worker.
  Ravadid& nextRequest() {
    exchange_.body.clear();
    app_ = std::make_unique<Ravadid>(web_, exchange_);
    return *app_;
  }
  // Runs a loader between the preamble and the close step, as a handler does.
  template <typename Loader>
  void load(Loader loader) {
    ASSERT_TRUE(app_->databasePreamble()) << app_->errorText();
    loader(*app_);
    app_->closeStep();
  }
  static Entries entries(const WorkingList& list) {
    return list.entries ? *list.entries : Entries{"<not loaded>"};
  }

  TempInstallation site_;
  WebApplication web_;
  FakeExchange exchange_;
  std::unique_ptr<Ravadid> app_;
};

TEST_F(DropDownListsTest, EmptyTablesGiveOnlyTheEmptyEntry) {
  load([](Ravadid& app) {
    PopulateDD(app);
    PopulateDESTCATDD(app);
  });
  EXPECT_EQ(exchange_.body, "");
  const WorkingLists& lists = app_->lists;
  for (const WorkingList* list :
       {&lists.customers, &lists.destinations, &lists.tripCategories, &lists.statuses,
        &lists.divisions, &lists.grades, &lists.destinationCategories}) {
    EXPECT_EQ(entries(*list), Entries{""});
    EXPECT_EQ(list->count, 0);
  }
}

TEST_F(DropDownListsTest, EachListHoldsTheActiveRowsInTheQueryOrder) {
  trip(
      "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, ACTIVE) VALUES ('WASH', 'Washington High', 1),"
      " ('ADAMS', 'Adams Middle', 1), ('OLD', 'Closed School', 0), ('NONAME', NULL, 1);"
      "INSERT INTO DESTINATION (DESTINATION, DESTDESC, ACTIVE) VALUES (7, 'Zoo', 1),"
      " (3, 'Art Museum', 1), (9, 'Gone', 0);"
      "INSERT INTO TRIPCAT (TRIPCAT, DESCRIPTION, Active) VALUES ('SPORT', 'Athletics', 1),"
      " ('ACAD', 'Zoology', 1), ('OFF', 'Off', 0);"
      "INSERT INTO TRIPREQSTATUS (STATUS, DESCRIPTION, Active) VALUES ('Pending', 'b', 1),"
      " ('Denied', 'a', 1);"
      "INSERT INTO Division (Division, DESCRIPTION, ACTIVE) VALUES ('HS', 'High Schools', 1),"
      " ('ES', 'Elementary', 1);"
      "INSERT INTO GRADE (GRADE, Active) VALUES ('K', 1), ('5', 1), ('12', 0), ('1', 1);"
      "INSERT INTO DESTCAT (DESTCAT, Active) VALUES ('Museum', 1), ('Park', 1), ('X', 0);");
  load([](Ravadid& app) {
    PopulateDD(app);
    PopulateDESTCATDD(app);
  });
  EXPECT_EQ(exchange_.body, "");
  const WorkingLists& lists = app_->lists;
  // A null name adds nothing after the comma.
  EXPECT_EQ(entries(lists.customers),
            (Entries{"", "NONAME, ", "ADAMS, Adams Middle", "WASH, Washington High"}));
  EXPECT_EQ(lists.customers.count, 3);
  EXPECT_EQ(entries(lists.destinations), (Entries{"", "3, Art Museum", "7, Zoo"}));
  EXPECT_EQ(entries(lists.tripCategories), (Entries{"", "SPORT", "ACAD"}));
  EXPECT_EQ(entries(lists.statuses), (Entries{"", "Denied", "Pending"}));
  EXPECT_EQ(entries(lists.divisions), (Entries{"", "ES, Elementary", "HS, High Schools"}));
  EXPECT_EQ(entries(lists.grades), (Entries{"", "K", "5", "1"}));  // table order
  EXPECT_EQ(lists.grades.count, 3);
  EXPECT_EQ(entries(lists.destinationCategories), (Entries{"", "Museum", "Park"}));
}

TEST_F(DropDownListsTest, ACustomerBoundUserSeesOnlyTheirCustomer) {
  trip(
      "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, ACTIVE) VALUES ('LINC', 'Lincoln', 1),"
      " ('WASH', 'Washington', 1)");
  exchange_.sessionStore.set("CUSTOMER", "  linc ");
  load(PopulateCustDD);
  EXPECT_EQ(entries(app_->lists.customers), (Entries{"", "LINC, Lincoln"}));
  EXPECT_EQ(app_->lists.customers.count, 1);
}

TEST_F(DropDownListsTest, ACustomerBoundListNeverCountsBeyondItsOneCustomer) {
  // Two codes that are equal once trimmed.
  trip(
      "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, ACTIVE) VALUES ('LINC', 'Lincoln', 1),"
      " ('LINC ', 'Lincoln Annex', 1)");
  exchange_.sessionStore.set("CUSTOMER", "LINC");
  load(PopulateCustDD);
  EXPECT_EQ(app_->lists.customers.entries->size(), 2u);
  EXPECT_EQ(app_->lists.customers.count, 1);
}

TEST_F(DropDownListsTest, AnApostropheInTheUsersCustomerStaysInsideTheLiteral) {
  trip("INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, ACTIVE) VALUES ('ST MARY''S', 'St Mary''s', 1)");
  exchange_.sessionStore.set("CUSTOMER", "st mary's");
  load(PopulateCustDD);
  EXPECT_EQ(exchange_.body, "");
  EXPECT_EQ(entries(app_->lists.customers), (Entries{"", "ST MARY'S, St Mary's"}));
}

TEST_F(DropDownListsTest, AnUnknownUserCustomerFailsWithTheReport) {
  exchange_.sessionStore.set("CUSTOMER", "NOWHERE");
  load(PopulateCustDD);
  EXPECT_EQ(exchange_.body.rfind("Error in Procedure: PopulateCustDD of Module: Ravadid.  Error: "
                                 "3021.  ",
                                 0),
            0u)
      << exchange_.body;
  EXPECT_FALSE(app_->lists.customers.loaded());
}

TEST_F(DropDownListsTest, AFailedLoaderIsReportedAgainByEveryLaterOneWhichLoadsNothing) {
  trip("DROP TABLE GRADE; INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, ACTIVE) VALUES ('A', 'A', 1)");
  load(PopulateDD);
  const std::string& body = exchange_.body;
  const std::string prefix = "Error in Procedure: PopulateGradeDD of Module: Ravadid.  Error: ";
  ASSERT_EQ(body.rfind(prefix, 0), 0u) << body;
  std::string report = body.substr(0, body.size() / 5);
  // PopulateGradeDD, the three loaders after it, and PopulateDD itself.
  EXPECT_EQ(body, report + report + report + report + report);
  EXPECT_FALSE(app_->lists.customers.loaded());
  EXPECT_FALSE(app_->lists.statuses.loaded());
}

TEST_F(DropDownListsTest, MoreRowsThanA16BitCountFailsWithOverflow) {
  trip(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32768) "
      "INSERT INTO GRADE (GRADE, Active) SELECT i, 1 FROM n");
  load(PopulateGradeDD);
  EXPECT_EQ(exchange_.body,
            "Error in Procedure: PopulateGradeDD of Module: Ravadid.  Error: 6.  Overflow.");
}

TEST_F(DropDownListsTest, EqualListsOfTwoRequestsShareOneCopy) {
  trip("INSERT INTO DESTINATION (DESTINATION, DESTDESC, ACTIVE) VALUES (1, 'Zoo', 1)");
  load(PopulateDestDD);
  TextList first = app_->lists.destinations.entries;
  nextRequest();
  load(PopulateDestDD);
  EXPECT_EQ(app_->lists.destinations.entries.get(), first.get());
}

// -- Destination select --

class DropDownDestinationTest : public DropDownListsTest {
 protected:
  DropDownDestinationTest() {
    trip(
        "INSERT INTO DESTINATION (DESTINATION, DESTDESC, ACTIVE) VALUES"
        " (12, 'Zoo, Aquarium, and Park', 1),"
        " (4, 'Museum of Science and Industry, Chicago', 1),"
        " (7, 'Tom''s <Farm> & Barn', 1)");
    load([](Ravadid& app) { PopulateDestDD(app); });
    storeList(exchange_.sessionStore, kDestinationListKeys, app_->lists.destinations);
    nextRequest();
  }
  static constexpr const char* kOptions =
      "<option value='4'>Museum of Science and Industry</option>"
      "<option value='7'>Tom&#39;s &lt;Farm&gt; &amp; Barn</option>"
      "<option value='12'>Zoo, Aquarium, and Park</option>";
};

TEST_F(DropDownDestinationTest, EmptyDestinationSelectsNothing) {
  EXPECT_EQ(
      BuildDestinationDD(*app_, "onchange='go()'"),
      std::string("<select name='dest' width='30' onchange='go()'><option value=''></option>") +
          kOptions + "</select>");
  EXPECT_EQ(exchange_.body, "");
}

TEST_F(DropDownDestinationTest, AKnownDestinationIsSelectedByCode) {
  EXPECT_EQ(BuildDestinationDD(*app_, "", "7"),
            "<select name='dest' width='30' ><option value='' ></option>"
            "<option value='4' >Museum of Science and Industry</option>"
            "<option value='7' selected>Tom&#39;s &lt;Farm&gt; &amp; Barn</option>"
            "<option value='12' >Zoo, Aquarium, and Park</option></select>");
}

TEST_F(DropDownDestinationTest, ANewDestinationComesFirstWithValueZero) {
  EXPECT_EQ(BuildDestinationDD(*app_, "", "Grandma's <House>", true),
            std::string("<select name='dest' width='30' >"
                        "<option value='0' selected>Grandma&#39;s &lt;House&gt;</option>"
                        "<option value=''></option>") +
                kOptions + "</select>");
}

TEST_F(DropDownDestinationTest, TheListIsTheSessionsAndBecomesTheWorkingList) {
  BuildDestinationDD(*app_);
  EXPECT_EQ(app_->lists.destinations.count, 3);
  EXPECT_EQ(app_->lists.destinations.entries.get(),
            exchange_.sessionStore.get("Destinations").asList().get());
}

TEST_F(DropDownDestinationTest, ASessionWithoutAListShowsOneEmptyOption) {
  exchange_.sessionStore.set("Destinations", "");
  exchange_.sessionStore.set("numDestinations", Value::integer(0));
  EXPECT_EQ(BuildDestinationDD(*app_),
            "<select name='dest' width='30' ><option value=''></option></select>");
}

TEST_F(DropDownDestinationTest, ACountBeyondTheListIsReportedNotRead) {
  exchange_.sessionStore.set("numDestinations", Value::integer(9));
  EXPECT_EQ(BuildDestinationDD(*app_), "");
  EXPECT_EQ(exchange_.body,
            "Error in Procedure: BuildDestinationDD of Module: Ravadid.  Error: "
            "9.  Subscript out of range.");
}

// -- Fund table and select --

class DropDownFundTest : public DropDownListsTest {
 protected:
  DropDownFundTest() {
    trip(
        "INSERT INTO FUND (FUND, FUNDDESC, ACTIVE) VALUES ('GEN', '  General Fund  ', 1),"
        " ('PTA', NULL, 1), ('B&G', 'Boys & Girls', 1), ('OLD', 'Old', 0);"
        "INSERT INTO CUSTOMER_FUND (CUSTOMER, FUND) VALUES ('LINC', 'PTA'), ('LINC', 'OLD'),"
        " ('O''NEIL', 'GEN');");
  }
  Store& settings() { return web_.applicationStore(); }
  Store& session() { return exchange_.sessionStore; }
  static Entries cells(const FundTable& table) {
    return table.cells ? *table.cells : Entries{"<not loaded>"};
  }
};

TEST_F(DropDownFundTest, AllActiveFundsByCodeWithTrimmedDescriptions) {
  PopulateFundDD(*app_);
  EXPECT_EQ(exchange_.body, "");
  EXPECT_EQ(cells(app_->lists.funds),
            (Entries{"", "", "B&G", "Boys & Girls", "GEN", "General Fund", "PTA", ""}));
  EXPECT_EQ(app_->lists.funds.count, 3);
  // It closes the connections it opened.
  EXPECT_FALSE(app_->tripDb().isOpen());
}

TEST_F(DropDownFundTest, ACustomersActiveFundsOnly) {
  PopulateFundDD(*app_, "LINC");
  EXPECT_EQ(cells(app_->lists.funds), (Entries{"", "", "PTA", ""}));
  PopulateFundDD(*app_, "O'NEIL");
  EXPECT_EQ(cells(app_->lists.funds), (Entries{"", "", "GEN", "General Fund"}));
  PopulateFundDD(*app_, "0");
  EXPECT_EQ(cells(app_->lists.funds), (Entries{"", ""}));
  EXPECT_EQ(app_->lists.funds.count, 0);
  EXPECT_EQ(exchange_.body, "");
}

TEST_F(DropDownFundTest, MissingDatabaseLeavesTheTableUnloaded) {
  std::filesystem::remove(site_.dataFolder() / "trip.mdb");
  PopulateFundDD(*app_);
  EXPECT_FALSE(app_->lists.funds.loaded());
  EXPECT_EQ(
      exchange_.body.rfind("Error in Procedure: SetTripDBConnections of Module: ChkEligWeb.", 0),
      0u)
      << exchange_.body;
}

TEST_F(DropDownFundTest, SessionTableMarksTheMatchingFund) {
  PopulateFundDD(*app_);
  storeFundTable(session(), app_->lists.funds);
  EXPECT_EQ(session().get("numFunds"), Value::integer(3));
  nextRequest();
  struct Case {
    const char* fund;
    int selectedRow;
  };
  const Case cases[] = {{"", 0}, {"GEN", 2}, {"  gen ", 2}, {"b&g", 1}, {"NONE", -1}};
  const char* rows[] = {"<option value='", "<option value='B&amp;G", "<option value='GEN",
                        "<option value='PTA"};
  const char* texts[] = {"></option>", ">Boys &amp; Girls</option>", ">General Fund</option>",
                         "></option>"};
  for (const Case& c : cases) {
    std::string expected = "<select name='fund' width='40' class='x'>";
    for (int row = 0; row < 4; ++row)
      expected +=
          std::string(rows[row]) + (row == c.selectedRow ? "' selected " : "'") + texts[row];
    // A fund the list does not hold is kept as an option of its own.
    if (c.selectedRow < 0) expected += "<option value='NONE' selected >NONE</option>";
    expected += "</select>";
    EXPECT_EQ(BuildFundDD(*app_, "class='x'", c.fund), expected) << c.fund;
  }
  EXPECT_EQ(exchange_.body, "");
}

TEST_F(DropDownFundTest, CustomerFundsUseOnlyTheTableOfThisRequest) {
  // The session holds all funds, but with customer funds on they are not used.
  PopulateFundDD(*app_);
  storeFundTable(session(), app_->lists.funds);
  nextRequest();
  settings().set("DISTRICT.USECUSTFUND", "TRUE");
  EXPECT_EQ(BuildFundDD(*app_, "", "PTA"), "");
  EXPECT_EQ(exchange_.body, "");
  PopulateFundDD(*app_, "LINC");
  EXPECT_EQ(BuildFundDD(*app_, "", "PTA"),
            "<select name='fund' width='40' ><option value=''></option>"
            "<option value='PTA' selected ></option></select>");
}

TEST_F(DropDownFundTest, SessionWithoutAFundTableShowsOneEmptyOption) {
  // As sign-in leaves it when no fund list was built, and as its reset leaves it.
  storeFundTable(session(), FundTable{});
  EXPECT_EQ(session().get("numFunds"), Value::integer(0));
  EXPECT_EQ(BuildFundDD(*app_),
            "<select name='fund' width='40' ><option value='' selected "
            "></option></select>");
  session().set("Funds", "");
  session().set("numFunds", "0");
  EXPECT_EQ(BuildFundDD(*app_),
            "<select name='fund' width='40' ><option value='' selected "
            "></option></select>");
  EXPECT_EQ(exchange_.body, "");
}

}  // namespace
}  // namespace ravadid

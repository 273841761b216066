// Each statement shape the pages send, run against a small database, with the rows it must
// give.
#include <gtest/gtest.h>

#include "db_fixture.h"
#include "frame/db/database.h"
#include "frame/errors.h"
#include "frame/runtime.h"

namespace ravadid::db {
namespace {

using testing::allRows;
using testing::column;
using Rows = std::vector<std::vector<std::string>>;

class SqlStatements : public testing::TripDatabaseTest {};

struct ColumnCase {
  const char* name;
  const char* sql;
  const char* field;
  std::vector<std::string> expected;
};

class SqlStatementColumns : public testing::TripDatabaseTest,
                            public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(SqlStatementColumns, GivesTheExpectedRows) {
  EXPECT_EQ(column(db_, GetParam().sql, GetParam().field), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    SqlShapes, SqlStatementColumns,
    ::testing::Values(
        ColumnCase{"SignInTrimsAndIgnoresCase",
                   "Select * from KRSCU where trim$(KRSCU.KRSC1) = 'JSMITH'",
                   "EMAIL",
                   {"js@example.org"}},
        ColumnCase{"SignInQuoteInValueStaysInTheLiteral",
                   "Select * from KRSCU where trim$(KRSCU.KRSC1) = 'x'' OR ''1''=''1'",
                   "EMAIL",
                   {}},
        ColumnCase{"CustomerByCode",
                   "SELECT * FROM CUSTOMER WHERE CUSTOMER.CUSTOMER = 'lhs'",
                   "CUSTNAME",
                   {"Larkdale High"}},
        ColumnCase{"CustomerWithQuoteInName",
                   "SELECT * FROM CUSTOMER WHERE CUSTOMER.CUSTNAME = 'O''Brien School'",
                   "CUSTOMER",
                   {"OBR"}},
        ColumnCase{"DestinationByNumber",
                   "SELECT * FROM DESTINATION WHERE DESTINATION.DESTINATION = 2",
                   "DESTDESC",
                   {"Museum"}},
        ColumnCase{"FundTrimmedAndActive",
                   "SELECT * FROM FUND WHERE trim$(FUND.FUND) = '400' AND Fund.Active = True",
                   "FUNDDESC",
                   {"Padded"}},
        ColumnCase{"InactiveFundNotFound",
                   "SELECT * FROM FUND WHERE trim$(FUND.FUND) = '300' AND Fund.Active = True",
                   "FUNDDESC",
                   {}},
        ColumnCase{"CustomerFundJoin",
                   "SELECT FUND.* FROM FUND INNER JOIN CUSTOMER_FUND ON FUND.FUND = "
                   "CUSTOMER_FUND.FUND WHERE (trim$(CUSTOMER_FUND.FUND) = '100') AND "
                   "(CUSTOMER_FUND.CUSTOMER = 'LHS') AND (Fund.Active = True)",
                   "FUNDDESC",
                   {"General"}},
        ColumnCase{
            "BillRate", "SELECT * FROM BILLRATE WHERE BILLRATE.BILLRATE = 3", "AMOUNT1", {"12.5"}},
        ColumnCase{"RequestByClngOfText",
                   "SELECT TRIPSREQ.* FROM TRIPSREQ WHERE TRIPNUM = CLNG('2')",
                   "TRIPNUM",
                   {"2"}},
        ColumnCase{"RequestByClngRoundsHalfToEven",
                   "SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = clng(2.5)",
                   "TRIPNUM",
                   {"2"}},
        ColumnCase{"ChainOfCustomerAndCategory",
                   "SELECT * FROM CUSTOMER_TRIPCAT WHERE CUSTOMER_TRIPCAT.CUSTOMER = 'LHS' AND "
                   "CUSTOMER_TRIPCAT.TRIPCAT = 'sp'",
                   "chainid",
                   {"CH2"}},
        ColumnCase{
            "ActiveChains", "Select * from KRSCC where KRSCC.Active = TRUE", "CHAINID", {"CH1"}},
        ColumnCase{"CalendarNoteByDateLiteral",
                   "Select * from Big_CalCalNotes where NoteDate = #3/5/2024#",
                   "NoteText",
                   {"Spring break"}},
        ColumnCase{"ApproversOfCustomerOrOfAll",
                   "SELECT KRSCU.EMAIL, KRSCU.ROLE, KRSCU.CUSTOMER From KRSCU WHERE "
                   "(KRSCU.ROLE='principal') AND (KRSCU.CUSTOMER='LHS' OR KRSCU.CUSTOMER='' or "
                   "isnull(KRSCU.CUSTOMER))",
                   "EMAIL",
                   {"js@example.org", "all@example.org", "nobody@example.org"}},
        ColumnCase{"CustomerLookupPrefix",
                   "SELECT CUSTOMER.* FROM CUSTOMER WHERE ucase$(Customer.CUSTNAME) like 'O''BR%' "
                   "ORDER BY Customer.CUSTNAME",
                   "CUSTOMER",
                   {"OBR"}},
        ColumnCase{"CustomerLookupAll",
                   "SELECT CUSTOMER.* FROM CUSTOMER ORDER BY Customer.CUSTNAME",
                   "CUSTOMER",
                   {"EMS", "LHS", "OBR"}},
        ColumnCase{"DestinationLookupIgnoresActive",
                   "SELECT DESTINATION.* FROM DESTINATION WHERE ucase$(DESTINATION.DESTDESC) like "
                   "'A%' ORDER BY DESTINATION.DESTDESC",
                   "DESTDESC",
                   {"Aquarium"}},
        ColumnCase{"FundLookupForCustomer",
                   "SELECT FUND.* FROM FUND INNER JOIN CUSTOMER_FUND ON FUND.FUND = "
                   "CUSTOMER_FUND.FUND WHERE ucase$(FUND.FUND) like '1%' AND FUND.FUNDDESC like "
                   "'gen%' AND CUSTOMER_FUND.CUSTOMER='LHS' AND FUND.ACTIVE = TRUE ORDER BY "
                   "FUND.FUND",
                   "FUNDDESC",
                   {"General"}},
        ColumnCase{"OpenFundLookup",
                   "SELECT FUND.* FROM FUND WHERE FUND.FUND like '%' AND FUND.ACTIVE = TRUE "
                   "ORDER BY FUND.FUND",
                   "FUND",
                   {" 400 ", "100", "200"}},
        ColumnCase{"DestinationList",
                   "SELECT DESTINATION.DESTINATION, DESTINATION.DESTDESC, DESTINATION.DESTADD1 "
                   "From Destination WHERE (DESTINATION.ACTIVE=True) order by "
                   "DESTINATION.DESTDESC;",
                   "DESTINATION",
                   {"2", "1"}},
        ColumnCase{"CategoryList",
                   "Select TRIPCAT.* from TRIPCAT where TRIPCAT.Active = True order by "
                   "TRIPCAT.DESCRIPTION",
                   "TRIPCAT",
                   {"FT", "SP"}},
        ColumnCase{"DivisionList",
                   "SELECT Division.Division, Division.DESCRIPTION From Division WHERE "
                   "(Division.ACTIVE=True) ORDER BY DIVISION.DESCRIPTION;",
                   "Division",
                   {"D1", "D2"}},
        ColumnCase{"GradeList",
                   "Select GRADE.* from GRADE where GRADE.Active = True",
                   "GRADE",
                   {"09", "10"}},
        ColumnCase{"BoundCustomerList",
                   "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID From CUSTOMER "
                   "WHERE trim$(ucase$(CUSTOMER.CUSTOMER))='LHS';",
                   "CUSTNAME",
                   {"Larkdale High"}},
        ColumnCase{"ActiveCustomerList",
                   "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID From CUSTOMER "
                   "WHERE (CUSTOMER.ACTIVE=True) order by CUSTOMER.custname;",
                   "CUSTOMER",
                   {"EMS", "LHS"}},
        ColumnCase{"CustomerFundList",
                   "SELECT CUSTOMER_FUND.FUND, FUND.FUNDDESC FROM FUND INNER JOIN CUSTOMER_FUND ON "
                   "FUND.FUND = CUSTOMER_FUND.FUND WHERE (Fund.Active = True) AND "
                   "(CUSTOMER_FUND.CUSTOMER = 'lhs') ORDER BY CUSTOMER_FUND.Fund",
                   "FUND",
                   {"100"}},
        ColumnCase{"RequestsOfApproverQueue",
                   "SELECT TRIPSREQ.TRIPNUM, tripsreq.destdesc as trDESTDESC, "
                   "DateValue(TRIPSREQ.STATUS_DATE) AS Expr1 FROM TRIPSREQ WHERE "
                   "((TRIPSREQ.CHAINID = 'CH1' AND TRIPSREQ.STATUS = 'UNAPPROVED') OR "
                   "(TRIPSREQ.CHAINID = 'ch1' AND TRIPSREQ.STATUS = 'principal ok')) AND "
                   "(TRIPSREQ.CUSTOMER = 'LHS') ORDER BY TRIPSREQ.DEPDATE, TRIPSREQ.DEPTIME, "
                   "TRIPSREQ.DESTINATION",
                   "Expr1",
                   {"3/1/2024", "3/3/2024"}},
        ColumnCase{"RequestsEnteredOnADay",
                   "SELECT TRIPSREQ.TRIPNUM FROM TRIPSREQ WHERE datevalue(TRIPSREQ.REQDATE) >= "
                   "#3/2/2024# and datevalue(TRIPSREQ.REQDATE) <= #3/2/2024# ORDER BY "
                   "TRIPSREQ.DEPDATE, TRIPSREQ.DEPTIME, TRIPSREQ.DESTINATION",
                   "TRIPNUM",
                   {"3", "2"}},
        ColumnCase{"RequestsDepartingInRange",
                   "SELECT TRIPSREQ.TRIPNUM FROM TRIPSREQ WHERE TRIPSREQ.DEPDATE >= #4/10/2024# "
                   "and TRIPSREQ.DEPDATE <= #4/11/2024# AND TRIPSREQ.DESTINATION = 0",
                   "TRIPNUM",
                   {"2"}}),
    [](const ::testing::TestParamInfo<ColumnCase>& info) { return info.param.name; });

const char* kTripColumns =
    "SELECT TRIPS.TRIPNUM, TRIPS.ESTTIME, TRIPS.ESTMILE, TRIPS.INTTRIPNUM, TRIPS.CUSTOMER, "
    "CUSTOMER.CUSTNAME, TRIPS.DESTINATION, DESTINATION.DESTDESC, TRIPS.DEPDATE, TRIPS.DEPTIME, "
    "TRIPS.ASSIGNED, TRIPS.BILLED, DateValue(TRIPS.BILLDATE) AS BILLDATE, TRIPS.CANCELED, "
    "DATEVALUE(TRIPS.CANDATE) AS CANDATE, TRIPS.GRADE, CUSTOMER.CUSTDIV, TRIPS.RETDATE, "
    "TRIPS.RETTIME, TRIPS.FUND, TRIPS.TRIPREQNUM, TRIPS.PO, TRIPS.TRIPCAT, TRIPS.SCHEDULE, "
    "TRIPS.NUMSTUDENTS, TRIPS.NUMADULTS, TRIPS.CONTACT, TRIPS.ARRIVETIME, TRIPS.LEAVETIME, "
    "TRIPS.PURPOSE, TRIPS.SHUTTLE, CUSTOMER_1.CUSTNAME as BILLCUSTNAME, TRIPS.BILLCUST, "
    "(SELECT SUM(TRANAMT) FROM ARDETAIL WHERE TRANCODE='BIL' AND TRIPNUM=TRIPS.TRIPNUM) AS "
    "TOTALBILLED, (SELECT SUM(TRANAMT) FROM ARDETAIL WHERE TRIPNUM=TRIPS.TRIPNUM) AS TOTALDUE "
    "FROM (((TRIPS LEFT JOIN CUSTOMER ON TRIPS.CUSTOMER = CUSTOMER.CUSTOMER) LEFT JOIN "
    "DESTINATION ON TRIPS.DESTINATION = DESTINATION.DESTINATION) LEFT JOIN CUSTOMER AS "
    "CUSTOMER_1 ON TRIPS.BILLCUST = CUSTOMER_1.CUSTOMER) ";

TEST_F(SqlStatements, TripSearchJoinsKeepTripsWithoutDestinationOrBillingCustomer) {
  Recordset rs;
  rs.open(std::string(kTripColumns) + " ORDER BY TRIPS.DEPDATE", db_);
  ASSERT_EQ(rs.recordCount(), 4);
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(4));
  EXPECT_TRUE(rs.field("DESTDESC").isNull());
  EXPECT_TRUE(rs.field("TOTALBILLED").isNull());
  rs.moveNext();
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(1));
  EXPECT_EQ(rs.field("CUSTNAME"), Value::text("Larkdale High"));
  EXPECT_EQ(rs.field("BILLCUSTNAME"), Value::text("East Middle"));
  EXPECT_EQ(rs.field("DESTDESC"), Value::text("Zoo"));
  EXPECT_EQ(rs.field("TOTALBILLED"), Value::number(100));
  EXPECT_EQ(rs.field("TOTALDUE"), Value::number(60));
  EXPECT_EQ(rs.field("BILLDATE"), Value::date(vb::DateSerial(2024, 3, 10)));
  EXPECT_TRUE(rs.field("CANDATE").isNull());
  EXPECT_EQ(rs.field("ASSIGNED"), Value::boolean(true));
  EXPECT_EQ(rs.field("CANCELED"), Value::boolean(false));
  ASSERT_TRUE(rs.field("DEPTIME").isDate());
  EXPECT_NEAR(rs.field("DEPTIME").asDate(), vb::TimeSerial(8, 0, 0), 1e-9);
}

TEST_F(SqlStatements, TripSearchConditions) {
  struct Case {
    const char* where;
    std::vector<std::string> trips;
  };
  const Case cases[] = {
      {" WHERE TRIPS.DEPDATE >= #3/5/2024# and TRIPS.DEPDATE <= #3/5/2024#", {"1"}},
      {" WHERE TRIPS.CUSTOMER = 'lhs' AND TRIPS.CANCELED = FALSE", {"1"}},
      {" WHERE TRIPS.CANCELED = TRUE", {"2"}},
      {" WHERE TRIPS.ASSIGNED = TRUE AND TRIPS.BILLED = FALSE", {"4"}},
      {" WHERE TRIPS.DESTINATION = 1 AND TRIPS.GRADE = '10'", {"3"}},
      {" WHERE CUSTOMER.CUSTDIV = 'd2' AND TRIPS.TRIPCAT = 'SP'", {"4"}},
      {" WHERE (TRIPS.AMOUNT1 > 0 OR TRIPS.AMOUNT2 > 0 OR TRIPS.AMOUNT3 > 0 OR TRIPS.AMOUNT4 > 0 "
       "OR TRIPS.AMOUNT5)",
       {"1", "3"}},
      {" WHERE TRIPS.TRIPNUM = 2 AND TRIPS.FUND = '200'", {"2"}},
  };
  for (const Case& c : cases) {
    std::string sql = std::string(kTripColumns) + c.where + " ORDER BY TRIPS.TRIPNUM";
    EXPECT_EQ(column(db_, sql, "TRIPNUM"), c.trips) << c.where;
  }
}

TEST_F(SqlStatements, TripSearchSortsByPostedColumns) {
  std::string sql = std::string(kTripColumns) + " ORDER BY CUSTOMER.CUSTNAME, TRIPS.TRIPNUM";
  EXPECT_EQ(column(db_, sql, "TRIPNUM"), (std::vector<std::string>{"3", "4", "1", "2"}));
}

// The summary statement as the report builds it, for one grouping.
struct Grouping {
  const char* description;
  const char* splits;
  const char* link;
  const char* amountLink;
  const char* from;
  const char* groupBy;
};

std::string summary(const Grouping& g, const std::string& condition) {
  return std::string("SELECT ") + g.description + "COUNT(*) AS NUMBEROFTRIPS, " + g.splits +
         "SUM(TRIPS.NUMSTUDENTS) AS NUMBEROFSTUDENTS, SUM(TRIPS.NUMADULTS) AS NUMBEROFADULTS, " +
         "SUM(SELECT SUM(TRIPEMPLOYEES.HOURS) FROM TRIPEMPLOYEES INNER JOIN TRIPS ON "
         "TRIPS.TRIPNUM = TRIPEMPLOYEES.TRIPNUM " +
         condition + " AND " + g.link + ") AS TOTALHOURS, " +
         "SUM(SELECT SUM(TRIPEMPLOYEES.MILES) FROM TRIPEMPLOYEES INNER JOIN TRIPS ON "
         "TRIPS.TRIPNUM = TRIPEMPLOYEES.TRIPNUM " +
         condition + " AND " + g.link + ") AS TOTALMILES, " +
         "SUM(SELECT SUM(ARDETAIL.TRANAMT) FROM ARDETAIL INNER JOIN TRIPS ON TRIPS.TRIPNUM = "
         "ARDETAIL.TRIPNUM " +
         condition + g.amountLink + g.from + condition + g.groupBy;
}

const Grouping kCategory = {
    "(TRIPCAT.TRIPCAT&' - '&TRIPCAT.DESCRIPTION) AS TYPEDESCRIPTION, ",
    "SUM(SELECT COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = TRIPSPLIT.TRIPNUM "
    "WHERE TRIPS.TRIPCAT = TRIPCAT.TRIPCAT) AS NUMBEROFSPLITS, ",
    "TRIPS.TRIPCAT = TRIPCAT.TRIPCAT",
    " AND ARDETAIL.TRANCODE='BIL' AND TRIPS.TRIPCAT = TRIPCAT.TRIPCAT) AS TOTALAMOUNT ",
    "FROM CUSTOMER INNER JOIN (TRIPCAT INNER JOIN TRIPS ON TRIPCAT.TRIPCAT = TRIPS.TRIPCAT) ON "
    "CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
    " GROUP BY TRIPCAT.TRIPCAT, TRIPCAT.DESCRIPTION"};

std::string categoryWithNone(const std::string& condition) {
  return summary(kCategory, condition) + " UNION " +
         "SELECT ('*None') AS TYPEDESCRIPTION, COUNT(*) AS NUMBEROFTRIPS, " +
         "SUM(SELECT COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = "
         "TRIPSPLIT.TRIPNUM " +
         condition + " AND TRIPS.TRIPCAT = '') AS NUMBEROFSPLITS, " +
         "SUM(TRIPS.NUMSTUDENTS) AS NUMBEROFSTUDENTS, SUM(TRIPS.NUMADULTS) AS NUMBEROFADULTS, " +
         "SUM(SELECT SUM(TRIPEMPLOYEES.HOURS) FROM TRIPEMPLOYEES INNER JOIN TRIPS ON "
         "TRIPS.TRIPNUM = TRIPEMPLOYEES.TRIPNUM " +
         condition + " AND TRIPS.TRIPCAT  = '') AS TOTALHOURS, " +
         "SUM(SELECT SUM(TRIPEMPLOYEES.MILES) FROM TRIPEMPLOYEES INNER JOIN TRIPS ON "
         "TRIPS.TRIPNUM = TRIPEMPLOYEES.TRIPNUM " +
         condition + " AND TRIPS.TRIPCAT  = '') AS TOTALMILES, " +
         "(SELECT SUM(ARDETAIL.TRANAMT) FROM ARDETAIL INNER JOIN TRIPS ON TRIPS.TRIPNUM = "
         "ARDETAIL.TRIPNUM " +
         condition + " AND ARDETAIL.TRANCODE='BIL' AND TRIPS.TRIPCAT  = '') AS TOTALAMOUNT " +
         "FROM CUSTOMER INNER JOIN TRIPS ON CUSTOMER.CUSTOMER = TRIPS.CUSTOMER " + condition +
         " AND TRIPS.TRIPCAT  = ''";
}

const Rows::value_type kSummaryHeader = {"TYPEDESCRIPTION",  "NUMBEROFTRIPS",  "NUMBEROFSPLITS",
                                         "NUMBEROFSTUDENTS", "NUMBEROFADULTS", "TOTALHOURS",
                                         "TOTALMILES",       "TOTALAMOUNT"};

TEST_F(SqlStatements, SummaryByCategoryTotalsEachGroupOnceAndAddsNoneRow) {
  Rows rows = allRows(db_, categoryWithNone(""));
  EXPECT_EQ(rows, (Rows{{"*None", "1", "1", "10", "1", "1", "5", "20"},
                        {"FT - Field trip", "2", "2", "50", "5", "7", "75", "150"},
                        {"SP - Sports", "1", "0", "5", "1", "<null>", "<null>", "<null>"}}));
}

TEST_F(SqlStatements, SummaryConditionRestrictsTheSubTotalsToo) {
  Rows rows = allRows(db_, categoryWithNone(" WHERE TRIPS.CANCELED = TRUE"));
  // The splits column of a category carries no condition.
  EXPECT_EQ(rows, (Rows{{"*None", "0", "0", "<null>", "<null>", "<null>", "<null>", "<null>"},
                        {"FT - Field trip", "1", "2", "30", "3", "3", "25", "50"}}));
}

TEST_F(SqlStatements, SummaryByDestinationUsesStrWithLeadingBlank) {
  const Grouping destination = {
      "(STR(DESTINATION.DESTINATION)&' - '&DESTINATION.DESTDESC) AS TYPEDESCRIPTION, ",
      "SUM(SELECT COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = TRIPSPLIT.TRIPNUM "
      "WHERE TRIPS.DESTINATION = DESTINATION.DESTINATION) AS NUMBEROFSPLITS, ",
      "TRIPS.DESTINATION = DESTINATION.DESTINATION",
      " AND ARDETAIL.TRANCODE<>'PAY' AND TRIPS.DESTINATION = DESTINATION.DESTINATION) AS "
      "TOTALAMOUNT ",
      "FROM CUSTOMER INNER JOIN (DESTINATION INNER JOIN TRIPS ON DESTINATION.DESTINATION = "
      "TRIPS.DESTINATION) ON CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
      " GROUP BY DESTINATION.DESTINATION, DESTINATION.DESTDESC"};
  Rows rows = allRows(db_, summary(destination, ""));
  EXPECT_EQ(rows, (Rows{{" 1 - Zoo", "2", "3", "30", "3", "5", "55", "120"},
                        {" 2 - Museum", "1", "0", "30", "3", "3", "25", "55"}}));
}

TEST_F(SqlStatements, SummaryByFundCountsSplitsAsWritten) {
  const Grouping fund = {
      "(FUND.FUND&' - '&FUND.FUNDDESC) AS TYPEDESCRIPTION, ",
      "SUM(SELECT 1 FROM TRIPSPLIT WHERE TRIPSPLIT.FUND = FUND.FUND) AS NUMBEROFSPLITS, ",
      "TRIPS.FUND = FUND.FUND",
      " AND ARDETAIL.TRANCODE<>'PAY' AND TRIPS.FUND = FUND.FUND) AS TOTALAMOUNT ",
      "FROM CUSTOMER INNER JOIN (FUND INNER JOIN TRIPS ON FUND.FUND = TRIPS.FUND) ON "
      "CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
      " GROUP BY FUND.FUND, FUND.FUNDDESC"};
  Rows rows = allRows(db_, summary(fund, " WHERE TRIPS.CUSTOMER = 'EMS'"));
  EXPECT_EQ(rows, (Rows{{"100 - General", "2", "<null>", "15", "2", "1", "5", "20"}}));
}

TEST_F(SqlStatements, SummaryByGradeAddsNullGradeRow) {
  const Grouping grade = {
      "(GRADE.GRADE&' - '&GRADE.DESCRIPTION) AS TYPEDESCRIPTION, ",
      "SUM(SELECT COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = TRIPSPLIT.TRIPNUM "
      "WHERE TRIPS.GRADE = GRADE.GRADE) AS NUMBEROFSPLITS, ",
      "TRIPS.GRADE = GRADE.GRADE",
      " AND ARDETAIL.TRANCODE<>'PAY' AND TRIPS.GRADE = GRADE.GRADE) AS TOTALAMOUNT ",
      "FROM CUSTOMER INNER JOIN (GRADE INNER JOIN TRIPS ON GRADE.GRADE = TRIPS.GRADE) ON "
      "CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
      " GROUP BY GRADE.GRADE, GRADE.DESCRIPTION"};
  std::string none =
      " UNION SELECT ('*None') AS TYPEDESCRIPTION, COUNT(*) AS NUMBEROFTRIPS, SUM(SELECT "
      "COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = TRIPSPLIT.TRIPNUM WHERE "
      "TRIPS.GRADE = '') AS NUMBEROFSPLITS, SUM(TRIPS.NUMSTUDENTS) AS NUMBEROFSTUDENTS, "
      "SUM(TRIPS.NUMADULTS) AS NUMBEROFADULTS, SUM(SELECT SUM(TRIPEMPLOYEES.HOURS) FROM "
      "TRIPEMPLOYEES INNER JOIN TRIPS ON TRIPS.TRIPNUM = TRIPEMPLOYEES.TRIPNUM  AND TRIPS.GRADE IS "
      "NULL) AS TOTALHOURS, SUM(SELECT SUM(TRIPEMPLOYEES.MILES) FROM TRIPEMPLOYEES INNER JOIN "
      "TRIPS ON TRIPS.TRIPNUM = TRIPEMPLOYEES.TRIPNUM  AND TRIPS.GRADE IS NULL) AS TOTALMILES, "
      "SUM(SELECT SUM(ARDETAIL.TRANAMT) FROM ARDETAIL INNER JOIN TRIPS ON TRIPS.TRIPNUM = "
      "ARDETAIL.TRIPNUM  AND ARDETAIL.TRANCODE<>'PAY' AND TRIPS.GRADE IS NULL) AS TOTALAMOUNT "
      "FROM CUSTOMER INNER JOIN TRIPS ON CUSTOMER.CUSTOMER = TRIPS.CUSTOMER  AND TRIPS.GRADE IS "
      "NULL";
  Rows rows = allRows(db_, summary(grade, "") + none);
  EXPECT_EQ(rows, (Rows{{"*None", "1", "0", "30", "3", "3", "25", "55"},
                        {"09 - Ninth", "1", "2", "20", "2", "4", "50", "100"},
                        {"10 - Tenth", "2", "1", "15", "2", "1", "5", "20"}}));
}

TEST_F(SqlStatements, SummaryFieldNamesAreTheAliases) {
  Recordset rs;
  rs.open(categoryWithNone(""), db_);
  ASSERT_EQ(rs.fieldCount(), static_cast<int>(kSummaryHeader.size()));
  for (int i = 0; i < rs.fieldCount(); ++i)
    EXPECT_EQ(rs.fieldName(i), kSummaryHeader[static_cast<size_t>(i)]);
}

TEST_F(SqlStatements, ConcatenationReadsNullAsEmpty) {
  EXPECT_EQ(column(db_,
                   "SELECT (DESTINATION.DESTDESC & ', ' & DESTINATION.DESTADD2) AS X FROM "
                   "DESTINATION WHERE DESTINATION.DESTINATION = 1",
                   "X"),
            (std::vector<std::string>{"Zoo, "}));
  EXPECT_EQ(
      column(db_, "SELECT (DESTADD2 & DESTADD2) AS X FROM DESTINATION WHERE DESTINATION = 1", "X"),
      (std::vector<std::string>{"<null>"}));
}

TEST_F(SqlStatements, FunctionResultsCompareIgnoringCase) {
  EXPECT_EQ(column(db_, "SELECT CUSTOMER FROM CUSTOMER WHERE ucase$(CUSTNAME) = 'larkdale high'",
                   "CUSTOMER"),
            (std::vector<std::string>{"LHS"}));
  EXPECT_EQ(
      column(db_, "SELECT CUSTOMER FROM CUSTOMER WHERE (CUSTOMER & 'x') = 'lhsX'", "CUSTOMER"),
      (std::vector<std::string>{"LHS"}));
}

TEST_F(SqlStatements, DateFunctionGivesTodayAtMidnight) {
  Recordset rs;
  rs.open("SELECT Date() AS TODAY, STR(-3) AS S, STR(12) AS T, CLNG('3.5') AS C", db_);
  EXPECT_EQ(rs.field("TODAY"), Value::date(vb::Today()));
  EXPECT_EQ(rs.field("S"), Value::text("-3"));
  EXPECT_EQ(rs.field("T"), Value::text(" 12"));
  EXPECT_EQ(rs.field("C"), Value::whole(4));
}

TEST_F(SqlStatements, ClngOfTextThatIsNoNumberFailsTheStatement) {
  Recordset rs;
  try {
    rs.open("SELECT * FROM TRIPSREQ WHERE TRIPNUM = CLNG('abc')", db_);
    FAIL() << "expected an error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::kDatabase);
    EXPECT_EQ(e.description(), "Type mismatch");
  }
}

TEST_F(SqlStatements, DeleteReturnsRowsChangedAndMissingRowIsNoError) {
  EXPECT_EQ(db_.execute("DELETE FROM TRIPSREQ where TRIPNUM = 2"), 1);
  EXPECT_EQ(db_.execute("DELETE FROM TRIPSREQ where TRIPNUM = 2"), 0);
  EXPECT_EQ(column(db_, "SELECT TRIPNUM FROM TRIPSREQ ORDER BY TRIPNUM", "TRIPNUM"),
            (std::vector<std::string>{"1", "3"}));
}

TEST_F(SqlStatements, SecondStatementIsRefused) {
  EXPECT_THROW(db_.execute("DELETE FROM TRIPSREQ where TRIPNUM = 1; DELETE FROM TRIPSREQ"),
               VbError);
  EXPECT_EQ(column(db_, "SELECT COUNT(*) AS N FROM TRIPSREQ", "N"),
            (std::vector<std::string>{"3"}));
}

}  // namespace
}  // namespace ravadid::db

// Every statement the pages send, built the way the pages build it (text values through
// sqlText, numbers bare, dates through sqlDate) and run through the database layer against the
// full schema of the three files, filled with a small sample district.
//
// A case whose statement the layer cannot yet run as meant carries a gap note: it is skipped
// with "translator gap: ..." while the layer gives a wrong answer, and checked like any other
// case once it gives the right one.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "frame/connections.h"
#include "frame/db/database.h"
#include "frame/errors.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "frame/value.h"
#include "sample_district.h"

namespace ravadid::db {
namespace {

using testing::SampleDistrict;
using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

// ---------------------------------------------------------------------------------------------
// Reading results
// ---------------------------------------------------------------------------------------------

std::string text(const Value& value) {
  return value.isNull() ? "<null>" : vb::CStr(value);
}

// The named fields of every row from the current one on.
Rows rowsOf(Recordset& rs, const std::vector<std::string>& fields) {
  Rows rows;
  for (; !rs.eof(); rs.moveNext()) {
    Row row;
    for (const std::string& field : fields) row.push_back(text(rs.field(field)));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string translationOf(const std::string& sql) {
  try {
    return translateSql(sql);
  } catch (const VbError& e) {
    return "(no translation: " + e.description() + ")";
  }
}

// ---------------------------------------------------------------------------------------------
// Statement texts shared by several pages, as the pages concatenate them
// ---------------------------------------------------------------------------------------------

// The request search's two column lists and its ordering.
const std::string kQueueColumns =
    std::string("SELECT TRIPSREQ.TRIPNUM, TRIPSREQ.INTTRIPNUM, ") +
    "TRIPSREQ.CUSTOMER, TRIPSREQ.DESTINATION, " +
    "tripsreq.destdesc as trDESTDESC, TRIPSREQ.DEPDATE, " + "TRIPSREQ.DEPTIME, TRIPSREQ.STATUS, " +
    "DateValue(TRIPSREQ.STATUS_DATE) AS Expr1, " + "TRIPSREQ.STATUS_COMMENT, TRIPSREQ.GRADE, " +
    "TRIPSREQ.RETDATE, TRIPSREQ.RETTIME, " +
    "TRIPSREQ.ARRIVETIME, TRIPSREQ.LEAVETIME, TRIPSREQ.FUND, " +
    "TRIPSREQ.REQDATE, TRIPSREQ.CHAINID, TRIPSREQ.TRIPCAT, " +
    "TRIPSREQ.FIELDTRIP_NUM, TRIPSREQ.NUMSTUDENTS, TRIPSREQ.NUMADULTS, TRIPSREQ.PURPOSE " +
    "FROM TRIPSREQ";
const std::string kFilterColumns =
    std::string(
        "SELECT TRIPSREQ.TRIPNUM, TRIPSREQ.ENTERDATE, TRIPSREQ.CONTACT, TRIPSREQ.INTTRIPNUM, ") +
    "TRIPSREQ.CUSTOMER, TRIPSREQ.DESTINATION, " +
    "tripsreq.destdesc as trDESTDESC, TRIPSREQ.DEPDATE, " + "TRIPSREQ.DEPTIME, TRIPSREQ.STATUS, " +
    "DateValue(TRIPSREQ.STATUS_DATE) AS Expr1, " +
    "TRIPSREQ.STATUS_COMMENT, TRIPSREQ.GRADE, TRIPSREQ.RETDATE, " +
    "TRIPSREQ.RETTIME, TRIPSREQ.ARRIVETIME, TRIPSREQ.LEAVETIME, " +
    "TRIPSREQ.FUND, TRIPSREQ.REQDATE, TRIPSREQ.CHAINID, " +
    "TRIPSREQ.FIELDTRIP_NUM, TRIPSREQ.TRIPCAT, TRIPSREQ.NUMSTUDENTS, TRIPSREQ.NUMADULTS, "
    "TRIPSREQ.PURPOSE " +
    "FROM TRIPSREQ";
const char* kRequestOrder = " ORDER BY TRIPSREQ.DEPDATE, TRIPSREQ.DEPTIME, TRIPSREQ.DESTINATION";

// The approver's queue: one term per (chain, awaited status) pair of the user's role.
std::string approverQueue(const std::vector<std::pair<std::string, std::string>>& pairs,
                          const std::string& customer) {
  std::string sql = kQueueColumns + " WHERE " + "(";
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i > 0) sql += " OR ";
    sql += "(TRIPSREQ.CHAINID = " + sqlText(pairs[i].first) +
           " AND TRIPSREQ.STATUS = " + sqlText(pairs[i].second) + ")";
  }
  sql += ")";
  if (!vb::Trim(customer).empty()) sql += " AND (TRIPSREQ.CUSTOMER = " + sqlText(customer) + ")";
  return sql + kRequestOrder;
}

struct RequestFilters {
  std::string depFrom, depTo, enterFrom, enterTo, status, grade, customer, dest, tripcat, intNum;
};

// The request search's filter query.
std::string requestFilterQuery(const RequestFilters& f = {}) {
  std::string sql = kFilterColumns;
  bool first = true;
  auto add = [&](const std::string& condition) {
    sql += first ? " WHERE" : " AND";
    sql += condition;
    first = false;
  };
  if (!f.depFrom.empty()) {
    std::string to = vb::Trim(f.depTo).empty() ? f.depFrom : f.depTo;
    add(" TRIPSREQ.DEPDATE >= " + sqlDate(f.depFrom) + " and TRIPSREQ.DEPDATE <= " + sqlDate(to));
  }
  if (!f.enterFrom.empty()) {
    std::string to = vb::Trim(f.enterTo).empty() ? f.enterFrom : f.enterTo;
    add(" datevalue(TRIPSREQ.REQDATE) >= " + sqlDate(f.enterFrom) +
        " and datevalue(TRIPSREQ.REQDATE) <= " + sqlDate(to));
  }
  if (!f.status.empty()) add(" TRIPSREQ.STATUS = " + sqlText(f.status));
  if (!f.grade.empty()) add(" TRIPSREQ.GRADE = " + sqlText(f.grade));
  if (!vb::Trim(f.customer).empty()) add(" TRIPSREQ.CUSTOMER = " + sqlText(f.customer));
  if (!f.dest.empty()) add(" TRIPSREQ.DESTINATION = " + sqlNumber(f.dest));
  if (!f.tripcat.empty()) add(" TRIPSREQ.TRIPCAT = " + sqlText(f.tripcat));
  if (!f.intNum.empty()) add(" TRIPSREQ.INTTRIPNUM = " + sqlText(f.intNum));
  return sql + kRequestOrder;
}

// The field trip search's column lists: the full one and the counting one.
const std::string kTripColumnsHead =
    std::string(
        "SELECT TRIPS.TRIPNUM, TRIPS.ESTTIME, TRIPS.ESTMILE, TRIPS.INTTRIPNUM, TRIPS.CUSTOMER, "
        "CUSTOMER.CUSTNAME, ") +
    "TRIPS.DESTINATION, DESTINATION.DESTDESC, TRIPS.DEPDATE, TRIPS.DEPTIME, TRIPS.ASSIGNED, " +
    "TRIPS.BILLED, DateValue(TRIPS.BILLDATE) AS BILLDATE, TRIPS.CANCELED, " +
    "DATEVALUE(TRIPS.CANDATE) AS CANDATE, TRIPS.GRADE, CUSTOMER.CUSTDIV, " +
    "TRIPS.RETDATE, TRIPS.RETTIME, TRIPS.FUND, TRIPS.TRIPREQNUM, TRIPS.PO, TRIPS.TRIPCAT, " +
    "TRIPS.SCHEDULE, TRIPS.NUMSTUDENTS, TRIPS.NUMADULTS, TRIPS.CONTACT, TRIPS.ARRIVETIME, "
    "TRIPS.LEAVETIME, TRIPS.PURPOSE, TRIPS.SHUTTLE, ";
const std::string kTripFrom =
    std::string("FROM (((TRIPS LEFT JOIN CUSTOMER ON TRIPS.CUSTOMER = CUSTOMER.CUSTOMER) ") +
    "LEFT JOIN DESTINATION ON TRIPS.DESTINATION = DESTINATION.DESTINATION) " +
    "LEFT JOIN CUSTOMER AS CUSTOMER_1 ON TRIPS.BILLCUST = CUSTOMER_1.CUSTOMER) ";
const std::string kTripColumns =
    kTripColumnsHead + "CUSTOMER_1.CUSTNAME as BILLCUSTNAME, TRIPS.BILLCUST, " +
    "(SELECT SUM(TRANAMT) FROM ARDETAIL WHERE TRANCODE='BIL' AND TRIPNUM=TRIPS.TRIPNUM) AS "
    "TOTALBILLED, " +
    "(SELECT SUM(TRANAMT) FROM ARDETAIL WHERE TRIPNUM=TRIPS.TRIPNUM) AS TOTALDUE " + kTripFrom;
const std::string kTripCountColumns =
    kTripColumnsHead + "CUSTOMER_1.CUSTNAME as BILLCUSTNAME, TRIPS.BILLCUST " + kTripFrom;

struct TripFilters {
  std::string depFrom, depTo, grade, customer, dest, tripcat, division, intNum, tripReqNum, tripNum;
  std::string assigned = "ON", unassigned = "ON", billed = "ON", unbilled = "ON", cancelled = "ON",
              open = "ON";
  std::string openBalance, billCust, po, fund;
  std::string sort1 = "DEPDATE", sort2;
};

// The WHERE part that the trip search stores for the summary report (empty or " WHERE...").
std::string tripCondition(const TripFilters& f) {
  std::string sql;
  auto add = [&](const std::string& condition) {
    sql += sql.empty() ? " WHERE" : " AND";
    sql += condition;
  };
  auto pair = [&](const std::string& on, const std::string& off, const char* column) {
    if (on == off) return;
    add(std::string(" ") + column + (on == "ON" ? " = TRUE" : " = FALSE"));
  };
  if (!f.depFrom.empty()) {
    std::string to = vb::Trim(f.depTo).empty() ? f.depFrom : f.depTo;
    add(" TRIPS.DEPDATE >= " + sqlDate(f.depFrom) + " and TRIPS.DEPDATE <= " + sqlDate(to));
  }
  if (!f.grade.empty()) add(" TRIPS.GRADE = " + sqlText(f.grade));
  if (!f.customer.empty()) add(" TRIPS.CUSTOMER = " + sqlText(f.customer));
  if (!f.dest.empty()) add(" TRIPS.DESTINATION = " + sqlNumber(f.dest));
  if (!f.tripcat.empty()) add(" TRIPS.TRIPCAT = " + sqlText(f.tripcat));
  if (!f.division.empty()) add(" CUSTOMER.CUSTDIV = " + sqlText(f.division));
  if (!f.intNum.empty()) add(" TRIPS.INTTRIPNUM = " + sqlText(f.intNum));
  if (!f.tripReqNum.empty()) add(" TRIPS.TRIPREQNUM = " + sqlWhole(f.tripReqNum));
  if (!f.tripNum.empty()) add(" TRIPS.TRIPNUM = " + sqlWhole(f.tripNum));
  pair(f.assigned, f.unassigned, "TRIPS.ASSIGNED");
  pair(f.billed, f.unbilled, "TRIPS.BILLED");
  pair(f.cancelled, f.open, "TRIPS.CANCELED");
  if (f.openBalance == "ON")
    add(" (TRIPS.AMOUNT1 > 0 OR TRIPS.AMOUNT2 > 0 OR TRIPS.AMOUNT3 > 0 OR TRIPS.AMOUNT4 > 0 OR "
        "TRIPS.AMOUNT5)");
  if (!f.billCust.empty()) add(" TRIPS.BILLCUST = " + sqlText(f.billCust));
  if (!f.po.empty()) add(" TRIPS.PO = " + sqlText(f.po));
  if (!f.fund.empty()) add(" TRIPS.FUND = " + sqlText(f.fund));
  return sql;
}

// The request search's filter query with some filters set.
template <typename Change>
std::string requestsWhere(Change change) {
  RequestFilters f;
  change(f);
  return requestFilterQuery(f);
}

std::string tripQuery(const TripFilters& f) {
  std::string order = " ORDER BY TRIPS.DEPDATE";
  if (!f.sort1.empty()) order = " ORDER BY " + f.sort1 + (f.sort2.empty() ? "" : ", " + f.sort2);
  return kTripColumns + tripCondition(f) + order;
}

std::string tripCountQuery(const TripFilters& f) {
  return kTripCountColumns + tripCondition(f);
}

// The summary report's statement for one grouping and the stored trip search condition.
struct Grouping {
  const char* description;
  const char* splits;
  const char* link;
  const char* from;
  const char* groupBy;
};

const Grouping kByCategory = {
    "(TRIPCAT.TRIPCAT&' - '&TRIPCAT.DESCRIPTION) AS TYPEDESCRIPTION, ",
    "SUM(SELECT COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = TRIPSPLIT.TRIPNUM "
    "WHERE TRIPS.TRIPCAT = TRIPCAT.TRIPCAT) AS NUMBEROFSPLITS, ",
    "TRIPS.TRIPCAT = TRIPCAT.TRIPCAT",
    "FROM CUSTOMER INNER JOIN (TRIPCAT INNER JOIN TRIPS ON TRIPCAT.TRIPCAT = TRIPS.TRIPCAT) ON "
    "CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
    " GROUP BY TRIPCAT.TRIPCAT, TRIPCAT.DESCRIPTION"};
const Grouping kByCustomer = {
    "(CUSTOMER.CUSTOMER&' - '&CUSTOMER.CUSTNAME) AS TYPEDESCRIPTION, ",
    "SUM(SELECT COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = TRIPSPLIT.TRIPNUM "
    "WHERE TRIPS.CUSTOMER = CUSTOMER.CUSTOMER) AS NUMBEROFSPLITS, ",
    "TRIPS.CUSTOMER = CUSTOMER.CUSTOMER",
    "FROM CUSTOMER INNER JOIN TRIPS ON CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
    " GROUP BY CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME"};
const Grouping kByDestination = {
    "(STR(DESTINATION.DESTINATION)&' - '&DESTINATION.DESTDESC) AS TYPEDESCRIPTION, ",
    "SUM(SELECT COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = TRIPSPLIT.TRIPNUM "
    "WHERE TRIPS.DESTINATION = DESTINATION.DESTINATION) AS NUMBEROFSPLITS, ",
    "TRIPS.DESTINATION = DESTINATION.DESTINATION",
    "FROM CUSTOMER INNER JOIN (DESTINATION INNER JOIN TRIPS ON DESTINATION.DESTINATION = "
    "TRIPS.DESTINATION) ON CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
    " GROUP BY DESTINATION.DESTINATION, DESTINATION.DESTDESC"};
const Grouping kByFund = {
    "(FUND.FUND&' - '&FUND.FUNDDESC) AS TYPEDESCRIPTION, ",
    "SUM(SELECT 1 FROM TRIPSPLIT WHERE TRIPSPLIT.FUND = FUND.FUND) AS NUMBEROFSPLITS, ",
    "TRIPS.FUND = FUND.FUND",
    "FROM CUSTOMER INNER JOIN (FUND INNER JOIN TRIPS ON FUND.FUND = TRIPS.FUND) ON "
    "CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
    " GROUP BY FUND.FUND, FUND.FUNDDESC"};
const Grouping kByGrade = {
    "(GRADE.GRADE&' - '&GRADE.DESCRIPTION) AS TYPEDESCRIPTION, ",
    "SUM(SELECT COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = TRIPSPLIT.TRIPNUM "
    "WHERE TRIPS.GRADE = GRADE.GRADE) AS NUMBEROFSPLITS, ",
    "TRIPS.GRADE = GRADE.GRADE",
    "FROM CUSTOMER INNER JOIN (GRADE INNER JOIN TRIPS ON GRADE.GRADE = TRIPS.GRADE) ON "
    "CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
    " GROUP BY GRADE.GRADE, GRADE.DESCRIPTION"};

const char* kHoursHead =
    "SUM(SELECT SUM(TRIPEMPLOYEES.HOURS) FROM TRIPEMPLOYEES INNER JOIN TRIPS ON TRIPS.TRIPNUM = "
    "TRIPEMPLOYEES.TRIPNUM ";
const char* kMilesHead =
    "SUM(SELECT SUM(TRIPEMPLOYEES.MILES) FROM TRIPEMPLOYEES INNER JOIN TRIPS ON TRIPS.TRIPNUM = "
    "TRIPEMPLOYEES.TRIPNUM ";
const char* kAmountHead =
    "SUM(SELECT SUM(ARDETAIL.TRANAMT) FROM ARDETAIL INNER JOIN TRIPS ON TRIPS.TRIPNUM = "
    "ARDETAIL.TRIPNUM ";
const char* kPeople =
    "SUM(TRIPS.NUMSTUDENTS) AS NUMBEROFSTUDENTS, SUM(TRIPS.NUMADULTS) AS NUMBEROFADULTS, ";

std::string summaryQuery(const Grouping& g, const std::string& condition) {
  const std::string link = g.link;
  const std::string amountLink =
      &g == &kByCategory ? " AND ARDETAIL.TRANCODE='BIL' AND TRIPS.TRIPCAT = TRIPCAT.TRIPCAT) AS "
                           "TOTALAMOUNT "
                         : " AND ARDETAIL.TRANCODE<>'PAY' AND " + link + ") AS TOTALAMOUNT ";
  std::string sql = std::string("SELECT ") + g.description + "COUNT(*) AS NUMBEROFTRIPS, " +
                    g.splits + kPeople + kHoursHead + condition + " AND " + link +
                    ") AS TOTALHOURS, " + kMilesHead + condition + " AND " + link +
                    ") AS TOTALMILES, " + kAmountHead + condition + amountLink + g.from +
                    condition + g.groupBy;
  if (&g == &kByCategory) {
    sql += std::string(" UNION ") + "SELECT " + "('*None') AS TYPEDESCRIPTION, " +
           "COUNT(*) AS NUMBEROFTRIPS, " +
           "SUM(SELECT COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = "
           "TRIPSPLIT.TRIPNUM " +
           condition + " AND TRIPS.TRIPCAT = '') AS NUMBEROFSPLITS, " + kPeople + kHoursHead +
           condition + " AND TRIPS.TRIPCAT  = '') AS TOTALHOURS, " + kMilesHead + condition +
           " AND TRIPS.TRIPCAT  = '') AS TOTALMILES, " +
           "(SELECT SUM(ARDETAIL.TRANAMT) FROM ARDETAIL INNER JOIN TRIPS ON TRIPS.TRIPNUM = "
           "ARDETAIL.TRIPNUM " +
           condition + " AND ARDETAIL.TRANCODE='BIL' AND TRIPS.TRIPCAT  = '') AS TOTALAMOUNT " +
           "FROM CUSTOMER INNER JOIN TRIPS ON CUSTOMER.CUSTOMER = TRIPS.CUSTOMER " + condition +
           " AND TRIPS.TRIPCAT  = ''";
  } else if (&g == &kByGrade) {
    sql += std::string(" UNION ") + "SELECT " + "('*None') AS TYPEDESCRIPTION, " +
           "COUNT(*) AS NUMBEROFTRIPS, " +
           "SUM(SELECT COUNT(*) FROM TRIPSPLIT INNER JOIN TRIPS ON TRIPS.TRIPNUM = "
           "TRIPSPLIT.TRIPNUM WHERE TRIPS.GRADE = '') AS NUMBEROFSPLITS, " +
           kPeople + kHoursHead + condition + " AND TRIPS.GRADE IS NULL) AS TOTALHOURS, " +
           kMilesHead + condition + " AND TRIPS.GRADE IS NULL) AS TOTALMILES, " + kAmountHead +
           condition + " AND ARDETAIL.TRANCODE<>'PAY' AND TRIPS.GRADE IS NULL) AS TOTALAMOUNT " +
           "FROM CUSTOMER INNER JOIN TRIPS ON CUSTOMER.CUSTOMER = TRIPS.CUSTOMER " + condition +
           " AND TRIPS.GRADE IS NULL";
  }
  return sql;
}

const std::vector<std::string> kSummaryFields = {
    "TYPEDESCRIPTION", "NUMBEROFTRIPS", "NUMBEROFSPLITS", "NUMBEROFSTUDENTS",
    "NUMBEROFADULTS",  "TOTALHOURS",    "TOTALMILES",     "TOTALAMOUNT"};

// The record-set search criterion of the request results and reports.
std::string customerCriterion(const std::string& code) {
  return "CUSTOMER = " + sqlText(code);
}

// ---------------------------------------------------------------------------------------------
// The read-only statements, page by page
// ---------------------------------------------------------------------------------------------

struct QueryCase {
  std::string name;
  const char* file;  // the file whose connection runs the statement
  std::string sql;
  std::vector<std::string> fields;  // compared, in every row
  Rows expected;
  std::vector<std::string> reads;  // further fields the page reads from the rows
  const char* gap;                 // a known translator gap, or null
};

QueryCase query(std::string name, const char* file, std::string sql,
                std::vector<std::string> fields, Rows expected, std::vector<std::string> reads = {},
                const char* gap = nullptr) {
  return QueryCase{std::move(name),  file, std::move(sql), std::move(fields), std::move(expected),
                   std::move(reads), gap};
}

void PrintTo(const QueryCase& c, std::ostream* os) {
  *os << c.name;
}

// The district that the read-only statements share; made on first use.
SampleDistrict& sharedDistrict() {
  static SampleDistrict district;
  return district;
}

class SystemStatementQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(SystemStatementQuery, GivesTheRowsThePageExpects) {
  const QueryCase& c = GetParam();
  Rows rows;
  std::vector<std::string> missing;
  std::string failure;
  try {
    Connection connection = sharedDistrict().connect(c.file);
    Recordset rs;
    rs.open(c.sql, connection, CursorType::Static, LockType::ReadOnly);
    for (const std::string& field : c.reads)
      if (!rs.hasField(field)) missing.push_back(field);
    rows = rowsOf(rs, c.fields);
  } catch (const VbError& e) {
    failure = "error " + std::to_string(e.number()) + ": " + e.description();
  }
  if (c.gap && (!failure.empty() || rows != c.expected || !missing.empty())) {
    GTEST_SKIP() << "translator gap: " << c.gap << "\n  statement: " << c.sql
                 << "\n  translated: " << translationOf(c.sql)
                 << "\n  got: " << (failure.empty() ? ::testing::PrintToString(rows) : failure);
  }
  ASSERT_EQ(failure, "") << c.sql << "\ntranslated: " << translationOf(c.sql);
  EXPECT_EQ(rows, c.expected) << c.sql << "\ntranslated: " << translationOf(c.sql);
  EXPECT_EQ(missing, std::vector<std::string>{}) << "fields the page reads are missing";
}

std::string caseName(const ::testing::TestParamInfo<QueryCase>& info) {
  return info.param.name;
}

// Start page: the site settings.
std::vector<QueryCase> startPageCases() {
  return {
      query("District", kTripFile, "select * from District",
            {"DISTNAME", "DISTCITY", "DISTSTATE", "DISTZIP", "DEFAULT_CALCNUMDRIVER",
             "DEPDT_LEADTIME", "TOTAL_TRIPS_LIMIT"},
            {{"Larkdale Unified School District", "Larkdale", "OR", "97000", "True", "5", "12"}},
            {"DISTADDR1", "DISTPHONE", "DEFAULTVTYPE", "TRANSTITLE", "autofill_requests",
             "AUTOFILL", "VIEW_OTHER_SCHOOLS", "FUND_DD", "DEPDT_LEADTIME_HARDWARN", "USECUSTFUND",
             "TOTAL_TRIPS_LIMIT_MESSAGE", "TOTAL_TRIPS_HARDWARN"}),
      query("RequiredFields", kTripFile, "SELECT * FROM TRIPREQ_REQUIRED",
            {"REQUEST_DATE_REQUIRED", "FUND_REQUIRED", "CUSTOMER_REQUIRED", "RETDATE_REQ",
             "GRADE_REQ"},
            {{"True", "True", "True", "False", "<null>"}},
            {"CONTACT_REQ", "DESTINATION_REQ", "DEPDATE_REQ",    "DEPTIME_REQ",
             "RETTIME_REQ", "ARRIVETIME_REQ",  "LEAVETIME_REQ",  "ESTMILE_REQ",
             "ESTTIME_REQ", "NUMSTUDENTS_REQ", "NUMADULTS_REQ",  "NUMWHEEL_REQ",
             "PURPOSE_REQ", "DESTSPEC_REQ",    "CUSTSPEC_REQ",   "TRIPCOM_REQ",
             "PO_REQ",      "TRIPCAT_REQ",     "INTTRIPNUM_REQ", "INVOICE_COMMENT_REQ"}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsStartPage, SystemStatementQuery,
                         ::testing::ValuesIn(startPageCases()), caseName);

// Sign-in: the user, the district's request comment and the mail switches.
std::string userLookup(const std::string& typed) {
  return "Select * from KRSCU where trim$(KRSCU.KRSC1) = " + sqlText(vb::Trim(typed));
}

std::vector<QueryCase> signInCases() {
  const std::vector<std::string> user = {"KRSC1", "KRSC2",    "CUSTOMER",
                                         "ROLE",  "SCTKFOVD", "SCTKDDFT"};
  return {
      query("UserIdWithQuoteTypedWithBlanks", kUsersFile, userLookup("  k.o'brien "), user,
            {{"k.o'brien", "shamrock", "O'BRIEN", "PRINCIPAL", "False", "True"}}),
      query("UserIdStoredWithBlankTypedInCapitals", kUsersFile, userLookup("JSMITH"), user,
            {{"jsmith ", "Secret1", "LHS", "TEACHER", "False", "False"}}),
      query("UserIdThatTriesToWidenTheQuery", kUsersFile, userLookup("x' OR '1'='1"), user, {}),
      query("UnknownUserId", kUsersFile, userLookup("nobody"), user, {}),
      query("UserIdWithLettersOutsideAscii", kUsersFile, userLookup("josé.nuñez"), {"KRSC1"},
            {{"josé.nuñez"}}),
      query("UserIdWithLettersOutsideAsciiInCapitals", kUsersFile, userLookup("JOSÉ.NUÑEZ"),
            {"KRSC1"}, {{"josé.nuñez"}}),
      query("UserIdEndingInComment", kUsersFile, userLookup("k.o'brien'--"), user, {}),
      query("RequestComment", kTripFile, "select * from District", {"TRIPREQ_COMMENT"},
            {{"Submit requests two weeks ahead; the principal's approval comes first."}}),
      query("MailSwitches", kTripFile,
            "SELECT REQ_TREKKO_CHANGE, ADM_TREKKO_CHANGE, APP_TREKKO_CHANGE FROM EMAIL_OPTIONS",
            {"REQ_TREKKO_CHANGE", "ADM_TREKKO_CHANGE", "APP_TREKKO_CHANGE"},
            {{"True", "False", "True"}}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsSignIn, SystemStatementQuery,
                         ::testing::ValuesIn(signInCases()), caseName);

// Drop-down lists loaded at sign-in (and the request form's fund list for one customer).
std::string boundCustomerList(const std::string& sessionCustomer) {
  return "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID From CUSTOMER WHERE "
         "trim$(ucase$(CUSTOMER.CUSTOMER))=" +
         sqlText(vb::UCase(vb::Trim(sessionCustomer))) + ";";
}

std::string customerFundList(const std::string& customer) {
  return std::string(
             "SELECT CUSTOMER_FUND.FUND, FUND.FUNDDESC FROM FUND INNER JOIN CUSTOMER_FUND ON "
             "FUND.FUND = CUSTOMER_FUND.FUND") +
         " WHERE (Fund.Active = True) AND (CUSTOMER_FUND.CUSTOMER = " + sqlText(customer) +
         ") ORDER BY CUSTOMER_FUND.Fund";
}

std::vector<QueryCase> dropDownCases() {
  return {
      query("Grades", kTripFile, "Select GRADE.* from GRADE where GRADE.Active = True", {"GRADE"},
            {{"K"}, {"09"}, {"10"}}),
      query("ActiveCustomersByName", kTripFile,
            "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID From CUSTOMER WHERE "
            "(CUSTOMER.ACTIVE=True) order by CUSTOMER.custname;",
            {"CUSTOMER", "CUSTNAME"},
            {{"EMS", "East Middle School"},
             {"LHS", "Larkdale High School"},
             {"O'BRIEN", "O'Brien Elementary"},
             {"SMA", "St. Mary's Academy"}}),
      query("CustomerOfUserWithQuoteInCode", kTripFile, boundCustomerList(" O'Brien"),
            {"CUSTOMER", "CUSTNAME"}, {{"O'BRIEN", "O'Brien Elementary"}}),
      query("CustomerOfUser", kTripFile, boundCustomerList("lhs "), {"CUSTOMER", "CUSTNAME"},
            {{"LHS", "Larkdale High School"}}),
      query("ActiveDestinationsByDescription", kTripFile,
            "SELECT DESTINATION.DESTINATION, DESTINATION.DESTDESC, DESTINATION.DESTADD1 From "
            "Destination WHERE (DESTINATION.ACTIVE=True) order by DESTINATION.DESTDESC;",
            {"DESTINATION", "DESTDESC"},
            {{"12", "Aquarium of the Bay, Pier 39"},
             {"10", "City Museum of Science"},
             {"11", "Larkdale Zoo"},
             {"15", "Museo de Arte Español"},
             {"14", "The \"Big Top\" Circus"}}),
      query("TripCategoriesByDescription", kTripFile,
            "Select TRIPCAT.* from TRIPCAT where TRIPCAT.Active = True order by "
            "TRIPCAT.DESCRIPTION",
            {"TRIPCAT"}, {{"ACAD"}, {"ATH"}, {"OVN"}}),
      query("RequestStatusesByDescription", kTripFile,
            "Select TRIPREQSTATUS.* from TRIPREQSTATUS where TRIPREQSTATUS.Active = True ORDER BY "
            "TRIPREQSTATUS.DESCRIPTION",
            {"STATUS"},
            {{"ACCEPTED"}, {"Principal's OK"}, {"UNAPPROVED"}, {"Denied"}, {"Pending"}}),
      query("DivisionsByDescription", kTripFile,
            "SELECT Division.Division, Division.DESCRIPTION From Division WHERE "
            "(Division.ACTIVE=True) ORDER BY DIVISION.DESCRIPTION;",
            {"Division", "DESCRIPTION"}, {{"N", "North"}, {"S", "South"}}),
      query("DestinationCategories", kTripFile,
            "Select DESTCAT.* from DESTCAT where DESTCAT.Active = True", {"DESTCAT"},
            {{"MUSEUM"}, {"OUTDOOR"}}),
      query("AllActiveFunds", kTripFile,
            "Select Fund.* from Fund where Fund.Active = True ORDER BY FUND.FUND",
            {"Fund", "FUNDDESC"},
            {{"100", "General Fund"},
             {"210", "Athletics"},
             {"305", "Parents' Club"},
             {"510", "<null>"},
             {"620", "Arts & Music"}}),
      query("FundsOfCustomerWithQuoteInCode", kTripFile, customerFundList("O'BRIEN"),
            {"FUND", "FUNDDESC"}, {{"100", "General Fund"}, {"510", "<null>"}}),
      query("FundsOfCustomerLeaveOutInactiveFund", kTripFile, customerFundList("LHS"),
            {"FUND", "FUNDDESC"}, {{"100", "General Fund"}, {"210", "Athletics"}}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsDropDowns, SystemStatementQuery,
                         ::testing::ValuesIn(dropDownCases()), caseName);

// Request form: opening a stored request (from the list, after a save, after a lookup).
const std::vector<std::string> kRequestFormReads = {
    "TRIPNUM",   "REQDATE",   "CUSTOMER",  "DESTINATION",     "DESTDESC",      "DESTADD1",
    "DESTADD2",  "CONTACT",   "Fund",      "INTTRIPNUM",      "depdate",       "deptime",
    "retdate",   "rettime",   "Status",    "GRADE",           "chainid",       "STATUS_DATE",
    "ENTEREDBY", "enterdate", "NUMADULTS", "NUMSTUDENTS",     "NUMHAND",       "arrivetime",
    "estTime",   "leavetime", "ESTMILE",   "PURPOSE",         "CUSTSPEC",      "DESTSPEC",
    "TRIPCOM",   "PO",        "TRIPCAT",   "REQUESTOR_EMAIL", "STATUS_COMMENT"};

std::vector<QueryCase> requestFormCases() {
  const std::vector<std::string> fields = {"TRIPNUM", "CUSTOMER", "Status",
                                           "depdate", "deptime",  "arrivetime"};
  return {
      query("OpenedFromTheSession", kRequestsFile,
            "SELECT TRIPSREQ.* FROM TRIPSREQ WHERE TRIPNUM = CLNG(" + std::string("3") + ")",
            fields, {{"3", "O'BRIEN", "UNAPPROVED", "3/12/2026", "9:30:00 AM", "<null>"}},
            kRequestFormReads),
      query("OpenedByNumber", kRequestsFile,
            "SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = clng(" + std::string("1") + ")",
            fields, {{"1", "LHS", "Principal's OK", "3/5/2026", "8:00:00 AM", "9:00:01 AM"}},
            kRequestFormReads),
      query("MissingRequest", kRequestsFile,
            "SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = clng(" + std::string("99") + ")",
            fields, {}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsRequestForm, SystemStatementQuery,
                         ::testing::ValuesIn(requestFormCases()), caseName);

// Printable request.
std::vector<QueryCase> printableRequestCases() {
  const std::vector<std::string> fields = {"TRIPNUM", "STATUS_COMMENT", "chainid", "ENTEREDBY"};
  const Rows first = {{"1", "Approved; bring the permission slips.", "HS", "jsmith"}};
  return {
      query("Respond", kRequestsFile,
            "SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = clng(" + std::string("1") + ")",
            fields, first, kRequestFormReads),
      query("TagFromTheSession", kRequestsFile,
            "SELECT TRIPSREQ.* FROM TRIPSREQ WHERE TRIPNUM = CLNG(" + std::string("1") + ")",
            fields, first, kRequestFormReads),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsPrintableRequest, SystemStatementQuery,
                         ::testing::ValuesIn(printableRequestCases()), caseName);

// Request records: customer defaults, destination, fund check, bill rate, stored destination.
std::string getcust(const std::string& code) {
  return "SELECT * FROM CUSTOMER WHERE CUSTOMER.CUSTOMER = " + sqlText(code);
}
std::string getdest(const std::string& number) {
  return "SELECT * FROM DESTINATION WHERE DESTINATION.DESTINATION = " + sqlWhole(number);
}
std::string fundCheck(const std::string& fund) {
  return "SELECT * FROM FUND WHERE trim$(FUND.FUND) = " + sqlText(vb::Trim(fund)) +
         " AND Fund.Active = True";
}
std::string customerFundCheck(const std::string& fund, const std::string& customer) {
  return std::string(
             "SELECT FUND.* FROM FUND INNER JOIN CUSTOMER_FUND ON FUND.FUND = CUSTOMER_FUND.FUND") +
         " WHERE (trim$(CUSTOMER_FUND.FUND) = " + sqlText(vb::Trim(fund)) +
         ") AND (CUSTOMER_FUND.CUSTOMER = " + sqlText(customer) + ") AND (Fund.Active = True)";
}

std::vector<QueryCase> requestRecordCases() {
  const std::vector<std::string> customer = {"custname",   "CUSTBILLRATE",        "CUSTSPEC",
                                             "DEFAULTCAP", "cust_default_format", "chainid",
                                             "custdiv",    "REQUESTOR_EMAIL"};
  const std::vector<std::string> destination = {"DESTDESC", "DESTSPEC", "MILES", "DESTADD1",
                                                "DESTADD2"};
  return {
      query("CustomerWithQuoteInCode", kTripFile, getcust("O'BRIEN"), customer,
            {{"O'Brien Elementary", "1", "Kindergarten needs car seats", "Small", "<null>", "ELEM",
              "S", "<null>"}}),
      query("CustomerCodeIgnoresCase", kTripFile, getcust("lhs"), customer,
            {{"Larkdale High School", "2", "Buses load at the north gate", "Large", "HS_INVOICE",
              "HS", "N", "office@lhs.example.org"}}),
      query("CustomerNotOnFile", kTripFile, getcust("NOPE"), customer, {}),
      query("DestinationWithCommas", kTripFile, getdest("12"), destination,
            {{"Aquarium of the Bay, Pier 39", "Park on Beach St", "210", "Pier 39",
              "San Francisco, CA"}}),
      query("DestinationNotOnFile", kTripFile, getdest("99"), destination, {}),
      query("FundTrimmedWithQuoteInDescription", kTripFile, fundCheck(" 305 "), {"FUNDDESC"},
            {{"Parents' Club"}}),
      query("InactiveFundIsNoFund", kTripFile, fundCheck("400"), {"FUNDDESC"}, {}),
      query("FundWithoutDescription", kTripFile, fundCheck("510"), {"FUNDDESC"}, {{"<null>"}}),
      query("FundOfCustomerWithQuoteInCode", kTripFile, customerFundCheck("100", "O'BRIEN"),
            {"FUNDDESC"}, {{"General Fund"}}),
      query("FundOfAnotherCustomer", kTripFile, customerFundCheck("305", "LHS"), {"FUNDDESC"}, {}),
      query("BillRate", kTripFile,
            "SELECT * FROM BILLRATE WHERE BILLRATE.BILLRATE = " + sqlWhole("2"),
            {"AMOUNT1", "AMOUNT2", "AMOUNT3", "AMOUNT4", "AMOUNTTXT1", "AMOUNTTXT3", "AMOUNTTXT5"},
            {{"3", "50", "100", "<null>", "Per mile", "Flat fee", "<null>"}}),
      query("StoredNewDestination", kRequestsFile,
            "SELECT * FROM TRIPSREQ WHERE TRIPNUM = " + sqlWhole("2"),
            {"Destination", "DESTDESC", "DESTCAT", "DESTADD1", "DESTADD2", "DESTCITY", "DESTZIP",
             "DESTSPEC", "MILES", "DESTSTATE"},
            {{"0", "Harbor Cruise, Dock 5", "OUTDOOR", "5 Wharf Rd", "<null>", "Larkdale", "97001",
              "Meet at the ticket booth", "30", "OR"}}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsRequestRecords, SystemStatementQuery,
                         ::testing::ValuesIn(requestRecordCases()), caseName);

// Approval chain: the chain of a customer and category, the rights on a request, the calendar.
std::string getChain(const std::string& customer, const std::string& tripcat) {
  return "SELECT * FROM CUSTOMER_TRIPCAT WHERE CUSTOMER_TRIPCAT.CUSTOMER = " + sqlText(customer) +
         " AND CUSTOMER_TRIPCAT.TRIPCAT = " + sqlText(tripcat);
}
std::string chainRow(const std::string& chain) {
  return "Select * from KRSCC where KRSCC.CHAINID = " + sqlText(chain);
}
std::string calendarNotes(const std::string& shortDate) {
  return "Select * from Big_CalCalNotes where NoteDate = " + sqlDate(shortDate);
}

std::vector<QueryCase> approvalCases() {
  const std::vector<std::string> chain = {"CHAINID",        "LEVEL1APPROVER", "Level2Approver",
                                          "Level3Approver", "Level1Status",   "Level2Status",
                                          "Level3Status",   "LEVEL8STATUS"};
  const Row elem = {"ELEM",           "PRINCIPAL",         "SUPER",        "TRANSPORT",
                    "Principal's OK", "Superintendent OK", "Transport OK", "<null>"};
  const std::vector<std::string> note = {"NoteText", "NoteLongText", "NoteSeverity",
                                         "Note_SchoolClosed"};
  return {
      query("ChainOfCustomerWithQuoteInCode", kTripFile, getChain("O'BRIEN", "ACAD"), {"chainid"},
            {{"ELEM"}}),
      query("ChainOfCategoryInOtherCase", kTripFile, getChain("LHS", "ath"), {"chainid"},
            {{"ATHLETIC"}}),
      query("NoChainForCategory", kTripFile, getChain("LHS", "ACAD"), {"chainid"}, {}),
      query("RequestOfAuthorityCheck", kRequestsFile,
            "Select * from TRIPSREQ where TRIPNUM = " + sqlWhole("3"),
            {"chainid", "Status", "CUSTOMER"}, {{"ELEM", "UNAPPROVED", "O'BRIEN"}}),
      query("ChainRow", kUsersFile, chainRow("ELEM"), chain, {elem},
            {"Level4Approver", "Level5Approver", "Level6Approver", "Level7Approver",
             "Level8Approver", "Level4Status", "Level5Status", "Level6Status", "Level7Status"}),
      query("ChainRowIgnoresCase", kUsersFile, chainRow("elem"), chain, {elem}),
      query("MissingChainRow", kUsersFile, chainRow("NOCHAIN"), chain, {}),
      query("WarningNote", kTripFile, calendarNotes("3/5/2026"), note,
            {{"Teacher in-service", "Buses run a reduced schedule", "2", "False"}}),
      query("ClosedDay", kTripFile, calendarNotes("3/20/2026"), note,
            {{"Spring break", "District offices closed", "3", "True"}}),
      query("DayWithoutNote", kTripFile, calendarNotes("3/6/2026"), note, {}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsApproval, SystemStatementQuery,
                         ::testing::ValuesIn(approvalCases()), caseName);

// Notification e-mail: the addresses of the next approver's role.
std::string approverEmails(const std::string& role, const std::string& customer) {
  return "SELECT KRSCU.EMAIL, KRSCU.ROLE, KRSCU.CUSTOMER From KRSCU WHERE (KRSCU.ROLE=" +
         sqlText(role) + ") AND (KRSCU.CUSTOMER=" + sqlText(customer) +
         " OR KRSCU.CUSTOMER='' or isnull(KRSCU.CUSTOMER))";
}

std::vector<QueryCase> notificationCases() {
  return {
      query("ApproversOfCustomerWithQuoteAndOfAll", kUsersFile,
            approverEmails("PRINCIPAL", "O'BRIEN"), {"EMAIL"},
            {{"kobrien@larkdale.example.org"}, {"rpatel@larkdale.example.org"}}),
      query("RoleIgnoresCase", kUsersFile, approverEmails("principal", "LHS"), {"EMAIL"},
            {{"mgarcia@larkdale.example.org"}, {"rpatel@larkdale.example.org"}}),
      query("UsersWithEmptyOrNullCustomer", kUsersFile, approverEmails("TRANSPORT", "LHS"),
            {"EMAIL", "CUSTOMER"}, {{"dwu@larkdale.example.org", ""}, {"  ", "<null>"}}),
      query("NoApprover", kUsersFile, approverEmails("COACH", "SMA"), {"EMAIL"}, {}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsNotification, SystemStatementQuery,
                         ::testing::ValuesIn(notificationCases()), caseName);

// Trip creation: the request read, and the customer's trips (opened updatable by the page).
std::string customersTrips(const std::string& customer) {
  return "Select TRIPS.* from Trips where trim$(TRIPS.CUSTOMER) = " + sqlText(vb::Trim(customer));
}

std::vector<QueryCase> tripCreationCases() {
  return {
      query(
          "Request", kRequestsFile, "Select * from TRIPSREQ WHERE TRIPNUM = " + sqlWhole("1"),
          {"BillRate", "ReqDate", "Fund", "Customer", "BillCust", "Contact", "DepDate", "Deptime"},
          {{"2", "2/10/2026 9:15:00 AM", "100", "LHS", "LHS", "Ann Lee", "3/5/2026", "8:00:00 AM"}},
          {"Destination",    "RetDate",
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
           "INVOICE_FORMAT", "INVOICE_COMMENT#1",
           "MULTIDEST",      "SHUTTLE",
           "TICKET_FORMAT",  "NUMCHAR"}),
      query("TripsOfCustomerWithQuoteInCode", kTripFile, customersTrips(" O'BRIEN "), {"TRIPNUM"},
            {{"4"}}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsTripCreation, SystemStatementQuery,
                         ::testing::ValuesIn(tripCreationCases()), caseName);

// Customer lookup: a prefix of the name, any letter case, inactive customers included.
std::string customerSearch(const std::string& typed) {
  std::string sql = "SELECT CUSTOMER.* FROM CUSTOMER";
  if (!vb::Trim(typed).empty())
    sql += std::string(" WHERE") + " ucase$(Customer.CUSTNAME) like '" +
           sqlTextBody(vb::UCase(vb::Trim(typed))) + "%'";
  return sql + " ORDER BY Customer.CUSTNAME";
}

std::vector<QueryCase> customerLookupCases() {
  return {
      query("EveryCustomer", kTripFile, customerSearch(""), {"CUSTOMER"},
            {{"EMS"}, {"LHS"}, {"O'BRIEN"}, {"OLD"}, {"SMA"}}, {"custname"}),
      query("NameWithQuote", kTripFile, customerSearch("st. mary's"), {"CUSTOMER", "custname"},
            {{"SMA", "St. Mary's Academy"}}),
      query("PrefixEndingInQuote", kTripFile, customerSearch("o'"), {"CUSTOMER"}, {{"O'BRIEN"}}),
      query("PrefixOnly", kTripFile, customerSearch("Mary"), {"CUSTOMER"}, {}),
      query("InactiveCustomer", kTripFile, customerSearch("old"), {"CUSTOMER"}, {{"OLD"}}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsCustomerLookup, SystemStatementQuery,
                         ::testing::ValuesIn(customerLookupCases()), caseName);

// Destination lookup: a prefix of the description, inactive destinations included.
std::string destinationSearch(const std::string& typed) {
  std::string sql = "SELECT DESTINATION.* FROM DESTINATION";
  if (!vb::Trim(typed).empty())
    sql += std::string(" WHERE") + " ucase$(DESTINATION.DESTDESC) like '" +
           sqlTextBody(vb::UCase(vb::Trim(typed))) + "%'";
  return sql + " ORDER BY DESTINATION.DESTDESC";
}

std::vector<QueryCase> destinationLookupCases() {
  const std::vector<std::string> fields = {"Destination", "DESTDESC", "DESTADD1", "DESTADD2"};
  return {
      query("EveryDestination", kTripFile, destinationSearch(""), {"Destination"},
            {{"12"}, {"10"}, {"11"}, {"13"}, {"15"}, {"14"}}),
      query("DescriptionWithComma", kTripFile, destinationSearch("Aquarium of the Bay, "), fields,
            {{"12", "Aquarium of the Bay, Pier 39", "Pier 39", "San Francisco, CA"}}),
      query("InactiveDescriptionWithQuote", kTripFile, destinationSearch("lincoln's"), fields,
            {{"13", "Lincoln's Boyhood Home", "3 Cabin Ln", "<null>"}}),
      query("DescriptionWithDoubleQuotes", kTripFile, destinationSearch("the \"big"),
            {"Destination"}, {{"14"}}),
      query("LetterOutsideAsciiTypedInSmallLetters", kTripFile,
            destinationSearch("Museo de Arte españ"), {"Destination"}, {{"15"}}),
      query("LetterOutsideAsciiTypedInCapitals", kTripFile,
            destinationSearch("MUSEO DE ARTE ESPAÑ"), {"Destination"}, {{"15"}}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsDestinationLookup, SystemStatementQuery,
                         ::testing::ValuesIn(destinationLookupCases()), caseName);

// Fund lookup: by the request's customer, or open (needs a number or a description).
std::string fundSearch(const std::string& fund, const std::string& desc,
                       const std::string* customer) {
  std::vector<std::string> conditions;
  if (!vb::Trim(fund).empty())
    conditions.push_back(" ucase$(FUND.FUND) like '" + sqlTextBody(vb::UCase(vb::Trim(fund))) +
                         "%'");
  if (!vb::Trim(desc).empty())
    conditions.push_back(" FUND.FUNDDESC like '" + sqlTextBody(vb::Trim(desc)) + "%'");
  if (customer)
    conditions.push_back(" CUSTOMER_FUND.CUSTOMER=" + sqlText(*customer) +
                         " AND FUND.ACTIVE = TRUE");
  else
    conditions.push_back(" FUND.ACTIVE = TRUE");
  std::string sql = "SELECT FUND.* FROM FUND";
  if (customer) sql += " INNER JOIN CUSTOMER_FUND ON FUND.FUND = CUSTOMER_FUND.FUND";
  sql += " WHERE";
  for (size_t i = 0; i < conditions.size(); ++i) sql += (i > 0 ? " AND" : "") + conditions[i];
  return sql + " ORDER BY FUND.FUND";
}

std::vector<QueryCase> fundLookupCases() {
  const std::string lhs = "LHS";
  const std::string obrien = "O'BRIEN";
  return {
      query("CustomerFundsByNumberAndDescription", kTripFile, fundSearch("1", "Gen", &lhs),
            {"Fund", "FUNDDESC"}, {{"100", "General Fund"}}),
      query("AllFundsOfCustomerWithQuoteInCode", kTripFile, fundSearch("", "", &obrien), {"Fund"},
            {{"100"}, {"510"}}),
      query("CustomersInactiveFundNotListed", kTripFile, fundSearch("4", "", &lhs), {"Fund"}, {}),
      query("OpenByNumber", kTripFile, fundSearch("2", "", nullptr), {"Fund"}, {{"210"}}),
      query("OpenByDescriptionWithQuote", kTripFile, fundSearch("", "Parents'", nullptr),
            {"Fund", "FUNDDESC"}, {{"305", "Parents' Club"}}),
      query("OpenDescriptionIgnoresCase", kTripFile, fundSearch("", "athl", nullptr), {"Fund"},
            {{"210"}}),
      query("OpenByDescriptionWithAmpersand", kTripFile, fundSearch("", "Arts &", nullptr),
            {"Fund"}, {{"620"}}),
      query("OpenInactiveFundNotListed", kTripFile, fundSearch("400", "", nullptr), {"Fund"}, {}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsFundLookup, SystemStatementQuery,
                         ::testing::ValuesIn(fundLookupCases()), caseName);

// Request search: the approver's queue, the filter query and the customer list of the results.
const std::vector<std::string> kRequestResultReads = {
    "TRIPNUM",    "CUSTOMER",  "Destination",   "trdestdesc", "deptime",
    "arrivetime", "leavetime", "rettime",       "depdate",    "retdate",
    "Status",     "REQDATE",   "TRIPCAT",       "INTTRIPNUM", "NUMSTUDENTS",
    "NUMADULTS",  "GRADE",     "fieldtrip_num", "chainid",    "PURPOSE"};

std::vector<QueryCase> requestSearchCases() {
  const std::vector<std::string> queue = {"TRIPNUM", "STATUS", "Expr1", "trDESTDESC"};
  const std::vector<std::pair<std::string, std::string>> principal = {
      {"HS", "UNAPPROVED"}, {"ELEM", "UNAPPROVED"}, {"ATHLETIC", "Coach OK"}};
  const std::vector<std::pair<std::string, std::string>> transport = {
      {"HS", "Principal's OK"}, {"ELEM", "Superintendent OK"}, {"ATHLETIC", "Principal's OK"}};
  const std::vector<std::string> number = {"TRIPNUM"};
  RequestFilters all;
  all.depFrom = "3/1/2026";
  all.depTo = "3/31/2026";
  all.enterFrom = "2/1/2026";
  all.enterTo = "2/28/2026";
  all.status = "Principal's OK";
  all.grade = "09";
  all.customer = "LHS";
  all.dest = "10";
  all.tripcat = "ACAD";
  all.intNum = "LHS-01";
  return {
      query(
          "ActiveChains", kUsersFile, "Select * from KRSCC where KRSCC.Active = TRUE", {"chainid"},
          {{"HS"}, {"ELEM"}, {"ATHLETIC"}},
          {"LEVEL1APPROVER", "Level2Approver", "Level3Approver", "Level4Approver", "Level5Approver",
           "Level6Approver", "Level7Approver", "Level8Approver", "Level1Status", "Level2Status",
           "Level3Status", "Level4Status", "Level5Status", "Level6Status", "Level7Status"}),
      query("QueueOfPrincipalOfOneSchool", kRequestsFile, approverQueue(principal, "LHS"), queue,
            {{"7", "Coach OK", "2/19/2026", "<null>"},
             {"2", "UNAPPROVED", "2/11/2026", "Harbor Cruise, Dock 5"}},
            kRequestResultReads),
      query("QueueOfPrincipalOfSchoolWithQuoteInCode", kRequestsFile,
            approverQueue(principal, "O'BRIEN"), queue,
            {{"3", "UNAPPROVED", "2/11/2026", "<null>"}}),
      query("QueueOfPrincipalOfAllSchools", kRequestsFile, approverQueue(principal, " "), number,
            {{"7"}, {"2"}, {"3"}}),
      query("QueueAwaitingStatusWithQuote", kRequestsFile, approverQueue(transport, ""), queue,
            {{"1", "Principal's OK", "2/12/2026", "<null>"}}),
      query("EveryRequest", kRequestsFile, requestFilterQuery(), number,
            {{"1"}, {"4"}, {"7"}, {"2"}, {"3"}, {"6"}, {"5"}}, kRequestResultReads),
      query("DepartingInRange", kRequestsFile, requestsWhere([](RequestFilters& f) {
              f.depFrom = "3/5/2026";
              f.depTo = "3/6/2026";
            }),
            number, {{"1"}, {"4"}, {"7"}, {"2"}}),
      query("DepartingOnOneDay", kRequestsFile,
            requestsWhere([](RequestFilters& f) { f.depFrom = "3/5/2026"; }), number,
            {{"1"}, {"4"}}),
      query("EnteredOnOneDay", kRequestsFile, requestsWhere([](RequestFilters& f) {
              f.enterFrom = "2/11/2026";
              f.enterTo = "2/11/2026";
            }),
            number, {{"2"}, {"3"}}),
      query("StatusWithQuote", kRequestsFile,
            requestsWhere([](RequestFilters& f) { f.status = "Principal's OK"; }), number,
            {{"1"}, {"4"}}),
      query("EveryFilterAtOnce", kRequestsFile, requestFilterQuery(all), number, {{"1"}}),
      query("CustomerWithQuoteInCode", kRequestsFile,
            requestsWhere([](RequestFilters& f) { f.customer = "O'BRIEN"; }), number, {{"3"}}),
      query("DestinationTypedByHand", kRequestsFile,
            requestsWhere([](RequestFilters& f) { f.dest = "0"; }), number, {{"2"}}),
      query("GradeAndCategory", kRequestsFile, requestsWhere([](RequestFilters& f) {
              f.grade = "10";
              f.tripcat = "ACAD";
            }),
            number, {{"2"}, {"6"}}),
      query("InternalNumber", kRequestsFile,
            requestsWhere([](RequestFilters& f) { f.intNum = "OBR-3"; }), number, {{"3"}}),
      query("InternalNumberWithNumberSign", kRequestsFile,
            requestsWhere([](RequestFilters& f) { f.intNum = "EMS#7"; }), number, {{"5"}}),
      query("InternalNumberWithSemicolon", kRequestsFile,
            requestsWhere([](RequestFilters& f) { f.intNum = "SMA;4"; }), number, {{"4"}}),
      query("CustomersOfTheResults", kTripFile,
            std::string("SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID, "
                        "CUSTOMER.CUSTDIV ") +
                "From CUSTOMER " + "order by CUSTOMER.CUSTOMER;",
            {"CUSTOMER", "custname", "custdiv"},
            {{"EMS", "East Middle School", "N"},
             {"LHS", "Larkdale High School", "N"},
             {"O'BRIEN", "O'Brien Elementary", "S"},
             {"OLD", "Oldtown Annex", "N"},
             {"SMA", "St. Mary's Academy", "S"}}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsRequestSearch, SystemStatementQuery,
                         ::testing::ValuesIn(requestSearchCases()), caseName);

// Field trip search: the full query with its totals, and the counting query.
const std::vector<std::string> kTripResultReads = {
    "TRIPNUM",   "custname", "DESTDESC",     "depdate",   "deptime",  "retdate",     "rettime",
    "CANCELED",  "BILLED",   "BILLCUSTNAME", "custdiv",   "TRIPCAT",  "CONTACT",     "NUMSTUDENTS",
    "NUMADULTS", "GRADE",    "arrivetime",   "leavetime", "ASSIGNED", "TOTALBILLED", "TOTALDUE",
    "Fund",      "PURPOSE",  "TripReqNum",   "estTime",   "ESTMILE",  "SHUTTLE"};

std::vector<QueryCase> fieldTripSearchCases() {
  const std::vector<std::string> number = {"TRIPNUM"};
  TripFilters first;  // the page's first display
  TripFilters byDate;
  byDate.sort1 = "TRIPS.DEPDATE";
  auto with = [&](auto change) {
    TripFilters f = byDate;
    change(f);
    return f;
  };
  std::vector<QueryCase> cases = {
      query("FirstDisplayWithTotals", kTripFile, tripQuery(first),
            {"TRIPNUM", "CUSTNAME", "DESTDESC", "BILLCUSTNAME", "TOTALBILLED", "TOTALDUE",
             "BILLDATE", "CANDATE", "CANCELED", "DEPTIME"},
            {{"1", "Larkdale High School", "City Museum of Science", "Larkdale High School", "150",
              "50", "3/10/2026", "<null>", "False", "8:00:00 AM"},
             {"2", "Larkdale High School", "Aquarium of the Bay, Pier 39", "St. Mary's Academy",
              "80", "90", "<null>", "3/4/2026", "True", "7:15:00 AM"},
             {"3", "St. Mary's Academy", "City Museum of Science", "<null>", "60", "60", "<null>",
              "<null>", "False", "9:00:00 AM"},
             {"4", "O'Brien Elementary", "Larkdale Zoo", "Larkdale High School", "45", "0",
              "3/13/2026", "<null>", "False", "<null>"},
             {"5", "East Middle School", "<null>", "<null>", "<null>", "<null>", "<null>", "<null>",
              "False", "10:00:00 AM"}},
            kTripResultReads),
      query("DepartingInRange", kTripFile, tripQuery(with([](TripFilters& f) {
              f.depFrom = "3/5/2026";
              f.depTo = "3/9/2026";
            })),
            number, {{"1"}, {"2"}, {"3"}}),
      query("DepartingOnOneDay", kTripFile,
            tripQuery(with([](TripFilters& f) { f.depFrom = "3/6/2026"; })), number, {{"2"}}),
      query("Grade", kTripFile, tripQuery(with([](TripFilters& f) { f.grade = "10"; })), number,
            {{"2"}, {"5"}}),
      query("CustomerWithQuoteInCode", kTripFile,
            tripQuery(with([](TripFilters& f) { f.customer = "O'BRIEN"; })), number, {{"4"}}),
      query("Destination", kTripFile, tripQuery(with([](TripFilters& f) { f.dest = "10"; })),
            number, {{"1"}, {"3"}}),
      query("Category", kTripFile, tripQuery(with([](TripFilters& f) { f.tripcat = "ACAD"; })),
            number, {{"1"}, {"4"}}),
      query("DivisionOfTheCustomer", kTripFile,
            tripQuery(with([](TripFilters& f) { f.division = "S"; })), number, {{"3"}, {"4"}}),
      query("InternalNumber", kTripFile,
            tripQuery(with([](TripFilters& f) { f.intNum = "LHS-02"; })), number, {{"2"}}),
      query("RequestNumber", kTripFile, tripQuery(with([](TripFilters& f) { f.tripReqNum = "4"; })),
            number, {{"3"}}),
      query("TripNumber", kTripFile, tripQuery(with([](TripFilters& f) { f.tripNum = "4"; })),
            number, {{"4"}}),
      query("AssignedOnly", kTripFile, tripQuery(with([](TripFilters& f) { f.unassigned = ""; })),
            number, {{"1"}, {"3"}, {"5"}}),
      query("UnassignedOnly", kTripFile, tripQuery(with([](TripFilters& f) { f.assigned = ""; })),
            number, {{"2"}, {"4"}}),
      query("BilledOnly", kTripFile, tripQuery(with([](TripFilters& f) { f.unbilled = ""; })),
            number, {{"1"}, {"4"}}),
      query("UnbilledOnly", kTripFile, tripQuery(with([](TripFilters& f) { f.billed = ""; })),
            number, {{"2"}, {"3"}, {"5"}}),
      query("CancelledOnly", kTripFile, tripQuery(with([](TripFilters& f) { f.open = ""; })),
            number, {{"2"}}),
      query("OpenOnly", kTripFile, tripQuery(with([](TripFilters& f) { f.cancelled = ""; })),
            number, {{"1"}, {"3"}, {"4"}, {"5"}}),
      query("OpenBalance", kTripFile, tripQuery(with([](TripFilters& f) { f.openBalance = "ON"; })),
            number, {{"1"}, {"3"}, {"4"}}),
      query("BillingCustomerWithQuoteInName", kTripFile,
            tripQuery(with([](TripFilters& f) { f.billCust = "SMA"; })),
            {"TRIPNUM", "BILLCUSTNAME"}, {{"2", "St. Mary's Academy"}}),
      query("PurchaseOrder", kTripFile, tripQuery(with([](TripFilters& f) { f.po = "PO-77"; })),
            number, {{"1"}}),
      query("PurchaseOrderWithBrackets", kTripFile,
            tripQuery(with([](TripFilters& f) { f.po = "PO [9]"; })), number, {{"3"}}),
      query("PurchaseOrderWithDoubleDash", kTripFile,
            tripQuery(with([](TripFilters& f) { f.po = "PO 12--14"; })), number, {{"2"}}),
      query("InternalNumberWithNumberSign", kTripFile,
            tripQuery(with([](TripFilters& f) { f.intNum = "EMS#7"; })), number, {{"5"}}),
      query("Fund", kTripFile, tripQuery(with([](TripFilters& f) { f.fund = "100"; })), number,
            {{"1"}, {"4"}, {"5"}}),
      query("CustomerAndOpen", kTripFile, tripQuery(with([](TripFilters& f) {
              f.customer = "LHS";
              f.cancelled = "";
            })),
            number, {{"1"}}),
      query("SortByCustomerThenTrip", kTripFile, tripQuery(with([](TripFilters& f) {
              f.sort1 = "CUSTOMER.CUSTNAME";
              f.sort2 = "TRIPS.TRIPNUM";
            })),
            number, {{"5"}, {"1"}, {"2"}, {"4"}, {"3"}}),
      query("SortByDestinationThenTrip", kTripFile, tripQuery(with([](TripFilters& f) {
              f.sort1 = "DESTINATION.DESTDESC";
              f.sort2 = "TRIPS.TRIPNUM";
            })),
            number, {{"5"}, {"2"}, {"1"}, {"3"}, {"4"}}),
      query("SortByStudents", kTripFile,
            tripQuery(with([](TripFilters& f) { f.sort1 = "TRIPS.NUMSTUDENTS"; })), number,
            {{"3"}, {"2"}, {"4"}, {"5"}, {"1"}}),
      query("SortByRequestThenTrip", kTripFile, tripQuery(with([](TripFilters& f) {
              f.sort1 = "TRIPS.TRIPREQNUM";
              f.sort2 = "TRIPS.TRIPNUM";
            })),
            number, {{"2"}, {"4"}, {"5"}, {"1"}, {"3"}}),
      query("NoSortColumn", kTripFile, tripQuery(with([](TripFilters& f) { f.sort1 = ""; })),
            number, {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}}),
      query("CountingEveryTrip", kTripFile, tripCountQuery(first), number,
            {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}}),
      query("CountingWithDivisionAndDates", kTripFile, tripCountQuery(with([](TripFilters& f) {
              f.depFrom = "3/5/2026";
              f.depTo = "3/12/2026";
              f.division = "s";
            })),
            {"TRIPNUM", "BILLCUSTNAME"}, {{"3", "<null>"}, {"4", "Larkdale High School"}}),
  };
  return cases;
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsFieldTripSearch, SystemStatementQuery,
                         ::testing::ValuesIn(fieldTripSearchCases()), caseName);

// Request reports: the customer lists of the one-line and two-line reports.
std::vector<QueryCase> requestReportCases() {
  const Rows customers = {{"EMS", "N"}, {"LHS", "N"}, {"O'BRIEN", "S"}, {"OLD", "N"}, {"SMA", "S"}};
  return {
      query("CustomersOfOneLineReport", kTripFile,
            std::string("SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID, "
                        "CUSTOMER.CUSTDIV ") +
                "From CUSTOMER " + "order by CUSTOMER.CUSTOMER;",
            {"CUSTOMER", "custdiv"}, customers, {"custname"}),
      query("CustomersOfTwoLineReport", kTripFile,
            std::string("SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID, "
                        "CUSTOMER.CUSTDIV ") +
                "From CUSTOMER " + "ORDER BY CUSTOMER.CUSTOMER;",
            {"CUSTOMER", "custdiv"}, customers, {"custname"}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsRequestReports, SystemStatementQuery,
                         ::testing::ValuesIn(requestReportCases()), caseName);

// Summary report: trips of the last field trip search grouped five ways.
std::vector<QueryCase> summaryReportCases() {
  TripFilters cancelled;
  cancelled.open = "";
  TripFilters obrien;
  obrien.customer = "O'BRIEN";
  TripFilters dates;
  dates.depFrom = "3/5/2026";
  dates.depTo = "3/9/2026";
  TripFilters sma;
  sma.customer = "SMA";
  TripFilters fund100;
  fund100.fund = "100";
  TripFilters south;
  south.division = "S";
  const Row noneOfNone = {"*None", "0", "0", "<null>", "<null>", "<null>", "<null>", "<null>"};
  return {
      query("ByCategory", kTripFile, summaryQuery(kByCategory, ""), kSummaryFields,
            {{"*None", "1", "1", "15", "3", "4", "60", "60"},
             {"ACAD - Academic", "2", "3", "65", "9", "7.5", "70", "195"},
             {"ATH - Athletics", "1", "0", "20", "2", "2", "25", "80"},
             {"OVN - Overnight", "1", "0", "30", "3", "<null>", "<null>", "<null>"}}),
      query("ByCategoryOfCancelledTrips", kTripFile,
            summaryQuery(kByCategory, tripCondition(cancelled)), kSummaryFields,
            {noneOfNone, {"ATH - Athletics", "1", "0", "20", "2", "2", "25", "80"}}),
      query("ByCategoryOfOneDivision", kTripFile, summaryQuery(kByCategory, tripCondition(south)),
            kSummaryFields,
            {{"*None", "1", "1", "15", "3", "4", "60", "60"},
             {"ACAD - Academic", "1", "3", "25", "5", "2.5", "18", "45"}},
            {},
            "a search condition on CUSTOMER columns (the division) does not restrict the hours, "
            "miles and amount sub-selects: their CUSTOMER.CUSTDIV refers to the outer row, so "
            "they total every trip of the category"),
      query("ByCustomer", kTripFile, summaryQuery(kByCustomer, ""), kSummaryFields,
            {{"EMS - East Middle School", "1", "0", "30", "3", "<null>", "<null>", "<null>"},
             {"LHS - Larkdale High School", "2", "2", "60", "6", "7", "77", "240"},
             {"O'BRIEN - O'Brien Elementary", "1", "1", "25", "5", "2.5", "18", "45"},
             {"SMA - St. Mary's Academy", "1", "1", "15", "3", "4", "60", "60"}}),
      query("ByCustomerWithQuoteInCondition", kTripFile,
            summaryQuery(kByCustomer, tripCondition(obrien)), kSummaryFields,
            {{"O'BRIEN - O'Brien Elementary", "1", "1", "25", "5", "2.5", "18", "45"}}),
      query("ByDestination", kTripFile, summaryQuery(kByDestination, ""), kSummaryFields,
            {{" 10 - City Museum of Science", "2", "3", "55", "7", "9", "112", "210"},
             {" 11 - Larkdale Zoo", "1", "1", "25", "5", "2.5", "18", "45"},
             {" 12 - Aquarium of the Bay, Pier 39", "1", "0", "20", "2", "2", "25", "90"}}),
      query("ByDestinationInDateRange", kTripFile,
            summaryQuery(kByDestination, tripCondition(dates)), kSummaryFields,
            {{" 10 - City Museum of Science", "2", "3", "55", "7", "9", "112", "210"},
             {" 12 - Aquarium of the Bay, Pier 39", "1", "0", "20", "2", "2", "25", "90"}}),
      // The fund grouping's splits column is 1 when any split line names the fund.
      query("ByFund", kTripFile, summaryQuery(kByFund, ""), kSummaryFields,
            {{"100 - General Fund", "3", "1", "95", "12", "7.5", "70", "195"},
             {"210 - Athletics", "1", "1", "20", "2", "2", "25", "90"},
             {"305 - Parents' Club", "1", "1", "15", "3", "4", "60", "60"}}),
      query("ByFundOfOneCustomer", kTripFile, summaryQuery(kByFund, tripCondition(sma)),
            kSummaryFields, {{"305 - Parents' Club", "1", "1", "15", "3", "4", "60", "60"}}),
      query("ByGrade", kTripFile, summaryQuery(kByGrade, ""), kSummaryFields,
            {{"*None", "1", "0", "15", "3", "4", "60", "60"},
             {"09 - Ninth grade", "1", "2", "40", "4", "5", "52", "150"},
             {"10 - Tenth grade", "2", "0", "50", "5", "2", "25", "90"},
             {"K - Kindergarten", "1", "1", "25", "5", "2.5", "18", "45"}}),
      query("ByGradeOfOneFund", kTripFile, summaryQuery(kByGrade, tripCondition(fund100)),
            kSummaryFields,
            {noneOfNone,
             {"09 - Ninth grade", "1", "2", "40", "4", "5", "52", "150"},
             {"10 - Tenth grade", "1", "0", "30", "3", "<null>", "<null>", "<null>"},
             {"K - Kindergarten", "1", "1", "25", "5", "2.5", "18", "45"}}),
  };
}
INSTANTIATE_TEST_SUITE_P(SystemStatementsSummaryReport, SystemStatementQuery,
                         ::testing::ValuesIn(summaryReportCases()), caseName);

// ---------------------------------------------------------------------------------------------
// Record-set searches, paging and field sets
// ---------------------------------------------------------------------------------------------

class SystemStatementsPages : public ::testing::Test {
 protected:
  SampleDistrict& district_ = sharedDistrict();
};

// Request search results: each request's customer is found in the customer list by its code.
TEST_F(SystemStatementsPages, RequestResultsFindEachCustomerByCode) {
  Connection trip = district_.connect(kTripFile);
  Connection requests = district_.connect(kRequestsFile);
  Recordset customers;
  customers.open(
      "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID, CUSTOMER.CUSTDIV From "
      "CUSTOMER order by CUSTOMER.CUSTOMER;",
      trip);
  Recordset results;
  results.open(requestFilterQuery(), requests);
  std::vector<std::string> names;
  for (; !results.eof(); results.moveNext()) {
    std::string code = vb::Trim(text(results.field("CUSTOMER")));
    if (customers.eof() || text(customers.field("CUSTOMER")) != code) {
      customers.moveFirst();
      customers.find(customerCriterion(code));
    }
    names.push_back(customers.eof() ? "NOT FOUND" : text(customers.field("custname")));
    if (customers.eof()) customers.moveFirst();
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Larkdale High School", "St. Mary's Academy",
                                             "Larkdale High School", "Larkdale High School",
                                             "O'Brien Elementary", "Larkdale High School",
                                             "East Middle School"}));
}

// Request reports: a page is reached by skipping (page - 1) x page size rows.
TEST_F(SystemStatementsPages, RequestReportPagesSkipWholePages) {
  Connection requests = district_.connect(kRequestsFile);
  Recordset rs;
  rs.open(requestFilterQuery(), requests);
  ASSERT_EQ(rs.recordCount(), 7);
  const long pageSize = 3;
  rs.move((2 - 1) * pageSize);
  Rows page;
  for (long i = 0; i < pageSize && !rs.eof(); ++i, rs.moveNext())
    page.push_back({text(rs.field("TRIPNUM")), text(rs.field("enterdate"))});
  EXPECT_EQ(page, (Rows{{"2", "2/11/2026 2:00:00 PM"},
                        {"3", "2/11/2026 4:30:00 PM"},
                        {"6", "2/25/2026 10:00:00 AM"}}));
}

// The approver's queue lists no ENTERDATE or CONTACT, which the two-line request report reads;
// the search stores the queue for the reports like any other query.
TEST_F(SystemStatementsPages, ApproverQueueLacksTheEntryDateAndContactOfTheTwoLineReport) {
  Connection requests = district_.connect(kRequestsFile);
  Recordset rs;
  rs.open(approverQueue({{"HS", "UNAPPROVED"}}, ""), requests);
  EXPECT_FALSE(rs.hasField("enterdate"));
  EXPECT_FALSE(rs.hasField("CONTACT"));
  Recordset filtered;
  filtered.open(requestFilterQuery(), requests);
  EXPECT_TRUE(filtered.hasField("enterdate"));
  EXPECT_TRUE(filtered.hasField("CONTACT"));
}

// Trip reports: the stored trip query, paged the same way.
TEST_F(SystemStatementsPages, TripReportLastPageHoldsTheRest) {
  Connection trip = district_.connect(kTripFile);
  Recordset rs;
  rs.open(tripQuery(TripFilters{}), trip);
  ASSERT_EQ(rs.recordCount(), 5);
  rs.move((3 - 1) * 2);
  Rows page;
  for (; !rs.eof(); rs.moveNext())
    page.push_back({text(rs.field("TRIPNUM")), text(rs.field("custname")),
                    text(rs.field("estTime")), text(rs.field("ESTMILE"))});
  EXPECT_EQ(page, (Rows{{"5", "East Middle School", "<null>", "<null>"}}));
}

// ---------------------------------------------------------------------------------------------
// Statements that write: each test gets its own district
// ---------------------------------------------------------------------------------------------

class SystemStatementsWrites : public ::testing::Test {
 protected:
  SampleDistrict district_;
};

// Request save, new request: a row added to "Select * from TRIPSREQ" gets its number from the
// database, and the second store (the requester's own approval level) changes the same row.
TEST_F(SystemStatementsWrites, RequestSaveAddsRowNumberedByTheDatabase) {
  Connection requests = district_.connect(kRequestsFile);
  const double now = vb::Now();
  Recordset rs;
  rs.open("Select * from TRIPSREQ", requests, CursorType::Dynamic, LockType::Optimistic);
  rs.addNew();
  rs.setField("ENTEREDBY", Value("k.o'brien"));
  rs.setField("enterdate", Value::date(now));
  rs.setField("REQDATE", Value::date(now));
  rs.setField("Status", Value("UNAPPROVED"));
  rs.setField("STATUS_DATE", Value::date(now));
  rs.setField("REQUESTOR_EMAIL", Value("kobrien@larkdale.example.org"));
  rs.setField("CUSTOMER", Value("O'BRIEN"));
  rs.setField("BILLCUST", Value("O'BRIEN"));
  rs.setField("BILLRATE", Value::integer(1));
  rs.setField("AMOUNT1", Value::single(2.5f));
  rs.setField("AMOUNTTXT1", Value("Per mile"));
  rs.setField("CAPACITY", Value("Small"));
  rs.setField("CUSTSPEC", Value("Kindergarten needs car seats"));
  rs.setField("CALCNUMDRIVERS", Value("True"));
  rs.setField("Type", Value("BUS"));
  rs.setField("CONTACT", Value("Mrs. Keane"));
  rs.setField("DESTINATION", Value::whole(0));
  rs.setField("DESTDESC", Value("Pumpkin Farm, Route 9"));
  rs.setField("DESTADD1", Value("Route 9"));
  rs.setField("DESTADD2", Value(" "));
  rs.setField("DESTCITY", Value("Larkdale"));
  rs.setField("DESTZIP", Value("97002"));
  rs.setField("DESTSTATE", Value("OR"));
  rs.setField("DESTCAT", Value("0"));
  rs.setField("MILES", Value::number(0));
  rs.setField("DESTSPEC", Value::null());
  rs.setField("FUND", Value("100"));
  rs.setField("INTTRIPNUM", Value::null());
  rs.setField("depdate", Value::date(vb::DateSerial(2026, 10, 15)));
  rs.setField("retdate", Value::date(vb::DateSerial(2026, 10, 15)));
  rs.setField("deptime", Value::date(vb::TimeSerial(0, 0, 1)));
  rs.setField("rettime", Value::date(vb::TimeSerial(13, 30, 0)));
  rs.setField("arrivetime", Value::date(vb::TimeSerial(15, 15, 1)));
  rs.setField("leavetime", Value::null());
  rs.setField("GRADE", Value("K"));
  rs.setField("NUMADULTS", Value::integer(5));
  rs.setField("NUMSTUDENTS", Value::integer(25));
  rs.setField("NUMHAND", Value::integer(0));
  rs.setField("estTime", Value::single(0));
  rs.setField("ESTMILE", Value::single(0));
  rs.setField("PURPOSE", Value("Harvest day"));
  rs.setField("TRIPCOM", Value::null());
  rs.setField("PO", Value::null());
  rs.setField("TRIPCAT", Value("ACAD"));
  rs.setField("chainid", Value("ELEM"));
  rs.update();
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(8));
  rs.setField("Status", Value("Principal's OK"));
  rs.setField("STATUS_DATE", Value::date(now));
  rs.update();
  rs.close();

  Recordset stored;
  stored.open("SELECT TRIPSREQ.* FROM TRIPSREQ WHERE TRIPNUM = CLNG(" + std::string("8") + ")",
              requests);
  EXPECT_EQ(
      rowsOf(stored, {"ENTEREDBY", "CUSTOMER", "Status", "DESTDESC", "CALCNUMDRIVERS", "depdate",
                      "deptime", "arrivetime", "leavetime", "NUMSTUDENTS", "AMOUNT1", "MILES"}),
      (Rows{{"k.o'brien", "O'BRIEN", "Principal's OK", "Pumpkin Farm, Route 9", "True",
             "10/15/2026", "12:00:01 AM", "3:15:01 PM", "<null>", "25", "2.5", "0"}}));

  // The superintendent's queue (level 2 of ELEM awaits the principal's status) now holds it.
  Recordset queue;
  queue.open(approverQueue({{"ELEM", "Principal's OK"}}, "O'BRIEN"), requests);
  EXPECT_EQ(rowsOf(queue, {"TRIPNUM", "trDESTDESC"}), (Rows{{"8", "Pumpkin Farm, Route 9"}}));
}

// Request save, stored request: the row opened by its number is changed in place.
TEST_F(SystemStatementsWrites, RequestSaveChangesOneStoredRequest) {
  Connection requests = district_.connect(kRequestsFile);
  Recordset rs;
  rs.open("SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = " + sqlWhole("3"), requests,
          CursorType::ForwardOnly, LockType::Optimistic);
  ASSERT_FALSE(rs.eof());
  EXPECT_EQ(rs.field("Status"), Value("UNAPPROVED"));
  rs.setField("Status", Value("Principal's OK"));
  rs.setField("STATUS_DATE", Value::date(vb::DateSerial(2026, 2, 27) + vb::TimeSerial(9, 0, 0)));
  rs.setField("STATUS_COMMENT", Value("OK'd; parents' night conflicts, leave early"));
  rs.setField("NUMSTUDENTS", Value::integer(26));
  rs.update();
  rs.close();

  Recordset all;
  all.open(requestFilterQuery(), requests);
  EXPECT_EQ(
      rowsOf(all, {"TRIPNUM", "STATUS", "Expr1", "STATUS_COMMENT", "NUMSTUDENTS"}),
      (Rows{
          {"1", "Principal's OK", "2/12/2026", "Approved; bring the permission slips.", "40"},
          {"4", "Principal's OK", "2/21/2026", "<null>", "15"},
          {"7", "Coach OK", "2/19/2026", "<null>", "20"},
          {"2", "UNAPPROVED", "2/11/2026", "<null>", "20"},
          {"3", "Principal's OK", "2/27/2026", "OK'd; parents' night conflicts, leave early", "26"},
          {"6", "Denied", "2/26/2026", "School is closed that day", "10"},
          {"5", "Pending", "3/1/2026", "<null>", "30"}}));
}

// Deleting a request: the command changes one row; a second run finds nothing and is no error.
TEST_F(SystemStatementsWrites, DeleteCommandRemovesOneRequest) {
  Connection requests = district_.connect(kRequestsFile);
  EXPECT_EQ(requests.execute("DELETE FROM TRIPSREQ where TRIPNUM = " + sqlWhole("6")), 1);
  EXPECT_EQ(requests.execute("DELETE FROM TRIPSREQ where TRIPNUM = " + sqlWhole("6")), 0);
  Recordset rs;
  rs.open(requestFilterQuery(), requests);
  EXPECT_EQ(rowsOf(rs, {"TRIPNUM"}), (Rows{{"1"}, {"4"}, {"7"}, {"2"}, {"3"}, {"5"}}));
}

// AddNewTRIPREQ: the same statement; numbers are never reused after a deletion.
TEST_F(SystemStatementsWrites, AddedRequestNeverReusesADeletedNumber) {
  Connection requests = district_.connect(kRequestsFile);
  ASSERT_EQ(requests.execute("DELETE FROM TRIPSREQ where TRIPNUM = " + sqlWhole("7")), 1);
  Recordset rs;
  rs.open("Select * from TRIPSREQ", requests, CursorType::Dynamic, LockType::Optimistic);
  rs.addNew();
  const double now = vb::Now();
  rs.setField("REQDATE", Value::date(now));
  rs.setField("depdate", Value::date(now));
  rs.setField("CUSTSPEC", Value(" "));
  rs.setField("CUSTOMER", Value("LHS"));
  rs.setField("BILLCUST", Value("LHS"));
  rs.setField("BILLRATE", Value::integer(2));
  rs.setField("CUSTSPEC", Value("Buses load at the north gate"));
  rs.setField("CAPACITY", Value("Large"));
  rs.setField("INVOICE_FORMAT", Value("HS_INVOICE"));
  rs.setField("CALCNUMDRIVERS", Value::boolean(true));
  rs.setField("chainid", Value("HS"));
  rs.setField("Status", Value("UNAPPROVED"));
  rs.setField("STATUS_DATE", Value::date(now));
  rs.setField("ENTEREDBY", Value("jsmith"));
  rs.setField("enterdate", Value::date(now));
  rs.update();
  EXPECT_EQ(rs.field("TRIPNUM"), Value::whole(8));
}

// Trip creation: the request is copied into a row added to the customer's trips in trip.mdb.
TEST_F(SystemStatementsWrites, CreateTripAddsTripLinkedToTheRequest) {
  Connection requests = district_.connect(kRequestsFile);
  Connection trip = district_.connect(kTripFile);
  Recordset request;
  request.open("Select * from TRIPSREQ WHERE TRIPNUM = " + sqlWhole("3"), requests);
  ASSERT_FALSE(request.eof());
  Recordset trips;
  trips.open(customersTrips(text(request.field("CUSTOMER"))), trip, CursorType::Dynamic,
             LockType::Optimistic);
  EXPECT_EQ(trips.recordCount(), 1);
  trips.addNew();
  auto copy = [&](const char* column) { trips.setField(column, request.field(column)); };
  auto copyGiven = [&](const char* column) {
    if (!request.field(column).isNull()) copy(column);
  };
  for (const char* column : {"BillRate", "ReqDate", "Fund", "Customer", "BillCust", "Contact"})
    copy(column);
  const Value destination = request.field("DESTINATION");
  trips.setField(
      "Destination",
      Value::whole(!destination.isNull() && vb::CLng(destination) > 0 ? vb::CLng(destination) : 0));
  copy("DepDate");
  copyGiven("Deptime");
  copy("RetDate");
  for (const char* column :
       {"RetTime", "ArriveTime", "LeaveTime", "EstMile", "EstTime", "NumStudents", "NumAdults",
        "NumHand", "Purpose", "DestSpec", "OutOfTown"})
    copyGiven(column);
  copy("Schedule");
  for (const char* column : {"Schedule2", "Schedule3", "Schedule4", "Schedule5", "CALCNUMDRIVERS"})
    copyGiven(column);
  copy("Type");
  copyGiven("NUMTYPE");
  copy("Capacity");
  copyGiven("AddlType");
  copyGiven("NumAddl");
  trips.setField("Bill", Value::boolean(true));
  copyGiven("CustSpec");
  trips.setField("Assigned", Value::boolean(false));
  trips.setField("Billed", Value::boolean(false));
  trips.setField("Canceled", Value::boolean(false));
  trips.setField("NumVeh", Value::whole(0));
  copyGiven("DropRet");
  trips.setField("TripCom", Value(" "));
  for (const char* column :
       {"AutoAssign", "PO", "INTTRIPNUM", "TRIPCAT", "AMOUNTTXT1", "AMOUNTTXT2", "AMOUNTTXT3",
        "AMOUNTTXT4", "AMOUNTTXT5", "AMOUNT1", "AMOUNT2", "AMOUNT3", "AMOUNT4", "AMOUNT5", "GRADE"})
    copyGiven(column);
  trips.setField("TRIPREQNUM", request.field("TRIPNUM"));
  for (const char* column : {"SPLIT", "INVOICE_FORMAT", "INVOICE_COMMENT#1", "MULTIDEST", "SHUTTLE",
                             "TICKET_FORMAT", "NUMCHAR"})
    copyGiven(column);
  trips.update();
  EXPECT_EQ(trips.field("TRIPNUM"), Value::whole(6));
  trips.close();

  // The field trip search finds it by its request number, with the joined names.
  TripFilters byRequest;
  byRequest.tripReqNum = "3";
  Recordset found;
  found.open(tripQuery(byRequest), trip);
  EXPECT_EQ(rowsOf(found, {"TRIPNUM", "CUSTNAME", "BILLCUSTNAME", "DESTDESC", "DEPDATE", "DEPTIME",
                           "ASSIGNED", "BILLED", "CANCELED", "TOTALBILLED"}),
            (Rows{{"6", "O'Brien Elementary", "O'Brien Elementary", "Larkdale Zoo", "3/12/2026",
                   "9:30:00 AM", "False", "False", "False", "<null>"}}));
  Recordset created;
  created.open("SELECT * FROM TRIPS WHERE TRIPNUM = 6", trip);
  EXPECT_EQ(rowsOf(created, {"Bill", "NumVeh", "TripCom", "GRADE", "Capacity", "CALCNUMDRIVERS",
                             "INVOICE_COMMENT#1"}),
            (Rows{{"True", "0", " ", "K", "Small", "True", "Car seats billed separately"}}));
}

}  // namespace
}  // namespace ravadid::db

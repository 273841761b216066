#include "reports/summary_report.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "frame/application.h"
#include "frame/connections.h"
#include "frame/db/database.h"
#include "frame/db/sample_district.h"
#include "frame/pages.h"
#include "frame/runtime.h"
#include "support/fake_exchange.h"
#include "support/html_check.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::sqliteExec;
using testing::TempInstallation;

// ---- The stored trips, kept here as well so the expected figures are summed without SQL ----

struct Customer {
  const char* code;
  const char* name;
  const char* division;
};
struct Trip {
  int number;
  const char* customer;
  int destination;
  const char* fund;
  const char* grade;  // nullptr: no grade
  const char* category;
  int students, adults;
  bool cancelled;
};
struct Employee {
  int trip;
  double hours, miles;
};
struct Charge {
  int trip;
  double amount;
  const char* code;
};
struct Split {
  int trip;
  const char* fund;
};

const std::vector<Customer> kCustomers = {
    {"A", "Alder School", "N"}, {"B", "Birch Academy", "S"}, {"C", "O'Hare Center", "N"}};
const std::map<std::string, std::string> kCategories = {
    {"ACAD", "Academic"}, {"ATH", "Athletics"}, {"BAND", "Band"}};
const std::map<std::string, std::string> kGrades = {{"K", "Kindergarten"}, {"09", "Ninth grade"}};
const std::map<std::string, std::string> kFunds = {{"100", "General Fund"},
                                                   {"210", "Athletics & Band"}};
const std::map<int, std::string> kDestinations = {{10, "Zoo"}, {11, "Museum"}};

const std::vector<Trip> kTrips = {
    {1, "A", 10, "100", "K", "ACAD", 20, 2, false},
    {2, "A", 10, "100", "K", "ACAD", 25, 3, true},
    {3, "A", 11, "210", "09", "ATH", 30, 4, false},
    {4, "B", 10, "100", "09", "ACAD", 15, 1, false},
    {5, "B", 11, "210", nullptr, "ATH", 40, 5, true},
    {6, "B", 11, "100", "K", "", 12, 2, false},
    {7, "C", 10, "210", nullptr, "", 8, 1, true},
    {8, "C", 11, "100", "09", "ACAD", 1200, 34, false},
};
const std::vector<Employee> kEmployees = {{1, 3.5, 40}, {1, 1.5, 12}, {2, 2, 20},   {3, 6, 150},
                                          {3, 6, 150},  {4, 1, 8},    {5, 4, 60},   {6, 2.25, 15},
                                          {7, 1, 5},    {8, 10, 300}, {8, 0.5, 2.5}};
const std::vector<Charge> kCharges = {
    {1, 150, "BIL"},  {1, -150, "PAY"}, {1, 10, "ADJ"},   {2, 80, "BIL"},  {3, 200, "BIL"},
    {3, 25.5, "ADJ"}, {4, 60, "BIL"},   {5, 90, "BIL"},   {5, -90, "PAY"}, {6, 33.25, "BIL"},
    {7, 12, "BIL"},   {8, 1000, "BIL"}, {8, 234.5, "ADJ"}};
const std::vector<Split> kSplits = {{1, "210"}, {1, "100"}, {2, "210"}, {3, "100"}, {5, "100"},
                                    {5, "210"}, {5, "210"}, {7, "100"}, {8, "210"}};

std::string quoted(const std::string& text) {
  return "'" + std::regex_replace(text, std::regex("'"), "''") + "'";
}

std::string insertStatements() {
  std::string sql =
      "DELETE FROM TRIPS; DELETE FROM TRIPSPLIT; DELETE FROM TRIPEMPLOYEES; DELETE FROM ARDETAIL;"
      "DELETE FROM CUSTOMER; DELETE FROM TRIPCAT; DELETE FROM GRADE; DELETE FROM FUND;"
      "DELETE FROM DESTINATION;";
  for (const Customer& c : kCustomers)
    sql += "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, CUSTDIV) VALUES (" + quoted(c.code) + ", " +
           quoted(c.name) + ", " + quoted(c.division) + ");";
  for (const auto& [code, text] : kCategories)
    sql += "INSERT INTO TRIPCAT (TRIPCAT, DESCRIPTION) VALUES (" + quoted(code) + ", " +
           quoted(text) + ");";
  for (const auto& [code, text] : kGrades)
    sql += "INSERT INTO GRADE (GRADE, DESCRIPTION) VALUES (" + quoted(code) + ", " + quoted(text) +
           ");";
  for (const auto& [code, text] : kFunds)
    sql += "INSERT INTO FUND (FUND, FUNDDESC) VALUES (" + quoted(code) + ", " + quoted(text) + ");";
  for (const auto& [code, text] : kDestinations)
    sql += "INSERT INTO DESTINATION (DESTINATION, DESTDESC) VALUES (" + std::to_string(code) +
           ", " + quoted(text) + ");";
  for (const Trip& t : kTrips)
    sql +=
        "INSERT INTO TRIPS (TRIPNUM, CUSTOMER, DESTINATION, FUND, GRADE, TRIPCAT, NUMSTUDENTS,"
        " NUMADULTS, CANCELED, DEPDATE) VALUES (" +
        std::to_string(t.number) + ", " + quoted(t.customer) + ", " +
        std::to_string(t.destination) + ", " + quoted(t.fund) + ", " +
        (t.grade ? quoted(t.grade) : "NULL") + ", " + quoted(t.category) + ", " +
        std::to_string(t.students) + ", " + std::to_string(t.adults) + ", " +
        (t.cancelled ? "1" : "0") + ", '2026-05-01 00:00:00');";
  for (const Employee& e : kEmployees)
    sql += "INSERT INTO TRIPEMPLOYEES (TRIPNUM, HOURS, MILES) VALUES (" + std::to_string(e.trip) +
           ", " + std::to_string(e.hours) + ", " + std::to_string(e.miles) + ");";
  for (const Charge& c : kCharges)
    sql += "INSERT INTO ARDETAIL (TRIPNUM, TRANAMT, TRANCODE) VALUES (" + std::to_string(c.trip) +
           ", " + std::to_string(c.amount) + ", " + quoted(c.code) + ");";
  for (const Split& s : kSplits)
    sql += "INSERT INTO TRIPSPLIT (TRIPNUM, FUND) VALUES (" + std::to_string(s.trip) + ", " +
           quoted(s.fund) + ");";
  return sql;
}

const Customer& customerOf(const Trip& t) {
  for (const Customer& c : kCustomers)
    if (std::string(c.code) == t.customer) return c;
  throw std::logic_error("no customer");
}

// trips, splits, students, adults, hours, miles, amount
using Figures = std::array<double, 7>;
using Summary = std::map<std::string, Figures>;

// The group a trip falls in, as the report describes it.
std::string groupOf(const Trip& t, SummaryGrouping grouping) {
  switch (grouping) {
    case SummaryGrouping::Customer:
      return std::string(t.customer) + " - " + customerOf(t).name;
    case SummaryGrouping::Category:
      return *t.category ? std::string(t.category) + " - " + kCategories.at(t.category) : "*None";
    case SummaryGrouping::Fund:
      return std::string(t.fund) + " - " + kFunds.at(t.fund);
    case SummaryGrouping::Destination:
      return " " + std::to_string(t.destination) + " - " + kDestinations.at(t.destination);
    case SummaryGrouping::Grade:
      return t.grade ? std::string(t.grade) + " - " + kGrades.at(t.grade) : "*None";
  }
  return {};
}

// Every figure summed over the selected trips of each group, each trip once.
Summary expectedSummary(SummaryGrouping grouping,
                        const std::function<bool(const Trip&)>& selected) {
  Summary summary;
  if (grouping == SummaryGrouping::Category || grouping == SummaryGrouping::Grade)
    summary["*None"] = {};  // the row of ungrouped trips is there even when it counts none
  for (const Trip& t : kTrips) {
    if (!selected(t)) continue;
    Figures& f = summary[groupOf(t, grouping)];
    f[0] += 1;
    for (const Split& s : kSplits) f[1] += s.trip == t.number;
    f[2] += t.students;
    f[3] += t.adults;
    for (const Employee& e : kEmployees) {
      if (e.trip != t.number) continue;
      f[4] += e.hours;
      f[5] += e.miles;
    }
    for (const Charge& c : kCharges) {
      const bool counted = grouping == SummaryGrouping::Category ? std::string(c.code) == "BIL"
                                                                 : std::string(c.code) != "PAY";
      if (c.trip == t.number && counted) f[6] += c.amount;
    }
  }
  return summary;
}

class SummaryReportTest : public ::testing::Test {
 protected:
  SummaryReportTest() : web_(site_.installation(), makeStandardPages()) {
    trip(testing::kSampleTripRows);
    trip(insertStatements());
    FakeExchange start;  // the bare page loads the site settings
    web_.handle(start);
  }

  void trip(const std::string& sql) { sqliteExec(site_.dataFolder() / kTripFile, sql); }

  Summary run(SummaryGrouping grouping, const std::string& condition) {
    db::Connection connection;
    connection.open((site_.dataFolder() / kTripFile).string());
    db::Recordset rs;
    rs.open(tripSummaryStatement(grouping, condition), connection);
    Summary summary;
    auto number = [&](const char* name) {
      const Value v = rs.field(name);
      return v.isNull() ? 0.0 : vb::CDbl(v);
    };
    for (; !rs.eof(); rs.moveNext())
      summary[vb::CStr(rs.field("TYPEDESCRIPTION"))] = {
          number("NUMBEROFTRIPS"),  number("NUMBEROFSPLITS"), number("NUMBEROFSTUDENTS"),
          number("NUMBEROFADULTS"), number("TOTALHOURS"),     number("TOTALMILES"),
          number("TOTALAMOUNT")};
    return summary;
  }

  // One page of rows from the builder; the response's own text goes to `written`.
  SummaryPage build(const std::string& type, const std::string& condition, int16_t& pageNumber,
                    int16_t pageSize, std::string* written = nullptr, bool* built = nullptr) {
    FakeExchange ex;
    Ravadid app(web_, ex);
    SummaryPage page;
    const bool ok = BuildTripSummaryReportResults(app, type, condition, pageNumber, pageSize, page);
    if (written) *written = ex.body;
    if (built) *built = ok;
    EXPECT_EQ(ex.hasEnded, !ok) << type;
    return page;
  }

  TempInstallation site_;
  WebApplication web_;
};

// ---- The figures ----------------------------------------------------------------------------

TEST_F(SummaryReportTest, EveryFigureTotalsTheSelectedTripsOfItsGroupOnce) {
  struct Condition {
    const char* where;
    std::function<bool(const Trip&)> selected;
  };
  const std::vector<Condition> conditions = {
      {"", [](const Trip&) { return true; }},
      {" WHERE TRIPS.CANCELED = TRUE", [](const Trip& t) { return t.cancelled; }},
      {" WHERE TRIPS.CANCELED = FALSE", [](const Trip& t) { return !t.cancelled; }},
      {" WHERE CUSTOMER.CUSTDIV = 'N'",
       [](const Trip& t) { return std::string(customerOf(t).division) == "N"; }},
      {" WHERE TRIPS.DEPDATE >= #5/1/2026# and TRIPS.DEPDATE <= #5/1/2026# AND CUSTOMER.CUSTDIV "
       "= 'S' AND TRIPS.CANCELED = TRUE",
       [](const Trip& t) { return t.cancelled && std::string(customerOf(t).division) == "S"; }},
      {" WHERE TRIPS.CUSTOMER = 'nobody'", [](const Trip&) { return false; }},
  };
  for (SummaryGrouping grouping :
       {SummaryGrouping::Customer, SummaryGrouping::Category, SummaryGrouping::Fund,
        SummaryGrouping::Destination, SummaryGrouping::Grade})
    for (const Condition& c : conditions)
      EXPECT_EQ(run(grouping, c.where), expectedSummary(grouping, c.selected))
          << "grouping " << static_cast<int>(grouping) << " condition '" << c.where << "'";
}

TEST_F(SummaryReportTest, TypeIsReadUpperCased) {
  const std::vector<std::pair<std::string, std::optional<SummaryGrouping>>> cases = {
      {"Customer", SummaryGrouping::Customer},
      {"category", SummaryGrouping::Category},
      {"FUND", SummaryGrouping::Fund},
      {"Destination", SummaryGrouping::Destination},
      {"gRADE", SummaryGrouping::Grade},
      {"Grades", std::nullopt},
      {" Fund", std::nullopt},
      {"", std::nullopt}};
  for (const auto& [type, grouping] : cases) EXPECT_EQ(summaryGrouping(type), grouping) << type;
}

// ---- Cells and rows -------------------------------------------------------------------------

TEST_F(SummaryReportTest, CountsAndAmountsAreFormatted) {
  const std::vector<std::pair<Value, std::string>> counts = {{Value::null(), "0"},
                                                             {Value::whole(0), "0"},
                                                             {Value::whole(7), "7"},
                                                             {Value::whole(1234567), "1,234,567"},
                                                             {Value::number(1234), "1,234"}};
  for (const auto& [value, text] : counts) EXPECT_EQ(summaryCount(value), text) << text;
  const std::vector<std::pair<Value, std::string>> amounts = {
      {Value::null(), "$0.00"},        {Value::number(0), "$0.00"},
      {Value::number(0.004), "$0.00"}, {Value::number(-0.004), "$0.00"},
      {Value::number(0.3), "$0.30"},   {Value::number(-0.25), "($0.25)"},
      {Value::number(1.5), "$1.50"},   {Value::number(1234.5), "$1,234.50"},
      {Value::number(-42), "($42.00)"}};
  for (const auto& [value, text] : amounts) EXPECT_EQ(summaryAmount(value), text) << text;
}

TEST_F(SummaryReportTest, RowsCarryEscapedDescriptionsAlternateColoursAndSpacers) {
  int16_t pageNumber = 1;
  const SummaryPage page = build("Customer", " WHERE TRIPS.CANCELED = FALSE", pageNumber, 10);
  EXPECT_EQ(page.recordCount, 3);
  EXPECT_EQ(page.results,
            "<tr bgcolor='#FFFFFF'><td>A - Alder School</td><td align=right>2</td>"
            "<td align=right>3</td><td align=right>50</td><td align=right>6</td>"
            "<td align=right>56</td><td align=right>$385.50</td></tr>"
            "<tr><td colspan='10'></td></tr>"
            "<tr bgcolor='#C0C0C0'><td>B - Birch Academy</td><td align=right>2</td>"
            "<td align=right>0</td><td align=right>27</td><td align=right>3</td>"
            "<td align=right>30</td><td align=right>$93.25</td></tr>"
            "<tr><td colspan='10'></td></tr>"
            "<tr bgcolor='#FFFFFF'><td>C - O&#39;Hare Center</td><td align=right>1</td>"
            "<td align=right>1</td><td align=right>1,200</td><td align=right>34</td>"
            "<td align=right>1,234</td><td align=right>$1,234.50</td></tr>"
            "<tr><td colspan='10'></td></tr>");
}

TEST_F(SummaryReportTest, GroupsWithoutBillingShowZeroDollars) {
  trip("DELETE FROM ARDETAIL WHERE TRIPNUM IN (3, 5)");
  int16_t pageNumber = 1;
  const SummaryPage page = build("Category", " WHERE TRIPS.TRIPCAT = 'ATH'", pageNumber, 10);
  // The ungrouped row counts nothing here; the group's trips have no billing left.
  EXPECT_NE(page.results.find("<td>*None</td><td align=right>0</td><td align=right>0</td>"
                              "<td align=right>0</td><td align=right>0</td><td align=right>0</td>"
                              "<td align=right>$0.00</td>"),
            std::string::npos)
      << page.results;
  EXPECT_NE(page.results.find("<td>ATH - Athletics</td><td align=right>2</td><td align=right>4</td>"
                              "<td align=right>70</td><td align=right>9</td><td align=right>79</td>"
                              "<td align=right>$0.00</td>"),
            std::string::npos)
      << page.results;
}

TEST_F(SummaryReportTest, MissingOrUnknownTypeAnswersWithItsMessageAlone) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "Summary Type must be supplied."},
      {"Weekly", "Invalid Summary Type"},
      {"<b>", "Invalid Summary Type"},
      {"grade", ""}};
  for (const auto& [type, message] : cases) {
    int16_t pageNumber = 1;
    std::string written;
    bool built = false;
    const SummaryPage page = build(type, "", pageNumber, 10, &written, &built);
    EXPECT_EQ(written, message) << type;
    EXPECT_EQ(built, message.empty()) << type;
    EXPECT_EQ(page.results.empty(), !message.empty()) << type;
  }
}

// ---- Paging ---------------------------------------------------------------------------------

TEST_F(SummaryReportTest, PagesHoldPageSizeGroupsAndABeyondPageIsLowered) {
  std::string sql;
  for (int i = 1; i <= 22; ++i) {  // 25 customers with trips in all
    const std::string code = "P" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    sql += "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, CUSTDIV) VALUES ('" + code + "', 'Pupil " +
           code + "', 'N'); INSERT INTO TRIPS (TRIPNUM, CUSTOMER, NUMSTUDENTS) VALUES (" +
           std::to_string(100 + i) + ", '" + code + "', 1);";
  }
  trip(sql);
  struct Case {
    int16_t page, pageSize;
    int16_t shownPage;
    const char* first;
    int rows, spacers;
  };
  const Case cases[] = {
      {1, 10, 1, "A - Alder School", 10, 9},
      {2, 10, 2, "P08 - Pupil P08", 10, 9},
      {3, 10, 3, "P18 - Pupil P18", 5, 5},
      {4, 10, 3, "P18 - Pupil P18", 5, 5},  // "Last" from a page of exactly 25/10+1
      {9, 10, 3, "P18 - Pupil P18", 5, 5},
      {0, 10, 0, "A - Alder School", 10, 9},
      {3, 5, 3, "P08 - Pupil P08", 5, 4},
      {6, 5, 5, "P18 - Pupil P18", 5, 4},
  };
  for (const Case& c : cases) {
    int16_t pageNumber = c.page;
    const SummaryPage page = build("customer", "", pageNumber, c.pageSize);
    const std::string where =
        "page " + std::to_string(c.page) + " size " + std::to_string(c.pageSize);
    EXPECT_EQ(page.recordCount, 25) << where;
    EXPECT_EQ(pageNumber, c.shownPage) << where;
    const std::regex row("<tr bgcolor='#[0-9A-F]+'><td>([^<]*)</td>");
    std::vector<std::string> shown;
    for (auto it = std::sregex_iterator(page.results.begin(), page.results.end(), row);
         it != std::sregex_iterator(); ++it)
      shown.push_back((*it)[1]);
    ASSERT_EQ(static_cast<int>(shown.size()), c.rows) << where;
    EXPECT_EQ(shown.front(), c.first) << where;
    std::size_t spacers = 0;
    for (std::size_t at = page.results.find("<tr><td colspan='10'>"); at != std::string::npos;
         at = page.results.find("<tr><td colspan='10'>", at + 1))
      ++spacers;
    EXPECT_EQ(static_cast<int>(spacers), c.spacers) << where;
  }
}

// ---- The page -------------------------------------------------------------------------------

class SummaryPageTest : public SummaryReportTest {
 protected:
  // One request for the page; "" names no event (Respond). The session carries over.
  std::string request(const std::string& type, const std::string& button = "") {
    ex_.body.clear();
    ex_.hasEnded = false;
    ex_.queryItems = {{"WCI", "TripSummaryReport"}, {"WCU", ""}, {"Type", type}};
    ex_.formItems.clear();
    if (!button.empty()) {
      ex_.queryItems["WCE"] = "TripSummaryReport";
      ex_.formItems["btnSubmit"] = button;
    }
    web_.handle(ex_);
    return ex_.body;
  }
  static std::string between(const std::string& body, const std::string& open,
                             const std::string& close) {
    const std::size_t at = body.find(open);
    if (at == std::string::npos) return "<none>";
    const std::size_t from = at + open.size();
    return body.substr(from, body.find(close, from) - from);
  }
  FakeExchange ex_;
};

TEST_F(SummaryPageTest, NobodySignedInSeesNoFigures) {
  const std::string body = request("Category");
  EXPECT_EQ(body.find("<td align=right>"), std::string::npos) << body;
  EXPECT_NE(body.find("session has timed out"), std::string::npos) << body;
}

TEST_F(SummaryPageTest, PageShowsTheStoredSearchWithHeadingsFiltersAndButtons) {
  ex_.sessionStore.set("USER", "clerk");
  ex_.sessionStore.set("TripReportSummaryCondition", " WHERE TRIPS.CANCELED = TRUE");
  ex_.sessionStore.set("TripReportFilters", "Filters used: Cancelled <only> & \"open\" off.");
  const std::string body = request("Category");
  EXPECT_EQ(testing::htmlProblems(body), std::vector<std::string>{}) << body;
  EXPECT_EQ(between(body, "<title>", "</title>"), "Field Trip Summary by Category");
  EXPECT_EQ(between(body, "<span class=\"filters-used\">", "</span>"),
            "Filters used: Cancelled &lt;only&gt; &amp; &quot;open&quot; off.");
  EXPECT_NE(body.find("one line per CATEGORY."), std::string::npos);
  EXPECT_NE(body.find("WCE=TripSummaryReport&amp;WCU&amp;Type=Category\""), std::string::npos);
  // Cancelled trips 2, 5 and 7: ACAD has trip 2, ATH trip 5, the ungrouped row trip 7.
  EXPECT_NE(body.find("<td>*None</td><td align=right>1</td><td align=right>1</td>"
                      "<td align=right>8</td><td align=right>1</td><td align=right>9</td>"
                      "<td align=right>$12.00</td>"),
            std::string::npos);
  EXPECT_NE(body.find("<td>ACAD - Academic</td><td align=right>1</td><td align=right>1</td>"
                      "<td align=right>25</td><td align=right>3</td><td align=right>28</td>"
                      "<td align=right>$80.00</td>"),
            std::string::npos);
  EXPECT_NE(body.find("<td>ATH - Athletics</td><td align=right>1</td><td align=right>3</td>"),
            std::string::npos);
  EXPECT_EQ(between(body, "<form class=\"paging\"", "</form>").find("<input"),
            std::string::npos);  // one page: every button is plain text
  EXPECT_EQ(ex_.sessionStore.get("PageNumber"), Value::integer(1));
  EXPECT_EQ(ex_.sessionStore.get("RecordCount"), Value::whole(3));
}

TEST_F(SummaryPageTest, ButtonsMoveThePageAndLastRoundsHalvesToEven) {
  ex_.sessionStore.set("USER", "clerk");
  std::string sql;
  for (int i = 1; i <= 47; ++i)  // 50 customers with trips
    sql += "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME) VALUES ('Q" + std::to_string(100 + i) +
           "', 'Q'); INSERT INTO TRIPS (TRIPNUM, CUSTOMER) VALUES (" + std::to_string(100 + i) +
           ", 'Q" + std::to_string(100 + i) + "');";
  trip(sql);
  struct Step {
    const char* button;
    int16_t page;
    const char* buttons;  // F, P, N, L: a button; - plain text
  };
  // PageSize 20: Last is 50 / 20 + 1 = 3.5, read back as 4 and lowered to 3.
  const Step steps[] = {{"", 1, "--NL"},         {"Next", 2, "FPNL"},  {"Last", 3, "FP--"},
                        {"Previous", 2, "FPNL"}, {"First", 1, "--NL"}, {"Last", 3, "FP--"},
                        {"Next", 3, "FP--"}};
  for (const Step& s : steps) {
    const std::string body = request("Customer", s.button);
    EXPECT_EQ(ex_.sessionStore.get("PageNumber"), Value::integer(s.page)) << s.button;
    std::string buttons;
    for (const char* name : {"First", "Previous", "Next", "Last"})
      buttons +=
          body.find(std::string("value='") + name + "' name='btnSubmit'") != std::string::npos
              ? name[0]
              : '-';
    EXPECT_EQ(buttons, s.buttons) << s.button;
  }
}

}  // namespace
}  // namespace ravadid

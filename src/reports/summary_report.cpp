#include "reports/summary_report.h"

#include <array>

#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "reports/report_paging.h"

namespace ravadid {
namespace {

using namespace std::string_view_literals;

// What sets one grouping's statement apart from the others.
struct GroupingText {
  SummaryGrouping grouping;
  std::string_view type;  // the query string's Type, upper-cased
  std::string_view description;
  std::string_view amountCodes;  // which transactions the amount adds up
  std::string_view from;
  std::string_view groupBy;
  std::string_view ungrouped;  // the test of the "*None" row's trips; empty: no such row
};

constexpr std::string_view kNotPayments = " AND ARDETAIL.TRANCODE<>'PAY'";
constexpr std::string_view kBilledOnly = " AND ARDETAIL.TRANCODE='BIL'";

constexpr std::array<GroupingText, 5> kGroupings = {{
    {SummaryGrouping::Customer, "CUSTOMER",
     "(CUSTOMER.CUSTOMER&' - '&CUSTOMER.CUSTNAME) AS TYPEDESCRIPTION, ", kNotPayments,
     "FROM CUSTOMER INNER JOIN TRIPS ON CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
     " GROUP BY CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME", ""},
    {SummaryGrouping::Category, "CATEGORY",
     "(TRIPCAT.TRIPCAT&' - '&TRIPCAT.DESCRIPTION) AS TYPEDESCRIPTION, ", kBilledOnly,
     "FROM CUSTOMER INNER JOIN (TRIPCAT INNER JOIN TRIPS ON TRIPCAT.TRIPCAT = TRIPS.TRIPCAT) ON "
     "CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
     " GROUP BY TRIPCAT.TRIPCAT, TRIPCAT.DESCRIPTION", " AND TRIPS.TRIPCAT  = ''"},
    {SummaryGrouping::Fund, "FUND", "(FUND.FUND&' - '&FUND.FUNDDESC) AS TYPEDESCRIPTION, ",
     kNotPayments,
     "FROM CUSTOMER INNER JOIN (FUND INNER JOIN TRIPS ON FUND.FUND = TRIPS.FUND) ON "
     "CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
     " GROUP BY FUND.FUND, FUND.FUNDDESC", ""},
    {SummaryGrouping::Destination, "DESTINATION",
     "(STR(DESTINATION.DESTINATION)&' - '&DESTINATION.DESTDESC) AS TYPEDESCRIPTION, ", kNotPayments,
     "FROM CUSTOMER INNER JOIN (DESTINATION INNER JOIN TRIPS ON DESTINATION.DESTINATION = "
     "TRIPS.DESTINATION) ON CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
     " GROUP BY DESTINATION.DESTINATION, DESTINATION.DESTDESC", ""},
    {SummaryGrouping::Grade, "GRADE", "(GRADE.GRADE&' - '&GRADE.DESCRIPTION) AS TYPEDESCRIPTION, ",
     kNotPayments,
     "FROM CUSTOMER INNER JOIN (GRADE INNER JOIN TRIPS ON GRADE.GRADE = TRIPS.GRADE) ON "
     "CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ",
     " GROUP BY GRADE.GRADE, GRADE.DESCRIPTION", " AND TRIPS.GRADE IS NULL"},
}};

constexpr std::string_view kUngroupedFrom =
    "FROM CUSTOMER INNER JOIN TRIPS ON CUSTOMER.CUSTOMER = TRIPS.CUSTOMER ";

// The select list up to the FROM clause. Every figure but the counts of the outer rows is a
// sub-select of one trip (the outer row's), summed over the group: an uncorrelated sub-select
// would total the whole group on every row and ignore conditions on the outer tables.
void appendFigures(std::string& sql, std::string_view description, std::string_view amountCodes) {
  sql.append("SELECT "sv).append(description);
  sql +=
      "COUNT(*) AS NUMBEROFTRIPS, "
      "SUM((SELECT COUNT(*) FROM TRIPSPLIT WHERE TRIPSPLIT.TRIPNUM = TRIPS.TRIPNUM)) AS "
      "NUMBEROFSPLITS, "
      "SUM(TRIPS.NUMSTUDENTS) AS NUMBEROFSTUDENTS, SUM(TRIPS.NUMADULTS) AS NUMBEROFADULTS, "
      "SUM((SELECT SUM(TRIPEMPLOYEES.HOURS) FROM TRIPEMPLOYEES WHERE TRIPEMPLOYEES.TRIPNUM = "
      "TRIPS.TRIPNUM)) AS TOTALHOURS, "
      "SUM((SELECT SUM(TRIPEMPLOYEES.MILES) FROM TRIPEMPLOYEES WHERE TRIPEMPLOYEES.TRIPNUM = "
      "TRIPS.TRIPNUM)) AS TOTALMILES, "
      "SUM((SELECT SUM(ARDETAIL.TRANAMT) FROM ARDETAIL WHERE ARDETAIL.TRIPNUM = TRIPS.TRIPNUM"sv;
  sql.append(amountCodes).append(")) AS TOTALAMOUNT "sv);
}

const GroupingText& textOf(SummaryGrouping grouping) {
  for (const GroupingText& g : kGroupings)
    if (g.grouping == grouping) return g;
  return kGroupings.front();
}

constexpr std::string_view kWhite = "#FFFFFF";
constexpr std::string_view kGrey = "#C0C0C0";
constexpr std::string_view kSpacerRow = "<tr><td colspan='10'></td></tr>";
constexpr std::string_view kNumberCell = "<td align=right>";

// The summary's place in the report tags: its filters text is the field trip search's.
const ReportDefinition kSummaryReport{"TripSummaryReport", "TripReportSummaryCondition",
                                      "TripReportFilters", nullptr};

}  // namespace

std::optional<SummaryGrouping> summaryGrouping(std::string_view type) {
  const std::string upper = vb::UCase(type);
  for (const GroupingText& g : kGroupings)
    if (upper == g.type) return g.grouping;
  return std::nullopt;
}

std::string tripSummaryStatement(SummaryGrouping grouping, std::string_view condition) {
  const GroupingText& g = textOf(grouping);
  std::string sql;
  sql.reserve(2048);
  appendFigures(sql, g.description, g.amountCodes);
  sql.append(g.from).append(condition).append(g.groupBy);
  if (!g.ungrouped.empty()) {
    sql += " UNION "sv;
    appendFigures(sql, "('*None') AS TYPEDESCRIPTION, "sv, g.amountCodes);
    sql.append(kUngroupedFrom).append(condition).append(g.ungrouped);
  }
  return sql;
}

std::string summaryCount(const Value& count) {
  if (count.isNull() || count.isEmpty()) return "0";
  return vb::Format(vb::CDbl(count), "#,###,##0");
}

std::string summaryAmount(const Value& amount) {
  if (amount.isNull() || amount.isEmpty()) return "$0.00";
  const double value = vb::CDbl(amount);
  // Only an amount that shows no cents is "$0.00": 30 cents stay $0.30, and a tiny negative
  // total is not shown as a negative zero.
  if (vb::roundHalfEven(value * 100) == 0) return "$0.00";
  return vb::FormatCurrency(value);
}

void appendSummaryRow(std::string& html, std::span<const Value> row, const SummaryColumns& at,
                      std::string_view colour) {
  auto field = [&](int index) -> const Value& { return row[static_cast<std::size_t>(index)]; };
  const std::string students = summaryCount(field(at.students));
  const std::string adults = summaryCount(field(at.adults));
  // Riders add the two numbers as shown, so the row always adds up on paper.
  const double riders = vb::parseNumber(students).value_or(0) + vb::parseNumber(adults).value_or(0);
  const std::string cells[] = {
      summaryCount(field(at.trips)),       summaryCount(field(at.splits)), students, adults,
      summaryCount(Value::number(riders)), summaryAmount(field(at.amount))};
  html.append("<tr bgcolor='"sv).append(colour).append("'><td>"sv);
  html.append(htmlEscape(NullToSpace(field(at.description)))).append("</td>"sv);
  for (const std::string& cell : cells) html.append(kNumberCell).append(cell).append("</td>"sv);
  html += "</tr>"sv;
}

bool BuildTripSummaryReportResults(Ravadid& app, std::string_view summaryType,
                                   std::string_view condition, int16_t& pageNumber,
                                   int16_t pageSize, SummaryPage& page) {
  page = {};
  if (summaryType.empty()) {
    app.write("Summary Type must be supplied.");
    app.exchange().end();
    return false;
  }
  const std::optional<SummaryGrouping> grouping = summaryGrouping(summaryType);
  if (!grouping) {
    app.write("Invalid Summary Type");
    app.exchange().end();
    return false;
  }
  // A failure is reported once, by the exit step of the handler that asked for the rows.
  app.run({.name = "BuildTripSummaryReportResults", .writesReport = false}, [&] {
    if (!app.databasePreamble()) return;
    db::Recordset groups;
    // Only the page's groups are read; the page search runs only above page 1.
    page.recordCount = openReportPage(groups, tripSummaryStatement(*grouping, condition),
                                      app.tripDb(), pageNumber, pageSize, /*floor=*/1);
    if (!groups.eof()) {
      const SummaryColumns at{
          groups.fieldIndex("TYPEDESCRIPTION"), groups.fieldIndex("NUMBEROFTRIPS"),
          groups.fieldIndex("NUMBEROFSPLITS"),  groups.fieldIndex("NUMBEROFSTUDENTS"),
          groups.fieldIndex("NUMBEROFADULTS"),  groups.fieldIndex("TOTALAMOUNT")};
      int written = 0;
      for (; !groups.eof() && written < pageSize; groups.moveNext()) {
        appendSummaryRow(page.results, groups.currentFields(), at,
                         written % 2 == 0 ? kWhite : kGrey);
        ++written;
        // Every group but the last of a full page is followed by a spacer.
        if (written < pageSize) page.results += kSpacerRow;
      }
    }
    groups.close();
    app.closeStep();
  });
  return true;
}

// ---- The page ------------------------------------------------------------------------------

namespace {

// Runs the builder for the page and writes the template; the page it settled on is stored.
void showSummary(Ravadid& app, int16_t pageNumber) {
  SummaryReportState state;
  state.summaryType = app.query("Type");
  state.pageNumber = pageNumber;
  const bool built = BuildTripSummaryReportResults(
      app, state.summaryType, app.session().text("TripReportSummaryCondition"), state.pageNumber,
      reportPageSize(app), state.page);
  if (!built) return;
  app.session().set("PageNumber", Value::integer(state.pageNumber));
  if (!app.noError()) return;  // the builder's error report is the answer

  class Writer final : public PageObject {
   public:
    explicit Writer(SummaryReportState& state) : PageObject("TripSummaryReport"), state_(state) {}
    void processTag(Ravadid& app, TagEvent& tag) const override {
      TripSummaryReport_ProcessTag(app, state_, tag);
    }

   private:
    SummaryReportState& state_;
  };
  app.writeTemplate(Writer(state));
}

}  // namespace

void TripSummaryReport_Respond(Ravadid& app) {
  // The summary covers every trip when no search was stored: nobody signed out sees it.
  app.run({.name = "TripSummaryReport_Respond"}, [&] {
    if (!app.sessionCheck()) return;
    showSummary(app, storedPageNumber(app));
  });
}

void TripSummaryReport_TripSummaryReport(Ravadid& app) {
  app.run({.name = "TripSummaryReport_TripSummaryReport"}, [&] {
    if (!app.sessionCheck()) return;
    const Value count = app.session().get("RecordCount");
    const double recordCount = count.isEmpty() || count.isNull() ? 0.0 : vb::CDbl(count);
    showSummary(app, pageAfterButton(app.form("btnSubmit"), storedPageNumber(app), recordCount,
                                     reportPageSize(app)));
  });
}

void TripSummaryReport_ProcessTag(Ravadid& app, SummaryReportState& state, TagEvent& tag) {
  if (tag.is("WC@RESULTS")) {
    // A page of rows is moved into the page rather than copied.
    tag.contents = std::move(state.page.results);
    state.page.results.clear();
  } else if (tag.is("WC@SUMMARYTYPE")) {
    tag.contents = htmlEscape(state.summaryType);
  } else if (tag.is("WC@UCASESUMMARYTYPE")) {
    tag.contents = htmlEscape(vb::UCase(state.summaryType));
  } else {
    const ReportRows rows{{}, state.page.recordCount};
    replaceReportTag(app, kSummaryReport, rows, tag);
  }
}

void TripSummaryReportPage::respond(Ravadid& app) const {
  TripSummaryReport_Respond(app);
}

void TripSummaryReportPage::processTag(Ravadid& app, TagEvent& tag) const {
  SummaryReportState state;
  state.summaryType = app.query("Type");
  TripSummaryReport_ProcessTag(app, state, tag);
}

void TripSummaryReportPage::onEvent(Ravadid& app, const std::string&) const {
  TripSummaryReport_TripSummaryReport(app);
}

}  // namespace ravadid

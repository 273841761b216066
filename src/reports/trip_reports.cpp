#include "reports/trip_reports.h"

#include <string_view>

#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"
#include "search/request_cells.h"

namespace ravadid {
namespace {

using namespace std::string_view_literals;
using namespace cells;
namespace trips = schema::trips;

constexpr std::string_view kMissingQuery = "Trip Report Query must be supplied.";
constexpr std::string_view kCell = "<td><font size='-2'>";
constexpr std::string_view kCellEnd = "</font></td>";

// A flag column: booleans as they are, numbers non-zero; null and anything else off.
bool flagOn(const Value& value) {
  if (value.isBoolean()) return value.asBoolean();
  if (value.isNumeric()) return value.asDouble() != 0;
  return value.isText() && vb::equalsIgnoreCase(vb::Trim(value.asText()), "True");
}

class TripRowWriter {
 public:
  TripRowWriter(std::string& html, const db::Recordset& trips) : html_(html), trips_(trips) {}

  const Value& field(std::string_view name) const {
    return trips_.fieldValue(trips_.fieldIndex(name));
  }
  void open(std::string_view colour, bool continued) {
    html_.append(continued ? "</tr><tr bgcolor="sv : "<tr bgcolor="sv).append(colour);
    html_ += '>';
  }
  void text(std::string_view name, std::string_view opening = kCell) {
    html_ += opening;
    appendNullToSpace(html_, field(name));
    html_ += kCellEnd;
  }
  void time(std::string_view name) {
    html_ += kCell;
    appendTimeCell(html_, field(name));
    html_ += kCellEnd;
  }
  void destination(std::string_view opening) {
    html_ += opening;
    appendTextOrSpace(html_, vb::Trim(NullToSpace(field("DESTDESC"))));
    html_ += kCellEnd;
  }
  // A checkbox the reader cannot change.
  void checkbox(std::string_view name) {
    html_ += kCell;
    html_ += flagOn(field(name)) ? "<input type=checkbox checked disabled>"sv
                                 : "<input type=checkbox disabled>"sv;
    html_ += kCellEnd;
  }
  void estimatedTime() {
    const Value& hours = field(trips::kEsttime);
    html_ += kCell;
    if (hours.isNull() || hours.isEmpty() || (hours.isText() && !vb::IsNumeric(hours))) {
      html_ += "&nbsp;"sv;
    } else {
      html_ += vb::Format(vb::CDbl(hours), "#0.00");
    }
    html_ += kCellEnd;
  }
  // Miles: a null or empty value prints as 0.
  void miles() {
    const Value& miles = field(trips::kEstmile);
    html_ += kCell;
    if (miles.isNull() || miles.isEmpty() || (miles.isText() && vb::Trim(miles.asText()).empty())) {
      html_ += '0';
    } else {
      appendNullToSpace(html_, miles);
    }
    html_ += kCellEnd;
  }
  void close() { html_ += "</tr>"sv; }

 private:
  std::string& html_;
  const db::Recordset& trips_;
};

void appendOneLine(TripRowWriter& row, std::string_view colour) {
  row.open(colour, false);
  row.text(trips::kTripnum);
  row.text(trips::kDepdate);
  row.text("custname");
  row.destination(kCell);
  row.text(trips::kRetdate);
  row.time(trips::kDeptime);
  row.time(trips::kRettime);
  row.checkbox(trips::kCanceled);
  row.close();
}

void appendTwoLines(TripRowWriter& row, std::string_view colour) {
  row.open(colour, false);
  row.text(trips::kTripnum);
  row.text(trips::kDepdate);
  row.text("custname");
  row.destination("<td colspan='3'><font size='-2'>");
  row.text(trips::kRetdate);
  row.time(trips::kDeptime);
  row.time(trips::kArrivetime);
  row.time(trips::kRettime);
  row.checkbox(trips::kCanceled);
  row.open(colour, true);
  row.text(trips::kContact);
  row.text(trips::kPurpose, "<td colspan='2'><font size='-2'>");
  row.checkbox(trips::kShuttle);
  row.estimatedTime();
  row.miles();
  row.text(trips::kNumstudents);
  row.text(trips::kGrade);
  row.checkbox(trips::kAssigned);
  row.text(trips::kNumadults);
  row.close();
}

using RowWriter = void (*)(TripRowWriter& row, std::string_view colour);

// The common part: the message for a missing query, one page of the query's trips on the trip
// database (customer and destination come joined in the query).
void buildTripReport(Ravadid& app, std::string_view procedure, RowWriter writeRow,
                     const std::string& query, int16_t& pageNumber, int16_t pageSize,
                     ReportRows& rows) {
  app.run({.name = procedure, .writesReport = false}, [&] {
    if (query.empty()) {
      app.write(kMissingQuery);
      return;
    }
    if (!app.databasePreamble()) return;
    db::Recordset trips;
    rows.recordCount = openReportPage(trips, query, app.tripDb(), pageNumber, pageSize);
    rows.html.clear();
    TripRowWriter row(rows.html, trips);
    bool shaded = false;
    for (; !trips.eof(); trips.moveNext()) {
      writeRow(row, shaded ? "#C0C0C0" : "#FFFFFF");
      shaded = !shaded;
    }
    trips.close();
    app.closeStep();
  });
}

}  // namespace

void BuildTripReport1Results(Ravadid& app, const std::string& query, int16_t& pageNumber,
                             int16_t pageSize, ReportRows& rows) {
  buildTripReport(app, "BuildTripReport1Results", appendOneLine, query, pageNumber, pageSize, rows);
}

void BuildTripReport2Results(Ravadid& app, const std::string& query, int16_t& pageNumber,
                             int16_t pageSize, ReportRows& rows) {
  buildTripReport(app, "BuildTripReport2Results", appendTwoLines, query, pageNumber, pageSize,
                  rows);
}

std::unique_ptr<PageObject> makeTripReport1Page() {
  return std::make_unique<ReportPage>(ReportDefinition{
      .pageObject = "TripReport1",
      .queryKey = "TripReportQuery",
      .filtersKey = "TripReportFilters",
      .build = BuildTripReport1Results,
  });
}

std::unique_ptr<PageObject> makeTripReport2Page() {
  return std::make_unique<ReportPage>(ReportDefinition{
      .pageObject = "TripReport2",
      .queryKey = "TripReportQuery",
      .filtersKey = "TripReportFilters",
      .build = BuildTripReport2Results,
  });
}

}  // namespace ravadid

#include "reports/request_reports.h"

#include <string_view>

#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/schema.h"
#include "frame/text.h"
#include "request/break_string.h"
#include "search/request_cells.h"

namespace ravadid {
namespace {

using namespace std::string_view_literals;
using namespace cells;
namespace tripsreq = schema::tripsreq;

constexpr std::string_view kMissingQuery = "Trip Request Report Query must be supplied.";
constexpr std::string_view kTwoLineCustomerQuery =
    "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID, CUSTOMER.CUSTDIV "
    "From CUSTOMER "
    "ORDER BY CUSTOMER.CUSTOMER;";
constexpr int16_t kDestinationBreakLength = 30;

// What a request row reads of the current record, with the looked-up customer and
// destination.
class RequestRow {
 public:
  RequestRow(const db::Recordset& requests, CustomerCursor& customers,
             DestinationNames& destinations)
      : requests_(requests), customers_(customers), destinations_(destinations) {}

  const Value& field(std::string_view name) {
    return requests_.fieldValue(requests_.fieldIndex(name));
  }
  const CustomerCursor::Customer& customer() { return customers_.find(field(tripsreq::kCustomer)); }
  // The district's description of the destination, or the one typed on the request for
  // destination 0, broken for the narrow cell and escaped.
  std::string destinationHtml() {
    const long code = NullToLong(field(tripsreq::kDestination));
    if (code != 0) return breakStringHtml(destinations_.describe(code), kDestinationBreakLength);
    return breakStringHtml(NullToSpace(field("trDESTDESC")), kDestinationBreakLength);
  }
  void appendLink(std::string& html, const DetailLinks& links) {
    const std::string number = fieldText(field(tripsreq::kTripnum));
    html += "<a href=\""sv;
    links.append(html, number);
    html += "\">"sv;
    appendHtmlEscaped(html, number);
    html += "</a>"sv;
  }

 private:
  const db::Recordset& requests_;
  CustomerCursor& customers_;
  DestinationNames& destinations_;
};

// A count of students or adults: a null count prints as 0.
void appendCount(std::string& html, const Value& count) {
  if (count.isNull() || count.isEmpty()) {
    html += '0';
  } else {
    appendNullToSpace(html, count);
  }
}

void appendOneLine(std::string& html, RequestRow& row, const DetailLinks& links,
                   std::string_view colour) {
  constexpr std::string_view kCell = "<td><font size='-3'>";
  constexpr std::string_view kCellEnd = "</font></td>";
  html.append("<tr bgcolor='"sv).append(colour).append("'>"sv).append(kCell);
  row.appendLink(html, links);
  html.append(kCellEnd).append(kCell);
  appendNullToSpace(html, row.field(tripsreq::kDepdate));
  html.append(kCellEnd).append(kCell);
  appendHtmlEscaped(html, row.customer().name);
  html.append(kCellEnd).append("<td nowrap><font size='-3'>"sv);
  const std::string destination = row.destinationHtml();
  html += isBlank(destination) ? "&nbsp;"sv : std::string_view(destination);
  html.append(kCellEnd).append(kCell);
  appendNullToSpace(html, row.field(tripsreq::kRetdate));
  html.append(kCellEnd).append(kCell);
  appendTimeCell(html, row.field(tripsreq::kDeptime));
  html.append(kCellEnd).append(kCell);
  appendTimeCell(html, row.field(tripsreq::kRettime));
  html.append(kCellEnd).append(kCell);
  appendNullToSpace(html, row.field(tripsreq::kStatus));
  html.append(kCellEnd).append("</tr>"sv);
}

void appendTwoLines(std::string& html, RequestRow& row, const DetailLinks& links,
                    std::string_view colour) {
  auto cell = [&html](const Value& value) {
    html += "<td>"sv;
    appendNullToSpace(html, value);
    html += "</td>"sv;
  };
  auto timeCell = [&html](const Value& value) {
    html += "<td>"sv;
    appendTimeCell(html, value);
    html += "</td>"sv;
  };
  auto dateAndTime = [&](std::string_view date, std::string_view time) {
    html += "<td>"sv;
    appendNullToSpace(html, row.field(date));
    html += ", "sv;
    appendTimeCell(html, row.field(time));
    html += "</td>"sv;
  };
  const CustomerCursor::Customer& customer = row.customer();
  html.append("<tr bgcolor='"sv).append(colour).append("'><td>"sv);
  row.appendLink(html, links);
  html += "</td><td>"sv;
  appendHtmlEscaped(html, customer.name);
  html.append("</td><td colspan='2'>"sv).append(row.destinationHtml()).append("</td>"sv);
  dateAndTime(tripsreq::kDepdate, tripsreq::kDeptime);
  dateAndTime(tripsreq::kRetdate, tripsreq::kRettime);
  cell(row.field(tripsreq::kStatus));
  cell(row.field(tripsreq::kEnterdate));
  cell(row.field(tripsreq::kTripcat));
  cell(row.field(tripsreq::kInttripnum));
  html.append("</tr><tr bgcolor='"sv).append(colour).append("'><td colspan='2'>"sv);
  appendNullToSpace(html, row.field(tripsreq::kContact));
  html += "</td><td>"sv;
  appendCount(html, row.field(tripsreq::kNumstudents));
  html += '/';
  appendCount(html, row.field(tripsreq::kNumadults));
  html += "</td>"sv;
  cell(row.field(tripsreq::kGrade));
  timeCell(row.field(tripsreq::kArrivetime));
  timeCell(row.field(tripsreq::kLeavetime));
  html += "<td>"sv;
  appendHtmlEscaped(html, customer.division);
  html += "</td>"sv;
  cell(row.field(tripsreq::kFieldtripNum));
  cell(row.field(tripsreq::kChainid));
  cell(row.field(tripsreq::kPurpose));
  html += "</tr><tr><td colspan='10'></td></tr>"sv;
}

using RowWriter = void (*)(std::string& html, RequestRow& row, const DetailLinks& links,
                           std::string_view colour);

// The common part: the message for a missing query, one page of the query's requests on the
// web request database, customers from the trip database.
void buildRequestReport(Ravadid& app, std::string_view procedure, std::string_view customerQuery,
                        RowWriter writeRow, const std::string& query, int16_t& pageNumber,
                        int16_t pageSize, ReportRows& rows) {
  app.run({.name = procedure, .writesReport = false}, [&] {
    if (query.empty()) {
      app.write(kMissingQuery);
      return;
    }
    if (!app.databasePreamble()) return;
    CustomerCursor customers(app.tripDb(), customerQuery);
    db::Recordset requests;
    rows.recordCount = openReportPage(requests, query, app.tripschlDb(), pageNumber, pageSize);
    rows.html.clear();
    DestinationNames destinations(app.session());
    const DetailLinks links(app);
    RequestRow row(requests, customers, destinations);
    bool shaded = false;
    for (; !requests.eof(); requests.moveNext()) {
      writeRow(rows.html, row, links, shaded ? "#C0C0C0" : "#FFFFFF");
      shaded = !shaded;
    }
    requests.close();
    customers.close();
    app.closeStep();
  });
}

}  // namespace

void BuildTripRequestReport1Results(Ravadid& app, const std::string& query, int16_t& pageNumber,
                                    int16_t pageSize, ReportRows& rows) {
  buildRequestReport(app, "BuildTripRequestReport1Results", kCustomerQuery, appendOneLine, query,
                     pageNumber, pageSize, rows);
}

void BuildTripRequestReport2Results(Ravadid& app, const std::string& query, int16_t& pageNumber,
                                    int16_t pageSize, ReportRows& rows) {
  buildRequestReport(app, "BuildTripRequestReport2Results", kTwoLineCustomerQuery, appendTwoLines,
                     query, pageNumber, pageSize, rows);
}

std::unique_ptr<PageObject> makeTripRequestReport1Page() {
  return std::make_unique<ReportPage>(ReportDefinition{
      .pageObject = "TripRequestReport1",
      .queryKey = "TripRequestReportQuery",
      .filtersKey = "TripRequestReportFilters",
      .build = BuildTripRequestReport1Results,
  });
}

std::unique_ptr<PageObject> makeTripRequestReport2Page() {
  return std::make_unique<ReportPage>(ReportDefinition{
      .pageObject = "TripRequestReport2",
      .queryKey = "TripRequestReportQuery",
      .filtersKey = "TripRequestReportFilters",
      .build = BuildTripRequestReport2Results,
  });
}

}  // namespace ravadid

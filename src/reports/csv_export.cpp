#include "reports/csv_export.h"

#include <array>
#include <cstddef>
#include <optional>
#include <utility>

#include "frame/application.h"
#include "frame/db/nulls.h"
#include "frame/db/row_cursor.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "reports/csv_writer.h"
#include "reports/summary_report.h"
#include "search/request_cells.h"

namespace ravadid {
namespace {

using namespace std::string_view_literals;
namespace tripsreq = schema::tripsreq;

constexpr std::string_view kCsvType = "text/csv; charset=utf-8";
// A list of a few thousand rows fits without the buffer being moved as it grows.
constexpr std::size_t kCsvReserve = 256 * 1024;

// Field positions by name, looked up once the first row is there.
template <std::size_t N>
std::array<int, N> positions(const db::RowCursor& rows,
                             const std::array<std::string_view, N>& names) {
  std::array<int, N> at{};
  for (std::size_t i = 0; i < N; ++i) at[i] = rows.fieldIndex(names[i]);
  return at;
}

// ---- Trip requests ----------------------------------------------------------------------------

enum RequestField : std::size_t {
  kTripnum,
  kCustomer,
  kDestination,
  kTypedDestination,
  kDepdate,
  kDeptime,
  kRetdate,
  kRettime,
  kStatus,
  kReqdate,
  kTripcat,
  kInttripnum,
  kContact,
  kNumstudents,
  kNumadults,
  kGrade,
  kArrivetime,
  kLeavetime,
  kFieldtripNum,
  kChainid,
  kPurpose,
  kRequestFieldCount
};

constexpr std::array<std::string_view, kRequestFieldCount> kRequestFieldNames = {
    tripsreq::kTripnum,    tripsreq::kCustomer,    tripsreq::kDestination,  "trDESTDESC",
    tripsreq::kDepdate,    tripsreq::kDeptime,     tripsreq::kRetdate,      tripsreq::kRettime,
    tripsreq::kStatus,     tripsreq::kReqdate,     tripsreq::kTripcat,      tripsreq::kInttripnum,
    tripsreq::kContact,    tripsreq::kNumstudents, tripsreq::kNumadults,    tripsreq::kGrade,
    tripsreq::kArrivetime, tripsreq::kLeavetime,   tripsreq::kFieldtripNum, tripsreq::kChainid,
    tripsreq::kPurpose};

// ---- Field trips ------------------------------------------------------------------------------

enum TripField : std::size_t {
  tTripnum,
  tCustomerName,
  tDestination,
  tDepdate,
  tDeptime,
  tRetdate,
  tRettime,
  tCancelled,
  tBilled,
  tBillingCustomer,
  tDivision,
  tCategory,
  tContact,
  tStudents,
  tAdults,
  tGrade,
  tArriveTime,
  tLeaveTime,
  tAssigned,
  tTotalBilled,
  tTotalDue,
  tFund,
  tPurpose,
  tRequestNumber,
  tInternalNumber,
  tTripFieldCount
};

constexpr std::array<std::string_view, tTripFieldCount> kTripFieldNames = {
    "TRIPNUM",   "CUSTNAME", "DESTDESC",     "DEPDATE",   "DEPTIME",  "RETDATE",     "RETTIME",
    "CANCELED",  "BILLED",   "BILLCUSTNAME", "CUSTDIV",   "TRIPCAT",  "CONTACT",     "NUMSTUDENTS",
    "NUMADULTS", "GRADE",    "ARRIVETIME",   "LEAVETIME", "ASSIGNED", "TOTALBILLED", "TOTALDUE",
    "FUND",      "PURPOSE",  "TRIPREQNUM",   "INTTRIPNUM"};

// A trip or request number; none when blank or 0, as the lists show it.
void tripNumber(CsvWriter& csv, const Value& value) {
  if (NullToLong(value) == 0)
    csv.field(Value::null());
  else
    csv.number(value);
}

// ---- Summaries --------------------------------------------------------------------------------

// The grouping's name as the heading of the summary's first column.
std::string_view groupingLabel(SummaryGrouping grouping) {
  switch (grouping) {
    case SummaryGrouping::Customer:
      return "Customer";
    case SummaryGrouping::Category:
      return "Category";
    case SummaryGrouping::Fund:
      return "Fund";
    case SummaryGrouping::Destination:
      return "Destination";
    case SummaryGrouping::Grade:
      return "Grade";
  }
  return "Group";
}

std::string summaryCsv(Ravadid& app, SummaryGrouping grouping, std::string_view label,
                       std::string_view condition) {
  std::string out;
  CsvWriter csv(out);
  csv.header({label, "Trips", "Splits", "Students", "Adults", "Riders", "Amount"});
  if (!app.databasePreamble()) return out;
  db::RowCursor groups;
  groups.open(tripSummaryStatement(grouping, condition), app.tripDb());
  std::optional<std::array<int, 6>> at;
  while (groups.next()) {
    if (!at) {
      at = positions(groups, std::array<std::string_view, 6>{"TYPEDESCRIPTION", "NUMBEROFTRIPS",
                                                             "NUMBEROFSPLITS", "NUMBEROFSTUDENTS",
                                                             "NUMBEROFADULTS", "TOTALAMOUNT"});
    }
    auto count = [&groups](int index) {
      const Value& value = groups.field(index);
      return value.isNull() || value.isEmpty() ? 0.0 : vb::CDbl(value);
    };
    csv.text(NullToSpace(groups.field((*at)[0])));
    const double students = count((*at)[3]);
    const double adults = count((*at)[4]);
    csv.number(count((*at)[1]));
    csv.number(count((*at)[2]));
    csv.number(students);
    csv.number(adults);
    csv.number(students + adults);
    const Value& amount = groups.field((*at)[5]);
    csv.amount(amount.isNull() ? Value::number(0) : amount);
    csv.endRow();
  }
  groups.close();
  app.closeStep();
  return out;
}

}  // namespace

std::string tripRequestsCsv(Ravadid& app, std::string_view query, std::string_view division) {
  std::string out;
  out.reserve(kCsvReserve);
  CsvWriter csv(out);
  csv.header({"Request #",   "Customer", "Destination", "Depart Date", "Depart Time", "Return Date",
              "Return Time", "Status",   "Entered",     "Category",    "Internal #",  "Contact",
              "Students",    "Adults",   "Grade",       "Arrive",      "Leave",       "Division",
              "Trip #",      "Approval", "Purpose"});
  if (query.empty() || !app.databasePreamble()) return out;
  cells::CustomerCursor customers(app.tripDb());
  cells::DestinationNames destinations(app.session());
  db::RowCursor requests;
  requests.open(query, app.tripschlDb());
  std::optional<std::array<int, kRequestFieldCount>> at;
  while (requests.next()) {
    if (!at) at = positions(requests, kRequestFieldNames);
    auto field = [&](RequestField f) -> const Value& { return requests.field((*at)[f]); };
    const cells::CustomerCursor::Customer& customer = customers.find(requests, (*at)[kCustomer]);
    // The list leaves out the customers of other divisions; so does its file.
    if (!division.empty() && !vb::equalsIgnoreCase(vb::Trim(customer.division), division)) continue;
    csv.number(field(kTripnum));
    csv.text(std::string_view(customer.name));
    // Code 0 is a destination typed on the request, not one of the district's.
    const long code = NullToLong(field(kDestination));
    if (code != 0)
      csv.text(destinations.describe(code));
    else
      csv.field(field(kTypedDestination));
    csv.date(field(kDepdate));
    csv.date(field(kDeptime));
    csv.date(field(kRetdate));
    csv.date(field(kRettime));
    csv.field(field(kStatus));
    csv.date(field(kReqdate));
    csv.field(field(kTripcat));
    csv.field(field(kInttripnum));
    csv.field(field(kContact));
    csv.number(field(kNumstudents));
    csv.number(field(kNumadults));
    csv.field(field(kGrade));
    csv.date(field(kArrivetime));
    csv.date(field(kLeavetime));
    csv.text(vb::Trim(customer.division));
    tripNumber(csv, field(kFieldtripNum));
    csv.field(field(kChainid));
    csv.field(field(kPurpose));
    csv.endRow();
  }
  requests.close();
  customers.close();
  app.closeStep();
  return out;
}

std::string fieldTripsCsv(Ravadid& app, std::string_view query) {
  std::string out;
  out.reserve(kCsvReserve);
  CsvWriter csv(out);
  csv.header({"Trip #",      "Customer",    "Destination", "Depart Date", "Depart Time",
              "Return Date", "Return Time", "Cancelled",   "Billed",      "Billing Customer",
              "Division",    "Category",    "Contact",     "Students",    "Adults",
              "Grade",       "Arrive Time", "Leave Time",  "Assigned",    "Amount Billed",
              "Due",         "Fund",        "Purpose",     "Request #",   "Internal #"});
  if (query.empty() || !app.databasePreamble()) return out;
  db::RowCursor trips;
  trips.open(query, app.tripDb());
  std::optional<std::array<int, tTripFieldCount>> at;
  while (trips.next()) {
    if (!at) at = positions(trips, kTripFieldNames);
    auto field = [&](TripField f) -> const Value& { return trips.field((*at)[f]); };
    csv.number(field(tTripnum));
    csv.field(field(tCustomerName));
    csv.field(field(tDestination));
    csv.date(field(tDepdate));
    csv.date(field(tDeptime));
    csv.date(field(tRetdate));
    csv.date(field(tRettime));
    csv.flag(field(tCancelled));
    csv.flag(field(tBilled));
    csv.field(field(tBillingCustomer));
    csv.field(field(tDivision));
    csv.field(field(tCategory));
    csv.field(field(tContact));
    csv.number(field(tStudents));
    csv.number(field(tAdults));
    csv.field(field(tGrade));
    csv.date(field(tArriveTime));
    csv.date(field(tLeaveTime));
    csv.flag(field(tAssigned));
    csv.amount(field(tTotalBilled));
    csv.amount(field(tTotalDue));
    csv.field(field(tFund));
    csv.field(field(tPurpose));
    tripNumber(csv, field(tRequestNumber));
    csv.field(field(tInternalNumber));
    csv.endRow();
  }
  trips.close();
  app.closeStep();
  return out;
}

std::string csvFileName(std::string_view report, double today) {
  std::string name;
  for (char c : report) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (plain)
      name += c;
    else if (c >= 'A' && c <= 'Z')
      name += static_cast<char>(c - 'A' + 'a');
    else if (!name.empty() && name.back() != '-')
      name += '-';
  }
  if (!name.empty() && name.back() != '-') name += '-';
  return name + isoDate(today) + ".csv";
}

void CsvExportPage::respond(Ravadid& app) const {
  CsvExport_Respond(app);
}

void CsvExport_Respond(Ravadid& app) {
  app.run({.name = "CsvExport_Respond"}, [&] {
    if (!app.sessionCheck()) return;
    const Store& session = app.session();
    const std::string type = vb::UCase(app.query("Type"));
    std::string csv;
    std::string report;
    if (type == "REQUESTS") {
      csv = tripRequestsCsv(app, session.text("TripRequestReportQuery"),
                            session.text("TripRequestReportDivision"));
      report = "trip requests";
    } else if (type == "TRIPS") {
      csv = fieldTripsCsv(app, session.text("TripReportQuery"));
      report = "field trips";
    } else if (type == "SUMMARY") {
      const std::optional<SummaryGrouping> grouping = summaryGrouping(app.query("By"));
      if (!grouping) {
        app.write("Invalid Summary Type");
        return;
      }
      const std::string_view label = groupingLabel(*grouping);
      csv = summaryCsv(app, *grouping, label, session.text("TripReportSummaryCondition"));
      report = "trip summary by " + std::string(label);
    } else {
      app.write("Invalid report type.");
      return;
    }
    if (!app.noError()) return;  // the error report is the answer
    app.exchange().download(kCsvType, csvFileName(report, vb::Today()), std::move(csv));
  });
}

}  // namespace ravadid

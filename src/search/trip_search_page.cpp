#include "search/trip_search_page.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "search/search_common.h"

namespace ravadid {
namespace {

// The columns of both queries; the full query adds the two billing sums.
constexpr std::string_view kTripColumns =
    "SELECT TRIPS.TRIPNUM, TRIPS.ESTTIME, TRIPS.ESTMILE, TRIPS.INTTRIPNUM, TRIPS.CUSTOMER, "
    "CUSTOMER.CUSTNAME, "
    "TRIPS.DESTINATION, DESTINATION.DESTDESC, TRIPS.DEPDATE, TRIPS.DEPTIME, TRIPS.ASSIGNED, "
    "TRIPS.BILLED, DateValue(TRIPS.BILLDATE) AS BILLDATE, TRIPS.CANCELED, "
    "DATEVALUE(TRIPS.CANDATE) AS CANDATE, TRIPS.GRADE, CUSTOMER.CUSTDIV, "
    "TRIPS.RETDATE, TRIPS.RETTIME, TRIPS.FUND, TRIPS.TRIPREQNUM, TRIPS.PO, TRIPS.TRIPCAT, "
    "TRIPS.SCHEDULE, TRIPS.NUMSTUDENTS, TRIPS.NUMADULTS, TRIPS.CONTACT, TRIPS.ARRIVETIME, "
    "TRIPS.LEAVETIME, TRIPS.PURPOSE, TRIPS.SHUTTLE, "
    "CUSTOMER_1.CUSTNAME as BILLCUSTNAME, TRIPS.BILLCUST";
constexpr std::string_view kBillingSums =
    ", (SELECT SUM(TRANAMT) FROM ARDETAIL WHERE TRANCODE='BIL' AND TRIPNUM=TRIPS.TRIPNUM) AS "
    "TOTALBILLED, "
    "(SELECT SUM(TRANAMT) FROM ARDETAIL WHERE TRIPNUM=TRIPS.TRIPNUM) AS TOTALDUE";
constexpr std::string_view kTripsFrom =
    " FROM (((TRIPS LEFT JOIN CUSTOMER ON TRIPS.CUSTOMER = CUSTOMER.CUSTOMER) "
    "LEFT JOIN DESTINATION ON TRIPS.DESTINATION = DESTINATION.DESTINATION) "
    "LEFT JOIN CUSTOMER AS CUSTOMER_1 ON TRIPS.BILLCUST = CUSTOMER_1.CUSTOMER) ";

constexpr std::string_view kTooManyTrips =
    "<table width='100%' border='1'>"
    "<tr>&nbsp;</tr><tr><p align='center'><b><font color='#0000ff'>&nbsp;&nbsp;Sorry, your "
    "search has returned more than 300 trip requests. Please refine your search and try "
    "again.</font></b></p></tr>"
    "</table>";

constexpr std::string_view kOpenBalance =
    " (TRIPS.AMOUNT1 > 0 OR TRIPS.AMOUNT2 > 0 OR TRIPS.AMOUNT3 > 0 OR TRIPS.AMOUNT4 > 0 OR "
    "TRIPS.AMOUNT5)";

constexpr std::string_view kSortColumns[] = {
    "TRIPS.TRIPNUM",     "CUSTOMER.CUSTNAME", "DESTINATION.DESTDESC",
    "TRIPS.NUMSTUDENTS", "TRIPS.DEPDATE",     "TRIPS.TRIPREQNUM",
};

bool ticked(const std::string& box) {
  return vb::equalsIgnoreCase(box, "ON");
}

// A posted checkbox ticks its state; one not posted keeps it.
void readBox(Ravadid& app, std::string_view name, std::string& box) {
  if (!app.form(name).empty()) box = "ON";
}

// A whole number for a condition, bare; none when the text is no number in the 32-bit range
// (the caller answers with its message instead of an error).
std::optional<std::string> wholeNumber(const std::string& text) {
  const std::optional<double> number = vb::parseNumber(text);
  if (!number || *number < -2147483648.5 || *number > 2147483647.5) return std::nullopt;
  return sqlWhole(text);
}

// Reads the filters of the form into search. Returns the message that refuses a sort column
// outside the list.
std::optional<std::string> readFilters(Ravadid& app, TripSearchState& search) {
  readBox(app, "chkASSIGNED", search.assigned);
  readBox(app, "chkUnassigned", search.unassigned);
  readBox(app, "chkBILLED", search.billed);
  readBox(app, "chkUnbilled", search.unbilled);
  readBox(app, "chkCANCELLED", search.cancelled);
  readBox(app, "chkOPEN", search.open);
  readBox(app, "chkOpenBalance", search.openBalance);
  // The sort lists are read on every post: a form without them sorts by departure date.
  for (auto [name, sort] : {std::pair{"sortBy1", &search.sort1}, {"sortBy2", &search.sort2}}) {
    const std::string posted = app.form(name);
    *sort = tripSortColumn(posted);
    if (!vb::Trim(posted).empty() && sort->empty())
      return std::string("Please choose a sort column from the list.");
  }
  search.grade = app.form("grade");
  search.destination = app.form("dest");
  search.division = beforeFirstComma(app.form("div"));
  search.category = app.form("tripcat");
  // A user bound to a customer sees only that customer's trips.
  if (const std::string bound = boundCustomer(app); !bound.empty()) {
    search.customer = bound;
  } else {
    search.customer = app.form("cust");
  }
  search.internalNumber = app.form("IntNum");
  search.requestNumber = app.form("TRIPREQNUM");
  search.tripNumber = app.form("TRIPNUM");
  search.departureFrom = app.form("DepFrom");
  search.departureTo = app.form("DepTo");
  if (!search.fundFromLookup) search.fund = app.form("fund");
  search.purchaseOrder = app.form("PO");
  search.billingCustomer = beforeFirstComma(app.form("BILLCUST"));
  return std::nullopt;
}

// The condition of a pair of state boxes: only one of the two ticked filters.
std::string pairCondition(const std::string& yes, const std::string& no, std::string_view column) {
  if (ticked(yes) == ticked(no)) return {};
  return " " + std::string(column) + (ticked(yes) ? " = TRUE" : " = FALSE");
}

// Builds the WHERE text (" WHERE" and the conditions, or empty) into where. Returns the message
// that stops the search when a date or number filter is none.
std::optional<std::string> buildConditions(TripSearchState& search, std::string& where) {
  where.clear();
  auto add = [&where](const std::string& condition) {
    if (condition.empty()) return;
    where += where.empty() ? " WHERE" : " AND";
    where += condition;
  };
  if (!search.departureFrom.empty()) {
    std::string condition;
    if (auto stop = dateRange(search.departureFrom, search.departureTo, "TRIPS.DEPDATE",
                              "Please enter a valid departure from date.",
                              "Please enter a valid departure to date.", condition))
      return stop;
    add(condition);
  }
  if (!search.grade.empty()) add(" TRIPS.GRADE = " + sqlText(search.grade));
  if (!vb::Trim(search.customer).empty()) add(" TRIPS.CUSTOMER = " + sqlText(search.customer));
  if (!search.destination.empty()) {
    const std::optional<std::string> code = wholeNumber(search.destination);
    if (!code) return std::string("Please choose a destination from the list.");
    add(" TRIPS.DESTINATION = " + *code);
  }
  if (!search.category.empty()) add(" TRIPS.TRIPCAT = " + sqlText(search.category));
  if (!search.division.empty()) add(" CUSTOMER.CUSTDIV = " + sqlText(search.division));
  if (!search.internalNumber.empty()) add(" TRIPS.INTTRIPNUM = " + sqlText(search.internalNumber));
  if (!search.requestNumber.empty()) {
    const std::optional<std::string> number = wholeNumber(search.requestNumber);
    if (!number) return std::string("Please enter a valid request number.");
    add(" TRIPS.TRIPREQNUM = " + *number);
  }
  if (!search.tripNumber.empty()) {
    const std::optional<std::string> number = wholeNumber(search.tripNumber);
    if (!number) return std::string("Please enter a valid trip number.");
    add(" TRIPS.TRIPNUM = " + *number);
  }
  add(pairCondition(search.assigned, search.unassigned, "TRIPS.ASSIGNED"));
  add(pairCondition(search.billed, search.unbilled, "TRIPS.BILLED"));
  add(pairCondition(search.cancelled, search.open, "TRIPS.CANCELED"));
  if (ticked(search.openBalance)) add(std::string(kOpenBalance));
  if (!search.billingCustomer.empty()) add(" TRIPS.BILLCUST = " + sqlText(search.billingCustomer));
  if (!search.purchaseOrder.empty()) add(" TRIPS.PO = " + sqlText(search.purchaseOrder));
  if (!search.fund.empty()) add(" TRIPS.FUND = " + sqlText(search.fund));
  return std::nullopt;
}

std::string ordering(const TripSearchState& search) {
  if (search.sort1.empty()) return " ORDER BY TRIPS.DEPDATE";
  std::string order = " ORDER BY " + search.sort1;
  if (!search.sort2.empty()) order += ", " + search.sort2;
  return order;
}

// The fund look-up keeps who asked and for which customer; the page answers in this request.
void openFundLookup(Ravadid& app) {
  Store& session = app.session();
  session.set("SELTRIP", "Y");
  session.set("RequestDetail.customer", vb::Trim(session.text("CUSTOMER")).empty()
                                            ? Value(app.form("cust"))
                                            : session.get("customer"));
  // A look-up page that has no template yet answers through its own Respond.
  if (std::filesystem::exists(app.installation().site / "templates" / "LookupFund.html"))
    app.writeTemplate("LookupFund");
  else
    app.setNextItem("LookupFund");
}

// Counts the trips and, at most 300 of them, lists them.
void listTrips(Ravadid& app, TripSearchState& search, const std::string& countQuery) {
  if (!app.databasePreamble()) return;
  db::Recordset counted;
  counted.open(countQuery, app.tripDb());
  const long records = counted.eof() ? 0 : counted.recordCount();
  counted.close();
  search.count = static_cast<int32_t>(records);
  if (records > kMaxListedTrips) {
    search.results = kTooManyTrips;
  } else {
    BuildTripResultsTable(app, search);
  }
  app.closeStep();
}

// Writes the page's template with the tags of this search.
class TripPageWriter final : public PageObject {
 public:
  explicit TripPageWriter(TripSearchState& search) : PageObject("TripSearch"), search_(search) {}
  void processTag(Ravadid& app, TagEvent& tag) const override {
    // The results table is moved into the page rather than copied.
    if (tag.is("WC@RESULTS")) {
      tag.contents = std::move(search_.results);
      search_.results.clear();
      return;
    }
    TripSearch_ProcessTag(app, search_, tag);
  }

 private:
  TripSearchState& search_;
};

}  // namespace

std::string tripSortColumn(const std::string& posted) {
  for (std::string_view column : kSortColumns)
    if (vb::equalsIgnoreCase(vb::Trim(posted), column)) return std::string(column);
  return {};
}

// ---- Events ---------------------------------------------------------------------------------

void TripSearchPage::respond(Ravadid& app) const {
  TripSearch_Respond(app);
}

void TripSearchPage::processTag(Ravadid& app, TagEvent& tag) const {
  TripSearchState search;
  TripSearch_ProcessTag(app, search, tag);
}

void TripSearchPage::onEvent(Ravadid& app, const std::string&) const {
  TripSearch_FieldTrips(app);
}

void TripSearch_Respond(Ravadid& app) {
  TripSearchState search;
  app.blnAutoFillTrips = settingOn(app.application().get("AUTOFILL_TRIPS"));
  search.assigned = search.unassigned = search.billed = search.unbilled = search.cancelled =
      search.open = "ON";
  search.openBalance.clear();
  search.sort1 = "DEPDATE";
  search.sort2.clear();
  TripSearch_FieldTrips(app, search);
}

void TripSearch_FieldTrips(Ravadid& app) {
  TripSearchState search;
  TripSearch_FieldTrips(app, search);
}

void TripSearch_FromFundLookup(Ravadid& app, const std::string& fund) {
  TripSearchState search;
  search.fund = fund;
  search.fundFromLookup = true;
  app.blnAutoFillTrips = settingOn(app.application().get("AUTOFILL_TRIPS"));
  search.assigned = search.unassigned = search.billed = search.unbilled = search.cancelled =
      search.open = "ON";
  TripSearch_FieldTrips(app, search);
}

void TripSearch_FieldTrips(Ravadid& app, TripSearchState& search) {
  app.run({.name = "TripSearch_FieldTrips"}, [&] {
    Store& session = app.session();
    session.set("LoadRequestDetailFromSession", "False");
    if (!app.sessionCheck()) return;
    const std::string button = app.form("btnsubmit");
    if (vb::equalsIgnoreCase(button, "Reset")) {
      InitTripSearch(app, search);
    } else if (vb::equalsIgnoreCase(button, "Fund")) {
      openFundLookup(app);
      return;
    } else if (std::optional<std::string> stop = readFilters(app, search)) {
      app.errorText() = *stop;  // written as the whole answer at the exit step
      return;
    }
    search.query.clear();
    if (app.blnAutoFillTrips) {
      std::string where;
      if (std::optional<std::string> stop = buildConditions(search, where)) {
        app.errorText() = *stop;
        return;
      }
      session.set("TripReportSummaryCondition", where);
      search.query = std::string(kTripColumns) + std::string(kBillingSums) +
                     std::string(kTripsFrom) + where + ordering(search);
      listTrips(app, search, std::string(kTripColumns) + std::string(kTripsFrom) + where);
      if (!app.noError()) return;
    }
    session.set("TripReportQuery", search.query);
    session.set("TripReportFilters", tripFiltersUsed(search));
    app.writeTemplate(TripPageWriter(search));
  });
}

void InitTripSearch(Ravadid& app, TripSearchState& search) {
  app.blnAutoFillTrips = settingOn(app.application().get("AUTOFILL_TRIPS"));
  search.grade.clear();
  search.destination.clear();
  search.category.clear();
  search.division.clear();
  search.departureFrom.clear();
  search.departureTo.clear();
  search.requestNumber.clear();
  search.tripNumber.clear();
  search.fund.clear();
  search.results.clear();
  search.customer = app.session().text("customer");
  search.count = 0;
  search.assigned = search.unassigned = search.billed = search.unbilled = search.cancelled =
      search.open = "ON";
}

std::string tripFiltersUsed(const TripSearchState& search) {
  auto date = [](const std::string& text) {
    std::optional<double> serial = vb::parseDate(text);
    return serial ? vb::formatDate(*serial) : text;
  };
  std::string used;
  auto add = [&used](std::string_view label, const std::string& value) {
    if (vb::Trim(value).empty()) return;
    if (!used.empty()) used += "; ";
    used.append(label);
    if (!label.empty()) used += ' ';
    used.append(vb::Trim(value));
  };
  if (!search.departureFrom.empty())
    add("Departing", date(search.departureFrom) + " to " + date(search.departureTo));
  add("Grade", search.grade);
  add("Customer", search.customer);
  add("Destination", search.destination);
  add("Category", search.category);
  add("Division", search.division);
  add("Internal #", search.internalNumber);
  add("Request #", search.requestNumber);
  add("Trip #", search.tripNumber);
  auto pair = [&](const std::string& yes, const std::string& no, const char* yesWord,
                  const char* noWord) {
    if (ticked(yes) != ticked(no)) add("", ticked(yes) ? yesWord : noWord);
  };
  pair(search.assigned, search.unassigned, "Assigned", "Unassigned");
  pair(search.billed, search.unbilled, "Billed", "Unbilled");
  pair(search.cancelled, search.open, "Cancelled", "Open");
  if (ticked(search.openBalance)) add("", "Open balance");
  add("Billing customer", search.billingCustomer);
  add("PO", search.purchaseOrder);
  add("Fund", search.fund);
  return "Filters used: " + (used.empty() ? std::string("none") : used) + ".";
}

}  // namespace ravadid

#include "search/request_search_page.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <unordered_map>
#include <utility>

#include "forms/date_time_selectors.h"
#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"
#include "request/break_string.h"
#include "request/request_detail_page.h"
#include "search/request_cells.h"
#include "signin/district_tags.h"

namespace ravadid {
namespace {

using namespace schema;
using namespace std::string_view_literals;
using namespace cells;  // the cells the request reports print as well

// ---- Fixed texts ----------------------------------------------------------------------------

// ENTERDATE and CONTACT are not listed, but the two-line request report prints them.
constexpr std::string_view kQueueColumns =
    "SELECT TRIPSREQ.TRIPNUM, TRIPSREQ.ENTERDATE, TRIPSREQ.CONTACT, TRIPSREQ.INTTRIPNUM, "
    "TRIPSREQ.CUSTOMER, TRIPSREQ.DESTINATION, "
    "tripsreq.destdesc as trDESTDESC, TRIPSREQ.DEPDATE, "
    "TRIPSREQ.DEPTIME, TRIPSREQ.STATUS, "
    "DateValue(TRIPSREQ.STATUS_DATE) AS Expr1, "
    "TRIPSREQ.STATUS_COMMENT, TRIPSREQ.GRADE, "
    "TRIPSREQ.RETDATE, TRIPSREQ.RETTIME, "
    "TRIPSREQ.ARRIVETIME, TRIPSREQ.LEAVETIME, TRIPSREQ.FUND, "
    "TRIPSREQ.REQDATE, TRIPSREQ.CHAINID, TRIPSREQ.TRIPCAT, "
    "TRIPSREQ.FIELDTRIP_NUM, TRIPSREQ.NUMSTUDENTS, TRIPSREQ.NUMADULTS, TRIPSREQ.PURPOSE "
    "FROM TRIPSREQ";

constexpr std::string_view kFilterColumns =
    "SELECT TRIPSREQ.TRIPNUM, TRIPSREQ.ENTERDATE, TRIPSREQ.CONTACT, TRIPSREQ.INTTRIPNUM, "
    "TRIPSREQ.CUSTOMER, TRIPSREQ.DESTINATION, "
    "tripsreq.destdesc as trDESTDESC, TRIPSREQ.DEPDATE, "
    "TRIPSREQ.DEPTIME, TRIPSREQ.STATUS, "
    "DateValue(TRIPSREQ.STATUS_DATE) AS Expr1, "
    "TRIPSREQ.STATUS_COMMENT, TRIPSREQ.GRADE, TRIPSREQ.RETDATE, "
    "TRIPSREQ.RETTIME, TRIPSREQ.ARRIVETIME, TRIPSREQ.LEAVETIME, "
    "TRIPSREQ.FUND, TRIPSREQ.REQDATE, TRIPSREQ.CHAINID, "
    "TRIPSREQ.FIELDTRIP_NUM, TRIPSREQ.TRIPCAT, TRIPSREQ.NUMSTUDENTS, TRIPSREQ.NUMADULTS, "
    "TRIPSREQ.PURPOSE "
    "FROM TRIPSREQ";

constexpr std::string_view kRequestOrder =
    " ORDER BY TRIPSREQ.DEPDATE, TRIPSREQ.DEPTIME, TRIPSREQ.DESTINATION";

constexpr std::string_view kTooManyRequests =
    "<table border='0' cellpadding='0' cellspacing='0' width='100%'>"
    "<tr><td>&nbsp;</td></tr><tr><td align='center'><b><font color='#0000ff'>&nbsp;&nbsp;Sorry, "
    "your search has returned more than 300 trip requests. Please refine your search and try "
    "again.</font></b></td></tr>"
    "</table>";

constexpr int16_t kDestinationBreakLength = 30;
constexpr std::size_t kDestinationOptionLength = 30;

// ---- Small rules ----------------------------------------------------------------------------

// A site setting held as a flag: the boolean true, or text reading "True". A missing or blank
// setting is off.
bool settingOn(const Value& setting) {
  if (setting.isBoolean()) return setting.asBoolean();
  return setting.isText() && vb::equalsIgnoreCase(vb::Trim(setting.asText()), "True");
}

// The filter cut to the text before its first comma (a division option posts its whole entry).
std::string beforeFirstComma(std::string filter) {
  SplitEntry split = splitAtFirstComma(filter);
  return split.hasComma ? std::move(split.code) : filter;
}

// The customer filter that a posted value stands for: the whole list entry when the value is
// one, cut back to its code.
std::string customerFilterOf(const WorkingList& customers, std::string posted) {
  const std::string wanted = vb::Trim(posted);
  for (int i = 0; i <= customers.count; ++i) {
    std::string entry = vb::Trim(customers.entry(i));
    if (vb::equalsIgnoreCase(entry, wanted)) {
      posted = std::move(entry);
      break;
    }
  }
  return beforeFirstComma(std::move(posted));
}

// ---- The queue and the filter query ---------------------------------------------------------

// The terms "(chain AND awaited status)" of every active chain level whose approver is role.
std::string approverQueueTerms(Ravadid& app, const std::string& role) {
  db::Recordset chains;
  chains.open("Select * from KRSCC where KRSCC.Active = TRUE", app.zqkrsc1Db());
  std::string terms;
  for (; !chains.eof(); chains.moveNext()) {
    for (int level = 1; level <= 8; ++level) {
      const Value approver = chains.field(krscc::kLevelApprovers[level - 1]);
      if (approver.isNull() || !vb::equalsIgnoreCase(vb::CStr(approver), role)) continue;
      // Level k waits for the status that level k - 1 gives; level 1 for a new request's.
      const std::string awaited = level == 1
                                      ? std::string("UNAPPROVED")
                                      : fieldText(chains.field(krscc::kLevelStatuses[level - 2]));
      if (!terms.empty()) terms += " OR ";
      terms += "(TRIPSREQ.CHAINID = " + sqlText(fieldText(chains.field(krscc::kChainid))) +
               " AND TRIPSREQ.STATUS = " + sqlText(awaited) + ")";
    }
  }
  chains.close();
  return terms;
}

// Builds the approver's queue into search.query (empty when the role approves nowhere).
void buildApproverQueue(Ravadid& app, RequestSearchState& search, const std::string& role) {
  const std::string terms = approverQueueTerms(app, role);
  if (terms.empty()) return;
  search.query = std::string(kQueueColumns) + " WHERE " + "(" + terms + ")";
  search.approverQueue = true;
  const std::string customer = vb::Trim(app.session().text("CUSTOMER"));
  if (!customer.empty()) {
    search.customer = customer;
    search.query += " AND (TRIPSREQ.CUSTOMER = " + sqlText(customer) + ")";
  }
}

void readFilters(Ravadid& app, RequestSearchState& search) {
  search.status = app.form("Status");
  search.grade = app.form("grade");
  const std::string sessionCustomer = app.session().text("CUSTOMER");
  // A user bound to a customer sees only that customer unless the site lets schools look at
  // each other's requests.
  if (!settingOn(app.application().get("VIEW_OTHER_SCHOOLS")) &&
      !vb::Trim(sessionCustomer).empty()) {
    search.customer = beforeFirstComma(sessionCustomer);
  } else {
    search.customer =
        customerFilterOf(readList(app.session(), kCustomerListKeys), app.form("cust"));
  }
  search.destination = app.form("dest");
  search.division = beforeFirstComma(app.form("div"));
  search.internalNumber = app.form("IntNum");
  search.departureFrom = app.form("DepFrom");
  search.departureTo = app.form("DepTo");
  search.enteredFrom = app.form("EnterFrom");
  search.enteredTo = app.form("EnterTo");
  search.category = app.form("tripcat");
}

// The condition of a date range filter, or the message that stops the search. An empty "to"
// takes the "from" date, on the page as well.
std::optional<std::string> dateRange(const std::string& from, std::string& to,
                                     std::string_view column, std::string_view fromMessage,
                                     std::string_view toMessage, std::string& condition) {
  if (!vb::IsDate(Value(from))) return std::string(fromMessage);
  if (vb::Trim(to).empty()) {
    to = from;
  } else if (!vb::IsDate(Value(to))) {
    return std::string(toMessage);
  }
  condition = std::string(" ") + std::string(column) + " >= " + sqlDate(from) + " and " +
              std::string(column) + " <= " + sqlDate(to);
  return std::nullopt;
}

// Builds the filter query into search.query. Returns the message that stops the search when a
// date filter is no date.
std::optional<std::string> buildFilterQuery(RequestSearchState& search) {
  std::string query(kFilterColumns);
  auto add = [&query, first = true](const std::string& condition) mutable {
    query += first ? " WHERE" : " AND";
    query += condition;
    first = false;
  };
  std::string condition;
  if (!search.departureFrom.empty()) {
    if (auto stop = dateRange(search.departureFrom, search.departureTo, "TRIPSREQ.DEPDATE",
                              "Please enter a valid departure from date.",
                              "Please enter a valid departure to date.", condition))
      return stop;
    add(condition);
  }
  if (!search.enteredFrom.empty()) {
    if (auto stop = dateRange(search.enteredFrom, search.enteredTo, "datevalue(TRIPSREQ.REQDATE)",
                              "Please enter a valid enter from date.",
                              "Please enter a valid enter to date.", condition))
      return stop;
    add(condition);
  }
  if (!search.status.empty()) add(" TRIPSREQ.STATUS = " + sqlText(search.status));
  if (!search.grade.empty()) add(" TRIPSREQ.GRADE = " + sqlText(search.grade));
  if (!vb::Trim(search.customer).empty()) add(" TRIPSREQ.CUSTOMER = " + sqlText(search.customer));
  // A code that is no number fails here with "Type mismatch", before any statement runs.
  if (!search.destination.empty()) add(" TRIPSREQ.DESTINATION = " + sqlWhole(search.destination));
  if (!search.category.empty()) add(" TRIPSREQ.TRIPCAT = " + sqlText(search.category));
  // The division filters the result rows (BuildRequestResultsTable), not the query.
  if (!search.internalNumber.empty())
    add(" TRIPSREQ.INTTRIPNUM = " + sqlText(search.internalNumber));
  search.query = std::move(query);
  return std::nullopt;
}

// ---- The results table ----------------------------------------------------------------------

struct HeaderCell {
  const char* label;
  const char* width = nullptr;
  bool border = true;
  bool twoColumns = false;
  bool closesFont = true;  // the Contact label has always been written without "</font>"
};

void appendHeaderCell(std::string& html, const HeaderCell& cell) {
  html += "<td"sv;
  if (cell.twoColumns) html += " colspan='2'"sv;
  if (cell.width) html.append(" width='"sv).append(cell.width).append("'"sv);
  if (cell.border) html += " style=\"border: solid 0 #000000; border-right-width:1px;\""sv;
  html.append("><font size='-2'>"sv).append(cell.label);
  html += cell.closesFont ? "</font></td>" : "</td>";
}

std::string resultsHeader() {
  static const HeaderCell kFirstRow[] = {
      {.label = "Request #", .width = "52"},
      {.label = "Customer", .width = "110"},
      {.label = "Destination", .width = "190", .twoColumns = true},
      {.label = "Depart", .width = "88"},
      {.label = "Return", .width = "88"},
      {.label = "Status", .width = "88"},
      {.label = "Entered", .width = "66"},
      {.label = "Category", .width = "66"},
      {.label = "Internal #", .width = "88", .border = false},
  };
  static const HeaderCell kSecondRow[] = {
      {.label = "Contact", .closesFont = false},
      {.label = " "},
      {.label = "# Stus / Adults", .width = "90"},
      {.label = "Grade", .width = "90"},
      {.label = "Arrive"},
      {.label = "Leave"},
      {.label = "Division"},
      {.label = "Trip #"},
      {.label = "Approval"},
      {.label = "Purpose", .border = false},
  };
  std::string html =
      "<a href='RavadidLarkdale.asp?WCI=PrintReport&Type=Request' target='_blank'>Print "
      "Report</a>&nbsp;"
      "<table width='100%' border='0' cellspacing='0'>"
      "<thead><tr>";
  for (const HeaderCell& cell : kFirstRow) appendHeaderCell(html, cell);
  html += "</tr><tr>"sv;
  for (const HeaderCell& cell : kSecondRow) appendHeaderCell(html, cell);
  html += "</tr><tr><td colspan='11'><hr></td></tr></thead></tbody>"sv;
  return html;
}

constexpr std::string_view kCell = "<td><font size='-2'>";
constexpr std::string_view kCellEnd = "</font></td>";
// Two cells of the second line have always been closed in the wrong order.
constexpr std::string_view kMisnestedCellEnd = "</td></font>";

// Positions of the fields that the result rows read, looked up once per list.
struct RequestFields {
  explicit RequestFields(const db::Recordset& request) {
    using namespace tripsreq;
    auto at = [&request](std::string_view name) { return request.fieldIndex(name); };
    customer = at(kCustomer);
    destination = at(kDestination);
    typedDestination = at("trDESTDESC");
    tripNumber = at(kTripnum);
    departureDate = at(kDepdate);
    departureTime = at(kDeptime);
    returnDate = at(kRetdate);
    returnTime = at(kRettime);
    status = at(kStatus);
    requestDate = at(kReqdate);
    category = at(kTripcat);
    internalNumber = at(kInttripnum);
    students = at(kNumstudents);
    adults = at(kNumadults);
    grade = at(kGrade);
    arriveTime = at(kArrivetime);
    leaveTime = at(kLeavetime);
    fieldTripNumber = at(kFieldtripNum);
    chain = at(kChainid);
    purpose = at(kPurpose);
  }

  int customer, destination, typedDestination, tripNumber, departureDate, departureTime, returnDate,
      returnTime, status, requestDate, category, internalNumber, students, adults, grade,
      arriveTime, leaveTime, fieldTripNumber, chain, purpose;
};

void appendRequestRows(std::string& html, std::span<const Value> request, const RequestFields& at,
                       const DetailLinks& links, std::string_view colour,
                       const CustomerCursor::Customer& customer, DestinationNames& destinations) {
  auto field = [request](int index) -> const Value& {
    return request[static_cast<std::size_t>(index)];
  };
  const long code = NullToLong(field(at.destination));
  // Code 0 is a destination typed on the request, not one of the district's.
  std::string typedDestination;
  std::string_view destination;
  if (code != 0) {
    destination = destinations.describe(code);
  } else {
    typedDestination = NullToSpace(field(at.typedDestination));
    destination = typedDestination;
  }
  const std::string tripNumber = fieldText(field(at.tripNumber));

  html.append("<tr bgcolor='"sv).append(colour).append("'><td><font size='-2'><a href=\""sv);
  links.append(html, tripNumber);
  html.append("\">"sv);
  appendHtmlEscaped(html, tripNumber);
  html.append("</a></font></td>"sv).append(kCell);
  appendHtmlEscaped(html, customer.name);
  html.append(kCellEnd).append("<td colspan='2' nowrap><font size='-2'>"sv);
  if (isBlank(destination)) {
    html += "&nbsp;"sv;
  } else {
    html += breakStringHtml(destination, kDestinationBreakLength);
  }
  html.append("</font></td>"sv).append(kCell);
  appendNullToSpace(html, field(at.departureDate));
  html += ", "sv;
  appendTimeCell(html, field(at.departureTime));
  html.append(kCellEnd).append(kCell);
  appendNullToSpace(html, field(at.returnDate));
  html += ", "sv;
  appendTimeCell(html, field(at.returnTime));
  html.append(kCellEnd).append("<td><font color='Red' size='-1'><b>"sv);
  appendNullToSpace(html, field(at.status));
  html.append("</b></font></td>"sv).append(kCell);
  appendShortDateCell(html, field(at.requestDate));
  html.append(kCellEnd).append(kCell);
  appendFieldOrSpace(html, field(at.category));
  html.append(kCellEnd).append(kCell);
  appendFieldOrSpace(html, field(at.internalNumber));
  html.append(kCellEnd);

  html.append("</tr><tr bgcolor='"sv).append(colour).append("'>"sv);
  html.append("<td></td><td>&nbsp;</td>"sv).append(kCell);
  // Never blank: the slash stands between the two counts.
  appendFieldText(html, field(at.students));
  html += '/';
  appendFieldText(html, field(at.adults));
  html.append(kMisnestedCellEnd).append(kCell);
  appendFieldOrSpace(html, field(at.grade));
  html.append(kCellEnd).append(kCell);
  appendTimeCell(html, field(at.arriveTime));
  html.append(kCellEnd).append(kCell);
  appendTimeCell(html, field(at.leaveTime));
  html.append(kCellEnd).append(kCell);
  appendTextOrSpace(html, customer.division);
  html.append(kCellEnd).append(kCell);
  appendTripNumberCell(html, field(at.fieldTripNumber));
  html.append(kCellEnd).append(kCell);
  appendFieldOrSpace(html, field(at.chain));
  html.append(kCellEnd).append(kCell);
  appendFieldOrSpace(html, field(at.purpose));
  html.append(kMisnestedCellEnd).append("</tr>"sv);
}

// ---- The filter lists -----------------------------------------------------------------------

// An attribute value that may stand without quotes as it is; anything else is quoted.
std::string unquotedAttribute(std::string_view value) {
  bool plain = !value.empty();
  for (char c : value) {
    const bool safe = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                      c == '-' || c == '.' || c == '_';
    if (!safe) plain = false;
  }
  return plain ? std::string(value) : "'" + htmlEscape(value) + "'";
}

using OptionWriter = std::function<void(std::string& html, std::string_view entry)>;

// "<select name='name' attributes>", one option per entry 0..count, "</select>".
std::string selectList(std::string_view name, std::string_view attributes, const WorkingList& list,
                       const OptionWriter& option) {
  std::string html = "<select name='";
  html.append(name).append("' ").append(attributes).append(">");
  for (int i = 0; i <= list.count; ++i) option(html, list.entry(i));
  html += "</select>";
  return html;
}

// Grades and statuses: the entry is value and text; the option is never closed.
std::string codeSelect(std::string_view name, std::string_view attributes, const WorkingList& list,
                       const std::string& selected) {
  return selectList(name, attributes, list, [&](std::string& html, std::string_view entry) {
    if (entry.empty()) {
      html += "<option value=>";
      return;
    }
    const std::string text = htmlEscape(entry);
    html.append("<option value='").append(text);
    html.append(vb::equalsIgnoreCase(entry, selected) ? "' selected>" : "'>").append(text);
  });
}

std::string customerSelect(std::string_view attributes, const WorkingList& list,
                           const std::string& selected) {
  return selectList("cust", attributes, list, [&](std::string& html, std::string_view entry) {
    if (entry.empty()) {
      html += "<option value= ></option>";
      return;
    }
    const SplitEntry split = splitAtFirstComma(entry);
    html.append("<option value='").append(htmlEscape(split.code));
    html.append(vb::equalsIgnoreCase(split.code, selected) ? "' selected>" : "' >");
    html.append(htmlEscape(split.description)).append("</option>");
  });
}

std::string destinationSelect(std::string_view attributes, const WorkingList& list,
                              const std::string& selected) {
  return selectList("dest", attributes, list, [&](std::string& html, std::string_view entry) {
    if (entry.empty()) {
      html += "<option></option>";
      return;
    }
    const SplitEntry split = splitAtFirstComma(entry);
    html.append("<option value=").append(unquotedAttribute(split.code));
    html.append(vb::equalsIgnoreCase(split.code, selected) ? " selected>" : " >");
    html.append(htmlEscape(leftCharacters(split.description, kDestinationOptionLength)));
    html += "</option>";
  });
}

// Categories and divisions: options without a value post their text. A division posts its
// whole entry, which the search cuts back to the code.
std::string textSelect(std::string_view name, std::string_view attributes, const WorkingList& list,
                       const std::string& selected, bool selectByCode) {
  return selectList(name, attributes, list, [&](std::string& html, std::string_view entry) {
    if (entry.empty()) {
      html += "<option></option>";
      return;
    }
    const std::string key = selectByCode ? splitAtFirstComma(entry).code : std::string(entry);
    html += vb::equalsIgnoreCase(key, selected) ? "<option selected>" : "<option>";
    html.append(htmlEscape(entry)).append("</option>");
  });
}

// Writes the page's template with the tags of this search.
class SearchPageWriter final : public PageObject {
 public:
  explicit SearchPageWriter(RequestSearchState& search)
      : PageObject("RequestSearch"), search_(search) {}
  void processTag(Ravadid& app, TagEvent& tag) const override {
    // The results table, a few hundred kilobytes, is moved into the page rather than copied.
    if (tag.is("WC@RESULTS")) {
      tag.contents = std::move(search_.results);
      search_.results.clear();
      return;
    }
    RequestSearch_ProcessTag(app, search_, tag);
  }

 private:
  RequestSearchState& search_;
};

}  // namespace

// ---- Events ---------------------------------------------------------------------------------

void RequestSearchPage::respond(Ravadid& app) const {
  RequestSearch_Respond(app);
}

void RequestSearchPage::processTag(Ravadid& app, TagEvent& tag) const {
  RequestSearchState search;
  search.customer = app.session().text("CUSTOMER");
  RequestSearch_ProcessTag(app, search, tag);
}

void RequestSearchPage::onEvent(Ravadid& app, const std::string& event) const {
  if (vb::equalsIgnoreCase(event, "Navigate")) {
    RequestSearch_Navigate(app);
  } else {
    RequestSearch_TripRequests(app);
  }
}

void RequestSearch_Respond(Ravadid& app) {
  RequestSearchState search;
  app.run({.name = "RequestSearch_Respond"}, [&] {
    if (!app.sessionCheck()) return;
    app.session().set("LoadRequestDetailFromSession", "False");
    // A blank role approves nowhere: it would otherwise match levels left blank.
    const std::string role = app.session().text("ROLE");
    if (!vb::Trim(role).empty()) {
      if (app.databasePreamble()) buildApproverQueue(app, search, role);
      app.closeStep();
    }
    app.blnAutoFillRequests = settingOn(app.application().get("AUTOFILL_REQUESTS"));
    RequestSearch_TripRequests(app, search);
  });
}

void RequestSearch_TripRequests(Ravadid& app) {
  RequestSearchState search;
  RequestSearch_TripRequests(app, search);
}

void RequestSearch_TripRequests(Ravadid& app, RequestSearchState& search) {
  app.run({.name = "RequestSearch_TripRequests"}, [&] {
    if (!app.sessionCheck()) return;
    Store& session = app.session();
    session.set("blnDepDtWarn", Value::boolean(false));
    session.set("blnRtnDtWarn", Value::boolean(false));
    const std::string button = app.form("btnsubmit");
    if (vb::equalsIgnoreCase(button, "Reset") || vb::equalsIgnoreCase(button, "**Exit**")) {
      InitRequestSearch(app, search);
    } else {
      readFilters(app, search);
    }
    // A request added from the customer values is billed to this customer.
    app.record.userCustomer = search.customer;

    if (search.query.empty() && app.blnAutoFillRequests) {
      if (std::optional<std::string> stop = buildFilterQuery(search)) {
        app.errorText() = *stop;  // written as the whole answer at the exit step
        return;
      }
    }
    if (!vb::Trim(search.query).empty()) search.query += kRequestOrder;
    session.set("TripRequestReportQuery", search.query);
    session.set("TripRequestReportFilters", filtersText(search));
    BuildRequestResultsTable(app, search, search.query);
    app.writeTemplate(SearchPageWriter(search));
  });
}

void RequestSearch_Navigate(Ravadid& app) {
  app.run({.name = "RequestSearch_Navigate"}, [&] {
    if (!app.sessionCheck()) return;
    Store& session = app.session();
    session.set("LoadRequestDetailFromSession", "False");
    ClearRequestDetailSession(app);  // the request form's copy in the session
    const std::string button = vb::UCase(app.form("btnsubmit"));
    if (button == "WORK WITH TRIP REQUESTS") {
      app.setNextItem("RequestSearch");
    } else if (button == "ENTER NEW REQUEST") {
      app.SetNewVars();
      app.setNextItem("RequestDetail");
    } else if (button == "VIEW FIELD TRIPS") {
      app.setNextItem("TripSearch");
    } else if (button == "LOG OUT") {
      app.setNextItem("Logout");
    }
  });
}

void RequestSearch_ProcessTag(Ravadid& app, const RequestSearchState& search, TagEvent& tag) {
  if (replaceDistrictTag(app, tag)) return;
  const Store& session = app.session();
  WorkingLists& lists = app.lists;
  if (tag.is("WC@Grade")) {
    lists.grades = readList(session, kGradeListKeys);
    tag.contents = codeSelect("grade", tag.contents, lists.grades, search.grade);
  } else if (tag.is("WC@Status")) {
    lists.statuses = readList(session, kStatusListKeys);
    tag.contents = codeSelect("status", tag.contents, lists.statuses, search.status);
  } else if (tag.is("WC@CUSTOMER")) {
    lists.customers = readList(session, kCustomerListKeys);
    tag.contents = customerSelect(tag.contents, lists.customers, search.customer);
  } else if (tag.is("WC@DEST")) {
    lists.destinations = readList(session, kDestinationListKeys);
    tag.contents = destinationSelect(tag.contents, lists.destinations, search.destination);
  } else if (tag.is("WC@CATEGORY")) {
    lists.tripCategories = readList(session, kTripCategoryListKeys);
    tag.contents = textSelect("tripcat", tag.contents, lists.tripCategories, search.category,
                              /*selectByCode=*/false);
  } else if (tag.is("WC@DIV")) {
    lists.divisions = readList(session, kDivisionListKeys);
    tag.contents = textSelect("div", tag.contents, lists.divisions, search.division,
                              /*selectByCode=*/true);
  } else if (tag.is("WC@RESULTS")) {
    tag.contents = search.results;
  } else if (tag.is("WC@DEPFROM")) {
    tag.contents = htmlEscape(search.departureFrom);
  } else if (tag.is("WC@DEPTO")) {
    tag.contents = htmlEscape(search.departureTo);
  } else if (tag.is("WC@ENTERFROM")) {
    tag.contents = htmlEscape(search.enteredFrom);
  } else if (tag.is("WC@ENTERTO")) {
    tag.contents = htmlEscape(search.enteredTo);
  } else if (tag.is("WC@NUM")) {
    tag.contents = std::to_string(search.count);
  } else if (tag.is("WC@FILTERSUSED")) {
    tag.contents = filtersUsed(search, vb::Now());
  }
  // WC@TRIPREQCOMMENT and unknown tags keep the template's text.
}

std::string filtersUsed(const RequestSearchState& search, double now) {
  return htmlEscape(filtersText(search) + " Printed " + vb::formatDate(now) + ".");
}

std::string filtersText(const RequestSearchState& search) {
  // A date as the district reads it, whichever form it was entered in (a date picker posts
  // 2027-01-15).
  auto date = [](const std::string& text) {
    std::optional<double> serial = vb::parseDate(text);
    return serial ? vb::formatDate(*serial) : text;
  };
  std::string used;
  auto add = [&used](std::string_view label, const std::string& value) {
    if (vb::Trim(value).empty()) return;
    if (!used.empty()) used += "; ";
    used.append(label).append(" ").append(vb::Trim(value));
  };
  add("Status", search.status);
  add("Customer", search.customer);
  add("Destination", search.destination);
  add("Category", search.category);
  add("Grade", search.grade);
  add("Division", search.division);
  add("Internal #", search.internalNumber);
  if (!search.departureFrom.empty())
    add("Departing", date(search.departureFrom) + " to " + date(search.departureTo));
  if (!search.enteredFrom.empty())
    add("Entered", date(search.enteredFrom) + " to " + date(search.enteredTo));
  std::string line = search.approverQueue ? "Requests waiting for your approval" : "Filters used: ";
  if (search.approverQueue) {
    if (!used.empty()) line += " (" + used + ")";
  } else {
    line += used.empty() ? std::string("none") : used;
  }
  return line + ".";
}

void InitRequestSearch(Ravadid& app, RequestSearchState& search) {
  app.blnAutoFillRequests = settingOn(app.application().get("AUTOFILL_REQUESTS"));
  search = RequestSearchState{};
  search.customer = app.session().text("customer");
}

void BuildRequestResultsTable(Ravadid& app, RequestSearchState& search, std::string_view strSql) {
  app.run({.name = "BuildStrResults"}, [&] {
    search.results.clear();
    if (!app.databasePreamble()) return;
    if (strSql.empty()) {
      app.closeStep();
      return;
    }
    CustomerCursor customers(app.tripDb());
    db::Recordset requests;
    requests.open(strSql, app.tripschlDb());
    const long records = requests.recordCount();
    search.count = static_cast<int32_t>(records);
    if (records > kMaxListedRequests) {
      search.results = kTooManyRequests;
    } else {
      DestinationNames destinations(app.session());
      const DetailLinks links(app);
      std::string html = resultsHeader();
      html.reserve(html.size() + static_cast<std::size_t>(records) * 1800);
      bool shaded = false;
      // Looked up only when there is a row, as reading a field by name would be.
      std::optional<RequestFields> fields;
      if (!requests.eof()) fields.emplace(requests);
      for (; !requests.eof(); requests.moveNext()) {
        const std::span<const Value> row = requests.currentFields();
        const CustomerCursor::Customer& customer =
            customers.find(row[static_cast<std::size_t>(fields->customer)]);
        if (!search.division.empty() &&
            !vb::equalsIgnoreCase(vb::Trim(customer.division), search.division)) {
          --search.count;
          continue;
        }
        appendRequestRows(html, row, *fields, links, shaded ? "#C0C0C0" : "#FFFFFF", customer,
                          destinations);
        shaded = !shaded;
      }
      html += "</tbody></table>";
      search.results = std::move(html);
    }
    requests.close();
    customers.close();
    app.closeStep();
  });
}

}  // namespace ravadid

#include "search/request_search_page.h"

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <unordered_map>
#include <utility>

#include "forms/date_time_selectors.h"
#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/db/row_cursor.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"
#include "request/break_string.h"
#include "request/request_detail_page.h"
#include "search/request_cells.h"
#include "search/search_common.h"
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
// Room for a full list of ordinary rows, so that the page is seldom moved while it grows.
constexpr std::size_t kResultsReserve = 384 * 1024;

// ---- Small rules ----------------------------------------------------------------------------

// ---- Cell contents ---------------------------------------------------------------------------
// Each appends to the page being built, escaped: a list of 300 requests writes some 6,000 cells.

// The same three, for a field of the current row: text is escaped straight from the row.
void appendNullToSpace(std::string& html, db::RowCursor& row, int index) {
  if (std::optional<std::string_view> text = row.text(index)) {
    appendHtmlEscaped(html, *text);
  } else {
    appendNullToSpace(html, row.field(index));
  }
}

void appendFieldOrSpace(std::string& html, db::RowCursor& row, int index) {
  if (std::optional<std::string_view> text = row.text(index)) {
    appendTextOrSpace(html, *text);
  } else {
    appendFieldOrSpace(html, row.field(index));
  }
}

void appendFieldText(std::string& html, db::RowCursor& row, int index) {
  if (std::optional<std::string_view> text = row.text(index)) {
    appendHtmlEscaped(html, *text);
  } else {
    appendFieldText(html, row.field(index));
  }
}

// Cells of one field as written before, by the text the field stores: a list shows the same few
// days and times again and again, and finding a cell costs less than reading the date and
// writing it. What a cell shows depends on nothing but that text and how the column reads it,
// so the cell found is the cell the field would write. The cells are kept by each worker thread
// across lists, under the writer and the column's reading.
class CellsByStoredText {
 public:
  using Writer = void (*)(std::string& html, const Value& value);
  explicit CellsByStoredText(Writer write) : write_(write) {}

  void append(std::string& html, db::RowCursor& row, int index) {
    const std::optional<std::string_view> stored = row.storedText(index);
    if (!stored) return write_(html, row.field(index));
    // Rows in date order often repeat the cell of the row before.
    if (!last_ || last_->first != *stored) {
      if (!cells_) cells_ = &threadCells()[{write_, row.readingKey(index)}];
      auto it = cells_->find(*stored);
      if (it == cells_->end()) {
        std::string cell;
        write_(cell, row.field(index));
        it = cells_->emplace(std::string(*stored), std::move(cell)).first;
      }
      last_ = &*it;
    }
    html += last_->second;
  }

 private:
  static constexpr std::size_t kMaxCells = 4096;
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  using Cells = std::unordered_map<std::string, std::string, Hash, std::equal_to<>>;
  static std::map<std::pair<Writer, std::string>, Cells>& threadCells() {
    thread_local std::map<std::pair<Writer, std::string>, Cells> cells;
    return cells;
  }

  // Texts of many lists over time would fill the cells without end. Emptied only between
  // lists, while no list of the thread points into them.
  static void emptyFullCells() {
    for (auto& [writer, cells] : threadCells())
      if (cells.size() >= kMaxCells) cells.clear();
  }
  friend struct DateCells;

  Writer write_;
  Cells* cells_ = nullptr;  // the thread's cells of this writer and column
  const std::pair<const std::string, std::string>* last_ = nullptr;
};

// The date and time cells of one list.
struct DateCells {
  DateCells() { CellsByStoredText::emptyFullCells(); }
  CellsByStoredText departureDate{ravadid::appendNullToSpace};
  CellsByStoredText departureTime{appendTimeCell};
  CellsByStoredText returnDate{ravadid::appendNullToSpace};
  CellsByStoredText returnTime{appendTimeCell};
  CellsByStoredText requestDate{appendShortDateCell};
  CellsByStoredText arriveTime{appendTimeCell};
  CellsByStoredText leaveTime{appendTimeCell};
};

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

// A departure date filter as posted, or as a link carries it when nothing was posted (the
// trip calendar links each day to the requests departing that day).
std::string postedOrLinked(const Ravadid& app, std::string_view name) {
  std::string posted = app.form(name);
  return posted.empty() ? app.query(name) : posted;
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
  // A user bound to a customer sees only that customer's requests.
  if (const std::string bound = boundCustomer(app); !bound.empty()) {
    search.customer = beforeFirstComma(bound);
  } else {
    search.customer =
        customerFilterOf(readList(app.session(), kCustomerListKeys), app.form("cust"));
  }
  search.destination = app.form("dest");
  search.division = beforeFirstComma(app.form("div"));
  search.internalNumber = app.form("IntNum");
  search.departureFrom = postedOrLinked(app, "DepFrom");
  search.departureTo = postedOrLinked(app, "DepTo");
  search.enteredFrom = app.form("EnterFrom");
  search.enteredTo = app.form("EnterTo");
  search.category = app.form("tripcat");
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

// A cell's end and the next cell's start, appended in one piece.
constexpr std::string_view kNextCell = "</font></td><td><font size='-2'>";
// Two cells of the second line have always been closed in the wrong order.
constexpr std::string_view kMisnestedNextCell = "</td></font><td><font size='-2'>";

// Positions of the fields that the result rows read, looked up once per list.
struct RequestFields {
  // The names of the fields below, in their order: all that a row reads, so that the query
  // leaves out the others.
  static constexpr std::array<std::string_view, 20> kNames = {
      tripsreq::kCustomer,    tripsreq::kDestination,  "trDESTDESC",       tripsreq::kTripnum,
      tripsreq::kDepdate,     tripsreq::kDeptime,      tripsreq::kRetdate, tripsreq::kRettime,
      tripsreq::kStatus,      tripsreq::kReqdate,      tripsreq::kTripcat, tripsreq::kInttripnum,
      tripsreq::kNumstudents, tripsreq::kNumadults,    tripsreq::kGrade,   tripsreq::kArrivetime,
      tripsreq::kLeavetime,   tripsreq::kFieldtripNum, tripsreq::kChainid, tripsreq::kPurpose};

  explicit RequestFields(const db::RowCursor& request) {
    int* const positions[] = {
        &customer,      &destination,    &typedDestination, &tripNumber, &departureDate,
        &departureTime, &returnDate,     &returnTime,       &status,     &requestDate,
        &category,      &internalNumber, &students,         &adults,     &grade,
        &arriveTime,    &leaveTime,      &fieldTripNumber,  &chain,      &purpose};
    static_assert(std::size(positions) == kNames.size());
    for (std::size_t i = 0; i < kNames.size(); ++i) *positions[i] = request.fieldIndex(kNames[i]);
  }

  static std::vector<std::string_view> names() { return {kNames.begin(), kNames.end()}; }

  int customer, destination, typedDestination, tripNumber, departureDate, departureTime, returnDate,
      returnTime, status, requestDate, category, internalNumber, students, adults, grade,
      arriveTime, leaveTime, fieldTripNumber, chain, purpose;
};

// The fixed runs of a row around its colour, each appended in one piece.
struct RowColour {
  explicit RowColour(std::string_view colour)
      : start("<tr bgcolor='" + std::string(colour) + "'><td><font size='-2'><a href=\""),
        secondLine("</font></td></tr><tr bgcolor='" + std::string(colour) +
                   "'><td></td><td>&nbsp;</td><td><font size='-2'>") {}
  std::string start;
  std::string secondLine;
};

void appendRequestRows(std::string& html, db::RowCursor& request, const RequestFields& at,
                       const DetailLinks& links, const RowColour& colour,
                       const CustomerCursor::Customer& customer, DestinationNames& destinations,
                       DateCells& dates) {
  auto field = [&request](int index) -> const Value& { return request.field(index); };
  const long code = NullToLong(field(at.destination));
  // Code 0 is a destination typed on the request, not one of the district's.
  std::string typedDestination;
  std::string_view destination;
  if (code != 0) {
    destination = destinations.describe(code);
  } else {
    if (std::optional<std::string_view> text = request.text(at.typedDestination))
      typedDestination = *text;
    else
      typedDestination = NullToSpace(field(at.typedDestination));
    destination = typedDestination;
  }
  const std::string tripNumber = fieldText(field(at.tripNumber));

  html += colour.start;
  links.append(html, tripNumber);
  html.append("\">"sv);
  appendHtmlEscaped(html, tripNumber);
  html.append("</a></font></td><td><font size='-2'>"sv);
  appendHtmlEscaped(html, customer.name);
  html.append("</font></td><td colspan='2' nowrap><font size='-2'>"sv);
  if (isBlank(destination)) {
    html += "&nbsp;"sv;
  } else {
    appendBreakStringHtml(html, destination, kDestinationBreakLength);
  }
  html.append(kNextCell);
  dates.departureDate.append(html, request, at.departureDate);
  html += ", "sv;
  dates.departureTime.append(html, request, at.departureTime);
  html.append(kNextCell);
  dates.returnDate.append(html, request, at.returnDate);
  html += ", "sv;
  dates.returnTime.append(html, request, at.returnTime);
  html.append("</font></td><td><font color='Red' size='-1'><b>"sv);
  appendNullToSpace(html, request, at.status);
  html.append("</b></font></td><td><font size='-2'>"sv);
  dates.requestDate.append(html, request, at.requestDate);
  html.append(kNextCell);
  appendFieldOrSpace(html, request, at.category);
  html.append(kNextCell);
  appendFieldOrSpace(html, request, at.internalNumber);
  html += colour.secondLine;
  // Never blank: the slash stands between the two counts.
  appendFieldText(html, request, at.students);
  html += '/';
  appendFieldText(html, request, at.adults);
  html.append(kMisnestedNextCell);
  appendFieldOrSpace(html, request, at.grade);
  html.append(kNextCell);
  dates.arriveTime.append(html, request, at.arriveTime);
  html.append(kNextCell);
  dates.leaveTime.append(html, request, at.leaveTime);
  html.append(kNextCell);
  appendTextOrSpace(html, customer.division);
  html.append(kNextCell);
  appendTripNumberCell(html, field(at.fieldTripNumber));
  html.append(kNextCell);
  appendFieldOrSpace(html, request, at.chain);
  html.append(kNextCell);
  appendFieldOrSpace(html, request, at.purpose);
  html.append("</td></font></tr>"sv);
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

// The filter lists as last written, by list and selection. A session's lists are shared,
// unchanging copies, and most lists are written again and again with the same selection; a
// list that was loaded anew is another copy and is written afresh.
class SelectListCache {
 public:
  std::string find(const WorkingList& list, std::string_view name, std::string_view attributes,
                   std::string_view selected, const std::function<std::string()>& write) {
    std::string key;
    key.append(name).append(1, '\0').append(attributes).append(1, '\0').append(selected);
    key.append(1, '\0').append(std::to_string(list.count));
    {
      std::lock_guard lock(mutex_);
      auto it = written_.find(key);
      if (it != written_.end() && it->second.list.lock() == list.entries) return it->second.html;
    }
    std::string html = write();
    std::lock_guard lock(mutex_);
    // Selections of many users and lists replaced over time would fill it without end.
    if (written_.size() >= kMaxLists) written_.clear();
    written_.insert_or_assign(std::move(key), Written{list.entries, html});
    return html;
  }

 private:
  static constexpr std::size_t kMaxLists = 256;
  struct Written {
    std::weak_ptr<const std::vector<std::string>> list;
    std::string html;
  };
  std::mutex mutex_;
  std::unordered_map<std::string, Written> written_;
};

SelectListCache& selectLists() {
  static SelectListCache cache;
  return cache;
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
    // The list leaves out other divisions' rows after the query; its spreadsheet does as well.
    session.set("TripRequestReportDivision", search.division);
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
  // A filter list, written or taken as last written for the same list and selection.
  auto select = [&tag](const WorkingList& list, std::string_view name, const std::string& selected,
                       const std::function<std::string()>& write) {
    tag.contents = selectLists().find(list, name, tag.contents, selected, write);
  };
  if (tag.is("WC@Grade")) {
    lists.grades = readList(session, kGradeListKeys);
    select(lists.grades, "grade", search.grade,
           [&] { return codeSelect("grade", tag.contents, lists.grades, search.grade); });
  } else if (tag.is("WC@Status")) {
    lists.statuses = readList(session, kStatusListKeys);
    select(lists.statuses, "status", search.status,
           [&] { return codeSelect("status", tag.contents, lists.statuses, search.status); });
  } else if (tag.is("WC@CUSTOMER")) {
    lists.customers = readList(session, kCustomerListKeys);
    select(lists.customers, "cust", search.customer,
           [&] { return customerSelect(tag.contents, lists.customers, search.customer); });
  } else if (tag.is("WC@DEST")) {
    lists.destinations = readList(session, kDestinationListKeys);
    select(lists.destinations, "dest", search.destination,
           [&] { return destinationSelect(tag.contents, lists.destinations, search.destination); });
  } else if (tag.is("WC@CATEGORY")) {
    lists.tripCategories = readList(session, kTripCategoryListKeys);
    select(lists.tripCategories, "tripcat", search.category, [&] {
      return textSelect("tripcat", tag.contents, lists.tripCategories, search.category,
                        /*selectByCode=*/false);
    });
  } else if (tag.is("WC@DIV")) {
    lists.divisions = readList(session, kDivisionListKeys);
    select(lists.divisions, "div", search.division, [&] {
      return textSelect("div", tag.contents, lists.divisions, search.division,
                        /*selectByCode=*/true);
    });
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
    // The rows are written as they are read; a list found to hold more than the page shows is
    // only counted to its end and replaced by the message.
    db::RowCursor requests;
    requests.open(strSql, app.tripschlDb(), RequestFields::names());
    DestinationNames destinations(app.session());
    DateCells dates;
    const DetailLinks links(app);
    std::string html = resultsHeader();
    html.reserve(kResultsReserve);
    long records = 0;
    long filteredOut = 0;
    bool shaded = false;
    const RowColour plainRow("#FFFFFF");
    const RowColour shadedRow("#C0C0C0");
    // Looked up only when there is a row, as reading a field by name would be.
    std::optional<RequestFields> fields;
    while (requests.next()) {
      if (++records > kMaxListedRequests) continue;
      if (!fields) fields.emplace(requests);
      const CustomerCursor::Customer& customer = customers.find(requests, fields->customer);
      if (!search.division.empty() &&
          !vb::equalsIgnoreCase(vb::Trim(customer.division), search.division)) {
        ++filteredOut;
        continue;
      }
      appendRequestRows(html, requests, *fields, links, shaded ? shadedRow : plainRow, customer,
                        destinations, dates);
      shaded = !shaded;
    }
    if (records > kMaxListedRequests) {
      search.count = static_cast<int32_t>(records);
      search.results = kTooManyRequests;
    } else {
      search.count = static_cast<int32_t>(records - filteredOut);
      html += "</tbody></table>";
      search.results = std::move(html);
    }
    requests.close();
    customers.close();
    app.closeStep();
  });
}

}  // namespace ravadid

// The field trip list: its results table with the two totals, and the tags of its page.
#include <span>
#include <string_view>

#include "forms/date_time_selectors.h"
#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "search/search_common.h"
#include "search/trip_search_page.h"
#include "signin/district_tags.h"

namespace ravadid {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kMoney = "$###,##0.00";
constexpr std::size_t kContactLength = 10;
constexpr std::size_t kDestinationOptionLength = 30;

// ---- The results table ----------------------------------------------------------------------

struct HeaderCell {
  const char* label;
  const char* width = nullptr;
  bool border = true;
  const char* span = nullptr;  // " rowspan='2'" or " colspan='2'"
};

void appendHeaderCell(std::string& html, const HeaderCell& cell) {
  html += "<td"sv;
  if (cell.span) html += cell.span;
  if (cell.width) html.append(" width='"sv).append(cell.width).append("'"sv);
  if (cell.border) html += " style=\"border: solid 0 #000000; border-right-width:1px;\""sv;
  html.append(" ><font size='-2'>"sv).append(cell.label).append("</font></td>"sv);
}

std::string resultsHeader() {
  static const HeaderCell kFirstRow[] = {
      {.label = "Trip#", .width = "58"},
      {.label = "Customer", .width = "110", .span = " rowspan='2'"},
      {.label = "Destination", .width = "170", .span = " colspan='2'"},
      {.label = "Depart"},
      {.label = "Return"},
      {.label = "Cancelled"},
      {.label = "Billed"},
      {.label = " "},
      {.label = "Billing Customer"},
      {.label = "Division"},
      {.label = "Category", .border = false},
  };
  static const HeaderCell kSecondRow[] = {
      {.label = "Contact"},
      {.label = "# Stus / Adults", .width = "90"},
      {.label = "Grade", .width = "70"},
      {.label = "Arrive Time"},
      {.label = "Leave Time"},
      {.label = "Assigned"},
      {.label = "Amt"},
      {.label = "Due"},
      {.label = "Fund"},
      {.label = "Purpose"},
      {.label = "Request #", .width = "60", .border = false},
  };
  std::string html =
      "<a href='RavadidLarkdale.asp?WCI=PrintReport&Type=Trip' target='_blank'>Print "
      "Report</a>&nbsp;"
      "<table width='100%' border='0' cellpadding='0' cellspacing='0'>"
      "<thead><tr>";
  for (const HeaderCell& cell : kFirstRow) appendHeaderCell(html, cell);
  html += "</tr><tr>"sv;
  for (const HeaderCell& cell : kSecondRow) appendHeaderCell(html, cell);
  html += "</tr><tr><td colspan='12'><hr></td></tr></thead><tbody>"sv;
  return html;
}

constexpr std::string_view kCell = "<td><font size='-2'>";
constexpr std::string_view kCellEnd = "</font></td>";

// Positions of the fields that the rows read, looked up once per list.
struct TripFields {
  explicit TripFields(const db::Recordset& trips) {
    auto at = [&trips](std::string_view name) { return trips.fieldIndex(name); };
    tripNumber = at("TRIPNUM");
    customerName = at("CUSTNAME");
    destination = at("DESTDESC");
    departureDate = at("DEPDATE");
    departureTime = at("DEPTIME");
    returnDate = at("RETDATE");
    returnTime = at("RETTIME");
    cancelled = at("CANCELED");
    billed = at("BILLED");
    billingCustomer = at("BILLCUSTNAME");
    division = at("CUSTDIV");
    category = at("TRIPCAT");
    contact = at("CONTACT");
    students = at("NUMSTUDENTS");
    adults = at("NUMADULTS");
    grade = at("GRADE");
    arriveTime = at("ARRIVETIME");
    leaveTime = at("LEAVETIME");
    assigned = at("ASSIGNED");
    totalBilled = at("TOTALBILLED");
    totalDue = at("TOTALDUE");
    fund = at("FUND");
    purpose = at("PURPOSE");
    requestNumber = at("TRIPREQNUM");
  }
  int tripNumber, customerName, destination, departureDate, departureTime, returnDate, returnTime,
      cancelled, billed, billingCustomer, division, category, contact, students, adults, grade,
      arriveTime, leaveTime, assigned, totalBilled, totalDue, fund, purpose, requestNumber;
};

// A date as getDATE prints it ("3/5/26"); nothing for a missing date.
void appendShortDate(Ravadid& app, std::string& html, const Value& value) {
  if (value.isNull() || value.isEmpty() || !vb::IsDate(value)) {
    appendFieldText(html, value);
    return;
  }
  html += getDATE(app, vb::CDate(value));
}

void appendCheckboxCell(std::string& html, const Value& value) {
  const bool on = !value.isNull() && !value.isEmpty() && vb::CBool(value);
  html += "<td align='center'><font size='-2'>"sv;
  html += on ? "<input type=checkbox checked>"sv : "<input type=checkbox>"sv;
  html += kCellEnd;
}

// An amount in the list's money format, empty when null; a non-null amount adds to total.
void appendAmountCell(std::string& html, const Value& value, double& total) {
  html += kCell;
  if (!value.isNull() && !value.isEmpty()) {
    const double amount = vb::CDbl(value);
    html += vb::Format(amount, kMoney);
    total += amount;
  }
  html += kCellEnd;
}

void appendTripRows(Ravadid& app, std::string& html, std::span<const Value> row,
                    const TripFields& at, std::string_view colour, TripSearchState& search) {
  auto field = [&row](int index) -> const Value& { return row[static_cast<std::size_t>(index)]; };
  html.append("<tr bgcolor="sv).append(colour).append(">"sv).append(kCell);
  appendFieldText(html, field(at.tripNumber));
  html.append(kCellEnd).append("<td rowspan='2'><font size='-2'>"sv);
  appendFieldText(html, field(at.customerName));
  html.append(kCellEnd).append("<td colspan='2'><font size='-2'>"sv);
  appendFieldOrSpace(html, field(at.destination));
  html.append(kCellEnd).append(kCell);
  appendShortDate(app, html, field(at.departureDate));
  html += ", "sv;
  appendTimeCell(html, field(at.departureTime));
  html.append(kCellEnd).append(kCell);
  appendShortDate(app, html, field(at.returnDate));
  html += ", "sv;
  appendTimeCell(html, field(at.returnTime));
  html += kCellEnd;
  appendCheckboxCell(html, field(at.cancelled));
  appendCheckboxCell(html, field(at.billed));
  html.append("<td>&nbsp;</td>"sv).append(kCell);
  appendFieldText(html, field(at.billingCustomer));
  html.append(kCellEnd).append(kCell);
  appendFieldOrSpace(html, field(at.division));
  html.append(kCellEnd).append(kCell);
  appendFieldOrSpace(html, field(at.category));
  html += kCellEnd;

  html.append("</tr><tr bgcolor="sv).append(colour).append(">"sv).append(kCell);
  appendTextOrSpace(html, leftCharacters(NullToSpace(field(at.contact)), kContactLength));
  html.append(kCellEnd).append(kCell);
  appendFieldText(html, field(at.students));
  html += '/';
  appendFieldText(html, field(at.adults));
  html.append(kCellEnd).append(kCell);
  appendFieldOrSpace(html, field(at.grade));
  html.append(kCellEnd).append(kCell);
  appendTimeCell(html, field(at.arriveTime));
  html.append(kCellEnd).append(kCell);
  appendTimeCell(html, field(at.leaveTime));
  html += kCellEnd;
  appendCheckboxCell(html, field(at.assigned));
  appendAmountCell(html, field(at.totalBilled), search.totalBilled);
  appendAmountCell(html, field(at.totalDue), search.totalDue);
  html += kCell;
  appendFieldText(html, field(at.fund));
  html.append(kCellEnd).append(kCell);
  appendFieldOrSpace(html, field(at.purpose));
  html.append(kCellEnd).append(kCell);
  appendTripNumberCell(html, field(at.requestNumber));
  html.append(kCellEnd).append("</tr>"sv);
}

// ---- The filter lists -----------------------------------------------------------------------

// Customers and destinations: the code in quotes, the description as text, an empty first
// option.
std::string codeDescriptionSelect(std::string_view name, std::string_view attributes,
                                  const WorkingList& list, const std::string& selected,
                                  std::size_t descriptionLength) {
  return selectList(name, attributes, list, [&](std::string& html, std::string_view entry) {
    if (entry.empty()) {
      html += "<option></option>";
      return;
    }
    const SplitEntry split = splitAtFirstComma(entry);
    html.append("<option value='").append(htmlEscape(split.code));
    html.append(vb::equalsIgnoreCase(split.code, selected) ? "' selected>" : "'>");
    html.append(htmlEscape(leftCharacters(split.description, descriptionLength)));
    html += "</option>";
  });
}

// The billing customers post their whole entry, which the search cuts back to the code.
std::string billingCustomerSelect(std::string_view attributes, const WorkingList& list) {
  return selectList("billcust", attributes, list, [](std::string& html, std::string_view entry) {
    html.append("<option>").append(htmlEscape(entry)).append("</option>");
  });
}

struct StateBox {
  const char* name;
  std::string TripSearchState::*state;
  const char* label;
};

std::string stateBoxes(const TripSearchState& search, std::string_view attributes) {
  static const StateBox kBoxes[] = {
      {"chkASSIGNED", &TripSearchState::assigned, "Assigned&nbsp;"},
      {"chkUnassigned", &TripSearchState::unassigned,
       "Unassigned&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;"},
      {"chkBILLED", &TripSearchState::billed, "Billed&nbsp;"},
      {"chkUnbilled", &TripSearchState::unbilled, "Unbilled&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;"},
      {"chkCANCELLED", &TripSearchState::cancelled, "Cancelled&nbsp;"},
      {"chkOPEN", &TripSearchState::open, "Open"},
  };
  std::string html;
  for (const StateBox& box : kBoxes) {
    html.append("<input type='checkbox' name='").append(box.name).append("' value='ON' ");
    if (vb::equalsIgnoreCase(search.*box.state, "ON")) html += "checked ";
    html.append(attributes).append(">").append(box.label);
  }
  return html;
}

void appendSortOptions(std::string& html, const std::string& sort) {
  static const std::pair<const char*, const char*> kOptions[] = {
      {"TRIPS.TRIPNUM", "Trip #"},
      {"CUSTOMER.CUSTNAME", "Customer"},
      {"DESTINATION.DESTDESC", "Destination"},
      {"TRIPS.NUMSTUDENTS", "# Students"},
      {"TRIPS.DEPDATE", "Depart Date"},
      {"TRIPS.TRIPREQNUM", "Request #"},
  };
  for (const auto& [value, label] : kOptions) {
    html += vb::equalsIgnoreCase(value, sort) ? "<option selected value='" : "<option value='";
    html.append(value).append("'>").append(label).append("</option>");
  }
}

std::string sortLists(const TripSearchState& search, std::string_view attributes) {
  std::string html = "Sort By:&nbsp;<select name='sortBy1' ";
  html.append(attributes).append(">");
  appendSortOptions(html, search.sort1);
  html.append("</select>&nbsp;then by:&nbsp;<select name='sortBy2' ").append(attributes);
  html += ">";
  html += search.sort2.empty() ? "<option selected></option>" : "<option></option>";
  appendSortOptions(html, search.sort2);
  html += "</select>";
  return html;
}

// "<input name='NAME' size='21' VALUE='value' attributes>"
std::string numberInput(std::string_view name, const std::string& value,
                        std::string_view attributes) {
  std::string html = "<input name='";
  html.append(name).append("' size='21' VALUE='").append(htmlEscape(value)).append("' ");
  html.append(attributes).append(">");
  return html;
}

}  // namespace

void BuildTripResultsTable(Ravadid& app, TripSearchState& search) {
  db::Recordset trips;
  trips.open(search.query, app.tripDb());
  std::string html = resultsHeader();
  html.reserve(html.size() + static_cast<std::size_t>(search.count) * 2000);
  if (!trips.eof()) {
    const TripFields fields(trips);
    bool shaded = false;
    for (; !trips.eof(); trips.moveNext()) {
      appendTripRows(app, html, trips.currentFields(), fields, shaded ? "#C0C0C0" : "#FFFFFF",
                     search);
      shaded = !shaded;
    }
  }
  html += "</tbody></table>";
  search.results = std::move(html);
  trips.close();
}

void TripSearch_ProcessTag(Ravadid& app, const TripSearchState& search, TagEvent& tag) {
  if (replaceDistrictTag(app, tag)) return;
  const Store& session = app.session();
  WorkingLists& lists = app.lists;
  if (tag.is("WC@Grade")) {
    lists.grades = readList(session, kGradeListKeys);
    tag.contents = codeSelect("grade", tag.contents, lists.grades, search.grade);
  } else if (tag.is("WC@CUST")) {
    lists.customers = readList(session, kCustomerListKeys);
    tag.contents = codeDescriptionSelect("cust", tag.contents, lists.customers, search.customer,
                                         std::string::npos);
  } else if (tag.is("WC@BILLCUST")) {
    lists.customers = readList(session, kCustomerListKeys);
    tag.contents = billingCustomerSelect(tag.contents, lists.customers);
  } else if (tag.is("WC@DEST")) {
    lists.destinations = readList(session, kDestinationListKeys);
    tag.contents = codeDescriptionSelect("dest", tag.contents, lists.destinations,
                                         search.destination, kDestinationOptionLength);
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
  } else if (tag.is("WC@NUM")) {
    tag.contents = std::to_string(search.count);
  } else if (tag.is("WC@DEPFROM")) {
    tag.contents = htmlEscape(search.departureFrom);
  } else if (tag.is("WC@DEPTO")) {
    tag.contents = htmlEscape(search.departureTo);
  } else if (tag.is("WC@CHKBOX")) {
    tag.contents = stateBoxes(search, tag.contents);
  } else if (tag.is("WC@CHKBOX2")) {
    std::string html = "<input type='checkbox' name='chkOPENBALANCE' value='ON' ";
    if (vb::equalsIgnoreCase(search.openBalance, "ON")) html += "checked ";
    tag.contents = html + tag.contents + ">" + "Show only Trips with an Open Balance";
  } else if (tag.is("WC@TRIPREQNUM")) {
    tag.contents = numberInput("TRIPREQNUM", search.requestNumber, tag.contents);
  } else if (tag.is("WC@TRIPNUM")) {
    tag.contents = numberInput("TRIPNUM", search.tripNumber, tag.contents);
  } else if (tag.is("WC@FUNDHDR")) {
    tag.contents =
        "<b><input type='submit' value='Fund' name='btnSubmit' " + tag.contents + "></b>";
  } else if (tag.is("WC@FUND")) {
    if (!search.fund.empty())
      tag.contents = "<input name='fund' size='21' value='" + htmlEscape(search.fund) + "' " +
                     tag.contents + ">";
  } else if (tag.is("WC@TOTALBILLED")) {
    tag.contents = vb::Format(search.totalBilled, kMoney);
  } else if (tag.is("WC@AMOUNTDUE")) {
    tag.contents = vb::Format(search.totalDue, kMoney);
  } else if (tag.is("WC@SORTBY")) {
    tag.contents = sortLists(search, tag.contents);
  }
  // WC@CUSTHDR and unknown tags keep the template's text.
}

}  // namespace ravadid

#include "forms/drop_down_lists.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "forms/shared_lists.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/errors.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/store.h"
#include "frame/text.h"

namespace ravadid {
namespace {

using namespace schema;

// Destination descriptions are cut to this many characters in the select.
constexpr std::size_t kDestinationDescriptionLength = 30;

// A field as it goes into a list entry. A null adds nothing, as the runtime's text
// concatenation has it.
std::string entryText(const Value& value) {
  return value.isNull() || value.isEmpty() ? std::string() : vb::CStr(value);
}

// The code alone, or code, ", " and description.
std::string entryOf(const db::Recordset& rs, const char* codeField, const char* descriptionField) {
  std::string entry = entryText(rs.field(codeField));
  if (descriptionField) entry.append(", ").append(entryText(rs.field(descriptionField)));
  return entry;
}

// Counts are 16-bit: a query of more than 32,767 rows fails with "Overflow".
int16_t listCount(const db::Recordset& rs) {
  return vb::CInt(Value::number(static_cast<double>(rs.recordCount())));
}

void requireIndex(std::size_t available, int count) {
  if (count >= 0 && static_cast<std::size_t>(count) >= available)
    raise(vberr::kSubscriptOutOfRange, "Subscript out of range");
}

bool isTrue(std::string_view flag) {
  return vb::equalsIgnoreCase(flag, "True");
}

}  // namespace

// ---- Loading -------------------------------------------------------------------------------

WorkingList loadList(db::Connection& connection, std::string_view sql, const char* codeField,
                     const char* descriptionField) {
  db::Recordset rs;
  rs.open(sql, connection);
  int16_t count = listCount(rs);
  std::vector<std::string> entries;
  entries.reserve(static_cast<std::size_t>(std::max<int>(count, 0)) + 1);
  entries.emplace_back();
  for (; !rs.eof(); rs.moveNext()) entries.push_back(entryOf(rs, codeField, descriptionField));
  rs.close();
  return WorkingList{internList(std::move(entries)), count};
}

void runLoader(Ravadid& app, std::string_view name, const std::function<void()>& load) {
  app.run({.name = name}, [&] {
    if (app.noError()) load();
  });
}

// ---- List entries ---------------------------------------------------------------------------

SplitEntry splitAtFirstComma(std::string_view entry) {
  std::size_t comma = entry.find(',');
  if (comma == std::string_view::npos) return {};
  return {true, std::string(entry.substr(0, comma)), vb::Trim(entry.substr(comma + 1))};
}

std::string leftCharacters(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t characters = 0; end < text.size() && characters < count; ++characters) {
    ++end;
    // Continuation bytes of a UTF-8 sequence belong to the character before them.
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return std::string(text.substr(0, end));
}

// ---- The lists in the session ---------------------------------------------------------------

void storeList(Store& session, const SessionListKeys& keys, const WorkingList& list) {
  session.set(keys.count, Value::integer(list.count));
  session.set(keys.list, Value::list(list.loaded() ? list.entries : internList({""})));
}

WorkingList readList(const Store& session, const SessionListKeys& keys) {
  WorkingList list;
  list.count = vb::CInt(session.get(keys.count));
  Value entries = session.get(keys.list);
  list.entries = entries.isList() && entries.asList() ? entries.asList() : internList({""});
  requireIndex(list.entries->size(), list.count);
  return list;
}

void storeFundTable(Store& session, const FundTable& table) {
  session.set(kFundTableKeys.count, Value::integer(table.loaded() ? table.count : 0));
  session.set(kFundTableKeys.list, Value::list(table.loaded() ? table.cells : internList({})));
}

FundTable readFundTable(const Store& session) {
  FundTable table;
  table.count = vb::CInt(session.get(kFundTableKeys.count));
  Value cells = session.get(kFundTableKeys.list);
  table.cells = cells.isList() && cells.asList() ? cells.asList() : internList({});
  // Row 0 is empty whether stored or not; rows beyond it must be there.
  if (table.count > 0) requireIndex(table.cells->size() / 2, table.count);
  return table;
}

// ---- Loaders --------------------------------------------------------------------------------

void PopulateDD(Ravadid& app) {
  app.run({.name = "PopulateDD"}, [&] {
    PopulateGradeDD(app);
    PopulateCustDD(app);
    PopulateDestDD(app);
    PopulateCatDD(app);
    if (!app.noError()) return;
    app.lists.statuses = loadList(app.tripDb(),
                                  "Select TRIPREQSTATUS.* from TRIPREQSTATUS where "
                                  "TRIPREQSTATUS.Active = True ORDER BY TRIPREQSTATUS.DESCRIPTION",
                                  tripreqstatus::kStatus);
    app.lists.divisions = loadList(app.tripDb(),
                                   "SELECT Division.Division, Division.DESCRIPTION From Division "
                                   "WHERE (Division.ACTIVE=True) ORDER BY DIVISION.DESCRIPTION;",
                                   division::kDivision, division::kDescription);
  });
}

void PopulateGradeDD(Ravadid& app) {
  runLoader(app, "PopulateGradeDD", [&] {
    app.lists.grades = loadList(app.tripDb(), "Select GRADE.* from GRADE where GRADE.Active = True",
                                grade::kGrade);
  });
}

void PopulateCustDD(Ravadid& app) {
  runLoader(app, "PopulateCustDD", [&] {
    std::string own = vb::Trim(app.session().text("CUSTOMER"));
    if (own.empty()) {
      app.lists.customers =
          loadList(app.tripDb(),
                   "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID From CUSTOMER "
                   "WHERE (CUSTOMER.ACTIVE=True) order by CUSTOMER.custname;",
                   customer::kCustomer, customer::kCustname);
      return;
    }
    // A user bound to one customer sees only that customer.
    db::Recordset rs;
    rs.open(
        "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID From CUSTOMER "
        "WHERE trim$(ucase$(CUSTOMER.CUSTOMER))=" +
            sqlText(vb::UCase(own)) + ";",
        app.tripDb());
    int16_t count = listCount(rs);
    // Reading the first record fails when the user's customer is not in the table.
    std::string entry = entryOf(rs, customer::kCustomer, customer::kCustname);
    rs.close();
    // The list holds one customer even if more codes match after trimming; a count beyond it
    // would send the pages past the end of the list.
    app.lists.customers = WorkingList{internList({"", entry}), std::min<int16_t>(count, 1)};
  });
}

void PopulateDestDD(Ravadid& app) {
  runLoader(app, "PopulateDestDD", [&] {
    app.lists.destinations =
        loadList(app.tripDb(),
                 "SELECT DESTINATION.DESTINATION, DESTINATION.DESTDESC, DESTINATION.DESTADD1 From "
                 "Destination WHERE (DESTINATION.ACTIVE=True) order by DESTINATION.DESTDESC;",
                 destination::kDestination, destination::kDestdesc);
  });
}

void PopulateCatDD(Ravadid& app) {
  runLoader(app, "PopulateCatDD", [&] {
    app.lists.tripCategories = loadList(app.tripDb(),
                                        "Select TRIPCAT.* from TRIPCAT where TRIPCAT.Active = "
                                        "True order by TRIPCAT.DESCRIPTION",
                                        tripcat::kTripcat);
  });
}

void PopulateDESTCATDD(Ravadid& app) {
  runLoader(app, "PopulateDESTCATDD", [&] {
    app.lists.destinationCategories =
        loadList(app.tripDb(), "Select DESTCAT.* from DESTCAT where DESTCAT.Active = True",
                 destcat::kDestcat);
  });
}

void PopulateFundDD(Ravadid& app, std::string_view customerFilter) {
  app.run({.name = "PopulateFundDD"}, [&] {
    if (!app.databasePreamble()) return;
    std::string sql =
        customerFilter.empty()
            ? std::string("Select Fund.* from Fund where Fund.Active = True ORDER BY FUND.FUND")
            : "SELECT CUSTOMER_FUND.FUND, FUND.FUNDDESC FROM FUND INNER JOIN CUSTOMER_FUND ON "
              "FUND.FUND = CUSTOMER_FUND.FUND WHERE (Fund.Active = True) AND "
              "(CUSTOMER_FUND.CUSTOMER = " +
                  sqlText(customerFilter) + ") ORDER BY CUSTOMER_FUND.Fund";
    db::Recordset rs;
    rs.open(sql, app.tripDb());
    int16_t count = listCount(rs);
    std::vector<std::string> cells;
    cells.reserve(2 * (static_cast<std::size_t>(std::max<int>(count, 0)) + 1));
    cells.emplace_back();
    cells.emplace_back();
    for (; !rs.eof(); rs.moveNext()) {
      cells.push_back(entryText(rs.field(fund::kFund)));
      // A null description reads as one blank and so trims to empty.
      cells.push_back(vb::Trim(NullToSpace(rs.field(fund::kFunddesc))));
    }
    rs.close();
    app.lists.funds.cells = internList(std::move(cells));
    app.lists.funds.count = count;
    app.closeStep();
  });
}

// ---- Select builders ------------------------------------------------------------------------

std::string BuildDestinationDD(Ravadid& app, std::string_view attributes,
                               std::string_view destination, bool destinationIsNew) {
  std::string html;
  app.run({.name = "BuildDestinationDD", .closesConnections = false}, [&] {
    app.lists.destinations = readList(app.session(), kDestinationListKeys);
    const WorkingList& list = app.lists.destinations;
    // Codes are compared only when a known destination is to be selected.
    const bool matchCode = !destination.empty() && !destinationIsNew;
    std::string select = "<select name='dest' width='30' ";
    select.append(attributes).append(">");
    if (!destination.empty() && destinationIsNew)
      select.append("<option value='0' selected>")
          .append(htmlEscape(destination))
          .append("</option>");
    for (int i = 0; i <= list.count; ++i) {
      SplitEntry entry = splitAtFirstComma(list.entry(i));
      select.append("<option value='").append(htmlEscape(entry.code)).append("'");
      if (matchCode)
        select.append(vb::equalsIgnoreCase(entry.code, destination) ? " selected" : " ");
      select.append(">")
          .append(htmlEscape(leftCharacters(entry.description, kDestinationDescriptionLength)))
          .append("</option>");
    }
    select.append("</select>");
    html = std::move(select);
  });
  return html;
}

std::string BuildFundDD(Ravadid& app, std::string_view attributes, std::string_view fund) {
  std::string html;
  app.run({.name = "BuildFundDD", .closesConnections = false}, [&] {
    if (isTrue(app.application().text("DISTRICT.USECUSTFUND"))) {
      // The customer's funds, loaded for this request; without them no list is shown.
      if (!app.lists.funds.loaded()) return;
    } else {
      app.lists.funds = readFundTable(app.session());
    }
    const FundTable& table = app.lists.funds;
    const std::string wanted = vb::Trim(fund);
    std::string select = "<select name='fund' width='40' ";
    select.append(attributes).append(">");
    bool listed = wanted.empty();
    for (int row = 0; row <= table.count; ++row) {
      select.append("<option value='").append(htmlEscape(table.code(row))).append("'");
      if (vb::equalsIgnoreCase(vb::Trim(table.code(row)), wanted)) {
        select.append(" selected ");
        listed = true;
      }
      select.append(">").append(htmlEscape(table.description(row))).append("</option>");
    }
    // A request's fund that the list does not hold (one of another customer, chosen by a user
    // who may override, or one no longer active) stays chosen, so that saving the form keeps it.
    if (!listed) {
      const std::string code = htmlEscape(wanted);
      select.append("<option value='").append(code).append("' selected >").append(code);
      select.append("</option>");
    }
    select.append("</select>");
    html = std::move(select);
  });
  return html;
}

}  // namespace ravadid

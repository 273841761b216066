#include "lookup/lookup_fund_page.h"

#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "request/request_detail_page.h"
#include "search/trip_search_page.h"

namespace ravadid {
namespace {

bool isTrue(std::string_view text) {
  return vb::equalsIgnoreCase(text, "True");
}

std::string searchResults(db::Recordset& rows) {
  std::string html =
      "<table width='737' border='1'><thead><tr><td><b>Selected</b></td><td><b>Fund</b></td>"
      "<td><b>Description</b></td></tr></thead><tbody>";
  const int code = rows.fieldIndex("Fund");
  const int description = rows.fieldIndex("FUNDDESC");
  for (; !rows.eof(); rows.moveNext()) {
    html += "<tr><td><input type='radio' name='SelFund' value='";
    appendFieldText(html, rows.fieldValue(code));
    html += "'></td><td>";
    appendFieldText(html, rows.fieldValue(code));
    html += "</td><td>";
    appendFieldText(html, rows.fieldValue(description));
    html += "</td></tr>";
  }
  html.append("</tbody></table>").append(kReturnParagraph).append("</td></tr>");
  return html;
}

}  // namespace

void LookupFundPage::onEvent(Ravadid& app, const std::string& event) const {
  if (vb::equalsIgnoreCase(event, "FindFunds")) {
    LookupFund_FindFunds(app, *this);
  } else {
    LookupFund_RetwSelected(app);
  }
}

void LookupFundPage::userEvent(Ravadid& app, const std::string& event) const {
  LookupState state;
  state.eventName = event;
  writePage(app, state);
}

void LookupFundPage::processLookupTag(Ravadid& app, const LookupState& state, TagEvent& tag) const {
  if (tag.is("WC@FUND")) {
    tag.contents = htmlEscape(state.eventName);
    return;
  }
  LookupPage::processLookupTag(app, state, tag);
}

std::string fundSearchStatement(Ravadid& app, const std::string& fund,
                                const std::string& description) {
  std::string conditions;
  auto add = [&](const std::string& condition) {
    if (!conditions.empty()) conditions += " AND";
    conditions += condition;
  };
  if (!fund.empty()) add(beginsWithCondition("ucase$(FUND.FUND)", vb::UCase(fund)));
  // The description is matched as typed; like ignores letter case anyway.
  if (!description.empty()) add(beginsWithCondition("FUND.FUNDDESC", description));

  const Store& session = app.session();
  const bool customerFunds = isTrue(app.application().text("DISTRICT.USECUSTFUND")) &&
                             vb::equalsIgnoreCase(session.text("CANOVERRIDEFUND"), "False");
  if (customerFunds) {
    const std::string customer = session.text("RequestDetail.customer");
    if (customer.empty()) {
      app.errorText() = "Please select a customer first.";
      return {};
    }
    add(" CUSTOMER_FUND.CUSTOMER=" + sqlText(customer) + " AND FUND.ACTIVE = TRUE");
    return "SELECT FUND.* FROM FUND INNER JOIN CUSTOMER_FUND ON FUND.FUND = CUSTOMER_FUND.FUND "
           "WHERE" +
           conditions + " ORDER BY FUND.FUND";
  }
  if (conditions.empty()) {
    app.errorText() =
        "Sorry, you need to either enter a fund number or a description before searching for "
        "funds.  Please use your browser's back button and try again.";
    return {};
  }
  add(" FUND.ACTIVE = TRUE");
  return "SELECT FUND.* FROM FUND WHERE" + conditions + " ORDER BY FUND.FUND";
}

void LookupFund_FindFunds(Ravadid& app, const LookupPage& page) {
  runLookupEvent(app, "LookupFund_FindFunds", [&] {
    if (!app.sessionCheck()) return;
    const std::string sql =
        fundSearchStatement(app, vb::Trim(app.form("FUND")), vb::Trim(app.form("DESC")));
    if (sql.empty()) {
      backToLookup(app, page.name());
      return;
    }
    if (!app.databasePreamble()) return;
    db::Recordset rows;
    rows.open(sql, app.tripDb(), db::CursorType::Static, db::LockType::ReadOnly);
    if (refuseTooManyRows(app, rows, page.name())) return;
    LookupState state;
    state.results = searchResults(rows);
    rows.close();
    app.closeStep();
    page.writePage(app, state);
  });
}

void LookupFund_RetwSelected(Ravadid& app) {
  runLookupEvent(app, "LookupFund_RetwSelected", [&] {
    if (!app.sessionCheck()) return;
    Store& session = app.session();
    const std::string chosen = app.form("SelFund");
    session.set("RequestDetail.fund", chosen);
    if (vb::equalsIgnoreCase(session.text("SELTRIP"), "Y")) {
      session.set("SELTRIP", "");
      TripSearch_FromFundLookup(app, chosen);
    } else if (app.noError()) {
      RequestDetail_UserEvent(app, session.text("TripReq"));
    }
  });
}

}  // namespace ravadid

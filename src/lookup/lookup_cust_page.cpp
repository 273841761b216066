#include "lookup/lookup_cust_page.h"

#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "request/request_detail_page.h"

namespace ravadid {

void LookupCustPage::onEvent(Ravadid& app, const std::string& event) const {
  if (vb::equalsIgnoreCase(event, "FindCusts")) {
    LookupCust_FindCusts(app, *this);
  } else {
    LookupCust_RetwSelected(app);
  }
}

void LookupCust_FindCusts(Ravadid& app, const LookupPage& page) {
  runLookupEvent(app, "LookupCust_FindCusts", [&] {
    if (!app.sessionCheck()) return;
    std::string sql = "SELECT CUSTOMER.* FROM CUSTOMER";
    const std::string name = vb::Trim(app.form("CUSTDESC"));
    if (!name.empty())
      sql += " WHERE" + beginsWithCondition("ucase$(Customer.CUSTNAME)", vb::UCase(name));
    sql += " ORDER BY Customer.CUSTNAME";
    if (!app.databasePreamble()) return;
    db::Recordset rows;
    rows.open(sql, app.tripDb(), db::CursorType::Static, db::LockType::ReadOnly);
    if (refuseTooManyRows(app, rows, page.name())) return;

    LookupState state;
    std::string& html = state.results;
    html =
        "<table border='1' width='714'><thead><tr><td width='58'><b>Selected</b></td>"
        "<td width='140'><b>Customer Name</b></td><td width='88'><b>Customer</b></td>"
        "</tr></thead><tbody>";
    const int code = rows.fieldIndex("CUSTOMER");
    const int custname = rows.fieldIndex("custname");
    for (; !rows.eof(); rows.moveNext()) {
      html += "<tr><td><input type='radio' name='SelCust' value='";
      appendFieldText(html, rows.fieldValue(code));
      html += "'></td><td>";
      appendFieldText(html, rows.fieldValue(custname));
      html += "</td><td>";
      appendFieldText(html, rows.fieldValue(code));
      html += "</td></tr>";
    }
    html.append("</tbody></table>").append(kReturnParagraph).append("</td></tr>");
    rows.close();
    app.closeStep();
    page.writePage(app, state);
  });
}

void LookupCust_RetwSelected(Ravadid& app) {
  runLookupEvent(app, "LookupCust_RetwSelected", [&] {
    if (!app.sessionCheck()) return;
    Store& session = app.session();
    const std::string chosen = app.form("SelCust");
    if (!chosen.empty()) {
      session.set("RequestDetail.customer", chosen);
      if (session.text("TripReq").empty()) app.write("Session Timed Out, please try again.");
    }
    if (app.noError()) RequestDetail_UserEvent(app, session.text("TripReq"));
  });
}

}  // namespace ravadid

#include "request/request_detail_page.h"

#include <functional>
#include <string>
#include <string_view>

#include "approval/approval_chain.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/errors.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "request/request_form_common.h"
#include "request/request_records.h"

namespace ravadid {
namespace {

// The form's session copy, emptied in this order when the user leaves the form.
constexpr const char* kFormSessionKeys[] = {"RequestDetail.New",
                                            "RequestDetail.inttripnum",
                                            "TRIPREQ",
                                            "RequestDetail.requestoremail",
                                            "RequestDetail.contact",
                                            "RequestDetail.destination",
                                            "RequestDetail.fund",
                                            "RequestDetail.dep_month",
                                            "RequestDetail.dep_date",
                                            "RequestDetail.dep_year",
                                            "RequestDetail.ret_month",
                                            "RequestDetail.ret_date",
                                            "RequestDetail.ret_year",
                                            "RequestDetail.dep_hour",
                                            "RequestDetail.dep_min",
                                            "RequestDetail.dep_ampm",
                                            "RequestDetail.arrive_hour",
                                            "RequestDetail.arrive_min",
                                            "RequestDetail.arrive_ampm",
                                            "RequestDetail.leave_hour",
                                            "RequestDetail.leave_min",
                                            "RequestDetail.leave_ampm",
                                            "RequestDetail.ret_hour",
                                            "RequestDetail.ret_min",
                                            "RequestDetail.ret_ampm",
                                            "RequestDetail.numadults",
                                            "RequestDetail.numstudents",
                                            "RequestDetail.numhand",
                                            "RequestDetail.esttime",
                                            "RequestDetail.estmile",
                                            "RequestDetail.purpose",
                                            "RequestDetail.custspec",
                                            "RequestDetail.destspec",
                                            "RequestDetail.tripcom",
                                            "RequestDetail.po",
                                            "RequestDetail.inttripnum",
                                            "RequestDetail.tripcat",
                                            "RequestDetail.grade"};

bool isTrue(std::string_view text) {
  return vb::equalsIgnoreCase(text, "True");
}

// The user's authority over the request, then its row, opened for the template. False when the
// authority could not be asked (the request error text holds the report) or when the request is
// another customer's (the answer says so).
bool openRequest(Ravadid& app, const std::string& number, std::string_view select) {
  // Converted before anything is asked: a number with letters fails here with "Type mismatch".
  const int32_t tripNumber = vb::CLng(Value(number));
  app.blnEditable = false;
  app.blnApprover = false;
  const Authority authority =
      HasAuthority(app, tripNumber, app.session().text("ROLE"), "", app.session().text("Customer"));
  if (!app.noError() || authority.failed) return false;
  takeAuthority(app, authority);
  app.tripRequest.open(std::string(select) + std::to_string(tripNumber) + ")", app.tripschlDb());
  if (!app.tripRequest.eof() &&
      !MaySeeRequestOf(app, app.tripRequest.field(schema::tripsreq::kCustomer))) {
    app.blnEditable = false;
    app.blnApprover = false;
    app.write(kNotYoursMessage);
    return false;
  }
  return true;
}

// Closes the request record and the connections the event opened.
void closeRequest(Ravadid& app) {
  if (app.tripRequest.isOpen()) app.tripRequest.close();
  app.tripRequest = db::Recordset();
  app.closeStep();
}

// The error trap of the two entries into the form. An "object not set" error that follows an
// earlier error is dropped, so that the first error is the one reported.
void runFormEvent(Ravadid& app, std::string_view procedure, bool dropsLateObjectErrors,
                  const std::function<void()>& body) {
  app.run({.name = procedure}, [&] {
    try {
      body();
    } catch (const VbError& e) {
      if (!dropsLateObjectErrors || e.number() != vberr::kObjectNotSet || app.noError()) throw;
      closeRequest(app);
    }
  });
  if (app.tripRequest.isOpen()) app.tripRequest.close();
}

}  // namespace

void RequestDetailPage::respond(Ravadid& app) const {
  RequestDetail_Respond(app);
}

void RequestDetailPage::processTag(Ravadid& app, TagEvent& tag) const {
  RequestDetail_ProcessTag(app, tag);
}

void RequestDetailPage::onEvent(Ravadid& app, const std::string&) const {
  RequestDetail_TripRequestDetail(app);
}

void RequestDetailPage::userEvent(Ravadid& app, const std::string& event) const {
  RequestDetail_UserEvent(app, event);
}

void RequestDetail_Respond(Ravadid& app) {
  runFormEvent(app, "RequestDetail_Respond", false, [&] {
    if (!app.sessionCheck()) return;
    Store& session = app.session();
    if (isTrue(session.text("LoadRequestDetailFromSession")) || app.blnCopying)
      app.blnEditable = true;
    if (!app.databasePreamble()) return;
    app.tripRequest = db::Recordset();
    // A new request or a copy reads no record.
    if (vb::equalsIgnoreCase(session.text("RequestDetail.New"), "EXISTING") &&
        !openRequest(app, session.text("TRIPREQ"),
                     "SELECT TRIPSREQ.* FROM TRIPSREQ WHERE TRIPNUM = CLNG(")) {
      closeRequest(app);
      return;
    }
    app.writeTemplate("RequestDetail");
    closeRequest(app);
  });
}

void RequestDetail_UserEvent(Ravadid& app, const std::string& event) {
  runFormEvent(app, "RequestDetail_UserEvent", true, [&] {
    if (!app.sessionCheck()) return;
    Store& session = app.session();
    if (isTrue(session.text("LoadRequestDetailFromSession"))) app.blnEditable = true;
    if (!app.databasePreamble()) return;
    app.tripRequest = db::Recordset();
    if (!event.empty()) {
      session.set("TRIPREQ", event);
      // A request opened by its number is a saved one, whatever new form was left before.
      if (vb::equalsIgnoreCase(session.text("RequestDetail.New"), "NEW"))
        session.set("RequestDetail.New", "EXISTING");
      if (!openRequest(app, event, "SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = clng(")) {
        closeRequest(app);
        return;
      }
      // The stored customer wins over one chosen on the customer lookup.
      const Value customer = app.tripRequest.eof() ? Value() : app.tripRequest.field("CUSTOMER");
      session.set("RequestDetail.Customer", customer.isNull() || customer.isEmpty()
                                                ? std::string()
                                                : vb::Trim(vb::CStr(customer)));
    }
    app.writeTemplate("RequestDetail");
    closeRequest(app);
  });
}

void ClearRequestDetailSession(Ravadid& app) {
  Store& session = app.session();
  for (const char* key : kFormSessionKeys) session.set(key, "");
}

}  // namespace ravadid

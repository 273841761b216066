#include "approval/schedule_trip_page.h"

#include <string>

#include "approval/assignment_section.h"
#include "approval/trip_scheduling.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"
#include "signin/district_tags.h"

namespace ravadid {
namespace {

namespace tripsreq = schema::tripsreq;

std::string requestFormUrl(const Ravadid& app, int32_t requestNumber) {
  return app.urlFor("RequestDetail", std::to_string(requestNumber));
}

// A refusal: the message, with its way back to the request form.
void refuse(Ravadid& app, const std::string& message, int32_t requestNumber) {
  app.write(message);
  app.backTo(requestNumber > 0 ? requestFormUrl(app, requestNumber) : app.urlFor("RequestSearch"));
}

std::string recordText(Ravadid& app, const char* column) {
  return vb::Trim(NullToSpace(app.tripRequest.field(column)));
}

}  // namespace

void ScheduleTripPage::processTag(Ravadid& app, TagEvent& tag) const {
  if (replaceDistrictTag(app, tag)) return;
  if (tag.is("WC@TRIPNUM")) {
    tag.contents = htmlEscape(recordText(app, tripsreq::kTripnum));
  } else if (tag.is("WC@CUSTOMER")) {
    tag.contents = htmlEscape(recordText(app, tripsreq::kCustomer));
  } else if (tag.is("WC@ASSIGNMENT")) {
    tag.contents.clear();
    BuildAssignmentSection(app);
  } else if (tag.is("WC@BACK")) {
    tag.contents =
        htmlEscape(requestFormUrl(app, vb::CLng(app.tripRequest.field(tripsreq::kTripnum))));
  }
}

void ScheduleTripPage::onEvent(Ravadid& app, const std::string&) const {
  ScheduleTrip_Schedule(app);
}

void ScheduleTripPage::userEvent(Ravadid& app, const std::string& event) const {
  ScheduleTrip_UserEvent(app, event);
}

void ScheduleTrip_UserEvent(Ravadid& app, const std::string& event) {
  app.run({.name = "ScheduleTrip_UserEvent"}, [&] {
    if (!app.sessionCheck()) return;
    const int32_t number = vb::CLng(Value(event));
    if (!holdsTransportRole(app)) return refuse(app, kNotTransportMessage, number);
    if (!app.databasePreamble()) return;
    app.tripRequest.open(
        "SELECT TRIPSREQ.* FROM TRIPSREQ WHERE TRIPNUM = " + std::to_string(number),
        app.tripschlDb());
    std::string refusal = app.tripRequest.eof()
                              ? notFoundMessage(number)
                              : schedulingRefusal(app.tripRequest.field(tripsreq::kStatus),
                                                  app.tripRequest.field(tripsreq::kFieldtripNum));
    if (refusal.empty())
      app.writeTemplate("ScheduleTrip");
    else
      refuse(app, refusal, app.tripRequest.eof() ? 0 : number);
    app.tripRequest.close();
    app.closeStep();
  });
  if (app.tripRequest.isOpen()) app.tripRequest.close();
}

void ScheduleTrip_Schedule(Ravadid& app) {
  app.run({.name = "ScheduleTrip_Schedule"}, [&] {
    if (!app.sessionCheck()) return;
    const int32_t number = vb::CLng(Value(vb::Trim(app.form("tripnum"))));
    if (!holdsTransportRole(app)) return refuse(app, kNotTransportMessage, number);
    if (!app.databasePreamble()) return;
    const ScheduleOutcome outcome = ScheduleRequestAsTrip(app, number, readPostedAssignment(app));
    app.closeStep();
    if (!app.noError()) return;
    if (!outcome.refusal.empty()) return refuse(app, outcome.refusal, number);
    // The form is shown by its own address, so that reloading it posts nothing again.
    app.exchange().redirect(requestFormUrl(app, number));
  });
}

}  // namespace ravadid

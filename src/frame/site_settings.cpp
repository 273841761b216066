#include "frame/site_settings.h"

#include <string>
#include <utility>
#include <vector>

#include "frame/application.h"
#include "frame/configuration.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"

namespace ravadid {
namespace {

using namespace schema;

// The required-field keys (after "TRIP_REQ_REQUIRED.") and the column each is read from; the
// first three keys are shorter than their columns.
constexpr std::pair<const char*, const char*> kRequiredFields[] = {
    {"REQUEST_DATE_REQ", tripreq_required::kRequestDateRequired},
    {"FUND_REQ", tripreq_required::kFundRequired},
    {"CUSTOMER_REQ", tripreq_required::kCustomerRequired},
    {tripreq_required::kContactReq, tripreq_required::kContactReq},
    {tripreq_required::kDestinationReq, tripreq_required::kDestinationReq},
    {tripreq_required::kDepdateReq, tripreq_required::kDepdateReq},
    {tripreq_required::kDeptimeReq, tripreq_required::kDeptimeReq},
    {tripreq_required::kRetdateReq, tripreq_required::kRetdateReq},
    {tripreq_required::kRettimeReq, tripreq_required::kRettimeReq},
    {tripreq_required::kArrivetimeReq, tripreq_required::kArrivetimeReq},
    {tripreq_required::kLeavetimeReq, tripreq_required::kLeavetimeReq},
    {tripreq_required::kEstmileReq, tripreq_required::kEstmileReq},
    {tripreq_required::kEsttimeReq, tripreq_required::kEsttimeReq},
    {tripreq_required::kNumstudentsReq, tripreq_required::kNumstudentsReq},
    {tripreq_required::kNumadultsReq, tripreq_required::kNumadultsReq},
    {tripreq_required::kNumwheelReq, tripreq_required::kNumwheelReq},
    {tripreq_required::kPurposeReq, tripreq_required::kPurposeReq},
    {tripreq_required::kDestspecReq, tripreq_required::kDestspecReq},
    {tripreq_required::kCustspecReq, tripreq_required::kCustspecReq},
    {tripreq_required::kTripcomReq, tripreq_required::kTripcomReq},
    {tripreq_required::kPoReq, tripreq_required::kPoReq},
    {tripreq_required::kTripcatReq, tripreq_required::kTripcatReq},
    {tripreq_required::kInttripnumReq, tripreq_required::kInttripnumReq},
    {tripreq_required::kGradeReq, tripreq_required::kGradeReq},
    {tripreq_required::kInvoiceCommentReq, tripreq_required::kInvoiceCommentReq},
};

// One start request's settings, published together when the load ends.
struct Settings {
  std::vector<std::pair<std::string, Value>> items;
  void set(std::string key, Value value) { items.emplace_back(std::move(key), std::move(value)); }
};

void storeConfiguration(Ravadid& app, Settings& a) {
  a.set("SESSION_TIMEOUT", Value::integer(getSessionTimeOut(app)));
  a.set("PageSize", Value::integer(20));
  a.set("DOTNET_INSTALLED", Value::boolean(getDOTNETInstalled(app)));
  a.set("CALENDAR_URL", getCalendarUrl(app));
  a.set("INQUIRY_URL", getInquiryUrl(app));
  a.set("SmtpServer", getSmtpServer(app));
  a.set("SmtpPort", getSmtpPort(app));
  bool authentication = getSmtpAuthentication(app);
  a.set("SmtpAuthentication", Value::boolean(authentication));
  a.set("SmtpUsername", authentication ? getSmtpUsername(app) : "");
  a.set("SmtpPassword", authentication ? getSmtpPassword(app) : "");
  a.set("EmailFromAddress", getEmailFromAddress(app));
  a.set("EmailFromName", getEmailFromName(app));
}

void storeDistrict(Ravadid& app, Settings& a) {
  db::Recordset rs;
  rs.open("select * from District", app.tripDb());
  if (rs.eof()) {
    for (const char* key :
         {"DISTNAME", "DISTADDR1", "DISTPHONE", "DISTCITYSTZIP", "TRANSTITLE", "DISTRICT.FUND_DD",
          "DISTRICT.DEPDT_LEADTIME_HARDWARN", "DISTRICT.USECUSTFUND",
          "DISTRICT.TOTAL_TRIPS_LIMIT_MESSAGE", "DISTRICT.TOTAL_TRIPS_HARDWARN"})
      a.set(key, "");
    // DEFAULTVTYPE keeps whatever an earlier start stored.
    a.set("DEFAULT_CALCNUMDRIVER", Value::boolean(true));
    a.set("AUTOFILL_REQUESTS", Value::boolean(true));
    a.set("AUTOFILL_TRIPS", Value::boolean(true));
    a.set("VIEW_OTHER_SCHOOLS", Value::boolean(false));
    a.set("DISTRICT.DEPDT_LEADTIME", Value::integer(0));
    a.set("DISTRICT.TOTAL_TRIPS_LIMIT", Value::integer(0));
  } else {
    rs.moveFirst();
    auto text = [&](const char* column) { return NullToSpace(rs.field(column)); };
    a.set("DISTNAME", text(district::kDistname));
    a.set("DISTADDR1", text(district::kDistaddr1));
    a.set("DISTPHONE", text(district::kDistphone));
    a.set("DISTCITYSTZIP", text(district::kDistcity) + ", " + text(district::kDiststate) + "  " +
                               text(district::kDistzip));
    a.set("DEFAULT_CALCNUMDRIVER", text(district::kDefaultCalcnumdriver));
    a.set("DEFAULTVTYPE", text(district::kDefaultvtype));
    a.set("TRANSTITLE", text(district::kTranstitle));
    a.set("AUTOFILL_REQUESTS", text(district::kAutofillRequests));
    a.set("AUTOFILL_TRIPS", text(district::kAutofill));
    a.set("VIEW_OTHER_SCHOOLS", text(district::kViewOtherSchools));
    a.set("DISTRICT.FUND_DD", text(district::kFundDd));
    a.set("DISTRICT.DEPDT_LEADTIME", Value::whole(NullToLong(rs.field(district::kDepdtLeadtime))));
    a.set("DISTRICT.DEPDT_LEADTIME_HARDWARN", text(district::kDepdtLeadtimeHardwarn));
    a.set("DISTRICT.USECUSTFUND", text(district::kUsecustfund));
    a.set("DISTRICT.TOTAL_TRIPS_LIMIT",
          Value::whole(NullToLong(rs.field(district::kTotalTripsLimit))));
    a.set("DISTRICT.TOTAL_TRIPS_LIMIT_MESSAGE", text(district::kTotalTripsLimitMessage));
    a.set("DISTRICT.TOTAL_TRIPS_HARDWARN", text(district::kTotalTripsHardwarn));
  }
  rs.close();
}

void storeRequiredFields(Ravadid& app, Settings& a) {
  db::Recordset rs;
  rs.open("SELECT * FROM TRIPREQ_REQUIRED", app.tripDb());
  bool hasRow = !rs.eof();
  if (hasRow) rs.moveFirst();
  for (auto [key, column] : kRequiredFields) {
    a.set(std::string("TRIP_REQ_REQUIRED.") + key,
          hasRow ? NullToSpace(rs.field(column)) : std::string());
  }
  rs.close();
}

void storeFixedTexts(Settings& a) {
  a.set("WEBTITLE", "P.L.X. FIELD TRIPS");
  a.set("WEBLINK1", "Brantwell Datacraft, Inc");
  a.set("WEBLINKURL1", "https://www.example.com/");
  for (const char* key : {"WEBLINK2", "WEBLINKURL2", "WEBCOMMENT1", "WEBCOMMENT2"}) a.set(key, "");
}

}  // namespace

void WebClass_Start(Ravadid& app) {
  // The settings are gathered apart and published at the end, so that the pages of other
  // requests never see them half loaded (or the district name blank while loading).
  Settings staged;
  app.run({.name = "WebClass_Start"}, [&] {
    std::string physicalPath = app.exchange().serverVariable("APPL_PHYSICAL_PATH");
    if (app.worker().applicationFolder.empty()) app.worker().applicationFolder = physicalPath;
    staged.set("APP_PATH", physicalPath);
    if (app.databasePreamble()) {
      storeConfiguration(app, staged);
      storeDistrict(app, staged);
      storeRequiredFields(app, staged);
      storeFixedTexts(staged);
      app.closeStep();
    }
    app.setNextItem("Login");
  });
  // After a failure the settings read before it are published; the later ones keep their values.
  app.publishSettings(std::move(staged.items));
}

}  // namespace ravadid

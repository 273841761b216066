#include "frame/site_settings.h"

#include "frame/application.h"
#include "frame/configuration.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"

namespace ravadid {
namespace {

// The required-field keys and the TRIPREQ_REQUIRED column each is read from.
constexpr std::pair<const char*, const char*> kRequiredFields[] = {
    {"REQUEST_DATE_REQ", "REQUEST_DATE_REQUIRED"},
    {"FUND_REQ", "FUND_REQUIRED"},
    {"CUSTOMER_REQ", "CUSTOMER_REQUIRED"},
    {"CONTACT_REQ", "CONTACT_REQ"},
    {"DESTINATION_REQ", "DESTINATION_REQ"},
    {"DEPDATE_REQ", "DEPDATE_REQ"},
    {"DEPTIME_REQ", "DEPTIME_REQ"},
    {"RETDATE_REQ", "RETDATE_REQ"},
    {"RETTIME_REQ", "RETTIME_REQ"},
    {"ARRIVETIME_REQ", "ARRIVETIME_REQ"},
    {"LEAVETIME_REQ", "LEAVETIME_REQ"},
    {"ESTMILE_REQ", "ESTMILE_REQ"},
    {"ESTTIME_REQ", "ESTTIME_REQ"},
    {"NUMSTUDENTS_REQ", "NUMSTUDENTS_REQ"},
    {"NUMADULTS_REQ", "NUMADULTS_REQ"},
    {"NUMWHEEL_REQ", "NUMWHEEL_REQ"},
    {"PURPOSE_REQ", "PURPOSE_REQ"},
    {"DESTSPEC_REQ", "DESTSPEC_REQ"},
    {"CUSTSPEC_REQ", "CUSTSPEC_REQ"},
    {"TRIPCOM_REQ", "TRIPCOM_REQ"},
    {"PO_REQ", "PO_REQ"},
    {"TRIPCAT_REQ", "TRIPCAT_REQ"},
    {"INTTRIPNUM_REQ", "INTTRIPNUM_REQ"},
    {"GRADE_REQ", "GRADE_REQ"},
    {"INVOICE_COMMENT_REQ", "INVOICE_COMMENT_REQ"},
};

void storeConfiguration(Ravadid& app) {
  Store& a = app.application();
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

void storeDistrict(Ravadid& app) {
  Store& a = app.application();
  db::Recordset rs;
  rs.open("select * from District", app.tripDb());
  if (rs.eof()) {
    for (const char* key : {"DISTNAME", "DISTADDR1", "DISTPHONE", "DISTCITYSTZIP", "TRANSTITLE",
                            "DISTRICT.FUND_DD", "DISTRICT.DEPDT_LEADTIME_HARDWARN",
                            "DISTRICT.USECUSTFUND", "DISTRICT.TOTAL_TRIPS_LIMIT_MESSAGE",
                            "DISTRICT.TOTAL_TRIPS_HARDWARN"})
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
    a.set("DISTNAME", text("DISTNAME"));
    a.set("DISTADDR1", text("DISTADDR1"));
    a.set("DISTPHONE", text("DISTPHONE"));
    a.set("DISTCITYSTZIP", text("DISTCITY") + ", " + text("DISTSTATE") + "  " + text("DISTZIP"));
    a.set("DEFAULT_CALCNUMDRIVER", text("DEFAULT_CALCNUMDRIVER"));
    a.set("DEFAULTVTYPE", text("DEFAULTVTYPE"));
    a.set("TRANSTITLE", text("TRANSTITLE"));
    a.set("AUTOFILL_REQUESTS", text("autofill_requests"));
    a.set("AUTOFILL_TRIPS", text("AUTOFILL"));
    a.set("VIEW_OTHER_SCHOOLS", text("VIEW_OTHER_SCHOOLS"));
    a.set("DISTRICT.FUND_DD", text("FUND_DD"));
    a.set("DISTRICT.DEPDT_LEADTIME", Value::whole(NullToLong(rs.field("DEPDT_LEADTIME"))));
    a.set("DISTRICT.DEPDT_LEADTIME_HARDWARN", text("DEPDT_LEADTIME_HARDWARN"));
    a.set("DISTRICT.USECUSTFUND", text("USECUSTFUND"));
    a.set("DISTRICT.TOTAL_TRIPS_LIMIT", Value::whole(NullToLong(rs.field("TOTAL_TRIPS_LIMIT"))));
    a.set("DISTRICT.TOTAL_TRIPS_LIMIT_MESSAGE", text("TOTAL_TRIPS_LIMIT_MESSAGE"));
    a.set("DISTRICT.TOTAL_TRIPS_HARDWARN", text("TOTAL_TRIPS_HARDWARN"));
  }
  rs.close();
}

void storeRequiredFields(Ravadid& app) {
  Store& a = app.application();
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

void storeFixedTexts(Store& a) {
  a.set("WEBTITLE", "P.L.X. FIELD TRIPS");
  a.set("WEBLINK1", "Brantwell Datacraft, Inc");
  a.set("WEBLINKURL1", "https://www.example.com/");
  for (const char* key : {"WEBLINK2", "WEBLINKURL2", "WEBCOMMENT1", "WEBCOMMENT2"}) a.set(key, "");
}

}  // namespace

void WebClass_Start(Ravadid& app) {
  app.run({.name = "WebClass_Start"}, [&] {
    Store& a = app.application();
    // Emptied first so that the load below runs on every start request.
    a.set("DISTNAME", "");
    std::string physicalPath = app.exchange().serverVariable("APPL_PHYSICAL_PATH");
    if (app.worker().applicationFolder.empty()) app.worker().applicationFolder = physicalPath;
    a.set("APP_PATH", physicalPath);
    if (app.databasePreamble()) {
      storeConfiguration(app);
      storeDistrict(app);
      storeRequiredFields(app);
      storeFixedTexts(a);
      app.closeStep();
    }
    app.setNextItem("Login");
  });
}

}  // namespace ravadid

#include "signin/login_page.h"

#include <string_view>

#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"
#include "signin/district_tags.h"

namespace ravadid {
namespace {

using namespace schema;

constexpr std::string_view kInvalidUserId =
    "Sorry, invalid user id.  Use your browser's back button and please try again.";
constexpr std::string_view kInvalidPassword =
    "Sorry, invalid password.  Use your browser's back button and please try again.";
constexpr std::string_view kWorkWithRequests = "Work With Trip Requests";
constexpr std::string_view kNewRequest = "Enter a New Trip Request";

bool isTrue(std::string_view flag) {
  return vb::equalsIgnoreCase(flag, "True");
}

// A right held as text: on when it reads "True", whatever the case and surrounding blanks.
std::string rightOf(const db::Recordset& user, const char* column) {
  return isTrue(vb::Trim(NullToSpace(user.field(column)))) ? "True" : "False";
}

// Who is signed in and what they may do, as a session without a user holds it.
void signOut(Store& session) {
  session.set("USER", "");
  session.set("CUSTOMER", "");
  session.set("ROLE", "");
  session.set("CANOVERRIDEFUND", "False");
  session.set("CANOVERRIDEDEPARTUREDATE", "False");
}

// Whatever the outcome of the post, the previous user of this session is signed out.
void resetSession(Store& session) {
  session.set("LoadRequestDetailFromSession", "False");
  session.set("Funds", "");
  session.set("numFunds", "0");
  signOut(session);
  session.set("numCustomers", Value::integer(0));
  session.set("CustomersDD", "");
  session.set("numDestinations", Value::integer(0));
  session.set("Destinations", "");
}

void storeDistrictComment(Ravadid& app) {
  db::Recordset district;
  district.open("select * from District", app.tripDb());
  app.session().set(
      "TRIPREQ_COMMENT",
      district.eof() ? std::string() : NullToSpace(district.field(district::kTripreqComment)));
  district.close();
}

void storeMailSwitches(Ravadid& app) {
  db::Recordset options;
  options.open("SELECT REQ_TREKKO_CHANGE, ADM_TREKKO_CHANGE, APP_TREKKO_CHANGE FROM EMAIL_OPTIONS",
               app.tripDb());
  bool hasRow = !options.eof();
  auto text = [&](const char* column) {
    return hasRow ? NullToSpace(options.field(column)) : std::string();
  };
  app.session().set("EMAIL_OPTIONS.REQ_TREKKO_CHANGE", text(email_options::kReqTrekkoChange));
  app.session().set("EMAIL_OPTIONS.APP_TREKKO_CHANGE", text(email_options::kAppTrekkoChange));
  options.close();
}

// Loads every drop-down list and keeps it in the session. False when a loader failed.
bool storeLists(Ravadid& app) {
  Store& session = app.session();
  PopulateDD(app);
  if (!app.noError()) return false;
  const WorkingLists& lists = app.lists;
  storeList(session, kCustomerListKeys, lists.customers);
  storeList(session, kDestinationListKeys, lists.destinations);
  storeList(session, kTripCategoryListKeys, lists.tripCategories);
  storeList(session, kStatusListKeys, lists.statuses);
  storeList(session, kDivisionListKeys, lists.divisions);
  storeList(session, kGradeListKeys, lists.grades);

  PopulateDESTCATDD(app);
  if (!app.noError()) return false;
  storeList(session, kDestinationCategoryListKeys, lists.destinationCategories);

  // All funds are offered from the session only when the site chooses funds from a list and
  // does not limit them to the customer's funds; otherwise the form loads them itself.
  const Store& settings = app.application();
  if (isTrue(settings.text("DISTRICT.FUND_DD")) && !isTrue(settings.text("DISTRICT.USECUSTFUND"))) {
    PopulateFundDD(app, "");
    if (!app.noError()) return false;
  }
  storeFundTable(session, lists.funds);
  return true;
}

void openStartChoice(Ravadid& app) {
  std::string choice = app.form("btnsubmit");
  if (vb::equalsIgnoreCase(choice, kWorkWithRequests)) {
    app.setNextItem("RequestSearch");
  } else if (vb::equalsIgnoreCase(choice, kNewRequest)) {
    app.SetNewVars();
    app.setNextItem("RequestDetail");
  }
  // Any other button names no page, and the response stays empty.
}

// Looks the user up, checks the password and fills the session.
void validateUser(Ravadid& app) {
  Store& session = app.session();
  const std::string userId = vb::Trim(app.form("user"));
  db::Recordset user;
  user.open("Select * from KRSCU where trim$(KRSCU.KRSC1) = " + sqlText(userId), app.zqkrsc1Db());
  if (user.eof()) {
    app.write(kInvalidUserId);
    return;
  }
  user.moveFirst();
  // A null or blank stored password matches an empty one.
  if (!vb::equalsIgnoreCase(vb::Trim(app.form("password")),
                            vb::Trim(NullToSpace(user.field(krscu::kKrsc2))))) {
    app.write(kInvalidPassword);
    return;
  }

  // The id the browser held before signing in must not reach the signed-in session.
  app.exchange().renewSessionId();
  session.set("USER", userId);
  session.set("CUSTOMER", NullToSpace(user.field(krscu::kCustomer)));
  session.set("ROLE", NullToSpace(user.field(krscu::kRole)));
  session.set("CANOVERRIDEFUND", rightOf(user, krscu::kSctkfovd));
  session.set("CANOVERRIDEDEPARTUREDATE", rightOf(user, krscu::kSctkddft));

  storeDistrictComment(app);
  storeMailSwitches(app);
  if (!storeLists(app)) return;
  openStartChoice(app);
  if (!app.noError()) return;
  session.set("LoadRequestDetailFromSession", "False");
}

}  // namespace

void LoginPage::respond(Ravadid& app) const {
  app.writeTemplate(*this);
}

void LoginPage::processTag(Ravadid& app, TagEvent& tag) const {
  if (replaceDistrictTag(app, tag)) return;
  if (tag.is("WC@TRIPREQUESTINQUIRY")) {
    Value installed = app.application().get("DOTNET_INSTALLED");
    bool on = installed.isBoolean() ? installed.asBoolean() : false;
    tag.contents = on ? "<a href=\"" + htmlEscape(app.application().text("INQUIRY_URL")) +
                            "\">Trip Request Inquiry</a>"
                      : "";
  } else if (tag.is("WC@tkTECHDETAILS")) {
    tag.contents = "<A HREF=\"" + htmlEscape(app.urlFor("tkDetails")) +
                   "\"><img src='images/Brantwell.gif'  height='55' width='55' border='0' "
                   "align='right'></a>";
  }
}

void LoginPage::onEvent(Ravadid& app, const std::string&) const {
  Login_LoginValidateUser(app);
}

void Login_LoginValidateUser(Ravadid& app) {
  app.run({.name = "LoginValidateUser", .module = ""}, [&] {
    app.exchange().setSessionTimeout(vb::CInt(app.application().get("SESSION_TIMEOUT")));
    resetSession(app.session());
    if (app.databasePreamble()) validateUser(app);
    app.closeStep();
  });
  // A sign-in that failed part-way leaves nobody signed in rather than a half-filled session.
  if (!app.noError()) signOut(app.session());
}

}  // namespace ravadid

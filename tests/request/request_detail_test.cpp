#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "frame/application.h"
#include "frame/db/sample_district.h"
#include "frame/pages.h"
#include "frame/runtime.h"
#include "request/request_detail_page.h"
#include "signin/login_page.h"
#include "support/fake_exchange.h"
#include "support/html_check.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::sqliteExec;
using testing::TempInstallation;

// The words of a text, split at blanks.
std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> list;
  std::istringstream in(text);
  for (std::string word; in >> word;) list.push_back(word);
  return list;
}

// Every tag of the form, each on its own line with "data-t" as the template's attributes.
std::string lineTemplate() {
  std::string html;
  for (const std::string& tag :
       words("WC@TRIPREQCOMMENT WC@REQUEST wc@REQUESTDT WC@STATUS WC@STATUS_DATE WC@ENTEREDBY "
             "WC@ENTERDATE WC@NEW WC@CHAIN WC@CONTACT WC@INTTRIPNUM WC@NUMADULTS WC@NUMSTUDENTS "
             "WC@NUMHAND WC@ESTTIME WC@ESTMILE WC@PURPOSE WC@PO WC@CUSTSPEC WC@DESTSPEC WC@TRIPCOM "
             "WC@CUSTOMER wc@DESTINATION wc@FUND WC@GRADE WC@TRIPCAT WC@DEPDATE WC@RETDATE "
             "WC@DEPTIME WC@RETTIME WC@ARRIVETIME WC@LEAVETIME WC@STATUSCOMMENT WC@APPROVE "
             "WC@CUSTHDR WC@DESTHDR WC@FUNDHDR WC@FORMBUTTONS WC@PRINT WC@CALENDARBUTTON "
             "WC@DATESHDR WC@DEPWARN WC@RTNWARN WC@FOCUS WC@DEFAULTRETURNDATE "
             "WC@REQUESTOREMAILHDR WC@LEADTIME WC@LEADTIMEHARDWARN WC@REQUESTOREMAIL "
             "WC@DESTINATIONADDRESS WC@NOSUCHTAG"))
    html += tag + "=<" + tag + ">data-t</" + tag + ">\n";
  return html;
}

// The lines of a page written with lineTemplate(), by tag name (upper case).
using Lines = std::map<std::string, std::string>;
Lines linesOf(const std::string& body) {
  Lines lines;
  std::size_t at = 0;
  while (at < body.size()) {
    std::size_t end = body.find('\n', at);
    if (end == std::string::npos) end = body.size();
    const std::string line = body.substr(at, end - at);
    const std::size_t equals = line.find('=');
    if (line.rfind("WC@", 0) == 0 || line.rfind("wc@", 0) == 0)
      lines[vb::UCase(line.substr(0, equals))] = line.substr(equals + 1);
    at = end + 1;
  }
  return lines;
}

const std::string kTimeout = "Sorry, your session has timed out please log in again and retry.";
const std::string kSave =
    "<input type='submit' value='Save' name='btnSubmit' onclick='return validateDepartureDate();' "
    "data-t>";
const std::string kCopy =
    "<input type='submit' value='Copy' name='btnSubmit' onclick='return confirmCopy();' data-t>";
const std::string kReset = "<input type='reset' value='Reset' name='btnRESET' data-t>";
const std::string kExit = "<input type='submit' value='**Exit**' name='btnSubmit' data-t>";
const std::string kDelete =
    "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<input "
    "type='submit' value='Delete' name='btnSubmit' onclick='return confirmDelete();'data-t>";

class RequestDetailTest : public ::testing::Test {
 protected:
  RequestDetailTest() : web_(site_.installation(), makeStandardPages()) {
    trip(testing::kSampleTripRows);
    users(testing::kSampleUserRows);
    requests(testing::kSampleRequestRows);
    site_.writeTemplate("RequestDetail", lineTemplate());
    start();
  }

  void trip(const std::string& sql) { sqliteExec(site_.dataFolder() / kTripFile, sql); }
  void users(const std::string& sql) { sqliteExec(site_.dataFolder() / kUsersFile, sql); }
  void requests(const std::string& sql) { sqliteExec(site_.dataFolder() / kRequestsFile, sql); }
  void start() {
    FakeExchange ex;
    web_.handle(ex);
  }
  void useRealTemplate() {
    std::filesystem::copy_file(
        std::filesystem::path(RAVADID_SOURCE_DIR) / "site/templates/RequestDetail.html",
        site_.site() / "templates/RequestDetail.html",
        std::filesystem::copy_options::overwrite_existing);
  }

  void signIn(FakeExchange& ex, const std::string& user) {
    const std::string password = user == "jsmith" ? "Secret1" : "pw";
    ex.formItems = {
        {"user", user}, {"password", password}, {"btnsubmit", "Work With Trip Requests"}};
    Ravadid app(web_, ex);
    Login_LoginValidateUser(app);
    ASSERT_EQ(ex.sessionStore.text("USER"), vb::Trim(user));
    ex.sessionStore.set("LoadRequestDetailFromSession", "False");
  }

  // The form through the host: a request number opens it (UserEvent), "" a new one (Respond).
  std::string page(FakeExchange& ex, const std::string& event,
                   const FakeExchange::Items& form = {}) {
    ex.body.clear();
    ex.hasEnded = false;
    ex.formItems = form;
    ex.queryItems = {{"WCI", "RequestDetail"}, {"WCU", ""}};
    if (!event.empty()) ex.queryItems["WCE"] = event;
    web_.handle(ex);
    return ex.body;
  }
  Lines opened(FakeExchange& ex, const std::string& event) { return linesOf(page(ex, event)); }
  // A new request, as the menu opens it.
  Lines newForm(FakeExchange& ex, const FakeExchange::Items& form = {}) {
    Ravadid(web_, ex).SetNewVars();
    return linesOf(page(ex, "", form));
  }
  // Respond with the copy flag set, as the Copy button leaves it.
  Lines copied(FakeExchange& ex, const FakeExchange::Items& form) {
    ex.body.clear();
    ex.formItems = form;
    Ravadid app(web_, ex);
    app.SetNewVars();
    app.blnCopying = true;
    RequestDetail_Respond(app);
    return linesOf(ex.body);
  }

  TempInstallation site_;
  WebApplication web_;
};

// The choice a select or radio pair of the HTML shows: the value of its selected option.
std::string chosen(const std::string& html, const std::string& name) {
  const std::size_t at = html.find("name='" + name + "'");
  if (at == std::string::npos) return "<no " + name + ">";
  const std::string_view rest = std::string_view(html).substr(at);
  if (rest.starts_with("name='" + name + "'  VALUE")) {  // a radio pair
    if (rest.find("VALUE='AM' CHECKED") != std::string::npos) return "AM";
    return rest.find("VALUE='PM' CHECKED") != std::string::npos ? "PM" : "";
  }
  const std::size_t selected = rest.find("<option selected value");
  const std::size_t end = rest.find("</select>");
  if (selected == std::string::npos || (end != std::string::npos && selected > end)) return "";
  const std::size_t quote = rest.find('\'', selected);
  return std::string(rest.substr(quote + 1, rest.find('\'', quote + 1) - quote - 1));
}

TEST_F(RequestDetailTest, EachKindOfFormShowsItsValuesAndControls) {
  const std::string today = vb::formatDate(vb::Today());
  struct Case {
    const char* user;
    const char* request;  // "" opens a new request
    const char* tag;
    std::string expected;
  };
  const Case cases[] = {
      // A new request: nothing saved yet to show, copy, delete or print.
      {"jsmith", "", "WC@REQUEST", ""},
      {"jsmith", "", "wc@REQUESTDT", today},
      {"jsmith", "", "WC@STATUS", ""},
      {"jsmith", "", "WC@NEW", "<input type='text' name='New' value='NEW'>"},
      {"jsmith", "", "WC@CONTACT",
       "<input type='text' name='Contact' size='25' maxlength='25' value='' data-t>"},
      {"jsmith", "", "WC@FORMBUTTONS", kSave + kReset + kExit},
      {"jsmith", "", "WC@PRINT", ""},
      {"jsmith", "", "WC@DEFAULTRETURNDATE",
       "<input type='checkbox' name='chkDefaultReturnDate' value='ON' checked data-t />Use the "
       "departure date as the return date."},
      {"jsmith", "", "WC@REQUESTOREMAILHDR", ""},
      {"jsmith", "", "WC@REQUESTOREMAIL",
       "<input type='text' name='RequestorEmail' value='' data-t>"},
      {"jsmith", "", "WC@DESTINATIONADDRESS", ""},
      {"jsmith", "", "WC@FOCUS", "document.TripRequestDetail.Dep_month.focus();"},
      {"jsmith", "", "WC@NOSUCHTAG", "data-t"},
      {"jsmith", "", "WC@CALENDARBUTTON", ""},  // no calendar installed
      // The requester's own unapproved request: editable, with Copy, Delete and Print.
      {"jsmith", "2", "WC@REQUEST", "<input type='text' name='TRIPNUM' value='2' readonly>"},
      {"jsmith", "2", "WC@CHAIN", "<input type='text' name='CHAINID' value='HS'>"},
      {"jsmith", "2", "WC@PO",
       "<input type='text' name='PO' size='15' maxlength='15' value='' data-t>"},
      {"jsmith", "2", "WC@NUMHAND",
       "<input type='text' name='NUMHAND' size='10' value='0' data-t>"},
      {"jsmith", "2", "WC@FORMBUTTONS", kSave + kCopy + kReset + kExit + kDelete},
      {"jsmith", "2", "WC@PRINT", "<input type=\"submit\" value=\"Print\" name=\"btnSubmit\">"},
      {"jsmith", "2", "WC@DEFAULTRETURNDATE",
       "<input type='checkbox' name='chkDefaultReturnDate' value='ON' data-t />Use the departure "
       "date as the return date."},
      {"jsmith", "2", "WC@REQUESTOREMAILHDR", "data-t"},
      {"jsmith", "2", "WC@REQUESTOREMAIL",
       "<input type='text' name='RequestorEmail' value='office@lhs.example.org'data-t>"},
      {"jsmith", "2", "WC@STATUSCOMMENT", "data-t"},
      {"jsmith", "2", "WC@APPROVE", ""},
      {"jsmith", "2", "WC@DESTHDR",
       "<input type='submit' value='Destination' name='btnSubmit' data-t>"},
      {"jsmith", "2", "WC@FUNDHDR",
       "<b><input type='submit' value='Fund' name='btnSubmit' data-t></b>"},
      // A user bound to a customer gets a label, and the customer chosen even on a new form.
      {"jsmith", "2", "WC@CUSTHDR", "<font class=\"label\">Customer:</font>"},
      {"jsmith", "", "WC@CUSTOMER",
       "<select name='cust' width='100' data-t><option selected></option><option selected>LHS, "
       "Larkdale High School</option></select>"},
      {"dwu", "", "WC@CUSTHDR", "<input type='submit' value='Customer' name='btnSubmit' data-t>"},
      // An approved request the requester may no longer change: text, read-only areas, labels.
      {"jsmith", "1", "WC@REQUEST", "1"},
      {"jsmith", "1", "wc@REQUESTDT", "2/10/2026 9:15:00 AM"},
      {"jsmith", "1", "WC@STATUS", "Principal&#39;s OK"},
      {"jsmith", "1", "WC@CONTACT", "Ann Lee"},
      {"jsmith", "1", "WC@CUSTOMER", "Larkdale High School"},
      {"jsmith", "1", "wc@DESTINATION", "City Museum of Science"},
      {"jsmith", "1", "wc@FUND", "100"},
      {"jsmith", "1", "WC@DEPDATE", "3/5/2026"},
      {"jsmith", "1", "WC@DEPTIME", "8:00:00 AM"},
      {"jsmith", "1", "WC@CUSTSPEC",
       "<textarea rows='3' cols='60' name='CUSTSPEC' readonly='yes' data-t>Buses load at the north "
       "gate</TEXTAREA>"},
      {"jsmith", "1", "WC@CUSTHDR", "<font class=\"label\">Customer:</font>"},
      {"jsmith", "1", "WC@DESTHDR", "<font class=\"label\">Destination:</font>"},
      {"jsmith", "1", "WC@FUNDHDR", "<font class=\"label\">Fund:</font>"},
      {"jsmith", "1", "WC@FORMBUTTONS", kCopy + kExit},
      {"jsmith", "1", "WC@FOCUS", ""},
      {"jsmith", "1", "WC@DESTINATIONADDRESS",
       "<tr><td><font class='label'></font></td><td>1200 River Rd</td></tr>"},
      // Its comment is shown to a user who may not approve it.
      {"jsmith", "1", "WC@STATUSCOMMENT",
       "Approve/Deny Comment:<br>Approved; bring the permission slips."},
      {"jsmith", "1", "WC@APPROVE", ""},
      // The approver of the next level decides, with the stored comment in the box.
      {"dwu", "1", "WC@STATUSCOMMENT",
       "Approve/Deny Comment:<BR><textarea rows='4' cols='20' name='STATUS_COMMENT'>Approved; "
       "bring "
       "the permission slips.</TEXTAREA>"},
      {"dwu", "1", "WC@APPROVE",
       "<p align='left'><input type='radio' name='Approve' value='Transport OK'> Approve<br><input "
       "type='radio' name='Approve' value='Deny'> Deny</p>"},
      {"mgarcia", "2", "WC@APPROVE",
       "<p align='left'><input type='radio' name='Approve' value='Principal&#39;s OK'> "
       "Approve<br><input type='radio' name='Approve' value='Deny'> Deny</p>"},
  };
  std::map<std::string, Lines> forms;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + " " + c.request + " " + c.tag);
    const std::string key = std::string(c.user) + "/" + c.request;
    if (!forms.count(key)) {
      FakeExchange ex;
      signIn(ex, c.user);
      forms[key] = *c.request ? opened(ex, c.request) : newForm(ex);
    }
    EXPECT_EQ(forms[key][vb::UCase(c.tag)], c.expected);
  }
}

TEST_F(RequestDetailTest, TheReadOnlyFormLeavesItsValuesInTheSession) {
  FakeExchange ex;
  signIn(ex, "jsmith");
  opened(ex, "1");
  const std::pair<const char*, Value> expected[] = {
      {"RequestDetail.contact", Value("Ann Lee")},
      {"RequestDetail.customer", Value("LHS")},
      {"RequestDetail.destination", Value("10")},
      {"RequestDetail.fund", Value("100")},
      {"RequestDetail.grade", Value("09")},
      {"RequestDetail.tripcat", Value("ACAD")},
      {"RequestDetail.destspec", Value("Drop off at the east entrance")},
      {"RequestDetail.requestoremail", Value("office@lhs.example.org")},
      {"RequestDetail.DEP_HOUR", Value::integer(8)},
      {"RequestDetail.DEP_MIN", Value::integer(0)},
      {"RequestDetail.DEP_AMPM", Value("AM")},
      {"RequestDetail.RET_HOUR", Value::integer(2)},
      {"RequestDetail.RET_MIN", Value::integer(30)},
      {"RequestDetail.RET_AMPM", Value("PM")},
      {"RequestDetail.LEAVE_HOUR", Value::integer(2)},
  };
  for (const auto& [key, value] : expected) EXPECT_EQ(ex.sessionStore.get(key), value) << key;
  // Special instructions of the customer are not copied from a read-only form.
  EXPECT_EQ(ex.sessionStore.text("RequestDetail.custspec"), "");
}

TEST_F(RequestDetailTest, AFormRebuiltFromTheSessionShowsItsKeysEscaped) {
  FakeExchange ex;
  signIn(ex, "dwu");
  Ravadid(web_, ex).SetNewVars();
  Store& s = ex.sessionStore;
  s.set("LoadRequestDetailFromSession", "True");
  s.set("RequestDetail.contact", "O'Brien <b>");
  s.set("RequestDetail.customer", "LHS");
  s.set("RequestDetail.destination", "0,Farm & Barn");
  s.set("RequestDetail.destadd1", "9 Rural Rte");
  s.set("RequestDetail.dep_month", "Apr");
  s.set("RequestDetail.dep_date", "2");
  s.set("RequestDetail.grade", "k");
  const int year = vb::Year(vb::Today());
  Lines form = linesOf(page(ex, ""));
  EXPECT_EQ(form["WC@CONTACT"],
            "<input type='text' name='Contact' size='25' maxlength='25' value='O&#39;Brien "
            "&lt;b&gt;' data-t>");
  // The customer's instructions and e-mail stand in for the missing session texts.
  EXPECT_EQ(form["WC@CUSTSPEC"],
            "<textarea rows='3' cols='60' name='CUSTSPEC' data-t>Buses load at the north "
            "gate</TEXTAREA>");
  EXPECT_EQ(form["WC@REQUESTOREMAIL"],
            "<input type='text' name='RequestorEmail' value='office@lhs.example.org'data-t>");
  EXPECT_EQ(form["WC@DESTINATIONADDRESS"],
            "<tr><td><font class='label'>** New **</font></td><td>9 Rural Rte</td></tr>");
  EXPECT_NE(form["WC@DESTINATION"].find("<option value='0' selected>Farm &amp; Barn</option>"),
            std::string::npos);
  // A missing year is this year's.
  EXPECT_EQ(s.text("RequestDetail.dep_year"), std::to_string(year));
  EXPECT_EQ(chosen(form["WC@DEPDATE"], "Dep_month"), "Apr");
  EXPECT_EQ(chosen(form["WC@DEPDATE"], "Dep_year"), std::to_string(year));
  EXPECT_EQ(chosen(form["WC@RETDATE"], "Rtn_month"), " ");
  EXPECT_NE(form["WC@GRADE"].find("<option selected>K</option>"), std::string::npos);
  EXPECT_EQ(form["WC@FORMBUTTONS"], kSave + kReset + kExit);
}

TEST_F(RequestDetailTest, TimesRebuiltFromTheSessionKeepMidnightAndNoon) {
  struct Case {
    const char* prefix;
    const char* hour;
    const char* minute;
    const char* ampm;
    const char* shownHour;
    const char* shownMinute;
    const char* shownAmPm;
  };
  const Case cases[] = {
      {"DEP", "12", "0", "AM", "12", "0", "AM"},
      {"RET", "12", "", "AM", "12", "0", "AM"},
      {"ARRIVE", "12", "0", "AM", "12", "0", "AM"},
      {"LEAVE", "12", "5", "PM", "12", "5", "PM"},
      {"DEP", "7", "45", "PM", "7", "45", "PM"},
      {"RET", "", "30", "PM", " ", " ", "PM"},  // no hour: no time
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.prefix) + " " + c.hour + ":" + c.minute + c.ampm);
    FakeExchange ex;
    signIn(ex, "dwu");
    Ravadid(web_, ex).SetNewVars();
    ex.sessionStore.set("LoadRequestDetailFromSession", "True");
    const std::string key = std::string("RequestDetail.") + c.prefix;
    ex.sessionStore.set(key + "_HOUR", c.hour);
    ex.sessionStore.set(key + "_MIN", c.minute);
    ex.sessionStore.set(key + "_AMPM", c.ampm);
    Lines form = linesOf(page(ex, ""));
    const std::string html = form[std::string("WC@") + c.prefix + "TIME"];
    EXPECT_EQ(chosen(html, std::string(c.prefix) + "_HOUR"), c.shownHour);
    EXPECT_EQ(chosen(html, std::string(c.prefix) + "_MIN"), c.shownMinute);
    EXPECT_EQ(chosen(html, std::string(c.prefix) + "_AMPM"), c.shownAmPm);
  }
}

TEST_F(RequestDetailTest, ACopyStartsWithBlankDatesAndKeepsWhatWasPosted) {
  FakeExchange ex;
  signIn(ex, "dwu");
  ex.sessionStore.set("RequestDetail.destspec", "from the copied request");
  ex.sessionStore.set("RequestDetail.contact", "not this one");
  Lines form = copied(ex, {{"Dep_month", "Mar"},
                           {"Dep_date", "5"},
                           {"Dep_year", "2026"},
                           {"Rtn_month", "Mar"},
                           {"Rtn_date", "5"},
                           {"Rtn_year", "2026"},
                           {"DEP_HOUR", "9"},
                           {"DEP_MIN", "30"},
                           {"DEP_AMPM", "AM"},
                           {"Contact", " Ann Lee "},
                           {"NUMSTUDENTS", "40"},
                           {"DESTSPEC", ""},
                           {"cust", "SMA, St. Mary's Academy"},
                           {"dest", "10"},
                           {"btnSubmit", "Copy"}});
  EXPECT_EQ(chosen(form["WC@DEPDATE"], "Dep_month"), " ");
  EXPECT_EQ(chosen(form["WC@RETDATE"], "Rtn_date"), " ");
  EXPECT_EQ(chosen(form["WC@DEPTIME"], "DEP_HOUR"), "9");
  EXPECT_EQ(chosen(form["WC@DEPTIME"], "DEP_MIN"), "30");
  EXPECT_EQ(form["WC@CONTACT"],
            "<input type='text' name='Contact' size='25' maxlength='25' value='Ann Lee' data-t>");
  EXPECT_EQ(form["WC@NUMSTUDENTS"],
            "<input type='text' name='NUMSTUDENTS' size='10' value='40' data-t>");
  EXPECT_EQ(form["WC@DESTSPEC"], "<textarea rows='3' cols='60' name='DESTSPEC' data-t></TEXTAREA>");
  EXPECT_NE(form["WC@CUSTOMER"].find("<option selected>SMA, St. Mary&#39;s Academy</option>"),
            std::string::npos);
  EXPECT_NE(form["WC@DESTINATION"].find("<option value='10' selected>"), std::string::npos);
  EXPECT_EQ(form["WC@REQUEST"], "");
  EXPECT_EQ(form["WC@FORMBUTTONS"], kSave + kReset + kExit);
}

TEST_F(RequestDetailTest, ADestinationTypedByHandComesFirstAndIsMarkedNew) {
  FakeExchange ex;
  signIn(ex, "jsmith");
  Lines form = opened(ex, "2");
  EXPECT_TRUE(form["WC@DESTINATION"].starts_with(
      "<select name='dest' width='30' data-t><option value='0' selected>Harbor Cruise, Dock "
      "5</option><option value=''></option>"))
      << form["WC@DESTINATION"];
  EXPECT_EQ(form["WC@DESTINATIONADDRESS"],
            "<tr><td><font class='label'>** New **</font></td><td>5 Wharf Rd</td></tr>");
  // The session holds its details for the destination page and the save.
  EXPECT_EQ(ex.sessionStore.text("RequestDetail.destdesc"), "Harbor Cruise, Dock 5");
  EXPECT_EQ(ex.sessionStore.text("RequestDetail.destination"), "0");
}

TEST_F(RequestDetailTest, TheFundIsTypedOrChosenFromTheCustomersFunds) {
  struct Case {
    const char* fundList;
    const char* customerFunds;
    const char* user;
    const char* request;
    std::string expected;
  };
  const Case cases[] = {
      {"False", "True", "jsmith", "2",
       "<input type='text' name='fund' size='25' value='210'data-t>"},
      {"False", "True", "jsmith", "", "<input type='text' name='fund' size='25' value=''data-t>"},
      // A district-wide user without the fund override and no customer chosen: no fund offered.
      {"True", "True", "tnull", "",
       "<select name='fund' width='40' data-t><option value='' selected ></option></select>"},
      {"True", "True", "jsmith", "2",
       "<select name='fund' width='40' data-t><option value=''></option><option "
       "value='100'>General Fund</option><option value='210' selected "
       ">Athletics</option></select>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fundList) + c.customerFunds + c.user + c.request);
    web_.applicationStore().set("DISTRICT.FUND_DD", c.fundList);
    web_.applicationStore().set("DISTRICT.USECUSTFUND", c.customerFunds);
    FakeExchange ex;
    signIn(ex, c.user);
    Lines form = *c.request ? opened(ex, c.request) : newForm(ex);
    EXPECT_EQ(form["WC@FUND"], c.expected);
  }
}

TEST_F(RequestDetailTest, EntryFailuresGiveTheirReportInsteadOfTheForm) {
  struct Case {
    const char* user;  // "" for no session
    const char* request;
    const char* newKey;
    std::string report;
  };
  const Case cases[] = {
      {"jsmith", "12a", "",
       "Error in Procedure: RequestDetail_UserEvent of Module: Ravadid.  Error: 13.  Type "
       "mismatch."},
      {"jsmith", "", "EXISTING",  // Respond converts the session's request number
       "Error in Procedure: RequestDetail_Respond of Module: Ravadid.  Error: 13.  Type "
       "mismatch."},
      {"", "2", "", kTimeout},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    FakeExchange ex;
    if (*c.user) signIn(ex, c.user);
    ex.sessionStore.set("TRIPREQ", "x1");
    ex.sessionStore.set("RequestDetail.New", c.newKey);
    const std::string body = page(ex, c.request);
    EXPECT_NE(body.find(c.report), std::string::npos) << body;
    EXPECT_EQ(body.find("WC@"), std::string::npos) << body;
  }
}

TEST_F(RequestDetailTest, TheStoredCustomerWinsOverTheLookupsChoice) {
  FakeExchange ex;
  signIn(ex, "dwu");
  ex.sessionStore.set("RequestDetail.customer", "SMA");
  Lines form = opened(ex, "2");
  EXPECT_EQ(ex.sessionStore.text("RequestDetail.customer"), "LHS");
  EXPECT_NE(form["WC@CUSTOMER"].find("<option selected>LHS, Larkdale High School</option>"),
            std::string::npos);
  EXPECT_EQ(ex.sessionStore.text("TRIPREQ"), "2");
}

TEST_F(RequestDetailTest, ARequestOpenedByNumberAfterANewFormIsTheSavedRequest) {
  FakeExchange ex;
  signIn(ex, "jsmith");
  newForm(ex);
  Lines form = opened(ex, "2");
  EXPECT_EQ(ex.sessionStore.text("RequestDetail.New"), "EXISTING");
  EXPECT_EQ(form["WC@REQUEST"], "<input type='text' name='TRIPNUM' value='2' readonly>");
  EXPECT_EQ(form["WC@CONTACT"],
            "<input type='text' name='Contact' size='25' maxlength='25' value='Ann Lee' data-t>");
}

TEST_F(RequestDetailTest, LeavingTheFormEmptiesItsKeysButTheCustomerAndDestination) {
  std::vector<std::string> emptied = {"TRIPREQ"};
  for (const std::string& key :
       words("New inttripnum requestoremail contact destination fund dep_month dep_date dep_year "
             "ret_month ret_date ret_year dep_hour dep_min dep_ampm arrive_hour arrive_min "
             "arrive_ampm leave_hour leave_min leave_ampm ret_hour ret_min ret_ampm numadults "
             "numstudents numhand esttime estmile purpose custspec destspec tripcom po tripcat "
             "grade"))
    emptied.push_back("RequestDetail." + key);
  const char* const kept[] = {"RequestDetail.customer", "RequestDetail.destdesc",
                              "RequestDetail.destadd1", "USER"};
  FakeExchange ex;
  for (const std::string& key : emptied) ex.sessionStore.set(key, "x");
  for (const char* key : kept) ex.sessionStore.set(key, "x");
  Ravadid app(web_, ex);
  ClearRequestDetailSession(app);
  for (const std::string& key : emptied) EXPECT_EQ(ex.sessionStore.get(key), Value("")) << key;
  for (const char* key : kept) EXPECT_EQ(ex.sessionStore.get(key), Value("x")) << key;
}

TEST(HtmlCheckTest, FindsUnclosedElementsAndRepeatedFields) {
  struct Case {
    const char* html;
    std::vector<std::string> problems;
  };
  const Case cases[] = {
      {"<p><b>x</b><br><input name='a' /></p><script>if (a<b) {}</script>", {}},
      {"<INPUT TYPE=radio name='r'><input type=radio name='r'><select name=r></select>", {}},
      {"<div><span></div>", {"</div> closes <span>", "<div> not closed", "<span> not closed"}},
      {"<input name='a'><textarea name=\"A\"></textarea>", {"field 'a' twice"}},
  };
  for (const Case& c : cases) EXPECT_EQ(testing::htmlProblems(c.html), c.problems) << c.html;
}

// ---- The whole form through the real template -------------------------------------------------

TEST_F(RequestDetailTest, EverySituationWritesAWellFormedForm) {
  useRealTemplate();
  struct Case {
    const char* situation;
    std::function<std::string(FakeExchange&)> write;
    const char* mustHold;
  };
  const Case cases[] = {
      {"new",
       [&](FakeExchange& ex) {
         Ravadid(web_, ex).SetNewVars();
         return page(ex, "");
       },
       "value='Save'"},
      {"saved, editable", [&](FakeExchange& ex) { return page(ex, "2"); }, "value='Delete'"},
      {"saved, read-only", [&](FakeExchange& ex) { return page(ex, "1"); }, "readonly='yes'"},
      {"copy",
       [&](FakeExchange& ex) {
         ex.formItems = {{"Contact", "Ann Lee"}, {"cust", "LHS, Larkdale High School"}};
         Ravadid app(web_, ex);
         app.SetNewVars();
         app.blnCopying = true;
         RequestDetail_Respond(app);
         return ex.body;
       },
       "value='Ann Lee'"},
      {"rebuilt from the session",
       [&](FakeExchange& ex) {
         ex.sessionStore.set("RequestDetail.New", "EXISTING");
         ex.sessionStore.set("TRIPREQ", "2");
         ex.sessionStore.set("LoadRequestDetailFromSession", "True");
         ex.sessionStore.set("RequestDetail.contact", "Ann \"Lee\"");
         return page(ex, "");
       },
       "value='Ann &quot;Lee&quot;'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    FakeExchange ex;
    signIn(ex, "jsmith");
    const std::string body = c.write(ex);
    EXPECT_TRUE(body.starts_with("<!DOCTYPE html>")) << body;
    EXPECT_NE(body.find("<form name=\"TripRequestDetail\""), std::string::npos);
    EXPECT_NE(body.find(c.mustHold), std::string::npos) << body;
    EXPECT_EQ(body.find("Error in Procedure"), std::string::npos) << body;
    EXPECT_EQ(body.find("WC@"), std::string::npos);
    EXPECT_EQ(testing::htmlProblems(body), std::vector<std::string>{}) << body;
  }
}

}  // namespace
}  // namespace ravadid

#include "request/request_save.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "frame/application.h"
#include "frame/db/sample_district.h"
#include "frame/pages.h"
#include "frame/runtime.h"
#include "signin/login_page.h"
#include "support/fake_exchange.h"
#include "support/fake_mailer.h"
#include "support/message_page.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::messageOf;
using testing::sqliteExec;
using testing::TempInstallation;

// The first column of the first row as text; "NULL" for null, "<none>" without a row.
std::string cell(const std::filesystem::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  std::string result = "<none>";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    result = std::string("<error>") + sqlite3_errmsg(db);
  } else if (sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    result = text ? reinterpret_cast<const char*>(text) : "NULL";
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return result;
}

// A date some days from today as the form posts it, and as it is stored.
struct FormDate {
  std::string month, day, year, stored;
};
FormDate daysFromToday(int days) {
  const double date = vb::Today() + days;
  return {std::to_string(vb::Month(date)), std::to_string(vb::Day(date)),
          std::to_string(vb::Year(date)), vb::toStorageText(date)};
}

using Form = FakeExchange::Items;

// A complete new request that every rule of the sample district accepts.
Form validForm(int daysAhead = 30) {
  const FormDate departure = daysFromToday(daysAhead);
  return {{"btnsubmit", "Save"},
          {"New", "NEW"},
          {"cust", "LHS, Larkdale High School"},
          {"Contact", "Ann Lee"},
          {"dest", "10"},
          {"fund", "100"},
          {"Dep_month", departure.month},
          {"Dep_date", departure.day},
          {"Dep_year", departure.year},
          {"chkDefaultReturnDate", "ON"},
          {"DEP_HOUR", "8"},
          {"DEP_MIN", "30"},
          {"DEP_AMPM", "AM"},
          {"RET_HOUR", "2"},
          {"RET_MIN", "0"},
          {"RET_AMPM", "PM"},
          {"ARRIVE_HOUR", "9"},
          {"ARRIVE_MIN", "15"},
          {"ARRIVE_AMPM", "AM"},
          {"LEAVE_HOUR", "1"},
          {"LEAVE_MIN", "45"},
          {"LEAVE_AMPM", "PM"},
          {"NUMADULTS", "3"},
          {"NUMSTUDENTS", "25"},
          {"NUMHAND", "1"},
          {"ESTTIME", "6.5"},
          {"ESTMILE", "25"},
          {"PURPOSE", "Science fair"},
          {"DESTSPEC", "East entrance"},
          {"CUSTSPEC", "North gate"},
          {"TRIPCOM", "Two buses"},
          {"PO", "PO-1"},
          {"tripcat", "ACAD"},
          {"INTTRIPNUM", "LHS-9"},
          {"grade", "10"},
          {"RequestorEmail", "office@lhs.example.org"}};
}

Form with(Form form, const Form& changes) {
  for (const auto& [field, value] : changes) form[field] = value;
  return form;
}

class RequestSaveTest : public ::testing::Test {
 protected:
  RequestSaveTest() : web_(site_.installation(), makeStandardPages()) {
    trip(testing::kSampleTripRows);
    sqliteExec(site_.dataFolder() / kUsersFile, testing::kSampleUserRows);
    requests(testing::kSampleRequestRows);
    site_.writeTemplate("RequestDetail", "[form <WC@REQUEST></WC@REQUEST>]");
    start();
  }

  void trip(const std::string& sql) { sqliteExec(site_.dataFolder() / kTripFile, sql); }
  void requests(const std::string& sql) { sqliteExec(site_.dataFolder() / kRequestsFile, sql); }
  std::string request(const std::string& sql) const {
    return cell(site_.dataFolder() / kRequestsFile, sql);
  }
  std::string newest(const std::string& column) const {
    return request("SELECT " + column + " FROM TRIPSREQ ORDER BY TRIPNUM DESC LIMIT 1");
  }
  std::string rowCount() const { return request("SELECT COUNT(*) FROM TRIPSREQ"); }
  // Every column of a request, to see that a refused post changed nothing.
  std::string wholeRow(int tripNumber) const {
    return request(
        "SELECT quote(Status) || quote(CUSTOMER) || quote(CONTACT) || quote(depdate) || "
        "quote(PURPOSE) || quote(STATUS_COMMENT) || quote(chainid) FROM TRIPSREQ WHERE TRIPNUM "
        "= " +
        std::to_string(tripNumber));
  }
  // The site settings are read again, as after a change of the district's rows.
  void start() {
    FakeExchange ex;
    web_.handle(ex);
  }

  void signIn(FakeExchange& ex, const std::string& user) {
    ex.formItems = {{"user", user},
                    {"password", user == "jsmith" ? "Secret1" : "pw"},
                    {"btnsubmit", "Work With Trip Requests"}};
    Ravadid app(web_, ex);
    Login_LoginValidateUser(app);
    ASSERT_EQ(ex.sessionStore.text("USER"), vb::Trim(user));
  }
  // The form as the menu opens it for a new request, or as a saved request opens it.
  void openNew(FakeExchange& ex) { Ravadid(web_, ex).SetNewVars(); }
  void openSaved(FakeExchange& ex, int tripNumber) {
    ex.sessionStore.set("TRIPREQ", std::to_string(tripNumber));
    ex.sessionStore.set("RequestDetail.New", "EXISTING");
  }

  std::string post(FakeExchange& ex, const Form& form) {
    ex.body.clear();
    ex.hasEnded = false;
    ex.formItems = form;
    ex.queryItems = {{"WCI", "RequestDetail"}, {"WCE", "TripRequestDetail"}, {"WCU", ""}};
    web_.handle(ex);
    return ex.body;
  }
  // A new request posted by jsmith; the answer.
  std::string postNew(const Form& form, FakeExchange* kept = nullptr) {
    FakeExchange local;
    FakeExchange& ex = kept ? *kept : local;
    signIn(ex, "jsmith");
    openNew(ex);
    return post(ex, form);
  }

  TempInstallation site_;
  WebApplication web_;
};

constexpr const char* kNotAllowed =
    "<p>Sorry, you are not allowed to change this trip request.</p>";

TEST_F(RequestSaveTest, ANewRequestIsStoredWholeAndShownAgain) {
  FakeExchange ex;
  const std::string body = postNew(validForm(), &ex);
  const std::string number = newest("TRIPNUM");
  EXPECT_EQ(number, "8");
  EXPECT_EQ(body, "[form <input type='text' name='TRIPNUM' value='8' readonly>]");
  EXPECT_EQ(ex.sessionStore.text("TRIPREQ"), "8");
  EXPECT_EQ(ex.sessionStore.text("RequestDetail.New"), "");
  const std::string departure = daysFromToday(30).stored;
  const std::map<std::string, std::string> expected = {
      {"ENTEREDBY", "jsmith"},
      {"CUSTOMER", "LHS"},
      {"BILLCUST", "LHS"},
      {"BILLRATE", "2"},
      {"AMOUNT3", "100.0"},
      {"AMOUNTTXT3", "Flat fee"},
      {"CAPACITY", "Large"},
      {"INVOICE_FORMAT", "HS_INVOICE"},
      {"CUSTSPEC", "North gate"},
      {"Type", "BUS"},
      {"DESTINATION", "10"},
      {"FUND", "100"},
      {"depdate", departure},
      {"retdate", departure},
      {"deptime", "1899-12-30 08:30:00"},
      {"rettime", "1899-12-30 14:00:00"},
      {"arrivetime", "1899-12-30 09:15:01"},
      {"leavetime", "1899-12-30 13:45:01"},
      {"NUMSTUDENTS", "25"},
      {"estTime", "6.5"},
      {"GRADE", "10"},
      {"TRIPCAT", "ACAD"},
      {"chainid", "HS"},
      {"Status", "UNAPPROVED"},
      {"REQUESTOR_EMAIL", "office@lhs.example.org"}};
  for (const auto& [column, value] : expected) EXPECT_EQ(newest(column), value) << column;
}

TEST_F(RequestSaveTest, AStatusChangeMailsTheRequesterAndTheNextApprovers) {
  auto mailer = std::make_shared<testing::FakeMailer>();
  web_.setMailer(mailer);
  Store& settings = web_.applicationStore();
  settings.set("SmtpServer", "127.0.0.1");
  settings.set("EmailFromAddress", "trips@larkdale.example.org");
  settings.set("EmailFromName", "Transportation");
  FakeExchange ex;
  signIn(ex, "jsmith");
  ex.sessionStore.set("EMAIL_OPTIONS.REQ_TREKKO_CHANGE", "True");
  ex.sessionStore.set("EMAIL_OPTIONS.APP_TREKKO_CHANGE", "True");
  openNew(ex);
  post(ex, validForm());
  ASSERT_EQ(mailer->calls.size(), 2u);
  const MailMessage& requester = mailer->calls[0].message;
  EXPECT_EQ(requester.recipients, "office@lhs.example.org");
  EXPECT_EQ(requester.subject, "Ravadid - Trip Request #8");
  EXPECT_EQ(
      requester.body.substr(0, requester.body.find("Destination: ")),
      "A New Trip Request, Request #8 has been entered.\r\nCustomer: Larkdale High School\r\n");
  const MailMessage& approver = mailer->calls[1].message;
  EXPECT_EQ(approver.recipients, "mgarcia@larkdale.example.org; rpatel@larkdale.example.org");
  EXPECT_EQ(approver.subject, "Ravadid - Trip Request Request #8 needs your approval");
  EXPECT_NE(approver.body.find("\r\nNew Status: UNAPPROVED"), std::string::npos);

  // Saved again unchanged, the status stays and nobody is mailed.
  post(ex, with(validForm(), {{"New", "EXISTING"}, {"tripnum", "8"}}));
  EXPECT_EQ(mailer->calls.size(), 2u);
}

TEST_F(RequestSaveTest, EveryValidationMessageStopsBeforeAnythingIsStored) {
  trip(
      "UPDATE TRIPREQ_REQUIRED SET RETTIME_REQ = 'True', ARRIVETIME_REQ = 'True', "
      "LEAVETIME_REQ = 'True', ESTMILE_REQ = 'True', ESTTIME_REQ = 'True', NUMWHEEL_REQ = "
      "'True', DESTSPEC_REQ = 'True', CUSTSPEC_REQ = 'True', TRIPCOM_REQ = 'True', PO_REQ = "
      "'True', INTTRIPNUM_REQ = 'True', GRADE_REQ = 'True';"
      "INSERT INTO Big_CalCalNotes (NoteDate, NoteText, NoteLongText, NoteSeverity) VALUES ('" +
      daysFromToday(40).stored + "', 'Snow day', 'No buses <at all>', 3)");
  start();
  const FormDate closed = daysFromToday(40);
  struct Case {
    Form changes;
    std::string message;
  };
  const Case cases[] = {
      {{{"Dep_month", " "}}, "<p>Please enter a valid departure date.</p>"},
      {{{"Dep_date", "31"}, {"Dep_month", "2"}}, "<p>Please enter a valid departure date.</p>"},
      {{{"chkDefaultReturnDate", ""}, {"Rtn_year", "2030"}},
       "<p>Please enter a valid return date.</p>"},
      {{{"chkDefaultReturnDate", ""}, {"Rtn_month", "13"}, {"Rtn_date", "1"}},
       "<p>Please enter a valid return date.</p>"},
      {{{"Dep_month", closed.month}, {"Dep_date", closed.day}, {"Dep_year", closed.year}},
       "<p>Departure Date, " + vb::formatDate(vb::Today() + 40) +
           ", DAY CLOSED - Snow day.  No buses &lt;at all&gt;</p>"},
      {{{"chkDefaultReturnDate", ""},
        {"Rtn_month", closed.month},
        {"Rtn_date", closed.day},
        {"Rtn_year", closed.year}},
       "<p>Return Date,  " + vb::formatDate(vb::Today() + 40) +
           ", DAY CLOSED - Snow day.  No buses &lt;at all&gt;</p>"},
      {{{"DEP_HOUR", ""}}, "<p>Departure Time is required.</p>"},
      {{{"RET_HOUR", " "}}, "<p>Return Time is required.</p>"},
      {{{"ARRIVE_HOUR", ""}}, "<p>Arrive Time is required.</p>"},
      {{{"LEAVE_HOUR", ""}}, "<p>Leave Time is required.</p>"},
      {{{"NUMADULTS", "abc"}},
       "<p>Please enter a valid number of adults (or 0) in the # of Adults field.</p>"},
      {{{"NUMADULTS", " "}}, "<p>Number of adults is required.</p>"},
      {{{"NUMSTUDENTS", "x1"}},
       "<p>Please enter a valid number of adults (or 0) in the # of Students field.</p>"},
      {{{"NUMSTUDENTS", ""}}, "<p>Number of students is required.</p>"},
      {{{"NUMHAND", "two"}},
       "<p>Please enter a valid number of handicapped students (or 0) in the # of Handicap.</p>"},
      {{{"NUMHAND", ""}}, "<p>Number of wheel chairs is required.</p>"},
      {{{"ESTTIME", "6h"}},
       "<p>Please enter a valid number of hours (or 0) in the Estimated Time.</p>"},
      {{{"ESTTIME", ""}}, "<p>Estimated Time is required.</p>"},
      {{{"ESTMILE", "far"}},
       "<p>Please enter a valid number of miles (or 0) in the Estimated Miles.</p>"},
      {{{"ESTMILE", ""}}, "<p>Estimated Miles is required.</p>"},
      {{{"dest", " "}}, "<p>Destination is required.</p>"},
      {{{"Contact", ""}}, "<p>Contact is required.</p>"},
      {{{"cust", ""}}, "<p>Customer is required.</p>"},
      {{{"fund", ""}}, "<p>Fund is required.</p>"},
      {{{"PURPOSE", "  "}}, "<p>Purpose is required.</p>"},
      {{{"DESTSPEC", ""}}, "<p>Destination Special Instructions are required.</p>"},
      {{{"CUSTSPEC", ""}}, "<p>Customer Special Instructions are required.</p>"},
      {{{"TRIPCOM", ""}}, "<p>Trip Comment is required.</p>"},
      {{{"PO", ""}}, "<p>PO required.</p>"},
      {{{"tripcat", ""}}, "<p>Trip Category is required.</p>"},
      {{{"INTTRIPNUM", ""}}, "<p>Internal Trip Number is required.</p>"},
      {{{"grade", ""}}, "<p>Grade is required.</p>"},
      // The first failing check wins.
      {{{"Contact", ""}, {"NUMADULTS", "abc"}},
       "<p>Please enter a valid number of adults (or 0) in the # of Adults field.</p>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(messageOf(postNew(with(validForm(), c.changes))), c.message) << c.message;
    EXPECT_EQ(rowCount(), "7") << c.message;
  }
  // A typed fund is checked against the fund table once the form passed.
  trip("UPDATE DISTRICT SET FUND_DD = 'False'");
  start();
  EXPECT_EQ(messageOf(postNew(with(validForm(), {{"fund", "400, Closed Grant"}}))),
            "Fund is invalid,  Please select a valid fund.  Use your browser&#39;s back button "
            "and try again.  ");
  EXPECT_EQ(rowCount(), "7");
}

TEST_F(RequestSaveTest, StoredValuesFollowTheFormsRules) {
  trip("UPDATE TRIPREQ_REQUIRED SET NUMADULTS_REQ = 'False'");
  start();
  const std::string warning =
      "WARNING - Are you sure you have the AM/PM correct? Departure time is scheduled for ";
  struct Case {
    const char* name;
    Form changes;
    const char* column;
    std::string stored;
    std::string returnWarning = "";
  };
  const FormDate departure = daysFromToday(30);
  const FormDate later = daysFromToday(33);
  const Case cases[] = {
      {"midnight",
       {{"DEP_HOUR", "12"}, {"DEP_MIN", "0"}, {"DEP_AMPM", "AM"}},
       "deptime",
       "1899-12-30 00:00:01",
       warning + "12:00:01 AM"},
      {"11:00 PM",
       {{"DEP_HOUR", "11"}, {"DEP_MIN", "00"}, {"DEP_AMPM", "PM"}},
       "deptime",
       "1899-12-30 23:00:00"},
      {"5:00 AM",
       {{"DEP_HOUR", "5"}, {"DEP_MIN", ""}, {"DEP_AMPM", "AM"}},
       "deptime",
       "1899-12-30 05:00:00"},
      {"11:01 PM",
       {{"DEP_HOUR", "11"}, {"DEP_MIN", "1"}, {"DEP_AMPM", "PM"}},
       "deptime",
       "1899-12-30 23:01:00",
       warning + "11:01:00 PM"},
      {"4:59 AM",
       {{"DEP_HOUR", "4"}, {"DEP_MIN", "59"}, {"DEP_AMPM", "AM"}},
       "deptime",
       "1899-12-30 04:59:00",
       warning + "4:59:00 AM"},
      {"arrive",
       {{"ARRIVE_HOUR", "3"}, {"ARRIVE_MIN", "15"}, {"ARRIVE_AMPM", "PM"}},
       "arrivetime",
       "1899-12-30 15:15:01"},
      {"no return time", {{"RET_HOUR", ""}}, "rettime", "NULL"},
      {"default return date", {{"Rtn_month", ""}, {"Rtn_date", ""}}, "retdate", departure.stored},
      {"blank return year",
       {{"chkDefaultReturnDate", ""},
        {"Rtn_month", later.month},
        {"Rtn_date", later.day},
        {"Rtn_year", ""},
        {"Dep_year", later.year}},
       "retdate",
       later.stored},
      {"adults", {{"NUMADULTS", "12"}}, "NUMADULTS", "12"},
      {"blank adults", {{"NUMADULTS", ""}}, "NUMADULTS", "0"},
      {"grade selected", {{"grade", "selected"}}, "GRADE", "NULL"},
      {"customer without comma", {{"cust", "LHS"}}, "CUSTOMER", " "},
      {"fund with description", {{"fund", "210, Athletics"}}, "FUND", "210"},
      {"typed destination",
       {{"dest", "0"}},
       "DESTDESC || '|' || DESTCAT || '|' || MILES",
       "Dock 5|0|0.0"},
      {"category chain", {{"tripcat", "ATH"}}, "chainid || '|' || Status", "ATHLETIC|UNAPPROVED"},
      {"empty texts", {{"PO", ""}, {"TRIPCOM", ""}}, "quote(PO) || quote(TRIPCOM)", "NULLNULL"},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, "jsmith");
    openNew(ex);
    ex.sessionStore.set("RequestDetail.destdesc", "Dock 5");
    const std::string body = post(ex, with(validForm(), c.changes));
    EXPECT_EQ(body.rfind("[form", 0), 0u) << c.name << ": " << body;
    EXPECT_EQ(newest(c.column), c.stored) << c.name;
    EXPECT_EQ(ex.sessionStore.text("strRtnDtWarn"), c.returnWarning) << c.name;
  }
}

TEST_F(RequestSaveTest, ButtonsOtherThanSaveStoreNothing) {
  struct Case {
    Form changes;
    std::string nextKey;  // a session key the button leaves
    std::string nextValue;
  };
  const Case cases[] = {
      {{{"dropDownChange", "cust"}, {"btnsubmit", "Save"}, {"cust", "SMA, St. Mary's"}},
       "RequestDetail.customer",
       "SMA"},
      {{{"btnsubmit", "copy"}}, "RequestDetail.New", "NEW"},
      {{{"btnsubmit", "**Exit**"}}, "RequestDetail.contact", ""},
      {{{"btnsubmit", "Customer"}, {"contact", "Typed"}}, "RequestDetail.contact", "Typed"},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, "jsmith");
    openSaved(ex, 2);
    ex.sessionStore.set("RequestDetail.contact", "before");
    const std::string before = wholeRow(2);
    const std::string body =
        post(ex, with(validForm(), with(c.changes, {{"New", "EXISTING"}, {"tripnum", "2"}})));
    EXPECT_EQ(body.find("Error in Procedure"), std::string::npos) << body;
    EXPECT_EQ(rowCount(), "7") << c.nextKey;
    EXPECT_EQ(wholeRow(2), before) << c.nextKey;
    EXPECT_EQ(ex.sessionStore.text(c.nextKey), c.nextValue) << c.nextKey;
  }
}

TEST_F(RequestSaveTest, AdvanceNoticeIsCheckedOnlyForAChangedDepartureDate) {
  const std::string hard =
      "<p>Sorry, transportation needs to have 5 days advance notice of all trip requests. The "
      "departure date on this request does not provide for adequate notice. Your trip will not "
      "be saved. Please use your browser's back button, change the departure date and try "
      "again.</p>";
  const std::string overridden =
      "WARNING - Transportation needs to have 5 days advance notice of all trip requests. The "
      "departure date on this request does not provide for adequate notice. You have been "
      "given special authority to enter a late trip.  Your trip will be saved but may not be "
      "accepted by transportation because it was submitted too late.";
  const std::string soft =
      "WARNING - Transportation needs to have 5 days advance notice of all trip requests. The "
      "departure date on this request does not provide for adequate notice. Your trip will be "
      "saved, but may not be accepted by transportation because it was submitted too late.";
  // Request 2 already leaves in two days; saving it with that date again is not tested.
  requests("UPDATE TRIPSREQ SET depdate = '" + daysFromToday(2).stored + "' WHERE TRIPNUM = 2");
  struct Case {
    const char* user;
    int days;
    bool hardWarning;
    int request;  // 0: a new request
    std::string message;
    std::string warning;
  };
  const Case cases[] = {
      {"jsmith", 5, true, 0, hard, ""},    {"jsmith", 6, true, 0, "", ""},
      {"dwu", 5, true, 0, "", overridden}, {"jsmith", 5, false, 0, "", soft},
      {"jsmith", 2, true, 2, "", ""},      {"jsmith", 3, true, 2, hard, ""},
  };
  for (const Case& c : cases) {
    trip(std::string("UPDATE DISTRICT SET DEPDT_LEADTIME_HARDWARN = '") +
         (c.hardWarning ? "True" : "False") + "'");
    start();
    FakeExchange ex;
    signIn(ex, c.user);
    if (c.request) {
      openSaved(ex, c.request);
    } else {
      openNew(ex);
    }
    const FormDate departure = daysFromToday(c.days);
    const std::string body = post(ex, with(validForm(), {{"Dep_month", departure.month},
                                                         {"Dep_date", departure.day},
                                                         {"Dep_year", departure.year},
                                                         {"New", c.request ? "EXISTING" : "NEW"}}));
    const std::string label = std::string(c.user) + " " + std::to_string(c.days);
    if (!c.message.empty()) {
      EXPECT_EQ(messageOf(body), c.message) << label;
      continue;
    }
    EXPECT_EQ(body.rfind("[form", 0), 0u) << label << ": " << body;
    EXPECT_EQ(ex.sessionStore.text("strDepDtWarn"), c.warning) << label;
  }
}

TEST_F(RequestSaveTest, TheDailyTripLimitCountsTripsThatAreNotCancelled) {
  const FormDate busy = daysFromToday(30);
  trip(
      "UPDATE DISTRICT SET TOTAL_TRIPS_LIMIT = 2, TOTAL_TRIPS_LIMIT_MESSAGE = 'Two <max>';"
      "INSERT INTO TRIPS (TRIPNUM, DEPDATE, CANCELED) VALUES (20, '" +
      busy.stored + "', 0), (21, '" + busy.stored + "', 1), (22, '" + daysFromToday(31).stored +
      "', 0)");
  struct Case {
    const char* name;
    bool secondTrip;
    bool hardWarning;
    std::string message;
    std::string warning;
  };
  const Case cases[] = {
      {"one trip and a cancelled one", false, true, "", ""},
      {"at the limit, hard", true, true,
       "<p>WARNING - Your Trip Request will not be saved.  Two &lt;max&gt;</p>", ""},
      {"at the limit, soft", true, false, "", "WARNING - Two <max>"},
  };
  for (const Case& c : cases) {
    trip(std::string("UPDATE DISTRICT SET TOTAL_TRIPS_HARDWARN = '") +
         (c.hardWarning ? "True" : "False") + "'; UPDATE TRIPS SET DEPDATE = '" +
         (c.secondTrip ? busy.stored : daysFromToday(31).stored) + "' WHERE TRIPNUM = 22");
    start();
    FakeExchange ex;
    const std::string rowsBefore = rowCount();
    const std::string body = postNew(validForm(30), &ex);
    if (!c.message.empty()) {
      EXPECT_EQ(messageOf(body), c.message) << c.name;
      EXPECT_EQ(rowCount(), rowsBefore) << c.name;
    } else {
      EXPECT_EQ(body.rfind("[form", 0), 0u) << c.name << ": " << body;
      EXPECT_EQ(ex.sessionStore.text("strDepDtWarn"), c.warning) << c.name;
    }
  }
}

TEST_F(RequestSaveTest, OnlyAUserWithTheRightMayChangeApproveOrDelete) {
  struct Case {
    const char* name;
    const char* user;
    int shown;  // session TRIPREQ; 0 for a new request
    Form changes;
    bool allowed;
    int changed;         // the request the post acts on
    std::string stored;  // its Status afterwards, when allowed
  };
  const Form obrien = {{"cust", "O'BRIEN, O'Brien Elementary"}, {"tripcat", "ACAD"}};
  const Case cases[] = {
      {"approved request, requester", "jsmith", 1, {}, false, 1, ""},
      {"other customer's request", "jsmith", 4, {}, false, 4, ""},
      {"approve without the right", "jsmith", 2, {{"Approve", "Principal's OK"}}, false, 2, ""},
      {"approve on a new request", "jsmith", 0, {{"Approve", "ACCEPTED"}}, false, 2, ""},
      {"save own request", "jsmith", 2, {}, true, 2, "UNAPPROVED"},
      {"delete another number",
       "jsmith",
       2,
       {{"btnsubmit", "Delete"}, {"tripnum", "3"}},
       false,
       3,
       ""},
      {"delete another customer's",
       "jsmith",
       4,
       {{"btnsubmit", "Delete"}, {"tripnum", "4"}},
       false,
       4,
       ""},
      {"approve with the right",
       "mgarcia",
       2,
       {{"Approve", "Principal's OK"}},
       true,
       2,
       "Principal's OK"},
      {"deny in any case", "rpatel", 3, with(obrien, {{"Approve", "dEnY"}}), true, 3, "Denied"},
      {"delete a request one may change",
       "dwu",
       5,
       {{"btnsubmit", "delete"}, {"tripnum", "5"}},
       true,
       5,
       "<none>"},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, c.user);
    if (c.shown) {
      openSaved(ex, c.shown);
    } else {
      openNew(ex);
    }
    const std::string before = wholeRow(c.changed);
    const std::string body =
        post(ex, with(validForm(), with(c.changes, {{"New", c.shown ? "EXISTING" : "NEW"}})));
    if (!c.allowed) {
      EXPECT_EQ(messageOf(body), kNotAllowed) << c.name;
      EXPECT_EQ(wholeRow(c.changed), before) << c.name;
      EXPECT_EQ(rowCount(), "7") << c.name;
      continue;
    }
    EXPECT_EQ(body.find("Sorry"), std::string::npos) << c.name;
    EXPECT_EQ(request("SELECT Status FROM TRIPSREQ WHERE TRIPNUM = " + std::to_string(c.changed)),
              c.stored)
        << c.name;
  }
}

TEST_F(RequestSaveTest, APostWithoutAButtonChecksTheDatesLikeSave) {
  FakeExchange ex;
  signIn(ex, "jsmith");
  openSaved(ex, 2);
  const std::string before = wholeRow(2);
  EXPECT_EQ(messageOf(post(ex, with(validForm(), {{"btnsubmit", ""},
                                                  {"New", "EXISTING"},
                                                  {"Dep_month", ""},
                                                  {"Dep_date", ""},
                                                  {"Dep_year", ""}}))),
            "<p>Please enter a valid departure date.</p>");
  EXPECT_EQ(wholeRow(2), before);
  // The message's way back shows the form again from the session, as it was posted.
  EXPECT_EQ(ex.sessionStore.text("LoadRequestDetailFromSession"), "True");
  EXPECT_EQ(ex.sessionStore.text("RequestDetail.contact"), validForm().at("Contact"));
  EXPECT_EQ(ex.sessionStore.text("TRIPREQ"), "2");

  post(ex, with(validForm(), {{"btnsubmit", ""}, {"New", "EXISTING"}}));
  EXPECT_EQ(request("SELECT depdate FROM TRIPSREQ WHERE TRIPNUM = 2"), daysFromToday(30).stored);
}

TEST_F(RequestSaveTest, SimultaneousSavesLeaveWholeRowsAndDistinctNumbers) {
  // Every version of request 2 that a save leaves, to see that none mixes two saves.
  requests(
      "CREATE TABLE VERSIONS (CONTACT, PURPOSE, PO, BILLING);"
      "CREATE TRIGGER KEEP_VERSION AFTER UPDATE ON TRIPSREQ WHEN NEW.TRIPNUM = 2 BEGIN "
      "INSERT INTO VERSIONS VALUES (NEW.CONTACT, NEW.PURPOSE, NEW.PO, NEW.CUSTOMER || "
      "NEW.BILLCUST || NEW.BILLRATE || NEW.chainid || NEW.FUND); END;");
  constexpr int kThreads = 16;
  // A few seconds here; the soak run of the test command sets 30.
  const char* seconds = std::getenv("RAVADID_SAVE_SECONDS");
  const int duration = seconds ? std::max(1, std::atoi(seconds)) : 3;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(duration);
  std::atomic<int> created{0};
  std::atomic<int> failures{0};
  std::vector<std::string> firstFailure(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      FakeExchange ex;
      // Half create requests; half save request 2 with values that all name one save, for
      // one of two customers, as a district-wide user may.
      const bool creates = t % 2 == 0;
      signIn(ex, creates ? "jsmith" : "dwu");
      for (int n = 0; n < 100 * duration && std::chrono::steady_clock::now() < deadline; ++n) {
        const std::string token = "t" + std::to_string(t) + "n" + std::to_string(n);
        Form form = validForm();
        if (creates) {
          openNew(ex);
          form = with(form, {{"PURPOSE", token}});
        } else {
          openSaved(ex, 2);
          const bool lhs = n % 2 == 0;
          form = with(form, {{"New", "EXISTING"},
                             {"cust", lhs ? "LHS, Larkdale High School" : "SMA, St. Mary's"},
                             {"fund", lhs ? "100" : "305"},
                             {"Contact", token},
                             {"PURPOSE", token},
                             {"PO", token}});
        }
        const std::string body = post(ex, form);
        if (body.rfind("[form", 0) != 0) {
          if (failures++ == 0) firstFailure[t] = body;
        } else if (creates) {
          ++created;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& failure : firstFailure) EXPECT_EQ(failure, "");
  EXPECT_EQ(failures.load(), 0);
  EXPECT_GT(created.load(), 0);
  EXPECT_EQ(request("SELECT COUNT(*) FROM TRIPSREQ WHERE TRIPNUM > 7"),
            std::to_string(created.load()));
  EXPECT_EQ(request("SELECT COUNT(DISTINCT PURPOSE) FROM TRIPSREQ WHERE TRIPNUM > 7"),
            std::to_string(created.load()));
  // Each version of request 2 holds one save: its own contact, purpose and PO, and the
  // customer, bill rate, chain and fund of the customer that save chose (even: LHS).
  EXPECT_NE(request("SELECT COUNT(*) FROM VERSIONS"), "0");
  EXPECT_EQ(request("SELECT COUNT(*) FROM VERSIONS WHERE NOT (CONTACT = PURPOSE AND PURPOSE = "
                    "PO AND BILLING = CASE CAST(substr(PURPOSE, instr(PURPOSE, 'n') + 1) AS "
                    "INTEGER) % 2 WHEN 0 THEN 'LHSLHS2HS100' ELSE 'SMASMA1ELEM305' END)"),
            "0");
  EXPECT_EQ(request("PRAGMA integrity_check"), "ok");
}

// ---- History --------------------------------------------------------------------------

class RequestHistoryTest : public RequestSaveTest {
 protected:
  std::string historyCount() const { return request("SELECT COUNT(*) FROM TRIPREQ_HISTORY"); }
  // The newest line of a request: action, user, role, statuses, comment, and 1 when stamped
  // within the last hour of server time.
  std::string newestLine(int tripNumber) const {
    return request(
        "SELECT ACTION || '|' || USERID || '|' || ROLE || '|' || STATUS_BEFORE || '|' || "
        "STATUS_AFTER || '|' || COMMENT || '|' || (CHANGED_AT >= datetime('now', 'localtime', "
        "'-1 hour')) FROM TRIPREQ_HISTORY WHERE TRIPNUM = " +
        std::to_string(tripNumber) + " ORDER BY ID DESC LIMIT 1");
  }
  std::string status(int tripNumber) const {
    const std::string stored =
        request("SELECT Status FROM TRIPSREQ WHERE TRIPNUM = " + std::to_string(tripNumber));
    return stored == "<none>" ? "" : stored;
  }
};

TEST_F(RequestHistoryTest, EveryKindOfChangeWritesOneLineWithItsStatusesAndComment) {
  struct Case {
    const char* user;
    int shown;                // 0: a new request
    std::vector<Form> posts;  // changes of the valid form, in order
    const char* action;
    const char* role;
  };
  const Form existing = {{"New", "EXISTING"}};
  const Case cases[] = {
      {"jsmith", 0, {{}}, "Created", "TEACHER"},
      {"jsmith", 2, {existing}, "Saved", "TEACHER"},
      {"mgarcia",
       2,
       {with(existing, {{"Approve", "Principal's OK"}, {"STATUS_COMMENT", "Take <2> buses"}})},
       "Approved",
       "PRINCIPAL"},
      {"rpatel",
       3,
       {with(existing, {{"cust", "O'BRIEN, O'Brien Elementary"},
                        {"Approve", "Deny"},
                        {"STATUS_COMMENT", "No"}})},
       "Denied",
       "PRINCIPAL"},
      {"dwu",
       5,
       {with(existing, {{"btnsubmit", "Delete"}, {"tripnum", "5"}})},
       "Deleted",
       "TRANSPORT"},
      // The copy itself stores nothing; the new request saved from it names its source.
      {"jsmith",
       2,
       {with(existing, {{"btnsubmit", "Copy"}, {"tripnum", "2"}}), {{"New", "NEW"}}},
       "Copied from request 2",
       "TEACHER"},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signIn(ex, c.user);
    if (c.shown) {
      openSaved(ex, c.shown);
    } else {
      openNew(ex);
    }
    const int lines = std::stoi(historyCount());
    const std::string before = c.shown ? status(c.shown) : "";
    const std::string comment =
        c.shown ? request("SELECT STATUS_COMMENT FROM TRIPSREQ WHERE TRIPNUM = " +
                          std::to_string(c.shown))
                : "";
    for (const Form& changes : c.posts) post(ex, with(validForm(), changes));
    const bool created = c.posts.back().count("New") && c.posts.back().at("New") == "NEW";
    const int changed = c.shown && !created ? c.shown : std::stoi(newest("TRIPNUM"));
    EXPECT_EQ(historyCount(), std::to_string(lines + 1)) << c.action;
    const bool deleted = status(changed).empty();
    std::string stored =
        request("SELECT STATUS_COMMENT FROM TRIPSREQ WHERE TRIPNUM = " + std::to_string(changed));
    if (deleted) stored = comment;
    if (stored == "NULL" || stored == "<none>") stored = "";
    EXPECT_EQ(newestLine(changed), std::string(c.action) + "|" + c.user + "|" + c.role + "|" +
                                       (created ? "" : before) + "|" + status(changed) + "|" +
                                       stored + "|1")
        << c.action;
  }
}

TEST_F(RequestHistoryTest, ARefusedOrFailedChangeLeavesNoLineAndNoChange) {
  constexpr const char* kRequestWriteFails =
      "CREATE TRIGGER FAIL BEFORE UPDATE ON TRIPSREQ BEGIN SELECT RAISE(ABORT, 'disk full'); END";
  constexpr const char* kHistoryWriteFails =
      "CREATE TRIGGER FAIL BEFORE INSERT ON TRIPREQ_HISTORY BEGIN "
      "SELECT RAISE(ABORT, 'disk full'); END";
  struct Case {
    const char* name;
    const char* user;
    int shown;  // 0: a new request
    Form changes;
    const char* trigger;  // makes a write fail; nullptr: none
  };
  const Form existing = {{"New", "EXISTING"}};
  const Case cases[] = {
      {"validation message", "jsmith", 2, with(existing, {{"NUMADULTS", "many"}}), nullptr},
      {"no right to change", "jsmith", 1, existing, nullptr},
      {"request row not written", "mgarcia", 2, with(existing, {{"Approve", "Principal's OK"}}),
       kRequestWriteFails},
      {"history not written on approval", "mgarcia", 2,
       with(existing, {{"Approve", "Principal's OK"}}), kHistoryWriteFails},
      {"history not written for a new request", "jsmith", 0, {}, kHistoryWriteFails},
      {"history not written on delete", "dwu", 5,
       with(existing, {{"btnsubmit", "Delete"}, {"tripnum", "5"}}), kHistoryWriteFails},
  };
  for (const Case& c : cases) {
    if (c.trigger) requests(c.trigger);
    FakeExchange ex;
    signIn(ex, c.user);
    if (c.shown) {
      openSaved(ex, c.shown);
    } else {
      openNew(ex);
    }
    const std::string row = wholeRow(c.shown);
    const std::string lines = historyCount();
    const std::string body = post(ex, with(validForm(), c.changes));
    EXPECT_EQ(historyCount(), lines) << c.name;
    EXPECT_EQ(wholeRow(c.shown), row) << c.name;
    EXPECT_EQ(rowCount(), "7") << c.name;
    if (c.trigger) {
      EXPECT_NE(body.find("disk full"), std::string::npos) << c.name;
    }
    requests("DROP TRIGGER IF EXISTS FAIL");
  }
}

}  // namespace
}  // namespace ravadid

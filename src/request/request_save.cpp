#include "request/request_save.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "approval/approval_chain.h"
#include "approval/notification_mail.h"
#include "approval/request_history.h"
#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/db/write_transaction.h"
#include "frame/errors.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"
#include "request/request_detail_page.h"
#include "request/request_records.h"

namespace ravadid {
namespace {

namespace tripsreq = schema::tripsreq;

// 19 February 1969: the date a request without a departure date is taken to have, so that a
// new request always counts as having a changed departure date.
constexpr double kBlankDate = 25253.0;

bool isTrue(std::string_view text) {
  return vb::equalsIgnoreCase(text, "True");
}

bool isBlank(std::string_view text) {
  return vb::Trim(text).empty();
}

bool settingIsSet(Ravadid& app, std::string_view key) {
  return isTrue(app.application().text(key));
}

// Text or null: null when the text is empty.
Value textOrNull(const std::string& text) {
  return text.empty() ? Value::null() : Value(text);
}

// The part of an entry before its first comma; the whole entry when it has none.
std::string beforeFirstComma(std::string_view entry) {
  return std::string(entry.substr(0, entry.find(',')));
}

// ---- Form copy --------------------------------------------------------------------------

// Posted fields and the session keys the form is rebuilt from.
constexpr std::pair<const char*, const char*> kFormCopy[] = {
    {"contact", "RequestDetail.contact"},
    {"fund", "RequestDetail.fund"},
    {"RequestorEmail", "RequestDetail.requestoremail"},
    {"inttripnum", "RequestDetail.inttripnum"},
    {"numadults", "RequestDetail.numadults"},
    {"numstudents", "RequestDetail.numstudents"},
    {"numhand", "RequestDetail.numhand"},
    {"esttime", "RequestDetail.esttime"},
    {"estmile", "RequestDetail.estmile"},
    {"purpose", "RequestDetail.purpose"},
    {"custspec", "RequestDetail.custspec"},
    {"tripcom", "RequestDetail.tripcom"},
    {"po", "RequestDetail.po"},
    {"tripcat", "RequestDetail.tripcat"},
    {"grade", "RequestDetail.grade"},
    {"dep_month", "RequestDetail.dep_month"},
    {"dep_date", "RequestDetail.dep_date"},
    {"dep_year", "RequestDetail.dep_year"},
    {"rtn_month", "RequestDetail.ret_month"},
    {"rtn_date", "RequestDetail.ret_date"},
    {"rtn_year", "RequestDetail.ret_year"},
    {"dep_hour", "RequestDetail.dep_hour"},
    {"dep_min", "RequestDetail.dep_min"},
    {"dep_ampm", "RequestDetail.dep_ampm"},
    {"arrive_hour", "RequestDetail.arrive_hour"},
    {"arrive_min", "RequestDetail.arrive_min"},
    {"arrive_ampm", "RequestDetail.arrive_ampm"},
    {"leave_hour", "RequestDetail.leave_hour"},
    {"leave_min", "RequestDetail.leave_min"},
    {"leave_ampm", "RequestDetail.leave_ampm"},
    {"ret_hour", "RequestDetail.ret_hour"},
    {"ret_min", "RequestDetail.ret_min"},
    {"ret_ampm", "RequestDetail.ret_ampm"},
};

// The destination details kept beside RequestDetail.destination.
constexpr const char* kDestinationKeys[] = {
    "RequestDetail.destdesc", "RequestDetail.destcat",  "RequestDetail.miles",
    "RequestDetail.destadd1", "RequestDetail.destadd2", "RequestDetail.destcity",
    "RequestDetail.destzip",  "RequestDetail.destspec", "RequestDetail.deststate"};

void copyFormToSession(Ravadid& app) {
  Store& session = app.session();
  for (const auto& [field, key] : kFormCopy) session.set(key, app.form(field));
  const std::string cust = app.form("cust");
  session.set("RequestDetail.customer",
              cust.find(',') == std::string::npos ? std::string("0") : beforeFirstComma(cust));
  session.set("TRIPREQ", app.form("tripnum"));
}

// The destination keys when the posted destination is the one already in the session: a
// typed destination of a saved request is read back from the request when the session lost
// it; a listed destination keeps only its number and instructions.
void keepDestination(Ravadid& app, const std::string& dest) {
  Store& session = app.session();
  if (vb::Trim(dest) == "0") {
    if (!vb::equalsIgnoreCase(app.form("New"), "NEW") &&
        session.text("RequestDetail.destadd1").empty())
      SetDestFromREQ(app, vb::CLng(Value(session.text("TRIPREQ"))));
  } else {
    for (const char* key : kDestinationKeys)
      if (!vb::equalsIgnoreCase(key, "RequestDetail.destspec")) session.set(key, "");
  }
  session.set("RequestDetail.destspec", app.form("destspec"));
}

// The form kept in the session as posted, to be shown again from there (a lookup, or the way
// back from a message).
void keepFormInSession(Ravadid& app) {
  Store& session = app.session();
  session.set("LoadRequestDetailFromSession", "True");
  copyFormToSession(app);
  const std::string dest = app.form("dest");
  session.set("RequestDetail.destination", dest);
  keepDestination(app, dest);
}

// A save stopped by a message: its "Go back" shows the form again from the session with
// everything typed. The browser's back would have to post the form again.
void keepTypedForm(Ravadid& app) {
  Store& session = app.session();
  const std::string shown = session.text("TRIPREQ");  // the request stays the one shown
  session.set("RequestDetail.New", app.form("New"));
  keepFormInSession(app);
  session.set("TRIPREQ", shown);
  app.backTo("RavadidLarkdale.asp?WCI=RequestDetail");
}

// A list changed: the form comes back from the session with what was posted.
void redisplayAfterListChange(Ravadid& app) {
  Store& session = app.session();
  session.set("LoadRequestDetailFromSession", "True");
  session.set("RequestDetail.New", app.form("New"));
  copyFormToSession(app);
  const std::string dest = app.form("dest");
  if (dest != session.text("RequestDetail.destination")) {
    if (!app.databasePreamble()) return;
    const std::string instructions = getdest(app, dest);
    if (!app.noError()) return;
    if (!isBlank(dest) && vb::Trim(dest) != "0") {
      const DestinationValues& found = app.record.destination;
      for (const char* key : kDestinationKeys) session.set(key, "");
      session.set("RequestDetail.destspec", instructions);
      session.set("RequestDetail.destdesc", found.description);
      session.set("RequestDetail.destadd1", found.address1);
      session.set("RequestDetail.destadd2", found.address2);
      session.set("RequestDetail.miles", vb::CStr(Value::single(found.miles)));
    } else {
      for (const char* key : kDestinationKeys) session.set(key, "");
    }
    app.closeStep();
  } else {
    keepDestination(app, dest);
  }
  session.set("RequestDetail.destination", dest);
  app.setNextItem("RequestDetail");
}

// Holds the Tripschl.mdb write lock from the read of the stored row to its last write, so that
// two saves of one request leave one whole version.
using db::WriteTransaction;

// ---- Authority --------------------------------------------------------------------------

// What the signed-in user may do with the stored request; nothing after an error.
std::optional<Authority> authorityOver(Ravadid& app, int32_t tripNumber) {
  Store& session = app.session();
  Authority authority =
      HasAuthority(app, tripNumber, session.text("ROLE"), "", session.text("Customer"));
  if (!app.noError() || authority.failed) return std::nullopt;
  return authority;
}

// Delete acts only on the request the form shows, and only with the right to change it.
void deleteRequest(Ravadid& app) {
  const std::string shown = vb::Trim(app.session().text("TRIPREQ"));
  if (shown.empty() || vb::Trim(app.form("tripnum")) != shown) {
    app.write(kNotAllowedMessage);
    return;
  }
  const int32_t tripNumber = vb::CLng(Value(shown));
  if (!app.databasePreamble()) return;
  Store& session = app.session();
  const std::optional<Authority> authority = authorityOver(app, tripNumber);
  if (!authority) {
    app.closeStep();
    return;
  }
  if (!authority->edit) {
    app.closeStep();
    app.write(kNotAllowedMessage);
    return;
  }
  {
    WriteTransaction transaction(app.tripschlDb());
    HistoryLine line;
    line.tripNumber = tripNumber;
    line.action = history_action::kDeleted;
    line.user = session.text("USER");
    line.role = session.text("ROLE");
    line.at = vb::Now();
    db::Recordset stored;
    stored.open(
        "SELECT STATUS, STATUS_COMMENT FROM TRIPSREQ WHERE TRIPNUM = " + std::to_string(tripNumber),
        app.tripschlDb());
    if (!stored.eof()) {
      line.statusBefore = vb::Trim(NullToSpace(stored.field(tripsreq::kStatus)));
      line.comment = vb::Trim(NullToSpace(stored.field(tripsreq::kStatusComment)));
    }
    stored.close();
    // A request deleted meanwhile by someone else leaves no second line.
    if (app.tripschlDb().execute("DELETE FROM TRIPSREQ where TRIPNUM = " +
                                 std::to_string(tripNumber)) > 0)
      recordHistory(app.tripschlDb(), line);
    transaction.commit();
  }
  app.closeStep();
  app.setNextItem("RequestSearch");
}

// ---- Save -------------------------------------------------------------------------------

struct CountRule {
  const char* field;
  const char* notNumber;
  const char* required;
  const char* flag;
};

constexpr CountRule kCountRules[] = {
    {"NUMADULTS", "<p>Please enter a valid number of adults (or 0) in the # of Adults field.</p>",
     "<p>Number of adults is required.</p>", "TRIP_REQ_REQUIRED.NUMADULTS_REQ"},
    {"NUMSTUDENTS",
     "<p>Please enter a valid number of adults (or 0) in the # of Students field.</p>",
     "<p>Number of students is required.</p>", "TRIP_REQ_REQUIRED.NUMSTUDENTS_REQ"},
    {"NUMHAND",
     "<p>Please enter a valid number of handicapped students (or 0) in the # of Handicap.</p>",
     "<p>Number of wheel chairs is required.</p>", "TRIP_REQ_REQUIRED.NUMWHEEL_REQ"},
    {"ESTTIME", "<p>Please enter a valid number of hours (or 0) in the Estimated Time.</p>",
     "<p>Estimated Time is required.</p>", "TRIP_REQ_REQUIRED.ESTTIME_REQ"},
    {"ESTMILE", "<p>Please enter a valid number of miles (or 0) in the Estimated Miles.</p>",
     "<p>Estimated Miles is required.</p>", "TRIP_REQ_REQUIRED.ESTMILE_REQ"},
};

struct RequiredText {
  const char* field;
  const char* flag;
  const char* message;
};

constexpr RequiredText kRequiredTexts[] = {
    {"DEST", "TRIP_REQ_REQUIRED.DESTINATION_REQ", "<p>Destination is required.</p>"},
    {"CONTACT", "TRIP_REQ_REQUIRED.CONTACT_REQ", "<p>Contact is required.</p>"},
    {"CUST", "TRIP_REQ_REQUIRED.CUSTOMER_REQ", "<p>Customer is required.</p>"},
    {"FUND", "TRIP_REQ_REQUIRED.FUND_REQ", "<p>Fund is required.</p>"},
    {"PURPOSE", "TRIP_REQ_REQUIRED.PURPOSE_REQ", "<p>Purpose is required.</p>"},
    {"DESTSPEC", "TRIP_REQ_REQUIRED.DESTSPEC_REQ",
     "<p>Destination Special Instructions are required.</p>"},
    {"CUSTSPEC", "TRIP_REQ_REQUIRED.CUSTSPEC_REQ",
     "<p>Customer Special Instructions are required.</p>"},
    {"TRIPCOM", "TRIP_REQ_REQUIRED.TRIPCOM_REQ", "<p>Trip Comment is required.</p>"},
    {"PO", "TRIP_REQ_REQUIRED.PO_REQ", "<p>PO required.</p>"},
    {"TRIPCAT", "TRIP_REQ_REQUIRED.TRIPCAT_REQ", "<p>Trip Category is required.</p>"},
    {"INTTRIPNUM", "TRIP_REQ_REQUIRED.INTTRIPNUM_REQ", "<p>Internal Trip Number is required.</p>"},
    {"GRADE", "TRIP_REQ_REQUIRED.GRADE_REQ", "<p>Grade is required.</p>"},
};

struct TimeRule {
  const char* prefix;
  bool alwaysOneSecondPast;  // arrive and leave
  const char* flag;
  const char* message;
};

constexpr TimeRule kTimeRules[] = {
    {"DEP", false, "TRIP_REQ_REQUIRED.DEPTIME_REQ", "<p>Departure Time is required.</p>"},
    {"RET", false, "TRIP_REQ_REQUIRED.RETTIME_REQ", "<p>Return Time is required.</p>"},
    {"ARRIVE", true, "TRIP_REQ_REQUIRED.ARRIVETIME_REQ", "<p>Arrive Time is required.</p>"},
    {"LEAVE", true, "TRIP_REQ_REQUIRED.LEAVETIME_REQ", "<p>Leave Time is required.</p>"},
};

// The request a new form was copied from, for the copy's first history line.
constexpr const char* kCopiedFromKey = "RequestDetail.CopiedFrom";

constexpr const char* kAmPmWarning =
    "WARNING - Are you sure you have the AM/PM correct? Departure time is scheduled for ";

class RequestSave {
 public:
  explicit RequestSave(Ravadid& app) : app_(app), session_(app.session()) {}

  // Steps of one save; false when it stopped (a message written or an error reported).
  bool run() {
    session_.set("blnDepDtWarn", Value::boolean(false));
    session_.set("strDepDtWarn", "");
    if (!readDates() || !checkCalendar() || !readTimes() || !readCounts() || !checkRequiredTexts())
      return false;
    if (!app_.databasePreamble()) return false;
    if (!resolveCustomerAndFund() || !store()) {
      row_.close();
      app_.closeStep();
      return false;
    }
    notify();
    row_.close();
    app_.closeStep();
    app_.blnNewRequest = false;
    app_.blnCopying = false;
    return true;
  }

 private:
  bool stop(std::string_view message) {
    app_.write(message);
    if (message != kNotAllowedMessage) keepTypedForm(app_);
    return false;
  }
  std::string posted(std::string_view field) const { return app_.form(field); }
  bool flag(std::string_view key) const { return settingIsSet(app_, key); }

  // The date of month/day/year texts, or nothing when it is no date.
  static std::optional<double> dateOf(const std::string& month, const std::string& day,
                                      const std::string& year) {
    std::optional<double> date = vb::parseDate(month + "/" + day + "/" + year);
    if (!date) return std::nullopt;
    return vb::dateOnly(*date);
  }

  bool readDates() {
    const std::string month = vb::Trim(posted("dep_month"));
    const std::string day = vb::Trim(posted("dep_date"));
    const std::string year = vb::Trim(posted("dep_year"));
    constexpr const char* kDepartureMessage = "<p>Please enter a valid departure date.</p>";
    if (month.empty() || day.empty() || year.empty()) return stop(kDepartureMessage);
    std::optional<double> departure = dateOf(month, day, year);
    if (!departure) return stop(kDepartureMessage);
    departure_ = *departure;

    constexpr const char* kReturnMessage = "<p>Please enter a valid return date.</p>";
    if (vb::equalsIgnoreCase(posted("chkDefaultReturnDate"), "ON")) {
      return_ = departure_;
      return true;
    }
    const std::string returnMonth = vb::Trim(posted("rtn_month"));
    const std::string returnDay = vb::Trim(posted("rtn_date"));
    if (returnMonth.empty() || returnDay.empty()) return stop(kReturnMessage);
    std::string returnYear = vb::Trim(posted("rtn_year"));
    if (returnYear.empty()) returnYear = year;
    std::optional<double> returnDate = dateOf(returnMonth, returnDay, returnYear);
    if (!returnDate) return stop(kReturnMessage);
    return_ = *returnDate;
    return true;
  }

  bool checkCalendar() {
    const std::string departureText = vb::formatDate(departure_);
    const CalendarNote departure = Check_calNotes(app_, departureText);
    if (!app_.noError()) return false;
    if (departure.severity == 3)
      return stop("<p>Departure Date, " + htmlEscape(departureText) + ", DAY CLOSED - " +
                  htmlEscape(departure.text) + ".  " + htmlEscape(departure.longText) + "</p>");
    if (departure.severity == 2) {
      session_.set("blnDepDtWarn", Value::boolean(true));
      session_.set("strDepDtWarn", "WARNING - " + departure.text + ".  " + departure.longText);
    }
    session_.set("blnRtnDtWarn", Value::boolean(false));
    session_.set("strRtnDtWarn", "");
    const std::string returnText = vb::formatDate(return_);
    const CalendarNote returning = Check_calNotes(app_, returnText);
    if (!app_.noError()) return false;
    if (returning.severity == 3)
      return stop("<p>Return Date,  " + htmlEscape(returnText) + ", DAY CLOSED - " +
                  htmlEscape(returning.text) + ".  " + htmlEscape(returning.longText) + "</p>");
    if (returning.severity == 2) {
      session_.set("blnRtnDtWarn", Value::boolean(true));
      session_.set("strRtnDtWarn", "WARNING - " + returning.text + ".  " + returning.longText);
    }
    return true;
  }

  // The time of the posted hour, minute and AM/PM; nothing when the hour is blank. A time that
  // cannot be read fails with "Type mismatch".
  std::optional<double> postedTime(const TimeRule& rule) const {
    const std::string prefix = rule.prefix;
    const std::string hour = vb::Trim(posted(prefix + "_HOUR"));
    if (hour.empty()) return std::nullopt;
    const std::string minuteText = vb::Trim(posted(prefix + "_MIN"));
    const int16_t minute = minuteText.empty() ? 0 : vb::CInt(Value(minuteText));
    const std::string ampm = posted(prefix + "_AMPM");
    // Midnight is stored one second later, so that it is not taken for a missing time.
    const bool midnight = hour == "12" && minute == 0 && vb::equalsIgnoreCase(ampm, "AM");
    const std::string text = hour + ":" + std::to_string(minute) +
                             (rule.alwaysOneSecondPast || midnight ? ":01" : "") + ampm;
    return vb::timeOnly(vb::CDate(Value(text)));
  }

  bool readTimes() {
    double* times[] = {&departureTime_, &returnTime_, &arriveTime_, &leaveTime_};
    for (std::size_t k = 0; k < std::size(kTimeRules); ++k) {
      const std::optional<double> time = postedTime(kTimeRules[k]);
      if (!time) {
        if (flag(kTimeRules[k].flag)) return stop(kTimeRules[k].message);
        *times[k] = 0;
        continue;
      }
      *times[k] = *time;
      if (k == 0) warnAboutAmPm(*time);
    }
    return true;
  }

  // A departure after 11 PM or before 5 AM is more often a wrong AM/PM than a real one.
  void warnAboutAmPm(double time) {
    const long long seconds = std::llround(time * 86400);
    if (seconds <= 23 * 3600 && seconds >= 5 * 3600) return;
    session_.set("blnRtnDtWarn", Value::boolean(true));
    const std::string previous = session_.text("strRtnDtWarn");
    const std::string scheduled = vb::formatDate(time);
    if (previous.empty())
      session_.set("strRtnDtWarn", kAmPmWarning + scheduled);
    else
      session_.set("strRtnDtWarn", previous + ".  AM/PM " + kAmPmWarning + scheduled);
  }

  bool readCounts() {
    for (std::size_t k = 0; k < std::size(kCountRules); ++k) {
      const CountRule& rule = kCountRules[k];
      const std::string text = vb::Trim(posted(rule.field));
      double value = 0;
      if (text.empty()) {
        if (flag(rule.flag)) return stop(rule.required);
      } else if (!vb::IsNumeric(Value(text))) {
        return stop(rule.notNumber);
      } else if (k < 3) {
        value = vb::CInt(Value(text));  // beyond 16 bits: "Overflow"
      } else {
        value = vb::CSng(Value(text));
      }
      counts_[k] = value;
    }
    return true;
  }

  bool checkRequiredTexts() {
    for (const RequiredText& rule : kRequiredTexts)
      if (isBlank(posted(rule.field)) && flag(rule.flag)) return stop(rule.message);
    return true;
  }

  bool resolveCustomerAndFund() {
    std::string cust = posted("Cust");
    const WorkingList customers = readList(session_, kCustomerListKeys);
    for (int k = 0; k <= customers.count; ++k) {
      if (vb::equalsIgnoreCase(vb::Trim(customers.entry(k)), vb::Trim(cust))) {
        cust = std::string(customers.entry(k));
        break;
      }
    }
    customer_ = splitAtFirstComma(cust).code;
    if (!customer_.empty()) {
      getcust(app_, customer_);
      if (!app_.noError()) return false;
    } else {
      customer_ = " ";
    }
    fund_ = beforeFirstComma(vb::Trim(posted("FUND")));
    // A fund typed or looked up rather than chosen from the list is checked against the table.
    if (!fund_.empty() && !flag("DISTRICT.FUND_DD")) {
      const std::string description = getFundDesc(app_, fund_, vb::Trim(customer_));
      if (!app_.noError()) return false;
      if (description == "NOFUND") {
        app_.errorText() =
            "Fund is invalid,  Please select a valid fund.  Use your browser's back button and "
            "try again.  ";
        return false;
      }
    }
    return true;
  }

  Value stored(std::string_view column) const {
    return isNew_ ? Value::null() : row_.field(column);
  }

  // The stored departure date the notice rules compare with; the blank date when none.
  double storedDeparture() const {
    const Value value = stored(tripsreq::kDepdate);
    if (value.isDate()) return value.asDate();
    if (value.isText() && vb::IsDate(value)) return vb::CDate(value);
    return kBlankDate;
  }

  bool checkLeadTime() {
    const int32_t leadTime = vb::CLng(app_.application().get("DISTRICT.DEPDT_LEADTIME"));
    if (leadTime <= 0 || storedDeparture() == departure_) return true;
    if (vb::Today() + leadTime < departure_) return true;
    const std::string days = std::to_string(leadTime);
    const std::string needs = " days advance notice of all trip requests. ";
    const std::string inadequate =
        "The departure date on this request does not provide for adequate notice. ";
    if (flag("DISTRICT.DEPDT_LEADTIME_HARDWARN")) {
      if (!isTrue(session_.text("CANOVERRIDEDEPARTUREDATE")))
        return stop("<p>Sorry, transportation needs to have " + days + needs + inadequate +
                    "Your trip will not be saved. Please use your browser's back button, change "
                    "the departure date and try again.</p>");
      warnDeparture("WARNING - Transportation needs to have " + days + needs + inadequate +
                    "You have been given special authority to enter a late trip.  Your trip "
                    "will be saved but may not be accepted by transportation because it was "
                    "submitted too late.");
    } else {
      warnDeparture("WARNING - Transportation needs to have " + days + needs + inadequate +
                    "Your trip will be saved, but may not be accepted by transportation because "
                    "it was submitted too late.");
    }
    return true;
  }

  bool checkTripsPerDay() {
    const int32_t limit = vb::CLng(app_.application().get("DISTRICT.TOTAL_TRIPS_LIMIT"));
    if (limit <= 0 || storedDeparture() == departure_) return true;
    const TripCounter counter(app_);
    if (!counter.ready() || counter.tripsOn(departure_) < limit) return true;
    const std::string message = app_.application().text("DISTRICT.TOTAL_TRIPS_LIMIT_MESSAGE");
    if (flag("DISTRICT.TOTAL_TRIPS_HARDWARN"))
      return stop("<p>WARNING - Your Trip Request will not be saved.  " + htmlEscape(message) +
                  "</p>");
    warnDeparture("WARNING - " + message);
    return true;
  }

  void warnDeparture(const std::string& text) {
    session_.set("blnDepDtWarn", Value::boolean(true));
    session_.set("strDepDtWarn", text);
  }

  // Opens the row and writes it, with the requester's own authority applied, in one write
  // transaction.
  bool store() {
    WriteTransaction transaction(app_.tripschlDb());
    isNew_ = vb::equalsIgnoreCase(session_.text("RequestDetail.New"), "NEW");
    if (isNew_) app_.blnNewRequest = true;
    const std::string approve = posted("Approve");
    if (isNew_) {
      // A request not yet stored has no approver.
      if (!approve.empty()) return stop(kNotAllowedMessage);
      row_.open("Select * from TRIPSREQ", app_.tripschlDb(), db::CursorType::Keyset,
                db::LockType::Optimistic);
      row_.addNew();
      const double now = vb::Now();
      row_.setField(tripsreq::kEnteredby, session_.text("USER"));
      row_.setField(tripsreq::kEnterdate, Value::date(now));
      row_.setField(tripsreq::kReqdate, Value::date(now));
      row_.setField(tripsreq::kRequestorEmail, app_.record.customer.requestorEmail);
      row_.setField(tripsreq::kStatus,
                    isBlank(app_.record.customer.defaultChain) ? "Pending" : "UNAPPROVED");
      row_.setField(tripsreq::kStatusDate, Value::date(now));
    } else {
      const int32_t tripNumber = vb::CLng(Value(session_.text("TRIPREQ")));
      const std::optional<Authority> authority = authorityOver(app_, tripNumber);
      if (!authority) return false;
      if (!authority->edit || (!approve.empty() && !authority->approve))
        return stop(kNotAllowedMessage);
      row_.open("SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = " + std::to_string(tripNumber),
                app_.tripschlDb(), db::CursorType::Keyset, db::LockType::Optimistic);
    }
    if (!checkLeadTime() || !checkTripsPerDay()) return false;
    if (!writeColumns()) return false;
    if (!applyOwnAuthority()) return false;
    recordHistory(app_.tripschlDb(), savedLine());
    transaction.commit();
    session_.set(kCopiedFromKey, "");
    return true;
  }

  // The history line of this save: a new request is created (or copied from the request the
  // copy was made of), a decision approves or denies, anything else is a plain save.
  HistoryLine savedLine() const {
    HistoryLine line;
    line.tripNumber = vb::CLng(row_.field(tripsreq::kTripnum));
    const std::string approve = posted("Approve");
    const std::string copiedFrom = vb::Trim(session_.text(kCopiedFromKey));
    if (isNew_) {
      line.action =
          copiedFrom.empty() ? history_action::kCreated : history_action::copiedFrom(copiedFrom);
    } else if (approve.empty()) {
      line.action = history_action::kSaved;
    } else {
      line.action = vb::equalsIgnoreCase(approve, "Deny") ? history_action::kDenied
                                                          : history_action::kApproved;
    }
    line.user = session_.text("USER");
    line.role = session_.text("ROLE");
    line.at = vb::Now();
    line.statusBefore = statusBefore_;
    line.statusAfter = vb::Trim(NullToSpace(row_.field(tripsreq::kStatus)));
    line.comment = vb::Trim(NullToSpace(row_.field(tripsreq::kStatusComment)));
    return line;
  }

  bool writeColumns() {
    const double now = vb::Now();
    const std::string requestorEmail = posted("RequestorEmail");
    row_.setField(tripsreq::kRequestorEmail, requestorEmail.empty() ? " " : requestorEmail);
    const Value storedStatus = stored(tripsreq::kStatus);
    if (!isNew_ && !isBlank(NullToSpace(storedStatus))) statusBefore_ = NullToSpace(storedStatus);

    const std::string storedCustomer = vb::Trim(NullToSpace(stored(tripsreq::kCustomer)));
    if (!vb::equalsIgnoreCase(vb::Trim(customer_), storedCustomer)) {
      const CustomerValues& found = app_.record.customer;
      row_.setField(tripsreq::kCustomer, customer_);
      row_.setField(tripsreq::kBillcust, customer_);
      row_.setField(tripsreq::kBillrate, Value::integer(found.billRate));
      getBILLRATEFlat(app_, found.billRate);
      if (!app_.noError()) return false;
      const BillingValues& billing = app_.record.billing;
      constexpr const char* kAmounts[] = {tripsreq::kAmount1, tripsreq::kAmount2,
                                          tripsreq::kAmount3, tripsreq::kAmount4,
                                          tripsreq::kAmount5};
      constexpr const char* kAmountTexts[] = {tripsreq::kAmounttxt1, tripsreq::kAmounttxt2,
                                              tripsreq::kAmounttxt3, tripsreq::kAmounttxt4,
                                              tripsreq::kAmounttxt5};
      for (std::size_t k = 0; k < 5; ++k) {
        row_.setField(kAmounts[k], Value::single(billing.amounts[k]));
        row_.setField(kAmountTexts[k], billing.amountTexts[k]);
      }
      row_.setField(tripsreq::kCapacity,
                    isBlank(found.defaultCapacity) ? Value::null() : Value(found.defaultCapacity));
      if (!isBlank(found.invoiceFormat))
        row_.setField(tripsreq::kInvoiceFormat, found.invoiceFormat);
    } else if (stored(tripsreq::kCustomer).isNull()) {
      row_.setField(tripsreq::kCustomer, " ");
    }

    const std::string custspec = vb::Trim(posted("CUSTSPEC"));
    row_.setField(tripsreq::kCustspec, textOrNull(custspec));
    const Value calcDrivers = app_.application().get("DEFAULT_CALCNUMDRIVER");
    if (!calcDrivers.isEmpty() && !(calcDrivers.isText() && calcDrivers.asText().empty()))
      row_.setField(tripsreq::kCalcnumdrivers, calcDrivers);
    const std::string vehicleType = app_.application().text("DEFAULTVTYPE");
    if (!vehicleType.empty()) row_.setField(tripsreq::kType, vehicleType);
    const std::string contact = posted("Contact");
    row_.setField(tripsreq::kContact, isBlank(contact) ? Value::null() : Value(contact));

    writeDestination();
    row_.setField(tripsreq::kDestspec, textOrNull(posted("DESTSPEC")));
    row_.setField(tripsreq::kFund, textOrNull(fund_));
    const std::string tripNumberText = posted("INTTRIPNUM");
    row_.setField(tripsreq::kInttripnum,
                  isBlank(tripNumberText) ? Value::null() : Value(tripNumberText));
    row_.setField(tripsreq::kDepdate, Value::date(departure_));
    row_.setField(tripsreq::kRetdate, Value::date(return_));
    const auto timeOrNull = [](double time) {
      return time == 0 ? Value::null() : Value::date(time);
    };
    row_.setField(tripsreq::kDeptime, timeOrNull(departureTime_));
    row_.setField(tripsreq::kRettime, timeOrNull(returnTime_));
    row_.setField(tripsreq::kArrivetime, timeOrNull(arriveTime_));
    row_.setField(tripsreq::kLeavetime, timeOrNull(leaveTime_));

    std::string status = NullToSpace(stored(tripsreq::kStatus));
    const std::string approve = posted("Approve");
    if (!approve.empty()) {
      status = vb::equalsIgnoreCase(approve, "Deny") ? "Denied" : approve;
      row_.setField(tripsreq::kStatus, status);
      row_.setField(tripsreq::kStatusDate, Value::date(now));
    }
    const std::string comment = posted("STATUS_COMMENT");
    if (!comment.empty()) row_.setField(tripsreq::kStatusComment, comment);
    const std::string grade = vb::Trim(posted("GRADE"));
    row_.setField(tripsreq::kGrade, grade.empty() || vb::equalsIgnoreCase(grade, "selected")
                                        ? Value::null()
                                        : Value(grade));
    row_.setField(tripsreq::kNumadults, Value::integer(static_cast<int16_t>(counts_[0])));
    row_.setField(tripsreq::kNumstudents, Value::integer(static_cast<int16_t>(counts_[1])));
    row_.setField(tripsreq::kNumhand, Value::integer(static_cast<int16_t>(counts_[2])));
    row_.setField(tripsreq::kEstTime, Value::single(static_cast<float>(counts_[3])));
    row_.setField(tripsreq::kEstmile, Value::single(static_cast<float>(counts_[4])));
    row_.setField(tripsreq::kPurpose, textOrNull(posted("PURPOSE")));
    row_.setField(tripsreq::kTripcom, textOrNull(posted("TRIPCOM")));
    row_.setField(tripsreq::kPo, textOrNull(posted("PO")));

    const std::string tripCategory = posted("TRIPCAT");
    row_.setField(tripsreq::kTripcat, textOrNull(tripCategory));
    if (!tripCategory.empty()) {
      chain_ = getCHAIN(app_, vb::Trim(customer_), tripCategory);
      if (!app_.noError()) return false;
    }
    if (chain_.empty()) chain_ = app_.record.customer.defaultChain;
    const std::string storedChain = vb::Trim(NullToSpace(stored(tripsreq::kChainid)));
    chainChanged_ = !vb::equalsIgnoreCase(vb::Trim(chain_), storedChain);
    if (chainChanged_) {
      row_.setField(tripsreq::kChainid, textOrNull(chain_));
      status = chain_.empty() ? "Pending" : "UNAPPROVED";
      row_.setField(tripsreq::kStatus, status);
      row_.setField(tripsreq::kStatusDate, Value::date(now));
    }
    row_.update();
    session_.set("TRIPREQ", NullToSpace(row_.field(tripsreq::kTripnum)));
    session_.set("RequestDetail.New", "");
    session_.set("LoadRequestDetailFromSession", Value::boolean(false));
    return true;
  }

  void writeDestination() {
    const std::string dest = vb::Trim(posted("DEST"));
    if (dest.empty()) {
      row_.setField(tripsreq::kDestination, Value::whole(0));
      row_.setField(tripsreq::kMiles, Value::single(0));
      return;
    }
    row_.setField(tripsreq::kDestination, Value::whole(vb::CLng(Value(dest))));
    const auto sessionOr = [&](const char* key, const char* otherwise) {
      const std::string text = session_.text(key);
      return text.empty() ? std::string(otherwise) : text;
    };
    row_.setField(tripsreq::kDestdesc, sessionOr("RequestDetail.destdesc", " "));
    row_.setField(tripsreq::kDestadd1, sessionOr("RequestDetail.destadd1", " "));
    row_.setField(tripsreq::kDestadd2, sessionOr("RequestDetail.destadd2", " "));
    row_.setField(tripsreq::kDestcity, sessionOr("RequestDetail.destcity", " "));
    row_.setField(tripsreq::kDestzip, sessionOr("RequestDetail.destzip", " "));
    row_.setField(tripsreq::kDeststate, sessionOr("RequestDetail.deststate", " "));
    row_.setField(tripsreq::kDestcat, sessionOr("RequestDetail.destcat", "0"));
    const std::string miles = session_.text("RequestDetail.miles");
    row_.setField(tripsreq::kMiles, Value::single(miles.empty() ? 0 : vb::CSng(Value(miles))));
  }

  // A requester who holds a level of the request's new chain enters it approved up to that
  // level.
  bool applyOwnAuthority() {
    const std::string role = session_.text("ROLE");
    if (!chainChanged_ || role.empty()) return true;
    app_.blnEditable = false;
    app_.blnApprover = false;
    const Authority authority = HasAuthority(app_, vb::CLng(Value(session_.text("TRIPREQ"))), role,
                                             chain_, session_.text("Customer"));
    if (!app_.noError() || authority.failed) return false;
    app_.blnEditable = authority.edit;
    app_.blnApprover = authority.approve;
    if (authority.levelStatus != "NA") {
      row_.setField(tripsreq::kStatus, authority.levelStatus);
      row_.setField(tripsreq::kStatusDate, Value::date(vb::Now()));
      row_.update();
    }
    return true;
  }

  // The notices go out only when the save changed the status.
  void notify() {
    const std::string statusAfter = NullToSpace(row_.field(tripsreq::kStatus));
    if (statusAfter == statusBefore_ || !app_.noError()) return;
    NoticeRequest notice;
    notice.tripNumber = std::to_string(vb::CLng(row_.field(tripsreq::kTripnum)));
    notice.isNew = isNew_;
    notice.customer = NullToSpace(row_.field(tripsreq::kCustomer));
    getcust(app_, notice.customer);
    notice.customerName = app_.record.customer.name;
    notice.destination = session_.text("RequestDetail.destdesc");
    notice.departureDate = vb::formatDate(departure_);
    notice.numberOfStudents = std::to_string(static_cast<int16_t>(counts_[1]));
    notice.chain = NullToSpace(row_.field(tripsreq::kChainid));
    notice.previousStatus = statusBefore_;
    notice.status = statusAfter;
    notice.requestorEmail = NullToSpace(row_.field(tripsreq::kRequestorEmail));
    sendRequestNotices(app_, notice, noticeSwitches(session_));
  }

  Ravadid& app_;
  Store& session_;
  double departure_ = 0;
  double return_ = 0;
  double departureTime_ = 0;
  double returnTime_ = 0;
  double arriveTime_ = 0;
  double leaveTime_ = 0;
  double counts_[5] = {};  // adults, students, handicapped, hours, miles
  std::string customer_;
  std::string fund_;
  bool isNew_ = false;
  db::Recordset row_;
  std::string statusBefore_;
  std::string chain_;
  bool chainChanged_ = false;
};

// ---- Buttons ----------------------------------------------------------------------------

// Names the next page, or answers itself; true when a save succeeded and the saved request is
// to be shown.
bool handlePost(Ravadid& app) {
  if (!app.sessionCheck()) return false;
  Store& session = app.session();
  if (!app.form("dropDownChange").empty()) {
    redisplayAfterListChange(app);
    return false;
  }
  const std::string button = app.form("btnsubmit");
  if (button == "**Exit**") {
    for (const char* key : kDestinationKeys) session.set(key, "");
    ClearRequestDetailSession(app);
    app.setNextItem("RequestSearch");
    return false;
  }
  if (vb::equalsIgnoreCase(button, "Copy")) {
    app.blnNewRequest = true;
    const std::string source = session.text("TRIPREQ");
    SetDestFromREQ(app, vb::CLng(Value(source)));
    app.SetNewVars();
    session.set(kCopiedFromKey, vb::Trim(source));
    app.blnCopying = true;
    app.setNextItem("RequestDetail");
    return false;
  }
  if (vb::equalsIgnoreCase(button, "Delete")) {
    deleteRequest(app);
    return false;
  }
  if (vb::equalsIgnoreCase(button, "Print")) {
    app.exchange().redirect("RavadidLarkdale.asp?WCI=TripRequestDetailPrint");
    return false;
  }
  const bool lookup = vb::equalsIgnoreCase(button, "Customer") ||
                      vb::equalsIgnoreCase(button, "Destination") ||
                      vb::equalsIgnoreCase(button, "Fund");
  if (lookup) {
    if (vb::equalsIgnoreCase(button, "Fund") && settingIsSet(app, "DISTRICT.USECUSTFUND") &&
        app.form("cust").empty()) {
      app.write("<p>Please choose a customer first.</p>");
      return false;
    }
    keepFormInSession(app);
    const std::string lookupPage = vb::equalsIgnoreCase(button, "Customer")      ? "LookupCust"
                                   : vb::equalsIgnoreCase(button, "Destination") ? "LookupDest"
                                                                                 : "LookupFund";
    // A lookup page that has no template yet answers through its own Respond.
    if (std::filesystem::exists(app.installation().site / "templates" / (lookupPage + ".html")))
      app.writeTemplate(std::string_view(lookupPage));
    else
      app.setNextItem(lookupPage);
    return false;
  }
  if (button.empty()) app.blnNewRequest = false;
  const bool saved = RequestSave(app).run();
  if (saved && vb::equalsIgnoreCase(button, "Exit")) {
    app.setNextItem("RequestSearch");
    return false;
  }
  return saved;
}

}  // namespace

void RequestDetail_TripRequestDetail(Ravadid& app) {
  bool showSaved = false;
  app.run({.name = "RequestDetail_TripRequestDetail"}, [&] { showSaved = handlePost(app); });
  // Shown under the form's own error trap, after this event has closed its connections.
  if (showSaved) RequestDetail_UserEvent(app, app.session().text("TRIPREQ"));
}

bool TripCounter::ready() const {
  return app_.tripDb().isOpen();
}

int16_t TripCounter::tripsOn(double date) const {
  const double day = vb::dateOnly(date);
  db::Recordset trips;
  trips.open("SELECT COUNT(*) AS TRIPCOUNT FROM TRIPS WHERE DEPDATE >= " + sqlDate(day) +
                 " AND DEPDATE < " + sqlDate(day + 1) + " AND (CANCELED IS NULL OR CANCELED = 0)",
             app_.tripDb());
  const int32_t count = trips.eof() ? 0 : NullToLong(trips.field(0));
  trips.close();
  return static_cast<int16_t>(std::min<int32_t>(count, 32767));
}

}  // namespace ravadid

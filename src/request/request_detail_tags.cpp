// The tags of the trip request form. Each tag takes its value from the posted form (a copy, or a
// list change), the session (a form rebuilt after a lookup or a list change) or the open
// request record, in the order its rule gives, and writes an input, a select, read-only text or
// nothing. Every value placed into the HTML is escaped; the template's own attributes are not.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "approval/request_history.h"
#include "approval/trip_scheduling.h"
#include "forms/date_time_selectors.h"
#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"
#include "request/request_detail_page.h"
#include "request/request_form_common.h"
#include "request/request_records.h"
#include "signin/district_tags.h"

namespace ravadid {
namespace {

namespace tripsreq = schema::tripsreq;

bool isTrue(std::string_view text) {
  return vb::equalsIgnoreCase(text, "True");
}

bool isBlank(std::string_view text) {
  return vb::Trim(text).empty();
}

// A column value that holds a date or time; null and blank text are no value.
std::optional<double> recordDate(const Value& value) {
  if (value.isNull() || value.isEmpty()) return std::nullopt;
  if (value.isText() && isBlank(value.asText())) return std::nullopt;
  return vb::CDate(value);
}

// A column that holds the number 0 (a destination typed by hand).
bool isZero(const Value& value) {
  if (value.isNull() || value.isEmpty() || !vb::IsNumeric(value)) return false;
  return vb::CDbl(value) == 0;
}

// Runs load with trip.mdb open: over the handler's connections when they are open, else over
// connections opened for it and closed again. False when they cannot be opened.
bool withConnections(Ravadid& app, const std::function<void()>& load) {
  if (app.tripDb().isOpen()) {
    load();
    return true;
  }
  if (!app.databasePreamble()) return false;
  load();
  app.closeStep();
  return true;
}

constexpr std::string_view kTwelveSpaces =
    "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;";

// A single-line input of the form and where its value comes from.
struct TextInput {
  const char* tag;
  const char* opening;  // up to the value
  const char* sessionKey;
  const char* column;
  bool postedOrder;  // the posted field first (Contact)
  bool trimRecord;
};

constexpr TextInput kTextInputs[] = {
    {"WC@CONTACT", "<input type='text' name='Contact' size='25' maxlength='25' value='",
     "RequestDetail.contact", tripsreq::kContact, true, true},
    {"WC@INTTRIPNUM", "<input type='text' name='INTTRIPNUM' size='30' maxlength='30' value='",
     "RequestDetail.INTTRIPNUM", tripsreq::kInttripnum, false, true},
    {"WC@NUMADULTS", "<input type='text' name='NUMADULTS' size='10' value='",
     "RequestDetail.NUMADULTS", tripsreq::kNumadults, false, false},
    {"WC@NUMSTUDENTS", "<input type='text' name='NUMSTUDENTS' size='10' value='",
     "RequestDetail.NUMSTUDENTS", tripsreq::kNumstudents, false, true},
    {"WC@NUMHAND", "<input type='text' name='NUMHAND' size='10' value='", "RequestDetail.NUMHAND",
     tripsreq::kNumhand, false, false},
    {"WC@ESTTIME", "<input type='text' name='ESTTIME' size='10' value='", "RequestDetail.ESTTIME",
     tripsreq::kEstTime, false, false},
    {"WC@ESTMILE", "<input type='text' name='ESTMILE' size='10' value='", "RequestDetail.ESTMILE",
     tripsreq::kEstmile, false, false},
    {"WC@PURPOSE", "<input type='text' name='PURPOSE' size='10' maxlength='25' value='",
     "RequestDetail.PURPOSE", tripsreq::kPurpose, false, true},
    {"WC@PO", "<input type='text' name='PO' size='15' maxlength='15' value='", "RequestDetail.PO",
     tripsreq::kPo, false, true},
};

struct TimeTag {
  const char* tag;
  const char* prefix;
  const char* column;
  bool secondPastMinute;  // arrive and leave times are always stored one second past the minute
};

constexpr TimeTag kTimeTags[] = {
    {"WC@DEPTIME", "DEP", tripsreq::kDeptime, false},
    {"WC@RETTIME", "RET", tripsreq::kRettime, false},
    {"WC@ARRIVETIME", "ARRIVE", tripsreq::kArrivetime, true},
    {"WC@LEAVETIME", "LEAVE", tripsreq::kLeavetime, true},
};

// One tag of one writing of the form.
class FormTag {
 public:
  FormTag(Ravadid& app, TagEvent& tag)
      : app_(app),
        session_(app.session()),
        tag_(tag),
        attributes_(tag.contents),
        fromSession_(isTrue(session_.text("LoadRequestDetailFromSession"))) {}

  void replace();

 private:
  // ---- Sources ----
  std::string record(const char* column) const {
    return NullToSpace(app_.tripRequest.field(column));
  }
  std::string session(std::string_view key) const { return session_.text(key); }
  std::string posted(std::string_view field) const { return app_.form(field); }
  bool editable() const { return app_.blnEditable; }
  bool isNew() const { return app_.blnNewRequest; }
  bool copying() const { return app_.blnCopying; }
  // A new form posted by a list change rather than a button.
  bool postedByListChange() const { return isNew() && posted("btnSubmit").empty(); }

  // Copy: the posted field, else the session; rebuilt: the session; new: empty; else the record.
  std::string standardValue(const char* field, std::string_view key, const char* column,
                            bool trimRecord) const {
    if (copying()) {
      std::string value = posted(field);
      return value.empty() ? session(key) : value;
    }
    if (fromSession_) return session(key);
    if (isNew()) return {};
    return trimRecord ? vb::Trim(record(column)) : record(column);
  }
  // Rebuilt: the session; copy or list change: the posted field unless empty, else the
  // session; new: empty; else the record.
  std::string postedValue(const char* field, std::string_view key, const char* column,
                          bool trimPosted, bool trimRecord) const {
    if (fromSession_) return session(key);
    if (copying() || postedByListChange()) {
      std::string value = trimPosted ? vb::Trim(posted(field)) : posted(field);
      return value.empty() ? session(key) : value;
    }
    if (isNew()) return {};
    return trimRecord ? vb::Trim(record(column)) : record(column);
  }

  // ---- Tag groups ----
  bool heading();
  bool textInput();
  bool textArea();
  bool customerList();
  bool destinationList();
  bool fund();
  bool codeList();
  bool dates();
  bool times();
  bool approval();
  bool buttons();
  bool hints();
  bool requestorEmail();
  bool destinationAddress();
  bool history();

  std::optional<std::string> customerInstructions();
  std::string fundCustomer() const;
  std::string select(std::string_view name, const WorkingList& list,
                     const std::string& selected) const;

  Ravadid& app_;
  Store& session_;
  TagEvent& tag_;
  const std::string attributes_;
  const bool fromSession_;
};

void FormTag::replace() {
  if (replaceDistrictTag(app_, tag_)) return;
  heading() || textInput() || textArea() || customerList() || destinationList() || fund() ||
      codeList() || dates() || times() || approval() || buttons() || hints() || requestorEmail() ||
      destinationAddress() || history();
}

bool FormTag::heading() {
  std::string& out = tag_.contents;
  if (tag_.is("WC@TRIPREQCOMMENT")) {
    out = "<b><font color='#FFFFFF'>" + htmlEscape(session("TRIPREQ_COMMENT")) + "</font></b>";
  } else if (tag_.is("WC@REQUEST")) {
    if (!editable()) {
      out = fromSession_ ? std::string("0") : htmlEscape(record(tripsreq::kTripnum));
    } else if (isNew()) {
      out.clear();
    } else {
      const std::string number = fromSession_ ? session("TRIPREQ") : record(tripsreq::kTripnum);
      out = "<input type='text' name='TRIPNUM' value='" + htmlEscape(number) + "' readonly>";
    }
  } else if (tag_.is("wc@REQUESTDT")) {
    out = isNew() ? vb::formatDate(vb::Today()) : htmlEscape(vb::Trim(record(tripsreq::kReqdate)));
  } else if (tag_.is("WC@STATUS") || tag_.is("WC@STATUS_DATE") || tag_.is("WC@ENTEREDBY") ||
             tag_.is("WC@ENTERDATE")) {
    const char* column = tag_.is("WC@STATUS")        ? tripsreq::kStatus
                         : tag_.is("WC@STATUS_DATE") ? tripsreq::kStatusDate
                         : tag_.is("WC@ENTEREDBY")   ? tripsreq::kEnteredby
                                                     : tripsreq::kEnterdate;
    out = isNew() ? std::string() : htmlEscape(record(column));
  } else if (tag_.is("WC@NEW")) {
    out = isNew() ? "<input type='text' name='New' value='NEW'>"
                  : "<input type='text' name='New' value='EXISTING'>";
  } else if (tag_.is("WC@CHAIN")) {
    const std::string chain = isNew() ? std::string() : record(tripsreq::kChainid);
    out = editable() ? "<input type='text' name='CHAINID' value='" + htmlEscape(chain) + "'>"
                     : htmlEscape(record(tripsreq::kChainid));
  } else {
    return false;
  }
  return true;
}

bool FormTag::textInput() {
  for (const TextInput& input : kTextInputs) {
    if (!tag_.is(input.tag)) continue;
    if (!editable()) {
      std::string value = record(input.column);
      if (input.trimRecord) value = vb::Trim(value);
      session_.set(input.sessionKey, value);
      tag_.contents = htmlEscape(value);
      return true;
    }
    // The tag's name without "WC@" is the posted field's.
    const std::string field = std::string(input.tag).substr(3);
    const std::string value =
        input.postedOrder
            ? postedValue(field.c_str(), input.sessionKey, input.column, true, input.trimRecord)
            : standardValue(field.c_str(), input.sessionKey, input.column, input.trimRecord);
    tag_.contents = input.opening + htmlEscape(value) + "' " + attributes_ + ">";
    return true;
  }
  return false;
}

// The customer's special instructions where the session has none of its own.
std::optional<std::string> FormTag::customerInstructions() {
  const std::string customer = session("RequestDetail.customer");
  if (!session("RequestDetail.custspec").empty() || customer.empty())
    return session("RequestDetail.CUSTSPEC");
  std::optional<std::string> instructions;
  getcust(app_, customer);
  if (app_.noError()) instructions = app_.record.customer.specialInstructions;
  return instructions;
}

bool FormTag::textArea() {
  const char* name;
  const char* key;
  const char* column;
  if (tag_.is("WC@CUSTSPEC")) {
    name = "CUSTSPEC";
    key = "RequestDetail.CUSTSPEC";
    column = tripsreq::kCustspec;
  } else if (tag_.is("WC@DESTSPEC")) {
    name = "DESTSPEC";
    key = "RequestDetail.destspec";
    column = tripsreq::kDestspec;
  } else if (tag_.is("WC@TRIPCOM")) {
    name = "TRIPCOM";
    key = "RequestDetail.TRIPCOM";
    column = tripsreq::kTripcom;
  } else {
    return false;
  }
  const std::string opening = std::string("<textarea rows='3' cols='60' name='") + name + "' ";
  if (!editable()) {
    const std::string value = record(column);
    if (!tag_.is("WC@CUSTSPEC")) session_.set(key, value);
    tag_.contents =
        opening + "readonly='yes' " + attributes_ + ">" + htmlEscape(value) + "</TEXTAREA>";
    return true;
  }
  std::string value;
  if (tag_.is("WC@CUSTSPEC")) {
    const bool fromPost = !fromSession_ && (copying() || postedByListChange());
    if (fromSession_ || (fromPost && posted("CUSTSPEC").empty())) {
      std::optional<std::string> instructions = customerInstructions();
      if (!instructions) return true;  // no database: the tag stays as it is
      value = *instructions;
    } else if (fromPost) {
      value = posted("CUSTSPEC");
    } else if (!isNew()) {
      value = vb::Trim(record(column));
      session_.set(key, value);
    }
  } else if (tag_.is("WC@DESTSPEC") && copying()) {
    value = posted(name);  // a copy keeps the posted text even when it is empty
  } else {
    value = standardValue(name, key, column, true);
  }
  tag_.contents = opening + attributes_ + ">" + htmlEscape(value) + "</TEXTAREA>";
  return true;
}

bool FormTag::customerList() {
  if (!tag_.is("WC@CUSTOMER")) return false;
  if (!editable()) {
    const std::string customer = record(tripsreq::kCustomer);
    session_.set("RequestDetail.customer", customer);
    getcust(app_, customer);
    tag_.contents = htmlEscape(app_.record.customer.name);
    return true;
  }
  app_.lists.customers = readList(session_, kCustomerListKeys);
  const WorkingList& list = app_.lists.customers;
  std::string current;
  if (copying()) {
    const SplitEntry entry = splitAtFirstComma(posted("cust"));
    current = isBlank(entry.code) ? session("RequestDetail.customer") : entry.code;
  } else if (fromSession_) {
    current = session("RequestDetail.customer");
  } else if (!isNew()) {
    current = record(tripsreq::kCustomer);
    if (session("RequestDetail.customer").empty()) session_.set("RequestDetail.customer", current);
  }
  current = vb::Trim(current);
  std::string html = "<select name='cust' width='100' " + attributes_ + ">";
  for (int i = 0; i <= list.count; ++i) {
    const std::string_view entry = list.entry(i);
    const std::string code = vb::Trim(splitAtFirstComma(entry).code);
    // A user bound to one customer always has it chosen.
    const bool chosen = vb::equalsIgnoreCase(code, current) || (!code.empty() && list.count == 1);
    html.append(chosen ? "<option selected>" : "<option>")
        .append(htmlEscape(entry))
        .append("</option>");
  }
  tag_.contents = html + "</select>";
  return true;
}

bool FormTag::destinationList() {
  if (!tag_.is("wc@DESTINATION")) return false;
  if (!editable()) {
    const Value code = app_.tripRequest.field(tripsreq::kDestination);
    session_.set("RequestDetail.destination", NullToSpace(code));
    const std::string typed = record(tripsreq::kDestdesc);
    if (isZero(code) && !isBlank(typed)) {
      tag_.contents = htmlEscape(typed);
      SetDestFromREQ(app_, vb::CLng(app_.tripRequest.field(tripsreq::kTripnum)));
    } else {
      withConnections(app_, [&] { getdest(app_, NullToSpace(code)); });
      tag_.contents = htmlEscape(app_.record.destination.description);
    }
    return true;
  }
  std::string destination;
  bool isNewDestination = false;
  if (fromSession_) {
    destination = session("RequestDetail.destination");
    if (destination == "0") {
      destination = session("RequestDetail.destdesc");
      isNewDestination = true;
    } else if (destination.starts_with("0,")) {
      destination = destination.substr(2);
      isNewDestination = true;
    }
  } else if (copying() || postedByListChange()) {
    destination = posted("dest");
    if (isBlank(destination)) destination = session("RequestDetail.destination");
    if (destination == "0") {
      destination = session("RequestDetail.destdesc");
      isNewDestination = true;
    }
  } else if (!isNew()) {
    const Value code = app_.tripRequest.field(tripsreq::kDestination);
    const std::string typed = vb::Trim(record(tripsreq::kDestdesc));
    const bool known = (vb::IsNumeric(code) && !code.isEmpty() && vb::CDbl(code) != 0);
    if (known || typed.empty()) {
      destination = NullToSpace(code);
    } else {
      tag_.contents = BuildDestinationDD(app_, attributes_, typed, true);
      // The session then holds the typed destination's details for the lookup and the save.
      SetDestFromREQ(app_, vb::CLng(app_.tripRequest.field(tripsreq::kTripnum)));
      return true;
    }
  }
  tag_.contents = BuildDestinationDD(app_, attributes_, destination, isNewDestination);
  return true;
}

// The customer whose funds the list offers.
std::string FormTag::fundCustomer() const {
  if (fromSession_ || !isNew()) return session("RequestDetail.Customer");
  const std::string chosen = posted("cust");
  if (!chosen.empty()) {
    SplitEntry entry = splitAtFirstComma(chosen);
    return entry.hasComma ? entry.code : chosen;
  }
  const std::string own = vb::Trim(session("CUSTOMER"));
  // "0" is no customer's code, so the list holds only its empty entry.
  return own.empty() ? std::string("0") : own;
}

bool FormTag::fund() {
  if (!tag_.is("wc@FUND")) return false;
  if (!editable()) {
    const std::string value = record(tripsreq::kFund);
    session_.set("RequestDetail.Fund", value);
    tag_.contents = htmlEscape(value);
    return true;
  }
  std::string value;
  if (copying()) {
    value = posted("Fund");
    if (value.empty()) value = session("RequestDetail.Fund");
  } else if (fromSession_) {
    value = session("RequestDetail.Fund");
  } else if (!isNew()) {
    value = vb::Trim(record(tripsreq::kFund));
  }
  const Store& settings = app_.application();
  if (!isTrue(settings.text("DISTRICT.FUND_DD"))) {
    tag_.contents = "<input type='text' name='fund' size='25' value='" + htmlEscape(value) + "'" +
                    attributes_ + ">";
    return true;
  }
  const bool customerFunds = isTrue(settings.text("DISTRICT.USECUSTFUND")) &&
                             vb::equalsIgnoreCase(session("CANOVERRIDEFUND"), "False");
  PopulateFundDD(app_, customerFunds ? fundCustomer() : std::string());
  if (!app_.noError()) return true;  // no database: the tag stays as it is
  tag_.contents = BuildFundDD(app_, attributes_, value);
  return true;
}

std::string FormTag::select(std::string_view name, const WorkingList& list,
                            const std::string& selected) const {
  std::string html = "<select name='";
  html.append(name).append("' ").append(attributes_).append(">");
  for (int i = 0; i <= list.count; ++i) {
    const std::string_view entry = list.entry(i);
    html.append(vb::equalsIgnoreCase(entry, selected) ? "<option selected>" : "<option>")
        .append(htmlEscape(entry))
        .append("</option>");
  }
  return html + "</select>";
}

bool FormTag::codeList() {
  const bool grade = tag_.is("WC@GRADE");
  if (!grade && !tag_.is("WC@TRIPCAT")) return false;
  const char* name = grade ? "grade" : "tripcat";
  const char* key = grade ? "RequestDetail.grade" : "RequestDetail.tripcat";
  const char* column = grade ? tripsreq::kGrade : tripsreq::kTripcat;
  if (!editable()) {
    const std::string value = record(column);
    session_.set(key, value);
    tag_.contents = htmlEscape(value);
    return true;
  }
  WorkingList& list = grade ? app_.lists.grades : app_.lists.tripCategories;
  list = readList(session_, grade ? kGradeListKeys : kTripCategoryListKeys);
  tag_.contents = select(name, list, standardValue(name, key, column, grade));
  return true;
}

bool FormTag::dates() {
  const bool departure = tag_.is("WC@DEPDATE");
  if (!departure && !tag_.is("WC@RETDATE")) return false;
  const char* column = departure ? tripsreq::kDepdate : tripsreq::kRetdate;
  if (!editable()) {
    tag_.contents = htmlEscape(record(column));
    return true;
  }
  const std::string keys = departure ? "RequestDetail.dep_" : "RequestDetail.ret_";
  auto fromSessionKeys = [&] {
    const std::string text =
        session(keys + "month") + "/" + session(keys + "date") + "/" + session(keys + "year");
    return vb::IsDate(Value(text)) ? vb::CDate(Value(text)) : kBlankDate;
  };
  double value = kBlankDate;
  if (departure) {
    if (fromSession_) {
      if (isBlank(session(keys + "year")))
        session_.set(keys + "year", std::to_string(vb::Year(vb::Today())));
      value = fromSessionKeys();
    } else if (!copying() && !isNew()) {
      value = recordDate(app_.tripRequest.field(column)).value_or(kBlankDate);
    }
  } else if (!copying()) {  // a copy always starts with empty dates
    if (fromSession_) {
      value = fromSessionKeys();
    } else if (!isNew()) {
      value = recordDate(app_.tripRequest.field(column)).value_or(kBlankDate);
    }
  }
  const std::string_view prefix = departure ? "Dep" : "Rtn";
  tag_.contents = BuildMonthDD(value, prefix, attributes_) +
                  BuildDayDD(value, prefix, attributes_) + BuildYearDD(value, prefix, attributes_);
  return true;
}

bool FormTag::times() {
  for (const TimeTag& time : kTimeTags) {
    if (!tag_.is(time.tag)) continue;
    const std::string prefix = time.prefix;
    const std::string key = "RequestDetail." + prefix;
    if (!editable()) {
      tag_.contents = htmlEscape(NullToSpace(app_.tripRequest.field(time.column)));
      std::optional<double> at = recordDate(app_.tripRequest.field(time.column));
      if (!at) {
        for (const char* part : {"_HOUR", "_MIN", "_AMPM"}) session_.set(key + part, "");
        return true;
      }
      const int hour = vb::Hour(*at);
      session_.set(
          key + "_HOUR",
          Value::integer(static_cast<int16_t>(hour == 0 ? 12 : (hour > 12 ? hour - 12 : hour))));
      session_.set(key + "_MIN", Value::integer(static_cast<int16_t>(vb::Minute(*at))));
      session_.set(key + "_AMPM", hour < 12 ? "AM" : "PM");
      return true;
    }
    double value = kBlankDate;
    const bool postedHour = copying() && !isBlank(posted(prefix + "_HOUR"));
    if (copying() || fromSession_) {
      auto part = [&](const char* suffix) {
        return postedHour ? posted(prefix + suffix) : session(key + suffix);
      };
      const std::string hour = vb::Trim(part("_HOUR"));
      const std::string minuteText = part("_MIN");
      const std::string ampm = part("_AMPM");
      if (!hour.empty()) {
        const int32_t minute = isBlank(minuteText) ? 0 : vb::CLng(Value(minuteText));
        // Midnight is taken as one second past it, so that it is not read as no time.
        const bool seconds = time.secondPastMinute ||
                             (hour == "12" && minute == 0 && vb::equalsIgnoreCase(ampm, "AM"));
        const std::string text =
            hour + ":" + std::to_string(minute) + (seconds ? ":01" : "") + ampm;
        value = vb::CDate(Value(text));
      }
    } else if (!isNew()) {
      value = recordDate(app_.tripRequest.field(time.column)).value_or(kBlankDate);
    }
    tag_.contents = BuildTimeDD(value, prefix, attributes_);
    return true;
  }
  return false;
}

bool FormTag::approval() {
  const bool mayDecide = app_.blnApprover && editable();
  if (tag_.is("WC@STATUSCOMMENT")) {
    const std::string comment =
        isNew() ? std::string() : vb::Trim(record(tripsreq::kStatusComment));
    if (mayDecide) {
      tag_.contents =
          "Approve/Deny Comment:<BR><textarea rows='4' cols='20' name='STATUS_COMMENT'>" +
          htmlEscape(comment) + "</TEXTAREA>";
    } else if (!comment.empty()) {
      tag_.contents = "Approve/Deny Comment:<br>" + htmlEscape(comment);
    }
  } else if (tag_.is("WC@APPROVE")) {
    tag_.contents.clear();
    if (!isNew() && mayDecide)
      tag_.contents = "<p align='left'><input type='radio' name='Approve' value='" +
                      htmlEscape(app_.approvalLevelStatus) +
                      "'> Approve<br><input type='radio' name='Approve' value='Deny'> Deny</p>";
  } else {
    return false;
  }
  return true;
}

bool FormTag::buttons() {
  std::string& out = tag_.contents;
  auto label = [](const char* text) {
    return std::string("<font class=\"label\">") + text + ":</font>";
  };
  if (tag_.is("WC@CUSTHDR")) {
    out = editable() && isBlank(session("CUSTOMER"))
              ? "<input type='submit' value='Customer' name='btnSubmit' " + attributes_ + ">"
              : label("Customer");
  } else if (tag_.is("WC@DESTHDR")) {
    out = editable()
              ? "<input type='submit' value='Destination' name='btnSubmit' " + attributes_ + ">"
              : label("Destination");
  } else if (tag_.is("WC@FUNDHDR")) {
    out = editable()
              ? "<b><input type='submit' value='Fund' name='btnSubmit' " + attributes_ + "></b>"
              : label("Fund");
  } else if (tag_.is("WC@FORMBUTTONS")) {
    const bool saved = !isNew() && !fromSession_;
    const std::string copy = saved ? "<input type='submit' value='Copy' name='btnSubmit' "
                                     "onclick='return confirmCopy();' " +
                                         attributes_ + ">"
                                   : std::string();
    const std::string exit =
        "<input type='submit' value='**Exit**' name='btnSubmit' " + attributes_ + ">";
    if (!editable()) {
      out = copy + exit;
      return true;
    }
    out =
        "<input type='submit' value='Save' name='btnSubmit' "
        "onclick='return validateDepartureDate();' " +
        attributes_ + ">" + copy + "<input type='reset' value='Reset' name='btnRESET' " +
        attributes_ + ">" + exit;
    if (saved)
      out += std::string(kTwelveSpaces) +
             "<input type='submit' value='Delete' name='btnSubmit' "
             "onclick='return confirmDelete();'" +
             attributes_ + ">";
  } else if (tag_.is("WC@PRINT")) {
    out = isNew() ? std::string() : "<input type=\"submit\" value=\"Print\" name=\"btnSubmit\">";
  } else if (tag_.is("WC@SCHEDULETRIP")) {
    out = fromSession_ ? std::string() : scheduleTripAction(app_);
  } else if (tag_.is("WC@CALENDARBUTTON")) {
    out = calendarButton(app_);
  } else {
    return false;
  }
  return true;
}

bool FormTag::hints() {
  std::string& out = tag_.contents;
  const bool departureWarning = flagOn(session_.get("blnDepDtWarn"));
  const bool returnWarning = flagOn(session_.get("blnRtnDtWarn"));
  constexpr std::string_view kWarningRow =
      "<tr valign='top'><td align='left' colspan='3' bgcolor='#ffff99'><font color='FF0000'>";
  if (tag_.is("WC@DATESHDR")) {
    if (departureWarning || returnWarning)
      out = "*DATES/TIMES - <font color='FF0000'>WARNING</font>*";
  } else if (tag_.is("WC@DEPWARN")) {
    if (departureWarning)
      out = std::string(kWarningRow) + "Departure -" + htmlEscape(session("strDepDtWarn")) +
            "</font></td></tr>";
  } else if (tag_.is("WC@RTNWARN")) {
    if (returnWarning)
      out = std::string(kWarningRow) + htmlEscape(session("strRtnDtWarn")) + "</font></td></tr>";
  } else if (tag_.is("WC@FOCUS")) {
    out = editable() ? "document.TripRequestDetail.Dep_month.focus();" : "";
  } else if (tag_.is("WC@DEFAULTRETURNDATE")) {
    out = std::string("<input type='checkbox' name='chkDefaultReturnDate' value='ON' ") +
          (isNew() ? "checked " : "") + attributes_ +
          " />Use the departure date as the return date.";
  } else if (tag_.is("WC@REQUESTOREMAILHDR")) {
    if (isNew()) out.clear();
  } else if (tag_.is("WC@LEADTIME")) {
    out = std::to_string(vb::CLng(app_.application().get("DISTRICT.DEPDT_LEADTIME")));
  } else if (tag_.is("WC@LEADTIMEHARDWARN")) {
    out = vb::equalsIgnoreCase(session("CANOVERRIDEDEPARTUREDATE"), "False")
              ? htmlEscape(app_.application().text("DISTRICT.DEPDT_LEADTIME_HARDWARN"))
              : std::string("False");
  } else {
    return false;
  }
  return true;
}

bool FormTag::requestorEmail() {
  if (!tag_.is("WC@REQUESTOREMAIL")) return false;
  const std::string opening = "<input type='text' name='RequestorEmail' value='";
  if (!editable()) {
    const std::string value = record(tripsreq::kRequestorEmail);
    session_.set("RequestDetail.requestoremail", value);
    tag_.contents = htmlEscape(value);
  } else if (fromSession_ || copying()) {
    std::string value = posted("RequestorEmail");
    if (value.empty()) value = session("RequestDetail.requestoremail");
    if (isBlank(value)) value = session("RequestDetail.requestoremail");
    const std::string customer = session("RequestDetail.customer");
    if (value.empty() && !customer.empty()) {
      getcust(app_, customer);
      if (!app_.noError()) return true;  // no database: the tag stays as it is
      value = app_.record.customer.requestorEmail;
    }
    tag_.contents = opening + htmlEscape(value) + "'" + attributes_ + ">";
  } else if (!isNew()) {
    tag_.contents =
        opening + htmlEscape(record(tripsreq::kRequestorEmail)) + "'" + attributes_ + ">";
  } else {
    tag_.contents = opening + "' " + attributes_ + ">";
  }
  return true;
}

bool FormTag::destinationAddress() {
  if (!tag_.is("WC@DESTINATIONADDRESS")) return false;
  std::string line1;
  std::string line2;
  bool typed = false;  // a destination not in the destination table
  auto fromSessionKeys = [&] {
    line1 = session("RequestDetail.destadd1");
    line2 = session("RequestDetail.destadd2");
  };
  auto load = [&](const std::string& code) {
    if (!withConnections(app_, [&] { getdest(app_, code); })) return false;
    line1 = app_.record.destination.address1;
    line2 = app_.record.destination.address2;
    return true;
  };
  if (editable() && (fromSession_ || copying())) {
    fromSessionKeys();
    typed = session("RequestDetail.destination").starts_with("0");
  } else if (editable() && postedByListChange()) {
    if (session("RequestDetail.destination").starts_with("0")) {
      typed = true;
      fromSessionKeys();
    } else if (!isBlank(posted("dest")) && !load(posted("dest"))) {
      return true;  // no database: the tag stays as it is
    }
  } else if (!isNew()) {
    if (isZero(app_.tripRequest.field(tripsreq::kDestination))) {
      typed = true;
      line1 = record(tripsreq::kDestadd1);
      line2 = record(tripsreq::kDestadd2);
    } else if (!load(record(tripsreq::kDestination))) {
      return true;
    }
  }
  std::string address = htmlEscape(line1);
  if (!isBlank(line2)) address += "<br>" + htmlEscape(line2);
  if (isBlank(line1 + line2)) {
    tag_.contents.clear();
  } else {
    tag_.contents = std::string("<tr><td><font class='label'>") + (typed ? "** New **" : "") +
                    "</font></td><td>" + address + "</td></tr>";
  }
  return true;
}

// The saved request's approval history, under the approval section; nothing on a new form.
bool FormTag::history() {
  if (!tag_.is("WC@HISTORY")) return false;
  tag_.contents.clear();
  const std::string number = vb::Trim(session("TRIPREQ"));
  if (isNew() || copying() || number.empty() || !vb::IsNumeric(Value(number))) return true;
  withConnections(app_, [&] {
    tag_.contents = historySection(readHistory(app_.tripschlDb(), vb::CLng(Value(number))));
  });
  return true;
}

}  // namespace

void RequestDetail_ProcessTag(Ravadid& app, TagEvent& tag) {
  app.run({.name = "RequestDetail_ProcessTag", .writesReport = false}, [&] {
    if (!app.sessionCheck()) return;
    if (vb::equalsIgnoreCase(app.session().text("RequestDetail.New"), "NEW")) {
      app.blnNewRequest = true;
      app.blnEditable = true;
    } else {
      app.blnNewRequest = false;
    }
    FormTag(app, tag).replace();
  });
  // The report follows the tag that raised it, and every later tag while it stays set.
  if (!app.noError()) tag.contents += htmlEscape(app.errorText());
}

}  // namespace ravadid

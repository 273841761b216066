#include "request/request_print_page.h"

#include <optional>

#include "approval/approval_chain.h"
#include "approval/request_history.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"
#include "request/request_form_common.h"
#include "request/request_records.h"
#include "signin/district_tags.h"

namespace ravadid {
namespace {

namespace tripsreq = schema::tripsreq;

constexpr std::string_view kPageObject = "TripRequestDetailPrint";
// The tag event reports its errors under the event handler's name.
constexpr std::string_view kProcedure = "TripRequestDetailPrint_Respond";

constexpr std::string_view kAddressRowOpen =
    "<tr><td><font class=\"label\">Destination:</font></td><td>";

// Tags whose printed value is the record column of the same meaning, as plain text.
struct ColumnTag {
  const char* tag;
  const char* column;
};
constexpr ColumnTag kColumnTags[] = {
    {"WC@CONTACT", tripsreq::kContact},
    {"wc@FUND", tripsreq::kFund},
    {"WC@INTTRIPNUM", tripsreq::kInttripnum},
    {"WC@DEPDATE", tripsreq::kDepdate},
    {"WC@DEPTIME", tripsreq::kDeptime},
    {"WC@RETDATE", tripsreq::kRetdate},
    {"WC@RETTIME", tripsreq::kRettime},
    {"WC@STATUS", tripsreq::kStatus},
    {"WC@GRADE", tripsreq::kGrade},
    {"WC@CHAIN", tripsreq::kChainid},
    {"WC@STATUS_DATE", tripsreq::kStatusDate},
    {"WC@ENTEREDBY", tripsreq::kEnteredby},
    {"WC@ENTERDATE", tripsreq::kEnterdate},
    {"WC@NUMADULTS", tripsreq::kNumadults},
    {"WC@NUMSTUDENTS", tripsreq::kNumstudents},
    {"WC@NUMHAND", tripsreq::kNumhand},
    {"WC@ARRIVETIME", tripsreq::kArrivetime},
    {"WC@ESTTIME", tripsreq::kEstTime},
    {"WC@LEAVETIME", tripsreq::kLeavetime},
    {"WC@ESTMILE", tripsreq::kEstmile},
    {"WC@PURPOSE", tripsreq::kPurpose},
    {"WC@CUSTSPEC", tripsreq::kCustspec},
    {"WC@DESTSPEC", tripsreq::kDestspec},
    {"WC@TRIPCOM", tripsreq::kTripcom},
    {"WC@PO", tripsreq::kPo},
    {"WC@TRIPCAT", tripsreq::kTripcat},
    {"WC@REQUESTOREMAIL", tripsreq::kRequestorEmail},
};

// The form's headings, which are buttons on the form, print as labels.
struct FixedTag {
  const char* tag;
  const char* html;
};
constexpr FixedTag kFixedTags[] = {
    {"WC@FUNDHDR", "<font class=\"label\">Fund:</font>"},
    {"WC@CUSTHDR", "<font class=\"label\">Customer:</font>"},
    {"WC@DESTHDR", "<font class=\"label\">Destination:</font>"},
    // Approval controls, warnings, focus script and hints have no place on paper.
    {"WC@APPROVE", ""},
    {"WC@DATESHDR", ""},
    {"WC@DEPWARN", ""},
    {"WC@RTNWARN", ""},
    {"WC@FOCUS", ""},
    {"WC@DEFAULTRETURNDATE", ""},
    {"WC@REQUESTOREMAILHDR", ""},
    {"WC@LEADTIME", ""},
    {"WC@LEADTIMEHARDWARN", ""},
};

bool isTrueText(std::string_view flag) {
  return vb::equalsIgnoreCase(flag, "True");
}

bool loadFromSession(Ravadid& app) {
  return isTrueText(app.session().text("LoadRequestDetailFromSession"));
}

std::string recordText(Ravadid& app, const char* column) {
  return NullToSpace(app.tripRequest.field(column));
}

std::string requestQuery(std::string_view prefix, const std::string& requestNumber) {
  return std::string(prefix) + sqlWhole(requestNumber) + ")";
}

// A destination typed on the form rather than chosen from the destination table (code 0).
bool typedDestination(Ravadid& app) {
  return vb::Trim(recordText(app, tripsreq::kDestination)) == "0";
}

// The destination row: line 1, and line 2 under it when there is one; nothing without line 1.
std::string addressRow(const std::string& line1, const std::string& line2) {
  if (vb::Trim(line1).empty()) return {};
  std::string html(kAddressRowOpen);
  html += htmlEscape(line1);
  if (!vb::Trim(line2).empty()) html.append("<br>").append(htmlEscape(line2));
  html += "</td></tr>";
  return html;
}

// The printed HTML of a tag, or nothing when the tag keeps the template's text.
std::optional<std::string> printedTag(Ravadid& app, const TagEvent& tag) {
  for (const FixedTag& fixed : kFixedTags) {
    if (tag.is(fixed.tag)) return std::string(fixed.html);
  }
  for (const ColumnTag& plain : kColumnTags) {
    if (tag.is(plain.tag)) return htmlEscape(recordText(app, plain.column));
  }
  if (tag.is("WC@TRIPREQCOMMENT")) {
    return "<b><font color='#FFFFFF'>" + htmlEscape(app.session().text("TRIPREQ_COMMENT")) +
           "</font></b>";
  }
  if (tag.is("WC@REQUEST")) {
    if (app.blnEditable) {
      if (app.blnNewRequest) return std::string();
      return "<input type='text' name='TRIPNUM' value='" +
             htmlEscape(recordText(app, tripsreq::kTripnum)) + "' readonly>";
    }
    if (loadFromSession(app)) return std::string("0");
    return htmlEscape(recordText(app, tripsreq::kTripnum));
  }
  if (tag.is("wc@REQUESTDT")) {
    if (app.blnNewRequest) return htmlEscape(vb::formatDate(vb::Today()));
    return htmlEscape(vb::Trim(recordText(app, tripsreq::kReqdate)));
  }
  if (tag.is("WC@CUSTOMER")) {
    getcust(app, recordText(app, tripsreq::kCustomer));
    return htmlEscape(app.record.customer.name);
  }
  // The request form shows a typed destination's own description and address; the printout
  // does the same rather than print an empty destination.
  if (tag.is("wc@DESTINATION")) {
    if (typedDestination(app)) return htmlEscape(recordText(app, tripsreq::kDestdesc));
    getdest(app, recordText(app, tripsreq::kDestination));
    return htmlEscape(app.record.destination.description);
  }
  if (tag.is("WC@DESTINATIONADDRESS")) {
    if (typedDestination(app)) {
      return addressRow(recordText(app, tripsreq::kDestadd1), recordText(app, tripsreq::kDestadd2));
    }
    getdest(app, recordText(app, tripsreq::kDestination));
    return addressRow(app.record.destination.address1, app.record.destination.address2);
  }
  if (tag.is("WC@STATUSCOMMENT")) {
    if (app.blnNewRequest) return std::nullopt;
    const std::string comment = vb::Trim(recordText(app, tripsreq::kStatusComment));
    if (comment.empty()) return std::nullopt;
    return "Approve/Deny Comment:<br>" + htmlEscape(comment);
  }
  if (tag.is("WC@NEW")) {
    return app.blnNewRequest ? "<input type='text' name='New' value='NEW'>"
                             : "<input type='text' name='New' value='EXISTING'>";
  }
  if (tag.is("WC@CALENDARBUTTON")) return calendarButton(app);
  if (tag.is("WC@HISTORY")) {
    const std::string number = vb::Trim(app.session().text("TRIPREQ"));
    if (app.blnNewRequest || number.empty() || !vb::IsNumeric(Value(number))) return std::string();
    return historySection(readHistory(app.tripschlDb(), vb::CLng(Value(number))));
  }
  return std::nullopt;
}

}  // namespace

void TripRequestDetailPrintPage::respond(Ravadid& app) const {
  TripRequestDetailPrint_Respond(app);
}

void TripRequestDetailPrintPage::processTag(Ravadid& app, TagEvent& tag) const {
  TripRequestDetailPrint_ProcessTag(app, tag);
}

void TripRequestDetailPrint_Respond(Ravadid& app) {
  app.run({.name = kProcedure}, [&] {
    if (!app.sessionCheck()) return;
    Store& session = app.session();
    app.tripRequest.close();
    if (loadFromSession(app)) app.blnEditable = true;
    const std::string requestNumber = session.text("TRIPREQ");
    if (!requestNumber.empty()) {
      if (!app.databasePreamble()) {
        app.closeStep();
        return;
      }
      app.tripRequest.open(
          requestQuery("SELECT TRIPSREQ.* FROM TRIPSREQ where TRIPNUM = clng(", requestNumber),
          app.tripschlDb());
      app.blnEditable = false;
      app.blnApprover = false;
      const Authority authority =
          HasAuthority(app, vb::CLng(app.tripRequest.field(tripsreq::kTripnum)),
                       session.text("ROLE"), "", session.text("Customer"));
      if (!app.noError()) {
        app.tripRequest.close();
        app.closeStep();
        return;
      }
      if (!app.tripRequest.eof() &&
          !MaySeeRequestOf(app, app.tripRequest.field(tripsreq::kCustomer))) {
        app.write(kNotYoursMessage);
        app.tripRequest.close();
        app.closeStep();
        return;
      }
      takeAuthority(app, authority);
    }
    app.writeTemplate(kPageObject);
    if (app.tripRequest.isOpen()) app.tripRequest.close();
    app.closeStep();
  });
}

void TripRequestDetailPrint_ProcessTag(Ravadid& app, TagEvent& tag) {
  app.run({.name = kProcedure}, [&] {
    if (!app.sessionCheck()) return;
    if (replaceDistrictTag(app, tag)) return;
    if (loadFromSession(app)) {
      if (vb::equalsIgnoreCase(app.session().text("RequestDetail.New"), "NEW")) {
        app.blnNewRequest = true;
      } else if (!app.tripRequest.isOpen()) {
        app.tripRequest.open(requestQuery("SELECT TRIPSREQ.* FROM TRIPSREQ WHERE TRIPNUM = CLNG(",
                                          app.session().text("TRIPREQ")),
                             app.tripschlDb());
      }
    }
    if (std::optional<std::string> printed = printedTag(app, tag)) tag.contents = *printed;
  });
}

}  // namespace ravadid

#include "lookup/lookup_dest_page.h"

#include <cstddef>
#include <utility>

#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "request/request_detail_page.h"
#include "request/request_records.h"

namespace ravadid {
namespace {

// A text field of a new destination and the longest text it takes (trimmed).
struct FieldLimit {
  const char* field;
  std::size_t limit;
  const char* message;
};

constexpr FieldLimit kAddressLimits[] = {
    {"DESTADD1", 30,
     "<p>The destination address you have entered is too long, please use your browser's back "
     "button and enter an address with 30 characters or less.</p>"},
    {"DESTADD2", 30,
     "<p>The second line of the destination address you have entered is too long, please use "
     "your browser's back button and enter an address with 30 characters or less.</p>"},
    {"DESTCITY", 15,
     "<p>The destination city you have entered is too long, please use your browser's back "
     "button and enter a city with 15 characters or less.</p>"},
    {"DESTSTATE", 2,
     "<p>The destination state you have entered is too long, please use your browser's back "
     "button and enter a state code with 2 characters.</p>"},
    {"DESTZIP", 10,
     "<p>The destination zip/postal code you have entered is too long, please use your "
     "browser's back button and enter a zip or postal code with 10 characters or less.</p>"},
};

constexpr std::size_t kDescriptionLimit = 75;

// The session value escaped, for a value attribute or the text area of the Add form.
std::string kept(const Store& session, std::string_view key) {
  return htmlEscape(session.text(key));
}

std::string addDestinationForm(Ravadid& app) {
  const Store& session = app.session();
  std::string html = "<table border='1'><tr><td colspan='3'><h1>Add a Destination</h1></td></tr>";
  html +=
      "<tr><td>Description:</td><td><input type='text' name='DESTDESC' size='50' "
      "maxlength='75' value='" +
      kept(session, "RequestDetail.destdesc") + "'></td></tr>";
  html += "<tr><td>Category:</td><td>" + destinationCategorySelect(session) + "</td></tr>";
  html += "<tr><td>Average Miles:</td><td><input type='text' name='MILES' size='4' value='" +
          kept(session, "RequestDetail.miles") + "'></td></tr>";
  html +=
      "<tr><td>Address:</td><td><input type='text' name='DESTADD1' size='30' maxlength='30' "
      "value='" +
      kept(session, "RequestDetail.destadd1") + "'></td></tr>";
  html +=
      "<tr><td>&nbsp;</td><td><input type='text' name='DESTADD2' size='30' maxlength='30' "
      "value='" +
      kept(session, "RequestDetail.destadd2") + "'></td></tr>";
  html +=
      "<tr><td>City:</td><td><input type='text' name='DESTCITY'  size='15' maxlength='15' "
      "value='" +
      kept(session, "RequestDetail.destcity") + "'></td></tr>";
  html +=
      "<tr><td>State:</td><td><input type='text' name='DESTSTATE'  size='2' maxlength='2' "
      "value='" +
      kept(session, "RequestDetail.deststate") + "'></td></tr>";
  html +=
      "<tr><td>Zip/Postal Code:</td><td><input type='text' name='DESTZIP' size='10' "
      "maxlength='10' value='" +
      kept(session, "RequestDetail.destzip") + "'></td></tr>";
  html += "<tr><td>Special Instructions:</td><td><textarea rows='3' cols='60' name='DESTSPEC'>" +
          kept(session, "RequestDetail.destspec") + "</TEXTAREA></td></tr>";
  // The hidden SelDest of 0 marks the posted form as a new destination.
  html +=
      "</table><span style='visibility: hidden'><input type='text' name='SelDest' "
      "value='0'></SPAN>";
  html.append(kReturnParagraph).append("<p>&nbsp;</p>");
  return html;
}

std::string searchResults(db::Recordset& rows) {
  std::string html =
      "<table border='1' width='714'><thead><tr><td width='50'><b>Selected</b></td>"
      "<td width='88'><b>Description</b></td><td width='50'><b>Destination</b></td>"
      "<td width='88'><b>Address</b></td><td width='88'><b>Address#2</b></td>"
      "</tr></thead><tbody>";
  const int code = rows.fieldIndex("Destination");
  const int description = rows.fieldIndex("DESTDESC");
  const int address1 = rows.fieldIndex("DESTADD1");
  const int address2 = rows.fieldIndex("DESTADD2");
  for (; !rows.eof(); rows.moveNext()) {
    html += "<tr><td><input type='radio' name='SelDest' value='";
    appendFieldText(html, rows.fieldValue(code));
    html += "'></td><td>";
    appendFieldText(html, rows.fieldValue(description));
    html += "</td><td>";
    appendFieldText(html, rows.fieldValue(code));
    html += "</td><td>";
    appendHtmlEscaped(html, NullToSpace(rows.fieldValue(address1)));
    html += "</td><td>";
    appendHtmlEscaped(html, NullToSpace(rows.fieldValue(address2)));
    html += "</td></tr>";
  }
  html.append("</tbody></table>").append(kReturnParagraph).append("</td></tr>");
  return html;
}

// A new destination's posted details become the request's destination keys, as typed.
void keepNewDestination(Ravadid& app) {
  Store& session = app.session();
  session.set("RequestDetail.destination", Value::integer(0));
  static constexpr std::pair<const char*, const char*> kCopied[] = {
      {"DESTDESC", "RequestDetail.destdesc"},  {"DESTCAT", "RequestDetail.destcat"},
      {"MILES", "RequestDetail.miles"},        {"DESTADD1", "RequestDetail.destadd1"},
      {"DESTADD2", "RequestDetail.destadd2"},  {"DESTCITY", "RequestDetail.destcity"},
      {"DESTZIP", "RequestDetail.destzip"},    {"DESTSPEC", "RequestDetail.destspec"},
      {"DESTSTATE", "RequestDetail.deststate"}};
  for (auto [field, key] : kCopied) session.set(key, app.form(field));
}

// A destination of the table: its details replace the request's; the keys only a new
// destination has are emptied.
void keepTableDestination(Ravadid& app, const std::string& code) {
  Store& session = app.session();
  session.set("RequestDetail.destination", code);
  if (!app.databasePreamble()) return;
  session.set("RequestDetail.destspec", getdest(app, code));
  const DestinationValues& destination = app.record.destination;
  session.set("RequestDetail.destdesc", destination.description);
  session.set("RequestDetail.destadd1", destination.address1);
  session.set("RequestDetail.destadd2", destination.address2);
  session.set("RequestDetail.miles", Value::single(destination.miles));
  for (const char* key : {"RequestDetail.destcat", "RequestDetail.destcity",
                          "RequestDetail.destzip", "RequestDetail.deststate"})
    session.set(key, "");
  app.closeStep();
}

}  // namespace

void LookupDestPage::onEvent(Ravadid& app, const std::string& event) const {
  if (vb::equalsIgnoreCase(event, "FindDests")) {
    LookupDest_FindDests(app, *this);
  } else {
    LookupDest_RetwSelected(app);
  }
}

std::string destinationCategorySelect(const Store& session) {
  const WorkingList categories = readList(session, kDestinationCategoryListKeys);
  std::string html = "<select name='DESTCAT'>";
  if (categories.count == 0) {
    html += "<option> </option>";
  } else {
    for (int i = 0; i <= categories.count; ++i) {
      html += "<option>";
      appendHtmlEscaped(html, categories.entry(i));
      html += "</option>";
    }
  }
  return html + "</select>";
}

std::string newDestinationProblem(Ravadid& app) {
  const std::string miles = vb::Trim(app.form("MILES"));
  if (!miles.empty() && !vb::IsNumeric(Value(miles)))
    return "<p>Please enter a valid number of miles (or 0) in the Average Miles field.</p>";
  // Blanks count as a description here; trimmed they are within the limit.
  const std::string description = app.form("DESTDESC");
  if (description.empty())
    return "<p align='center'>When entering in a new destination, a destination description is "
           "required.</p><p>Please use your browser's back button and enter a description with "
           "75 characters or less.</p>";
  if (characterCount(vb::Trim(description)) > kDescriptionLimit)
    return "<p>The destination description you have entered is too long, please use your "
           "browser's back button and enter a description with 75 characters or less.</p>";
  for (const FieldLimit& limit : kAddressLimits)
    if (characterCount(vb::Trim(app.form(limit.field))) > limit.limit) return limit.message;
  return {};
}

void LookupDest_FindDests(Ravadid& app, const LookupPage& page) {
  runLookupEvent(app, "LookupDest_FindDests", [&] {
    if (!app.sessionCheck()) return;
    LookupState state;
    if (vb::equalsIgnoreCase(app.form("btnsubmit"), "New")) {
      state.results = addDestinationForm(app);
      page.writePage(app, state);
      return;
    }
    std::string sql = "SELECT DESTINATION.* FROM DESTINATION";
    const std::string description = vb::Trim(app.form("DESTDESC"));
    if (!description.empty())
      sql += " WHERE" + beginsWithCondition("ucase$(DESTINATION.DESTDESC)", vb::UCase(description));
    sql += " ORDER BY DESTINATION.DESTDESC";
    if (!app.databasePreamble()) return;
    db::Recordset rows;
    rows.open(sql, app.tripDb(), db::CursorType::Static, db::LockType::ReadOnly);
    if (refuseTooManyRows(app, rows, page.name())) return;
    state.results = searchResults(rows);
    rows.close();
    app.closeStep();
    page.writePage(app, state);
  });
}

void LookupDest_RetwSelected(Ravadid& app) {
  runLookupEvent(app, "LookupDest_RetwSelected", [&] {
    if (!app.sessionCheck()) return;
    const std::string chosen = app.form("SelDest");
    if (!chosen.empty()) {
      // Compared as a number, as the form posts codes: text that is none fails the event.
      if (vb::CDbl(Value(chosen)) == 0) {
        if (std::string problem = newDestinationProblem(app); !problem.empty()) {
          app.write(problem);
          backToLookup(app, "LookupDest");
          return;
        }
        keepNewDestination(app);
      } else {
        keepTableDestination(app, chosen);
      }
    }
    if (app.noError()) RequestDetail_UserEvent(app, app.session().text("TripReq"));
  });
}

}  // namespace ravadid

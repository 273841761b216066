#include "approval/assignment_section.h"

#include <memory>
#include <string>

#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"

namespace ravadid {
namespace {

namespace tripsreq = schema::tripsreq;

constexpr const char* kScheduleNames[] = {tripsreq::kSchedule, tripsreq::kSchedule2,
                                          tripsreq::kSchedule3, tripsreq::kSchedule4,
                                          tripsreq::kSchedule5};

// One option; the label falls back to the code when the entry has no description.
void appendOption(std::string& select, std::string_view code, std::string_view label,
                  bool selected) {
  select.append("<option value='").append(htmlEscape(code)).append("'");
  if (selected) select.append(" selected");
  select.append(">").append(htmlEscape(label.empty() ? code : label)).append("</option>");
}

bool sameCode(std::string_view a, std::string_view b) {
  return vb::equalsIgnoreCase(vb::Trim(a), vb::Trim(b));
}

// A select over a loaded list of "CODE, Description" entries.
std::string listSelect(std::string_view name, std::string_view id, const WorkingList& list,
                       std::string_view selected) {
  std::string select = "<select name='";
  select.append(name).append("' id='").append(id).append("'>");
  bool found = vb::Trim(selected).empty();
  appendOption(select, "", "", found);
  for (int i = 1; i <= list.count; ++i) {
    SplitEntry entry = splitAtFirstComma(list.entry(i));
    std::string code = entry.hasComma ? entry.code : std::string(list.entry(i));
    const bool match = !found && sameCode(code, selected);
    found = found || match;
    appendOption(select, code, entry.description, match);
  }
  if (!found) appendOption(select, vb::Trim(selected), "", true);
  select.append("</select>");
  return select;
}

// A column of the open request as the controls show it: null reads as nothing.
std::string requestText(Ravadid& app, const char* column) {
  return vb::Trim(NullToSpace(app.tripRequest.field(column)));
}

bool requestFlag(Ravadid& app, const char* column) {
  const Value value = app.tripRequest.field(column);
  return !value.isNull() && vb::CBool(value);
}

std::string countInput(std::string_view name, std::string_view id, std::string_view value) {
  return "<input type='text' name='" + std::string(name) + "' id='" + std::string(id) +
         "' size='3' maxlength='3' inputmode='numeric' value='" + htmlEscape(value) + "'>";
}

std::string checkBox(std::string_view name, std::string_view id, bool checked,
                     std::string_view label) {
  return "<label class='check' for='" + std::string(id) + "'><input type='checkbox' name='" +
         std::string(name) + "' id='" + std::string(id) + "' value='ON'" +
         (checked ? " checked" : "") + "> " + std::string(label) + "</label>";
}

std::string row(std::string_view id, std::string_view label, const std::string& control) {
  return "<tr><th scope='row'><label for='" + std::string(id) + "'>" + std::string(label) +
         "</label></th><td>" + control + "</td></tr>";
}

}  // namespace

void PopulateSchedDD(Ravadid& app) {
  runLoader(app, "PopulateSchedDD", [&] {
    app.lists.schedules = loadList(app.tripDb(),
                                   "SELECT SCHEDMAST.SCHEDULE, SCHEDMAST.SCHEDDESC FROM SCHEDMAST "
                                   "ORDER BY SCHEDMAST.SCHEDULE",
                                   schema::schedmast::kSchedule, schema::schedmast::kScheddesc);
  });
}

void PopulateVehTypeDD(Ravadid& app) {
  runLoader(app, "PopulateVehTypeDD", [&] {
    app.lists.vehicleTypes = loadList(app.tripDb(),
                                      "SELECT VEHTYPE.VEHTYPE, VEHTYPE.VTYPDESC FROM VEHTYPE "
                                      "WHERE VEHTYPE.Active = True ORDER BY VEHTYPE.VTYPDESC",
                                      schema::vehtype::kVehtype, schema::vehtype::kVtypdesc);
  });
}

void PopulateTikTempDD(Ravadid& app) {
  runLoader(app, "PopulateTikTempDD", [&] {
    app.lists.ticketTemplates = loadList(
        app.tripDb(),
        "SELECT TRIPTICKET_TEMPLATE.TICKET_ID, TRIPTICKET_TEMPLATE.TEMPLATE_DESC FROM "
        "TRIPTICKET_TEMPLATE WHERE TRIPTICKET_TEMPLATE.Active = True "
        "ORDER BY TRIPTICKET_TEMPLATE.TEMPLATE_DESC",
        schema::tripticket_template::kTicketId, schema::tripticket_template::kTemplateDesc);
  });
}

std::string BuildSchedDD(Ravadid& app, std::string_view selSched, int schedNum) {
  if (schedNum < 1 || schedNum > 5) schedNum = 1;
  return listSelect(kScheduleNames[schedNum - 1], "a-schedule" + std::to_string(schedNum),
                    app.lists.schedules, selSched);
}

std::string BuildVehTypeDD(Ravadid& app, std::string_view selVehType, std::string_view strPrimary) {
  const bool primary = vb::equalsIgnoreCase(strPrimary, "True");
  return listSelect(primary ? tripsreq::kType : tripsreq::kAddltype,
                    primary ? "a-type" : "a-addltype", app.lists.vehicleTypes, selVehType);
}

const std::vector<std::string>& capacityChoices() {
  static const std::vector<std::string> choices = {"12", "24", "36", "48", "60", "72", "84"};
  return choices;
}

std::string BuildCapacityDD(Ravadid& app, std::string_view selCapacity) {
  std::string html;
  app.run({.name = "BuildCapacityDD", .closesConnections = false}, [&] {
    std::vector<std::string> entries = {""};
    entries.insert(entries.end(), capacityChoices().begin(), capacityChoices().end());
    html =
        listSelect(tripsreq::kCapacity, "a-capacity",
                   WorkingList{std::make_shared<const std::vector<std::string>>(std::move(entries)),
                               static_cast<int16_t>(capacityChoices().size())},
                   selCapacity);
  });
  return html;
}

std::string BuildTripTikDD(Ravadid& app, std::string_view selTripTik) {
  return listSelect(tripsreq::kTicketFormat, "a-ticket", app.lists.ticketTemplates, selTripTik);
}

void BuildAssignmentSection(Ravadid& app) {
  app.run({.name = "BuildAssignmentSection", .closesConnections = false}, [&] {
    PopulateSchedDD(app);
    PopulateVehTypeDD(app);
    PopulateTikTempDD(app);
    if (!app.noError()) return;
    std::string html = "<table class='assignment'><tbody>";
    for (int n = 1; n <= 5; ++n) {
      const std::string id = "a-schedule" + std::to_string(n);
      html += row(id, "Schedule #" + std::to_string(n),
                  BuildSchedDD(app, requestText(app, kScheduleNames[n - 1]), n));
    }
    html += row("a-type", "Vehicle type",
                BuildVehTypeDD(app, requestText(app, tripsreq::kType), "True"));
    html += row("a-numtype", "Number of vehicles",
                countInput(tripsreq::kNumtype, "a-numtype", requestText(app, tripsreq::kNumtype)));
    html += row("a-addltype", "Additional vehicle type",
                BuildVehTypeDD(app, requestText(app, tripsreq::kAddltype), "False"));
    html += row("a-numaddl", "Number of additional vehicles",
                countInput(tripsreq::kNumaddl, "a-numaddl", requestText(app, tripsreq::kNumaddl)));
    html +=
        row("a-capacity", "Capacity", BuildCapacityDD(app, requestText(app, tripsreq::kCapacity)));
    html += row("a-ticket", "Trip ticket template",
                BuildTripTikDD(app, requestText(app, tripsreq::kTicketFormat)));
    html +=
        "<tr><td colspan='2'>" +
        checkBox(tripsreq::kCalcnumdrivers, "a-calcnumdrivers",
                 requestFlag(app, tripsreq::kCalcnumdrivers), "Calculate the number of drivers") +
        "</td></tr><tr><td colspan='2'>" +
        checkBox(tripsreq::kAutoassign, "a-autoassign", requestFlag(app, tripsreq::kAutoassign),
                 "Assign vehicles automatically") +
        "</td></tr></tbody></table>";
    app.write(html);
  });
}

}  // namespace ravadid

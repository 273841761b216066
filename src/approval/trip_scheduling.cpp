#include "approval/trip_scheduling.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <string_view>

#include "approval/assignment_section.h"
#include "approval/request_history.h"
#include "approval/trip_creation.h"
#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/configuration.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/db/write_transaction.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"

namespace ravadid {
namespace {

namespace tripsreq = schema::tripsreq;

constexpr const char* kScheduleColumns[] = {tripsreq::kSchedule, tripsreq::kSchedule2,
                                            tripsreq::kSchedule3, tripsreq::kSchedule4,
                                            tripsreq::kSchedule5};
constexpr int kMostVehicles = 99;

std::string trimmedText(const Value& value) {
  return vb::Trim(NullToSpace(value));
}

// A posted choice is one the list offers, nothing, or the value the request holds already.
bool offered(std::string_view posted, const WorkingList& list, const Value& stored) {
  const std::string choice = vb::Trim(posted);
  if (choice.empty() || vb::equalsIgnoreCase(choice, trimmedText(stored))) return true;
  for (int i = 1; i <= list.count; ++i) {
    SplitEntry entry = splitAtFirstComma(list.entry(i));
    if (vb::equalsIgnoreCase(vb::Trim(entry.hasComma ? entry.code : list.entry(i)), choice))
      return true;
  }
  return false;
}

bool capacityOffered(std::string_view posted, const Value& stored) {
  const std::string choice = vb::Trim(posted);
  if (choice.empty() || vb::equalsIgnoreCase(choice, trimmedText(stored))) return true;
  const auto& choices = capacityChoices();
  return std::find(choices.begin(), choices.end(), choice) != choices.end();
}

// Nothing, or a whole number of vehicles.
std::optional<Value> vehicleCount(std::string_view posted) {
  const std::string text = vb::Trim(posted);
  if (text.empty()) return Value::null();
  if (text.size() > 2 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int count = std::stoi(text);
  if (count > kMostVehicles) return std::nullopt;
  return Value::integer(static_cast<int16_t>(count));
}

Value textOrNull(std::string_view posted) {
  const std::string text = vb::Trim(posted);
  return text.empty() ? Value::null() : Value(text);
}

// Checks the posted assignment against the lists and writes it into the current request row.
// False when a value is refused.
bool writeAssignment(Ravadid& app, db::Recordset& request, const PostedAssignment& posted) {
  const WorkingList& schedules = app.lists.schedules;
  const WorkingList& types = app.lists.vehicleTypes;
  for (int n = 0; n < 5; ++n)
    if (!offered(posted.schedules[n], schedules, request.field(kScheduleColumns[n]))) return false;
  if (!offered(posted.type, types, request.field(tripsreq::kType)) ||
      !offered(posted.addlType, types, request.field(tripsreq::kAddltype)) ||
      !offered(posted.ticketFormat, app.lists.ticketTemplates,
               request.field(tripsreq::kTicketFormat)) ||
      !capacityOffered(posted.capacity, request.field(tripsreq::kCapacity)))
    return false;
  const std::optional<Value> numType = vehicleCount(posted.numType);
  const std::optional<Value> numAddl = vehicleCount(posted.numAddl);
  if (!numType || !numAddl) return false;

  for (int n = 0; n < 5; ++n)
    request.setField(kScheduleColumns[n], textOrNull(posted.schedules[n]));
  request.setField(tripsreq::kType, textOrNull(posted.type));
  request.setField(tripsreq::kNumtype, *numType);
  request.setField(tripsreq::kAddltype, textOrNull(posted.addlType));
  request.setField(tripsreq::kNumaddl, *numAddl);
  request.setField(tripsreq::kCapacity, textOrNull(posted.capacity));
  request.setField(tripsreq::kTicketFormat, textOrNull(posted.ticketFormat));
  request.setField(tripsreq::kCalcnumdrivers, Value::boolean(posted.calcNumDrivers));
  request.setField(tripsreq::kAutoassign, Value::boolean(posted.autoAssign));
  request.update();
  return true;
}

// Takes a trip out again whose request could not be marked: a failure here leaves the first
// error as the one reported.
void deleteTrip(Ravadid& app, int32_t trip) {
  try {
    std::lock_guard turn(db::writerTurn(app.tripDb().shared()->path));
    app.tripDb().execute("DELETE FROM TRIPS WHERE TRIPNUM = " + std::to_string(trip));
  } catch (const std::exception&) {
  }
}

}  // namespace

std::string transportRole(Ravadid& app) {
  std::string role = vb::Trim(tripOptionOr(app, "TRANSPORT_ROLE", ""));
  return role.empty() ? std::string("TRANSPORT") : role;
}

bool holdsTransportRole(Ravadid& app) {
  return vb::equalsIgnoreCase(vb::Trim(app.session().text("ROLE")), transportRole(app));
}

std::string notFoundMessage(int32_t requestNumber) {
  return "<p>There is no trip request " + std::to_string(requestNumber) + ".</p>";
}

std::string alreadyScheduledMessage(int32_t tripNumber) {
  return "<p>This request is already scheduled as trip " + std::to_string(tripNumber) + ".</p>";
}

std::optional<int32_t> scheduledTrip(const Value& fieldTripNumber) {
  const std::string text = trimmedText(fieldTripNumber);
  if (text.empty()) return std::nullopt;
  const int32_t trip = vb::CLng(Value(text));
  if (trip == 0) return std::nullopt;
  return trip;
}

std::string schedulingRefusal(const Value& status, const Value& fieldTripNumber) {
  if (std::optional<int32_t> trip = scheduledTrip(fieldTripNumber))
    return alreadyScheduledMessage(*trip);
  if (!vb::equalsIgnoreCase(trimmedText(status), "ACCEPTED")) return kNotAcceptedMessage;
  return {};
}

std::string scheduleTripAction(Ravadid& app) {
  if (app.blnNewRequest || !app.tripRequest.isOpen() || app.tripRequest.eof()) return {};
  const Value fieldTrip = app.tripRequest.field(tripsreq::kFieldtripNum);
  if (std::optional<int32_t> trip = scheduledTrip(fieldTrip))
    return "<span class='trip-scheduled'>Scheduled as trip <strong>" + std::to_string(*trip) +
           "</strong></span>";
  if (!schedulingRefusal(app.tripRequest.field(tripsreq::kStatus), fieldTrip).empty() ||
      !holdsTransportRole(app))
    return {};
  const std::string number = std::to_string(vb::CLng(app.tripRequest.field(tripsreq::kTripnum)));
  return "<span class='actions schedule-trip'><a href='" +
         htmlEscape(app.urlFor("ScheduleTrip", number)) + "'>Schedule as a trip</a></span>";
}

PostedAssignment readPostedAssignment(const Ravadid& app) {
  PostedAssignment posted;
  for (int n = 0; n < 5; ++n) posted.schedules[n] = app.form(kScheduleColumns[n]);
  posted.type = app.form(tripsreq::kType);
  posted.numType = app.form(tripsreq::kNumtype);
  posted.addlType = app.form(tripsreq::kAddltype);
  posted.numAddl = app.form(tripsreq::kNumaddl);
  posted.capacity = app.form(tripsreq::kCapacity);
  posted.ticketFormat = app.form(tripsreq::kTicketFormat);
  posted.calcNumDrivers = !app.form(tripsreq::kCalcnumdrivers).empty();
  posted.autoAssign = !app.form(tripsreq::kAutoassign).empty();
  return posted;
}

ScheduleOutcome ScheduleRequestAsTrip(Ravadid& app, int32_t requestNumber,
                                      const PostedAssignment& assignment) {
  PopulateSchedDD(app);
  PopulateVehTypeDD(app);
  PopulateTikTempDD(app);
  if (!app.noError()) return {};

  // The request file's write lock is held from the re-read of the request to the commit, so
  // that two departments' clicks make one trip.
  db::WriteTransaction transaction(app.tripschlDb());
  db::Recordset request;
  request.open("SELECT TRIPSREQ.* FROM TRIPSREQ WHERE TRIPNUM = " + std::to_string(requestNumber),
               app.tripschlDb(), db::CursorType::Keyset, db::LockType::Optimistic);
  if (request.eof()) return {0, notFoundMessage(requestNumber)};
  if (std::string refusal = schedulingRefusal(request.field(tripsreq::kStatus),
                                              request.field(tripsreq::kFieldtripNum));
      !refusal.empty())
    return {0, refusal};
  // CreateTrip reads the request through the same connection, so it copies the assignment
  // written here before it is committed.
  if (!writeAssignment(app, request, assignment)) return {0, kAssignmentMessage};

  int32_t trip = 0;
  {
    std::lock_guard turn(db::writerTurn(app.tripDb().shared()->path));
    trip = CreateTrip(app, requestNumber);
  }
  if (!app.noError()) return {};
  try {
    request.setField(tripsreq::kFieldtripNum, Value::whole(trip));
    request.update();
    HistoryLine line;
    line.tripNumber = requestNumber;
    line.action = history_action::kTripCreated;
    line.user = app.session().text("USER");
    line.role = app.session().text("ROLE");
    line.at = vb::Now();
    line.statusBefore = line.statusAfter = vb::Trim(NullToSpace(request.field(tripsreq::kStatus)));
    line.comment = vb::Trim(NullToSpace(request.field(tripsreq::kStatusComment)));
    recordHistory(app.tripschlDb(), line);
    transaction.commit();
  } catch (...) {
    deleteTrip(app, trip);
    throw;
  }
  return {trip, {}};
}

}  // namespace ravadid

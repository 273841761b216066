#include "frame/connections.h"

#include <mutex>
#include <string>
#include <unordered_set>

#include "frame/application.h"
#include "frame/errors.h"
#include "frame/schema.h"

namespace ravadid {
namespace {

// An installation made by an older version lacks the tables and indexes added since; each file
// gets them at its first open by this process.
void addMissingIndexesOnce(db::Connection& connection, const char* file) {
  static std::mutex mutex;
  static std::unordered_set<std::string> done;
  std::lock_guard lock(mutex);
  if (!done.insert(connection.path()).second) return;
  schema::createAddedTables(connection.handle(), file);
  schema::createMissingIndexes(connection.handle(), file);
}

}  // namespace

void SetTripDBConnections(Ravadid& app) {
  WorkerState& w = app.worker();
  try {
    for (auto [slot, file] :
         {std::pair{&w.tripConnection, kTripFile}, std::pair{&w.zqkrsc1Connection, kUsersFile},
          std::pair{&w.tripschlConnection, kRequestsFile}}) {
      *slot = db::Connection();
      if (!slot->isOpen()) slot->open(w.strTripDataPath + file);
      addMissingIndexesOnce(*slot, file);
    }
  } catch (const VbError& e) {
    app.errorText() = "Error in Procedure: SetTripDBConnections of Module: ChkEligWeb.  Error: " +
                      std::to_string(e.number()) + " - " + e.description() +
                      "; strTripDataPath=" + w.strTripDataPath + ".";
  }
}

void CloseTripDBConnections(Ravadid& app) {
  WorkerState& w = app.worker();
  try {
    for (db::Connection* slot : {&w.tripConnection, &w.zqkrsc1Connection, &w.tripschlConnection})
      if (slot->isOpen()) slot->close();
  } catch (const VbError& e) {
    app.errorText() = errorReport("CloseTripDBConnections", kModuleConfiguration, e.number(),
                                  e.description(), true);
  }
}

}  // namespace ravadid

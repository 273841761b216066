#include "frame/connections.h"

#include "frame/application.h"
#include "frame/errors.h"

namespace ravadid {

void SetTripDBConnections(Ravadid& app) {
  WorkerState& w = app.worker();
  try {
    for (auto [slot, file] :
         {std::pair{&w.tripConnection, kTripFile}, std::pair{&w.zqkrsc1Connection, kUsersFile},
          std::pair{&w.tripschlConnection, kRequestsFile}}) {
      *slot = db::Connection();
      if (!slot->isOpen()) slot->open(w.strTripDataPath + file);
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

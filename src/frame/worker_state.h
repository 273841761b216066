// The module state that outlives a request on one worker thread: the request error text, the
// application folder, the data folder and the three connection slots. Never shared between
// threads, so it needs no lock.
#pragma once

#include <cstdint>
#include <string>

#include "frame/db/database.h"

namespace ravadid {

struct WorkerState {
  std::string errorText = "NA";  // "NA": no error in this request
  std::string applicationFolder;
  std::string strTripDataPath;
  db::Connection tripConnection;      // trip.mdb
  db::Connection zqkrsc1Connection;   // zqkrsc1.mdb
  db::Connection tripschlConnection;  // Tripschl.mdb
};

// The calling thread's state for the web application with the given id. Keyed by application
// so that several applications in one process (tests) keep their folders apart.
WorkerState& workerState(std::uint64_t applicationId);

}  // namespace ravadid

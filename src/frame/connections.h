// The three database files of the data folder and their connections, opened and closed
// around each handler's database work.
#pragma once

namespace ravadid {

class Ravadid;

inline constexpr const char* kTripFile = "trip.mdb";
inline constexpr const char* kUsersFile = "zqkrsc1.mdb";
inline constexpr const char* kRequestsFile = "Tripschl.mdb";

// Opens trip.mdb, zqkrsc1.mdb and Tripschl.mdb, in that order, from strTripDataPath.
// A failure sets the request error text naming the data folder.
void SetTripDBConnections(Ravadid& app);
// Closes the three connections; harmless when they are closed already.
void CloseTripDBConnections(Ravadid& app);

}  // namespace ravadid

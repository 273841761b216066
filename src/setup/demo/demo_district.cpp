#include "setup/demo/demo_district.h"

#include <stdexcept>

#include "frame/connections.h"
#include "setup/demo/customers.h"
#include "setup/demo/database_file.h"
#include "setup/demo/district_builder.h"
#include "setup/demo/district_rows.h"
#include "setup/demo/local_time.h"
#include "setup/demo/reference_rows.h"

namespace ravadid {

const std::vector<DemoUser>& demoUsers() {
  static const std::vector<DemoUser> kUsers = demo::buildUsers();
  return kUsers;
}

void fillDemoDistrict(const std::filesystem::path& dataFolder) {
  fillDemoDistrict(dataFolder, demo::localToday());
}

void fillDemoDistrict(const std::filesystem::path& dataFolder, std::chrono::year_month_day today) {
  if (!today.ok()) throw std::invalid_argument("fillDemoDistrict: invalid date");
  demo::DistrictBuilder district(today);
  district.build();

  // Every file is checked before any is written, and all three commit only after all writes
  // succeeded.
  demo::DatabaseFile tripFile(dataFolder, kTripFile);
  demo::DatabaseFile usersFile(dataFolder, kUsersFile);
  demo::DatabaseFile requestsFile(dataFolder, kRequestsFile);
  for (demo::DatabaseFile* file : {&tripFile, &usersFile, &requestsFile}) file->requireEmpty();

  demo::writeSettings(tripFile);
  demo::writeCodeTables(tripFile);
  demo::writeCustomers(tripFile, district);
  demo::writeDestinations(tripFile, district);
  demo::writeCalendar(tripFile, district);
  demo::writeTrips(tripFile, district);
  demo::writeUsers(usersFile);
  demo::writeRequests(requestsFile, district);

  tripFile.commit();
  usersFile.commit();
  requestsFile.commit();
}

}  // namespace ravadid

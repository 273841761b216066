// A realistic sample district for `ravadid init --demo`: schools, destinations, funds, approval
// chains, users of every role, calendar notes, trip requests in every status and scheduled trips
// with their billing.
//
// The content comes from a fixed-seed generator, so every run makes the same district, while all
// dates are placed relative to the given day (today by default) so the demo never goes stale:
// requests and trips depart from about 120 days before to about 120 days after it.
//
// The other headers of this folder are the generator's own parts (namespace ravadid::demo).
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ravadid {

// One sign-in of the demo district.
struct DemoUser {
  std::string id;
  std::optional<std::string> password;  // nullopt: stored as null, signs in with an empty one
  std::string role;
  std::string customer;  // empty: serves all customers
  std::string email;     // empty: stored as null
  std::string description;
  bool canOverrideFund = false;           // SCTKFOVD "True"
  bool canOverrideDepartureDate = false;  // SCTKDDFT "True"
};

// Every user that fillDemoDistrict writes to KRSCU: district staff first, then customer by
// customer its principal (active schools) and its requester.
const std::vector<DemoUser>& demoUsers();

// Fills the three database files (trip.mdb, zqkrsc1.mdb, Tripschl.mdb) in `dataFolder`, which must
// exist with the full schema and hold no rows. Each file is written in one transaction; the three
// commit only after every write succeeded, so a failed write leaves them empty. Throws
// std::runtime_error when a file cannot be opened, lacks a table, already holds data, or a write
// fails.
void fillDemoDistrict(const std::filesystem::path& dataFolder);

// The same, with the dates placed around `today` instead of the local date. Equal days give equal
// databases.
void fillDemoDistrict(const std::filesystem::path& dataFolder, std::chrono::year_month_day today);

}  // namespace ravadid

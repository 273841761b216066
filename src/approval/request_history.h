// The approval history of trip requests: one line for every change of a request, written in
// the same transaction as the change, and the table of a request's lines on its form and
// printout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ravadid {

namespace db {
class Connection;
}

// What a history line says was done.
namespace history_action {
inline constexpr const char* kCreated = "Created";
inline constexpr const char* kSaved = "Saved";
inline constexpr const char* kApproved = "Approved";
inline constexpr const char* kDenied = "Denied";
inline constexpr const char* kDeleted = "Deleted";
inline constexpr const char* kTripCreated = "Trip created";
// "Copied from request 12": the first line of a request saved from a copy of another.
std::string copiedFrom(std::string_view sourceRequest);
}  // namespace history_action

struct HistoryLine {
  int32_t tripNumber = 0;
  std::string action;
  std::string user;
  std::string role;
  double at = 0;  // date serial, server time
  std::string statusBefore;
  std::string statusAfter;
  std::string comment;  // the request's approve/deny comment after the change
};

// Adds one line to TRIPREQ_HISTORY of Tripschl.mdb. Call it inside the caller's open write
// transaction on that connection, after the change it records: both are committed or rolled
// back together. A failure raises the database error, so the caller's change is rolled back.
void recordHistory(db::Connection& tripschl, const HistoryLine& line);

// The lines the form and the printout show: a request changed more often shows its latest
// changes, so its page does not grow with every save.
inline constexpr std::size_t kShownHistoryLines = 50;

struct RequestHistory {
  std::vector<HistoryLine> lines;  // oldest first
  std::size_t earlier = 0;         // older lines left out
};

// The newest lines of one request (at most newest), oldest first.
RequestHistory readHistory(db::Connection& tripschl, int32_t tripNumber,
                           std::size_t newest = kShownHistoryLines);

// The "History" section: a table of when, who, action, status before and after, and comment,
// every value escaped, with a note of the lines left out; empty when there are no lines.
std::string historySection(const RequestHistory& history);

}  // namespace ravadid

// The approval history of trip requests: one line for every change of a request, written in
// the same transaction as the change, and the table of a request's lines on its form and
// printout.
#pragma once

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

// The lines of one request, oldest first.
std::vector<HistoryLine> readHistory(db::Connection& tripschl, int32_t tripNumber);

// The "History" section: a table of when, who, action, status before and after, and comment,
// every value escaped; empty when there are no lines.
std::string historySection(const std::vector<HistoryLine>& lines);

}  // namespace ravadid

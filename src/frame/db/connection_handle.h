// The open SQLite handle behind a connection, shared with the record sets that still use it,
// and the register of boolean columns.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "frame/db/database.h"

struct sqlite3_stmt;

namespace ravadid::db {

struct ConnectionHandle {
  ConnectionHandle(sqlite3* database, std::string file) : db(database), path(std::move(file)) {}
  ~ConnectionHandle();
  ConnectionHandle(const ConnectionHandle&) = delete;
  ConnectionHandle& operator=(const ConnectionHandle&) = delete;

  sqlite3* db;
  std::string path;
  // Whether the handle returns to the pool of idle handles, and the file it belongs to.
  bool pooled = false;
  unsigned long device = 0;
  unsigned long inode = 0;
};

// Raises the engine's error for a failed call on this handle.
[[noreturn]] void raiseDatabaseError(sqlite3* db);

// One prepared statement of SQLite's SQL. Anything but blanks after the first statement is an
// error, so a value pasted into a statement can never add a second one.
using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;
Statement prepareStatement(sqlite3* db, std::string_view sqliteSql);

// Error 3709: a statement on a connection that is not open.
[[noreturn]] void raiseConnectionUnusable();

bool isBooleanColumn(std::string_view table, std::string_view column);

}  // namespace ravadid::db

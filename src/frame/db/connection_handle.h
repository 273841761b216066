// The open SQLite handle behind a connection, shared with the record sets that still use it,
// and the register of boolean columns.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "frame/db/database.h"

struct sqlite3_stmt;

namespace ravadid::db {

// What tells a file's contents apart without reading them. A file overwritten in place keeps
// its device and inode, but its size or its modification and change times move.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};
  bool operator==(const FileIdentity& other) const;
};
// The identity of the regular file at path; nothing when there is none.
std::optional<FileIdentity> identityOf(const std::string& path);

struct ConnectionHandle {
  ConnectionHandle(sqlite3* database, std::string file) : db(database), path(std::move(file)) {}
  ~ConnectionHandle();
  ConnectionHandle(const ConnectionHandle&) = delete;
  ConnectionHandle& operator=(const ConnectionHandle&) = delete;

  sqlite3* db;
  std::string path;
  // Whether the handle returns to the pool of idle handles; the identity of its file when it
  // was opened or taken from the pool, and the handle's count of changed rows at that time.
  bool pooled = false;
  FileIdentity identity;
  int64_t changesWhenTaken = 0;
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

// The open SQLite handle behind a connection, shared with the record sets that still use it,
// and the register of boolean columns.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "frame/db/database.h"

struct sqlite3_stmt;
struct sqlite3_value;

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

// One prepared statement of SQLite's SQL. Anything but blanks after the first statement is an
// error, so a value pasted into a statement can never add a second one.
using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;
Statement prepareStatement(sqlite3* db, std::string_view sqliteSql);

enum class Affinity { Integer, Text, None, Real, Numeric };

// A field of a statement's result as a record set reads it.
struct ColumnDescription {
  std::string name;      // as the statement names it
  std::string table;     // the table it comes from; empty for an expression
  std::string origin;    // its name in that table
  std::string declared;  // its declared type
  Affinity affinity = Affinity::None;
  bool date = false;
  bool boolean = false;
};
using ColumnDescriptions = std::vector<ColumnDescription>;

// A statement prepared on a handle, kept reset between uses, with the description of its
// fields and what that description was taken under: the statement's count of automatic
// re-preparations (a schema change) and the generation of the boolean column register.
struct CachedStatement {
  Statement statement;
  std::shared_ptr<const ColumnDescriptions> columns;
  int reprepared = 0;
  uint64_t booleanGeneration = 0;
};

// The statements prepared on one handle, by their SQLite text. A statement is taken out while
// in use, so that a nested use of the same text prepares its own; it is put back reset once
// its rows were read, and dropped (finalized) when its use failed.
class StatementCache {
 public:
  std::optional<CachedStatement> take(const std::string& sql);
  void put(const std::string& sql, CachedStatement cached);
  std::size_t size() const;

 private:
  static constexpr std::size_t kMaxStatements = 24;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, CachedStatement> statements_;
};

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
  // Statements kept prepared on the handle; they travel with it through the pool of idle
  // handles and are finalized before it closes.
  std::unique_ptr<StatementCache> statements = std::make_unique<StatementCache>();
};

// The turn of this process's writers to one database file. A writer takes it before asking
// SQLite for the write lock, so the writers of the server queue here; SQLite's busy handler
// polls with growing sleeps and, with many writers under load, can pass one over until its
// timeout ends the save with "database is locked".
std::mutex& writerTurn(const std::string& path);

// Raises the engine's error for a failed call on this handle.
[[noreturn]] void raiseDatabaseError(sqlite3* db);

// Error 3709: a statement on a connection that is not open.
[[noreturn]] void raiseConnectionUnusable();

// Errors 3021 (no current row) and 3265 (no field of that name or position).
[[noreturn]] void raiseNoCurrentRecord();
[[noreturn]] void raiseItemNotFound();

// The descriptions of a prepared statement's fields, from column first on.
std::shared_ptr<const ColumnDescriptions> describeColumns(sqlite3_stmt* statement, int first);
// A prepared statement with the description of its fields, taken now.
CachedStatement describeStatement(Statement statement);
// The handle's kept statement of this SQLite text when its description still holds, else one
// prepared or described afresh. Given back through the handle's cache once its rows were read.
CachedStatement takeStatement(ConnectionHandle& handle, const std::string& sqliteSql);
// The position of a field by name ignoring case, or by "TABLE.COLUMN".
std::optional<int> indexOfField(const ColumnDescriptions& columns, std::string_view name);
// A field of a statement's current row as the record sets read it: dates and flags by their
// column, date text of an expression as a date.
Value readField(const ColumnDescription& column, sqlite3_value* stored);

bool isBooleanColumn(std::string_view table, std::string_view column);
// Moves whenever a boolean column is registered, so that descriptions taken before are redone.
uint64_t booleanColumnsGeneration();

}  // namespace ravadid::db

#include <sqlite3.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <shared_mutex>

#include "frame/db/connection_handle.h"
#include "frame/db/database.h"
#include "frame/db/sql_functions.h"
#include "frame/errors.h"
#include "frame/runtime.h"

namespace ravadid::db {

namespace {

constexpr int kBusyTimeoutMilliseconds = 5000;

struct BooleanColumns {
  std::shared_mutex mutex;
  std::set<std::string> names;  // "TABLE.COLUMN" upper-cased
};
BooleanColumns& booleanColumns() {
  static BooleanColumns columns;
  return columns;
}
std::string booleanKey(std::string_view table, std::string_view column) {
  return vb::UCase(table) + "." + vb::UCase(column);
}

}  // namespace

void raiseConnectionUnusable() {
  raise(3709,
        "The connection cannot be used to perform this operation. It is either closed or invalid "
        "in this context.");
}

ConnectionHandle::~ConnectionHandle() {
  sqlite3_close_v2(db);
}

void raiseDatabaseError(sqlite3* db) {
  raise(vberr::kDatabase, sqlite3_errmsg(db));
}

void registerBooleanColumn(std::string_view table, std::string_view column) {
  BooleanColumns& columns = booleanColumns();
  std::unique_lock lock(columns.mutex);
  columns.names.insert(booleanKey(table, column));
}

bool isBooleanColumn(std::string_view table, std::string_view column) {
  BooleanColumns& columns = booleanColumns();
  std::shared_lock lock(columns.mutex);
  return columns.names.count(booleanKey(table, column)) > 0;
}

Connection::Connection() = default;
Connection::~Connection() = default;
Connection::Connection(Connection&&) noexcept = default;
Connection& Connection::operator=(Connection&&) noexcept = default;

void Connection::open(const std::string& path) {
  close();
  // The files belong to the department's software: a wrong path must never leave an empty
  // database behind.
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec))
    raise(vberr::kDatabase, "Could not find file '" + path + "'.");

  sqlite3* raw = nullptr;
  int rc =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
  auto handle = std::make_shared<ConnectionHandle>(raw, path);  // closes raw on every path
  if (rc != SQLITE_OK) {
    if (rc == SQLITE_CANTOPEN) raise(vberr::kDatabase, "Could not find file '" + path + "'.");
    raiseDatabaseError(raw);
  }
  sqlite3_busy_timeout(raw, kBusyTimeoutMilliseconds);
  // Reading the journal mode is the first read of the file: a file that is no database
  // fails here rather than in the first query. A read-only file keeps its journal mode.
  rc = sqlite3_exec(raw, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) raiseDatabaseError(raw);
  registerDialectFunctions(raw);
  handle_ = std::move(handle);
  path_ = path;
}

bool Connection::isOpen() const {
  return handle_ != nullptr;
}

void Connection::close() {
  handle_.reset();
}

Statement prepareStatement(sqlite3* db, std::string_view sqliteSql) {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc =
      sqlite3_prepare_v2(db, sqliteSql.data(), static_cast<int>(sqliteSql.size()), &raw, &tail);
  Statement statement(raw, sqlite3_finalize);
  if (rc != SQLITE_OK) raiseDatabaseError(db);
  for (const char* end = sqliteSql.data() + sqliteSql.size(); tail && tail < end; ++tail)
    if (!std::isspace(static_cast<unsigned char>(*tail)) && *tail != ';')
      raise(vberr::kDatabase, "Characters found after end of SQL statement.");
  if (!statement) raise(vberr::kDatabase, "Command text was not set for the command object.");
  return statement;
}

long Connection::execute(std::string_view sql) {
  if (!handle_) raiseConnectionUnusable();
  sqlite3* db = handle_->db;
  Statement statement = prepareStatement(db, translateSql(sql));
  int rc;
  while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) raiseDatabaseError(db);
  return sqlite3_changes(db);
}

const std::string& Connection::path() const {
  return path_;
}

sqlite3* Connection::handle() const {
  return handle_ ? handle_->db : nullptr;
}

std::shared_ptr<ConnectionHandle> Connection::shared() const {
  return handle_;
}

}  // namespace ravadid::db

#include <sqlite3.h>
#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

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

// Open handles that no connection uses any more, kept per file so that the next handler that
// opens the file skips the open, the journal-mode read and the function registration. A
// handle is reused only while its file is still the same file at the same path.
class HandlePool {
 public:
  struct Idle {
    sqlite3* db;
    dev_t device;
    ino_t inode;
  };

  sqlite3* take(const std::string& path, const struct stat& file) {
    std::vector<sqlite3*> stale;
    sqlite3* found = nullptr;
    {
      std::lock_guard lock(mutex_);
      auto it = idle_.find(path);
      if (it == idle_.end()) return nullptr;
      auto& handles = it->second;
      while (!handles.empty() && !found) {
        Idle candidate = handles.back();
        handles.pop_back();
        if (candidate.device == file.st_dev && candidate.inode == file.st_ino)
          found = candidate.db;
        else
          stale.push_back(candidate.db);
      }
    }
    for (sqlite3* db : stale) sqlite3_close_v2(db);
    if (found && hasMoved(found)) {
      sqlite3_close_v2(found);
      found = nullptr;
    }
    return found;
  }

  // Keeps the handle for reuse when it is clean; closes it otherwise.
  void give(sqlite3* db, const std::string& path, dev_t device, ino_t inode) {
    bool clean = sqlite3_get_autocommit(db) != 0 && sqlite3_next_stmt(db, nullptr) == nullptr;
    if (clean) {
      std::lock_guard lock(mutex_);
      auto& handles = idle_[path];
      if (handles.size() < kMaxIdlePerFile) {
        handles.push_back({db, device, inode});
        return;
      }
    }
    sqlite3_close_v2(db);
  }

  ~HandlePool() {
    for (auto& [path, handles] : idle_)
      for (const Idle& idle : handles) sqlite3_close_v2(idle.db);
  }

 private:
  static constexpr std::size_t kMaxIdlePerFile = 64;
  static bool hasMoved(sqlite3* db) {
    int moved = 0;
    return sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved;
  }

  std::mutex mutex_;
  std::unordered_map<std::string, std::vector<Idle>> idle_;
};

HandlePool& handlePool() {
  static HandlePool pool;
  return pool;
}

}  // namespace

void raiseConnectionUnusable() {
  raise(3709,
        "The connection cannot be used to perform this operation. It is either closed or invalid "
        "in this context.");
}

ConnectionHandle::~ConnectionHandle() {
  if (pooled)
    handlePool().give(db, path, device, inode);
  else
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
  struct stat file {};
  if (path.empty() || ::stat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode))
    raise(vberr::kDatabase, "Could not find file '" + path + "'.");

  if (sqlite3* reused = handlePool().take(path, file)) {
    handle_ = std::make_shared<ConnectionHandle>(reused, path);
    handle_->pooled = true;
    handle_->device = file.st_dev;
    handle_->inode = file.st_ino;
    path_ = path;
    return;
  }

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
  // A handle that opened cleanly goes back to the pool when its last user lets it go.
  handle->pooled = true;
  handle->device = file.st_dev;
  handle->inode = file.st_ino;
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

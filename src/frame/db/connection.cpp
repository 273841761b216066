#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <shared_mutex>
#include <string_view>
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

}  // namespace

std::mutex& writerTurn(const std::string& path) {
  static std::mutex guard;
  // Never erased: a server opens a handful of files, and a turn must outlive its holders.
  static std::unordered_map<std::string, std::unique_ptr<std::mutex>> turns;
  std::lock_guard lock(guard);
  std::unique_ptr<std::mutex>& turn = turns[path];
  if (!turn) turn = std::make_unique<std::mutex>();
  return *turn;
}

namespace {

struct BooleanColumns {
  std::shared_mutex mutex;
  std::set<std::string> names;  // "TABLE.COLUMN" upper-cased
  std::atomic<uint64_t> generation{0};
};
BooleanColumns& booleanColumns() {
  static BooleanColumns columns;
  return columns;
}
std::string booleanKey(std::string_view table, std::string_view column) {
  return vb::UCase(table) + "." + vb::UCase(column);
}

// Open handles that no connection uses any more, kept per file so that the next handler that
// opens the file skips the open, the journal-mode switch and the function registration.
//
// A handle keeps pages of its file in memory, and SQLite re-reads them only when another
// connection's write shows in the -wal file. A file overwritten in place (a backup copied over
// it) keeps its inode and shows nothing there, so the handle would go on serving the replaced
// contents. A handle is therefore reused only while its file's identity (inode, size, times)
// is still the one recorded when the handle went idle. Only the database file counts: writes
// through the -wal file are seen by SQLite itself, and overwriting the database file always
// moves its times. A handle wrongly taken for stale is merely closed and opened afresh.
class HandlePool {
 public:
  struct Idle {
    sqlite3* db;
    FileIdentity identity;
    std::unique_ptr<StatementCache> statements;
  };

  std::optional<Idle> take(const std::string& path, const FileIdentity& file) {
    std::vector<Idle> stale;
    std::optional<Idle> found;
    {
      std::lock_guard lock(mutex_);
      auto it = idle_.find(path);
      if (it == idle_.end()) return std::nullopt;
      auto& handles = it->second;
      while (!handles.empty() && !found) {
        Idle candidate = std::move(handles.back());
        handles.pop_back();
        if (candidate.identity == file)
          found = std::move(candidate);
        else
          stale.push_back(std::move(candidate));
      }
    }
    for (Idle& idle : stale) close(idle.db, idle.statements);
    if (found && hasMoved(found->db)) {
      close(found->db, found->statements);
      found.reset();
    }
    return found;
  }

  // Keeps the handle for reuse when it is clean and its file is in a known state; closes it
  // otherwise.
  void give(ConnectionHandle& handle) {
    std::optional<FileIdentity> identity;
    if (isClean(handle.db)) identity = idleIdentity(handle);
    if (identity) {
      std::lock_guard lock(mutex_);
      auto& handles = idle_[handle.path];
      if (handles.size() < kMaxIdlePerFile) {
        handles.push_back({handle.db, *identity, std::move(handle.statements)});
        return;
      }
    }
    close(handle.db, handle.statements);
  }

  ~HandlePool() {
    for (auto& [path, handles] : idle_)
      for (Idle& idle : handles) close(idle.db, idle.statements);
  }

  // Finalizes the handle's kept statements, then closes it.
  static void close(sqlite3* db, std::unique_ptr<StatementCache>& statements) {
    statements.reset();
    sqlite3_close_v2(db);
  }

 private:
  static constexpr std::size_t kMaxIdlePerFile = 64;
  // Outside a transaction, with no statement in the middle of its rows; kept statements are
  // reset and do not count.
  static bool isClean(sqlite3* db) {
    if (sqlite3_get_autocommit(db) == 0) return false;
    for (sqlite3_stmt* st = sqlite3_next_stmt(db, nullptr); st; st = sqlite3_next_stmt(db, st))
      if (sqlite3_stmt_busy(st)) return false;
    return true;
  }
  static bool hasMoved(sqlite3* db) {
    int moved = 0;
    return sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved;
  }

  // The identity under which the handle may be reused, taken after its last use; nothing when
  // the file changed while the handle was in use.
  static std::optional<FileIdentity> idleIdentity(const ConnectionHandle& handle) {
    if (sqlite3_total_changes64(handle.db) == handle.changesWhenTaken) {
      // A handle that only read leaves its file as it found it: a change came from elsewhere
      // and may be newer than the pages the handle holds.
      std::optional<FileIdentity> now = identityOf(handle.path);
      if (!now || !(*now == handle.identity)) return std::nullopt;
      return now;
    }
    // The handle wrote, into the -wal file. Copy those pages into the database file now, so
    // that while the handle is idle the database file alone holds every change and a backup
    // restored over it is never overlaid with pages of the file it replaced. The copy moves the
    // file's size and times, so the identity is taken after it.
    sqlite3_wal_checkpoint_v2(handle.db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    return identityOf(handle.path);
  }

  std::mutex mutex_;
  std::unordered_map<std::string, std::vector<Idle>> idle_;
};

HandlePool& handlePool() {
  static HandlePool pool;
  return pool;
}

// The first bytes of every SQLite database file.
constexpr std::string_view kDatabaseHeader{"SQLite format 3\0", 16};

bool hasDatabaseHeader(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  char header[kDatabaseHeader.size()] = {};
  file.read(header, sizeof header);
  return file.gcount() == static_cast<std::streamsize>(sizeof header) &&
         std::string_view(header, sizeof header) == kDatabaseHeader;
}

[[noreturn]] void raiseNotADatabase(const std::string& path) {
  raise(vberr::kDatabase, "Unrecognized database format '" + path + "'.");
}

}  // namespace

bool FileIdentity::operator==(const FileIdentity& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
         changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
}

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat file {};
  if (path.empty() || ::stat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode))
    return std::nullopt;
  return FileIdentity{file.st_dev, file.st_ino, file.st_size, file.st_mtim, file.st_ctim};
}

void raiseConnectionUnusable() {
  raise(3709,
        "The connection cannot be used to perform this operation. It is either closed or invalid "
        "in this context.");
}

ConnectionHandle::~ConnectionHandle() {
  if (pooled)
    handlePool().give(*this);
  else
    HandlePool::close(db, statements);
}

std::optional<CachedStatement> StatementCache::take(const std::string& sql) {
  std::lock_guard lock(mutex_);
  auto it = statements_.find(sql);
  if (it == statements_.end()) return std::nullopt;
  CachedStatement cached = std::move(it->second);
  statements_.erase(it);
  return cached;
}

void StatementCache::put(const std::string& sql, CachedStatement cached) {
  sqlite3_reset(cached.statement.get());
  sqlite3_clear_bindings(cached.statement.get());
  std::lock_guard lock(mutex_);
  // Statements built from changing values (a request number) would fill it without end.
  if (statements_.size() >= kMaxStatements) statements_.clear();
  statements_.insert_or_assign(sql, std::move(cached));
}

std::size_t StatementCache::size() const {
  std::lock_guard lock(mutex_);
  return statements_.size();
}

void raiseDatabaseError(sqlite3* db) {
  raise(vberr::kDatabase, sqlite3_errmsg(db));
}

void registerBooleanColumn(std::string_view table, std::string_view column) {
  BooleanColumns& columns = booleanColumns();
  std::unique_lock lock(columns.mutex);
  if (columns.names.insert(booleanKey(table, column)).second) ++columns.generation;
}

uint64_t booleanColumnsGeneration() {
  return booleanColumns().generation.load();
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
  std::optional<FileIdentity> file = identityOf(path);
  if (!file) raise(vberr::kDatabase, "Could not find file '" + path + "'.");

  if (std::optional<HandlePool::Idle> idle = handlePool().take(path, *file)) {
    sqlite3* reused = idle->db;
    handle_ = std::make_shared<ConnectionHandle>(reused, path);
    handle_->statements = std::move(idle->statements);
    handle_->pooled = true;
    handle_->identity = *file;
    handle_->changesWhenTaken = sqlite3_total_changes64(reused);
    path_ = path;
    return;
  }

  // SQLite takes an empty file for an empty database and writes a header into it at the first
  // write (the journal-mode switch is one); a file that is no database must be refused before.
  if (!hasDatabaseHeader(path)) raiseNotADatabase(path);
  // A handle is only ever used by one thread at a time: by the worker whose connection slot
  // holds it, or by no one while idle, and it passes between workers through the pool's lock.
  // So it needs no lock of its own, which SQLite would otherwise take at every field read.
  sqlite3* raw = nullptr;
  int rc =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  auto handle = std::make_shared<ConnectionHandle>(raw, path);  // closes raw on every path
  if (rc != SQLITE_OK) {
    if (rc == SQLITE_CANTOPEN) raise(vberr::kDatabase, "Could not find file '" + path + "'.");
    raiseDatabaseError(raw);
  }
  sqlite3_busy_timeout(raw, kBusyTimeoutMilliseconds);
  // A read of the header and the schema, before anything writes: a damaged file fails here.
  rc = sqlite3_exec(raw, "PRAGMA schema_version", nullptr, nullptr, nullptr);
  if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) raiseNotADatabase(path);
  if (rc != SQLITE_OK) raiseDatabaseError(raw);
  // A read-only file keeps its journal mode.
  sqlite3_exec(raw, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  registerDialectFunctions(raw);
  // A handle that opened cleanly goes back to the pool when its last user lets it go. The
  // journal-mode switch may have written the file, so its identity is taken afterwards.
  // SQLite opens a file it may not write (a read-only mount, no write permission) read-only
  // and stays so: kept for reuse, such a handle would refuse every save even after the rights
  // return, so it serves this handler only.
  handle->pooled = sqlite3_db_readonly(raw, "main") == 0;
  handle->identity = identityOf(path).value_or(*file);
  handle->changesWhenTaken = sqlite3_total_changes64(raw);
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

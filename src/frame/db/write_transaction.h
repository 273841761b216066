// One write transaction on a database file, holding this process's writer turn for that file
// from its start to its commit or rollback, so that a read made inside it still holds when the
// write that depends on it is committed. Rolled back unless committed.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <mutex>

#include "frame/db/connection_handle.h"
#include "frame/db/database.h"
#include "frame/errors.h"

namespace ravadid::db {

class WriteTransaction {
 public:
  explicit WriteTransaction(Connection& connection) : handle_(connection.shared()) {
    if (!handle_) raise(vberr::kDatabase, "The connection is not open.");
    turn_ = std::unique_lock(writerTurn(handle_->path));
    run("BEGIN IMMEDIATE");
  }
  ~WriteTransaction() {
    if (handle_ && sqlite3_get_autocommit(handle_->db) == 0)
      sqlite3_exec(handle_->db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;

  void commit() { run("COMMIT"); }

 private:
  void run(const char* sql) {
    if (sqlite3_exec(handle_->db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
      raise(vberr::kDatabase, sqlite3_errmsg(handle_->db));
  }
  std::shared_ptr<ConnectionHandle> handle_;
  std::unique_lock<std::mutex> turn_;  // released after the commit or the rollback
};

}  // namespace ravadid::db

#include "frame/db/row_cursor.h"

#include <sqlite3.h>

#include <algorithm>
#include <vector>

#include "frame/db/connection_handle.h"
#include "frame/db/database.h"
#include "frame/db/sql_dialect.h"
#include "frame/errors.h"
#include "frame/runtime.h"

namespace ravadid::db {

struct RowCursor::Impl {
  std::shared_ptr<ConnectionHandle> connection;
  std::string sql;  // the SQLite text, under which the statement is kept
  CachedStatement cached{Statement(nullptr, sqlite3_finalize), nullptr, 0, 0};
  bool onRow = false;
  bool checked = false;  // whether the description was checked against a re-preparation
  std::vector<Value> values;
  std::vector<char> read;  // whether values[i] holds the current row's field

  sqlite3_stmt* statement() const { return cached.statement.get(); }
  const ColumnDescriptions& columns() const { return *cached.columns; }

  // Hands the statement back, reset, to the handle's kept statements.
  void release() {
    if (cached.statement) connection->statements->put(sql, std::move(cached));
    connection.reset();
    onRow = false;
  }
};

RowCursor::RowCursor() = default;
RowCursor::~RowCursor() {
  close();
}

void RowCursor::open(std::string_view sql, Connection& connection,
                     const std::vector<std::string_view>& fieldsRead) {
  open(dialect::withOnlyFields(sql, fieldsRead), connection);
}

void RowCursor::open(std::string_view sql, Connection& connection) {
  close();
  if (!connection.isOpen()) raiseConnectionUnusable();
  auto impl = std::make_unique<Impl>();
  impl->connection = connection.shared();
  impl->sql = translateSql(sql);
  impl->cached = takeStatement(*impl->connection, impl->sql);
  impl_ = std::move(impl);
}

bool RowCursor::next() {
  if (!impl_ || !impl_->connection) return false;
  Impl& r = *impl_;
  const int rc = sqlite3_step(r.statement());
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    // A statement whose use failed is finalized rather than kept.
    sqlite3* db = r.connection->db;
    r.cached.statement.reset();
    r.connection.reset();
    r.onRow = false;
    raiseDatabaseError(db);
  }
  // SQLite prepares a statement anew at its first step when the schema changed.
  if (!r.checked) {
    r.checked = true;
    if (sqlite3_stmt_status(r.statement(), SQLITE_STMTSTATUS_REPREPARE, 0) != r.cached.reprepared)
      r.cached = describeStatement(std::move(r.cached.statement));
  }
  if (rc == SQLITE_DONE) {
    r.release();
    return false;
  }
  r.onRow = true;
  const std::size_t count = r.columns().size();
  if (r.values.size() != count) {
    r.values.assign(count, Value());
    r.read.assign(count, 0);
  } else {
    std::fill(r.read.begin(), r.read.end(), 0);
  }
  return true;
}

int RowCursor::fieldIndex(std::string_view name) const {
  if (!impl_ || !impl_->cached.columns) raiseItemNotFound();
  std::optional<int> index = indexOfField(impl_->columns(), name);
  if (!index) raiseItemNotFound();
  return *index;
}

const Value& RowCursor::field(int index) {
  if (!impl_ || !impl_->onRow) raiseNoCurrentRecord();
  Impl& r = *impl_;
  if (index < 0 || static_cast<std::size_t>(index) >= r.values.size()) raiseItemNotFound();
  const auto at = static_cast<std::size_t>(index);
  if (!r.read[at]) {
    r.values[at] = readField(r.columns()[at], sqlite3_column_value(r.statement(), index));
    r.read[at] = 1;
  }
  return r.values[at];
}

std::optional<std::string_view> RowCursor::text(int index) {
  if (!impl_ || !impl_->onRow) raiseNoCurrentRecord();
  Impl& r = *impl_;
  if (index < 0 || static_cast<std::size_t>(index) >= r.values.size()) raiseItemNotFound();
  const ColumnDescription& column = r.columns()[static_cast<std::size_t>(index)];
  // Stored text of a plain text column reads as it is stored; anything else goes through the
  // record set's reading (dates, flags, text of an expression that may be a date).
  if (column.boolean || column.date || column.declared.empty()) return std::nullopt;
  return storedText(index);
}

std::optional<std::string_view> RowCursor::storedText(int index) {
  if (!impl_ || !impl_->onRow) raiseNoCurrentRecord();
  Impl& r = *impl_;
  if (index < 0 || static_cast<std::size_t>(index) >= r.values.size()) raiseItemNotFound();
  // Read through the column's value: one call on the statement instead of three.
  sqlite3_value* stored = sqlite3_column_value(r.statement(), index);
  if (sqlite3_value_type(stored) != SQLITE_TEXT) return std::nullopt;
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(stored));
  return std::string_view(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(stored)));
}

std::string RowCursor::readingKey(int index) const {
  if (!impl_ || !impl_->cached.columns) raiseItemNotFound();
  if (index < 0 || static_cast<std::size_t>(index) >= impl_->columns().size()) raiseItemNotFound();
  const ColumnDescription& column = impl_->columns()[static_cast<std::size_t>(index)];
  std::string key = column.declared;
  key += '\0';
  key += static_cast<char>('0' + static_cast<int>(column.affinity));
  key += column.date ? 'D' : '-';
  key += column.boolean ? 'B' : '-';
  return key;
}

void RowCursor::close() {
  if (impl_ && impl_->connection) impl_->release();
  impl_.reset();
}

}  // namespace ravadid::db

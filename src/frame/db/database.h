// The database access layer: connections, record sets and commands over SQLite files, with
// statements written in the system's SQL dialect and translated on the way in.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "frame/value.h"

struct sqlite3;

namespace ravadid::db {

struct ConnectionHandle;  // the open SQLite handle, shared with record sets that use it

class Connection {
 public:
  Connection();
  ~Connection();
  Connection(Connection&&) noexcept;
  Connection& operator=(Connection&&) noexcept;

  // Opens an existing database file. A missing file is an error (never created):
  // VbError(kDatabase, "Could not find file '<path>'.").
  void open(const std::string& path);
  bool isOpen() const;
  void close();  // no-op when closed
  // Runs one statement of the dialect; returns the number of rows changed.
  long execute(std::string_view sql);
  const std::string& path() const;
  sqlite3* handle() const;
  std::shared_ptr<ConnectionHandle> shared() const;

 private:
  std::shared_ptr<ConnectionHandle> handle_;
  std::string path_;
};

enum class CursorType { ForwardOnly, Keyset, Dynamic, Static };
enum class LockType { ReadOnly, Pessimistic, Optimistic, BatchOptimistic };

class Recordset {
 public:
  Recordset();
  ~Recordset();
  Recordset(Recordset&&) noexcept;
  Recordset& operator=(Recordset&&) noexcept;

  // A static read-only open reads every row at once (exact record count). An updatable open
  // (any lock but ReadOnly) needs a plain single-table select and allows addNew/update.
  void open(std::string_view sql, Connection& connection, CursorType cursor = CursorType::Static,
            LockType lock = LockType::ReadOnly);
  // A read-only open that keeps one window of the rows, for a page of a long list: given the
  // number of rows the query returns, rowsToSkip says how many to pass over, and at most
  // maxRows rows after them are read. Rows passed over are stepped through, never read into
  // values. recordCount() is the query's full count; the rows held are the window's, the first
  // of them current.
  void openWindow(std::string_view sql, Connection& connection,
                  const std::function<long(long recordCount)>& rowsToSkip, long maxRows);
  bool isOpen() const;
  void close();

  bool eof() const;
  bool bof() const;
  long recordCount() const;
  void moveFirst();
  void moveNext();
  void movePrevious();
  void moveLast();
  void move(long rows);  // relative to the current row

  // Field of the current row by name (ignoring case). Error 3265 for an unknown name,
  // 3021 when there is no current row.
  Value field(std::string_view name) const;
  // The same by position, for loops over many rows: the index is looked up once by name
  // (error 3265 for an unknown name), then each row is read without comparing names.
  int fieldIndex(std::string_view name) const;
  Value field(int index) const;
  // The same without copying the value: it stays valid until the record set moves, changes
  // or closes (while a row is being edited, until the next read of a field).
  const Value& fieldValue(int index) const;
  // Every field of the current row as read, by position, for a loop that reads most of each
  // row; valid until the record set moves, changes or closes. Error 3021 when there is no
  // current row or a row is being edited (its assigned values are not among these).
  std::span<const Value> currentFields() const;
  bool hasField(std::string_view name) const;
  int fieldCount() const;
  std::string fieldName(int index) const;

  // Searches from the current row forward for a criterion of the form "CODE = 'value'"
  // (text compared ignoring case); positions on the match or at end of file.
  void find(std::string_view criterion);

  void addNew();
  void setField(std::string_view name, Value value);
  // Writes the current row (inserting an added one). After inserting, the row is read back,
  // so a key the database assigns (TRIPNUM) is readable.
  void update();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Which columns hold booleans; the schema registers them ("TABLE", "COLUMN", ignoring case).
// Fields of such columns read as Boolean values; DATETIME columns read as dates.
void registerBooleanColumn(std::string_view table, std::string_view column);

// Translates a statement of the system's SQL dialect into SQLite's.
std::string translateSql(std::string_view dialectSql);

}  // namespace ravadid::db

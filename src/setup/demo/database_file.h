// Writing a database file with the SQLite C API: one file in one transaction, and rows added
// through one prepared statement per table.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

namespace ravadid::demo {

using Value = std::variant<std::monostate, long long, double, std::string>;

inline constexpr std::monostate kNull{};

Value textOrNull(const std::string& text);
Value textOrNull(const char* text);
Value flag(bool on);

// One database file, written in one transaction that rolls back unless committed.
class DatabaseFile {
 public:
  DatabaseFile(const std::filesystem::path& folder, const char* name);
  ~DatabaseFile();
  DatabaseFile(const DatabaseFile&) = delete;
  DatabaseFile& operator=(const DatabaseFile&) = delete;

  sqlite3* handle() const { return db_; }
  const std::string& name() const { return name_; }

  void execute(const char* sql);

  // The demo goes only into new databases: every table of the file must exist and be empty.
  void requireEmpty();

  void commit();

 private:
  std::string name_;
  sqlite3* db_ = nullptr;
  bool inTransaction_ = false;
};

// One column of a row and the value written to it.
struct Field {
  const char* column;
  Value value;
};

// Adds rows to one table through one prepared INSERT. Every row names the same columns in the
// same order, each beside its value; the values are bound, never spliced into the statement.
class Inserter {
 public:
  Inserter(DatabaseFile& file, const char* table) : file_(file), table_(table) {}
  ~Inserter() { sqlite3_finalize(statement_); }
  Inserter(const Inserter&) = delete;
  Inserter& operator=(const Inserter&) = delete;

  void add(std::initializer_list<Field> fields);

 private:
  void prepare(std::initializer_list<Field> fields);
  [[noreturn]] void fail();
  [[noreturn]] void mismatch();

  DatabaseFile& file_;
  const char* table_;
  std::vector<std::string> columns_;
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace ravadid::demo

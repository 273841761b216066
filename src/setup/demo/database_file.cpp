#include "setup/demo/database_file.h"

#include <stdexcept>
#include <string_view>

#include "frame/schema.h"

namespace ravadid::demo {
namespace {

std::string quoteIdentifier(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

}  // namespace

Value textOrNull(const std::string& text) {
  if (text.empty()) return kNull;
  return text;
}

Value textOrNull(const char* text) {
  return text ? Value(text) : Value(kNull);
}

Value flag(bool on) {
  return on ? 1LL : 0LL;
}

DatabaseFile::DatabaseFile(const std::filesystem::path& folder, const char* name) : name_(name) {
  std::filesystem::path path = folder / name;
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw std::runtime_error("cannot open " + path.string() + ": " + message);
  }
  sqlite3_busy_timeout(db_, 5000);
  execute("BEGIN IMMEDIATE");
  inTransaction_ = true;
}

DatabaseFile::~DatabaseFile() {
  if (inTransaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(db_);
}

void DatabaseFile::execute(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return;
  std::string text = message ? message : sqlite3_errmsg(db_);
  sqlite3_free(message);
  throw std::runtime_error(name_ + ": " + text);
}

void DatabaseFile::requireEmpty() {
  for (const schema::TableSchema& table : schema::schemaTables()) {
    if (name_ != table.file) continue;
    std::string sql = "SELECT 1 FROM " + quoteIdentifier(table.name) + " LIMIT 1";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      std::string message = sqlite3_errmsg(db_);
      sqlite3_finalize(statement);
      throw std::runtime_error(name_ + ": " + message);
    }
    int rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (rc == SQLITE_ROW) {
      throw std::runtime_error(name_ + " already holds data (table " + table.name +
                               "); the demo district goes only into new databases");
    }
  }
}

void DatabaseFile::commit() {
  execute("COMMIT");
  inTransaction_ = false;
}

void Inserter::add(std::initializer_list<Field> fields) {
  if (!statement_) prepare(fields);
  if (fields.size() != columns_.size()) mismatch();
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  int index = 1;
  for (const Field& field : fields) {
    if (columns_[static_cast<std::size_t>(index - 1)] != field.column) mismatch();
    int rc = SQLITE_OK;
    if (const auto* number = std::get_if<long long>(&field.value)) {
      rc = sqlite3_bind_int64(statement_, index, *number);
    } else if (const auto* real = std::get_if<double>(&field.value)) {
      rc = sqlite3_bind_double(statement_, index, *real);
    } else if (const auto* text = std::get_if<std::string>(&field.value)) {
      rc = sqlite3_bind_text(statement_, index, text->c_str(), static_cast<int>(text->size()),
                             SQLITE_TRANSIENT);
    } else {
      rc = sqlite3_bind_null(statement_, index);
    }
    if (rc != SQLITE_OK) fail();
    ++index;
  }
  if (sqlite3_step(statement_) != SQLITE_DONE) fail();
}

void Inserter::prepare(std::initializer_list<Field> fields) {
  std::string sql = "INSERT INTO " + quoteIdentifier(table_) + " (";
  std::string placeholders;
  const char* separator = "";
  for (const Field& field : fields) {
    columns_.push_back(field.column);
    sql += separator + quoteIdentifier(field.column);
    placeholders += std::string(separator) + "?";
    separator = ", ";
  }
  sql += ") VALUES (" + placeholders + ")";
  if (sqlite3_prepare_v2(file_.handle(), sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK) {
    fail();
  }
}

void Inserter::fail() {
  throw std::runtime_error(file_.name() + ": cannot write " + table_ + ": " +
                           sqlite3_errmsg(file_.handle()));
}

void Inserter::mismatch() {
  throw std::logic_error(std::string("rows of ") + table_ + " name different columns");
}

}  // namespace ravadid::demo

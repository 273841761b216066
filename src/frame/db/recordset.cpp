// Record sets: the rows of a query held in memory with a current-row cursor over them. A
// read-only record set reads every row when it opens. An updatable record set over one table
// reads its rows when first needed and carries each row's rowid, so that it can write a
// changed row back and add new ones.
#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <optional>

#include "frame/db/connection_handle.h"
#include "frame/db/database.h"
#include "frame/db/sql_dialect.h"
#include "frame/db/sql_functions.h"
#include "frame/errors.h"
#include "frame/runtime.h"

namespace ravadid::db {

namespace {

constexpr const char* kRowidColumn = "ravadid_rowid";

// SQLite's rules for the affinity of a declared type.
Affinity affinityOf(std::string_view declared) {
  std::string upper = vb::UCase(declared);
  if (upper.find("INT") != std::string::npos) return Affinity::Integer;
  if (upper.find("CHAR") != std::string::npos || upper.find("CLOB") != std::string::npos ||
      upper.find("TEXT") != std::string::npos)
    return Affinity::Text;
  if (upper.empty() || upper.find("BLOB") != std::string::npos) return Affinity::None;
  if (upper.find("REAL") != std::string::npos || upper.find("FLOA") != std::string::npos ||
      upper.find("DOUB") != std::string::npos)
    return Affinity::Real;
  return Affinity::Numeric;
}

bool isDateType(std::string_view declared) {
  for (std::string_view t : {"DATETIME", "DATE", "TIME", "TIMESTAMP"})
    if (vb::equalsIgnoreCase(declared, t)) return true;
  return false;
}

bool isBooleanType(std::string_view declared) {
  for (std::string_view t : {"BOOLEAN", "BOOL", "BIT", "YESNO"})
    if (vb::equalsIgnoreCase(declared, t)) return true;
  return false;
}

std::string text(const char* s) {
  return s ? std::string(s) : std::string();
}

[[noreturn]] void raiseNoCurrentRecord() {
  raise(vberr::kNoCurrentRecord,
        "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
        "requires a current record.");
}
[[noreturn]] void raiseItemNotFound() {
  raise(vberr::kItemNotFound,
        "Item cannot be found in the collection corresponding to the requested name or ordinal.");
}
[[noreturn]] void raiseNotUpdatable() {
  raise(3251,
        "Current Recordset does not support updating. This may be a limitation of the provider, "
        "or of the selected locktype.");
}

using Column = ColumnDescription;

// A stored value as the runtime reads it: dates and booleans by the column, and date text of
// an expression (DateValue(...), Date()) as a date.
Value interpret(const Column& column, Value stored) {
  if (stored.isNull()) return stored;
  if (column.boolean) {
    if (stored.isNumeric()) return Value::boolean(stored.asDouble() != 0);
    try {
      return Value::boolean(vb::CBool(stored));
    } catch (const VbError&) {
      return stored;
    }
  }
  if (column.date) {
    if (stored.isNumeric()) return Value::date(stored.asDouble());
    if (stored.isText()) {
      std::optional<double> serial = vb::fromStorageText(stored.asText());
      if (!serial) serial = vb::parseDate(stored.asText());
      if (serial) return Value::date(*serial);
    }
    return stored;
  }
  if (column.declared.empty() && stored.isText() && looksLikeStorageDate(stored.asText())) {
    if (std::optional<double> serial = vb::fromStorageText(stored.asText()))
      return Value::date(*serial);
  }
  return stored;
}

// A field of the statement's current row as the runtime reads it. Stored date text is read in
// place, without a copy of the text: a list reads thousands of dates.
Value readField(const Column& column, sqlite3_value* stored) {
  const int type = sqlite3_value_type(stored);
  if (type == SQLITE_NULL) return Value::null();
  // Text of a text column and numbers of a number column read as they are stored.
  if (!column.boolean && !column.date && (type != SQLITE_TEXT || !column.declared.empty()))
    return storedValue(stored);
  if (!column.boolean && (column.date || column.declared.empty()) && type == SQLITE_TEXT) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(stored));
    const std::string_view view(text ? text : "", static_cast<size_t>(sqlite3_value_bytes(stored)));
    if (column.date || looksLikeStorageDate(view)) {
      if (std::optional<double> serial = vb::fromStorageText(view)) return Value::date(*serial);
    }
  }
  return interpret(column, storedValue(stored));
}

Value wholeOrNumber(double x) {
  double r = vb::roundHalfEven(x);
  if (r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())
    return Value::whole(static_cast<int32_t>(r));
  return Value::number(r);
}

double numberFromText(const std::string& s) {
  std::optional<double> n = vb::parseNumber(s);
  if (!n) raiseTypeMismatch();
  return *n;
}

// A value assigned to a field, in the form the column stores it: null, text, a whole number
// or a double. Error 13 for a value the column cannot hold.
Value toStored(const Column& column, const Value& v) {
  if (v.isEmpty() || v.isNull()) return Value::null();
  if (v.isList()) raiseTypeMismatch();
  if (column.boolean) {
    bool b = v.isText() ? vb::CBool(v) : v.isBoolean() ? v.asBoolean() : v.asDouble() != 0;
    return Value::whole(b ? 1 : 0);
  }
  if (column.date) {
    if (v.isBoolean()) raiseTypeMismatch();
    double serial;
    if (v.isText()) {
      std::optional<double> parsed = vb::fromStorageText(v.asText());
      if (!parsed) parsed = vb::parseDate(v.asText());
      if (!parsed) raiseTypeMismatch();
      serial = *parsed;
    } else {
      serial = v.asDouble();
    }
    return Value::text(vb::toStorageText(serial));
  }
  switch (column.affinity) {
    case Affinity::Text:
      return v.isText() ? v : Value::text(vb::CStr(v));
    case Affinity::Integer:
      if (v.isBoolean()) return Value::whole(v.asBoolean() ? 1 : 0);
      return wholeOrNumber(v.isText() ? numberFromText(v.asText()) : v.asDouble());
    case Affinity::None:
      if (v.isText()) return v;
      [[fallthrough]];
    default:
      if (v.isBoolean()) return Value::whole(v.asBoolean() ? 1 : 0);
      if (v.isDate()) return Value::text(vb::toStorageText(v.asDate()));
      if (v.kind() == Value::Kind::Integer || v.kind() == Value::Kind::Long)
        return Value::whole(static_cast<int32_t>(v.asDouble()));
      return Value::number(v.isText() ? numberFromText(v.asText()) : v.asDouble());
  }
}

void bind(sqlite3_stmt* statement, int index, const Value& stored) {
  if (stored.isNull()) {
    sqlite3_bind_null(statement, index);
  } else if (stored.isText()) {
    const std::string& s = stored.asText();
    sqlite3_bind_text(statement, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  } else if (stored.kind() == Value::Kind::Long || stored.kind() == Value::Kind::Integer) {
    sqlite3_bind_int64(statement, index, static_cast<sqlite3_int64>(stored.asDouble()));
  } else {
    sqlite3_bind_double(statement, index, stored.asDouble());
  }
}

std::string quoteName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

// Whether a field's value meets a find criterion's value; text is compared ignoring case.
bool meets(const Value& field, const Value& wanted) {
  if (field.isNull() || field.isEmpty()) return false;
  if (wanted.isText()) {
    if (field.isText()) return vb::equalsIgnoreCase(field.asText(), wanted.asText());
    if (field.isDate()) {
      std::optional<double> serial = vb::parseDate(wanted.asText());
      return serial && *serial == field.asDate();
    }
    std::optional<double> n = vb::parseNumber(wanted.asText());
    if (n && !field.isBoolean()) return *n == field.asDouble();
    return vb::equalsIgnoreCase(vb::CStr(field), wanted.asText());
  }
  if (wanted.isBoolean()) {
    if (field.isText()) return false;
    return (field.asDouble() != 0) == wanted.asBoolean();
  }
  double target = wanted.asDouble();
  if (field.isText()) {
    std::optional<double> n = field.isText() && wanted.isDate() ? vb::parseDate(field.asText())
                                                                : vb::parseNumber(field.asText());
    return n && *n == target;
  }
  return field.asDouble() == target;
}

}  // namespace

struct Recordset::Impl {
  enum class Editing { None, Adding, Changing };

  std::shared_ptr<const ColumnDescriptions> described = std::make_shared<ColumnDescriptions>();
  int reprepared = 0;  // the statement's count of re-preparations when it was described
  std::vector<std::vector<Value>> rows;
  std::vector<sqlite3_int64> rowids;  // updatable record sets only
  long position = 0;                  // -1: before the first row; rows.size(): after the last
  long total = -1;                    // the query's count when only a window of it is held

  bool updatable = false;
  bool loaded = true;
  std::string query;  // the statement that reads the rows, for an updatable record set
  std::shared_ptr<ConnectionHandle> connection;
  std::string table;      // as the statement writes it
  std::string tableName;  // without quotes, as the columns' metadata names it
  std::string columnList;
  Editing editing = Editing::None;
  std::vector<std::optional<Value>> pending;  // stored form of the fields assigned so far
  Value edited;                               // a field of the row being edited, as last read

  const ColumnDescriptions& columns() const { return *described; }
  long size() const { return static_cast<long>(rows.size()); }
  bool hasCurrentRow() const { return position >= 0 && position < size(); }

  std::optional<int> indexOf(std::string_view name) const {
    const ColumnDescriptions& columns = *described;
    for (size_t i = 0; i < columns.size(); ++i)
      if (vb::equalsIgnoreCase(columns[i].name, name)) return static_cast<int>(i);
    // "TABLE.COLUMN" names a field that shares its name with another one.
    size_t dot = name.find('.');
    if (dot != std::string_view::npos) {
      for (size_t i = 0; i < columns.size(); ++i)
        if (vb::equalsIgnoreCase(columns[i].table, name.substr(0, dot)) &&
            vb::equalsIgnoreCase(columns[i].origin, name.substr(dot + 1)))
          return static_cast<int>(i);
    }
    return std::nullopt;
  }
  int requireIndex(std::string_view name) const {
    std::optional<int> index = indexOf(name);
    if (!index) raiseItemNotFound();
    return *index;
  }

  // Reads the fields' names and kinds from a prepared statement. For an updatable record set
  // the first column is the rowid.
  void describe(sqlite3_stmt* st) {
    int count = sqlite3_column_count(st);
    auto columns = std::make_shared<ColumnDescriptions>();
    columns->reserve(static_cast<size_t>(count));
    for (int i = updatable ? 1 : 0; i < count; ++i) {
      Column c;
      c.name = text(sqlite3_column_name(st, i));
      c.table = text(sqlite3_column_table_name(st, i));
      c.origin = text(sqlite3_column_origin_name(st, i));
      c.declared = text(sqlite3_column_decltype(st, i));
      c.affinity = affinityOf(c.declared);
      c.date = isDateType(c.declared);
      c.boolean =
          isBooleanType(c.declared) || (!c.table.empty() && isBooleanColumn(c.table, c.origin));
      columns->push_back(std::move(c));
    }
    described = std::move(columns);
    reprepared = sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0);
  }

  // Steps through a prepared statement, appending its rows. A statement that SQLite prepared
  // anew at its first step (the schema changed) is described again.
  // At most limit rows are read when limit is not negative.
  void fetch(sqlite3* db, sqlite3_stmt* st, long limit = -1) {
    int first = updatable ? 1 : 0;
    int rc = SQLITE_DONE;
    bool checked = false;
    while (limit != 0 && (rc = sqlite3_step(st)) == SQLITE_ROW) {
      if (limit > 0) --limit;
      if (!checked) {
        checked = true;
        if (sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0) != reprepared) describe(st);
      }
      const ColumnDescriptions& columns = *described;
      std::vector<Value> row;
      row.reserve(columns.size());
      for (size_t i = 0; i < columns.size(); ++i)
        row.push_back(readField(columns[i], sqlite3_column_value(st, static_cast<int>(i) + first)));
      rows.push_back(std::move(row));
      if (updatable) rowids.push_back(sqlite3_column_int64(st, 0));
    }
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) raiseDatabaseError(db);
    if (!checked && sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0) != reprepared)
      describe(st);
  }

  // An updatable record set reads its rows only when a move or a read of the current row needs
  // them, so that opening a whole table just to add a row stays cheap. Rows it added before
  // that stay at the end, and the current row stays the one it was.
  void ensureLoaded() {
    if (loaded) return;
    std::vector<std::vector<Value>> added = std::move(rows);
    std::vector<sqlite3_int64> addedIds = std::move(rowids);
    rows.clear();
    rowids.clear();
    sqlite3* db = connection->db;
    Statement statement = prepareStatement(db, query);
    fetch(db, statement.get());
    for (size_t k = rowids.size(); k-- > 0;) {
      if (std::find(addedIds.begin(), addedIds.end(), rowids[k]) != addedIds.end()) {
        rows.erase(rows.begin() + static_cast<long>(k));
        rowids.erase(rowids.begin() + static_cast<long>(k));
      }
    }
    long before = size();
    for (size_t k = 0; k < added.size(); ++k) {
      rows.push_back(std::move(added[k]));
      rowids.push_back(addedIds[k]);
    }
    if (!added.empty()) position += before;
    loaded = true;
  }

  std::string selectByRowid() const {
    return "SELECT " + table + ".rowid AS " + kRowidColumn + ", " + columnList + " FROM " + table +
           " WHERE " + table + ".rowid = ?";
  }

  // Reads one row again after it was written, so that values the database assigned or
  // converted are what the fields show.
  std::vector<Value> reread(sqlite3_int64 rowid) {
    sqlite3* db = connection->db;
    Statement statement = prepareStatement(db, selectByRowid());
    sqlite3_bind_int64(statement.get(), 1, rowid);
    int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_DONE)
      raise(vberr::kDatabase,
            "Row cannot be located for updating. Some values may have been changed since it was "
            "last read.");
    if (rc != SQLITE_ROW) raiseDatabaseError(db);
    const ColumnDescriptions& columns = *described;
    std::vector<Value> row;
    for (size_t i = 0; i < columns.size(); ++i)
      row.push_back(interpret(
          columns[i], storedValue(sqlite3_column_value(statement.get(), static_cast<int>(i) + 1))));
    return row;
  }

  void write() {
    if (editing == Editing::None) return;
    sqlite3* db = connection->db;
    std::vector<size_t> assigned;
    for (size_t i = 0; i < pending.size(); ++i)
      if (pending[i]) assigned.push_back(i);

    if (editing == Editing::Adding) {
      std::string sql = "INSERT INTO " + table;
      if (assigned.empty()) {
        sql += " DEFAULT VALUES";
      } else {
        std::string names, marks;
        for (size_t k = 0; k < assigned.size(); ++k) {
          names += (k ? ", " : "") + quoteName(columns()[assigned[k]].origin);
          marks += k ? ", ?" : "?";
        }
        sql += " (" + names + ") VALUES (" + marks + ")";
      }
      Statement statement = prepareStatement(db, sql);
      for (size_t k = 0; k < assigned.size(); ++k)
        bind(statement.get(), static_cast<int>(k) + 1, *pending[assigned[k]]);
      if (sqlite3_step(statement.get()) != SQLITE_DONE) raiseDatabaseError(db);
      sqlite3_int64 rowid = sqlite3_last_insert_rowid(db);
      rows.push_back(reread(rowid));
      rowids.push_back(rowid);
      position = size() - 1;
    } else if (!assigned.empty()) {
      std::string sql = "UPDATE " + table + " SET ";
      for (size_t k = 0; k < assigned.size(); ++k)
        sql += (k ? ", " : "") + quoteName(columns()[assigned[k]].origin) + " = ?";
      sql += " WHERE rowid = ?";
      Statement statement = prepareStatement(db, sql);
      for (size_t k = 0; k < assigned.size(); ++k)
        bind(statement.get(), static_cast<int>(k) + 1, *pending[assigned[k]]);
      sqlite3_bind_int64(statement.get(), static_cast<int>(assigned.size()) + 1,
                         rowids[static_cast<size_t>(position)]);
      if (sqlite3_step(statement.get()) != SQLITE_DONE) raiseDatabaseError(db);
      if (sqlite3_changes(db) == 0)
        raise(vberr::kDatabase,
              "Row cannot be located for updating. Some values may have been changed since it "
              "was last read.");
      rows[static_cast<size_t>(position)] = reread(rowids[static_cast<size_t>(position)]);
    }
    editing = Editing::None;
    pending.clear();
  }
};

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

void Recordset::open(std::string_view sql, Connection& connection, CursorType /*cursor*/,
                     LockType lock) {
  close();
  if (!connection.isOpen()) raiseConnectionUnusable();
  auto impl = std::make_unique<Impl>();
  impl->connection = connection.shared();
  std::string translated = translateSql(sql);
  if (lock != LockType::ReadOnly) {
    if (std::optional<dialect::SingleTableSelect> single =
            dialect::parseSingleTableSelect(translated)) {
      impl->updatable = true;
      impl->table = single->table;
      impl->tableName = single->table;
      if (impl->tableName.size() >= 2 && impl->tableName.front() == '"')
        impl->tableName = impl->tableName.substr(1, impl->tableName.size() - 2);
      impl->columnList = single->columns;
      translated = "SELECT " + single->table + ".rowid AS " + kRowidColumn + "," + single->columns +
                   "FROM " + single->table + single->rest;
    }
  }
  sqlite3* db = impl->connection->db;
  if (impl->updatable) {
    Statement statement = prepareStatement(db, translated);
    impl->describe(statement.get());
    impl->query = std::move(translated);
    impl->loaded = false;
  } else {
    // The statement and its description come from the handle's kept statements when this text
    // ran on it before; a failure on the way finalizes the statement instead of keeping it.
    StatementCache& cache = *impl->connection->statements;
    std::optional<CachedStatement> cached = cache.take(translated);
    uint64_t generation = booleanColumnsGeneration();
    if (cached && cached->booleanGeneration == generation) {
      impl->described = cached->columns;
      impl->reprepared = cached->reprepared;
    } else {
      if (!cached)
        cached.emplace(CachedStatement{prepareStatement(db, translated), nullptr, 0, generation});
      impl->describe(cached->statement.get());
    }
    impl->fetch(db, cached->statement.get());
    cache.put(translated, CachedStatement{std::move(cached->statement), impl->described,
                                          impl->reprepared, generation});
    // A read-only record set holds all its rows and no longer needs the connection.
    impl->connection.reset();
  }
  impl_ = std::move(impl);
}

void Recordset::openWindow(std::string_view sql, Connection& connection,
                           const std::function<long(long recordCount)>& rowsToSkip, long maxRows) {
  close();
  if (!connection.isOpen()) raiseConnectionUnusable();
  auto impl = std::make_unique<Impl>();
  sqlite3* db = connection.handle();
  Statement statement = prepareStatement(db, translateSql(sql));
  sqlite3_stmt* st = statement.get();
  // The first pass only counts; the second steps over the skipped rows and reads the window.
  long count = 0;
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) ++count;
  if (rc != SQLITE_DONE) raiseDatabaseError(db);
  impl->describe(st);
  sqlite3_reset(st);
  const long skip = std::clamp(rowsToSkip(count), 0L, count);
  // A writer between the passes may have left fewer rows: the window is then what remains.
  for (long i = 0; i < skip && (rc = sqlite3_step(st)) == SQLITE_ROW; ++i) {
  }
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) raiseDatabaseError(db);
  if (skip == 0 || rc == SQLITE_ROW) impl->fetch(db, st, std::max(maxRows, 0L));
  impl->total = count;
  impl_ = std::move(impl);
}

bool Recordset::isOpen() const {
  return impl_ != nullptr;
}

void Recordset::close() {
  impl_.reset();
}

namespace {
template <typename Impl>
Impl& requireOpen(const std::unique_ptr<Impl>& impl) {
  if (!impl) raiseNoCurrentRecord();
  return *impl;
}
// An open record set with its rows read.
template <typename Impl>
Impl& requireRows(const std::unique_ptr<Impl>& impl) {
  Impl& r = requireOpen(impl);
  r.ensureLoaded();
  return r;
}
}  // namespace

bool Recordset::eof() const {
  Impl& r = requireOpen(impl_);
  if (r.editing == Impl::Editing::Adding) return false;
  r.ensureLoaded();
  return r.position >= r.size();
}

bool Recordset::bof() const {
  Impl& r = requireOpen(impl_);
  if (r.editing == Impl::Editing::Adding) return false;
  r.ensureLoaded();
  return r.rows.empty() || r.position < 0;
}

long Recordset::recordCount() const {
  const Impl& r = requireRows(impl_);
  return r.total >= 0 ? r.total : r.size();
}

void Recordset::moveFirst() {
  Impl& r = requireRows(impl_);
  r.write();
  r.position = 0;
}

void Recordset::moveLast() {
  Impl& r = requireRows(impl_);
  r.write();
  r.position = r.rows.empty() ? 0 : r.size() - 1;
}

void Recordset::moveNext() {
  Impl& r = requireRows(impl_);
  r.write();
  if (r.position >= r.size()) raiseNoCurrentRecord();
  ++r.position;
}

void Recordset::movePrevious() {
  Impl& r = requireRows(impl_);
  r.write();
  if (r.rows.empty() || r.position < 0) raiseNoCurrentRecord();
  --r.position;
}

void Recordset::move(long rows) {
  Impl& r = requireRows(impl_);
  r.write();
  if (rows == 0) return;
  if (r.rows.empty() || (rows > 0 && r.position >= r.size()) || (rows < 0 && r.position < 0))
    raiseNoCurrentRecord();
  long target = r.position + rows;
  r.position = std::clamp(target, -1L, r.size());
}

Value Recordset::field(std::string_view name) const {
  return field(requireOpen(impl_).requireIndex(name));
}

int Recordset::fieldIndex(std::string_view name) const {
  return requireOpen(impl_).requireIndex(name);
}

Value Recordset::field(int index) const {
  return fieldValue(index);
}

const Value& Recordset::fieldValue(int index) const {
  Impl& r = requireOpen(impl_);
  if (index < 0 || static_cast<size_t>(index) >= r.columns().size()) raiseItemNotFound();
  const Column& column = r.columns()[static_cast<size_t>(index)];
  if (r.editing != Impl::Editing::None && r.pending[static_cast<size_t>(index)])
    return r.edited = interpret(column, *r.pending[static_cast<size_t>(index)]);
  if (r.editing == Impl::Editing::Adding) return r.edited = Value::null();
  if (!r.hasCurrentRow()) r.ensureLoaded();
  if (!r.hasCurrentRow()) raiseNoCurrentRecord();
  return r.rows[static_cast<size_t>(r.position)][static_cast<size_t>(index)];
}

std::span<const Value> Recordset::currentFields() const {
  Impl& r = requireOpen(impl_);
  if (!r.hasCurrentRow()) r.ensureLoaded();
  if (!r.hasCurrentRow() || r.editing != Impl::Editing::None) raiseNoCurrentRecord();
  return r.rows[static_cast<size_t>(r.position)];
}

bool Recordset::hasField(std::string_view name) const {
  return requireOpen(impl_).indexOf(name).has_value();
}

int Recordset::fieldCount() const {
  return static_cast<int>(requireOpen(impl_).columns().size());
}

std::string Recordset::fieldName(int index) const {
  Impl& r = requireOpen(impl_);
  if (index < 0 || static_cast<size_t>(index) >= r.columns().size()) raiseItemNotFound();
  return r.columns()[static_cast<size_t>(index)].name;
}

void Recordset::find(std::string_view criterion) {
  Impl& r = requireRows(impl_);
  std::optional<dialect::FindCriterion> parsed = dialect::parseFindCriterion(criterion);
  if (!parsed)
    raise(3001,
          "Arguments are of the wrong type, are out of acceptable range, or are in conflict with "
          "one another.");
  size_t index = static_cast<size_t>(r.requireIndex(parsed->column));
  r.write();
  for (long row = std::max(r.position, 0L); row < r.size(); ++row) {
    if (meets(r.rows[static_cast<size_t>(row)][index], parsed->value)) {
      r.position = row;
      return;
    }
  }
  r.position = r.size();
}

void Recordset::addNew() {
  Impl& r = requireOpen(impl_);
  if (!r.updatable) raiseNotUpdatable();
  r.write();
  r.editing = Impl::Editing::Adding;
  r.pending.assign(r.columns().size(), std::nullopt);
}

void Recordset::setField(std::string_view name, Value value) {
  Impl& r = requireOpen(impl_);
  size_t index = static_cast<size_t>(r.requireIndex(name));
  if (!r.updatable) raiseNotUpdatable();
  const Column& column = r.columns()[index];
  if (column.origin.empty() || !vb::equalsIgnoreCase(column.table, r.tableName) ||
      vb::equalsIgnoreCase(column.origin, "rowid"))
    raise(vberr::kDatabase, "Field '" + column.name + "' is not updatable.");
  if (r.editing == Impl::Editing::None) {
    if (!r.hasCurrentRow()) r.ensureLoaded();
    if (!r.hasCurrentRow()) raiseNoCurrentRecord();
    r.editing = Impl::Editing::Changing;
    r.pending.assign(r.columns().size(), std::nullopt);
  }
  r.pending[index] = toStored(column, value);
}

void Recordset::update() {
  Impl& r = requireOpen(impl_);
  if (!r.updatable) raiseNotUpdatable();
  r.write();
}

}  // namespace ravadid::db

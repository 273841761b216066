// A single forward pass over the rows of a read-only statement, each field read from the
// statement only when asked for: for lists of hundreds of rows that read each row once, in
// order, and use only some of its fields.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/value.h"

namespace ravadid::db {

class Connection;

class RowCursor {
 public:
  RowCursor();
  ~RowCursor();
  RowCursor(const RowCursor&) = delete;
  RowCursor& operator=(const RowCursor&) = delete;

  // Runs a statement of the dialect on the connection; no row is current until next().
  void open(std::string_view sql, Connection& connection);
  // The same for a pass that reads only the named fields: the statement's other plain fields
  // are not computed and read as null.
  void open(std::string_view sql, Connection& connection,
            const std::vector<std::string_view>& fieldsRead);
  // Moves to the next row; false when there is none left, and the statement is then done with.
  bool next();
  // The position of a field by name (ignoring case), as Recordset::fieldIndex finds it.
  int fieldIndex(std::string_view name) const;
  // A field of the current row as a record set reads it, read once per row; valid until the
  // cursor moves. Error 3021 when no row is current.
  const Value& field(int index);
  // The field's text when it reads as text, without a copy (valid until the cursor moves);
  // nothing when it reads as anything else, which field() then gives.
  std::optional<std::string_view> text(int index);
  // The field's value as the database stores it when that is text, before it is read as a date
  // or a flag (valid until the cursor moves); nothing for null and numbers.
  std::optional<std::string_view> storedText(int index);
  // What decides how the field's stored text reads (the column's declared type and kind): two
  // fields with the same text and the same key read as the same value.
  std::string readingKey(int index) const;
  // Ends the pass; the statement is kept prepared for the next use of the same text.
  void close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ravadid::db

// The system's SQL dialect: its tokens, its rewriting into SQLite's SQL, and the two small
// statement shapes the record sets parse themselves (single-table selects, find criteria).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/value.h"

namespace ravadid::db::dialect {

enum class TokenKind {
  Space,       // blanks, tabs, line breaks
  Word,        // identifier or keyword: letters, digits, _ and $ (trim$)
  Identifier,  // a quoted SQLite identifier, already rewritten from [bracketed] form
  String,      // 'text' with embedded quotes doubled, exactly as written
  Number,      // 12, 1.5, 1E+20
  Date,        // #3/5/2024 10:30:00 AM#, text between the number signs
  OpenParen,
  CloseParen,
  Comma,
  Dot,
  Semicolon,
  Operator,  // = <> < > <= >= != & + - * / and any other character
};

struct Token {
  TokenKind kind;
  std::string text;
};

// Splits a statement into tokens. A double-quoted text is a text literal in the dialect and
// comes back as a String token in single quotes; [bracketed] names come back as Identifier
// tokens in double quotes. A # that does not open a date literal is an Operator.
std::vector<Token> tokenize(std::string_view sql);

// The SQLite text of a dialect date literal's contents ("3/5/2024" gives
// '2024-03-05 00:00:00'). Error kDatabase for contents that are no date.
std::string dateLiteral(std::string_view contents);

// "SELECT <columns> FROM <table> [WHERE ...] [ORDER BY ...]" over one table, as the updatable
// record sets need it. Parsed from a statement that is already in SQLite's SQL.
struct SingleTableSelect {
  std::string columns;  // the select list as written
  std::string table;    // the table name as written
  std::string rest;     // everything after the table name
};
std::optional<SingleTableSelect> parseSingleTableSelect(std::string_view sqliteSql);

// A record-set search criterion "COLUMN = 'value'" (also a number, a date literal or
// TRUE/FALSE on the right). Returns nothing when the text has another form.
struct FindCriterion {
  std::string column;
  Value value;
};
std::optional<FindCriterion> parseFindCriterion(std::string_view criterion);

// The statement with the fields of its select list that are not among fields (ignoring case)
// replaced by "NULL AS name", so that the engine neither computes nor carries them. Fields are
// named by their alias or the last part of their column name. The statement comes back as it
// is when its select list is not a plain list of such fields (DISTINCT, *, a union), and a
// field whose name appears after FROM (sorted or filtered by its alias) is kept.
std::string withOnlyFields(std::string_view sql, const std::vector<std::string_view>& fields);

}  // namespace ravadid::db::dialect

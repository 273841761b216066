// The dialect's functions as SQLite functions (vb_trim, vb_ucase, vb_datevalue, vb_clng, vb_str,
// vb_isnull, vb_date, vb_concat, ...), and the conversions between SQLite's values and the
// runtime's.
#pragma once

#include <string_view>

#include "frame/value.h"

struct sqlite3;
struct sqlite3_value;

namespace ravadid::db {

// The collation that compares text ignoring letter case by Unicode rules, for the comparisons
// the translated statements make. The built-in NOCASE, which folds ASCII letters only, is left
// as it is: the files' indexes are ordered by it, and other programs open the files without
// our functions.
inline constexpr std::string_view kUnicodeNoCase = "VB_NOCASE";

// Registers every function the translated statements call on one connection, the collation
// above, and a like that ignores letter case by Unicode rules.
void registerDialectFunctions(sqlite3* db);

// A stored value by its storage class: NULL is Null, INTEGER a 32-bit whole number (a double
// beyond that range), REAL a double, TEXT and BLOB text.
Value storedValue(sqlite3_value* value);

// Text in the storage form of a date-time, "YYYY-MM-DD HH:MM:SS".
bool looksLikeStorageDate(std::string_view text);

}  // namespace ravadid::db

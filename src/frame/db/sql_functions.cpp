#include "frame/db/sql_functions.h"

#include <sqlite3.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "frame/db/database.h"
#include "frame/errors.h"
#include "frame/runtime.h"

namespace ravadid::db {

Value storedValue(sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
      return Value::null();
    case SQLITE_INTEGER: {
      sqlite3_int64 n = sqlite3_value_int64(value);
      if (n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max())
        return Value::whole(static_cast<int32_t>(n));
      return Value::number(static_cast<double>(n));
    }
    case SQLITE_FLOAT:
      return Value::number(sqlite3_value_double(value));
    default: {
      const unsigned char* text = sqlite3_value_text(value);
      int size = sqlite3_value_bytes(value);
      return Value::text(
          text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size)) : "");
    }
  }
}

bool looksLikeStorageDate(std::string_view text) {
  static constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd";
  if (text.size() != kShape.size()) return false;
  for (size_t i = 0; i < kShape.size(); ++i) {
    bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return false;
  }
  return true;
}

namespace {

// SQLite's own limit on like patterns, which bounds the matching work.
constexpr size_t kMaxLikePattern = 50000;

// An argument as the dialect sees it: dates are stored as text, so stored date text is a date.
Value argument(sqlite3_value* value) {
  if (sqlite3_value_type(value) == SQLITE_TEXT) {
    // Read in place: a date column's every row passes here.
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const std::string_view stored(text ? text : "",
                                  static_cast<size_t>(sqlite3_value_bytes(value)));
    if (looksLikeStorageDate(stored)) {
      if (std::optional<double> serial = vb::fromStorageText(stored)) return Value::date(*serial);
    }
  }
  Value v = storedValue(value);
  if (v.isText() && looksLikeStorageDate(v.asText())) {
    if (std::optional<double> serial = vb::fromStorageText(v.asText())) return Value::date(*serial);
  }
  return v;
}

std::string textOf(const Value& v) {
  return v.isText() ? v.asText() : vb::CStr(v);
}

void setText(sqlite3_context* context, const std::string& text) {
  sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Runs one function body, turning the runtime's errors into the statement's error.
template <typename Body>
void guarded(sqlite3_context* context, Body body) {
  try {
    body();
  } catch (const VbError& e) {
    sqlite3_result_error(context, e.description().c_str(), -1);
  } catch (const std::exception& e) {
    sqlite3_result_error(context, e.what(), -1);
  }
}

template <std::string (*Convert)(std::string_view)>
void textFunction(sqlite3_context* context, int, sqlite3_value** args) {
  guarded(context, [&] {
    Value v = argument(args[0]);
    if (v.isNull()) return sqlite3_result_null(context);
    setText(context, Convert(textOf(v)));
  });
}

void dateValueFunction(sqlite3_context* context, int, sqlite3_value** args) {
  // Stored date text of the years 1000 to 9999 keeps its day and drops its time as it is,
  // without a round trip through a date number: a list computes this for every row.
  if (sqlite3_value_type(args[0]) == SQLITE_TEXT) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const std::string_view stored(text ? text : "",
                                  static_cast<size_t>(sqlite3_value_bytes(args[0])));
    if (looksLikeStorageDate(stored) && stored[0] != '0' && vb::fromStorageText(stored)) {
      char day[] = "0000-00-00 00:00:00";
      stored.copy(day, 10);
      // Given with its terminator, so that reading the result needs no second copy.
      sqlite3_result_text(context, day, -1, SQLITE_TRANSIENT);
      return;
    }
  }
  guarded(context, [&] {
    Value v = argument(args[0]);
    if (v.isNull()) return sqlite3_result_null(context);
    std::optional<double> serial;
    if (v.isDate() || v.isNumeric())
      serial = v.asDouble();
    else if (v.isText())
      serial = vb::parseDate(v.asText());
    if (!serial) raise(vberr::kDatabase, "Data type mismatch in criteria expression.");
    setText(context, vb::toStorageText(vb::dateOnly(*serial)));
  });
}

void clngFunction(sqlite3_context* context, int, sqlite3_value** args) {
  guarded(context, [&] { sqlite3_result_int64(context, vb::CLng(argument(args[0]))); });
}

// Str: the number's text with a leading blank where a minus sign would stand.
void strFunction(sqlite3_context* context, int, sqlite3_value** args) {
  guarded(context, [&] {
    Value v = argument(args[0]);
    if (v.isNull()) return sqlite3_result_null(context);
    if (v.isText()) {
      std::optional<double> number = vb::parseNumber(v.asText());
      if (!number) raiseTypeMismatch();
      v = Value::number(*number);
    }
    std::string text = vb::CStr(v);
    if (v.isNumeric() && v.asDouble() >= 0) text = " " + text;
    setText(context, text);
  });
}

void isNullFunction(sqlite3_context* context, int, sqlite3_value** args) {
  sqlite3_result_int(context, sqlite3_value_type(args[0]) == SQLITE_NULL ? 1 : 0);
}

// &: null operands read as empty text; only a chain of nulls gives null.
void concatFunction(sqlite3_context* context, int count, sqlite3_value** args) {
  guarded(context, [&] {
    std::string text;
    bool allNull = true;
    for (int i = 0; i < count; ++i) {
      Value v = argument(args[i]);
      if (v.isNull()) continue;
      allNull = false;
      text += textOf(v);
    }
    if (allNull) return sqlite3_result_null(context);
    setText(context, text);
  });
}

void todayFunction(sqlite3_context* context, int, sqlite3_value**) {
  guarded(context, [&] { setText(context, vb::toStorageText(vb::Today())); });
}

void nowFunction(sqlite3_context* context, int, sqlite3_value**) {
  guarded(context, [&] { setText(context, vb::toStorageText(vb::Now())); });
}

int compareIgnoringCase(void*, int sizeA, const void* a, int sizeB, const void* b) {
  return vb::compareIgnoreCase(
      std::string_view(static_cast<const char*>(a), static_cast<size_t>(sizeA)),
      std::string_view(static_cast<const char*>(b), static_cast<size_t>(sizeB)));
}

// Length of the character that starts at i: a UTF-8 sequence, or one byte that is none.
size_t characterLength(std::string_view text, size_t i) {
  int32_t at = static_cast<int32_t>(i);
  UChar32 c;
  U8_NEXT(text.data(), at, static_cast<int32_t>(text.size()), c);
  return c < 0 ? 1 : static_cast<size_t>(at) - i;
}

// A like pattern: % any run of characters, _ one character, everything else literal text,
// kept in folded form so that it meets the folded text.
struct PatternPart {
  enum Kind { AnyRun, OneCharacter, Literal } kind;
  std::string text;
};

std::vector<PatternPart> parsePattern(std::string_view pattern, std::string_view escape) {
  std::vector<PatternPart> parts;
  std::string literal;
  auto flush = [&] {
    if (literal.empty()) return;
    parts.push_back({PatternPart::Literal, vb::foldCase(literal)});
    literal.clear();
  };
  for (size_t i = 0; i < pattern.size();) {
    size_t length = characterLength(pattern, i);
    std::string_view character = pattern.substr(i, length);
    i += length;
    if (!escape.empty() && character == escape) {
      if (i < pattern.size()) {
        size_t next = characterLength(pattern, i);
        literal += pattern.substr(i, next);
        i += next;
      }
    } else if (character == "%") {
      flush();
      if (parts.empty() || parts.back().kind != PatternPart::AnyRun)
        parts.push_back({PatternPart::AnyRun, {}});
    } else if (character == "_") {
      flush();
      parts.push_back({PatternPart::OneCharacter, {}});
    } else {
      literal += character;
    }
  }
  flush();
  return parts;
}

// Wildcard matching that goes back to the last % on a mismatch: linear in the common cases.
bool matches(const std::vector<PatternPart>& parts, std::string_view text) {
  size_t t = 0, p = 0;
  size_t runPart = std::string::npos, runText = 0;
  while (t < text.size() || (p < parts.size() && parts[p].kind == PatternPart::AnyRun)) {
    if (p < parts.size()) {
      const PatternPart& part = parts[p];
      if (part.kind == PatternPart::AnyRun) {
        runPart = ++p;
        runText = t;
        continue;
      }
      if (t < text.size()) {
        if (part.kind == PatternPart::OneCharacter) {
          t += characterLength(text, t);
          ++p;
          continue;
        }
        if (text.substr(t, part.text.size()) == part.text) {
          t += part.text.size();
          ++p;
          continue;
        }
      }
    }
    if (runPart == std::string::npos || runText >= text.size()) return false;
    runText += characterLength(text, runText);
    t = runText;
    p = runPart;
  }
  return p == parts.size();
}

// like(pattern, text [, escape]), as SQLite calls it for "text LIKE pattern [ESCAPE escape]".
void likeFunction(sqlite3_context* context, int count, sqlite3_value** args) {
  guarded(context, [&] {
    for (int i = 0; i < count; ++i)
      if (sqlite3_value_type(args[i]) == SQLITE_NULL) return sqlite3_result_null(context);
    auto textArgument = [&](int i) {
      const unsigned char* text = sqlite3_value_text(args[i]);
      return std::string_view(reinterpret_cast<const char*>(text),
                              static_cast<size_t>(sqlite3_value_bytes(args[i])));
    };
    std::string_view pattern = textArgument(0);
    if (pattern.size() > kMaxLikePattern)
      return sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
    std::string_view escape;
    if (count == 3) {
      escape = textArgument(2);
      if (escape.empty() || characterLength(escape, 0) != escape.size())
        return sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
    }
    bool found = matches(parsePattern(pattern, escape), vb::foldCase(textArgument(1)));
    sqlite3_result_int(context, found ? 1 : 0);
  });
}

using Function = void (*)(sqlite3_context*, int, sqlite3_value**);

struct Registration {
  const char* name;
  int arguments;  // -1: any number
  bool deterministic;
  Function function;
};

}  // namespace

void registerDialectFunctions(sqlite3* db) {
  static const Registration kRegistrations[] = {
      {"vb_trim", 1, true, textFunction<vb::Trim>},
      {"vb_ltrim", 1, true, textFunction<vb::LTrim>},
      {"vb_rtrim", 1, true, textFunction<vb::RTrim>},
      {"vb_ucase", 1, true, textFunction<vb::UCase>},
      {"vb_lcase", 1, true, textFunction<vb::LCase>},
      {"vb_datevalue", 1, true, dateValueFunction},
      {"vb_clng", 1, true, clngFunction},
      {"vb_str", 1, true, strFunction},
      {"vb_isnull", 1, true, isNullFunction},
      {"vb_concat", -1, true, concatFunction},
      {"vb_date", 0, false, todayFunction},
      {"vb_now", 0, false, nowFunction},
      {"like", 2, true, likeFunction},
      {"like", 3, true, likeFunction},
  };
  for (const Registration& r : kRegistrations) {
    int flags = SQLITE_UTF8 | (r.deterministic ? SQLITE_DETERMINISTIC : 0);
    int rc = sqlite3_create_function_v2(db, r.name, r.arguments, flags, nullptr, r.function,
                                        nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raise(vberr::kDatabase, sqlite3_errmsg(db));
  }
  std::string collation(kUnicodeNoCase);
  int rc = sqlite3_create_collation_v2(db, collation.c_str(), SQLITE_UTF8, nullptr,
                                       compareIgnoringCase, nullptr);
  if (rc != SQLITE_OK) raise(vberr::kDatabase, sqlite3_errmsg(db));
}

}  // namespace ravadid::db

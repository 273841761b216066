#include "frame/db/sql_functions.h"

#include <sqlite3.h>

#include <cstdint>
#include <limits>
#include <string>

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

// An argument as the dialect sees it: dates are stored as text, so stored date text is a date.
Value argument(sqlite3_value* value) {
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
  };
  for (const Registration& r : kRegistrations) {
    int flags = SQLITE_UTF8 | (r.deterministic ? SQLITE_DETERMINISTIC : 0);
    int rc = sqlite3_create_function_v2(db, r.name, r.arguments, flags, nullptr, r.function,
                                        nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raise(vberr::kDatabase, sqlite3_errmsg(db));
  }
}

}  // namespace ravadid::db

// A value of the legacy runtime: what stores, record-set fields and conversions pass around.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ravadid {

// An immutable list of text entries. Lists are shared between sessions that hold equal
// lists, so they are never modified in place: build a new one and replace it.
using TextList = std::shared_ptr<const std::vector<std::string>>;

class Value {
 public:
  enum class Kind { Empty, Null, Text, Integer, Long, Single, Double, Boolean, Date, List };

  Value() = default;  // Empty: a key never set, an unassigned variable
  Value(std::string text) : data_(std::move(text)) {}
  Value(const char* text) : data_(std::string(text)) {}
  Value(std::string_view text) : data_(std::string(text)) {}

  static Value null() { return Value(NullTag{}); }
  static Value text(std::string s) { return Value(std::move(s)); }
  static Value integer(int16_t v) { return Value(v); }  // 16-bit whole number
  static Value whole(int32_t v) { return Value(v); }    // 32-bit whole number
  static Value single(float v) { return Value(v); }
  static Value number(double v) { return Value(NumberTag{v}); }
  static Value boolean(bool v) { return Value(v); }
  static Value date(double serial) { return Value(DateTag{serial}); }
  static Value list(TextList entries) { return Value(std::move(entries)); }

  Kind kind() const { return static_cast<Kind>(data_.index()); }
  bool isEmpty() const { return kind() == Kind::Empty; }
  bool isNull() const { return kind() == Kind::Null; }
  bool isText() const { return kind() == Kind::Text; }
  bool isNumeric() const {
    Kind k = kind();
    return k == Kind::Integer || k == Kind::Long || k == Kind::Single || k == Kind::Double;
  }
  bool isBoolean() const { return kind() == Kind::Boolean; }
  bool isDate() const { return kind() == Kind::Date; }
  bool isList() const { return kind() == Kind::List; }

  // Raw accessors; only valid for the matching kind.
  const std::string& asText() const { return std::get<std::string>(data_); }
  bool asBoolean() const { return std::get<bool>(data_); }
  double asDate() const { return std::get<DateTag>(data_).serial; }
  const TextList& asList() const { return std::get<TextList>(data_); }
  // Any numeric kind (and boolean, as -1/0, and date serial) as a double.
  double asDouble() const;

 private:
  struct NullTag {
    bool operator==(const NullTag&) const = default;
  };
  struct NumberTag {
    double value;
    bool operator==(const NumberTag&) const = default;
  };
  struct DateTag {
    double serial;
    bool operator==(const DateTag&) const = default;
  };
  explicit Value(NullTag t) : data_(t) {}
  explicit Value(int16_t v) : data_(v) {}
  explicit Value(int32_t v) : data_(v) {}
  explicit Value(float v) : data_(v) {}
  explicit Value(NumberTag v) : data_(v) {}
  explicit Value(bool v) : data_(v) {}
  explicit Value(DateTag v) : data_(v) {}
  explicit Value(TextList v) : data_(std::move(v)) {}

  // Order matches Kind.
  std::variant<std::monostate, NullTag, std::string, int16_t, int32_t, float, NumberTag, bool,
               DateTag, TextList>
      data_;

  friend bool operator==(const Value& a, const Value& b);
};

// Same kind and same content (lists compare by their entries).
bool operator==(const Value& a, const Value& b);

}  // namespace ravadid

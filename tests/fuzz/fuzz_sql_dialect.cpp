// The SQL dialect translator over any statement text, and the literals that pages build from
// posted values: a value put in as a literal stays one literal with the same text after
// translation, so no value can change a statement's meaning.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/db/database.h"
#include "frame/db/sql_dialect.h"
#include "frame/errors.h"
#include "frame/text.h"
#include "fuzz_check.h"

namespace {

using namespace ravadid;
using db::dialect::Token;
using db::dialect::TokenKind;

// The translation, or nothing when the statement raises (a date literal that is no date,
// parentheses nested too deep).
std::optional<std::string> translated(std::string_view sql) {
  try {
    return db::translateSql(sql);
  } catch (const VbError&) {
    return std::nullopt;
  }
}

std::vector<Token> significantTokens(std::string_view sql) {
  std::vector<Token> tokens;
  for (Token& t : db::dialect::tokenize(sql))
    if (t.kind != TokenKind::Space) tokens.push_back(std::move(t));
  return tokens;
}

// The text of a single-quoted literal token, with doubled quotes read as one.
std::string literalBody(std::string_view token) {
  std::string body;
  for (std::size_t i = 1; i + 1 < token.size(); ++i) {
    body += token[i];
    if (token[i] == '\'') ++i;
  }
  return body;
}

void checkTextLiteral(std::string_view value) {
  const std::string sql =
      "SELECT TRIPNUM FROM TRIPSREQ WHERE SCHOOL = " + sqlText(value) + " ORDER BY TRIPNUM";
  std::optional<std::string> out = translated(sql);
  FUZZ_CHECK(out.has_value());
  std::vector<Token> tokens = significantTokens(*out);
  // NUL bytes never reach a statement: they would cut it short at the engine.
  std::string withoutNul(value);
  std::erase(withoutNul, '\0');
  std::size_t literals = 0;
  for (const Token& t : tokens) {
    if (t.kind != TokenKind::String) continue;
    ++literals;
    FUZZ_CHECK(literalBody(t.text) == withoutNul);
  }
  FUZZ_CHECK(literals == 1);
  FUZZ_CHECK(!tokens.empty() && tokens.back().kind == TokenKind::Word &&
             tokens.back().text == "TRIPNUM");
}

// A value that passes the date and number checks translates without error.
void checkCheckedLiterals(std::string_view value) {
  try {
    const std::string date = sqlDate(value);
    FUZZ_CHECK(translated("SELECT * FROM TRIPS WHERE TRIPDATE >= " + date).has_value());
  } catch (const VbError&) {
  }
  try {
    const std::string number = sqlNumber(value);
    std::vector<Token> tokens = significantTokens(number);
    FUZZ_CHECK(!tokens.empty() && tokens.back().kind == TokenKind::Number);
  } catch (const VbError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  std::optional<std::string> first = translated(input);
  std::optional<std::string> again = translated(input);  // from the kept translation
  FUZZ_CHECK(first == again);
  if (first) {
    db::dialect::parseSingleTableSelect(*first);
    db::dialect::withOnlyFields(*first, {"TRIPNUM", "STATUS"});
  }
  try {
    db::dialect::parseFindCriterion(input);
  } catch (const VbError&) {
  }

  checkTextLiteral(input);
  checkCheckedLiterals(input);
  return 0;
}

// Rewrites statements of the system's SQL dialect into SQLite's SQL. The statement is split
// into tokens, the tokens are grouped by parentheses into a tree, and each level of the tree
// is rewritten: literals, the dialect's functions, aggregates over sub-selects and the &
// operator. Whatever the rewriter does not know passes through unchanged.
#include "frame/db/sql_dialect.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "frame/db/database.h"
#include "frame/db/sql_functions.h"
#include "frame/errors.h"
#include "frame/runtime.h"

namespace ravadid::db {
namespace {

// Rewritings of the statements run lately, by the text they were made from. Pages run the same
// few texts again and again, and rewriting one costs more than preparing it from a kept
// statement. Texts built from changing values (a request number) would fill it without end, so
// it is emptied when full.
class TextCache {
 public:
  std::optional<std::string> find(std::string_view dialectSql) {
    std::lock_guard lock(mutex_);
    auto it = translations_.find(dialectSql);
    if (it == translations_.end()) return std::nullopt;
    return it->second;
  }
  void add(std::string_view dialectSql, const std::string& translated) {
    std::lock_guard lock(mutex_);
    if (translations_.size() >= kMaxTranslations) translations_.clear();
    translations_.emplace(std::string(dialectSql), translated);
  }

 private:
  static constexpr std::size_t kMaxTranslations = 64;
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::mutex mutex_;
  std::unordered_map<std::string, std::string, Hash, std::equal_to<>> translations_;
};

TextCache& translationCache() {
  static TextCache cache;
  return cache;
}

TextCache& narrowingCache() {
  static TextCache cache;
  return cache;
}

}  // namespace

namespace dialect {
namespace {

bool isWordStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalpha(u) || c == '_' || u >= 0x80;
}
bool isWordChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}
bool isDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string quoteText(std::string_view body) {
  std::string out = "'";
  for (char c : body) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

// The contents of a quoted token: from just after the opening quote to the matching closing
// quote, with doubled quotes standing for one. Returns the end position (after the closing
// quote, or the end of the text when unterminated).
size_t readQuoted(std::string_view sql, size_t start, char quote, std::string& body) {
  size_t i = start + 1;
  while (i < sql.size()) {
    if (sql[i] == quote) {
      if (i + 1 < sql.size() && sql[i + 1] == quote) {
        body += quote;
        i += 2;
        continue;
      }
      return i + 1;
    }
    body += sql[i++];
  }
  return i;
}

}  // namespace

std::vector<Token> tokenize(std::string_view sql) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < sql.size()) {
    char c = sql[i];
    size_t start = i;
    if (std::isspace(static_cast<unsigned char>(c))) {
      while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
      tokens.push_back({TokenKind::Space, std::string(sql.substr(start, i - start))});
    } else if (c == '\'') {
      std::string body;
      i = readQuoted(sql, start, '\'', body);
      // Kept as written, so an unterminated literal still fails in the engine.
      tokens.push_back({TokenKind::String, std::string(sql.substr(start, i - start))});
    } else if (c == '"') {
      std::string body;
      i = readQuoted(sql, start, '"', body);
      tokens.push_back({TokenKind::String, quoteText(body)});
    } else if (c == '[') {
      size_t close = sql.find(']', i + 1);
      if (close == std::string_view::npos) close = sql.size();
      std::string name = "\"";
      for (char n : sql.substr(i + 1, close - i - 1)) {
        name += n;
        if (n == '"') name += '"';
      }
      name += '"';
      tokens.push_back({TokenKind::Identifier, name});
      i = std::min(close + 1, sql.size());
    } else if (c == '#') {
      size_t close = sql.find('#', i + 1);
      std::string_view contents =
          close == std::string_view::npos ? std::string_view() : sql.substr(i + 1, close - i - 1);
      bool plausible = !contents.empty() &&
                       contents.find_first_of("'\"\n\r()") == std::string_view::npos &&
                       std::any_of(contents.begin(), contents.end(), isDigit);
      if (plausible) {
        tokens.push_back({TokenKind::Date, std::string(contents)});
        i = close + 1;
      } else {
        tokens.push_back({TokenKind::Operator, "#"});
        ++i;
      }
    } else if (isWordStart(c)) {
      // A # inside a name (INVOICE_COMMENT#1) belongs to it.
      while (i < sql.size() && (isWordChar(sql[i]) ||
                                (sql[i] == '#' && i + 1 < sql.size() && isWordChar(sql[i + 1]))))
        ++i;
      tokens.push_back({TokenKind::Word, std::string(sql.substr(start, i - start))});
    } else if (isDigit(c) || (c == '.' && i + 1 < sql.size() && isDigit(sql[i + 1]))) {
      while (i < sql.size() && (isDigit(sql[i]) || sql[i] == '.')) ++i;
      if (i < sql.size() && (sql[i] == 'e' || sql[i] == 'E')) {
        size_t j = i + 1;
        if (j < sql.size() && (sql[j] == '+' || sql[j] == '-')) ++j;
        if (j < sql.size() && isDigit(sql[j])) {
          i = j;
          while (i < sql.size() && isDigit(sql[i])) ++i;
        }
      }
      tokens.push_back({TokenKind::Number, std::string(sql.substr(start, i - start))});
    } else {
      ++i;
      TokenKind kind = TokenKind::Operator;
      switch (c) {
        case '(':
          kind = TokenKind::OpenParen;
          break;
        case ')':
          kind = TokenKind::CloseParen;
          break;
        case ',':
          kind = TokenKind::Comma;
          break;
        case '.':
          kind = TokenKind::Dot;
          break;
        case ';':
          kind = TokenKind::Semicolon;
          break;
        case '<':
          if (i < sql.size() && (sql[i] == '>' || sql[i] == '=')) ++i;
          break;
        case '>':
        case '!':
          if (i < sql.size() && sql[i] == '=') ++i;
          break;
        default:
          break;
      }
      tokens.push_back({kind, std::string(sql.substr(start, i - start))});
    }
  }
  return tokens;
}

std::string dateLiteral(std::string_view contents) {
  std::optional<double> serial = vb::parseDate(contents);
  if (!serial)
    raise(vberr::kDatabase,
          "Syntax error in date in query expression '#" + std::string(contents) + "#'.");
  return quoteText(vb::toStorageText(*serial));
}

namespace {

// ---- The token tree ------------------------------------------------------------------------

struct Node {
  Token token;                // for a group: the opening parenthesis
  std::vector<Node> members;  // a group's contents
  bool group = false;
  bool closed = false;  // a group with its closing parenthesis
  bool date = false;    // a text literal written as a date literal
};

Node leaf(TokenKind kind, std::string text) {
  return Node{{kind, std::move(text)}, {}, false, false, false};
}

// Parentheses nested deeper than this are refused: the tree is built, rewritten and written
// out recursively, and a statement of thousands of open parentheses would run a worker off the
// end of its stack. No statement of the system comes near it.
constexpr int kMaxNesting = 256;

std::vector<Node> buildTree(const std::vector<Token>& tokens, size_t& i, int depth) {
  std::vector<Node> list;
  while (i < tokens.size()) {
    const Token& t = tokens[i];
    if (t.kind == TokenKind::CloseParen && depth > 0) return list;  // the caller consumes it
    ++i;
    if (t.kind == TokenKind::OpenParen) {
      if (depth == kMaxNesting)
        raise(vberr::kDatabase, "Too many nested parentheses in query expression.");
      Node g{t, {}, true, false, false};
      g.members = buildTree(tokens, i, depth + 1);
      if (i < tokens.size()) {
        g.closed = true;
        ++i;
      }
      list.push_back(std::move(g));
    } else {
      list.push_back(Node{t, {}, false, false, false});
    }
  }
  return list;
}

void render(const std::vector<Node>& list, std::string& out) {
  for (const Node& n : list) {
    if (n.group) {
      out += '(';
      render(n.members, out);
      if (n.closed) out += ')';
      continue;
    }
    // Two minus signs or a slash and a star would open a comment in SQLite; keep them apart.
    if (!out.empty() && !n.token.text.empty() &&
        ((out.back() == '-' && n.token.text[0] == '-') ||
         (out.back() == '/' && n.token.text[0] == '*')))
      out += ' ';
    out += n.token.text;
  }
}

bool isSpace(const Node& n) {
  return !n.group && n.token.kind == TokenKind::Space;
}
bool isWord(const Node& n, std::string_view w) {
  return !n.group && n.token.kind == TokenKind::Word && vb::equalsIgnoreCase(n.token.text, w);
}
bool isOperator(const Node& n, std::string_view op) {
  return !n.group && n.token.kind == TokenKind::Operator && n.token.text == op;
}

// Index of the next member after i that is not a blank, or list.size().
size_t nextSignificant(const std::vector<Node>& list, size_t i) {
  ++i;
  while (i < list.size() && isSpace(list[i])) ++i;
  return i;
}
// Index of the member before i that is not a blank, or npos.
size_t previousSignificant(const std::vector<Node>& list, size_t i) {
  while (i > 0) {
    --i;
    if (!isSpace(list[i])) return i;
  }
  return std::string::npos;
}

bool startsWithSelect(const Node& group) {
  for (const Node& m : group.members) {
    if (isSpace(m)) continue;
    return isWord(m, "SELECT");
  }
  return false;
}
bool isEmptyGroup(const Node& group) {
  return std::all_of(group.members.begin(), group.members.end(), isSpace);
}

// Text compared with the result ignores letter case by Unicode rules; SQLite's NOCASE, which
// folds ASCII letters only, where it gives the same answer.
void appendNoCase(std::vector<Node>& list, size_t at, bool asciiOnly = false) {
  std::array<Node, 4> collate = {
      leaf(TokenKind::Space, " "), leaf(TokenKind::Word, "COLLATE"), leaf(TokenKind::Space, " "),
      leaf(TokenKind::Word, asciiOnly ? std::string("NOCASE") : std::string(kUnicodeNoCase))};
  list.insert(list.begin() + static_cast<long>(at), collate.begin(), collate.end());
}

// ---- Rewriting -----------------------------------------------------------------------------

struct FunctionRule {
  std::string_view dialect;
  std::string_view sqlite;
  bool returnsText;  // text results lose the columns' collation; comparisons must ignore case
  bool noArguments;  // only a call with empty parentheses (Date(), Now())
};

constexpr std::array<FunctionRule, 17> kFunctions = {{
    {"trim$", "vb_trim", true, false},
    {"trim", "vb_trim", true, false},
    {"ltrim$", "vb_ltrim", true, false},
    {"ltrim", "vb_ltrim", true, false},
    {"rtrim$", "vb_rtrim", true, false},
    {"rtrim", "vb_rtrim", true, false},
    {"ucase$", "vb_ucase", true, false},
    {"ucase", "vb_ucase", true, false},
    {"lcase$", "vb_lcase", true, false},
    {"lcase", "vb_lcase", true, false},
    {"str$", "vb_str", true, false},
    {"str", "vb_str", true, false},
    {"datevalue", "vb_datevalue", false, false},
    {"clng", "vb_clng", false, false},
    {"isnull", "vb_isnull", false, false},
    {"date", "vb_date", false, true},
    {"now", "vb_now", false, true},
}};

constexpr std::array<std::string_view, 5> kAggregates = {"SUM", "COUNT", "AVG", "MIN", "MAX"};

// Keywords and operators that end an operand of &: comparison, logic and clause words bind
// more loosely than &, arithmetic binds more tightly.
constexpr std::array<std::string_view, 37> kBoundaryWords = {
    "SELECT", "FROM",  "WHERE",  "AND",   "OR",     "NOT",      "AS",    "ON",   "JOIN",    "INNER",
    "LEFT",   "RIGHT", "OUTER",  "FULL",  "CROSS",  "LIKE",     "IS",    "IN",   "BETWEEN", "GROUP",
    "ORDER",  "BY",    "HAVING", "UNION", "ALL",    "DISTINCT", "ASC",   "DESC", "CASE",    "WHEN",
    "THEN",   "ELSE",  "END",    "SET",   "VALUES", "INTO",     "ESCAPE"};

bool isBoundary(const Node& n) {
  if (n.group) return false;
  switch (n.token.kind) {
    case TokenKind::Comma:
    case TokenKind::Semicolon:
      return true;
    case TokenKind::Operator: {
      const std::string& op = n.token.text;
      return op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=" ||
             op == "!=";
    }
    case TokenKind::Word:
      return std::any_of(kBoundaryWords.begin(), kBoundaryWords.end(),
                         [&](std::string_view w) { return vb::equalsIgnoreCase(n.token.text, w); });
    default:
      return false;
  }
}

void rewriteList(std::vector<Node>& list);

void rewriteLiterals(std::vector<Node>& list) {
  for (size_t i = 0; i < list.size(); ++i) {
    Node& n = list[i];
    if (n.group) continue;
    if (n.token.kind == TokenKind::Date) {
      n.token = {TokenKind::String, dateLiteral(n.token.text)};
      n.date = true;
    } else if (n.token.kind == TokenKind::Word && (isWord(n, "TRUE") || isWord(n, "FALSE"))) {
      size_t before = previousSignificant(list, i);
      size_t after = nextSignificant(list, i);
      bool qualified = before != std::string::npos && !list[before].group &&
                       list[before].token.kind == TokenKind::Dot;
      bool called = after < list.size() && list[after].group;
      if (!qualified && !called) n.token = {TokenKind::Number, isWord(n, "TRUE") ? "1" : "0"};
    }
  }
}

void rewriteCalls(std::vector<Node>& list) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].group || list[i].token.kind != TokenKind::Word) continue;
    size_t open = nextSignificant(list, i);
    if (open >= list.size() || !list[open].group) continue;
    size_t before = previousSignificant(list, i);
    if (before != std::string::npos && !list[before].group &&
        list[before].token.kind == TokenKind::Dot)
      continue;  // a qualified name, not a call

    const std::string& name = list[i].token.text;
    bool aggregate = std::any_of(kAggregates.begin(), kAggregates.end(),
                                 [&](std::string_view a) { return vb::equalsIgnoreCase(name, a); });
    if (aggregate && startsWithSelect(list[open])) {
      if (vb::equalsIgnoreCase(name, "SUM")) {
        // A sum over a sub-select: the sub-select, evaluated once for the group. Its links
        // tie it to the grouping columns, so it already totals the whole group.
        list.erase(list.begin() + static_cast<long>(i), list.begin() + static_cast<long>(open));
      } else {
        Node inner = std::move(list[open]);
        Node wrapper{{TokenKind::OpenParen, "("}, {}, true, true, false};
        wrapper.members.push_back(std::move(inner));
        list[open] = std::move(wrapper);
      }
      continue;
    }
    for (const FunctionRule& rule : kFunctions) {
      if (!vb::equalsIgnoreCase(name, rule.dialect)) continue;
      if (rule.noArguments && !isEmptyGroup(list[open])) break;
      list[i].token.text = std::string(rule.sqlite);
      if (rule.returnsText) appendNoCase(list, open + 1);
      break;
    }
  }
}

// Replaces every chain a & b & c by vb_concat(a, b, c), which reads a null operand as empty
// text, as the dialect's & does.
void rewriteConcatenation(std::vector<Node>& list) {
  if (std::none_of(list.begin(), list.end(), [](const Node& n) { return isOperator(n, "&"); }))
    return;
  std::vector<Node> out;
  size_t i = 0;
  while (i < list.size()) {
    if (isBoundary(list[i])) {
      out.push_back(std::move(list[i++]));
      continue;
    }
    size_t end = i;
    while (end < list.size() && !isBoundary(list[end])) ++end;
    // The run [i, end) lies between two boundaries.
    size_t first = i;
    while (first < end && isSpace(list[first])) ++first;
    size_t last = end;
    while (last > first && isSpace(list[last - 1])) --last;

    std::vector<std::vector<Node>> operands(1);
    for (size_t k = first; k < last; ++k) {
      if (isOperator(list[k], "&"))
        operands.emplace_back();
      else
        operands.back().push_back(std::move(list[k]));
    }
    auto trimSpaces = [](std::vector<Node>& v) {
      while (!v.empty() && isSpace(v.back())) v.pop_back();
      while (!v.empty() && isSpace(v.front())) v.erase(v.begin());
    };
    for (auto& op : operands) trimSpaces(op);
    bool wellFormed = std::none_of(operands.begin(), operands.end(),
                                   [](const std::vector<Node>& op) { return op.empty(); });

    for (size_t k = i; k < first; ++k) out.push_back(std::move(list[k]));
    if (operands.size() > 1 && wellFormed) {
      out.push_back(leaf(TokenKind::Word, "vb_concat"));
      Node call{{TokenKind::OpenParen, "("}, {}, true, true, false};
      for (size_t k = 0; k < operands.size(); ++k) {
        if (k > 0) {
          call.members.push_back(leaf(TokenKind::Comma, ","));
          call.members.push_back(leaf(TokenKind::Space, " "));
        }
        for (Node& m : operands[k]) call.members.push_back(std::move(m));
      }
      out.push_back(std::move(call));
      appendNoCase(out, out.size());
    } else {
      // Not a chain this rewriter understands; put it back as it was written.
      for (size_t k = 0; k < operands.size(); ++k) {
        if (k > 0) {
          out.push_back(leaf(TokenKind::Space, " "));
          out.push_back(leaf(TokenKind::Operator, "&"));
          out.push_back(leaf(TokenKind::Space, " "));
        }
        for (Node& m : operands[k]) out.push_back(std::move(m));
      }
    }
    for (size_t k = last; k < end; ++k) out.push_back(std::move(list[k]));
    i = end;
  }
  list = std::move(out);
}

bool isComparison(const Node& n) {
  if (n.group || n.token.kind != TokenKind::Operator) return false;
  const std::string& op = n.token.text;
  return op == "=" || op == "<>" || op == "!=" || op == "<" || op == ">" || op == "<=" ||
         op == ">=";
}

// Whether text equals this literal under Unicode case folding exactly when it equals it under
// ASCII folding (SQLite's NOCASE, which an index of a NOCASE column serves). Text outside ASCII
// folds to ASCII only through ß, ẞ, ſ, the Kelvin sign and the ligatures ﬀ ﬁ ﬂ ﬃ ﬄ ﬅ ﬆ, whose
// folds all hold an s, a k or an f; a pure ASCII literal without those letters can therefore
// only be met by ASCII text.
bool equalUnderAsciiFolding(std::string_view literal) {
  for (char c : literal) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 0x80) return false;
    char lower = static_cast<char>(std::tolower(b));
    if (lower == 's' || lower == 'k' || lower == 'f') return false;
  }
  return true;
}

// A text literal compared with a column: the column's NOCASE folds ASCII letters only, so the
// literal brings the Unicode collation, which decides when either operand names one. Date
// literals keep the column's order (and its index). A left operand that already carries the
// collation needs no second one.
void rewriteComparisons(std::vector<Node>& list) {
  for (size_t i = 0; i < list.size(); ++i) {
    const Node& n = list[i];
    if (n.group || n.token.kind != TokenKind::String || n.date) continue;
    size_t before = previousSignificant(list, i);
    size_t after = nextSignificant(list, i);
    bool right = before != std::string::npos && isComparison(list[before]);
    bool left = after < list.size() && isComparison(list[after]);
    if (!right && !left) continue;
    if (right) {
      size_t operand = previousSignificant(list, before);
      if (operand != std::string::npos && isWord(list[operand], kUnicodeNoCase)) continue;
    }
    const Node& op = list[right ? before : after];
    appendNoCase(list, i + 1, op.token.text == "=" && equalUnderAsciiFolding(n.token.text));
  }
}

void rewriteList(std::vector<Node>& list) {
  for (Node& n : list)
    if (n.group) rewriteList(n.members);
  rewriteLiterals(list);
  rewriteCalls(list);
  rewriteConcatenation(list);
  rewriteComparisons(list);
}

}  // namespace

std::optional<SingleTableSelect> parseSingleTableSelect(std::string_view sqliteSql) {
  std::vector<Token> tokens = tokenize(sqliteSql);
  std::vector<size_t> sig;  // indexes of the tokens that are not blanks
  for (size_t k = 0; k < tokens.size(); ++k)
    if (tokens[k].kind != TokenKind::Space) sig.push_back(k);
  auto word = [&](size_t s, std::string_view w) {
    return s < sig.size() && tokens[sig[s]].kind == TokenKind::Word &&
           vb::equalsIgnoreCase(tokens[sig[s]].text, w);
  };
  if (!word(0, "SELECT")) return std::nullopt;
  // The select list runs to the first FROM outside parentheses.
  int depth = 0;
  size_t from = 1;
  for (; from < sig.size(); ++from) {
    const Token& t = tokens[sig[from]];
    if (t.kind == TokenKind::OpenParen) ++depth;
    if (t.kind == TokenKind::CloseParen) --depth;
    if (depth == 0 && word(from, "FROM")) break;
  }
  if (from >= sig.size() || from == 1 || from + 1 >= sig.size()) return std::nullopt;
  const Token& table = tokens[sig[from + 1]];
  if (table.kind != TokenKind::Word && table.kind != TokenKind::Identifier) return std::nullopt;
  size_t after = from + 2;
  bool endsThere = after >= sig.size() || word(after, "WHERE") || word(after, "ORDER") ||
                   tokens[sig[after]].kind == TokenKind::Semicolon;
  if (!endsThere || word(1, "DISTINCT") || word(1, "ALL") || word(1, "TOP")) return std::nullopt;
  depth = 0;
  for (size_t s = after; s < sig.size(); ++s) {
    const Token& t = tokens[sig[s]];
    if (t.kind == TokenKind::OpenParen) ++depth;
    if (t.kind == TokenKind::CloseParen) --depth;
    if (depth == 0 && (word(s, "GROUP") || word(s, "HAVING") || word(s, "UNION") ||
                       word(s, "INTERSECT") || word(s, "EXCEPT")))
      return std::nullopt;
  }
  SingleTableSelect result;
  for (size_t k = sig[0] + 1; k < sig[from]; ++k) result.columns += tokens[k].text;
  result.table = table.text;
  for (size_t k = sig[from + 1] + 1; k < tokens.size(); ++k) result.rest += tokens[k].text;
  return result;
}

std::optional<FindCriterion> parseFindCriterion(std::string_view criterion) {
  std::vector<Token> tokens;
  for (Token& t : tokenize(criterion))
    if (t.kind != TokenKind::Space) tokens.push_back(std::move(t));
  if (tokens.size() != 3 || tokens[1].kind != TokenKind::Operator || tokens[1].text != "=")
    return std::nullopt;
  FindCriterion result;
  if (tokens[0].kind == TokenKind::Word) {
    result.column = tokens[0].text;
  } else if (tokens[0].kind == TokenKind::Identifier) {
    result.column = tokens[0].text.substr(1, tokens[0].text.size() - 2);
  } else {
    return std::nullopt;
  }
  const Token& v = tokens[2];
  switch (v.kind) {
    case TokenKind::String: {
      std::string body;
      readQuoted(v.text, 0, '\'', body);
      result.value = Value::text(std::move(body));
      break;
    }
    case TokenKind::Number:
      result.value = Value::number(std::strtod(v.text.c_str(), nullptr));
      break;
    case TokenKind::Date: {
      std::optional<double> serial = vb::parseDate(v.text);
      if (!serial) return std::nullopt;
      result.value = Value::date(*serial);
      break;
    }
    case TokenKind::Word:
      if (vb::equalsIgnoreCase(v.text, "TRUE") || vb::equalsIgnoreCase(v.text, "FALSE")) {
        result.value = Value::boolean(vb::equalsIgnoreCase(v.text, "TRUE"));
        break;
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
  return result;
}

namespace {

bool isNameChar(char c) {
  return isWordChar(c) && c != '$';
}

// The word at text[at] when it starts there and is followed by no other name character.
bool wordAt(std::string_view text, std::size_t at, std::string_view word) {
  if (at + word.size() > text.size()) return false;
  if (at > 0 && isNameChar(text[at - 1])) return false;
  if (at + word.size() < text.size() && isNameChar(text[at + word.size()])) return false;
  // Most places differ in an ASCII first letter already.
  const auto first = static_cast<unsigned char>(text[at]);
  if (first < 0x80 && std::tolower(first) != std::tolower(static_cast<unsigned char>(word[0])))
    return false;
  return vb::equalsIgnoreCase(text.substr(at, word.size()), word);
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool isPlainName(std::string_view text) {
  if (text.empty() || !isWordStart(text[0])) return false;
  return std::all_of(text.begin(), text.end(), isNameChar);
}

// The name a select-list item gives its field: "x AS name" or the last part of "TABLE.COLUMN";
// empty for anything else.
std::string_view fieldNameOf(std::string_view item) {
  item = trimmed(item);
  for (std::size_t at = item.size(); at-- > 0;) {
    if (wordAt(item, at, "AS")) {
      const std::string_view alias = trimmed(item.substr(at + 2));
      return at > 0 && isPlainName(alias) ? alias : std::string_view();
    }
  }
  const std::size_t dot = item.rfind('.');
  const std::string_view last = dot == std::string_view::npos ? item : item.substr(dot + 1);
  if (!isPlainName(last)) return {};
  for (std::size_t start = 0; start <= item.size();) {
    const std::size_t end = std::min(item.find('.', start), item.size());
    if (!isPlainName(item.substr(start, end - start))) return {};
    start = end + 1;
  }
  return last;
}

std::string narrowed(std::string_view sql, const std::vector<std::string_view>& fields) {
  const std::string unchanged(sql);
  std::size_t at = sql.find_first_not_of(" \t\r\n");
  if (at == std::string_view::npos || !wordAt(sql, at, "SELECT")) return unchanged;
  at += 6;
  // The top-level commas of the select list and the FROM that ends it; quoted text and
  // bracketed names are skipped whole.
  std::vector<std::size_t> starts{at};
  std::size_t from = std::string_view::npos;
  int depth = 0;
  for (std::size_t i = at; i < sql.size() && from == std::string_view::npos; ++i) {
    const char c = sql[i];
    if (c == '\'' || c == '"' || c == '[') {
      const std::size_t close = sql.find(c == '[' ? ']' : c, i + 1);
      if (close == std::string_view::npos) return unchanged;
      i = close;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (depth == 0 && c == ',') {
      starts.push_back(i + 1);
    } else if (depth == 0 && wordAt(sql, i, "FROM")) {
      from = i;
    }
  }
  if (from == std::string_view::npos) return unchanged;
  const std::string_view rest = sql.substr(from);
  const std::string_view firstItem =
      trimmed(sql.substr(at, (starts.size() > 1 ? starts[1] - 1 : from) - at));
  for (std::string_view word : {"DISTINCT", "ALL", "TOP"})
    if (wordAt(firstItem, 0, word)) return unchanged;
  auto appearsIn = [](std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i)
      if (wordAt(text, i, word)) return true;
    return false;
  };
  if (appearsIn(rest, "UNION")) return unchanged;

  std::string out(sql.substr(0, at));
  for (std::size_t k = 0; k < starts.size(); ++k) {
    const std::size_t end = k + 1 < starts.size() ? starts[k + 1] - 1 : from;
    const std::string_view item = sql.substr(starts[k], end - starts[k]);
    const std::string_view name = fieldNameOf(item);
    const bool read = name.empty() || std::any_of(fields.begin(), fields.end(), [&](auto f) {
                        return vb::equalsIgnoreCase(f, name);
                      });
    if (k > 0) out += ',';
    if (read || appearsIn(rest, name)) {
      out += item;
    } else {
      out.append(" NULL AS ").append(name).append(" ");
    }
  }
  out += rest;
  return out;
}

}  // namespace

std::string withOnlyFields(std::string_view sql, const std::vector<std::string_view>& fields) {
  std::string key(sql);
  for (std::string_view field : fields) key.append(1, '\0').append(field);
  TextCache& cache = narrowingCache();
  if (std::optional<std::string> known = cache.find(key)) return std::move(*known);
  std::string result = narrowed(sql, fields);
  cache.add(key, result);
  return result;
}

}  // namespace dialect

namespace {

std::string translateUncached(std::string_view dialectSql) {
  std::vector<dialect::Token> tokens = dialect::tokenize(dialectSql);
  size_t i = 0;
  std::vector<dialect::Node> tree = dialect::buildTree(tokens, i, 0);
  dialect::rewriteList(tree);
  std::string out;
  out.reserve(dialectSql.size() + 32);
  dialect::render(tree, out);
  return out;
}

}  // namespace

std::string translateSql(std::string_view dialectSql) {
  TextCache& cache = translationCache();
  if (std::optional<std::string> known = cache.find(dialectSql)) return std::move(*known);
  // A statement that fails to translate raises here and is not kept.
  std::string translated = translateUncached(dialectSql);
  cache.add(dialectSql, translated);
  return translated;
}

}  // namespace ravadid::db

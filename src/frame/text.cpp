#include "frame/text.h"

#include <array>
#include <charconv>
#include <cstdio>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame/errors.h"
#include "frame/runtime.h"

namespace ravadid {
namespace {

bool isUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.' || c == '~';
}

std::string numberLiteral(double value) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, value);  // shortest text that reads back
  std::string text(buf, result.ptr);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

// Which bytes HTML escaping replaces, looked up by byte in one step.
constexpr auto kEscapedBytes = [] {
  std::array<bool, 256> escaped{};
  for (unsigned char c : std::string_view("&<>\"'")) escaped[c] = true;
  return escaped;
}();

std::string_view entityOf(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    default:
      return "&#39;";
  }
}

std::size_t firstEscaped(std::string_view text, std::size_t from) {
  std::size_t i = from;
#if defined(__SSE2__)
  // Sixteen bytes compared at a time with the five characters: most values hold none of them.
  const __m128i ampersand = _mm_set1_epi8('&');
  const __m128i less = _mm_set1_epi8('<');
  const __m128i greater = _mm_set1_epi8('>');
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i apostrophe = _mm_set1_epi8('\'');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i hits = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, ampersand), _mm_cmpeq_epi8(bytes, less)),
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, greater), _mm_cmpeq_epi8(bytes, quote)),
                     _mm_cmpeq_epi8(bytes, apostrophe)));
    if (const int mask = _mm_movemask_epi8(hits); mask != 0)
      return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  for (; i < text.size(); ++i)
    if (kEscapedBytes[static_cast<unsigned char>(text[i])]) return i;
  return text.size();
}

}  // namespace

void appendHtmlEscaped(std::string& out, std::string_view text) {
  // Most values hold no character to escape: they are appended in one piece.
  std::size_t done = 0;
  for (std::size_t at = firstEscaped(text, 0); at < text.size(); at = firstEscaped(text, done)) {
    out.append(text.substr(done, at - done)).append(entityOf(text[at]));
    done = at + 1;
  }
  out.append(text.substr(done));
}

std::string htmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendHtmlEscaped(out, text);
  return out;
}

std::string urlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    if (isUnreserved(c)) {
      out += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

std::string sqlTextBody(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\0') continue;  // a NUL would cut the statement short at the engine
    if (c == '\'') out += '\'';
    out += c;
  }
  return out;
}

std::string sqlText(std::string_view text) {
  return "'" + sqlTextBody(text) + "'";
}

std::string sqlWhole(std::string_view text) {
  return std::to_string(vb::CLng(Value(text)));
}

std::string sqlNumber(std::string_view text) {
  return numberLiteral(vb::CDbl(Value(text)));
}

std::string sqlDate(std::string_view text) {
  std::optional<double> serial = vb::parseDate(text);
  if (!serial) raiseTypeMismatch();
  return sqlDate(*serial);
}

std::string sqlDate(double serial) {
  const vb::DateParts p = vb::dateParts(serial);
  char buf[64];
  if (p.hour == 0 && p.minute == 0 && p.second == 0) {
    std::snprintf(buf, sizeof buf, "#%d/%d/%04d#", p.month, p.day, p.year);
  } else {
    std::snprintf(buf, sizeof buf, "#%d/%d/%04d %d:%02d:%02d#", p.month, p.day, p.year, p.hour,
                  p.minute, p.second);
  }
  return buf;
}

}  // namespace ravadid

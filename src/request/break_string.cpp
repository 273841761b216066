#include "request/break_string.h"

#include <cstddef>

#include "frame/text.h"

namespace ravadid {
namespace {

// The break falls after this many characters, whatever length the caller gave.
constexpr std::size_t kBreakAfter = 30;

bool isContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text)
    if (!isContinuationByte(c)) ++count;
  return count;
}

// The text split where BreakString breaks it: the head, the joint ("<br>" or "-<br>") and the
// tail. An unbroken text is all head.
struct BrokenText {
  std::string_view head;
  std::string_view joint;
  std::string_view tail;
};

BrokenText breakText(std::string_view text, int16_t length) {
  if (static_cast<long>(characterCount(text)) <= length) return {text, {}, {}};
  // Byte offsets of the start of the 30th character and of the end of the head.
  std::size_t lastStart = text.size();
  std::size_t end = 0;
  for (std::size_t characters = 0; end < text.size() && characters < kBreakAfter; ++characters) {
    lastStart = end;
    ++end;
    while (end < text.size() && isContinuationByte(text[end])) ++end;
  }
  // A text of fewer than 30 characters has no 30th character, so it is not a blank.
  const bool blankAt30 =
      characterCount(text.substr(0, end)) == kBreakAfter && text[lastStart] == ' ';
  return {text.substr(0, end), blankAt30 ? "<br>" : "-<br>", text.substr(end)};
}

}  // namespace

std::string BreakString(std::string_view str, int16_t length) {
  BrokenText broken = breakText(str, length);
  std::string result(broken.head);
  result.append(broken.joint).append(broken.tail);
  return result;
}

std::string breakStringHtml(std::string_view str, int16_t length) {
  std::string result;
  appendBreakStringHtml(result, str, length);
  return result;
}

void appendBreakStringHtml(std::string& out, std::string_view str, int16_t length) {
  BrokenText broken = breakText(str, length);
  appendHtmlEscaped(out, broken.head);
  out.append(broken.joint);
  appendHtmlEscaped(out, broken.tail);
}

}  // namespace ravadid

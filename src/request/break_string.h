// BreakString: one HTML line break in a long text, for the narrow destination cells of the
// result tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ravadid {

// A text longer than length characters becomes its first 30 characters, "<br>" when the 30th
// character is a blank or "-<br>" otherwise, and the rest; a shorter text comes back as it is.
// At most one break is inserted. The break always falls after the 30th character; length only
// decides whether the text is broken (every caller passes 30). Characters are counted in UTF-8,
// so a letter outside ASCII is never cut in two. The text itself is not escaped: for HTML use
// breakStringHtml.
std::string BreakString(std::string_view str, int16_t length);

// BreakString for HTML: the raw text is broken first and each part escaped afterwards, so the
// break never lands inside an entity and a quote or "<" in the text cannot become markup.
std::string breakStringHtml(std::string_view str, int16_t length);
// The same appended to out, for tables that write many cells into one page.
void appendBreakStringHtml(std::string& out, std::string_view str, int16_t length);

}  // namespace ravadid

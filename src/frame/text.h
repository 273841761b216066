// Shared helpers for putting values into HTML, URLs and SQL safely.
#pragma once

#include <string>
#include <string_view>

namespace ravadid {

// Escapes & < > " ' for HTML text and attribute values.
std::string htmlEscape(std::string_view text);
// The same, appended to out: a page that escapes thousands of values builds no string per value.
void appendHtmlEscaped(std::string& out, std::string_view text);
// Percent-encodes everything but unreserved characters (for query parameters).
std::string urlEncode(std::string_view text);

// SQL literals. Text goes between single quotes with embedded quotes doubled; numbers are
// converted first (error 13 "Type mismatch" for a non-number, before any statement is built);
// dates are validated (error 13) and written between number signs in month/day/year order.
std::string sqlText(std::string_view text);      // 'O''Brien'
std::string sqlTextBody(std::string_view text);  // O''Brien (for LIKE patterns built around it)
std::string sqlWhole(std::string_view text);     // CLng of the text, bare
std::string sqlNumber(std::string_view text);    // CDbl of the text, bare
std::string sqlDate(std::string_view text);      // #3/5/2024# or #3/5/2024 10:30:00#
std::string sqlDate(double serial);

}  // namespace ravadid

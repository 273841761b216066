#include "approval/request_history.h"

#include <algorithm>
#include <string>

#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"

namespace ravadid {
namespace {

namespace history = schema::tripreq_history;

std::string textOf(const db::Recordset& rows, const char* column) {
  return vb::Trim(NullToSpace(rows.field(column)));
}

void appendCell(std::string& html, const char* label, std::string_view text) {
  html.append("<td data-label=\"").append(label).append("\">");
  appendHtmlEscaped(html, text);
  html += "</td>";
}

}  // namespace

std::string history_action::copiedFrom(std::string_view sourceRequest) {
  return "Copied from request " + std::string(sourceRequest);
}

void recordHistory(db::Connection& tripschl, const HistoryLine& line) {
  tripschl.execute(std::string("INSERT INTO ") + history::kTable + " (" + history::kTripnum + ", " +
                   history::kAction + ", " + history::kUserid + ", " + history::kRole + ", " +
                   history::kChangedAt + ", " + history::kStatusBefore + ", " +
                   history::kStatusAfter + ", " + history::kComment + ") VALUES (" +
                   std::to_string(line.tripNumber) + ", " + sqlText(line.action) + ", " +
                   sqlText(line.user) + ", " + sqlText(line.role) + ", " + sqlDate(line.at) + ", " +
                   sqlText(line.statusBefore) + ", " + sqlText(line.statusAfter) + ", " +
                   sqlText(line.comment) + ")");
}

RequestHistory readHistory(db::Connection& tripschl, int32_t tripNumber, std::size_t newest) {
  const std::string ofRequest = std::string(" FROM ") + history::kTable + " WHERE " +
                                history::kTripnum + " = " + std::to_string(tripNumber);
  db::Recordset rows;
  rows.open("SELECT *" + ofRequest + " ORDER BY " + history::kId + " DESC LIMIT " +
                std::to_string(newest),
            tripschl);
  RequestHistory history;
  std::vector<HistoryLine>& lines = history.lines;
  for (; !rows.eof(); rows.moveNext()) {
    HistoryLine line;
    line.tripNumber = tripNumber;
    line.action = textOf(rows, history::kAction);
    line.user = textOf(rows, history::kUserid);
    line.role = textOf(rows, history::kRole);
    const Value at = rows.field(history::kChangedAt);
    line.at = at.isNull() ? 0 : vb::CDate(at);
    line.statusBefore = textOf(rows, history::kStatusBefore);
    line.statusAfter = textOf(rows, history::kStatusAfter);
    line.comment = textOf(rows, history::kComment);
    lines.push_back(std::move(line));
  }
  rows.close();
  std::reverse(lines.begin(), lines.end());
  if (lines.size() == newest) {
    db::Recordset count;
    count.open("SELECT COUNT(*) AS N" + ofRequest, tripschl);
    history.earlier = static_cast<std::size_t>(vb::CLng(count.field("N"))) - lines.size();
    count.close();
  }
  return history;
}

std::string historySection(const RequestHistory& history) {
  const std::vector<HistoryLine>& lines = history.lines;
  if (lines.empty()) return {};
  std::string html =
      "<section class=\"history\" aria-labelledby=\"h-history\"><h3 id=\"h-history\">History</h3>"
      "<table class=\"history\"><thead><tr><th scope=\"col\">When</th><th scope=\"col\">Who</th>"
      "<th scope=\"col\">Action</th><th scope=\"col\">Status</th><th scope=\"col\">Comment</th>"
      "</tr></thead><tbody>";
  for (const HistoryLine& line : lines) {
    html += "<tr>";
    appendCell(html, "When", line.at == 0 ? std::string() : vb::formatDate(line.at));
    appendCell(html, "Who", line.role.empty() ? line.user : line.user + " (" + line.role + ")");
    appendCell(html, "Action", line.action);
    // Before and after; a new request has no status before, a deleted one none after.
    html += "<td data-label=\"Status\">";
    appendHtmlEscaped(html, line.statusBefore);
    if (!line.statusBefore.empty() && !line.statusAfter.empty()) html += " &rarr; ";
    appendHtmlEscaped(html, line.statusAfter);
    html += "</td>";
    appendCell(html, "Comment", line.comment);
    html += "</tr>";
  }
  html += "</tbody></table>";
  if (history.earlier > 0) {
    html += "<p class=\"history-note\">The latest " + std::to_string(lines.size()) +
            " changes are shown; " + std::to_string(history.earlier) + " earlier " +
            (history.earlier == 1 ? "change is" : "changes are") + " not.</p>";
  }
  html += "</section>";
  return html;
}

}  // namespace ravadid

#include "reports/report_paging.h"

#include <algorithm>
#include <utility>

#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/errors.h"
#include "frame/runtime.h"
#include "frame/text.h"

namespace ravadid {
namespace {

constexpr std::string_view kFirstButton =
    "<input type='submit' class='submitLink' value='First' name='btnSubmit' id='btnFirst'>";
constexpr std::string_view kPreviousButton =
    "<input type='submit' class='submitLink' value='Previous' name='btnSubmit' id='btnPrevious'>";
constexpr std::string_view kNextButton =
    "<input type='submit' class='submitLink' value='Next' name='btnSubmit' id='btnNext'>";
constexpr std::string_view kLastButton =
    "<input type='submit' class='submitLink' value='Last' name='btnSubmit' id='btnLast'>";

// Writes the report's template with the rows of this request.
class ReportWriter final : public PageObject {
 public:
  ReportWriter(const ReportDefinition& report, ReportRows& rows)
      : PageObject(std::string(report.pageObject)), report_(report), rows_(rows) {}
  void processTag(Ravadid& app, TagEvent& tag) const override {
    // A page of rows is moved into the page rather than copied.
    if (tag.is("WC@RESULTS")) {
      tag.contents = std::move(rows_.html);
      rows_.html.clear();
      return;
    }
    replaceReportTag(app, report_, rows_, tag);
  }

 private:
  const ReportDefinition& report_;
  ReportRows& rows_;
};

// Steps 2 and 3 of the display: the rows of the page, the page number shown, the template. A
// builder that failed leaves its error report as the whole answer.
void buildAndWrite(Ravadid& app, const ReportDefinition& report, int16_t pageNumber) {
  ReportRows rows;
  const std::string query = app.session().text(report.queryKey);
  report.build(app, query, pageNumber, reportPageSize(app), rows);
  app.session().set("PageNumber", Value::integer(pageNumber));
  if (!app.noError()) return;
  app.writeTemplate(ReportWriter(report, rows));
}

}  // namespace

long reportStartRow(int16_t& pageNumber, int16_t pageSize, long recordCount, int16_t floor) {
  while (pageNumber > floor) {
    const long first = (static_cast<long>(pageNumber) - 1) * pageSize;
    if (first < recordCount) return std::max(first, 0L);
    --pageNumber;
  }
  return 0;
}

long openReportPage(db::Recordset& rows, std::string_view query, db::Connection& connection,
                    int16_t& pageNumber, int16_t pageSize, int16_t floor) {
  rows.openWindow(
      query, connection,
      [&](long count) {
        return count == 0 ? 0L : reportStartRow(pageNumber, pageSize, count, floor);
      },
      pageSize);
  return rows.recordCount();
}

int16_t pageAfterButton(std::string_view button, int16_t current, double recordCount,
                        int16_t pageSize) {
  if (vb::equalsIgnoreCase(button, "First")) return 1;
  // The page number is a 16-bit whole number: stepping past its range overflows.
  if (vb::equalsIgnoreCase(button, "Previous"))
    return vb::CInt(Value::whole(static_cast<int32_t>(current) - 1));
  if (vb::equalsIgnoreCase(button, "Next"))
    return vb::CInt(Value::whole(static_cast<int32_t>(current) + 1));
  if (vb::equalsIgnoreCase(button, "Last")) {
    if (pageSize == 0) raise(11, "Division by zero");
    return vb::CInt(Value::number(recordCount / pageSize + 1));
  }
  return current;
}

std::string navigationButtons(int16_t pageNumber, int16_t pageSize, long recordCount) {
  std::string html;
  const bool before = pageNumber >= 2;
  const bool after = static_cast<long>(pageNumber) * pageSize < recordCount;
  html += before ? kFirstButton : "&nbsp;First&nbsp;";
  html += before ? kPreviousButton : "&nbsp;Previous&nbsp;";
  html += after ? kNextButton : "&nbsp;Next&nbsp;";
  html += after ? kLastButton : "&nbsp;Last&nbsp;";
  return html;
}

int16_t reportPageSize(Ravadid& app) {
  return vb::CInt(app.application().get("PageSize"));
}

int16_t storedPageNumber(Ravadid& app) {
  const Value stored = app.session().get("PageNumber");
  if (stored.isEmpty() || stored.isNull() || (stored.isText() && stored.asText().empty())) {
    app.session().set("PageNumber", Value::integer(1));
    return 1;
  }
  return vb::CInt(stored);
}

ReportPage::ReportPage(ReportDefinition report)
    : PageObject(std::string(report.pageObject), {std::string(report.pageObject)}),
      report_(std::move(report)) {}

void ReportPage::respond(Ravadid& app) const {
  ReportPage_Respond(app, report_);
}

void ReportPage::onEvent(Ravadid& app, const std::string&) const {
  ReportPage_Page(app, report_);
}

void ReportPage::processTag(Ravadid& app, TagEvent& tag) const {
  replaceReportTag(app, report_, ReportRows{}, tag);
}

void ReportPage_Respond(Ravadid& app, const ReportDefinition& report) {
  app.run({.name = std::string(report.pageObject) + "_Respond"},
          [&] { buildAndWrite(app, report, storedPageNumber(app)); });
}

void ReportPage_Page(Ravadid& app, const ReportDefinition& report) {
  const std::string name(report.pageObject);
  app.run({.name = name + "_" + name}, [&] {
    const Value count = app.session().get("RecordCount");
    const double recordCount = count.isEmpty() || count.isNull() ? 0.0 : vb::CDbl(count);
    const int16_t page = pageAfterButton(app.form("btnSubmit"), storedPageNumber(app), recordCount,
                                         reportPageSize(app));
    buildAndWrite(app, report, page);
  });
}

bool replaceReportTag(Ravadid& app, const ReportDefinition& report, const ReportRows& rows,
                      TagEvent& tag) {
  if (tag.is("WC@DISTRICTNAME")) {
    tag.contents = htmlEscape(app.application().text("DISTNAME"));
  } else if (tag.is("WC@NOW")) {
    tag.contents = htmlEscape(vb::formatDate(vb::Now()));
  } else if (tag.is("WC@PAGENUMBER")) {
    tag.contents = htmlEscape(app.session().text("PageNumber"));
  } else if (tag.is("WC@RESULTS")) {
    tag.contents = rows.html;
  } else if (tag.is("WC@NAVIGATIONBUTTONS")) {
    app.session().set("RecordCount", Value::whole(static_cast<int32_t>(rows.recordCount)));
    tag.contents = navigationButtons(storedPageNumber(app), reportPageSize(app), rows.recordCount);
  } else if (tag.is("WC@FILTERSUSED")) {
    tag.contents = htmlEscape(app.session().text(report.filtersKey));
  } else {
    return false;
  }
  return true;
}

}  // namespace ravadid

// The paging frame of the printable reports: a report page shows one page of the rows of the
// query its search left in the session, with First, Previous, Next and Last buttons. A report
// is its page object, its session keys and a row builder that turns one page of rows into HTML.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "frame/page_object.h"

namespace ravadid {

class Ravadid;

namespace db {
class Connection;
class Recordset;
}  // namespace db

// What a row builder leaves for the page: the rows of WC@RESULTS and the query's record count.
struct ReportRows {
  std::string html;
  long recordCount = 0;
};

// Builds one page of rows from the query: pageNumber comes in as stored and leaves as the page
// shown (lowered when the data holds fewer pages).
using ReportRowBuilder =
    std::function<void(Ravadid& app, const std::string& query, int16_t& pageNumber,
                       int16_t pageSize, ReportRows& rows)>;

// The start-row search: the rows before the first row of the page. While the page number is
// above floor, a page whose first row lies within recordCount starts there; otherwise the page
// number is lowered by one and tried again. A page number at or below floor starts at the
// first row. The reports use floor 0; the summary lowers only while the number is above 1.
long reportStartRow(int16_t& pageNumber, int16_t pageSize, long recordCount, int16_t floor = 0);

// Opens the query with only the rows of the page read, positioned by the start-row search on
// the query's record count. Returns the record count (0 for no records, the page number then
// untouched).
long openReportPage(db::Recordset& rows, std::string_view query, db::Connection& connection,
                    int16_t& pageNumber, int16_t pageSize, int16_t floor = 0);

// The page number after the paging form's button ("First", "Previous", "Next", "Last", any
// case); another button keeps the current page. "Last" is recordCount / pageSize + 1 rounded
// halves to even, which may lie one page beyond the data until the start-row search lowers it.
int16_t pageAfterButton(std::string_view button, int16_t current, double recordCount,
                        int16_t pageSize);

// The First, Previous, Next and Last buttons: First and Previous from page 2 on, Next and Last
// while rows follow the page; plain texts otherwise.
std::string navigationButtons(int16_t pageNumber, int16_t pageSize, long recordCount);

// One paged report.
struct ReportDefinition {
  std::string_view pageObject;  // also the name of its paging event
  std::string_view queryKey;    // session key of the query to print
  std::string_view filtersKey;  // session key of the "Filters used: ..." text
  ReportRowBuilder build;
};

// A paged report page: Respond shows the stored page, the event named like the page moves by
// the posted btnSubmit; both build the rows and write the template.
class ReportPage : public PageObject {
 public:
  explicit ReportPage(ReportDefinition report);
  void respond(Ravadid& app) const override;
  void onEvent(Ravadid& app, const std::string& event) const override;
  // Tags without a page built (the frame's own use); the handlers write with their rows.
  void processTag(Ravadid& app, TagEvent& tag) const override;

  const ReportDefinition& report() const { return report_; }

 private:
  ReportDefinition report_;
};

// The display: PageNumber (1 when empty) through the row builder, then the template.
void ReportPage_Respond(Ravadid& app, const ReportDefinition& report);
// The paging form: the new page number by btnSubmit, then as the display.
void ReportPage_Page(Ravadid& app, const ReportDefinition& report);

// Replaces the report tags: WC@DISTRICTNAME, WC@NOW, WC@PAGENUMBER, WC@RESULTS,
// WC@NAVIGATIONBUTTONS (which stores RecordCount in the session) and WC@FILTERSUSED (the
// stored filters text, escaped; nothing when none is stored). True when the tag was one.
bool replaceReportTag(Ravadid& app, const ReportDefinition& report, const ReportRows& rows,
                      TagEvent& tag);

// The page size setting (PageSize) and the session's page number (empty reads as 1).
int16_t reportPageSize(Ravadid& app);
int16_t storedPageNumber(Ravadid& app);

}  // namespace ravadid

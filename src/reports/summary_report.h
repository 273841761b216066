// TripSummaryReport: the trips of the last field trip search grouped by customer, category,
// fund, destination or grade, with per group the trips, their split lines, students, adults,
// riders and the amount billed, one page at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "frame/page_object.h"
#include "frame/value.h"

namespace ravadid {

class Ravadid;

enum class SummaryGrouping { Customer, Category, Fund, Destination, Grade };

// The grouping named by the query string's Type, compared upper-cased; nothing for any other
// text.
std::optional<SummaryGrouping> summaryGrouping(std::string_view type);

// The summary statement for a grouping over the trips the condition selects (the stored WHERE
// part of the last trip search, beginning " WHERE", or empty for every trip). Each figure sums
// a per-trip sub-select tied to the outer trip row, so the condition (division included) acts
// through the outer rows and every trip counts once. Category and grade add a "*None" row for
// trips without a value.
std::string tripSummaryStatement(SummaryGrouping grouping, std::string_view condition);

// Cell texts of a summary row: counts "#,###,##0" ("0" for null), the amount in the locale's
// currency ("$0.00" for null or an amount that rounds to a whole 0).
std::string summaryCount(const Value& count);
std::string summaryAmount(const Value& amount);

// The fields of one summary row, in the statement's column order.
struct SummaryColumns {
  int description = -1, trips = -1, splits = -1, students = -1, adults = -1, amount = -1;
};

// Appends "<tr bgcolor='colour'>" and the seven cells of one group.
void appendSummaryRow(std::string& html, std::span<const Value> row, const SummaryColumns& at,
                      std::string_view colour);

// The rows of one page of the summary and the number of groups.
struct SummaryPage {
  std::string results;
  long recordCount = 0;
};

// Runs the summary for the query string's Type over the stored condition and turns the rows of
// the page into HTML (error report name "BuildTripSummaryReportResults"). A page beyond the
// groups is lowered to the last page that holds one; the page search runs only above page 1.
// An empty or unknown Type writes its message and ends the response; then it returns false.
bool BuildTripSummaryReportResults(Ravadid& app, std::string_view summaryType,
                                   std::string_view condition, int16_t& pageNumber,
                                   int16_t pageSize, SummaryPage& page);

// What one request of the page shows: the grouping as asked, the page and its rows.
struct SummaryReportState {
  std::string summaryType;  // the query string's Type as given
  int16_t pageNumber = 1;
  SummaryPage page;
};

// First display: page 1 unless a page is stored, then the page's rows and template.
void TripSummaryReport_Respond(Ravadid& app);
// The paging form: First, Previous, Next or Last moves the stored page, then as Respond.
void TripSummaryReport_TripSummaryReport(Ravadid& app);
// WC@DISTRICTNAME, WC@NOW, WC@PAGENUMBER, WC@RESULTS, WC@NAVIGATIONBUTTONS (stores
// RecordCount), WC@SUMMARYTYPE, WC@UCASESUMMARYTYPE and WC@FILTERSUSED (the stored
// TripReportFilters, escaped).
void TripSummaryReport_ProcessTag(Ravadid& app, SummaryReportState& state, TagEvent& tag);

class TripSummaryReportPage : public PageObject {
 public:
  TripSummaryReportPage() : PageObject("TripSummaryReport", {"TripSummaryReport"}) {}
  void respond(Ravadid& app) const override;
  // Fills the tags without rows (the handlers fill them from their own page).
  void processTag(Ravadid& app, TagEvent& tag) const override;
  void onEvent(Ravadid& app, const std::string& event) const override;
};

}  // namespace ravadid

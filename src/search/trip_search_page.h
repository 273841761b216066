// TripSearch: the list of scheduled trips with their billing state and balances. The query
// behind the list, its condition and its filters in words stay in the session for the reports.
#pragma once

#include <cstdint>
#include <string>

#include "frame/page_object.h"

namespace ravadid {

class Ravadid;

// The search of one request: the filters as posted, the query and the results built from it.
struct TripSearchState {
  // The state boxes, "ON" or empty. Both boxes of a pair alike filter nothing.
  std::string assigned, unassigned, billed, unbilled, cancelled, open;
  std::string openBalance;   // "ON": only trips with an amount still to bill
  std::string sort1, sort2;  // ORDER BY columns
  std::string grade;
  std::string destination;  // a destination code (a number)
  std::string division;
  std::string category;
  std::string customer;  // a customer code
  std::string internalNumber;
  std::string requestNumber;
  std::string tripNumber;
  std::string departureFrom;
  std::string departureTo;
  std::string fund;
  bool fundFromLookup = false;  // the fund look-up chose the fund; the form's is not read
  std::string purchaseOrder;
  std::string billingCustomer;
  std::string query;    // the full query; empty when none was built
  std::string results;  // HTML of WC@RESULTS
  int32_t count = 0;    // trips found (also above the listing limit)
  double totalBilled = 0;
  double totalDue = 0;
};

// More than this many trips are not listed.
inline constexpr long kMaxListedTrips = 300;

class TripSearchPage : public PageObject {
 public:
  TripSearchPage() : PageObject("TripSearch", {"FieldTrips"}) {}
  void respond(Ravadid& app) const override;
  // Fills the tags with an empty search (the page's own handlers fill them from their search).
  void processTag(Ravadid& app, TagEvent& tag) const override;
  void onEvent(Ravadid& app, const std::string& event) const override;
};

// The first display: every state box ticked, sorted by departure date, then the search.
void TripSearch_Respond(Ravadid& app);

// The filter form's post: Reset, the Fund button (opens the fund look-up), or the search. Builds
// the counting and full queries, refuses more than 300 trips, builds the table and totals,
// stores TripReportQuery, TripReportSummaryCondition and TripReportFilters, writes the page. An
// invalid date, number or sort column answers with its message alone.
void TripSearch_FieldTrips(Ravadid& app);
void TripSearch_FieldTrips(Ravadid& app, TripSearchState& search);

// The fund look-up opened by the search's Fund button hands its choice back here: the fund
// filter becomes the chosen fund, the autofill flag follows AUTOFILL_TRIPS, the six state boxes
// are ticked, and the search runs.
void TripSearch_FromFundLookup(Ravadid& app, const std::string& fund);

// Replaces the page's tags from the search.
void TripSearch_ProcessTag(Ravadid& app, const TripSearchState& search, TagEvent& tag);

// Clears the filters but the state boxes (ticked), open balance and sort columns; the customer
// becomes the session's customer; the autofill flag follows AUTOFILL_TRIPS.
void InitTripSearch(Ravadid& app, TripSearchState& search);

// "Filters used: Departing 3/5/2026 to 3/5/2026; Customer LHS; Billed." or "Filters used:
// none.", unescaped: the reports print it.
std::string tripFiltersUsed(const TripSearchState& search);

// Runs the full query on the open trip database: the results table and the two totals.
void BuildTripResultsTable(Ravadid& app, TripSearchState& search);

// The six columns a list may be sorted by: the column spelled as listed, or empty when the
// posted value is none of them.
std::string tripSortColumn(const std::string& posted);

}  // namespace ravadid

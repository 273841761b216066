// RequestSearch: the start menu and the list of trip requests. Opened without a search, it
// shows an approver the requests waiting at the approver's levels; the filter form lists the
// requests that match. The query behind the list stays in the session for the reports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/page_object.h"

namespace ravadid {

class Ravadid;

// The search of one request: the filters as posted, the query and the results built from it.
struct RequestSearchState {
  std::string status;
  std::string grade;
  std::string customer;     // a customer code
  std::string destination;  // a destination code
  std::string division;     // a division code; filters the result rows, not the query
  std::string internalNumber;
  std::string departureFrom;
  std::string departureTo;
  std::string enteredFrom;
  std::string enteredTo;
  std::string category;
  bool approverQueue = false;  // the query lists the requests waiting for the user's approval
  std::string query;           // empty: no list is shown
  std::string results;         // HTML of WC@RESULTS
  // Requests listed: the record count less the rows of other divisions. Held in 32 bits so that
  // a search matching more than 32,767 requests still gets the refine message.
  int32_t count = 0;
};

// More than this many matching requests are not listed.
inline constexpr long kMaxListedRequests = 300;

class RequestSearchPage : public PageObject {
 public:
  RequestSearchPage() : PageObject("RequestSearch", {"Navigate", "TripRequests"}) {}
  void respond(Ravadid& app) const override;
  // Fills the tags with an empty search (the page's own handlers fill them from their search).
  void processTag(Ravadid& app, TagEvent& tag) const override;
  void onEvent(Ravadid& app, const std::string& event) const override;
};

// The page entered without an event: builds the approver's queue from the active chains whose
// levels name the session's ROLE (narrowed to the session's CUSTOMER), then runs the search.
void RequestSearch_Respond(Ravadid& app);

// The filter form's post: reads the filters (or resets them), builds the filter query unless a
// query is already set, stores it as TripRequestReportQuery, builds the results and writes the
// page. An invalid date filter answers with its message alone.
void RequestSearch_TripRequests(Ravadid& app);
void RequestSearch_TripRequests(Ravadid& app, RequestSearchState& search);

// The menu: empties the request form's session copy and opens the chosen page (a new request,
// the request list, the field trips, or sign-out).
void RequestSearch_Navigate(Ravadid& app);

// Replaces the page's tags: the district, the six filter lists (from the session's lists), the
// date filters, the count, the results, and the line a printed list starts with
// (WC@FILTERSUSED: the filters used and when it was printed).
void RequestSearch_ProcessTag(Ravadid& app, const RequestSearchState& search, TagEvent& tag);

// "Filters used: Status UNAPPROVED; Departing 1/15/2027 to 1/15/2027." (or "none", or the
// approval queue), then " Printed " and now; escaped.
std::string filtersUsed(const RequestSearchState& search, double now);
// The filters part alone, not escaped: "Filters used: none." (the reports print it).
std::string filtersText(const RequestSearchState& search);

// Clears the search: no query, no results, no filters but the customer, which becomes the
// session's customer; the autofill flag follows AUTOFILL_REQUESTS.
void InitRequestSearch(Ravadid& app, RequestSearchState& search);

// Runs the query and builds the results table and count into search (error report name
// "BuildStrResults"). An empty query leaves the results empty and the count as it was.
void BuildRequestResultsTable(Ravadid& app, RequestSearchState& search, std::string_view strSql);

}  // namespace ravadid

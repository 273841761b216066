// CsvExport: the rows of the last request search, the last field trip search or a summary of
// its trips as a spreadsheet file. The file re-runs the query that the list and its reports
// run, so it holds the rows the user may see there (a user bound to a customer only that
// customer's), and all of them: the list stops at 300, but its reports page through the rest.
#pragma once

#include <string>
#include <string_view>

#include "frame/page_object.h"

namespace ravadid {

class Ravadid;

class CsvExportPage : public PageObject {
 public:
  CsvExportPage() : PageObject("CsvExport") {}
  void respond(Ravadid& app) const override;
};

// The download for the query string's Type: "Requests" (TripRequestReportQuery, narrowed to
// the division the search was narrowed to), "Trips" (TripReportQuery) or "Summary" with By
// naming the grouping (over TripReportSummaryCondition). Signed-in users only.
void CsvExport_Respond(Ravadid& app);

// The files themselves, from the open connections.
std::string tripRequestsCsv(Ravadid& app, std::string_view query, std::string_view division);
std::string fieldTripsCsv(Ravadid& app, std::string_view query);

// "trip-requests-2026-12-08.csv" and the like: what the file holds and the day it was made.
std::string csvFileName(std::string_view report, double today);

}  // namespace ravadid

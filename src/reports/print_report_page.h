// PrintReport: asks which report to print for the last request or trip search and sends the
// browser to it. The report pages read the search's query from the session.
#pragma once

#include <string>

#include "frame/page_object.h"

namespace ravadid {

class Ravadid;

class PrintReportPage : public PageObject {
 public:
  PrintReportPage() : PageObject("PrintReport", {"PrintReport"}) {}
  void respond(Ravadid& app) const override;
  void processTag(Ravadid& app, TagEvent& tag) const override;
  void onEvent(Ravadid& app, const std::string& event) const override;
};

// Entered from a list's Print Report link: PageNumber 1, ReportType the upper-cased Type of the
// link ("REQUEST" or "TRIP"), then the choice page.
void PrintReport_Respond(Ravadid& app);

// WC@SOURCE: the reports of the session's ReportType, or "Invalid report type.".
void PrintReport_ProcessTag(Ravadid& app, TagEvent& tag);

// The choice: redirects to the one-line, two-line or summary report (the summary's grouping
// URL-encoded); an unknown ReportType shows the choice page again.
void PrintReport_PrintReport(Ravadid& app);

}  // namespace ravadid

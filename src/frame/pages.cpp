#include "frame/pages.h"

#include "frame/placeholder_page.h"
#include "reports/request_reports.h"
#include "reports/summary_report.h"
#include "reports/trip_reports.h"
#include "request/request_detail_page.h"
#include "request/request_print_page.h"
#include "search/request_search_page.h"
#include "signin/details_pages.h"
#include "signin/login_page.h"
#include "signin/logout_page.h"

namespace ravadid {

std::shared_ptr<const PageRegistry> makeStandardPages() {
  auto pages = std::make_shared<PageRegistry>();
  pages->add(std::make_unique<LoginPage>());
  pages->add(std::make_unique<LogoutPage>());
  pages->add(std::make_unique<TkDetailsPage>());
  pages->add(std::make_unique<TkTechDetailsPage>());
  pages->add(std::make_unique<RequestSearchPage>());
  pages->add(std::make_unique<RequestDetailPage>());
  pages->add(std::make_unique<TripRequestDetailPrintPage>());
  pages->add(makeTripRequestReport1Page());
  pages->add(makeTripRequestReport2Page());
  pages->add(makeTripReport1Page());
  pages->add(makeTripReport2Page());
  pages->add(std::make_unique<TripSummaryReportPage>());

  // Pages still to be built answer with a placeholder; checked handlers already check.
  struct Pending {
    const char* name;
    const char* title;
    std::vector<std::string> events;
    std::vector<std::string> checked;
  };
  const Pending pending[] = {
      {"LookupCust",
       "Customer Lookup",
       {"FindCusts", "RetwSelected"},
       {"FindCusts", "RetwSelected"}},
      {"LookupDest",
       "Destination Lookup",
       {"FindDests", "RetwSelected"},
       {"FindDests", "RetwSelected"}},
      {"LookupFund", "Fund Lookup", {"FindFunds", "RetwSelected"}, {"FindFunds", "RetwSelected"}},
      {"PrintReport", "Print Report", {"PrintReport"}, {}},
      {"TripSearch", "Field Trips", {"FieldTrips"}, {"FieldTrips"}},
  };
  for (const Pending& p : pending)
    pages->add(std::make_unique<PlaceholderPage>(p.name, p.title, p.events, p.checked));
  return pages;
}

}  // namespace ravadid

#include "frame/pages.h"

#include "approval/schedule_trip_page.h"
#include "lookup/lookup_cust_page.h"
#include "lookup/lookup_dest_page.h"
#include "lookup/lookup_fund_page.h"
#include "reports/csv_export.h"
#include "reports/print_report_page.h"
#include "reports/request_reports.h"
#include "reports/summary_report.h"
#include "reports/trip_reports.h"
#include "request/request_detail_page.h"
#include "request/request_print_page.h"
#include "search/request_search_page.h"
#include "search/trip_calendar_page.h"
#include "search/trip_search_page.h"
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
  pages->add(std::make_unique<LookupCustPage>());
  pages->add(std::make_unique<LookupDestPage>());
  pages->add(std::make_unique<LookupFundPage>());
  pages->add(std::make_unique<TripSearchPage>());
  pages->add(std::make_unique<PrintReportPage>());
  pages->add(makeTripRequestReport1Page());
  pages->add(makeTripRequestReport2Page());
  pages->add(makeTripReport1Page());
  pages->add(makeTripReport2Page());
  pages->add(std::make_unique<TripSummaryReportPage>());
  pages->add(std::make_unique<TripCalendarPage>());
  pages->add(std::make_unique<CsvExportPage>());
  pages->add(std::make_unique<ScheduleTripPage>());

  return pages;
}

}  // namespace ravadid

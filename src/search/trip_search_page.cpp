#include "search/trip_search_page.h"

#include "frame/application.h"
#include "frame/placeholder_page.h"

namespace ravadid {

void TripSearch_FromFundLookup(Ravadid& app, const std::string&) {
  app.write(simplePage("Field Trips", "<p>This page is not available yet.</p>"));
}

}  // namespace ravadid

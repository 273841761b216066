#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "request/request_records.h"
#include "support/signed_in_site.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::SignedInSite;

// A request's contact, which the form and the printable request show when they show it.
struct Visible {
  const char* request;
  const char* contact;
};

// Request 1 is LHS's (contact Ann Lee), 3 O'BRIEN's (Mrs. Keane), 4 SMA's (Sister Ruth); 8,
// added here, was saved without a customer.
TEST(RequestAccessTest, AUserBoundToACustomerSeesOnlyThatCustomersRequestsByNumber) {
  struct Case {
    const char* user;
    Visible request;
    bool sees;
    bool viewOtherSchools = false;
  };
  const Case cases[] = {
      {"mgarcia", {"1", "Ann Lee"}, true},       // LHS sees LHS
      {"mgarcia", {"3", "Mrs. Keane"}, false},   // LHS asks for O'BRIEN's
      {"mgarcia", {"4", "Sister Ruth"}, false},  // and SMA's
      {"k.o'brien", {"3", "Mrs. Keane"}, true},  // a code with a quote
      {"k.o'brien", {"1", "Ann Lee"}, false},
      {"dwu", {"3", "Mrs. Keane"}, true},     // no customer of their own: sees all
      {"tnull", {"4", "Sister Ruth"}, true},  // a null customer reads as blank
      {"mgarcia", {"8", "Ms. Blank"}, true},  // no other customer's
      // The site lets schools see each other's requests, as its request list shows them.
      {"mgarcia", {"3", "Mrs. Keane"}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + " asks for " + c.request.request);
    SignedInSite site;
    site.requests(
        "INSERT INTO TRIPSREQ (TRIPNUM, Status, CUSTOMER, CONTACT, DESTINATION) VALUES "
        "(8, 'Pending', ' ', 'Ms. Blank', 10)");
    if (c.viewOtherSchools) site.setting("VIEW_OTHER_SCHOOLS", "True");
    FakeExchange ex;
    site.signIn(ex, c.user, c.user == std::string("k.o'brien") ? "shamrock" : "pw");
    // Opened by its number and printed; then shown again after a post naming the number (the
    // form then takes the posted contact, not the row's).
    const std::vector<std::string> pages = {
        site.page(ex, "RequestDetail", c.request.request),
        site.page(ex, "TripRequestDetailPrint"),
        site.page(ex, "RequestDetail", "TripRequestDetail",
                  {{"tripnum", c.request.request}, {"New", "EXISTING"}, {"dropDownChange", "x"}}),
        site.page(ex, "TripRequestDetailPrint"),
    };
    for (std::size_t k = 0; k < pages.size(); ++k) {
      const bool showsContact = pages[k].find(c.request.contact) != std::string::npos;
      if (!c.sees || k < 2) {
        EXPECT_EQ(showsContact, c.sees) << k << pages[k];
      }
      EXPECT_EQ(pages[k].find(kNotYoursMessage) == std::string::npos, c.sees) << k << pages[k];
    }
    // A copy takes the request's destination only when the user may see the request.
    site.page(ex, "RequestDetail", "TripRequestDetail",
              {{"tripnum", c.request.request}, {"btnSubmit", "Copy"}});
    EXPECT_EQ(ex.sessionStore.text("RequestDetail.destination").empty(), !c.sees);
  }
}

}  // namespace
}  // namespace ravadid

#include <gtest/gtest.h>

#include "lookup/lookup_fixture.h"

namespace ravadid::testing {
namespace {

class LookupFundTest : public LookupTest {};

const std::string kSelectCustomer = "Please select a customer first.";
const std::string kEnterSomething =
    "Sorry, you need to either enter a fund number or a description before searching for "
    "funds.  Please use your browser&#39;s back button and try again.";

TEST_F(LookupFundTest, SearchListsActiveFundsOfTheCustomerOrOfTheDistrict) {
  struct Case {
    std::string override_, customer, fund, description;
    Codes codes;
    std::string message;  // instead of a list
  };
  const Case cases[] = {
      // Funds tied to customers, and the user may not override that.
      {"False", "", "", "", {"<no page>"}, kSelectCustomer},
      {"False", "SMA", "", "", {"100", "305", "620"}, ""},
      {"False", "LHS", "", "", {"100", "210"}, ""},  // 400 is inactive
      {"False", "O'BRIEN", "", "", {"100", "510"}, ""},
      {"False", "SMA", "", "parents'", {"305"}, ""},
      {"False", "SMA", " 6 ", "", {"620"}, ""},
      {"False", "SMA", "2", "", {}, ""},  // another customer's fund
      // The user may override: every active fund, found by number or description.
      {"True", "SMA", "", "", {"<no page>"}, kEnterSomething},
      {"True", "", "", "a", {"210", "620"}, ""},
      {"True", "", "4", "", {}, ""},  // inactive
      {"True", "", "", "gen", {"100"}, ""},
      {"True", "", "", "fund", {}, ""},  // a prefix, not a word inside
      {"True", "", "", "%", {}, ""},
      {"True", "", "1", "g", {"100"}, ""},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signInTeacher(ex);
    ex.sessionStore.set("CANOVERRIDEFUND", c.override_);
    ex.sessionStore.set("RequestDetail.customer", c.customer);
    const std::string body =
        request(ex, "LookupFund", "FindFunds", {{"FUND", c.fund}, {"DESC", c.description}});
    const std::string what = c.override_ + "/" + c.customer + "/" + c.fund + "/" + c.description;
    EXPECT_EQ(listed(body, "SelFund"), c.codes) << what;
    if (!c.message.empty()) {
      EXPECT_EQ(messageOf(body), c.message) << what;
    }
  }
}

TEST_F(LookupFundTest, ResultRowsAreEscapedAndANullDescriptionIsEmpty) {
  FakeExchange ex;
  signInTeacher(ex);
  ex.sessionStore.set("CANOVERRIDEFUND", "True");
  EXPECT_EQ(line(request(ex, "LookupFund", "FindFunds", {{"FUND", "5"}}), "RESULTS"),
            "<table width='737' border='1'><thead><tr><td><b>Selected</b></td><td><b>Fund</b>"
            "</td><td><b>Description</b></td></tr></thead><tbody><tr><td><input type='radio' "
            "name='SelFund' value='510'></td><td>510</td><td></td></tr>" +
                kReturnTail);
  EXPECT_NE(request(ex, "LookupFund", "FindFunds", {{"FUND", "620"}})
                .find("<td>620</td><td>Arts &amp; Music</td></tr>"),
            std::string::npos);
}

TEST_F(LookupFundTest, ReturnSetsTheFundAndGoesBackToWhereTheLookupWasOpened) {
  struct Case {
    std::string selTrip, chosen;
    bool toTripSearch;
  };
  const Case cases[] = {
      {"", "305", false},
      {"", "", false},  // no choice empties the fund
      {"y", "620", true},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signInTeacher(ex);
    ex.sessionStore.set("RequestDetail.fund", "100");
    ex.sessionStore.set("SELTRIP", c.selTrip);
    const std::string body = request(ex, "LookupFund", "RetwSelected", {{"SelFund", c.chosen}});
    EXPECT_EQ(ex.sessionStore.text("RequestDetail.fund"), c.chosen);
    EXPECT_EQ(ex.sessionStore.text("SELTRIP"), "");
    EXPECT_EQ(body == kRequestFormMark, !c.toTripSearch) << body;
    EXPECT_EQ(body.find("Field Trips") != std::string::npos, c.toTripSearch) << body;
  }
}

TEST_F(LookupFundTest, AnEventNameOpensThePageAndIsKept) {
  FakeExchange ex;
  signInTeacher(ex);
  const std::string body = request(ex, "LookupFund", "From<Trips>");
  EXPECT_EQ(line(body, "FUND"), "From&lt;Trips&gt;");
  EXPECT_EQ(line(body, "RESULTS"), "");
}

}  // namespace
}  // namespace ravadid::testing

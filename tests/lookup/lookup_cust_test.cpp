#include <gtest/gtest.h>

#include "lookup/lookup_fixture.h"

namespace ravadid::testing {
namespace {

class LookupCustTest : public LookupTest {};

TEST_F(LookupCustTest, SearchListsNamesThatBeginWithTheTextInAnyCase) {
  trip(
      "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, ACTIVE) VALUES ('PCT', '100% Club', 1),"
      " ('HUN', '1000 Oaks', 1), ('UND', 'A_B Academy', 1), ('AXB', 'AXB Academy', 1)");
  struct Case {
    std::string text;
    Codes codes;
  };
  const Case cases[] = {
      // Every customer in name order, the inactive one (OLD) among them.
      {"", {"PCT", "HUN", "UND", "AXB", "EMS", "LHS", "O&#39;BRIEN", "OLD", "SMA"}},
      {"o", {"O&#39;BRIEN", "OLD"}},
      {"  LARKdale ", {"LHS"}},
      {"High", {}},  // only further in the name
      {"o'b", {"O&#39;BRIEN"}},
      {"st. mary's", {"SMA"}},
      {"100%", {"PCT"}},  // the percent sign is no wildcard
      {"a_b", {"UND"}},   // nor the underscore
      {"zz", {}},
  };
  FakeExchange ex;
  signInTeacher(ex);
  for (const Case& c : cases) {
    const std::string body = request(ex, "LookupCust", "FindCusts", {{"CUSTDESC", c.text}});
    EXPECT_EQ(listed(body, "SelCust"), c.codes) << c.text;
  }
}

TEST_F(LookupCustTest, ResultsTableIsTheFixedTableWithEscapedValues) {
  FakeExchange ex;
  signInTeacher(ex);
  EXPECT_EQ(line(request(ex, "LookupCust", "FindCusts", {{"CUSTDESC", "o'brien"}}), "RESULTS"),
            "<table border='1' width='714'><thead><tr><td width='58'><b>Selected</b></td>"
            "<td width='140'><b>Customer Name</b></td><td width='88'><b>Customer</b></td>"
            "</tr></thead><tbody><tr><td><input type='radio' name='SelCust' "
            "value='O&#39;BRIEN'></td><td>O&#39;Brien Elementary</td><td>O&#39;BRIEN</td></tr>" +
                kReturnTail);
  // Nothing found: the head and the Return button.
  EXPECT_EQ(line(request(ex, "LookupCust", "FindCusts", {{"CUSTDESC", "none"}}), "RESULTS"),
            "<table border='1' width='714'><thead><tr><td width='58'><b>Selected</b></td>"
            "<td width='140'><b>Customer Name</b></td><td width='88'><b>Customer</b></td>"
            "</tr></thead><tbody>" +
                kReturnTail);
}

TEST_F(LookupCustTest, ReturnTakesTheChoiceBackToTheForm) {
  struct Case {
    std::string tripReq, chosen;
    std::string customer;  // RequestDetail.customer afterwards
    bool timedOutLine;
  };
  const Case cases[] = {
      // A new request has no number: the choice stands, after the timed-out line.
      {"", "SMA", "SMA", true},
      // No choice: the customer stays as it was.
      {"", "", "LHS", false},
      // A saved request is reopened: its stored customer replaces the choice.
      {"1", "SMA", "LHS", false},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signInTeacher(ex);
    ex.sessionStore.set("RequestDetail.customer", "LHS");
    ex.sessionStore.set("TRIPREQ", c.tripReq);
    if (!c.tripReq.empty()) ex.sessionStore.set("RequestDetail.New", "EXISTING");
    const std::string body = request(ex, "LookupCust", "RetwSelected", {{"SelCust", c.chosen}});
    EXPECT_EQ(ex.sessionStore.text("RequestDetail.customer"), c.customer) << c.chosen;
    EXPECT_EQ(body.find(kTimedOutLine) == 0, c.timedOutLine) << body;
    EXPECT_NE(body.find(kRequestFormMark), std::string::npos) << body;
  }
}

}  // namespace
}  // namespace ravadid::testing

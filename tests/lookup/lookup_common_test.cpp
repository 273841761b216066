#include "lookup/lookup_common.h"

#include <gtest/gtest.h>

#include "frame/errors.h"
#include "lookup/lookup_fixture.h"

namespace ravadid::testing {
namespace {

const std::string kTimeout = "Sorry, your session has timed out please log in again and retry.";
const std::string kTooMany =
    "Sorry, your search returned more than 300 rows.  Please be more specific with your "
    "selection criteria.  Use your browser&#39;s back button and try again.";

TEST_F(LookupTest, FindAndReturnNeedASignedInUser) {
  struct Case {
    std::string page, event;
  };
  const Case cases[] = {{"LookupCust", "FindCusts"}, {"LookupCust", "RetwSelected"},
                        {"LookupDest", "FindDests"}, {"LookupDest", "RetwSelected"},
                        {"LookupFund", "FindFunds"}, {"LookupFund", "RetwSelected"}};
  for (const Case& c : cases) {
    FakeExchange ex;
    const std::string body =
        request(ex, c.page, c.event,
                {{"SelCust", "SMA"}, {"SelDest", "10"}, {"SelFund", "100"}, {"CUSTDESC", ""}});
    EXPECT_NE(body.find(kTimeout), std::string::npos) << c.event << body;
    EXPECT_EQ(line(body, "RESULTS"), "<no line>") << c.event;
    EXPECT_EQ(body.find(kRequestFormMark), std::string::npos) << c.event;
    EXPECT_EQ(ex.sessionStore.text("RequestDetail.customer"), "") << c.event;
    EXPECT_EQ(ex.sessionStore.text("RequestDetail.fund"), "") << c.event;
  }
}

TEST_F(LookupTest, ExactlyThreeHundredRowsAreListedOneMoreAsksToNarrowTheSearch) {
  // n rows in all for each page's search with an empty text (funds: numbers beginning with 9).
  auto fill = [&](const std::string& page, int n) {
    const std::string rows =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
        "WHERE i < " +
        std::to_string(n) + ") ";
    if (page == "LookupCust") {
      trip("DELETE FROM CUSTOMER; " + rows +
           "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, ACTIVE) SELECT 'C' || i, 'Cust ' || i, 0 "
           "FROM n");
    } else if (page == "LookupDest") {
      trip("DELETE FROM DESTINATION; " + rows +
           "INSERT INTO DESTINATION (DESTINATION, DESTDESC, ACTIVE) SELECT 1000 + i, 'Dest ' "
           "|| i, 0 FROM n");
    } else {
      // Inactive funds are not counted.
      trip("DELETE FROM FUND; " + rows +
           "INSERT INTO FUND (FUND, FUNDDESC, ACTIVE) SELECT 9000 + i, 'Fund', 1 FROM n; "
           "INSERT INTO FUND (FUND, FUNDDESC, ACTIVE) VALUES ('9999', 'Closed', 0)");
    }
  };
  struct Case {
    std::string page, event, radio;
    Form form;
  };
  const Case cases[] = {{"LookupCust", "FindCusts", "SelCust", {{"CUSTDESC", ""}}},
                        {"LookupDest", "FindDests", "SelDest", {{"DESTDESC", ""}}},
                        {"LookupFund", "FindFunds", "SelFund", {{"FUND", "9"}}}};
  FakeExchange ex;
  signInTeacher(ex);
  ex.sessionStore.set("CANOVERRIDEFUND", "True");
  for (const Case& c : cases) {
    fill(c.page, 300);
    EXPECT_EQ(listed(request(ex, c.page, c.event, c.form), c.radio).size(), 300u) << c.page;
    fill(c.page, 301);
    const std::string body = request(ex, c.page, c.event, c.form);
    EXPECT_EQ(messageOf(body), kTooMany) << c.page;
    EXPECT_EQ(line(body, "RESULTS"), "<no line>") << c.page;
  }
}

TEST_F(LookupTest, ErrorsAreReportedWithAnEmptyModuleName) {
  FakeExchange ex;
  signInTeacher(ex);
  ex.sessionStore.set("CANOVERRIDEFUND", "True");
  trip("DROP TABLE FUND; DROP TABLE DESTINATION");
  struct Case {
    std::string page, event;
    Form form;
    std::string reportStart;
  };
  const Case cases[] = {
      {"LookupFund",
       "FindFunds",
       {{"FUND", "1"}},
       "Error in Procedure: LookupFund_FindFunds of Module: .  Error: -2147467259.  "},
      {"LookupDest", "FindDests", {}, "Error in Procedure: LookupDest_FindDests of Module: .  "},
      {"LookupDest",
       "RetwSelected",
       {{"SelDest", "ten"}},
       "Error in Procedure: LookupDest_RetwSelected of Module: .  Error: 13.  Type mismatch."},
  };
  for (const Case& c : cases) {
    const std::string body = request(ex, c.page, c.event, c.form);
    EXPECT_EQ(messageOf(body).rfind(c.reportStart, 0), 0u) << body;
    EXPECT_EQ(body.find(kRequestFormMark), std::string::npos) << c.event;
  }
}

TEST_F(LookupTest, AnObjectErrorAfterAnEarlierErrorLeavesTheFirstReport) {
  struct Case {
    std::string earlier;  // request error text before the failure; "NA" for none
    long number;
    std::string written;
  };
  const Case cases[] = {
      {"First report.", vberr::kObjectNotSet, "First report."},
      {"NA", vberr::kObjectNotSet,
       "Error in Procedure: LookupCust_FindCusts of Module: .  Error: 91.  Object not set."},
      {"First report.", vberr::kTypeMismatch,
       "Error in Procedure: LookupCust_FindCusts of Module: .  Error: 13.  Type mismatch."},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    Ravadid app(web_, ex);
    runLookupEvent(app, "LookupCust_FindCusts", [&] {
      app.errorText() = c.earlier;
      raise(c.number, c.number == vberr::kObjectNotSet ? "Object not set" : "Type mismatch");
    });
    EXPECT_EQ(ex.body, c.written);
  }
}

TEST_F(LookupTest, SearchTextsStayLiteralInTheStatement) {
  struct Case {
    std::string text, condition;
  };
  const Case cases[] = {
      {"O'B", " X like 'O''B%'"},
      {"100%", " X like '100\\%%' ESCAPE '\\'"},
      {"a_b\\", " X like 'a\\_b\\\\%' ESCAPE '\\'"},
      {"'; DROP TABLE FUND; --", " X like '''; DROP TABLE FUND; --%'"},
  };
  for (const Case& c : cases) EXPECT_EQ(beginsWithCondition("X", c.text), c.condition);
}

TEST_F(LookupTest, EveryLookupOpensFromTheFormAndFromAnyEventName) {
  struct Case {
    std::string button, page;
  };
  const Case cases[] = {
      {"Customer", "LookupCust"}, {"Destination", "LookupDest"}, {"Fund", "LookupFund"}};
  for (const Case& c : cases) {
    FakeExchange ex;
    signInTeacher(ex);
    std::string body = request(ex, "RequestDetail", "TripRequestDetail",
                               {{"btnsubmit", c.button},
                                {"New", "NEW"},
                                {"cust", "LHS, Larkdale High School"},
                                {"Contact", "Ann O'Lee"}});
    EXPECT_EQ(body.rfind("PAGE=" + c.page + "\n", 0), 0u) << body;
    EXPECT_EQ(line(body, "RESULTS"), "") << c.page;
    EXPECT_EQ(line(body, "NAME"), "Larkdale Unified School District") << c.page;
    EXPECT_EQ(ex.sessionStore.text("RequestDetail.contact"), "Ann O'Lee") << c.page;
    // An event the page does not declare writes it too.
    body = request(ex, c.page, "Anything");
    EXPECT_EQ(body.rfind("PAGE=" + c.page + "\n", 0), 0u) << body;
    EXPECT_EQ(line(body, "TRIPREQ"), "") << c.page;
  }
}

}  // namespace
}  // namespace ravadid::testing

#include "reports/report_paging.h"

#include <gtest/gtest.h>

#include <string>

#include "frame/errors.h"

namespace ravadid {
namespace {

TEST(ReportPagingTest, StartRowSearchClampsThePageToTheData) {
  struct Case {
    int16_t page, pageSize;
    long records;
    int16_t floor;
    long skipped;
    int16_t pageShown;
  };
  const Case cases[] = {
      {1, 10, 25, 0, 0, 1},  {3, 10, 25, 0, 20, 3}, {4, 10, 25, 0, 20, 3},  {3, 10, 20, 0, 10, 2},
      {9, 10, 25, 0, 20, 3}, {0, 10, 25, 0, 0, 0},  {-2, 10, 25, 0, 0, -2}, {2, 10, 10, 0, 0, 1},
      {5, 10, 25, 1, 20, 3}, {1, 10, 25, 1, 0, 1},  {3, 0, 25, 0, 0, 3},
  };
  for (const Case& c : cases) {
    int16_t page = c.page;
    EXPECT_EQ(reportStartRow(page, c.pageSize, c.records, c.floor), c.skipped)
        << c.page << " of " << c.records;
    EXPECT_EQ(page, c.pageShown) << c.page << " of " << c.records;
  }
}

TEST(ReportPagingTest, ButtonsMoveThePageAndLastRoundsHalvesToEven) {
  struct Case {
    const char* button;
    int16_t current;
    double records;
    int16_t expected;
  };
  const Case cases[] = {
      {"First", 3, 25, 1}, {"Previous", 3, 25, 2}, {"Next", 1, 25, 2},
      {"Last", 1, 25, 4},  // 3.5 rounds to 4; the start-row search brings it back to 3
      {"Last", 1, 20, 3},  // one page beyond the data
      {"Last", 1, 15, 2},  // 2.5 rounds to 2
      {"last", 1, 0, 1},   {"Print", 2, 25, 2},
  };
  for (const Case& c : cases)
    EXPECT_EQ(pageAfterButton(c.button, c.current, c.records, 10), c.expected)
        << c.button << " " << c.records;
  EXPECT_THROW(pageAfterButton("Next", 32767, 25, 10), VbError);
  EXPECT_THROW(pageAfterButton("Last", 1, 25, 0), VbError);
}

TEST(ReportPagingTest, ButtonsOnTheFirstAndLastPagesArePlainText) {
  const std::string first =
      "<input type='submit' class='submitLink' value='First' name='btnSubmit' id='btnFirst'>"
      "<input type='submit' class='submitLink' value='Previous' name='btnSubmit' "
      "id='btnPrevious'>";
  const std::string last =
      "<input type='submit' class='submitLink' value='Next' name='btnSubmit' id='btnNext'>"
      "<input type='submit' class='submitLink' value='Last' name='btnSubmit' id='btnLast'>";
  const std::string plainFirst = "&nbsp;First&nbsp;&nbsp;Previous&nbsp;";
  const std::string plainLast = "&nbsp;Next&nbsp;&nbsp;Last&nbsp;";
  EXPECT_EQ(navigationButtons(1, 10, 25), plainFirst + last);
  EXPECT_EQ(navigationButtons(2, 10, 25), first + last);
  EXPECT_EQ(navigationButtons(3, 10, 25), first + plainLast);
  EXPECT_EQ(navigationButtons(2, 10, 20), first + plainLast);
  EXPECT_EQ(navigationButtons(1, 10, 0), plainFirst + plainLast);
}

}  // namespace
}  // namespace ravadid

#include "approval/request_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/connections.h"
#include "frame/db/database.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

TEST(RequestHistory, LinesComeBackOldestFirstAndAreShownEscaped) {
  testing::TempInstallation site;
  db::Connection tripschl;
  tripschl.open((site.dataFolder() / kRequestsFile).string());
  recordHistory(tripschl, {7, "Created", "k.o'brien", "TEACHER", 46000.5, "", "UNAPPROVED", ""});
  recordHistory(tripschl, {8, "Deleted", "dwu", "TRANSPORT", 46000.75, "Pending", "", ""});
  recordHistory(tripschl, {7, "Approved", "mgarcia", "", 46001.25, "UNAPPROVED", "Principal's OK",
                           "<b>Bring slips</b> & lunch"});

  const RequestHistory history = readHistory(tripschl, 7);
  ASSERT_EQ(history.lines.size(), 2u);
  EXPECT_EQ(history.earlier, 0u);
  const std::string html = historySection(history);
  for (const char* fragment : {
           "<h3 id=\"h-history\">History</h3>",
           "<td data-label=\"Who\">k.o&#39;brien (TEACHER)</td>",
           "<td data-label=\"Status\">UNAPPROVED</td>",
           "<td data-label=\"When\">12/10/2025 6:00:00 AM</td>"
           "<td data-label=\"Who\">mgarcia</td>",
           "<td data-label=\"Status\">UNAPPROVED &rarr; Principal&#39;s OK</td>",
           "<td data-label=\"Comment\">&lt;b&gt;Bring slips&lt;/b&gt; &amp; lunch</td>",
       })
    EXPECT_NE(html.find(fragment), std::string::npos) << fragment;
  EXPECT_LT(html.find("Created"), html.find("Approved"));
  EXPECT_EQ(html.find("Deleted"), std::string::npos);
  EXPECT_EQ(historySection(readHistory(tripschl, 9)), "");
  EXPECT_EQ(html.find("earlier"), std::string::npos);
}

TEST(RequestHistory, AnOftenChangedRequestShowsItsLatestLines) {
  testing::TempInstallation site;
  db::Connection tripschl;
  tripschl.open((site.dataFolder() / kRequestsFile).string());
  for (int n = 1; n <= 5; ++n)
    recordHistory(tripschl, {7, "Saved " + std::to_string(n), "dwu", "", 46000.0 + n, "", "", ""});
  struct Case {
    std::size_t newest;
    const char* first;
    std::size_t shown;
    const char* note;
  };
  for (const Case& c :
       {Case{5, "Saved 1", 5, nullptr},
        Case{4, "Saved 2", 4, "The latest 4 changes are shown; 1 earlier change is not."},
        Case{2, "Saved 4", 2, "The latest 2 changes are shown; 3 earlier changes are not."}}) {
    const RequestHistory history = readHistory(tripschl, 7, c.newest);
    ASSERT_EQ(history.lines.size(), c.shown);
    EXPECT_EQ(history.lines.front().action, c.first);
    EXPECT_EQ(history.lines.back().action, "Saved 5");
    const std::string html = historySection(history);
    EXPECT_EQ(html.find("earlier") != std::string::npos, c.note != nullptr);
    if (c.note) {
      EXPECT_NE(html.find(c.note), std::string::npos) << html;
    }
  }
}

}  // namespace
}  // namespace ravadid

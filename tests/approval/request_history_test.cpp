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

  const std::vector<HistoryLine> lines = readHistory(tripschl, 7);
  ASSERT_EQ(lines.size(), 2u);
  const std::string html = historySection(lines);
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
}

}  // namespace
}  // namespace ravadid

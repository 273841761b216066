#include "reports/csv_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "frame/runtime.h"
#include "reports/csv_writer.h"
#include "support/signed_in_site.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using Rows = std::vector<std::vector<std::string>>;

// The file as Python's csv module reads it (a reader the spreadsheet world agrees with): each
// field comes back hex-encoded, so that commas, quotes and line breaks survive the trip.
Rows readWithPython(const std::string& file) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("ravadid-csv-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".csv");
  std::ofstream(path, std::ios::binary) << file;
  const std::string command =
      "/usr/bin/python3 -c 'import csv, sys\n"
      "with open(sys.argv[1], encoding=\"utf-8-sig\", newline=\"\") as f:\n"
      "    for row in csv.reader(f, strict=True):\n"
      "        print(\" \".join(\"x\" + c.encode().hex() for c in row))' " +
      path.string();
  Rows rows;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return rows;
  char buffer[65536];
  while (std::fgets(buffer, sizeof buffer, pipe)) {
    std::vector<std::string> row;
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    std::size_t at = 0;
    while (at < line.size()) {
      std::size_t end = line.find(' ', at);
      if (end == std::string::npos) end = line.size();
      std::string field;
      for (std::size_t i = at + 1; i + 1 < end; i += 2)
        field += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
      row.push_back(field);
      at = end + 1;
    }
    rows.push_back(row);
  }
  EXPECT_EQ(pclose(pipe), 0) << "python could not read the file:\n" << file;
  std::filesystem::remove(path);
  return rows;
}

TEST(CsvWriterTest, CellsReadBackAsWrittenAndFormulasNeverRun) {
  struct Case {
    const char* rule;
    std::function<void(CsvWriter&)> write;
    std::string raw;   // the cell in the file
    std::string read;  // the cell as the reader gives it
  };
  const double march5 = vb::DateSerial(2026, 3, 5);
  const Case cases[] = {
      {"plain text", [](CsvWriter& c) { c.text("Larkdale Zoo"); }, "\"Larkdale Zoo\"",
       "Larkdale Zoo"},
      {"quotes doubled", [](CsvWriter& c) { c.text("The \"Big Top\" Circus"); },
       "\"The \"\"Big Top\"\" Circus\"", "The \"Big Top\" Circus"},
      {"comma", [](CsvWriter& c) { c.text("Harbor Cruise, Dock 5"); }, "\"Harbor Cruise, Dock 5\"",
       "Harbor Cruise, Dock 5"},
      {"line breaks", [](CsvWriter& c) { c.text("Two buses\r\nCar seats\nTen"); },
       "\"Two buses\r\nCar seats\nTen\"", "Two buses\r\nCar seats\nTen"},
      {"accents", [](CsvWriter& c) { c.text("Museo de Arte Español, José Núñez"); },
       "\"Museo de Arte Español, José Núñez\"", "Museo de Arte Español, José Núñez"},
      {"formula =", [](CsvWriter& c) { c.text("=SUM(A1:A9)"); }, "\"'=SUM(A1:A9)\"",
       "'=SUM(A1:A9)"},
      {"formula +", [](CsvWriter& c) { c.text("+1 555 0100"); }, "\"'+1 555 0100\"",
       "'+1 555 0100"},
      {"formula -", [](CsvWriter& c) { c.text("-2+3"); }, "\"'-2+3\"", "'-2+3"},
      {"formula @", [](CsvWriter& c) { c.text("@cmd"); }, "\"'@cmd\"", "'@cmd"},
      {"leading tab", [](CsvWriter& c) { c.text("\t=1"); }, "\"'\t=1\"", "'\t=1"},
      {"formula with quote", [](CsvWriter& c) { c.text("=\"x\""); }, "\"'=\"\"x\"\"\"", "'=\"x\""},
      {"sign inside text", [](CsvWriter& c) { c.text("PO 12--14"); }, "\"PO 12--14\"", "PO 12--14"},
      {"negative figure", [](CsvWriter& c) { c.number(Value::number(-45)); }, "-45", "-45"},
      {"fraction", [](CsvWriter& c) { c.number(Value::number(12.5)); }, "12.5", "12.5"},
      {"number stored as text", [](CsvWriter& c) { c.number(Value::text("40")); }, "40", "40"},
      {"amount", [](CsvWriter& c) { c.amount(Value::number(1234.5)); }, "1234.50", "1234.50"},
      {"negative amount", [](CsvWriter& c) { c.amount(Value::number(-100)); }, "-100.00",
       "-100.00"},
      {"no negative zero", [](CsvWriter& c) { c.amount(Value::number(-0.001)); }, "0.00", "0.00"},
      {"date alone", [=](CsvWriter& c) { c.date(Value::date(march5)); }, "\"2026-03-05\"",
       "2026-03-05"},
      {"date and time",
       [=](CsvWriter& c) { c.date(Value::date(march5 + vb::TimeSerial(14, 30, 0))); },
       "\"2026-03-05 14:30\"", "2026-03-05 14:30"},
      {"time alone", [](CsvWriter& c) { c.date(Value::date(vb::TimeSerial(8, 0, 1))); },
       "\"08:00\"", "08:00"},
      {"stored date text", [](CsvWriter& c) { c.date(Value::text("2026-02-10 09:15:00")); },
       "\"2026-02-10 09:15\"", "2026-02-10 09:15"},
      {"null", [](CsvWriter& c) { c.field(Value::null()); }, "", ""},
      {"empty text", [](CsvWriter& c) { c.text(""); }, "\"\"", ""},
      {"flag", [](CsvWriter& c) { c.flag(Value::boolean(true)); }, "\"Yes\"", "Yes"},
  };
  std::string file;
  CsvWriter csv(file);
  std::string expected = "\xEF\xBB\xBF";
  for (const Case& c : cases) {
    csv.text(c.rule);
    c.write(csv);
    csv.endRow();
    expected += "\"" + std::string(c.rule) + "\"," + c.raw + "\r\n";
  }
  EXPECT_EQ(file, expected);
  const Rows rows = readWithPython(file);
  ASSERT_EQ(rows.size(), std::size(cases));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i], (std::vector<std::string>{cases[i].rule, cases[i].read})) << cases[i].rule;
  }
}

class CsvExportTest : public ::testing::Test {
 protected:
  // The download after the user's search: the file as Python reads it, its header row first.
  Rows download(FakeExchange& ex, const std::string& type, const std::string& by = "") {
    ex.body.clear();
    ex.hasEnded = false;
    ex.contentType.clear();
    ex.formItems = {};
    ex.queryItems = {{"WCI", "CsvExport"}, {"WCU", ""}, {"Type", type}};
    if (!by.empty()) ex.queryItems["By"] = by;
    site_.handle(ex);
    if (ex.contentType.empty()) return {};
    return readWithPython(ex.body);
  }

  // The values of one column, without the header.
  static std::vector<std::string> column(const Rows& rows, std::size_t index) {
    std::vector<std::string> values;
    for (std::size_t i = 1; i < rows.size(); ++i) values.push_back(rows[i].at(index));
    return values;
  }

  testing::SignedInSite site_;
};

// The numbers a list page shows, in order: request links, or the first cell of a trip.
std::vector<std::string> shownNumbers(const std::string& body) {
  static const std::regex number(
      "WCI=RequestDetail&amp;WCE=(\\d+)&amp;WCU|"
      "<tr bgcolor=#[0-9A-F]+><td><font size='-2'>(\\d+)</font></td><td rowspan='2'>");
  std::vector<std::string> numbers;
  for (auto it = std::sregex_iterator(body.begin(), body.end(), number);
       it != std::sregex_iterator(); ++it)
    numbers.push_back((*it)[1].matched ? (*it)[1] : (*it)[2]);
  return numbers;
}

TEST_F(CsvExportTest, EachListsFileHoldsTheRowsItsPageShowsForEveryUser) {
  struct Case {
    const char* user;
    const char* password;
    const char* page;
    const char* event;
    FakeExchange::Items form;
    const char* type;
    std::size_t customerColumn;
    std::set<std::string> customers;  // every customer the file may name
  };
  const std::set<std::string> lhs = {"Larkdale High School"};
  const Case cases[] = {
      {"dwu", "pw", "RequestSearch", "TripRequests", {{"btnsubmit", "Search"}}, "Requests", 1, {}},
      {"dwu", "pw", "TripSearch", "", {}, "Trips", 1, {}},
      // Bound to LHS: the stored queries carry the customer, so the files do too.
      {"jsmith", "Secret1", "RequestSearch", "TripRequests", {}, "Requests", 1, lhs},
      {"jsmith", "Secret1", "TripSearch", "", {}, "Trips", 1, lhs},
      // The division narrows the rows of the request list after its query.
      {"dwu",
       "pw",
       "RequestSearch",
       "TripRequests",
       {{"div", "S, South"}},
       "Requests",
       1,
       {"St. Mary's Academy", "O'Brien Elementary"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + " " + c.type + " " + std::to_string(c.form.size()));
    FakeExchange ex;
    site_.signIn(ex, c.user, c.password);
    const std::vector<std::string> shown = shownNumbers(site_.page(ex, c.page, c.event, c.form));
    ASSERT_FALSE(shown.empty());
    const Rows rows = download(ex, c.type);
    EXPECT_EQ(ex.contentType, "text/csv; charset=utf-8");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0][0], std::string(c.type) == "Trips" ? "Trip #" : "Request #");
    EXPECT_EQ(column(rows, 0), shown);
    if (!c.customers.empty()) {
      for (const std::string& customer : column(rows, c.customerColumn))
        EXPECT_TRUE(c.customers.count(customer)) << customer;
    }
  }
}

TEST_F(CsvExportTest, FiguresAreNumbersAndDatesIsoText) {
  FakeExchange ex;
  site_.signIn(ex, "dwu");
  site_.page(ex, "TripSearch");
  const Rows trips = download(ex, "Trips");
  EXPECT_EQ(ex.downloadFileName, "field-trips-" + isoDate(vb::Today()) + ".csv");
  ASSERT_GE(trips.size(), 2u);
  EXPECT_EQ(trips[1], (std::vector<std::string>{"1",
                                                "Larkdale High School",
                                                "City Museum of Science",
                                                "2026-03-05",
                                                "08:00",
                                                "2026-03-05",
                                                "14:30",
                                                "No",
                                                "Yes",
                                                "Larkdale High School",
                                                "N",
                                                "ACAD",
                                                "Ann Lee",
                                                "40",
                                                "4",
                                                "09",
                                                "",
                                                "",
                                                "Yes",
                                                "150.00",
                                                "50.00",
                                                "100",
                                                "Science fair",
                                                "1",
                                                "LHS-01"}));
  // The raw file: a byte-order mark, bare figures, CR LF at every line's end.
  EXPECT_EQ(ex.body.rfind("\xEF\xBB\xBF\"Trip #\",", 0), 0u);
  EXPECT_NE(ex.body.find("\r\n1,\"Larkdale High School\","), std::string::npos);
  EXPECT_NE(ex.body.find(",\"Yes\",150.00,50.00,\"100\","), std::string::npos);

  const Rows summary = download(ex, "Summary", "customer");
  EXPECT_EQ(ex.downloadFileName, "trip-summary-by-customer-" + isoDate(vb::Today()) + ".csv");
  ASSERT_GE(summary.size(), 2u);
  EXPECT_EQ(summary[0], (std::vector<std::string>{"Customer", "Trips", "Splits", "Students",
                                                  "Adults", "Riders", "Amount"}));
  EXPECT_EQ(summary[1], (std::vector<std::string>{"EMS - East Middle School", "1", "0", "30", "3",
                                                  "33", "0.00"}));
}

TEST_F(CsvExportTest, NoFileWithoutASignedInUserOrAKnownReport) {
  struct Case {
    bool signedIn;
    const char* type;
    const char* by;
  };
  for (const Case& c : {Case{false, "Requests", ""}, Case{true, "Invoices", ""},
                        Case{true, "Summary", "Weather"}}) {
    FakeExchange ex;
    if (c.signedIn) site_.signIn(ex, "dwu");
    EXPECT_TRUE(download(ex, c.type, c.by).empty()) << c.type;
    EXPECT_EQ(ex.contentType, "") << c.type;
    EXPECT_EQ(ex.body.find("Trip #"), std::string::npos) << c.type;
  }
}

}  // namespace
}  // namespace ravadid

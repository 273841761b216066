#include "setup/demo/demo_district.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame/connections.h"
#include "frame/schema.h"

namespace ravadid {
namespace {

using Row = std::vector<std::optional<std::string>>;

// A data folder holding the three database files with the schema and no rows; removed afterwards.
class EmptyDataFolder {
 public:
  EmptyDataFolder() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("ravadid-demo-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    for (const char* file : {kTripFile, kUsersFile, kRequestsFile}) {
      sqlite3* db = nullptr;
      std::string name = (path_ / file).string();
      if (sqlite3_open_v2(name.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
          SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + name);
      }
      // Like a new installation: write-ahead log, schema, no rows. Creating them need not wait
      // for the disk.
      sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF", nullptr, nullptr,
                   nullptr);
      schema::createSchema(db, file);
      sqlite3_close(db);
    }
  }
  ~EmptyDataFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  EmptyDataFolder(const EmptyDataFolder&) = delete;
  EmptyDataFolder& operator=(const EmptyDataFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// trip.mdb with the user file attached as "users" and the request file as "requests", so that
// one query can join across the three.
class District {
 public:
  explicit District(const std::filesystem::path& folder) {
    std::string trip = (folder / kTripFile).string();
    if (sqlite3_open_v2(trip.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      throw std::runtime_error("cannot open " + trip);
    }
    rows("ATTACH DATABASE '" + (folder / kUsersFile).string() + "' AS users");
    rows("ATTACH DATABASE '" + (folder / kRequestsFile).string() + "' AS requests");
  }
  ~District() { sqlite3_close(db_); }
  District(const District&) = delete;
  District& operator=(const District&) = delete;

  std::vector<Row> rows(const std::string& sql) const {
    std::vector<Row> result;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sqlite3_errmsg(db_) << " in " << sql;
      return result;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
      Row row;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const unsigned char* text = sqlite3_column_text(statement, i);
        row.push_back(text ? std::optional<std::string>(reinterpret_cast<const char*>(text))
                           : std::nullopt);
      }
      result.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    return result;
  }

  // The first column of every row; null reads as empty text.
  std::vector<std::string> column(const std::string& sql) const {
    std::vector<std::string> values;
    for (const Row& row : rows(sql)) values.push_back(row.at(0).value_or(""));
    return values;
  }

  long long number(const std::string& sql) const {
    std::vector<std::string> values = column(sql);
    return values.empty() ? -1 : std::stoll(values.front());
  }

 private:
  sqlite3* db_ = nullptr;
};

// Every row of every table of the three files, as one text.
std::string dump(const std::filesystem::path& folder) {
  District district(folder);
  std::string text;
  for (const schema::TableSchema& table : schema::schemaTables()) {
    std::string prefix = std::string(table.file) == kTripFile    ? "main."
                         : std::string(table.file) == kUsersFile ? "users."
                                                                 : "requests.";
    for (const Row& row :
         district.rows("SELECT * FROM " + prefix + "\"" + table.name + "\" ORDER BY rowid")) {
      text += table.name;
      for (const auto& value : row) text += "|" + value.value_or("<null>");
      text += "\n";
    }
  }
  return text;
}

// One demo district, filled once for all the tests that only read it.
class DemoDistrictTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new EmptyDataFolder();
    fillDemoDistrict(folder_->path());
    district_ = new District(folder_->path());
  }
  static void TearDownTestSuite() {
    delete district_;
    delete folder_;
    district_ = nullptr;
    folder_ = nullptr;
  }

  static const District& db() { return *district_; }

  // The statuses a request on `chain` may carry: "UNAPPROVED", "Denied", "ACCEPTED" and the
  // statuses its levels give.
  static std::set<std::string> statusesOf(const std::string& chain) {
    std::set<std::string> statuses = {"UNAPPROVED", "Denied", "ACCEPTED"};
    for (const Row& row : db().rows(levelsQuery(chain))) {
      if (row.at(1)) statuses.insert(*row.at(1));
    }
    return statuses;
  }

  // Approver role and status of levels 1 to 8 of a chain, one row per level.
  static std::string levelsQuery(const std::string& chain) {
    std::string sql;
    for (int level = 1; level <= 8; ++level) {
      if (level > 1) sql += " UNION ALL ";
      sql += "SELECT Level" + std::to_string(level) + "Approver, Level" + std::to_string(level) +
             "Status, " + std::to_string(level) + " FROM users.KRSCC WHERE CHAINID = '" + chain +
             "'";
    }
    return sql + " ORDER BY 3";
  }

  static EmptyDataFolder* folder_;
  static District* district_;
};

EmptyDataFolder* DemoDistrictTest::folder_ = nullptr;
District* DemoDistrictTest::district_ = nullptr;

TEST_F(DemoDistrictTest, TablesHoldRealisticNumbersOfRows) {
  struct Case {
    const char* table;
    long long least;
    long long most;
  };
  const Case cases[] = {
      {"DISTRICT", 1, 1},
      {"TRIPREQ_REQUIRED", 1, 1},
      {"EMAIL_OPTIONS", 1, 1},
      {"Division", 5, 8},
      {"CUSTOMER", 35, 45},
      {"FUND", 12, 18},
      {"CUSTOMER_FUND", 70, 180},
      {"CUSTOMER_TRIPCAT", 5, 60},
      {"GRADE", 14, 16},
      {"TRIPCAT", 7, 10},
      {"TRIPREQSTATUS", 8, 12},
      {"DESTCAT", 5, 8},
      {"DESTINATION", 150, 150},
      {"VEHTYPE", 3, 8},
      {"SCHEDMAST", 3, 12},
      {"TRIPTICKET_TEMPLATE", 2, 6},
      {"BILLRATE", 3, 4},
      {"Big_CalCalNotes", 4, 20},
      {"TRIPS", 200, 500},
      {"TRIPSPLIT", 5, 80},
      {"TRIPEMPLOYEES", 80, 600},
      {"ARDETAIL", 80, 600},
      {"users.KRSCU", 30, 120},
      {"users.KRSCC", 5, 12},
      {"requests.TRIPSREQ", 250, 500},
  };
  for (const Case& c : cases) {
    long long count = db().number(std::string("SELECT COUNT(*) FROM ") + c.table);
    EXPECT_GE(count, c.least) << c.table;
    EXPECT_LE(count, c.most) << c.table;
  }
}

TEST_F(DemoDistrictTest, SiteSettingsRowsHoldTheDistrictsChoices) {
  std::vector<Row> district = db().rows(
      "SELECT DISTNAME, DISTCITY, DISTSTATE, DISTZIP, FUND_DD, USECUSTFUND, DEPDT_LEADTIME, "
      "DEPDT_LEADTIME_HARDWARN, TOTAL_TRIPS_LIMIT, TOTAL_TRIPS_HARDWARN, DEFAULTVTYPE FROM "
      "DISTRICT");
  ASSERT_EQ(district.size(), 1u);
  const Row& row = district.front();
  EXPECT_EQ(row[0], "Larkdale Unified School District");
  EXPECT_EQ(row[4], "True");
  EXPECT_EQ(row[5], "True");
  EXPECT_EQ(row[6], "14");
  EXPECT_EQ(row[7], "False");
  EXPECT_EQ(row[8], "12");
  EXPECT_EQ(row[9], "False");
  // The default vehicle type is one of the active types.
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM VEHTYPE WHERE Active = 1 AND VEHTYPE = '" +
                        row[10].value_or("") + "'"),
            1);
  EXPECT_EQ(db().column("SELECT REQ_TREKKO_CHANGE || ADM_TREKKO_CHANGE || APP_TREKKO_CHANGE "
                        "FROM EMAIL_OPTIONS"),
            std::vector<std::string>{"TrueFalseTrue"});
  std::vector<Row> required = db().rows("SELECT * FROM TRIPREQ_REQUIRED");
  ASSERT_EQ(required.size(), 1u);
  std::set<std::string> flags;
  for (const auto& value : required.front()) flags.insert(value.value_or("<null>"));
  EXPECT_EQ(flags, (std::set<std::string>{"True", "False"}));
}

TEST_F(DemoDistrictTest, EveryRequestStatusIsPresent) {
  std::set<std::string> expected = {"Pending", "UNAPPROVED", "Denied", "ACCEPTED"};
  for (const std::string& chain : db().column("SELECT CHAINID FROM users.KRSCC WHERE Active = 1")) {
    for (const Row& level : db().rows(levelsQuery(chain))) {
      if (level.at(1) && *level.at(1) != "ACCEPTED") expected.insert(*level.at(1));
    }
  }
  std::vector<std::string> used = db().column("SELECT DISTINCT Status FROM requests.TRIPSREQ");
  std::set<std::string> present(used.begin(), used.end());
  for (const std::string& status : expected) EXPECT_TRUE(present.count(status)) << status;
  // The search's status list offers every status that requests carry.
  for (const std::string& status : present) {
    EXPECT_EQ(db().number("SELECT COUNT(*) FROM TRIPREQSTATUS WHERE Active = 1 AND STATUS = '" +
                          status + "'"),
              1)
        << status;
  }
}

TEST_F(DemoDistrictTest, EveryRequestHasTheChainASaveWouldGiveIt) {
  std::vector<Row> mismatches = db().rows(
      "SELECT r.TRIPNUM, r.chainid FROM requests.TRIPSREQ r JOIN CUSTOMER c ON c.CUSTOMER = "
      "r.CUSTOMER WHERE IFNULL(r.chainid, '') <> IFNULL((SELECT t.chainid FROM CUSTOMER_TRIPCAT "
      "t WHERE t.CUSTOMER = r.CUSTOMER AND t.TRIPCAT = r.TRIPCAT), IFNULL(c.CHAINID, ''))");
  EXPECT_TRUE(mismatches.empty()) << "request " << mismatches.front().at(0).value_or("");
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ WHERE CUSTOMER NOT IN (SELECT "
                        "CUSTOMER FROM CUSTOMER)"),
            0);
}

TEST_F(DemoDistrictTest, EveryRequestStatusFitsItsChain) {
  std::map<std::string, std::set<std::string>> allowed;
  std::set<std::string> activeChains;
  for (const Row& chain : db().rows("SELECT CHAINID, Active FROM users.KRSCC")) {
    allowed[*chain.at(0)] = statusesOf(*chain.at(0));
    if (chain.at(1) == "1") activeChains.insert(*chain.at(0));
  }
  for (const Row& request :
       db().rows("SELECT TRIPNUM, IFNULL(chainid, ''), Status FROM requests.TRIPSREQ")) {
    const std::string& number = *request.at(0);
    const std::string& chain = *request.at(1);
    const std::string& status = *request.at(2);
    if (chain.empty()) {
      EXPECT_EQ(status, "Pending") << "request " << number;
      continue;
    }
    ASSERT_TRUE(allowed.count(chain)) << "request " << number << " has unknown chain " << chain;
    EXPECT_TRUE(allowed[chain].count(status)) << "request " << number << ": " << status;
    if (!activeChains.count(chain)) {
      EXPECT_TRUE(status == "ACCEPTED" || status == "Denied") << "request " << number;
    }
  }
}

TEST_F(DemoDistrictTest, EveryWaitingRequestHasAnApproverWhoseTurnItIs) {
  int waiting = 0;
  for (const Row& request :
       db().rows("SELECT TRIPNUM, chainid, Status, CUSTOMER FROM requests.TRIPSREQ WHERE "
                 "Status NOT IN ('Pending', 'Denied', 'ACCEPTED')")) {
    std::vector<Row> levels = db().rows(levelsQuery(*request.at(1)));
    std::string nextRole;
    if (request.at(2) == "UNAPPROVED") {
      nextRole = levels.at(0).at(0).value_or("");
    } else {
      for (std::size_t k = 0; k + 1 < levels.size(); ++k) {
        if (levels[k].at(1) == request.at(2)) {
          nextRole = levels[k + 1].at(0).value_or("");
          break;
        }
      }
    }
    ASSERT_FALSE(nextRole.empty()) << "request " << *request.at(0);
    ++waiting;
    EXPECT_GE(
        db().number("SELECT COUNT(*) FROM users.KRSCU WHERE ROLE = '" + nextRole +
                    "' AND (IFNULL(CUSTOMER, '') = '' OR CUSTOMER = '" + *request.at(3) + "')"),
        1)
        << "request " << *request.at(0) << " waits for " << nextRole;
  }
  EXPECT_GT(waiting, 20);
}

TEST_F(DemoDistrictTest, UsersHoldApproverRolesOrRequestOrClerk) {
  std::set<std::string> approverRoles;
  for (const std::string& chain : db().column("SELECT CHAINID FROM users.KRSCC WHERE Active = 1")) {
    for (const Row& level : db().rows(levelsQuery(chain))) {
      if (level.at(0)) approverRoles.insert(*level.at(0));
    }
  }
  std::set<std::string> userRoles;
  for (const std::string& role : db().column("SELECT DISTINCT ROLE FROM users.KRSCU")) {
    userRoles.insert(role);
    EXPECT_TRUE(approverRoles.count(role) || role == "REQUESTOR" || role == "CLERK") << role;
  }
  for (const std::string& role : approverRoles) EXPECT_TRUE(userRoles.count(role)) << role;
  // Principals and requesters belong to one customer; the other approvers serve all.
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM users.KRSCU WHERE ROLE IN ('PRINCIPAL', "
                        "'REQUESTOR') AND CUSTOMER NOT IN (SELECT CUSTOMER FROM CUSTOMER)"),
            0);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM users.KRSCU WHERE ROLE NOT IN ('PRINCIPAL', "
                        "'REQUESTOR') AND IFNULL(CUSTOMER, '') <> ''"),
            0);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM users.KRSCU WHERE SCTKFOVD = 'True' AND SCTKDDFT "
                        "= 'True' AND ROLE = 'TRANSPORT'"),
            1);
}

TEST_F(DemoDistrictTest, StoredUsersAreTheListedDemoUsers) {
  std::vector<Row> stored =
      db().rows("SELECT KRSC1, KRSC2, ROLE, CUSTOMER, EMAIL FROM users.KRSCU ORDER BY rowid");
  ASSERT_EQ(stored.size(), demoUsers().size());
  std::set<std::string> ids;
  int withoutPassword = 0;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const DemoUser& user = demoUsers()[i];
    EXPECT_EQ(stored[i][0], user.id);
    EXPECT_EQ(stored[i][1], user.password);
    EXPECT_EQ(stored[i][2], user.role);
    EXPECT_EQ(stored[i][3].value_or(""), user.customer);
    EXPECT_EQ(stored[i][4].value_or(""), user.email);
    EXPECT_TRUE(ids.insert(user.id).second) << "duplicate user id " << user.id;
    if (!user.password) ++withoutPassword;
  }
  EXPECT_EQ(withoutPassword, 1);
}

TEST_F(DemoDistrictTest, DatesLieAroundToday) {
  const std::string today = "date('now', 'localtime')";
  EXPECT_GT(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ WHERE depdate < " + today), 80);
  EXPECT_GT(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ WHERE depdate > " + today), 80);
  EXPECT_GT(db().number("SELECT COUNT(*) FROM TRIPS WHERE DEPDATE < " + today), 50);
  EXPECT_GT(db().number("SELECT COUNT(*) FROM TRIPS WHERE DEPDATE > " + today), 50);
  for (const char* table : {"requests.TRIPSREQ", "TRIPS"}) {
    EXPECT_EQ(db().number(std::string("SELECT COUNT(*) FROM ") + table + " WHERE depdate < date(" +
                          today + ", '-130 days') OR depdate > date(" + today +
                          ", '+130 days') OR retdate < depdate"),
              0)
        << table;
  }
  // Entry, decision and departure come in that order, and nothing was entered or decided later
  // than yesterday.
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ WHERE enterdate <> REQDATE OR "
                        "STATUS_DATE < enterdate OR date(enterdate) >= date(depdate) OR "
                        "STATUS_DATE >= " +
                        today),
            0);
}

TEST_F(DemoDistrictTest, DatesAndTimesUseTheStorageFormat) {
  const char* kDate = "'[12][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9] 00:00:00'";
  const char* kMoment =
      "'[12][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'";
  const char* kTime = "'1899-12-30 [0-2][0-9]:[0-5][0-9]:0[01]'";
  struct Case {
    const char* table;
    const char* column;
    const char* pattern;
  };
  const Case cases[] = {
      {"requests.TRIPSREQ", "depdate", kDate},
      {"requests.TRIPSREQ", "retdate", kDate},
      {"requests.TRIPSREQ", "deptime", kTime},
      {"requests.TRIPSREQ", "rettime", kTime},
      {"requests.TRIPSREQ", "arrivetime", kTime},
      {"requests.TRIPSREQ", "leavetime", kTime},
      {"requests.TRIPSREQ", "enterdate", kMoment},
      {"requests.TRIPSREQ", "STATUS_DATE", kMoment},
      {"TRIPS", "DEPDATE", kDate},
      {"TRIPS", "DEPTIME", kTime},
      {"TRIPS", "ReqDate", kMoment},
      {"Big_CalCalNotes", "NoteDate", kDate},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(db().number(std::string("SELECT COUNT(*) FROM ") + c.table + " WHERE " + c.column +
                          " IS NULL OR " + c.column + " NOT GLOB " + c.pattern),
              0)
        << c.table << "." << c.column;
  }
  // Times fit the form's five-minute steps, and a departure is never taken for a missing time.
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ WHERE CAST(substr(deptime, 15, "
                        "2) AS INTEGER) % 5 <> 0 OR substr(deptime, 12, 8) = '00:00:00'"),
            0);
}

TEST_F(DemoDistrictTest, DestinationsIncludeInactiveLongAndCommaNames) {
  EXPECT_GE(db().number("SELECT COUNT(*) FROM DESTINATION WHERE ACTIVE = 0"), 5);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM DESTINATION WHERE ACTIVE = 1"), 120);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM DESTINATION WHERE DESTDESC LIKE '%,%'"), 3);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM DESTINATION WHERE DESTDESC = 'Smith, Jones & Co. "
                        "Science Center'"),
            1);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM DESTINATION WHERE length(DESTDESC) BETWEEN 60 AND "
                        "75"),
            5);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM DESTINATION WHERE DESTDESC LIKE '%''%'"), 1);
  EXPECT_EQ(db().number("SELECT COUNT(DISTINCT DESTDESC) FROM DESTINATION"), 150);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM DESTINATION WHERE length(DESTDESC) > 75 OR "
                        "length(DESTADD1) > 30 OR length(DESTADD2) > 30 OR MILES <= 0"),
            0);
}

TEST_F(DemoDistrictTest, RequestTextsFitTheFormsFieldLimits) {
  struct Case {
    const char* column;
    int limit;
  };
  const Case cases[] = {{"CONTACT", 25},  {"PO", 15},       {"INTTRIPNUM", 30}, {"PURPOSE", 25},
                        {"DESTDESC", 75}, {"DESTADD1", 30}, {"DESTADD2", 30},   {"DESTCITY", 15},
                        {"DESTSTATE", 2}, {"DESTZIP", 10}};
  for (const Case& c : cases) {
    EXPECT_EQ(db().number(std::string("SELECT COUNT(*) FROM requests.TRIPSREQ WHERE length(") +
                          c.column + ") > " + std::to_string(c.limit)),
              0)
        << c.column;
  }
  // Some destinations were typed by hand: code 0 with their own description and address.
  EXPECT_GE(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ WHERE DESTINATION = 0 AND "
                        "trim(DESTDESC) <> '' AND trim(DESTCITY) <> '' AND DESTCAT <> '0'"),
            5);
  // The others name a destination on file and carry its description.
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ r LEFT JOIN DESTINATION d ON "
                        "d.DESTINATION = r.DESTINATION WHERE r.DESTINATION <> 0 AND "
                        "(d.DESTDESC IS NULL OR d.DESTDESC <> r.DESTDESC)"),
            0);
  // Future requests go only to active destinations, as the form's list offers only those.
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ r JOIN DESTINATION d ON "
                        "d.DESTINATION = r.DESTINATION WHERE d.ACTIVE = 0 AND r.depdate >= "
                        "date('now', 'localtime')"),
            0);
}

TEST_F(DemoDistrictTest, RequestsAreEnteredByARequesterOfTheirCustomer) {
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ r WHERE NOT EXISTS (SELECT 1 "
                        "FROM users.KRSCU u WHERE u.KRSC1 = r.ENTEREDBY AND u.CUSTOMER = "
                        "r.CUSTOMER AND u.ROLE = 'REQUESTOR')"),
            0);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ WHERE REQUESTOR_EMAIL NOT LIKE "
                        "'%@larkdale.example'"),
            0);
}

TEST_F(DemoDistrictTest, RequestFundsAreActiveFundsOfTheirCustomer) {
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ r WHERE NOT EXISTS (SELECT 1 "
                        "FROM CUSTOMER_FUND cf JOIN FUND f ON f.FUND = cf.FUND WHERE cf.CUSTOMER "
                        "= r.CUSTOMER AND cf.FUND = r.FUND AND f.ACTIVE = 1)"),
            0);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM CUSTOMER c WHERE (SELECT COUNT(*) FROM "
                        "CUSTOMER_FUND cf WHERE cf.CUSTOMER = c.CUSTOMER) NOT BETWEEN 2 AND 4"),
            0);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM FUND WHERE ACTIVE = 0"), 1);
}

TEST_F(DemoDistrictTest, AcceptedRequestsLinkToTheirTrips) {
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ r LEFT JOIN TRIPS t ON t.TRIPNUM "
                        "= r.FIELDTRIP_NUM WHERE r.Status = 'ACCEPTED' AND (t.TRIPNUM IS NULL OR "
                        "t.TRIPREQNUM <> r.TRIPNUM)"),
            0);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ WHERE Status <> 'ACCEPTED' AND "
                        "FIELDTRIP_NUM IS NOT NULL"),
            0);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM TRIPS t LEFT JOIN requests.TRIPSREQ r ON "
                        "r.TRIPNUM = t.TRIPREQNUM WHERE t.TRIPREQNUM <> 0 AND (r.Status IS NULL "
                        "OR r.Status <> 'ACCEPTED' OR r.FIELDTRIP_NUM <> t.TRIPNUM OR r.CUSTOMER "
                        "<> t.CUSTOMER OR r.depdate <> t.DEPDATE)"),
            0);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM TRIPS WHERE TRIPREQNUM = 0"), 20);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM TRIPS WHERE CUSTOMER NOT IN (SELECT CUSTOMER FROM "
                        "CUSTOMER) OR BILLCUST NOT IN (SELECT CUSTOMER FROM CUSTOMER) OR "
                        "(DESTINATION <> 0 AND DESTINATION NOT IN (SELECT DESTINATION FROM "
                        "DESTINATION))"),
            0);
}

TEST_F(DemoDistrictTest, EveryRequestsHistoryLeadsToItsStatus) {
  const std::string lines = "requests.TRIPREQ_HISTORY";
  const std::string decisions = "(SELECT * FROM " + lines + " WHERE ACTION <> 'Trip created')";
  struct Case {
    const char* rule;
    std::string violations;
  };
  const Case cases[] = {
      {"each request starts with its creation by its requester",
       "SELECT COUNT(*) FROM requests.TRIPSREQ r WHERE NOT EXISTS (SELECT 1 FROM " + lines +
           " h WHERE h.TRIPNUM = r.TRIPNUM AND h.ACTION = 'Created' AND h.USERID = r.ENTEREDBY "
           "AND h.CHANGED_AT = r.enterdate AND h.STATUS_BEFORE IS NULL AND h.ID = (SELECT "
           "MIN(ID) FROM " +
           lines + " WHERE TRIPNUM = r.TRIPNUM))"},
      {"the last decision gives the stored status, date and comment",
       "SELECT COUNT(*) FROM requests.TRIPSREQ r JOIN " + decisions +
           " h ON h.TRIPNUM = r.TRIPNUM AND h.ID = (SELECT MAX(ID) FROM " + decisions +
           " WHERE TRIPNUM = r.TRIPNUM) WHERE h.STATUS_AFTER <> r.Status OR h.CHANGED_AT <> "
           "r.STATUS_DATE OR COALESCE(h.COMMENT, '') <> COALESCE(r.STATUS_COMMENT, '')"},
      {"each line starts from the status the one before left, later than it",
       "SELECT COUNT(*) FROM " + lines + " h JOIN " + lines +
           " p ON p.TRIPNUM = h.TRIPNUM AND p.ID = (SELECT MAX(ID) FROM " + lines +
           " WHERE TRIPNUM = h.TRIPNUM AND ID < h.ID) WHERE h.STATUS_BEFORE IS NOT p.STATUS_AFTER "
           "OR h.CHANGED_AT < p.CHANGED_AT OR h.USERID = ''"},
      {"a request with a trip has one trip line, others none",
       "SELECT COUNT(*) FROM requests.TRIPSREQ r WHERE (SELECT COUNT(*) FROM " + lines +
           " WHERE TRIPNUM = r.TRIPNUM AND ACTION = 'Trip created') <> (r.FIELDTRIP_NUM IS NOT "
           "NULL)"},
  };
  for (const Case& c : cases) EXPECT_EQ(db().number(c.violations), 0) << c.rule;
  EXPECT_GT(db().number("SELECT COUNT(*) FROM " + lines + " WHERE ACTION = 'Denied'"), 0);
}

TEST_F(DemoDistrictTest, TripStatesFitTogether) {
  EXPECT_GE(db().number("SELECT COUNT(*) FROM TRIPS WHERE ASSIGNED = 1"), 50);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM TRIPS WHERE BILLED = 1"), 50);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM TRIPS WHERE CANCELED = 1"), 3);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM TRIPS WHERE ASSIGNED = 0 AND CANCELED = 0"), 20);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM TRIPS WHERE (BILLED = 1) <> (BILLDATE IS NOT NULL) "
                        "OR (CANCELED = 1) <> (CANDATE IS NOT NULL) OR (BILLED = 1 AND (ASSIGNED "
                        "= 0 OR CANCELED = 1)) OR (CANCELED = 1 AND ASSIGNED = 1) OR BILLDATE < "
                        "RETDATE OR BILLDATE >= date('now', 'localtime') OR CANDATE >= "
                        "date('now', 'localtime')"),
            0);
}

TEST_F(DemoDistrictTest, BillingBelongsToBilledTrips) {
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM ARDETAIL WHERE TRIPNUM NOT IN (SELECT TRIPNUM FROM "
                        "TRIPS WHERE BILLED = 1) OR TRANCODE NOT IN ('BIL', 'PAY')"),
            0);
  // One charge per billed trip; payments reduce what is due and never below zero.
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM TRIPS t WHERE t.BILLED = 1 AND ((SELECT COUNT(*) "
                        "FROM ARDETAIL a WHERE a.TRIPNUM = t.TRIPNUM AND a.TRANCODE = 'BIL' AND "
                        "a.TRANAMT > 0) <> 1 OR (SELECT SUM(TRANAMT) FROM ARDETAIL a WHERE "
                        "a.TRIPNUM = t.TRIPNUM) < -0.001)"),
            0);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM ARDETAIL WHERE TRANCODE = 'PAY' AND TRANAMT < 0"),
            20);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM TRIPS t WHERE t.BILLED = 1 AND (SELECT SUM(TRANAMT) "
                        "FROM ARDETAIL a WHERE a.TRIPNUM = t.TRIPNUM) > 0"),
            5);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM TRIPEMPLOYEES WHERE TRIPNUM NOT IN (SELECT "
                        "TRIPNUM FROM TRIPS WHERE ASSIGNED = 1) OR HOURS <= 0 OR MILES <= 0"),
            0);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM TRIPS t WHERE (t.SPLIT = 1) <> EXISTS (SELECT 1 "
                        "FROM TRIPSPLIT s WHERE s.TRIPNUM = t.TRIPNUM)"),
            0);
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM TRIPSPLIT s JOIN TRIPS t ON t.TRIPNUM = s.TRIPNUM "
                        "WHERE s.FUND = t.FUND OR s.FUND NOT IN (SELECT FUND FROM CUSTOMER_FUND "
                        "cf WHERE cf.CUSTOMER = t.CUSTOMER)"),
            0);
}

TEST_F(DemoDistrictTest, CalendarClosesADayAndWarnsOfAnotherInTheComingWeeks) {
  const std::string soon =
      " BETWEEN date('now', 'localtime') AND date('now', 'localtime', '+30 "
      "days')";
  EXPECT_GE(db().number("SELECT COUNT(*) FROM Big_CalCalNotes WHERE Note_SchoolClosed = 1 AND "
                        "NoteSeverity = 3 AND NoteDate" +
                        soon),
            1);
  EXPECT_GE(db().number("SELECT COUNT(*) FROM Big_CalCalNotes WHERE Note_SchoolClosed = 0 AND "
                        "NoteSeverity = 2 AND NoteDate" +
                        soon),
            1);
  EXPECT_EQ(db().number("SELECT COUNT(*) - COUNT(DISTINCT NoteDate) FROM Big_CalCalNotes"), 0);
  // A closed day refuses a save, so no request departs on one.
  EXPECT_EQ(db().number("SELECT COUNT(*) FROM requests.TRIPSREQ r JOIN Big_CalCalNotes n ON "
                        "n.NoteDate = r.depdate WHERE n.NoteSeverity = 3"),
            0);
}

TEST_F(DemoDistrictTest, AFilledDistrictIsNotFilledAgain) {
  std::string before = dump(folder_->path());
  EXPECT_THROW(fillDemoDistrict(folder_->path()), std::runtime_error);
  EXPECT_EQ(dump(folder_->path()), before);
}

TEST(DemoDistrictFillTest, TheSameDayGivesTheSameDistrict) {
  const std::chrono::year_month_day day = std::chrono::year{2026} / 3 / 2;
  EmptyDataFolder first;
  EmptyDataFolder second;
  fillDemoDistrict(first.path(), day);
  fillDemoDistrict(second.path(), day);
  std::string text = dump(first.path());
  EXPECT_GT(text.size(), 100000u);
  EXPECT_EQ(text, dump(second.path()));
}

TEST(DemoDistrictFillTest, DatesMoveWithTheGivenDay) {
  EmptyDataFolder folder;
  fillDemoDistrict(folder.path(), std::chrono::year{2027} / 9 / 14);
  District district(folder.path());
  // Departures spread from about 120 days before the day to about 120 days after it, and
  // nothing was entered or decided on the day or later.
  EXPECT_EQ(district.number("SELECT MIN(depdate) BETWEEN '2027-05-12' AND '2027-05-27' AND "
                            "MAX(depdate) BETWEEN '2028-01-02' AND '2028-01-22' FROM "
                            "requests.TRIPSREQ"),
            1);
  EXPECT_EQ(district.number("SELECT COUNT(*) FROM requests.TRIPSREQ WHERE enterdate >= "
                            "'2027-09-14' OR STATUS_DATE >= '2027-09-14'"),
            0);
  EXPECT_EQ(district.number("SELECT COUNT(*) FROM Big_CalCalNotes WHERE NoteDate BETWEEN "
                            "'2027-09-14' AND '2027-10-14' AND NoteSeverity = 3"),
            1);
}

TEST(DemoDistrictFillTest, OneNonEmptyFileKeepsAllThreeEmpty) {
  EmptyDataFolder folder;
  {
    District district(folder.path());
    district.rows("INSERT INTO requests.TRIPSREQ (CUSTOMER) VALUES ('XYZ')");
  }
  EXPECT_THROW(fillDemoDistrict(folder.path()), std::runtime_error);
  District district(folder.path());
  EXPECT_EQ(district.number("SELECT COUNT(*) FROM DISTRICT"), 0);
  EXPECT_EQ(district.number("SELECT COUNT(*) FROM users.KRSCU"), 0);
  EXPECT_EQ(district.number("SELECT COUNT(*) FROM requests.TRIPSREQ"), 1);
}

TEST(DemoDistrictFillTest, AMissingFileIsReported) {
  EmptyDataFolder folder;
  std::filesystem::remove(folder.path() / kUsersFile);
  EXPECT_THROW(fillDemoDistrict(folder.path()), std::runtime_error);
  District district(folder.path());
  EXPECT_EQ(district.number("SELECT COUNT(*) FROM DISTRICT"), 0);
}

}  // namespace
}  // namespace ravadid

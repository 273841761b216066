#include "frame/schema.h"

#include <sqlite3.h>

#include <mutex>
#include <stdexcept>

#include "frame/connections.h"
#include "frame/db/database.h"

namespace ravadid::schema {
namespace {

using enum ColumnType;

// ---- trip.mdb ----

constexpr ColumnSchema kDistrictColumns[] = {
    {district::kDistname, Text},
    {district::kDistaddr1, Text},
    {district::kDistcity, Text},
    {district::kDiststate, Text},
    {district::kDistzip, Text},
    {district::kDistphone, Text},
    // Read as text into the site settings and written into new requests' boolean
    // CALCNUMDRIVERS, which converts "True"/"False".
    {district::kDefaultCalcnumdriver, Text},
    {district::kDefaultvtype, Text},
    {district::kTranstitle, Text},
    {district::kAutofillRequests, Text},
    {district::kAutofill, Text},
    {district::kViewOtherSchools, Text},
    {district::kFundDd, Text},
    {district::kUsecustfund, Text},
    {district::kDepdtLeadtime, Integer},
    {district::kDepdtLeadtimeHardwarn, Text},
    {district::kTotalTripsLimit, Integer},
    {district::kTotalTripsLimitMessage, Text},
    {district::kTotalTripsHardwarn, Text},
    {district::kTripreqComment, Text},
};

constexpr ColumnSchema kTripreqRequiredColumns[] = {
    {tripreq_required::kRequestDateRequired, Text},
    {tripreq_required::kFundRequired, Text},
    {tripreq_required::kCustomerRequired, Text},
    {tripreq_required::kContactReq, Text},
    {tripreq_required::kDestinationReq, Text},
    {tripreq_required::kDepdateReq, Text},
    {tripreq_required::kDeptimeReq, Text},
    {tripreq_required::kRetdateReq, Text},
    {tripreq_required::kRettimeReq, Text},
    {tripreq_required::kArrivetimeReq, Text},
    {tripreq_required::kLeavetimeReq, Text},
    {tripreq_required::kEstmileReq, Text},
    {tripreq_required::kEsttimeReq, Text},
    {tripreq_required::kNumstudentsReq, Text},
    {tripreq_required::kNumadultsReq, Text},
    {tripreq_required::kNumwheelReq, Text},
    {tripreq_required::kPurposeReq, Text},
    {tripreq_required::kDestspecReq, Text},
    {tripreq_required::kCustspecReq, Text},
    {tripreq_required::kTripcomReq, Text},
    {tripreq_required::kPoReq, Text},
    {tripreq_required::kTripcatReq, Text},
    {tripreq_required::kInttripnumReq, Text},
    {tripreq_required::kGradeReq, Text},
    {tripreq_required::kInvoiceCommentReq, Text},
};

constexpr ColumnSchema kEmailOptionsColumns[] = {
    {email_options::kReqTrekkoChange, Text},
    {email_options::kAdmTrekkoChange, Text},
    {email_options::kAppTrekkoChange, Text},
};

constexpr ColumnSchema kCustomerColumns[] = {
    {customer::kCustomer, Text, Key::Primary},
    {customer::kCustname, Text},
    {customer::kChainid, Text},
    {customer::kCustdiv, Text},
    {customer::kActive, Boolean},
    {customer::kCustbillrate, Integer},
    {customer::kCustspec, Text},
    {customer::kDefaultcap, Text},
    {customer::kCustDefaultFormat, Text},
    {customer::kRequestorEmail, Text},
};

constexpr ColumnSchema kCustomerFundColumns[] = {
    {customer_fund::kCustomer, Text},
    {customer_fund::kFund, Text},
};

constexpr ColumnSchema kCustomerTripcatColumns[] = {
    {customer_tripcat::kCustomer, Text},
    {customer_tripcat::kTripcat, Text},
    {customer_tripcat::kChainid, Text},
};

constexpr ColumnSchema kDestinationColumns[] = {
    {destination::kDestination, Integer, Key::Primary},
    {destination::kDestdesc, Text},
    {destination::kDestadd1, Text},
    {destination::kDestadd2, Text},
    {destination::kDestspec, Text},
    {destination::kMiles, Real},
    {destination::kActive, Boolean},
};

constexpr ColumnSchema kDestcatColumns[] = {
    {destcat::kDestcat, Text},
    {destcat::kActive, Boolean},
};

constexpr ColumnSchema kFundColumns[] = {
    {fund::kFund, Text, Key::Primary},
    {fund::kFunddesc, Text},
    {fund::kActive, Boolean},
};

constexpr ColumnSchema kGradeColumns[] = {
    {grade::kGrade, Text},
    {grade::kDescription, Text},
    {grade::kActive, Boolean},
};

constexpr ColumnSchema kTripcatColumns[] = {
    {tripcat::kTripcat, Text},
    {tripcat::kDescription, Text},
    {tripcat::kActive, Boolean},
};

constexpr ColumnSchema kTripreqstatusColumns[] = {
    {tripreqstatus::kStatus, Text},
    {tripreqstatus::kDescription, Text},
    {tripreqstatus::kActive, Boolean},
};

constexpr ColumnSchema kDivisionColumns[] = {
    {division::kDivision, Text},
    {division::kDescription, Text},
    {division::kActive, Boolean},
};

constexpr ColumnSchema kVehtypeColumns[] = {
    {vehtype::kVehtype, Text},
    {vehtype::kVtypdesc, Text},
    {vehtype::kActive, Boolean},
};

constexpr ColumnSchema kSchedmastColumns[] = {
    {schedmast::kSchedule, Text},
    {schedmast::kScheddesc, Text},
};

constexpr ColumnSchema kTripticketTemplateColumns[] = {
    // Held as text like the request's TICKET_FORMAT that refers to it.
    {tripticket_template::kTicketId, Text},
    {tripticket_template::kTemplateDesc, Text},
    {tripticket_template::kActive, Boolean},
};

constexpr ColumnSchema kBillrateColumns[] = {
    {billrate::kBillrate, Integer, Key::Primary},
    {billrate::kAmount1, Real},
    {billrate::kAmount2, Real},
    {billrate::kAmount3, Real},
    {billrate::kAmount4, Real},
    {billrate::kAmount5, Real},
    {billrate::kAmounttxt1, Text},
    {billrate::kAmounttxt2, Text},
    {billrate::kAmounttxt3, Text},
    {billrate::kAmounttxt4, Text},
    {billrate::kAmounttxt5, Text},
};

// The columns a trip shares with its request have the request's types, so that creating a
// trip copies values unchanged.
constexpr ColumnSchema kTripsColumns[] = {
    {trips::kTripnum, Integer, Key::AutoIncrement},
    {trips::kTripreqnum, Integer},
    {trips::kInttripnum, Text},
    {trips::kCustomer, Text},
    {trips::kBillcust, Text},
    {trips::kDestination, Integer},
    {trips::kDepdate, DateTime},
    {trips::kDeptime, DateTime},
    {trips::kRetdate, DateTime},
    {trips::kRettime, DateTime},
    {trips::kArrivetime, DateTime},
    {trips::kLeavetime, DateTime},
    {trips::kEsttime, Real},
    {trips::kEstmile, Real},
    {trips::kNumstudents, Integer},
    {trips::kNumadults, Integer},
    {trips::kContact, Text},
    {trips::kPurpose, Text},
    {trips::kPo, Text},
    {trips::kFund, Text},
    {trips::kGrade, Text},
    {trips::kTripcat, Text},
    {trips::kSchedule, Text},
    {trips::kShuttle, Boolean},
    {trips::kAssigned, Boolean},
    {trips::kBilled, Boolean},
    {trips::kCanceled, Boolean},
    {trips::kBilldate, DateTime},
    {trips::kCandate, DateTime},
    {trips::kAmount1, Real},
    {trips::kAmount2, Real},
    {trips::kAmount3, Real},
    {trips::kAmount4, Real},
    {trips::kAmount5, Real},
    {trips::kAddlType, Text},
    {trips::kAutoAssign, Boolean},
    {trips::kBill, Boolean},
    {trips::kBillRate, Integer},
    {trips::kCalcnumdrivers, Boolean},
    {trips::kCapacity, Text},
    {trips::kCustSpec, Text},
    {trips::kDestSpec, Text},
    {trips::kDropRet, Boolean},
    {trips::kInvoiceComment1, Text},
    {trips::kInvoiceFormat, Text},
    {trips::kMultidest, Boolean},
    {trips::kNumchar, Integer},
    {trips::kNumtype, Integer},
    {trips::kNumAddl, Integer},
    {trips::kNumHand, Integer},
    {trips::kNumVeh, Integer},
    {trips::kOutOfTown, Boolean},
    {trips::kReqDate, DateTime},
    {trips::kSplit, Boolean},
    {trips::kSchedule2, Text},
    {trips::kSchedule3, Text},
    {trips::kSchedule4, Text},
    {trips::kSchedule5, Text},
    {trips::kTicketFormat, Text},
    {trips::kTripCom, Text},
    {trips::kType, Text},
    {trips::kAmounttxt1, Text},
    {trips::kAmounttxt2, Text},
    {trips::kAmounttxt3, Text},
    {trips::kAmounttxt4, Text},
    {trips::kAmounttxt5, Text},
};

constexpr ColumnSchema kTripsplitColumns[] = {
    {tripsplit::kTripnum, Integer},
    {tripsplit::kFund, Text},
};

constexpr ColumnSchema kTripemployeesColumns[] = {
    {tripemployees::kTripnum, Integer},
    {tripemployees::kHours, Real},
    {tripemployees::kMiles, Real},
};

constexpr ColumnSchema kArdetailColumns[] = {
    {ardetail::kTripnum, Integer},
    {ardetail::kTranamt, Real},
    {ardetail::kTrancode, Text},
};

constexpr ColumnSchema kBigCalCalNotesColumns[] = {
    {big_calcalnotes::kNoteDate, DateTime},        {big_calcalnotes::kNoteText, Text},
    {big_calcalnotes::kNoteLongText, Text},        {big_calcalnotes::kNoteSeverity, Integer},
    {big_calcalnotes::kNoteSchoolClosed, Boolean},
};

// ---- zqkrsc1.mdb ----

// clang-format off
constexpr ColumnSchema kKrscuColumns[] = {
    {krscu::kKrsc1, Text},
    {krscu::kKrsc2, Text},
    {krscu::kCustomer, Text},
    {krscu::kRole, Text},
    {krscu::kEmail, Text},
    {krscu::kSctkfovd, Text},
    {krscu::kSctkddft, Text},
};

constexpr ColumnSchema kKrsccColumns[] = {
    {krscc::kChainid, Text, Key::Primary},
    {krscc::kActive, Boolean},
    {krscc::kLevel1Approver, Text},
    {krscc::kLevel2Approver, Text},
    {krscc::kLevel3Approver, Text},
    {krscc::kLevel4Approver, Text},
    {krscc::kLevel5Approver, Text},
    {krscc::kLevel6Approver, Text},
    {krscc::kLevel7Approver, Text},
    {krscc::kLevel8Approver, Text},
    {krscc::kLevel1Status, Text},
    {krscc::kLevel2Status, Text},
    {krscc::kLevel3Status, Text},
    {krscc::kLevel4Status, Text},
    {krscc::kLevel5Status, Text},
    {krscc::kLevel6Status, Text},
    {krscc::kLevel7Status, Text},
    {krscc::kLevel8Status, Text},
};
// clang-format on

// ---- Tripschl.mdb ----

constexpr ColumnSchema kTripsreqColumns[] = {
    {tripsreq::kTripnum, Integer, Key::AutoIncrement},
    {tripsreq::kEnteredby, Text},
    {tripsreq::kEnterdate, DateTime},
    {tripsreq::kReqdate, DateTime},
    {tripsreq::kRequestorEmail, Text},
    {tripsreq::kFieldtripNum, Integer},
    {tripsreq::kStatus, Text},
    {tripsreq::kStatusDate, DateTime},
    {tripsreq::kStatusComment, Text},
    {tripsreq::kChainid, Text},
    {tripsreq::kCustomer, Text},
    {tripsreq::kBillcust, Text},
    {tripsreq::kBillrate, Integer},
    {tripsreq::kAmount1, Real},
    {tripsreq::kAmount2, Real},
    {tripsreq::kAmount3, Real},
    {tripsreq::kAmount4, Real},
    {tripsreq::kAmount5, Real},
    {tripsreq::kAmounttxt1, Text},
    {tripsreq::kAmounttxt2, Text},
    {tripsreq::kAmounttxt3, Text},
    {tripsreq::kAmounttxt4, Text},
    {tripsreq::kAmounttxt5, Text},
    {tripsreq::kCapacity, Text},
    {tripsreq::kInvoiceFormat, Text},
    {tripsreq::kCustspec, Text},
    {tripsreq::kContact, Text},
    {tripsreq::kFund, Text},
    {tripsreq::kPo, Text},
    {tripsreq::kGrade, Text},
    {tripsreq::kTripcat, Text},
    {tripsreq::kInttripnum, Text},
    {tripsreq::kPurpose, Text},
    {tripsreq::kTripcom, Text},
    {tripsreq::kDestination, Integer},
    {tripsreq::kDestdesc, Text},
    {tripsreq::kDestcat, Text},
    {tripsreq::kMiles, Real},
    {tripsreq::kDestadd1, Text},
    {tripsreq::kDestadd2, Text},
    {tripsreq::kDestcity, Text},
    {tripsreq::kDeststate, Text},
    {tripsreq::kDestzip, Text},
    {tripsreq::kDestspec, Text},
    {tripsreq::kDepdate, DateTime},
    {tripsreq::kRetdate, DateTime},
    {tripsreq::kDeptime, DateTime},
    {tripsreq::kRettime, DateTime},
    {tripsreq::kArrivetime, DateTime},
    {tripsreq::kLeavetime, DateTime},
    {tripsreq::kEstTime, Real},
    {tripsreq::kEstmile, Real},
    {tripsreq::kNumstudents, Integer},
    {tripsreq::kNumadults, Integer},
    {tripsreq::kNumhand, Integer},
    {tripsreq::kType, Text},
    {tripsreq::kCalcnumdrivers, Boolean},
    {tripsreq::kNumtype, Integer},
    {tripsreq::kAddltype, Text},
    {tripsreq::kNumaddl, Integer},
    {tripsreq::kAutoassign, Boolean},
    {tripsreq::kSchedule, Text},
    {tripsreq::kSchedule2, Text},
    {tripsreq::kSchedule3, Text},
    {tripsreq::kSchedule4, Text},
    {tripsreq::kSchedule5, Text},
    {tripsreq::kTicketFormat, Text},
    {tripsreq::kOutOfTown, Boolean},
    {tripsreq::kDropRet, Boolean},
    {tripsreq::kSplit, Boolean},
    {tripsreq::kInvoiceComment1, Text},
    {tripsreq::kMultidest, Boolean},
    {tripsreq::kShuttle, Boolean},
    {tripsreq::kNumchar, Integer},
};

// ---- indexes for the lookups and searches ----

template <std::size_t N>
using Columns = const char* const[N];

constexpr Columns<1> kCustomerFundCustomer = {customer_fund::kCustomer};
constexpr Columns<1> kCustomerFundFund = {customer_fund::kFund};
constexpr Columns<2> kCustomerTripcatKey = {customer_tripcat::kCustomer,
                                            customer_tripcat::kTripcat};
constexpr Columns<1> kDestinationDestdesc = {destination::kDestdesc};
constexpr Columns<1> kTripsDepdate = {trips::kDepdate};
constexpr Columns<1> kTripsCustomer = {trips::kCustomer};
constexpr Columns<1> kTripsBillcust = {trips::kBillcust};
constexpr Columns<1> kTripsTripreqnum = {trips::kTripreqnum};
constexpr Columns<1> kTripsplitTripnum = {tripsplit::kTripnum};
constexpr Columns<1> kTripemployeesTripnum = {tripemployees::kTripnum};
constexpr Columns<1> kArdetailTripnum = {ardetail::kTripnum};
constexpr Columns<1> kBigCalCalNotesNoteDate = {big_calcalnotes::kNoteDate};
constexpr Columns<1> kKrscuKrsc1 = {krscu::kKrsc1};
constexpr Columns<1> kKrscuRole = {krscu::kRole};
constexpr Columns<1> kTripsreqDepdate = {tripsreq::kDepdate};
constexpr Columns<1> kTripsreqCustomer = {tripsreq::kCustomer};
constexpr Columns<2> kTripsreqChainStatus = {tripsreq::kChainid, tripsreq::kStatus};
constexpr Columns<1> kTripsreqStatus = {tripsreq::kStatus};
constexpr Columns<1> kTripsreqEnteredby = {tripsreq::kEnteredby};
// The request list's order, alone and within one customer: the rows come out of the index in
// the list's order, so the list needs no sort.
constexpr Columns<3> kTripsreqDeparture = {tripsreq::kDepdate, tripsreq::kDeptime,
                                           tripsreq::kDestination};
constexpr Columns<4> kTripsreqCustomerDeparture = {tripsreq::kCustomer, tripsreq::kDepdate,
                                                   tripsreq::kDeptime, tripsreq::kDestination};

constexpr IndexSchema kCustomerFundIndexes[] = {
    {"CUSTOMER_FUND_CUSTOMER", kCustomerFundCustomer},
    {"CUSTOMER_FUND_FUND", kCustomerFundFund},
};
constexpr IndexSchema kCustomerTripcatIndexes[] = {
    {"CUSTOMER_TRIPCAT_CUSTOMER_TRIPCAT", kCustomerTripcatKey},
};
constexpr IndexSchema kDestinationIndexes[] = {
    {"DESTINATION_DESTDESC", kDestinationDestdesc},
};
constexpr IndexSchema kTripsIndexes[] = {
    {"TRIPS_DEPDATE", kTripsDepdate},
    {"TRIPS_CUSTOMER", kTripsCustomer},
    {"TRIPS_BILLCUST", kTripsBillcust},
    {"TRIPS_TRIPREQNUM", kTripsTripreqnum},
};
constexpr IndexSchema kTripsplitIndexes[] = {{"TRIPSPLIT_TRIPNUM", kTripsplitTripnum}};
constexpr IndexSchema kTripemployeesIndexes[] = {{"TRIPEMPLOYEES_TRIPNUM", kTripemployeesTripnum}};
constexpr IndexSchema kArdetailIndexes[] = {{"ARDETAIL_TRIPNUM", kArdetailTripnum}};
constexpr IndexSchema kBigCalCalNotesIndexes[] = {
    {"Big_CalCalNotes_NoteDate", kBigCalCalNotesNoteDate},
};
constexpr IndexSchema kKrscuIndexes[] = {
    {"KRSCU_KRSC1", kKrscuKrsc1},
    {"KRSCU_ROLE", kKrscuRole},
};
constexpr ColumnSchema kTripreqHistoryColumns[] = {
    {tripreq_history::kId, Integer, Key::AutoIncrement},
    {tripreq_history::kTripnum, Integer},
    {tripreq_history::kAction, Text},
    {tripreq_history::kUserid, Text},
    {tripreq_history::kRole, Text},
    {tripreq_history::kChangedAt, DateTime},
    {tripreq_history::kStatusBefore, Text},
    {tripreq_history::kStatusAfter, Text},
    {tripreq_history::kComment, Text},
};
constexpr Columns<1> kTripreqHistoryTripnum = {tripreq_history::kTripnum};
constexpr IndexSchema kTripreqHistoryIndexes[] = {
    {"TRIPREQ_HISTORY_TRIPNUM", kTripreqHistoryTripnum},
};

constexpr IndexSchema kTripsreqIndexes[] = {
    {"TRIPSREQ_depdate", kTripsreqDepdate},
    {"TRIPSREQ_CUSTOMER", kTripsreqCustomer},
    {"TRIPSREQ_chainid_Status", kTripsreqChainStatus},
    {"TRIPSREQ_Status", kTripsreqStatus},
    {"TRIPSREQ_ENTEREDBY", kTripsreqEnteredby},
    {"TRIPSREQ_departure", kTripsreqDeparture},
    {"TRIPSREQ_CUSTOMER_departure", kTripsreqCustomerDeparture},
};

constexpr TableSchema kTables[] = {
    {kTripFile, district::kTable, kDistrictColumns, {}},
    {kTripFile, tripreq_required::kTable, kTripreqRequiredColumns, {}},
    {kTripFile, email_options::kTable, kEmailOptionsColumns, {}},
    {kTripFile, customer::kTable, kCustomerColumns, {}},
    {kTripFile, customer_fund::kTable, kCustomerFundColumns, kCustomerFundIndexes},
    {kTripFile, customer_tripcat::kTable, kCustomerTripcatColumns, kCustomerTripcatIndexes},
    {kTripFile, destination::kTable, kDestinationColumns, kDestinationIndexes},
    {kTripFile, destcat::kTable, kDestcatColumns, {}},
    {kTripFile, fund::kTable, kFundColumns, {}},
    {kTripFile, grade::kTable, kGradeColumns, {}},
    {kTripFile, tripcat::kTable, kTripcatColumns, {}},
    {kTripFile, tripreqstatus::kTable, kTripreqstatusColumns, {}},
    {kTripFile, division::kTable, kDivisionColumns, {}},
    {kTripFile, vehtype::kTable, kVehtypeColumns, {}},
    {kTripFile, schedmast::kTable, kSchedmastColumns, {}},
    {kTripFile, tripticket_template::kTable, kTripticketTemplateColumns, {}},
    {kTripFile, billrate::kTable, kBillrateColumns, {}},
    {kTripFile, trips::kTable, kTripsColumns, kTripsIndexes},
    {kTripFile, tripsplit::kTable, kTripsplitColumns, kTripsplitIndexes},
    {kTripFile, tripemployees::kTable, kTripemployeesColumns, kTripemployeesIndexes},
    {kTripFile, ardetail::kTable, kArdetailColumns, kArdetailIndexes},
    {kTripFile, big_calcalnotes::kTable, kBigCalCalNotesColumns, kBigCalCalNotesIndexes},
    {kUsersFile, krscu::kTable, kKrscuColumns, kKrscuIndexes},
    {kUsersFile, krscc::kTable, kKrsccColumns, {}},
    {kRequestsFile, tripsreq::kTable, kTripsreqColumns, kTripsreqIndexes},
    {kRequestsFile, tripreq_history::kTable, kTripreqHistoryColumns, kTripreqHistoryIndexes, true},
};

std::string quoteIdentifier(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string columnDefinition(const ColumnSchema& column) {
  std::string sql = quoteIdentifier(column.name);
  switch (column.type) {
    case Text:
      sql += " TEXT COLLATE NOCASE";
      break;
    case Integer:
      sql += " INTEGER";
      break;
    case Real:
      sql += " REAL";
      break;
    case Boolean:
      // A yes/no field is never null; a row added without it reads false.
      sql += " INTEGER NOT NULL DEFAULT 0";
      break;
    case DateTime:
      sql += " DATETIME";
      break;
  }
  switch (column.key) {
    case Key::None:
      break;
    case Key::Primary:
      // An INTEGER PRIMARY KEY may be left null on insert and is then numbered by SQLite;
      // any other key must be given.
      sql += column.type == Integer ? " PRIMARY KEY" : " NOT NULL PRIMARY KEY";
      break;
    case Key::AutoIncrement:
      sql += " PRIMARY KEY AUTOINCREMENT";
      break;
  }
  return sql;
}

void appendIndexDdl(const TableSchema& table, const IndexSchema& index, std::string& ddl) {
  ddl += "CREATE INDEX IF NOT EXISTS " + quoteIdentifier(index.name) + " ON " +
         quoteIdentifier(table.name) + " (";
  const char* columnSeparator = "";
  for (const char* column : index.columns) {
    ddl += columnSeparator + quoteIdentifier(column);
    columnSeparator = ", ";
  }
  ddl += ");\n";
}

void appendTableDdl(const TableSchema& table, std::string& ddl) {
  ddl += "CREATE TABLE IF NOT EXISTS " + quoteIdentifier(table.name) + " (";
  const char* separator = "\n  ";
  for (const ColumnSchema& column : table.columns) {
    ddl += separator + columnDefinition(column);
    separator = ",\n  ";
  }
  ddl += "\n);\n";
  for (const IndexSchema& index : table.indexes) appendIndexDdl(table, index, ddl);
}

void execute(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return;
  std::string text = message ? message : sqlite3_errmsg(db);
  sqlite3_free(message);
  throw std::runtime_error("cannot create the schema: " + text);
}

}  // namespace

std::span<const TableSchema> schemaTables() {
  return kTables;
}

std::string schemaDdl(std::string_view file) {
  if (file != kTripFile && file != kUsersFile && file != kRequestsFile) {
    throw std::invalid_argument("no schema for database file '" + std::string(file) + "'");
  }
  std::string ddl;
  for (const TableSchema& table : kTables) {
    if (file == table.file) appendTableDdl(table, ddl);
  }
  return ddl;
}

void createSchema(sqlite3* db, std::string_view file) {
  std::string ddl = schemaDdl(file);
  execute(db, "BEGIN IMMEDIATE;");
  try {
    execute(db, ddl.c_str());
    execute(db, "COMMIT;");
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
    throw;
  }
}

void createMissingIndexes(sqlite3* db, std::string_view file) {
  for (const TableSchema& table : kTables) {
    if (file != table.file) continue;
    for (const IndexSchema& index : table.indexes) {
      std::string ddl;
      appendIndexDdl(table, index, ddl);
      // A file without the table or column, read-only or busy is served without the index.
      sqlite3_exec(db, ddl.c_str(), nullptr, nullptr, nullptr);
    }
  }
}

void createAddedTables(sqlite3* db, std::string_view file) {
  const auto hasTable = [db](const char* name) {
    sqlite3_stmt* statement = nullptr;
    bool found = false;
    if (sqlite3_prepare_v2(db,
                           "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                           "COLLATE NOCASE",
                           -1, &statement, nullptr) == SQLITE_OK) {
      sqlite3_bind_text(statement, 1, name, -1, SQLITE_STATIC);
      found = sqlite3_step(statement) == SQLITE_ROW;
    }
    sqlite3_finalize(statement);
    return found;
  };
  bool original = false;
  for (const TableSchema& table : kTables)
    if (file == table.file && !table.addedLater && hasTable(table.name)) original = true;
  if (!original) return;
  for (const TableSchema& table : kTables) {
    if (file != table.file || !table.addedLater) continue;
    std::string ddl;
    appendTableDdl(table, ddl);
    sqlite3_exec(db, ddl.c_str(), nullptr, nullptr, nullptr);
  }
}

void registerSchemaColumnTypes() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const TableSchema& table : kTables) {
      for (const ColumnSchema& column : table.columns) {
        if (column.type == Boolean) db::registerBooleanColumn(table.name, column.name);
      }
    }
  });
}

}  // namespace ravadid::schema

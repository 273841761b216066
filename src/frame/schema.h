// The tables and columns of the three database files, and the schema that creates them.
//
// Page code takes table and column names from here. Names keep the letter case in which the
// system writes them; the database matches them without regard to case.
#pragma once

#include <span>
#include <string>
#include <string_view>

struct sqlite3;

namespace ravadid::schema {

// ---------------------------------------------------------------------------------------------
// trip.mdb
// ---------------------------------------------------------------------------------------------

// One row: the district's name, address and site settings. Flags are text, on when "True".
namespace district {
inline constexpr const char* kTable = "DISTRICT";
inline constexpr const char* kDistname = "DISTNAME";
inline constexpr const char* kDistaddr1 = "DISTADDR1";
inline constexpr const char* kDistcity = "DISTCITY";
inline constexpr const char* kDiststate = "DISTSTATE";
inline constexpr const char* kDistzip = "DISTZIP";
inline constexpr const char* kDistphone = "DISTPHONE";
inline constexpr const char* kDefaultCalcnumdriver = "DEFAULT_CALCNUMDRIVER";
inline constexpr const char* kDefaultvtype = "DEFAULTVTYPE";
inline constexpr const char* kTranstitle = "TRANSTITLE";
inline constexpr const char* kAutofillRequests = "autofill_requests";
inline constexpr const char* kAutofill = "AUTOFILL";
inline constexpr const char* kViewOtherSchools = "VIEW_OTHER_SCHOOLS";
inline constexpr const char* kFundDd = "FUND_DD";
inline constexpr const char* kUsecustfund = "USECUSTFUND";
inline constexpr const char* kDepdtLeadtime = "DEPDT_LEADTIME";
inline constexpr const char* kDepdtLeadtimeHardwarn = "DEPDT_LEADTIME_HARDWARN";
inline constexpr const char* kTotalTripsLimit = "TOTAL_TRIPS_LIMIT";
inline constexpr const char* kTotalTripsLimitMessage = "TOTAL_TRIPS_LIMIT_MESSAGE";
inline constexpr const char* kTotalTripsHardwarn = "TOTAL_TRIPS_HARDWARN";
inline constexpr const char* kTripreqComment = "TRIPREQ_COMMENT";
}  // namespace district

// One row: which request fields are required, each text "True" or not.
namespace tripreq_required {
inline constexpr const char* kTable = "TRIPREQ_REQUIRED";
inline constexpr const char* kRequestDateRequired = "REQUEST_DATE_REQUIRED";
inline constexpr const char* kFundRequired = "FUND_REQUIRED";
inline constexpr const char* kCustomerRequired = "CUSTOMER_REQUIRED";
inline constexpr const char* kContactReq = "CONTACT_REQ";
inline constexpr const char* kDestinationReq = "DESTINATION_REQ";
inline constexpr const char* kDepdateReq = "DEPDATE_REQ";
inline constexpr const char* kDeptimeReq = "DEPTIME_REQ";
inline constexpr const char* kRetdateReq = "RETDATE_REQ";
inline constexpr const char* kRettimeReq = "RETTIME_REQ";
inline constexpr const char* kArrivetimeReq = "ARRIVETIME_REQ";
inline constexpr const char* kLeavetimeReq = "LEAVETIME_REQ";
inline constexpr const char* kEstmileReq = "ESTMILE_REQ";
inline constexpr const char* kEsttimeReq = "ESTTIME_REQ";
inline constexpr const char* kNumstudentsReq = "NUMSTUDENTS_REQ";
inline constexpr const char* kNumadultsReq = "NUMADULTS_REQ";
inline constexpr const char* kNumwheelReq = "NUMWHEEL_REQ";
inline constexpr const char* kPurposeReq = "PURPOSE_REQ";
inline constexpr const char* kDestspecReq = "DESTSPEC_REQ";
inline constexpr const char* kCustspecReq = "CUSTSPEC_REQ";
inline constexpr const char* kTripcomReq = "TRIPCOM_REQ";
inline constexpr const char* kPoReq = "PO_REQ";
inline constexpr const char* kTripcatReq = "TRIPCAT_REQ";
inline constexpr const char* kInttripnumReq = "INTTRIPNUM_REQ";
inline constexpr const char* kGradeReq = "GRADE_REQ";
inline constexpr const char* kInvoiceCommentReq = "INVOICE_COMMENT_REQ";
}  // namespace tripreq_required

// One row: the notification switches, text "True" when on.
namespace email_options {
inline constexpr const char* kTable = "EMAIL_OPTIONS";
inline constexpr const char* kReqTrekkoChange = "REQ_TREKKO_CHANGE";
inline constexpr const char* kAdmTrekkoChange = "ADM_TREKKO_CHANGE";
inline constexpr const char* kAppTrekkoChange = "APP_TREKKO_CHANGE";
}  // namespace email_options

// Schools and other billed customers.
namespace customer {
inline constexpr const char* kTable = "CUSTOMER";
inline constexpr const char* kCustomer = "CUSTOMER";
inline constexpr const char* kCustname = "CUSTNAME";
inline constexpr const char* kChainid = "CHAINID";
inline constexpr const char* kCustdiv = "CUSTDIV";
inline constexpr const char* kActive = "ACTIVE";
inline constexpr const char* kCustbillrate = "CUSTBILLRATE";
inline constexpr const char* kCustspec = "CUSTSPEC";
inline constexpr const char* kDefaultcap = "DEFAULTCAP";
inline constexpr const char* kCustDefaultFormat = "cust_default_format";
inline constexpr const char* kRequestorEmail = "REQUESTOR_EMAIL";
}  // namespace customer

// The funds a customer may use.
namespace customer_fund {
inline constexpr const char* kTable = "CUSTOMER_FUND";
inline constexpr const char* kCustomer = "CUSTOMER";
inline constexpr const char* kFund = "FUND";
}  // namespace customer_fund

// The approval chain for a customer and a trip category.
namespace customer_tripcat {
inline constexpr const char* kTable = "CUSTOMER_TRIPCAT";
inline constexpr const char* kCustomer = "CUSTOMER";
inline constexpr const char* kTripcat = "TRIPCAT";
inline constexpr const char* kChainid = "chainid";
}  // namespace customer_tripcat

namespace destination {
inline constexpr const char* kTable = "DESTINATION";
inline constexpr const char* kDestination = "DESTINATION";
inline constexpr const char* kDestdesc = "DESTDESC";
inline constexpr const char* kDestadd1 = "DESTADD1";
inline constexpr const char* kDestadd2 = "DESTADD2";
inline constexpr const char* kDestspec = "DESTSPEC";
inline constexpr const char* kMiles = "MILES";
inline constexpr const char* kActive = "ACTIVE";
}  // namespace destination

// Destination categories.
namespace destcat {
inline constexpr const char* kTable = "DESTCAT";
inline constexpr const char* kDestcat = "DESTCAT";
inline constexpr const char* kActive = "Active";
}  // namespace destcat

namespace fund {
inline constexpr const char* kTable = "FUND";
inline constexpr const char* kFund = "FUND";
inline constexpr const char* kFunddesc = "FUNDDESC";
inline constexpr const char* kActive = "ACTIVE";
}  // namespace fund

namespace grade {
inline constexpr const char* kTable = "GRADE";
inline constexpr const char* kGrade = "GRADE";
inline constexpr const char* kDescription = "DESCRIPTION";
inline constexpr const char* kActive = "Active";
}  // namespace grade

// Trip categories.
namespace tripcat {
inline constexpr const char* kTable = "TRIPCAT";
inline constexpr const char* kTripcat = "TRIPCAT";
inline constexpr const char* kDescription = "DESCRIPTION";
inline constexpr const char* kActive = "Active";
}  // namespace tripcat

// The request statuses offered in the search filter.
namespace tripreqstatus {
inline constexpr const char* kTable = "TRIPREQSTATUS";
inline constexpr const char* kStatus = "STATUS";
inline constexpr const char* kDescription = "DESCRIPTION";
inline constexpr const char* kActive = "Active";
}  // namespace tripreqstatus

namespace division {
inline constexpr const char* kTable = "Division";
inline constexpr const char* kDivision = "Division";
inline constexpr const char* kDescription = "DESCRIPTION";
inline constexpr const char* kActive = "ACTIVE";
}  // namespace division

// Vehicle types.
namespace vehtype {
inline constexpr const char* kTable = "VEHTYPE";
inline constexpr const char* kVehtype = "VEHTYPE";
inline constexpr const char* kVtypdesc = "VTYPDESC";
inline constexpr const char* kActive = "Active";
}  // namespace vehtype

// Schedules.
namespace schedmast {
inline constexpr const char* kTable = "SCHEDMAST";
inline constexpr const char* kSchedule = "SCHEDULE";
inline constexpr const char* kScheddesc = "SCHEDDESC";
}  // namespace schedmast

namespace tripticket_template {
inline constexpr const char* kTable = "TRIPTICKET_TEMPLATE";
inline constexpr const char* kTicketId = "TICKET_ID";
inline constexpr const char* kTemplateDesc = "TEMPLATE_DESC";
inline constexpr const char* kActive = "Active";
}  // namespace tripticket_template

// Bill rates: five amounts with their labels.
namespace billrate {
inline constexpr const char* kTable = "BILLRATE";
inline constexpr const char* kBillrate = "BILLRATE";
inline constexpr const char* kAmount1 = "AMOUNT1";
inline constexpr const char* kAmount2 = "AMOUNT2";
inline constexpr const char* kAmount3 = "AMOUNT3";
inline constexpr const char* kAmount4 = "AMOUNT4";
inline constexpr const char* kAmount5 = "AMOUNT5";
inline constexpr const char* kAmounttxt1 = "AMOUNTTXT1";
inline constexpr const char* kAmounttxt2 = "AMOUNTTXT2";
inline constexpr const char* kAmounttxt3 = "AMOUNTTXT3";
inline constexpr const char* kAmounttxt4 = "AMOUNTTXT4";
inline constexpr const char* kAmounttxt5 = "AMOUNTTXT5";
// The numbered columns in order, for code that walks amounts 1 to 5.
inline constexpr const char* kAmounts[] = {kAmount1, kAmount2, kAmount3, kAmount4, kAmount5};
inline constexpr const char* kAmounttxts[] = {kAmounttxt1, kAmounttxt2, kAmounttxt3, kAmounttxt4,
                                              kAmounttxt5};
}  // namespace billrate

// Scheduled trips. The columns after AMOUNT5 are written only when a trip is created from a
// request.
namespace trips {
inline constexpr const char* kTable = "TRIPS";
inline constexpr const char* kTripnum = "TRIPNUM";
inline constexpr const char* kTripreqnum = "TRIPREQNUM";
inline constexpr const char* kInttripnum = "INTTRIPNUM";
inline constexpr const char* kCustomer = "CUSTOMER";
inline constexpr const char* kBillcust = "BILLCUST";
inline constexpr const char* kDestination = "DESTINATION";
inline constexpr const char* kDepdate = "DEPDATE";
inline constexpr const char* kDeptime = "DEPTIME";
inline constexpr const char* kRetdate = "RETDATE";
inline constexpr const char* kRettime = "RETTIME";
inline constexpr const char* kArrivetime = "ARRIVETIME";
inline constexpr const char* kLeavetime = "LEAVETIME";
inline constexpr const char* kEsttime = "ESTTIME";
inline constexpr const char* kEstmile = "ESTMILE";
inline constexpr const char* kNumstudents = "NUMSTUDENTS";
inline constexpr const char* kNumadults = "NUMADULTS";
inline constexpr const char* kContact = "CONTACT";
inline constexpr const char* kPurpose = "PURPOSE";
inline constexpr const char* kPo = "PO";
inline constexpr const char* kFund = "FUND";
inline constexpr const char* kGrade = "GRADE";
inline constexpr const char* kTripcat = "TRIPCAT";
inline constexpr const char* kSchedule = "SCHEDULE";
inline constexpr const char* kShuttle = "SHUTTLE";
inline constexpr const char* kAssigned = "ASSIGNED";
inline constexpr const char* kBilled = "BILLED";
inline constexpr const char* kCanceled = "CANCELED";
inline constexpr const char* kBilldate = "BILLDATE";
inline constexpr const char* kCandate = "CANDATE";
inline constexpr const char* kAmount1 = "AMOUNT1";
inline constexpr const char* kAmount2 = "AMOUNT2";
inline constexpr const char* kAmount3 = "AMOUNT3";
inline constexpr const char* kAmount4 = "AMOUNT4";
inline constexpr const char* kAmount5 = "AMOUNT5";
inline constexpr const char* kAddlType = "AddlType";
inline constexpr const char* kAutoAssign = "AutoAssign";
inline constexpr const char* kBill = "Bill";
inline constexpr const char* kBillRate = "BillRate";
inline constexpr const char* kCalcnumdrivers = "CALCNUMDRIVERS";
inline constexpr const char* kCapacity = "Capacity";
inline constexpr const char* kCustSpec = "CustSpec";
inline constexpr const char* kDestSpec = "DestSpec";
inline constexpr const char* kDropRet = "DropRet";
inline constexpr const char* kInvoiceComment1 = "INVOICE_COMMENT#1";
inline constexpr const char* kInvoiceFormat = "INVOICE_FORMAT";
inline constexpr const char* kMultidest = "MULTIDEST";
inline constexpr const char* kNumchar = "NUMCHAR";
inline constexpr const char* kNumtype = "NUMTYPE";
inline constexpr const char* kNumAddl = "NumAddl";
inline constexpr const char* kNumHand = "NumHand";
inline constexpr const char* kNumVeh = "NumVeh";
inline constexpr const char* kOutOfTown = "OutOfTown";
inline constexpr const char* kReqDate = "ReqDate";
inline constexpr const char* kSplit = "SPLIT";
inline constexpr const char* kSchedule2 = "Schedule2";
inline constexpr const char* kSchedule3 = "Schedule3";
inline constexpr const char* kSchedule4 = "Schedule4";
inline constexpr const char* kSchedule5 = "Schedule5";
inline constexpr const char* kTicketFormat = "TICKET_FORMAT";
inline constexpr const char* kTripCom = "TripCom";
inline constexpr const char* kType = "Type";
inline constexpr const char* kAmounttxt1 = "AMOUNTTXT1";
inline constexpr const char* kAmounttxt2 = "AMOUNTTXT2";
inline constexpr const char* kAmounttxt3 = "AMOUNTTXT3";
inline constexpr const char* kAmounttxt4 = "AMOUNTTXT4";
inline constexpr const char* kAmounttxt5 = "AMOUNTTXT5";
inline constexpr const char* kAmounts[] = {kAmount1, kAmount2, kAmount3, kAmount4, kAmount5};
inline constexpr const char* kAmounttxts[] = {kAmounttxt1, kAmounttxt2, kAmounttxt3, kAmounttxt4,
                                              kAmounttxt5};
}  // namespace trips

// Additional fund lines of a trip.
namespace tripsplit {
inline constexpr const char* kTable = "TRIPSPLIT";
inline constexpr const char* kTripnum = "TRIPNUM";
inline constexpr const char* kFund = "FUND";
}  // namespace tripsplit

// Driver time and distance per trip.
namespace tripemployees {
inline constexpr const char* kTable = "TRIPEMPLOYEES";
inline constexpr const char* kTripnum = "TRIPNUM";
inline constexpr const char* kHours = "HOURS";
inline constexpr const char* kMiles = "MILES";
}  // namespace tripemployees

// Billing transactions of a trip: TRANCODE "BIL" billed, "PAY" payment.
namespace ardetail {
inline constexpr const char* kTable = "ARDETAIL";
inline constexpr const char* kTripnum = "TRIPNUM";
inline constexpr const char* kTranamt = "TRANAMT";
inline constexpr const char* kTrancode = "TRANCODE";
}  // namespace ardetail

// Calendar notes: severity 2 warns, 3 closes the day.
namespace big_calcalnotes {
inline constexpr const char* kTable = "Big_CalCalNotes";
inline constexpr const char* kNoteDate = "NoteDate";
inline constexpr const char* kNoteText = "NoteText";
inline constexpr const char* kNoteLongText = "NoteLongText";
inline constexpr const char* kNoteSeverity = "NoteSeverity";
inline constexpr const char* kNoteSchoolClosed = "Note_SchoolClosed";
}  // namespace big_calcalnotes

// ---------------------------------------------------------------------------------------------
// zqkrsc1.mdb
// ---------------------------------------------------------------------------------------------

// Web users. Rights are text, on when "True".
namespace krscu {
inline constexpr const char* kTable = "KRSCU";
inline constexpr const char* kKrsc1 = "KRSC1";        // user id
inline constexpr const char* kKrsc2 = "KRSC2";        // password
inline constexpr const char* kCustomer = "CUSTOMER";  // empty or null: all customers
inline constexpr const char* kRole = "ROLE";
inline constexpr const char* kEmail = "EMAIL";
inline constexpr const char* kSctkfovd = "SCTKFOVD";  // may override the fund rule
inline constexpr const char* kSctkddft = "SCTKDDFT";  // may override the departure lead time
}  // namespace krscu

// Approval chains: the approving role and the resulting status of each of eight levels.
namespace krscc {
inline constexpr const char* kTable = "KRSCC";
inline constexpr const char* kChainid = "CHAINID";
inline constexpr const char* kActive = "Active";
inline constexpr const char* kLevel1Approver = "LEVEL1APPROVER";
inline constexpr const char* kLevel2Approver = "Level2Approver";
inline constexpr const char* kLevel3Approver = "Level3Approver";
inline constexpr const char* kLevel4Approver = "Level4Approver";
inline constexpr const char* kLevel5Approver = "Level5Approver";
inline constexpr const char* kLevel6Approver = "Level6Approver";
inline constexpr const char* kLevel7Approver = "Level7Approver";
inline constexpr const char* kLevel8Approver = "Level8Approver";
inline constexpr const char* kLevel1Status = "Level1Status";
inline constexpr const char* kLevel2Status = "Level2Status";
inline constexpr const char* kLevel3Status = "Level3Status";
inline constexpr const char* kLevel4Status = "Level4Status";
inline constexpr const char* kLevel5Status = "Level5Status";
inline constexpr const char* kLevel6Status = "Level6Status";
inline constexpr const char* kLevel7Status = "Level7Status";
inline constexpr const char* kLevel8Status = "LEVEL8STATUS";
// Level k (1 to 8) is index k - 1.
inline constexpr const char* kLevelApprovers[] = {kLevel1Approver, kLevel2Approver, kLevel3Approver,
                                                  kLevel4Approver, kLevel5Approver, kLevel6Approver,
                                                  kLevel7Approver, kLevel8Approver};
inline constexpr const char* kLevelStatuses[] = {kLevel1Status, kLevel2Status, kLevel3Status,
                                                 kLevel4Status, kLevel5Status, kLevel6Status,
                                                 kLevel7Status, kLevel8Status};
}  // namespace krscc

// ---------------------------------------------------------------------------------------------
// Tripschl.mdb
// ---------------------------------------------------------------------------------------------

// Trip requests, one row per request.
namespace tripsreq {
inline constexpr const char* kTable = "TRIPSREQ";
// identity and audit
inline constexpr const char* kTripnum = "TRIPNUM";
inline constexpr const char* kEnteredby = "ENTEREDBY";
inline constexpr const char* kEnterdate = "enterdate";
inline constexpr const char* kReqdate = "REQDATE";
inline constexpr const char* kRequestorEmail = "REQUESTOR_EMAIL";
inline constexpr const char* kFieldtripNum = "FIELDTRIP_NUM";
// approval
inline constexpr const char* kStatus = "Status";
inline constexpr const char* kStatusDate = "STATUS_DATE";
inline constexpr const char* kStatusComment = "STATUS_COMMENT";
inline constexpr const char* kChainid = "chainid";
// customer and billing
inline constexpr const char* kCustomer = "CUSTOMER";
inline constexpr const char* kBillcust = "BILLCUST";
inline constexpr const char* kBillrate = "BILLRATE";
inline constexpr const char* kAmount1 = "AMOUNT1";
inline constexpr const char* kAmount2 = "AMOUNT2";
inline constexpr const char* kAmount3 = "AMOUNT3";
inline constexpr const char* kAmount4 = "AMOUNT4";
inline constexpr const char* kAmount5 = "AMOUNT5";
inline constexpr const char* kAmounttxt1 = "AMOUNTTXT1";
inline constexpr const char* kAmounttxt2 = "AMOUNTTXT2";
inline constexpr const char* kAmounttxt3 = "AMOUNTTXT3";
inline constexpr const char* kAmounttxt4 = "AMOUNTTXT4";
inline constexpr const char* kAmounttxt5 = "AMOUNTTXT5";
inline constexpr const char* kCapacity = "CAPACITY";
inline constexpr const char* kInvoiceFormat = "INVOICE_FORMAT";
inline constexpr const char* kCustspec = "CUSTSPEC";
inline constexpr const char* kContact = "CONTACT";
inline constexpr const char* kFund = "FUND";
inline constexpr const char* kPo = "PO";
inline constexpr const char* kGrade = "GRADE";
inline constexpr const char* kTripcat = "TRIPCAT";
inline constexpr const char* kInttripnum = "INTTRIPNUM";
inline constexpr const char* kPurpose = "PURPOSE";
inline constexpr const char* kTripcom = "TRIPCOM";
// destination (DESTINATION 0: a destination entered by hand)
inline constexpr const char* kDestination = "DESTINATION";
inline constexpr const char* kDestdesc = "DESTDESC";
inline constexpr const char* kDestcat = "DESTCAT";
inline constexpr const char* kMiles = "MILES";
inline constexpr const char* kDestadd1 = "DESTADD1";
inline constexpr const char* kDestadd2 = "DESTADD2";
inline constexpr const char* kDestcity = "DESTCITY";
inline constexpr const char* kDeststate = "DESTSTATE";
inline constexpr const char* kDestzip = "DESTZIP";
inline constexpr const char* kDestspec = "DESTSPEC";
// times
inline constexpr const char* kDepdate = "depdate";
inline constexpr const char* kRetdate = "retdate";
inline constexpr const char* kDeptime = "deptime";
inline constexpr const char* kRettime = "rettime";
inline constexpr const char* kArrivetime = "arrivetime";
inline constexpr const char* kLeavetime = "leavetime";
inline constexpr const char* kEstTime = "estTime";
inline constexpr const char* kEstmile = "ESTMILE";
// people
inline constexpr const char* kNumstudents = "NUMSTUDENTS";
inline constexpr const char* kNumadults = "NUMADULTS";
inline constexpr const char* kNumhand = "NUMHAND";
// vehicle assignment
inline constexpr const char* kType = "Type";
inline constexpr const char* kCalcnumdrivers = "CALCNUMDRIVERS";
inline constexpr const char* kNumtype = "NUMTYPE";
inline constexpr const char* kAddltype = "ADDLTYPE";
inline constexpr const char* kNumaddl = "NUMADDL";
inline constexpr const char* kAutoassign = "AUTOASSIGN";
inline constexpr const char* kSchedule = "SCHEDULE";
inline constexpr const char* kSchedule2 = "Schedule2";
inline constexpr const char* kSchedule3 = "Schedule3";
inline constexpr const char* kSchedule4 = "Schedule4";
inline constexpr const char* kSchedule5 = "Schedule5";
inline constexpr const char* kTicketFormat = "TICKET_FORMAT";
// read only when a trip is created from the request
inline constexpr const char* kOutOfTown = "OutOfTown";
inline constexpr const char* kDropRet = "DropRet";
inline constexpr const char* kSplit = "SPLIT";
inline constexpr const char* kInvoiceComment1 = "INVOICE_COMMENT#1";
inline constexpr const char* kMultidest = "MULTIDEST";
inline constexpr const char* kShuttle = "SHUTTLE";
inline constexpr const char* kNumchar = "NUMCHAR";
inline constexpr const char* kAmounts[] = {kAmount1, kAmount2, kAmount3, kAmount4, kAmount5};
inline constexpr const char* kAmounttxts[] = {kAmounttxt1, kAmounttxt2, kAmounttxt3, kAmounttxt4,
                                              kAmounttxt5};
}  // namespace tripsreq

// Added by this system, not read by other programs: one line for every change of a request
// (save, approval, denial, copy, delete, trip creation), written in the change's transaction.
namespace tripreq_history {
inline constexpr const char* kTable = "TRIPREQ_HISTORY";
inline constexpr const char* kId = "ID";
inline constexpr const char* kTripnum = "TRIPNUM";
inline constexpr const char* kAction = "ACTION";
inline constexpr const char* kUserid = "USERID";
inline constexpr const char* kRole = "ROLE";
inline constexpr const char* kChangedAt = "CHANGED_AT";
inline constexpr const char* kStatusBefore = "STATUS_BEFORE";
inline constexpr const char* kStatusAfter = "STATUS_AFTER";
inline constexpr const char* kComment = "COMMENT";
}  // namespace tripreq_history

// ---------------------------------------------------------------------------------------------
// The schema description and its DDL
// ---------------------------------------------------------------------------------------------

// How a column is stored: text `TEXT COLLATE NOCASE`, whole numbers `INTEGER`, single-precision
// and currency amounts `REAL`, booleans `INTEGER` 0 or 1 (default 0), dates and times
// `DATETIME` text 'YYYY-MM-DD HH:MM:SS'.
enum class ColumnType { Text, Integer, Real, Boolean, DateTime };

enum class Key {
  None,
  Primary,        // the table's key
  AutoIncrement,  // an INTEGER key the database assigns and never reuses
};

struct ColumnSchema {
  const char* name;
  ColumnType type;
  Key key = Key::None;
};

struct IndexSchema {
  const char* name;
  std::span<const char* const> columns;
};

struct TableSchema {
  const char* file;  // "trip.mdb", "zqkrsc1.mdb" or "Tripschl.mdb"
  const char* name;
  std::span<const ColumnSchema> columns;
  std::span<const IndexSchema> indexes;
  // A table this system added to the files: an installation made before it gets the table
  // when the server first opens the file. Old tables are never altered.
  bool addedLater = false;
};

// Every table of the three files, in file order.
std::span<const TableSchema> schemaTables();

// The CREATE TABLE and CREATE INDEX statements (IF NOT EXISTS) of one database file, named
// exactly "trip.mdb", "zqkrsc1.mdb" or "Tripschl.mdb". Throws std::invalid_argument for any
// other name.
std::string schemaDdl(std::string_view file);

// Creates the missing tables and indexes of one file in one transaction (so not inside another
// one); existing tables are left as they are. Throws std::runtime_error with SQLite's message
// when a statement fails, and then creates nothing.
void createSchema(sqlite3* db, std::string_view file);

// Adds the indexes of one file that an older installation lacks, each on its own; an index
// that cannot be made (a missing table, a read-only or busy file) is left out silently.
void createMissingIndexes(sqlite3* db, std::string_view file);

// Creates the added tables (and their indexes) that a file made by an older version lacks.
// Only a file that holds the file's original tables gets them; a table that cannot be made
// (a read-only or busy file) is left out silently, and writes to it then fail.
void createAddedTables(sqlite3* db, std::string_view file);

// Tells the database layer which columns hold booleans. Safe to call any number of times and
// from several threads; the work is done once.
void registerSchemaColumnTypes();

}  // namespace ravadid::schema

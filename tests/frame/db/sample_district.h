// A small, coherent district in a throw-away installation: the three database files with their
// full schema and a handful of rows in every table the pages read.
//
// Values that are easy to get wrong when put into statements are on purpose: a customer whose
// code and name hold a quote ("O'BRIEN", "O'Brien Elementary"), a school named "St. Mary's
// Academy", a user id "k.o'brien", a level status "Principal's OK", a fund "Parents' Club",
// destinations with a comma ("Aquarium of the Bay, Pier 39"), a quote, double quotes and a
// letter outside ASCII, and texts holding & -- [ ] ; and #.
//
// Dates: trips run from 5 March to 1 April 2026; 5 March carries a warning note on the calendar
// and 20 March is closed.
#pragma once

#include <filesystem>
#include <string>

#include "frame/connections.h"
#include "frame/db/database.h"
#include "frame/schema.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid::testing {

// trip.mdb: site settings, lists, customers, destinations, funds, trips and their billing.
inline const char* kSampleTripRows = R"sql(
BEGIN;
INSERT INTO DISTRICT (DISTNAME, DISTADDR1, DISTCITY, DISTSTATE, DISTZIP, DISTPHONE,
  DEFAULT_CALCNUMDRIVER, DEFAULTVTYPE, TRANSTITLE, autofill_requests, AUTOFILL,
  VIEW_OTHER_SCHOOLS, FUND_DD, USECUSTFUND, DEPDT_LEADTIME, DEPDT_LEADTIME_HARDWARN,
  TOTAL_TRIPS_LIMIT, TOTAL_TRIPS_LIMIT_MESSAGE, TOTAL_TRIPS_HARDWARN, TRIPREQ_COMMENT) VALUES
  ('Larkdale Unified School District', '400 Main Street', 'Larkdale', 'OR', '97000',
   '(541) 555-0100', 'True', 'BUS', 'Transportation', 'True', 'True', 'False', 'True', 'True', 5,
   'True', 12, 'Twelve trips a day at most.', 'False',
   'Submit requests two weeks ahead; the principal''s approval comes first.');

INSERT INTO TRIPREQ_REQUIRED (REQUEST_DATE_REQUIRED, FUND_REQUIRED, CUSTOMER_REQUIRED,
  CONTACT_REQ, DESTINATION_REQ, DEPDATE_REQ, DEPTIME_REQ, RETDATE_REQ, RETTIME_REQ,
  ARRIVETIME_REQ, LEAVETIME_REQ, ESTMILE_REQ, ESTTIME_REQ, NUMSTUDENTS_REQ, NUMADULTS_REQ,
  NUMWHEEL_REQ, PURPOSE_REQ, DESTSPEC_REQ, CUSTSPEC_REQ, TRIPCOM_REQ, PO_REQ, TRIPCAT_REQ,
  INTTRIPNUM_REQ, GRADE_REQ, INVOICE_COMMENT_REQ) VALUES
  ('True', 'True', 'True', 'True', 'True', 'True', 'True', 'False', 'False', 'False', 'False',
   'False', 'False', 'True', 'True', 'False', 'True', 'False', 'False', 'False', 'False', 'True',
   'False', NULL, 'False');

INSERT INTO EMAIL_OPTIONS (REQ_TREKKO_CHANGE, ADM_TREKKO_CHANGE, APP_TREKKO_CHANGE) VALUES
  ('True', 'False', 'True');

INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, CHAINID, CUSTDIV, ACTIVE, CUSTBILLRATE, CUSTSPEC,
  DEFAULTCAP, cust_default_format, REQUESTOR_EMAIL) VALUES
  ('LHS', 'Larkdale High School', 'HS', 'N', 1, 2, 'Buses load at the north gate', 'Large',
   'HS_INVOICE', 'office@lhs.example.org'),
  ('SMA', 'St. Mary''s Academy', 'ELEM', 'S', 1, 1, NULL, NULL, NULL,
   'office@stmarys.example.org'),
  ('O''BRIEN', 'O''Brien Elementary', 'ELEM', 'S', 1, 1, 'Kindergarten needs car seats',
   'Small', NULL, NULL),
  ('EMS', 'East Middle School', NULL, 'N', 1, NULL, NULL, NULL, NULL, NULL),
  ('OLD', 'Oldtown Annex', '', 'N', 0, 1, NULL, NULL, NULL, NULL);

INSERT INTO CUSTOMER_FUND (CUSTOMER, FUND) VALUES
  ('LHS', '100'), ('LHS', '210'), ('LHS', '400'), ('SMA', '100'), ('SMA', '305'),
  ('SMA', '620'), ('O''BRIEN', '100'), ('O''BRIEN', '510');

INSERT INTO CUSTOMER_TRIPCAT (CUSTOMER, TRIPCAT, chainid) VALUES
  ('LHS', 'ATH', 'ATHLETIC'), ('SMA', 'OVN', 'OVERNIGHT'), ('O''BRIEN', 'ACAD', 'ELEM');

INSERT INTO DESTINATION (DESTINATION, DESTDESC, DESTADD1, DESTADD2, DESTSPEC, MILES, ACTIVE)
  VALUES
  (10, 'City Museum of Science', '1200 River Rd', NULL, 'Drop off at the east entrance', 12.5, 1),
  (11, 'Larkdale Zoo', '55 Park Ave', 'Gate B', NULL, 4, 1),
  (12, 'Aquarium of the Bay, Pier 39', 'Pier 39', 'San Francisco, CA', 'Park on Beach St', 210,
   1),
  (13, 'Lincoln''s Boyhood Home', '3 Cabin Ln', NULL, NULL, 88, 0),
  (14, 'The "Big Top" Circus', '1 Fairground Rd', NULL, NULL, 15, 1),
  (15, 'Museo de Arte Español', '900 Calle Ocho', NULL, NULL, 40, 1);

INSERT INTO DESTCAT (DESTCAT, Active) VALUES ('MUSEUM', 1), ('OUTDOOR', 1), ('RETIRED', 0);

INSERT INTO FUND (FUND, FUNDDESC, ACTIVE) VALUES
  ('100', 'General Fund', 1), ('210', 'Athletics', 1), ('305', 'Parents'' Club', 1),
  ('400', 'Closed Grant', 0), ('510', NULL, 1), ('620', 'Arts & Music', 1);

INSERT INTO GRADE (GRADE, DESCRIPTION, Active) VALUES
  ('K', 'Kindergarten', 1), ('09', 'Ninth grade', 1), ('10', 'Tenth grade', 1),
  ('12', 'Senior', 0);

INSERT INTO TRIPCAT (TRIPCAT, DESCRIPTION, Active) VALUES
  ('ACAD', 'Academic', 1), ('ATH', 'Athletics', 1), ('OVN', 'Overnight', 1), ('BAND', 'Band', 0);

INSERT INTO TRIPREQSTATUS (STATUS, DESCRIPTION, Active) VALUES
  ('UNAPPROVED', 'Awaiting approval', 1), ('Principal''s OK', 'Approved by the principal', 1),
  ('ACCEPTED', 'Accepted by transportation', 1), ('Denied', 'Denied', 1),
  ('Pending', 'Pending', 1), ('OLD', 'Retired status', 0);

INSERT INTO Division (Division, DESCRIPTION, ACTIVE) VALUES
  ('S', 'South', 1), ('N', 'North', 1), ('X', 'Closed', 0);

INSERT INTO VEHTYPE (VEHTYPE, VTYPDESC, Active) VALUES ('BUS', '72 passenger bus', 1);
INSERT INTO SCHEDMAST (SCHEDULE, SCHEDDESC) VALUES ('A1', 'North route');
INSERT INTO TRIPTICKET_TEMPLATE (TICKET_ID, TEMPLATE_DESC, Active) VALUES ('1', 'Standard', 1);

INSERT INTO BILLRATE (BILLRATE, AMOUNT1, AMOUNT2, AMOUNT3, AMOUNT4, AMOUNT5, AMOUNTTXT1,
  AMOUNTTXT2, AMOUNTTXT3, AMOUNTTXT4, AMOUNTTXT5) VALUES
  (1, 2.5, 45, 0, 0, 0, 'Per mile', 'Per hour', NULL, NULL, NULL),
  (2, 3, 50, 100, NULL, NULL, 'Per mile', 'Per hour', 'Flat fee', NULL, NULL);

INSERT INTO TRIPS (TRIPNUM, TRIPREQNUM, INTTRIPNUM, CUSTOMER, BILLCUST, DESTINATION, DEPDATE,
  DEPTIME, RETDATE, RETTIME, ESTTIME, ESTMILE, NUMSTUDENTS, NUMADULTS, CONTACT, PURPOSE, PO,
  FUND, GRADE, TRIPCAT, SCHEDULE, ASSIGNED, BILLED, CANCELED, BILLDATE, CANDATE, AMOUNT1,
  AMOUNT2, AMOUNT3, AMOUNT4, AMOUNT5) VALUES
  (1, 1, 'LHS-01', 'LHS', 'LHS', 10, '2026-03-05 00:00:00', '1899-12-30 08:00:00',
   '2026-03-05 00:00:00', '1899-12-30 14:30:00', 6.5, 25, 40, 4, 'Ann Lee', 'Science fair',
   'PO-77', '100', '09', 'ACAD', 'A1', 1, 1, 0, '2026-03-10 14:30:00', NULL, 100, 0, 0, 0, 0),
  (2, NULL, 'LHS-02', 'LHS', 'SMA', 12, '2026-03-06 00:00:00', '1899-12-30 07:15:00',
   '2026-03-06 00:00:00', '1899-12-30 18:00:00', 9, 420, 20, 2, 'Coach Reyes', 'Away game',
   'PO 12--14', '210', '10', 'ATH', NULL, 0, 0, 1, NULL, '2026-03-04 09:00:00', 0, 0, 0, 0, 0),
  (3, 4, NULL, 'SMA', NULL, 10, '2026-03-09 00:00:00', '1899-12-30 09:00:00',
   '2026-03-09 00:00:00', NULL, 4, 25, 15, 3, 'Sister Ruth', 'Museum visit', 'PO [9]', '305',
   NULL, '', NULL, 1, 0, 0, NULL, NULL, 0, 0, 0, 0, 12),
  (4, NULL, NULL, 'O''BRIEN', 'LHS', 11, '2026-03-12 00:00:00', NULL, '2026-03-12 00:00:00',
   NULL, 3, 8, 25, 5, NULL, 'Zoo day', NULL, '100', 'K', 'ACAD', NULL, 0, 1, 0,
   '2026-03-13 00:00:00', NULL, 45, 0, 0, 0, 0),
  (5, NULL, 'EMS#7', 'EMS', NULL, 99, '2026-04-01 00:00:00', '1899-12-30 10:00:00', NULL,
   NULL, NULL, NULL, 30, 3, NULL, 'Camp', NULL, '100', '10', 'OVN', NULL, 1, 0, 0, NULL, NULL,
   NULL, NULL, NULL, NULL, NULL);

INSERT INTO TRIPSPLIT (TRIPNUM, FUND) VALUES (1, '210'), (1, '305'), (3, '100'), (4, '210');
INSERT INTO TRIPEMPLOYEES (TRIPNUM, HOURS, MILES) VALUES
  (1, 3.5, 42), (1, 1.5, 10), (2, 2, 25), (3, 4, 60), (4, 2.5, 18);
INSERT INTO ARDETAIL (TRIPNUM, TRANAMT, TRANCODE) VALUES
  (1, 150, 'BIL'), (1, -100, 'PAY'), (2, 80, 'BIL'), (2, 10, 'ADJ'), (3, 60, 'BIL'),
  (4, 45, 'BIL'), (4, -45, 'PAY');

INSERT INTO Big_CalCalNotes (NoteDate, NoteText, NoteLongText, NoteSeverity, Note_SchoolClosed)
  VALUES
  ('2026-03-05 00:00:00', 'Teacher in-service', 'Buses run a reduced schedule', 2, 0),
  ('2026-03-20 00:00:00', 'Spring break', 'District offices closed', 3, 1);
COMMIT;
)sql";

// zqkrsc1.mdb: web users and approval chains.
inline const char* kSampleUserRows = R"sql(
BEGIN;
INSERT INTO KRSCU (KRSC1, KRSC2, CUSTOMER, ROLE, EMAIL, SCTKFOVD, SCTKDDFT) VALUES
  ('jsmith ', 'Secret1', 'LHS', 'TEACHER', 'jsmith@larkdale.example.org', 'False', 'False'),
  ('k.o''brien', 'shamrock', 'O''BRIEN', 'PRINCIPAL', 'kobrien@larkdale.example.org', 'False',
   'True'),
  ('mgarcia', 'pw', 'LHS', 'PRINCIPAL', 'mgarcia@larkdale.example.org', 'False', 'False'),
  ('dwu', 'pw', '', 'TRANSPORT', 'dwu@larkdale.example.org', 'True', 'True'),
  ('tnull', 'pw', NULL, 'TRANSPORT', '  ', 'False', 'False'),
  ('rpatel', 'pw', NULL, 'PRINCIPAL', 'rpatel@larkdale.example.org', 'True', 'False'),
  ('coach', 'pw', 'LHS', 'COACH', 'coach@lhs.example.org', 'False', 'False'),
  ('josé.nuñez', 'pw', 'SMA', 'TEACHER', 'jnunez@stmarys.example.org', 'False', 'False');

INSERT INTO KRSCC (CHAINID, Active, LEVEL1APPROVER, Level2Approver, Level3Approver,
  Level1Status, Level2Status, Level3Status) VALUES
  ('HS', 1, 'PRINCIPAL', 'TRANSPORT', NULL, 'Principal''s OK', 'Transport OK', NULL),
  ('ELEM', 1, 'PRINCIPAL', 'SUPER', 'TRANSPORT', 'Principal''s OK', 'Superintendent OK',
   'Transport OK'),
  ('ATHLETIC', 1, 'COACH', 'PRINCIPAL', 'TRANSPORT', 'Coach OK', 'Principal''s OK',
   'Transport OK'),
  ('OVERNIGHT', 0, 'PRINCIPAL', NULL, NULL, 'Overnight OK', NULL, NULL);
COMMIT;
)sql";

// Tripschl.mdb: seven requests in several statuses; request 2 goes to a destination typed by
// hand (code 0) whose name holds a comma.
inline const char* kSampleRequestRows = R"sql(
BEGIN;
INSERT INTO TRIPSREQ (TRIPNUM, ENTEREDBY, enterdate, REQDATE, REQUESTOR_EMAIL, FIELDTRIP_NUM,
  Status, STATUS_DATE, STATUS_COMMENT, chainid, CUSTOMER, BILLCUST, BILLRATE, AMOUNT1, AMOUNT2,
  AMOUNTTXT1, AMOUNTTXT2, CAPACITY, INVOICE_FORMAT, CUSTSPEC, CONTACT, FUND, PO, GRADE, TRIPCAT,
  INTTRIPNUM, PURPOSE, TRIPCOM, DESTINATION, DESTDESC, DESTCAT, MILES, DESTADD1, DESTADD2,
  DESTCITY, DESTSTATE, DESTZIP, DESTSPEC, depdate, retdate, deptime, rettime, arrivetime,
  leavetime, estTime, ESTMILE, NUMSTUDENTS, NUMADULTS, NUMHAND, Type, CALCNUMDRIVERS, SCHEDULE,
  "INVOICE_COMMENT#1") VALUES
  (1, 'jsmith', '2026-02-10 09:15:00', '2026-02-10 09:15:00', 'office@lhs.example.org', 1,
   'Principal''s OK', '2026-02-12 10:00:00', 'Approved; bring the permission slips.', 'HS',
   'LHS', 'LHS', 2, 3, 50, 'Per mile', 'Per hour', 'Large', 'HS_INVOICE',
   'Buses load at the north gate', 'Ann Lee', '100', 'PO-77', '09', 'ACAD', 'LHS-01',
   'Science fair', 'Two buses', 10, NULL, NULL, 12.5, NULL, NULL, NULL, NULL, NULL,
   'Drop off at the east entrance', '2026-03-05 00:00:00', '2026-03-05 00:00:00',
   '1899-12-30 08:00:00', '1899-12-30 14:30:00', '1899-12-30 09:00:01', '1899-12-30 14:00:01',
   6.5, 25, 40, 4, 1, 'BUS', 1, 'A1', 'Bill the science department'),
  (2, 'jsmith', '2026-02-11 14:00:00', '2026-02-11 14:00:00', 'office@lhs.example.org', NULL,
   'UNAPPROVED', '2026-02-11 14:00:00', NULL, 'HS', 'LHS', 'LHS', 2, NULL, NULL, NULL, NULL,
   'Large', NULL, NULL, 'Ann Lee', '210', NULL, '10', 'ACAD', 'LHS-02', 'Harbor tour', NULL, 0,
   'Harbor Cruise, Dock 5', 'OUTDOOR', 30, '5 Wharf Rd', NULL, 'Larkdale', 'OR', '97001',
   'Meet at the ticket booth', '2026-03-06 00:00:00', '2026-03-06 00:00:00',
   '1899-12-30 07:45:00', NULL, NULL, NULL, 3, 30, 20, 2, 0, 'BUS', 1, NULL, NULL),
  (3, 'k.o''brien', '2026-02-11 16:30:00', '2026-02-11 16:30:00', NULL, NULL, 'UNAPPROVED',
   '2026-02-11 16:30:00', NULL, 'ELEM', 'O''BRIEN', 'O''BRIEN', 1, NULL, NULL, NULL, NULL,
   'Small', NULL, 'Kindergarten needs car seats', 'Mrs. Keane', '100', NULL, 'K', 'ACAD',
   'OBR-3', 'Zoo day', NULL, 11, NULL, NULL, 4, NULL, NULL, NULL, NULL, NULL, NULL,
   '2026-03-12 00:00:00', '2026-03-12 00:00:00', '1899-12-30 09:30:00', NULL, NULL, NULL, 3, 8,
   25, 5, 2, 'BUS', 1, NULL, 'Car seats billed separately'),
  (4, 'dwu', '2026-02-20 11:00:00', '2026-02-20 11:00:00', 'office@stmarys.example.org', 3,
   'Principal''s OK', '2026-02-21 08:00:00', NULL, 'ELEM', 'SMA', 'SMA', 1, NULL, NULL, NULL,
   NULL, NULL, NULL, NULL, 'Sister Ruth', '305', 'PO-9', NULL, NULL, 'SMA;4', 'Museum visit', NULL,
   12, NULL, NULL, 210, NULL, NULL, NULL, NULL, NULL, NULL, '2026-03-05 00:00:00',
   '2026-03-05 00:00:00', '1899-12-30 09:30:00', NULL, NULL, NULL, NULL, NULL, 15, 3, 0, NULL,
   0, NULL, NULL),
  (5, 'dwu', '2026-03-01 08:00:00', '2026-03-01 08:00:00', NULL, NULL, 'Pending',
   '2026-03-01 08:00:00', NULL, NULL, 'EMS', 'EMS', NULL, NULL, NULL, NULL, NULL, NULL, NULL,
   NULL, NULL, '100', NULL, '10', 'OVN', 'EMS#7', 'Camp', NULL, 10, NULL, NULL, 12.5, NULL,
   NULL, NULL, NULL, NULL, NULL, '2026-04-01 00:00:00', '2026-04-03 00:00:00',
   '1899-12-30 10:00:00', NULL, NULL, NULL, NULL, NULL, 30, 3, 0, NULL, 0, NULL, NULL),
  (6, 'jsmith', '2026-02-25 10:00:00', '2026-02-25 10:00:00', 'office@lhs.example.org', NULL,
   'Denied', '2026-02-26 12:00:00', 'School is closed that day', 'HS', 'LHS', 'LHS', 2, NULL,
   NULL, NULL, NULL, NULL, NULL, NULL, 'Ann Lee', '100', NULL, '10', 'ACAD', NULL, 'Zoo day',
   NULL, 11, NULL, NULL, 4, NULL, NULL, NULL, NULL, NULL, NULL, '2026-03-20 00:00:00',
   '2026-03-20 00:00:00', '1899-12-30 08:30:00', NULL, NULL, NULL, NULL, NULL, 10, 1, 0, NULL,
   0, NULL, NULL),
  (7, 'coach', '2026-02-18 13:00:00', '2026-02-18 13:00:00', 'coach@lhs.example.org', NULL,
   'Coach OK', '2026-02-19 08:30:00', NULL, 'ATHLETIC', 'LHS', 'LHS', 2, NULL, NULL, NULL, NULL,
   NULL, NULL, NULL, 'Coach Reyes', '210', NULL, '10', 'ATH', NULL, 'Away game', NULL, 12,
   NULL, NULL, 210, NULL, NULL, NULL, NULL, NULL, NULL, '2026-03-06 00:00:00',
   '2026-03-06 00:00:00', '1899-12-30 07:15:00', NULL, NULL, NULL, NULL, NULL, 20, 2, 0, NULL,
   0, NULL, NULL);
COMMIT;
)sql";

// The installation with the sample rows in its three files.
class SampleDistrict {
 public:
  SampleDistrict() {
    schema::registerSchemaColumnTypes();
    sqliteExec(path(kTripFile), kSampleTripRows);
    sqliteExec(path(kUsersFile), kSampleUserRows);
    sqliteExec(path(kRequestsFile), kSampleRequestRows);
  }

  // "trip.mdb", "zqkrsc1.mdb" or "Tripschl.mdb" in the data folder.
  std::filesystem::path path(const char* file) const { return site_.dataFolder() / file; }

  // A fresh open connection to one of the three files.
  db::Connection connect(const char* file) const {
    db::Connection connection;
    connection.open(path(file).string());
    return connection;
  }

 private:
  TempInstallation site_;
};

}  // namespace ravadid::testing

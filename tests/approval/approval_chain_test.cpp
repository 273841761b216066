#include "approval/approval_chain.h"

#include <gtest/gtest.h>

#include <string>

#include "frame/application.h"
#include "frame/pages.h"
#include "support/fake_exchange.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::sqliteExec;
using testing::TempInstallation;

// Request numbers of the fixture, one per situation.
enum Request : int32_t {
  kUnapproved = 1,
  kAfterTeacher = 2,
  kAfterPrincipalLowerCase = 3,
  kAccepted = 4,
  kDenied = 5,
  kPendingNoChain = 6,
  kUnapprovedNoChain = 7,
  kMissingChain = 8,
  kTwiceAfterPrincipal = 9,
  kSharedStatus = 10,
  kFullAtLevel8 = 11,
  kUnknownStatus = 12,
  kPaddedChain = 13,
  kQuotedChain = 14,
  kAcceptedLowerCase = 15,
  kPendingUpperCaseNoChain = 16,
};

class ApprovalChainTest : public ::testing::Test {
 protected:
  ApprovalChainTest() : web_(site_.installation(), makeStandardPages()), app_(web_, ex_) {
    web_.applicationStore().set("APP_PATH", site_.installation().siteText());
    sqliteExec(site_.dataFolder() / "zqkrsc1.mdb",
               "INSERT INTO KRSCC (CHAINID, LEVEL1APPROVER, Level1Status, Level2Approver,"
               " Level2Status, Level3Approver, Level3Status) VALUES"
               // Three levels; levels 4 to 8 hold no approver.
               " ('CH1', 'TEACHER', 'Teacher Approved', 'PRINCIPAL', 'Principal Approved',"
               "  'SUPER', 'Super Approved'),"
               // One role at levels 1 and 3.
               " ('TWICE', 'COACH', 'Coach OK', 'PRINCIPAL', 'Principal OK', 'COACH',"
               "  'Coach Final'),"
               // Two levels giving one status.
               " ('DUP', 'A1', 'Checked', 'A2', 'Checked', 'A3', 'Done'),"
               " ('O''CH', 'QUOTER', 'Quoted OK', NULL, NULL, NULL, NULL);"
               "INSERT INTO KRSCC (CHAINID, LEVEL1APPROVER, Level2Approver, Level3Approver,"
               " Level4Approver, Level5Approver, Level6Approver, Level7Approver, Level8Approver,"
               " Level1Status, Level2Status, Level3Status, Level4Status, Level5Status,"
               " Level6Status, Level7Status, LEVEL8STATUS) VALUES ('FULL', 'R1', 'R2', 'R3',"
               " 'R4', 'R5', 'R6', 'R7', 'R8', 'S1', 'S2', 'S3', 'S4', 'S5', 'S6', 'S7', 'S8')");
    sqliteExec(site_.dataFolder() / "Tripschl.mdb",
               "INSERT INTO TRIPSREQ (TRIPNUM, chainid, Status, CUSTOMER) VALUES"
               " (1, 'CH1', 'UNAPPROVED', 'LINC'),"
               " (2, 'CH1', 'Teacher Approved', 'LINC'),"
               " (3, 'CH1', 'principal approved', 'LINC'),"
               " (4, 'CH1', 'ACCEPTED', 'LINC'),"
               " (5, 'CH1', 'Denied', 'LINC'),"
               " (6, NULL, 'Pending', 'LINC'),"
               " (7, NULL, 'UNAPPROVED', 'LINC'),"
               " (8, 'GONE', 'UNAPPROVED', 'LINC'),"
               " (9, 'TWICE', 'Principal OK', 'LINC'),"
               " (10, 'DUP', 'Checked', 'LINC'),"
               " (11, 'FULL', 'S8', 'LINC'),"
               " (12, 'CH1', 'Lost', 'LINC'),"
               " (13, '  CH1 ', 'UNAPPROVED', 'LINC'),"
               " (14, 'O''CH', 'UNAPPROVED', 'LINC'),"
               " (15, 'CH1', 'accepted', 'LINC'),"
               " (16, '  ', 'PENDING', 'LINC')");
    sqliteExec(site_.dataFolder() / "trip.mdb",
               "INSERT INTO CUSTOMER_TRIPCAT (CUSTOMER, TRIPCAT, chainid) VALUES"
               " ('LINC', 'SPORT', 'TWICE'), ('LINC', 'MUSEUM', 'CH1'),"
               " ('O''NEIL', 'SPORT', 'O''CH'), ('WASH', 'SPORT', NULL);"
               "INSERT INTO Big_CalCalNotes (NoteDate, NoteText, NoteLongText, NoteSeverity,"
               " Note_SchoolClosed) VALUES"
               " ('2024-03-05 00:00:00', '  Snow day ', ' Buses stay home ', 3, 1),"
               " ('2024-03-06 00:00:00', 'Testing', NULL, 2, 0),"
               " ('2024-03-08 00:00:00', 'Assembly', 'Gym closed', 1, 0)");
  }

  // Opens the connections as the calling handler does.
  void connect() { ASSERT_TRUE(app_.databasePreamble()) << app_.errorText(); }

  TempInstallation site_;
  WebApplication web_;
  FakeExchange ex_;
  Ravadid app_;
};

// ---- getCHAIN -------------------------------------------------------------------------------

TEST_F(ApprovalChainTest, GetChainAnswersTheChainOfTheCustomerAndCategory) {
  struct Case {
    const char* customer;
    const char* category;
    const char* chain;
  };
  const Case cases[] = {
      {"LINC", "SPORT", "TWICE"},  {"LINC", "MUSEUM", "CH1"},     {"LINC", "ART", ""},
      {"WASH", "MUSEUM", ""},      {"WASH", "SPORT", ""},  // a row without a chain
      {"O'NEIL", "SPORT", "O'CH"}, {"x' OR '1'='1", "SPORT", ""}, {"LINC", "x' OR '1'='1", ""},
  };
  connect();
  for (const Case& c : cases)
    EXPECT_EQ(getCHAIN(app_, c.customer, c.category), c.chain) << c.customer << "/" << c.category;
  EXPECT_TRUE(app_.noError()) << app_.errorText();
  app_.closeStep();
}

// ---- HasAuthority ---------------------------------------------------------------------------

struct AuthorityCase {
  const char* what;
  int32_t request;
  const char* role;
  const char* chain;
  const char* customer;
  const char* answer;
};

TEST_F(ApprovalChainTest, HasAuthorityFollowsTheChainLevels) {
  const AuthorityCase cases[] = {
      {"level 1 approves an unapproved request", kUnapproved, "TEACHER", "", "",
       "Y,Y,Teacher Approved"},
      {"level 2 may approve before level 1", kUnapproved, "PRINCIPAL", "", "",
       "Y,Y,Principal Approved"},
      {"anyone may still edit an unapproved request", kUnapproved, "", "", "", "Y,N,NA"},
      {"an unknown role edits an unapproved request", kUnapproved, "CLERK", "", "", "Y,N,NA"},
      {"roles compare exactly: case", kUnapproved, "teacher", "", "", "Y,N,NA"},
      {"roles compare exactly: blanks", kUnapproved, " TEACHER", "", "", "Y,N,NA"},
      {"the level that approved edits but no longer approves", kAfterTeacher, "TEACHER", "", "",
       "Y,N,Teacher Approved"},
      {"the next level approves", kAfterTeacher, "PRINCIPAL", "", "", "Y,Y,Principal Approved"},
      {"a user below the position has no rights", kAfterTeacher, "", "", "", "N,N,NA"},
      {"statuses compare ignoring case", kAfterPrincipalLowerCase, "SUPER", "", "",
       "Y,Y,Super Approved"},
      {"statuses compare ignoring case: the level reached", kAfterPrincipalLowerCase, "PRINCIPAL",
       "", "", "Y,N,Principal Approved"},
      {"below the level reached: level status still returned", kAfterPrincipalLowerCase, "TEACHER",
       "", "", "N,N,Teacher Approved"},
      {"a status no level gives leaves every level below it", kUnknownStatus, "SUPER", "", "",
       "N,N,Super Approved"},
      {"the chain of the request is trimmed", kPaddedChain, "TEACHER", "", "",
       "Y,Y,Teacher Approved"},
      {"a quote in the chain id stays literal", kQuotedChain, "QUOTER", "", "", "Y,Y,Quoted OK"},
  };
  connect();
  for (const AuthorityCase& c : cases)
    EXPECT_EQ(HasAuthority(app_, c.request, c.role, c.chain, c.customer).text(), c.answer)
        << c.what;
  EXPECT_TRUE(app_.noError()) << app_.errorText();
  app_.closeStep();
}

TEST_F(ApprovalChainTest, HasAuthorityCountsARoleAtTwoLevelsAtItsHighest) {
  const AuthorityCase cases[] = {
      // Level 3 is above the position reached (3): a level 1 user would have no rights.
      {"role at levels 1 and 3", kTwiceAfterPrincipal, "COACH", "", "", "Y,Y,Coach Final"},
      {"the level between", kTwiceAfterPrincipal, "PRINCIPAL", "", "", "Y,N,Principal OK"},
  };
  connect();
  for (const AuthorityCase& c : cases)
    EXPECT_EQ(HasAuthority(app_, c.request, c.role, c.chain, c.customer).text(), c.answer)
        << c.what;
  app_.closeStep();
}

TEST_F(ApprovalChainTest, HasAuthorityTakesTheLowerOfTwoLevelsWithOneStatus) {
  const AuthorityCase cases[] = {
      {"position after level 1: level 2 approves", kSharedStatus, "A2", "", "", "Y,Y,Checked"},
      {"level 1 only edits", kSharedStatus, "A1", "", "", "Y,N,Checked"},
      {"level 3 approves", kSharedStatus, "A3", "", "", "Y,Y,Done"},
  };
  connect();
  for (const AuthorityCase& c : cases)
    EXPECT_EQ(HasAuthority(app_, c.request, c.role, c.chain, c.customer).text(), c.answer)
        << c.what;
  app_.closeStep();
}

TEST_F(ApprovalChainTest, HasAuthorityGivesNobodyRightsOverAFinishedRequest) {
  const AuthorityCase cases[] = {
      {"accepted, top level", kAccepted, "SUPER", "", "", "N,N,NA"},
      {"accepted, no role", kAccepted, "", "", "", "N,N,NA"},
      {"accepted in lower case", kAcceptedLowerCase, "SUPER", "", "", "N,N,NA"},
      {"denied", kDenied, "SUPER", "", "", "N,N,NA"},
      {"level 8 reached: the top level edits only", kFullAtLevel8, "R8", "", "", "Y,N,S8"},
      {"level 8 reached: below it nothing", kFullAtLevel8, "R7", "", "", "N,N,S7"},
      {"missing chain row", kMissingChain, "SUPER", "", "", "N,N,NA"},
      {"missing chain row, no role", kMissingChain, "", "", "", "N,N,NA"},
  };
  connect();
  for (const AuthorityCase& c : cases)
    EXPECT_EQ(HasAuthority(app_, c.request, c.role, c.chain, c.customer).text(), c.answer)
        << c.what;
  app_.closeStep();
}

TEST_F(ApprovalChainTest, HasAuthorityAppliesTheCustomerRule) {
  const AuthorityCase cases[] = {
      {"same customer", kUnapproved, "TEACHER", "", "LINC", "Y,Y,Teacher Approved"},
      {"blank customer acts for all", kUnapproved, "TEACHER", "", "   ", "Y,Y,Teacher Approved"},
      {"other customer: no rights, level status kept", kUnapproved, "TEACHER", "", "WASH",
       "N,N,Teacher Approved"},
      {"customers compare exactly", kUnapproved, "TEACHER", "", "linc", "N,N,Teacher Approved"},
      {"pending without chain, no customer", kPendingNoChain, "", "", "", "Y,N,NA"},
      {"pending without chain, approver role", kPendingNoChain, "SUPER", "", "", "Y,N,NA"},
      {"pending without chain, same customer", kPendingNoChain, "", "", "LINC", "Y,N,NA"},
      {"pending without chain, other customer", kPendingNoChain, "", "", "WASH", "N,N,NA"},
      {"pending in upper case, blank chain", kPendingUpperCaseNoChain, "", "", "", "Y,N,NA"},
      {"not pending without chain", kUnapprovedNoChain, "SUPER", "", "", "N,N,NA"},
  };
  connect();
  for (const AuthorityCase& c : cases)
    EXPECT_EQ(HasAuthority(app_, c.request, c.role, c.chain, c.customer).text(), c.answer)
        << c.what;
  app_.closeStep();
}

TEST_F(ApprovalChainTest, HasAuthorityWithAChainTakesTheRequestAsUnapprovedWithoutReadingIt) {
  const AuthorityCase cases[] = {
      // The request number names no request: it is not read.
      {"chain given, no customer", 999, "TEACHER", "CH1", "", "Y,Y,Teacher Approved"},
      {"chain given, stored status ignored", kAccepted, "PRINCIPAL", "CH1", "",
       "Y,Y,Principal Approved"},
      {"chain given, a customer never matches", 999, "TEACHER", "CH1", "LINC",
       "N,N,Teacher Approved"},
      {"chain given, not on file", 999, "TEACHER", "NOPE", "", "N,N,NA"},
      {"blank chain given", 999, "TEACHER", "  ", "", "N,N,NA"},
  };
  connect();
  for (const AuthorityCase& c : cases)
    EXPECT_EQ(HasAuthority(app_, c.request, c.role, c.chain, c.customer).text(), c.answer)
        << c.what;
  EXPECT_TRUE(app_.noError()) << app_.errorText();
  app_.closeStep();
}

TEST_F(ApprovalChainTest, HasAuthorityGivesTheFlagsToTheWritesCheck) {
  connect();
  Authority approver = HasAuthority(app_, kAfterTeacher, "PRINCIPAL", "", "");
  EXPECT_TRUE(approver.edit);
  EXPECT_TRUE(approver.approve);
  EXPECT_EQ(approver.levelStatus, "Principal Approved");
  Authority outsider = HasAuthority(app_, kAfterTeacher, "TEACHER", "", "WASH");
  EXPECT_FALSE(outsider.edit);
  EXPECT_FALSE(outsider.approve);
  EXPECT_FALSE(outsider.failed);
  app_.closeStep();
}

TEST_F(ApprovalChainTest, HasAuthorityOfAMissingRequestFailsWithAnEmptyAnswer) {
  connect();
  Authority answer = HasAuthority(app_, 999, "SUPER", "", "");
  EXPECT_TRUE(answer.failed);
  EXPECT_FALSE(answer.edit);
  EXPECT_FALSE(answer.approve);
  EXPECT_EQ(answer.text(), "");
  EXPECT_EQ(app_.errorText(),
            "Error in Procedure: HasAuthority of Module: mdlApproval.  Error: 3021.  Either BOF or "
            "EOF is True, or the current record has been deleted. Requested operation requires a "
            "current record..");  // the report adds its own full stop
  EXPECT_EQ(ex_.body, "");        // the calling handler writes the report
  EXPECT_FALSE(app_.tripschlDb().isOpen());
}

TEST_F(ApprovalChainTest, HasAuthorityAfterAnEarlierErrorGrantsNothing) {
  connect();
  app_.errorText() = "Earlier failure.";
  EXPECT_TRUE(HasAuthority(app_, kUnapproved, "TEACHER", "", "").failed);
  EXPECT_EQ(app_.errorText(), "Earlier failure.");
  EXPECT_EQ(ex_.body, "");
  app_.closeStep();
}

// ---- NextRole -------------------------------------------------------------------------------

TEST_F(ApprovalChainTest, NextRoleNamesTheLevelAfterTheStatus) {
  struct Case {
    const char* chain;
    const char* status;
    const char* role;
  };
  const Case cases[] = {
      {"CH1", "UNAPPROVED", "TEACHER"},
      {"CH1", "Unapproved", "TEACHER"},
      {"CH1", "Teacher Approved", "PRINCIPAL"},
      {"CH1", "TEACHER APPROVED", "PRINCIPAL"},
      {"CH1", "Principal Approved", "SUPER"},
      {"CH1", "Super Approved", "NA"},  // level 4 holds no approver
      {"CH1", "Lost", "NA"},
      {"CH1", "ACCEPTED", "NA"},
      {"CH1", "accepted", "NA"},
      {"CH1", "Denied", "NA"},
      {"CH1", "Pending", "NA"},
      {"", "UNAPPROVED", "NA"},
      {"   ", "UNAPPROVED", "NA"},
      {"GONE", "UNAPPROVED", "NA"},
      {"DUP", "Checked", "A2"},  // the lower of the two levels decides
      {"TWICE", "Coach OK", "PRINCIPAL"},
      {"TWICE", "Principal OK", "COACH"},
      {"FULL", "S7", "R8"},
      {"FULL", "S8", "NA"},
      {"O'CH", "UNAPPROVED", "QUOTER"},
  };
  connect();
  for (const Case& c : cases)
    EXPECT_EQ(NextRole(app_, c.chain, c.status), c.role) << c.chain << "/" << c.status;
  EXPECT_TRUE(app_.noError()) << app_.errorText();
  app_.closeStep();
}

TEST_F(ApprovalChainTest, NextRoleFailureSetsOnlyTheErrorText) {
  // No connection open: the chain cannot be read.
  EXPECT_EQ(NextRole(app_, "CH1", "UNAPPROVED"), "NA");
  EXPECT_EQ(
      app_.errorText().rfind("Error in Procedure: NextRole of Module: mdlApproval.  Error: ", 0),
      0u)
      << app_.errorText();
  EXPECT_EQ(ex_.body, "");
}

// ---- Check_calNotes -------------------------------------------------------------------------

TEST_F(ApprovalChainTest, CheckCalNotesAnswersTheSeverityAndTheTrimmedTexts) {
  struct Case {
    const char* date;
    int16_t severity;
    const char* text;
    const char* longText;
  };
  const Case cases[] = {
      {"3/5/2024", 3, "Snow day", "Buses stay home"},  // closed day
      {"3/6/2024", 2, "Testing", ""},                  // warning day
      {"03/08/2024", 1, "Assembly", "Gym closed"},
      {"3/7/2024", 0, "", ""},  // no note
  };
  for (const Case& c : cases) {
    CalendarNote note = Check_calNotes(app_, c.date);
    EXPECT_EQ(note.severity, c.severity) << c.date;
    EXPECT_EQ(note.text, c.text) << c.date;
    EXPECT_EQ(note.longText, c.longText) << c.date;
    EXPECT_FALSE(app_.tripDb().isOpen()) << c.date;
  }
  EXPECT_EQ(ex_.body, "");
}

TEST_F(ApprovalChainTest, CheckCalNotesInClosedOnlyModeAnswersWhetherTheSchoolIsClosed) {
  EXPECT_EQ(Check_calNotes(app_, "3/5/2024", false, true).severity, -1);
  EXPECT_EQ(Check_calNotes(app_, "3/6/2024", false, true).severity, 0);
  EXPECT_EQ(Check_calNotes(app_, "3/7/2024", false, true).severity, 0);  // no note
  CalendarNote withoutTexts = Check_calNotes(app_, "3/5/2024", false, false);
  EXPECT_EQ(withoutTexts.severity, 3);
  EXPECT_EQ(withoutTexts.text, "");
}

TEST_F(ApprovalChainTest, CheckCalNotesOfANonDateIsATypeMismatchBeforeAnyQuery) {
  for (const char* date : {"13/45/2024", "3/5/2024# OR 1=1 OR #1/1/2000", ""}) {
    Ravadid app(web_, ex_);
    CalendarNote note = Check_calNotes(app, date);
    EXPECT_EQ(note.severity, 0) << date;
    EXPECT_EQ(app.errorText(),
              "Error in Procedure: Check_calNotes of Module: mdlApproval.  Error: 13.  Type "
              "mismatch.")
        << date;
    EXPECT_FALSE(app.tripDb().isOpen()) << date;
  }
  EXPECT_EQ(ex_.body, "");
}

TEST_F(ApprovalChainTest, CheckCalNotesAfterAnEarlierErrorAnswersZero) {
  app_.errorText() = "Earlier failure.";
  EXPECT_EQ(Check_calNotes(app_, "3/5/2024").severity, 0);
  EXPECT_EQ(app_.errorText(), "Earlier failure.");
  EXPECT_FALSE(app_.tripDb().isOpen());
}

}  // namespace
}  // namespace ravadid

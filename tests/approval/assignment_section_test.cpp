#include "approval/assignment_section.h"

#include <gtest/gtest.h>

#include <functional>
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

class AssignmentSectionTest : public ::testing::Test {
 protected:
  AssignmentSectionTest() : web_(site_.installation(), makeStandardPages()), app_(web_, ex_) {
    web_.applicationStore().set("APP_PATH", site_.installation().siteText());
    sqliteExec(site_.dataFolder() / "trip.mdb",
               "INSERT INTO SCHEDMAST (SCHEDULE, SCHEDDESC) VALUES ('B2', NULL),"
               " ('A1', 'North <route>');"
               "INSERT INTO VEHTYPE (VEHTYPE, VTYPDESC, Active) VALUES ('VAN', 'Van', 1),"
               " ('BUS', '72 passenger bus', 1), ('OLD', 'Retired', 0);"
               "INSERT INTO TRIPTICKET_TEMPLATE (TICKET_ID, TEMPLATE_DESC, Active) VALUES"
               " ('1', 'Standard', 1), ('2', 'Field', 0)");
  }
  ~AssignmentSectionTest() override { app_.closeStep(); }

  TempInstallation site_;
  WebApplication web_;
  FakeExchange ex_;
  Ravadid app_;
};

TEST_F(AssignmentSectionTest, SelectsOfferTheListsAndMarkTheRequestsValue) {
  ASSERT_TRUE(app_.databasePreamble());
  PopulateSchedDD(app_);
  PopulateVehTypeDD(app_);
  PopulateTikTempDD(app_);
  ASSERT_EQ(app_.errorText(), "NA");
  struct Case {
    const char* name;
    std::function<std::string()> build;
    const char* html;
  };
  const Case cases[] = {
      {"schedule #1, chosen in other letter case", [&] { return BuildSchedDD(app_, " a1", 1); },
       "<select name='SCHEDULE' id='a-schedule1'><option value=''></option>"
       "<option value='A1' selected>North &lt;route&gt;</option>"
       "<option value='B2'>B2</option></select>"},
      {"schedule #3, none chosen", [&] { return BuildSchedDD(app_, "", 3); },
       "<select name='Schedule3' id='a-schedule3'><option value='' selected></option>"
       "<option value='A1'>North &lt;route&gt;</option><option value='B2'>B2</option></select>"},
      {"primary type: active types by description",
       [&] { return BuildVehTypeDD(app_, "VAN", "True"); },
       "<select name='Type' id='a-type'><option value=''></option>"
       "<option value='BUS'>72 passenger bus</option><option value='VAN' selected>Van</option>"
       "</select>"},
      {"additional type no longer listed is kept",
       [&] { return BuildVehTypeDD(app_, "O'LD", "False"); },
       "<select name='ADDLTYPE' id='a-addltype'><option value=''></option>"
       "<option value='BUS'>72 passenger bus</option><option value='VAN'>Van</option>"
       "<option value='O&#39;LD' selected>O&#39;LD</option></select>"},
      {"ticket template", [&] { return BuildTripTikDD(app_, "1"); },
       "<select name='TICKET_FORMAT' id='a-ticket'><option value=''></option>"
       "<option value='1' selected>Standard</option></select>"},
      {"capacity", [&] { return BuildCapacityDD(app_, "48"); },
       "<select name='CAPACITY' id='a-capacity'><option value=''></option>"
       "<option value='12'>12</option><option value='24'>24</option><option value='36'>36</option>"
       "<option value='48' selected>48</option><option value='60'>60</option>"
       "<option value='72'>72</option><option value='84'>84</option></select>"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.build(), c.html) << c.name;
}

TEST_F(AssignmentSectionTest, SectionShowsTheRequestsAssignment) {
  sqliteExec(site_.dataFolder() / "Tripschl.mdb",
             "INSERT INTO TRIPSREQ (TRIPNUM, SCHEDULE, Schedule4, Type, NUMTYPE, NUMADDL,"
             " CAPACITY, CALCNUMDRIVERS, AUTOASSIGN) VALUES (3, 'A1', 'B2', 'BUS', 2, NULL,"
             " '72', 1, 0)");
  ASSERT_TRUE(app_.databasePreamble());
  app_.tripRequest.open("SELECT TRIPSREQ.* FROM TRIPSREQ WHERE TRIPNUM = 3", app_.tripschlDb());
  BuildAssignmentSection(app_);
  app_.tripRequest.close();
  const char* fragments[] = {
      "<table class='assignment'>",
      "<label for='a-schedule1'>Schedule #1</label></th><td><select name='SCHEDULE'",
      "<option value='A1' selected>North &lt;route&gt;</option><option value='B2'>B2</option>"
      "</select></td></tr><tr><th scope='row'><label for='a-schedule2'>",
      "name='Schedule4' id='a-schedule4'><option value=''></option><option value='A1'>North "
      "&lt;route&gt;</option><option value='B2' selected>",
      "<option value='BUS' selected>72 passenger bus</option>",
      "name='NUMTYPE' id='a-numtype' size='3' maxlength='3' inputmode='numeric' value='2'>",
      "name='NUMADDL' id='a-numaddl' size='3' maxlength='3' inputmode='numeric' value=''>",
      "<option value='72' selected>72</option>",
      "name='CALCNUMDRIVERS' id='a-calcnumdrivers' value='ON' checked>",
      "name='AUTOASSIGN' id='a-autoassign' value='ON'> Assign vehicles automatically",
  };
  for (const char* fragment : fragments)
    EXPECT_NE(ex_.body.find(fragment), std::string::npos) << fragment << "\n" << ex_.body;
}

TEST_F(AssignmentSectionTest, MissingTableGivesTheLoadersReportAndNoTable) {
  sqliteExec(site_.dataFolder() / "trip.mdb", "DROP TABLE VEHTYPE");
  sqliteExec(site_.dataFolder() / "Tripschl.mdb", "INSERT INTO TRIPSREQ (TRIPNUM) VALUES (3)");
  ASSERT_TRUE(app_.databasePreamble());
  app_.tripRequest.open("SELECT TRIPSREQ.* FROM TRIPSREQ WHERE TRIPNUM = 3", app_.tripschlDb());
  BuildAssignmentSection(app_);
  EXPECT_EQ(ex_.body.rfind("Error in Procedure: PopulateVehTypeDD of Module: Ravadid.  Error: ", 0),
            0u)
      << ex_.body;
  EXPECT_NE(ex_.body.find("Error in Procedure: PopulateVehTypeDD"), std::string::npos);
  EXPECT_EQ(ex_.body.find("<table"), std::string::npos);
}

}  // namespace
}  // namespace ravadid

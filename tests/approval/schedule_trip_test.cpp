// The transportation department schedules an accepted request as a trip through the pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "approval/trip_scheduling.h"
#include "support/signed_in_site.h"
#include "support/sqlite_query.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::SignedInSite;
using testing::sqliteValue;

class ScheduleTripTest : public ::testing::Test {
 protected:
  ScheduleTripTest() {
    // 20 and 22 accepted and not yet scheduled, 21 scheduled already.
    site_.requests(
        "INSERT INTO TRIPSREQ (TRIPNUM, Status, FIELDTRIP_NUM, CUSTOMER, CONTACT, DESTINATION,"
        " SCHEDULE, depdate) VALUES (20, 'ACCEPTED', NULL, 'LHS', 'Ann Lee', 10, 'OLD',"
        " '2026-03-05 00:00:00'), (21, 'ACCEPTED', 5000, 'LHS', 'Ann Lee', 10, NULL, NULL),"
        " (22, 'accepted', 0, 'LHS', 'Ann Lee', 10, NULL, NULL)");
  }

  std::string requestValue(const std::string& sql) {
    return sqliteValue(site_.site().dataFolder() / "Tripschl.mdb", sql);
  }
  std::string tripValue(const std::string& sql) {
    return sqliteValue(site_.site().dataFolder() / "trip.mdb", sql);
  }
  std::string post(FakeExchange& ex, FakeExchange::Items form) {
    return site_.page(ex, "ScheduleTrip", "Schedule", form);
  }
  static FakeExchange::Items assignment(const std::string& request) {
    return {{"tripnum", request}, {"SCHEDULE", "A1"},     {"Type", "BUS"},
            {"NUMTYPE", "2"},     {"ADDLTYPE", ""},       {"NUMADDL", ""},
            {"CAPACITY", "48"},   {"TICKET_FORMAT", "1"}, {"CALCNUMDRIVERS", "ON"}};
  }

  SignedInSite site_;
};

TEST_F(ScheduleTripTest, RefusalsWriteNothing) {
  struct Case {
    const char* user;  // "" for no session
    const char* event;
    FakeExchange::Items form;
    std::string expected;
  };
  FakeExchange::Items badCount = assignment("20");
  badCount["NUMTYPE"] = "2x";
  FakeExchange::Items unknownSchedule = assignment("20");
  unknownSchedule["Schedule2"] = "ZZ";
  FakeExchange::Items retiredType = assignment("20");
  retiredType["Type"] = "<b>";
  const Case cases[] = {
      {"mgarcia", "20", {}, kNotTransportMessage},
      {"mgarcia", "Schedule", assignment("20"), kNotTransportMessage},
      {"dwu", "2", {}, kNotAcceptedMessage},
      {"dwu", "Schedule", assignment("2"), kNotAcceptedMessage},
      {"dwu", "21", {}, alreadyScheduledMessage(5000)},
      {"dwu", "Schedule", assignment("21"), alreadyScheduledMessage(5000)},
      {"dwu", "99", {}, notFoundMessage(99)},
      {"dwu", "Schedule", badCount, kAssignmentMessage},
      {"dwu", "Schedule", unknownSchedule, kAssignmentMessage},
      {"dwu", "Schedule", retiredType, kAssignmentMessage},
      {"", "Schedule", assignment("20"), std::string(kTimeoutMessage)},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    if (*c.user) site_.signIn(ex, c.user);
    const std::string body = site_.page(ex, "ScheduleTrip", c.event, c.form);
    EXPECT_NE(body.find(c.expected), std::string::npos) << c.user << " " << c.event << "\n" << body;
  }
  EXPECT_EQ(tripValue("SELECT COUNT(*) FROM TRIPS WHERE TRIPREQNUM IN (2, 20, 21)"), "0");
  EXPECT_EQ(
      requestValue("SELECT quote(FIELDTRIP_NUM) || SCHEDULE FROM TRIPSREQ WHERE TRIPNUM = 20"),
      "NULLOLD");
}

TEST_F(ScheduleTripTest, TransportSchedulesOnceAndTheFormShowsTheTrip) {
  FakeExchange ex;
  site_.signIn(ex, "dwu");
  EXPECT_NE(site_.page(ex, "RequestDetail", "20").find("WCI=ScheduleTrip&amp;WCE=20&amp;WCU"),
            std::string::npos);
  // Request 22's status in other letter case and FIELDTRIP_NUM 0 still count as unscheduled.
  EXPECT_NE(site_.page(ex, "RequestDetail", "22").find(">Schedule as a trip</a>"),
            std::string::npos);
  const std::string page = site_.page(ex, "ScheduleTrip", "20");
  EXPECT_NE(page.find("<select name='SCHEDULE' id='a-schedule1'><option value=''></option>"
                      "<option value='A1'>North route</option><option value='OLD' selected>"),
            std::string::npos)
      << page;

  post(ex, assignment("20"));
  EXPECT_EQ(ex.redirectTarget, "RavadidLarkdale.asp?WCI=RequestDetail&WCE=20&WCU");
  const std::string trip = tripValue("SELECT TRIPNUM FROM TRIPS WHERE TRIPREQNUM = 20");
  ASSERT_FALSE(trip.empty());
  EXPECT_EQ(requestValue("SELECT FIELDTRIP_NUM FROM TRIPSREQ WHERE TRIPNUM = 20"), trip);
  EXPECT_EQ(requestValue("SELECT group_concat(ACTION || '/' || USERID || '/' || STATUS_BEFORE ||"
                         " '/' || STATUS_AFTER) FROM TRIPREQ_HISTORY WHERE TRIPNUM = 20"),
            "Trip created/dwu/ACCEPTED/ACCEPTED");
  // The posted assignment went into the request and from there into the trip.
  EXPECT_EQ(tripValue("SELECT SCHEDULE || '/' || Type || '/' || NUMTYPE || '/' || Capacity || '/'"
                      " || TICKET_FORMAT || '/' || CALCNUMDRIVERS || '/' || quote(AddlType) FROM"
                      " TRIPS WHERE TRIPREQNUM = 20"),
            "A1/BUS/2/48/1/1/NULL");

  EXPECT_NE(
      site_.page(ex, "RequestDetail", "20").find("Scheduled as trip <strong>" + trip + "</strong>"),
      std::string::npos);
  EXPECT_NE(post(ex, assignment("20")).find(alreadyScheduledMessage(std::stoi(trip))),
            std::string::npos);
  EXPECT_EQ(tripValue("SELECT COUNT(*) FROM TRIPS WHERE TRIPREQNUM = 20"), "1");

  // The principal sees the trip but is offered no scheduling.
  FakeExchange principal;
  site_.signIn(principal, "mgarcia");
  EXPECT_EQ(site_.page(principal, "RequestDetail", "22").find("Schedule as a trip"),
            std::string::npos);
}

TEST_F(ScheduleTripTest, FailedRequestUpdateTakesTheTripOutAgain) {
  site_.requests(
      "CREATE TRIGGER refuse_trip BEFORE UPDATE OF FIELDTRIP_NUM ON TRIPSREQ"
      " BEGIN SELECT RAISE(ABORT, 'the request is locked'); END");
  FakeExchange ex;
  site_.signIn(ex, "dwu");
  const std::string body = post(ex, assignment("20"));
  EXPECT_NE(body.find("Error in Procedure: ScheduleTrip_Schedule of Module: Ravadid.  Error: "),
            std::string::npos)
      << body;
  EXPECT_NE(body.find("the request is locked"), std::string::npos);
  EXPECT_EQ(tripValue("SELECT COUNT(*) FROM TRIPS WHERE TRIPREQNUM = 20"), "0");
  // The assignment written before the trip was made is rolled back with it.
  EXPECT_EQ(requestValue("SELECT quote(FIELDTRIP_NUM) || SCHEDULE || quote(Type) FROM TRIPSREQ"
                         " WHERE TRIPNUM = 20"),
            "NULLOLDNULL");
  EXPECT_EQ(requestValue("SELECT COUNT(*) FROM TRIPREQ_HISTORY"), "0");
}

TEST_F(ScheduleTripTest, TransportRoleIsASetting) {
  const std::filesystem::path ini = site_.site().root() / "trip.ini";
  std::stringstream text;
  text << std::ifstream(ini).rdbuf();
  std::string settings = text.str();
  settings.replace(settings.find("TRANSPORT_ROLE=TRANSPORT"), 24, "TRANSPORT_ROLE=PRINCIPAL");
  std::ofstream(ini, std::ios::trunc) << settings;
  FakeExchange transport;
  site_.signIn(transport, "dwu");
  EXPECT_NE(site_.page(transport, "ScheduleTrip", "20").find(kNotTransportMessage),
            std::string::npos);
  FakeExchange principal;
  site_.signIn(principal, "mgarcia");
  EXPECT_NE(site_.page(principal, "ScheduleTrip", "20").find("<table class='assignment'>"),
            std::string::npos);
}

}  // namespace
}  // namespace ravadid

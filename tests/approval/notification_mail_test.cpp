#include "approval/notification_mail.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "frame/application.h"
#include "frame/errors.h"
#include "frame/host/mailer.h"
#include "frame/pages.h"
#include "frame/text.h"
#include "support/fake_exchange.h"
#include "support/fake_mailer.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::FakeMailer;
using testing::sqliteExec;
using testing::TempInstallation;

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class NotificationMailTest : public ::testing::Test {
 protected:
  NotificationMailTest() : web_(site_.installation(), makeStandardPages()) {
    web_.setMailer(mailer_);
    web_.applicationStore().set("APP_PATH", site_.installation().siteText());
    setSettings(true);
    sqliteExec(site_.dataFolder() / "zqkrsc1.mdb",
               "INSERT INTO KRSCU (KRSC1, CUSTOMER, ROLE, EMAIL) VALUES"
               " ('p1', 'LINC', 'PRINCIPAL', 'p1@school.org'),"
               " ('p2', 'LINC', 'PRINCIPAL', '   '),"
               " ('p3', NULL, 'PRINCIPAL', 'p3@district.org'),"
               " ('p4', '', 'PRINCIPAL', 'p4@district.org'),"
               " ('p5', 'WASH', 'PRINCIPAL', 'p5@wash.org'),"
               " ('p6', 'LINC', 'PRINCIPAL', NULL),"
               " ('q1', 'O''NEIL', 'PRINCIPAL', 'q1@oneil.org'),"
               " ('t1', 'LINC', 'TEACHER', 't1@school.org'),"
               " ('s1', 'WASH', 'SUPER', 's1@wash.org');"
               "INSERT INTO KRSCC (CHAINID, LEVEL1APPROVER, Level1Status, Level2Approver,"
               " Level2Status) VALUES ('CH1', 'PRINCIPAL', 'Principal OK', 'SUPER', 'Done')");
  }

  void setSettings(bool authentication) {
    Store& a = web_.applicationStore();
    a.set("SmtpServer", "mail.example.org");
    a.set("SmtpPort", "587");
    a.set("SmtpAuthentication", Value::boolean(authentication));
    a.set("SmtpUsername", authentication ? "trips" : "");
    a.set("SmtpPassword", authentication ? "s3cret" : "");
    a.set("EmailFromAddress", "trips@example.org");
    a.set("EmailFromName", "Field Trips");
  }

  // The debug log's lines from the last SendEmail on.
  std::vector<std::string> sendLog() const {
    std::string text = readFile(site_.logFile());
    std::size_t start = text.rfind("Starting SendEmail");
    std::vector<std::string> lines;
    if (start == std::string::npos) return lines;
    std::size_t end;
    for (; start < text.size(); start = end + 1) {
      end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }

  NoticeRequest request() const {
    NoticeRequest r;
    r.tripNumber = "42";
    r.customer = "LINC";
    r.customerName = "Lincoln High";
    r.destination = "Science Museum";
    r.departureDate = "3/5/2024";
    r.numberOfStudents = "25";
    r.chain = " CH1 ";
    r.previousStatus = "";
    r.status = "UNAPPROVED";
    r.requestorEmail = "teacher@school.org";
    return r;
  }

  TempInstallation site_;
  std::shared_ptr<FakeMailer> mailer_ = std::make_shared<FakeMailer>();
  WebApplication web_;
  FakeExchange ex_;
};

TEST_F(NotificationMailTest, GetApproverEmailJoinsTheAddressesOfTheRoleForTheCustomer) {
  struct Case {
    const char* what;
    const char* role;
    const char* customer;
    const char* answer;
  };
  const Case cases[] = {
      {"blank and null addresses skipped, users of every customer included", "PRINCIPAL", "LINC",
       "p1@school.org; p3@district.org; p4@district.org"},
      {"a user of another customer is left out", "PRINCIPAL", "WASH",
       "p3@district.org; p4@district.org; p5@wash.org"},
      {"a quote in the customer stays literal", "PRINCIPAL", "O'NEIL",
       "p3@district.org; p4@district.org; q1@oneil.org"},
      {"a quote cannot widen the query", "PRINCIPAL", "x' OR '1'='1",
       "p3@district.org; p4@district.org"},
      {"one user", "TEACHER", "LINC", "t1@school.org"},
      {"bound to another customer only", "SUPER", "LINC", "NA"},
      {"no such role", "NOBODY", "LINC", "NA"},
      {"an empty role asks nothing", "", "LINC", ""},
  };
  Ravadid app(web_, ex_);
  ASSERT_TRUE(app.databasePreamble()) << app.errorText();
  for (const Case& c : cases)
    EXPECT_EQ(GetApproverEmail(app, c.role, c.customer), c.answer) << c.what;
  EXPECT_TRUE(app.noError()) << app.errorText();
  app.closeStep();
}

TEST_F(NotificationMailTest, GetApproverEmailFailureLeavesTheReport) {
  Ravadid app(web_, ex_);  // no connection open
  EXPECT_EQ(GetApproverEmail(app, "PRINCIPAL", "LINC"), "");
  EXPECT_EQ(app.errorText().rfind("Error in Procedure: GetApproverEmail of Module: Ravadid.  ", 0),
            0u)
      << app.errorText();
  EXPECT_EQ(ex_.body, "");  // the save writes it
}

TEST_F(NotificationMailTest, NoticesHaveTheirExactSubjectsAndBodies) {
  NoticeRequest changed = request();
  NoticeRequest created = request();
  created.isNew = true;
  const std::string rest =
      "Customer: Lincoln High\r\nDestination: Science Museum\r\nDep Dt: 3/5/2024\r\n"
      "# Students: 25\r\nNew Status: UNAPPROVED";
  struct Case {
    Notice notice;
    const char* subject;
    std::string body;
  };
  const Case cases[] = {
      {requesterNotice(created), "Ravadid - Trip Request #42",
       "A New Trip Request, Request #42 has been entered.\r\n" + rest},
      {requesterNotice(changed), "Ravadid - Trip Request #42",
       "Trip Request #42 has changed.\r\n" + rest},
      {approverNotice(changed), "Ravadid - Trip Request Request #42 needs your approval",
       "Trip Request #42 needs your approval (in the Ravadid software).\r\n\r\n" + rest},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.notice.subject, c.subject);
    EXPECT_EQ(c.notice.body, c.body);
  }
}

TEST_F(NotificationMailTest, SendEmailLogsEveryStepAndHidesThePassword) {
  const std::vector<std::string> common = {"Subject: Hello",
                                           "Body: Line 1",
                                           "Line 2",
                                           "EmailAddress: a@x.org",
                                           "FromAddress: trips@example.org",
                                           "FromName: Field Trips",
                                           "success: 1"};
  for (bool authentication : {true, false}) {
    SCOPED_TRACE(authentication);
    setSettings(authentication);
    Ravadid app(web_, ex_);
    SendEmail(app, "a@x.org", "Hello", "Line 1\r\nLine 2");
    std::vector<std::string> expected = {"Starting SendEmail", "MailMan Dimmed",
                                         "SmtpServer: mail.example.org", "SmtpPort: 587"};
    if (authentication) {
      expected.insert(expected.end(), {"SmtpAuthentication: True", "SmtpUsername: trips",
                                       "SmtpPassword: ********"});
    } else {
      expected.push_back("SmtpAuthentication: False");
    }
    expected.insert(expected.end(), common.begin(), common.end());
    std::vector<std::string> lines = sendLog();
    for (std::string& line : lines)
      if (!line.empty() && line.back() == '\r') line.pop_back();  // the body's CRLF
    EXPECT_EQ(lines, expected);
    const MailServer& server = mailer_->calls.back().server;
    EXPECT_EQ(server.username, authentication ? "trips" : "");
    EXPECT_EQ(server.password, authentication ? "s3cret" : "");
    EXPECT_TRUE(app.noError()) << app.errorText();
  }
  const FakeMailer::Call& last = mailer_->calls.back();
  EXPECT_EQ(last.server.host, "mail.example.org");
  EXPECT_EQ(last.server.port, 587);
  EXPECT_EQ(last.message.recipients, "a@x.org");
  EXPECT_EQ(last.message.fromName, "Field Trips");
  EXPECT_EQ(ex_.body, "");
}

TEST_F(NotificationMailTest, SendEmailRefusesMissingSettingsAndReportsErrors) {
  struct Case {
    const char* what;
    const char* key;
    const char* value;
    bool throws;
    std::string errorText;
  };
  const std::string trap = "Error in Procedure: SendEmail of Module: Ravadid.  Error: ";
  const Case cases[] = {
      {"no server", "SmtpServer", "", false, "Misconfigured email options in ini file."},
      {"no sender address", "EmailFromAddress", "", false,
       "Misconfigured email options in ini file."},
      {"no sender name", "EmailFromName", "", false, "Misconfigured email options in ini file."},
      {"a port that is no number", "SmtpPort", "smtp", false, trap + "13.  Type mismatch."},
      {"the mail component fails", nullptr, nullptr, true,
       trap + "-2147220975.  The transport failed to connect to the server."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    setSettings(false);
    if (c.key) web_.applicationStore().set(c.key, c.value);
    mailer_->throws = c.throws;
    mailer_->calls.clear();
    FakeExchange exchange;
    Ravadid app(web_, exchange);
    SendEmail(app, "a@x.org", "Hello", "Body");
    EXPECT_EQ(app.errorText(), c.errorText);
    EXPECT_EQ(exchange.body, htmlEscape(c.errorText));
    EXPECT_EQ(mailer_->calls.size(), c.throws ? 1u : 0u);
  }
}

TEST_F(NotificationMailTest, AFailedSendIsLoggedAndKeptInTheErrorLogOnly) {
  mailer_->answer = {false, "SMTP error 55: RCPT failed: 550 <a@x.org> unknown"};
  Ravadid app(web_, ex_);
  SendEmail(app, "a@x.org", "Hello <you>", "Body");
  EXPECT_TRUE(app.noError()) << app.errorText();
  EXPECT_EQ(ex_.body, "");
  std::vector<std::string> lines = sendLog();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "success: 0");
  EXPECT_EQ(lines[lines.size() - 1],
            "Mail to a@x.org failed: SMTP error 55: RCPT failed: 550 <a@x.org> unknown");
  std::string errorLog = readFile(site_.root() / "RavadidLarkdale" / "ErrorLog.xml");
  EXPECT_NE(errorLog.find("server=\"mail.example.org:587\" to=\"a@x.org\">\n"
                          "    <Subject>Hello &lt;you&gt;</Subject>\n"
                          "    <Error>SMTP error 55: RCPT failed: 550 &lt;a@x.org&gt; unknown"
                          "</Error>\n  </MailError>\n</ErrorLog>\n"),
            std::string::npos)
      << errorLog;
}

TEST_F(NotificationMailTest, SendRequestNoticesFollowsTheSwitchesAndAddresses) {
  struct Case {
    const char* what;
    NoticeSwitches switches;
    const char* previousStatus;
    const char* requestorEmail;
    const char* status;
    std::vector<std::string> recipients;
  };
  const Case cases[] = {
      {"both switches",
       {true, true},
       "",
       "teacher@school.org",
       "UNAPPROVED",
       {"teacher@school.org", "p1@school.org; p3@district.org; p4@district.org"}},
      {"requester switch only",
       {true, false},
       "",
       "teacher@school.org",
       "UNAPPROVED",
       {"teacher@school.org"}},
      {"approver switch only",
       {false, true},
       "",
       "teacher@school.org",
       "UNAPPROVED",
       {"p1@school.org; p3@district.org; p4@district.org"}},
      {"status unchanged", {true, true}, "UNAPPROVED", "teacher@school.org", "UNAPPROVED", {}},
      {"requester address without @",
       {true, true},
       "",
       "teacher",
       "UNAPPROVED",
       {"p1@school.org; p3@district.org; p4@district.org"}},
      {"blank requester address",
       {true, true},
       "",
       "  ",
       "UNAPPROVED",
       {"p1@school.org; p3@district.org; p4@district.org"}},
      {"next role has no user for the customer",
       {true, true},
       "UNAPPROVED",
       "teacher@school.org",
       "Principal OK",
       {"teacher@school.org"}},
      {"nobody after the last level",
       {true, true},
       "Principal OK",
       "teacher@school.org",
       "Done",
       {"teacher@school.org"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    mailer_->calls.clear();
    NoticeRequest r = request();
    r.previousStatus = c.previousStatus;
    r.status = c.status;
    r.requestorEmail = c.requestorEmail;
    Ravadid app(web_, ex_);
    ASSERT_TRUE(app.databasePreamble()) << app.errorText();
    sendRequestNotices(app, r, c.switches);
    app.closeStep();
    std::vector<std::string> recipients;
    for (const auto& call : mailer_->calls) recipients.push_back(call.message.recipients);
    EXPECT_EQ(recipients, c.recipients);
    EXPECT_TRUE(app.noError()) << app.errorText();
  }
}

TEST_F(NotificationMailTest, MissingSettingsStopTheApproverNotice) {
  web_.applicationStore().set("SmtpServer", "");
  Ravadid app(web_, ex_);
  ASSERT_TRUE(app.databasePreamble()) << app.errorText();
  sendRequestNotices(app, request(), {true, true});
  app.closeStep();
  EXPECT_EQ(app.errorText(), "Misconfigured email options in ini file.");
  EXPECT_EQ(ex_.body, "Misconfigured email options in ini file.");
  EXPECT_TRUE(mailer_->calls.empty());
  EXPECT_EQ(sendLog(), std::vector<std::string>({"Starting SendEmail"}));
}

TEST_F(NotificationMailTest, SwitchesAreOnWhenTheyReadTrue) {
  struct Case {
    Value requester;
    Value approver;
    bool requesterOn;
    bool approverOn;
  };
  const Case cases[] = {{"True", "False", true, false},
                        {Value::boolean(true), "true", true, true},
                        {"", "Yes", false, false},
                        {Value(), Value::null(), false, false}};
  for (const Case& c : cases) {
    Store session;
    session.set("EMAIL_OPTIONS.REQ_TREKKO_CHANGE", c.requester);
    session.set("EMAIL_OPTIONS.APP_TREKKO_CHANGE", c.approver);
    NoticeSwitches switches = noticeSwitches(session);
    EXPECT_EQ(switches.requester, c.requesterOn);
    EXPECT_EQ(switches.approver, c.approverOn);
  }
}

}  // namespace
}  // namespace ravadid

// The notices sent through libcurl to a real SMTP server on loopback.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "approval/notification_mail.h"
#include "frame/application.h"
#include "frame/pages.h"
#include "support/fake_exchange.h"
#include "support/smtp_sink.h"
#include "support/sqlite_exec.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

using testing::FakeExchange;
using testing::ReceivedMail;
using testing::SmtpSink;
using testing::sqliteExec;
using testing::TempInstallation;

constexpr int kTimeoutMs = 1500;

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class MailDeliveryTest : public ::testing::Test {
 protected:
  MailDeliveryTest() : web_(site_.installation(), makeStandardPages()) {
    // Short timeouts in trip.ini, so that a dead server costs the test little.
    std::filesystem::path ini = site_.root() / "trip.ini";
    std::string text = readFile(ini);
    text = std::regex_replace(text, std::regex("SmtpConnectTimeoutMs=\\d+"),
                              "SmtpConnectTimeoutMs=" + std::to_string(kTimeoutMs));
    text = std::regex_replace(text, std::regex("SmtpTimeoutMs=\\d+"),
                              "SmtpTimeoutMs=" + std::to_string(kTimeoutMs));
    std::ofstream(ini, std::ios::binary | std::ios::trunc) << text;

    Store& a = web_.applicationStore();
    a.set("APP_PATH", site_.installation().siteText());
    a.set("SmtpServer", "127.0.0.1");
    a.set("SmtpAuthentication", Value::boolean(false));
    a.set("EmailFromAddress", "trips@example.org");
    a.set("EmailFromName", "Field Trips");
    sqliteExec(site_.dataFolder() / "zqkrsc1.mdb",
               "INSERT INTO KRSCU (KRSC1, CUSTOMER, ROLE, EMAIL) VALUES"
               " ('p1', 'LINC', 'PRINCIPAL', 'p1@school.org'),"
               " ('p2', NULL, 'PRINCIPAL', 'p2@district.org');"
               "INSERT INTO KRSCC (CHAINID, LEVEL1APPROVER, Level1Status) VALUES"
               " ('CH1', 'PRINCIPAL', 'Principal OK')");
  }

  void usePort(int port) { web_.applicationStore().set("SmtpPort", std::to_string(port)); }

  NoticeRequest request() const {
    NoticeRequest r;
    r.tripNumber = "42";
    r.isNew = true;
    r.customer = "LINC";
    r.customerName = "Lincoln High";
    r.destination = "Science Museum";
    r.departureDate = "3/5/2024";
    r.numberOfStudents = "25";
    r.chain = "CH1";
    r.status = "UNAPPROVED";
    r.requestorEmail = "teacher@school.org";
    return r;
  }

  void sendNotices(NoticeSwitches switches) {
    FakeExchange exchange;
    Ravadid app(web_, exchange);
    ASSERT_TRUE(app.databasePreamble()) << app.errorText();
    sendRequestNotices(app, request(), switches);
    app.closeStep();
    EXPECT_TRUE(app.noError()) << app.errorText();
    EXPECT_EQ(exchange.body, "");
  }

  bool logHas(const std::string& line) const {
    return readFile(site_.logFile()).find("\n" + line + "\n") != std::string::npos;
  }

  TempInstallation site_;
  WebApplication web_;
};

TEST_F(MailDeliveryTest, NoticesArriveExactlyAsTheSwitchesSay) {
  struct Expected {
    std::vector<std::string> envelope;
    std::string to;
    std::string subject;
    std::string body;
  };
  const Expected requester{{"teacher@school.org"},
                           "teacher@school.org",
                           "Ravadid - Trip Request #42",
                           requesterNotice(request()).body};
  const Expected approver{{"p1@school.org", "p2@district.org"},
                          "p1@school.org; p2@district.org",
                          "Ravadid - Trip Request Request #42 needs your approval",
                          approverNotice(request()).body};
  struct Case {
    const char* what;
    NoticeSwitches switches;
    std::vector<Expected> mails;
  };
  const Case cases[] = {
      {"both switches", {true, true}, {requester, approver}},
      {"requester switch only", {true, false}, {requester}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SmtpSink sink;
    usePort(sink.port());
    sendNotices(c.switches);
    std::vector<ReceivedMail> mails = sink.messages();
    ASSERT_EQ(mails.size(), c.mails.size());
    for (std::size_t i = 0; i < mails.size(); ++i) {
      EXPECT_EQ(mails[i].mailFrom, "trips@example.org");
      EXPECT_EQ(mails[i].recipients, c.mails[i].envelope);
      EXPECT_EQ(mails[i].header("To"), c.mails[i].to);
      EXPECT_EQ(mails[i].header("From"), "\"Field Trips\" <trips@example.org>");
      EXPECT_EQ(mails[i].header("Subject"), c.mails[i].subject);
      // A message always ends in a line end on the wire.
      EXPECT_EQ(mails[i].body(), c.mails[i].body + "\r\n");
      EXPECT_EQ(mails[i].login, "");
    }
  }
}

TEST_F(MailDeliveryTest, AuthenticationIsUsedWhenOn) {
  SmtpSink sink("trips:s3cret");
  usePort(sink.port());
  Store& a = web_.applicationStore();
  a.set("SmtpAuthentication", Value::boolean(true));
  a.set("SmtpUsername", "trips");
  for (const char* password : {"s3cret", "wrong"}) {
    a.set("SmtpPassword", password);
    FakeExchange exchange;
    Ravadid app(web_, exchange);
    SendEmail(app, "a@x.org; b@y.org", "Hello", "Body");
    EXPECT_TRUE(app.noError()) << app.errorText();
  }
  std::vector<ReceivedMail> mails = sink.messages();
  ASSERT_EQ(mails.size(), 1u);  // the wrong password sends nothing
  EXPECT_EQ(mails[0].login, "trips");
  EXPECT_EQ(mails[0].recipients, std::vector<std::string>({"a@x.org", "b@y.org"}));
  EXPECT_TRUE(logHas("success: 1"));
  EXPECT_TRUE(logHas("success: 0"));
  std::string errorLog = readFile(site_.root() / "RavadidLarkdale" / "ErrorLog.xml");
  EXPECT_NE(errorLog.find("to=\"a@x.org; b@y.org\""), std::string::npos) << errorLog;
}

TEST_F(MailDeliveryTest, AServerThatNeverAnswersCostsNoMoreThanTheTimeout) {
  // Accepts connections (the kernel completes them) but never says a word. The port setting
  // is a 16-bit whole number, so the port is picked below 32768.
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::mt19937 random(std::random_device{}());
  int port = 0;
  for (int attempt = 0; attempt < 100 && port == 0; ++attempt) {
    int candidate = std::uniform_int_distribution<int>(20000, 32767)(random);
    address.sin_port = htons(static_cast<uint16_t>(candidate));
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
      port = candidate;
  }
  ASSERT_NE(port, 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  usePort(port);

  FakeExchange exchange;
  Ravadid app(web_, exchange);
  auto start = std::chrono::steady_clock::now();
  SendEmail(app, "a@x.org", "Hello", "Body");
  auto elapsed = std::chrono::steady_clock::now() - start;
  ::close(listener);
  EXPECT_LT(elapsed, std::chrono::milliseconds(kTimeoutMs + 3000));  // generous margin
  EXPECT_TRUE(app.noError()) << app.errorText();
  EXPECT_EQ(exchange.body, "");  // the user sees nothing
  EXPECT_TRUE(logHas("success: 0"));
}

}  // namespace
}  // namespace ravadid

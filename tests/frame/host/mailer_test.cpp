#include "frame/host/mailer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ravadid {
namespace {

MailMessage message(std::string subject, std::string fromName, std::string recipients,
                    std::string body = "Hello\r\nBye") {
  return {std::move(subject), std::move(body), std::move(recipients), "trips@example.org",
          std::move(fromName)};
}

// The header lines of a composed message, without their CRLF.
std::vector<std::string> headerLines(const std::string& wire) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = wire.find("\r\n", start)) != start; start = end + 2)
    lines.push_back(wire.substr(start, end - start));
  return lines;
}

TEST(MailerTest, ComposedMessageHasTheHeadersAndCrlfBody) {
  std::string wire = composeMessage(message("Ravadid - Trip Request #7", "Field \"Trips\"",
                                            "a@x.org; b@y.org", "Line 1\nLine 2\r\n.dot"),
                                    "Tue, 08 Dec 2026 13:11:55 +0000", "<1@example.org>");
  EXPECT_EQ(wire,
            "Date: Tue, 08 Dec 2026 13:11:55 +0000\r\n"
            "From: \"Field \\\"Trips\\\"\" <trips@example.org>\r\n"
            "To: a@x.org; b@y.org\r\n"
            "Subject: Ravadid - Trip Request #7\r\n"
            "Message-ID: <1@example.org>\r\n"
            "MIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=UTF-8\r\n"
            "Content-Transfer-Encoding: 7bit\r\n"
            "\r\n"
            "Line 1\r\nLine 2\r\n.dot\r\n");
}

TEST(MailerTest, LineBreaksInHeaderValuesNeverStartAHeader) {
  struct Case {
    const char* what;
    MailMessage message;
    const char* header;  // the one line expected for it
  };
  const Case cases[] = {
      {"subject", message("Hi\r\nBcc: evil@x.org", "Trips", "a@x.org"),
       "Subject: Hi  Bcc: evil@x.org"},
      {"subject, lone LF", message("Hi\nBcc: evil@x.org", "Trips", "a@x.org"),
       "Subject: Hi Bcc: evil@x.org"},
      {"sender name", message("Hi", "Trips\r\nBcc: evil@x.org", "a@x.org"),
       "From: \"Trips  Bcc: evil@x.org\" <trips@example.org>"},
      {"non-ASCII subject is encoded",
       message("Ausflug \xC3\xBC"
               "ber",
               "Trips", "a@x.org"),
       "Subject: =?UTF-8?B?QXVzZmx1ZyDDvGJlcg==?="},
      {"non-ASCII name is encoded", message("Hi", "J\xC3\xBCrgen", "a@x.org"),
       "From: =?UTF-8?B?SsO8cmdlbg==?= <trips@example.org>"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = headerLines(composeMessage(c.message, "D", "<m@x>"));
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.header), lines.end()) << c.what;
    for (const std::string& line : lines) EXPECT_NE(line.rfind("Bcc:", 0), 0u) << c.what;
  }
}

TEST(MailerTest, NonAsciiOrLongLinesGoInBase64) {
  std::string wire = composeMessage(message("Hi", "T", "a@x.org", "Caf\xC3\xA9"), "D", "<m@x>");
  EXPECT_NE(wire.find("Content-Transfer-Encoding: base64\r\n\r\nQ2Fmw6kNCg==\r\n"),
            std::string::npos)
      << wire;
  wire = composeMessage(message("Hi", "T", "a@x.org", std::string(1200, 'x')), "D", "<m@x>");
  EXPECT_NE(wire.find("Content-Transfer-Encoding: base64"), std::string::npos);
  for (std::size_t start = 0, end; (end = wire.find("\r\n", start)) != std::string::npos;
       start = end + 2)
    EXPECT_LE(end - start, 998u);
}

TEST(MailerTest, RecipientTextSplitsIntoAddresses) {
  struct Case {
    const char* text;
    std::vector<std::string> addresses;
  };
  const Case cases[] = {
      {"a@x.org", {"a@x.org"}},
      {"a@x.org; b@y.org", {"a@x.org", "b@y.org"}},
      {" a@x.org ;; b@y.org , c@z.org ;", {"a@x.org", "b@y.org", "c@z.org"}},
      {"  ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(splitRecipients(c.text), c.addresses) << c.text;
}

TEST(MailerTest, UnusableAddressesAreRefusedBeforeConnecting) {
  struct Case {
    const char* what;
    std::string recipients;
    std::string fromAddress;
    const char* error;
  };
  const Case cases[] = {
      {"CRLF in a recipient", "a@x.org\r\nRCPT TO:<evil@x.org>", "trips@example.org",
       "recipient: invalid character in address \"a@x.org  RCPT TO:<evil@x.org>\""},
      {"bracket in a recipient", "a@x.org>; b@y.org", "trips@example.org",
       "recipient: invalid character in address \"a@x.org>\""},
      {"no @", "a@x.org; bob", "trips@example.org", "recipient: no @ in address \"bob\""},
      {"no recipient", " ; ", "trips@example.org", "no recipient"},
      {"CR in the sender", "a@x.org", "trips@example.org\r",
       "sender: invalid character in address \"trips@example.org \""},
  };
  CurlMailer mailer;
  MailServer server;
  server.host = "127.0.0.1";
  server.port = 9;  // nothing is sent: refused before any connection
  for (const Case& c : cases) {
    MailMessage m = message("Hi", "Trips", c.recipients);
    m.fromAddress = c.fromAddress;
    MailResult result = mailer.send(server, m);
    EXPECT_FALSE(result.sent) << c.what;
    EXPECT_EQ(result.error, c.error) << c.what;
  }
  server.host = "mail.example.org/evil?x";
  EXPECT_EQ(mailer.send(server, message("Hi", "Trips", "a@x.org")).error,
            "invalid SMTP server \"mail.example.org/evil?x\"");
}

}  // namespace
}  // namespace ravadid

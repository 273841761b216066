// The SMTP mail component: hands one message to a mail server. The application holds one
// Mailer; tests swap in a fake one. Implementations are safe to use from several threads.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace ravadid {

inline constexpr std::chrono::milliseconds kDefaultSmtpConnectTimeout{3000};
inline constexpr std::chrono::milliseconds kDefaultSmtpTimeout{10000};

struct MailServer {
  std::string host;
  int port = 25;
  bool authentication = false;  // user name and password are used only when on
  std::string username;
  std::string password;
  std::chrono::milliseconds connectTimeout = kDefaultSmtpConnectTimeout;
  std::chrono::milliseconds timeout = kDefaultSmtpTimeout;  // the whole send
};

struct MailMessage {
  std::string subject;
  std::string body;  // plain text, UTF-8
  // One address, or several joined with "; ": each gets the message, and the To header shows
  // the text as it is.
  std::string recipients;
  std::string fromAddress;
  std::string fromName;
};

struct MailResult {
  bool sent = false;
  std::string error;  // why not, when not sent
};

class Mailer {
 public:
  virtual ~Mailer() = default;
  virtual MailResult send(const MailServer& server, const MailMessage& message) = 0;
};

// Sends over SMTP with libcurl: STARTTLS when the server offers it, AUTH when authentication
// is on, one transaction with a RCPT for each address of the recipient text.
class CurlMailer : public Mailer {
 public:
  CurlMailer();
  MailResult send(const MailServer& server, const MailMessage& message) override;
};

// The addresses of a recipient text: split at ";" and ",", blanks trimmed, empty parts dropped.
std::vector<std::string> splitRecipients(std::string_view recipients);

// Why an envelope address cannot be used (empty text when it can): it must hold "@" and no
// blank, control character or angle bracket, so that it can neither end an SMTP command nor
// start a header line.
std::string addressProblem(std::string_view address);

// The message as it goes over the wire: headers (Date, From, To, Subject, Message-ID,
// MIME-Version, Content-Type, Content-Transfer-Encoding), a blank line, the body with CRLF
// line ends, ending in CRLF. Line breaks in the subject and the sender name become blanks;
// a subject or name that is not plain ASCII is encoded. The recipient text must have passed
// addressProblem part by part.
std::string composeMessage(const MailMessage& message, std::string_view date,
                           std::string_view messageId);
// "Tue, 08 Dec 2026 13:11:55 +0000" for the current time, in the server's local zone.
std::string mailDateNow();
// "<random hex@domain of the sender address>".
std::string newMessageId(std::string_view fromAddress);

}  // namespace ravadid

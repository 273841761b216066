#include "approval/notification_mail.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "approval/approval_chain.h"
#include "frame/application.h"
#include "frame/configuration.h"
#include "frame/db/database.h"
#include "frame/host/mail_error_log.h"
#include "frame/host/mailer.h"
#include "frame/runtime.h"
#include "frame/store.h"
#include "frame/text.h"

namespace ravadid {
namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::chrono::milliseconds kLongestSmtpTimeout{120000};

bool isBlank(std::string_view text) {
  return vb::Trim(text).empty();
}

// A notice goes only to an address text that can hold an address.
bool deliverable(std::string_view address) {
  return !isBlank(address) && address.find('@') != std::string_view::npos;
}

// The lines both notices share after their first line.
std::string requestLines(const NoticeRequest& r) {
  std::string lines = "Customer: " + r.customerName + kCrLf;
  lines.append("Destination: ").append(r.destination).append(kCrLf);
  lines.append("Dep Dt: ").append(r.departureDate).append(kCrLf);
  lines.append("# Students: ").append(r.numberOfStudents).append(kCrLf);
  lines.append("New Status: ").append(r.status);
  return lines;
}

// A timeout of trip.ini in milliseconds; missing, zero (which would mean no limit) or not a
// number gives the default, and no value waits longer than two minutes.
std::chrono::milliseconds timeoutOption(Ravadid& app, std::string_view key,
                                        std::chrono::milliseconds fallback) {
  auto value = wholeNumberOption(app.installation(), key);
  if (!value || *value == 0) return fallback;
  return std::min(kLongestSmtpTimeout,
                  std::chrono::milliseconds(std::min<std::uint64_t>(*value, INT32_MAX)));
}

}  // namespace

std::string GetApproverEmail(Ravadid& app, std::string_view role, std::string_view customer) {
  std::string result;
  app.run({.name = "GetApproverEmail", .writesReport = false}, [&] {
    if (role.empty()) return;
    db::Recordset rs;
    rs.open("SELECT KRSCU.EMAIL, KRSCU.ROLE, KRSCU.CUSTOMER From KRSCU WHERE (KRSCU.ROLE=" +
                sqlText(role) + ") AND (KRSCU.CUSTOMER=" + sqlText(customer) +
                " OR KRSCU.CUSTOMER='' or isnull(KRSCU.CUSTOMER))",
            app.zqkrsc1Db());
    int emailColumn = rs.fieldIndex("EMAIL");
    for (; !rs.eof(); rs.moveNext()) {
      Value email = rs.field(emailColumn);
      std::string address = email.isNull() ? std::string() : vb::CStr(email);
      if (isBlank(address)) continue;
      result = isBlank(result) ? address : vb::Trim(result) + "; " + address;
    }
    rs.close();
    if (result.empty()) result = "NA";
  });
  if (!app.noError()) return {};
  return result;
}

Notice requesterNotice(const NoticeRequest& r) {
  std::string first = r.isNew
                          ? "A New Trip Request, Request #" + r.tripNumber + " has been entered."
                          : "Trip Request #" + r.tripNumber + " has changed.";
  return {"Ravadid - Trip Request #" + r.tripNumber, first + kCrLf + requestLines(r)};
}

Notice approverNotice(const NoticeRequest& r) {
  std::string first =
      "Trip Request #" + r.tripNumber + " needs your approval (in the Ravadid software).";
  return {"Ravadid - Trip Request Request #" + r.tripNumber + " needs your approval",
          first + kCrLf + kCrLf + requestLines(r)};
}

NoticeSwitches noticeSwitches(const Store& session) {
  return {vb::equalsIgnoreCase(session.text("EMAIL_OPTIONS.REQ_TREKKO_CHANGE"), "True"),
          vb::equalsIgnoreCase(session.text("EMAIL_OPTIONS.APP_TREKKO_CHANGE"), "True")};
}

void sendRequestNotices(Ravadid& app, const NoticeRequest& request, NoticeSwitches switches) {
  if (request.status == request.previousStatus) return;
  if (switches.requester && app.noError() && deliverable(request.requestorEmail)) {
    Notice notice = requesterNotice(request);
    SendEmail(app, request.requestorEmail, notice.subject, notice.body);
  }
  if (!switches.approver || !app.noError()) return;
  std::string role = NextRole(app, vb::Trim(request.chain), request.status);
  if (!app.noError() || role == "NA") return;
  std::string address = GetApproverEmail(app, role, request.customer);
  if (address == "NA") address.clear();
  if (app.noError() && deliverable(address)) {
    Notice notice = approverNotice(request);
    SendEmail(app, address, notice.subject, notice.body);
  }
}

void SendEmail(Ravadid& app, std::string_view EmailAddress, std::string_view Subject,
               std::string_view Body) {
  // The handler that sends closes its own connections.
  app.run({.name = "SendEmail", .closesConnections = false}, [&] {
    debugLog(app, "Starting SendEmail");
    const Store& settings = app.application();
    MailMessage message;
    message.fromAddress = settings.text("EmailFromAddress");
    message.fromName = settings.text("EmailFromName");
    MailServer server;
    server.host = settings.text("SmtpServer");
    if (server.host.empty() || message.fromAddress.empty() || message.fromName.empty()) {
      app.errorText() = "Misconfigured email options in ini file.";
      return;
    }
    debugLog(app, "MailMan Dimmed");
    debugLog(app, "SmtpServer: " + server.host);
    int16_t port = vb::CInt(settings.get("SmtpPort"));
    server.port = port;
    debugLog(app, "SmtpPort: " + std::to_string(port));
    server.authentication = vb::CBool(settings.get("SmtpAuthentication"));
    debugLog(app, std::string("SmtpAuthentication: ") + (server.authentication ? "True" : "False"));
    if (server.authentication) {
      server.username = settings.text("SmtpUsername");
      debugLog(app, "SmtpUsername: " + server.username);
      server.password = settings.text("SmtpPassword");
      debugLog(app, "SmtpPassword: ********");  // a secret never goes into the log
    }
    server.connectTimeout = timeoutOption(app, "SmtpConnectTimeoutMs", kDefaultSmtpConnectTimeout);
    server.timeout = timeoutOption(app, "SmtpTimeoutMs", kDefaultSmtpTimeout);

    message.subject = std::string(Subject);
    debugLog(app, "Subject: " + message.subject);
    message.body = std::string(Body);
    debugLog(app, "Body: " + message.body);
    message.recipients = std::string(EmailAddress);
    debugLog(app, "EmailAddress: " + message.recipients);
    debugLog(app, "FromAddress: " + message.fromAddress);
    debugLog(app, "FromName: " + message.fromName);

    MailResult result = app.mailer().send(server, message);
    debugLog(app, std::string("success: ") + (result.sent ? "1" : "0"));
    if (!result.sent) {
      MailFailure failure{server.host + ":" + std::to_string(server.port), message.recipients,
                          message.subject, result.error};
      debugLog(app, appendMailFailure(app.installation().root / "RavadidLarkdale" / "ErrorLog.xml",
                                      failure));
    }
  });
}

}  // namespace ravadid

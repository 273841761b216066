// Notification e-mail: the addresses of a role's approvers, the requester and approver notices
// of a saved request, and SendEmail, which hands one message to the mail component and traces
// every step in the debug log.
#pragma once

#include <string>
#include <string_view>

namespace ravadid {

class Ravadid;
class Store;

// The addresses of the users with the role who serve the customer (or every customer),
// joined with "; "; "NA" when there is none. A database error leaves its report in the request
// error text and gives empty text. Uses the caller's zqkrsc1.mdb connection.
std::string GetApproverEmail(Ravadid& app, std::string_view role, std::string_view customer);

struct Notice {
  std::string subject;
  std::string body;  // CRLF line ends
};

// What the notices of one saved request show and whom they go to, as plain values.
struct NoticeRequest {
  std::string tripNumber;        // TRIPNUM
  bool isNew = false;            // the save created the request
  std::string customer;          // CUSTOMER, the code the approvers serve
  std::string customerName;      // getcust's name ("Not Found" when not on file)
  std::string destination;       // the session's RequestDetail.destdesc
  std::string departureDate;     // depdate as text
  std::string numberOfStudents;  // NUMSTUDENTS as text
  std::string chain;             // chainid
  std::string previousStatus;    // Status before the save
  std::string status;            // Status after it
  std::string requestorEmail;    // REQUESTOR_EMAIL
};

Notice requesterNotice(const NoticeRequest& request);
Notice approverNotice(const NoticeRequest& request);

// The district's mail switches as sign-in left them in the session.
struct NoticeSwitches {
  bool requester = false;  // EMAIL_OPTIONS.REQ_TREKKO_CHANGE
  bool approver = false;   // EMAIL_OPTIONS.APP_TREKKO_CHANGE
};
NoticeSwitches noticeSwitches(const Store& session);

// After a save: when the status changed, the requester notice (switch on) and then the notice
// to the approvers of the next role (switch on), each only while the request error text is
// "NA" and only to an address that is not blank and holds "@". Uses the caller's
// connections.
void sendRequestNotices(Ravadid& app, const NoticeRequest& request, NoticeSwitches switches);

// Sends one message with the site's mail settings to the address text (one address or several
// joined with "; "). A failed send is logged and added to ErrorLog.xml, not shown; missing
// settings or an error leave their text in the request error text, which is then written.
void SendEmail(Ravadid& app, std::string_view EmailAddress, std::string_view Subject,
               std::string_view Body);

}  // namespace ravadid

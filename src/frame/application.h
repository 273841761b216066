// The application object: one per HTTP request. It carries the per-request state, gives page
// code the host (form, session, response, templates) and the worker's module state, and
// offers the frame's operations every page uses: the session check, the database preamble,
// the close and exit steps, the error trap and SetNewVars.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "frame/host/exchange.h"
#include "frame/page_object.h"
#include "frame/request_values.h"
#include "frame/store.h"
#include "frame/web_application.h"
#include "frame/worker_state.h"
#include "frame/working_lists.h"

namespace ravadid {

inline constexpr std::string_view kModuleRavadid = "Ravadid";
inline constexpr std::string_view kModuleApproval = "mdlApproval";
inline constexpr std::string_view kModuleConfiguration = "ChkEligWeb";
inline constexpr std::string_view kTimeoutMessage =
    "Sorry, your session has timed out please log in again and retry.";

// How a procedure's error trap reports.
struct Procedure {
  std::string_view name;
  std::string_view module = kModuleRavadid;
  bool closesConnections = true;    // the trap closes the connections
  bool writesReport = true;         // the exit step writes the request error text
  bool configurationStyle = false;  // " - " between number and description
};

// "Error in Procedure: P of Module: M.  Error: N.  D." (or "Error: N - D." for the
// configuration module).
std::string errorReport(std::string_view procedure, std::string_view module, long number,
                        std::string_view description, bool configurationStyle = false);

class PageResponse;

class Ravadid {
 public:
  Ravadid(WebApplication& web, Exchange& exchange);

  // ---- Host -----------------------------------------------------------------------------
  Exchange& exchange() { return exchange_; }
  Store& session() { return exchange_.session(); }
  // The site settings as this request first read them, so that a start request publishing
  // new settings meanwhile never leaves a page half old and half new.
  const Store& application();
  // Stores the items in the application store together, and lets this request read them.
  void publishSettings(std::vector<std::pair<std::string, Value>> items);
  const Installation& installation() const { return web_.installation(); }
  DebugLog& log() const { return web_.log(); }
  Mailer& mailer() const { return web_.mailer(); }
  std::string form(std::string_view name) const { return exchange_.form(name); }
  std::string query(std::string_view name) const { return exchange_.query(name); }
  void write(std::string_view text) { exchange_.write(text); }
  // Names the page object whose Respond the host raises after the current handler.
  void setNextItem(std::string_view pageObject) { nextItem_ = std::string(pageObject); }
  // Where the "Go back" link of a message-only answer leads (a page of this site), instead of
  // the browser's back: for a page the browser could only show again by posting again.
  void backTo(std::string_view href);
  std::string takeNextItem() { return std::exchange(nextItem_, {}); }
  // "RavadidLarkdale.asp?WCI=Page&WCE=Event&WCU" (the event URL-encoded).
  std::string urlFor(std::string_view pageObject, std::string_view event = {}) const;
  // Writes the page object's template, raising its ProcessTag once per WC@ tag (the frame
  // replaces the tags every page shares first).
  void writeTemplate(const PageObject& page);
  void writeTemplate(std::string_view pageObject);

  // ---- Module state of this worker --------------------------------------------------------
  WorkerState& worker() { return worker_; }
  std::string& errorText() { return worker_.errorText; }
  bool noError() const { return worker_.errorText == "NA"; }

  // ---- Frame operations ------------------------------------------------------------------
  // Runs body under the procedure's error trap, then the procedure's exit step.
  void run(const Procedure& procedure, const std::function<void()>& body);
  // True when a user is signed in; otherwise sets the timeout message and names Logout.
  bool sessionCheck();
  // Application folder, data folder, connections. True when the handler may use the databases.
  bool databasePreamble();
  // Closes the three connections.
  void closeStep();
  // Writes the request error text (escaped) when it is not "NA".
  void exitStep();
  void SetNewVars();

  db::Connection& tripDb() { return worker_.tripConnection; }
  db::Connection& zqkrsc1Db() { return worker_.zqkrsc1Connection; }
  db::Connection& tripschlDb() { return worker_.tripschlConnection; }

  // ---- Per-request state -----------------------------------------------------------------
  std::string timeoutMessage;
  bool blnAutoFillRequests = true;
  bool blnAutoFillTrips = true;
  bool blnEditable = false;
  bool blnApprover = false;
  bool blnNewRequest = false;
  bool blnCopying = false;
  // The approval level status HasAuthority gave for the request on the form; the value of
  // its Approve radio.
  std::string approvalLevelStatus;
  // The request record (a TRIPSREQ row) the form and printable-request handlers hold open
  // while their template is written.
  db::Recordset tripRequest;
  WorkingLists lists;  // the drop-down lists of this request
  // The customer, destination and billing values the record loaders leave for this request.
  RequestValues record;

 private:
  WebApplication& web_;
  Exchange& exchange_;
  PageResponse* pageResponse_;  // the response of the server, not of a test's own exchange
  WorkerState& worker_;
  std::unique_ptr<Store> settings_;  // taken at the first read
  std::string nextItem_;
};

}  // namespace ravadid

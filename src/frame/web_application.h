// The web application as the server sees it: the installation, the page objects, the
// application store and the template cache, shared by every request of the process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "frame/debug_log.h"
#include "frame/host/exchange.h"
#include "frame/store.h"

namespace ravadid {

struct Installation {
  std::filesystem::path root;  // ROOT: data, logs, registry.ini, trip.ini
  std::filesystem::path site;  // SITE: templates, style sheets, images
  // "ROOT/" and "SITE/" as text ending in "/".
  std::string rootText() const;
  std::string siteText() const;
};

class Mailer;
class PageRegistry;
class Ravadid;
class TemplateCache;

class WebApplication {
 public:
  WebApplication(Installation installation, std::shared_ptr<const PageRegistry> pages);
  ~WebApplication();

  // Runs one request for the page: creates the application object, raises its events in order
  // and leaves the response in the exchange. Never throws.
  void handle(Exchange& exchange);
  // Whether the server keeps a session after a request: only while someone is signed in
  // (session key USER not blank), so failed sign-ins and anonymous visits leave nothing behind.
  static bool keepsSession(const Store& session);

  const Installation& installation() const { return installation_; }
  Store& applicationStore() { return application_; }
  TemplateCache& templates() { return *templates_; }
  // ROOT/RavadidLarkdale/log.txt, shared by every worker.
  DebugLog& log() { return log_; }
  // The mail component the notices go through (SMTP unless a test swaps in its own before
  // requests run).
  Mailer& mailer() { return *mailer_; }
  void setMailer(std::shared_ptr<Mailer> mailer) { mailer_ = std::move(mailer); }
  const PageRegistry& pages() const { return *pages_; }
  // Distinguishes this application's per-worker state from another's in the same process.
  std::uint64_t id() const { return id_; }

 private:
  // The start event or the named page's event, then the next page objects it names.
  void raiseEvents(Ravadid& app);

  Installation installation_;
  std::shared_ptr<const PageRegistry> pages_;
  std::unique_ptr<TemplateCache> templates_;
  Store application_;
  DebugLog log_;
  std::shared_ptr<Mailer> mailer_;
  std::uint64_t id_;
};

// The page's path, and the URL the application's own links use.
inline constexpr const char* kPagePath = "/RavadidLarkdale.asp";
inline constexpr const char* kPageName = "RavadidLarkdale.asp";

}  // namespace ravadid

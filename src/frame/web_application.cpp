#include "frame/web_application.h"

#include <atomic>
#include <exception>

#include "frame/application.h"
#include "frame/host/mailer.h"
#include "frame/page_object.h"
#include "frame/page_response.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/site_settings.h"
#include "frame/template.h"
#include "frame/text.h"

namespace ravadid {
namespace {

std::string withSlash(const std::filesystem::path& p) {
  std::string s = p.string();
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

std::atomic<std::uint64_t> nextApplicationId{1};

// A chain of next page objects longer than this is a loop in the page code.
constexpr int kMaxNextItems = 8;

void notFound(Exchange& exchange, std::string_view pageObject) {
  exchange.setStatus(404);
  exchange.write(
      "<!DOCTYPE html><html><head><title>Not Found</title></head><body>"
      "<h1>Not Found</h1><p>The page object &quot;" +
      htmlEscape(pageObject) + "&quot; does not exist.</p></body></html>");
}

}  // namespace

std::string Installation::rootText() const {
  return withSlash(root);
}
std::string Installation::siteText() const {
  return withSlash(site);
}

WebApplication::WebApplication(Installation installation, std::shared_ptr<const PageRegistry> pages)
    : installation_(std::move(installation)),
      pages_(std::move(pages)),
      templates_(std::make_unique<TemplateCache>()),
      log_(installation_.root / "RavadidLarkdale" / "log.txt"),
      mailer_(std::make_shared<CurlMailer>()),
      id_(nextApplicationId++) {
  schema::registerSchemaColumnTypes();
}

WebApplication::~WebApplication() = default;

bool WebApplication::keepsSession(const Store& session) {
  return !vb::Trim(session.text("USER")).empty();
}

void WebApplication::handle(Exchange& exchange) {
  PageResponse response(exchange);
  Ravadid app(*this, response);  // WebClass_Initialize; BeginRequest does nothing
  try {
    raiseEvents(app);
    // EndRequest and Terminate do nothing.
  } catch (const std::exception& e) {
    // Handlers trap their own errors; this only guards the server against a stray one.
    response.setStatus(500);
    response.write("<p>" + htmlEscape(e.what()) + "</p>");
  }
  response.finish(app.application());
}

void WebApplication::raiseEvents(Ravadid& app) {
  Exchange& exchange = app.exchange();
  std::string pageName = exchange.query("WCI");
  if (pageName.empty()) {
    WebClass_Start(app);
  } else {
    const PageObject* page = pages_->find(pageName);
    if (!page) return notFound(exchange, pageName);
    std::string event = exchange.query("WCE");
    if (event.empty()) {
      page->respond(app);
    } else if (std::string declared = page->declaredEvent(event); !declared.empty()) {
      page->onEvent(app, declared);
    } else {
      page->userEvent(app, event);
    }
  }
  for (int i = 0; i < kMaxNextItems; ++i) {
    std::string next = app.takeNextItem();
    if (next.empty()) break;
    const PageObject* page = pages_->find(next);
    if (!page) return notFound(exchange, next);
    page->respond(app);
  }
}

}  // namespace ravadid

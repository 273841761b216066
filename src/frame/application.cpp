#include "frame/application.h"

#include <exception>

#include "frame/configuration.h"
#include "frame/connections.h"
#include "frame/errors.h"
#include "frame/page_response.h"
#include "frame/runtime.h"
#include "frame/shared_tags.h"
#include "frame/template.h"
#include "frame/text.h"

namespace ravadid {

std::string errorReport(std::string_view procedure, std::string_view module, long number,
                        std::string_view description, bool configurationStyle) {
  std::string report = "Error in Procedure: ";
  report.append(procedure).append(" of Module: ").append(module).append(".  Error: ");
  report.append(std::to_string(number)).append(configurationStyle ? " - " : ".  ");
  report.append(description).append(".");
  return report;
}

Ravadid::Ravadid(WebApplication& web, Exchange& exchange)
    : web_(web),
      exchange_(exchange),
      pageResponse_(dynamic_cast<PageResponse*>(&exchange)),
      worker_(workerState(web.id())) {
  // WebClass_Initialize: every request starts without an error.
  worker_.errorText = "NA";
}

const Store& Ravadid::application() {
  // Built in place: a store is neither copied nor moved.
  if (!settings_) settings_.reset(new Store(web_.applicationStore().snapshot()));
  return *settings_;
}

void Ravadid::publishSettings(std::vector<std::pair<std::string, Value>> items) {
  web_.applicationStore().setAll(std::move(items));
  settings_.reset();
}

void Ravadid::backTo(std::string_view href) {
  if (pageResponse_) pageResponse_->backTo(std::string(href));
}

std::string Ravadid::urlFor(std::string_view pageObject, std::string_view event) const {
  std::string url = kPageName;
  url.append("?WCI=").append(urlEncode(pageObject));
  if (!event.empty()) url.append("&WCE=").append(urlEncode(event));
  url.append("&WCU");
  return url;
}

void Ravadid::writeTemplate(const PageObject& page) {
  auto parsed = web_.templates().load(installation().site / "templates" / page.templateFile());
  if (pageResponse_) pageResponse_->beginPage();
  for (const Template::Part& part : parsed->parts()) {
    if (!part.isTag) {
      write(part.text);
      continue;
    }
    TagEvent tag{part.tagName, part.text, false};
    if (!replaceSharedTag(*this, tag)) page.processTag(*this, tag);
    exchange_.writeMoved(std::move(tag.contents));
  }
}

void Ravadid::writeTemplate(std::string_view pageObject) {
  const PageObject* page = web_.pages().find(pageObject);
  if (!page) raise(vberr::kObjectNotSet, "Object variable or With block variable not set");
  writeTemplate(*page);
}

void Ravadid::run(const Procedure& procedure, const std::function<void()>& body) {
  auto trap = [&](long number, std::string_view description) {
    errorText() = errorReport(procedure.name, procedure.module, number, description,
                              procedure.configurationStyle);
    if (procedure.closesConnections) CloseTripDBConnections(*this);
  };
  try {
    body();
  } catch (const VbError& e) {
    trap(e.number(), e.description());
  } catch (const std::exception& e) {
    // A failure of our own code is reported like any runtime error, never passed to the host.
    trap(vberr::kInvalidProcedureCall, e.what());
  }
  if (procedure.writesReport) exitStep();
}

bool Ravadid::sessionCheck() {
  if (!session().text("USER").empty()) return true;
  timeoutMessage = std::string(kTimeoutMessage);
  setNextItem("Logout");
  return false;
}

bool Ravadid::databasePreamble() {
  if (worker_.applicationFolder.empty()) worker_.applicationFolder = application().text("APP_PATH");
  if (worker_.strTripDataPath.empty()) SetTripPaths(*this);
  if (noError()) SetTripDBConnections(*this);
  return noError();
}

void Ravadid::closeStep() {
  CloseTripDBConnections(*this);
}

void Ravadid::exitStep() {
  if (!noError()) write(htmlEscape(errorText()));
}

void Ravadid::SetNewVars() {
  session().set("RequestDetail.New", "NEW");
  blnNewRequest = true;
  session().set("TRIPREQ", "");
  session().set("RequestDetail.CopiedFrom", "");  // set again by Copy after this
  session().set("blnDepDtWarn", Value::boolean(false));
  session().set("blnRtnDtWarn", Value::boolean(false));
  blnEditable = true;
}

}  // namespace ravadid

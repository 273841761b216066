#include "request/request_form_common.h"

#include <string_view>

#include "frame/application.h"
#include "frame/runtime.h"
#include "frame/text.h"

namespace ravadid {
namespace {

// Text placed between single quotes in a script: backslashes, quotes and line ends escaped.
std::string scriptStringBody(std::string_view text) {
  std::string body;
  for (char c : text) {
    if (c == '\\' || c == '\'' || c == '"') {
      body += '\\';
      body += c;
    } else if (c == '\n') {
      body += "\\n";
    } else if (c == '\r') {
      body += "\\r";
    } else {
      body += c;
    }
  }
  return body;
}

}  // namespace

bool flagOn(const Value& value) {
  if (value.isBoolean()) return value.asBoolean();
  if (value.isNumeric()) return value.asDouble() != 0;
  return value.isText() && vb::equalsIgnoreCase(vb::Trim(value.asText()), "True");
}

void takeAuthority(Ravadid& app, const Authority& authority) {
  app.blnEditable = authority.edit;
  app.blnApprover = authority.approve;
  app.approvalLevelStatus = authority.levelStatus;
}

std::string calendarButton(Ravadid& app) {
  if (!flagOn(app.application().get("DOTNET_INSTALLED"))) return {};
  return "<input type=\"button\" value=\"View Calendar\" name=\"btnCalendar\" "
         "onclick=\"window.open('" +
         htmlEscape(scriptStringBody(app.application().text("CALENDAR_URL"))) +
         "', '', 'width=765,height=415');\">";
}

}  // namespace ravadid

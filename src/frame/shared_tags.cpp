#include "frame/shared_tags.h"

#include "frame/application.h"
#include "frame/runtime.h"
#include "frame/text.h"

namespace ravadid {

std::string signedInHtml(const Store& session) {
  const std::string user = vb::Trim(session.text("USER"));
  const std::string role = vb::Trim(session.text("ROLE"));
  if (user.empty()) return {};
  std::string html = "Signed in as <strong class=\"user\">" + htmlEscape(user) + "</strong>";
  if (!role.empty()) html += " <span class=\"role\">" + htmlEscape(role) + "</span>";
  return html;
}

bool replaceSharedTag(Ravadid& app, TagEvent& tag) {
  if (!tag.is("WC@SIGNEDIN")) return false;
  tag.contents = signedInHtml(app.session());
  return true;
}

}  // namespace ravadid

#include "frame/shared_tags.h"

#include "frame/application.h"
#include "frame/runtime.h"
#include "frame/text.h"

namespace ravadid {

bool replaceSharedTag(Ravadid& app, TagEvent& tag) {
  if (!tag.is("WC@SIGNEDIN")) return false;
  const std::string user = vb::Trim(app.session().text("USER"));
  const std::string role = vb::Trim(app.session().text("ROLE"));
  tag.contents.clear();
  if (user.empty()) return true;
  tag.contents = "Signed in as <strong class=\"user\">" + htmlEscape(user) + "</strong>";
  if (!role.empty()) tag.contents += " <span class=\"role\">" + htmlEscape(role) + "</span>";
  return true;
}

}  // namespace ravadid

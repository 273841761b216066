// Logout: closes the connections, ends the session and shows the timeout message (when a
// checked handler found no signed-in user) and the sign-in link.
#pragma once

#include "frame/page_object.h"

namespace ravadid {

class LogoutPage : public PageObject {
 public:
  LogoutPage() : PageObject("Logout") {}
  void respond(Ravadid& app) const override;
  void processTag(Ravadid& app, TagEvent& tag) const override;
};

}  // namespace ravadid

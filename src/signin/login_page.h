// Login: the sign-in page and its post.
#pragma once

#include "frame/page_object.h"

namespace ravadid {

class LoginPage : public PageObject {
 public:
  LoginPage() : PageObject("Login", {"LoginValidateUser"}) {}
  void respond(Ravadid& app) const override;
  void processTag(Ravadid& app, TagEvent& tag) const override;
  void onEvent(Ravadid& app, const std::string& event) const override;
};

// The sign-in post: signs out whoever used the session before, validates the posted user id
// and password against the user table, fills the session (identity, rights, the district's
// request comment, the mail switches and every drop-down list) under a new session id, and
// opens the start choice of the pressed button.
void Login_LoginValidateUser(Ravadid& app);

}  // namespace ravadid

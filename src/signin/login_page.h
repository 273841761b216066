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

}  // namespace ravadid

// The technical details of the installation (version, folders, mail settings), reached from
// the maker's logo on the sign-in page. tkDetails has no template and forwards to
// TKTechDetails. Neither needs a signed-in user.
#pragma once

#include "frame/page_object.h"

namespace ravadid {

class TkDetailsPage : public PageObject {
 public:
  TkDetailsPage() : PageObject("tkDetails") {}
  void respond(Ravadid& app) const override;
};

class TkTechDetailsPage : public PageObject {
 public:
  TkTechDetailsPage() : PageObject("TKTechDetails") {}
  void respond(Ravadid& app) const override;
  // The mail account's user name and password are never shown.
  void processTag(Ravadid& app, TagEvent& tag) const override;
};

}  // namespace ravadid

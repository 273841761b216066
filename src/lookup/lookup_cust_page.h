// LookupCust: finds customers by the beginning of their name and returns the chosen one to the
// request form.
#pragma once

#include <string>

#include "lookup/lookup_common.h"

namespace ravadid {

class Ravadid;

class LookupCustPage : public LookupPage {
 public:
  LookupCustPage() : LookupPage("LookupCust", {"FindCusts", "RetwSelected"}) {}
  void onEvent(Ravadid& app, const std::string& event) const override;
};

// The search form's post: lists the customers whose name begins with the posted CUSTDESC (all
// of them when it is blank), active or not, in name order.
void LookupCust_FindCusts(Ravadid& app, const LookupPage& page);

// The results form's post: the chosen customer becomes the request's customer, and the request
// form comes back.
void LookupCust_RetwSelected(Ravadid& app);

}  // namespace ravadid

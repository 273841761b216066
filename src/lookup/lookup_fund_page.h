// LookupFund: finds active funds by the beginning of their number and description and returns
// the chosen one to the request form, or to the field trip search that opened it. Districts
// that tie funds to customers see only the request customer's funds, unless the user may
// override the fund rule.
#pragma once

#include <string>

#include "lookup/lookup_common.h"

namespace ravadid {

class Ravadid;

class LookupFundPage : public LookupPage {
 public:
  LookupFundPage() : LookupPage("LookupFund", {"FindFunds", "RetwSelected"}) {}
  void onEvent(Ravadid& app, const std::string& event) const override;
  // Keeps the event name for WC@FUND and writes the page with empty results.
  void userEvent(Ravadid& app, const std::string& event) const override;
  void processLookupTag(Ravadid& app, const LookupState& state, TagEvent& tag) const override;
};

// The search form's post: the active funds whose number begins with the posted FUND and whose
// description begins with the posted DESC, in fund order.
void LookupFund_FindFunds(Ravadid& app, const LookupPage& page);

// The results form's post: the chosen fund (empty without a choice) becomes the request's fund;
// the page returns to the field trip search when that opened it, else to the request form.
void LookupFund_RetwSelected(Ravadid& app);

// The statement of a fund search, or empty with the request error text set to the message
// that refuses it.
std::string fundSearchStatement(Ravadid& app, const std::string& fund,
                                const std::string& description);

}  // namespace ravadid

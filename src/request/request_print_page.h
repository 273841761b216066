// TripRequestDetailPrint: the saved trip request as plain text in a page of its own, for
// printing. It fills the request form's tags with the stored values; controls, warnings and
// buttons are dropped and the headings become labels.
#pragma once

#include <string>
#include <string_view>

#include "frame/page_object.h"

namespace ravadid {

class Ravadid;

class TripRequestDetailPrintPage : public PageObject {
 public:
  TripRequestDetailPrintPage() : PageObject("TripRequestDetailPrint") {}
  void respond(Ravadid& app) const override;
  void processTag(Ravadid& app, TagEvent& tag) const override;
};

// The default event: opens the request named by the session's TRIPREQ, asks for the user's
// authority over it and writes the page's template. Without a request number the template is
// written without a record.
void TripRequestDetailPrint_Respond(Ravadid& app);

// Replaces one tag of the printable template with the stored value it stands for (escaped).
// Unknown tags, and the form's button tags, keep the template's text.
void TripRequestDetailPrint_ProcessTag(Ravadid& app, TagEvent& tag);

}  // namespace ravadid

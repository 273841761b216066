// RequestDetail: the trip request form. Opened for a new request (Respond) or for a saved one
// (UserEvent, the event name being the request number); the same template shows a new request,
// a saved one the user may change, a saved one the user may only read, an unsaved copy, and a
// form rebuilt from the session after a list change or a lookup. While a request is edited
// elsewhere (lookups, list changes) its values live in the RequestDetail.* session keys.
#pragma once

#include <string>

#include "frame/page_object.h"

namespace ravadid {

class Ravadid;

class RequestDetailPage : public PageObject {
 public:
  RequestDetailPage() : PageObject("RequestDetail", {"TripRequestDetail"}) {}
  void respond(Ravadid& app) const override;
  void processTag(Ravadid& app, TagEvent& tag) const override;
  void onEvent(Ravadid& app, const std::string& event) const override;
  void userEvent(Ravadid& app, const std::string& event) const override;
};

// The page without an event: a new request, a copy, or the form rebuilt from the session. For
// a request marked EXISTING it asks the user's authority over session TRIPREQ and opens the row.
void RequestDetail_Respond(Ravadid& app);

// The page with a request number as event name: opens that request with the user's authority
// over it. An empty name (a lookup returning to a new request) shows the form from the session.
void RequestDetail_UserEvent(Ravadid& app, const std::string& event);

// The form's post (buttons, list changes).
void RequestDetail_TripRequestDetail(Ravadid& app);

// Fills one tag of the form from the form state flags, the session, the posted form and the
// open request record.
void RequestDetail_ProcessTag(Ravadid& app, TagEvent& tag);

// Empties the form's session copy of the request (not RequestDetail.customer, not the
// destination details).
void ClearRequestDetailSession(Ravadid& app);

}  // namespace ravadid

// LookupDest: finds destinations by the beginning of their description, or takes a new
// destination that is not in the table, and returns it to the request form. A new destination
// is not written to the table: it travels with the request as destination 0 and its details.
#pragma once

#include <string>
#include <string_view>

#include "lookup/lookup_common.h"

namespace ravadid {

class Ravadid;
class Store;

class LookupDestPage : public LookupPage {
 public:
  LookupDestPage() : LookupPage("LookupDest", {"FindDests", "RetwSelected"}) {}
  void onEvent(Ravadid& app, const std::string& event) const override;
};

// The search form's post: with btnsubmit "New" the Add a Destination form (filled from the
// request's destination keys); otherwise the destinations whose description begins with the
// posted DESTDESC, active or not.
void LookupDest_FindDests(Ravadid& app, const LookupPage& page);

// The results form's post: a chosen destination, or a new one (SelDest 0) whose fields pass
// their checks, goes into the request's destination keys, and the request form comes back.
void LookupDest_RetwSelected(Ravadid& app);

// The category select of the Add a Destination form, from the session's DESTCATS list.
std::string destinationCategorySelect(const Store& session);

// The message that refuses the posted new destination, or empty when its fields pass. Checked
// in this order: miles, description, address lines, city, state, zip.
std::string newDestinationProblem(Ravadid& app);

}  // namespace ravadid

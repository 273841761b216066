// Tags that every page's template may hold, replaced by the frame before the page's own
// ProcessTag sees them.
#pragma once

#include <string>

namespace ravadid {

class Ravadid;
class Store;
struct TagEvent;

// Who the session belongs to, as HTML ("Signed in as <strong>clerk</strong>" and the role);
// empty text when nobody is signed in.
std::string signedInHtml(const Store& session);

// "WC@SIGNEDIN": who is signed in ("Signed in as clerk", with the role when there is one);
// empty text when nobody is. True when the tag was a shared one.
bool replaceSharedTag(Ravadid& app, TagEvent& tag);

}  // namespace ravadid

// Tags that every page's template may hold, replaced by the frame before the page's own
// ProcessTag sees them.
#pragma once

namespace ravadid {

class Ravadid;
struct TagEvent;

// "WC@SIGNEDIN": who is signed in ("Signed in as clerk", with the role when there is one);
// empty text when nobody is. True when the tag was a shared one.
bool replaceSharedTag(Ravadid& app, TagEvent& tag);

}  // namespace ravadid

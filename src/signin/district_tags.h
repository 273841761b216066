// The district's name and address tags that the sign-in and sign-out pages share.
#pragma once

namespace ravadid {

class Ravadid;
struct TagEvent;

// Replaces "wc@Name", "WC@ADDR1", "WC@CITYSTZIP" and "WC@PHONE" with the district's
// settings; true when the tag was one of them.
bool replaceDistrictTag(Ravadid& app, TagEvent& tag);

}  // namespace ravadid

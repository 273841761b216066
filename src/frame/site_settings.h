// The start event: loads the site settings into the application store and shows sign-in.
#pragma once

namespace ravadid {

class Ravadid;

void WebClass_Start(Ravadid& app);

}  // namespace ravadid

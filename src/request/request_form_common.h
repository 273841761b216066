// Pieces the request form and the printable request share: flags read from the settings or the
// session, the user's authority over the request, and the calendar button.
#pragma once

#include <string>

#include "approval/approval_chain.h"
#include "frame/value.h"

namespace ravadid {

class Ravadid;

// A flag kept as a boolean, a number or the text "True" (any case, blanks around it).
bool flagOn(const Value& value);

// Takes HasAuthority's answer onto the form state: the edit and approve flags and the approval
// level status.
void takeAuthority(Ravadid& app, const Authority& authority);

// The View Calendar button when the calendar is installed, else empty. The calendar's address
// is escaped for the script string and for the attribute it sits in.
std::string calendarButton(Ravadid& app);

}  // namespace ravadid

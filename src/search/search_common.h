// What the search pages and the trip calendar share: the flag and filter rules, the customer a
// user is bound to, the date range condition, the cells of their result tables and the filter
// lists they write.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "frame/value.h"
#include "frame/working_lists.h"

namespace ravadid {

class Ravadid;

// A site setting held as a flag: the boolean true, or text reading "True". A missing or blank
// setting is off.
bool settingOn(const Value& setting);

// A field as text for concatenation: a null adds nothing.
std::string fieldText(const Value& value);

// The customer the signed-in user is bound to: the session's CUSTOMER when it is not blank and
// the site does not let schools see each other's requests and trips (VIEW_OTHER_SCHOOLS);
// otherwise empty, and the user may see every customer.
std::string boundCustomer(Ravadid& app);

// The filter cut to the text before its first comma (a division option posts its whole entry).
std::string beforeFirstComma(std::string filter);

// The condition " column >= #from# and column <= #to#" into condition, or the message that
// stops the search when a date is no date. An empty "to" takes the "from" date, on the page as
// well.
std::optional<std::string> dateRange(const std::string& from, std::string& to,
                                     std::string_view column, std::string_view fromMessage,
                                     std::string_view toMessage, std::string& condition);

// ---- Cell contents: each appends to the page being built, escaped ---------------------------

// Blank as the runtime's Trim sees it: nothing but spaces.
bool isBlank(std::string_view text);
// The text, or "&nbsp;" when it is blank.
void appendTextOrSpace(std::string& html, std::string_view text);
// A field as NullToSpace reads it.
void appendNullToSpace(std::string& html, const Value& value);
// A field as NullToSpace reads it, or "&nbsp;" when that is blank.
void appendFieldOrSpace(std::string& html, const Value& value);
// A field as text for concatenation: a null adds nothing.
void appendFieldText(std::string& html, const Value& value);
// A stored time as getTIME prints it: "10:30&nbsp;AM", "&nbsp;" when blank.
void appendTimeCell(std::string& html, const Value& value);
// A trip or request number, "&nbsp;" when there is none (blank or 0).
void appendTripNumberCell(std::string& html, const Value& value);

// ---- Filter lists ---------------------------------------------------------------------------

using OptionWriter = std::function<void(std::string& html, std::string_view entry)>;

// "<select name='name' attributes>", one option per entry 0..count, "</select>".
std::string selectList(std::string_view name, std::string_view attributes, const WorkingList& list,
                       const OptionWriter& option);

// Grades and statuses: the entry is value and text; the option is never closed.
std::string codeSelect(std::string_view name, std::string_view attributes, const WorkingList& list,
                       const std::string& selected);

// Categories and divisions: options without a value post their text. A division posts its
// whole entry, which the search cuts back to the code.
std::string textSelect(std::string_view name, std::string_view attributes, const WorkingList& list,
                       const std::string& selected, bool selectByCode);

}  // namespace ravadid

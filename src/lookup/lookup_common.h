// What the customer, destination and fund look-ups share: the page tags, the error trap of
// their events, the row limit of a search, the results text and the prefix search condition.
// Each look-up is opened from the request form (which writes its template directly), searches
// a table by the beginning of a text and returns the chosen row to the form.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "frame/page_object.h"
#include "frame/value.h"
#include "search/search_common.h"  // appendFieldText for the result rows

namespace ravadid {

class Ravadid;

namespace db {
class Recordset;
}

// More rows than this are not listed: the search asks to be narrowed instead.
inline constexpr long kMaxLookupRows = 300;
inline constexpr std::string_view kTooManyLookupRows =
    "Sorry, your search returned more than 300 rows.  Please be more specific with your "
    "selection criteria.  Use your browser's back button and try again.";

// Closes every result table: the button that posts the choice back.
inline constexpr std::string_view kReturnParagraph =
    "<p align='center'><input type='submit' value='Return' name='btnSubmit2'></p>";

// The state of one look-up request: the results text shown by WC@RESULTS and, for the fund
// look-up, the name of the dynamic event it was opened with (WC@FUND).
struct LookupState {
  std::string results;
  std::string eventName;
};

// A look-up page object. Its template is written either by the request form (no search: empty
// results) or by its own events with the state they built.
class LookupPage : public PageObject {
 public:
  using PageObject::PageObject;

  void processTag(Ravadid& app, TagEvent& tag) const override;
  // Any undeclared event name writes the page with empty results.
  void userEvent(Ravadid& app, const std::string& event) const override;

  // The page's tags for this state: the district, WC@TRIPREQ and WC@RESULTS here; a page with
  // more tags adds them.
  virtual void processLookupTag(Ravadid& app, const LookupState& state, TagEvent& tag) const;
  // Writes the page's template with the tags of state.
  void writePage(Ravadid& app, LookupState& state) const;
};

// Runs the body of a look-up event under its error trap. Look-up events report an empty module
// name; an "object not set" error (91) raised after an earlier error is dropped, so that the
// first report is the one the user sees.
void runLookupEvent(Ravadid& app, std::string_view procedure, const std::function<void()>& body);

// Where a message of the look-up leads back to: the look-up page itself, shown afresh (the
// browser's back would have to post the previous form again).
void backToLookup(Ravadid& app, std::string_view pageObject);

// Applies the row limit to an open search. True when there are too many rows: the record set
// and the connections are closed and the request error text holds the refine message.
bool refuseTooManyRows(Ravadid& app, db::Recordset& rows, std::string_view pageObject);

// The condition " EXPRESSION like 'TEXT%'": rows whose value begins with text. The text is
// taken literally: quotes are doubled, and % _ \ are escaped (with an ESCAPE clause only then).
std::string beginsWithCondition(std::string_view expression, std::string_view text);

// The number of characters (not bytes) of a UTF-8 text.
std::size_t characterCount(std::string_view text);

}  // namespace ravadid

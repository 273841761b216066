// The drop-down lists: loaded from trip.mdb at sign-in, kept in the session, and turned into
// select elements by the pages. Also the one rule for splitting a list entry into its code and
// description.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "frame/working_lists.h"

namespace ravadid {

class Ravadid;
class Store;
namespace db {
class Connection;
}

// ---- List entries ---------------------------------------------------------------------------

// An entry "CODE, Description" split at its first comma.
struct SplitEntry {
  bool hasComma = false;
  std::string code;         // the text before the first comma; empty when there is none
  std::string description;  // the text after it, trimmed; empty when there is none
};
// Only the first comma separates, so a description may hold commas of its own.
SplitEntry splitAtFirstComma(std::string_view entry);

// The first count characters of UTF-8 text (never cutting a character in two).
std::string leftCharacters(std::string_view text, std::size_t count);

// ---- The lists in the session ---------------------------------------------------------------

// The two session keys of a list: the entries (a TextList value) and the count (16-bit).
struct SessionListKeys {
  std::string_view list;
  std::string_view count;
};
inline constexpr SessionListKeys kCustomerListKeys{"CustomersDD", "numCustomers"};
inline constexpr SessionListKeys kDestinationListKeys{"Destinations", "numDestinations"};
inline constexpr SessionListKeys kTripCategoryListKeys{"TripCat", "numTripCat"};
inline constexpr SessionListKeys kStatusListKeys{"StatusVals", "numStatusVals"};
inline constexpr SessionListKeys kDivisionListKeys{"Divisions", "numDivisions"};
inline constexpr SessionListKeys kGradeListKeys{"Grades", "numGrades"};
inline constexpr SessionListKeys kDestinationCategoryListKeys{"DESTCATS", "numDESTCATs"};
// The fund table: `Funds` holds the cells row by row (code, description, code, ...), as
// FundTable::cells does; `numFunds` the index of the last row.
inline constexpr SessionListKeys kFundTableKeys{"Funds", "numFunds"};

// Stores the list under its keys: the count as a 16-bit integer, the entries as a list value.
void storeList(Store& session, const SessionListKeys& keys, const WorkingList& list);
// The list kept under the keys. Entries that are not a list (never stored, or reset to empty
// text at sign-in) read as the list holding only the empty entry. Error 9 "Subscript out of
// range" when the count reaches beyond the entries; error 13 or 6 for a count that is no
// 16-bit number.
WorkingList readList(const Store& session, const SessionListKeys& keys);
// Stores the fund table under `Funds` and `numFunds`; a table not loaded is stored as count 0
// and an empty list.
void storeFundTable(Store& session, const FundTable& table);
// The fund table kept in the session, read like readList; a missing row 0 reads as empty.
FundTable readFundTable(const Store& session);

// ---- Loading ------------------------------------------------------------------------------

// Loads a list by the common rule: entry 0 empty, then one entry per record in the query's order
// (the code alone, or code, ", " and description).
WorkingList loadList(db::Connection& connection, std::string_view sql, const char* codeField,
                     const char* descriptionField = nullptr);
// The trap of a loader: an earlier failure in the request skips the database work, and the
// report is written again at the loader's exit.
void runLoader(Ravadid& app, std::string_view name, const std::function<void()>& load);

// ---- Loaders (fill the application object's working lists from trip.mdb) --------------------
// Each traps its own errors under its own name. The loaders but PopulateFundDD use the
// connections the calling handler opened, and skip their database work when the request
// already holds an error.

// Grades, customers, destinations and categories, then the request statuses and divisions.
void PopulateDD(Ravadid& app);
void PopulateGradeDD(Ravadid& app);
// All active customers, or only the signed-in user's own customer when the session holds one.
void PopulateCustDD(Ravadid& app);
void PopulateDestDD(Ravadid& app);
void PopulateCatDD(Ravadid& app);
void PopulateDESTCATDD(Ravadid& app);
// The fund table: all active funds for an empty customer, else that customer's funds. Opens
// and closes the connections itself.
void PopulateFundDD(Ravadid& app, std::string_view customerFilter = {});

// ---- Select builders ------------------------------------------------------------------------
// attributes are copied into the opening select tag as they are (template text).

// The destination select from the session's destination list. An empty destination selects
// nothing; a new destination (destinationIsNew) puts its description first with value 0,
// selected; otherwise the entry whose code equals destination is selected.
std::string BuildDestinationDD(Ravadid& app, std::string_view attributes = {},
                               std::string_view destination = {}, bool destinationIsNew = false);
// The fund select. With customer funds on (DISTRICT.USECUSTFUND) it uses the table
// PopulateFundDD loaded in this request, and is empty text when none was; otherwise the
// session's table. The row whose code equals fund (trimmed, ignoring case) is selected.
std::string BuildFundDD(Ravadid& app, std::string_view attributes = {}, std::string_view fund = {});

}  // namespace ravadid

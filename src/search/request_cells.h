// The cells that the request list and the request reports share besides those of
// search_common.h: the short date, the customer and destination of a request, and its detail link.
// Every value is escaped as it is appended.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "forms/drop_down_lists.h"
#include "frame/db/database.h"
#include "frame/db/row_cursor.h"
#include "frame/store.h"
#include "frame/value.h"
#include "search/search_common.h"

namespace ravadid {

class Ravadid;

namespace cells {

inline constexpr std::string_view kNotFound = "NOT FOUND";
inline constexpr std::string_view kCustomerQuery =
    "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID, CUSTOMER.CUSTDIV "
    "From CUSTOMER "
    "order by CUSTOMER.CUSTOMER;";

// The date alone, as the short date form prints it ("2/10/2026").
void appendShortDateCell(std::string& html, const Value& value);
// The customer of each request, from one record set of all customers ordered by code. The
// record set stays on the last customer found, so consecutive requests of one customer need no
// search.
class CustomerCursor {
 public:
  struct Customer {
    std::string name;
    std::string division;
  };

  explicit CustomerCursor(db::Connection& tripDb, std::string_view query = kCustomerQuery);
  void close() { customers_.close(); }

  // The customer whose code the field holds ("NOT FOUND" and a blank division when none).
  // Consecutive requests mostly share their customer, and the same code always finds the same
  // customer.
  const Customer& find(const Value& codeField);
  // The same for a field of the current row: a code stored as text is compared in place.
  const Customer& find(db::RowCursor& row, int index);

 private:
  Customer lookUp(const std::string& code);
  static Customer notFound() { return {std::string(kNotFound), " "}; }

  db::Recordset customers_;
  bool looked_ = false;
  Value lastCode_;
  Customer last_;
};

// Destination descriptions by code, from the session's destination list.
class DestinationNames {
 public:
  explicit DestinationNames(const Store& session) : session_(session) {}

  // The description after "code, " in the list entry of the code, or "NOT FOUND".
  std::string_view describe(long code);

  // The descriptions of one list by the number its code spells, as the code "12" (not "012")
  // is found for 12. A session's list is a shared copy that never changes, so the index of
  // the same copy serves every list written from it.
  struct Index {
    std::weak_ptr<const std::vector<std::string>> list;
    int16_t count = 0;
    std::unordered_map<long, std::string_view> descriptions;
  };

 private:
  void load();

  const Store& session_;
  WorkingList list_;  // keeps the texts that the index points into
  std::shared_ptr<const Index> index_;
};

// A request's detail link, escaped for the page. Only the request number differs from row to
// row, so the rest is built once per list.
class DetailLinks {
 public:
  explicit DetailLinks(const Ravadid& app);
  void append(std::string& html, const std::string& tripNumber) const;

 private:
  static constexpr std::string_view kMark = "0";
  std::string before_;
  std::string after_;
};

}  // namespace cells
}  // namespace ravadid

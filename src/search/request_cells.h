// The cells that the request list and the request reports share: a field as the lists print
// it, the customer and destination of a request, and its detail link. Every value is escaped
// as it is appended.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "forms/drop_down_lists.h"
#include "frame/db/database.h"
#include "frame/store.h"
#include "frame/value.h"

namespace ravadid {

class Ravadid;

namespace cells {

inline constexpr std::string_view kNotFound = "NOT FOUND";
inline constexpr std::string_view kCustomerQuery =
    "SELECT CUSTOMER.CUSTOMER, CUSTOMER.CUSTNAME, CUSTOMER.CHAINID, CUSTOMER.CUSTDIV "
    "From CUSTOMER "
    "order by CUSTOMER.CUSTOMER;";

// A field as text for concatenation: a null adds nothing.
std::string fieldText(const Value& value);
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
// The date alone, as the short date form prints it ("2/10/2026").
void appendShortDateCell(std::string& html, const Value& value);
// A trip number, "&nbsp;" when there is none (blank or 0).
void appendTripNumberCell(std::string& html, const Value& value);

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

 private:
  void load();

  const Store& session_;
  WorkingList list_;
  bool loaded_ = false;
  std::unordered_map<std::string, std::string_view> descriptions_;
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

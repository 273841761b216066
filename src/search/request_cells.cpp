#include "search/request_cells.h"

#include <charconv>
#include <cstddef>
#include <mutex>
#include <system_error>

#include "forms/date_time_selectors.h"
#include "frame/application.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"

namespace ravadid::cells {

using namespace std::string_view_literals;
namespace customer = schema::customer;

void appendShortDateCell(std::string& html, const Value& value) {
  if (value.isNull() || value.isEmpty()) {
    html += "&nbsp;"sv;
  } else if (!vb::IsDate(value)) {
    // A date column holding text that is no date is shown as it is rather than failing the list.
    appendTextOrSpace(html, vb::CStr(value));
  } else {
    appendHtmlEscaped(html, vb::formatDate(vb::dateOnly(vb::CDate(value))));
  }
}

CustomerCursor::CustomerCursor(db::Connection& tripDb, std::string_view query) {
  customers_.open(query, tripDb);
}

const CustomerCursor::Customer& CustomerCursor::find(const Value& codeField) {
  if (!looked_ || !(codeField == lastCode_)) {
    last_ = lookUp(NullToSpace(codeField));
    lastCode_ = codeField;
    looked_ = true;
  }
  return last_;
}

const CustomerCursor::Customer& CustomerCursor::find(db::RowCursor& row, int index) {
  const std::optional<std::string_view> code = row.text(index);
  if (code && looked_ && lastCode_.isText() && lastCode_.asText() == *code) return last_;
  return find(row.field(index));
}

CustomerCursor::Customer CustomerCursor::lookUp(const std::string& code) {
  if (vb::Trim(code).empty()) return notFound();
  const bool hasRows = customers_.recordCount() > 0;
  bool found = hasRows && !customers_.eof() && !customers_.bof() &&
               vb::equalsIgnoreCase(NullToSpace(customers_.field(customer::kCustomer)), code);
  if (!found && hasRows) {
    customers_.moveFirst();
    customers_.find(std::string(customer::kCustomer) + " = " + sqlText(code));
    found = !customers_.eof();
  }
  if (!found) {
    if (hasRows) customers_.moveFirst();
    return notFound();
  }
  return {NullToSpace(customers_.field(customer::kCustname)),
          NullToSpace(customers_.field(customer::kCustdiv))};
}

std::string_view DestinationNames::describe(long code) {
  if (!index_) load();
  auto it = index_->descriptions.find(code);
  return it == index_->descriptions.end() ? kNotFound : it->second;
}

namespace {

std::shared_ptr<const DestinationNames::Index> indexDescriptions(const WorkingList& list) {
  auto index = std::make_shared<DestinationNames::Index>();
  index->list = list.entries;
  index->count = list.count;
  for (int i = 1; i <= list.count; ++i) {
    std::string_view entry = list.entry(i);
    const std::size_t comma = entry.find(',');
    if (comma == std::string_view::npos) continue;
    // Only a code written as the number is written ("12", "-3") can be asked for.
    const std::string_view code = entry.substr(0, comma);
    long number = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), number);
    if (error != std::errc() || end != code.data() + code.size() || std::to_string(number) != code)
      continue;
    // Only the blank after the comma is dropped: the description keeps its own blanks.
    std::string_view description =
        comma + 2 <= entry.size() ? entry.substr(comma + 2) : std::string_view();
    index->descriptions.emplace(number, description);
  }
  return index;
}

// The indexes of the lists in use, shared by all requests.
std::shared_ptr<const DestinationNames::Index> sharedIndex(const WorkingList& list) {
  static std::mutex mutex;
  static std::vector<std::shared_ptr<const DestinationNames::Index>> indexes;
  auto matches = [&list](const auto& index) {
    return index->count == list.count && index->list.lock() == list.entries;
  };
  {
    std::lock_guard lock(mutex);
    for (const auto& index : indexes)
      if (matches(index)) return index;
  }
  auto index = indexDescriptions(list);
  std::lock_guard lock(mutex);
  // Indexes of lists no session holds any more are dropped; a few lists live at a time.
  std::erase_if(indexes, [](const auto& kept) { return kept->list.expired(); });
  if (indexes.size() >= 16) indexes.erase(indexes.begin());
  indexes.push_back(index);
  return index;
}

}  // namespace

void DestinationNames::load() {
  list_ = readList(session_, kDestinationListKeys);
  if (!list_.entries) {
    index_ = std::make_shared<const Index>();
    return;
  }
  index_ = sharedIndex(list_);
}

DetailLinks::DetailLinks(const Ravadid& app) {
  // The number stands last in the link, before the link's fixed end.
  const std::string link = htmlEscape(app.urlFor("RequestDetail", kMark));
  const std::size_t mark = link.rfind(kMark);
  before_ = link.substr(0, mark);
  after_ = link.substr(mark + kMark.size());
}

void DetailLinks::append(std::string& html, const std::string& tripNumber) const {
  html += before_;
  appendHtmlEscaped(html, urlEncode(tripNumber));
  html += after_;
}

}  // namespace ravadid::cells

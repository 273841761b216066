#include "search/request_cells.h"

#include <cstddef>

#include "forms/date_time_selectors.h"
#include "frame/application.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"

namespace ravadid::cells {

using namespace std::string_view_literals;
namespace customer = schema::customer;

std::string fieldText(const Value& value) {
  return value.isNull() || value.isEmpty() ? std::string() : vb::CStr(value);
}

bool isBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

void appendTextOrSpace(std::string& html, std::string_view text) {
  if (isBlank(text)) {
    html += "&nbsp;"sv;
  } else {
    appendHtmlEscaped(html, text);
  }
}

void appendNullToSpace(std::string& html, const Value& value) {
  if (value.isText()) {
    appendHtmlEscaped(html, value.asText());
  } else {
    appendHtmlEscaped(html, NullToSpace(value));
  }
}

void appendFieldOrSpace(std::string& html, const Value& value) {
  if (value.isText()) {
    appendTextOrSpace(html, value.asText());
  } else {
    appendTextOrSpace(html, NullToSpace(value));
  }
}

void appendFieldText(std::string& html, const Value& value) {
  if (value.isText()) {
    appendHtmlEscaped(html, value.asText());
  } else if (!value.isNull() && !value.isEmpty()) {
    appendHtmlEscaped(html, vb::CStr(value));
  }
}

void appendTimeCell(std::string& html, const Value& value) {
  if (value.isDate()) {
    appendTimeOfDate(html, value.asDate());
  } else {
    // A time column holding text that is no time is shown as it is.
    appendTextOrSpace(html, fieldText(value));
  }
}

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

void appendTripNumberCell(std::string& html, const Value& value) {
  const std::string text = fieldText(value);
  const std::string trimmed = vb::Trim(text);
  if (trimmed.empty() || trimmed == "0") {
    html += "&nbsp;"sv;
  } else {
    appendHtmlEscaped(html, text);
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
  if (!loaded_) load();
  auto it = descriptions_.find(std::to_string(code));
  return it == descriptions_.end() ? kNotFound : it->second;
}

void DestinationNames::load() {
  list_ = readList(session_, kDestinationListKeys);
  for (int i = 1; i <= list_.count; ++i) {
    std::string_view entry = list_.entry(i);
    const std::size_t comma = entry.find(',');
    if (comma == std::string_view::npos) continue;
    // Only the blank after the comma is dropped: the description keeps its own blanks.
    std::string_view description =
        comma + 2 <= entry.size() ? entry.substr(comma + 2) : std::string_view();
    descriptions_.emplace(vb::UCase(entry.substr(0, comma)), description);
  }
  loaded_ = true;
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

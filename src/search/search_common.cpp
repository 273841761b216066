#include "search/search_common.h"

#include "forms/date_time_selectors.h"
#include "forms/drop_down_lists.h"
#include "frame/application.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/text.h"

namespace ravadid {

using namespace std::string_view_literals;

// A site setting held as a flag: the boolean true, or text reading "True". A missing or blank
// setting is off.
bool settingOn(const Value& setting) {
  if (setting.isBoolean()) return setting.asBoolean();
  return setting.isText() && vb::equalsIgnoreCase(vb::Trim(setting.asText()), "True");
}

// A field as text for concatenation: a null adds nothing.
std::string fieldText(const Value& value) {
  return value.isNull() || value.isEmpty() ? std::string() : vb::CStr(value);
}

std::string boundCustomer(Ravadid& app) {
  if (settingOn(app.application().get("VIEW_OTHER_SCHOOLS"))) return {};
  std::string customer = app.session().text("CUSTOMER");
  return vb::Trim(customer).empty() ? std::string() : customer;
}

// Blank as the runtime's Trim sees it: nothing but spaces.
bool isBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

// The text, or "&nbsp;" when it is blank.
void appendTextOrSpace(std::string& html, std::string_view text) {
  if (isBlank(text)) {
    html += "&nbsp;"sv;
  } else {
    appendHtmlEscaped(html, text);
  }
}

// A field as NullToSpace reads it.
void appendNullToSpace(std::string& html, const Value& value) {
  if (value.isText()) {
    appendHtmlEscaped(html, value.asText());
  } else {
    appendHtmlEscaped(html, NullToSpace(value));
  }
}

// A field as NullToSpace reads it, or "&nbsp;" when that is blank.
void appendFieldOrSpace(std::string& html, const Value& value) {
  if (value.isText()) {
    appendTextOrSpace(html, value.asText());
  } else {
    appendTextOrSpace(html, NullToSpace(value));
  }
}

// A field as text for concatenation: a null adds nothing.
void appendFieldText(std::string& html, const Value& value) {
  if (value.isText()) {
    appendHtmlEscaped(html, value.asText());
  } else if (!value.isNull() && !value.isEmpty()) {
    appendHtmlEscaped(html, vb::CStr(value));
  }
}

// A stored time as getTIME prints it: "10:30&nbsp;AM", "&nbsp;" when blank.
void appendTimeCell(std::string& html, const Value& value) {
  if (value.isDate()) {
    appendTimeOfDate(html, value.asDate());
  } else {
    // A time column holding text that is no time is shown as it is.
    appendTextOrSpace(html, fieldText(value));
  }
}

// A trip number, "&nbsp;" when there is none (blank or 0).
void appendTripNumberCell(std::string& html, const Value& value) {
  const std::string text = fieldText(value);
  const std::string trimmed = vb::Trim(text);
  if (trimmed.empty() || trimmed == "0") {
    html += "&nbsp;"sv;
  } else {
    appendHtmlEscaped(html, text);
  }
}

// The filter cut to the text before its first comma (a division option posts its whole entry).
std::string beforeFirstComma(std::string filter) {
  SplitEntry split = splitAtFirstComma(filter);
  return split.hasComma ? std::move(split.code) : filter;
}

// The condition of a date range filter, or the message that stops the search. An empty "to"
// takes the "from" date, on the page as well.
std::optional<std::string> dateRange(const std::string& from, std::string& to,
                                     std::string_view column, std::string_view fromMessage,
                                     std::string_view toMessage, std::string& condition) {
  if (!vb::IsDate(Value(from))) return std::string(fromMessage);
  if (vb::Trim(to).empty()) {
    to = from;
  } else if (!vb::IsDate(Value(to))) {
    return std::string(toMessage);
  }
  condition = std::string(" ") + std::string(column) + " >= " + sqlDate(from) + " and " +
              std::string(column) + " <= " + sqlDate(to);
  return std::nullopt;
}

using OptionWriter = std::function<void(std::string& html, std::string_view entry)>;

// "<select name='name' attributes>", one option per entry 0..count, "</select>".
std::string selectList(std::string_view name, std::string_view attributes, const WorkingList& list,
                       const OptionWriter& option) {
  std::string html = "<select name='";
  html.append(name).append("' ").append(attributes).append(">");
  for (int i = 0; i <= list.count; ++i) option(html, list.entry(i));
  html += "</select>";
  return html;
}

// Grades and statuses: the entry is value and text; the option is never closed.
std::string codeSelect(std::string_view name, std::string_view attributes, const WorkingList& list,
                       const std::string& selected) {
  return selectList(name, attributes, list, [&](std::string& html, std::string_view entry) {
    if (entry.empty()) {
      html += "<option value=>";
      return;
    }
    const std::string text = htmlEscape(entry);
    html.append("<option value='").append(text);
    html.append(vb::equalsIgnoreCase(entry, selected) ? "' selected>" : "'>").append(text);
  });
}

// Categories and divisions: options without a value post their text. A division posts its
// whole entry, which the search cuts back to the code.
std::string textSelect(std::string_view name, std::string_view attributes, const WorkingList& list,
                       const std::string& selected, bool selectByCode) {
  return selectList(name, attributes, list, [&](std::string& html, std::string_view entry) {
    if (entry.empty()) {
      html += "<option></option>";
      return;
    }
    const std::string key = selectByCode ? splitAtFirstComma(entry).code : std::string(entry);
    html += vb::equalsIgnoreCase(key, selected) ? "<option selected>" : "<option>";
    html.append(htmlEscape(entry)).append("</option>");
  });
}

}  // namespace ravadid

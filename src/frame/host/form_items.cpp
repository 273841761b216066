#include "frame/host/form_items.h"

#include <httplib.h>

#include <utility>

namespace ravadid {

std::string decodedFormText(std::string_view text) {
  std::string s = httplib::detail::decode_url(std::string(text), true);
  // A NUL byte is never part of a legitimate field and would cut C strings short downstream.
  std::erase(s, '\0');
  return s;
}

// Split by hand rather than with the library's parser, which keeps only the text after the
// last "=" of an item.
FormItems parseFormItems(std::string_view text) {
  FormItems items;
  while (!text.empty()) {
    std::size_t amp = text.find('&');
    std::string_view item = text.substr(0, amp);
    text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
    if (item.empty()) continue;
    std::size_t eq = item.find('=');
    std::string name = decodedFormText(item.substr(0, eq));
    std::string value =
        eq == std::string_view::npos ? std::string() : decodedFormText(item.substr(eq + 1));
    items.try_emplace(std::move(name), std::move(value));
  }
  return items;
}

}  // namespace ravadid

// The items of a query string or a url-encoded form body: names and values decoded, looked up
// ignoring letter case.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "frame/store.h"

namespace ravadid {

// Request items by name, ignoring letter case; the first of repeated names wins.
using FormItems =
    std::unordered_map<std::string, std::string, CaseInsensitiveHash, CaseInsensitiveEqual>;

// One name or value as sent: "%XX" escapes and "+" for a blank decoded, NUL bytes dropped.
std::string decodedFormText(std::string_view text);

// "a=1&b&c=x%20y" as sent in a query string or a url-encoded body.
FormItems parseFormItems(std::string_view text);

}  // namespace ravadid

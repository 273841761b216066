// A small well-formedness check for whole pages: every element closed in order (void elements
// and the options and cells HTML lets close themselves excepted), and no two form fields of one
// name but radio pairs and buttons.
#pragma once

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace ravadid::testing {

inline std::string lowerCase(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The value of one attribute of an opening tag's text ('', "" or bare), or "" when absent.
inline std::string attributeOf(const std::string& tagText, const std::string& name) {
  const std::regex attribute("(?:^|\\s)" + name + "\\s*=\\s*(?:'([^']*)'|\"([^\"]*)\"|([^\\s>]+))",
                             std::regex::icase);
  std::smatch m;
  if (!std::regex_search(tagText, m, attribute)) return {};
  return m[1].matched ? m[1].str() : m[2].matched ? m[2].str() : m[3].str();
}

// The problems found; empty for a well-formed page.
inline std::vector<std::string> htmlProblems(const std::string& html) {
  static const std::set<std::string> kVoid = {"area",   "base",  "br",    "col",  "embed",
                                              "hr",     "img",   "input", "link", "meta",
                                              "source", "track", "wbr"};
  std::vector<std::string> problems;
  std::vector<std::string> open;
  std::set<std::string> names;
  static const std::regex tag(
      "<(/?)([A-Za-z][A-Za-z0-9]*)([^>]*)>|<!--[\\s\\S]*?-->|<!DOCTYPE[^>]*>", std::regex::icase);
  std::size_t position = 0;
  while (position < html.size()) {
    std::smatch m;
    if (!std::regex_search(html.cbegin() + static_cast<long>(position), html.cend(), m, tag)) break;
    position += static_cast<std::size_t>(m.position(0) + m.length(0));
    if (!m[2].matched) continue;  // comment or doctype
    const bool closing = m[1].length() > 0;
    const std::string name = lowerCase(m[2].str());
    const std::string attributes = m[3].str();
    if (closing) {
      if (open.empty() || open.back() != name) {
        problems.push_back("</" + name + "> closes <" + (open.empty() ? "nothing" : open.back()) +
                           ">");
        continue;
      }
      open.pop_back();
      continue;
    }
    if (name == "input" || name == "select" || name == "textarea") {
      const std::string type = lowerCase(attributeOf(attributes, "type"));
      const std::string field = lowerCase(attributeOf(attributes, "name"));
      const bool shared =
          type == "radio" || type == "submit" || type == "reset" || type == "button";
      if (!field.empty() && !shared && !names.insert(field).second)
        problems.push_back("field '" + field + "' twice");
    }
    if (kVoid.count(name) || attributes.ends_with("/")) continue;
    if (name == "script") {  // its text is no markup
      const std::size_t end = lowerCase(html).find("</script>", position);
      if (end == std::string::npos) {
        problems.push_back("<script> not closed");
        break;
      }
      position = end + 9;
      continue;
    }
    open.push_back(name);
  }
  for (const std::string& name : open) problems.push_back("<" + name + "> not closed");
  return problems;
}

}  // namespace ravadid::testing

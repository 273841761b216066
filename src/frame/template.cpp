#include "frame/template.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "frame/errors.h"

namespace ravadid {
namespace {

bool isTagNameChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '.' || c == '-';
}

bool startsWithIgnoreCase(std::string_view s, std::size_t at, std::string_view prefix) {
  if (s.size() - at < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(s[at + i])) !=
        std::toupper(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

// Finds "</NAME>" at or after from, ignoring case.
std::size_t findClosing(std::string_view html, std::string_view name, std::size_t from) {
  for (std::size_t at = html.find("</", from); at != std::string_view::npos;
       at = html.find("</", at + 1)) {
    std::size_t nameAt = at + 2;
    if (startsWithIgnoreCase(html, nameAt, name) && nameAt + name.size() < html.size() &&
        html[nameAt + name.size()] == '>')
      return at;
  }
  return std::string_view::npos;
}

}  // namespace

Template Template::parse(std::string_view html) {
  Template t;
  std::string literal;
  std::size_t pos = 0;
  while (pos < html.size()) {
    std::size_t open = html.find('<', pos);
    if (open == std::string_view::npos) {
      literal.append(html.substr(pos));
      break;
    }
    literal.append(html.substr(pos, open - pos));
    pos = open;
    if (!startsWithIgnoreCase(html, open + 1, "WC@")) {
      literal.push_back('<');
      ++pos;
      continue;
    }
    std::size_t nameEnd = open + 4;
    while (nameEnd < html.size() && isTagNameChar(html[nameEnd])) ++nameEnd;
    std::string_view name = html.substr(open + 1, nameEnd - open - 1);
    std::size_t close = std::string_view::npos;
    if (name.size() > 3 && nameEnd < html.size() && html[nameEnd] == '>')
      close = findClosing(html, name, nameEnd + 1);
    if (close == std::string_view::npos) {  // not a complete tag: keep it as text
      literal.push_back('<');
      ++pos;
      continue;
    }
    if (!literal.empty()) t.parts_.push_back({false, std::move(literal), {}});
    literal.clear();
    t.parts_.push_back(
        {true, std::string(html.substr(nameEnd + 1, close - nameEnd - 1)), std::string(name)});
    pos = close + name.size() + 3;
  }
  if (!literal.empty()) t.parts_.push_back({false, std::move(literal), {}});
  return t;
}

std::shared_ptr<const Template> TemplateCache::load(const std::filesystem::path& path) {
  std::error_code ec;
  auto modified = std::filesystem::last_write_time(path, ec);
  std::uintmax_t size = ec ? 0 : std::filesystem::file_size(path, ec);
  if (ec) raise(53, "File not found: " + path.filename().string());
  std::string key = path.string();
  {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(key);
    if (it != entries_.end() && it->second.modified == modified && it->second.size == size)
      return it->second.parsed;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) raise(53, "File not found: " + path.filename().string());
  std::ostringstream buffer;
  buffer << in.rdbuf();
  auto parsed = std::make_shared<const Template>(Template::parse(buffer.str()));
  std::lock_guard lock(mutex_);
  entries_[key] = Entry{modified, size, parsed};
  return parsed;
}

}  // namespace ravadid

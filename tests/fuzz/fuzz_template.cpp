// The template parser over any page text. Its parts put back together give the page again
// (a closing tag may differ from its opening one in letter case only), and parsing that text
// gives the same parts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/template.h"
#include "fuzz_check.h"

namespace {

using ravadid::Template;

std::string rebuilt(const Template& t) {
  std::string out;
  for (const Template::Part& part : t.parts()) {
    if (!part.isTag) {
      out += part.text;
      continue;
    }
    out.append("<").append(part.tagName).append(">").append(part.text);
    out.append("</").append(part.tagName).append(">");
  }
  return out;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool sameParts(const Template& a, const Template& b) {
  if (a.parts().size() != b.parts().size()) return false;
  for (std::size_t i = 0; i < a.parts().size(); ++i) {
    const Template::Part& x = a.parts()[i];
    const Template::Part& y = b.parts()[i];
    if (x.isTag != y.isTag || x.text != y.text || x.tagName != y.tagName) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view html(reinterpret_cast<const char*>(data), size);
  const Template parsed = Template::parse(html);

  bool previousLiteral = false;
  for (const Template::Part& part : parsed.parts()) {
    if (part.isTag) {
      FUZZ_CHECK(part.tagName.size() > 3 &&
                 equalIgnoringAsciiCase(part.tagName.substr(0, 3), "WC@"));
    } else {
      FUZZ_CHECK(!part.text.empty() && !previousLiteral);  // literal text comes in one piece
    }
    previousLiteral = !part.isTag;
  }

  const std::string text = rebuilt(parsed);
  FUZZ_CHECK(equalIgnoringAsciiCase(text, html));
  FUZZ_CHECK(sameParts(Template::parse(text), parsed));
  return 0;
}

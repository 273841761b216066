#include "frame/host/form_items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ravadid {
namespace {

TEST(FormItems, DecodesEachItemAndKeepsTheFirstOfRepeatedNames) {
  struct Case {
    const char* text;
    std::vector<std::pair<std::string, std::string>> expected;  // name as looked up, value
    std::size_t count;
  };
  const Case cases[] = {
      {"a=1&b&c=x%20y", {{"a", "1"}, {"b", ""}, {"c", "x y"}}, 3},
      {"Name=first&NAME=second", {{"name", "first"}}, 1},
      {"Purpose=Field+study+%26+lunch", {{"PURPOSE", "Field study & lunch"}}, 1},
      {"expr=a=b=c", {{"expr", "a=b=c"}}, 1},
      {"&&=empty&", {{"", "empty"}}, 1},
      {"n%00ul=v%00x", {{"nul", "vx"}}, 1},
      {"", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const FormItems items = parseFormItems(c.text);
    EXPECT_EQ(items.size(), c.count);
    for (const auto& [name, value] : c.expected) {
      auto it = items.find(name);
      ASSERT_NE(it, items.end()) << name;
      EXPECT_EQ(it->second, value);
    }
  }
}

}  // namespace
}  // namespace ravadid

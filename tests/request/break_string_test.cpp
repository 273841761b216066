#include "request/break_string.h"

#include <gtest/gtest.h>

#include <string>

namespace ravadid {
namespace {

// 29 letters, so that the next character is the 30th.
const std::string k29 = "abcdefghijklmnopqrstuvwxyzABC";

TEST(BreakStringTest, BreaksOnceAfterTheThirtiethCharacter) {
  struct Case {
    std::string text;
    int16_t length;
    std::string broken;
  };
  const Case cases[] = {
      {"", 30, ""},
      {"Larkdale Zoo", 30, "Larkdale Zoo"},
      {k29 + "D", 30, k29 + "D"},              // exactly 30: unchanged
      {k29 + "DE", 30, k29 + "D-<br>E"},       // 31, 30th a letter
      {k29 + " Zoo", 30, k29 + " <br>Zoo"},    // 30th a blank: no hyphen
      {k29 + "D" + k29 + "D" + k29 + "D", 30,  // one break at most
       k29 + "D-<br>" + k29 + "D" + k29 + "D"},
      {k29 + "DE", 40, k29 + "DE"},             // not longer than the length
      {k29 + "DEFGH", 20, k29 + "D-<br>EFGH"},  // the break stays after the 30th
      {"Short text", 5, "Short text-<br>"},     // no 30th character, so no blank either
      {k29 + "D", -1, k29 + "D-<br>"},
  };
  for (const Case& c : cases) EXPECT_EQ(BreakString(c.text, c.length), c.broken) << c.text;
}

TEST(BreakStringTest, CountsCharactersNotBytes) {
  // "é" is two bytes; the 30th character is "é", which stays whole before the break.
  const std::string text = k29 + "\xC3\xA9" + "xyz";
  EXPECT_EQ(BreakString(text, 30), k29 + "\xC3\xA9" + "-<br>xyz");
  // 30 characters of which several take two bytes are not broken.
  std::string accented;
  for (int i = 0; i < 30; ++i) accented += "\xC3\xB1";
  EXPECT_EQ(BreakString(accented, 30), accented);
}

TEST(BreakStringTest, HtmlFormEscapesEachPartAfterBreaking) {
  struct Case {
    std::string text;
    std::string html;
  };
  const Case cases[] = {
      // The ampersand is the 30th character: broken raw, its entity stays whole.
      {k29 + "&Parade", k29 + "&amp;-<br>Parade"},
      // Escaping first would have pushed "<b>" past the break and cut "&lt;" in two.
      {k29 + "<b>", k29 + "&lt;-<br>b&gt;"},
      {"Lincoln's \"Boyhood\" Home", "Lincoln&#39;s &quot;Boyhood&quot; Home"},
      {k29 + " <script>", k29 + " <br>&lt;script&gt;"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(breakStringHtml(c.text, 30), c.html) << c.text;
}

}  // namespace
}  // namespace ravadid

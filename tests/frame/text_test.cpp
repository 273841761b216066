#include "frame/text.h"

#include <gtest/gtest.h>

#include <string>

#include "frame/errors.h"

namespace ravadid {
namespace {

template <typename F>
long errorNumberOf(F&& call) {
  try {
    call();
  } catch (const VbError& e) {
    return e.number();
  }
  return 0;
}

struct TextCase {
  std::string in;
  std::string expected;
};

TEST(TextHtml, EscapesTheFiveMarkupCharacters) {
  const TextCase cases[] = {
      {"", ""},
      {"plain text 123", "plain text 123"},
      {"a & b", "a &amp; b"},
      {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
      {"say \"hi\"", "say &quot;hi&quot;"},
      {"O'Brien", "O&#39;Brien"},
      {"' onmouseover='x", "&#39; onmouseover=&#39;x"},
      {"&amp;", "&amp;amp;"},  // escaped text is escaped again, never taken as markup
      {"caf\xC3\xA9", "caf\xC3\xA9"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"<<&>>", "&lt;&lt;&amp;&gt;&gt;"},
      {"\xFF'\x80", "\xFF&#39;\x80"},
      // Long values are searched sixteen bytes at a time: marks at a block's edges and in the
      // bytes after the last whole block.
      {"0123456789abcde&", "0123456789abcde&amp;"},
      {"0123456789abcdef<0123456789abcde>", "0123456789abcdef&lt;0123456789abcde&gt;"},
      {"\xC3\xA9\xFF\x80 0123456789abcdef 0123456789\"",
       "\xC3\xA9\xFF\x80 0123456789abcdef 0123456789&quot;"},
      {std::string(40, 'x') + "'" + std::string(20, '\0'),
       std::string(40, 'x') + "&#39;" + std::string(20, '\0')},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(htmlEscape(c.in), c.expected) << c.in;
    std::string appended = "<td>";
    appendHtmlEscaped(appended, c.in);
    EXPECT_EQ(appended, "<td>" + c.expected) << c.in;
  }
}

TEST(TextUrl, KeepsUnreservedCharactersAndEncodesTheRest) {
  const TextCase cases[] = {
      {"", ""},
      {"AZaz09-_.~", "AZaz09-_.~"},
      {"a b", "a%20b"},
      {"a+b", "a%2Bb"},
      {"x&WCI=Logout", "x%26WCI%3DLogout"},
      {"100%", "100%25"},
      {"/?#[]@", "%2F%3F%23%5B%5D%40"},
      {"caf\xC3\xA9", "caf%C3%A9"},
      {"\r\n", "%0D%0A"},
      {std::string("\0", 1), "%00"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(urlEncode(c.in), c.expected) << c.in;
}

TEST(TextSql, TextLiteralsDoubleEmbeddedQuotes) {
  const TextCase cases[] = {
      {"", "''"},
      {"O'Brien", "'O''Brien'"},
      {"'", "''''"},
      {"x' OR '1'='1", "'x'' OR ''1''=''1'"},
      {"'; DROP TABLE TRIPSREQ; --", "'''; DROP TABLE TRIPSREQ; --'"},
      {"a \"quoted\" word", "'a \"quoted\" word'"},
      {"  kept blanks  ", "'  kept blanks  '"},
      {std::string("ab\0' OR 1=1", 11), "'ab'' OR 1=1'"},  // a NUL would end the statement early
  };
  for (const TextCase& c : cases) EXPECT_EQ(sqlText(c.in), c.expected) << c.in;
  EXPECT_EQ(sqlTextBody("O'Brien"), "O''Brien");
  EXPECT_EQ("'%" + sqlTextBody("it's") + "%'", "'%it''s%'");
}

TEST(TextSql, WholeNumbersAreConvertedBeforeUse) {
  const TextCase cases[] = {
      {"42", "42"}, {" 42 ", "42"},    {"-7", "-7"},   {"2.5", "2"},
      {"3.5", "4"}, {"1,234", "1234"}, {"&H10", "16"}, {"2147483647", "2147483647"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(sqlWhole(c.in), c.expected) << c.in;
  for (const char* bad : {"", " ", "abc", "1 OR 1=1", "1; DROP TABLE TRIPS", "1)"}) {
    EXPECT_EQ(errorNumberOf([&] { sqlWhole(bad); }), vberr::kTypeMismatch) << bad;
  }
  EXPECT_EQ(errorNumberOf([] { sqlWhole("2147483648"); }), vberr::kOverflow);
}

TEST(TextSql, NumbersPrintSoTheyReadBackExactly) {
  const TextCase cases[] = {
      {"42", "42"},
      {"1.5", "1.5"},
      {"0.1", "0.1"},
      {" -0.25 ", "-0.25"},
      {"$1,234.50", "1234.5"},
      {"1E20", "1E+20"},
      {"1e-7", "1E-07"},
      {"0.30000000000000004", "0.30000000000000004"},
      {"&HFF", "255"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(sqlNumber(c.in), c.expected) << c.in;
  for (const char* bad : {"", "x", "1 OR 1=1", "1,5.5.5"}) {
    EXPECT_EQ(errorNumberOf([&] { sqlNumber(bad); }), vberr::kTypeMismatch) << bad;
  }
}

TEST(TextSql, DatesAreValidatedAndWrittenMonthFirst) {
  const TextCase cases[] = {
      {"3/5/2024", "#3/5/2024#"},
      {"03/05/2024", "#3/5/2024#"},
      {"Mar/5/2024", "#3/5/2024#"},
      {"March 5, 2024", "#3/5/2024#"},
      {"3/5/24", "#3/5/2024#"},
      {"2024-03-05", "#3/5/2024#"},
      {"2024-03-05 10:30:00", "#3/5/2024 10:30:00#"},
      {"3/5/2024 9:05 PM", "#3/5/2024 21:05:00#"},
      {"3/5/2024 12:00:01 AM", "#3/5/2024 0:00:01#"},
      {"10:30 AM", "#12/30/1899 10:30:00#"},
      {"12/31/2009", "#12/31/2009#"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(sqlDate(c.in), c.expected) << c.in;
  for (const char* bad : {"", "abc", "2/30/2024", "13/45/2024", "3/5/2024# OR 1=1 OR #1/1/2000",
                          "3/5/2024' OR '1'='1", "25:00"}) {
    EXPECT_EQ(errorNumberOf([&] { sqlDate(bad); }), vberr::kTypeMismatch) << bad;
  }
}

TEST(TextSql, DateSerialsWriteTheSameForms) {
  EXPECT_EQ(sqlDate(25253.0), "#2/19/1969#");
  EXPECT_EQ(sqlDate(45356.0), "#3/5/2024#");
  EXPECT_EQ(sqlDate(45356.0 + 0.4375), "#3/5/2024 10:30:00#");
  EXPECT_EQ(sqlDate(45356.0 + 23.0 / 24.0), "#3/5/2024 23:00:00#");
  EXPECT_EQ(sqlDate(0.0), "#12/30/1899#");
  EXPECT_EQ(errorNumberOf([] { sqlDate(1e12); }), vberr::kOverflow);
}

}  // namespace
}  // namespace ravadid

#include "frame/template.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "frame/errors.h"

namespace ravadid {
namespace {

// Renders a template with each tag shown as [NAME|contents].
std::string render(const Template& t) {
  std::string out;
  for (const auto& p : t.parts()) out += p.isTag ? "[" + p.tagName + "|" + p.text + "]" : p.text;
  return out;
}

TEST(TemplateParse, TagsAndTextInTemplateOrder) {
  struct Case {
    const char* html;
    const char* expected;
  };
  const Case cases[] = {
      {"<p><WC@NAME>x</WC@NAME></p>", "<p>[WC@NAME|x]</p>"},
      {"<WC@A></WC@A><WC@B>b</WC@B>", "[WC@A|][WC@B|b]"},
      // Names in any letter case, the closing mark in another case than the opening one.
      {"<wc@Name>n</WC@NAME>", "[wc@Name|n]"},
      // Contents may hold markup, even other HTML tags.
      {"<WC@T><p align='center'>t</p></WC@T>", "[WC@T|<p align='center'>t</p>]"},
      // Incomplete tags stay literal text.
      {"<WC@OPEN>never closed", "<WC@OPEN>never closed"},
      {"a < b <WC@>x</WC@>", "a < b <WC@>x</WC@>"},
      {"<WC@X y='1'>z</WC@X>", "<WC@X y='1'>z</WC@X>"},
      {"no tags at all", "no tags at all"},
      {"", ""},
      {"<WC@DATE.START>d</WC@DATE.START>", "[WC@DATE.START|d]"},
  };
  for (const auto& c : cases) EXPECT_EQ(render(Template::parse(c.html)), c.expected) << c.html;
}

TEST(TemplateParse, SameTagTwiceGivesTwoEvents) {
  Template t = Template::parse("<WC@A>1</WC@A>-<WC@A>2</WC@A>");
  ASSERT_EQ(t.parts().size(), 3u);
  EXPECT_EQ(t.parts()[0].text, "1");
  EXPECT_EQ(t.parts()[2].text, "2");
}

class TemplateCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() /
        ("ravadid-template-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void writeFile(const std::string& text) {
    std::ofstream(dir_ / "Page.html", std::ios::trunc) << text;
  }
  std::filesystem::path dir_;
};

TEST_F(TemplateCacheTest, KeepsTheParsedTemplateUntilTheFileChanges) {
  TemplateCache cache;
  writeFile("<WC@A>1</WC@A>");
  auto first = cache.load(dir_ / "Page.html");
  EXPECT_EQ(first, cache.load(dir_ / "Page.html"));  // parsed once

  writeFile("<WC@B>22</WC@B>");
  // Make sure the modification time moves even on coarse file systems.
  std::filesystem::last_write_time(
      dir_ / "Page.html",
      std::filesystem::last_write_time(dir_ / "Page.html") + std::chrono::seconds(2));
  auto second = cache.load(dir_ / "Page.html");
  EXPECT_NE(first, second);
  EXPECT_EQ(render(*second), "[WC@B|22]");
}

TEST_F(TemplateCacheTest, MissingFileRaisesFileNotFound) {
  TemplateCache cache;
  try {
    cache.load(dir_ / "Nope.html");
    FAIL() << "expected an error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 53);
  }
}

}  // namespace
}  // namespace ravadid

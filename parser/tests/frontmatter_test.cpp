#include "frontmatter.h"

#include <gtest/gtest.h>

namespace zuv::parser {
namespace {

TEST(Frontmatter, Fences) {
  struct Case {
    std::string_view input;
    std::string frontmatter;  // compact JSON, or empty for none
    size_t body_offset;
  };
  const Case cases[] = {
      {"---\ntitle: Hello\n---\n# Body\n", R"({"title":"Hello"})", 21},
      {"---\r\ntitle: x\r\n---\r\nBody", R"({"title":"x"})", 20},
      {"---\na: 1\n---", R"({"a":1})", 12},
      {"---\na: 1\n   ---\nB", R"({"a":1})", 16},
      {"---\na: 1\n\xc2\xa0\t\r---\r\r\nB", R"({"a":1})", 19},
      {"---\na: 1\n---\nb: 2\n---\n", R"({"a":1})", 13},
      {"---\n---\nText", "", 8},
      {"---\na: [1\n---\nText", "", 14},
      {"---\n# only a comment\n---\nB", "", 25},
      {"---\n~\n---\n", "", 10},
      {"---\na: 1\n--- \n", "", 0},
      {"---\na: 1\n----\n", "", 0},
      {"--- \ntitle: x\n---\n", "", 0},
      {"---x\na: 1\n---\n", "", 0},
      {" ---\na: 1\n---\n", "", 0},
      {"\xef\xbb\xbf---\na: 1\n---\n", "", 0},
      {"---\n", "", 0},
      {"---", "", 0},
      {"---\r\n", "", 0},
      {"---\n\n", "", 0},
      {"", "", 0},
  };
  for (const Case& c : cases) {
    FrontmatterSplit split = extract_frontmatter(c.input);
    EXPECT_EQ(split.frontmatter ? to_json_text(*split.frontmatter) : "", c.frontmatter) << c.input;
    EXPECT_EQ(split.body_offset, c.body_offset) << c.input;
  }
}

}  // namespace
}  // namespace zuv::parser

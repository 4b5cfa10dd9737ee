// Inline constructs of running text. The math parser is tested on its own: only the raw source
// of inline math is asserted here.

#include "text.h"

#include <gtest/gtest.h>

#include "layer_testing.h"

namespace zuv::parser {
namespace {

using testing::describe;

std::string parse(std::string_view text, size_t base = 0) {
  SourceMap map(std::string(base, ' ') + std::string(text));
  return describe(parse_text(text, base, map));
}

TEST(Text, WorkedExample) {
  EXPECT_EQ(parse("See $x^2$ and [@book1, p. 7]{$a}.", 100),
            R"(text "See " 100-104 | math "x^2" 104-109 | text " and " 109-114 | )"
            R"(cite [@"book1", "p. 7"] 114-128 | var "a" 128-132 | text "." 132-133)");
}

TEST(Text, Constructs) {
  struct Case {
    std::string_view text;
    std::string nodes;
  };
  const Case cases[] = {
      {"", ""},
      {"plain text\nwith é", R"(text "plain text\nwith é" 0-18)"},
      // Math.
      {"$x$", R"(math "x" 0-3)"},
      {"$ x$", R"(text "$ x$" 0-4)"},
      {"$x $", R"(text "$x $" 0-4)"},
      {"$$", R"(text "$$" 0-2)"},
      {"$", R"(text "$" 0-1)"},
      {"$\tx\n$", R"(math "\tx\n" 0-5)"},
      {"$5 and $10", R"(text "$5 and $10" 0-10)"},
      {"$$x$$", R"(text "$" 0-1 | math "x" 1-4 | text "$" 4-5)"},
      {"$a\\$", R"(math "a\\" 0-4)"},
      {"{$x", R"(text "{$x" 0-3)"},
      // Citations.
      {"[@key2020]", R"(cite [@"key2020"] 0-10)"},
      {"[@key2020, p. 5]", R"(cite [@"key2020", "p. 5"] 0-16)"},
      {"[see @ref1; @ref2, ch. 2]", R"(cite ["see" @"ref1"; @"ref2", "ch. 2"] 0-25)"},
      {"[@a; b]", R"(cite [@"a"] 0-7)"},
      {"[@; @b]", R"(cite [@"b"] 0-7)"},
      {"[@a@b]", R"(cite ["a" @"b"] 0-6)"},
      {"[@a,]", R"(cite [@"a"] 0-5)"},
      {"[@ id with space , loc ]", R"(cite [@"id with space", "loc"] 0-24)"},
      {"[@]", "cite [] 0-3"},
      {"[x @, y]", "cite [] 0-8"},
      {"[[@a]", R"(cite ["[" @"a"] 0-5)"},
      {"[a [@b]", R"(cite ["a [" @"b"] 0-7)"},
      {"[@x](y)", R"~(text "[@x](y)" 0-7)~"},
      {"[@x", R"(text "[@x" 0-3)"},
      {"[@x\n]", R"(text "[@x\n]" 0-5)"},
      {"[a]", R"(text "[a]" 0-3)"},
      {"[", R"(text "[" 0-1)"},
      // Cross-references and variables.
      {"{@fig:one}", R"(ref "fig:one" 0-10)"},
      {"{@_a.b-c:d}", R"(ref "_a.b-c:d" 0-11)"},
      {"{@1a}", R"(error "Invalid cross-reference target: 1a" raw "{@1a}" 0-5)"},
      {"{@}", R"(error "Invalid cross-reference target: " raw "{@}" 0-3)"},
      {"{@a", R"(text "{@a" 0-3)"},
      {"{$user.name}", R"(var "user.name" 0-12)"},
      {"{$user-name}", R"(error "Invalid variable path: user-name" raw "{$user-name}" 0-12)"},
      {"{$}", R"(error "Invalid variable path: " raw "{$}" 0-3)"},
      {"{x} {", R"(text "{x} {" 0-5)"},
      // Escapes.
      {"\\$", R"(text "$" 0-2)"},
      {"a\\$b", R"(text "a" 0-1 | text "$" 1-3 | text "b" 3-4)"},
      {"\\[@a]", R"(text "[@" 0-3 | text "a]" 3-5)"},
      {"\\[a @b]", R"(text "\\" 0-1 | cite ["a" @"b"] 1-7)"},
      {"\\\\$x$", R"(text "\\" 0-2 | math "x" 2-5)"},
      {"\\{$x}", R"(text "{$x}" 0-5)"},
      {"\\{$x", R"(text "\\{$x" 0-4)"},
      {"\\{{", R"(text "{{" 0-3)"},
      {"\\{@a}", R"(text "{@" 0-3 | text "a}" 3-5)"},
      {"\\{x", R"(text "{" 0-2 | text "x" 2-3)"},
      {"\\{", R"(text "{" 0-2)"},
      {"\\}}", R"(text "}}" 0-3)"},
      {"\\}", R"(text "\\}" 0-2)"},
      {"a\\q", R"(text "a\\q" 0-3)"},
      {"\\", R"(text "\\" 0-1)"},
      {"\\\n", R"(text "\\\n" 0-2)"},
  };
  for (const Case& c : cases) EXPECT_EQ(parse(c.text), c.nodes) << c.text;
}

TEST(Text, PositionsCountLinesOfTheWholeInput) {
  std::string input = "# T\nab {@x}\n";
  SourceMap map(input);
  NodeList nodes = parse_text(std::string_view(input).substr(4, 7), 4, map);
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_EQ(nodes[1].position(), (Position{{2, 4, 7}, {2, 8, 11}}));
}

TEST(Text, SplitLocator) {
  using Result = std::pair<std::string, std::optional<std::string>>;
  EXPECT_EQ(split_locator(" a , p. 5 "), (Result{"a", "p. 5"}));
  EXPECT_EQ(split_locator("a, x, y"), (Result{"a", "x, y"}));
  EXPECT_EQ(split_locator("a ,\u00a0"), (Result{"a", std::nullopt}));
  EXPECT_EQ(split_locator("\u2003a b"), (Result{"a b", std::nullopt}));
  EXPECT_EQ(split_locator(""), (Result{"", std::nullopt}));
}

}  // namespace
}  // namespace zuv::parser

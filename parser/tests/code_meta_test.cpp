#include "code_meta.h"

#include <gtest/gtest.h>

namespace zuv::parser {
namespace {

std::string describe(const CodeMeta& m) {
  std::string out;
  auto add = [&](const std::string& s) { out += (out.empty() ? "" : " ") + s; };
  if (m.meta) add("meta=<" + *m.meta + ">");
  if (m.title) add("title=<" + *m.title + ">");
  if (m.caption) add("caption=<" + *m.caption + ">");
  if (m.highlight) {
    std::string h;
    for (uint32_t v : *m.highlight) h += (h.empty() ? "" : ",") + std::to_string(v);
    add("highlight=" + h);
  }
  if (m.showLineNumbers) add(*m.showLineNumbers ? "lines" : "lines=false");
  if (m.diff) add(*m.diff ? "diff" : "diff=false");
  return out;
}

TEST(CodeMeta, Items) {
  struct Case {
    std::string_view metadata;
    std::string result;
  };
  const Case cases[] = {
      {"title='app.js' {1,3-5} showLineNumbers", "title=<app.js> highlight=1,3,4,5 lines"},
      {"title='app.js' extra  words", "meta=<extra words> title=<app.js>"},
      {"foo  bar", "meta=<foo  bar>"},
      {" foo", "meta=< foo>"},
      {"{5,1,5,2-3}", "highlight=1,2,3,5"},
      {"{ 1 , 2 -\t3 ,}", "highlight=1,2,3"},
      {"{3-1}", "meta=<{3-1}>"},
      {"{3-1,2}", "highlight=2"},
      {"{}", "meta=<{}>"},
      {"{,}", "meta=<{,}>"},
      {"{1 2}", "meta=<{1 2}>"},
      {"{1,x} diff", "meta=<{1,x}> diff"},
      {"{+2}", "highlight=2"},
      {"{-2}", "meta=<{-2}>"},
      {"{007}", "highlight=7"},
      {"{4294967295}", "highlight=4294967295"},
      {"{4294967296}", "meta=<{4294967296}>"},
      {"{1}x a {2} b", "meta=<x a b> highlight=2"},
      {"{1 {2}", "meta=<{1> highlight=2"},
      {"title=foo", "meta=<title=foo>"},
      {"title='it\\'s'", "title=<it's>"},
      {"title=\"a\\nb\"", "title=<a\\nb>"},
      {"title=\"unclosed x", "meta=<title=\"unclosed x>"},
      {"caption='A' caption='B'", "caption=<B>"},
      {"title='a'caption='b'", "title=<a> caption=<b>"},
      {"showLineNumbers=true", "meta=<showLineNumbers=true>"},
      {"showLineNumbers\tdiff", "lines diff"},
      {"diff", "diff"},
      {"diffs", "meta=<diffs>"},
      {"\u00a0title='x'\u3000", "title=<x>"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(describe(parse_code_meta(c.metadata)), c.result) << c.metadata;
}

// Mended fault: a list that would add more than 65,536 values is given up like any faulty list.
TEST(CodeMeta, HighlightListsAreBounded) {
  CodeMeta at_limit = parse_code_meta("{1-65536}");
  ASSERT_TRUE(at_limit.highlight);
  EXPECT_EQ(at_limit.highlight->size(), 65536u);
  EXPECT_EQ(at_limit.highlight->back(), 65536u);
  for (std::string_view past :
       {"{1-65537}", "{1-4000000000}", "{0-4294967295}", "{1-60000,60001-65537}", "{1-65536,1}"}) {
    CodeMeta m = parse_code_meta(past);
    EXPECT_FALSE(m.highlight) << past;
    EXPECT_EQ(m.meta, std::string(past));
  }
  CodeMeta with_switch = parse_code_meta("{1-4000000000} diff");
  EXPECT_EQ(describe(with_switch), "meta=<{1-4000000000}> diff");
}

// Mended fault: every list of an info string is read, but only the kept one is expanded, and
// the values kept across a document are bounded. Past the budget a kept list keeps its smallest
// values within what is left; once it is spent, lists stay words.
TEST(CodeMeta, HighlightBudgetOfADocument) {
  HighlightBudget budget(0);  // the budget is never below kMinLimit
  ASSERT_EQ(budget.left(), HighlightBudget::kMinLimit);
  EXPECT_EQ(HighlightBudget(5u << 20).left(), 5u << 20);
  // Earlier lists of one info string cost nothing.
  CodeMeta m = parse_code_meta("{1-65536} {1-65536} {1-65536} {2,9-7,1-3}", budget);
  EXPECT_EQ(describe(m), "highlight=1,2,3");
  EXPECT_EQ(budget.left(), HighlightBudget::kMinLimit - 4);  // repeats counted
  for (int i = 0; i < 15; ++i) {
    ASSERT_EQ(parse_code_meta("{1-65536}", budget).highlight->size(), 65536u);
  }
  EXPECT_EQ(budget.left(), 65536u - 4);
  EXPECT_EQ(parse_code_meta("{1-65526}", budget).highlight->size(), 65526u);
  EXPECT_EQ(budget.left(), 6u);
  EXPECT_EQ(describe(parse_code_meta("{9-3,3-9,1,1} diff", budget)), "highlight=1,3,4,5,6,7 diff");
  EXPECT_EQ(budget.left(), 0u);
  EXPECT_EQ(describe(parse_code_meta("{1} diff", budget)), "meta=<{1}> diff");
  EXPECT_EQ(describe(parse_code_meta("{1}", budget)), "meta=<{1}>");
}

TEST(CodeMeta, ReadQuotedValue) {
  using Result = std::optional<std::pair<std::string, size_t>>;
  EXPECT_EQ(read_quoted_value("\"a\\\"b\""), (Result{{"a\"b", 6}}));
  EXPECT_EQ(read_quoted_value("'a\\nb' rest"), (Result{{"a\\nb", 6}}));
  EXPECT_EQ(read_quoted_value("\"a\\\\\"x"), (Result{{"a\\", 5}}));
  EXPECT_EQ(read_quoted_value("'a\"b'"), (Result{{"a\"b", 5}}));
  EXPECT_EQ(read_quoted_value("\"\""), (Result{{"", 2}}));
  EXPECT_EQ(read_quoted_value("\"abc"), std::nullopt);
  EXPECT_EQ(read_quoted_value("\"abc\\"), std::nullopt);
  EXPECT_EQ(read_quoted_value("x\"a\""), std::nullopt);
  EXPECT_EQ(read_quoted_value(""), std::nullopt);
}

}  // namespace
}  // namespace zuv::parser

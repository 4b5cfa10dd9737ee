// The YAML loader: scalar resolution, composition, failures, and every budget limit at the
// limit and one past it.

#include "yaml_loader.h"

#include <gtest/gtest.h>

#include <string>

#include "repeat.h"

namespace zuv::parser {
namespace {

using zuv::testing::repeat_n;

std::string load(std::string_view text, const YamlBudget& budget = {}) {
  std::optional<JsonValue> v = load_yaml(text, budget);
  return v ? to_json_text(*v) : "fail";
}

TEST(YamlLoader, ResolvesScalars) {
  struct Case {
    std::string_view yaml;
    std::string json;
  };
  const Case cases[] = {
      {"[~, null, Null, NULL, nULL, '']", R"([null,null,null,null,"nULL",""])"},
      {"e:", R"({"e":null})"},
      {"[true, True, TRUE, false, False, FALSE, yes, no, on, tRue]",
       R"([true,true,true,false,false,false,"yes","no","on","tRue"])"},
      {"[0, -0, +12, 007, 0o17, 0x1F, 0xff, -5, 0o, 0x, 0xg, 0o8, 1_000, 0b1]",
       R"([0,0,12,7,15,31,255,-5,"0o","0x","0xg","0o8","1_000","0b1"])"},
      {"[9223372036854775807, 18446744073709551615, 18446744073709551616]",
       "[9223372036854775807,18446744073709551615,1.8446744073709552e19]"},
      {"[-9223372036854775808, -9223372036854775809]",
       "[-9223372036854775808,-9.223372036854776e18]"},
      {"[0xffffffffffffffffff, 0o7777777777777777777777777]",
       "[4.722366482869645e21,3.777893186295716e22]"},
      {"[1.5, -1.5e3, .5, 5., 1e3, +1.0, 1E-2, 1e-400, -0.0]",
       "[1.5,-1500.0,0.5,5.0,1000.0,1.0,0.01,0.0,-0.0]"},
      // Values the tree cannot hold stay the text as written.
      {"[.inf, -.Inf, +.INF, .nan, .NaN, 1e400, -1e400]",
       R"([".inf","-.Inf","+.INF",".nan",".NaN","1e400","-1e400"])"},
      {"['1', \"true\", \"~\", '']", R"(["1","true","~",""])"},
      {"a: |\n  1\nb: >\n  x\n  y\n", R"({"a":"1\n","b":"x y\n"})"},
      {"[!!str 1, ! true, !!int \"5\", !custom 7, !!float 3, !!str ]",
       R"(["1","true","5",7,3,""])"},
      {"t: \xc3\xa9 \\n", R"({"t":"é \\n"})"},
      {"hello", R"("hello")"},
      {"", "null"},
      {"# c\n", "null"},
      {"~", "null"},
      {"--- \na: 1\n...\n", R"({"a":1})"},
  };
  for (const Case& c : cases) EXPECT_EQ(load(c.yaml), c.json) << c.yaml;
  EXPECT_EQ(load(std::string_view()), "null");  // an empty view without data
}

TEST(YamlLoader, ComposesCollections) {
  struct Case {
    std::string_view yaml;
    std::string json;
  };
  const Case cases[] = {
      {"a:\n  b: [1, {c: d}]\n  e:\n    - x\n    - - y\n",
       R"({"a":{"b":[1,{"c":"d"}],"e":["x",["y"]]}})"},
      {"z: 1\nb: 2\na: 3\n\"\": 4", R"({"":4,"a":3,"b":2,"z":1})"},
      // A scalar key is its text as written.
      {"1: a\ntrue: b\n~: c\n'q': d\n1.50: e",
       R"({"1":"a","1.50":"e","q":"d","true":"b","~":"c"})"},
      {"base: &b {x: 1}\nuse: *b\nagain: [*b]",
       R"({"again":[{"x":1}],"base":{"x":1},"use":{"x":1}})"},
      {"k: &k name\n*k : v", R"({"k":"name","name":"v"})"},
      {"a: &x 1\nb: &x 2\nc: *x", R"({"a":1,"b":2,"c":2})"},
      // Merge keys: written keys win, then earlier sources.
      {"base: &b {x: 1, y: 2}\nm:\n  <<: *b\n  y: 3\n",
       R"({"base":{"x":1,"y":2},"m":{"x":1,"y":3}})"},
      {"m:\n  y: 3\n  <<: {y: 4, w: 5}", R"({"m":{"w":5,"y":3}})"},
      {"a: &a {x: 1}\nb: &b {x: 2, z: 2}\nm:\n  <<: [*a, *b]\n",
       R"({"a":{"x":1},"b":{"x":2,"z":2},"m":{"x":1,"z":2}})"},
      {"m:\n  <<: {a: 1}\n  <<: {a: 2, b: 2}", R"({"m":{"a":1,"b":2}})"},
      {"m:\n  !!merge <<: {a: 1}", R"({"m":{"a":1}})"},
      {"'<<': 1\n\"<<\": 2", "fail"},  // quoted: an ordinary key, given twice
      {"'<<': 1", R"({"<<":1})"},
  };
  for (const Case& c : cases) EXPECT_EQ(load(c.yaml), c.json) << c.yaml;
}

TEST(YamlLoader, Failures) {
  for (std::string_view yaml : {
           "a: [1",
           "a: 1\n--- \nb: 2",
           "a\n---\nb",
           "a: 1\na: 2",
           "1: a\n'1': b",
           "? [a]\n: 1",
           "{[a]: 1}",
           "{{a: 1}: 2}",
           "s: &s [1]\n*s : 2",
           "a: *nope",
           "a: &x [*x]",
           "<<: 5",
           "m:\n  <<: [1]",
           "m:\n  <<: [{a: 1}, 2]",
           "a:\tb\n\t- c",
           "\x01",
       }) {
    EXPECT_EQ(load(yaml), "fail") << yaml;
  }
}

TEST(YamlLoader, NodeBudget) {
  // A sequence of n scalars is n + 1 nodes.
  EXPECT_NE(load("[" + repeat_n("1,", 249'999) + "]"), "fail");
  EXPECT_EQ(load("[" + repeat_n("1,", 250'000) + "]"), "fail");
  // Alias copies count in full.
  std::string base = "a: &a [" + repeat_n("1,", 999) + "]\nb: [";  // 1 + 1000 + 1 + 1 nodes so far
  EXPECT_NE(load(base + repeat_n("*a,", 248) + "]"), "fail");      // + 248 * 1000 = 249,003
  EXPECT_EQ(load(base + repeat_n("*a,", 250) + "]"), "fail");
}

TEST(YamlLoader, BillionLaughsFailsFast) {
  std::string yaml = "a0: &a0 [lol, lol, lol, lol, lol, lol, lol, lol, lol, lol]\n";
  for (int i = 1; i < 10; ++i) {
    std::string prev = "*a" + std::to_string(i - 1);
    yaml += "a" + std::to_string(i) + ": &a" + std::to_string(i) + " [" + repeat_n(prev + ",", 10) +
            "]\n";
  }
  EXPECT_EQ(load(yaml), "fail");
}

TEST(YamlLoader, DepthBudget) {
  auto nested = [](size_t n) { return std::string(n, '[') + std::string(n, ']'); };
  // The value tree's own limit is below the budget's 2,000 levels.
  EXPECT_NE(load(nested(kMaxFrontmatterDepth)), "fail");
  EXPECT_EQ(load(nested(kMaxFrontmatterDepth + 1)), "fail");
  EXPECT_EQ(load(nested(5000)), "fail");
  YamlBudget small;
  small.max_depth = 10;
  EXPECT_NE(load(nested(10), small), "fail");
  EXPECT_EQ(load(nested(11), small), "fail");
  // An alias adds the depth of what it copies.
  EXPECT_NE(load("a: &a " + nested(8) + "\nb: [*a]", small), "fail");  // 1 + 1 + 8
  EXPECT_EQ(load("a: &a " + nested(9) + "\nb: [*a]", small), "fail");
}

TEST(YamlLoader, AliasAnchorAndMergeBudgets) {
  EXPECT_NE(load("[&a 1, " + repeat_n("*a,", 50'000) + "]"), "fail");
  EXPECT_EQ(load("[&a 1, " + repeat_n("*a,", 50'001) + "]"), "fail");
  EXPECT_NE(load("[" + repeat_n("&a 1,", 50'000) + "]"), "fail");
  EXPECT_EQ(load("[" + repeat_n("&a 1,", 50'001) + "]"), "fail");
  std::string merges = "b: &b {x: 1}\nl: [";
  EXPECT_NE(load(merges + repeat_n("{<<: *b},", 10'000) + "]"), "fail");
  EXPECT_EQ(load(merges + repeat_n("{<<: *b},", 10'001) + "]"), "fail");
}

TEST(YamlLoader, ScalarTextBudget) {
  // 1 MiB of text, copied by aliases up to 64 MiB in all.
  std::string yaml = "[&a " + std::string(size_t{1} << 20, 'x') + ", ";
  EXPECT_NE(load(yaml + repeat_n("*a,", 63) + "]"), "fail");
  EXPECT_EQ(load(yaml + repeat_n("*a,", 64) + "]"), "fail");
  YamlBudget small;
  small.max_scalar_bytes = 10;
  EXPECT_NE(load("{ab: cdefghij}", small), "fail");  // keys count too
  EXPECT_EQ(load("{ab: cdefghijk}", small), "fail");
}

TEST(YamlLoader, EventAndDocumentBudgets) {
  // Within the node budget no text reaches a million events, so the count is shown on a
  // smaller budget: stream, document and sequence events (6) and one event per scalar.
  YamlBudget small;
  small.max_events = 100;
  EXPECT_NE(load("[" + repeat_n("1,", 94) + "]", small), "fail");
  EXPECT_EQ(load("[" + repeat_n("1,", 95) + "]", small), "fail");
  // One document is the most a front matter block may hold, whatever the budget allows.
  EXPECT_NE(load("--- a\n"), "fail");
  EXPECT_EQ(load("--- a\n--- b\n"), "fail");
}

}  // namespace
}  // namespace zuv::parser

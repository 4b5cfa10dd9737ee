#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "math_testing.h"
#include "repeat.h"
#include "zuv/limits.h"

namespace zuv::testing {
namespace {

size_t count(std::string_view text, std::string_view what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Nesting of the dict form: the deepest run of unclosed brackets outside strings.
size_t json_depth(std::string_view json) {
  size_t depth = 0, deepest = 0;
  bool in_string = false;
  for (size_t i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (in_string) {
      if (c == '\\') ++i;
      if (c == '"') in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '{' || c == '[') {
      deepest = std::max(deepest, ++depth);
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return deepest;
}

constexpr std::string_view kTooDeep = R"("message":"math nesting too deep")";

// Hostile nesting ends in an error node in place of the construct too deep to parse. Where the
// input never closes what it opens, the enclosing constructs are faulty themselves and their
// error nodes replace the inner one.
TEST(MathDepth, DeepInputGivesAnErrorNode) {
  constexpr size_t n = 100000;
  const struct {
    const char* name;
    std::string source;
    bool closed;
  } cases[] = {
      {"braces", repeat_n("{", n) + "x" + repeat_n("}", n), true},
      {"open braces", repeat_n("{", n), false},
      {"carets", repeat_n("^", n) + "x", true},
      {"braced scripts", repeat_n("x^{", n) + repeat_n("}", n), true},
      {"script chains", repeat_n("x_{y^", n), false},
      {"roots", repeat_n("\\sqrt{", n) + "x" + repeat_n("}", n), true},
      {"root indices", repeat_n("\\sqrt[", n) + "x" + repeat_n("]{y}", n), true},
      {"fractions", repeat_n("\\frac{", n) + "x" + repeat_n("}{y}", n), true},
      {"open fractions", repeat_n("\\frac{", n), false},
      {"fences", repeat_n("\\left(", n) + "x" + repeat_n("\\right)", n), true},
      {"open fences", repeat_n("\\left(", n), false},
      {"matrices", repeat_n("\\begin{matrix}", n) + "x" + repeat_n("\\end{matrix}", n), true},
      {"open cases", repeat_n("\\begin{cases} a & ", n), true},
      {"aligned rows", repeat_n("\\begin{align} a &", n) + repeat_n("\\end{align}", n), true},
      {"styles", repeat_n("\\displaystyle", n) + "x", true},
      {"colours", repeat_n("\\color{red}{", n) + "x" + repeat_n("}", n), true},
      {"big operators", repeat_n("\\sum_", n) + "x", true},
  };
  for (const auto& c : cases) {
    const std::string json = math_json(c.source);
    if (c.closed) {
      EXPECT_NE(json.find(kTooDeep), std::string::npos) << c.name;
    } else {
      EXPECT_NE(json.find(R"("type":"error")"), std::string::npos) << c.name;
    }
  }
}

// The limit counts the levels a reader counts: 128 nested groups, scripts or commands with a
// body parse, and the 129th is the error; `\binom` and environments count as two.
TEST(MathDepth, TheErrorComesAtTheFirstLevelPastTheLimit) {
  const struct {
    std::string_view open, close;
    size_t levels;  // per construct
  } cases[] = {
      {"{a ", "}", 1},
      {"x^{", "}", 1},
      {"x_{a}^{", "}", 1},
      {"^", "", 1},
      {"\\sum_{", "}", 1},
      {"\\sum^", "", 1},
      {"\\frac{", "}{y}", 1},
      {"\\frac{y}{", "}", 1},
      {"\\sqrt{", "}", 1},
      {"\\sqrt[", "]{y}", 1},
      {"\\left(", "\\right)", 1},
      {"\\hat{", "}", 1},
      {"\\mathbf{", "}", 1},
      {"\\color{red}{", "}", 1},
      {"\\displaystyle ", "", 1},
      {"\\overset{a}{", "}", 1},
      {"\\binom{", "}{y}", 2},
      {"\\begin{pmatrix}", "\\end{pmatrix}", 2},
      {"\\begin{cases}", "\\end{cases}", 2},
      {"\\begin{align} a & ", "\\end{align}", 2},
  };
  for (const auto& c : cases) {
    const size_t n = kMaxMathDepth / c.levels;
    const std::string deepest = repeat_n(c.open, n) + "x" + repeat_n(c.close, n);
    EXPECT_EQ(count(math_json(deepest), "nesting"), 0u) << c.open;
    const std::string past = repeat_n(c.open, n + 1) + "x" + repeat_n(c.close, n + 1);
    EXPECT_NE(math_json(past).find(kTooDeep), std::string::npos) << c.open;
  }
}

// The limit leaves ordinary nesting alone, and what follows a skipped construct is parsed.
TEST(MathDepth, SkipsOnlyTheConstructPastTheLimit) {
  const std::string deep_braces = repeat_n("{", 134) + "a b" + repeat_n("}", 134) + " c";
  EXPECT_EQ(math_json(deep_braces),
            compact_json(expand_math_json(
                R"({"children":[{"message":"math nesting too deep","raw":"{{{{{{a b}}}}}}",
                    "type":"error"},@c],"type":"row"})")));

  // A script past the limit is skipped to its closing brace.
  const std::string deep_scripts = repeat_n("x^{", 130) + repeat_n("}", 130);
  const std::string json = math_json(deep_scripts);
  EXPECT_EQ(count(json, kTooDeep), 1u);
  EXPECT_NE(json.find(R"({"message":"math nesting too deep","raw":"{x^{}}","type":"error"})"),
            std::string::npos);

  // An atom past the limit takes the rest of the row, up to the `}` of the enclosing group.
  const std::string deep_row = repeat_n("x^{", 128) + "\\frac{a}{b} c" + repeat_n("}", 128);
  EXPECT_NE(math_json(deep_row).find(
                R"({"message":"math nesting too deep","raw":"\\frac{a}{b} c","type":"error"})"),
            std::string::npos);

  // The arguments of a construct share its level: a group inside them past the limit is
  // skipped to its closing brace, and the next argument is read.
  const std::string deep_fraction = repeat_n("x^{", 127) + "\\frac{{a}}{{b}}" + repeat_n("}", 127);
  EXPECT_NE(math_json(deep_fraction)
                .find(R"({"denominator":{"message":"math nesting too deep","raw":"{b}",)"
                      R"("type":"error"},"numerator":{"message":"math nesting too deep",)"
                      R"("raw":"{a}","type":"error"},"style":"auto","type":"frac"})"),
            std::string::npos);

  // Fences past the limit leave their `\right` to the fences that are open.
  const std::string fences = repeat_n("\\left(", 200) + "x" + repeat_n("\\right)", 200) + "y";
  const std::string fenced = math_json(fences);
  EXPECT_EQ(count(fenced, kTooDeep), 1u);
  EXPECT_NE(fenced.find(R"({"type":"ident","value":"y"}],"type":"row"})"), std::string::npos);

  const std::string nested = repeat_n("\\frac{", 40) + "x" + repeat_n("}{y}", 40);
  EXPECT_EQ(count(math_json(nested), "nesting"), 0u);
  const std::string matrices = repeat_n("\\begin{pmatrix}", 60) + repeat_n("\\end{pmatrix}", 60);
  EXPECT_EQ(count(math_json(matrices), "nesting"), 0u);
}

// Readers of the dict form rely on each counted level adding at most four levels to it (a
// script around a fraction, its numerator row and the row's children), and the innermost item
// three (a script around a big operator, and the operator's own script).
TEST(MathDepth, DictFormStaysWithinFourLevelsPerCountedLevel) {
  for (std::string_view open : {"\\begin{align} a b &", "\\begin{cases} a & b c ",
                                "\\begin{matrix} a b & ", "{a x^{", "\\sqrt[a b"}) {
    const std::string json = math_json(repeat_n(open, 300));
    EXPECT_LE(json_depth(json), 4 * kMaxMathDepth + 3) << open;
  }
  const struct {
    std::string_view open, close;
  } closed[] = {
      {"\\frac{a b ", "}{c}^{2}"},
      {"\\sqrt[a b ", "]{y}_2"},
      {"\\binom{a b ", "}{c}^{2}"},
      {"\\begin{align} a & b ", "\\end{align}^{2}"},
      {"\\begin{gather} a & b ", "\\end{gather}^{2}"},
      {"\\sum_{a b ", "}_c"},
  };
  for (const auto& c : closed) {
    for (size_t n : {kMaxMathDepth / 2, kMaxMathDepth, kMaxMathDepth + 1}) {
      const std::string json = math_json(repeat_n(c.open, n) + "x" + repeat_n(c.close, n));
      EXPECT_LE(json_depth(json), 4 * kMaxMathDepth + 3) << c.open << n;
    }
  }
}

}  // namespace
}  // namespace zuv::testing

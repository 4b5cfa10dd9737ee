#include <gtest/gtest.h>

#include <string>

#include "math_testing.h"
#include "zuv/limits.h"

namespace zuv::testing {
namespace {

std::string repeat(std::string_view s, size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (size_t i = 0; i < n; ++i) out += s;
  return out;
}

size_t count(std::string_view text, std::string_view what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
  return n;
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
      {"braces", repeat("{", n) + "x" + repeat("}", n), true},
      {"open braces", repeat("{", n), false},
      {"carets", repeat("^", n) + "x", true},
      {"braced scripts", repeat("x^{", n) + repeat("}", n), true},
      {"script chains", repeat("x_{y^", n), false},
      {"roots", repeat("\\sqrt{", n) + "x" + repeat("}", n), true},
      {"root indices", repeat("\\sqrt[", n) + "x" + repeat("]{y}", n), true},
      {"fractions", repeat("\\frac{", n) + "x" + repeat("}{y}", n), true},
      {"open fractions", repeat("\\frac{", n), false},
      {"fences", repeat("\\left(", n) + "x" + repeat("\\right)", n), true},
      {"open fences", repeat("\\left(", n), false},
      {"matrices", repeat("\\begin{matrix}", n) + "x" + repeat("\\end{matrix}", n), true},
      {"open cases", repeat("\\begin{cases} a & ", n), true},
      {"aligned rows", repeat("\\begin{align} a &", n) + repeat("\\end{align}", n), true},
      {"styles", repeat("\\displaystyle", n) + "x", true},
      {"colours", repeat("\\color{red}{", n) + "x" + repeat("}", n), true},
      {"big operators", repeat("\\sum_", n) + "x", true},
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

// The limit leaves ordinary nesting alone, and what follows a skipped construct is parsed.
TEST(MathDepth, SkipsOnlyTheConstructPastTheLimit) {
  const std::string deep_braces = repeat("{", 70) + "a b" + repeat("}", 70) + " c";
  EXPECT_EQ(math_json(deep_braces),
            compact_json(expand_math_json(
                R"({"children":[{"message":"math nesting too deep","raw":"{{{{{{a b}}}}}}",
                    "type":"error"},@c],"type":"row"})")));

  // The rest of the row past the limit is skipped up to the `}` of the enclosing group.
  const std::string deep_scripts = repeat("x^{", 130) + repeat("}", 130);
  const std::string json = math_json(deep_scripts);
  EXPECT_EQ(count(json, kTooDeep), 1u);
  EXPECT_NE(json.find(R"({"message":"math nesting too deep","raw":"x^{x^{}}","type":"error"})"),
            std::string::npos);

  // A group past the limit is skipped to its closing brace; the next argument is read.
  const std::string deep_fraction = repeat("x^{", 127) + "\\frac{{a}}{b}" + repeat("}", 127);
  EXPECT_NE(math_json(deep_fraction)
                .find(R"({"denominator":{"message":"math nesting too deep","raw":"{b}",)"
                      R"("type":"error"},"numerator":{"message":"math nesting too deep",)"
                      R"("raw":"{{a}}","type":"error"},"style":"auto","type":"frac"})"),
            std::string::npos);

  // Fences past the limit leave their `\right` to the fences that are open.
  const std::string fences = repeat("\\left(", 200) + "x" + repeat("\\right)", 200) + "y";
  const std::string fenced = math_json(fences);
  EXPECT_EQ(count(fenced, kTooDeep), 1u);
  EXPECT_NE(fenced.find(R"({"type":"ident","value":"y"}],"type":"row"})"), std::string::npos);

  const std::string nested = repeat("\\frac{", 40) + "x" + repeat("}{y}", 40);
  EXPECT_EQ(count(math_json(nested), "nesting"), 0u);
  const std::string matrices = repeat("\\begin{pmatrix}", 60) + repeat("\\end{pmatrix}", 60);
  EXPECT_EQ(count(math_json(matrices), "nesting"), 0u);
}

}  // namespace
}  // namespace zuv::testing

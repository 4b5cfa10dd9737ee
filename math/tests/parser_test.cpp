#include <gtest/gtest.h>

#include "math_testing.h"

namespace zuv::testing {
namespace {

constexpr const char* kEmptyRow = R"({"children":[],"type":"row"})";

TEST(MathCore, AtomsAndNumbers) {
  const MathCase cases[] = {
      {"", kEmptyRow},
      {" \t\n ", kEmptyRow},
      {"x", "@x"},
      {"x y", R"({"children":[@x,@y],"type":"row"})"},
      {"a*b", R"({"children":[@a,{"type":"ident","value":"*"},@b],"type":"row"})"},
      {"\u00e9", "{\"type\":\"ident\",\"value\":\"\u00e9\"}"},
      {std::string_view("\0", 1), R"({"type":"ident","value":"\u0000"})"},
      {"3.14", R"({"type":"number","value":"3.14"})"},
      {"1.2.3", R"({"type":"number","value":"1.2.3"})"},
      {"1.", R"({"children":[{"type":"number","value":"1"},{"type":"number","value":"."}],
                 "type":"row"})"},
      {".5", R"({"children":[{"type":"number","value":"."},{"type":"number","value":"5"}],
                 "type":"row"})"},
      {"1 000", R"({"children":[{"type":"number","value":"1"},{"type":"number","value":"000"}],
                    "type":"row"})"},
      {"x2", R"({"children":[@x,{"type":"number","value":"2"}],"type":"row"})"},
      {"f'", "{\"children\":[@f,{\"type\":\"ident\",\"value\":\"\u2032\"}],\"type\":\"row\"}"},
  };
  expect_math_cases(cases);
}

TEST(MathCore, OneCharacterOperators) {
  const MathCase cases[] = {
      {"(a+b)", R"j({"children":[{"kind":"prefix","symbol":"(","type":"operator"},@a,
                   {"kind":"binary","symbol":"+","type":"operator"},@b,
                   {"kind":"postfix","symbol":")","type":"operator"}],"type":"row"})j"},
      {"[|-]!", R"({"children":[{"kind":"prefix","symbol":"[","type":"operator"},
                   {"kind":"binary","symbol":"|","type":"operator"},
                   {"kind":"binary","symbol":"-","type":"operator"},
                   {"kind":"postfix","symbol":"]","type":"operator"},
                   {"kind":"postfix","symbol":"!","type":"operator"}],"type":"row"})"},
      {"=<>", R"({"children":[{"kind":"relation","symbol":"=","type":"operator"},
                 {"kind":"relation","symbol":"<","type":"operator"},
                 {"kind":"relation","symbol":">","type":"operator"}],"type":"row"})"},
      {",;:", R"({"children":[{"kind":"punctuation","symbol":",","type":"operator"},
                 {"kind":"punctuation","symbol":";","type":"operator"},
                 {"kind":"punctuation","symbol":":","type":"operator"}],"type":"row"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCore, Spaces) {
  const MathCase cases[] = {
      {"a~b", R"({"children":[@a,{"thin":null,"type":"space"},@b],"type":"row"})"},
      {"a\\,b", R"({"children":[@a,{"thin":null,"type":"space"},@b],"type":"row"})"},
      {"a\\:b", R"({"children":[@a,{"medium":null,"type":"space"},@b],"type":"row"})"},
      {"a\\;b", R"({"children":[@a,{"medium":null,"type":"space"},@b],"type":"row"})"},
      {"a\\!b", R"({"children":[@a,{"neg_thin":null,"type":"space"},@b],"type":"row"})"},
      {"a\\ b", R"({"children":[@a,@b],"type":"row"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCore, Scripts) {
  constexpr const char* kCaretError = R"({"message":"^ without a base","raw":"^","type":"error"})";
  const MathCase cases[] = {
      {"x^2", R"({"base":@x,"script":{"type":"number","value":"2"},"type":"superscript"})"},
      {"x ^ 2", R"({"base":@x,"script":{"type":"number","value":"2"},"type":"superscript"})"},
      {"x^23", R"({"base":@x,"script":{"type":"number","value":"23"},"type":"superscript"})"},
      {"x_1^2", R"({"base":@x,"sub":{"type":"number","value":"1"},
                    "sup":{"type":"number","value":"2"},"type":"subsuperscript"})"},
      {"x^2_1", R"({"base":@x,"sub":{"type":"number","value":"1"},
                    "sup":{"type":"number","value":"2"},"type":"subsuperscript"})"},
      {"x^{a b}", R"({"base":@x,"script":{"children":[@a,@b],"type":"row"},
                      "type":"superscript"})"},
      {"x_{}", R"({"base":@x,"script":{"children":[],"type":"row"},"type":"subscript"})"},
      {"x^\\alpha",
       "{\"base\":@x,\"script\":{\"type\":\"ident\",\"value\":\"\u03b1\"},"
       "\"type\":\"superscript\"}"},
      // A script is one atom without scripts of its own.
      {"x^y^z", std::string(R"({"children":[{"base":@x,"script":@y,"type":"superscript"},
                                {"base":)") +
                    kCaretError + R"(,"script":@z,"type":"superscript"}],
                                "type":"row"})"},
      {"x_1^2_3", R"({"children":[{"base":@x,"sub":{"type":"number","value":"1"},
                     "sup":{"type":"number","value":"2"},"type":"subsuperscript"},
                     {"base":{"message":"_ without a base","raw":"_","type":"error"},
                     "script":{"type":"number","value":"3"},"type":"subscript"}],"type":"row"})"},
      {"^2", std::string(R"({"base":)") + kCaretError +
                 R"(,"script":{"type":"number","value":"2"},"type":"superscript"})"},
      {"_i x", R"({"children":[{"base":{"message":"_ without a base","raw":"_","type":"error"},
                  "script":@i,"type":"subscript"},@x],"type":"row"})"},
      {"^a_b", std::string(R"({"base":{"base":)") + kCaretError +
                   R"(,"script":@a,"type":"superscript"},"script":@b,"type":"subscript"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCore, Groups) {
  const MathCase cases[] = {
      {"{}", kEmptyRow},
      {"{a}", "@a"},
      {"{{a}}", "@a"},
      {"{ab}", R"({"children":[@a,@b],"type":"row"})"},
      {"a{}b", R"({"children":[@a,{"children":[],"type":"row"},@b],"type":"row"})"},
      {"{a b",
       "{\"message\":\"unmatched { \u2014 missing }\",\"raw\":\"{......\","
       "\"type\":\"error\"}"},
      {"{", "{\"message\":\"unmatched { \u2014 missing }\",\"raw\":\"{\",\"type\":\"error\"}"},
      // The token that stopped the group's row then ends the expression.
      {"{a & b}",
       "{\"message\":\"unmatched { \u2014 missing }\",\"raw\":\"{...\","
       "\"type\":\"error\"}"},
      {"{a \\end{x}}",
       "{\"message\":\"unmatched { \u2014 missing }\",\"raw\":\"{...\","
       "\"type\":\"error\"}"},
  };
  expect_math_cases(cases);
}

TEST(MathCore, ErrorsWhereAnAtomIsExpected) {
  const MathCase cases[] = {
      {"x^", R"({"base":@x,"script":{"message":"unexpected end of input","raw":"",
                "type":"error"},"type":"superscript"})"},
      {"x^}", R"({"base":@x,"script":{"message":"unexpected end of input","raw":"",
                 "type":"error"},"type":"superscript"})"},
      {"x^\\end{a}", R"({"base":@x,"script":{"message":"unexpected end of input","raw":"",
                       "type":"error"},"type":"superscript"})"},
      {"x^&", R"({"base":@x,"script":{"message":"unexpected & outside environment","raw":"&",
                 "type":"error"},"type":"superscript"})"},
      {"x^\\\\", R"({"base":@x,"script":{"message":"unexpected row separator \\\\",
                    "raw":"\\\\","type":"error"},"type":"superscript"})"},
      {"\\frac x", R"({"children":[{"denominator":{"message":"expected { but found something else",
                     "raw":"","type":"error"},"numerator":{"message":
                     "expected { but found something else","raw":"","type":"error"},
                     "style":"auto","type":"frac"},@x],"type":"row"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCore, TopLevelStopsEndTheExpression) {
  const MathCase cases[] = {
      {"a}b", "@a"},
      {"}", kEmptyRow},
      {"a & b", "@a"},
      {"&", kEmptyRow},
      {"a \\\\ b", "@a"},
      {"a \\right) b", "@a"},
      {"a b \\end{x} c", R"({"children":[@a,@b],"type":"row"})"},
      {"\\end{x}", kEmptyRow},
  };
  expect_math_cases(cases);
}

}  // namespace
}  // namespace zuv::testing

#include <gtest/gtest.h>

#include "math_testing.h"

namespace zuv::testing {
namespace {

// The error of a missing brace argument.
#define NO_GROUP R"({"message":"expected { but found something else","raw":"","type":"error"})"

TEST(MathCommands, Fractions) {
  const MathCase cases[] = {
      {"\\frac{a}{b}", R"({"denominator":@b,"numerator":@a,"style":"auto","type":"frac"})"},
      {"\\dfrac{a}{b}", R"({"denominator":@b,"numerator":@a,"style":"display","type":"frac"})"},
      {"\\tfrac{a}{b}", R"({"denominator":@b,"numerator":@a,"style":"text","type":"frac"})"},
      {"\\frac12", R"({"children":[{"denominator":)" NO_GROUP R"(,"numerator":)" NO_GROUP
                   R"(,"style":"auto","type":"frac"},{"type":"number","value":"12"}],
                   "type":"row"})"},
      // The arguments must follow at once.
      {"\\frac {a}{b}", R"({"children":[{"denominator":)" NO_GROUP R"(,"numerator":)" NO_GROUP
                        R"(,"style":"auto","type":"frac"},@a,@b],"type":"row"})"},
      {"\\binom{n}{k}", R"({"body":[{"denominator":@k,"numerator":@n,"style":"auto",
                        "type":"frac"}],"close":"paren","open":"paren","type":"fenced"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCommands, Roots) {
  const MathCase cases[] = {
      {"\\sqrt{x}", R"({"body":@x,"index":null,"type":"sqrt"})"},
      {"\\sqrt {x}", R"({"body":@x,"index":null,"type":"sqrt"})"},
      {"\\sqrt[3]{x}", R"({"body":@x,"index":{"type":"number","value":"3"},"type":"sqrt"})"},
      {"\\sqrt [n+1]{x}", R"({"body":@x,"index":{"children":[@n,{"kind":"binary","symbol":"+",
                          "type":"operator"},{"type":"number","value":"1"}],"type":"row"},
                          "type":"sqrt"})"},
      {"\\sqrt[]{x}", R"({"body":@x,"index":{"children":[],"type":"row"},"type":"sqrt"})"},
      // No blank between `]` and the body.
      {"\\sqrt[3] {x}", R"({"children":[{"body":)" NO_GROUP R"(,"index":{"type":"number",
                        "value":"3"},"type":"sqrt"},@x],"type":"row"})"},
      {"\\sqrt[a", R"({"body":)" NO_GROUP R"(,"index":@a,"type":"sqrt"})"},
      {"{\\sqrt[a}b", R"({"children":[{"body":)" NO_GROUP R"(,"index":@a,"type":"sqrt"},@b],
                     "type":"row"})"},
      {"\\sqrt[\\right & x]{y}", R"({"body":@y,"index":{"children":[{"message":
          "\\right without matching \\left","raw":"\\right","type":"error"},{"message":
          "unexpected & outside environment","raw":"&","type":"error"},@x],"type":"row"},
          "type":"sqrt"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCommands, BigOperatorScripts) {
  const MathCase cases[] = {
      {"\\sum_{i=0}^{n} i",
       "{\"children\":[{\"limits\":\"display_limits\",\"lower\":{\"children\":[@i,{\"kind\":"
       "\"relation\",\"symbol\":\"=\",\"type\":\"operator\"},{\"type\":\"number\",\"value\":\"0\"}"
       "],\"type\":\"row\"},\"op\":{\"kind\":\"large\",\"symbol\":\"\u2211\"},\"type\":"
       "\"big_operator\",\"upper\":@n},@i],\"type\":\"row\"}"},
      {"\\int ^ n _ 0",
       "{\"limits\":\"display_limits\",\"lower\":{\"type\":\"number\",\"value\":"
       "\"0\"},\"op\":{\"kind\":\"large\",\"symbol\":\"\u222b\"},\"type\":"
       "\"big_operator\",\"upper\":@n}"},
      // A second subscript goes to the row's scripts, with the operator as its base.
      {"\\sum_a_b",
       "{\"base\":{\"limits\":\"display_limits\",\"lower\":@a,\"op\":{\"kind\":"
       "\"large\",\"symbol\":\"\u2211\"},\"type\":\"big_operator\",\"upper\":null},"
       "\"script\":@b,\"type\":\"subscript\"}"},
      {"\\prod_i=1",
       "{\"children\":[{\"limits\":\"display_limits\",\"lower\":@i,\"op\":{"
       "\"kind\":\"large\",\"symbol\":\"\u220f\"},\"type\":\"big_operator\","
       "\"upper\":null},{\"kind\":\"relation\",\"symbol\":\"=\",\"type\":"
       "\"operator\"},{\"type\":\"number\",\"value\":\"1\"}],\"type\":\"row\"}"},
  };
  expect_math_cases(cases);
}

TEST(MathCommands, TextAndFonts) {
  const MathCase cases[] = {
      {"\\text{a  b}", R"({"type":"text","value":"a b"})"},
      {"\\text {a}", R"({"type":"text","value":"a"})"},
      {"\\mbox{x^{2} \\alpha}", R"({"type":"text","value":"x^{2} \\alpha"})"},
      {"\\text{a", R"({"type":"text","value":"a"})"},
      {"\\text", R"({"type":"text","value":""})"},
      {"\\text x", R"({"children":[{"type":"text","value":""},@x],"type":"row"})"},
      {"\\textrm{ab}", R"({"body":{"children":[@a,@b],"type":"row"},"font":"roman",
                       "type":"font_override"})"},
      {"\\mathbb{R}", R"({"body":@R,"font":"blackboard","type":"font_override"})"},
      {"\\mathbf x", R"({"children":[{"body":)" NO_GROUP R"(,"font":"bold",
                     "type":"font_override"},@x],"type":"row"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCommands, Fences) {
  const MathCase cases[] = {
      {"\\left( a \\right)", R"({"body":[@a],"close":"paren","open":"paren","type":"fenced"})"},
      {"\\left[a b\\right]", R"({"body":[@a,@b],"close":"bracket","open":"bracket",
                             "type":"fenced"})"},
      {"\\left\\langle a \\right\\rangle", R"({"body":[@a],"close":"angle","open":"angle",
                                           "type":"fenced"})"},
      {"\\left. a \\right|", R"({"body":[@a],"close":"pipe","open":"none","type":"fenced"})"},
      {"\\left\\| a \\right\\Vert", R"({"body":[@a],"close":"double_pipe",
                                    "open":"double_pipe","type":"fenced"})"},
      {"\\left\\{ a \\right\\rbrace", R"({"body":[@a],"close":"brace","open":"brace",
                                      "type":"fenced"})"},
      {"\\left\\lfloor a \\right\\rceil", R"({"body":[@a],"close":"ceil","open":"floor",
                                          "type":"fenced"})"},
      {"\\left\\vert\\right\\alpha", R"({"body":[],"close":"none","open":"pipe",
                                     "type":"fenced"})"},
      // A token that is no delimiter stays for what follows.
      {"\\left x \\right) y", R"({"children":[{"body":[@x],"close":"paren","open":"none",
                              "type":"fenced"},@y],"type":"row"})"},
      {"\\left( a \\right< b", R"({"children":[{"body":[@a],"close":"none","open":"paren",
          "type":"fenced"},{"kind":"relation","symbol":"<","type":"operator"},@b],
          "type":"row"})"},
      {"\\left( a", R"({"message":"\\left without matching \\right","raw":"\\left(",
                    "type":"error"})"},
      {"\\left", R"({"message":"\\left without matching \\right","raw":"\\left.",
                 "type":"error"})"},
      {"\\left\\lvert a", R"({"message":"\\left without matching \\right","raw":"\\left|",
                          "type":"error"})"},
      {"\\left\\Vert a", R"({"message":"\\left without matching \\right","raw":"\\left\\|",
                         "type":"error"})"},
      {"\\left\\rbrace a", R"({"message":"\\left without matching \\right",
                           "raw":"\\left\\{","type":"error"})"},
      {"\\left\\rangle\\right.", R"({"body":[],"close":"none","open":"angle","type":"fenced"})"},
      {"\\left\\lceil a", R"({"message":"\\left without matching \\right",
                          "raw":"\\left\\lceil","type":"error"})"},
      {"\\left\\rfloor a", R"({"message":"\\left without matching \\right",
                           "raw":"\\left\\lfloor","type":"error"})"},
      {"\\left[ a", R"({"message":"\\left without matching \\right","raw":"\\left[",
                    "type":"error"})"},
      {"{\\left( a } b", R"({"children":[{"message":"\\left without matching \\right",
                         "raw":"\\left(","type":"error"},@b],"type":"row"})"},
      {"x^\\right", R"({"base":@x,"script":{"message":"\\right without matching \\left",
                    "raw":"\\right","type":"error"},"type":"superscript"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCommands, BodiesAndStyles) {
  const MathCase cases[] = {
      {"\\hat{x}", R"({"body":@x,"kind":"hat","type":"accent"})"},
      {"\\hat x", R"({"children":[{"body":)" NO_GROUP R"(,"kind":"hat","type":"accent"},@x],
                  "type":"row"})"},
      {"\\overline{x}", R"({"body":@x,"type":"overline"})"},
      {"\\underline{x}", R"({"body":@x,"type":"underline"})"},
      {"\\overbrace{x}", R"({"annotation":null,"body":@x,"type":"overbrace"})"},
      {"\\underbrace{x}", R"({"annotation":null,"body":@x,"type":"underbrace"})"},
      {"\\overset{a}{b}", R"({"base":@b,"over":@a,"type":"overset"})"},
      {"\\stackrel{a}{b}", R"({"base":@b,"over":@a,"type":"overset"})"},
      {"\\underset{a}{b}", R"({"base":@b,"type":"underset","under":@a})"},
      {"\\phantom{x}", R"({"body":@x,"type":"phantom"})"},
      {"\\hphantom{x}", R"({"body":@x,"type":"h_phantom"})"},
      {"\\vphantom{x}", R"({"body":@x,"type":"v_phantom"})"},
      {"\\displaystyle x + y", R"({"body":{"children":[@x,{"kind":"binary","symbol":"+",
                               "type":"operator"},@y],"type":"row"},"style":"display",
                               "type":"style_override"})"},
      {"\\textstyle {x} + y", R"({"children":[{"body":@x,"style":"text",
                              "type":"style_override"},{"kind":"binary","symbol":"+",
                              "type":"operator"},@y],"type":"row"})"},
      {"{\\scriptstyle x} y", R"({"children":[{"body":@x,"style":"script",
                              "type":"style_override"},@y],"type":"row"})"},
      {"\\scriptscriptstyle", R"({"body":{"children":[],"type":"row"},
                              "style":"script_script","type":"style_override"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCommands, SmashModes) {
  const MathCase cases[] = {
      {"\\smash{x}", R"({"body":@x,"mode":"both","type":"smash"})"},
      {"\\smash [t]{x}", R"({"body":@x,"mode":"top","type":"smash"})"},
      {"\\smash[ b ]{x}", R"({"body":@x,"mode":"bottom","type":"smash"})"},
      {"\\smash[\u00a0t\u2003]{x}", R"({"body":@x,"mode":"top","type":"smash"})"},
      {"\\smash[tb]{x}", R"({"body":@x,"mode":"both","type":"smash"})"},
      {"\\smash[{t}]{x}", R"({"body":@x,"mode":"both","type":"smash"})"},
      {"\\smash[b", R"({"body":)" NO_GROUP R"(,"mode":"bottom","type":"smash"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCommands, TextArguments) {
  const MathCase cases[] = {
      {"\\operatorname{lcm}", R"({"kind":"prefix","symbol":"lcm","type":"operator"})"},
      {"\\operatorname{arg\\,max}", R"({"kind":"prefix","symbol":"arg max","type":"operator"})"},
      {"\\color{red}{x}", R"({"body":@x,"color":"red","type":"color"})"},
      {"\\textcolor{\\text{navy}}{x}", R"({"body":@x,"color":"navy","type":"color"})"},
      {"\\color{#f00}{x}", R"({"body":@x,"color":"#f00","type":"color"})"},
      {"\\color{red} x", R"({"children":[{"body":)" NO_GROUP R"(,"color":"red",
                         "type":"color"},@x],"type":"row"})"},
      {"\\ce{H2O}", R"({"type":"chem","value":"H2O"})"},
      {"\\ce{a^2 \\frac{b}{c} d}", R"({"type":"chem","value":"d"})"},
  };
  expect_math_cases(cases);
}

TEST(MathCommands, SymbolsAndUnknownNames) {
  const MathCase cases[] = {
      {"\\dots", "{\"kind\":\"punctuation\",\"symbol\":\"\u2026\",\"type\":\"operator\"}"},
      {"\\{\\}", R"({"children":[{"type":"ident","value":"{"},{"type":"ident","value":"}"}],
                 "type":"row"})"},
      {"\\|", R"({"type":"ident","value":"|"})"},
      {"\\", R"({"message":"unknown command: \\","raw":"\\","type":"error"})"},
      {"\\#", R"({"message":"unknown command: \\#","raw":"\\#","type":"error"})"},
      {"\\foo{x}", R"({"children":[{"message":"unknown command: \\foo","raw":"\\foo",
                   "type":"error"},@x],"type":"row"})"},
  };
  expect_math_cases(cases);
}

}  // namespace
}  // namespace zuv::testing

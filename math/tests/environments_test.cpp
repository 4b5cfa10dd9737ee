#include <gtest/gtest.h>

#include "math_testing.h"

namespace zuv::testing {
namespace {

#define EMPTY R"({"children":[],"type":"row"})"
#define EQ R"({"kind":"relation","symbol":"=","type":"operator"})"

TEST(MathEnvironments, Matrices) {
  const MathCase cases[] = {
      {"\\begin{pmatrix} a & b \\\\ c & d \\end{pmatrix}",
       R"({"delimiters":"paren","rows":[[@a,@b],[@c,@d]],"type":"matrix"})"},
      {"\\begin{pmatrix} a & b \\\\ c & d \\\\ \\end{pmatrix}",
       R"({"delimiters":"paren","rows":[[@a,@b],[@c,@d]],"type":"matrix"})"},
      {"\\begin{matrix}\\end{matrix}", R"({"delimiters":"plain","rows":[],"type":"matrix"})"},
      {"\\begin{smallmatrix}a\\end{smallmatrix}",
       R"({"delimiters":"plain","rows":[[@a]],"type":"matrix"})"},
      {"\\begin{bmatrix} \\\\ a \\end{bmatrix}",
       R"({"delimiters":"bracket","rows":[[)" EMPTY R"(],[@a]],"type":"matrix"})"},
      {"\\begin{Bmatrix} a \\\\ & \\end{Bmatrix}",
       R"({"delimiters":"brace","rows":[[@a]],"type":"matrix"})"},
      {"\\begin{vmatrix} a \\\\ {} \\\\ b \\end{vmatrix}",
       R"({"delimiters":"pipe","rows":[[@a],[)" EMPTY R"(],[@b]],"type":"matrix"})"},
      {"\\begin{Vmatrix} a & b c \\end{Vmatrix}",
       R"({"delimiters":"double_pipe","rows":[[@a,{"children":[@b,@c],"type":"row"}]],
           "type":"matrix"})"},
      {"\\begin{matrix} x^2 & \\label{a} \\end{matrix}",
       R"({"delimiters":"plain","rows":[[{"base":@x,"script":{"type":"number","value":"2"},
           "type":"superscript"},{"children":[{"message":"unknown command: \\label",
           "raw":"\\label","type":"error"},@a],"type":"row"}]],"type":"matrix"})"},
      // Rows end at another environment's end, at `}` and at the end of the source.
      {"\\begin{matrix} a \\end{pmatrix} b", R"({"delimiters":"plain","rows":[[@a]],
                                             "type":"matrix"})"},
      {"\\begin{matrix} a } b \\end{matrix}", R"({"delimiters":"plain","rows":[[@a]],
                                              "type":"matrix"})"},
      {"{\\begin{matrix} a } b", R"({"children":[{"delimiters":"plain","rows":[[@a]],
                                 "type":"matrix"},@b],"type":"row"})"},
      {"\\begin{matrix} a & b", R"({"delimiters":"plain","rows":[[@a,@b]],"type":"matrix"})"},
      // A fence cannot span cells: its body stops at `&`, and `\right` in a cell has no `\left`.
      {"\\begin{matrix} \\left( a & b \\right) \\end{matrix}",
       R"j({"delimiters":"plain","rows":[[{"message":"\\left without matching \\right",
           "raw":"\\left(","type":"error"},{"children":[@b,{"message":
           "\\right without matching \\left","raw":"\\right","type":"error"},{"kind":"postfix",
           "symbol":")","type":"operator"}],"type":"row"}]],"type":"matrix"})j"},
      {"\\begin{matrix} \\begin{matrix} a \\end{matrix} \\end{matrix} b",
       R"({"children":[{"delimiters":"plain","rows":[[{"delimiters":"plain","rows":[[@a]],
           "type":"matrix"}]],"type":"matrix"},@b],"type":"row"})"},
  };
  expect_math_cases(cases);
}

TEST(MathEnvironments, Cases) {
  const MathCase cases[] = {
      {"\\begin{cases} x & x > 0 \\\\ -x & \\text{otherwise} \\end{cases}",
       R"({"rows":[{"condition":{"children":[@x,{"kind":"relation","symbol":">",
           "type":"operator"},{"type":"number","value":"0"}],"type":"row"},"expr":@x},
           {"condition":{"type":"text","value":"otherwise"},"expr":{"children":[{"kind":
           "binary","symbol":"-","type":"operator"},@x],"type":"row"}}],"type":"cases"})"},
      {"\\begin{cases} a \\end{cases}", R"({"rows":[{"condition":null,"expr":@a}],
                                         "type":"cases"})"},
      {"\\begin{cases*} a & b & c \\end{cases*}",
       R"({"rows":[{"condition":{"children":[@b,@c],"type":"row"},"expr":@a}],
           "type":"cases"})"},
      {"\\begin{cases} a \\\\ \\end{cases}", R"({"rows":[{"condition":null,"expr":@a}],
                                             "type":"cases"})"},
      {"\\begin{cases} a \\\\ & \\end{cases}",
       R"({"rows":[{"condition":null,"expr":@a},{"condition":)" EMPTY R"(,"expr":)" EMPTY
       R"(}],"type":"cases"})"},
      {"\\begin{cases} \\\\ \\end{cases}",
       R"({"rows":[{"condition":null,"expr":)" EMPTY R"(}],"type":"cases"})"},
      {"\\begin{cases}\\end{cases}", R"({"rows":[],"type":"cases"})"},
  };
  expect_math_cases(cases);
}

TEST(MathEnvironments, AlignAndGather) {
  const MathCase cases[] = {
      {"\\begin{align} a &= b \\label{one} \\\\ c &= d \\end{align}",
       R"({"numbered":true,"rows":[{"cells":[@a,{"children":[)" EQ R"(,@b],"type":"row"}],
           "label":"one"},{"cells":[)" EMPTY R"(]},{"cells":[@c,{"children":[)" EQ
       R"(,@d],"type":"row"}]}],"type":"align"})"},
      {"\\begin{align*} x \\end{align*}", R"({"numbered":false,"rows":[{"cells":[@x]}],
                                          "type":"align"})"},
      {"\\begin{aligned} x \\end{aligned}", R"({"numbered":true,"rows":[{"cells":[@x]}],
                                            "type":"align"})"},
      {"\\begin{alignat*}x\\end{alignat*}", R"({"numbered":false,"rows":[{"cells":[@x]}],
                                            "type":"align"})"},
      // No argument is read after the name.
      {"\\begin{alignat}{2} x \\end{alignat}",
       R"({"numbered":true,"rows":[{"cells":[{"children":[{"type":"number","value":"2"},@x],
           "type":"row"}]}],"type":"align"})"},
      {"\\begin{align}\\label{eq:1}\\end{align}",
       R"({"numbered":true,"rows":[{"cells":[)" EMPTY R"(],"label":"eq:1"}],"type":"align"})"},
      {"\\begin{align}\\label{a b}\\label {x}\\end{align}",
       R"({"numbered":true,"rows":[{"cells":[)" EMPTY R"(],"label":"ab"},{"cells":[)" EMPTY
       R"(],"label":""},{"cells":[@x]}],"type":"align"})"},
      {"\\begin{gather} a \\\\ b & c \\end{gather}",
       R"({"numbered":true,"rows":[@a,{"children":[@b,@c],"type":"row"}],"type":"gather"})"},
      {"\\begin{gather*} a \\label{x} b \\end{gather*}",
       R"({"numbered":false,"rows":[@a,@b],"type":"gather"})"},
      {"\\begin{gathered} \\end{gathered}", R"({"numbered":true,"rows":[],"type":"gather"})"},
  };
  expect_math_cases(cases);
}

TEST(MathEnvironments, Arrays) {
  const MathCase cases[] = {
      {"\\begin{array}{lcr} 1 & 2 & 3 \\end{array}",
       R"({"columns":["left","center","right"],"rows":[[{"type":"number","value":"1"},
           {"type":"number","value":"2"},{"type":"number","value":"3"}]],"type":"array"})"},
      {"\\begin{array} {l|c} a \\end{array}", R"({"columns":["left","center"],"rows":[[@a]],
                                              "type":"array"})"},
      {"\\begin{array}{p{2cm}} a \\end{array}", R"({"columns":["center"],"rows":[[@a]],
                                                "type":"array"})"},
      {"\\begin{array} a \\end{array}", R"({"columns":[],"rows":[[@a]],"type":"array"})"},
  };
  expect_math_cases(cases);
}

TEST(MathEnvironments, RawEnvironments) {
  const MathCase cases[] = {
      {"\\begin{CD} A \\to B \\end{CD} x",
       R"({"children":[{"message":"commutative diagrams (\\begin{CD}) are not supported",
           "raw":"\\begin{CD} A \\to B \\end{CD}","type":"error"},@x],"type":"row"})"},
      {"\\begin{equation}  x\\\\y \\end{equation}",
       R"({"message":"unknown environment: equation",
           "raw":"\\begin{equation} x\\\\y \\end{equation}","type":"error"})"},
      {"\\begin{foo} x", R"({"message":"unknown environment: foo",
                         "raw":"\\begin{foo} x\\end{foo}","type":"error"})"},
      // Inner environments of the same name are not counted; others keep their plain form.
      {"\\begin{foo}\\begin {foo}\\begin{ bar }\\end{foo}\\end{foo}",
       R"({"message":"unknown environment: foo",
           "raw":"\\begin{foo}\\begin{foo}\\begin{bar}\\end{foo}","type":"error"})"},
      {"\\begin{} x \\end{}", R"({"message":"unknown environment: ",
                              "raw":"\\begin{} x \\end{}","type":"error"})"},
      {"\\begin x", R"({"message":"unknown environment: ","raw":"\\begin{}x\\end{}",
                    "type":"error"})"},
  };
  expect_math_cases(cases);
}

}  // namespace
}  // namespace zuv::testing

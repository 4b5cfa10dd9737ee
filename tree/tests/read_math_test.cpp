#include <gtest/gtest.h>

#include <string>

#include "json_testing.h"
#include "read_testing.h"

namespace zuv {
namespace {

using testing::math_message;
using testing::math_rewritten;

// X, Y, Z: valid expressions; OP: a valid operator record; BAD: an invalid expression.
std::string sub(std::string text) {
  // Longer names first: "@BAD" begins "@BAD2".
  const std::pair<std::string_view, const char*> names[] = {
      {"@BAD2", R"({"type":"ident"})"},
      {"@BAD", R"({"type":"ident","value":5})"},
      {"@OP", R"({"symbol":"S","kind":"large"})"},
      {"@X", R"({"type":"ident","value":"x"})"},
      {"@Y", R"(["number","1"])"},
      {"@Z", R"({"type":3,"value":"z"})"},
  };
  for (const auto& [name, expr] : names) {
    for (size_t at; (at = text.find(name)) != std::string::npos;)
      text.replace(at, name.size(), expr);
  }
  return text;
}

constexpr const char* kMathNames =
    "`ident`, `number`, `operator`, `text`, `row`, `fenced`, `superscript`, `subscript`, "
    "`subsuperscript`, `frac`, `sqrt`, `overline`, `underline`, `overbrace`, `underbrace`, "
    "`overset`, `underset`, `accent`, `big_operator`, `matrix`, `cases`, `array`, `align`, "
    "`gather`, `space`, `phantom`, `h_phantom`, `v_phantom`, `smash`, `style_override`, "
    "`font_override`, `color`, `chem`, `error`";

TEST(ReadMath, Tags) {
  const std::pair<const char*, std::string> cases[] = {
      {R"({"type":"ident","value":"x"})", "ok"},
      {R"(["ident","x"])", "ok"},
      {R"({"type":0,"value":"x"})", "ok"},
      {R"([0,"x"])", "ok"},
      {R"({"type":33,"raw":"r","message":"m"})", "ok"},
      {R"({"type":34,"value":"x"})",
       "invalid value: integer `34`, expected variant index 0 <= i < 34"},
      {R"({"type":-1})", "invalid type: integer `-1`, expected variant identifier"},
      {R"({"type":2.0})", "invalid type: floating point `2.0`, expected variant identifier"},
      {R"({"type":null})", "invalid type: null, expected variant identifier"},
      {R"({"type":true})", "invalid type: boolean `true`, expected variant identifier"},
      {R"({"type":["ident"]})", "invalid type: sequence, expected variant identifier"},
      {R"({"type":"Ident","value":5})",
       std::string("unknown variant `Ident`, expected one of ") + kMathNames},
      {R"({"type":"ident ","value":"x"})",
       std::string("unknown variant `ident `, expected one of ") + kMathNames},
      {R"({"value":"x"})", "missing field `type`"},
      {"{}", "missing field `type`"},
      {"[]", "missing field `type`"},
      {"null", "invalid type: null, expected internally tagged enum MathExpr"},
      {R"("x")", "invalid type: string \"x\", expected internally tagged enum MathExpr"},
      {"5", "invalid type: integer `5`, expected internally tagged enum MathExpr"},
  };
  for (const auto& [expr, message] : cases) EXPECT_EQ(math_message(expr), message) << expr;
}

TEST(ReadMath, EnumerationsAndSpaces) {
  const std::pair<const char*, std::string> cases[] = {
      {R"({"type":"fenced","open":"paren","close":{"paren":null},"body":[]})", "ok"},
      {R"({"type":"fenced","open":{"paren":{}},"close":"none","body":[]})", "ok"},
      {R"({"type":"fenced","open":{"paren":{"a":1}},"close":"none","body":[]})",
       "invalid type: map, expected unit"},
      {R"({"type":"fenced","open":{"paren":null,"pipe":null},"close":"none","body":[]})",
       "invalid value: map, expected map with a single key"},
      {R"({"type":"fenced","open":"Paren","close":"none","body":[]})",
       "unknown variant `Paren`, expected one of `paren`, `bracket`, `brace`, `angle`, `pipe`, "
       "`double_pipe`, `floor`, `ceil`, `none`"},
      {R"({"type":"array","columns":["left",{"right":null}],"rows":[]})", "ok"},
      {R"({"type":"array","columns":["left",1],"rows":[]})",
       "invalid type: integer `1`, expected string or map"},
      {R"({"type":"array","columns":["l"],"rows":[]})",
       "unknown variant `l`, expected one of `left`, `center`, `right`"},
      {R"({"type":"font_override","font":"Bold","body":@X})",
       "unknown variant `Bold`, expected one of `roman`, `bold`, `italic`, `bold_italic`, "
       "`sans_serif`, `monospace`, `blackboard`, `calligraphic`, `fraktur`, `script`"},
      {R"({"type":"frac","numerator":@X,"denominator":@Y,"style":true})",
       "invalid type: boolean `true`, expected string or map"},
      {R"({"type":"frac","numerator":@X,"denominator":@Y,"style":{"huge":5}})",
       "unknown variant `huge`, expected one of `display`, `text`, `auto`"},
      {R"({"type":"frac","numerator":@X,"denominator":@Y,"style":null})",
       "invalid type: null, expected string or map"},
      {R"({"type":"space","q_quad":null})", "ok"},
      {R"({"type":"space","thin":{}})", "ok"},
      {R"({"type":"space","custom":"1em"})", "ok"},
      {R"({"type":"space","thin":[]})", "invalid type: sequence, expected unit"},
      {R"({"type":"space","custom":null})", "invalid type: null, expected a string"},
      {R"({"type":"space","thin":null,"thick":null})",
       "invalid value: map, expected map with a single key"},
      {R"({"type":"space"})", "invalid value: map, expected map with a single key"},
      {R"({"type":"space","wide":null})",
       "unknown variant `wide`, expected one of `thin`, `medium`, `thick`, `quad`, `q_quad`, "
       "`neg_thin`, `custom`"},
      {R"(["space","thin"])", "invalid type: sequence, expected string or map"},
  };
  for (const auto& [expr, message] : cases) {
    EXPECT_EQ(math_message(sub(expr)), message) << expr;
  }
}

// Every kind's faults in the order they are met: by key in the object form (a bad value before
// a missing field), by position in the array form, with both length messages.
TEST(ReadMath, KindFaults) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"type":"ident"})", "missing field `value`"},
      {R"(["ident"])", "invalid length 0, expected struct variant MathExpr::Ident with 1 element"},
      {R"(["ident","x","y"])", "invalid length 2, expected 1 element in sequence"},
      {R"({"type":"ident","value":null})", "invalid type: null, expected a string"},
      {R"({"type":"number","value":5})", "invalid type: integer `5`, expected a string"},
      {R"({"type":"ident","value":"x","script":5,"extra":null})", "ok"},
      {R"({"type":"chem","value":""})", "ok"},
      {R"(["text"])", "invalid length 0, expected struct variant MathExpr::Text with 1 element"},
      {R"(["chem"])", "invalid length 0, expected struct variant MathExpr::Chem with 1 element"},
      {R"({"type":"error"})", "missing field `raw`"},
      {R"({"type":"error","raw":"r"})", "missing field `message`"},
      {R"({"type":"error","raw":1,"message":2})", "invalid type: integer `2`, expected a string"},
      {R"(["error","r"])",
       "invalid length 1, expected struct variant MathExpr::Error with 2 elements"},
      {R"({"type":"operator","symbol":"+"})", "missing field `kind`"},
      {R"({"type":"operator"})", "missing field `symbol`"},
      {R"(["operator","+"])", "invalid length 1, expected struct MathOperator with 2 elements"},
      {R"(["operator","+","binary",0])", "invalid length 3, expected 2 elements in sequence"},
      {R"(["operator",["+","binary"]])", "invalid type: sequence, expected a string"},
      {R"({"type":"operator","symbol":1,"kind":"plus"})",
       "unknown variant `plus`, expected one of `binary`, `relation`, `prefix`, `postfix`, "
       "`large`, `punctuation`"},
      {R"({"type":"subscript","base":@X})", "missing field `script`"},
      {R"({"type":"subscript"})", "missing field `base`"},
      {R"({"type":"subscript","base":null,"script":@Y})",
       "invalid type: null, expected internally tagged enum MathExpr"},
      {R"(["subscript",@X])",
       "invalid length 1, expected struct variant MathExpr::Subscript with 2 elements"},
      {R"(["superscript",@X,@Y,@BAD])", "invalid length 3, expected 2 elements in sequence"},
      {R"(["superscript",@BAD2,@BAD])", "missing field `value`"},
      {R"({"type":"subsuperscript","base":@X,"sup":@Y})", "missing field `sub`"},
      {R"(["subsuperscript",@X,@Y])",
       "invalid length 2, expected struct variant MathExpr::Subsuperscript with 3 elements"},
      {R"({"type":"subsuperscript","base":@X,"script":@Y,"sup":@Z})", "missing field `sub`"},
      {R"({"type":"subsuperscript","base":@X,"sup":@BAD})",
       "invalid type: integer `5`, expected a string"},
      {R"(["sqrt",@X])",
       "invalid length 1, expected struct variant MathExpr::Sqrt with 2 elements"},
      {R"({"type":"sqrt","index":5,"body":@X})",
       "invalid type: integer `5`, expected internally tagged enum MathExpr"},
      {R"({"type":"sqrt","index":{},"body":@X})", "missing field `type`"},
      {R"(["overbrace",@X])",
       "invalid length 1, expected struct variant MathExpr::Overbrace with 2 elements"},
      {R"(["frac"])", "invalid length 0, expected struct variant MathExpr::Frac with 3 elements"},
      {R"(["frac",@X,@Y])",
       "invalid length 2, expected struct variant MathExpr::Frac with 3 elements"},
      {R"(["overline",@X,@BAD])", "invalid length 2, expected 1 element in sequence"},
      {R"(["overset",@X,@Y,@Z])", "invalid length 3, expected 2 elements in sequence"},
      {R"({"type":"frac","numerator":@X,"denominator":@Y})", "missing field `style`"},
      {R"({"type":"frac"})", "missing field `numerator`"},
      {R"({"type":"frac","numerator":@BAD2,"denominator":@BAD,"style":"auto"})",
       "invalid type: integer `5`, expected a string"},
      {R"({"type":"overset","base":@X})", "missing field `over`"},
      {R"({"type":"overset","base":@BAD})", "invalid type: integer `5`, expected a string"},
      {R"({"type":"underset"})", "missing field `under`"},
      {R"({"type":"phantom","body":@X,"extra":[1,2]})", "ok"},
      {R"({"type":"phantom","Body":@X})", "missing field `body`"},
      {R"(["h_phantom"])",
       "invalid length 0, expected struct variant MathExpr::HPhantom with 1 element"},
      {R"({"type":"underline","body":null})",
       "invalid type: null, expected internally tagged enum MathExpr"},
      {R"(["big_operator",@OP,"display_limits"])",
       "invalid length 2, expected struct variant MathExpr::BigOperator with 4 elements"},
      {R"(["big_operator",@OP,"limits",null,null,@X])",
       "invalid length 5, expected 4 elements in sequence"},
      {R"({"type":"big_operator","op":"S","limits":"limits"})",
       "invalid type: string \"S\", expected struct MathOperator"},
      {R"({"type":"big_operator","op":null,"limits":"limits"})",
       "invalid type: null, expected struct MathOperator"},
      {R"({"type":"big_operator","op":["S"],"limits":"limits"})",
       "invalid length 1, expected struct MathOperator with 2 elements"},
      {R"({"type":"big_operator","op":{"type":"operator","symbol":"S","kind":"relation"},
           "limits":"limits"})",
       "ok"},
      {R"({"type":"big_operator","op":@OP,"limits":"limits","lower":5})",
       "invalid type: integer `5`, expected internally tagged enum MathExpr"},
      {R"({"type":"big_operator","op":@OP,"limits":"limits","lower":{}})", "missing field `type`"},
      {R"({"type":"big_operator","limits":"limit"})",
       "unknown variant `limit`, expected one of `display_limits`, `limits`, `no_limits`"},
      {R"({"type":"big_operator"})", "missing field `op`"},
      {R"(["row"])", "invalid length 0, expected struct variant MathExpr::Row with 1 element"},
      {R"(["row",[],[]])", "invalid length 2, expected 1 element in sequence"},
      {R"({"type":"row"})", "missing field `children`"},
      {R"({"type":"row","children":@X})", "invalid type: map, expected a sequence"},
      {R"({"type":"row","children":[],"body":5})", "ok"},
      {R"({"type":"fenced"})", "missing field `open`"},
      {R"(["fenced","paren","paren"])",
       "invalid length 2, expected struct variant MathExpr::Fenced with 3 elements"},
      {R"({"type":"fenced","body":[@BAD],"close":"paren"})",
       "invalid type: integer `5`, expected a string"},
      {R"({"type":"matrix","rows":[@X],"delimiters":"plain"})",
       "invalid type: map, expected a sequence"},
      {R"({"type":"matrix","rows":[[@X],[5]],"delimiters":"plain"})",
       "invalid type: integer `5`, expected internally tagged enum MathExpr"},
      {R"({"type":"matrix","rows":[],"delimiters":"none"})",
       "unknown variant `none`, expected one of `plain`, `paren`, `bracket`, `brace`, `pipe`, "
       "`double_pipe`"},
      {R"({"type":"matrix","rows":5,"delimiters":"none"})",
       "unknown variant `none`, expected one of `plain`, `paren`, `bracket`, `brace`, `pipe`, "
       "`double_pipe`"},
      {R"({"type":"cases","rows":[[@X]]})",
       "invalid length 1, expected struct CaseRow with 2 elements"},
      {R"({"type":"cases","rows":[[@X,@Y,@Z]]})",
       "invalid length 3, expected 2 elements in sequence"},
      {R"({"type":"cases","rows":[null]})", "invalid type: null, expected struct CaseRow"},
      {R"({"type":"cases","rows":[@X]})", "missing field `expr`"},
      {R"(["cases"])", "invalid length 0, expected struct variant MathExpr::Cases with 1 element"},
      {R"(["array",["left"]])",
       "invalid length 1, expected struct variant MathExpr::Array with 2 elements"},
      {R"({"type":"align","rows":[{"cells":[@X],"label":7}],"numbered":true})",
       "invalid type: integer `7`, expected a string"},
      {R"({"type":"align","rows":[{"label":"eq"}],"numbered":true})", "missing field `cells`"},
      {R"({"type":"align","rows":[[[@X]]],"numbered":true})",
       "invalid length 1, expected struct AlignRow with 2 elements"},
      {R"({"type":"align","rows":[7],"numbered":true})",
       "invalid type: integer `7`, expected struct AlignRow"},
      {R"({"type":"align","rows":[[@X,@Y]],"numbered":true})",
       "invalid type: map, expected a sequence"},
      {R"({"type":"align","rows":[],"numbered":1})",
       "invalid type: integer `1`, expected a boolean"},
      {R"({"type":"gather","rows":5,"numbered":"true"})",
       "invalid type: string \"true\", expected a boolean"},
      {R"({"type":"gather"})", "missing field `rows`"},
      {R"(["gather",[@X,@Y]])",
       "invalid length 1, expected struct variant MathExpr::Gather with 2 elements"},
      {R"({"type":"gather","rows":[[@X]],"numbered":false})",
       "invalid type: map, expected variant identifier"},
      {R"({"type":"accent","body":@X})", "missing field `kind`"},
      {R"({"type":"accent","kind":"hats","body":@X})",
       "unknown variant `hats`, expected one of `hat`, `tilde`, `vec`, `dot`, `ddot`, `bar`, "
       "`acute`, `grave`, `breve`, `check`, `wide_hat`, `wide_tilde`"},
      {R"(["accent","hat",@X,0])", "invalid length 3, expected 2 elements in sequence"},
      {R"({"type":"smash"})", "missing field `body`"},
      {R"(["smash",@X])",
       "invalid length 1, expected struct variant MathExpr::Smash with 2 elements"},
      {R"({"type":"smash","body":@BAD,"mode":"tall"})",
       "invalid type: integer `5`, expected a string"},
      {R"(["style_override","text"])",
       "invalid length 1, expected struct variant MathExpr::StyleOverride with 2 elements"},
      {R"(["font_override","bold"])",
       "invalid length 1, expected struct variant MathExpr::FontOverride with 2 elements"},
      {R"({"type":"color","color":5,"body":@X})", "invalid type: integer `5`, expected a string"},
      {R"(["color","red"])",
       "invalid length 1, expected struct variant MathExpr::Color with 2 elements"},
      {R"({"type":"row","children":[{"type":"row","children":[{"type":"frac",
           "numerator":@X,"denominator":{"type":"ident","value":[]},"style":"auto"}]}]})",
       "invalid type: sequence, expected a string"},
  };
  for (const auto& [expr, message] : cases) {
    EXPECT_EQ(math_message(sub(expr)), message) << expr;
  }
}

// What reads, written again: array forms, index tags, one-key enumerations and absent optional
// children all come back in the written form.
TEST(ReadMath, ReadsBackAsWritten) {
  const std::pair<const char*, const char*> cases[] = {
      {R"([0,"x"])", R"({"type":"ident","value":"x"})"},
      {R"({"type":"operator","symbol":"+","kind":{"binary":null}})",
       R"({"kind":"binary","symbol":"+","type":"operator"})"},
      {R"(["sqrt",null,@X])", R"({"body":@X,"index":null,"type":"sqrt"})"},
      {R"({"type":"sqrt","body":@X})", R"({"body":@X,"index":null,"type":"sqrt"})"},
      {R"(["overbrace",@X,null])", R"({"annotation":null,"body":@X,"type":"overbrace"})"},
      {R"(["big_operator",@OP,"display_limits",null,null])",
       R"({"limits":"display_limits","lower":null,"op":{"kind":"large","symbol":"S"},
           "type":"big_operator","upper":null})"},
      {R"({"type":"cases","rows":[{"expr":@X,"condition":@X},{"expr":@X},[@X,null]]})",
       R"({"rows":[{"condition":@X,"expr":@X},{"condition":null,"expr":@X},
                   {"condition":null,"expr":@X}],"type":"cases"})"},
      {R"({"type":"align","rows":[{"cells":[@X,@X],"label":"eq"},{"cells":[@X]},[[@X],null]],
           "numbered":true})",
       R"({"numbered":true,"rows":[{"cells":[@X,@X],"label":"eq"},{"cells":[@X]},
           {"cells":[@X]}],"type":"align"})"},
      {R"({"type":"matrix","rows":[[@X,@X],[@X],[]],"delimiters":"bracket"})",
       R"({"delimiters":"bracket","rows":[[@X,@X],[@X],[]],"type":"matrix"})"},
      {R"({"type":"style_override","style":{"script":null},"body":@X})",
       R"({"body":@X,"style":"script","type":"style_override"})"},
      {R"({"type":"space","thin":{}})", R"({"thin":null,"type":"space"})"},
      {R"({"type":"space","custom":"3em"})", R"({"custom":"3em","type":"space"})"},
  };
  for (const auto& [expr, written] : cases) {
    EXPECT_EQ(math_rewritten(sub(expr)), testing::compact_json(sub(written))) << expr;
  }
}

}  // namespace
}  // namespace zuv

#include "symbols.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "math_testing.h"
#include "tokenizer.h"

namespace zuv::math {
namespace {

using testing::compact_json;
using testing::math_json;

std::string utf8(char32_t c) {
  std::string s;
  append_utf8(s, c);
  return s;
}

std::string command(std::string_view name) { return "\\" + std::string(name); }

std::string ident_json(std::string_view value) {
  return R"({"type":"ident","value":")" + std::string(value) + R"("})";
}

std::string operator_json(std::string_view symbol, std::string_view kind) {
  return R"({"kind":")" + std::string(kind) + R"(","symbol":")" + std::string(symbol) +
         R"(","type":"operator"})";
}

struct Letter {
  std::string_view name;
  char32_t code_point;
};

TEST(MathSymbols, GreekLetters) {
  const Letter letters[] = {
      {"alpha", 0x03B1}, {"beta", 0x03B2}, {"gamma", 0x03B3}, {"delta", 0x03B4},
      {"epsilon", 0x03B5}, {"varepsilon", 0x03B5}, {"zeta", 0x03B6}, {"eta", 0x03B7},
      {"theta", 0x03B8}, {"vartheta", 0x03D1}, {"iota", 0x03B9}, {"kappa", 0x03BA},
      {"lambda", 0x03BB}, {"mu", 0x03BC}, {"nu", 0x03BD}, {"xi", 0x03BE}, {"pi", 0x03C0},
      {"varpi", 0x03D6}, {"rho", 0x03C1}, {"varrho", 0x03F1}, {"sigma", 0x03C3},
      {"varsigma", 0x03C2}, {"tau", 0x03C4}, {"upsilon", 0x03C5}, {"phi", 0x03C6},
      {"varphi", 0x03C6}, {"chi", 0x03C7}, {"psi", 0x03C8}, {"omega", 0x03C9}, {"Gamma", 0x0393},
      {"Delta", 0x0394}, {"Theta", 0x0398}, {"Lambda", 0x039B}, {"Xi", 0x039E}, {"Pi", 0x03A0},
      {"Sigma", 0x03A3}, {"Upsilon", 0x03A5}, {"Phi", 0x03A6}, {"Psi", 0x03A8}, {"Omega", 0x03A9},
  };
  for (const Letter& l : letters) {
    EXPECT_EQ(math_json(command(l.name)), ident_json(utf8(l.code_point))) << l.name;
  }
  EXPECT_EQ(std::size(kGreekLetters), std::size(letters));
}

TEST(MathSymbols, Operators) {
  const struct {
    std::string_view name;
    char32_t code_point;
    std::string_view kind;
  } operators[] = {
      {"pm", 0x00B1, "binary"}, {"mp", 0x2213, "binary"}, {"times", 0x00D7, "binary"},
      {"div", 0x00F7, "binary"}, {"cdot", 0x00B7, "binary"}, {"cup", 0x222A, "binary"},
      {"cap", 0x2229, "binary"}, {"land", 0x2227, "binary"}, {"lor", 0x2228, "binary"},
      {"ne", 0x2260, "relation"}, {"neq", 0x2260, "relation"}, {"le", 0x2264, "relation"},
      {"leq", 0x2264, "relation"}, {"ge", 0x2265, "relation"}, {"geq", 0x2265, "relation"},
      {"in", 0x2208, "relation"}, {"notin", 0x2209, "relation"}, {"sim", 0x223C, "relation"},
      {"cong", 0x2245, "relation"}, {"equiv", 0x2261, "relation"}, {"approx", 0x2248, "relation"},
      {"propto", 0x221D, "relation"}, {"subset", 0x2282, "relation"},
      {"supset", 0x2283, "relation"}, {"subseteq", 0x2286, "relation"},
      {"supseteq", 0x2287, "relation"}, {"to", 0x2192, "relation"},
      {"rightarrow", 0x2192, "relation"}, {"leftarrow", 0x2190, "relation"},
      {"uparrow", 0x2191, "relation"}, {"downarrow", 0x2193, "relation"},
      {"Rightarrow", 0x21D2, "relation"}, {"Leftarrow", 0x21D0, "relation"},
      {"leftrightarrow", 0x2194, "relation"}, {"Leftrightarrow", 0x27FA, "relation"},
      {"iff", 0x27FA, "relation"}, {"implies", 0x27F9, "relation"}, {"mapsto", 0x21A6, "relation"},
      {"hookleftarrow", 0x21A9, "relation"}, {"hookrightarrow", 0x21AA, "relation"},
      {"neg", 0x00AC, "prefix"}, {"lnot", 0x00AC, "prefix"}, {"dots", 0x2026, "punctuation"},
      {"ldots", 0x2026, "punctuation"}, {"cdots", 0x22EF, "punctuation"},
      {"vdots", 0x22EE, "punctuation"}, {"ddots", 0x22F1, "punctuation"},
      {"colon", 0x003A, "punctuation"},
  };
  for (const auto& o : operators) {
    EXPECT_EQ(math_json(command(o.name)), operator_json(utf8(o.code_point), o.kind)) << o.name;
  }
  EXPECT_EQ(std::size(kOperatorSymbols), std::size(operators));
}

TEST(MathSymbols, BigOperators) {
  const Letter symbols[] = {
      {"sum", 0x2211}, {"prod", 0x220F}, {"int", 0x222B}, {"iint", 0x222C}, {"iiint", 0x222D},
      {"oint", 0x222E}, {"bigcup", 0x22C3}, {"bigcap", 0x22C2}, {"bigvee", 0x22C1},
      {"bigwedge", 0x22C0}, {"bigoplus", 0x2295}, {"bigotimes", 0x2297}, {"bigsqcup", 0x2294},
      {"biguplus", 0x228E},
  };
  for (const Letter& s : symbols) {
    EXPECT_EQ(math_json(command(s.name)),
              R"({"limits":"display_limits","lower":null,"op":{"kind":"large","symbol":")" +
                  utf8(s.code_point) + R"("},"type":"big_operator","upper":null})")
        << s.name;
  }
  EXPECT_EQ(std::size(kBigOperatorSymbols), std::size(symbols));
}

TEST(MathSymbols, FunctionNames) {
  const struct {
    std::string_view name;
    std::string_view shown;
  } functions[] = {
      {"lim", "lim"}, {"limsup", "lim sup"}, {"liminf", "lim inf"}, {"max", "max"}, {"min", "min"},
      {"sup", "sup"}, {"inf", "inf"}, {"log", "log"}, {"ln", "ln"}, {"sin", "sin"}, {"cos", "cos"},
      {"tan", "tan"}, {"sec", "sec"}, {"csc", "csc"}, {"cot", "cot"}, {"arcsin", "arcsin"},
      {"arccos", "arccos"}, {"arctan", "arctan"}, {"exp", "exp"}, {"det", "det"}, {"gcd", "gcd"},
      {"arg", "arg"}, {"dim", "dim"}, {"ker", "ker"}, {"deg", "deg"}, {"hom", "hom"}, {"Pr", "Pr"},
  };
  for (const auto& f : functions) {
    EXPECT_EQ(math_json(command(f.name)), operator_json(f.shown, "prefix")) << f.name;
  }
  EXPECT_EQ(std::size(kFunctionNames), std::size(functions));
}

TEST(MathSymbols, FontsAndAccents) {
  const struct {
    std::string_view name;
    std::string_view font;
  } fonts[] = {
      {"mathrm", "roman"}, {"textrm", "roman"}, {"mathbf", "bold"}, {"boldsymbol", "bold"},
      {"mathit", "italic"}, {"textit", "italic"}, {"mathsf", "sans_serif"}, {"mathtt", "monospace"},
      {"mathbb", "blackboard"}, {"mathcal", "calligraphic"}, {"mathfrak", "fraktur"},
      {"mathscr", "script"},
  };
  for (const auto& f : fonts) {
    EXPECT_EQ(math_json(command(f.name) + "{x}"),
              compact_json(R"({"body":{"type":"ident","value":"x"},"font":")" +
                           std::string(f.font) + R"(","type":"font_override"})"))
        << f.name;
  }
  // The two remaining font names are text commands.
  EXPECT_EQ(std::size(kFontCommands), std::size(fonts) + 2);
  const struct {
    std::string_view name;
    std::string_view kind;
  } accents[] = {
      {"hat", "hat"}, {"tilde", "tilde"}, {"vec", "vec"}, {"dot", "dot"}, {"ddot", "ddot"},
      {"bar", "bar"}, {"acute", "acute"}, {"grave", "grave"}, {"breve", "breve"},
      {"check", "check"}, {"widehat", "wide_hat"}, {"widetilde", "wide_tilde"},
  };
  for (const auto& a : accents) {
    EXPECT_EQ(math_json(command(a.name) + "{x}"),
              R"({"body":{"type":"ident","value":"x"},"kind":")" + std::string(a.kind) +
                  R"(","type":"accent"})")
        << a.name;
  }
  EXPECT_EQ(std::size(kAccentKinds), std::size(accents));
}

TEST(MathSymbols, FurtherSymbols) {
  const Letter leading[] = {
      {"hbar", 0x210F}, {"ell", 0x2113}, {"infty", 0x221E}, {"nabla", 0x2207}, {"aleph", 0x2135},
      {"forall", 0x2200}, {"exists", 0x2203}, {"partial", 0x2202}, {"emptyset", 0x2205},
      {"varnothing", 0x2205},
  };
  for (const Letter& l : leading) {
    EXPECT_EQ(math_json(command(l.name)), ident_json(utf8(l.code_point))) << l.name;
  }
  EXPECT_EQ(std::size(kLeadingSymbols), std::size(leading));
  EXPECT_EQ(math_json("\\quad"), R"({"quad":null,"type":"space"})");
  EXPECT_EQ(math_json("\\qquad"), R"({"q_quad":null,"type":"space"})");

  const struct {
    std::string_view name;
    char32_t code_point;
    bool binary_operator;
  } trailing[] = {
      {"langle", 0x27E8, false}, {"rangle", 0x27E9, false}, {"lbrace", 0x007B, false},
      {"{", 0x007B, false}, {"rbrace", 0x007D, false}, {"}", 0x007D, false},
      {"lvert", 0x007C, false}, {"|", 0x007C, false}, {"rvert", 0x007C, false},
      {"lVert", 0x2016, false}, {"rVert", 0x2016, false}, {"lceil", 0x2308, false},
      {"rceil", 0x2309, false}, {"lfloor", 0x230A, false}, {"rfloor", 0x230B, false},
      {"prime", 0x2032, false}, {"circ", 0x2218, true}, {"star", 0x22C6, true},
      {"perp", 0x22A5, false}, {"bullet", 0x2022, true}, {"top", 0x22A4, false},
      {"angle", 0x2220, false}, {"triangle", 0x25B3, false}, {"square", 0x25A1, false},
      {"therefore", 0x2234, false}, {"checkmark", 0x2713, false}, {"because", 0x2235, false},
  };
  for (const auto& t : trailing) {
    const std::string text = utf8(t.code_point);
    EXPECT_EQ(math_json(command(t.name)),
              t.binary_operator ? operator_json(text, "binary") : ident_json(text))
        << t.name;
  }
  EXPECT_EQ(std::size(kTrailingSymbols), std::size(trailing));
}

template <class V, size_t N>
void collect_names(std::vector<std::string_view>& names, const NameEntry<V> (&table)[N]) {
  for (const auto& e : table) names.push_back(e.name);
}

TEST(MathSymbols, TablesAreDisjoint) {
  std::vector<std::string_view> names;
  collect_names(names, kGreekLetters);
  collect_names(names, kOperatorSymbols);
  collect_names(names, kBigOperatorSymbols);
  collect_names(names, kFunctionNames);
  collect_names(names, kFontCommands);
  collect_names(names, kAccentKinds);
  collect_names(names, kLeadingSymbols);
  collect_names(names, kTrailingSymbols);
  names.push_back("quad");
  names.push_back("qquad");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}

TEST(MathSymbols, UnknownNames) {
  for (std::string_view name : {"Alpha", "omicron", "varkappa", "bigodot", "coprod", "iiiint",
                                "sinh", "lg", "textbf", "mathbfit", "Sum", "SIN", "label"}) {
    EXPECT_EQ(math_json(command(name)),
              R"({"message":"unknown command: \\)" + std::string(name) + R"(","raw":"\\)" +
                  std::string(name) + R"(","type":"error"})");
  }
}

}  // namespace
}  // namespace zuv::math

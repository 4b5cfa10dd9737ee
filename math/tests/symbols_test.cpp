#include "symbols.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "math_testing.h"

namespace zuv::math {
namespace {

using testing::compact_json;
using testing::math_json;

std::string command(std::string_view name) { return "\\" + std::string(name); }

std::string ident_json(std::string_view value) {
  return R"({"type":"ident","value":")" + std::string(value) + R"("})";
}

std::string operator_json(std::string_view symbol, std::string_view kind) {
  return R"({"kind":")" + std::string(kind) + R"(","symbol":")" + std::string(symbol) +
         R"(","type":"operator"})";
}

std::string big_operator_json(std::string_view symbol) {
  return R"({"limits":"display_limits","lower":null,"op":{"kind":"large","symbol":")" +
         std::string(symbol) + R"("},"type":"big_operator","upper":null})";
}

std::string font_json(std::string_view font) {
  return compact_json(R"({"body":{"type":"ident","value":"x"},"font":")" + std::string(font) +
                      R"(","type":"font_override"})");
}

std::string accent_json(std::string_view kind) {
  return R"({"body":{"type":"ident","value":"x"},"kind":")" + std::string(kind) +
         R"(","type":"accent"})";
}

// Each table: every name reaches the dispatch and gives its entry, a few entries as written out,
// and the table's size, so that an entry added or lost on the way shows.
TEST(MathSymbols, GreekLetters) {
  for (const auto& e : kGreekLetters) EXPECT_EQ(math_json(command(e.name)), ident_json(e.value));
  EXPECT_EQ(math_json("\\alpha"), ident_json("α"));
  EXPECT_EQ(math_json("\\varepsilon"), ident_json("ε"));
  EXPECT_EQ(math_json("\\Omega"), ident_json("Ω"));
  EXPECT_EQ(std::size(kGreekLetters), 40u);
}

TEST(MathSymbols, Operators) {
  for (const auto& e : kOperatorSymbols) {
    EXPECT_EQ(math_json(command(e.name)), operator_json(e.value.symbol, enum_name(e.value.kind)))
        << e.name;
  }
  EXPECT_EQ(math_json("\\pm"), operator_json("±", "binary"));
  EXPECT_EQ(math_json("\\leq"), operator_json("≤", "relation"));
  EXPECT_EQ(math_json("\\neg"), operator_json("¬", "prefix"));
  EXPECT_EQ(math_json("\\ldots"), operator_json("…", "punctuation"));
  EXPECT_EQ(std::size(kOperatorSymbols), 48u);
}

TEST(MathSymbols, BigOperators) {
  for (const auto& e : kBigOperatorSymbols) {
    EXPECT_EQ(math_json(command(e.name)), big_operator_json(e.value)) << e.name;
  }
  EXPECT_EQ(math_json("\\sum"), big_operator_json("∑"));
  EXPECT_EQ(math_json("\\oint"), big_operator_json("∮"));
  EXPECT_EQ(std::size(kBigOperatorSymbols), 14u);
}

TEST(MathSymbols, FunctionNames) {
  for (const auto& e : kFunctionNames) {
    EXPECT_EQ(math_json(command(e.name)), operator_json(e.value, "prefix")) << e.name;
  }
  EXPECT_EQ(math_json("\\sin"), operator_json("sin", "prefix"));
  EXPECT_EQ(math_json("\\limsup"), operator_json("lim sup", "prefix"));
  EXPECT_EQ(std::size(kFunctionNames), 27u);
}

TEST(MathSymbols, FontsAndAccents) {
  for (const auto& e : kFontCommands) {
    // `text` and `mbox` are text commands; every other font name sets the font of its group.
    if (e.name == "text" || e.name == "mbox") continue;
    EXPECT_EQ(math_json(command(e.name) + "{x}"), font_json(enum_name(e.value))) << e.name;
  }
  EXPECT_EQ(math_json("\\mathbb{x}"), font_json("blackboard"));
  EXPECT_EQ(math_json("\\textrm{x}"), font_json("roman"));
  EXPECT_EQ(std::size(kFontCommands), 14u);

  for (const auto& e : kAccentKinds) {
    EXPECT_EQ(math_json(command(e.name) + "{x}"), accent_json(enum_name(e.value))) << e.name;
  }
  EXPECT_EQ(math_json("\\hat{x}"), accent_json("hat"));
  EXPECT_EQ(math_json("\\widetilde{x}"), accent_json("wide_tilde"));
  EXPECT_EQ(std::size(kAccentKinds), 12u);
}

TEST(MathSymbols, FurtherSymbols) {
  for (const auto& e : kLeadingSymbols) {
    EXPECT_EQ(math_json(command(e.name)), ident_json(e.value)) << e.name;
  }
  EXPECT_EQ(math_json("\\infty"), ident_json("∞"));
  EXPECT_EQ(std::size(kLeadingSymbols), 10u);

  EXPECT_EQ(math_json("\\quad"), R"({"quad":null,"type":"space"})");
  EXPECT_EQ(math_json("\\qquad"), R"({"q_quad":null,"type":"space"})");
  EXPECT_EQ(std::size(kSpaceCommands), 2u);

  for (const auto& e : kTrailingSymbols) {
    EXPECT_EQ(math_json(command(e.name)), e.value.is_binary_operator
                                              ? operator_json(e.value.text, "binary")
                                              : ident_json(e.value.text))
        << e.name;
  }
  EXPECT_EQ(math_json("\\langle"), ident_json("⟨"));
  EXPECT_EQ(math_json("\\{"), ident_json("{"));
  EXPECT_EQ(math_json("\\circ"), operator_json("∘", "binary"));
  EXPECT_EQ(std::size(kTrailingSymbols), 27u);
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
  collect_names(names, kSpaceCommands);
  collect_names(names, kLeadingSymbols);
  collect_names(names, kTrailingSymbols);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}

TEST(MathSymbols, UnknownNames) {
  for (std::string_view name : {"Alpha", "omicron", "varkappa", "bigodot", "coprod", "iiiint",
                                "sinh", "lg", "textbf", "mathbfit", "Sum", "SIN", "label"}) {
    EXPECT_EQ(math_json(command(name)), R"({"message":"unknown command: \\)" + std::string(name) +
                                            R"(","raw":"\\)" + std::string(name) +
                                            R"(","type":"error"})");
  }
}

}  // namespace
}  // namespace zuv::math

#pragma once
// Test-only sample trees: one node of every kind and one math expression of every kind, with
// every optional field both present and absent somewhere, values the parser never builds
// included. The round-trip tests write and read them back; the documentation check takes from
// them the keys the writer gives each kind, so a standard block kind carries here only the
// optional fields that the parser or a transform gives it (depth and id on a heading, ordered on
// a list, checked and depth on a list item).

#include <string>
#include <utility>
#include <vector>

#include "zuv/tree.h"

namespace zuv::testing {

namespace samples {

inline Position pos(uint64_t a) { return Position{{1, a + 1, a}, {2, 1, a + 7}}; }

inline MathExpr x(std::string v = "x") { return MathExpr::ident(std::move(v)); }

}  // namespace samples

// One expression of every kind, values the math parser never builds included.
inline MathExpr every_math_kind() {
  using namespace samples;
  MathList all;
  all.push_back(x());
  all.push_back(MathExpr::number("1.5"));
  all.push_back(MathExpr::op("+", OperatorKind::Punctuation));
  all.push_back(MathExpr::text_kind(MathKind::Text, "if "));
  all.push_back(MathExpr::row({}));
  all.push_back({MathKind::Fenced, MathFenced{Delimiter::DoublePipe, Delimiter::None, {x()}}});
  all.push_back({MathKind::Superscript, MathScript{x(), x("2")}});
  all.push_back({MathKind::Subscript, MathScript{x(), x("i")}});
  all.push_back({MathKind::Subsuperscript, MathSubsup{x(), x("i"), x("2")}});
  all.push_back({MathKind::Frac, MathFrac{x("a"), x("b"), FracStyle::Display}});
  all.push_back({MathKind::Sqrt, MathSqrt{x("3"), x()}});
  all.push_back({MathKind::Sqrt, MathSqrt{std::nullopt, x()}});
  all.push_back({MathKind::Overline, MathBody{x()}});
  all.push_back({MathKind::Underline, MathBody{x()}});
  all.push_back({MathKind::Overbrace, MathBrace{x(), std::nullopt}});
  all.push_back({MathKind::Underbrace, MathBrace{x(), x("n")}});
  all.push_back({MathKind::Overset, MathOverset{x("!"), x("=")}});
  all.push_back({MathKind::Underset, MathUnderset{x("n"), x("=")}});
  all.push_back({MathKind::Accent, MathAccent{AccentKind::WideTilde, x()}});
  all.push_back(
      {MathKind::BigOperator,
       MathBigOperator{{"∑", OperatorKind::Large}, LimitsStyle::NoLimits, x("0"), std::nullopt}});
  all.push_back(
      {MathKind::BigOperator,
       MathBigOperator{{"∫", OperatorKind::Large}, LimitsStyle::Limits, std::nullopt, x("1")}});
  all.push_back(
      {MathKind::Matrix, MathMatrix{{{x("a"), x("b")}, {}, {x("c")}}, MatrixDelimiters::Brace}});
  std::vector<CaseRow> cases;
  cases.push_back(CaseRow{x("1"), x()});
  cases.push_back(CaseRow{x("0"), std::nullopt});
  all.push_back({MathKind::Cases, MathCases{std::move(cases)}});
  all.push_back({MathKind::Array, MathArray{{ColumnAlign::Left, ColumnAlign::Right}, {{x()}, {}}}});
  std::vector<AlignRow> rows;
  rows.push_back(AlignRow{{x(), x()}, "eq:1"});
  rows.push_back(AlignRow{{}, ""});
  rows.push_back(AlignRow{{x()}, std::nullopt});
  all.push_back({MathKind::Align, MathAlign{std::move(rows), false}});
  all.push_back({MathKind::Gather, MathGather{{x(), x()}, true}});
  for (size_t s = 0; s < std::size(EnumNames<SpaceKind>::names); ++s) {
    const auto kind = static_cast<SpaceKind>(s);
    all.push_back({MathKind::Space, MathSpace{kind, kind == SpaceKind::Custom ? "2em" : ""}});
  }
  all.push_back({MathKind::Phantom, MathBody{x()}});
  all.push_back({MathKind::HPhantom, MathBody{x()}});
  all.push_back({MathKind::VPhantom, MathBody{x()}});
  all.push_back({MathKind::Smash, MathSmash{x(), SmashMode::Top}});
  all.push_back({MathKind::StyleOverride, MathStyleOverride{MathStyle::ScriptScript, x()}});
  all.push_back({MathKind::FontOverride, MathFontOverride{MathFont::BoldItalic, x()}});
  all.push_back({MathKind::Color, MathColor{"red", x()}});
  all.push_back(MathExpr::text_kind(MathKind::Chem, "H2O"));
  all.push_back(MathExpr::error("\\frac{", "unclosed group"));
  return MathExpr::row(std::move(all));
}

namespace samples {

inline Node text(std::string v) { return Node(NodeKind::Text, TextNode{std::move(v), pos(1)}); }

inline Node block(NodeKind kind, NodeList children) {
  StandardBlockNode b;
  b.children = std::move(children);
  b.position = pos(2);
  return Node(kind, std::move(b));
}

}  // namespace samples

// One node of every kind, nested so that every container holds a child.
inline Root every_node_kind() {
  using namespace samples;
  Root root;
  root.frontmatter = JsonValue::make_object();
  root.frontmatter->as_object().insert(JsonKey(std::string("title")), JsonValue::make_string("T"));
  root.position = Position{{1, 1, 0}, {9, 1, 200}};
  NodeList& c = root.children;
  c.push_back(text("plain é \"quoted\""));
  c.push_back(Node(NodeKind::CodeInline, CodeInlineNode{"x", "rust", pos(3)}));
  c.push_back(Node(NodeKind::CodeInline, CodeInlineNode{"y", std::nullopt, pos(3)}));
  c.push_back(Node(NodeKind::CodeBlock,
                   CodeBlockNode{"fn main() {}\n", "rust", "{1,3}", "main.rs",
                                 std::vector<uint32_t>{3, 1, 3}, true, false, "cap", pos(4)}));
  c.push_back(Node(NodeKind::CodeBlock, CodeBlockNode{.value = "", .position = pos(4)}));
  for (size_t k = 0; k < kNodeKindCount; ++k) {
    const auto kind = static_cast<NodeKind>(k);
    if (is_standard_block(kind)) {
      c.push_back(block(kind, {text(std::string(node_kind_tag(kind)))}));
    }
  }
  StandardBlockNode heading;
  heading.depth = 6;
  heading.id = "intro-1";
  heading.children.push_back(text("Intro"));
  c.push_back(Node(NodeKind::Heading, std::move(heading)));
  StandardBlockNode numbered;
  numbered.ordered = true;
  StandardBlockNode item;
  item.checked = false;
  item.depth = 2;
  numbered.children.push_back(Node(NodeKind::ListItem, std::move(item)));
  c.push_back(Node(NodeKind::List, std::move(numbered)));
  c.push_back(Node(NodeKind::Link, LinkNode{"https://x", "t", {text("link")}, pos(5)}));
  c.push_back(Node(NodeKind::Link, LinkNode{"u", std::nullopt, {}, pos(5)}));
  c.push_back(Node(NodeKind::Image, ImageNode{"i.png", std::nullopt, "", {text("alt")}, pos(6)}));
  c.push_back(Node(NodeKind::Image, ImageNode{"j.png", "T", std::nullopt, {}, pos(6)}));
  c.push_back(Node(NodeKind::FootnoteDefinition, FootnoteNode{"1", {text("note")}, pos(7)}));
  c.push_back(Node(NodeKind::FootnoteReference, FootnoteNode{"1", {}, pos(7)}));
  c.push_back(Node(NodeKind::MathInline, MathNode{"x", every_math_kind(), pos(8)}));
  c.push_back(Node(NodeKind::MathDisplay, MathDisplayNode{"y", x("y"), "eq", pos(8)}));
  c.push_back(Node(NodeKind::MathDisplay, MathDisplayNode{"", MathExpr::row({}), {}, pos(8)}));
  c.push_back(
      Node(NodeKind::Citation,
           CitationNode{{{"a", std::nullopt, std::nullopt}, {"b", "see", "p. 2"}}, pos(9)}));
  c.push_back(Node(NodeKind::CrossRef, CrossRefNode{"fig:a", pos(10)}));
  JsonArray list;
  list.push_back(JsonValue::make_i64(-3));
  list.push_back(JsonValue::make_f64(2.0));
  JsonObject object;
  object.insert(JsonKey(std::string("k")), JsonValue::make_array());
  std::vector<AttributeNode> attrs;
  attrs.push_back({"n", AttributeValue(), pos(11)});
  attrs.push_back({"b", AttributeValue(true), pos(11)});
  attrs.push_back({"u", AttributeValue(JsonNumber::from_u64(3)), pos(11)});
  attrs.push_back({"i", AttributeValue(JsonNumber::from_i64(-3)), pos(11)});
  attrs.push_back({"f", AttributeValue(JsonNumber::from_f64(0.5)), pos(11)});
  attrs.push_back({"s", AttributeValue(std::string("str")), pos(11)});
  attrs.push_back({"a", AttributeValue(list), pos(11)});
  attrs.push_back({"o", AttributeValue(object), pos(11)});
  attrs.push_back({"v", AttributeValue(VariableNode{"user.name", pos(12)}), pos(11)});
  c.push_back(Node(
      NodeKind::Component,
      ComponentNode{"Card",
                    false,
                    std::move(attrs),
                    {text("body"),
                     Node(NodeKind::Component, ComponentNode{"Inner", true, {}, {}, "", pos(13)})},
                    " ",
                    pos(14)}));
  c.push_back(Node(NodeKind::Variable, VariableNode{"a.b", pos(15)}));
  c.push_back(Node(NodeKind::Error, ErrorNode{"bad", "", pos(16)}));
  return root;
}

}  // namespace zuv::testing

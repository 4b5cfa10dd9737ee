// Write, read, write: every node kind and every math kind comes back as the same tree and the
// same dict.

#include <gtest/gtest.h>

#include "zuv/dict_form.h"
#include "zuv/dict_read.h"

namespace zuv {
namespace {

Position pos(uint64_t a) { return Position{{1, a + 1, a}, {2, 1, a + 7}}; }

MathExpr x(std::string v = "x") { return MathExpr::ident(std::move(v)); }

// One expression of every kind, values the math parser never builds included.
MathExpr every_math_kind() {
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
  all.push_back({MathKind::BigOperator,
                 MathBigOperator{{"∑", OperatorKind::Large}, LimitsStyle::NoLimits, x("0"),
                                 std::nullopt}});
  all.push_back({MathKind::BigOperator,
                 MathBigOperator{{"∫", OperatorKind::Large}, LimitsStyle::Limits, std::nullopt,
                                 x("1")}});
  all.push_back({MathKind::Matrix,
                 MathMatrix{{{x("a"), x("b")}, {}, {x("c")}}, MatrixDelimiters::Brace}});
  std::vector<CaseRow> cases;
  cases.push_back(CaseRow{x("1"), x()});
  cases.push_back(CaseRow{x("0"), std::nullopt});
  all.push_back({MathKind::Cases, MathCases{std::move(cases)}});
  all.push_back({MathKind::Array,
                 MathArray{{ColumnAlign::Left, ColumnAlign::Right}, {{x()}, {}}}});
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

Node text(std::string v) { return Node(NodeKind::Text, TextNode{std::move(v), pos(1)}); }

Node block(NodeKind kind, NodeList children) {
  StandardBlockNode b;
  b.children = std::move(children);
  b.position = pos(2);
  return Node(kind, std::move(b));
}

// One node of every kind, nested so that every container holds a child.
Root every_node_kind() {
  Root root;
  root.frontmatter = JsonValue::make_object();
  root.frontmatter->as_object().insert(JsonKey(std::string("title")),
                                       JsonValue::make_string("T"));
  root.position = Position{{1, 1, 0}, {9, 1, 200}};
  NodeList& c = root.children;
  c.push_back(text("plain é \"quoted\""));
  c.push_back(Node(NodeKind::CodeInline, CodeInlineNode{"x", "rust", pos(3)}));
  c.push_back(Node(NodeKind::CodeInline, CodeInlineNode{"y", std::nullopt, pos(3)}));
  c.push_back(Node(NodeKind::CodeBlock,
                   CodeBlockNode{"fn main() {}\n", "rust", "{1,3}", "main.rs",
                                 std::vector<uint32_t>{3, 1, 3}, true, false, "cap", pos(4)}));
  c.push_back(Node(NodeKind::CodeBlock, CodeBlockNode{.value = "", .position = pos(4)}));
  for (size_t k = static_cast<size_t>(NodeKind::Paragraph);
       k <= static_cast<size_t>(NodeKind::DefinitionDescription); ++k) {
    const auto kind = static_cast<NodeKind>(k);
    if (kind == NodeKind::Link || kind == NodeKind::Image) continue;
    c.push_back(block(kind, {text(std::string(node_kind_tag(kind)))}));
  }
  StandardBlockNode heading;
  heading.depth = 6;
  heading.id = "intro-1";
  heading.children.push_back(text("Intro"));
  c.push_back(Node(NodeKind::Heading, std::move(heading)));
  StandardBlockNode item;
  item.checked = false;
  item.ordered = true;
  c.push_back(Node(NodeKind::ListItem, std::move(item)));
  c.push_back(Node(NodeKind::Link, LinkNode{"https://x", "t", {text("link")}, pos(5)}));
  c.push_back(Node(NodeKind::Link, LinkNode{"u", std::nullopt, {}, pos(5)}));
  c.push_back(Node(NodeKind::Image, ImageNode{"i.png", std::nullopt, "", {text("alt")}, pos(6)}));
  c.push_back(Node(NodeKind::FootnoteDefinition, FootnoteNode{"1", {text("note")}, pos(7)}));
  c.push_back(Node(NodeKind::FootnoteReference, FootnoteNode{"1", {}, pos(7)}));
  c.push_back(Node(NodeKind::MathInline, MathNode{"x", every_math_kind(), pos(8)}));
  c.push_back(Node(NodeKind::MathDisplay, MathDisplayNode{"y", x("y"), "eq", pos(8)}));
  c.push_back(Node(NodeKind::MathDisplay, MathDisplayNode{"", MathExpr::row({}), {}, pos(8)}));
  c.push_back(Node(NodeKind::Citation,
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
  c.push_back(Node(NodeKind::Component,
                   ComponentNode{"Card", false, std::move(attrs),
                                 {text("body"), Node(NodeKind::Component,
                                                     ComponentNode{"Inner", true, {}, {}, "",
                                                                   pos(13)})},
                                 " ", pos(14)}));
  c.push_back(Node(NodeKind::Variable, VariableNode{"a.b", pos(15)}));
  c.push_back(Node(NodeKind::Error, ErrorNode{"bad", "", pos(16)}));
  return root;
}

TEST(ReadRoundTrip, EveryKindWriteReadWrite) {
  const Root tree = every_node_kind();
  const JsonValue written = root_to_value(tree);
  auto read = root_from_value(written);
  ASSERT_TRUE(read) << read.error().message;
  EXPECT_EQ(read.value(), tree);
  EXPECT_EQ(to_json_text(root_to_value(read.value())), to_json_text(written));
}

void retag_math(JsonValue& v) {
  if (v.is_array()) {
    for (JsonValue& e : v.as_array()) retag_math(e);
  } else if (v.is_object()) {
    for (JsonMember& m : v.as_object()) {
      if (m.key.text() != "type") {
        retag_math(m.value);
      } else if (auto k = math_kind_from_tag(m.value.as_string())) {
        m.value = JsonValue::make_u64(static_cast<uint64_t>(*k));
      }
    }
  }
}

void retag_node(JsonValue& node, bool nested) {
  JsonObject& o = node.as_object();
  if (nested) {
    JsonValue& type = *o.find("type");
    type = JsonValue::make_u64(static_cast<uint64_t>(*node_kind_from_tag(type.as_string())));
  }
  if (JsonValue* children = o.find("children")) {
    for (JsonValue& child : children->as_array()) retag_node(child, true);
  }
  if (JsonValue* tree = o.find("tree")) retag_math(*tree);
}

// Nested nodes and math expressions may name their kind by its index.
TEST(ReadRoundTrip, EveryKindReadByIndexTags) {
  const Root tree = every_node_kind();
  JsonValue written = root_to_value(tree);
  for (JsonValue& node : written.as_object().find("children")->as_array()) {
    retag_node(node, false);
  }
  EXPECT_NE(to_json_text(written).find(R"("type":0)"), std::string::npos);
  auto read = root_from_value(std::move(written));
  ASSERT_TRUE(read) << read.error().message;
  EXPECT_EQ(read.value(), tree);
}

}  // namespace
}  // namespace zuv

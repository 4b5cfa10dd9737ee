#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "json_testing.h"
#include "zuv/dict_form.h"

namespace zuv {
namespace {

// A one-line range: offsets a..b on line 1, columns a+1..b+1.
Position pos(uint64_t a, uint64_t b) { return Position{{1, a + 1, a}, {1, b + 1, b}}; }
constexpr const char* kPos01 =
    R"({"end":{"column":2,"line":1,"offset":1},"start":{"column":1,"line":1,"offset":0}})";

std::string with_pos(std::string_view json) {
  std::string s(json);
  for (size_t at; (at = s.find("@P")) != std::string::npos;) s.replace(at, 2, kPos01);
  return s;
}

Node text(std::string v) { return Node(NodeKind::Text, TextNode{std::move(v), pos(0, 1)}); }

Node block(NodeKind k, NodeList children = {}) {
  StandardBlockNode b;
  b.children = std::move(children);
  b.position = pos(0, 1);
  return Node(k, std::move(b));
}

TEST(WriteNode, LeafKinds) {
  CodeBlockNode bare{.value = "x\n", .position = pos(0, 1)};
  CodeBlockNode full{"x\n", "rust", "title=\"t\" {1}", "t", std::vector<uint32_t>{1, 3}, true,
                     false, "c",    pos(0, 1)};
  CitationNode cite{{{"a", std::nullopt, std::nullopt}, {"b", "see", "p. 2"}}, pos(0, 1)};
  const std::pair<Node, const char*> cases[] = {
      {text("hi"), R"({"position":@P,"type":"text","value":"hi"})"},
      {Node(NodeKind::CodeInline, CodeInlineNode{"c", std::nullopt, pos(0, 1)}),
       R"({"position":@P,"type":"code_inline","value":"c"})"},
      {Node(NodeKind::CodeInline, CodeInlineNode{"c", "py", pos(0, 1)}),
       R"({"lang":"py","position":@P,"type":"code_inline","value":"c"})"},
      {Node(NodeKind::CodeBlock, bare), R"({"position":@P,"type":"code_block","value":"x\n"})"},
      {Node(NodeKind::CodeBlock, full),
       R"({"caption":"c","diff":false,"highlight":[1,3],"lang":"rust",
           "meta":"title=\"t\" {1}","position":@P,"showLineNumbers":true,"title":"t",
           "type":"code_block","value":"x\n"})"},
      {Node(NodeKind::FootnoteReference, FootnoteNode{"n", {}, pos(0, 1)}),
       R"({"children":[],"label":"n","position":@P,"type":"footnote_reference"})"},
      {Node(NodeKind::Citation, cite),
       R"({"keys":[{"id":"a"},{"id":"b","locator":"p. 2","prefix":"see"}],"position":@P,
           "type":"citation"})"},
      {Node(NodeKind::CrossRef, CrossRefNode{"fig:a", pos(0, 1)}),
       R"({"position":@P,"target":"fig:a","type":"cross_ref"})"},
      {Node(NodeKind::Variable, VariableNode{"a.b", pos(0, 1)}),
       R"({"path":"a.b","position":@P,"type":"variable"})"},
      {Node(NodeKind::Error, ErrorNode{"bad", "", pos(0, 1)}),
       R"({"message":"bad","position":@P,"rawContent":"","type":"error"})"},
      {Node(NodeKind::MathInline, MathNode{"x", MathExpr::ident("x"), pos(0, 1)}),
       R"({"position":@P,"raw":"x","tree":{"type":"ident","value":"x"},"type":"math_inline"})"},
      {Node(NodeKind::MathDisplay,
            MathDisplayNode{"", MathExpr::row({}), std::string("eq"), pos(0, 1)}),
       R"({"label":"eq","position":@P,"raw":"","tree":{"children":[],"type":"row"},
           "type":"math_display"})"},
  };
  for (const auto& [node, expected] : cases) {
    EXPECT_JSON(node_to_value(node), with_pos(expected));
  }
}

TEST(WriteNode, ContainerKindsShareTheStandardRecord) {
  for (NodeKind k :
       {NodeKind::Paragraph, NodeKind::List, NodeKind::Blockquote, NodeKind::ThematicBreak,
        NodeKind::Html, NodeKind::Table, NodeKind::TableRow, NodeKind::TableCell,
        NodeKind::Emphasis, NodeKind::Strong, NodeKind::Strikethrough, NodeKind::DefinitionList,
        NodeKind::DefinitionTerm, NodeKind::DefinitionDescription}) {
    EXPECT_JSON(node_to_value(block(k)), with_pos(R"({"children":[],"position":@P,"type":")" +
                                                  std::string(node_kind_tag(k)) + "\"}"));
  }
  Node heading = block(NodeKind::Heading, {text("A")});
  heading.as<StandardBlockNode>().depth = 2;
  heading.as<StandardBlockNode>().id = "a";
  EXPECT_JSON(node_to_value(heading),
              with_pos(R"({"children":[{"position":@P,"type":"text","value":"A"}],"depth":2,
                           "id":"a","position":@P,"type":"heading"})"));
  Node item = block(NodeKind::ListItem);
  item.as<StandardBlockNode>().checked = false;
  Node list = block(NodeKind::List, {item});
  list.as<StandardBlockNode>().ordered = true;
  EXPECT_JSON(node_to_value(list),
              with_pos(R"({"children":[{"checked":false,"children":[],"position":@P,
                           "type":"list_item"}],"ordered":true,"position":@P,"type":"list"})"));
}

TEST(WriteNode, LinksImagesFootnotes) {
  EXPECT_JSON(node_to_value(Node(NodeKind::Link, LinkNode{"u", std::nullopt, {}, pos(0, 1)})),
              with_pos(R"({"children":[],"position":@P,"type":"link","url":"u"})"));
  EXPECT_JSON(node_to_value(Node(NodeKind::Link, LinkNode{"u", "t", {text("x")}, pos(0, 1)})),
              with_pos(R"({"children":[{"position":@P,"type":"text","value":"x"}],
                           "position":@P,"title":"t","type":"link","url":"u"})"));
  EXPECT_JSON(node_to_value(Node(NodeKind::Image, ImageNode{"i.png", "t", "a", {}, pos(0, 1)})),
              with_pos(R"({"alt":"a","children":[],"position":@P,"title":"t","type":"image",
                   "url":"i.png"})"));
  EXPECT_JSON(node_to_value(Node(NodeKind::FootnoteDefinition,
                                 FootnoteNode{"1", {block(NodeKind::Paragraph)}, pos(0, 1)})),
              with_pos(R"({"children":[{"children":[],"position":@P,"type":"paragraph"}],
                           "label":"1","position":@P,"type":"footnote_definition"})"));
}

TEST(WriteNode, ComponentsAndAttributeValues) {
  JsonObject obj;
  obj.insert(JsonKey(std::string("z")), JsonValue::make_u64(1));
  obj.insert(JsonKey(std::string("A")), JsonValue::make_f64(std::nan("")));
  JsonArray arr{JsonValue::make_i64(-1), JsonValue::make_string("s")};
  ComponentNode c;
  c.name = "Card";
  c.attributes = {
      {"n", std::monostate{}, pos(0, 1)},
      {"b", true, pos(0, 1)},
      {"u", JsonNumber::from_u64(UINT64_MAX), pos(0, 1)},
      {"i", JsonNumber::from_i64(-9), pos(0, 1)},
      {"f", JsonNumber::from_f64(std::numeric_limits<double>::infinity()), pos(0, 1)},
      {"s", std::string("x"), pos(0, 1)},
      {"a", arr, pos(0, 1)},
      {"o", obj, pos(0, 1)},
      {"v", VariableNode{"user.name", pos(0, 1)}, pos(0, 1)},
  };
  c.position = pos(0, 1);
  const char* attrs =
      R"([{"name":"n","position":@P,"value":null},{"name":"b","position":@P,"value":true},
          {"name":"u","position":@P,"value":18446744073709551615},
          {"name":"i","position":@P,"value":-9},{"name":"f","position":@P,"value":null},
          {"name":"s","position":@P,"value":"x"},{"name":"a","position":@P,"value":[-1,"s"]},
          {"name":"o","position":@P,"value":{"A":null,"z":1}},
          {"name":"v","position":@P,"value":{"path":"user.name","position":@P}}])";
  EXPECT_JSON(node_to_value(Node(NodeKind::Component, c)),
              with_pos(std::string(R"({"attributes":)") + attrs +
                       R"(,"children":[],"isInline":false,"name":"Card","position":@P,
                          "type":"component"})"));
  c.attributes.clear();
  c.rawContent = " ";
  c.isInline = true;
  EXPECT_JSON(node_to_value(Node(NodeKind::Component, c)),
              with_pos(R"({"attributes":[],"children":[],"isInline":true,"name":"Card",
                           "position":@P,"rawContent":" ","type":"component"})"));
}

TEST(WriteRoot, FrontmatterNullWhenAbsentAndKeysSorted) {
  Root root;
  root.position = pos(0, 1);
  EXPECT_JSON(root_to_value(root),
              with_pos(R"({"children":[],"frontmatter":null,"position":@P,"type":"root"})"));
  JsonObject fm;
  fm.insert(JsonKey(std::string("title")), JsonValue::make_string("T"));
  fm.insert(JsonKey(std::string("Title")), JsonValue::make_u64(2));
  fm.insert(JsonKey(std::string("tit")), JsonValue::make_bool(false));
  root.frontmatter = JsonValue::make_object(fm);
  root.children.push_back(text("a"));
  EXPECT_JSON(root_to_value(root),
              with_pos(R"({"children":[{"position":@P,"type":"text","value":"a"}],
                           "frontmatter":{"Title":2,"tit":false,"title":"T"},
                           "position":@P,"type":"root"})"));
}

TEST(WriteNode, NodeListWritesEachNodeAsAlone) {
  const Node a = block(NodeKind::Emphasis, {text("a")});
  const Node b = text("b");
  const Node* list[] = {&a, &b, &a};
  const JsonValue written = nodes_to_value(list);
  ASSERT_EQ(written.items().size(), 3u);
  EXPECT_EQ(written.items()[0], node_to_value(a));
  EXPECT_EQ(written.items()[1], node_to_value(b));
  EXPECT_EQ(written.items()[2], node_to_value(a));
  EXPECT_EQ(to_json_text(nodes_to_value({})), "[]");
}

TEST(WriteNode, NestedNodeWritesAsInItsParent) {
  Node inner = block(NodeKind::Emphasis, {text("deep")});
  Node outer = block(NodeKind::Paragraph, {block(NodeKind::Strong, {inner})});
  JsonValue whole = node_to_value(outer);
  const JsonValue& strong = whole.get("children")->items()[0];
  EXPECT_EQ(strong.get("children")->items()[0], node_to_value(inner));
}

MathBox bx(MathExpr e) { return MathBox(std::move(e)); }
MathExpr x() { return MathExpr::ident("x"); }
constexpr const char* kX = R"({"type":"ident","value":"x"})";

std::string with_x(std::string_view json) {
  std::string s(json);
  for (size_t at; (at = s.find("@X")) != std::string::npos;) s.replace(at, 2, kX);
  return s;
}

TEST(WriteMath, EveryKind) {
  MathSpace custom{SpaceKind::Custom, "2em"};
  std::vector<CaseRow> cases;
  cases.push_back({x(), std::nullopt});
  cases.push_back({x(), x()});
  std::vector<AlignRow> align;
  align.push_back({{x()}, std::nullopt});
  align.push_back({{}, std::string("")});
  const std::pair<MathExpr, const char*> table[] = {
      {MathExpr::number("1.5"), R"({"type":"number","value":"1.5"})"},
      {MathExpr::op("=", OperatorKind::Relation),
       R"({"kind":"relation","symbol":"=","type":"operator"})"},
      {MathExpr::text_kind(MathKind::Text, "hi"), R"({"type":"text","value":"hi"})"},
      {MathExpr::text_kind(MathKind::Chem, "H2O"), R"({"type":"chem","value":"H2O"})"},
      {MathExpr::row({x(), x()}), R"({"children":[@X,@X],"type":"row"})"},
      {MathExpr(MathKind::Fenced, MathFenced{Delimiter::Paren, Delimiter::DoublePipe, {x()}}),
       R"({"body":[@X],"close":"double_pipe","open":"paren","type":"fenced"})"},
      {MathExpr(MathKind::Superscript, MathScript{bx(x()), bx(x())}),
       R"({"base":@X,"script":@X,"type":"superscript"})"},
      {MathExpr(MathKind::Subscript, MathScript{bx(x()), bx(x())}),
       R"({"base":@X,"script":@X,"type":"subscript"})"},
      {MathExpr(MathKind::Subsuperscript, MathSubsup{bx(x()), bx(x()), bx(x())}),
       R"({"base":@X,"sub":@X,"sup":@X,"type":"subsuperscript"})"},
      {MathExpr(MathKind::Frac, MathFrac{bx(x()), bx(x()), FracStyle::Auto}),
       R"({"denominator":@X,"numerator":@X,"style":"auto","type":"frac"})"},
      {MathExpr(MathKind::Sqrt, MathSqrt{std::nullopt, bx(x())}),
       R"({"body":@X,"index":null,"type":"sqrt"})"},
      {MathExpr(MathKind::Sqrt, MathSqrt{x(), bx(x())}), R"({"body":@X,"index":@X,"type":"sqrt"})"},
      {MathExpr(MathKind::Overline, MathBody{bx(x())}), R"({"body":@X,"type":"overline"})"},
      {MathExpr(MathKind::Underline, MathBody{bx(x())}), R"({"body":@X,"type":"underline"})"},
      {MathExpr(MathKind::Overbrace, MathBrace{bx(x()), std::nullopt}),
       R"({"annotation":null,"body":@X,"type":"overbrace"})"},
      {MathExpr(MathKind::Underbrace, MathBrace{bx(x()), x()}),
       R"({"annotation":@X,"body":@X,"type":"underbrace"})"},
      {MathExpr(MathKind::Overset, MathOverset{bx(x()), bx(x())}),
       R"({"base":@X,"over":@X,"type":"overset"})"},
      {MathExpr(MathKind::Underset, MathUnderset{bx(x()), bx(x())}),
       R"({"base":@X,"type":"underset","under":@X})"},
      {MathExpr(MathKind::Accent, MathAccent{AccentKind::WideTilde, bx(x())}),
       R"({"body":@X,"kind":"wide_tilde","type":"accent"})"},
      {MathExpr(MathKind::BigOperator, MathBigOperator{{"\u2211", OperatorKind::Large},
                                                       LimitsStyle::DisplayLimits,
                                                       std::nullopt,
                                                       std::nullopt}),
       R"({"limits":"display_limits","lower":null,"op":{"kind":"large","symbol":"∑"},
           "type":"big_operator","upper":null})"},
      {MathExpr(MathKind::BigOperator,
                MathBigOperator{{"\u222b", OperatorKind::Large}, LimitsStyle::NoLimits, x(), x()}),
       R"({"limits":"no_limits","lower":@X,"op":{"kind":"large","symbol":"∫"},
           "type":"big_operator","upper":@X})"},
      {MathExpr(MathKind::Matrix, MathMatrix{{}, MatrixDelimiters::Bracket}),
       R"({"delimiters":"bracket","rows":[],"type":"matrix"})"},
      {MathExpr(MathKind::Matrix, MathMatrix{{{x()}, {}}, MatrixDelimiters::Plain}),
       R"({"delimiters":"plain","rows":[[@X],[]],"type":"matrix"})"},
      {MathExpr(MathKind::Cases, MathCases{cases}),
       R"({"rows":[{"condition":null,"expr":@X},{"condition":@X,"expr":@X}],"type":"cases"})"},
      {MathExpr(MathKind::Array, MathArray{{ColumnAlign::Left, ColumnAlign::Right}, {{x()}}}),
       R"({"columns":["left","right"],"rows":[[@X]],"type":"array"})"},
      {MathExpr(MathKind::Align, MathAlign{align, false}),
       R"({"numbered":false,"rows":[{"cells":[@X]},{"cells":[],"label":""}],"type":"align"})"},
      {MathExpr(MathKind::Gather, MathGather{{x()}, true}),
       R"({"numbered":true,"rows":[@X],"type":"gather"})"},
      {MathExpr::space(SpaceKind::Thin), R"({"thin":null,"type":"space"})"},
      {MathExpr::space(SpaceKind::Thick), R"({"thick":null,"type":"space"})"},
      {MathExpr::space(SpaceKind::QQuad), R"({"q_quad":null,"type":"space"})"},
      {MathExpr::space(SpaceKind::NegThin), R"({"neg_thin":null,"type":"space"})"},
      {MathExpr(MathKind::Space, custom), R"({"custom":"2em","type":"space"})"},
      {MathExpr(MathKind::Phantom, MathBody{bx(x())}), R"({"body":@X,"type":"phantom"})"},
      {MathExpr(MathKind::HPhantom, MathBody{bx(x())}), R"({"body":@X,"type":"h_phantom"})"},
      {MathExpr(MathKind::VPhantom, MathBody{bx(x())}), R"({"body":@X,"type":"v_phantom"})"},
      {MathExpr(MathKind::Smash, MathSmash{bx(x()), SmashMode::Bottom}),
       R"({"body":@X,"mode":"bottom","type":"smash"})"},
      {MathExpr(MathKind::StyleOverride, MathStyleOverride{MathStyle::ScriptScript, bx(x())}),
       R"({"body":@X,"style":"script_script","type":"style_override"})"},
      {MathExpr(MathKind::FontOverride, MathFontOverride{MathFont::BoldItalic, bx(x())}),
       R"({"body":@X,"font":"bold_italic","type":"font_override"})"},
      {MathExpr(MathKind::Color, MathColor{"red", bx(x())}),
       R"({"body":@X,"color":"red","type":"color"})"},
      {MathExpr::error("\\frac", "bad"), R"({"message":"bad","raw":"\\frac","type":"error"})"},
  };
  for (const auto& [expr, expected] : table) {
    EXPECT_JSON(math_to_value(expr), with_x(expected));
  }
  EXPECT_JSON(math_to_value(x()), kX);
}

TEST(TreeModel, ChildrenAccessorAndTags) {
  Node ref(NodeKind::FootnoteReference, FootnoteNode{"n", {text("hidden")}, pos(0, 1)});
  EXPECT_EQ(node_children(ref), nullptr);
  Node rule = block(NodeKind::ThematicBreak);
  ASSERT_NE(node_children(rule), nullptr);
  EXPECT_TRUE(node_children(rule)->empty());
  for (size_t i = 0; i < kNodeKindCount; ++i) {
    EXPECT_EQ(node_kind_from_tag(kNodeKindTags[i]), static_cast<NodeKind>(i));
  }
  for (size_t i = 0; i < kMathKindCount; ++i) {
    EXPECT_EQ(math_kind_from_tag(kMathKindTags[i]), static_cast<MathKind>(i));
  }
  EXPECT_EQ(node_kind_from_tag("Text"), std::nullopt);
  EXPECT_EQ(enum_from_name<Delimiter>("double_pipe"), Delimiter::DoublePipe);
  EXPECT_EQ(enum_from_name<Delimiter>("Paren"), std::nullopt);
}

}  // namespace
}  // namespace zuv

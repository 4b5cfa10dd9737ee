#include <gtest/gtest.h>

#include "tree_builders.h"
#include "zuv/walk.h"

namespace zuv {
namespace {

using namespace zuv::testing;

// One container of every kind, each holding a text node named after it, plus the kinds that
// must not be entered even when their payload holds children.
NodeList every_container() {
  NodeList nodes;
  for (NodeKind k : {NodeKind::Paragraph, NodeKind::Heading, NodeKind::List, NodeKind::ListItem,
                     NodeKind::Blockquote, NodeKind::ThematicBreak, NodeKind::Html,
                     NodeKind::Table, NodeKind::TableRow, NodeKind::TableCell, NodeKind::Emphasis,
                     NodeKind::Strong, NodeKind::Strikethrough, NodeKind::DefinitionList,
                     NodeKind::DefinitionTerm, NodeKind::DefinitionDescription}) {
    nodes.push_back(block(k, {text(std::string(node_kind_tag(k)))}));
  }
  nodes.push_back(link("u", {text("link")}));
  nodes.push_back(image({text("image")}));
  nodes.push_back(footnote(NodeKind::FootnoteDefinition, {text("footnote_definition")}));
  nodes.push_back(component("C", {text("component")}));
  nodes.push_back(footnote(NodeKind::FootnoteReference, {text("footnote_reference")}));
  return nodes;
}

TEST(WalkNodes, PreOrderIntoItsKindsOnly) {
  NodeList nodes = {paragraph({text("a"), block(NodeKind::Strong, {text("b")}), text("c")}),
                    text("d")};
  std::string seen;
  walk_nodes(nodes, [&](const Node& n) {
    seen += n.kind == NodeKind::Text ? n.as<TextNode>().value : std::string(node_kind_tag(n.kind));
    seen += ' ';
  });
  EXPECT_EQ(seen, "paragraph a strong b c d ");

  std::string texts;
  walk_nodes(every_container(), [&](const Node& n) {
    if (n.kind == NodeKind::Text) texts += n.as<TextNode>().value + " ";
  });
  EXPECT_EQ(texts,
            "paragraph heading list list_item blockquote thematic_break html table table_row "
            "table_cell emphasis strong strikethrough definition_list definition_term "
            "definition_description link image footnote_definition component ");
}

TEST(CollectNodeText, OnlyTextValuesWithoutSeparators) {
  MathNode math{"x", MathExpr::ident("x"), {}};
  const std::pair<NodeList, std::string> cases[] = {
      {{text("a"), block(NodeKind::Emphasis, {text("b")}), code_inline("c"), text("d")}, "abd"},
      {{text("The "), code_inline("run"), text(" command")}, "The  command"},
      {{Node(NodeKind::MathInline, math), Node(NodeKind::CrossRef, CrossRefNode{"f", {}}),
        Node(NodeKind::Variable, VariableNode{"v", {}}),
        Node(NodeKind::Error, ErrorNode{"m", "raw", {}}), code_block("x")},
       ""},
      {{block(NodeKind::Html, {text("<b>")}), link("u", {text("L")}), image({text("I")})},
       "<b>LI"},
      {{footnote(NodeKind::FootnoteReference, {text("no")}), text("yes")}, "yes"},
      {{}, ""},
  };
  for (const auto& [nodes, expected] : cases) EXPECT_EQ(collect_node_text(nodes), expected);
}

}  // namespace
}  // namespace zuv

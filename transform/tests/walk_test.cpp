#include "zuv/walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zuv {
namespace {

Node text(std::string v) { return Node(NodeKind::Text, TextNode{std::move(v), {}}); }

Node block(NodeKind kind, NodeList children) {
  StandardBlockNode b;
  b.children = std::move(children);
  return Node(kind, std::move(b));
}

NodeList sample() {
  NodeList nodes;
  nodes.push_back(text("a"));
  nodes.push_back(block(NodeKind::Emphasis, {text("b"), block(NodeKind::Strong, {text("c")})}));
  nodes.push_back(Node(NodeKind::CodeInline, CodeInlineNode{"code", std::nullopt, {}}));
  nodes.push_back(Node(NodeKind::Link, LinkNode{"u", std::nullopt, {text("d")}, {}}));
  nodes.push_back(Node(NodeKind::Image, ImageNode{"i", std::nullopt, "alt", {text("e")}, {}}));
  nodes.push_back(block(NodeKind::Html, {text("<br>")}));
  nodes.push_back(
      block(NodeKind::DefinitionList, {block(NodeKind::DefinitionTerm, {text("f")}),
                                       block(NodeKind::DefinitionDescription, {text("g")})}));
  nodes.push_back(Node(NodeKind::FootnoteDefinition, FootnoteNode{"1", {text("h")}, {}}));
  // A reference's children are never entered, whatever it holds.
  nodes.push_back(Node(NodeKind::FootnoteReference, FootnoteNode{"1", {text("X")}, {}}));
  nodes.push_back(Node(NodeKind::MathInline, MathNode{"x", MathExpr::ident("x"), {}}));
  nodes.push_back(Node(NodeKind::Citation, CitationNode{{{"k", {}, {}}}, {}}));
  nodes.push_back(Node(NodeKind::CrossRef, CrossRefNode{"t", {}}));
  nodes.push_back(Node(NodeKind::Variable, VariableNode{"v", {}}));
  nodes.push_back(Node(NodeKind::Error, ErrorNode{"m", "raw", {}}));
  nodes.push_back(
      Node(NodeKind::Component,
           ComponentNode{"C", false, {}, {block(NodeKind::Paragraph, {text("i")})}, "raw", {}}));
  return nodes;
}

TEST(WalkNodes, PreOrderThroughTheContainerKinds) {
  std::vector<std::string> seen;
  walk_nodes(sample(), [&seen](const Node& n) {
    seen.emplace_back(n.kind == NodeKind::Text ? n.as<TextNode>().value
                                               : std::string(node_kind_tag(n.kind)));
  });
  const std::vector<std::string> expected = {"a",
                                             "emphasis",
                                             "b",
                                             "strong",
                                             "c",
                                             "code_inline",
                                             "link",
                                             "d",
                                             "image",
                                             "e",
                                             "html",
                                             "<br>",
                                             "definition_list",
                                             "definition_term",
                                             "f",
                                             "definition_description",
                                             "g",
                                             "footnote_definition",
                                             "h",
                                             "footnote_reference",
                                             "math_inline",
                                             "citation",
                                             "cross_ref",
                                             "variable",
                                             "error",
                                             "component",
                                             "paragraph",
                                             "i"};
  EXPECT_EQ(seen, expected);
}

TEST(CollectNodeText, TextNodesOnly) {
  EXPECT_EQ(collect_node_text(sample()), "abcde<br>fghi");
  EXPECT_EQ(collect_node_text({}), "");
  NodeList heading;
  heading.push_back(text("The "));
  heading.push_back(Node(NodeKind::CodeInline, CodeInlineNode{"run", std::nullopt, {}}));
  heading.push_back(text(" command"));
  EXPECT_EQ(collect_node_text(heading), "The  command");
}

}  // namespace
}  // namespace zuv

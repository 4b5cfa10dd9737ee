#include "zuv/walk.h"

namespace zuv {
namespace {

// The kinds the shared walk enters. Its own set: the slug and reference walks enter others.
bool walk_enters(NodeKind kind) {
  switch (kind) {
    case NodeKind::Paragraph:
    case NodeKind::Heading:
    case NodeKind::List:
    case NodeKind::ListItem:
    case NodeKind::Blockquote:
    case NodeKind::ThematicBreak:
    case NodeKind::Html:
    case NodeKind::Table:
    case NodeKind::TableRow:
    case NodeKind::TableCell:
    case NodeKind::Link:
    case NodeKind::Image:
    case NodeKind::Emphasis:
    case NodeKind::Strong:
    case NodeKind::Strikethrough:
    case NodeKind::DefinitionList:
    case NodeKind::DefinitionTerm:
    case NodeKind::DefinitionDescription:
    case NodeKind::FootnoteDefinition:
    case NodeKind::Component:
      return true;
    case NodeKind::Text:
    case NodeKind::CodeInline:
    case NodeKind::CodeBlock:
    case NodeKind::FootnoteReference:
    case NodeKind::MathInline:
    case NodeKind::MathDisplay:
    case NodeKind::Citation:
    case NodeKind::CrossRef:
    case NodeKind::Variable:
    case NodeKind::Error:
      return false;
  }
  return false;
}

}  // namespace

// Recursion is one frame per tree level; the parser bounds the depth (kMaxDocumentDepth).
void walk_nodes(const NodeList& nodes, const std::function<void(const Node&)>& visitor) {
  for (const Node& node : nodes) {
    visitor(node);
    if (walk_enters(node.kind)) {
      if (const NodeList* children = node_children(node)) walk_nodes(*children, visitor);
    }
  }
}

std::string collect_node_text(const NodeList& nodes) {
  std::string text;
  walk_nodes(nodes, [&text](const Node& node) {
    if (node.kind == NodeKind::Text) text += node.as<TextNode>().value;
  });
  return text;
}

}  // namespace zuv

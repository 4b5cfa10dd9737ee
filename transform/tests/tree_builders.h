#pragma once
// Hand-built document trees for the transform tests, and a one-line outline of a node list so
// that an expectation reads like the tree: "paragraph[\"See \" link(url)[\"#12\"] \".\"]".

#include <optional>
#include <string>
#include <utility>

#include "zuv/tree.h"

namespace zuv::testing {

inline Position one_line(uint64_t line, uint64_t column, uint64_t offset, uint64_t length) {
  return Position{{line, column, offset}, {line, column + length, offset + length}};
}

inline Node text(std::string value, Position position = one_line(1, 1, 0, 1)) {
  return Node(NodeKind::Text, TextNode{std::move(value), position});
}

inline Node block(NodeKind kind, NodeList children = {}) {
  StandardBlockNode b;
  b.children = std::move(children);
  return Node(kind, std::move(b));
}

inline Node heading(std::optional<uint8_t> depth, NodeList children,
                    std::optional<std::string> id = std::nullopt) {
  StandardBlockNode b;
  b.depth = depth;
  b.id = std::move(id);
  b.children = std::move(children);
  return Node(NodeKind::Heading, std::move(b));
}

inline Node heading(uint8_t depth, std::string title) {
  return heading(std::optional<uint8_t>(depth), NodeList{text(std::move(title))});
}

inline Node paragraph(NodeList children) { return block(NodeKind::Paragraph, std::move(children)); }

inline Node link(std::string url, NodeList children) {
  return Node(NodeKind::Link, LinkNode{std::move(url), std::nullopt, std::move(children), {}});
}

inline Node image(NodeList children) {
  ImageNode i;
  i.url = "i.png";
  i.children = std::move(children);
  return Node(NodeKind::Image, std::move(i));
}

inline Node footnote(NodeKind kind, NodeList children) {
  return Node(kind, FootnoteNode{"n", std::move(children), {}});
}

inline Node component(std::string name, NodeList children = {}) {
  ComponentNode c;
  c.name = std::move(name);
  c.children = std::move(children);
  return Node(NodeKind::Component, std::move(c));
}

inline Node code_inline(std::string value) {
  return Node(NodeKind::CodeInline, CodeInlineNode{std::move(value), std::nullopt, {}});
}

inline Node code_block(std::string value) {
  CodeBlockNode c;
  c.value = std::move(value);
  return Node(NodeKind::CodeBlock, std::move(c));
}

inline Root root_of(NodeList children) {
  Root root;
  root.children = std::move(children);
  return root;
}

inline void append_outline(std::string& out, const NodeList& nodes);

// Text as its quoted value; a heading with its depth and "#id"; a list item with its depth; a
// link with its url; a component with its name; other kinds by their tag; children in [].
inline void append_outline(std::string& out, const Node& node) {
  if (node.kind == NodeKind::Text) {
    out += '"';
    out += node.as<TextNode>().value;
    out += '"';
    return;
  }
  out += node_kind_tag(node.kind);
  if (node.kind == NodeKind::Heading || node.kind == NodeKind::ListItem) {
    const auto& b = node.as<StandardBlockNode>();
    if (b.depth) out += std::to_string(*b.depth);
    if (b.id) out += "#" + *b.id;
  } else if (node.kind == NodeKind::Link) {
    out += "(" + node.as<LinkNode>().url + ")";
  } else if (node.kind == NodeKind::Component) {
    out += "(" + node.as<ComponentNode>().name + ")";
  }
  if (const NodeList* children = node_children(node); children && !children->empty()) {
    out += '[';
    append_outline(out, *children);
    out += ']';
  }
}

inline void append_outline(std::string& out, const NodeList& nodes) {
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (i > 0) out += ' ';
    append_outline(out, nodes[i]);
  }
}

inline std::string outline(const NodeList& nodes) {
  std::string out;
  append_outline(out, nodes);
  return out;
}

}  // namespace zuv::testing

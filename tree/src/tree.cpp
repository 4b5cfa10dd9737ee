#include <algorithm>

#include "zuv/math_tree.h"
#include "zuv/tree.h"

namespace zuv {

namespace {

template <size_t N>
std::optional<size_t> index_of(const std::array<std::string_view, N>& tags, std::string_view t) {
  auto it = std::find(tags.begin(), tags.end(), t);
  if (it == tags.end()) return std::nullopt;
  return static_cast<size_t>(it - tags.begin());
}

}  // namespace

std::optional<NodeKind> node_kind_from_tag(std::string_view tag) {
  if (auto i = index_of(kNodeKindTags, tag)) return static_cast<NodeKind>(*i);
  return std::nullopt;
}

std::optional<MathKind> math_kind_from_tag(std::string_view tag) {
  if (auto i = index_of(kMathKindTags, tag)) return static_cast<MathKind>(*i);
  return std::nullopt;
}

const Position& Node::position() const {
  return std::visit([](const auto& p) -> const Position& { return detail::unbox(p).position; },
                    payload);
}

Position& Node::position() {
  return std::visit([](auto& p) -> Position& { return detail::unbox(p).position; }, payload);
}

const NodeList* node_children(const Node& node) {
  return node_children(const_cast<Node&>(node));
}

NodeList* node_children(Node& node) {
  if (is_standard_block(node.kind)) return &node.as<StandardBlockNode>().children;
  switch (node.kind) {
    case NodeKind::Link: return &node.as<LinkNode>().children;
    case NodeKind::Image: return &node.as<ImageNode>().children;
    case NodeKind::FootnoteDefinition: return &node.as<FootnoteNode>().children;
    case NodeKind::Component: return &node.as<ComponentNode>().children;
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
    default:  // the standard block kinds, answered above
      return nullptr;
  }
}

}  // namespace zuv

// The bridge does not open a container past the nesting limit, but nodes also move after they
// were made: a block that ends while an inline component is open lands in the component, and the
// component in the block where its closing tag stands. So "</A><A>" on line after line nests
// one level deeper per line while no more than two frames are ever open, and the depth shows
// only once the segment is read. Such a tree is cut at the limit as deeper containers are
// refused while reading: a Markdown container gives way to its content; a component leaves an
// error with its source, since it may also hold content from before its opening tag.

#include "nesting.h"

#include <utility>
#include <vector>

#include "messages.h"

namespace zuv::parser {

namespace {

bool has_children(const Node& n) {
  const NodeList* c = node_children(n);
  return c != nullptr && !c->empty();
}

Node too_deep(const Node& component, std::string_view input) {
  const Position& p = component.position();
  std::string raw;
  if (p.start.offset <= p.end.offset && p.end.offset <= input.size()) {
    raw = input.substr(p.start.offset, p.end.offset - p.start.offset);
  }
  return Node(NodeKind::Error,
              ErrorNode{std::string(messages::kComponentNestingTooDeep), std::move(raw), p});
}

// Appends to `into` the nodes below `container` that have no children, in document order, each
// component on the way first as its error. The lists are emptied from an explicit stack: the
// subtree may be far deeper than the thread's stack could follow.
void dissolve(Node& container, NodeList& into, std::string_view input) {
  std::vector<std::pair<NodeList, size_t>> pending;  // lists being emptied, and the next index
  auto open = [&](Node& n) {
    if (n.kind == NodeKind::Component) into.push_back(too_deep(n, input));
    pending.emplace_back(std::move(*node_children(n)), 0);
  };
  open(container);
  while (!pending.empty()) {
    auto& [list, next] = pending.back();
    if (next == list.size()) {
      pending.pop_back();
      continue;
    }
    // Moving the stack's lists keeps their buffers, so `n` stays valid while `open` grows it.
    Node& n = list[next++];
    if (has_children(n)) {
      open(n);
    } else {
      into.push_back(std::move(n));
    }
  }
}

}  // namespace

void keep_within_levels(NodeList& nodes, size_t levels, std::string_view input) {
  if (levels > 1) {
    // The recursion stops at the cut: it goes no more than `levels` deep.
    for (Node& n : nodes) {
      if (has_children(n)) keep_within_levels(*node_children(n), levels - 1, input);
    }
    return;
  }
  NodeList kept;
  kept.reserve(nodes.size());
  for (Node& n : nodes) {
    if (has_children(n)) {
      dissolve(n, kept, input);
    } else {
      kept.push_back(std::move(n));
    }
  }
  nodes = std::move(kept);
}

}  // namespace zuv::parser

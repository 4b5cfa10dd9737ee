#pragma once
// The walk that the transforms, `query_all` and `collect_text` share.
//
// `walk_nodes` visits a list of nodes in pre-order: each node, then its children, then the next
// node. It enters exactly the kinds whose `node_children` is not null: paragraph through
// footnote_definition (the container kinds, link and image included) and component; never a
// footnote_reference or a leaf kind. The walk goes one C++ frame deeper per nesting level, which
// the parser and the dict-form reader bound by the nesting limit and by the thread's stack
// (zuv/stack.h): the parser nests no deeper than `kStackPerDocumentLevel` per level fits, and a
// level of the reader costs more stack than a level of the walk, so a tree either built can be
// walked on the same thread, and the walk needs no check of its own.

#include <string>
#include <utility>

#include "zuv/tree.h"

namespace zuv {

// Calls `visit(const Node&)` on every node reached, in pre-order.
template <class Visitor>
void walk_nodes(const NodeList& nodes, Visitor&& visit) {
  for (const Node& node : nodes) {
    visit(node);
    if (const NodeList* children = node_children(node)) walk_nodes(*children, visit);
  }
}

// The values of the text nodes that `walk_nodes` reaches, concatenated in the order reached
// with nothing between them; no other kind adds anything.
std::string collect_node_text(const NodeList& nodes);

}  // namespace zuv

#pragma once
// The shared read-only walk over a document tree and the plain-text collector built on it.

#include <functional>
#include <string>

#include "zuv/tree.h"

namespace zuv {

// Pre-order: `visitor` sees each node before its children. The walk descends into paragraph
// through footnote_definition (html, links, images and the definition-list kinds included) and
// into components; never into footnote_reference or the leaf kinds.
void walk_nodes(const NodeList& nodes, const std::function<void(const Node&)>& visitor);

// The values of the text nodes that `walk_nodes` reaches, concatenated in walk order without
// separators. Inline code, math, citations, variables and errors add nothing.
std::string collect_node_text(const NodeList& nodes);

}  // namespace zuv

#pragma once
// Keeping a segment's tree within the document nesting limit after its nodes have moved.

#include <cstddef>
#include <string_view>

#include "zuv/tree.h"

namespace zuv::parser {

// Cuts `nodes` (a list whose nodes stand at level 1) so that no node stands below level
// `levels`: at that level a node with children gives way to them, flattened in document order,
// a component first becoming the error "Component nesting too deep" that holds its source as
// written. Nothing else is dropped. Linear in the nodes, and iterative below the cut, where the
// tree may be of any depth. `levels` is at least 1.
void keep_within_levels(NodeList& nodes, size_t levels, std::string_view input);

}  // namespace zuv::parser

// Continuation of open containers: which of the open block quotes, list items, definitions and
// footnote definitions a line continues.
#pragma once

#include <cstddef>

#include "block_tree.h"
#include "scanners.h"

namespace zuv::markdown {

// Consumes the prefixes of the open containers on the spine that `line` continues, outermost
// first, and returns how many levels it continued (a folded quote counts each of its own).
std::size_t scan_containers(const Tree& tree, LineStart& line);

}  // namespace zuv::markdown

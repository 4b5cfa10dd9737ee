// The block pass: resolves the block structure of the whole text into the tree, line by line,
// and leaves inline markup as a chain of candidate items ("maybe" items and text) inside each
// leaf block, for the inline pass to resolve when the walk reaches it.
//
// Design note. One call of parse_block handles one line: it continues the open containers that
// the line continues (scan_containers), closes the others, opens the new containers the line
// starts (footnote definitions, list items, definitions, block quotes), then starts or
// continues one leaf block, which may consume further lines itself (paragraphs, code blocks,
// HTML blocks, tables). Leaf blocks that span lines re-scan the container prefixes of every
// line they take. Inline candidates are found by one scan over each line with a table of
// special bytes; a delimiter run becomes one item per byte so that emphasis can split runs.
// Tight lists are flattened when the list closes: the paragraphs of its items are replaced by
// their content.
#pragma once

#include <string_view>

#include "block_tree.h"
#include "parse_state.h"

namespace zuv::markdown {

// Builds the block tree of `text` in `tree` (fresh or reused, see Tree).
void parse_blocks(std::string_view text, ParseState& state, Tree& tree);

}  // namespace zuv::markdown

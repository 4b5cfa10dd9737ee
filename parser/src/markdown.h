#pragma once
// The Markdown bridge: one Markdown segment of a body in, its document nodes out.

#include <cstddef>
#include <string_view>

#include "code_meta.h"
#include "error_budget.h"
#include "source_map.h"
#include "zuv/markdown.h"
#include "zuv/tree.h"

namespace zuv::parser {

// `text` is a slice of `input` whose first byte lies at the absolute offset `base`; `depth` is
// the tree level at which the segment's nodes stand (0 for the document body), so that
// containers past the document nesting limit are not opened. `events` is scratch space that one
// document parse reuses for all its segments (the engine then keeps its buffers). The segment's
// nodes are appended to `out`. `budget` and `highlights` are the document's. Never fails.
void parse_markdown(std::string_view text, size_t base, const SourceMap& source_map,
                    std::string_view input, ErrorTextBudget& budget, HighlightBudget& highlights,
                    size_t depth, markdown::Events& events, NodeList& out);

}  // namespace zuv::parser

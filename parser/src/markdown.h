#pragma once
// The Markdown bridge: one Markdown segment of a body in, its document nodes out.

#include <cstddef>
#include <string_view>

#include "error_budget.h"
#include "source_map.h"
#include "zuv/markdown.h"
#include "zuv/tree.h"

namespace zuv::parser {

// Buffers that one document parse lends to all its Markdown segments, so that the engine and the
// bridge keep their memory from one segment to the next. Empty between segments.
struct MarkdownBuffers {
  markdown::Events events;
  NodeList inline_nodes;  // the content of the open inline components, the outermost first
};

// `text` is a slice of `input` whose first byte lies at the absolute offset `base`; `depth` is
// the tree level at which the segment's nodes stand (0 for the document body), so that
// containers past the document nesting limit are not opened. The segment's nodes are appended
// to `out`. Never fails.
void parse_markdown(std::string_view text, size_t base, const SourceMap& source_map,
                    std::string_view input, ErrorTextBudget& budget, size_t depth,
                    MarkdownBuffers& buffers, NodeList& out);

}  // namespace zuv::parser

#pragma once
// The passes that finish a Markdown segment's nodes.

#include <string_view>

#include "source_map.h"
#include "zuv/tree.h"

namespace zuv::parser {

// Finishes `nodes[from..]`, the nodes of one Markdown segment, in place, and every list below
// them that the passes descend into. First the re-scan: each run of adjacent text nodes whose
// joined source may hold a citation, a cross-reference, inline math or a variable that the
// engine's text split hid is parsed again from the source. Then the language pass: an inline
// code span followed directly by `{lang}` takes that language, and the braces leave the text
// after it.
void finish_markdown_nodes(NodeList& nodes, size_t from, PointCursor& points,
                           std::string_view input);

}  // namespace zuv::parser

#pragma once
// The passes that finish a Markdown segment's nodes.

#include <string_view>

#include "source_map.h"
#include "zuv/tree.h"

namespace zuv::parser {

// Parses again, from the source, each run of adjacent text nodes whose joined source may hold a
// citation, a cross-reference, inline math or a variable that the engine's text split hid.
NodeList rescan_text_runs(NodeList nodes, const SourceMap& source_map, std::string_view input);

// Gives an inline code span followed directly by `{lang}` that language, removing the braces
// from the text after it.
NodeList attach_inline_code_lang(NodeList nodes);

}  // namespace zuv::parser

#pragma once
// The inline constructs of running text: inline math `$...$`, citations `[@key, locator]`,
// cross-references `{@target}`, variable references `{$path}`, and the backslash escapes that
// keep those markers from being read.
//
// `parse_text` turns one slice of the input (any length, line breaks allowed) into nodes whose
// positions tile the slice exactly: Text nodes hold the source as written (backslashes included);
// each escape is a Text node of its own; each construct is one node; a malformed cross-reference
// or variable reference is an error node. It never fails, and it stays linear in the slice:
// every far search ("the first `}` after i") is remembered for the markers that follow.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "source_map.h"
#include "zuv/tree.h"

namespace zuv::parser {

// `text` is a slice of the whole input whose first byte lies at the absolute offset `base`; the
// nodes are appended to `out`, their positions found through `points`.
void parse_text(std::string_view text, size_t base, PointCursor& points, NodeList& out);
// The same, the nodes in a list of their own.
NodeList parse_text(std::string_view text, size_t base, const SourceMap& source_map);

// Splits one citation key text at its first `,` into an id and a locator, each trimmed of
// Unicode white space; the locator is absent when there is no `,` or nothing after it.
std::pair<std::string, std::optional<std::string>> split_locator(std::string_view key_text);

}  // namespace zuv::parser

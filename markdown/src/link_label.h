// Link labels: the text between brackets of a reference link, a link reference definition or a
// footnote, normalised for matching.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "guards.h"
#include "scanners.h"

namespace zuv::markdown {

struct ScannedLabel {
  std::size_t length;  // bytes consumed, closing bracket included
  std::string label;   // runs of white space holding a tab or line end collapsed, trimmed
};

// Scans a label whose opening bracket precedes `text`. At each line end the handler says how
// many bytes of container prefix to skip, or refuses the line.
std::optional<ScannedLabel> scan_link_label_rest(std::string_view text,
                                                 LineBreakHandler on_line_break, bool in_table);

// The key under which labels compare equal: Unicode full case folding.
std::string label_key(std::string_view label);

}  // namespace zuv::markdown

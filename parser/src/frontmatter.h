#pragma once
// Front matter: a YAML block fenced by "---" lines at the very start of the input, split off
// before the body is scanned.

#include <cstddef>
#include <optional>
#include <string_view>

#include "zuv/json.h"

namespace zuv::parser {

struct FrontmatterSplit {
  std::optional<JsonValue> frontmatter;  // never JSON null
  size_t body_offset = 0;                // where the body begins; 0 without a closed block
};

// The opener is exactly "---" and a line break (LF or CR LF) at offset 0; the closer is the first
// later line that, without its trailing carriage returns and leading Unicode white space, is
// exactly "---". A closed block is consumed even when its YAML is rejected (not valid, more than
// one document, over budget, null or empty): it then gives no front matter. Never fails.
FrontmatterSplit extract_frontmatter(std::string_view input);

}  // namespace zuv::parser

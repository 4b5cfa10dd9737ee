// The front-matter splitter and the YAML loader on arbitrary bytes: the body offset stays inside
// the input, front matter is never JSON null, and loading is deterministic.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "frontmatter.h"
#include "yaml_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  zuv::parser::FrontmatterSplit split = zuv::parser::extract_frontmatter(input);
  if (split.body_offset > input.size()) std::abort();
  if (split.frontmatter && split.frontmatter->is_null()) std::abort();
  if (split.frontmatter && split.body_offset == 0) std::abort();
  // The loader on its own, with a small budget so that limits are met often.
  zuv::parser::YamlBudget small;
  small.max_nodes = 200;
  small.max_depth = 20;
  small.max_aliases = 20;
  small.max_anchors = 20;
  small.max_merge_keys = 5;
  small.max_scalar_bytes = 4096;
  std::optional<zuv::JsonValue> a = zuv::parser::load_yaml(input, small);
  std::optional<zuv::JsonValue> b = zuv::parser::load_yaml(input, small);
  if (a.has_value() != b.has_value() || (a && !(*a == *b))) std::abort();
  return 0;
}

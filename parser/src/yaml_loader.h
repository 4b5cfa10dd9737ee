#pragma once
// The YAML loader behind the front matter: libyaml's event stream composed, without recursion,
// into one `JsonValue`, under a resource budget counted as the events arrive. Any failure
// (syntax, a second document, a limit, a key that is a collection, a duplicate key) means no
// value at all, so front matter is dropped, never truncated.
//
// Scalars resolve by the YAML 1.2 core schema: null (`~`, `null`, `Null`, `NULL`, empty), the
// booleans in their three spellings, decimal, `0o` octal and `0x` hex integers (too large for 64
// bits: a float), and floats; `.inf`, `.nan` and any number beyond the double range stay the
// strings as written, since the value tree holds finite numbers only. Quoted and block scalars
// are strings; the tags `!!str` and `!` force a string; other tags are ignored. Anchors and
// aliases expand to copies, whose nodes and text count against the budget, so a "billion laughs"
// document fails fast. Merge keys (`<<: *base`, `<<: [*a, *b]`) merge mappings in: keys written
// in the mapping win, then earlier sources over later ones. A mapping key is its scalar's text.

#include <cstddef>
#include <optional>
#include <string_view>

#include "zuv/json.h"
#include "zuv/limits.h"

namespace zuv::parser {

struct YamlBudget {
  size_t max_events = 1'000'000;
  size_t max_aliases = 50'000;
  size_t max_anchors = 50'000;
  size_t max_depth = 2'000;
  size_t max_documents = 1'024;
  size_t max_nodes = 250'000;                  // alias copies included
  size_t max_scalar_bytes = size_t{64} << 20;  // alias copies and keys included
  size_t max_merge_keys = 10'000;
};

// Front matter becomes one value inside the root dict, so its own nesting must leave one level
// of the value-tree limit for the root: deeper front matter fails like any over-budget input.
inline constexpr size_t kMaxFrontmatterDepth = kMaxValueDepth - 1;

// The value of the one document of `text`: JSON null when the stream holds no document (empty,
// comments only) or a null one; none on any failure.
std::optional<JsonValue> load_yaml(std::string_view text, const YamlBudget& budget = {});

}  // namespace zuv::parser

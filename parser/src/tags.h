#pragma once
// Component tags: `<Name attr... >`, `<Name ... />` and `</Name>`, read at a given index of a
// text the caller owns (a body, or the text of an HTML event).
//
// Indices are byte indices into `text`; offsets called absolute are `base + index`, `base` being
// the absolute offset of `text[0]` in the whole input, and go to `SourceMap::position`. A
// malformed opening tag never fails the parse: it comes back as a `TagError` that the caller turns
// into an error node or segment. All delimiters looked for are ASCII.
//
// Every reader that can report an error takes the document's `ErrorTextBudget` (see
// error_budget.h). The readers of opening tags also take an optional `TagSearchCache` for the
// text; callers that read many tags from one text (the block scanner) must pass one so that the
// far searches of unclosed values are not repeated from every tag.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "error_budget.h"
#include "source_map.h"
#include "tag_search.h"
#include "zuv/tree.h"

namespace zuv::parser {

struct OpenTag {
  std::string name;
  std::vector<AttributeNode> attributes;  // source order; a name given twice appears twice
  size_t start = 0;                       // absolute offset of the `<`
  size_t end = 0;                         // absolute offset just after `>` or `/>`
  bool self_closing = false;
  size_t end_in_text = 0;  // `end` as an index into the text
};

struct CloseTag {
  std::string name;
  size_t end = 0;  // index into the text just after the `>`
};

// A fault in an opening tag: one of the thirteen attribute messages, the stretch of the text it
// concerns, and that stretch's absolute range [start, end).
struct TagError {
  std::string message;
  std::string raw;
  size_t start = 0;
  size_t end = 0;
};

struct TagAttributes {
  std::vector<AttributeNode> attributes;
  bool self_closing = false;
  size_t end = 0;  // index just after `>` or `/>`
};

// No tag (monostate), a tag, or a fault.
using OpenTagResult = std::variant<std::monostate, OpenTag, TagError>;
using AttributesResult = std::variant<TagAttributes, TagError>;

// Reads an opening or self-closing tag at `text[at]`: no tag unless `text[at]` is `<` followed
// by `A`..`Z`; the name runs over `[A-Za-z0-9_]`, and `parse_attributes` reads the rest. A tag
// may span lines.
OpenTagResult parse_open_tag(std::string_view text, size_t at, size_t base,
                             const SourceMap& source_map, ErrorTextBudget& budget,
                             TagSearchCache* cache = nullptr);

// Reads `</Name>` at `text[at]`: the name, any ASCII white space (line breaks included), then
// `>`. Anything else is no tag; never an error.
std::optional<CloseTag> parse_close_tag(std::string_view text, size_t at);

// Reads the attribute list from `pos` (just after the tag's name) to the `>` or `/>` that ends
// the tag. `tag_start` is the index of the tag's `<`, where the tag-level faults begin. The
// first fault ends the reading and the attributes read before it are dropped.
AttributesResult parse_attributes(std::string_view text, size_t pos, size_t base,
                                  const SourceMap& source_map, size_t tag_start,
                                  ErrorTextBudget& budget, TagSearchCache* cache = nullptr);

}  // namespace zuv::parser

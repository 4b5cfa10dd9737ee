#pragma once
// The block scanner: cuts one body (the document body, or a component's body) into segments,
// line by line. It recognises only what begins a line after leading spaces and tabs: fence
// lines (so that nothing inside fenced code is taken for anything else), "$$" display-math
// blocks, component tags and stray closing tags. It does not look inside component bodies: the
// pipeline scans each body again. It never fails; faults become error segments.
//
// All offsets in the segments are absolute (the body's `base` added). Every bound lies next to an
// ASCII byte or at an end of the body, so slicing the input there never splits a character.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "error_budget.h"
#include "source_map.h"
#include "tags.h"

namespace zuv::parser {

struct Segment {
  // A run of ordinary lines, [start, end), to the Markdown bridge.
  struct Markdown {
    size_t start = 0;
    size_t end = 0;
  };
  // A component with a body: the body is [body_start, body_end); the block ends just after
  // the closing tag's `>` at block_end.
  struct Component {
    OpenTag open_tag;
    size_t body_start = 0;
    size_t body_end = 0;
    size_t block_end = 0;
  };
  // A self-closing tag standing alone on its line(s).
  struct SelfClosing {
    OpenTag open_tag;
  };
  // A display-math block: start at the first `$` of the opening "$$"; the content is
  // [content_start, content_end) (the lines between the "$$" lines, the last line feed
  // included); block_end just after the closing "$$".
  struct MathBlock {
    size_t start = 0;
    std::optional<std::string> label;
    size_t content_start = 0;
    size_t content_end = 0;
    size_t block_end = 0;
  };
  // A tag fault with the source it concerns, [start, end).
  struct Error {
    std::string message;
    std::string raw;
    size_t start = 0;
    size_t end = 0;
  };

  enum class Kind : uint8_t { Markdown, Component, SelfClosing, MathBlock, Error };

  std::variant<Markdown, Component, SelfClosing, MathBlock, Error> value;

  Kind kind() const { return static_cast<Kind>(value.index()); }
};

// Scans `text`, a body whose first byte lies at the absolute offset `base`, into segments in
// source order. `budget` is the document's error-text budget.
std::vector<Segment> scan_blocks(std::string_view text, size_t base, const SourceMap& source_map,
                                 ErrorTextBudget& budget);

}  // namespace zuv::parser

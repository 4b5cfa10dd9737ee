#pragma once
// The source map: the line starts of the whole input, through which every position in the tree
// is made, so that nodes deep inside component bodies count lines, columns and offsets from the
// start of the whole input.
//
// Lines end at line feeds only (a carriage return is an ordinary byte and counts as a column);
// columns count bytes from 1. Built once per document parse, read-only afterwards.
//
// Readers that ask for many points in a row, mostly ascending and close together (the nodes of
// one text, the events of one Markdown segment), ask through a `PointCursor`: it searches
// outward from the last line it found, in time logarithmic in the distance, so that nearby
// points cost a comparison or two and far ones no more than the binary search.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "zuv/tree.h"

namespace zuv::parser {

class SourceMap {
 public:
  // One pass over the bytes: 0, then one entry after every line feed.
  explicit SourceMap(std::string_view text);

  // Ascending, never empty, first entry 0.
  const std::vector<size_t>& line_starts() const { return line_starts_; }

  // The point of an absolute offset: the line is that of the last line start at or before it
  // (an offset at a line feed lies on the line it ends; an offset past the text lies on the
  // last line). A binary search.
  Point point(size_t offset) const;

  // The position of the absolute range [start, end), start <= end.
  Position position(size_t start, size_t end) const { return {point(start), point(end)}; }

  // As `point`, searching outward from the line index `line`, which becomes that of `offset`.
  Point point_near(size_t offset, size_t& line) const;

 private:
  std::vector<size_t> line_starts_;
};

class PointCursor {
 public:
  explicit PointCursor(const SourceMap& map) : map_(&map) {}

  Point point(size_t offset) {
    // Most points lie on the line of the one before.
    const std::vector<size_t>& starts = map_->line_starts();
    if (line_ < starts.size() && starts[line_] <= offset &&
        (line_ + 1 == starts.size() || offset < starts[line_ + 1])) {
      return Point{line_ + 1, offset - starts[line_] + 1, offset};
    }
    return map_->point_near(offset, line_);
  }
  Position position(size_t start, size_t end) {
    const Point s = point(start);
    return {s, point(end)};
  }

 private:
  const SourceMap* map_;
  size_t line_ = 0;
};

}  // namespace zuv::parser

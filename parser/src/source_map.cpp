#include "source_map.h"

#include <algorithm>

#include "bytes.h"

namespace zuv::parser {

SourceMap::SourceMap(std::string_view text) {
  line_starts_.push_back(0);
  for (size_t lf = find_byte(text, '\n', 0); lf != npos; lf = find_byte(text, '\n', lf + 1)) {
    line_starts_.push_back(lf + 1);
  }
}

Point SourceMap::point(size_t offset) const {
  // The first entry is 0, so upper_bound never returns the beginning.
  auto it = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  size_t line = static_cast<size_t>(it - line_starts_.begin()) - 1;
  return Point{line + 1, offset - line_starts_[line] + 1, offset};
}

Point SourceMap::point_near(size_t offset, size_t& line) const {
  const size_t n = line_starts_.size();
  if (line >= n) line = n - 1;
  // Bracket the line between lo (its start at or before offset) and hi (n, or a start after
  // offset) with steps that double, then search between them.
  size_t lo = line;
  size_t hi = line + 1;
  if (line_starts_[line] <= offset) {
    for (size_t step = 1; hi < n && line_starts_[hi] <= offset; step *= 2) {
      lo = hi;
      hi = std::min(n, hi + step);
    }
  } else {
    for (size_t step = 1; line_starts_[lo] > offset; step *= 2) {
      hi = lo;
      lo = lo > step ? lo - step : 0;  // line_starts_[0] is 0, so this ends
    }
  }
  auto it = std::upper_bound(line_starts_.begin() + static_cast<std::ptrdiff_t>(lo + 1),
                             line_starts_.begin() + static_cast<std::ptrdiff_t>(hi), offset);
  line = static_cast<size_t>(it - line_starts_.begin()) - 1;
  return Point{line + 1, offset - line_starts_[line] + 1, offset};
}

}  // namespace zuv::parser

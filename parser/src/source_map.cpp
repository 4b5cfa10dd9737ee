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

}  // namespace zuv::parser

#include "zuv/variable_path.h"

#include "zuv/ascii.h"

namespace zuv {

bool is_valid_variable_path(std::string_view path) {
  bool at_segment_start = true;
  for (char c : path) {
    if (c == '.') {
      if (at_segment_start) return false;
      at_segment_start = true;
    } else if (is_ascii_alpha(c) || c == '_' || (!at_segment_start && is_ascii_digit(c))) {
      at_segment_start = false;
    } else {
      return false;
    }
  }
  return !at_segment_start;  // not empty, and no trailing "."
}

}  // namespace zuv

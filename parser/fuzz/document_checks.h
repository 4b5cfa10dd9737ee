#pragma once
// What the whole-document fuzz targets check: no input may crash, and every position the parser
// sets must lie inside the input, start before end, with lines and columns that agree with the
// offsets; the tree must convert to its dict form.

#include <cstddef>
#include <cstdlib>
#include <string_view>

#include "zuv/dict_form.h"
#include "zuv/parser.h"

namespace zuv::fuzzing {

inline void check_point(const Point& p, std::string_view input) {
  if (p.offset > input.size() || p.line == 0 || p.column == 0) std::abort();
  size_t line_start = p.offset - (p.column - 1);
  if (line_start > p.offset) std::abort();
  if (line_start > 0 && input[line_start - 1] != '\n') std::abort();
}

inline void check_positions(const NodeList& nodes, std::string_view input) {
  for (const Node& n : nodes) {
    const Position& p = n.position();
    check_point(p.start, input);
    check_point(p.end, input);
    if (p.start.offset > p.end.offset) std::abort();
    if (const NodeList* c = node_children(n)) check_positions(*c, input);
  }
}

inline void parse_and_check(std::string_view input) {
  Root root = parse_document(input);
  check_positions(root.children, input);
  (void)root_to_value(root);
}

}  // namespace zuv::fuzzing

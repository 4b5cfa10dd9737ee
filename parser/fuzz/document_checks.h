#pragma once
// What the whole-document fuzz targets check: no input may crash; no node has more than
// kMaxDocumentDepth containers above it, however it got there; every position the parser sets
// on a node or an attribute lies inside the input, starts no later than it ends, and has the line
// and column that its offset has (lines counted by line feeds, columns in bytes from 1); and the
// tree converts to its dict form. Containment is not checked: a child need not lie inside its
// parent (a component written inside a paragraph takes the blocks that ended while it was open,
// the paragraph it began in among them).

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "zuv/dict_form.h"
#include "zuv/limits.h"
#include "zuv/parser.h"

namespace zuv::fuzzing {

class PositionChecker {
 public:
  explicit PositionChecker(std::string_view input) : input_(input) {
    line_starts_.push_back(0);
    for (size_t i = 0; i < input.size(); ++i) {
      if (input[i] == '\n') line_starts_.push_back(i + 1);
    }
  }

  // `level`: that of the nodes, 1 at the top. Checked first, so that the walk itself stays
  // shallow.
  void check(const NodeList& nodes, size_t level = 1) const {
    if (!nodes.empty() && level > kMaxDocumentDepth + 1) std::abort();
    for (const Node& n : nodes) {
      check(n.position());
      if (n.kind == NodeKind::Component) {
        for (const AttributeNode& a : n.as<ComponentNode>().attributes) check(a.position);
      }
      if (const NodeList* c = node_children(n)) check(*c, level + 1);
    }
  }

 private:
  void check(const Position& p) const {
    check(p.start);
    check(p.end);
    if (p.start.offset > p.end.offset) std::abort();
  }

  void check(const Point& p) const {
    if (p.offset > input_.size()) std::abort();
    // The line is the number of line starts at or before the offset.
    const size_t line =
        static_cast<size_t>(std::upper_bound(line_starts_.begin(), line_starts_.end(), p.offset) -
                            line_starts_.begin());
    if (p.line != line) std::abort();
    if (p.column != p.offset - line_starts_[line - 1] + 1) std::abort();
  }

  std::string_view input_;
  std::vector<size_t> line_starts_;
};

inline void parse_and_check(std::string_view input) {
  Root root = parse_document(input);
  PositionChecker(input).check(root.children);
  (void)root_to_value(root);
}

}  // namespace zuv::fuzzing

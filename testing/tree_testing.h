#pragma once
// Test helpers for the document and math trees: gtest prints a `Root`, `Node` or `MathExpr` as
// its dict form's JSON text (instead of a dump of its bytes), and two trees or two value trees
// compare with a failure that names the first node and key where they differ:
//
//   EXPECT_PRED_FORMAT2(zuv::testing::SameTree, read.value(), tree);
//   EXPECT_PRED_FORMAT2(zuv::testing::SameJson, root_to_value(read.value()), written);

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "json_diff.h"
#include "zuv/dict_form.h"

namespace zuv {

inline void PrintTo(const Root& root, std::ostream* os) {
  *os << to_json_text(root_to_value(root));
}
inline void PrintTo(const Node& node, std::ostream* os) {
  *os << to_json_text(node_to_value(node));
}
inline void PrintTo(const MathExpr& expr, std::ostream* os) {
  *os << to_json_text(math_to_value(expr));
}

namespace testing {

inline ::testing::AssertionResult SameJson(const char* a_text, const char* b_text,
                                           const JsonValue& a, const JsonValue& b) {
  const std::string difference = json_difference(a, b);
  if (difference.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << a_text << " and " << b_text << " differ at " << difference;
}

namespace detail {

// The deepest node of `a` that differs from its place in `b` while its children do not: the
// node whose own field differs. "" when the lists are equal.
inline std::string differing_node(const NodeList& a, const NodeList& b, const std::string& path) {
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] == b[i]) continue;
    const std::string here = path + "children[" + std::to_string(i) + "] (" +
                             std::string(node_kind_tag(a[i].kind)) + ")";
    const NodeList* x = node_children(a[i]);
    const NodeList* y = node_children(b[i]);
    if (x && y && *x != *y) return differing_node(*x, *y, here + " / ");
    return here;
  }
  return a.size() == b.size() ? "" : path + "children";
}

}  // namespace detail

// Trees that are not equal differ in their dicts, unless a field is left out of the dict (as a
// writer that forgot it would): then the node that holds it is named.
inline ::testing::AssertionResult SameTree(const char* a_text, const char* b_text, const Root& a,
                                           const Root& b) {
  if (a == b) return ::testing::AssertionSuccess();
  const std::string difference = json_difference(root_to_value(a), root_to_value(b));
  if (!difference.empty()) {
    return ::testing::AssertionFailure()
           << a_text << " and " << b_text << " differ at " << difference;
  }
  const std::string node = detail::differing_node(a.children, b.children, "root / ");
  return ::testing::AssertionFailure()
         << a_text << " and " << b_text << " write the same dict but differ"
         << (node.empty() ? " outside the nodes" : " in a field of " + node)
         << " that the dict does not show";
}

}  // namespace testing
}  // namespace zuv

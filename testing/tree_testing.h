#pragma once
// Test helpers for the document and math trees: gtest prints a `Root`, `Node` or `MathExpr` as
// its dict form's JSON text (instead of a dump of its bytes), and two trees or two value trees
// compare with a failure that names the first node and key where they differ:
//
//   EXPECT_PRED_FORMAT2(zuv::testing::SameTree, read.value(), tree);
//   EXPECT_PRED_FORMAT2(zuv::testing::SameJson, root_to_value(read.value()), written);

#include <gtest/gtest.h>

#include <ostream>

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
  return ::testing::AssertionFailure() << a_text << " and " << b_text << " differ at "
                                       << difference;
}

// Trees that are not equal differ in their dicts, but for a fault in `==` itself.
inline ::testing::AssertionResult SameTree(const char* a_text, const char* b_text, const Root& a,
                                           const Root& b) {
  if (a == b) return ::testing::AssertionSuccess();
  const std::string difference = json_difference(root_to_value(a), root_to_value(b));
  return ::testing::AssertionFailure()
         << a_text << " and " << b_text << " differ"
         << (difference.empty() ? ", though they write the same dict" : " at " + difference);
}

}  // namespace testing
}  // namespace zuv

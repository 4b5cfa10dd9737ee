// Fuzz target of the math parser. Besides not crashing, every input must satisfy:
// - the tokens cover the source exactly, in order, with Eof last;
// - the tree is no deeper than the nesting limit allows;
// - parsing is deterministic (a failure names the first node and key that differ) and the dict
//   form can be written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "json_diff.h"
#include "tokenizer.h"
#include "zuv/dict_form.h"
#include "zuv/limits.h"
#include "zuv/math.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

// Depth of the dict form, which holds every level of the tree.
size_t value_depth(const zuv::JsonValue& v) {
  size_t deepest = 0;
  if (v.is_array()) {
    for (const zuv::JsonValue& e : v.items()) deepest = std::max(deepest, value_depth(e));
  } else if (v.is_object()) {
    for (const auto& m : v.members()) deepest = std::max(deepest, value_depth(m.value));
  }
  return deepest + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view source(reinterpret_cast<const char*>(data), size);

  const auto tokens = zuv::math::tokenize_math(source);
  size_t at = 0;
  for (const auto& t : tokens) {
    check(t.start == at && (t.end > t.start || t.is(zuv::math::MathTokenKind::Eof)));
    at = t.end;
  }
  check(at == size && tokens.back().is(zuv::math::MathTokenKind::Eof));

  const zuv::MathExpr tree = zuv::parse_math(source);
  const zuv::JsonValue value = zuv::math_to_value(tree);
  // Four JSON levels per counted level at the most, and three for the innermost item.
  check(value_depth(value) <= 4 * zuv::kMaxMathDepth + 3);
  if (const zuv::MathExpr again = zuv::parse_math(source); !(again == tree)) {
    std::fprintf(stderr, "a second parse differs at %s\n",
                 zuv::testing::json_difference(value, zuv::math_to_value(again)).c_str());
    std::abort();
  }
  return 0;
}

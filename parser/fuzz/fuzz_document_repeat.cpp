// Whole documents built from a recipe (testing/fuzz_recipe.h), to reach the large structured
// shapes that cost the layers above the engine time or memory: thousands of tags on one HTML
// line, highlight lists in every block, nested components, long attribute values. Checks as
// fuzz_document (document_checks.h); run it with -timeout, so that superlinear time is a finding,
// and -len_control=0 (see markdown/README.md).
//
//   fuzz_document_repeat -dict=parser/fuzz/document.dict -timeout=10 -len_control=0
//       -max_len=256 CORPUS_DIR parser/fuzz/corpus/document_repeat

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document_checks.h"
#include "fuzz_recipe.h"

namespace {

// As the engine's recipe target: large enough that a quadratic shape takes seconds.
constexpr size_t kMaxDocument = size_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zuv::fuzzing::parse_and_check(zuv::testing::expand_recipe(
      std::string_view(reinterpret_cast<const char*>(data), size), kMaxDocument));
  return 0;
}

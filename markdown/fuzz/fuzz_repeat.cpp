// Fuzz target for large structured inputs: the bytes are a recipe, not the document
// (testing/fuzz_recipe.h). The events must be well formed (tests/invariants.h); run it with
// -timeout to catch inputs that take superlinear time, and -len_control=0 so that recipes of
// many pieces are tried from the start (see README.md).
//
//   markdown_fuzz_repeat -dict=markdown/fuzz/markdown.dict -timeout=5 -len_control=0 CORPUS_DIR
#include <cstdint>
#include <string_view>

#include "../tests/invariants.h"
#include "fuzz_recipe.h"

namespace {

// Big enough for the old quadratic shapes to take seconds, small enough for many runs.
constexpr std::size_t kMaxDocument = std::size_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zuv::markdown::testing::parse_and_check_or_abort(zuv::testing::expand_recipe(
      std::string_view(reinterpret_cast<const char*>(data), size), kMaxDocument));
  return 0;
}

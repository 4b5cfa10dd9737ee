// Fuzz target for large structured inputs: the bytes are a recipe, not the document. Byte-level
// fuzzing rarely builds the shapes that cost time or memory (thousands of nested markers, then
// thousands of lines that continue them), since each needs many repeated units. Here the input
// is split at 0xFF bytes into pieces; the first byte of a piece is its repeat count and the rest
// its unit, so a dozen bytes make a document of tens of kilobytes. The events must be well
// formed (tests/invariants.h); run it with -timeout to catch inputs that take superlinear time.
//
//   markdown_fuzz_repeat -dict=markdown/fuzz/markdown.dict -timeout=5 CORPUS_DIR
#include <cstdint>
#include <string>
#include <string_view>

#include "../tests/invariants.h"

namespace {

// Big enough for the old quadratic shapes to take seconds, small enough for many runs.
constexpr std::size_t kMaxDocument = std::size_t{1} << 20;

std::string expand(std::string_view recipe) {
  std::string doc;
  while (!recipe.empty() && doc.size() < kMaxDocument) {
    std::size_t end = recipe.find('\xff');
    std::string_view piece = recipe.substr(0, end);
    recipe = end == std::string_view::npos ? std::string_view() : recipe.substr(end + 1);
    if (piece.empty()) continue;
    auto b = static_cast<std::uint8_t>(piece[0]);
    std::size_t repeat = 1 + std::size_t{b} * b / 4;  // 1 to 16257, fine steps at the low end
    std::string_view unit = piece.substr(1);
    for (std::size_t i = 0; i < repeat && doc.size() < kMaxDocument; ++i) doc.append(unit);
  }
  return doc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zuv::markdown::testing::parse_and_check_or_abort(
      expand(std::string_view(reinterpret_cast<const char*>(data), size)));
  return 0;
}

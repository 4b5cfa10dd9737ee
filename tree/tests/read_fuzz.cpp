// Fuzz target over the root reader. The input is JSON text; every value that reads must write
// and read back to an equal tree, and write again to the same dict. A failure prints the first
// node and key where the two differ.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "json_diff.h"
#include "json_text.h"
#include "zuv/dict_form.h"
#include "zuv/dict_read.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zuv;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // A little deeper than the readers take, so that their limit is met too.
  auto value = testing::json_from_text(text, kMaxValueDepth + 16);
  if (!value) return 0;
  auto first = root_from_value(std::move(*value));
  if (!first) {
    if (first.error().message.empty()) __builtin_trap();
    return 0;
  }
  const JsonValue written = root_to_value(first.value());
  auto second = root_from_value(written);
  if (!second) {
    std::fprintf(stderr, "the written dict does not read back: %s\n",
                 second.error().message.c_str());
    __builtin_trap();
  }
  // A tree that reads back unequal almost always writes a different dict: say where.
  const std::string difference = testing::json_difference(written, root_to_value(second.value()));
  if (!difference.empty() || !(second.value() == first.value())) {
    std::fprintf(stderr, "the tree read back differs from the tree read%s%s\n",
                 difference.empty() ? ", though both write the same dict" : " at ",
                 difference.c_str());
    __builtin_trap();
  }
  return 0;
}

// Fuzz target over the root reader. The input is JSON text; every value that reads must write
// and read back to an equal tree, and write again to the same dict.

#include <cstdint>
#include <string>
#include <string_view>

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
  JsonValue written = root_to_value(first.value());
  const std::string written_text = to_json_text(written);
  auto second = root_from_value(std::move(written));
  if (!second) __builtin_trap();
  if (!(second.value() == first.value())) __builtin_trap();
  if (to_json_text(root_to_value(second.value())) != written_text) __builtin_trap();
  return 0;
}

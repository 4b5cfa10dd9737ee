// Fuzz target: any bytes parse, and the events are well formed (see tests/invariants.h).
#include <cstdint>
#include <string_view>

#include "../tests/invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zuv::markdown::testing::parse_and_check_or_abort(
      std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}

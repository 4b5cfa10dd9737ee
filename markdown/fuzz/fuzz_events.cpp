// Fuzz target: any bytes parse, and the events are well formed (see tests/invariants.h).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "../tests/invariants.h"
#include "zuv/markdown.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  zuv::markdown::Events events = zuv::markdown::parse_events(input);
  std::string problem = zuv::markdown::testing::check_invariants(input, events);
  if (!problem.empty()) {
    std::fprintf(stderr, "invariant broken: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}

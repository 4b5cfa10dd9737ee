// Whole documents: see document_checks.h for what every input must satisfy.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zuv::fuzzing::parse_and_check(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}

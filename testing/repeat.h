#pragma once
// Texts made of one unit repeated, for the hostile and limit tests and the benchmarks: by count,
// or until a size in bytes is reached.

#include <cstddef>
#include <string>
#include <string_view>

namespace zuv::testing {

// `unit` written `n` times.
inline std::string repeat_n(std::string_view unit, std::size_t n) {
  std::string out;
  out.reserve(unit.size() * n);
  for (std::size_t i = 0; i < n; ++i) out.append(unit);
  return out;
}

// `unit` written until the text has at least `size` bytes (whole units only).
inline std::string repeat_to(std::string_view unit, std::size_t size) {
  std::string out;
  out.reserve(size + unit.size());
  while (out.size() < size) out.append(unit);
  return out;
}

}  // namespace zuv::testing

// Hostile inputs: shapes that make naive Markdown parsers quadratic or deeply recursive. The
// test suite checks the engine's output on them; the benchmark times them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "zuv/markdown.h"

namespace zuv::markdown::testing {

struct PathologicalCase {
  const char* name;
  // Builds the input at about `size` bytes.
  std::string (*make)(std::size_t size);
  // For the shapes that were once slow or large: what is wrong with their events, or "".
  std::string (*check)(const Events& events) = nullptr;
};

const std::vector<PathologicalCase>& pathological_cases();

}  // namespace zuv::markdown::testing

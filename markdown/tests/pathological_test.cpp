// The engine on hostile inputs: it finishes, its events are well formed, and the shapes that
// were once slow or large give the events they should. (Time and memory are measured by
// bench/hostile.py, not here.)
#include "pathological.h"

#include <gtest/gtest.h>

#include "invariants.h"
#include "zuv/markdown.h"

namespace zuv::markdown::testing {
namespace {

class PathologicalTest : public ::testing::TestWithParam<PathologicalCase> {};

TEST_P(PathologicalTest, EventsAreWellFormed) {
  const std::string input = GetParam().make(200 * 1000);
  Events events = parse_events(input);
  EXPECT_EQ(check_invariants(input, events), "");
  if (GetParam().check != nullptr) {
    EXPECT_EQ(GetParam().check(events), "");
  }
}

std::string case_name(const ::testing::TestParamInfo<PathologicalCase>& param) {
  return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Inputs, PathologicalTest, ::testing::ValuesIn(pathological_cases()),
                         case_name);

}  // namespace
}  // namespace zuv::markdown::testing

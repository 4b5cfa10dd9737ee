// Properties every event stream has, whatever the input: checked on hostile inputs and by the
// fuzz target.
#pragma once

#include <string>
#include <string_view>

#include "zuv/markdown.h"

namespace zuv::markdown::testing {

// An empty string when `events` (parsed from `input`) is well formed, else what is wrong:
// ranges inside the input and inside the range of every enclosing container (a task marker:
// inside its item, as it may precede the paragraph that holds it), Start and End balanced with
// equal tags and ranges, each Start's content count equal to the events directly inside, only Text
// inside code blocks, link and table fields present, block containers no deeper than
// kMaxContainerDepth.
std::string check_invariants(std::string_view input, const Events& events);

// The body of the fuzz targets: parses `input` and aborts, saying why, when the events are not
// well formed.
void parse_and_check_or_abort(std::string_view input);

}  // namespace zuv::markdown::testing

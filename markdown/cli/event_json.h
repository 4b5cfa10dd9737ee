// One event as a JSON object, in the form of the reference event streams:
//   {"ev":"start","tag":"Heading","level":1,"id":null,"r":[0,7]}
#pragma once

#include <string>
#include <string_view>

#include "zuv/markdown.h"

namespace zuv::markdown {

void append_json(std::string& out, const Event& event, const Events& events);

// A JSON string literal; malformed UTF-8 becomes U+FFFD.
void append_json_string(std::string& out, std::string_view text);

}  // namespace zuv::markdown

// HTML5 named character references.
#pragma once

#include <string_view>

namespace zuv::markdown {

// The UTF-8 value of the named reference `name` (without '&' and ';'); empty when unknown.
std::string_view lookup_entity(std::string_view name);

}  // namespace zuv::markdown

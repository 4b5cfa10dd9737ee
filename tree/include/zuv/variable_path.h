#pragma once
// The rule for dotted variable paths, shared by the document parser ({$path} references and
// variable attribute values) and the dict-form reader (variable attribute values).

#include <string_view>

namespace zuv {

// True when `path` is one or more identifiers joined by "."; an identifier begins with an ASCII
// letter or "_" and goes on with ASCII letters, digits or "_". Nothing is trimmed: "a", "a.b_2"
// and "_x.y" hold; "", "a.", ".a", "a..b", "1a", "a-b", "a b" and "a[0]" do not.
bool is_valid_variable_path(std::string_view path);

}  // namespace zuv

#pragma once
// Every text the validator reports, and the expected texts that only the schema reader uses
// (the rest of the reader's wording is shared with the tree readers).

#include <initializer_list>
#include <string>
#include <string_view>

namespace zuv::schema {

inline constexpr std::string_view kExpectedMap = "a map";
inline constexpr std::string_view kExpectedPair = "a tuple of size 2";

// The pieces joined into one string, allocated once: a document full of faults makes a
// message per component.
inline std::string concat(std::initializer_list<std::string_view> pieces) {
  size_t n = 0;
  for (std::string_view p : pieces) n += p.size();
  std::string s;
  s.reserve(n);
  for (std::string_view p : pieces) s += p;
  return s;
}

inline std::string msg_not_allowed_child(std::string_view name) {
  return concat({"<", name, "> is not allowed as a child here"});
}

inline std::string msg_unknown_component(std::string_view name) {
  return concat({"unknown component <", name, ">"});
}

inline std::string msg_must_self_close(std::string_view name) {
  return concat({"<", name, "> must be self-closing (no children)"});
}

inline std::string msg_missing_required(std::string_view prop) {
  return concat({"missing required prop `", prop, "`"});
}

inline std::string msg_unknown_prop(std::string_view attr, std::string_view name) {
  return concat({"unknown prop `", attr, "` on <", name, ">"});
}

inline std::string msg_wrong_type(std::string_view attr, std::string_view name,
                                  std::string_view expected, std::string_view actual) {
  return concat({"prop `", attr, "` on <", name, "> expects ", expected, ", got ", actual});
}

// `list` is the accepted values joined by ", ", unquoted.
inline std::string msg_not_in_enum(std::string_view attr, std::string_view name,
                                   std::string_view list, std::string_view value) {
  return concat(
      {"prop `", attr, "` on <", name, "> must be one of [", list, "], got \"", value, "\""});
}

}  // namespace zuv::schema

#pragma once
// Every text the validator reports, and the expected texts that only the schema reader uses
// (the rest of the reader's wording is shared with the tree readers).

#include <string>
#include <string_view>

namespace zuv::schema {

inline constexpr std::string_view kExpectedMap = "a map";
inline constexpr std::string_view kExpectedPair = "a tuple of size 2";

inline std::string angle(std::string_view name) {
  std::string s;
  s.reserve(name.size() + 2);
  s += '<';
  s += name;
  s += '>';
  return s;
}

inline std::string msg_not_allowed_child(std::string_view name) {
  return angle(name) + " is not allowed as a child here";
}

inline std::string msg_unknown_component(std::string_view name) {
  return "unknown component " + angle(name);
}

inline std::string msg_must_self_close(std::string_view name) {
  return angle(name) + " must be self-closing (no children)";
}

inline std::string msg_missing_required(std::string_view prop) {
  return "missing required prop `" + std::string(prop) + "`";
}

inline std::string msg_unknown_prop(std::string_view attr, std::string_view name) {
  return "unknown prop `" + std::string(attr) + "` on " + angle(name);
}

inline std::string msg_wrong_type(std::string_view attr, std::string_view name,
                                  std::string_view expected, std::string_view actual) {
  return "prop `" + std::string(attr) + "` on " + angle(name) + " expects " +
         std::string(expected) + ", got " + std::string(actual);
}

// `list` is the accepted values joined by ", ", unquoted.
inline std::string msg_not_in_enum(std::string_view attr, std::string_view name,
                                   std::string_view list, std::string_view value) {
  return "prop `" + std::string(attr) + "` on " + angle(name) + " must be one of [" +
         std::string(list) + "], got \"" + std::string(value) + "\"";
}

}  // namespace zuv::schema

#pragma once
// Every message text of the document parser, in one place. The texts are part of the output
// (error nodes carry them); `{}` marks where a value is inserted as written.

#include <string>
#include <string_view>

namespace zuv::parser::messages {

// Tag readers.
inline constexpr std::string_view kEndOfInputInTag = "Unexpected end of input in tag";
inline constexpr std::string_view kEndOfInputAfterEquals = "Unexpected end of input after '='";
inline constexpr std::string_view kUnclosedString = "Unclosed string attribute";
inline constexpr std::string_view kUnclosedPrimitive = "Unclosed primitive attribute";
inline constexpr std::string_view kUnclosedVariable = "Unclosed variable attribute";
inline constexpr std::string_view kUnclosedJson = "Unclosed JSON attribute '{{...}}'";

inline std::string invalid_name_char(std::string_view c) {
  return "Invalid attribute name character '" + std::string(c) + "'";
}
inline std::string invalid_value_after_equals(std::string_view name) {
  return "Invalid attribute value after '=' for '" + std::string(name) + "'";
}
inline std::string non_finite_float(std::string_view v) {
  return "Non-finite float value: " + std::string(v);
}
inline std::string invalid_primitive(std::string_view v) {
  return "Invalid primitive value: " + std::string(v);
}
// Also the message of an invalid `{$path}` in running text.
inline std::string invalid_variable_path(std::string_view path) {
  return "Invalid variable path: " + std::string(path);
}
inline std::string json_not_container(std::string_view compact_json) {
  return "JSON attribute must be an object or array, got: " + std::string(compact_json);
}
inline std::string malformed_json(std::string_view inner) {
  return "Malformed JSON in attribute: " + std::string(inner);
}

// Block structure and inline components.
inline std::string unclosed_tag(std::string_view name) {
  return "Unclosed tag <" + std::string(name) + ">";
}
inline std::string unexpected_closing_tag(std::string_view name) {
  return "Unexpected closing tag </" + std::string(name) + ">";
}
inline std::string misnested_tags(std::string_view expected, std::string_view found) {
  return "Misnested tags: expected </" + std::string(expected) + ">, found </" +
         std::string(found) + ">";
}
// A component, or an inline component's opening tag, past the document nesting limit.
inline constexpr std::string_view kComponentNestingTooDeep = "Component nesting too deep";

// Running text.
inline std::string invalid_cross_ref_target(std::string_view target) {
  return "Invalid cross-reference target: " + std::string(target);
}

}  // namespace zuv::parser::messages

#pragma once
// Every message text of the Python boundary, so that the wording callers see reads in one file.

#include <cstddef>
#include <string>
#include <string_view>

namespace zuv::module {

// --- The panic exception.
inline constexpr const char kPanicExceptionName[] = "pyo3_runtime.PanicException";
inline constexpr const char kPanicExceptionDoc[] =
    "Raised when the extension meets an internal fault.\n\n"
    "It derives from BaseException, like SystemExit, so that it is not caught by handlers for\n"
    "Exception and reaches the top of the program.";
// The message of a fault that carries no text of its own.
inline constexpr std::string_view kPanicWithoutMessage = "internal fault without a message";

// --- Fallbacks when the description of a Python object cannot be read.
inline constexpr std::string_view kUnknownTypeName = "unknown";
inline constexpr std::string_view kExceptionStrFailed = "<exception str() failed>";

// --- Argument binding. `function` is the function's name without "()".
inline std::string too_many_positional_message(std::string_view function, size_t parameters,
                                               size_t required, size_t given) {
  std::string m(function);
  m += "() takes ";
  if (required == parameters) {
    m += std::to_string(parameters);
  } else {
    m += "from " + std::to_string(required) + " to " + std::to_string(parameters);
  }
  m += " positional arguments but " + std::to_string(given) + (given == 1 ? " was" : " were");
  m += " given";
  return m;
}

inline std::string unexpected_keyword_message(std::string_view function, std::string_view keyword) {
  std::string m(function);
  m += "() got an unexpected keyword argument '";
  m += keyword;
  m += "'";
  return m;
}

inline std::string multiple_values_message(std::string_view function, std::string_view parameter) {
  std::string m(function);
  m += "() got multiple values for argument '";
  m += parameter;
  m += "'";
  return m;
}

inline std::string keywords_must_be_strings_message(std::string_view function) {
  std::string m(function);
  m += "() keywords must be strings";
  return m;
}

// "{}() missing {} required positional argument(s): 'a', 'b' and 'c'" is finished by
// `append_missing_name` once per name, in parameter order.
inline std::string missing_required_message(std::string_view function, size_t missing) {
  std::string m(function);
  m += "() missing " + std::to_string(missing) + " required positional ";
  m += missing == 1 ? "argument: " : "arguments: ";
  return m;
}
inline void append_missing_name(std::string& m, std::string_view name, size_t index, size_t count) {
  if (index > 0) m += index + 1 == count ? " and " : ", ";
  m += "'";
  m += name;
  m += "'";
}

// --- Argument conversion.
// "'{qualname}' object is not an instance of '{expected}'"
inline std::string not_an_instance_message(std::string_view qualname, std::string_view expected) {
  std::string m = "'";
  m += qualname;
  m += "' object is not an instance of '";
  m += expected;
  m += "'";
  return m;
}
inline std::string none_not_an_instance_message(std::string_view expected) {
  std::string m = "'None' is not an instance of '";
  m += expected;
  m += "'";
  return m;
}
// A conversion failure renamed after the parameter it happened in.
inline std::string named_argument_message(std::string_view parameter, std::string_view message) {
  std::string m = "argument '";
  m += parameter;
  m += "': ";
  m += message;
  return m;
}

// --- The transforms list of parse_with_transforms.
inline constexpr std::string_view kTransformsIsStr = "Can't extract `str` to `Vec`";
inline constexpr std::string_view kSequenceTypeName = "Sequence";
inline std::string unknown_transform_message(std::string_view name) {
  std::string m = "unknown transform: \"";
  m += name;
  m += '"';
  return m;
}

// --- Python objects to JSON values.
inline constexpr std::string_view kNumberOutOfRange = "JSON number out of range";
inline constexpr std::string_view kDictKeyNotStr = "dict keys must have type str";
inline constexpr std::string_view kBytesUnsupported =
    "invalid type: byte array, expected any valid JSON value";
inline std::string unexpected_type_message(std::string_view qualname, std::string_view expected) {
  return "unexpected type: " + not_an_instance_message(qualname, expected);
}
inline std::string unsupported_type_message(std::string_view qualname) {
  std::string m = "unsupported type ";
  m += qualname;
  return m;
}
// Both directions: a value nested deeper than the value depth limit, and a list or dict that
// contains itself (which would nest without end).
inline constexpr std::string_view kNestingTooDeep = "nesting too deep";
inline constexpr std::string_view kCircularReference = "circular reference";

// --- Module creation.
inline constexpr std::string_view kAllNotAList = "`__all__` must be a list";
inline constexpr std::string_view kFunctionNameNotStr = "function name is not a str";

}  // namespace zuv::module

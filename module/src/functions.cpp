#include "functions.h"

#include "convert.h"
#include "zuv/dict_form.h"
#include "zuv/parser.h"
#include "zuv/transform.h"

namespace zuv::module {

namespace {

// Derived by the build from the package version in pyproject.toml.
constexpr char kVersion[] = ZUV_VERSION;

constexpr auto kParseParameters = parameters("parse", 1, "input");
constexpr auto kParseWithDefaultsParameters = parameters("parse_with_defaults", 1, "input");

// The body of a function whose one argument is the document text.
CallResult parse_input(const ModuleState& state, const Parameters<1>& parameters,
                       const CallArguments& call, Root (*parse)(std::string_view)) {
  auto bound = bind_arguments(parameters, call);
  if (!bound) return std::move(bound).error();
  Result<std::string_view> input = bound->text(0);
  if (!input) return std::move(input).error();
  // The text is the str's own UTF-8 buffer; the tree and its value die before the call returns.
  return root_to_python(state, parse(*input));
}

}  // namespace

CallResult value_to_result(const ModuleState& state, const JsonValue& value) {
  Converted<PyRef> result = value_to_python(state, value);
  if (!result) return pythonize_error_to_value_error(std::move(result).error());
  return std::move(*result);
}

CallResult root_to_python(const ModuleState& state, const Root& root) {
  return value_to_result(state, root_to_value(root));
}

CallResult py_parse(ModuleState& state, const CallArguments& call) {
  return parse_input(state, kParseParameters, call, parse_document);
}

CallResult py_parse_with_defaults(ModuleState& state, const CallArguments& call) {
  return parse_input(state, kParseWithDefaultsParameters, call, parse_with_default_pipeline);
}

CallResult py_version() {
  return new_object(PyUnicode_FromStringAndSize(kVersion, sizeof kVersion - 1));
}

}  // namespace zuv::module

#include "functions.h"

#include "convert.h"
#include "zuv/dict_form.h"
#include "zuv/parser.h"

namespace zuv::module {

namespace {

constexpr char kVersion[] = "0.1.2-beta.11";

constexpr auto kParseParameters = parameters("parse", 1, "input");

}  // namespace

CallResult py_parse(const CallArguments& call) {
  auto bound = bind_arguments(kParseParameters, call);
  if (!bound) return std::move(bound).error();
  Result<std::string_view> input = bound->text(0);
  if (!input) return std::move(input).error();
  // The text is the str's own UTF-8 buffer; the tree and its value die before the call returns.
  const JsonValue value = root_to_value(parse_document(*input));
  Converted<PyRef> result = value_to_python(value);
  if (!result) return pythonize_error_to_value_error(std::move(result).error());
  return std::move(*result);
}

CallResult py_version() {
  return new_object(PyUnicode_FromStringAndSize(kVersion, sizeof kVersion - 1));
}

}  // namespace zuv::module

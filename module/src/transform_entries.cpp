// parse_with_transforms: convert every argument and match every name, then parse, run the
// transforms and return the dict.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert.h"
#include "functions.h"
#include "messages.h"
#include "transform_names.h"
#include "zuv/transform.h"

namespace zuv::module {

namespace {

// More names than this are rare; the list grows past it as items come.
constexpr size_t kMaxReservedNames = 16;

constexpr auto kParseWithTransformsParameters =
    parameters("parse_with_transforms", 2, "input", "transforms", "repo");

// The names of the transforms list, copied out: any sequence but a str, read by iteration.
Result<std::vector<std::string>> transform_names(PyObject* object) {
  if (PyUnicode_Check(object)) return CallError::type_error(std::string(kTransformsIsStr));
  if (!PySequence_Check(object)) {
    std::string qualname;
    if (!type_qualname(Py_TYPE(object), qualname)) qualname = kUnknownTypeName;
    return CallError::type_error(not_an_instance_message(qualname, kSequenceTypeName));
  }
  std::vector<std::string> names;
  // The length only sizes the list, and only up to a few names: it is the caller's code that
  // tells it, and it may lie. A sequence that cannot tell it is still read.
  const Py_ssize_t length = PySequence_Size(object);
  if (length < 0) {
    if (pending_exception_passes()) return CallError::pending();
    PyErr_Clear();
  } else {
    names.reserve(std::min(static_cast<size_t>(length), kMaxReservedNames));
  }
  PyRef iterator = PyRef::steal(PyObject_GetIter(object));
  if (!iterator) return CallError::pending();
  while (PyRef item = PyRef::steal(PyIter_Next(iterator.get()))) {
    Result<std::string_view> name = text_argument(item.get());
    if (!name) return std::move(name).error();
    names.emplace_back(*name);
  }
  if (PyErr_Occurred() != nullptr) return CallError::pending();
  return names;
}

}  // namespace

CallResult py_parse_with_transforms(ModuleState& state, const CallArguments& call) {
  auto bound = bind_arguments(kParseWithTransformsParameters, call);
  if (!bound) return std::move(bound).error();
  Result<std::string_view> input = bound->text(0);
  if (!input) return std::move(input).error();
  Result<std::vector<std::string>> names = transform_names((*bound)[1]);
  if (!names) return name_argument_error(bound->name(1), std::move(names).error());
  // Converted whether or not "github" is named, so a faulty repo always fails.
  Result<std::optional<std::string_view>> repo = bound->optional_text(2);
  if (!repo) return std::move(repo).error();

  // Every name is matched before anything is parsed.
  NamedTransforms transforms = make_named_transforms(*names, *repo);
  if (transforms.error) return value_error_from_message(std::move(*transforms.error));
  return root_to_python(state, parse_with_pipeline(transforms.transforms, *input));
}

}  // namespace zuv::module

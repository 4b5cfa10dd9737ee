#pragma once
// Arguments of the module functions: the raw fast-call arguments, the binder that sorts them
// into parameters, and the conversion of text arguments.
//
// Each function describes its parameters once, statically:
//
//     constexpr auto kParseParameters = parameters("parse", 1, "input");
//
// (the function's name, how many leading parameters are required, then every parameter name in
// order; every parameter can be given by position or by keyword). `bind_arguments` then fills
// one slot per parameter from the argument vector and the keyword names, checking in this order:
// too many positional arguments, then each keyword in the order given (a name that is no
// parameter, a parameter already filled), then the required parameters still missing. The first
// fault is the TypeError of the call; nothing is converted before binding has finished.
//
// Conversions of bound arguments name their parameter: a conversion that fails with exactly
// TypeError is raised as TypeError "argument '{name}': {message}" (keeping the `__cause__` of
// the original); every other exception, a UnicodeEncodeError say, passes unchanged.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "errors.h"

namespace zuv::module {

// A fast call's arguments as the interpreter passes them: `nargs` positional values, then one
// value per name in the tuple `kwnames` (null when no keyword was given). All borrowed.
struct CallArguments {
  PyObject* const* args = nullptr;
  Py_ssize_t nargs = 0;
  PyObject* kwnames = nullptr;
};

// The parameters of one function, untyped.
struct ParameterList {
  std::string_view function;
  const std::string_view* names;
  size_t count;
  size_t required;
};

template <size_t N>
struct Parameters {
  std::string_view function;
  size_t required;
  std::array<std::string_view, N> names;

  constexpr ParameterList list() const { return {function, names.data(), N, required}; }
};

template <class... Names>
constexpr Parameters<sizeof...(Names)> parameters(std::string_view function, size_t required,
                                                  Names... names) {
  static_assert(sizeof...(Names) > 0, "a function without parameters uses METH_NOARGS");
  return {function, required, {std::string_view(names)...}};
}

// The text of a str (or str subclass) object: its UTF-8 buffer, borrowed for as long as the
// object lives (the interpreter keeps the encoding inside the str). A str holding a lone
// surrogate fails with the interpreter's UnicodeEncodeError; any other object fails with the
// TypeError "'{qualname}' object is not an instance of 'str'" ("'None' is not ..." for None).
// The failure does not name a parameter; see `name_argument_error`.
Result<std::string_view> text_argument(PyObject* object);

// Renames the failure of converting the argument `parameter` when it is exactly a TypeError.
CallError name_argument_error(std::string_view parameter, CallError error);

// Fills `slots` (one per parameter, set to null beforehand) with borrowed references.
std::optional<CallError> bind_into(const ParameterList& parameters, const CallArguments& call,
                                   PyObject** slots);

template <size_t N>
class BoundArguments {
 public:
  explicit BoundArguments(const Parameters<N>& parameters) : parameters_(&parameters) {}

  // The argument bound to parameter `i` (borrowed), or null when it was not given.
  PyObject* operator[](size_t i) const { return slots_[i]; }
  bool given(size_t i) const { return slots_[i] != nullptr; }
  std::string_view name(size_t i) const { return parameters_->names[i]; }

  // Parameter `i` as a text argument (borrowed text), failures named after the parameter.
  Result<std::string_view> text(size_t i) const {
    Result<std::string_view> r = text_argument(slots_[i]);
    if (!r) return name_argument_error(name(i), std::move(r).error());
    return r;
  }
  // An optional text parameter: not given, or None, is no text.
  Result<std::optional<std::string_view>> optional_text(size_t i) const {
    if (slots_[i] == nullptr || slots_[i] == Py_None) return std::optional<std::string_view>();
    Result<std::string_view> r = text(i);
    if (!r) return std::move(r).error();
    return std::optional<std::string_view>(*r);
  }

  PyObject** slots() { return slots_.data(); }

 private:
  const Parameters<N>* parameters_;
  std::array<PyObject*, N> slots_{};
};

template <size_t N>
Result<BoundArguments<N>> bind_arguments(const Parameters<N>& parameters,
                                         const CallArguments& call) {
  BoundArguments<N> bound(parameters);
  if (auto error = bind_into(parameters.list(), call, bound.slots())) return std::move(*error);
  return bound;
}

}  // namespace zuv::module

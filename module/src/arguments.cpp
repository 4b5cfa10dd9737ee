#include "arguments.h"

#include "messages.h"

namespace zuv::module {

Result<std::string_view> text_argument(PyObject* object) {
  if (PyUnicode_Check(object)) {
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(object, &size);
    if (data == nullptr) return CallError::pending();
    return std::string_view(data, static_cast<size_t>(size));
  }
  if (object == Py_None) return CallError::type_error(none_not_an_instance_message("str"));
  std::string qualname;
  if (!type_qualname(Py_TYPE(object), qualname)) qualname = kUnknownTypeName;
  return CallError::type_error(not_an_instance_message(qualname, "str"));
}

CallError name_argument_error(std::string_view parameter, CallError error) {
  if (!error.is_exact_type_error()) return error;
  std::string message = named_argument_message(parameter, error.message());
  PyRef cause = error.cause();
  if (!cause) return CallError::type_error(std::move(message));
  // The cause has to travel with the new exception, so this one is made at once.
  PyRef text = PyRef::steal(
      PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
  if (!text) return CallError::pending();
  PyRef renamed = PyRef::steal(PyObject_CallOneArg(PyExc_TypeError, text.get()));
  if (!renamed) return CallError::pending();
  PyException_SetCause(renamed.get(), cause.release());
  return CallError::raised(RaisedException::adopt(std::move(renamed)));
}

std::optional<CallError> bind_into(const ParameterList& parameters, const CallArguments& call,
                                   PyObject** slots) {
  const size_t given = static_cast<size_t>(call.nargs);
  if (given > parameters.count) {
    return CallError::type_error(too_many_positional_message(parameters.function, parameters.count,
                                                             parameters.required, given));
  }
  for (size_t i = 0; i < given; ++i) slots[i] = call.args[i];

  if (call.kwnames != nullptr) {
    const Py_ssize_t keywords = PyTuple_GET_SIZE(call.kwnames);
    for (Py_ssize_t k = 0; k < keywords; ++k) {
      PyObject* name = PyTuple_GET_ITEM(call.kwnames, k);
      if (!PyUnicode_Check(name)) {
        return CallError::type_error(keywords_must_be_strings_message(parameters.function));
      }
      Py_ssize_t size = 0;
      const char* data = PyUnicode_AsUTF8AndSize(name, &size);
      if (data == nullptr) {
        // A name with a lone surrogate matches no parameter.
        PyErr_Clear();
        return CallError::type_error(
            unexpected_keyword_message(parameters.function, utf8_lossy(name)));
      }
      const std::string_view keyword(data, static_cast<size_t>(size));
      size_t p = 0;
      while (p < parameters.count && parameters.names[p] != keyword) ++p;
      if (p == parameters.count) {
        return CallError::type_error(unexpected_keyword_message(parameters.function, keyword));
      }
      if (slots[p] != nullptr) {
        return CallError::type_error(
            multiple_values_message(parameters.function, parameters.names[p]));
      }
      slots[p] = call.args[call.nargs + k];
    }
  }

  size_t missing = 0;
  for (size_t i = 0; i < parameters.required; ++i) missing += slots[i] == nullptr ? 1 : 0;
  if (missing > 0) {
    std::string message = missing_required_message(parameters.function, missing);
    size_t listed = 0;
    for (size_t i = 0; i < parameters.required; ++i) {
      if (slots[i] == nullptr) append_missing_name(message, parameters.names[i], listed++, missing);
    }
    return CallError::type_error(std::move(message));
  }
  return std::nullopt;
}

}  // namespace zuv::module

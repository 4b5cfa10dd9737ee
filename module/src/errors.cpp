#include "errors.h"

#include "messages.h"
#include "state.h"

namespace zuv::module {

RaisedException RaisedException::fetch() noexcept {
#if PY_VERSION_HEX >= 0x030C0000
  return RaisedException(PyRef::steal(PyErr_GetRaisedException()));
#else
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  if (traceback != nullptr && value != nullptr) PyException_SetTraceback(value, traceback);
  Py_XDECREF(type);
  Py_XDECREF(traceback);
  return RaisedException(PyRef::steal(value));
#endif
}

void RaisedException::restore() && noexcept {
#if PY_VERSION_HEX >= 0x030C0000
  PyErr_SetRaisedException(value_.release());
#else
  PyObject* value = value_.release();
  PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(value));
  Py_INCREF(type);
  PyErr_Restore(type, value, PyException_GetTraceback(value));
#endif
}

bool CallError::is_exact_type_error() const noexcept {
  if (const auto* lazy = std::get_if<Lazy>(&v_)) return lazy->type == PyExc_TypeError;
  if (const auto* raised = std::get_if<RaisedException>(&v_)) {
    return reinterpret_cast<PyObject*>(raised->type()) == PyExc_TypeError;
  }
  return false;
}

std::string CallError::message() const {
  if (const auto* lazy = std::get_if<Lazy>(&v_)) return lazy->message;
  if (const auto* raised = std::get_if<RaisedException>(&v_)) {
    PyRef text = PyRef::steal(PyObject_Str(raised->value()));
    if (!text) {
      PyErr_Clear();
      return std::string(kExceptionStrFailed);
    }
    return utf8_lossy(text.get());
  }
  return {};
}

PyRef CallError::cause() const noexcept {
  if (const auto* raised = std::get_if<RaisedException>(&v_)) {
    return PyRef::steal(PyException_GetCause(raised->value()));
  }
  return PyRef();
}

void CallError::raise() && noexcept {
  if (auto* lazy = std::get_if<Lazy>(&v_)) {
    // Messages may quote the caller's text; "replace" keeps a stray byte from turning the
    // error into a different one.
    PyRef text = PyRef::steal(PyUnicode_DecodeUTF8(
        lazy->message.data(), static_cast<Py_ssize_t>(lazy->message.size()), "replace"));
    if (text) PyErr_SetObject(lazy->type, text.get());
    return;
  }
  std::move(std::get<RaisedException>(v_)).restore();
}

bool pending_exception_passes() noexcept {
  return !PyErr_ExceptionMatches(PyExc_Exception) || PyErr_ExceptionMatches(PyExc_MemoryError);
}

CallError value_error_from_message(std::string message) {
  return CallError::lazy(PyExc_ValueError, std::move(message));
}

std::string utf8_lossy(PyObject* str) {
  Py_ssize_t size = 0;
  if (const char* data = PyUnicode_AsUTF8AndSize(str, &size)) {
    return std::string(data, static_cast<size_t>(size));
  }
  PyErr_Clear();
  PyRef bytes = PyRef::steal(PyUnicode_AsEncodedString(str, "utf-8", "replace"));
  if (!bytes) {
    PyErr_Clear();
    return {};
  }
  return std::string(PyBytes_AS_STRING(bytes.get()),
                     static_cast<size_t>(PyBytes_GET_SIZE(bytes.get())));
}

bool type_qualname(PyTypeObject* type, std::string& out) {
  PyRef name = PyRef::steal(PyType_GetQualName(type));
  if (!name || !PyUnicode_Check(name.get())) {
    PyErr_Clear();
    return false;
  }
  out = utf8_lossy(name.get());
  return true;
}

std::string describe_exception(const RaisedException& e) {
  std::string out;
  if (!type_qualname(e.type(), out)) out = kUnknownTypeName;
  out += ": ";
  PyRef text = PyRef::steal(PyObject_Str(e.value()));
  if (!text) {
    PyErr_Clear();
    out += kExceptionStrFailed;
  } else {
    out += utf8_lossy(text.get());
  }
  return out;
}

void raise_panic(ModuleState* state, std::string_view message) noexcept {
  PyRef made;
  PyObject* type = state != nullptr ? state->panic_type : nullptr;
  if (type == nullptr) {
    made = PyRef::steal(PyErr_NewExceptionWithDoc(kPanicExceptionName, kPanicExceptionDoc,
                                                  PyExc_BaseException, nullptr));
    if (!made) return;  // the failure to make the type is the exception set
    type = made.get();
    if (state != nullptr) state->panic_type = made.release();
  }
  PyRef text = PyRef::steal(
      PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
  if (text) PyErr_SetObject(type, text.get());
}

}  // namespace zuv::module

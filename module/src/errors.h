#pragma once
// Failures at the Python boundary.
//
// A function body never sets the interpreter's error indicator itself and never lets a C++
// exception out: it returns a `Result`, whose error is a `CallError`. The call wrapper sets that
// error as the current exception once the body has returned and released everything it held.
//
// A `CallError` is one of two things:
// - lazy: an exception type and an owned message, for the errors the module makes itself. The
//   exception object is only built when the error is raised, so a failure that is caught inside
//   the module (or renamed, see arguments.h) costs no Python object.
// - raised: an exception that the interpreter raised during the call (a protocol method of the
//   caller's object failed, a str could not be encoded), taken out of the error indicator and
//   owned until it is raised again unchanged.
//
// The panic exception is the one exception type that stands for a fault of the module itself:
// the call wrapper raises it for every C++ exception and broken invariant that reaches it. Its
// qualified name is `pyo3_runtime.PanicException` and it derives from BaseException, so
// `except Exception` does not swallow it. The type is made on first use and kept in the state of
// the module (state.h).

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "py_ref.h"

namespace zuv::module {

// An exception taken out of the interpreter's error indicator: the normalised exception object,
// its traceback attached.
class RaisedException {
 public:
  // Takes the pending exception; the indicator must be set.
  static RaisedException fetch() noexcept;
  // Takes over an exception object that was made but not raised.
  static RaisedException adopt(PyRef exception) noexcept {
    return RaisedException(std::move(exception));
  }

  PyObject* value() const noexcept { return value_.get(); }
  PyTypeObject* type() const noexcept { return Py_TYPE(value_.get()); }
  // Sets it back as the current exception.
  void restore() && noexcept;

 private:
  explicit RaisedException(PyRef value) noexcept : value_(std::move(value)) {}
  PyRef value_;
};

class CallError {
 public:
  // `type` is one of the interpreter's static exception types (PyExc_ValueError, ...).
  static CallError lazy(PyObject* type, std::string message) {
    return CallError(Lazy{type, std::move(message)});
  }
  static CallError type_error(std::string message) {
    return lazy(PyExc_TypeError, std::move(message));
  }
  // The interpreter's pending exception; its error indicator must be set.
  static CallError pending() noexcept { return CallError(RaisedException::fetch()); }
  static CallError raised(RaisedException e) noexcept { return CallError(std::move(e)); }

  // Whether the exception's type is TypeError itself, not a subclass.
  bool is_exact_type_error() const noexcept;
  // The exception's message: the lazy text, or the str() of a raised exception.
  std::string message() const;
  // The `__cause__` of a raised exception (a new reference), empty for a lazy one.
  PyRef cause() const noexcept;

  // Sets this error as the interpreter's current exception.
  void raise() && noexcept;

 private:
  struct Lazy {
    PyObject* type;
    std::string message;
  };
  using Storage = std::variant<Lazy, RaisedException>;
  explicit CallError(Storage s) noexcept : v_(std::move(s)) {}
  Storage v_;
};

// Whether the pending exception must reach the caller unchanged wherever the module would
// otherwise drop it or fold it into a message of its own: MemoryError, and every exception that
// is no Exception (KeyboardInterrupt, SystemExit, GeneratorExit, ...), so that an interrupt
// raised in the caller's code still stops the program.
bool pending_exception_passes() noexcept;

// A value or the error that took its place.
template <class T, class E>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : v_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  Expected(E error) : v_(std::in_place_index<1>, std::move(error)) {}  // NOLINT: implicit

  bool has_value() const noexcept { return v_.index() == 0; }
  explicit operator bool() const noexcept { return has_value(); }
  T& operator*() & { return std::get<0>(v_); }
  const T& operator*() const& { return std::get<0>(v_); }
  T&& operator*() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &std::get<0>(v_); }
  const T* operator->() const { return &std::get<0>(v_); }
  E& error() & { return std::get<1>(v_); }
  E&& error() && { return std::get<1>(std::move(v_)); }

 private:
  std::variant<T, E> v_;
};

template <class T>
using Result = Expected<T, CallError>;
// What a function body returns: its Python result (a new reference) or its error.
using CallResult = Result<PyRef>;

// The result of an API call that returns a new reference: the object, or the exception it set.
inline CallResult new_object(PyObject* object) noexcept {
  if (object == nullptr) return CallError::pending();
  return PyRef::steal(object);
}

// The lazy ValueError whose only argument is `message`.
CallError value_error_from_message(std::string message);

// "{type's qualified name}: {str(exception)}", the form in which a Python exception met inside
// a conversion becomes part of a ValueError's message.
std::string describe_exception(const RaisedException& e);

// The text of a str object as UTF-8; text that has no UTF-8 form (lone surrogates) is replaced.
std::string utf8_lossy(PyObject* str);

// The qualified name of a type (`__qualname__`), or nothing when it cannot be read.
bool type_qualname(PyTypeObject* type, std::string& out);

// A broken invariant of the module: unwinds to the call wrapper, which raises it as the panic
// exception. For states that cannot happen, never for faults of the caller's data.
class InternalFault : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};
[[noreturn]] inline void internal_fault(const char* what) { throw InternalFault(what); }

struct ModuleState;

// Sets the panic exception, with `message`, as the current exception. Its type is the one
// kept in `state`, made there on first use; without a state (a module that was never made), a
// type made for this one exception.
void raise_panic(ModuleState* state, std::string_view message) noexcept;

}  // namespace zuv::module

#pragma once
// `PyRef`: the one owner of a `PyObject*` reference in this module.
//
// A PyRef holds at most one strong reference and gives it back when it is destroyed, so every
// path out of a function (a failure included) releases what it made. It is move-only: copying a
// reference is spelled `PyRef::borrow(p.get())`, which makes the extra reference visible.
//
// - `steal(p)` takes over a new reference, the result of nearly every API call that returns an
//   object (a null `p` gives an empty PyRef, so `if (!ref)` tests the call's failure).
// - `borrow(p)` adds a reference to a borrowed pointer (`PyList_GET_ITEM`, `PyDict_Next`,
//   arguments of a call) for as long as the PyRef lives.
// - `release()` hands the reference on to an API call that steals it (`PyList_SET_ITEM`,
//   `PyTuple_SET_ITEM`) or to the interpreter as a function's result.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <utility>

namespace zuv::module {

class PyRef {
 public:
  PyRef() noexcept = default;
  PyRef(const PyRef&) = delete;
  PyRef& operator=(const PyRef&) = delete;
  PyRef(PyRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  PyRef& operator=(PyRef&& other) noexcept {
    if (this != &other) {
      PyObject* old = std::exchange(p_, std::exchange(other.p_, nullptr));
      Py_XDECREF(old);  // last: releasing may run code that reads this owner
    }
    return *this;
  }
  ~PyRef() { Py_XDECREF(p_); }

  [[nodiscard]] static PyRef steal(PyObject* p) noexcept { return PyRef(p); }
  [[nodiscard]] static PyRef borrow(PyObject* p) noexcept {
    Py_XINCREF(p);
    return PyRef(p);
  }

  PyObject* get() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  [[nodiscard]] PyObject* release() noexcept { return std::exchange(p_, nullptr); }
  void reset() noexcept { Py_XDECREF(std::exchange(p_, nullptr)); }

 private:
  explicit PyRef(PyObject* p) noexcept : p_(p) {}
  PyObject* p_ = nullptr;
};

}  // namespace zuv::module

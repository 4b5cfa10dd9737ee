#pragma once
// The call wrapper every module function runs in.
//
// The interpreter calls an entry function (`fastcall_entry<body>`, `noargs_entry<body>`) with
// the module object the function belongs to, which hands the body and the module's state
// (state.h) to `module_function_trampoline`. The body returns a `CallResult`; the wrapper
// returns its object or sets its error, and turns every C++ exception that reaches it into the
// panic exception (std::bad_alloc into MemoryError), so nothing unwinds into the interpreter.
// Everything the body held is released before its error is set. On entry it also takes the
// calling thread's stack bounds for the stack checks of the deep recursions (zuv/stack.h).
//
// Registering a function is one line of the method table:
//
//     {"parse", as_method(fastcall_entry<py_parse>), METH_FASTCALL | METH_KEYWORDS, kParseDoc},

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "arguments.h"
#include "errors.h"
#include "state.h"

namespace zuv::module {

using Body = CallResult (*)(ModuleState& state, const CallArguments& call);
using NoArgumentsBody = CallResult (*)();

PyObject* module_function_trampoline(Body body, PyObject* module,
                                     const CallArguments& call) noexcept;
PyObject* module_function_trampoline(NoArgumentsBody body, PyObject* module) noexcept;
// The same steps around the module's execution slot: 0, or -1 with the exception set.
int module_exec_trampoline(Result<bool> (*step)(PyObject* module), PyObject* module) noexcept;

// Whether the calling thread is inside a module call (and so holds the interpreter lock).
bool inside_module_call() noexcept;

// Counts, for the calling thread, the module calls it is inside of.
class ModuleCallScope {
 public:
  ModuleCallScope() noexcept;
  ~ModuleCallScope();
  ModuleCallScope(const ModuleCallScope&) = delete;
  ModuleCallScope& operator=(const ModuleCallScope&) = delete;
};

template <Body body>
PyObject* fastcall_entry(PyObject* module, PyObject* const* args, Py_ssize_t nargs,
                         PyObject* kwnames) noexcept {
  return module_function_trampoline(body, module,
                                    CallArguments{args, PyVectorcall_NARGS(nargs), kwnames});
}

template <NoArgumentsBody body>
PyObject* noargs_entry(PyObject* module, PyObject* /*unused*/) noexcept {
  return module_function_trampoline(body, module);
}

// The method table stores every entry function as a PyCFunction; the flags tell the interpreter
// the real signature.
template <class F>
PyCFunction as_method(F* f) noexcept {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f));
}

}  // namespace zuv::module

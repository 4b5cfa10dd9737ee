#include "trampoline.h"

#include <exception>
#include <new>

#include "messages.h"
#include "zuv/stack.h"

namespace zuv::module {

namespace {

thread_local unsigned module_call_depth = 0;

// Raises what a body that unwound left behind.
void raise_current_exception(ModuleState* state) noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& e) {
    const char* what = e.what();
    raise_panic(state,
                what != nullptr && *what != '\0' ? std::string_view(what) : kPanicWithoutMessage);
  } catch (...) {
    raise_panic(state, kPanicWithoutMessage);
  }
}

PyObject* finish(ModuleState* state, CallResult result) noexcept {
  if (!result) {
    std::move(result).error().raise();
    return nullptr;
  }
  PyRef object = std::move(*result);
  // A body that returns an object must return one, and must not leave an exception pending.
  if (!object || PyErr_Occurred() != nullptr) {
    PyErr_Clear();
    raise_panic(state, !object ? "a module function returned no object"
                               : "a module function returned with an exception set");
    return nullptr;
  }
  return object.release();
}

// The state of the module a function is called on, or null with the exception set. A function
// bound to anything else is a fault of the module; a state the collector has cleared (a call
// from a finaliser while the module's cycle is collected) is made again.
ModuleState* entry_state(PyObject* module) noexcept {
  ModuleState* state = module_state(module);
  if (state == nullptr) {
    raise_panic(nullptr, "a module function was called without its module");
    return nullptr;
  }
  if (state->fixed_keys[0] == nullptr && !init_module_state(*state)) return nullptr;
  return state;
}

}  // namespace

ModuleCallScope::ModuleCallScope() noexcept {
  ++module_call_depth;
  enter_stack();
}
ModuleCallScope::~ModuleCallScope() { --module_call_depth; }

bool inside_module_call() noexcept { return module_call_depth > 0; }

PyObject* module_function_trampoline(Body body, PyObject* module,
                                     const CallArguments& call) noexcept {
  ModuleCallScope scope;
  ModuleState* state = entry_state(module);
  if (state == nullptr) return nullptr;
  try {
    return finish(state, body(*state, call));
  } catch (...) {
    raise_current_exception(state);
    return nullptr;
  }
}

PyObject* module_function_trampoline(NoArgumentsBody body, PyObject* module) noexcept {
  ModuleCallScope scope;
  ModuleState* state = entry_state(module);
  if (state == nullptr) return nullptr;
  try {
    return finish(state, body());
  } catch (...) {
    raise_current_exception(state);
    return nullptr;
  }
}

int module_exec_trampoline(Result<bool> (*step)(PyObject* module), PyObject* module) noexcept {
  ModuleCallScope scope;
  ModuleState* state = module_state(module);
  try {
    Result<bool> result = step(module);
    if (result) return 0;
    std::move(result).error().raise();
    return -1;
  } catch (...) {
    raise_current_exception(state);
    return -1;
  }
}

}  // namespace zuv::module

#include "trampoline.h"

#include <exception>
#include <new>

#include "messages.h"

namespace zuv::module {

namespace {

thread_local unsigned module_call_depth = 0;

// Raises what a body that unwound left behind.
void raise_current_exception() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& e) {
    const char* what = e.what();
    raise_panic(what != nullptr && *what != '\0' ? std::string_view(what) : kPanicWithoutMessage);
  } catch (...) {
    raise_panic(kPanicWithoutMessage);
  }
}

PyObject* finish(CallResult result) noexcept {
  if (!result) {
    std::move(result).error().raise();
    return nullptr;
  }
  PyRef object = std::move(*result);
  // A body that returns an object must return one, and must not leave an exception pending.
  if (!object || PyErr_Occurred() != nullptr) {
    PyErr_Clear();
    raise_panic(!object ? "a module function returned no object"
                        : "a module function returned with an exception set");
    return nullptr;
  }
  return object.release();
}

}  // namespace

ModuleCallScope::ModuleCallScope() noexcept { ++module_call_depth; }
ModuleCallScope::~ModuleCallScope() { --module_call_depth; }

bool inside_module_call() noexcept { return module_call_depth > 0; }

PyObject* module_function_trampoline(Body body, const CallArguments& call) noexcept {
  ModuleCallScope scope;
  try {
    return finish(body(call));
  } catch (...) {
    raise_current_exception();
    return nullptr;
  }
}

PyObject* module_function_trampoline(NoArgumentsBody body) noexcept {
  ModuleCallScope scope;
  try {
    return finish(body());
  } catch (...) {
    raise_current_exception();
    return nullptr;
  }
}

int module_exec_trampoline(Result<bool> (*step)(PyObject* module), PyObject* module) noexcept {
  ModuleCallScope scope;
  try {
    Result<bool> result = step(module);
    if (result) return 0;
    std::move(result).error().raise();
    return -1;
  } catch (...) {
    raise_current_exception();
    return -1;
  }
}

}  // namespace zuv::module

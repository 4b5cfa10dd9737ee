#pragma once
// The Python objects the boundary keeps, held per module object.
//
// Every object a call needs beyond its arguments lives here, in the state of the module object
// the function is called on: nothing is kept for the process, so each interpreter, main or sub,
// sees only objects of its own, and destroying one leaves the others intact. The entry functions
// find the state through their module (trampoline.h) and hand it to the body.
//
// - The fixed keys: one interned str per `Key`, made when the module is executed, with a table
//   from their addresses back to the key for reading dicts that `parse` returned.
// - `collections.abc.Sequence` and `Mapping` and the two attribute names of the data-class
//   test, looked up on the first conversion that needs them.
// - The panic exception type, made on first use.
//
// A module definition that uses it takes its slots from `state_module_slots`, sets `m_size` to
// `sizeof(ModuleState)` and the three hooks below, and calls `init_module_state` in its
// execution slot.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdint>
#include <optional>

#include "zuv/json.h"

namespace zuv::module {

struct ModuleState {
  PyObject* fixed_keys[kKeyCount];
  // Open addressing over the fixed keys' addresses; a slot holds a key's index plus one, 0 when
  // empty.
  static constexpr size_t kKeyObjectSlots = 256;
  PyObject* key_objects[kKeyObjectSlots];
  uint8_t key_object_indexes[kKeyObjectSlots];

  PyObject* sequence_abc;
  PyObject* mapping_abc;
  PyObject* dataclass_fields_name;
  PyObject* dict_name;

  PyObject* panic_type;

  // The fixed key whose str is this very object.
  std::optional<Key> fixed_key_of(const PyObject* object) const noexcept;
};

// The state of a module whose definition holds one; null for any other object.
ModuleState* module_state(PyObject* module) noexcept;

// Makes the fixed keys; false with an exception set when they cannot be made.
bool init_module_state(ModuleState& state) noexcept;
// Loads the classes and names of the protocol tests unless loaded; false with an exception set.
bool load_protocol_objects(ModuleState& state) noexcept;

int module_state_traverse(PyObject* module, visitproc visit, void* arg);
int module_state_clear(PyObject* module);
void module_state_free(void* module);

// The slots of a module definition with this state: `exec`, and on 3.12 on the claim that every
// interpreter may have its own lock, which holds since no object is kept outside the state and
// the libraries below keep no mutable data.
template <int (*exec)(PyObject*)>
PyModuleDef_Slot* state_module_slots() {
  static PyModuleDef_Slot slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(exec)},
#if PY_VERSION_HEX >= 0x030C0000
    {Py_mod_multiple_interpreters, Py_MOD_PER_INTERPRETER_GIL_SUPPORTED},
#endif
    {0, nullptr},
  };
  return slots;
}

}  // namespace zuv::module

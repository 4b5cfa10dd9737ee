#include "state.h"

#include "py_ref.h"

namespace zuv::module {

namespace {

size_t key_object_slot(const PyObject* object) noexcept {
  return static_cast<size_t>((reinterpret_cast<uintptr_t>(object) * 0x9E3779B97F4A7C15ULL) >> 56);
}

// Every object of the state, for the three hooks.
template <class F>
void for_each_object(ModuleState& state, F f) {
  for (PyObject*& key : state.fixed_keys) f(key);
  f(state.sequence_abc);
  f(state.mapping_abc);
  f(state.dataclass_fields_name);
  f(state.dict_name);
  f(state.panic_type);
}

}  // namespace

std::optional<Key> ModuleState::fixed_key_of(const PyObject* object) const noexcept {
  for (size_t slot = key_object_slot(object); key_objects[slot] != nullptr;
       slot = (slot + 1) % kKeyObjectSlots) {
    if (key_objects[slot] == object) return static_cast<Key>(key_object_indexes[slot] - 1);
  }
  return std::nullopt;
}

ModuleState* module_state(PyObject* module) noexcept {
  if (module == nullptr || !PyModule_Check(module)) return nullptr;
  return static_cast<ModuleState*>(PyModule_GetState(module));
}

bool init_module_state(ModuleState& state) noexcept {
  for (size_t i = 0; i < kKeyCount; ++i) {
    if (state.fixed_keys[i] != nullptr) continue;
    PyObject* text = PyUnicode_FromStringAndSize(kKeyTexts[i].data(),
                                                 static_cast<Py_ssize_t>(kKeyTexts[i].size()));
    if (text == nullptr) return false;
    PyUnicode_InternInPlace(&text);
    state.fixed_keys[i] = text;
    size_t slot = key_object_slot(text);
    while (state.key_objects[slot] != nullptr) slot = (slot + 1) % ModuleState::kKeyObjectSlots;
    // The table only compares addresses: the reference is the one `fixed_keys` holds.
    state.key_objects[slot] = text;
    state.key_object_indexes[slot] = static_cast<uint8_t>(i + 1);
  }
  return true;
}

bool load_protocol_objects(ModuleState& state) noexcept {
  if (state.dict_name != nullptr) return true;
  PyRef abc = PyRef::steal(PyImport_ImportModule("collections.abc"));
  if (!abc) return false;
  PyRef sequence = PyRef::steal(PyObject_GetAttrString(abc.get(), "Sequence"));
  if (!sequence) return false;
  PyRef mapping = PyRef::steal(PyObject_GetAttrString(abc.get(), "Mapping"));
  if (!mapping) return false;
  PyRef fields = PyRef::steal(PyUnicode_InternFromString("__dataclass_fields__"));
  if (!fields) return false;
  PyRef dict = PyRef::steal(PyUnicode_InternFromString("__dict__"));
  if (!dict) return false;
  state.sequence_abc = sequence.release();
  state.mapping_abc = mapping.release();
  state.dataclass_fields_name = fields.release();
  state.dict_name = dict.release();
  return true;
}

int module_state_traverse(PyObject* module, visitproc visit, void* arg) {
  ModuleState* state = module_state(module);
  if (state == nullptr) return 0;
  int result = 0;
  for_each_object(*state, [&](PyObject*& object) {
    if (result == 0 && object != nullptr) result = visit(object, arg);
  });
  return result;
}

int module_state_clear(PyObject* module) {
  ModuleState* state = module_state(module);
  if (state == nullptr) return 0;
  for_each_object(*state, [](PyObject*& object) { Py_CLEAR(object); });
  for (PyObject*& slot : state->key_objects) slot = nullptr;
  return 0;
}

void module_state_free(void* module) { module_state_clear(static_cast<PyObject*>(module)); }

}  // namespace zuv::module

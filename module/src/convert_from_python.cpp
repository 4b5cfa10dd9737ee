// Python objects to JSON value trees: the `ast` and `schema` arguments.
#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "convert.h"
#include "messages.h"
#include "zuv/limits.h"
#include "zuv/stack.h"

namespace zuv::module {

namespace {

std::string qualname_or_unknown(PyTypeObject* type) {
  std::string name;
  if (!type_qualname(type, name)) name = kUnknownTypeName;
  return name;
}

int long_as_16_bytes(PyObject* number, unsigned char (&bytes)[16], bool is_signed) noexcept {
  auto* value = reinterpret_cast<PyLongObject*>(number);
#if PY_VERSION_HEX >= 0x030D0000
  return _PyLong_AsByteArray(value, bytes, sizeof bytes, 1, is_signed ? 1 : 0, 1);
#else
  return _PyLong_AsByteArray(value, bytes, sizeof bytes, 1, is_signed ? 1 : 0);
#endif
}

// Whether an int outside the 64-bit ranges still fits 128 bits, unsigned or signed; when it
// does not, the interpreter's OverflowError is left pending.
bool fits_128_bits(PyObject* number, bool positive) noexcept {
  unsigned char bytes[16];
  if (positive) {
    if (long_as_16_bytes(number, bytes, false) == 0) return true;
    PyErr_Clear();
  }
  return long_as_16_bytes(number, bytes, true) == 0;
}

// The containers enclosing the object being read, innermost first; lives on the stack.
struct Frame {
  PyObject* object;
  const Frame* parent;
};

// Builds the value tree in one arena. The items and members of the containers being read wait
// on two stacks shared by all levels (a container's own stand above its ancestors' and below
// its descendants', which are gone by the time it resumes) and move into the arena when the
// container is complete, so a container costs no allocation of its own.
class ValueReader {
 public:
  ValueReader(ModuleState& state, JsonArena& arena) : state_(state), arena_(arena) {}
  bool read(PyObject* object, JsonValue& out, const Frame* parent, size_t depth);
  ConversionError error;

 private:
  // Everything but `read` stays out of line: `read` only dispatches, in tail calls, so a level
  // of nesting costs one container reader's frame and no more.
  [[gnu::noinline]] bool fail(std::string_view message) {
    error = ConversionError{std::string(message)};
    return false;
  }
  [[gnu::noinline]] bool fail_pending() {
    error = pending_conversion_error();
    return false;
  }
  // Past the nesting limit, or past what the thread's stack holds.
  bool past_limit(size_t depth) const {
    return depth >= kMaxValueDepth || stack_is_short(stack_limit_);
  }
  [[gnu::noinline]] bool too_deep(PyObject* object, const Frame* parent);

  [[gnu::noinline]] static bool read_null(JsonValue& out);
  [[gnu::noinline]] static bool read_bool(PyObject* boolean, JsonValue& out);
  [[gnu::noinline]] static bool read_float(PyObject* number, JsonValue& out);
  [[gnu::noinline]] bool read_int(PyObject* number, JsonValue& out);
  [[gnu::noinline]] bool read_str(PyObject* text, JsonValue& out);
  [[gnu::noinline]] bool read_key(PyObject* key, JsonKey& out);
  [[gnu::noinline]] bool read_bytearray(PyObject* object);
  [[gnu::noinline]] bool read_items(PyObject* list_or_tuple, JsonValue& out, const Frame* parent,
                                    size_t depth);
  [[gnu::noinline]] bool read_dict(PyObject* dict, JsonValue& out, const Frame* parent,
                                   size_t depth);
  [[gnu::noinline]] bool read_set(PyObject* set, JsonValue& out, const Frame* parent, size_t depth);
  [[gnu::noinline]] bool read_sequence(PyObject* sequence, JsonValue& out, const Frame* parent,
                                       size_t depth);
  [[gnu::noinline]] bool read_mapping(PyObject* mapping, JsonValue& out, const Frame* parent,
                                      size_t depth);
  [[gnu::noinline]] bool read_dataclass(PyObject* object, PyObject* fields, JsonValue& out,
                                        const Frame* parent, size_t depth);
  [[gnu::noinline]] bool read_protocols(PyObject* object, JsonValue& out, const Frame* parent,
                                        size_t depth);

  // Reads one item onto the item stack.
  [[gnu::noinline]] bool push_item(PyObject* item, const Frame* frame, size_t depth);
  // Reads the value of a member whose key is read onto the member stack.
  [[gnu::noinline]] bool push_member(JsonKey key, PyObject* item, const Frame* frame, size_t depth);
  // The items, or the members, from `base` up as the finished container.
  [[gnu::noinline]] void pop_array(size_t base, JsonValue& out);
  [[gnu::noinline]] void pop_object(size_t base, JsonValue& out);

  ModuleState& state_;
  const uintptr_t stack_limit_ = stack_limit();
  JsonArena& arena_;
  std::vector<JsonValue> items_;
  std::vector<JsonMember> members_;
};

bool ValueReader::push_item(PyObject* item, const Frame* frame, size_t depth) {
  JsonValue value;
  if (!read(item, value, frame, depth)) return false;
  items_.push_back(std::move(value));
  return true;
}

bool ValueReader::push_member(JsonKey key, PyObject* item, const Frame* frame, size_t depth) {
  JsonValue value;
  if (!read(item, value, frame, depth)) return false;
  members_.push_back(JsonMember{std::move(key), std::move(value)});
  return true;
}

void ValueReader::pop_array(size_t base, JsonValue& out) {
  const size_t n = items_.size() - base;
  JsonValue* items = arena_.new_items(n);
  std::move(items_.begin() + static_cast<std::ptrdiff_t>(base), items_.end(), items);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(base), items_.end());
  out = JsonArena::array(items, n);
}

// Sorted keys, a later duplicate replacing an earlier one: the order and rule of JsonObject,
// without the quadratic cost of inserting one key at a time.
void ValueReader::pop_object(size_t base, JsonValue& out) {
  const auto first = members_.begin() + static_cast<std::ptrdiff_t>(base);
  auto less = [](const JsonMember& a, const JsonMember& b) { return a.key < b.key; };
  if (!std::is_sorted(first, members_.end(), less)) std::stable_sort(first, members_.end(), less);
  // A dict changed while it was read may have handed out a key twice.
  size_t kept = 0;
  for (auto it = first; it != members_.end(); ++it) {
    if (kept != 0 && it->key.text() == first[kept - 1].key.text()) {
      first[kept - 1].value = std::move(it->value);
    } else {
      if (first + kept != it) first[kept] = std::move(*it);
      ++kept;
    }
  }
  JsonMember* members = arena_.new_members(kept);
  for (size_t i = 0; i < kept; ++i) new (members + i) JsonMember{std::move(first[i])};
  members_.erase(first, members_.end());
  out = JsonArena::object(members, kept);
}

bool ValueReader::too_deep(PyObject* object, const Frame* parent) {
  // Reached only at the limit: a cycle always gets here, since reading it never ends, so the
  // normal path pays nothing for telling a cycle from deep nesting.
  std::vector<PyObject*> path{object};
  for (const Frame* f = parent; f != nullptr; f = f->parent) path.push_back(f->object);
  std::sort(path.begin(), path.end());
  const bool cycle = std::adjacent_find(path.begin(), path.end()) != path.end();
  return fail(cycle ? kCircularReference : kNestingTooDeep);
}

bool ValueReader::read(PyObject* object, JsonValue& out, const Frame* parent, size_t depth) {
  PyTypeObject* type = Py_TYPE(object);
  // Exact types first: everything a tree dict holds is decided here, without a subclass or
  // protocol check. Each exact type is decided as the ordered tests below would decide it.
  if (type == &PyUnicode_Type) return read_str(object, out);
  if (type == &PyDict_Type) return read_dict(object, out, parent, depth);
  if (type == &PyLong_Type) return read_int(object, out);
  if (type == &PyList_Type || type == &PyTuple_Type) {
    return read_items(object, out, parent, depth);
  }
  if (object == Py_None) return read_null(out);
  if (type == &PyBool_Type) return read_bool(object, out);
  if (type == &PyFloat_Type) return read_float(object, out);

  // Subclasses and the other types, in order.
  if (PyLong_Check(object)) return read_int(object, out);
  if (PyList_Check(object) || PyTuple_Check(object)) {
    return read_items(object, out, parent, depth);
  }
  if (PyDict_Check(object)) return read_dict(object, out, parent, depth);
  if (PyUnicode_Check(object)) return read_str(object, out);
  if (PyBytes_Check(object)) return fail(kBytesUnsupported);
  if (PyByteArray_Check(object)) return read_bytearray(object);
  if (PyFloat_Check(object)) return read_float(object, out);
  if (PyAnySet_Check(object)) return read_set(object, out, parent, depth);
  return read_protocols(object, out, parent, depth);
}

bool ValueReader::read_null(JsonValue& out) {
  out = JsonValue();
  return true;
}

bool ValueReader::read_bool(PyObject* boolean, JsonValue& out) {
  out = JsonValue::make_bool(boolean == Py_True);
  return true;
}

bool ValueReader::read_float(PyObject* number, JsonValue& out) {
  out = JsonValue::make_f64(PyFloat_AS_DOUBLE(number));
  return true;
}

bool ValueReader::read_bytearray(PyObject* object) {
  return fail(unexpected_type_message(qualname_or_unknown(Py_TYPE(object)), "bytes"));
}

bool ValueReader::read_protocols(PyObject* object, JsonValue& out, const Frame* parent,
                                 size_t depth) {
  if (!load_protocol_objects(state_)) return fail_pending();
  int is = PyObject_IsInstance(object, state_.sequence_abc);
  if (is < 0) return fail_pending();
  if (is > 0) return read_sequence(object, out, parent, depth);
  is = PyObject_IsInstance(object, state_.mapping_abc);
  if (is < 0) return fail_pending();
  if (is > 0) return read_mapping(object, out, parent, depth);

  PyRef fields = PyRef::steal(PyObject_GetAttr(object, state_.dataclass_fields_name));
  if (fields) return read_dataclass(object, fields.get(), out, parent, depth);
  if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return fail_pending();
  PyErr_Clear();
  return fail(unsupported_type_message(qualname_or_unknown(Py_TYPE(object))));
}

bool ValueReader::read_int(PyObject* number, JsonValue& out) {
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(number, &overflow);
  if (overflow == 0) {
    if (value == -1 && PyErr_Occurred() != nullptr) return fail_pending();
    out = JsonValue::make_i64(value);
    return true;
  }
  if (overflow > 0) {
    const unsigned long long u = PyLong_AsUnsignedLongLong(number);
    if (u != static_cast<unsigned long long>(-1) || PyErr_Occurred() == nullptr) {
      out = JsonValue::make_u64(u);
      return true;
    }
    PyErr_Clear();
  }
  if (fits_128_bits(number, overflow > 0)) return fail(kNumberOutOfRange);
  return fail_pending();
}

bool ValueReader::read_str(PyObject* text, JsonValue& out) {
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(text, &size);
  if (data == nullptr) return fail_pending();
  out = arena_.string({data, static_cast<size_t>(size)});
  return true;
}

bool ValueReader::read_key(PyObject* key, JsonKey& out) {
  if (std::optional<Key> known = state_.fixed_key_of(key)) {
    out = JsonKey(*known);
    return true;
  }
  if (!PyUnicode_Check(key)) return fail(kDictKeyNotStr);
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(key, &size);
  if (data == nullptr) return fail_pending();
  const std::string_view text(data, static_cast<size_t>(size));
  // A tree dict's keys are nearly all fixed ones, which cost no allocation.
  if (std::optional<Key> known = key_from_text(text)) {
    out = JsonKey(*known);
  } else {
    out = arena_.key(text);
  }
  return true;
}

bool ValueReader::read_items(PyObject* list_or_tuple, JsonValue& out, const Frame* parent,
                             size_t depth) {
  if (past_limit(depth)) return too_deep(list_or_tuple, parent);
  const Frame frame{list_or_tuple, parent};
  const bool is_list = PyList_Check(list_or_tuple);
  // A list may shrink while its items are read (the caller's code runs for some of them), so
  // its size is read again for every item.
  auto size = [&] {
    return is_list ? PyList_GET_SIZE(list_or_tuple) : PyTuple_GET_SIZE(list_or_tuple);
  };
  const size_t base = items_.size();
  for (Py_ssize_t i = 0; i < size(); ++i) {
    PyRef item = PyRef::borrow(is_list ? PyList_GET_ITEM(list_or_tuple, i)
                                       : PyTuple_GET_ITEM(list_or_tuple, i));
    if (!push_item(item.get(), &frame, depth + 1)) return false;
  }
  pop_array(base, out);
  return true;
}

bool ValueReader::read_dict(PyObject* dict, JsonValue& out, const Frame* parent, size_t depth) {
  if (past_limit(depth)) return too_deep(dict, parent);
  const Frame frame{dict, parent};
  const size_t base = members_.size();
  Py_ssize_t pos = 0;
  PyObject* borrowed_key = nullptr;
  PyObject* borrowed_value = nullptr;
  while (PyDict_Next(dict, &pos, &borrowed_key, &borrowed_value)) {
    // Held while the value is read: the caller's code may change the dict meanwhile.
    PyRef key = PyRef::borrow(borrowed_key);
    PyRef item = PyRef::borrow(borrowed_value);
    JsonKey text(Key::type);
    if (!read_key(key.get(), text)) return false;
    if (!push_member(std::move(text), item.get(), &frame, depth + 1)) return false;
  }
  pop_object(base, out);
  return true;
}

bool ValueReader::read_set(PyObject* set, JsonValue& out, const Frame* parent, size_t depth) {
  if (past_limit(depth)) return too_deep(set, parent);
  const Frame frame{set, parent};
  PyRef iterator = PyRef::steal(PyObject_GetIter(set));
  if (!iterator) return fail_pending();
  const size_t base = items_.size();
  while (PyRef item = PyRef::steal(PyIter_Next(iterator.get()))) {
    if (!push_item(item.get(), &frame, depth + 1)) return false;
  }
  if (PyErr_Occurred() != nullptr) return fail_pending();
  pop_array(base, out);
  return true;
}

bool ValueReader::read_sequence(PyObject* sequence, JsonValue& out, const Frame* parent,
                                size_t depth) {
  if (past_limit(depth)) return too_deep(sequence, parent);
  const Frame frame{sequence, parent};
  const Py_ssize_t size = PySequence_Size(sequence);
  if (size < 0) return fail_pending();
  const size_t base = items_.size();
  for (Py_ssize_t i = 0; i < size; ++i) {
    PyRef item = PyRef::steal(PySequence_GetItem(sequence, i));
    if (!item) return fail_pending();
    if (!push_item(item.get(), &frame, depth + 1)) return false;
  }
  pop_array(base, out);
  return true;
}

bool ValueReader::read_mapping(PyObject* mapping, JsonValue& out, const Frame* parent,
                               size_t depth) {
  if (past_limit(depth)) return too_deep(mapping, parent);
  const Frame frame{mapping, parent};
  PyRef keys = PyRef::steal(PyMapping_Keys(mapping));
  if (!keys) return fail_pending();
  const size_t base = members_.size();
  for (Py_ssize_t i = 0; i < PyList_GET_SIZE(keys.get()); ++i) {
    PyRef key = PyRef::borrow(PyList_GET_ITEM(keys.get(), i));
    JsonKey text(Key::type);
    if (!read_key(key.get(), text)) return false;
    PyRef item = PyRef::steal(PyObject_GetItem(mapping, key.get()));
    if (!item) return fail_pending();
    if (!push_member(std::move(text), item.get(), &frame, depth + 1)) return false;
  }
  pop_object(base, out);
  return true;
}

bool ValueReader::read_dataclass(PyObject* object, PyObject* fields, JsonValue& out,
                                 const Frame* parent, size_t depth) {
  if (past_limit(depth)) return too_deep(object, parent);
  const Frame frame{object, parent};
  if (!PyDict_Check(fields)) {
    return fail(unexpected_type_message(qualname_or_unknown(Py_TYPE(fields)), "dict"));
  }
  PyRef attributes = PyRef::steal(PyObject_GetAttr(object, state_.dict_name));
  if (!attributes) return fail_pending();
  if (!PyDict_Check(attributes.get())) {
    return fail(unexpected_type_message(qualname_or_unknown(Py_TYPE(attributes.get())), "dict"));
  }
  PyRef hold_fields = PyRef::borrow(fields);
  const size_t base = members_.size();
  Py_ssize_t pos = 0;
  PyObject* borrowed_key = nullptr;
  PyObject* unused = nullptr;
  while (PyDict_Next(fields, &pos, &borrowed_key, &unused)) {
    PyRef key = PyRef::borrow(borrowed_key);
    JsonKey text(Key::type);
    if (!read_key(key.get(), text)) return false;
    PyRef item = PyRef::steal(PyObject_GetItem(attributes.get(), key.get()));
    if (!item) return fail_pending();
    if (!push_member(std::move(text), item.get(), &frame, depth + 1)) return false;
  }
  pop_object(base, out);
  return true;
}

}  // namespace

Converted<JsonValue> python_to_value(ModuleState& state, PyObject* object) {
  auto arena = std::make_unique<JsonArena>();
  ValueReader reader(state, *arena);
  JsonValue value;
  if (!reader.read(object, value, nullptr, 0)) return std::move(reader.error);
  return JsonArena::adopt(std::move(arena), std::move(value));
}

}  // namespace zuv::module

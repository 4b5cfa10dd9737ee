// JSON value trees to Python objects: the result of every call.
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <utility>

#include "convert.h"
#include "messages.h"
#include "zuv/limits.h"
#include "zuv/stack.h"

namespace zuv::module {

namespace {

// Pauses the cyclic garbage collector: the objects a conversion makes cannot form cycles, and
// a collection every few hundred new dicts would walk the whole growing tree again and again.
class GcPause {
 public:
  GcPause() noexcept : was_enabled_(PyGC_Disable()) {}
  ~GcPause() {
    if (was_enabled_) PyGC_Enable();
  }
  GcPause(const GcPause&) = delete;
  GcPause& operator=(const GcPause&) = delete;

 private:
  int was_enabled_;
};

bool is_ascii(std::string_view s) noexcept {
  uint64_t bits = 0;
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    bits |= word;
  }
  for (; i < s.size(); ++i) bits |= static_cast<unsigned char>(s[i]);
  return (bits & 0x8080808080808080ULL) == 0;
}

PyRef new_dict(size_t size) noexcept {
#if PY_VERSION_HEX < 0x030D0000
  // Made at its final size, so no insertion resizes it; the smallest table holds five keys.
  if (size <= 5) return PyRef::steal(PyDict_New());
  return PyRef::steal(_PyDict_NewPresized(static_cast<Py_ssize_t>(size)));
#else
  (void)size;
  return PyRef::steal(PyDict_New());
#endif
}

// Equal ints and equal short strs of one conversion share one object: both are immutable, and
// a tree repeats them all the time (every node's "type", the lines, columns and offsets of
// neighbouring positions), so sharing saves most of the allocations that are not dicts. Each
// cache is direct-mapped: a slot holds the last object made for its hash, which catches the
// repetitions that stand close together in the tree without any search.
class SharedObjects {
 public:
  SharedObjects() = default;
  SharedObjects(const SharedObjects&) = delete;
  SharedObjects& operator=(const SharedObjects&) = delete;
  ~SharedObjects() {
    for (PyObject* small : small_ints_) Py_XDECREF(small);
  }

  PyRef integer(uint64_t value) {
    if (value < kSmallInts) {
      // The interpreter's own objects, fetched once per conversion.
      PyObject*& small = small_ints_[value];
      if (small == nullptr) small = PyLong_FromUnsignedLongLong(value);
      return PyRef::borrow(small);
    }
    Slot& slot = slot_for(ints_, kIntSlots, static_cast<size_t>(value));
    if (slot.object && slot.value == value) return PyRef::borrow(slot.object.get());
    PyRef object = PyRef::steal(PyLong_FromUnsignedLongLong(value));
    if (object) {
      slot.value = value;
      slot.object = PyRef::borrow(object.get());
    }
    return object;
  }

  PyRef ascii(std::string_view s) {
    if (s.size() > kMaxSharedText) return new_ascii(s);
    uint64_t head = 0;
    uint64_t tail = 0;
    if (s.size() >= 8) {
      std::memcpy(&head, s.data(), 8);
      std::memcpy(&tail, s.data() + s.size() - 8, 8);
    } else {
      for (size_t i = 0; i < s.size(); ++i) {
        head |= uint64_t{static_cast<unsigned char>(s[i])} << (8 * i);
      }
    }
    const uint64_t hash =
        (head * 0x9E3779B97F4A7C15ULL) ^ (tail * 0xC2B2AE3D27D4EB4FULL) ^ s.size();
    Slot& slot = slot_for(texts_, kTextSlots, static_cast<size_t>(hash ^ (hash >> 29)));
    if (slot.object && slot.value == s.size() &&
        std::memcmp(PyUnicode_1BYTE_DATA(slot.object.get()), s.data(), s.size()) == 0) {
      return PyRef::borrow(slot.object.get());
    }
    PyRef object = new_ascii(s);
    if (object) {
      slot.value = s.size();
      slot.object = PyRef::borrow(object.get());
    }
    return object;
  }

  static PyRef new_ascii(std::string_view s) {
    // ASCII needs no decoding: the compact one-byte form is the bytes themselves.
    PyRef text = PyRef::steal(PyUnicode_New(static_cast<Py_ssize_t>(s.size()), 127));
    if (text) std::memcpy(PyUnicode_1BYTE_DATA(text.get()), s.data(), s.size());
    return text;
  }

 private:
  struct Slot {
    uint64_t value = 0;  // the int, or the length of the text
    PyRef object;
  };
  static constexpr size_t kIntSlots = 1024;
  static constexpr size_t kTextSlots = 512;
  static constexpr size_t kMaxSharedText = 24;  // the longest node kind name has 22 bytes

  static Slot& slot_for(std::unique_ptr<Slot[]>& slots, size_t count, size_t hash) {
    if (!slots) slots = std::make_unique<Slot[]>(count);
    return slots[hash & (count - 1)];
  }

  static constexpr size_t kSmallInts = 256;
  std::unique_ptr<Slot[]> ints_;
  std::unique_ptr<Slot[]> texts_;
  PyObject* small_ints_[kSmallInts] = {};
};

class PythonWriter {
 public:
  explicit PythonWriter(const ModuleState& state) : state_(state) {}
  PyRef write(const JsonValue& value, size_t depth);
  ConversionError error;

 private:
  PyRef checked(PyRef object) {
    if (!object) [[unlikely]]
      fail_pending();
    return object;
  }
  // Out of line, so that `checked` stays small enough to inline everywhere.
  [[gnu::noinline, gnu::cold]] void fail_pending() { error = pending_conversion_error(); }
  PyRef str(std::string_view s) {
    if (is_ascii(s)) return shared_.ascii(s);
    return PyRef::steal(PyUnicode_DecodeUTF8(s.data(), static_cast<Py_ssize_t>(s.size()), nullptr));
  }
  PyRef write_array(std::span<const JsonValue> array, size_t depth);
  PyRef write_object(std::span<const JsonMember> object, size_t depth);

  const ModuleState& state_;
  const uintptr_t stack_limit_ = stack_limit();
  SharedObjects shared_;
};

PyRef PythonWriter::write(const JsonValue& value, size_t depth) {
  switch (value.kind()) {
    case JsonValue::Kind::Null: return PyRef::borrow(Py_None);
    case JsonValue::Kind::Bool: return PyRef::borrow(value.as_bool() ? Py_True : Py_False);
    case JsonValue::Kind::Unsigned: return checked(shared_.integer(value.as_u64()));
    case JsonValue::Kind::Signed: return checked(PyRef::steal(PyLong_FromLongLong(value.as_i64())));
    case JsonValue::Kind::Float: return checked(PyRef::steal(PyFloat_FromDouble(value.as_f64())));
    case JsonValue::Kind::String: return checked(str(value.text()));
    case JsonValue::Kind::Array: return write_array(value.items(), depth);
    case JsonValue::Kind::Object: return write_object(value.members(), depth);
  }
  internal_fault("JSON value of unknown kind");
}

PyRef PythonWriter::write_array(std::span<const JsonValue> array, size_t depth) {
  if (depth >= kMaxValueDepth || stack_is_short(stack_limit_)) {
    error = ConversionError{std::string(kNestingTooDeep)};
    return PyRef();
  }
  PyRef list = checked(PyRef::steal(PyList_New(static_cast<Py_ssize_t>(array.size()))));
  if (!list) return list;
  for (size_t i = 0; i < array.size(); ++i) {
    PyRef item = write(array[i], depth + 1);
    if (!item) return item;  // the list's empty slots are null, which it releases safely
    PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item.release());
  }
  return list;
}

PyRef PythonWriter::write_object(std::span<const JsonMember> object, size_t depth) {
  if (depth >= kMaxValueDepth || stack_is_short(stack_limit_)) {
    error = ConversionError{std::string(kNestingTooDeep)};
    return PyRef();
  }
  PyRef dict = checked(new_dict(object.size()));
  if (!dict) return dict;
  for (const JsonMember& member : object) {
    PyRef dynamic_key;
    PyObject* key;
    if (member.key.known() != JsonKey::kDynamic) {
      key = state_.fixed_keys[member.key.known()];
    } else {
      dynamic_key = checked(str(member.key.text()));
      if (!dynamic_key) return dynamic_key;
      key = dynamic_key.get();
    }
    // Integers and texts, most of the members, are made here rather than through `write`.
    PyRef item;
    switch (member.value.kind()) {
      case JsonValue::Kind::Unsigned: item = checked(shared_.integer(member.value.as_u64())); break;
      case JsonValue::Kind::String: item = checked(str(member.value.text())); break;
      default: item = write(member.value, depth + 1); break;
    }
    if (!item) return item;
    if (PyDict_SetItem(dict.get(), key, item.get()) < 0) {
      error = pending_conversion_error();
      return PyRef();
    }
  }
  return dict;
}

}  // namespace

Converted<PyRef> value_to_python(const ModuleState& state, const JsonValue& value) {
  GcPause pause;
  PythonWriter writer(state);
  PyRef object = writer.write(value, 0);
  if (!object) return std::move(writer.error);
  return object;
}

}  // namespace zuv::module

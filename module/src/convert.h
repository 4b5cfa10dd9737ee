#pragma once
// The two conversions between JSON value trees and Python objects.
//
// `value_to_python` builds the result of a call in one pass over the value tree: None, bool,
// int, float, str, lists made at their final size, and dicts whose keys go in in the order the
// tree keeps (ascending bytes), so every dict Python sees lists its keys in that order. The keys
// the writers fix are `Key` values; each becomes the interned str the module state keeps
// (state.h), so a tree of a million nodes makes no key objects at all. The cyclic garbage
// collector is paused for the conversion (the new objects cannot form cycles) and restored to
// its previous state on every path.
//
// `python_to_value` reads an argument such as `ast` or `schema` into a value tree held in one
// arena, which the returned value owns. The object is tested in this order, the first test that
// holds deciding:
//   1. None: null.  2. exactly bool: bool.
//   3. int (or subclass): unsigned from 0 to 2^64 - 1, signed from -2^63 to -1; any other value
//      that fits 128 bits fails "JSON number out of range", a larger one with the interpreter's
//      overflow error ("OverflowError: int too big to convert").
//   4. list, tuple (or subclasses): array.
//   5. dict (or subclass): object; keys must be str ("dict keys must have type str"); a later
//      entry with the same key replaces an earlier one.
//   6. str (or subclass): string; one that has no UTF-8 form fails "UnicodeEncodeError: ...".
//   7. bytes, bytearray: fail.  8. float: finite, or null for NaN and the infinities.
//   9. set, frozenset: array in iteration order.
//  10. other `collections.abc.Sequence`: array by length and index.
//  11. other `collections.abc.Mapping`: object by keys().
//  12. data-class instances (`__dataclass_fields__`): object of the fields, valued from
//      `__dict__`.
//  13. anything else: "unsupported type {qualname}".
// An exception raised by the caller's objects on the way (a failing `__len__`, a set changed
// during iteration) ends the conversion as "{type}: {message}"; MemoryError and the exceptions
// that derive from BaseException alone pass unchanged.
//
// Both conversions refuse values nested deeper than `kMaxValueDepth`, or deeper than the
// thread's stack holds (zuv/stack.h), with "nesting too deep"; and
// `python_to_value` names a list or dict that contains itself ("circular reference"), so neither
// can exhaust the stack. Failures are values: the caller raises them as ValueError.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <optional>
#include <string>

#include "errors.h"
#include "py_ref.h"
#include "state.h"
#include "zuv/json.h"

namespace zuv::module {

struct ConversionError {
  std::string message;
  // Or the exception that passes unchanged instead (`pending_exception_passes`).
  std::optional<RaisedException> raised;
};

template <class T>
using Converted = Expected<T, ConversionError>;

Converted<PyRef> value_to_python(const ModuleState& state, const JsonValue& value);
Converted<JsonValue> python_to_value(ModuleState& state, PyObject* object);

// The ValueError of a conversion failure, or the exception that passes unchanged.
CallError pythonize_error_to_value_error(ConversionError error);

// The conversion failure for the exception pending in the interpreter (both directions).
ConversionError pending_conversion_error();

}  // namespace zuv::module

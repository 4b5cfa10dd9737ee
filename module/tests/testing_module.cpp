// `_zuv_testing`: a test-only extension that reaches the boundary machinery of `_zuv` (binder,
// conversions, call wrapper) directly, before the functions that use it exist. Never installed.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <ctime>
#include <new>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "arguments.h"
#include "convert.h"
#include "state.h"
#include "trampoline.h"

namespace zuv::module {

namespace {

// JSON text to a value tree, with the fixed keys recognised as the tree writers would use them.
JsonKey key_for(const std::string& text) {
  static const std::unordered_map<std::string_view, Key> fixed = [] {
    std::unordered_map<std::string_view, Key> m;
    for (size_t i = 0; i < kKeyCount; ++i) m.emplace(kKeyTexts[i], static_cast<Key>(i));
    return m;
  }();
  auto it = fixed.find(text);
  if (it != fixed.end()) return JsonKey(it->second);
  return JsonKey(text);
}

JsonValue from_json(const nlohmann::json& j) {
  switch (j.type()) {
    case nlohmann::json::value_t::null:
    case nlohmann::json::value_t::discarded: return JsonValue();
    case nlohmann::json::value_t::boolean: return JsonValue::make_bool(j.get<bool>());
    case nlohmann::json::value_t::number_integer: return JsonValue::make_i64(j.get<int64_t>());
    case nlohmann::json::value_t::number_unsigned: return JsonValue::make_u64(j.get<uint64_t>());
    case nlohmann::json::value_t::number_float: return JsonValue::make_f64(j.get<double>());
    case nlohmann::json::value_t::string: return JsonValue::make_string(j.get<std::string>());
    case nlohmann::json::value_t::binary: throw std::runtime_error("binary JSON");
    case nlohmann::json::value_t::array: {
      JsonArray items;
      items.reserve(j.size());
      for (const auto& item : j) items.push_back(from_json(item));
      return JsonValue::make_array(std::move(items));
    }
    case nlohmann::json::value_t::object: {
      JsonObject object;
      object.reserve(j.size());
      // The library keeps object keys in std::string order, which is byte order.
      for (const auto& [key, item] : j.items()) object.push_sorted(key_for(key), from_json(item));
      return JsonValue::make_object(std::move(object));
    }
  }
  return JsonValue();
}

Result<JsonValue> parse_json_argument(PyObject* text_object, std::string_view parameter) {
  Result<std::string_view> text = text_argument(text_object);
  if (!text) return name_argument_error(parameter, std::move(text).error());
  nlohmann::json j = nlohmann::json::parse(text->begin(), text->end(), nullptr, false);
  if (j.is_discarded()) return value_error_from_message("invalid JSON text");
  return from_json(j);
}

CallResult converted(Converted<PyRef> result) {
  if (!result) return pythonize_error_to_value_error(std::move(result).error());
  return std::move(*result);
}

constexpr auto kRoundtripParameters = parameters("roundtrip", 1, "value");
CallResult py_roundtrip(ModuleState& state, const CallArguments& call) {
  auto bound = bind_arguments(kRoundtripParameters, call);
  if (!bound) return std::move(bound).error();
  Converted<JsonValue> value = python_to_value(state, (*bound)[0]);
  if (!value) return pythonize_error_to_value_error(std::move(value).error());
  return converted(value_to_python(state, *value));
}

constexpr auto kBuildParameters = parameters("build", 1, "json_text");
CallResult py_build(ModuleState& state, const CallArguments& call) {
  auto bound = bind_arguments(kBuildParameters, call);
  if (!bound) return std::move(bound).error();
  Result<JsonValue> value = parse_json_argument((*bound)[0], bound->name(0));
  if (!value) return std::move(value).error();
  return converted(value_to_python(state, *value));
}

// CPU seconds of the calling thread: on a shared machine, time spent waiting for a core is not
// the conversion's.
double thread_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds of each of `repeat` runs of `run` (which returns whether it succeeded), as a list.
template <class Run>
CallResult timed(Py_ssize_t repeat, Run run) {
  PyRef times = PyRef::steal(PyList_New(repeat));
  if (!times) return CallError::pending();
  for (Py_ssize_t i = 0; i < repeat; ++i) {
    std::optional<CallError> error;
    const double start = thread_seconds();
    const double took = run(error, start);
    if (error) return std::move(*error);
    PyObject* seconds = PyFloat_FromDouble(took);
    if (seconds == nullptr) return CallError::pending();
    PyList_SET_ITEM(times.get(), i, seconds);
  }
  return times;
}

Result<Py_ssize_t> repeat_argument(PyObject* object) {
  const Py_ssize_t n = PyLong_AsSsize_t(object);
  if (n == -1 && PyErr_Occurred() != nullptr) return CallError::pending();
  if (n < 1) return value_error_from_message("repeat must be at least 1");
  return n;
}

// Seconds of each of `repeat` conversions of the value of `json_text`, the release of the
// result left out. With `with_collection` true, the time also holds the garbage collection that
// the conversion defers to the next allocation of a container (its objects are young when the
// collector resumes), which a caller meets right after the call.
constexpr auto kTimeToPythonParameters =
    parameters("time_value_to_python", 2, "json_text", "repeat", "with_collection");
CallResult py_time_value_to_python(ModuleState& state, const CallArguments& call) {
  auto bound = bind_arguments(kTimeToPythonParameters, call);
  if (!bound) return std::move(bound).error();
  Result<JsonValue> value = parse_json_argument((*bound)[0], bound->name(0));
  if (!value) return std::move(value).error();
  Result<Py_ssize_t> repeat = repeat_argument((*bound)[1]);
  if (!repeat) return std::move(repeat).error();
  int with_collection = 0;
  if (bound->given(2) && (with_collection = PyObject_IsTrue((*bound)[2])) < 0) {
    return CallError::pending();
  }
  return timed(*repeat, [&](std::optional<CallError>& error, double start) {
    Converted<PyRef> result = value_to_python(state, *value);
    if (with_collection && result) PyRef::steal(PyList_New(0)).reset();
    const double took = thread_seconds() - start;
    if (!result) error = pythonize_error_to_value_error(std::move(result).error());
    return took;  // the result is released after the clock stopped
  });
}

// Seconds of each of `repeat` conversions of `value` into a value tree.
constexpr auto kTimeToValueParameters = parameters("time_python_to_value", 2, "value", "repeat");
CallResult py_time_python_to_value(ModuleState& state, const CallArguments& call) {
  auto bound = bind_arguments(kTimeToValueParameters, call);
  if (!bound) return std::move(bound).error();
  Result<Py_ssize_t> repeat = repeat_argument((*bound)[1]);
  if (!repeat) return std::move(repeat).error();
  return timed(*repeat, [&](std::optional<CallError>& error, double start) {
    Converted<JsonValue> value = python_to_value(state, (*bound)[0]);
    const double took = thread_seconds() - start;
    if (!value) error = pythonize_error_to_value_error(std::move(value).error());
    return took;
  });
}

// Unwinds out of the body the way a fault of the module would.
constexpr auto kFaultParameters = parameters("fault", 1, "kind");
CallResult py_fault(ModuleState& /*state*/, const CallArguments& call) {
  auto bound = bind_arguments(kFaultParameters, call);
  if (!bound) return std::move(bound).error();
  Result<std::string_view> kind = bound->text(0);
  if (!kind) return std::move(kind).error();
  PyRef held = PyRef::steal(PyList_New(3));  // released while unwinding
  if (*kind == "logic_error") throw std::logic_error("index out of bounds");
  if (*kind == "internal") internal_fault("unreachable state");
  if (*kind == "bad_alloc") throw std::bad_alloc();
  if (*kind == "no_object") return PyRef();
  throw 42;
}

// Echoes what the binder made of its arguments: {name: value} for every parameter given.
constexpr auto kBindParameters = parameters("bind", 2, "first", "second", "third");
CallResult py_bind(ModuleState& /*state*/, const CallArguments& call) {
  auto bound = bind_arguments(kBindParameters, call);
  if (!bound) return std::move(bound).error();
  PyRef result = PyRef::steal(PyDict_New());
  if (!result) return CallError::pending();
  for (size_t i = 0; i < kBindParameters.names.size(); ++i) {
    if (!bound->given(i)) continue;
    const std::string_view name = bound->name(i);
    PyRef key = PyRef::steal(
        PyUnicode_FromStringAndSize(name.data(), static_cast<Py_ssize_t>(name.size())));
    if (!key || PyDict_SetItem(result.get(), key.get(), (*bound)[i]) < 0) {
      return CallError::pending();
    }
  }
  return result;
}

// A text argument read through the binder: a new str built from the borrowed UTF-8 bytes.
constexpr auto kTextParameters = parameters("text", 1, "value");
CallResult py_text(ModuleState& /*state*/, const CallArguments& call) {
  auto bound = bind_arguments(kTextParameters, call);
  if (!bound) return std::move(bound).error();
  Result<std::string_view> text = bound->text(0);
  if (!text) return std::move(text).error();
  return new_object(
      PyUnicode_DecodeUTF8(text->data(), static_cast<Py_ssize_t>(text->size()), "strict"));
}

// An optional text parameter: not given and None are no text.
constexpr auto kOptionalTextParameters = parameters("optional_text", 0, "value");
CallResult py_optional_text(ModuleState& /*state*/, const CallArguments& call) {
  auto bound = bind_arguments(kOptionalTextParameters, call);
  if (!bound) return std::move(bound).error();
  Result<std::optional<std::string_view>> text = bound->optional_text(0);
  if (!text) return std::move(text).error();
  if (!*text) return PyRef::borrow(Py_None);
  return new_object(
      PyUnicode_DecodeUTF8((*text)->data(), static_cast<Py_ssize_t>((*text)->size()), "strict"));
}

// Calls `fn` as the conversion of the argument 'fn', with the naming rule applied to whatever
// it raises.
constexpr auto kNamedParameters = parameters("named", 1, "fn");
CallResult py_named(ModuleState& /*state*/, const CallArguments& call) {
  auto bound = bind_arguments(kNamedParameters, call);
  if (!bound) return std::move(bound).error();
  PyRef result = PyRef::steal(PyObject_CallNoArgs((*bound)[0]));
  if (!result) return name_argument_error(bound->name(0), CallError::pending());
  return result;
}

CallResult py_inside_call() { return new_object(PyBool_FromLong(inside_module_call() ? 1 : 0)); }

constexpr int kFastCall = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef kMethods[] = {
    {"roundtrip", as_method(fastcall_entry<py_roundtrip>), kFastCall,
     "roundtrip(value)\n--\n\nConvert a Python object to a JSON value and back."},
    {"build", as_method(fastcall_entry<py_build>), kFastCall,
     "build(json_text)\n--\n\nParse JSON text into a value tree and convert it to Python."},
    {"time_value_to_python", as_method(fastcall_entry<py_time_value_to_python>), kFastCall,
     "time_value_to_python(json_text, repeat, with_collection=False)\n--\n\n"
     "Seconds of each conversion."},
    {"time_python_to_value", as_method(fastcall_entry<py_time_python_to_value>), kFastCall,
     "time_python_to_value(value, repeat)\n--\n\nSeconds of each conversion."},
    {"fault", as_method(fastcall_entry<py_fault>), kFastCall,
     "fault(kind)\n--\n\nUnwind out of a module function."},
    {"bind", as_method(fastcall_entry<py_bind>), kFastCall,
     "bind(first, second, third=None)\n--\n\nThe arguments as bound."},
    {"text", as_method(fastcall_entry<py_text>), kFastCall,
     "text(value)\n--\n\nA text argument, read back."},
    {"optional_text", as_method(fastcall_entry<py_optional_text>), kFastCall,
     "optional_text(value=None)\n--\n\nAn optional text argument, read back."},
    {"named", as_method(fastcall_entry<py_named>), kFastCall,
     "named(fn)\n--\n\nCall fn as an argument conversion."},
    {"inside_call", as_method(noargs_entry<py_inside_call>), METH_NOARGS,
     "inside_call()\n--\n\nWhether the call wrapper counts this call."},
    {nullptr, nullptr, 0, nullptr},
};

int module_exec(PyObject* module) {
  ModuleState* state = module_state(module);
  return state != nullptr && init_module_state(*state) ? 0 : -1;
}

PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT, "_zuv_testing",     "Test-only access to the boundary of _zuv.",
    sizeof(ModuleState),   kMethods,           state_module_slots<module_exec>(),
    module_state_traverse, module_state_clear, module_state_free,
};

}  // namespace

}  // namespace zuv::module

extern "C" __attribute__((visibility("default"))) PyObject* PyInit__zuv_testing() {
  return PyModuleDef_Init(&zuv::module::kModule);
}

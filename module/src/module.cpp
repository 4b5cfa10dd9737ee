// The extension module `_zuv`: multi-phase initialisation, the module state and the method
// table.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "functions.h"
#include "messages.h"
#include "state.h"
#include "trampoline.h"

namespace zuv::module {

namespace {

constexpr const char kParseDoc[] =
    "parse(input)\n--\n\nParse an ZUV document and return the AST as a Python dict.";
constexpr const char kParseWithDefaultsDoc[] =
    "parse_with_defaults(input)\n--\n\n"
    "Parse with default transforms (auto-slug + table of contents).";
constexpr const char kParseWithTransformsDoc[] =
    "parse_with_transforms(input, transforms, repo=None)\n--\n\n"
    "Parse with a specific set of transforms.\n\n"
    "Supported transform names: ``\"auto-slug\"``, ``\"toc\"``, ``\"github\"``.\n"
    "Pass ``repo=\"owner/repo\"`` for the github transform.";
constexpr const char kValidateDoc[] =
    "validate(ast, schema)\n--\n\n"
    "Validate an AST dict against a schema dict.\n"
    "Returns a list of diagnostic dicts.";
constexpr const char kCollectTextDoc[] =
    "collect_text(ast)\n--\n\nExtract plain text from an AST dict.";
constexpr const char kQueryAllDoc[] =
    "query_all(ast, node_type)\n--\n\n"
    "Find all nodes of a given type. Returns a list of node dicts.";
constexpr const char kVersionDoc[] = "version()\n--\n\nReturn the ZUV parser version.";

constexpr int kFastCall = METH_FASTCALL | METH_KEYWORDS;

// Registration order is the order of `__all__`.
PyMethodDef kMethods[] = {
    {"parse", as_method(fastcall_entry<py_parse>), kFastCall, kParseDoc},
    {"parse_with_defaults", as_method(fastcall_entry<py_parse_with_defaults>), kFastCall,
     kParseWithDefaultsDoc},
    {"parse_with_transforms", as_method(fastcall_entry<py_parse_with_transforms>), kFastCall,
     kParseWithTransformsDoc},
    {"validate", as_method(fastcall_entry<py_validate>), kFastCall, kValidateDoc},
    {"collect_text", as_method(fastcall_entry<py_collect_text>), kFastCall, kCollectTextDoc},
    {"query_all", as_method(fastcall_entry<py_query_all>), kFastCall, kQueryAllDoc},
    {"version", as_method(noargs_entry<py_version>), METH_NOARGS, kVersionDoc},
    {nullptr, nullptr, 0, nullptr},
};

// The module's `__all__`, made empty when it has none yet.
Result<PyRef> all_list(PyObject* module) {
  PyRef all = PyRef::steal(PyObject_GetAttrString(module, "__all__"));
  if (!all) {
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return CallError::pending();
    PyErr_Clear();
    all = PyRef::steal(PyList_New(0));
    if (!all) return CallError::pending();
    if (PyObject_SetAttrString(module, "__all__", all.get()) < 0) return CallError::pending();
  }
  if (!PyList_Check(all.get())) return CallError::type_error(std::string(kAllNotAList));
  return all;
}

Result<bool> add_module_functions(PyObject* module) {
  PyRef module_name = PyRef::steal(PyModule_GetNameObject(module));
  if (!module_name) return CallError::pending();
  for (PyMethodDef* def = kMethods; def->ml_name != nullptr; ++def) {
    PyRef function = PyRef::steal(PyCFunction_NewEx(def, module, module_name.get()));
    if (!function) return CallError::pending();
    PyRef name = PyRef::steal(PyObject_GetAttrString(function.get(), "__name__"));
    if (!name) return CallError::pending();
    if (!PyUnicode_Check(name.get())) {
      return CallError::type_error(std::string(kFunctionNameNotStr));
    }
    Result<PyRef> all = all_list(module);
    if (!all) return std::move(all).error();
    if (PyList_Append(all->get(), name.get()) < 0) internal_fault("could not extend __all__");
    if (PyObject_SetAttr(module, name.get(), function.get()) < 0) return CallError::pending();
  }
  return true;
}

Result<bool> module_exec_step(PyObject* module) {
  if (module == nullptr) {
    if (PyErr_Occurred() != nullptr) return CallError::pending();
    internal_fault("module_exec was given no module");
  }
  if (!PyModule_Check(module)) {
    std::string qualname;
    if (!type_qualname(Py_TYPE(module), qualname)) qualname = kUnknownTypeName;
    return CallError::type_error(not_an_instance_message(qualname, "module"));
  }
  ModuleState* state = module_state(module);
  if (state == nullptr) internal_fault("module_exec was given a module without its state");
  if (!init_module_state(*state)) return CallError::pending();
  return add_module_functions(module);
}

int module_exec(PyObject* module) { return module_exec_trampoline(module_exec_step, module); }

PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT,
    "_zuv",
    "ZUV Python module.",
    sizeof(ModuleState),
    nullptr,
    state_module_slots<module_exec>(),
    module_state_traverse,
    module_state_clear,
    module_state_free,
};

}  // namespace

}  // namespace zuv::module

extern "C" __attribute__((visibility("default"))) PyObject* PyInit__zuv() {
  return PyModuleDef_Init(&zuv::module::kModule);
}

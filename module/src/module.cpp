// The extension module `_zuv`: multi-phase initialisation and the method table.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace {

constexpr const char kVersion[] = "0.1.2-beta.11";

PyObject* py_version(PyObject* /*self*/, PyObject* /*unused*/) {
  return PyUnicode_FromStringAndSize(kVersion, sizeof kVersion - 1);
}

// Registration order is the order of `__all__`.
PyMethodDef kMethods[] = {
    {"version", py_version, METH_NOARGS, "version()\n--\n\nReturn the ZUV parser version."},
    {nullptr, nullptr, 0, nullptr},
};

int add_module_functions(PyObject* module) {
  PyObject* name_of_module = PyModule_GetNameObject(module);
  if (name_of_module == nullptr) return -1;
  int rc = 0;
  for (PyMethodDef* def = kMethods; def->ml_name != nullptr && rc == 0; ++def) {
    PyObject* fn = PyCFunction_NewEx(def, module, name_of_module);
    if (fn == nullptr) { rc = -1; break; }
    PyObject* name = PyObject_GetAttrString(fn, "__name__");
    if (name == nullptr || !PyUnicode_Check(name)) {
      if (name != nullptr) PyErr_SetString(PyExc_TypeError, "function name is not a str");
      Py_XDECREF(name);
      Py_DECREF(fn);
      rc = -1;
      break;
    }
    PyObject* all = PyObject_GetAttrString(module, "__all__");
    if (all == nullptr && PyErr_ExceptionMatches(PyExc_AttributeError)) {
      PyErr_Clear();
      all = PyList_New(0);
      if (all != nullptr && PyObject_SetAttrString(module, "__all__", all) < 0) Py_CLEAR(all);
    }
    if (all == nullptr || !PyList_Check(all) || PyList_Append(all, name) < 0 ||
        PyObject_SetAttr(module, name, fn) < 0) {
      if (all != nullptr && !PyList_Check(all))
        PyErr_SetString(PyExc_TypeError, "`__all__` must be a list");
      rc = -1;
    }
    Py_XDECREF(all);
    Py_DECREF(name);
    Py_DECREF(fn);
  }
  Py_DECREF(name_of_module);
  return rc;
}

int module_exec(PyObject* module) {
  if (module == nullptr) return -1;
  if (!PyModule_Check(module)) {
    PyErr_Format(PyExc_TypeError, "'%s' object is not an instance of 'module'",
                 Py_TYPE(module)->tp_name);
    return -1;
  }
  return add_module_functions(module);
}

PyModuleDef_Slot kSlots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(module_exec)},
    {0, nullptr},
};

PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT,
    "_zuv",
    "ZUV Python module.",
    0,
    nullptr,
    kSlots,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) PyObject* PyInit__zuv() { return PyModuleDef_Init(&kModule); }

#pragma once
// The bodies of the module functions. Each binds its arguments, converts them in its fixed
// order, does its work and returns its result or its first failure; the call wrapper
// (trampoline.h) does the rest.

#include "arguments.h"
#include "errors.h"

namespace zuv::module {

// parse(input): the document's dict.
CallResult py_parse(const CallArguments& call);
// version(): the version str.
CallResult py_version();

}  // namespace zuv::module

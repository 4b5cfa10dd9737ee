#pragma once
// The bodies of the module functions. Each binds its arguments, converts them in its fixed
// order, does its work and returns its result or its first failure; the call wrapper
// (trampoline.h) does the rest.

#include "arguments.h"
#include "errors.h"
#include "state.h"
#include "zuv/tree.h"

namespace zuv::module {

// The Python objects of a value tree, or the ValueError of its conversion.
CallResult value_to_result(const ModuleState& state, const JsonValue& value);
// The dict of a document tree, as every parse function returns it.
CallResult root_to_python(const ModuleState& state, const Root& root);

// parse(input): the document's dict.
CallResult py_parse(ModuleState& state, const CallArguments& call);
// parse_with_defaults(input): the document's dict after the slug and contents transforms.
CallResult py_parse_with_defaults(ModuleState& state, const CallArguments& call);
// parse_with_transforms(input, transforms, repo=None): the dict after the named transforms,
// run in the order given. Every argument is converted, and every name matched, before parsing.
CallResult py_parse_with_transforms(ModuleState& state, const CallArguments& call);
// validate(ast, schema): the list of diagnostic dicts, in the validator's order.
CallResult py_validate(ModuleState& state, const CallArguments& call);
// collect_text(ast): the values of the tree's text nodes, concatenated.
CallResult py_collect_text(ModuleState& state, const CallArguments& call);
// query_all(ast, node_type): the dicts of every node of that kind, in document pre-order.
CallResult py_query_all(ModuleState& state, const CallArguments& call);
// version(): the version str.
CallResult py_version();

}  // namespace zuv::module

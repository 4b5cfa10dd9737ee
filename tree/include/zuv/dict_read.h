#pragma once
// Reading a document tree back from its dict form (the `JsonValue` made from a tree dict), the
// reverse of `root_to_value`.
//
// The reader takes the value over and moves its texts and front matter into the tree. It
// accepts each record as an object (keys in any order, unknown keys skipped) or as an array of
// its fields in declared order, a node's or math expression's "type" tag first; it stops at the
// first problem with one `DictFormError` in the fixed wording of zuv/record_reader.h. Values
// nested deeper than `kMaxValueDepth` arrays and objects fail with "nesting too deep ...".
//
// Every dict `root_to_value` writes reads back to an equal tree, variable attribute values
// included: an attribute value that is exactly the written form of a variable ({"path",
// "position"} with a valid dotted path and a position as the writer lays it out) reads as a
// variable, every other object as an object.

#include "zuv/json.h"
#include "zuv/record_reader.h"
#include "zuv/tree.h"

namespace zuv {

DictResult<Root> root_from_value(JsonValue value);

}  // namespace zuv

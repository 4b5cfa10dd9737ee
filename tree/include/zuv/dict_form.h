#pragma once
// The dict form: document and math trees as JSON value trees, the shape Python sees.
//
// Writing cannot fail: every field has a JSON form and a non-finite float becomes null.
// Absent optional fields are left out of node payloads, `CitationKey` and `AlignRow`, and
// written as null in math expressions, `CaseRow` and the root's `frontmatter`; a component's
// empty `rawContent` is left out, an error's is always written.
//
// Each function writes its whole tree into one `JsonArena` owned by the value it returns, so a
// large tree costs a few allocations; the value is read like any other and independent of the
// tree it was written from.

#include <span>

#include "zuv/json.h"
#include "zuv/math_tree.h"
#include "zuv/tree.h"

namespace zuv {

JsonValue root_to_value(const Root& root);
JsonValue node_to_value(const Node& node);
// The dicts of several nodes as one array, as `node_to_value` writes each.
JsonValue nodes_to_value(std::span<const Node* const> nodes);
JsonValue math_to_value(const MathExpr& expr);
JsonValue attribute_value_to_value(const AttributeValue& value);

}  // namespace zuv

#pragma once
// The readers that the reading phases of the tree share: nodes at both places, positions,
// attribute values and math expressions. Each reads one JSON value, which it may consume; the
// recursive ones build in place into `out`.

#include "zuv/math_tree.h"
#include "zuv/record_reader.h"
#include "zuv/tree.h"

namespace zuv {

// A top-level node (an element of the root's children): its tag must be a kind name. Its
// payload is read inside the node.
DictStatus node_from_value(const JsonValue& value, Node& out, ReadContext& ctx);
// A nested node: its tag may also be the kind's index.
DictStatus node_from_content(const JsonValue& value, Node& out, ReadContext& ctx);

// A `Position` (and its `Point`s) at the place `ctx` says.
DictResult<Position> read_position(const JsonValue& value, ReadContext& ctx);

// The value of an attribute.
DictResult<AttributeValue> attribute_value_from_content(const JsonValue& value, ReadContext& ctx);

// One math expression, at any depth, read into `out`.
DictStatus math_from_content(const JsonValue& value, MathExpr& out, ReadContext& ctx);

}  // namespace zuv

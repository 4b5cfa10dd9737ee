#pragma once
// Component schemas and the validator that holds a document's components against one.
//
// A `Schema` names the components a document may use, the props (attributes) each accepts with
// their types, which props are required, which components may stand as direct children of
// which, and which must be self-closing. It is read from its dict form by `schema_from_value`
// (an object keyed by field name or an array of the fields in declared order, with the reading
// rules and error wording of the tree readers), lives for one validation and is never written
// back.
//
// `validate_document` walks the tree once and never fails: every problem is a `Diagnostic`,
// reported in walk order (a component's own findings, then those of its children, depth first in
// document order). Only an unknown prop is a warning; every other finding is an error. Names and
// values are compared byte for byte.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "zuv/json.h"
#include "zuv/record_reader.h"
#include "zuv/tree.h"

namespace zuv {

// The dict form is the lowercase name (`enum_name`, `enum_from_name`).
enum class PropType : uint8_t { String, Number, Boolean, Enum, Object, Array, Variable, Any };

template <>
struct EnumNames<PropType> {
  static constexpr std::string_view type_name = "PropType";
  static constexpr std::string_view names[] = {"string", "number", "boolean",  "enum",
                                               "object", "array",  "variable", "any"};
};

struct PropSchema {
  PropType type = PropType::Any;
  bool required = false;
  // `default` in the dict form; stored for callers, never applied to a missing attribute.
  std::optional<JsonValue> default_value;
  // For an enum prop: absent accepts every string, an empty list none.
  std::optional<std::vector<std::string>> values;
  std::optional<std::string> description;
};

// A map from name to schema, looked up by exact name without building a key string.
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
template <class T>
using NameMap = std::unordered_map<std::string, T, NameHash, std::equal_to<>>;

struct ComponentSchema {
  NameMap<PropSchema> props;
  bool self_closing = false;
  // Absent places no restriction on direct children; an empty list allows no component.
  std::optional<std::vector<std::string>> allowed_children;
  std::optional<std::string> description;
};

struct Schema {
  NameMap<ComponentSchema> components;
  bool strict = false;
  // In input order; a name may stand more than once and its first pair applies.
  std::vector<std::pair<std::string, PropSchema>> global_props;
};

// Reads a schema from its dict form: a record is an object keyed by field name or an array of
// its fields in declared order; the first fault met in reading order is the error.
DictResult<Schema> schema_from_value(JsonValue value);

enum class Severity : uint8_t { Error, Warning };

struct Diagnostic {
  std::string message;
  std::string component;  // the name of the component the finding is about
  uint64_t line = 0;      // of the component's start, or of the attribute's for prop findings
  uint64_t column = 0;
  Severity severity = Severity::Error;
  bool operator==(const Diagnostic&) const = default;
};

// Several missing required props of one component are reported in ascending prop name.
std::vector<Diagnostic> validate_document(const Root& root, const Schema& schema);

// {"column", "component", "line", "message", "severity": "error" | "warning"}.
JsonValue diagnostic_to_value(Diagnostic diagnostic);

}  // namespace zuv

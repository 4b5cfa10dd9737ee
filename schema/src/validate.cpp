// The validator: one walk over the tree, findings appended as they are met.
//
// The walk keeps its own stack instead of recursing, so a tree of any depth (one built in
// memory is bounded by nothing) costs heap, not C++ stack.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "messages.h"
#include "zuv/schema.h"

namespace zuv {
namespace schema {
namespace {

using Restriction = const std::vector<std::string>*;  // null: no restriction

bool contains(const std::vector<std::string>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

void report(std::vector<Diagnostic>& out, std::string message, std::string_view component,
            const Position& at, Severity severity = Severity::Error) {
  out.push_back(Diagnostic{std::move(message), std::string(component), at.start.line,
                           at.start.column, severity});
}

// The schema that holds an attribute: the component's own prop, else the first global one.
const PropSchema* find_prop(const ComponentSchema& cs, const Schema& schema,
                            std::string_view name) {
  if (auto it = cs.props.find(name); it != cs.props.end()) return &it->second;
  for (const auto& [global_name, prop] : schema.global_props) {
    if (global_name == name) return &prop;
  }
  return nullptr;
}

std::string_view kind_name(AttributeKind kind) {
  switch (kind) {
    case AttributeKind::Null: return "null";
    case AttributeKind::Bool: return "boolean";
    case AttributeKind::Number: return "number";
    case AttributeKind::String: return "string";
    case AttributeKind::Array: return "array";
    case AttributeKind::Object: return "object";
    case AttributeKind::Variable: return "variable";
  }
  return "";
}

// What a prop of `type` expects, or empty when every value passes.
std::string_view expected_text(PropType type) {
  switch (type) {
    case PropType::String: return "string";
    case PropType::Number: return "number";
    case PropType::Boolean: return "boolean";
    case PropType::Enum: return "string (enum)";
    case PropType::Object: return "object";
    case PropType::Array: return "array";
    case PropType::Variable: return "variable";
    case PropType::Any: return "";
  }
  return "";
}

// A variable reference has been let through before this is asked.
bool type_accepts(PropType type, AttributeKind kind) {
  switch (type) {
    case PropType::String:
    case PropType::Enum: return kind == AttributeKind::String;
    case PropType::Number: return kind == AttributeKind::Number;
    case PropType::Boolean: return kind == AttributeKind::Bool;
    case PropType::Object: return kind == AttributeKind::Object;
    case PropType::Array: return kind == AttributeKind::Array;
    case PropType::Variable: return false;
    case PropType::Any: return true;
  }
  return false;
}

std::string join(const std::vector<std::string>& names) {
  std::string s;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) s += ", ";
    s += names[i];
  }
  return s;
}

void validate_attribute(const AttributeNode& attr, const ComponentNode& component,
                        const ComponentSchema& cs, const Schema& schema,
                        std::vector<Diagnostic>& out) {
  const std::string& name = component.name;
  const PropSchema* prop = find_prop(cs, schema, attr.name);
  if (prop == nullptr) {
    report(out, msg_unknown_prop(attr.name, name), name, attr.position, Severity::Warning);
    return;
  }
  const AttributeKind kind = attribute_kind(attr.value);
  if (kind == AttributeKind::Variable) return;  // resolved later, so any type may hold it
  if (!type_accepts(prop->type, kind)) {
    report(out, msg_wrong_type(attr.name, name, expected_text(prop->type), kind_name(kind)),
           name, attr.position);
    return;
  }
  if (prop->type == PropType::Enum && prop->values) {
    const auto& text = std::get<std::string>(attr.value);
    if (!contains(*prop->values, text)) {
      report(out, msg_not_in_enum(attr.name, name, join(*prop->values), text), name,
             attr.position);
    }
  }
}

// The component's own checks; returns its schema when its children are to be walked.
const ComponentSchema* validate_component(const ComponentNode& component, const Schema& schema,
                                          std::vector<Diagnostic>& out,
                                          Restriction restriction) {
  const std::string& name = component.name;
  if (restriction != nullptr && !contains(*restriction, name)) {
    report(out, msg_not_allowed_child(name), name, component.position);
  }

  auto found = schema.components.find(name);
  if (found == schema.components.end()) {
    if (schema.strict) report(out, msg_unknown_component(name), name, component.position);
    return nullptr;  // what an unknown component holds is never validated
  }
  const ComponentSchema& cs = found->second;

  if (cs.self_closing && !component.children.empty()) {
    report(out, msg_must_self_close(name), name, component.position);
  }

  // Ascending prop name, so that the order does not hang on the hash map.
  std::vector<std::string_view> missing;
  for (const auto& entry : cs.props) {
    if (!entry.second.required) continue;
    const std::string_view prop_name = entry.first;
    const bool present = std::any_of(component.attributes.begin(), component.attributes.end(),
                                     [&](const AttributeNode& a) { return a.name == prop_name; });
    if (!present) missing.push_back(prop_name);
  }
  std::sort(missing.begin(), missing.end());
  for (std::string_view prop : missing) {
    report(out, msg_missing_required(prop), name, component.position);
  }

  for (const AttributeNode& attr : component.attributes) {
    validate_attribute(attr, component, cs, schema, out);
  }
  return &cs;
}

// Components directly in a list take the list's restriction; the containers between a
// component and its parent component lift it.
void validate_children(const NodeList& nodes, const Schema& schema,
                       std::vector<Diagnostic>& out, Restriction restriction) {
  struct Frame {
    const NodeList* nodes;
    size_t next;
    Restriction restriction;
  };
  std::vector<Frame> stack{{&nodes, 0, restriction}};
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next == top.nodes->size()) {
      stack.pop_back();
      continue;
    }
    const Node& node = (*top.nodes)[top.next++];
    if (node.kind == NodeKind::Component) {
      const auto& component = node.as<ComponentNode>();
      const ComponentSchema* cs = validate_component(component, schema, out, top.restriction);
      if (cs != nullptr) {
        Restriction inner = cs->allowed_children ? &*cs->allowed_children : nullptr;
        stack.push_back({&component.children, 0, inner});
      }
    } else if (const NodeList* children = node_children(node)) {
      stack.push_back({children, 0, nullptr});
    }
  }
}

std::string_view severity_name(Severity severity) {
  switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
  }
  return "error";
}

}  // namespace
}  // namespace schema

std::vector<Diagnostic> validate_document(const Root& root, const Schema& schema) {
  std::vector<Diagnostic> out;
  schema::validate_children(root.children, schema, out, nullptr);
  return out;
}

JsonValue diagnostic_to_value(Diagnostic diagnostic) {
  using schema::severity_name;
  JsonObject o;
  o.reserve(5);
  o.push_sorted(Key::column, JsonValue::make_u64(diagnostic.column));
  o.push_sorted(Key::component, JsonValue::make_string(std::move(diagnostic.component)));
  o.push_sorted(Key::line, JsonValue::make_u64(diagnostic.line));
  o.push_sorted(Key::message, JsonValue::make_string(std::move(diagnostic.message)));
  o.push_sorted(Key::severity, JsonValue::make_string(severity_name(diagnostic.severity)));
  return JsonValue::make_object(std::move(o));
}

}  // namespace zuv

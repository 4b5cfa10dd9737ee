// The validator: one walk over the tree, findings appended as they are met.
//
// The walk keeps its own stack instead of recursing, so a tree of any depth (one built in
// memory is bounded by nothing) costs heap, not C++ stack.
//
// The schema's lists (`allowed_children`, `values`, `global_props` and the required props of
// a component) are sorted into tables the first time a call needs them, so each look-up is a
// binary search: scanning a long list once per child or attribute would make a long list and
// a long document cost their product.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "messages.h"
#include "zuv/schema.h"

namespace zuv {
namespace schema {
namespace {

// The names of a list, sorted by bytes; duplicates are harmless.
class NameTable {
 public:
  explicit NameTable(const std::vector<std::string>& names) : names_(names.begin(), names.end()) {
    std::sort(names_.begin(), names_.end());
  }
  bool contains(std::string_view name) const {
    return std::binary_search(names_.begin(), names_.end(), name);
  }

 private:
  std::vector<std::string_view> names_;
};

using Restriction = const NameTable*;  // null: no restriction

struct ComponentTables {
  std::vector<std::string_view> required;  // ascending
  std::optional<NameTable> allowed_children;
};

// The tables of one call, each built on first use and kept until the call ends; they borrow
// the schema's texts.
class SchemaTables {
 public:
  explicit SchemaTables(const Schema& schema) : schema_(schema) {}

  const Schema& schema() const { return schema_; }

  const ComponentTables& component(const ComponentSchema& cs) {
    auto [it, added] = components_.try_emplace(&cs);
    if (added) {
      for (const auto& [name, prop] : cs.props) {
        if (prop.required) it->second.required.push_back(name);
      }
      std::sort(it->second.required.begin(), it->second.required.end());
      if (cs.allowed_children) it->second.allowed_children.emplace(*cs.allowed_children);
    }
    return it->second;
  }

  const NameTable& values(const PropSchema& prop) {
    auto it = values_.find(&prop);
    if (it == values_.end()) it = values_.try_emplace(&prop, *prop.values).first;
    return it->second;
  }

  // The first pair of `global_props` named `name`.
  const PropSchema* global_prop(std::string_view name) {
    if (!globals_) {
      globals_.emplace();
      for (const auto& [global_name, prop] : schema_.global_props) {
        globals_->emplace_back(global_name, &prop);
      }
      // Stable, so that of the pairs of one name the first stays first, and alone.
      std::stable_sort(globals_->begin(), globals_->end(), by_name);
      globals_->erase(
          std::unique(globals_->begin(), globals_->end(),
                      [](const Global& a, const Global& b) { return a.first == b.first; }),
          globals_->end());
    }
    auto it = std::lower_bound(globals_->begin(), globals_->end(), Global{name, nullptr}, by_name);
    return it != globals_->end() && it->first == name ? it->second : nullptr;
  }

  // A buffer for the attribute names of one component, reused from one to the next.
  std::vector<std::string_view>& scratch() { return scratch_; }

 private:
  using Global = std::pair<std::string_view, const PropSchema*>;
  static bool by_name(const Global& a, const Global& b) { return a.first < b.first; }

  const Schema& schema_;
  std::unordered_map<const ComponentSchema*, ComponentTables> components_;
  std::unordered_map<const PropSchema*, NameTable> values_;
  std::optional<std::vector<Global>> globals_;
  std::vector<std::string_view> scratch_;
};

void report(std::vector<Diagnostic>& out, std::string message, std::string_view component,
            const Position& at, Severity severity = Severity::Error) {
  out.push_back(Diagnostic{std::move(message), std::string(component), at.start.line,
                           at.start.column, severity});
}

// The schema that holds an attribute: the component's own prop, else the first global one.
const PropSchema* find_prop(const ComponentSchema& cs, SchemaTables& tables,
                            std::string_view name) {
  if (auto it = cs.props.find(name); it != cs.props.end()) return &it->second;
  return tables.global_prop(name);
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
                        const ComponentSchema& cs, SchemaTables& tables,
                        std::vector<Diagnostic>& out) {
  const std::string& name = component.name;
  const PropSchema* prop = find_prop(cs, tables, attr.name);
  if (prop == nullptr) {
    report(out, msg_unknown_prop(attr.name, name), name, attr.position, Severity::Warning);
    return;
  }
  const AttributeKind kind = attribute_kind(attr.value);
  if (kind == AttributeKind::Variable) return;  // resolved later, so any type may hold it
  if (!type_accepts(prop->type, kind)) {
    report(out, msg_wrong_type(attr.name, name, expected_text(prop->type), kind_name(kind)), name,
           attr.position);
    return;
  }
  if (prop->type == PropType::Enum && prop->values) {
    const auto& text = std::get<std::string>(attr.value);
    if (!tables.values(*prop).contains(text)) {
      report(out, msg_not_in_enum(attr.name, name, join(*prop->values), text), name, attr.position);
    }
  }
}

// The component's own checks; returns its tables when its children are to be walked.
const ComponentTables* validate_component(const ComponentNode& component, SchemaTables& tables,
                                          std::vector<Diagnostic>& out, Restriction restriction) {
  const Schema& schema = tables.schema();
  const std::string& name = component.name;
  if (restriction != nullptr && !restriction->contains(name)) {
    report(out, msg_not_allowed_child(name), name, component.position);
  }

  auto found = schema.components.find(name);
  if (found == schema.components.end()) {
    if (schema.strict) report(out, msg_unknown_component(name), name, component.position);
    return nullptr;  // what an unknown component holds is never validated
  }
  const ComponentSchema& cs = found->second;
  const ComponentTables& own = tables.component(cs);

  if (cs.self_closing && !component.children.empty()) {
    report(out, msg_must_self_close(name), name, component.position);
  }

  // In ascending prop name, so that the order does not hang on the hash map.
  if (!own.required.empty()) {
    std::vector<std::string_view>& present = tables.scratch();
    present.clear();
    for (const AttributeNode& a : component.attributes) present.push_back(a.name);
    std::sort(present.begin(), present.end());
    for (std::string_view prop : own.required) {
      if (!std::binary_search(present.begin(), present.end(), prop)) {
        report(out, msg_missing_required(prop), name, component.position);
      }
    }
  }

  for (const AttributeNode& attr : component.attributes) {
    validate_attribute(attr, component, cs, tables, out);
  }
  return &own;
}

// Components directly in a list take the list's restriction; the containers between a
// component and its parent component lift it.
void validate_children(const NodeList& nodes, SchemaTables& tables, std::vector<Diagnostic>& out,
                       Restriction restriction) {
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
      const ComponentTables* own = validate_component(component, tables, out, top.restriction);
      if (own != nullptr) {
        Restriction inner = own->allowed_children ? &*own->allowed_children : nullptr;
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
  schema::SchemaTables tables(schema);
  schema::validate_children(root.children, tables, out, nullptr);
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

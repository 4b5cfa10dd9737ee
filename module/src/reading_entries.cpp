// validate, query_all and collect_text: read a tree dict back, then check, search or collect.

#include <string>
#include <string_view>
#include <vector>

#include "convert.h"
#include "functions.h"
#include "zuv/dict_form.h"
#include "zuv/dict_read.h"
#include "zuv/schema.h"
#include "zuv/walk.h"

namespace zuv::module {

namespace {

constexpr auto kValidateParameters = parameters("validate", 2, "ast", "schema");
constexpr auto kCollectTextParameters = parameters("collect_text", 1, "ast");
constexpr auto kQueryAllParameters = parameters("query_all", 2, "ast", "node_type");

Result<JsonValue> argument_value(ModuleState& state, PyObject* object) {
  Converted<JsonValue> value = python_to_value(state, object);
  if (!value) return pythonize_error_to_value_error(std::move(value).error());
  return std::move(*value);
}

Result<Root> read_root(JsonValue value) {
  DictResult<Root> root = root_from_value(std::move(value));
  if (!root) return value_error_from_message(root.take_error().message);
  return std::move(root).value();
}

// The matches of a query, split by how they are written: each outermost match (one with no
// matching ancestor) is written whole, and a match nested in it is found again inside that
// dict, so a node at depth d is written once rather than d + 1 times.
struct Matches {
  std::vector<const Node*> outermost;
  // How many matches stand below each outermost one.
  std::vector<size_t> nested;
  size_t count = 0;
};

// The walk of `walk_nodes` (the kinds that have `node_children`, in pre-order), which also
// knows whether a matching node encloses the one it visits.
void find_matches(const NodeList& nodes, std::string_view type, bool inside_match,
                  Matches& matches) {
  for (const Node& node : nodes) {
    const bool match = node_kind_tag(node.kind) == type;
    if (match) {
      ++matches.count;
      if (inside_match) {
        ++matches.nested.back();
      } else {
        matches.outermost.push_back(&node);
        matches.nested.push_back(0);
      }
    }
    if (const NodeList* children = node_children(node)) {
      find_matches(*children, type, inside_match || match, matches);
    }
  }
}

// Fills the result list of a query from the written dicts of the outermost matches.
class MatchPlacer {
 public:
  MatchPlacer(const ModuleState& state, std::string_view type, PyObject* result)
      : children_key_(state.fixed_keys[static_cast<size_t>(Key::children)]), type_(type),
        result_(result) {}

  // Places `dict`, written from `node`, when it matches, then the dicts of the matches below
  // it in pre-order, until `remaining` are placed. Every node the walk enters was written with
  // its children under "children", in the same order.
  void place(const Node& node, PyObject* dict, size_t& remaining) {
    if (node_kind_tag(node.kind) == type_) {
      PyList_SET_ITEM(result_, static_cast<Py_ssize_t>(placed_++), Py_NewRef(dict));
      --remaining;
    }
    const NodeList* children = node_children(node);
    if (children == nullptr || remaining == 0) return;
    PyObject* list = PyDict_CheckExact(dict) ? PyDict_GetItem(dict, children_key_) : nullptr;
    if (list == nullptr || !PyList_CheckExact(list) ||
        PyList_GET_SIZE(list) != static_cast<Py_ssize_t>(children->size())) {
      internal_fault("query_all: a written node's children differ from the node's");
    }
    for (size_t i = 0; i < children->size() && remaining > 0; ++i) {
      place((*children)[i], PyList_GET_ITEM(list, static_cast<Py_ssize_t>(i)), remaining);
    }
  }

  size_t placed() const { return placed_; }

 private:
  PyObject* children_key_;
  std::string_view type_;
  PyObject* result_;
  size_t placed_ = 0;
};

// The dicts of the matches in pre-order: each outermost one as written, followed by the dicts
// of the matches inside it, which are the very objects that stand in its own dict.
CallResult matches_to_python(const ModuleState& state, const Matches& matches,
                             std::string_view type) {
  if (matches.count == matches.outermost.size()) {
    return value_to_result(state, nodes_to_value(matches.outermost));
  }
  // Made before the dicts: a tracked object made after them would start a collection that
  // walks every new dict, which the conversion keeps the collector from doing.
  PyRef result = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(matches.count)));
  if (!result) return CallError::pending();
  CallResult outermost = value_to_result(state, nodes_to_value(matches.outermost));
  if (!outermost) return outermost;
  MatchPlacer placer(state, type, result.get());
  for (size_t i = 0; i < matches.outermost.size(); ++i) {
    size_t remaining = matches.nested[i] + 1;
    placer.place(*matches.outermost[i],
                 PyList_GET_ITEM(outermost->get(), static_cast<Py_ssize_t>(i)), remaining);
  }
  // Every slot is filled, or the list would hold nulls.
  if (placer.placed() != matches.count) internal_fault("query_all: matches were not placed");
  return result;
}

}  // namespace

CallResult py_validate(ModuleState& state, const CallArguments& call) {
  auto bound = bind_arguments(kValidateParameters, call);
  if (!bound) return std::move(bound).error();
  // Both objects are converted before either is read, and the tree is read before the schema.
  Result<JsonValue> ast = argument_value(state, (*bound)[0]);
  if (!ast) return std::move(ast).error();
  Result<JsonValue> schema_value = argument_value(state, (*bound)[1]);
  if (!schema_value) return std::move(schema_value).error();
  Result<Root> root = read_root(std::move(*ast));
  if (!root) return std::move(root).error();
  DictResult<Schema> schema = schema_from_value(std::move(*schema_value));
  if (!schema) return value_error_from_message(schema.take_error().message);

  std::vector<Diagnostic> diagnostics = validate_document(*root, schema.value());
  JsonArray items;
  items.reserve(diagnostics.size());
  for (Diagnostic& d : diagnostics) items.push_back(diagnostic_to_value(std::move(d)));
  return value_to_result(state, JsonValue::make_array(std::move(items)));
}

CallResult py_collect_text(ModuleState& state, const CallArguments& call) {
  auto bound = bind_arguments(kCollectTextParameters, call);
  if (!bound) return std::move(bound).error();
  Result<JsonValue> ast = argument_value(state, (*bound)[0]);
  if (!ast) return std::move(ast).error();
  Result<Root> root = read_root(std::move(*ast));
  if (!root) return std::move(root).error();
  const std::string text = collect_node_text(root->children);
  return new_object(PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

CallResult py_query_all(ModuleState& state, const CallArguments& call) {
  auto bound = bind_arguments(kQueryAllParameters, call);
  if (!bound) return std::move(bound).error();
  // The kind name is checked before anything is done with the tree.
  Result<std::string_view> node_type = bound->text(1);
  if (!node_type) return std::move(node_type).error();
  Result<JsonValue> ast = argument_value(state, (*bound)[0]);
  if (!ast) return std::move(ast).error();
  Result<Root> root = read_root(std::move(*ast));
  if (!root) return std::move(root).error();

  Matches matches;
  find_matches(root->children, *node_type, false, matches);
  return matches_to_python(state, matches, *node_type);
}

}  // namespace zuv::module

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

// The nodes of `nodes` and below whose kind tag is `type`, in pre-order: a match is followed by
// its own matching descendants.
std::vector<const Node*> find_nodes_by_type(const NodeList& nodes, std::string_view type) {
  std::vector<const Node*> matches;
  walk_nodes(nodes, [&](const Node& node) {
    if (node_kind_tag(node.kind) == type) matches.push_back(&node);
  });
  return matches;
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
  return new_object(
      PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
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

  const std::vector<const Node*> matches = find_nodes_by_type(root->children, *node_type);
  return value_to_result(state, nodes_to_value(matches));
}

}  // namespace zuv::module

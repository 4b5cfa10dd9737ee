// Reading the root: the one record read straight from the value, with its position and that
// position's points; every node below it is read inside a node.

#include "read_tree.h"
#include "zuv/dict_read.h"

namespace zuv {

namespace {

constexpr std::string_view kRootTypeNames[] = {"root"};

// The root's `type` holds no data; it must name the one root type.
DictStatus read_root_type(const JsonValue& value, Root&, ReadContext& ctx) {
  auto r = unit_enum_from_content(value, kRootTypeNames, ctx);
  if (!r) return r.take_error();
  return {};
}

constexpr Field kRootFields[] = {
    custom_field<Root, read_root_type>("type"),
    field<&Root::frontmatter, read_optional<read_any>>("frontmatter", FieldClass::Optional),
    field_into<&Root::children, read_list_into<Node, node_from_value>>("children"),
    field<&Root::position, read_position>("position"),
};
constexpr RecordSpec<Root> kRootRecord("Root", kRootFields);

}  // namespace

DictResult<Root> root_from_value(JsonValue value) {
  ReadContext ctx{ReadPlace::Value, 0};
  return read_record(value, kRootRecord, ctx);
}

}  // namespace zuv

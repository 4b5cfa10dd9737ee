// Reading a schema from its dict form, on the shared record reader: each record is a field
// table; only the name maps and the (name, prop) pairs of `global_props` need readers of their
// own.

#include <string>
#include <utility>

#include "messages.h"
#include "zuv/record_reader.h"
#include "zuv/schema.h"

namespace zuv {
namespace schema {
namespace {

DictResult<PropType> read_prop_type(const JsonValue& value, ReadContext& ctx) {
  return read_enum<PropType, EnumNames<PropType>::names>(value, ctx);
}

// Every field but the first may be left out, also at the end of the array form, so the
// optional fields are defaulted (to absent) rather than optional.
constexpr Field kPropFields[] = {
    field<&PropSchema::type, read_prop_type>("type"),
    field<&PropSchema::required, read_bool>("required", FieldClass::Defaulted),
    field<&PropSchema::default_value, read_optional<read_any>>("default", FieldClass::Defaulted),
    field<&PropSchema::values, read_optional<read_list<read_text>>>("values",
                                                                    FieldClass::Defaulted),
    field<&PropSchema::description, read_optional<read_text>>("description", FieldClass::Defaulted),
};
constexpr RecordSpec<PropSchema> kPropSchemaRecord("PropSchema", kPropFields);

// An object whose every key is a name and whose values `Elem` reads, in ascending key order.
// Filled in place: moving a finished hash map into the record trips a false alarm of g++ 12
// (-Wfree-nonheap-object on the map's inline bucket).
template <class T, auto Elem>
DictStatus read_name_map(const JsonValue& value, NameMap<T>& out, ReadContext& ctx) {
  if (!value.is_object()) return invalid_type(value, kExpectedMap);
  ReadLevel level(ctx);
  if (level.too_deep()) return nesting_too_deep();
  const std::span<const JsonMember> entries = value.members();
  out.reserve(entries.size());
  for (const JsonMember& entry : entries) {
    auto r = Elem(entry.value, ctx);
    if (!r) return r.take_error();
    out.emplace(std::string(entry.key.text()), std::move(r).value());
  }
  return {};
}

DictStatus read_props(const JsonValue& value, ComponentSchema& record, ReadContext& ctx) {
  return read_name_map<PropSchema, record_reader<kPropSchemaRecord>>(value, record.props, ctx);
}

constexpr Field kComponentFields[] = {
    custom_field<ComponentSchema, read_props>("props"),
    field<&ComponentSchema::self_closing, read_bool>("self_closing", FieldClass::Defaulted),
    field<&ComponentSchema::allowed_children, read_optional<read_list<read_text>>>(
        "allowed_children", FieldClass::Defaulted),
    field<&ComponentSchema::description, read_optional<read_text>>("description",
                                                                   FieldClass::Defaulted),
};
constexpr RecordSpec<ComponentSchema> kComponentSchemaRecord("ComponentSchema", kComponentFields);

// A two-element array: the name, then its prop schema. Its elements are read before its
// length is judged too long.
DictResult<std::pair<std::string, PropSchema>> read_global_prop(const JsonValue& value,
                                                                ReadContext& ctx) {
  if (!value.is_array()) return invalid_type(value, kExpectedPair);
  ReadLevel level(ctx);
  if (level.too_deep()) return nesting_too_deep();
  const std::span<const JsonValue> items = value.items();
  if (items.empty()) return invalid_length(0, kExpectedPair);
  auto name = read_text(items[0], ctx);
  if (!name) return name.take_error();
  if (items.size() == 1) return invalid_length(1, kExpectedPair);
  auto prop = read_record(items[1], kPropSchemaRecord, ctx);
  if (!prop) return prop.take_error();
  if (items.size() > 2) return invalid_length(items.size(), expected::kFewerElements);
  return std::pair{std::move(name).value(), std::move(prop).value()};
}

DictStatus read_components(const JsonValue& value, Schema& record, ReadContext& ctx) {
  return read_name_map<ComponentSchema, record_reader<kComponentSchemaRecord>>(
      value, record.components, ctx);
}

constexpr Field kSchemaFields[] = {
    custom_field<Schema, read_components>("components"),
    field<&Schema::strict, read_bool>("strict", FieldClass::Defaulted),
    field<&Schema::global_props, read_list<read_global_prop>>("global_props",
                                                              FieldClass::Defaulted),
};
constexpr RecordSpec<Schema> kSchemaRecord("Schema", kSchemaFields);

}  // namespace
}  // namespace schema

DictResult<Schema> schema_from_value(JsonValue value) {
  ReadContext ctx;  // a schema is read straight from the value given
  return read_record(value, schema::kSchemaRecord, ctx);
}

}  // namespace zuv

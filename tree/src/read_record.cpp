// The generic record reader and the element readers that every record's fields use.

#include <cstdint>

#include "zuv/record_reader.h"

namespace zuv {

namespace {

// The failures of the record reader, kept out of its frame: the reader recurses once per nesting
// level, and only its success path should cost stack.
[[gnu::cold, gnu::noinline]] DictFormError array_too_short(size_t index, const RecordInfo& info) {
  return invalid_length(index, record_length_text(info.name, info.fields.size()));
}

[[gnu::cold, gnu::noinline]] DictFormError array_too_long(size_t count, const RecordInfo& info,
                                                          const ReadContext& ctx) {
  if (ctx.place == ReadPlace::Value) return invalid_length(count, expected::kFewerElements);
  return invalid_length(count, sequence_length_text(info.fields.size()));
}

DictStatus read_fields_from_object(std::span<const JsonMember> members, const RecordInfo& info,
                                   void* record, ReadContext& ctx) {
  uint32_t seen = 0;
  for (const JsonMember& member : members) {
    const std::string_view key = member.key.text();
    for (size_t i = 0; i < info.fields.size(); ++i) {
      const Field& f = info.fields[i];
      if (f.key != key) continue;
      const uint32_t bit = uint32_t{1} << i;
      if (seen & bit) return duplicate_field(key);
      seen |= bit;
      if (DictStatus s = f.read(member.value, record, ctx); !s) return s;
      break;
    }
  }
  for (size_t i = 0; i < info.fields.size(); ++i) {
    const Field& f = info.fields[i];
    if (seen & (uint32_t{1} << i)) continue;
    switch (f.cls) {
      case FieldClass::Required: return missing_field(f.key);
      case FieldClass::Optional:
      case FieldClass::Defaulted: break;
    }
  }
  return {};
}

DictStatus read_fields_from_array(std::span<const JsonValue> array, size_t first,
                                  const RecordInfo& info, void* record, ReadContext& ctx) {
  const size_t count = array.size() - first;
  const size_t field_count = info.fields.size();
  for (size_t i = 0; i < field_count; ++i) {
    const Field& f = info.fields[i];
    if (i < count) {
      if (DictStatus s = f.read(array[first + i], record, ctx); !s) return s;
    } else if (f.cls != FieldClass::Defaulted) {
      // A defaulted field past the array's end keeps its initial value, and the message of the
      // next field counts it as if it had been there.
      return array_too_short(i, info);
    }
  }
  if (count > field_count) return array_too_long(count, info, ctx);
  return {};
}

}  // namespace

DictStatus read_fields(const JsonValue& value, size_t first, const RecordInfo& info, void* record,
                       ReadContext& ctx) {
  if (value.is_object()) return read_fields_from_object(value.members(), info, record, ctx);
  return read_fields_from_array(value.items(), first, info, record, ctx);
}

DictStatus read_record_into(const JsonValue& value, const RecordInfo& info, void* record,
                            ReadContext& ctx) {
  if (!value.is_object() && !value.is_array()) return invalid_type(value, record_text(info.name));
  ReadLevel level(ctx);
  if (level.too_deep()) return nesting_too_deep();
  return read_fields(value, 0, info, record, ctx);
}

DictResult<std::string> read_text(const JsonValue& value, ReadContext&) {
  if (!value.is_string()) return invalid_type(value, expected::kString);
  return std::string(value.text());
}

DictResult<bool> read_bool(const JsonValue& value, ReadContext&) {
  if (!value.is_bool()) return invalid_type(value, expected::kBoolean);
  return value.as_bool();
}

DictResult<JsonValue> read_any(const JsonValue& value, ReadContext&) { return JsonValue(value); }

DictResult<uint64_t> read_unsigned(const JsonValue& value, uint64_t max,
                                   std::string_view type_name) {
  switch (value.kind()) {
    case JsonValue::Kind::Unsigned:
      if (value.as_u64() > max) return invalid_value(value, type_name);
      return value.as_u64();
    case JsonValue::Kind::Signed: return invalid_value(value, type_name);
    case JsonValue::Kind::Null:
    case JsonValue::Kind::Bool:
    case JsonValue::Kind::Float:
    case JsonValue::Kind::String:
    case JsonValue::Kind::Array:
    case JsonValue::Kind::Object: break;
  }
  return invalid_type(value, type_name);
}

namespace {

template <class T>
DictResult<T> read_unsigned_as(const JsonValue& value, std::string_view type_name) {
  auto r = read_unsigned(value, std::numeric_limits<T>::max(), type_name);
  if (!r) return r.take_error();
  return static_cast<T>(r.value());
}

}  // namespace

DictResult<uint8_t> read_u8(const JsonValue& value, ReadContext&) {
  return read_unsigned_as<uint8_t>(value, expected::kU8);
}

DictResult<uint32_t> read_u32(const JsonValue& value, ReadContext&) {
  return read_unsigned_as<uint32_t>(value, expected::kU32);
}

DictResult<uint64_t> read_usize(const JsonValue& value, ReadContext&) {
  return read_unsigned_as<uint64_t>(value, expected::kUsize);
}

DictResult<TaggedRecord> find_record_tag(const JsonValue& value, std::string_view what) {
  if (value.is_object()) {
    if (const JsonValue* tag = value.get("type")) return TaggedRecord{tag, 0};
  } else if (value.is_array()) {
    if (!value.items().empty()) return TaggedRecord{&value.items().front(), 1};
  } else {
    return invalid_type(value, what);
  }
  return missing_field("type");
}

DictResult<size_t> variant_from_tag(const JsonValue& tag, std::span<const std::string_view> names,
                                    bool allow_index) {
  if (tag.is_string()) {
    const std::string_view name = tag.text();
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return i;
    }
    return unknown_variant(name, names);
  }
  if (allow_index && tag.kind() == JsonValue::Kind::Unsigned) {
    if (tag.as_u64() < names.size()) return static_cast<size_t>(tag.as_u64());
    return invalid_value(tag, variant_index_text(names.size()));
  }
  return invalid_type(tag, expected::kVariantIdentifier);
}

DictStatus read_unit(const JsonValue& value, const ReadContext& ctx) {
  if (value.is_null()) return {};
  // Inside a node an empty object stands for a unit too; straight from the value it does not.
  if (ctx.place == ReadPlace::Content && value.is_object() && value.members().empty()) return {};
  return invalid_type(value, expected::kUnit);
}

DictResult<size_t> unit_enum_from_content(const JsonValue& value,
                                          std::span<const std::string_view> names,
                                          const ReadContext& ctx) {
  auto index_of = [&](std::string_view name) -> DictResult<size_t> {
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return i;
    }
    return unknown_variant(name, names);
  };
  if (value.is_string()) return index_of(value.text());
  if (!value.is_object()) return invalid_type(value, expected::kStringOrMap);
  const std::span<const JsonMember> members = value.members();
  if (members.size() != 1) return invalid_value(value, expected::kSingleKeyMap);
  const JsonMember& entry = members.front();
  auto index = index_of(entry.key.text());
  if (!index) return index;
  if (DictStatus s = read_unit(entry.value, ctx); !s) return s.take_error();
  return index;
}

}  // namespace zuv

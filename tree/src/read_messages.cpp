// Every message text of the dict-form readers: the templates, the found texts and the
// escaping of found strings.

#include <algorithm>
#include <charconv>
#include <string>

#include "zuv/record_reader.h"
#include "zuv/unicode.h"

namespace zuv {

namespace {

struct CodePointRange {
  char32_t first;
  char32_t last;
};

#include "unicode_escape_tables.inc"

bool in_ranges(std::span<const CodePointRange> ranges, char32_t c) {
  auto it = std::upper_bound(ranges.begin(), ranges.end(), c,
                             [](char32_t v, const CodePointRange& r) { return v < r.first; });
  return it != ranges.begin() && c <= std::prev(it)->last;
}

void append_decimal(std::string& out, uint64_t v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

void append_hex(std::string& out, uint32_t v) {
  char buf[16];
  auto res = std::to_chars(buf, buf + sizeof buf, v, 16);
  out.append(buf, res.ptr);
}

DictFormError with_expected(std::string head, std::string_view expected_text) {
  head += ", expected ";
  head += expected_text;
  return DictFormError{std::move(head)};
}

}  // namespace

std::string escape_message_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
      out.push_back(static_cast<char>(byte));  // printable ASCII, the common case
      ++i;
      continue;
    }
    size_t len = 1;
    const char32_t c = decode_utf8(text, i, len);
    switch (c) {
      case U'"': out += "\\\""; break;
      case U'\\': out += "\\\\"; break;
      case U'\t': out += "\\t"; break;
      case U'\r': out += "\\r"; break;
      case U'\n': out += "\\n"; break;
      case U'\0': out += "\\0"; break;
      default:
        if (in_ranges(kGraphemeExtendRanges, c) || in_ranges(kNotPrintableRanges, c)) {
          out += "\\u{";
          append_hex(out, static_cast<uint32_t>(c));
          out += '}';
        } else {
          out.append(text.substr(i, len));
        }
    }
    i += len;
  }
  return out;
}

std::string describe_found_value(const JsonValue& value) {
  std::string out;
  switch (value.kind()) {
    case JsonValue::Kind::Null: return "null";
    case JsonValue::Kind::Bool: return value.as_bool() ? "boolean `true`" : "boolean `false`";
    case JsonValue::Kind::Unsigned:
      out = "integer `";
      append_decimal(out, value.as_u64());
      break;
    case JsonValue::Kind::Signed:
      out = "integer `-";
      // The magnitude of the most negative value does not fit in int64_t.
      append_decimal(out, 0 - static_cast<uint64_t>(value.as_i64()));
      break;
    case JsonValue::Kind::Float:
      out = "floating point `";
      out += format_float_shortest(value.as_f64());
      break;
    case JsonValue::Kind::String:
      out = "string \"";
      out += escape_message_text(value.text());
      out += '"';
      return out;
    case JsonValue::Kind::Array: return "sequence";
    case JsonValue::Kind::Object: return "map";
  }
  out += '`';
  return out;
}

std::string expected_one_of(std::span<const std::string_view> names) {
  std::string out;
  if (names.size() >= 3) out = "one of ";
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += names.size() == 2 ? " or " : ", ";
    out += '`';
    out += names[i];
    out += '`';
  }
  return out;
}

DictFormError invalid_type(const JsonValue& found, std::string_view expected_text) {
  return with_expected("invalid type: " + describe_found_value(found), expected_text);
}

DictFormError invalid_value(const JsonValue& found, std::string_view expected_text) {
  return with_expected("invalid value: " + describe_found_value(found), expected_text);
}

DictFormError invalid_length(size_t length, std::string_view expected_text) {
  std::string head = "invalid length ";
  append_decimal(head, length);
  return with_expected(std::move(head), expected_text);
}

DictFormError missing_field(std::string_view key) {
  return DictFormError{"missing field `" + std::string(key) + "`"};
}

DictFormError duplicate_field(std::string_view key) {
  return DictFormError{"duplicate field `" + std::string(key) + "`"};
}

DictFormError unknown_variant(std::string_view name, std::span<const std::string_view> names) {
  std::string head = "unknown variant `" + std::string(name) + "`";
  if (names.empty()) return DictFormError{head + ", there are no variants"};
  return with_expected(std::move(head), expected_one_of(names));
}

DictFormError nesting_too_deep() {
  std::string text = "nesting too deep (more than ";
  append_decimal(text, kMaxValueDepth);
  text += " levels)";
  return DictFormError{std::move(text)};
}

std::string sequence_length_text(size_t field_count) {
  std::string out;
  append_decimal(out, field_count);
  out += field_count == 1 ? " element in sequence" : " elements in sequence";
  return out;
}

std::string variant_index_text(size_t variant_count) {
  std::string out = "variant index 0 <= i < ";
  append_decimal(out, variant_count);
  return out;
}

std::string record_text(const RecordName& name) {
  std::string out = "struct ";
  if (!name.enum_name.empty()) {
    out += "variant ";
    out += name.enum_name;
    out += "::";
  }
  out += name.name;
  return out;
}

std::string record_length_text(const RecordName& name, size_t field_count) {
  std::string out = record_text(name);
  out += " with ";
  append_decimal(out, field_count);
  out += field_count == 1 ? " element" : " elements";
  return out;
}

}  // namespace zuv

#include "zuv/json.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>

namespace zuv {

namespace {

bool key_less(std::string_view a, std::string_view b) {
  // Byte order: std::string_view compares as unsigned char via char_traits<char>::compare
  // (memcmp), so multi-byte UTF-8 sorts after ASCII, and a prefix sorts first.
  return a < b;
}

}  // namespace

JsonObject::JsonObject() = default;
JsonObject::JsonObject(const JsonObject&) = default;
JsonObject::JsonObject(JsonObject&&) noexcept = default;
JsonObject& JsonObject::operator=(const JsonObject&) = default;
JsonObject& JsonObject::operator=(JsonObject&&) noexcept = default;
JsonObject::~JsonObject() = default;

void JsonObject::insert(JsonKey key, JsonValue value) {
  std::string_view k = key.text();
  auto it = std::lower_bound(entries_.begin(), entries_.end(), k,
                             [](const JsonMember& m, std::string_view t) {
                               return key_less(m.key.text(), t);
                             });
  if (it != entries_.end() && it->key.text() == k) {
    it->value = std::move(value);
    return;
  }
  entries_.insert(it, JsonMember{std::move(key), std::move(value)});
}

void JsonObject::push_sorted(JsonKey key, JsonValue value) {
  assert(entries_.empty() || key_less(entries_.back().key.text(), key.text()));
  entries_.push_back(JsonMember{std::move(key), std::move(value)});
}

const JsonValue* JsonObject::find(std::string_view key) const {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                             [](const JsonMember& m, std::string_view t) {
                               return key_less(m.key.text(), t);
                             });
  if (it != entries_.end() && it->key.text() == key) return &it->value;
  return nullptr;
}

JsonValue* JsonObject::find(std::string_view key) {
  return const_cast<JsonValue*>(std::as_const(*this).find(key));
}

void JsonObject::reserve(size_t n) { entries_.reserve(n); }
size_t JsonObject::size() const { return entries_.size(); }
bool JsonObject::empty() const { return entries_.empty(); }
JsonObject::Entries::const_iterator JsonObject::begin() const { return entries_.begin(); }
JsonObject::Entries::const_iterator JsonObject::end() const { return entries_.end(); }
JsonObject::Entries::iterator JsonObject::begin() { return entries_.begin(); }
JsonObject::Entries::iterator JsonObject::end() { return entries_.end(); }

bool operator==(const JsonObject& a, const JsonObject& b) {
  if (a.entries_.size() != b.entries_.size()) return false;
  for (size_t i = 0; i < a.entries_.size(); ++i) {
    if (a.entries_[i].key.text() != b.entries_[i].key.text()) return false;
    if (!(a.entries_[i].value == b.entries_[i].value)) return false;
  }
  return true;
}

JsonValue JsonValue::make_i64(int64_t i) {
  if (i >= 0) return make_u64(static_cast<uint64_t>(i));
  return JsonValue(Storage(std::in_place_index<3>, i));
}

JsonValue JsonValue::make_f64(double f) {
  if (!std::isfinite(f)) return JsonValue();
  return JsonValue(Storage(std::in_place_index<4>, f));
}

const JsonValue* JsonValue::get(std::string_view key) const {
  return is_object() ? as_object().find(key) : nullptr;
}

JsonValue JsonNumber::to_value() const {
  switch (form_) {
    case Form::Unsigned: return JsonValue::make_u64(u_);
    case Form::Signed: return JsonValue::make_i64(i_);
    case Form::Float: return JsonValue::make_f64(f_);
  }
  return JsonValue();
}

std::string format_float_shortest(double f) {
  std::string out;
  if (std::signbit(f)) out.push_back('-');
  double a = std::fabs(f);
  if (a == 0.0) {
    out += "0.0";
    return out;
  }
  // Scientific shortest round-trip form: d[.ddd]e[+-]XX. Its digits and exponent are what
  // the layout below needs.
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific);
  std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
  size_t epos = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, epos)) {
    if (c != '.') digits.push_back(c);
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exp = 0;
  std::string_view es = sci.substr(epos + 1);
  bool neg_exp = !es.empty() && es[0] == '-';
  if (!es.empty() && (es[0] == '-' || es[0] == '+')) es.remove_prefix(1);
  std::from_chars(es.data(), es.data() + es.size(), exp);
  if (neg_exp) exp = -exp;

  const int n = static_cast<int>(digits.size());
  if (exp > 15 || exp < -5) {
    out.push_back(digits[0]);
    if (n > 1) {
      out.push_back('.');
      out.append(digits, 1, std::string::npos);
    }
    out.push_back('e');
    out.push_back(exp < 0 ? '-' : '+');
    out += std::to_string(exp < 0 ? -exp : exp);
  } else if (exp < 0) {
    out += "0.";
    out.append(static_cast<size_t>(-exp - 1), '0');
    out += digits;
  } else if (n > exp + 1) {
    out.append(digits, 0, static_cast<size_t>(exp + 1));
    out.push_back('.');
    out.append(digits, static_cast<size_t>(exp + 1), std::string::npos);
  } else {
    out += digits;
    out.append(static_cast<size_t>(exp + 1 - n), '0');
    out += ".0";
  }
  return out;
}

void append_json_string(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out.push_back(kHex[c >> 4]);
          out.push_back(kHex[c & 15]);
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
}

void append_json_text(std::string& out, const JsonValue& v) {
  switch (v.kind()) {
    case JsonValue::Kind::Null: out += "null"; return;
    case JsonValue::Kind::Bool: out += v.as_bool() ? "true" : "false"; return;
    case JsonValue::Kind::Unsigned: out += std::to_string(v.as_u64()); return;
    case JsonValue::Kind::Signed: out += std::to_string(v.as_i64()); return;
    case JsonValue::Kind::Float: out += format_float_shortest(v.as_f64()); return;
    case JsonValue::Kind::String: append_json_string(out, v.as_string()); return;
    case JsonValue::Kind::Array: {
      out.push_back('[');
      bool first = true;
      for (const JsonValue& e : v.as_array()) {
        if (!first) out.push_back(',');
        first = false;
        append_json_text(out, e);
      }
      out.push_back(']');
      return;
    }
    case JsonValue::Kind::Object: {
      out.push_back('{');
      bool first = true;
      for (const JsonMember& m : v.as_object()) {
        if (!first) out.push_back(',');
        first = false;
        append_json_string(out, m.key.text());
        out.push_back(':');
        append_json_text(out, m.value);
      }
      out.push_back('}');
      return;
    }
  }
}

std::string to_json_text(const JsonValue& v) {
  std::string out;
  append_json_text(out, v);
  return out;
}

}  // namespace zuv

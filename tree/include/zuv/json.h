#pragma once
// The JSON value tree: the form in which trees, schemas, front matter and attribute values cross
// between the parser, the dict form and Python.
//
// - Numbers keep their form: unsigned 64-bit, signed 64-bit (negative values only) or finite
//   64-bit float. The factories normalise: a non-negative signed value becomes unsigned, a
//   non-finite float becomes null.
// - Objects keep their keys in ascending byte order (a key sorts before every longer key it
//   begins) in one flat sorted vector; inserting a present key replaces its value. Writers that
//   know their keys append them already sorted with `push_sorted`, which costs no search.
// - Keys that the dict form fixes are `Key` values, held without allocation and recognised by
//   the Python conversion, which maps each to an interned str made once.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace zuv {

// Every key the writers use, as an X-macro: the identifier and its text.
#define ZUV_JSON_KEYS(X)                                                                       \
  X(alt, "alt") X(annotation, "annotation") X(attributes, "attributes") X(base, "base")       \
  X(body, "body") X(caption, "caption") X(cells, "cells") X(checked, "checked")               \
  X(children, "children") X(close, "close") X(color, "color") X(column, "column")             \
  X(columns, "columns") X(component, "component") X(condition, "condition")                   \
  X(custom, "custom") X(delimiters, "delimiters") X(denominator, "denominator")                \
  X(depth, "depth") X(diff, "diff") X(end, "end") X(expr, "expr") X(font, "font")             \
  X(frontmatter, "frontmatter") X(highlight, "highlight") X(id, "id") X(index, "index")       \
  X(isInline, "isInline") X(keys, "keys") X(kind, "kind") X(label, "label") X(lang, "lang")   \
  X(limits, "limits") X(line, "line") X(locator, "locator") X(lower, "lower")                 \
  X(medium, "medium") X(message, "message") X(meta, "meta") X(mode, "mode") X(name, "name")   \
  X(neg_thin, "neg_thin") X(numbered, "numbered") X(numerator, "numerator")                   \
  X(offset, "offset") X(op, "op") X(open, "open") X(ordered, "ordered") X(over, "over")       \
  X(path, "path") X(position, "position") X(prefix, "prefix") X(q_quad, "q_quad")             \
  X(quad, "quad") X(raw, "raw") X(rawContent, "rawContent") X(rows, "rows")                   \
  X(script, "script") X(severity, "severity") X(showLineNumbers, "showLineNumbers")           \
  X(start, "start") X(style, "style") X(sub, "sub") X(sup, "sup") X(symbol, "symbol")         \
  X(target, "target") X(thick, "thick") X(thin, "thin") X(title, "title") X(tree, "tree")     \
  X(type, "type") X(under, "under") X(upper, "upper") X(url, "url") X(value, "value")

enum class Key : uint8_t {
#define ZUV_KEY_ENUM(id, text) id,
  ZUV_JSON_KEYS(ZUV_KEY_ENUM)
#undef ZUV_KEY_ENUM
};

inline constexpr std::string_view kKeyTexts[] = {
#define ZUV_KEY_TEXT(id, text) text,
    ZUV_JSON_KEYS(ZUV_KEY_TEXT)
#undef ZUV_KEY_TEXT
};
inline constexpr std::size_t kKeyCount = std::size(kKeyTexts);

inline constexpr std::string_view key_text(Key k) { return kKeyTexts[static_cast<size_t>(k)]; }

// An object key: one of the fixed keys (no allocation) or an owned text.
class JsonKey {
 public:
  static constexpr uint16_t kDynamic = 0xFFFF;

  JsonKey(Key k) : known_(static_cast<uint16_t>(k)) {}  // NOLINT: implicit by design
  explicit JsonKey(std::string text) : text_(std::move(text)) {}
  explicit JsonKey(std::string_view text) : text_(text) {}

  std::string_view text() const { return known_ == kDynamic ? text_ : kKeyTexts[known_]; }
  // The fixed key this is, or kDynamic for an owned text (even one equal to a fixed key's text).
  uint16_t known() const { return known_; }
  // Takes the text out, leaving the key empty.
  std::string release_text() {
    return known_ == kDynamic ? std::move(text_) : std::string(kKeyTexts[known_]);
  }

 private:
  std::string text_;
  uint16_t known_ = kDynamic;
};

class JsonValue;
struct JsonMember;

class JsonObject {
 public:
  using Entries = std::vector<JsonMember>;

  // Defined below `JsonMember`, which is incomplete here: clang instantiates the entry vector's
  // constexpr members where the implicit ones would first be used.
  JsonObject();
  JsonObject(const JsonObject&);
  JsonObject(JsonObject&&) noexcept;
  JsonObject& operator=(const JsonObject&);
  JsonObject& operator=(JsonObject&&) noexcept;
  ~JsonObject();

  // Inserts in key order, replacing the value of a present key.
  void insert(JsonKey key, JsonValue value);
  // Appends a key that sorts after every key present; the writers' fast path.
  void push_sorted(JsonKey key, JsonValue value);
  const JsonValue* find(std::string_view key) const;
  JsonValue* find(std::string_view key);
  void reserve(size_t n);

  size_t size() const;
  bool empty() const;
  Entries::const_iterator begin() const;
  Entries::const_iterator end() const;
  Entries::iterator begin();
  Entries::iterator end();
  const Entries& entries() const { return entries_; }
  Entries& entries() { return entries_; }

  friend bool operator==(const JsonObject& a, const JsonObject& b);

 private:
  Entries entries_;
};

using JsonArray = std::vector<JsonValue>;

class JsonValue {
 public:
  enum class Kind : uint8_t { Null, Bool, Unsigned, Signed, Float, String, Array, Object };

  JsonValue() = default;  // null
  static JsonValue make_bool(bool b) { return JsonValue(Storage(std::in_place_index<1>, b)); }
  static JsonValue make_u64(uint64_t u) { return JsonValue(Storage(std::in_place_index<2>, u)); }
  // A non-negative value is held unsigned: the signed form holds negative values only.
  static JsonValue make_i64(int64_t i);
  // A float that is not finite has no JSON form and becomes null.
  static JsonValue make_f64(double f);
  static JsonValue make_string(std::string s) {
    return JsonValue(Storage(std::in_place_index<5>, std::move(s)));
  }
  static JsonValue make_string(std::string_view s) { return make_string(std::string(s)); }
  static JsonValue make_string(const char* s) { return make_string(std::string(s)); }
  static JsonValue make_array(JsonArray a = {}) {
    return JsonValue(Storage(std::in_place_index<6>, std::move(a)));
  }
  static JsonValue make_object(JsonObject o = {}) {
    return JsonValue(Storage(std::in_place_index<7>, std::move(o)));
  }

  Kind kind() const { return static_cast<Kind>(v_.index()); }
  bool is_null() const { return kind() == Kind::Null; }
  bool is_bool() const { return kind() == Kind::Bool; }
  bool is_number() const {
    return kind() == Kind::Unsigned || kind() == Kind::Signed || kind() == Kind::Float;
  }
  bool is_integer() const { return kind() == Kind::Unsigned || kind() == Kind::Signed; }
  bool is_string() const { return kind() == Kind::String; }
  bool is_array() const { return kind() == Kind::Array; }
  bool is_object() const { return kind() == Kind::Object; }

  bool as_bool() const { return std::get<1>(v_); }
  uint64_t as_u64() const { return std::get<2>(v_); }
  int64_t as_i64() const { return std::get<3>(v_); }
  double as_f64() const { return std::get<4>(v_); }
  const std::string& as_string() const { return std::get<5>(v_); }
  std::string& as_string() { return std::get<5>(v_); }
  const JsonArray& as_array() const { return std::get<6>(v_); }
  JsonArray& as_array() { return std::get<6>(v_); }
  const JsonObject& as_object() const { return std::get<7>(v_); }
  JsonObject& as_object() { return std::get<7>(v_); }

  // The value under `key` when this is an object holding it, else null.
  const JsonValue* get(std::string_view key) const;

  friend bool operator==(const JsonValue& a, const JsonValue& b) { return a.v_ == b.v_; }

 private:
  using Storage = std::variant<std::monostate, bool, uint64_t, int64_t, double, std::string,
                               JsonArray, JsonObject>;
  explicit JsonValue(Storage s) : v_(std::move(s)) {}
  Storage v_;
};

struct JsonMember {
  JsonKey key;
  JsonValue value;
};

inline JsonObject::JsonObject() = default;
inline JsonObject::JsonObject(const JsonObject&) = default;
inline JsonObject::JsonObject(JsonObject&&) noexcept = default;
inline JsonObject& JsonObject::operator=(const JsonObject&) = default;
inline JsonObject& JsonObject::operator=(JsonObject&&) noexcept = default;
inline JsonObject::~JsonObject() = default;

// A JSON number in one of its three forms; the number of an attribute value.
class JsonNumber {
 public:
  enum class Form : uint8_t { Unsigned, Signed, Float };

  static JsonNumber from_u64(uint64_t u) { return JsonNumber(Form::Unsigned, u, 0, 0.0); }
  // Non-negative values are held unsigned.
  static JsonNumber from_i64(int64_t i) {
    return i >= 0 ? from_u64(static_cast<uint64_t>(i)) : JsonNumber(Form::Signed, 0, i, 0.0);
  }
  static JsonNumber from_f64(double f) { return JsonNumber(Form::Float, 0, 0, f); }

  Form form() const { return form_; }
  uint64_t as_u64() const { return u_; }
  int64_t as_i64() const { return i_; }
  double as_f64() const { return f_; }
  // The JSON value; a non-finite float becomes null.
  JsonValue to_value() const;

  friend bool operator==(const JsonNumber& a, const JsonNumber& b) {
    if (a.form_ != b.form_) return false;
    switch (a.form_) {
      case Form::Unsigned: return a.u_ == b.u_;
      case Form::Signed: return a.i_ == b.i_;
      case Form::Float: return a.f_ == b.f_;
    }
    return false;
  }

 private:
  JsonNumber(Form form, uint64_t u, int64_t i, double f) : form_(form), u_(u), i_(i), f_(f) {}
  Form form_;
  uint64_t u_;
  int64_t i_;
  double f_;
};

// The shortest decimal text that reads back as `f` (finite), laid out with an exponent when the
// decimal exponent is above 15 or below -5, and ".0" on whole numbers: 1.0, 0.25, 12.5,
// 1000000000000000.0, 1e+16, 1.5e-7, -0.0.
std::string format_float_shortest(double f);

// Compact JSON text (no blanks), floats by `format_float_shortest`, strings escaped as JSON
// requires (quotation mark, backslash and control characters; everything else as is).
std::string to_json_text(const JsonValue& v);
void append_json_text(std::string& out, const JsonValue& v);
void append_json_string(std::string& out, std::string_view s);

}  // namespace zuv

#pragma once
// The JSON value tree: the form in which trees, schemas, front matter and attribute values cross
// between the parser, the dict form and Python.
//
// - Numbers keep their form: unsigned 64-bit, signed 64-bit (negative values only) or finite
//   64-bit float. The factories normalise: a non-negative signed value becomes unsigned, a
//   non-finite float becomes null.
// - Objects keep their keys in ascending byte order (a key sorts before every longer key it
//   begins); inserting a present key replaces its value. Writers that know their keys append
//   them already sorted with `push_sorted`, which costs no search.
// - Keys that the dict form fixes are `Key` values, held without allocation and recognised by
//   the Python conversion, which maps each to an interned str made once.
//
// Storage. A value is 16 bytes. Scalars are held inline. Strings, arrays and objects made by the
// factories are owned, each in one heap record (`std::string`, `JsonArray`, `JsonObject`), and
// can be edited through `as_string`, `as_array` and `as_object`. The dict-form writers build a
// whole tree at once in a `JsonArena`: every string, item and member of it lives in the arena's
// blocks and the tree's top value owns the arena, so building costs a few block allocations and
// releasing costs one walk over the blocks, whatever the size of the tree. Such a tree is read
// through `text`, `items` and `members`, like every other value; the first call of an editing
// accessor on it copies it into owned records. A copy of any value is an owned value, so every
// copy is independent of the arena its source came from.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zuv {

// Every key the writers use, as an X-macro: the identifier and its text.
// clang-format off
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
// clang-format on

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

// Each fixed key's place in the byte order of all their texts.
inline constexpr auto kKeyRanks = [] {
  std::array<uint8_t, kKeyCount> ranks{};
  for (size_t i = 0; i < kKeyCount; ++i) {
    for (size_t j = 0; j < kKeyCount; ++j) ranks[i] += kKeyTexts[j] < kKeyTexts[i] ? 1 : 0;
  }
  return ranks;
}();

// The fixed key whose text is `text`, if there is one.
std::optional<Key> key_from_text(std::string_view text);

class JsonArena;

// An object key in 8 bytes: one of the fixed keys (no allocation), an owned text, or a text in an
// arena or in static storage. A text is laid out as its 32-bit length followed by its bytes.
class JsonKey {
 public:
  static constexpr uint16_t kDynamic = 0xFFFF;

  JsonKey(Key k) noexcept  // NOLINT: implicit by design
      : bits_((static_cast<uintptr_t>(k) << kTagBits) | kKnownTag) {}
  explicit JsonKey(std::string_view text) : bits_(own(text)) {}
  explicit JsonKey(const std::string& text) : bits_(own(text)) {}
  explicit JsonKey(const char* text) : bits_(own(text)) {}
  JsonKey(const JsonKey& other)
      : bits_(other.known() == kDynamic ? own(other.text()) : other.bits_) {}
  JsonKey(JsonKey&& other) noexcept : bits_(other.bits_) { other.bits_ = empty_bits(); }
  JsonKey& operator=(const JsonKey& other);
  JsonKey& operator=(JsonKey&& other) noexcept {
    if (this != &other) {
      release();
      bits_ = other.bits_;
      other.bits_ = empty_bits();
    }
    return *this;
  }
  ~JsonKey() { release(); }

  std::string_view text() const {
    if (bits_ & kKnownTag) return kKeyTexts[bits_ >> kTagBits];
    const char* record = reinterpret_cast<const char*>(bits_ & ~kTagMask);
    uint32_t size;
    std::memcpy(&size, record, sizeof size);
    return {record + sizeof size, size};
  }
  // The fixed key this is, or kDynamic for a key made from a text (even a fixed key's text).
  uint16_t known() const {
    return bits_ & kKnownTag ? static_cast<uint16_t>(bits_ >> kTagBits) : kDynamic;
  }
  // Byte order of the texts; two fixed keys compare without reading their texts.
  friend bool operator<(const JsonKey& a, const JsonKey& b) {
    if (a.bits_ & b.bits_ & kKnownTag) {
      return kKeyRanks[a.bits_ >> kTagBits] < kKeyRanks[b.bits_ >> kTagBits];
    }
    return a.text() < b.text();
  }

 private:
  friend class JsonArena;
  static constexpr uintptr_t kKnownTag = 1;
  static constexpr uintptr_t kOwnedTag = 2;
  static constexpr uintptr_t kTagMask = 7;
  static constexpr unsigned kTagBits = 3;

  explicit JsonKey(uintptr_t bits) noexcept : bits_(bits) {}
  static uintptr_t own(std::string_view text);
  static uintptr_t empty_bits() noexcept;
  void release() noexcept {
    if (bits_ & kOwnedTag) free_text();
  }
  void free_text() noexcept;

  uintptr_t bits_;
};

class JsonValue;
struct JsonMember;
using JsonArray = std::vector<JsonValue>;

// The owned form of an object's members.
class JsonObject {
 public:
  using Entries = std::vector<JsonMember>;

  // Out of line: `JsonMember` is still incomplete here, and clang instantiates the vector's
  // (constexpr) members as soon as an inline body names them.
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

class JsonValue {
 public:
  enum class Kind : uint8_t { Null, Bool, Unsigned, Signed, Float, String, Array, Object };

  JsonValue() noexcept : u_(0) {}     // null
  JsonValue(const JsonValue& other);  // an owned copy
  JsonValue(JsonValue&& other) noexcept
      : kind_(other.kind_), storage_(other.storage_), size_(other.size_), u_(other.u_) {
    other.kind_ = Kind::Null;
    other.storage_ = Storage::Inline;
  }
  JsonValue& operator=(const JsonValue& other);
  JsonValue& operator=(JsonValue&& other) noexcept {
    // `other` may lie inside this value: it is taken before this value is released.
    JsonValue taken(std::move(other));
    if (storage_ != Storage::Inline) release();
    kind_ = taken.kind_;
    storage_ = taken.storage_;
    size_ = taken.size_;
    u_ = taken.u_;
    taken.kind_ = Kind::Null;
    taken.storage_ = Storage::Inline;
    return *this;
  }
  ~JsonValue() {
    if (storage_ != Storage::Inline) release();
  }

  static JsonValue make_bool(bool b);
  static JsonValue make_u64(uint64_t u);
  // A non-negative value is held unsigned: the signed form holds negative values only.
  static JsonValue make_i64(int64_t i);
  // A float that is not finite has no JSON form and becomes null.
  static JsonValue make_f64(double f);
  static JsonValue make_string(std::string s);
  static JsonValue make_string(std::string_view s);
  static JsonValue make_string(const char* s);
  static JsonValue make_array();
  static JsonValue make_array(JsonArray a);
  static JsonValue make_object();
  static JsonValue make_object(JsonObject o);

  Kind kind() const { return kind_; }
  bool is_null() const { return kind_ == Kind::Null; }
  bool is_bool() const { return kind_ == Kind::Bool; }
  bool is_number() const {
    return kind_ == Kind::Unsigned || kind_ == Kind::Signed || kind_ == Kind::Float;
  }
  bool is_integer() const { return kind_ == Kind::Unsigned || kind_ == Kind::Signed; }
  bool is_string() const { return kind_ == Kind::String; }
  bool is_array() const { return kind_ == Kind::Array; }
  bool is_object() const { return kind_ == Kind::Object; }

  bool as_bool() const { return b_; }
  uint64_t as_u64() const { return u_; }
  int64_t as_i64() const { return i_; }
  double as_f64() const { return f_; }

  // Reading, in every storage: the text of a string, the items of an array, the members of an
  // object (in key order). Each is empty for a value of another kind.
  std::string_view text() const;
  std::span<const JsonValue> items() const;
  std::span<const JsonMember> members() const;
  // The value under `key` when this is an object holding it, else null.
  const JsonValue* get(std::string_view key) const;

  // Editing: the owned record of a string, array or object (which this must be), made owned
  // first when it lives in an arena.
  std::string& as_string();
  JsonArray& as_array();
  JsonObject& as_object();

  friend bool operator==(const JsonValue& a, const JsonValue& b);

 private:
  friend class JsonArena;
  // Inline: a scalar. Owned: `string_`, `array_` or `object_` points to the value's own record.
  // Borrowed: `chars_`, `items_` or `members_` (`size_` of them) lie in an arena or in static
  // storage. Arena: `arena_` is owned and holds the (borrowed) top of the tree.
  enum class Storage : uint8_t { Inline, Owned, Borrowed, Arena };

  // A value of `kind` and `storage` whose payload is still to be set.
  static JsonValue shell(Kind kind, Storage storage, size_t size = 0) {
    if (size >= kLongText) [[unlikely]]
      too_large();
    JsonValue v;
    v.kind_ = kind;
    v.storage_ = storage;
    v.size_ = static_cast<uint32_t>(size);
    return v;
  }
  // `size_` of a borrowed text of 4 GiB or more, whose length then precedes its bytes.
  static constexpr uint32_t kLongText = UINT32_MAX;
  [[noreturn]] static void too_large();
  const JsonValue& resolved() const;
  void release() noexcept;
  bool is_owned_container() const {
    return storage_ == Storage::Owned && (kind_ == Kind::Array || kind_ == Kind::Object);
  }
  // Frees an owned array or object with the owned containers below it.
  void release_owned_tree() noexcept;
  void make_owned();

  Kind kind_ = Kind::Null;
  Storage storage_ = Storage::Inline;
  uint32_t size_ = 0;
  union {
    bool b_;
    uint64_t u_;
    int64_t i_;
    double f_;
    std::string* string_;
    JsonArray* array_;
    JsonObject* object_;
    const char* chars_;
    JsonValue* items_;
    JsonMember* members_;
    JsonArena* arena_;
  };
};

struct JsonMember {
  JsonKey key;
  JsonValue value;
};

inline JsonValue JsonValue::make_bool(bool b) {
  JsonValue v;
  v.kind_ = Kind::Bool;
  v.b_ = b;
  return v;
}

inline JsonValue JsonValue::make_u64(uint64_t u) {
  JsonValue v;
  v.kind_ = Kind::Unsigned;
  v.u_ = u;
  return v;
}

inline JsonValue JsonValue::make_i64(int64_t i) {
  if (i >= 0) return make_u64(static_cast<uint64_t>(i));
  JsonValue v;
  v.kind_ = Kind::Signed;
  v.i_ = i;
  return v;
}

// The members of a sorted member list under `key`, or null.
const JsonValue* find_member(std::span<const JsonMember> members, std::string_view key);

// Storage for a value tree that is written once and then only read: the texts, items and
// members of every value built through it, in large blocks freed together. The values it makes
// are borrowed: they must not outlive it, so a finished tree is handed out with `adopt`, which
// gives the arena to the tree's top value.
class JsonArena {
 public:
  JsonArena() = default;
  JsonArena(const JsonArena&) = delete;
  JsonArena& operator=(const JsonArena&) = delete;
  ~JsonArena();

  // A string copied into the arena.
  JsonValue string(std::string_view text);
  // A string whose text lives in static storage (a kind name, an enumeration name).
  static JsonValue static_string(std::string_view text) {
    JsonValue v =
        JsonValue::shell(JsonValue::Kind::String, JsonValue::Storage::Borrowed, text.size());
    v.chars_ = text.data();
    return v;
  }
  // `n` null items, to be filled and then closed with `array`.
  JsonValue* new_items(size_t n);
  // Room for `n` members, each to be constructed in place (`new (slot) JsonMember{...}`) and then
  // closed with `object`; slots left unconstructed are never touched again.
  JsonMember* new_members(size_t n) {
    return static_cast<JsonMember*>(allocate(n * sizeof(JsonMember)));
  }
  static JsonValue array(JsonValue* items, size_t n) {
    JsonValue v = JsonValue::shell(JsonValue::Kind::Array, JsonValue::Storage::Borrowed, n);
    v.items_ = items;
    return v;
  }
  // The first `n` members, which must be in ascending key order.
  static JsonValue object(JsonMember* members, size_t n) {
    JsonValue v = JsonValue::shell(JsonValue::Kind::Object, JsonValue::Storage::Borrowed, n);
    v.members_ = members;
    return v;
  }
  // A key copied into the arena.
  JsonKey key(std::string_view text);
  // A copy of `value` (of any storage) in the arena; of an owned array's items, of an owned
  // object's members.
  JsonValue copy(const JsonValue& value);
  JsonValue copy(std::span<const JsonValue> items);
  JsonValue copy(std::span<const JsonMember> members);

  // The tree whose top is `top`, owning `arena`.
  static JsonValue adopt(std::unique_ptr<JsonArena> arena, JsonValue top);

 private:
  friend class JsonValue;
  struct Block {
    Block* next;
  };
  // A value still to be copied, and the arena slot its copy goes into.
  struct PendingCopy {
    const JsonValue* source;
    JsonValue* slot;
  };
  JsonValue copy_scalar(const JsonValue& value);
  JsonValue copy_container(std::span<const JsonValue> source, std::vector<PendingCopy>& pending);
  JsonValue copy_container(std::span<const JsonMember> source, std::vector<PendingCopy>& pending);
  void copy_pending(std::vector<PendingCopy>& pending);
  static constexpr size_t kAlignment = alignof(std::max_align_t);
  void* allocate(size_t bytes) {
    bytes = (bytes + kAlignment - 1) & ~(kAlignment - 1);
    if (static_cast<size_t>(end_ - next_) < bytes) return grow(bytes);
    void* p = next_;
    next_ += bytes;
    return p;
  }
  void* grow(size_t bytes);

  Block* blocks_ = nullptr;
  char* next_ = nullptr;
  char* end_ = nullptr;
  size_t block_size_ = 0;
  JsonValue top_;
};

inline const JsonValue& JsonValue::resolved() const {
  if (storage_ != Storage::Arena) return *this;
  return arena_->top_;
}

inline std::string_view JsonValue::text() const {
  const JsonValue& v = resolved();
  if (v.kind_ != Kind::String) return {};
  if (v.storage_ == Storage::Owned) return *v.string_;
  if (v.size_ == kLongText) [[unlikely]] {
    uint64_t size;
    std::memcpy(&size, v.chars_, sizeof size);
    return {v.chars_ + sizeof size, size};
  }
  return {v.chars_, v.size_};
}

inline std::span<const JsonValue> JsonValue::items() const {
  const JsonValue& v = resolved();
  if (v.kind_ != Kind::Array) return {};
  if (v.storage_ == Storage::Owned) return *v.array_;
  return {v.items_, v.size_};
}

inline std::span<const JsonMember> JsonValue::members() const {
  const JsonValue& v = resolved();
  if (v.kind_ != Kind::Object) return {};
  if (v.storage_ == Storage::Owned) return v.object_->entries();
  return {v.members_, v.size_};
}

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

// Compact JSON text (no blanks), strings escaped as JSON requires (quotation mark, backslash and
// control characters; everything else as is). Floats as `format_float_shortest` lays them out
// but without "+" in the exponent: 1e16, 1.5e300, 1e-7.
std::string to_json_text(const JsonValue& v);
void append_json_text(std::string& out, const JsonValue& v);
void append_json_string(std::string& out, std::string_view s);

}  // namespace zuv

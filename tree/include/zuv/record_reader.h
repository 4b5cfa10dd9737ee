#pragma once
// Reading records back from the JSON value tree, with the fixed wording of every failure.
//
// The dict-form readers of the tree, and the schema readers, are built from the pieces here:
//
// - A read returns a value or one `DictFormError` (a message text and nothing else: no path, no
//   index). It stops at the first problem; nothing of a partly read value survives. Readers only
//   read the `JsonValue` they are given (in any storage) and copy out what they keep.
// - A record is data: a `RecordSpec` names the record and lists its `Field`s in declared order,
//   each with its key, its class (required, optional, defaulted) and its reader. One generic
//   reader takes a record from a JSON object (entries in the object's ascending key order, keys
//   matched byte-exactly, unknown keys passed over unread, the first failing value ends the
//   read, then the first missing required field in declared order) or from a JSON array (one
//   element per field in declared order; too short: "invalid length {i}, expected struct X with
//   N elements"; too long: "... expected fewer elements in array" straight from the value,
//   "... expected N elements in sequence" inside a node). Every count and name in these
//   messages comes from the field tables. Fields are read by value-returning element readers
//   (`field`), or built in place (`field_into`), which recursive records use so that a
//   nesting level costs little stack.
// - `ReadContext` carries the place of the read (`ReadPlace::Value`: straight from the value
//   given, as the root and the schema are read; `ReadPlace::Content`: inside a node) and the
//   nesting depth. Each array or object that a reader enters is one level; a value nested more
//   than `kMaxValueDepth` levels, or deeper than the thread's stack holds (zuv/stack.h), fails
//   with "nesting too deep (more than 1024 levels)" instead of exhausting the stack, whatever
//   the caller checked before.
// - Element readers for texts, bools, unsigned integers, lists, optional values, whole JSON
//   values and one-byte enumerations (a name as a string or as a one-entry object).

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "zuv/box.h"
#include "zuv/json.h"
#include "zuv/limits.h"
#include "zuv/stack.h"

namespace zuv {

// ---- Results ----------------------------------------------------------------------------------

struct DictFormError {
  std::string message;
  bool operator==(const DictFormError&) const = default;
};

template <class T>
class [[nodiscard]] DictResult {
 public:
  using value_type = T;

  DictResult(T value) : v_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  DictResult(DictFormError error) : v_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  const DictFormError& error() const { return std::get<1>(v_); }
  DictFormError take_error() { return std::get<1>(std::move(v_)); }

 private:
  std::variant<T, DictFormError> v_;
};

class [[nodiscard]] DictStatus {
 public:
  DictStatus() = default;                                        // success
  DictStatus(DictFormError error) : error_(std::move(error)) {}  // NOLINT: implicit

  bool ok() const { return !error_; }
  explicit operator bool() const { return ok(); }
  const DictFormError& error() const { return *error_; }
  DictFormError take_error() { return std::move(*error_); }

 private:
  std::optional<DictFormError> error_;
};

// ---- Context ----------------------------------------------------------------------------------

enum class ReadPlace : uint8_t {
  Value,    // straight from the value given: the root, its position and points, a schema
  Content,  // inside a node, at any depth, math trees included
};

struct ReadContext {
  ReadPlace place = ReadPlace::Value;
  size_t depth = 0;                                 // arrays and objects entered so far
  std::uintptr_t stack_limit = zuv::stack_limit();  // the thread's stack bound (zuv/stack.h)
};

// One level of nesting, held while a reader works inside an array or object.
class ReadLevel {
 public:
  explicit ReadLevel(ReadContext& ctx) : ctx_(ctx) { ++ctx_.depth; }
  ReadLevel(const ReadLevel&) = delete;
  ReadLevel& operator=(const ReadLevel&) = delete;
  ~ReadLevel() { --ctx_.depth; }
  // Past the limit, or past what the thread's stack holds.
  bool too_deep() const { return ctx_.depth > kMaxValueDepth || stack_is_short(ctx_.stack_limit); }

 private:
  ReadContext& ctx_;
};

// ---- Wording ----------------------------------------------------------------------------------

// The text that names a found value: "null", "boolean `true`", "integer `-5`",
// "floating point `1.5`", "string \"...\"" (escaped), "sequence", "map".
std::string describe_found_value(const JsonValue& value);
// The text with quotation marks, backslashes, control characters, characters that are not
// printable and combining marks escaped, as a debug-quoted string shows them (without the
// surrounding quotation marks).
std::string escape_message_text(std::string_view text);
// "`a`", "`a` or `b`", "one of `a`, `b`, `c`".
std::string expected_one_of(std::span<const std::string_view> names);

// Expected texts that are fixed words.
namespace expected {
inline constexpr std::string_view kString = "a string";
inline constexpr std::string_view kBoolean = "a boolean";
inline constexpr std::string_view kSequence = "a sequence";
inline constexpr std::string_view kStringOrMap = "string or map";
inline constexpr std::string_view kSingleKeyMap = "map with a single key";
inline constexpr std::string_view kUnit = "unit";
inline constexpr std::string_view kVariantIdentifier = "variant identifier";
inline constexpr std::string_view kFewerElements = "fewer elements in array";
inline constexpr std::string_view kU8 = "u8";
inline constexpr std::string_view kU32 = "u32";
inline constexpr std::string_view kUsize = "usize";
}  // namespace expected

DictFormError invalid_type(const JsonValue& found, std::string_view expected_text);
DictFormError invalid_value(const JsonValue& found, std::string_view expected_text);
DictFormError invalid_length(size_t length, std::string_view expected_text);
DictFormError missing_field(std::string_view key);
DictFormError duplicate_field(std::string_view key);
// "unknown variant `{name}`, expected {names}", the name unescaped.
DictFormError unknown_variant(std::string_view name, std::span<const std::string_view> names);
DictFormError nesting_too_deep();
// "{n} elements in sequence", "1 element in sequence".
std::string sequence_length_text(size_t field_count);
// "variant index 0 <= i < {count}".
std::string variant_index_text(size_t variant_count);

// ---- Records ----------------------------------------------------------------------------------

enum class FieldClass : uint8_t {
  Required,   // a missing key fails with "missing field `key`"
  Optional,   // a missing key leaves the field absent; its reader maps null to absent
  Defaulted,  // a missing key, or an array that ends before it, keeps the record's initial value
};

namespace detail {
template <class R>
inline constexpr char kRecordTag = 0;
}  // namespace detail

// One field of a record, with the record's type erased so that the generic reader is one
// function for every record; `field` and `custom_field` build them.
struct Field {
  std::string_view key;
  FieldClass cls;
  DictStatus (*read)(const JsonValue& value, void* record, ReadContext& ctx);
  const void* record_tag;  // the record the field belongs to
};

// The words that name a record in messages: "struct Position" (no enum name) or
// "struct variant MathExpr::Frac".
struct RecordName {
  std::string_view enum_name;
  std::string_view name;
};

struct RecordInfo {
  RecordName name;
  std::span<const Field> fields;
};

// A record's name and its fields in declared order. Built at compile time; a field of another
// record, or more fields than the reader tracks, is a compile error.
template <class R>
class RecordSpec {
 public:
  using Record = R;
  static constexpr size_t kMaxFields = 32;

  constexpr RecordSpec(RecordName name, std::span<const Field> fields) : info_{name, fields} {
    if (fields.size() > kMaxFields) throw "too many fields for one record";
    for (const Field& f : fields) {
      if (f.record_tag != &detail::kRecordTag<R>) throw "a field of another record";
    }
  }
  constexpr RecordSpec(std::string_view name, std::span<const Field> fields)
      : RecordSpec(RecordName{{}, name}, fields) {}

  const RecordInfo& info() const { return info_; }

 private:
  RecordInfo info_;
};

// "struct X" or "struct variant E::X".
std::string record_text(const RecordName& name);
// "struct X with N elements", "... with 1 element".
std::string record_length_text(const RecordName& name, size_t field_count);

// Reads the fields of a record from a JSON object, or from the elements of a JSON array from
// index `first` on (a tagged record's array holds its tag first). `value` must be one of the
// two; counts in messages leave the elements before `first` out.
DictStatus read_fields(const JsonValue& value, size_t first, const RecordInfo& info, void* record,
                       ReadContext& ctx);
// Reads a record standing as a value: an object or an array, one level deeper; any other value
// fails with "invalid type: {found}, expected struct X".
DictStatus read_record_into(const JsonValue& value, const RecordInfo& info, void* record,
                            ReadContext& ctx);

template <class R>
DictStatus read_fields(const JsonValue& value, size_t first, const RecordSpec<R>& spec, R& record,
                       ReadContext& ctx) {
  return read_fields(value, first, spec.info(), &record, ctx);
}

template <class R>
DictResult<R> read_record(const JsonValue& value, const RecordSpec<R>& spec, ReadContext& ctx) {
  R record{};
  if (DictStatus s = read_record_into(value, spec.info(), &record, ctx); !s) {
    return s.take_error();
  }
  return record;
}

// An element reader over a record spec, for lists and fields of records:
// `record_reader<kPositionRecord>`.
template <const auto& Spec>
auto record_reader(const JsonValue& value, ReadContext& ctx) {
  return read_record(value, Spec, ctx);
}

namespace detail {

template <class M>
struct MemberTraits;
template <class R, class T>
struct MemberTraits<T R::*> {
  using Record = R;
  using Type = T;
};

template <class T>
struct IsBox : std::false_type {};
template <class T>
struct IsBox<Box<T>> : std::true_type {};
template <class T>
struct IsOptBox : std::false_type {};
template <class T>
struct IsOptBox<OptBox<T>> : std::true_type {};

// Stores a read value; a boxed field keeps the heap slot its record already holds.
template <class Dst, class Src>
void store_field(Dst& dst, Src&& src) {
  if constexpr (IsBox<Dst>::value) {
    *dst = std::forward<Src>(src);
  } else if constexpr (IsOptBox<Dst>::value) {
    if (src) dst = Dst(std::move(*src));
  } else {
    dst = std::forward<Src>(src);
  }
}

template <auto Member, auto Reader>
DictStatus read_member(const JsonValue& value, void* record, ReadContext& ctx) {
  using R = typename MemberTraits<decltype(Member)>::Record;
  auto result = Reader(value, ctx);
  if (!result) return result.take_error();
  store_field(static_cast<R*>(record)->*Member, std::move(result).value());
  return {};
}

template <auto Member, auto Into>
DictStatus read_member_into(const JsonValue& value, void* record, ReadContext& ctx) {
  using R = typename MemberTraits<decltype(Member)>::Record;
  return Into(value, static_cast<R*>(record)->*Member, ctx);
}

template <class R, auto Fn>
DictStatus read_custom(const JsonValue& value, void* record, ReadContext& ctx) {
  return Fn(value, *static_cast<R*>(record), ctx);
}

}  // namespace detail

// A field stored in a member: `field<&TextNode::value, read_text>("value")`.
template <auto Member, auto Reader>
constexpr Field field(std::string_view key, FieldClass cls = FieldClass::Required) {
  using R = typename detail::MemberTraits<decltype(Member)>::Record;
  return Field{key, cls, &detail::read_member<Member, Reader>, &detail::kRecordTag<R>};
}

// A field read in place by `Into(const JsonValue&, Member&, ReadContext&) -> DictStatus`. Recursive
// readers (nodes, math expressions) use this form: they build straight into the record, so a
// nesting level costs no result temporaries on the stack.
template <auto Member, auto Into>
constexpr Field field_into(std::string_view key, FieldClass cls = FieldClass::Required) {
  using R = typename detail::MemberTraits<decltype(Member)>::Record;
  return Field{key, cls, &detail::read_member_into<Member, Into>, &detail::kRecordTag<R>};
}

// A field read by `Fn(const JsonValue&, R&, ReadContext&) -> DictStatus`, for fields that are
// checked but not stored as such.
template <class R, auto Fn>
constexpr Field custom_field(std::string_view key, FieldClass cls = FieldClass::Required) {
  return Field{key, cls, &detail::read_custom<R, Fn>, &detail::kRecordTag<R>};
}

// ---- Element readers --------------------------------------------------------------------------
// Each is `DictResult<T>(const JsonValue&, ReadContext&)`, usable in `field`, `read_list` and
// `read_optional`.

// A JSON string; anything else fails with "expected a string".
DictResult<std::string> read_text(const JsonValue& value, ReadContext& ctx);
// true or false; anything else fails with "expected a boolean".
DictResult<bool> read_bool(const JsonValue& value, ReadContext& ctx);
// Any JSON value, copied unchanged.
DictResult<JsonValue> read_any(const JsonValue& value, ReadContext& ctx);

// An unsigned integer in range: a negative or too large integer fails with "invalid value:
// integer `n`, expected u8" (u32, usize), a float or any other kind with "invalid type".
DictResult<uint64_t> read_unsigned(const JsonValue& value, uint64_t max,
                                   std::string_view type_name);
DictResult<uint8_t> read_u8(const JsonValue& value, ReadContext& ctx);
DictResult<uint32_t> read_u32(const JsonValue& value, ReadContext& ctx);
DictResult<uint64_t> read_usize(const JsonValue& value, ReadContext& ctx);

// A JSON array whose elements `Elem` reads in order; the first failing element ends the read
// with its own error.
template <auto Elem>
auto read_list(const JsonValue& value, ReadContext& ctx)
    -> DictResult<std::vector<typename decltype(Elem(value, ctx))::value_type>> {
  using T = typename decltype(Elem(value, ctx))::value_type;
  if (!value.is_array()) return invalid_type(value, expected::kSequence);
  ReadLevel level(ctx);
  if (level.too_deep()) return nesting_too_deep();
  const std::span<const JsonValue> elements = value.items();
  std::vector<T> out;
  out.reserve(elements.size());
  for (const JsonValue& element : elements) {
    auto r = Elem(element, ctx);
    if (!r) return r.take_error();
    out.push_back(std::move(r).value());
  }
  return out;
}

// The same, building each element in place with `Into(const JsonValue&, T&, ReadContext&)`.
template <class T, auto Into>
DictStatus read_list_into(const JsonValue& value, std::vector<T>& out, ReadContext& ctx) {
  if (!value.is_array()) return invalid_type(value, expected::kSequence);
  ReadLevel level(ctx);
  if (level.too_deep()) return nesting_too_deep();
  const std::span<const JsonValue> elements = value.items();
  out.reserve(elements.size());
  for (const JsonValue& element : elements) {
    if (DictStatus s = Into(element, out.emplace_back(), ctx); !s) return s;
  }
  return {};
}

// A record standing as a value, read in place: `read_list_into<CaseRow, record_into<kSpec>>`.
template <const auto& Spec>
DictStatus record_into(const JsonValue& value,
                       typename std::remove_cvref_t<decltype(Spec)>::Record& out,
                       ReadContext& ctx) {
  return read_record_into(value, Spec.info(), &out, ctx);
}

// JSON null gives absent; any other value is read by `Inner`.
template <auto Inner>
auto read_optional(const JsonValue& value, ReadContext& ctx)
    -> DictResult<std::optional<typename decltype(Inner(value, ctx))::value_type>> {
  using T = typename decltype(Inner(value, ctx))::value_type;
  if (value.is_null()) return std::optional<T>();
  auto r = Inner(value, ctx);
  if (!r) return r.take_error();
  return std::optional<T>(std::move(r).value());
}

// Where the tag of an internally tagged record stands: the "type" entry of an object (the
// record's other entries stay beside it and are no field), or the first element of an array
// (the fields follow from `first`). A missing tag fails with "missing field `type`", a value
// that is neither an object nor an array with "invalid type: {found}, expected {what}".
struct TaggedRecord {
  const JsonValue* tag;
  size_t first;
};
DictResult<TaggedRecord> find_record_tag(const JsonValue& value, std::string_view what);

// The tag of a tagged record (a node, a math expression): one of `names` as a JSON string, or,
// where `allow_index`, the name's index as a non-negative JSON integer; any other value fails
// with "invalid type: {found}, expected variant identifier".
DictResult<size_t> variant_from_tag(const JsonValue& tag, std::span<const std::string_view> names,
                                    bool allow_index);

// The value of a one-entry enumeration object: null, and inside a node also an empty object;
// anything else fails with "invalid type: {found}, expected unit".
DictStatus read_unit(const JsonValue& value, const ReadContext& ctx);

// A one-byte enumeration: its name as a JSON string, or a JSON object with exactly one entry
// whose key is the name and whose value is a unit. Returns the name's index in `names`.
DictResult<size_t> unit_enum_from_content(const JsonValue& value,
                                          std::span<const std::string_view> names,
                                          const ReadContext& ctx);

// An enumeration with `EnumNames<E>` (zuv/math_tree.h), or any enum type E given its names.
template <class E, const auto& Names>
DictResult<E> read_enum(const JsonValue& value, ReadContext& ctx) {
  auto r = unit_enum_from_content(value, Names, ctx);
  if (!r) return r.take_error();
  return static_cast<E>(r.value());
}

}  // namespace zuv

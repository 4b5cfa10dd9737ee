#include "zuv/json.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace zuv {

namespace {

bool key_less(std::string_view a, std::string_view b) {
  // Byte order: std::string_view compares as unsigned char via char_traits<char>::compare
  // (memcmp), so multi-byte UTF-8 sorts after ASCII, and a prefix sorts first.
  return a < b;
}

// `key_from_text` runs for every key of every dict a caller hands in, so it is one probe of an
// open-addressed table in most cases: slots hold a fixed key's index plus one, 0 when empty.
constexpr size_t kKeySlots = 256;

constexpr size_t key_slot(std::string_view text) {
  if (text.empty()) return 0;
  const auto first = static_cast<unsigned char>(text.front());
  const auto last = static_cast<unsigned char>(text.back());
  return (text.size() * 97 + first * 31 + last * 7) % kKeySlots;
}

constexpr auto kKeyTable = [] {
  std::array<uint8_t, kKeySlots> slots{};
  for (size_t i = 0; i < kKeyCount; ++i) {
    size_t slot = key_slot(kKeyTexts[i]);
    while (slots[slot] != 0) slot = (slot + 1) % kKeySlots;
    slots[slot] = static_cast<uint8_t>(i + 1);
  }
  return slots;
}();

}  // namespace

std::optional<Key> key_from_text(std::string_view text) {
  for (size_t slot = key_slot(text); kKeyTable[slot] != 0; slot = (slot + 1) % kKeySlots) {
    const size_t index = kKeyTable[slot] - 1;
    if (kKeyTexts[index] == text) return static_cast<Key>(index);
  }
  return std::nullopt;
}

// --- Keys.

namespace {

// Key texts are 8-aligned so that the low bits of their address are free for the tags.
alignas(8) constexpr uint32_t kEmptyKeyText[2] = {0, 0};

// The bytes a key's text takes: its length, then the text.
size_t key_record_size(std::string_view text) {
  if (text.size() > UINT32_MAX) throw std::length_error("JSON key of 4 GiB or more");
  return sizeof(uint32_t) + text.size();
}

void write_key_text(char* record, std::string_view text) {
  const auto size = static_cast<uint32_t>(text.size());
  std::memcpy(record, &size, sizeof size);
  if (!text.empty()) std::memcpy(record + sizeof size, text.data(), text.size());
}

}  // namespace

uintptr_t JsonKey::own(std::string_view text) {
  char* record = static_cast<char*>(::operator new(key_record_size(text)));
  write_key_text(record, text);
  return reinterpret_cast<uintptr_t>(record) | kOwnedTag;
}

uintptr_t JsonKey::empty_bits() noexcept { return reinterpret_cast<uintptr_t>(kEmptyKeyText); }

void JsonKey::free_text() noexcept {
  ::operator delete(reinterpret_cast<void*>(bits_ & ~kTagMask));
}

JsonKey& JsonKey::operator=(const JsonKey& other) {
  if (this != &other) *this = JsonKey(other);
  return *this;
}

// --- Owned objects.

JsonObject::JsonObject() = default;
JsonObject::JsonObject(const JsonObject&) = default;
JsonObject::JsonObject(JsonObject&&) noexcept = default;
JsonObject& JsonObject::operator=(const JsonObject&) = default;
JsonObject& JsonObject::operator=(JsonObject&&) noexcept = default;
JsonObject::~JsonObject() = default;

void JsonObject::insert(JsonKey key, JsonValue value) {
  std::string_view k = key.text();
  auto it = std::lower_bound(
      entries_.begin(), entries_.end(), k,
      [](const JsonMember& m, std::string_view t) { return key_less(m.key.text(), t); });
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

const JsonValue* JsonObject::find(std::string_view key) const { return find_member(entries_, key); }

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

namespace {

bool members_equal(std::span<const JsonMember> a, std::span<const JsonMember> b) {
  return std::ranges::equal(a, b, [](const JsonMember& x, const JsonMember& y) {
    return x.key.text() == y.key.text() && x.value == y.value;
  });
}

}  // namespace

bool operator==(const JsonObject& a, const JsonObject& b) {
  return members_equal(a.entries(), b.entries());
}

const JsonValue* find_member(std::span<const JsonMember> members, std::string_view key) {
  auto it = std::lower_bound(
      members.begin(), members.end(), key,
      [](const JsonMember& m, std::string_view t) { return key_less(m.key.text(), t); });
  if (it != members.end() && it->key.text() == key) return &it->value;
  return nullptr;
}

// --- Values.

// Without recursion, through a list of the items and members still to copy: a value may nest as
// deep as the front matter allows, and be copied on a thread with little stack.
JsonValue::JsonValue(const JsonValue& other) : JsonValue() {
  std::vector<std::pair<const JsonValue*, JsonValue*>> pending;
  const JsonValue* from = &other;
  JsonValue* to = this;
  while (true) {
    const JsonValue& source = from->resolved();
    switch (source.kind_) {
      case Kind::Null:
      case Kind::Bool:
      case Kind::Unsigned:
      case Kind::Signed:
      case Kind::Float:
        to->kind_ = source.kind_;
        to->u_ = source.u_;
        break;
      case Kind::String: *to = make_string(source.text()); break;
      case Kind::Array: {
        const std::span<const JsonValue> items = source.items();
        *to = make_array(JsonArray(items.size()));
        JsonValue* copies = to->array_->data();
        for (size_t i = 0; i < items.size(); ++i) pending.emplace_back(&items[i], copies + i);
        break;
      }
      case Kind::Object: {
        const std::span<const JsonMember> members = source.members();
        JsonObject object;
        object.entries().reserve(members.size());
        for (const JsonMember& m : members) {
          object.entries().push_back(JsonMember{m.key, JsonValue()});
        }
        *to = make_object(std::move(object));
        JsonMember* copies = to->object_->entries().data();
        for (size_t i = 0; i < members.size(); ++i) {
          pending.emplace_back(&members[i].value, &copies[i].value);
        }
        break;
      }
    }
    if (pending.empty()) return;
    std::tie(from, to) = pending.back();
    pending.pop_back();
  }
}

JsonValue& JsonValue::operator=(const JsonValue& other) {
  if (this != &other) *this = JsonValue(other);
  return *this;
}

void JsonValue::release() noexcept {
  switch (storage_) {
    case Storage::Inline:
    case Storage::Borrowed: break;
    case Storage::Owned:
      switch (kind_) {
        case Kind::String: delete string_; break;
        case Kind::Array:
        case Kind::Object: release_owned_tree(); return;
        default: break;
      }
      break;
    case Storage::Arena: delete arena_; break;
  }
  storage_ = Storage::Inline;
  kind_ = Kind::Null;
}

// Without recursion: an owned value may nest as deep as the front matter allows, and be freed
// on a thread with little stack. The owned containers below are detached onto a list, so each
// is deleted once it holds none; a container without any is deleted at once, with no list.
void JsonValue::release_owned_tree() noexcept {
  auto nested = [](const JsonValue& v) {
    if (v.kind_ == Kind::Array) {
      return std::any_of(v.array_->begin(), v.array_->end(),
                         [](const JsonValue& item) { return item.is_owned_container(); });
    }
    return std::any_of(v.object_->begin(), v.object_->end(),
                       [](const JsonMember& m) { return m.value.is_owned_container(); });
  };
  auto free_shallow = [](JsonValue& v) {
    if (v.kind_ == Kind::Array) {
      delete v.array_;
    } else {
      delete v.object_;
    }
    v.storage_ = Storage::Inline;
    v.kind_ = Kind::Null;
  };
  if (!nested(*this)) return free_shallow(*this);
  try {
    std::vector<JsonValue> pending;
    pending.push_back(std::move(*this));
    while (!pending.empty()) {
      JsonValue value = std::move(pending.back());
      pending.pop_back();
      auto detach = [&](JsonValue& child) {
        if (child.is_owned_container()) pending.push_back(std::move(child));
      };
      if (value.kind_ == Kind::Array) {
        for (JsonValue& item : *value.array_) detach(item);
      } else {
        for (JsonMember& member : *value.object_) detach(member.value);
      }
      free_shallow(value);
    }
  } catch (...) {
    // Out of memory for the list: what was not detached is freed by its destructors.
  }
}

void JsonValue::make_owned() {
  if (storage_ == Storage::Borrowed || storage_ == Storage::Arena) *this = JsonValue(*this);
}

void JsonValue::too_large() { throw std::length_error("JSON container of 4G items or more"); }

JsonValue JsonValue::make_f64(double f) {
  JsonValue v;
  if (!std::isfinite(f)) return v;
  v.kind_ = Kind::Float;
  v.f_ = f;
  return v;
}

JsonValue JsonValue::make_string(std::string s) {
  JsonValue v = shell(Kind::String, Storage::Owned);
  v.string_ = new std::string(std::move(s));
  return v;
}

JsonValue JsonValue::make_string(std::string_view s) { return make_string(std::string(s)); }
JsonValue JsonValue::make_string(const char* s) { return make_string(std::string(s)); }
JsonValue JsonValue::make_array() { return make_array(JsonArray()); }

JsonValue JsonValue::make_array(JsonArray a) {
  JsonValue v = shell(Kind::Array, Storage::Owned);
  v.array_ = new JsonArray(std::move(a));
  return v;
}

JsonValue JsonValue::make_object() { return make_object(JsonObject()); }

JsonValue JsonValue::make_object(JsonObject o) {
  JsonValue v = shell(Kind::Object, Storage::Owned);
  v.object_ = new JsonObject(std::move(o));
  return v;
}

const JsonValue* JsonValue::get(std::string_view key) const { return find_member(members(), key); }

std::string& JsonValue::as_string() {
  assert(kind_ == Kind::String);
  make_owned();
  return *string_;
}

JsonArray& JsonValue::as_array() {
  assert(kind_ == Kind::Array);
  make_owned();
  return *array_;
}

JsonObject& JsonValue::as_object() {
  assert(kind_ == Kind::Object);
  make_owned();
  return *object_;
}

bool operator==(const JsonValue& a, const JsonValue& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case JsonValue::Kind::Null: return true;
    case JsonValue::Kind::Bool: return a.as_bool() == b.as_bool();
    case JsonValue::Kind::Unsigned: return a.as_u64() == b.as_u64();
    case JsonValue::Kind::Signed: return a.as_i64() == b.as_i64();
    case JsonValue::Kind::Float: return a.as_f64() == b.as_f64();
    case JsonValue::Kind::String: return a.text() == b.text();
    case JsonValue::Kind::Array: return std::ranges::equal(a.items(), b.items());
    case JsonValue::Kind::Object: return members_equal(a.members(), b.members());
  }
  return false;
}

// --- Arenas.

namespace {

// Small trees (one node, one attribute value) fit the first block; large ones double the block
// size up to the cap, so a tree needs a handful of blocks and wastes at most half of the last.
constexpr size_t kFirstBlockBytes = size_t{4} << 10;
constexpr size_t kMaxBlockBytes = size_t{4} << 20;

constexpr size_t round_up(size_t n, size_t to) { return (n + to - 1) & ~(to - 1); }
constexpr size_t round_up(size_t n) { return round_up(n, alignof(std::max_align_t)); }

// Blocks of the largest size are fresh memory on nearly every call, and on some machines a
// first touch of each 4 KiB page costs more than filling it: such blocks ask for huge pages.
void* allocate_block(size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr size_t kHugePage = size_t{2} << 20;
  if (size >= kMaxBlockBytes) {
    void* memory = std::aligned_alloc(kHugePage, round_up(size, kHugePage));
    if (memory != nullptr) madvise(memory, round_up(size, kHugePage), MADV_HUGEPAGE);
    return memory;
  }
#endif
  return std::malloc(size);
}

}  // namespace

JsonArena::~JsonArena() {
  while (blocks_ != nullptr) {
    Block* next = blocks_->next;
    std::free(blocks_);
    blocks_ = next;
  }
}

void* JsonArena::grow(size_t bytes) {
  block_size_ = block_size_ == 0 ? kFirstBlockBytes : std::min(block_size_ * 2, kMaxBlockBytes);
  const size_t header = round_up(sizeof(Block));
  const size_t size = std::max(block_size_, header + bytes);
  void* memory = allocate_block(size);
  if (memory == nullptr) throw std::bad_alloc();
  auto* block = static_cast<Block*>(memory);
  block->next = blocks_;
  blocks_ = block;
  char* start = static_cast<char*>(memory) + header;
  next_ = start + bytes;
  end_ = static_cast<char*>(memory) + size;
  return start;
}

JsonValue JsonArena::string(std::string_view text) {
  if (text.empty()) return static_string("");  // never a null text pointer
  if (text.size() >= JsonValue::kLongText) {
    const uint64_t size = text.size();
    char* record = static_cast<char*>(allocate(sizeof size + text.size()));
    std::memcpy(record, &size, sizeof size);
    std::memcpy(record + sizeof size, text.data(), text.size());
    JsonValue v = static_string({});
    v.chars_ = record;
    v.size_ = JsonValue::kLongText;
    return v;
  }
  char* chars = static_cast<char*>(allocate(text.size()));
  std::memcpy(chars, text.data(), text.size());
  return static_string({chars, text.size()});
}

JsonKey JsonArena::key(std::string_view text) {
  char* record = static_cast<char*>(allocate(key_record_size(text)));
  write_key_text(record, text);
  return JsonKey(reinterpret_cast<uintptr_t>(record));
}

JsonValue* JsonArena::new_items(size_t n) {
  auto* items = static_cast<JsonValue*>(allocate(n * sizeof(JsonValue)));
  for (size_t i = 0; i < n; ++i) new (items + i) JsonValue();
  return items;
}

// The copies go without recursion, through a list of the items and members still to copy: a
// value may nest as deep as the front matter allows, on a thread with little stack.

JsonValue JsonArena::copy(const JsonValue& value) {
  if (!value.is_array() && !value.is_object()) return copy_scalar(value);
  return value.is_array() ? copy(value.items()) : copy(value.members());
}

JsonValue JsonArena::copy(std::span<const JsonValue> source) {
  std::vector<PendingCopy> pending;
  JsonValue top = copy_container(source, pending);
  copy_pending(pending);
  return top;
}

JsonValue JsonArena::copy(std::span<const JsonMember> source) {
  std::vector<PendingCopy> pending;
  JsonValue top = copy_container(source, pending);
  copy_pending(pending);
  return top;
}

JsonValue JsonArena::copy_scalar(const JsonValue& value) {
  return value.is_string() ? string(value.text()) : JsonValue(value);
}

JsonValue JsonArena::copy_container(std::span<const JsonValue> source,
                                    std::vector<PendingCopy>& pending) {
  JsonValue* items = new_items(source.size());
  for (size_t i = 0; i < source.size(); ++i) pending.push_back({&source[i], items + i});
  return array(items, source.size());
}

JsonValue JsonArena::copy_container(std::span<const JsonMember> source,
                                    std::vector<PendingCopy>& pending) {
  JsonMember* members = new_members(source.size());
  for (size_t i = 0; i < source.size(); ++i) {
    const JsonKey& k = source[i].key;
    new (members + i) JsonMember{
        k.known() != JsonKey::kDynamic ? JsonKey(static_cast<Key>(k.known())) : key(k.text()),
        JsonValue()};
    pending.push_back({&source[i].value, &members[i].value});
  }
  return object(members, source.size());
}

void JsonArena::copy_pending(std::vector<PendingCopy>& pending) {
  while (!pending.empty()) {
    const PendingCopy next = pending.back();
    pending.pop_back();
    const JsonValue& source = *next.source;
    if (source.is_array()) {
      *next.slot = copy_container(source.items(), pending);
    } else if (source.is_object()) {
      *next.slot = copy_container(source.members(), pending);
    } else {
      *next.slot = copy_scalar(source);
    }
  }
}

JsonValue JsonArena::adopt(std::unique_ptr<JsonArena> arena, JsonValue top) {
  if (top.storage_ != JsonValue::Storage::Borrowed) return top;
  JsonValue v;
  v.kind_ = top.kind_;
  arena->top_ = std::move(top);
  v.storage_ = JsonValue::Storage::Arena;
  v.arena_ = arena.release();
  return v;
}

// --- Numbers and text.

JsonValue JsonNumber::to_value() const {
  switch (form_) {
    case Form::Unsigned: return JsonValue::make_u64(u_);
    case Form::Signed: return JsonValue::make_i64(i_);
    case Form::Float: return JsonValue::make_f64(f_);
  }
  return JsonValue();
}

namespace {

// The shortest round-trip digits of `f` (finite), laid out in plain digits for decimal exponents
// from -5 to 15, with ".0" on whole numbers, and as mantissa "e" exponent otherwise. The two
// texts that use it differ only in whether a positive exponent carries its "+".
void append_float(std::string& out, double f, bool plus_exponent) {
  if (std::signbit(f)) out.push_back('-');
  double a = std::fabs(f);
  if (a == 0.0) {
    out += "0.0";
    return;
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
    if (exp < 0) {
      out.push_back('-');
    } else if (plus_exponent) {
      out.push_back('+');
    }
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
}

}  // namespace

std::string format_float_shortest(double f) {
  std::string out;
  append_float(out, f, /*plus_exponent=*/true);
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
    case JsonValue::Kind::Float: append_float(out, v.as_f64(), /*plus_exponent=*/false); return;
    case JsonValue::Kind::String: append_json_string(out, v.text()); return;
    case JsonValue::Kind::Array: {
      out.push_back('[');
      bool first = true;
      for (const JsonValue& e : v.items()) {
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
      for (const JsonMember& m : v.members()) {
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

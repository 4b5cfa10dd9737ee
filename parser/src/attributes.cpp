// The attribute list of an opening tag: flags, quoted strings, `{{JSON}}`, `{$variable}` and
// `{primitive}` values, read in one forward pass; the far searches go through the text's
// `TagSearchCache`.

#include <cassert>
#include <cmath>
#include <iterator>
#include <nlohmann/json.hpp>

#include "bytes.h"
#include "keyed_sort.h"
#include "messages.h"
#include "numbers.h"
#include "tags.h"
#include "zuv/unicode.h"
#include "zuv/variable_path.h"

namespace zuv::parser {

namespace {

// Nesting of arrays and objects allowed in a JSON attribute; deeper text is not valid JSON, so a
// 129th level gives "Malformed JSON in attribute".
constexpr size_t kMaxJsonAttributeDepth = 128;

// Builds a `JsonValue` from the events of nlohmann's SAX parser, without recursion.
class JsonBuilder {
 public:
  using json = nlohmann::json;

  bool null() { return add(JsonValue()); }
  bool boolean(bool b) { return add(JsonValue::make_bool(b)); }
  bool number_unsigned(json::number_unsigned_t u) { return add(JsonValue::make_u64(u)); }
  bool number_integer(json::number_integer_t i) {
    // Only "-0" reaches here with 0 (non-negative integers come unsigned); a negative zero is
    // not an integer of either form, so it is the float -0.0.
    if (i == 0) return add(JsonValue::make_f64(-0.0));
    return add(JsonValue::make_i64(i));
  }
  bool number_float(json::number_float_t f, const json::string_t& /*text*/) {
    if (!std::isfinite(f)) return false;  // a number too large for a double is not valid here
    return add(JsonValue::make_f64(f));
  }
  bool string(json::string_t& s) { return add(JsonValue::make_string(std::move(s))); }
  bool binary(json::binary_t& /*b*/) { return false; }
  bool start_object(std::size_t /*n*/) { return open(true); }
  bool key(json::string_t& k) {
    stack_.back().key = std::move(k);
    return true;
  }
  bool end_object() { return close(); }
  bool start_array(std::size_t /*n*/) { return open(false); }
  bool end_array() { return close(); }
  bool parse_error(std::size_t /*pos*/, const std::string& /*token*/,
                   const nlohmann::detail::exception& /*e*/) {
    return false;
  }

  JsonValue take() { return std::move(result_); }

 private:
  struct Frame {
    bool is_object = false;
    std::string key;
    JsonArray items;
    std::vector<JsonMember> members;
  };

  bool open(bool is_object) {
    if (stack_.size() >= kMaxJsonAttributeDepth) return false;
    stack_.emplace_back();
    stack_.back().is_object = is_object;
    return true;
  }

  bool close() {
    Frame frame = std::move(stack_.back());
    stack_.pop_back();
    if (!frame.is_object) return add(JsonValue::make_array(std::move(frame.items)));
    sort_by_key(
        frame.members, [](const JsonMember& m) { return m.key.text(); }, DuplicateKeys::KeepLast);
    JsonObject object;
    object.reserve(frame.members.size());
    for (JsonMember& m : frame.members) object.push_sorted(std::move(m.key), std::move(m.value));
    return add(JsonValue::make_object(std::move(object)));
  }

  bool add(JsonValue v) {
    if (stack_.empty()) {
      result_ = std::move(v);
    } else if (stack_.back().is_object) {
      Frame& f = stack_.back();
      f.members.push_back(JsonMember{JsonKey(std::move(f.key)), std::move(v)});
    } else {
      stack_.back().items.push_back(std::move(v));
    }
    return true;
  }

  std::vector<Frame> stack_;
  JsonValue result_;
};

// The bytes of `{` + inner + `}` without building that text: the second reading of an inner text
// must not copy it, as one value may be read again from many tags.
class BracedIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  BracedIterator() = default;
  BracedIterator(std::string_view inner, size_t pos) : inner_(inner), pos_(pos) {}

  const char& operator*() const {
    static constexpr char kOpen = '{';
    static constexpr char kClose = '}';
    if (pos_ == 0) return kOpen;
    if (pos_ == inner_.size() + 1) return kClose;
    return inner_[pos_ - 1];
  }
  BracedIterator& operator++() {
    ++pos_;
    return *this;
  }
  BracedIterator operator++(int) {
    BracedIterator old = *this;
    ++pos_;
    return old;
  }
  friend bool operator==(const BracedIterator& a, const BracedIterator& b) {
    return a.pos_ == b.pos_;
  }

 private:
  std::string_view inner_;
  size_t pos_ = 0;
};

template <class It>
std::optional<JsonValue> parse_json_range(It first, It last) {
  JsonBuilder builder;
  bool ok = false;
  try {
    ok = nlohmann::json::sax_parse(first, last, &builder, nlohmann::json::input_format_t::json,
                                   /*strict=*/true, /*ignore_comments=*/false);
  } catch (const nlohmann::json::exception&) {
    ok = false;
  }
  if (!ok) return std::nullopt;
  return builder.take();
}

// One JSON value with nothing but JSON white space around it.
std::optional<JsonValue> parse_json(std::string_view text) {
  // nlohmann skips a leading byte-order mark, which JSON text may not hold.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") return std::nullopt;
  return parse_json_range(text.begin(), text.end());
}

std::optional<JsonValue> parse_braced_json(std::string_view inner) {
  return parse_json_range(BracedIterator(inner, 0), BracedIterator(inner, inner.size() + 2));
}

enum class PrimitiveFault { NonFinite, Invalid };

std::variant<AttributeValue, PrimitiveFault> parse_primitive(std::string_view v) {
  if (v == "true") return AttributeValue(true);
  if (v == "false") return AttributeValue(false);
  if (v == "null") return AttributeValue(std::monostate{});
  bool negative = !v.empty() && v[0] == '-';
  std::string_view unsigned_part = (!v.empty() && (v[0] == '+' || v[0] == '-')) ? v.substr(1) : v;
  if (auto mag = parse_digits_u64(unsigned_part)) {
    constexpr uint64_t kMaxPositive = uint64_t{1} << 63;  // exclusive for positives
    if (!negative && *mag < kMaxPositive) return AttributeValue(JsonNumber::from_u64(*mag));
    if (negative && *mag <= kMaxPositive) {
      if (*mag == 0) return AttributeValue(JsonNumber::from_u64(0));
      // -(2^63) fits as well: negate in unsigned arithmetic.
      return AttributeValue(JsonNumber::from_i64(static_cast<int64_t>(0 - *mag)));
    }
    // Larger magnitudes are no integer here and read as floats below.
  }
  std::string_view word = unsigned_part;
  auto lower_equals = [&](std::string_view w) {
    if (word.size() != w.size()) return false;
    for (size_t i = 0; i < w.size(); ++i) {
      char c = word[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != w[i]) return false;
    }
    return true;
  };
  if (lower_equals("inf") || lower_equals("infinity") || lower_equals("nan")) {
    return PrimitiveFault::NonFinite;
  }
  if (!is_decimal_float(v)) return PrimitiveFault::Invalid;
  double f = decimal_float_value(v);
  if (!std::isfinite(f)) return PrimitiveFault::NonFinite;
  return AttributeValue(JsonNumber::from_f64(f));
}

// The state of one attribute-list reading.
struct Reader {
  std::string_view text;
  size_t base;
  const SourceMap& source_map;
  ErrorTextBudget& budget;
  TagSearchCache& cache;

  // An error whose raw text runs from `from` to `to` (indices into the text).
  TagError error(std::string message, size_t from, size_t to) const {
    std::string_view raw = budget.clip(text.substr(from, to - from));
    return TagError{std::move(message), std::string(raw), base + from, base + from + raw.size()};
  }
  // Input text quoted in a message.
  std::string_view quoted(std::string_view s) const { return budget.clip(s); }

  Position position(size_t from, size_t to) const {
    return source_map.position(base + from, base + to);
  }
};

// A value that begins at `text[at]`; on success sets `end` just after it.
std::variant<AttributeValue, TagError> read_value(const Reader& r, std::string_view name,
                                                  size_t name_start, size_t at, size_t& end) {
  std::string_view text = r.text;
  const size_t n = text.size();
  char c = text[at];
  if (c == '"' || c == '\'') {
    size_t close = r.cache.closing_quote(c, at + 1);
    if (close == npos) return r.error(std::string(messages::kUnclosedString), name_start, n);
    end = close + 1;
    return AttributeValue(unescape_quoted(text.substr(at + 1, close - at - 1), c));
  }
  if (c != '{') {
    return r.error(messages::invalid_value_after_equals(name), name_start, n);
  }
  char next = at + 1 < n ? text[at + 1] : '\0';
  if (at + 1 < n && next == '{') {
    size_t close = r.cache.json_close(at + 2);
    if (close == npos) return r.error(std::string(messages::kUnclosedJson), at, n);
    end = close + 2;
    std::string_view inner = trim_unicode_white_space(text.substr(at + 2, close - at - 2));
    if (std::optional<JsonValue> v = parse_json(inner)) {
      if (v->is_array()) return AttributeValue(std::move(v->as_array()));
      if (v->is_object()) return AttributeValue(std::move(v->as_object()));
      if (!r.budget.keeps_texts()) return r.error(std::string(), at, end);
      std::string compact = to_json_text(*v);
      return r.error(messages::json_not_container(r.quoted(compact)), at, end);
    }
    if (std::optional<JsonValue> v = parse_braced_json(inner); v && v->is_object()) {
      return AttributeValue(std::move(v->as_object()));
    }
    return r.error(messages::malformed_json(r.quoted(inner)), at, end);
  }
  size_t close = r.cache.closing_brace(at + 1);
  if (at + 1 < n && next == '$') {
    if (close == npos) return r.error(std::string(messages::kUnclosedVariable), at, n);
    end = close + 1;
    std::string_view path = text.substr(at + 2, close - at - 2);
    if (!is_valid_variable_path(path)) {
      return r.error(messages::invalid_variable_path(r.quoted(path)), at, end);
    }
    return AttributeValue(VariableNode{std::string(path), r.position(at, end)});
  }
  if (close == npos) return r.error(std::string(messages::kUnclosedPrimitive), name_start, n);
  end = close + 1;
  std::string_view v = trim_unicode_white_space(text.substr(at + 1, close - at - 1));
  auto parsed = parse_primitive(v);
  if (auto* value = std::get_if<AttributeValue>(&parsed)) return std::move(*value);
  std::string message = std::get<PrimitiveFault>(parsed) == PrimitiveFault::NonFinite
                            ? messages::non_finite_float(r.quoted(v))
                            : messages::invalid_primitive(r.quoted(v));
  return r.error(std::move(message), name_start, n);
}

}  // namespace

AttributesResult parse_attributes(std::string_view text, size_t pos, size_t base,
                                  const SourceMap& source_map, size_t tag_start,
                                  ErrorTextBudget& budget, TagSearchCache* cache) {
  std::optional<TagSearchCache> own_cache;
  if (cache == nullptr) cache = &own_cache.emplace(text);
  assert(cache->text().data() == text.data() && cache->text().size() == text.size());
  const Reader r{text, base, source_map, budget, *cache};
  const size_t n = text.size();
  std::vector<AttributeNode> attributes;
  size_t i = pos;
  while (true) {
    while (i < n && is_ascii_space(text[i])) ++i;
    if (i >= n) return r.error(std::string(messages::kEndOfInputInTag), tag_start, n);
    char c = text[i];
    if (c == '/') {
      if (i + 1 < n && text[i + 1] == '>') return TagAttributes{std::move(attributes), true, i + 2};
      return r.error(messages::invalid_name_char("/"), tag_start, n);
    }
    if (c == '>') return TagAttributes{std::move(attributes), false, i + 1};
    if (!is_ascii_alpha(c) && c != '_') {
      size_t len = 1;
      decode_utf8(text, i, len);
      return r.error(messages::invalid_name_char(text.substr(i, len)), tag_start, n);
    }
    const size_t name_start = i;
    ++i;
    while (i < n && (is_name_byte(text[i]) || text[i] == '-')) ++i;
    std::string_view name = text.substr(name_start, i - name_start);
    if (i >= n || text[i] != '=') {
      attributes.push_back(
          AttributeNode{std::string(name), AttributeValue(true), r.position(name_start, i)});
      continue;
    }
    ++i;
    if (i >= n) return r.error(std::string(messages::kEndOfInputAfterEquals), tag_start, n);
    size_t end = i;
    auto value = read_value(r, name, name_start, i, end);
    if (auto* e = std::get_if<TagError>(&value)) return std::move(*e);
    attributes.push_back(AttributeNode{std::string(name),
                                       std::move(std::get<AttributeValue>(value)),
                                       r.position(name_start, end)});
    i = end;
  }
}

}  // namespace zuv::parser

// Composition works on an arena: every node is built once, an alias refers to its anchor's node,
// and the value tree is written out at the end, copying shared nodes as often as they are used.
// Copies therefore cost nothing until the end, and by then the budget, which counts every alias
// as the full size of what it copies, has bounded the output.

#include "yaml_loader.h"

#include <yaml.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "keyed_sort.h"
#include "numbers.h"
#include "zuv/ascii.h"

namespace zuv::parser {

namespace {

constexpr std::string_view kStrTag = "tag:yaml.org,2002:str";
constexpr std::string_view kMergeTag = "tag:yaml.org,2002:merge";

using Entry = std::pair<std::string, uint32_t>;

// One node of the arena; scalars and collections keep their contents in side tables, so that
// the arena itself stays small and cheap to grow.
struct YamlNode {
  enum class Kind : uint8_t { Scalar, Sequence, Mapping };
  Kind kind = Kind::Scalar;
  bool resolve = false;  // a plain scalar without a forcing tag: resolved by the core schema
  uint32_t payload = 0;  // index into the scalar texts or the collections
  uint32_t height = 0;   // collection levels at and below this node
  uint64_t nodes = 1;    // size once copies are expanded
  uint64_t bytes = 0;    // scalar text once copies are expanded
};

struct Collection {
  std::vector<uint32_t> items;  // a sequence's nodes
  std::vector<Entry> entries;   // a mapping's members, in key order, one per key
};

// A value that may not be held as a number stays its text.
JsonValue float_or_text(double f, std::string_view text) {
  if (!std::isfinite(f)) return JsonValue::make_string(text);
  return JsonValue::make_f64(f);
}

// Unsigned digits of `radix` (8 or 16) that do not fit 64 bits, as the nearest double.
double wide_integer(std::string_view digits, int radix) {
  std::string hex;
  if (radix == 16) {
    hex = std::string(digits);
  } else {
    // Octal digits are three bits each: regroup them into hex digits from the right.
    std::string bits;
    for (char c : digits) {
      int d = c - '0';
      bits += static_cast<char>('0' + ((d >> 2) & 1));
      bits += static_cast<char>('0' + ((d >> 1) & 1));
      bits += static_cast<char>('0' + (d & 1));
    }
    while (bits.size() % 4 != 0) bits.insert(bits.begin(), '0');
    for (size_t i = 0; i < bits.size(); i += 4) {
      int v = (bits[i] - '0') * 8 + (bits[i + 1] - '0') * 4 + (bits[i + 2] - '0') * 2 +
              (bits[i + 3] - '0');
      hex += "0123456789abcdef"[v];
    }
  }
  double f = 0.0;
  auto res = std::from_chars(hex.data(), hex.data() + hex.size(), f, std::chars_format::hex);
  if (res.ec == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
  return f;
}

std::optional<uint64_t> radix_u64(std::string_view digits, int radix) {
  if (digits.empty()) return std::nullopt;
  uint64_t v = 0;
  auto res = std::from_chars(digits.data(), digits.data() + digits.size(), v, radix);
  if (res.ptr != digits.data() + digits.size()) return std::nullopt;
  if (res.ec == std::errc::result_out_of_range) return std::nullopt;
  return v;
}

bool all_radix_digits(std::string_view digits, int radix) {
  if (digits.empty()) return false;
  return std::all_of(digits.begin(), digits.end(), [radix](char c) {
    if (radix == 8) return c >= '0' && c <= '7';
    return is_ascii_hex_digit(c);
  });
}

JsonValue resolve_plain(std::string_view s) {
  if (s.empty() || s == "~" || s == "null" || s == "Null" || s == "NULL") return JsonValue();
  if (s == "true" || s == "True" || s == "TRUE") return JsonValue::make_bool(true);
  if (s == "false" || s == "False" || s == "FALSE") return JsonValue::make_bool(false);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'o' || s[1] == 'x')) {
    const int radix = s[1] == 'o' ? 8 : 16;
    std::string_view digits = s.substr(2);
    if (all_radix_digits(digits, radix)) {
      if (auto v = radix_u64(digits, radix)) return JsonValue::make_u64(*v);
      return float_or_text(wide_integer(digits, radix), s);
    }
    return JsonValue::make_string(s);
  }
  bool negative = s[0] == '-';
  std::string_view unsigned_part = (s[0] == '-' || s[0] == '+') ? s.substr(1) : s;
  if (auto mag = parse_digits_u64(unsigned_part)) {
    constexpr uint64_t kLimit = uint64_t{1} << 63;
    if (!negative) return JsonValue::make_u64(*mag);
    if (*mag <= kLimit) return JsonValue::make_i64(static_cast<int64_t>(0 - *mag));
  }
  if (is_decimal_float(s)) return float_or_text(decimal_float_value(s), s);
  return JsonValue::make_string(s);
}

class Composer {
 public:
  explicit Composer(const YamlBudget& budget)
      : budget_(budget), max_depth_(std::min(budget.max_depth, kMaxFrontmatterDepth)) {}

  // False on a failure; the document's value, if any, is in root().
  bool event(const yaml_event_t& e) {
    if (++events_ > budget_.max_events) return false;
    switch (e.type) {
      case YAML_NO_EVENT:
      case YAML_STREAM_START_EVENT:
      case YAML_STREAM_END_EVENT:
      case YAML_DOCUMENT_END_EVENT: return true;
      case YAML_DOCUMENT_START_EVENT:
        ++documents_;
        return documents_ <= 1 && documents_ <= budget_.max_documents;
      case YAML_ALIAS_EVENT: return alias(reinterpret_cast<const char*>(e.data.alias.anchor));
      case YAML_SCALAR_EVENT: return scalar(e);
      case YAML_SEQUENCE_START_EVENT:
        return open(YamlNode::Kind::Sequence,
                    reinterpret_cast<const char*>(e.data.sequence_start.anchor));
      case YAML_MAPPING_START_EVENT:
        return open(YamlNode::Kind::Mapping,
                    reinterpret_cast<const char*>(e.data.mapping_start.anchor));
      case YAML_SEQUENCE_END_EVENT:
      case YAML_MAPPING_END_EVENT: return close();
    }
    return false;
  }

  std::optional<uint32_t> root() const { return root_; }

  JsonValue build(uint32_t root) const;

 private:
  struct Frame {
    uint32_t node = 0;
    std::optional<std::string> anchor;
    bool have_key = false;
    bool key_is_merge = false;
    std::string key;
    std::vector<Entry> entries;
    std::vector<uint32_t> merge_sources;
  };

  bool count_node(uint64_t nodes, uint64_t bytes) {
    nodes_ += nodes;
    bytes_ += bytes;
    return nodes_ <= budget_.max_nodes && bytes_ <= budget_.max_scalar_bytes;
  }

  bool define_anchor(const char* anchor, uint32_t node) {
    if (anchor == nullptr) return true;
    if (++anchor_count_ > budget_.max_anchors) return false;
    anchors_[anchor] = node;  // a later definition replaces an earlier one
    return true;
  }

  bool scalar(const yaml_event_t& e) {
    const auto& s = e.data.scalar;
    if (!count_node(1, s.length)) return false;
    std::string_view tag = s.tag ? reinterpret_cast<const char*>(s.tag) : "";
    YamlNode node;
    node.payload = static_cast<uint32_t>(texts_.size());
    std::string& text = texts_.emplace_back(reinterpret_cast<const char*>(s.value), s.length);
    node.bytes = s.length;
    const bool plain = s.style == YAML_PLAIN_SCALAR_STYLE;
    node.resolve = plain && tag != kStrTag && tag != "!";
    const bool merge_key = plain && text == "<<" && (tag.empty() || tag == kMergeTag);
    auto index = static_cast<uint32_t>(arena_.size());
    arena_.push_back(node);
    if (!define_anchor(reinterpret_cast<const char*>(s.anchor), index)) return false;
    return attach(index, merge_key);
  }

  bool alias(const char* anchor) {
    if (++alias_count_ > budget_.max_aliases) return false;
    auto it = anchors_.find(anchor);
    if (it == anchors_.end()) return false;
    const YamlNode& target = arena_[it->second];
    if (!count_node(target.nodes, target.bytes)) return false;
    if (stack_.size() + target.height > max_depth_) return false;
    return attach(it->second, false);
  }

  bool open(YamlNode::Kind kind, const char* anchor) {
    if (!count_node(1, 0)) return false;
    if (stack_.size() + 1 > max_depth_) return false;
    YamlNode node;
    node.kind = kind;
    node.height = 1;
    node.payload = static_cast<uint32_t>(collections_.size());
    collections_.emplace_back();
    auto index = static_cast<uint32_t>(arena_.size());
    arena_.push_back(node);
    Frame frame;
    frame.node = index;
    if (anchor != nullptr) frame.anchor = anchor;
    stack_.push_back(std::move(frame));
    return true;
  }

  bool close() {
    Frame frame = std::move(stack_.back());
    stack_.pop_back();
    const YamlNode& node = arena_[frame.node];
    if (node.kind == YamlNode::Kind::Mapping) {
      if (!sort_by_key(
              frame.entries, [](const Entry& e) -> const std::string& { return e.first; },
              DuplicateKeys::Reject)) {
        return false;
      }
      collections_[node.payload].entries = merge(std::move(frame.entries), frame.merge_sources);
    }
    if (frame.anchor && !define_anchor(frame.anchor->c_str(), frame.node)) return false;
    return attach(frame.node, false);
  }

  // The members written in a mapping, with those of its merge sources that they do not name.
  std::vector<Entry> merge(std::vector<Entry> own, const std::vector<uint32_t>& sources) const {
    if (sources.empty()) return own;
    std::vector<Entry> merged;
    for (uint32_t source : sources) {
      const YamlNode& s = arena_[source];
      if (s.kind == YamlNode::Kind::Mapping) {
        const auto& entries = contents(s).entries;
        merged.insert(merged.end(), entries.begin(), entries.end());
      } else {
        for (uint32_t item : contents(s).items) {
          const auto& entries = contents(arena_[item]).entries;
          merged.insert(merged.end(), entries.begin(), entries.end());
        }
      }
    }
    sort_by_key(
        merged, [](const Entry& e) -> const std::string& { return e.first; },
        DuplicateKeys::KeepFirst);
    std::vector<Entry> out;
    out.reserve(own.size() + merged.size());
    size_t i = 0, j = 0;
    while (i < own.size() || j < merged.size()) {
      if (j == merged.size() || (i < own.size() && own[i].first <= merged[j].first)) {
        if (j < merged.size() && own[i].first == merged[j].first) ++j;
        out.push_back(std::move(own[i++]));
      } else {
        out.push_back(merged[j++]);
      }
    }
    return out;
  }

  bool is_merge_source(uint32_t index) const {
    const YamlNode& n = arena_[index];
    if (n.kind == YamlNode::Kind::Mapping) return true;
    if (n.kind != YamlNode::Kind::Sequence) return false;
    const auto& items = contents(n).items;
    return std::all_of(items.begin(), items.end(), [this](uint32_t item) {
      return arena_[item].kind == YamlNode::Kind::Mapping;
    });
  }

  bool attach(uint32_t index, bool merge_key) {
    if (stack_.empty()) {
      root_ = index;
      return true;
    }
    Frame& parent = stack_.back();
    YamlNode& p = arena_[parent.node];
    const YamlNode child = arena_[index];
    p.nodes += child.nodes;
    p.bytes += child.bytes;
    p.height = std::max(p.height, child.height + 1);
    if (p.kind == YamlNode::Kind::Sequence) {
      collections_[p.payload].items.push_back(index);
      return true;
    }
    if (!parent.have_key) {
      if (child.kind != YamlNode::Kind::Scalar) return false;
      if (merge_key && ++merge_keys_ > budget_.max_merge_keys) return false;
      parent.have_key = true;
      parent.key_is_merge = merge_key;
      parent.key = texts_[child.payload];
      return true;
    }
    parent.have_key = false;
    if (parent.key_is_merge) {
      if (!is_merge_source(index)) return false;
      parent.merge_sources.push_back(index);
      return true;
    }
    parent.entries.emplace_back(std::move(parent.key), index);
    return true;
  }

  const YamlBudget& budget_;
  const size_t max_depth_;
  const Collection& contents(const YamlNode& n) const { return collections_[n.payload]; }

  std::vector<YamlNode> arena_;
  std::vector<std::string> texts_;
  std::vector<Collection> collections_;
  std::vector<Frame> stack_;
  std::unordered_map<std::string, uint32_t> anchors_;
  std::optional<uint32_t> root_;
  size_t events_ = 0;
  size_t documents_ = 0;
  size_t anchor_count_ = 0;
  size_t alias_count_ = 0;
  size_t merge_keys_ = 0;
  uint64_t nodes_ = 0;
  uint64_t bytes_ = 0;
};

JsonValue Composer::build(uint32_t root) const {
  struct Work {
    uint32_t node;
    size_t next = 0;
    JsonArray items;
    JsonObject members;
  };
  std::vector<Work> stack;
  JsonValue result;
  auto finish = [&](JsonValue v) {
    if (stack.empty()) {
      result = std::move(v);
      return;
    }
    Work& w = stack.back();
    const YamlNode& n = arena_[w.node];
    if (n.kind == YamlNode::Kind::Sequence) {
      w.items.push_back(std::move(v));
    } else {
      w.members.push_sorted(JsonKey(contents(n).entries[w.next - 1].first), std::move(v));
    }
  };
  auto start = [&](uint32_t index) {
    const YamlNode& n = arena_[index];
    if (n.kind == YamlNode::Kind::Scalar) {
      const std::string& text = texts_[n.payload];
      finish(n.resolve ? resolve_plain(text) : JsonValue::make_string(text));
      return;
    }
    Work w{index};
    if (n.kind == YamlNode::Kind::Mapping) w.members.reserve(contents(n).entries.size());
    if (n.kind == YamlNode::Kind::Sequence) w.items.reserve(contents(n).items.size());
    stack.push_back(std::move(w));
  };
  start(root);
  while (!stack.empty()) {
    Work& w = stack.back();
    const YamlNode& n = arena_[w.node];
    const Collection& c = contents(n);
    const bool is_sequence = n.kind == YamlNode::Kind::Sequence;
    const size_t count = is_sequence ? c.items.size() : c.entries.size();
    if (w.next < count) {
      uint32_t child = is_sequence ? c.items[w.next] : c.entries[w.next].second;
      ++w.next;
      start(child);
      continue;
    }
    Work done = std::move(stack.back());
    stack.pop_back();
    finish(n.kind == YamlNode::Kind::Sequence ? JsonValue::make_array(std::move(done.items))
                                              : JsonValue::make_object(std::move(done.members)));
  }
  return result;
}

}  // namespace

std::optional<JsonValue> load_yaml(std::string_view text, const YamlBudget& budget) {
  yaml_parser_t parser;
  if (!yaml_parser_initialize(&parser)) return std::nullopt;
  // libyaml refuses a null input even when it is empty.
  static constexpr unsigned char kEmpty[1] = {0};
  const auto* bytes = text.empty() ? kEmpty : reinterpret_cast<const unsigned char*>(text.data());
  yaml_parser_set_input_string(&parser, bytes, text.size());
  yaml_parser_set_encoding(&parser, YAML_UTF8_ENCODING);
  Composer composer(budget);
  bool ok = true;
  bool done = false;
  while (ok && !done) {
    yaml_event_t event;
    if (!yaml_parser_parse(&parser, &event)) {
      ok = false;
      break;
    }
    done = event.type == YAML_STREAM_END_EVENT;
    ok = composer.event(event);
    yaml_event_delete(&event);
  }
  yaml_parser_delete(&parser);
  if (!ok) return std::nullopt;
  if (!composer.root()) return JsonValue();
  return composer.build(*composer.root());
}

}  // namespace zuv::parser

#pragma once
// Test-only: where two JSON value trees first differ, named as a reader of a failing test wants
// it: the node (the chain of objects with a "type" from the top down, each with the key path
// that leads to it) and the key within it, then the two values there, shortened.
//
//   root / children[3] (code_block), key "lang": "rust" in the first, absent in the second
//
// No gtest here, so that fuzz targets can print it too.

#include <algorithm>
#include <string>
#include <string_view>

#include "zuv/json.h"

namespace zuv::testing {

namespace detail {

inline std::string shortened_json(const JsonValue& v) {
  constexpr size_t kMaxShown = 80;
  std::string text = to_json_text(v);
  if (text.size() > kMaxShown) text = text.substr(0, kMaxShown - 3) + "...";
  return text;
}

// The "type" of an object, or "" when it has none.
inline std::string_view type_of(const JsonValue& v) {
  const JsonValue* type = v.get("type");
  return type && type->is_string() ? type->text() : std::string_view();
}

inline std::string place(const std::string& node, const std::string& key) {
  std::string out = node.empty() ? "the top" : node;
  if (!key.empty()) out += ", key \"" + key + "\"";
  return out;
}

inline std::string json_difference(const JsonValue& a, const JsonValue& b, std::string node,
                                   std::string key) {
  const auto differ = [&](const std::string& first, const std::string& second) {
    return place(node, key) + ": " + first + " in the first, " + second + " in the second";
  };
  if (a.kind() != b.kind()) return differ(shortened_json(a), shortened_json(b));
  if (a.is_array()) {
    const auto x = a.items();
    const auto y = b.items();
    for (size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
      std::string d = json_difference(x[i], y[i], node, key + "[" + std::to_string(i) + "]");
      if (!d.empty()) return d;
    }
    if (x.size() != y.size()) {
      return differ(std::to_string(x.size()) + " items", std::to_string(y.size()) + " items");
    }
    return "";
  }
  if (!a.is_object()) return a == b ? "" : differ(shortened_json(a), shortened_json(b));
  // An object with the same "type" on both sides is a node (or math expression) of its own.
  if (const std::string_view type = type_of(a); !type.empty() && type == type_of(b)) {
    std::string segment = key.empty() ? std::string(type) : key + " (" + std::string(type) + ")";
    node = node.empty() ? segment : node + " / " + segment;
    key.clear();
  }
  const auto x = a.members();
  const auto y = b.members();
  const std::string prefix = key.empty() ? "" : key + ".";
  size_t i = 0;
  size_t j = 0;
  while (i < x.size() || j < y.size()) {
    const bool only_first = j == y.size() || (i < x.size() && x[i].key.text() < y[j].key.text());
    const bool only_second = i == x.size() || (j < y.size() && y[j].key.text() < x[i].key.text());
    if (only_first) {
      key = prefix + std::string(x[i].key.text());
      return differ(shortened_json(x[i].value), "absent");
    }
    if (only_second) {
      key = prefix + std::string(y[j].key.text());
      return differ("absent", shortened_json(y[j].value));
    }
    std::string d =
        json_difference(x[i].value, y[j].value, node, prefix + std::string(x[i].key.text()));
    if (!d.empty()) return d;
    ++i;
    ++j;
  }
  return "";
}

}  // namespace detail

// Where `a` and `b` first differ, or "" when they are equal.
inline std::string json_difference(const JsonValue& a, const JsonValue& b) {
  return detail::json_difference(a, b, "", "");
}

}  // namespace zuv::testing

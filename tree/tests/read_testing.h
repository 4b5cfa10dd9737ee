#pragma once
// Test helpers for the dict-form readers: dicts written as JSON text, read back, and either the
// failure's text or the tree written again.
//
// "@P" in a text stands for a valid position dict; "@" followed by nothing else is left alone.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "json_text.h"
#include "zuv/dict_form.h"
#include "zuv/dict_read.h"

namespace zuv::testing {

inline constexpr std::string_view kPosText =
    R"({"end":{"column":2,"line":1,"offset":1},"start":{"column":1,"line":1,"offset":0}})";

inline std::string with_pos(std::string_view json) {
  std::string s(json);
  for (size_t at; (at = s.find("@P")) != std::string::npos;) s.replace(at, 2, kPosText);
  return s;
}

inline JsonValue json(std::string_view text) {
  auto v = json_from_text(with_pos(text));
  if (!v) ADD_FAILURE() << "not JSON: " << text;
  return v ? std::move(*v) : JsonValue();
}

inline DictResult<Root> read_root_text(std::string_view text) {
  return root_from_value(json(text));
}

// The failure's text, or "ok".
inline std::string root_message(std::string_view text) {
  auto r = read_root_text(text);
  return r ? std::string("ok") : r.error().message;
}

// A root around one top-level node.
inline std::string wrap_top(std::string_view node) {
  return R"({"type":"root","children":[)" + std::string(node) + R"(],"position":@P})";
}
// A root around one node nested in a paragraph.
inline std::string wrap_nested(std::string_view node) {
  return wrap_top(R"({"type":"paragraph","position":@P,"children":[)" + std::string(node) + "]}");
}
// A root around one math expression, the tree of an inline math node.
inline std::string wrap_math(std::string_view expr) {
  return wrap_top(R"({"type":"math_inline","raw":"","position":@P,"tree":)" + std::string(expr) +
                  "}");
}

inline std::string top_message(std::string_view node) { return root_message(wrap_top(node)); }
inline std::string nested_message(std::string_view node) { return root_message(wrap_nested(node)); }
inline std::string math_message(std::string_view expr) { return root_message(wrap_math(expr)); }

// The math tree read from `expr`, written again; or the failure's text.
inline std::string math_rewritten(std::string_view expr) {
  auto r = read_root_text(wrap_math(expr));
  if (!r) return r.error().message;
  return to_json_text(math_to_value(*r.value().children.at(0).as<MathNode>().tree));
}

// The top-level node read from `node`, written again; or the failure's text.
inline std::string node_rewritten(std::string_view node) {
  auto r = read_root_text(wrap_top(node));
  if (!r) return r.error().message;
  return to_json_text(node_to_value(r.value().children.at(0)));
}

}  // namespace zuv::testing

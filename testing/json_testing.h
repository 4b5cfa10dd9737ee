#pragma once
// Test helpers: expectations on JSON value trees written as JSON text.
//
// EXPECT_JSON(value, R"({"a": 1})") compares the compact JSON of `value` with the expected
// text after removing the white space outside its strings, so expectations can be laid out
// freely but must list object keys in the order the value tree keeps them (ascending bytes).

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "zuv/json.h"

namespace zuv::testing {

inline std::string compact_json(std::string_view text) {
  std::string out;
  bool in_string = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (in_string) {
      out.push_back(c);
      if (c == '\\' && i + 1 < text.size()) {
        out.push_back(text[++i]);
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
      out.push_back(c);
    } else if (c != ' ' && c != '\n' && c != '\t' && c != '\r') {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace zuv::testing

#define EXPECT_JSON(value, expected) \
  EXPECT_EQ(::zuv::to_json_text(value), ::zuv::testing::compact_json(expected))

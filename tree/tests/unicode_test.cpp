#include "zuv/unicode.h"

#include <gtest/gtest.h>

namespace zuv {
namespace {

TEST(Unicode, TrimsWhiteSpaceOnly) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"  a b \t\n", "a b"},
      {"\xc2\xa0"
       "x"
       "\xe3\x80\x80",
       "x"},  // no-break space, ideographic space
      {"\xe2\x80\x8b"
       "x",
       "\xe2\x80\x8b"
       "x"},             // zero-width space is not White_Space
      {"\xc2\x85", ""},  // next line
      {"", ""},
      {"\xc3\xa9", "\xc3\xa9"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(trim_unicode_white_space(in), out);
}

TEST(Unicode, DecodesEveryLength) {
  size_t len = 0;
  EXPECT_EQ(decode_utf8("a", 0, len), U'a');
  EXPECT_EQ(len, 1u);
  EXPECT_EQ(decode_utf8("\xc3\xa9", 0, len), U'\u00e9');
  EXPECT_EQ(len, 2u);
  EXPECT_EQ(decode_utf8("\xe2\x88\x91", 0, len), U'\u2211');
  EXPECT_EQ(len, 3u);
  EXPECT_EQ(decode_utf8("\xf0\x9d\x94\xb8", 0, len), U'\U0001d538');
  EXPECT_EQ(len, 4u);
}

}  // namespace
}  // namespace zuv

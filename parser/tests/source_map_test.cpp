#include "source_map.h"

#include <gtest/gtest.h>

#include <random>

namespace zuv::parser {
namespace {

TEST(SourceMap, LineStartsAndPoints) {
  struct Case {
    std::string_view text;
    std::vector<size_t> line_starts;
    size_t offset;
    Point point;
  };
  const Case cases[] = {
      {"", {0}, 0, {1, 1, 0}},
      {"a\nb", {0, 2}, 2, {2, 1, 2}},
      {"a\nb", {0, 2}, 3, {2, 2, 3}},
      {"a\nb", {0, 2}, 1, {1, 2, 1}},    // a line feed lies on the line it ends
      {"a\r\nb", {0, 3}, 1, {1, 2, 1}},  // a carriage return is a column
      {"a\r\nb", {0, 3}, 3, {2, 1, 3}},
      {"a\rb\rc", {0}, 4, {1, 5, 4}},          // bare carriage returns end no line
      {"\n\n", {0, 1, 2}, 2, {3, 1, 2}},       // after a final line feed: column 1
      {"ab", {0}, 10, {1, 11, 10}},            // past the end: the last line
      {"\xc3\xa9x\nz", {0, 4}, 2, {1, 3, 2}},  // columns count bytes
  };
  for (const Case& c : cases) {
    SourceMap map(c.text);
    EXPECT_EQ(map.line_starts(), c.line_starts) << c.text;
    EXPECT_EQ(map.point(c.offset), c.point) << c.text << " @" << c.offset;
  }
  SourceMap map("a\nb");
  EXPECT_EQ(map.position(2, 3), (Position{{2, 1, 2}, {2, 2, 3}}));
  EXPECT_EQ(map.position(0, 2), (Position{{1, 1, 0}, {2, 1, 2}}));
}

// A cursor gives the map's answer whatever the order of the offsets: forward, backward, near,
// far, past the end, on line feeds.
TEST(PointCursor, AgreesWithTheMap) {
  std::mt19937 rng(3);
  for (std::string_view text : {"", "abc", "\n", "a\nb\n\ncd\n", "\n\n\n\n\n\n\n\n\n"}) {
    SourceMap map(text);
    PointCursor cursor(map);
    for (size_t o = 0; o <= text.size() + 1; ++o) EXPECT_EQ(cursor.point(o), map.point(o)) << o;
    for (size_t o = text.size() + 2; o-- > 0;) EXPECT_EQ(cursor.point(o), map.point(o)) << o;
  }
  std::string text;
  for (int i = 0; i < 3000; ++i) text += std::string(rng() % 5, 'x') + "\n";
  SourceMap map(text);
  PointCursor cursor(map);
  size_t at = 0;
  for (int i = 0; i < 20000; ++i) {
    const unsigned r = rng();
    switch (r % 4) {
      case 0: at = rng() % (text.size() + 10); break;                     // anywhere
      case 1: at += rng() % 8; break;                                     // a little ahead
      case 2: at -= std::min<size_t>(at, rng() % 8); break;               // a little behind
      default: at = std::min(text.size(), at + (size_t{1} << (r % 16)));  // a long way ahead
    }
    ASSERT_EQ(cursor.point(at), map.point(at)) << at;
  }
  EXPECT_EQ(cursor.position(2, 9), map.position(2, 9));
}

}  // namespace
}  // namespace zuv::parser

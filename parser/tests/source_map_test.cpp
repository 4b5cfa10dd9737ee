#include <gtest/gtest.h>

#include "source_map.h"

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
      {"a\nb", {0, 2}, 1, {1, 2, 1}},          // a line feed lies on the line it ends
      {"a\r\nb", {0, 3}, 1, {1, 2, 1}},        // a carriage return is a column
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

}  // namespace
}  // namespace zuv::parser

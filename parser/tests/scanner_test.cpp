#include "scanner.h"

#include <gtest/gtest.h>

#include "layer_testing.h"

namespace zuv::parser {
namespace {

using testing::describe;

std::string scan(std::string_view text, size_t base = 0) {
  std::string input = std::string(base, ' ') + std::string(text);
  SourceMap map(input);
  ErrorTextBudget budget(input.size());
  return describe(scan_blocks(std::string_view(input).substr(base), base, map, budget));
}

TEST(Scanner, Segments) {
  struct Case {
    std::string_view text;
    std::string segments;
  };
  const Case cases[] = {
      {"", ""},
      {"Hello\nworld\n", "md 0-12"},
      {"Intro\n<Note />\nMore\n", "md 0-6 | self Note 6-14 | md 15-20"},
      {"    <Note />", "self Note 4-12"},
      {"<A\n/>\nx", "self A 0-5 | md 6-7"},
      {"<Note />x\n", "md 0-10"},
      {"<note />\n<1>\n< A>\n", "md 0-18"},
      // Fences.
      {"```\n<Note>\n```\n", "md 0-15"},
      {"```\n~~~\n<Note />\n```\n", "md 0-21"},
      {"```\n````\n<Note />\n", "md 0-9 | self Note 9-17"},
      {"```\n```  \r\n<Note />\n", "md 0-11 | self Note 11-19"},
      {"```\n``` x\n<Note />\n", "md 0-19"},
      {"~~~~\n~~~\n<N/>\n~~~~~\n<N/>\n", "md 0-20 | self N 20-24"},
      {"``\n<N/>\n", "md 0-3 | self N 3-7"},
      {"```\n<Note />", "md 0-12"},
      // Display math.
      {"$$\nx\n$$", "math 0 content 3-5 end 7"},
      {"$$ {#eq:a}\nx\n$$\n", "math 0 label eq:a content 11-13 end 15"},
      {"  $$ {#eq:a}\nx\n$$\n", "math 2 label eq:a content 13-15 end 17"},
      {"$$\t{#_a-b.c:d1} \r\nx\n \t$$ \r\nafter\n",
       "math 0 label _a-b.c:d1 content 18-20 end 24 | md 27-33"},
      {"$$ {#1a}\nx\n$$\n", "md 0-14"},
      {"$$ {#a}x\nx\n$$\n", "md 0-14"},
      {"$$ {#a\nx\n$$\n", "md 0-12"},
      {"$$x$$", "md 0-5"},
      {"$$\nx\n", "md 0-5"},
      {"$$\n", "md 0-3"},
      {"$$\n$$\n", "math 0 content 3-3 end 5"},
      {"$$\n```\n<A>\n$$ x\n$$\n", "math 0 content 3-16 end 18"},
      {"a\n$$\nx\n", "md 0-7"},
      // Components.
      {"<Note>Hello</Note>\n", "component Note 0 body 6-11 end 18"},
      {"<Note>Hello</Note> more\n", "md 0-24"},
      {"<Note>Hello</Note >\n", "md 0-20"},
      {"<Note>a</Note></Note>\n", "md 0-22"},
      {"<Note>\n</Note>\n", "component Note 0 body 7-7 end 14"},
      {"<Box>\n<Box>\nin\n</Box>\n</Box>\n", "component Box 0 body 6-22 end 28"},
      {"<Box>\n```\n</Box>\n```\n", "component Box 0 body 6-10 end 16 | md 17-21"},
      {"<A>\n<A> x\n</A>\n</A>\n",
       R"(component A 0 body 4-10 end 14 | error "Unexpected closing tag </A>" raw "</A>" 15-19)"},
      {"<A>\n<A/>\n<B>\n</A>\n", "component A 0 body 4-13 end 17"},
      {"<A>\n<A -\n</A>\n", "component A 0 body 4-9 end 13"},
      {"<A>\nx\n</A\n>\ny\n", "component A 0 body 4-6 end 11 | md 12-14"},
      {"<A\n b=\"1\">\nx\n  </A>  \n", "component A 0 body 11-13 end 19"},
      {"<Note>\ntext\n", R"(error "Unclosed tag <Note>" raw "<Note>\ntext\n" 0-12)"},
      {"a\n<Note>\n<B />\n", R"(md 0-2 | error "Unclosed tag <Note>" raw "<Note>\n<B />\n" 2-15)"},
      // Stray closing tags.
      {"</Note>\n", R"(error "Unexpected closing tag </Note>" raw "</Note>" 0-7)"},
      {"x\n </A\n>\ny\n",
       R"(md 0-2 | error "Unexpected closing tag </A>" raw "</A\n>" 3-8 | md 9-11)"},
      {"</Note> text\n", "md 0-13"},
      {"</note>\n", "md 0-8"},
      // Tag faults: the scan goes on at the line after the `<`.
      {"<X\n-y>\n<Y />\n",
       R"(error "Invalid attribute name character '-'" raw "<X\n-y>\n<Y />\n" 0-13 | md 3-7 | )"
       "self Y 7-12"},
      {"a\n<X a=1>\nb\n",
       R"(md 0-2 | error "Invalid attribute value after '=' for 'a'" raw "a=1>\nb\n" 5-12 | md 10-12)"},
  };
  for (const Case& c : cases) EXPECT_EQ(scan(c.text), c.segments) << c.text;
}

TEST(Scanner, OffsetsAreAbsolute) {
  EXPECT_EQ(scan("Intro\n<Note />\n$$\nx\n$$\n<A>b</A>\n</B>\n<C -\n", 100),
            "md 100-106 | self Note 106-114 | math 115 content 118-120 end 122 | "
            "component A 123 body 126-127 end 131 | "
            R"(error "Unexpected closing tag </B>" raw "</B>" 132-136 | )"
            R"(error "Invalid attribute name character '-'" raw "<C -\n" 137-142)");
}

// Mended fault: a body of many faulty tag lines copies the rest of the body only until the
// document's error-text budget is spent; later faults keep their own line.
TEST(Scanner, FaultyTagLinesStayWithinTheBudget) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "<A -\n";
  SourceMap map(text);
  ErrorTextBudget budget(text.size());
  std::vector<Segment> segments = scan_blocks(text, 0, map, budget);
  ASSERT_EQ(segments.size(), 3000u);
  size_t whole = 0;        // faults that kept the whole rest of the body
  size_t whole_bytes = 0;  // what they copied
  size_t last_whole = 0;
  for (size_t i = 0; i < segments.size(); ++i) {
    const auto& e = std::get<Segment::Error>(segments[i].value);
    ASSERT_EQ(e.start, 5 * i);
    ASSERT_EQ(e.end, e.start + e.raw.size());
    ASSERT_EQ(e.raw, text.substr(e.start, e.raw.size()));
    if (e.raw.size() > 5) {
      ASSERT_EQ(whole, i) << "whole texts come first";
      ASSERT_EQ(e.end, text.size());
      ++whole;
      whole_bytes += e.raw.size();
      last_whole = e.raw.size();
    } else {
      ASSERT_EQ(e.raw, "<A -\n");
    }
  }
  // The last whole text is the one that passes the budget.
  EXPECT_GT(whole, 50u);
  EXPECT_GT(whole_bytes, budget.limit());
  EXPECT_LE(whole_bytes - last_whole, budget.limit());
}

}  // namespace
}  // namespace zuv::parser

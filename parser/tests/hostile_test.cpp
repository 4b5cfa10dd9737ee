// Pathological inputs: each aims at a search that would turn quadratic if repeated from every
// marker. Here they are checked for their results; the benchmark times them.

#include <gtest/gtest.h>

#include "code_meta.h"
#include "frontmatter.h"
#include "pathological_inputs.h"
#include "scanner.h"
#include "text.h"

namespace zuv::parser {
namespace {

using testing::PathologicalInput;
using testing::Reader;

constexpr size_t kSize = size_t{1} << 20;

void check_text(const PathologicalInput& p) {
  SourceMap map(p.input);
  NodeList nodes = parse_text(p.input, 0, map);
  // The nodes tile the input.
  size_t at = 0;
  size_t math = 0, refs = 0;
  for (const Node& n : nodes) {
    ASSERT_EQ(n.position().start.offset, at);
    at = n.position().end.offset;
    math += n.kind == NodeKind::MathInline;
    refs += n.kind == NodeKind::CrossRef;
  }
  ASSERT_EQ(at, p.input.size());
  if (p.name == "text: $a") {
    EXPECT_EQ(math, p.input.size() / 4);
  } else if (p.name == "text: {@a}") {
    EXPECT_EQ(refs, nodes.size());
  } else {
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0].kind, NodeKind::Text);
  }
}

void check_scan(const PathologicalInput& p) {
  SourceMap map(p.input);
  ErrorTextBudget budget(p.input.size());
  std::vector<Segment> segments = scan_blocks(p.input, 0, map, budget);
  size_t lines = map.line_starts().size() - (p.input.back() == '\n' ? 1 : 0);
  size_t texts = 0;
  size_t errors = 0;
  for (const Segment& s : segments) {
    if (const auto* e = std::get_if<Segment::Error>(&s.value)) {
      ++errors;
      texts += e->raw.size() + e->message.size();
      ASSERT_EQ(e->raw, p.input.substr(e->start, e->end - e->start));
    }
  }
  // Whatever the faults, the texts they copy stay linear in the input.
  EXPECT_LE(texts, 3 * budget.limit() + errors * 2 * ErrorTextBudget::kClippedTextBytes);
  const std::string& n = p.name;
  if (n == "scan: <A  lines" || n == "scan: <A x={{ lines" || n == "scan: <A x={{\" lines" ||
      n == "scan: <A x={ lines" || n == "scan: <A x={$ lines" || n == "scan: <A x=\" lines" ||
      n == "scan: <A x={ lines closed far") {
    const size_t last_line_ordinary = n == "scan: <A x={ lines closed far" ? 1 : 0;
    EXPECT_EQ(errors, segments.size() - last_line_ordinary);
    EXPECT_EQ(errors, lines - last_line_ordinary);
  } else if (n == "scan: $$ {#a} then a closer") {
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].kind(), Segment::Kind::MathBlock);
  } else if (n == "scan: <A> lines" || n == "scan: <A> then <A x={{ lines") {
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(std::get<Segment::Error>(segments[0].value).message, "Unclosed tag <A>");
  } else {
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].kind(), Segment::Kind::Markdown);
  }
}

void check_frontmatter(const PathologicalInput& p) {
  FrontmatterSplit split = extract_frontmatter(p.input);
  EXPECT_EQ(split.body_offset, p.input.size() - 5);
  const bool within = p.name.find("250,000") != std::string::npos ||
                      p.name.find("50,000") != std::string::npos ||
                      p.name.find("10,000") != std::string::npos ||
                      p.name.find("1,023") != std::string::npos ||
                      p.name.find("nested anchors") != std::string::npos;
  EXPECT_EQ(split.frontmatter.has_value(), within);
}

void check_code_meta(const PathologicalInput& p) {
  CodeMeta m = parse_code_meta(p.input);
  if (p.name == "meta: { words") {
    EXPECT_EQ(m.meta, p.input);
  } else if (p.name == "meta: {1 {1") {
    EXPECT_EQ(m.highlight, (std::vector<uint32_t>{1}));
  } else {
    EXPECT_TRUE(m.title.has_value());
  }
}

TEST(Hostile, PathologicalInputs) {
  for (const PathologicalInput& p : testing::pathological_inputs(kSize)) {
    SCOPED_TRACE(p.name);
    switch (p.reader) {
      case Reader::Text: check_text(p); break;
      case Reader::Scanner: check_scan(p); break;
      case Reader::Frontmatter: check_frontmatter(p); break;
      case Reader::CodeMeta: check_code_meta(p); break;
    }
  }
}

}  // namespace
}  // namespace zuv::parser

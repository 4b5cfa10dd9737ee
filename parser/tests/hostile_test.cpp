// Pathological inputs: each aims at a search that would turn quadratic if repeated from every
// marker, or at work a short unit could multiply. Here they are checked for their results; the
// benchmark times them.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "code_meta.h"
#include "frontmatter.h"
#include "pathological_inputs.h"
#include "scanner.h"
#include "text.h"
#include "zuv/limits.h"
#include "zuv/parser.h"

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
  const bool within =
      p.name.find("250,000") != std::string::npos || p.name.find("50,000") != std::string::npos ||
      p.name.find("10,000") != std::string::npos || p.name.find("1,023") != std::string::npos ||
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

size_t count_of(std::string_view text, std::string_view what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != npos; at = text.find(what, at + 1)) ++count;
  return count;
}

struct Census {
  size_t errors = 0;
  size_t components = 0;
  size_t highlighted = 0;                  // line numbers over all code blocks
  size_t brackets = 0;                     // `[` in text values
  std::map<std::string, size_t> messages;  // of the errors
  std::vector<const CodeBlockNode*> code_blocks;
  const ComponentNode* first_component = nullptr;
  size_t levels = 0;  // of the deepest node
};

void take_census(const NodeList& nodes, Census& c, size_t level = 1) {
  // The walk follows the tree only as deep as the limit allows and a little more, so that a tree
  // past it fails the test rather than the stack.
  if (nodes.empty()) return;
  c.levels = std::max(c.levels, level);
  if (level > kMaxDocumentDepth + 2) return;
  for (const Node& n : nodes) {
    if (n.kind == NodeKind::Error) {
      ++c.errors;
      ++c.messages[n.as<ErrorNode>().message];
    }
    if (n.kind == NodeKind::Text) c.brackets += count_of(n.as<TextNode>().value, "[");
    if (n.kind == NodeKind::Component) {
      if (c.components++ == 0) c.first_component = &n.as<ComponentNode>();
    }
    if (n.kind == NodeKind::CodeBlock) {
      const auto& b = n.as<CodeBlockNode>();
      c.code_blocks.push_back(&b);
      if (b.highlight) c.highlighted += b.highlight->size();
    }
    if (const NodeList* children = node_children(n)) take_census(*children, c, level + 1);
  }
}

void check_document(const PathologicalInput& p) {
  Root root = parse_document(p.input);
  Census c;
  take_census(root.children, c);
  const std::string& n = p.name;
  if (n == "doc: <div> then <A> closed at the end") {
    // The first tag finds the closing text at the far end, and holds everything before it.
    ASSERT_EQ(c.components, 1u);
    EXPECT_EQ(c.errors, 0u);
    EXPECT_EQ(c.first_component->rawContent.size(), p.input.size() - 5 - 3 - 4);
  } else if (n == "doc: <A> then misnested closers") {
    // Each closer ends the innermost frame, or finds none open; the content of every frame
    // ended by a wrong closer is kept.
    const size_t misnested = c.messages["Misnested tags: expected </A>, found </B>"];
    EXPECT_GT(misnested, 100u);
    EXPECT_EQ(c.messages["Component nesting too deep"] + misnested, count_of(p.input, "<A"));
    EXPECT_EQ(c.messages["Unexpected closing tag </B>"] + misnested, 130u);
    EXPECT_EQ(c.components, 0u);
    EXPECT_EQ(c.messages.size(), 3u);
    EXPECT_EQ(c.brackets, count_of(p.input, "["));
  } else if (n.starts_with("doc: moved: ")) {
    // Cut at the limit, nothing lost: every opening tag ends as a component, an error for the
    // components past the limit, or the frame of a wrong closer or of the end of the segment.
    EXPECT_LE(c.levels, kMaxDocumentDepth + 1);
    const size_t misnested = c.messages["Misnested tags: expected </A>, found </B>"];
    EXPECT_EQ(c.components + c.messages["Component nesting too deep"] + misnested +
                  c.messages["Unclosed tag <A>"],
              count_of(p.input, "<A>"));
  } else if (n.starts_with("doc: <")) {
    // No tag finds a closer: every one is left open (or is too deep to open) and reported.
    EXPECT_EQ(c.components, 0u);
    EXPECT_EQ(c.errors, count_of(p.input, "<A"));
  } else if (n == "doc: {1-60000} lists in one info string") {
    ASSERT_EQ(c.code_blocks.size(), 1u);
    EXPECT_EQ(c.highlighted, 60000u);
    EXPECT_FALSE(c.code_blocks[0]->meta);
  } else {
    // The document's budget of line numbers runs out; the blocks after it keep their lists as
    // metadata.
    EXPECT_EQ(c.highlighted, std::max<size_t>(HighlightBudget::kMinLimit, p.input.size()));
    const CodeBlockNode* last = c.code_blocks.back();
    EXPECT_FALSE(last->highlight);
    EXPECT_EQ(last->meta, "{1-65536}");
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
      case Reader::Document: check_document(p); break;
    }
  }
}

}  // namespace
}  // namespace zuv::parser

// The document pipeline: source map, front matter, then the body cut into segments by the block
// scanner, each segment turned into nodes (Markdown through the bridge, components by parsing
// their bodies again, display math through the math parser, faults as error nodes).

#include <algorithm>
#include <string>
#include <utility>

#include "code_meta.h"
#include "error_budget.h"
#include "frontmatter.h"
#include "markdown.h"
#include "messages.h"
#include "scanner.h"
#include "source_map.h"
#include "zuv/limits.h"
#include "zuv/math.h"
#include "zuv/parser.h"
#include "zuv/stack.h"

namespace zuv {

namespace {

using namespace zuv::parser;

class Pipeline {
 public:
  explicit Pipeline(std::string_view input)
      : input_(input), map_(input), budget_(input.size()), highlights_(input.size()),
        depth_limit_(std::min(kMaxDocumentDepth, stack_levels_left(kStackPerDocumentLevel))) {}

  Root run() {
    FrontmatterSplit split = extract_frontmatter(input_);
    Root root;
    root.frontmatter = std::move(split.frontmatter);
    root.children = parse_body(input_.substr(split.body_offset), split.body_offset, 0);
    root.position = map_.position(0, input_.size());
    return root;
  }

 private:
  // `depth` is the tree level of the body's nodes: one more for every enclosing component.
  NodeList parse_body(std::string_view body, size_t base, size_t depth) {
    NodeList out;
    for (Segment& seg : scan_blocks(body, base, map_, budget_)) {
      switch (seg.kind()) {
        case Segment::Kind::Markdown: {
          const auto& m = std::get<Segment::Markdown>(seg.value);
          parse_markdown(input_.substr(m.start, m.end - m.start), m.start, map_, input_, budget_,
                         highlights_, depth, events_, out);
          break;
        }
        case Segment::Kind::Component: {
          auto& c = std::get<Segment::Component>(seg.value);
          const Position position = map_.position(c.open_tag.start, c.block_end);
          if (depth + 1 >= depth_limit_ || stack_is_short()) {
            // Deeper bodies are not parsed, nor bodies the thread's stack has no room for: the
            // component stands as an error with its source.
            std::string raw(input_.substr(c.open_tag.start, c.block_end - c.open_tag.start));
            out.push_back(
                Node(NodeKind::Error, ErrorNode{std::string(messages::kComponentNestingTooDeep),
                                                std::move(raw), position}));
            break;
          }
          std::string_view inner = input_.substr(c.body_start, c.body_end - c.body_start);
          ComponentNode node;
          node.name = std::move(c.open_tag.name);
          node.isInline = false;
          node.attributes = std::move(c.open_tag.attributes);
          node.children = parse_body(inner, c.body_start, depth + 1);
          node.rawContent = std::string(inner);
          node.position = position;
          out.push_back(Node(NodeKind::Component, std::move(node)));
          break;
        }
        case Segment::Kind::SelfClosing: {
          auto& s = std::get<Segment::SelfClosing>(seg.value);
          ComponentNode node;
          node.name = std::move(s.open_tag.name);
          node.isInline = false;
          node.attributes = std::move(s.open_tag.attributes);
          node.position = map_.position(s.open_tag.start, s.open_tag.end);
          out.push_back(Node(NodeKind::Component, std::move(node)));
          break;
        }
        case Segment::Kind::MathBlock: {
          auto& m = std::get<Segment::MathBlock>(seg.value);
          std::string raw(input_.substr(m.content_start, m.content_end - m.content_start));
          MathExpr tree = parse_math(raw);
          out.push_back(Node(NodeKind::MathDisplay,
                             MathDisplayNode{std::move(raw), std::move(tree), std::move(m.label),
                                             map_.position(m.start, m.block_end)}));
          break;
        }
        case Segment::Kind::Error: {
          auto& e = std::get<Segment::Error>(seg.value);
          out.push_back(Node(NodeKind::Error, ErrorNode{std::move(e.message), std::move(e.raw),
                                                        map_.position(e.start, e.end)}));
          break;
        }
      }
    }
    return out;
  }

  std::string_view input_;
  SourceMap map_;
  ErrorTextBudget budget_;
  HighlightBudget highlights_;
  // Components nest below it: the nesting limit, or the levels that the passes over the tree
  // find room for on this thread.
  const size_t depth_limit_;
  markdown::Events events_;
};

}  // namespace

Root parse_document(std::string_view input) { return Pipeline(input).run(); }

}  // namespace zuv

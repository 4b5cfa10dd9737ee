// The Markdown bridge: turns the CommonMark engine's events for one segment into document nodes.
//
// Block and inline containers come from matching Start/End events and live on `blocks_` until
// they end; components opened by inline HTML live on `inlines_` and, while open, receive every
// finished node but the content of an emphasis, strong, strikethrough, link or image opened
// inside one, which stays in that container. A block frame gathers its content in a list of its
// own, given room when the frame opens for about as many nodes as its Start event counts events
// inside, so that nodes are mostly built where they stay. Text goes through the inline-text
// parser from the source bytes (so entity references and escapes stay as written). When the
// stream ends, components left open become errors followed by their content, a tree that moved
// content made deeper than the nesting limit is cut there (nesting.h), and two passes (the
// citation re-scan and the inline-code language pass) finish the segment.

#include "markdown.h"

#include <algorithm>
#include <iterator>
#include <list>
#include <string>
#include <utility>
#include <vector>

#include "code_meta.h"
#include "messages.h"
#include "nesting.h"
#include "passes.h"
#include "source_map.h"
#include "tag_search.h"
#include "tags.h"
#include "text.h"
#include "zuv/ascii.h"
#include "zuv/limits.h"
#include "zuv/markdown.h"
#include "zuv/stack.h"
#include "zuv/unicode.h"

namespace zuv::parser {

namespace {

namespace md = zuv::markdown;

enum class FrameKind : uint8_t {
  Paragraph,
  Heading,
  List,
  Item,
  BlockQuote,
  Table,
  TableRow,
  TableCell,
  Emphasis,
  Strong,
  Strikethrough,
  Link,
  Image,
  CodeBlock,
  FootnoteDefinition,
  HtmlBlock,
  DefinitionList,
  DefinitionListTitle,
  DefinitionListDefinition
};

// Nodes gathered by an open container, with the number of tree levels the deepest of them takes
// (1 for a node without children). Nodes move between containers after the level at which they
// were made was checked (a block that ends inside a component lands in it, and the component in
// the next block), so the depth of a segment's tree is known only from these counts. Nodes
// without children, the most common, are counted by being there.
struct Gathered {
  NodeList nodes;
  size_t deeper = 0;  // the levels of the deepest node with children, of those added

  size_t levels() const { return std::max(deeper, nodes.empty() ? size_t{0} : size_t{1}); }
  void add(Node&& node, size_t node_levels) {
    nodes.push_back(std::move(node));
    note(node_levels);
  }
  void note(size_t node_levels) {
    if (node_levels > deeper) deeper = node_levels;
  }
  // Before its nodes move elsewhere while it still counts them.
  void keep_count() { deeper = levels(); }
};

// Emphasis to Image: the containers of inline content.
bool is_inline_container(FrameKind k) { return k >= FrameKind::Emphasis && k <= FrameKind::Image; }

// An open container. Its Start event holds what the node takes besides its content (level,
// destination, title, label, info string); the events and their texts outlive the segment.
struct BlockFrame {
  const md::Event* start_event = nullptr;
  FrameKind kind = FrameKind::Paragraph;
  std::optional<bool> checked;
  Gathered children;      // sized for its content before it arrives
  size_t first_code = 0;  // where its code begins in the code buffer
};

struct InlineFrame {
  std::string name;
  std::vector<AttributeNode> attributes;
  size_t start = 0;
  size_t end = 0;
  Gathered children;                     // it counts the levels of `earlier` too
  const md::Event* opened_at = nullptr;  // the HTML event of its opening tag
  // Content that stands before `children`: the lists of the frames that a wrong closing tag
  // ended inside this one, kept whole. Each such frame's content moves up to the next frame as
  // lists, not node by node, so that a run of misnested closers under frames a hundred deep
  // does not move every node once per frame.
  std::list<NodeList> earlier;

  // The whole content, in order; each node is moved once.
  NodeList take_content() {
    if (earlier.empty()) return std::move(children.nodes);
    size_t size = children.nodes.size();
    for (const NodeList& list : earlier) size += list.size();
    NodeList all;
    all.reserve(size);
    earlier.push_back(std::move(children.nodes));
    for (NodeList& list : earlier) {
      all.insert(all.end(), std::make_move_iterator(list.begin()),
                 std::make_move_iterator(list.end()));
    }
    earlier.clear();
    return all;
  }
};

FrameKind frame_kind_of(md::Tag tag) {
  switch (tag) {
    case md::Tag::Paragraph: return FrameKind::Paragraph;
    case md::Tag::Heading: return FrameKind::Heading;
    case md::Tag::BlockQuote: return FrameKind::BlockQuote;
    case md::Tag::CodeBlock: return FrameKind::CodeBlock;
    case md::Tag::HtmlBlock: return FrameKind::HtmlBlock;
    case md::Tag::List: return FrameKind::List;
    case md::Tag::Item: return FrameKind::Item;
    case md::Tag::FootnoteDefinition: return FrameKind::FootnoteDefinition;
    case md::Tag::DefinitionList: return FrameKind::DefinitionList;
    case md::Tag::DefinitionListTitle: return FrameKind::DefinitionListTitle;
    case md::Tag::DefinitionListDefinition: return FrameKind::DefinitionListDefinition;
    case md::Tag::Table: return FrameKind::Table;
    case md::Tag::TableHead:
    case md::Tag::TableRow: return FrameKind::TableRow;
    case md::Tag::TableCell: return FrameKind::TableCell;
    case md::Tag::Emphasis: return FrameKind::Emphasis;
    case md::Tag::Strong: return FrameKind::Strong;
    case md::Tag::Strikethrough: return FrameKind::Strikethrough;
    case md::Tag::Link: return FrameKind::Link;
    case md::Tag::Image: return FrameKind::Image;
  }
  return FrameKind::Paragraph;
}

bool all_unicode_white_space(std::string_view s) { return trim_unicode_white_space(s).empty(); }

class Bridge {
 public:
  Bridge(std::string_view text, size_t base, const SourceMap& map, std::string_view input,
         ErrorTextBudget& budget, HighlightBudget& highlights, size_t depth, NodeList& out)
      : text_(text), base_(base), map_(map), points_(map), input_(input), budget_(budget),
        highlights_(highlights), depth_(depth),
        depth_limit_(
            std::min(kMaxDocumentDepth, depth + stack_levels_left(kStackPerDocumentLevel))),
        out_(out) {}

  void run(md::Events& events) {
    md::parse_events(text_, events);
    events_ = &events;
    for (const md::Event& ev : events.events) handle(ev);
    close_unclosed_frames();
    // The segment's nodes stand at level depth_, and none may stand below depth_limit_.
    const size_t levels_allowed = depth_limit_ - depth_ + 1;
    if (top_.levels() > levels_allowed) [[unlikely]] {
      keep_within_levels(top_.nodes, levels_allowed, input_);
    }
    const size_t first = out_.size();
    if (first == 0) {
      out_ = std::move(top_.nodes);
    } else {
      out_.insert(out_.end(), std::make_move_iterator(top_.nodes.begin()),
                  std::make_move_iterator(top_.nodes.end()));
    }
    finish_markdown_nodes(out_, first, points_, input_);
  }

 private:
  Position pos(size_t a, size_t b) { return points_.position(a, b); }

  // The level in the tree that a node finished now would have.
  size_t open_depth() const { return depth_ + blocks_.size() + inlines_.size(); }

  // Where a finished node goes: the deepest open inline component, else the deepest open block
  // frame, else the segment's top level; but an inline container opened inside the deepest
  // component keeps its own content, so that "<Tip>**a**</Tip>" gives Tip(strong(a)).
  Gathered& target() {
    if (!inlines_.empty()) return component_target();
    if (!blocks_.empty()) return blocks_.back().children;
    return top_;
  }

  // Out of line, so that target() stays small where it is inlined: nodes that arrive while a
  // component is open are the rare case.
  [[gnu::cold]] Gathered& component_target() {
    InlineFrame& f = inlines_.back();
    if (!blocks_.empty() && opened_inside(blocks_.back(), f)) return blocks_.back().children;
    return f.children;
  }

  // An inline container opened after the component's tag. Event order decides, not stack depth:
  // a container that ended before the tag may leave its place on the stack to one opened after.
  static bool opened_inside(const BlockFrame& b, const InlineFrame& f) {
    return is_inline_container(b.kind) && b.start_event > f.opened_at;
  }

  // When a component's closing tag comes while containers opened inside it are still open
  // ("<Tip>**a</Tip> b**"), the component takes what they have gathered, in order, so that none
  // of its content is left outside it; the containers go on after it. Rare, so out of line too.
  [[gnu::cold]] void take_open_content(InlineFrame& f) {
    size_t i = blocks_.size();
    while (i > 0 && opened_inside(blocks_[i - 1], f)) --i;
    for (; i < blocks_.size(); ++i) {
      Gathered& from = blocks_[i].children;
      f.children.nodes.insert(f.children.nodes.end(), std::make_move_iterator(from.nodes.begin()),
                              std::make_move_iterator(from.nodes.end()));
      f.children.note(from.levels());
      from.nodes.clear();
      from.deeper = 0;
    }
  }

  // `levels`: how many tree levels the node takes, itself included.
  void push_node(Node&& node, size_t levels = 1) { target().add(std::move(node), levels); }

  void push_nodes(NodeList& nodes, size_t levels) {
    Gathered& to = target();
    to.nodes.insert(to.nodes.end(), std::make_move_iterator(nodes.begin()),
                    std::make_move_iterator(nodes.end()));
    to.note(levels);
  }

  bool in_code_block() const { return code_blocks_open_ > 0; }

  void handle(const md::Event& ev) {
    const size_t s0 = base_ + ev.start;
    const size_t e = base_ + ev.end;
    switch (ev.kind) {
      case md::EventKind::Start: start(ev); return;
      case md::EventKind::End: end(e); return;
      case md::EventKind::Text: text(ev, s0, e); return;
      case md::EventKind::Code:
        push_node(Node(NodeKind::CodeInline,
                       CodeInlineNode{std::string(ev.text), std::nullopt, pos(s0, e)}));
        return;
      case md::EventKind::FootnoteReference:
        push_node(
            Node(NodeKind::FootnoteReference, FootnoteNode{std::string(ev.text), {}, pos(s0, e)}));
        return;
      case md::EventKind::SoftBreak:
      case md::EventKind::HardBreak:
        target().add(Node(NodeKind::Text, TextNode{"\n", pos(s0, e)}), 1);
        return;
      case md::EventKind::Rule: {
        StandardBlockNode rule;
        rule.position = pos(s0, e);
        push_node(Node(NodeKind::ThematicBreak, std::move(rule)));
        return;
      }
      case md::EventKind::TaskListMarker:
        if (!blocks_.empty() && blocks_.back().kind == FrameKind::Item) {
          blocks_.back().checked = ev.checked;
        }
        return;
      case md::EventKind::Html:
      case md::EventKind::InlineHtml:
        html_event_ = &ev;
        handle_html_event(ev.text, s0, e, ev.kind == md::EventKind::InlineHtml);
        return;
    }
  }

  void start(const md::Event& ev) {
    // Containers past the nesting limit, or past what the thread's stack holds for the passes
    // over the tree, are not opened: their content goes into the deepest open frame, and their
    // End events are skipped.
    if (open_depth() >= depth_limit_) {
      ++unopened_;
      return;
    }
    BlockFrame& f = blocks_.emplace_back(
        BlockFrame{&ev, frame_kind_of(ev.tag), std::nullopt, {}, code_.size()});
    if (ev.tag == md::Tag::CodeBlock) {
      ++code_blocks_open_;  // its content is code, kept apart
    } else if (ev.content > 0) {
      // Most events give one node; text may give more, so the room is made a little larger.
      f.children.nodes.reserve(ev.content + ev.content / 2 + 1);
    }
  }

  std::optional<std::string> title_of(const md::Event& ev) const {
    std::string_view title = events_->title_of(ev);
    if (title.empty()) return std::nullopt;
    return std::string(title);
  }

  Node code_block(const md::Event& ev, std::string code, Position p) {
    CodeBlockNode c;
    c.value = std::move(code);
    if (ev.fenced && !ev.text.empty()) {
      // The info string: a language, then the metadata after the first space.
      size_t sp = ev.text.find(' ');
      c.lang = std::string(ev.text.substr(0, sp));
      if (sp != std::string_view::npos) {
        CodeMeta m = parse_code_meta(ev.text.substr(sp + 1), highlights_);
        c.meta = std::move(m.meta);
        c.title = std::move(m.title);
        c.highlight = std::move(m.highlight);
        c.showLineNumbers = m.showLineNumbers;
        c.diff = m.diff;
        c.caption = std::move(m.caption);
      }
    }
    c.position = p;
    return Node(NodeKind::CodeBlock, std::move(c));
  }

  void end(size_t e) {
    if (unopened_ > 0) {
      --unopened_;
      return;
    }
    if (blocks_.empty()) return;
    BlockFrame& f = blocks_.back();
    // A code block's frame never gathers nodes, so it is one level like any other leaf.
    const size_t levels = f.children.levels() + 1;
    Node node = node_of(f, std::move(f.children.nodes), pos(base_ + f.start_event->start, e));
    code_.resize(f.first_code);
    blocks_.pop_back();
    push_node(std::move(node), levels);
  }

  // The node of a frame that ends now, at the position `p`.
  Node node_of(const BlockFrame& f, NodeList children, const Position& p) {
    const md::Event& ev = *f.start_event;
    auto standard = [&] {
      return StandardBlockNode{.children = std::move(children), .position = p};
    };
    switch (f.kind) {
      case FrameKind::Paragraph: return Node(NodeKind::Paragraph, standard());
      case FrameKind::Heading:
        return Node(
            NodeKind::Heading,
            StandardBlockNode{.depth = ev.level, .children = std::move(children), .position = p});
      case FrameKind::List:
        return Node(NodeKind::List,
                    StandardBlockNode{
                        .ordered = ev.ordered, .children = std::move(children), .position = p});
      case FrameKind::Item:
        return Node(NodeKind::ListItem,
                    StandardBlockNode{
                        .checked = f.checked, .children = std::move(children), .position = p});
      case FrameKind::BlockQuote: return Node(NodeKind::Blockquote, standard());
      case FrameKind::Table: return Node(NodeKind::Table, standard());
      case FrameKind::TableRow: return Node(NodeKind::TableRow, standard());
      case FrameKind::TableCell: return Node(NodeKind::TableCell, standard());
      case FrameKind::Emphasis: return Node(NodeKind::Emphasis, standard());
      case FrameKind::Strong: return Node(NodeKind::Strong, standard());
      case FrameKind::Strikethrough: return Node(NodeKind::Strikethrough, standard());
      case FrameKind::HtmlBlock: return Node(NodeKind::Html, standard());
      case FrameKind::DefinitionList: return Node(NodeKind::DefinitionList, standard());
      case FrameKind::DefinitionListTitle: return Node(NodeKind::DefinitionTerm, standard());
      case FrameKind::DefinitionListDefinition:
        return Node(NodeKind::DefinitionDescription, standard());
      case FrameKind::Link:
        return Node(NodeKind::Link,
                    LinkNode{std::string(ev.text), title_of(ev), std::move(children), p});
      case FrameKind::Image:
        return Node(NodeKind::Image, ImageNode{std::string(ev.text), title_of(ev), std::nullopt,
                                               std::move(children), p});
      case FrameKind::FootnoteDefinition:
        return Node(NodeKind::FootnoteDefinition,
                    FootnoteNode{std::string(ev.text), std::move(children), p});
      case FrameKind::CodeBlock:
        --code_blocks_open_;
        return code_block(ev, code_.substr(f.first_code), p);
    }
    return Node();
  }

  void text(const md::Event& ev, size_t s0, size_t e) {
    if (in_code_block()) {
      // The code of the deepest frame: with the code block opened that is the code block itself
      // (nothing nests in it); past the nesting limit it may be an enclosing frame, which then
      // keeps the code.
      code_.append(ev.text);
      return;
    }
    if (s0 == e) {
      // Indentation the engine re-creates inside a container: it has no source of its own, so
      // it keeps an empty range rather than claiming the bytes that follow.
      push_node(Node(NodeKind::Text, TextNode{std::string(ev.text), pos(s0, s0)}));
      return;
    }
    size_t s = s0;
    if (s > 0 && s - 1 < input_.size() && input_[s - 1] == '\\') --s;
    NodeList& to = target().nodes;  // the nodes have no children: they count by being there
    if (e > input_.size() || s >= e) {
      parse_text(ev.text, s, points_, to);
    } else {
      parse_text(input_.substr(s, e - s), s, points_, to);
    }
  }

  // ---- HTML events and inline components ----------------------------------------------

  void handle_html_event(std::string_view html, size_t s0, size_t e, bool is_inline_html) {
    Gathered found_nodes;
    bool found = false;
    std::optional<TagSearchCache> cache;  // made on the first tag: most HTML holds none
    size_t i = 0;
    while (true) {
      while (i < html.size() && is_ascii_space(html[i])) ++i;
      if (i >= html.size()) break;
      const size_t p = i;
      if (html[p] == '<' && p + 1 < html.size() && is_ascii_upper(html[p + 1])) {
        if (!cache) cache.emplace(html);
        OpenTagResult r = parse_open_tag(html, p, s0, map_, budget_, &*cache);
        if (auto* err = std::get_if<TagError>(&r)) {
          found_nodes.add(
              Node(NodeKind::Error, ErrorNode{std::move(err->message), std::move(err->raw),
                                              pos(err->start, err->end)}),
              1);
          found = true;
        } else if (auto* tag = std::get_if<OpenTag>(&r)) {
          found = true;
          if (tag->self_closing) {
            size_t q = html.find('\n', tag->end_in_text);
            if (q == std::string_view::npos) q = html.size();
            ComponentNode c;
            c.name = std::move(tag->name);
            c.isInline = is_inline_html;
            c.attributes = std::move(tag->attributes);
            c.position = pos(s0 + p, s0 + q);
            found_nodes.add(Node(NodeKind::Component, std::move(c)), 1);
            i = q;
            continue;
          }
          // The first closing text of the same name ends it: nesting is not counted.
          const size_t k = cache->closing_tag(tag->name, tag->end_in_text);
          const size_t closing_size = tag->name.size() + 3;  // "</" name ">"
          if (k != std::string_view::npos) {
            std::string_view inner = html.substr(tag->end_in_text, k - tag->end_in_text);
            ComponentNode c;
            c.name = std::move(tag->name);
            c.isInline = is_inline_html;
            c.attributes = std::move(tag->attributes);
            if (!all_unicode_white_space(inner)) {
              parse_text(inner, s0 + tag->end_in_text, points_, c.children);
            }
            c.rawContent = std::string(inner);
            c.position = pos(s0 + p, s0 + k + closing_size);
            const size_t levels = c.children.empty() ? 1 : 2;
            found_nodes.add(Node(NodeKind::Component, std::move(c)), levels);
            i = k + closing_size;
            continue;
          }
          if (open_depth() >= depth_limit_) {
            // Too deep for another open component: its tag becomes an error and what would
            // have been its content stays where it is.
            std::string raw(html.substr(p, tag->end_in_text - p));
            found_nodes.add(Node(NodeKind::Error,
                                 ErrorNode{std::string(messages::kComponentNestingTooDeep),
                                           std::move(raw), pos(s0 + p, s0 + tag->end_in_text)}),
                            1);
          } else {
            inlines_.push_back(InlineFrame{std::move(tag->name),
                                           std::move(tag->attributes),
                                           s0 + p,
                                           s0 + tag->end_in_text,
                                           {},
                                           html_event_});
          }
          i = tag->end_in_text;
          continue;
        }
      } else if (html[p] == '<' && p + 2 < html.size() && html[p + 1] == '/' &&
                 is_ascii_upper(html[p + 2])) {
        break;
      }
      // Step past the whole character at p, then on to the next '<'.
      size_t len = 1;
      decode_utf8(html, p, len);
      size_t next = html.find('<', p + len);
      if (next == std::string_view::npos) break;
      i = next;
    }

    if (found) {
      push_nodes(found_nodes.nodes, found_nodes.levels());
      return;
    }

    std::string_view t = trim_unicode_white_space(html);
    if (t.size() >= 3 && t[0] == '<' && t[1] == '/' && is_ascii_upper(t[2])) {
      if (std::optional<CloseTag> close = parse_close_tag(t, 0)) {
        close_component(close->name, html, s0, e);
        return;
      }
    }
    if (!blocks_.empty() && blocks_.back().kind == FrameKind::HtmlBlock) {
      // Into the HTML block itself, even inside an open inline component.
      blocks_.back().children.add(Node(NodeKind::Text, TextNode{std::string(html), pos(s0, e)}), 1);
      return;
    }
    StandardBlockNode h;
    h.children.push_back(Node(NodeKind::Text, TextNode{std::string(html), pos(s0, e)}));
    h.position = pos(s0, e);
    push_node(Node(NodeKind::Html, std::move(h)), 2);
  }

  void close_component(const std::string& name, std::string_view html, size_t s0, size_t e) {
    if (inlines_.empty()) {
      push_node(Node(NodeKind::Error, ErrorNode{messages::unexpected_closing_tag(name),
                                                std::string(html), pos(s0, e)}));
      return;
    }
    InlineFrame f = std::move(inlines_.back());
    inlines_.pop_back();
    take_open_content(f);
    if (f.name == name) {
      ComponentNode c;
      c.name = std::move(f.name);
      c.isInline = false;
      c.attributes = std::move(f.attributes);
      const size_t levels = f.children.levels() + 1;
      c.children = f.take_content();
      if (f.end <= s0 && s0 <= input_.size())
        c.rawContent = std::string(input_.substr(f.end, s0 - f.end));
      c.position = pos(f.start, e);
      push_node(Node(NodeKind::Component, std::move(c)), levels);
      return;
    }
    push_node(Node(NodeKind::Error, ErrorNode{messages::misnested_tags(f.name, name),
                                              std::string(html), pos(s0, e)}));
    // The content of the frame that was closed by the wrong tag is kept, after the error, as
    // for a frame left open at the end of the segment.
    if (!inlines_.empty() && &target() == &inlines_.back().children) {
      InlineFrame& into = inlines_.back();
      into.children.keep_count();
      into.earlier.push_back(std::move(into.children.nodes));
      into.children.nodes = NodeList();
      into.earlier.splice(into.earlier.end(), f.earlier);
      into.earlier.push_back(std::move(f.children.nodes));
      into.children.note(f.children.levels());
      return;
    }
    const size_t levels = f.children.levels();
    NodeList content = f.take_content();
    push_nodes(content, levels);
  }

  void close_unclosed_frames() {
    while (!inlines_.empty()) {
      InlineFrame f = std::move(inlines_.back());
      inlines_.pop_back();
      std::string raw = "<" + f.name + ">";
      const size_t len = raw.size();
      top_.add(Node(NodeKind::Error, ErrorNode{messages::unclosed_tag(f.name), std::move(raw),
                                               pos(f.start, f.start + len)}),
               1);
      const size_t levels = f.children.levels();
      NodeList content = f.take_content();
      top_.nodes.insert(top_.nodes.end(), std::make_move_iterator(content.begin()),
                        std::make_move_iterator(content.end()));
      top_.note(levels);
    }
  }

  std::string_view text_;
  size_t base_;
  const SourceMap& map_;
  PointCursor points_;
  std::string_view input_;
  ErrorTextBudget& budget_;
  HighlightBudget& highlights_;
  size_t depth_;
  const size_t depth_limit_;  // open_depth() never reaches it

  NodeList& out_;  // receives the segment's nodes, once they are finished
  Gathered top_;   // the segment's nodes, while it is read
  const md::Events* events_ = nullptr;
  const md::Event* html_event_ = nullptr;  // the HTML event being handled
  std::vector<BlockFrame> blocks_;
  std::string code_;  // the code of the open frames, each frame's above that of the ones below
  std::vector<InlineFrame> inlines_;
  size_t unopened_ = 0;
  size_t code_blocks_open_ = 0;
};

}  // namespace

void parse_markdown(std::string_view text, size_t base, const SourceMap& source_map,
                    std::string_view input, ErrorTextBudget& budget, HighlightBudget& highlights,
                    size_t depth, markdown::Events& events, NodeList& out) {
  if (all_unicode_white_space(text)) return;
  Bridge(text, base, source_map, input, budget, highlights, depth, out).run(events);
}

}  // namespace zuv::parser

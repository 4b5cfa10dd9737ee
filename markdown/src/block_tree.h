// The block tree: an index-addressed arena of items, built in preorder by the block pass and
// rewritten in place by the inline pass. Each node links to its first child and its next
// sibling; the spine holds the open ancestors of the current position, so building and walking
// need no recursion. Past the event stream's nesting limit, a chain of block quotes that hold
// nothing but the next is one node (`folded_quotes`), so that a line of `>` costs the nodes of
// the levels shown, not one per byte; the spine counts levels, not nodes, where it is scanned.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "zuv/markdown.h"

namespace zuv::markdown {

// Index of a node; 0 is "none" (slot 0 of the arena is a dummy).
using NodeIndex = std::uint32_t;

// Kinds in three groups: inline items still to be resolved ("maybe"), resolved inline items,
// then (after Root) blocks. The order is relied on by the classification helpers below.
enum class ItemKind : std::uint8_t {
  // Unresolved inline markup.
  // (What each kind keeps besides its range: the accessors of `Item`.)
  MaybeEmphasis,
  MaybeCode,
  MaybeHtml,       // a `<`
  MaybeLinkOpen,   // a `[`
  MaybeLinkClose,  // a `]`
  MaybeImage,      // a `![`
  // Resolved inline items.
  Emphasis,
  Strong,
  Strikethrough,
  Code,
  Link,
  Image,
  FootnoteReference,
  TaskListMarker,
  InlineHtml,
  OwnedInlineHtml,
  SynthesizeText,
  Html,
  Text,
  SoftBreak,
  HardBreak,
  Root,
  // Blocks.
  Paragraph,
  Rule,
  Heading,
  FencedCodeBlock,
  IndentCodeBlock,
  HtmlBlock,
  BlockQuote,
  List,
  ListItem,
  FootnoteDefinition,
  DefinitionList,
  MaybeDefinitionListTitle,  // a paragraph that becomes a title if a definition follows
  DefinitionListTitle,
  DefinitionListDefinition,
  Table,
  TableHead,
  TableRow,
  TableCell,
};

inline bool is_maybe_inline(ItemKind k) { return k <= ItemKind::MaybeImage; }
inline bool is_inline(ItemKind k) { return k < ItemKind::Root; }
inline bool is_block(ItemKind k) { return k >= ItemKind::Root; }

// Blocks that hold other blocks.
inline bool is_container(ItemKind k) {
  switch (k) {
    case ItemKind::List:
    case ItemKind::ListItem:
    case ItemKind::BlockQuote:
    case ItemKind::FootnoteDefinition:
    case ItemKind::DefinitionList:
    case ItemKind::DefinitionListTitle:
    case ItemKind::DefinitionListDefinition: return true;
    default: return false;
  }
}

// An item keeps four small fields whose meaning depends on its kind; each meaning has an
// accessor of its own name, so that every use says which one it reads or writes.
class Item {
 public:
  std::size_t start = 0;
  std::size_t end = 0;
  ItemKind kind = ItemKind::Root;

  // MaybeEmphasis: the delimiter byte, the bytes of the run from this one on, and whether the
  // run can open and close emphasis.
  std::uint8_t delimiter() const { return ch_; }
  bool can_open() const { return flag_; }
  bool can_close() const { return flag2_; }
  void set_delimiter_run(std::uint8_t delimiter, std::uint32_t length, bool can_open,
                         bool can_close) {
    ch_ = delimiter;
    count_ = length;
    flag_ = can_open;
    flag2_ = can_close;
  }
  // MaybeEmphasis, and MaybeCode: the bytes of its backtick run.
  std::uint32_t run_length() const { return count_; }
  void set_run_length(std::uint32_t n) { count_ = n; }

  // MaybeCode: preceded by a backslash; Text: follows a backslash escape; HardBreak: written
  // as a backslash.
  bool backslash() const { return flag_; }
  void set_backslash(bool b) { flag_ = b; }

  // MaybeLinkClose: may still close a reference.
  bool may_close_reference() const { return flag_; }
  void set_may_close_reference(bool b) { flag_ = b; }

  // TaskListMarker.
  bool checked() const { return flag_; }
  void set_checked(bool b) { flag_ = b; }

  // List, DefinitionList.
  bool tight() const { return flag_; }
  void set_tight(bool b) { flag_ = b; }

  // List: the marker character ('-', '+', '*', '.' or ')') and the start number.
  std::uint8_t marker() const { return ch_; }
  std::uint32_t start_number() const { return count_; }
  void set_list_marker(std::uint8_t marker, std::uint32_t start_number) {
    ch_ = marker;
    count_ = start_number;
  }

  // Heading.
  std::uint32_t level() const { return count_; }
  void set_level(std::uint32_t level) { count_ = level; }

  // ListItem, DefinitionListDefinition.
  std::uint32_t content_indent() const { return count_; }
  void set_content_indent(std::uint32_t indent) { count_ = indent; }

  // Index into the strings: Code, FootnoteReference (the label), OwnedInlineHtml (the tag with
  // container prefixes removed), SynthesizeText, FencedCodeBlock (the info string),
  // FootnoteDefinition (the label).
  std::uint32_t string_index() const { return count_; }
  void set_string_index(std::uint32_t i) { count_ = i; }

  // Index into the links: Link, Image.
  std::uint32_t link_index() const { return count_; }
  void set_link_index(std::uint32_t i) { count_ = i; }

  // BlockQuote: how many quotes, nested each as the only child of the one before, this node
  // stands for besides itself. Only past kMaxContainerDepth, where quotes give no events.
  std::uint32_t folded_quotes() const { return count_; }
  void set_folded_quotes(std::uint32_t n) { count_ = n; }

  // Index into the tables (its alignment list): Table.
  std::uint32_t table_index() const { return count_; }
  void set_table_index(std::uint32_t i) { count_ = i; }

 private:
  std::uint8_t ch_ = 0;
  bool flag_ = false;
  bool flag2_ = false;
  std::uint32_t count_ = 0;
};

struct Node {
  Item item;
  NodeIndex child = 0;
  NodeIndex next = 0;
};

inline Item make_item(std::size_t start, std::size_t end, ItemKind kind) {
  Item item;
  item.start = start;
  item.end = end;
  item.kind = kind;
  return item;
}

// The nesting levels a node stands for: more than one only for folded block quotes.
inline std::size_t levels_of(const Item& item) {
  return item.kind == ItemKind::BlockQuote ? std::size_t{1} + item.folded_quotes() : 1;
}

class Tree {
 public:
  // Builds in the given buffers (empty, or left over from an earlier parse to reuse their
  // capacity), reserving room for about `capacity` nodes.
  Tree(std::vector<Node> nodes, std::vector<NodeIndex> spine, std::size_t capacity)
      : nodes_(std::move(nodes)), spine_(std::move(spine)) {
    nodes_.clear();
    spine_.clear();
    quote_levels_.clear();
    levels_ = 0;
    containers_ = 0;
    if (nodes_.capacity() < capacity) reserve(capacity);
    nodes_.emplace_back();
  }

  // Hands the buffers back for reuse.
  std::vector<Node> take_nodes() { return std::move(nodes_); }
  std::vector<NodeIndex> take_spine() { return std::move(spine_); }

  Node& operator[](NodeIndex ix) { return nodes_[ix]; }
  const Node& operator[](NodeIndex ix) const { return nodes_[ix]; }

  NodeIndex cur() const { return cur_; }

  // Appends an item after the current one (or as the first child of the innermost open
  // ancestor) and makes it current.
  NodeIndex append(const Item& item) {
    NodeIndex ix = create_node(item);
    if (cur_ != 0) {
      nodes_[cur_].next = ix;
    } else if (!spine_.empty()) {
      nodes_[spine_.back()].child = ix;
    }
    cur_ = ix;
    return ix;
  }

  NodeIndex create_node(const Item& item) {
    NodeIndex ix = static_cast<NodeIndex>(nodes_.size());
    if (nodes_.size() == nodes_.capacity()) grow();
    nodes_.push_back(Node{item, 0, 0});
    return ix;
  }

  // Descends into the current node: new items become its children.
  NodeIndex push() {
    NodeIndex ix = cur_;
    const Item& item = nodes_[ix].item;
    if (item.kind == ItemKind::BlockQuote) quote_levels_.push_back(levels_);
    spine_.push_back(ix);
    std::size_t levels = levels_of(item);
    levels_ += levels;
    if (is_container(item.kind)) containers_ += levels;
    cur_ = nodes_[ix].child;
    return ix;
  }

  // Opens a block quote starting at `start`. One opened as the first thing inside a quote that
  // is already past kMaxContainerDepth joins it, as a level more of the same node.
  void open_block_quote(std::size_t start) {
    if (cur_ == 0 && containers_ > kMaxContainerDepth) {
      Item& top = nodes_[spine_.back()].item;
      if (top.kind == ItemKind::BlockQuote && top.folded_quotes() < UINT32_MAX) {
        top.set_folded_quotes(top.folded_quotes() + 1);
        ++levels_;
        ++containers_;
        return;
      }
    }
    append(make_item(start, 0, ItemKind::BlockQuote));
    push();
  }

  // The levels of the innermost open node.
  std::size_t top_levels() const {
    return spine_.empty() ? 0 : levels_of(nodes_[spine_.back()].item);
  }

  // Closes the `n` inner levels of the innermost open node, a folded quote of more than `n`
  // levels: they become a closed node of their own, ending at `end` or with their content,
  // that holds the content so far and after which new items follow.
  void close_inner_quotes(std::size_t n, std::size_t end) {
    NodeIndex outer = spine_.back();
    Item inner = nodes_[outer].item;
    inner.set_folded_quotes(static_cast<std::uint32_t>(n - 1));
    inner.end = end;
    if (NodeIndex first = nodes_[outer].child; first != 0) {
      inner.end = std::max(inner.end, nodes_[last_sibling(first)].item.end);
    }
    NodeIndex ix = create_node(inner);
    nodes_[ix].child = nodes_[outer].child;
    nodes_[outer].child = ix;
    Item& kept = nodes_[outer].item;
    kept.set_folded_quotes(static_cast<std::uint32_t>(kept.folded_quotes() - n));
    levels_ -= n;
    containers_ -= n;
    cur_ = ix;
  }

  // Climbs back to the innermost open node, which becomes current; 0 when none is open.
  NodeIndex pop() {
    if (spine_.empty()) return 0;
    NodeIndex ix = spine_.back();
    drop_top();
    cur_ = ix;
    return ix;
  }

  // Like pop, and drops the last node of the arena, the former parent's only child.
  NodeIndex remove_node() {
    if (spine_.empty()) return 0;
    NodeIndex ix = spine_.back();
    drop_top();
    cur_ = ix;
    nodes_.pop_back();
    nodes_[ix].child = 0;
    return ix;
  }

  NodeIndex peek_up() const { return spine_.empty() ? 0 : spine_.back(); }
  // The node one level up from the innermost open one: that node itself when it is a folded
  // quote.
  NodeIndex peek_grandparent() const {
    if (top_levels() > 1) return spine_.back();
    return spine_.size() >= 2 ? spine_[spine_.size() - 2] : 0;
  }
  std::size_t spine_len() const { return spine_.size(); }
  // The nesting levels of the open nodes, a folded quote counting its own.
  std::size_t levels() const { return levels_; }
  const std::vector<NodeIndex>& spine() const { return spine_; }
  // The levels at which the open block quotes start, outermost first.
  const std::vector<std::size_t>& quote_levels() const { return quote_levels_; }
  std::size_t size() const { return nodes_.size(); }

  // Back to the first node, for walking the finished tree.
  void reset() {
    cur_ = nodes_.size() > 1 ? 1 : 0;
    spine_.clear();
    quote_levels_.clear();
    levels_ = 0;
    containers_ = 0;
  }

  // The last of the siblings that `ix` starts.
  NodeIndex last_sibling(NodeIndex ix) const {
    while (nodes_[ix].next != 0) ix = nodes_[ix].next;
    return ix;
  }

  NodeIndex next_sibling(NodeIndex ix) {
    cur_ = nodes_[ix].next;
    return cur_;
  }

  // Moves the siblings after `child` up to follow the current node of the parent level. When
  // there are none, the parent level is closed too: returns the node closed that way, or 0.
  NodeIndex truncate_to_parent(NodeIndex child) {
    NodeIndex next = nodes_[child].next;
    nodes_[child].next = 0;
    if (cur_ != 0) {
      nodes_[cur_].next = next;
    } else if (!spine_.empty()) {
      nodes_[spine_.back()].child = next;
    }
    if (next != 0) {
      cur_ = next;
      return 0;
    }
    if (top_levels() > 1) {
      close_inner_quotes(1, 0);
      return cur_;
    }
    return pop();
  }

  // Appends text, extending the current Text item when it ends where this text starts.
  void append_text(std::size_t start, std::size_t end, bool backslash_escaped) {
    if (end <= start) return;
    if (cur_ != 0) {
      Item& last = nodes_[cur_].item;
      if (last.kind == ItemKind::Text && last.end == start) {
        last.end = end;
        return;
      }
    }
    Item item;
    item.start = start;
    item.end = end;
    item.kind = ItemKind::Text;
    item.set_backslash(backslash_escaped);
    append(item);
  }

  // Whether the current position lies inside a table: inline content of a table cell sees
  // escaped pipes as plain pipes.
  bool is_in_table() const {
    for (auto it = spine_.rbegin(); it != spine_.rend(); ++it) {
      ItemKind k = nodes_[*it].item.kind;
      if (k == ItemKind::Table) return true;
      if (!(is_inline(k) || k == ItemKind::TableHead || k == ItemKind::TableRow ||
            k == ItemKind::TableCell)) {
        return false;
      }
    }
    return false;
  }

 private:
  void drop_top() {
    const Item& item = nodes_[spine_.back()].item;
    std::size_t levels = levels_of(item);
    levels_ -= levels;
    if (is_container(item.kind)) containers_ -= levels;
    spine_.pop_back();
    if (!quote_levels_.empty() && quote_levels_.back() == levels_) quote_levels_.pop_back();
  }
  void grow() { reserve(2 * nodes_.capacity()); }
  void reserve(std::size_t n);

  std::vector<Node> nodes_;
  std::vector<NodeIndex> spine_;
  // Kept beside the spine so that a line end can skip the containers that continue there.
  std::vector<std::size_t> quote_levels_;
  std::size_t levels_ = 0;      // nesting levels of the spine
  std::size_t containers_ = 0;  // of those, the levels of block containers
  NodeIndex cur_ = 0;
};

}  // namespace zuv::markdown

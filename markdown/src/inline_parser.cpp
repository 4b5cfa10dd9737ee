#include "inline_parser.h"

#include <algorithm>
#include <optional>

#include "containers.h"
#include "guards.h"
#include "link_label.h"
#include "scanners.h"

namespace zuv::markdown {
namespace {

constexpr std::string_view kBang = "!";
constexpr std::string_view kBackslash = "\\";

void make_text(Item& item) {
  item.kind = ItemKind::Text;
  item.set_backslash(false);
}

enum class LabelKind { Link, Footnote };

struct InlineLabel {
  std::size_t length;
  LabelKind kind;
  std::string label;
};

}  // namespace

// --- DelimiterStack -------------------------------------------------------------------------

void InlineParser::DelimiterStack::pop_all(Tree& tree) {
  for (const DelimiterRun& el : stack_) {
    for (std::size_t i = 0; i < el.count; ++i)
      make_text(tree[el.start + static_cast<NodeIndex>(i)].item);
  }
  stack_.clear();
  std::fill(std::begin(bounds_), std::end(bounds_), 0);
}

// A failed search of a closer that cannot open also fails for a closer of the same run length
// class that can (its condition is stricter), so it bounds both slots; a failed search of one
// that can both open and close says nothing of the others. The lookup of a closer that cannot
// open may take the smaller of its two slots: past both bounds only other delimiters remain.
std::size_t InlineParser::DelimiterStack::lower_bound(char c, std::size_t count, bool both) const {
  if (c == '~') return bounds_[count == 1 ? kSingleTildes : kDoubleTildes];
  const bool underscore = c == '_';
  std::size_t mod3 = bounds_[(underscore ? kUnderscoreBase : kAsteriskBase) + count % 3];
  return both ? mod3 : std::min(mod3, bounds_[underscore ? kUnderscoreNotBoth : kAsteriskNotBoth]);
}

void InlineParser::DelimiterStack::set_lower_bound(char c, std::size_t count, bool both,
                                                   std::size_t bound) {
  if (c == '~') {
    bounds_[count == 1 ? kSingleTildes : kDoubleTildes] = bound;
    return;
  }
  const bool underscore = c == '_';
  bounds_[(underscore ? kUnderscoreBase : kAsteriskBase) + count % 3] = bound;
  if (!both) bounds_[underscore ? kUnderscoreNotBoth : kAsteriskNotBoth] = bound;
}

void InlineParser::DelimiterStack::truncate(std::size_t size) {
  stack_.resize(size);
  for (std::size_t& b : bounds_) b = std::min(b, size);
}

bool InlineParser::DelimiterStack::find_match(Tree& tree, char c, std::size_t run_length, bool both,
                                              DelimiterRun& out) {
  std::size_t bound = std::min(stack_.size(), lower_bound(c, run_length, both));
  for (std::size_t i = stack_.size(); i > bound; --i) {
    const DelimiterRun& el = stack_[i - 1];
    // Strikethrough closes only a run of its own length.
    if (c == '~' && run_length != el.run_length) continue;
    // The rule of three: a run that can both open and close matches one whose lengths sum to
    // a multiple of 3 only when both are multiples of 3.
    if (el.c == c &&
        ((!both && !el.both) || (run_length + el.run_length) % 3 != 0 || run_length % 3 == 0)) {
      out = el;
      for (std::size_t j = i; j < stack_.size(); ++j) {
        const DelimiterRun& inner = stack_[j];
        for (std::size_t k = 0; k < inner.count; ++k) {
          make_text(tree[inner.start + static_cast<NodeIndex>(k)].item);
        }
      }
      truncate(i - 1);
      return true;
    }
  }
  set_lower_bound(c, run_length, both, stack_.size());
  return false;
}

void InlineParser::DelimiterStack::push(const DelimiterRun& el) { stack_.push_back(el); }

// --- BracketStack, CodeDelims ---------------------------------------------------------------

bool InlineParser::BracketStack::pop(Bracket& out) {
  if (inner_.empty()) return false;
  out = inner_.back();
  inner_.pop_back();
  disabled_from_ = std::min(disabled_from_, inner_.size());
  return true;
}

void InlineParser::BracketStack::disable_all_links() {
  for (std::size_t i = disabled_from_; i < inner_.size(); ++i) {
    if (inner_[i].kind == BracketKind::Link) inner_[i].kind = BracketKind::Disabled;
  }
  disabled_from_ = inner_.size();
}

void InlineParser::CodeDelims::insert(std::size_t count, NodeIndex ix) {
  if (seen_first_) {
    by_count_[count].push_back(ix);
  } else {
    seen_first_ = true;
  }
}

NodeIndex InlineParser::CodeDelims::find(NodeIndex open, std::size_t count) {
  auto it = by_count_.find(count);
  if (it == by_count_.end()) return 0;
  while (!it->second.empty()) {
    NodeIndex ix = it->second.front();
    it->second.pop_front();
    if (ix > open) return ix;
  }
  return 0;
}

// --- The passes -----------------------------------------------------------------------------

InlineParser::InlineParser(std::string_view text, Tree& tree, ParseState& state)
    : text_(text), tree_(tree), st_(state),
      link_ref_expansion_limit_(std::max(text.size(), kMinLinkRefExpansion)) {}

void InlineParser::handle_inline() {
  resolve_code_html_links();
  resolve_emphasis();
}

std::size_t InlineParser::skip_container_prefixes(std::string_view rest) const {
  LineStart line(rest);
  scan_containers(tree_, line);
  return line.bytes_scanned();
}

namespace {

// The first node from `node` on that ends after `ix`.
NodeIndex scan_nodes_to_ix(const Tree& tree, NodeIndex node, std::size_t ix) {
  while (node != 0 && tree[node].item.end <= ix) node = tree[node].next;
  return node;
}

}  // namespace

void InlineParser::resolve_code_html_links() {
  NodeIndex cur = tree_.cur();
  NodeIndex prev = 0;
  // Inline constructs end with the parent, or before a block that follows them in a tight
  // list item (whose chain mixes runs of inlines and blocks).
  const std::size_t parent_end = tree_[tree_.peek_up()].item.end;
  const ItemKind parent_kind = tree_[tree_.peek_up()].item.kind;
  // Only the items of tight lists hold inlines and blocks side by side.
  const bool mixed = parent_kind == ItemKind::ListItem ||
                     parent_kind == ItemKind::DefinitionListTitle ||
                     parent_kind == ItemKind::DefinitionListDefinition;
  auto set_run_end = [&](NodeIndex from) {
    std::size_t end = parent_end;
    for (NodeIndex n = mixed ? from : 0; n != 0; n = tree_[n].next) {
      if (is_block(tree_[n].item.kind)) {
        end = std::min(end, tree_[n].item.start);
        break;
      }
    }
    block_text_ = text_.substr(0, std::min(end, text_.size()));
  };
  set_run_end(cur);
  while (cur != 0) {
    NodeIndex cur_ix = cur;
    switch (tree_[cur_ix].item.kind) {
      case ItemKind::MaybeHtml: {
        NodeIndex next_cur = 0;
        if (resolve_html(cur_ix, prev, next_cur)) {
          cur = next_cur;
          continue;
        }
        make_text(tree_[cur_ix].item);
        break;
      }
      case ItemKind::MaybeCode: {
        Item& it = tree_[cur_ix].item;
        if (it.backslash() && it.run_length() == 1) {
          // A lone escaped backtick.
          make_text(it);
          break;
        }
        resolve_code(cur_ix);
        break;
      }
      case ItemKind::MaybeLinkOpen:
        make_text(tree_[cur_ix].item);
        brackets_.push({cur_ix, BracketKind::Link});
        break;
      case ItemKind::MaybeImage:
        make_text(tree_[cur_ix].item);
        brackets_.push({cur_ix, BracketKind::Image});
        break;
      case ItemKind::MaybeLinkClose: {
        bool could_be_ref = tree_[cur_ix].item.may_close_reference();
        bool advanced = false;
        resolve_link_close(cur_ix, prev, could_be_ref, advanced);
        if (advanced) {
          cur = prev == 0 ? 0 : tree_[prev].next;
          continue;
        }
        break;
      }
      default:
        // Inlines never cross into the blocks that follow them in a tight list item.
        if (is_block(tree_[cur_ix].item.kind)) {
          brackets_.clear();
          set_run_end(tree_[cur_ix].next);
        }
        break;
    }
    prev = cur_ix;
    cur = tree_[cur_ix].next;
  }
  brackets_.clear();
  code_delims_.clear();
}

bool InlineParser::resolve_html(NodeIndex cur_ix, NodeIndex& prev, NodeIndex& next_cur) {
  NodeIndex next = tree_[cur_ix].next;
  if (next == 0) return false;
  std::size_t after = tree_[next].item.start;
  std::size_t end;
  if (auto autolink = scan_autolink(block_text_, after)) {
    end = autolink->end;
    NodeIndex node = scan_nodes_to_ix(tree_, next, end);
    NodeIndex text_node =
        tree_.create_node(make_item(tree_[cur_ix].item.start + 1, end - 1, ItemKind::Text));
    Item& it = tree_[cur_ix].item;
    it.kind = ItemKind::Link;
    it.set_link_index(st_.add_link({autolink->type, autolink->uri, {}, {}}));
    it.end = end;
    tree_[cur_ix].next = node;
    tree_[cur_ix].child = text_node;
    next_cur = node;
  } else {
    auto html = scan_inline_html(after, scratch_);
    if (!html) return false;
    end = *html;
    NodeIndex node = scan_nodes_to_ix(tree_, next, end);
    Item& it = tree_[cur_ix].item;
    if (scratch_.empty()) {
      it.kind = ItemKind::InlineHtml;
    } else {
      it.kind = ItemKind::OwnedInlineHtml;
      it.set_string_index(st_.add_owned_string(scratch_));
    }
    it.end = end;
    tree_[cur_ix].next = node;
    next_cur = node;
  }
  prev = cur_ix;
  // The node after the construct may have started inside it.
  if (next_cur != 0) tree_[next_cur].item.start = std::max(tree_[next_cur].item.start, end);
  return true;
}

void InlineParser::resolve_code(NodeIndex cur_ix) {
  Item& it = tree_[cur_ix].item;
  bool preceded_by_backslash = it.backslash();
  // An escaped first backtick does not count towards the opening run.
  std::size_t search_count = it.run_length() - (preceded_by_backslash ? 1 : 0);
  if (code_delims_.populated()) {
    if (NodeIndex close = code_delims_.find(cur_ix, search_count)) {
      make_code_span(cur_ix, close, preceded_by_backslash);
    } else {
      make_text(tree_[cur_ix].item);
    }
    return;
  }
  for (NodeIndex scan = tree_[cur_ix].next; scan != 0; scan = tree_[scan].next) {
    const Item& s = tree_[scan].item;
    if (s.kind == ItemKind::MaybeCode) {
      if (s.run_length() == search_count) {
        make_code_span(cur_ix, scan, preceded_by_backslash);
        code_delims_.clear();
        return;
      }
      code_delims_.insert(s.run_length(), scan);
    }
    if (is_block(s.kind)) break;
  }
  make_text(tree_[cur_ix].item);
}

void InlineParser::resolve_link_close(NodeIndex& cur_ix, NodeIndex& prev, bool could_be_ref,
                                      bool& advanced) {
  make_text(tree_[cur_ix].item);
  Bracket tos;
  if (!brackets_.pop(tos) || tos.kind == BracketKind::Disabled) return;
  const NodeIndex close_ix = cur_ix;
  const NodeIndex next = tree_[close_ix].next;

  if (auto link = scan_inline_link(tree_[close_ix].item.end, next)) {
    NodeIndex next_node = scan_nodes_to_ix(tree_, next, link->end);
    if (prev != 0) tree_[prev].next = 0;
    cur_ix = tos.node;
    Item& it = tree_[cur_ix].item;
    it.kind = tos.kind == BracketKind::Image ? ItemKind::Image : ItemKind::Link;
    it.set_link_index(st_.add_link({LinkType::Inline, link->dest, link->title, {}}));
    it.end = link->end;
    tree_[cur_ix].child = tree_[cur_ix].next;
    tree_[cur_ix].next = next_node;
    if (next_node != 0) {
      tree_[next_node].item.start = std::max(tree_[next_node].item.start, link->end);
    }
    if (tos.kind == BracketKind::Link) brackets_.disable_all_links();
    return;
  }

  const bool in_table = tree_.is_in_table();
  auto skip_prefix = [this](std::string_view rest) -> std::optional<std::size_t> {
    return skip_container_prefixes(rest);
  };
  auto no_line_breaks = [](std::string_view) -> std::optional<std::size_t> { return std::nullopt; };
  // A label in brackets at the start of `s`.
  auto scan_label = [&](std::string_view s) -> std::optional<InlineLabel> {
    if (s.size() < 2 || s[0] != '[') return std::nullopt;
    if (s[1] == '^' && !(s.size() > 2 && s[2] == ']')) {
      // Footnote labels never span lines.
      if (auto r = scan_link_label_rest(s.substr(2), no_line_breaks, in_table)) {
        return InlineLabel{r->length + 2, LabelKind::Footnote, std::move(r->label)};
      }
    }
    auto r = scan_link_label_rest(s.substr(1), skip_prefix, in_table);
    if (!r) return std::nullopt;
    return InlineLabel{r->length + 1, LabelKind::Link, std::move(r->label)};
  };

  // What follows the brackets: "[label]", "[]" or nothing of the kind.
  NodeIndex node_after_link;
  LinkType link_type;
  std::optional<std::pair<std::string, std::size_t>> explicit_label;
  bool collapsed_or_shortcut = true;
  if (next == 0) {
    node_after_link = next;
    link_type = LinkType::Shortcut;
  } else {
    std::size_t start = tree_[next].item.start;
    std::string_view rest = tail(block_text_, start);
    if (rest.starts_with("[]")) {
      NodeIndex closing = tree_[next].next;
      node_after_link = closing == 0 ? 0 : tree_[closing].next;
      link_type = LinkType::Collapsed;
    } else if (auto label = scan_label(rest); label && label->kind == LabelKind::Link) {
      std::size_t end = start + label->length;
      NodeIndex ref_close = scan_nodes_to_ix(tree_, next, end - 1);
      if (ref_close == 0) return;
      // Mark the closing bracket so that a failed attempt is not repeated from it.
      tree_[ref_close].item.kind = ItemKind::MaybeLinkClose;
      tree_[ref_close].item.set_may_close_reference(false);
      node_after_link = tree_[ref_close].next;
      link_type = LinkType::Reference;
      explicit_label.emplace(std::move(label->label), end);
      collapsed_or_shortcut = false;
    } else {
      node_after_link = next;
      link_type = LinkType::Shortcut;
    }
  }
  if (collapsed_or_shortcut && !could_be_ref) return;

  // The label: the explicit one, or the bracketed text itself.
  std::optional<InlineLabel> label;
  if (explicit_label) {
    label = InlineLabel{explicit_label->second, LabelKind::Link, std::move(explicit_label->first)};
  } else {
    std::size_t label_start = tree_[tos.node].item.end - 1;
    std::size_t label_end = tree_[close_ix].item.end;
    auto own = scan_label(text_.substr(label_start, label_end - label_start));
    if (own && label_start + own->length == label_end) {
      own->length = label_end;  // from here on: where the label ends
      label = std::move(own);
    }
  }
  if (!label) return;

  if (label->kind == LabelKind::Footnote) {
    if (!st_.footnote_labels.contains(label_key(label->label))) return;
    NodeIndex footnote = tos.node;
    if (tos.kind == BracketKind::Image) {
      // The `!` stays text in front of the reference.
      Item& bang = tree_[tos.node].item;
      tree_[tos.node].next = close_ix;
      tree_[tos.node].child = 0;
      bang.kind = ItemKind::SynthesizeText;
      bang.set_string_index(st_.add_string(kBang));
      tree_[close_ix].item.start = bang.start + 1;
      bang.end = bang.start + 1;
      footnote = close_ix;
    }
    Item& it = tree_[footnote].item;
    tree_[footnote].next = next;
    tree_[footnote].child = 0;
    it.kind = ItemKind::FootnoteReference;
    it.set_string_index(st_.add_owned_string(label->label));
    it.end = label->length;
    prev = footnote;
    brackets_.clear();
    advanced = true;
    return;
  }

  if (link_ref_expansion_limit_ == 0) return;
  auto def = st_.refdefs.find(label_key(label->label));
  if (def == st_.refdefs.end()) return;
  std::string_view title = def->second.title.value_or(std::string_view());
  std::size_t cost = def->second.dest.size() + title.size();
  link_ref_expansion_limit_ =
      cost >= link_ref_expansion_limit_ ? 0 : link_ref_expansion_limit_ - cost;

  Item& it = tree_[tos.node].item;
  it.kind = tos.kind == BracketKind::Image ? ItemKind::Image : ItemKind::Link;
  it.set_link_index(
      st_.add_link({link_type, def->second.dest, title, st_.storage.keep(label->label)}));
  NodeIndex label_node = tree_[tos.node].next;
  tree_[tos.node].next = node_after_link;
  if (label_node != close_ix) {
    tree_[tos.node].child = label_node;
    if (prev != 0) tree_[prev].next = 0;
  }
  tree_[tos.node].item.end = label->length;
  cur_ix = tos.node;
  if (tos.kind == BracketKind::Link) brackets_.disable_all_links();
}

void InlineParser::resolve_emphasis() {
  NodeIndex prev = 0;
  NodeIndex cur = tree_.cur();
  while (cur != 0) {
    NodeIndex cur_ix = cur;
    const Item& it = tree_[cur_ix].item;
    if (it.kind == ItemKind::MaybeEmphasis) {
      std::size_t count = it.run_length();
      const std::size_t run_length = count;
      const bool can_open = it.can_open();
      const bool can_close = it.can_close();
      const char c = text_[it.start];
      const bool both = can_open && can_close;
      if (can_close) {
        DelimiterRun el;
        while (delimiters_.find_match(tree_, c, run_length, both, el)) {
          if (prev != 0) tree_[prev].next = 0;
          auto match_count = static_cast<NodeIndex>(std::min(count, el.count));
          const NodeIndex opener_end = el.start + static_cast<NodeIndex>(el.count);
          // Work from the inside out: each step wraps the content so far in one container
          // made of the innermost unused opener items.
          NodeIndex end = cur_ix - 1;
          NodeIndex start = opener_end;
          while (start > opener_end - match_count) {
            NodeIndex inc = start > opener_end - match_count + 1 ? 2 : 1;
            ItemKind ty = c == '~'   ? ItemKind::Strikethrough
                          : inc == 2 ? ItemKind::Strong
                                     : ItemKind::Emphasis;
            NodeIndex root = start - inc;
            end += inc;
            tree_[root].item.kind = ty;
            tree_[root].item.end = tree_[end].item.end;
            tree_[root].child = start;
            tree_[root].next = 0;
            start = root;
          }
          NodeIndex outer = opener_end - match_count;
          prev = outer;
          cur = tree_[cur_ix + match_count - 1].next;
          tree_[outer].next = cur;
          if (el.count > match_count) {
            delimiters_.push({el.start, el.count - match_count, el.run_length, el.c, el.both});
          }
          count -= match_count;
          if (count == 0) break;
          cur_ix = cur;
        }
      }
      if (count > 0) {
        if (can_open) {
          delimiters_.push({cur_ix, count, run_length, c, both});
        } else {
          for (std::size_t i = 0; i < count; ++i)
            make_text(tree_[cur_ix + static_cast<NodeIndex>(i)].item);
        }
        NodeIndex last = cur_ix + static_cast<NodeIndex>(count) - 1;
        prev = last;
        cur = tree_[last].next;
      }
      continue;
    }
    if (it.kind == ItemKind::HardBreak && it.backslash() && tree_[cur_ix].next == 0) {
      // A backslash at the very end of the content is text.
      Item& hb = tree_[cur_ix].item;
      hb.kind = ItemKind::SynthesizeText;
      hb.set_string_index(st_.add_string(kBackslash));
    } else if (is_block(it.kind)) {
      delimiters_.pop_all(tree_);
    }
    prev = cur_ix;
    cur = tree_[cur_ix].next;
  }
  delimiters_.pop_all(tree_);
}

std::optional<InlineParser::InlineLink> InlineParser::scan_inline_link(std::size_t ix,
                                                                       NodeIndex node) {
  std::string_view s = block_text_;
  if (scan_ch(tail(s, ix), '(') == 0) return std::nullopt;
  ++ix;
  // White space with at most one line end.
  auto separator = [&](std::size_t& i) {
    i += scan_whitespace_no_nl(tail(s, i));
    if (auto eol = scan_eol(tail(s, i))) {
      i += *eol;
      i += skip_container_prefixes(tail(s, i));
    }
    i += scan_whitespace_no_nl(tail(s, i));
  };
  separator(ix);
  auto dest = scan_link_dest(s, ix, kLinkMaxNestedParens);
  if (!dest) return std::nullopt;
  std::string_view dest_text = dest->second;
  if (unescape(dest_text, tree_.is_in_table(), scratch_)) dest_text = st_.storage.keep(scratch_);
  ix += dest->first;
  separator(ix);
  std::string_view title;
  if (auto t = scan_link_title(ix, node)) {
    ix += t->first;
    title = t->second;
    separator(ix);
  }
  if (scan_ch(tail(s, ix), ')') == 0) return std::nullopt;
  return InlineLink{ix + 1, dest_text, title};
}

std::optional<std::pair<std::size_t, std::string_view>> InlineParser::scan_link_title(
    std::size_t start, NodeIndex node) {
  std::string_view s = block_text_;
  if (start >= s.size()) return std::nullopt;
  char open = s[start];
  if (open != '\'' && open != '"' && open != '(') return std::nullopt;
  char close = open == '(' ? ')' : open;
  const bool in_table = tree_.is_in_table();
  std::string title;
  std::size_t mark = start + 1;
  std::size_t i = start + 1;
  while (i < s.size()) {
    char c = s[i];
    if (c == close) {
      title.append(s.substr(mark, i - mark));
      return std::pair{i - start + 1, st_.storage.keep(title)};
    }
    if (c == open) return std::nullopt;
    if (c == '\n' || c == '\r') {
      // Skip the container prefix of the next line: up to where the next node starts. The
      // nodes are in order, so the search resumes where it last stopped.
      node = scan_nodes_to_ix(tree_, node, i + 1);
      if (node != 0 && tree_[node].item.start > i) {
        title.append(s.substr(mark, i - mark));
        title += '\n';
        i = tree_[node].item.start;
        mark = i;
        continue;
      }
    }
    if (c == '&') {
      EntityScan e = scan_entity(tail(s, i));
      if (e.length > 0) {
        title.append(s.substr(mark, i - mark));
        title.append(e.value());
        i += e.length;
        mark = i;
        continue;
      }
    }
    if (in_table && c == '\\' && i + 2 < s.size() && s[i + 1] == '\\' && s[i + 2] == '|') {
      title.append(s.substr(mark, i - mark));
      i += 2;
      mark = i;
    }
    if (c == '\\' && i + 1 < s.size() && is_ascii_punctuation(byte_at(s, i + 1))) {
      title.append(s.substr(mark, i - mark));
      i += 1;
      mark = i;
    }
    ++i;
  }
  return std::nullopt;
}

std::optional<std::size_t> InlineParser::scan_inline_html(std::size_t ix, std::string& stripped) {
  stripped.clear();
  if (ix >= block_text_.size()) return std::nullopt;
  char c = block_text_[ix];
  std::optional<std::size_t> end;
  if (c == '!') {
    end = scan_inline_html_comment(block_text_, ix + 1, html_guard_);
  } else if (c == '?') {
    end = scan_inline_html_processing(block_text_, ix + 1, html_guard_);
  } else {
    auto skipper = [this](std::string_view rest) { return skip_container_prefixes(rest); };
    PrefixSkipper skip(skipper);
    if (auto n = scan_html_tag(tail(block_text_, ix - 1), &skip, stripped)) end = ix - 1 + *n;
  }
  return end;
}

void InlineParser::make_code_span(NodeIndex open, NodeIndex close, bool preceded_by_backslash) {
  const std::size_t span_start = tree_[open].item.end;
  const std::size_t span_end = tree_[close].item.start;
  const bool in_table = tree_.is_in_table();
  std::string buf;
  bool rewritten = false;
  std::size_t start_ix = span_start;
  std::size_t ix = span_start;
  while (ix < span_end) {
    char c = text_[ix];
    if (c == '\r' || c == '\n') {
      // A line end is a space; the next line's container prefix is not content.
      buf.append(text_.substr(start_ix, ix - start_ix));
      buf += ' ';
      rewritten = true;
      ++ix;
      ix += skip_container_prefixes(tail(text_, ix));
      start_ix = ix;
    } else if (c == '\\' && ix + 1 < text_.size() && text_[ix + 1] == '|' && in_table) {
      buf.append(text_.substr(start_ix, ix - start_ix));
      buf += '|';
      rewritten = true;
      ix += 2;
      start_ix = ix;
    } else {
      ++ix;
    }
  }
  std::string_view content;
  if (rewritten) {
    if (start_ix < span_end) buf.append(text_.substr(start_ix, span_end - start_ix));
    content = buf;
  } else {
    content = text_.substr(span_start, span_end - span_start);
  }
  // One space is stripped from each side when both sides have one and not all is space.
  bool all_spaces = content.find_first_not_of(' ') == std::string_view::npos;
  if (!all_spaces && content.front() == ' ' && content.back() == ' ') {
    content = content.substr(1, content.size() >= 2 ? content.size() - 2 : 0);
  }
  std::uint32_t str = st_.add_string(rewritten ? st_.storage.keep(content) : content);
  if (preceded_by_backslash) {
    // The escaped backtick stays text in front of the span.
    Item& o = tree_[open].item;
    o.kind = ItemKind::Text;
    o.set_backslash(true);
    o.end = o.start + 1;
    tree_[open].next = close;
    Item& cl = tree_[close].item;
    cl.kind = ItemKind::Code;
    cl.set_string_index(str);
    cl.start = o.start + 1;
  } else {
    Item& o = tree_[open].item;
    o.kind = ItemKind::Code;
    o.set_string_index(str);
    o.end = tree_[close].item.end;
    tree_[open].next = tree_[close].next;
  }
}

}  // namespace zuv::markdown

// The walk that turns the finished block tree into the event stream, running the inline pass
// on each chain of siblings the first time the walk meets an unresolved item in it.
#include <algorithm>
#include <cstdint>
#include <cstring>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include "block_parser.h"
#include "block_tree.h"
#include "inline_parser.h"
#include "parse_state.h"
#include "storage.h"
#include "zuv/markdown.h"

namespace zuv::markdown {

std::string_view Events::Storage::keep(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > free_size_) {
    std::size_t size = std::max(kChunkSize, text.size());
    chunks_.emplace_back(new char[size]);
    free_ = chunks_.back().get();
    free_size_ = size;
  }
  std::memcpy(free_, text.data(), text.size());
  std::string_view kept(free_, text.size());
  free_ += text.size();
  free_size_ -= text.size();
  return kept;
}

void Events::Storage::reset() {
  if (chunks_.empty()) return;
  chunks_.resize(1);
  // Every chunk holds at least the standard size.
  free_ = chunks_[0].get();
  free_size_ = kChunkSize;
}

void prefer_huge_pages(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  if (bytes < 2 * kHuge) return;
  auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

void Tree::reserve(std::size_t n) {
  // The advice comes before the nodes are copied over, or the copy faults in small pages.
  std::vector<Node> bigger;
  bigger.reserve(n);
  prefer_huge_pages(bigger.data(), bigger.capacity() * sizeof(Node));
  bigger.insert(bigger.end(), nodes_.begin(), nodes_.end());
  nodes_.swap(bigger);
}

Events::Events() : storage_(std::make_unique<Storage>()) {}
Events::~Events() = default;
Events::Events(Events&&) noexcept = default;
Events& Events::operator=(Events&&) noexcept = default;

namespace {

// The tag of a container item; leftovers of unresolved kinds count as what they fall back to.
Tag tag_of(ItemKind kind) {
  switch (kind) {
    case ItemKind::Heading: return Tag::Heading;
    case ItemKind::BlockQuote: return Tag::BlockQuote;
    case ItemKind::FencedCodeBlock:
    case ItemKind::IndentCodeBlock: return Tag::CodeBlock;
    case ItemKind::HtmlBlock: return Tag::HtmlBlock;
    case ItemKind::List: return Tag::List;
    case ItemKind::ListItem: return Tag::Item;
    case ItemKind::FootnoteDefinition: return Tag::FootnoteDefinition;
    case ItemKind::DefinitionList: return Tag::DefinitionList;
    case ItemKind::DefinitionListTitle: return Tag::DefinitionListTitle;
    case ItemKind::DefinitionListDefinition: return Tag::DefinitionListDefinition;
    case ItemKind::Table: return Tag::Table;
    case ItemKind::TableHead: return Tag::TableHead;
    case ItemKind::TableRow: return Tag::TableRow;
    case ItemKind::TableCell: return Tag::TableCell;
    case ItemKind::Emphasis: return Tag::Emphasis;
    case ItemKind::Strong: return Tag::Strong;
    case ItemKind::Strikethrough: return Tag::Strikethrough;
    case ItemKind::Link: return Tag::Link;
    case ItemKind::Image: return Tag::Image;
    default: return Tag::Paragraph;
  }
}

class Emitter {
 public:
  Emitter(std::string_view text, Tree& tree, ParseState& st, Events& out)
      : text_(text), tree_(tree), st_(st), all_(out), out_(out.events) {}

  void run() {
    InlineParser inlines(text_, tree_, st_);
    tree_.reset();
    for (;;) {
      NodeIndex cur = tree_.cur();
      if (cur == 0) {
        NodeIndex ix = tree_.pop();
        if (ix == 0) break;
        const Item& item = tree_[ix].item;
        // Containers inside a hidden one are hidden too, so while any is hidden, every
        // container that ends is one of them.
        if (is_container(item.kind)) {
          if (hidden_ > 0) {
            --hidden_;
            tree_.next_sibling(ix);
            continue;
          }
          --shown_;
        }
        open_.pop_back();
        Event& ev = push(EventKind::End, item);
        ev.tag = tag_of(item.kind);
        tree_.next_sibling(ix);
        continue;
      }
      if (is_maybe_inline(tree_[cur].item.kind)) inlines.handle_inline();
      if (emit(tree_[cur].item)) {
        tree_.push();
      } else {
        tree_.next_sibling(cur);
      }
    }
  }

 private:
  Event& push(EventKind kind, const Item& item) {
    if (kind != EventKind::End && !open_.empty()) ++out_[open_.back()].content;
    Event& ev = out_.emplace_back();
    ev.kind = kind;
    ev.start = item.start;
    ev.end = item.end;
    return ev;
  }

  // The text of a range; ranges are always inside the text, this only keeps it so.
  std::string_view source(const Item& item) const {
    std::size_t s = std::min(item.start, text_.size());
    std::size_t e = std::min(std::max(item.end, s), text_.size());
    return text_.substr(s, e - s);
  }

  // Emits the event of one item; returns whether it opened a container (shown or hidden).
  bool emit(const Item& item) {
    switch (item.kind) {
      case ItemKind::Text:
      case ItemKind::MaybeEmphasis:
      case ItemKind::MaybeCode:
      case ItemKind::MaybeHtml:
      case ItemKind::MaybeLinkOpen:
      case ItemKind::MaybeLinkClose:
      case ItemKind::MaybeImage: push(EventKind::Text, item).text = source(item); return false;
      case ItemKind::SynthesizeText:
        push(EventKind::Text, item).text = st_.strings[item.string_index()];
        return false;
      case ItemKind::Code:
        push(EventKind::Code, item).text = st_.strings[item.string_index()];
        return false;
      case ItemKind::Html: push(EventKind::Html, item).text = source(item); return false;
      case ItemKind::InlineHtml:
        push(EventKind::InlineHtml, item).text = source(item);
        return false;
      case ItemKind::OwnedInlineHtml:
        push(EventKind::InlineHtml, item).text = st_.strings[item.string_index()];
        return false;
      case ItemKind::FootnoteReference:
        push(EventKind::FootnoteReference, item).text = st_.strings[item.string_index()];
        return false;
      case ItemKind::SoftBreak: push(EventKind::SoftBreak, item); return false;
      case ItemKind::HardBreak: push(EventKind::HardBreak, item); return false;
      case ItemKind::Rule: push(EventKind::Rule, item); return false;
      case ItemKind::TaskListMarker:
        push(EventKind::TaskListMarker, item).checked = item.checked();
        return false;
      case ItemKind::Root: return false;
      default: break;
    }
    if (is_container(item.kind)) {
      // A folded block quote, one node for many levels, is made only past the limit, so it
      // always takes this branch, and one count stands for all its levels.
      if (shown_ == kMaxContainerDepth) {
        ++hidden_;
        return true;
      }
      ++shown_;
    }
    Event& ev = push(EventKind::Start, item);
    open_.push_back(out_.size() - 1);
    ev.tag = tag_of(item.kind);
    switch (item.kind) {
      case ItemKind::Heading: ev.level = static_cast<std::uint8_t>(item.level()); break;
      case ItemKind::FencedCodeBlock:
        ev.fenced = true;
        ev.text = st_.strings[item.string_index()];
        break;
      case ItemKind::List:
        ev.ordered = item.marker() == '.' || item.marker() == ')';
        if (ev.ordered) ev.start_number = item.start_number();
        break;
      case ItemKind::FootnoteDefinition: ev.text = st_.strings[item.string_index()]; break;
      case ItemKind::Link:
      case ItemKind::Image: {
        const LinkData& link = st_.links[item.link_index()];
        ev.link_type = link.type;
        ev.text = link.dest;
        ev.link = static_cast<std::uint32_t>(all_.links.size());
        all_.links.push_back({link.title, link.id});
        break;
      }
      case ItemKind::Table: {
        ev.table = static_cast<std::uint32_t>(all_.tables.size());
        all_.tables.push_back(st_.tables[item.table_index()]);
        break;
      }
      default: break;
    }
    return true;
  }

  std::string_view text_;
  Tree& tree_;
  ParseState& st_;
  Events& all_;
  std::vector<Event>& out_;
  std::vector<std::size_t> open_;  // the Start events of the open containers
  std::size_t shown_ = 0;          // open block containers that have events
  std::size_t hidden_ = 0;         // open block containers past kMaxContainerDepth, inside those
};

}  // namespace

// Tree nodes reserved before parsing: one per four bytes, about twice what ordinary documents
// use, so that they seldom grow; but no more than this many (128 MiB), so that a huge input
// does not claim 8 bytes of address space per byte before a line is read (gigabytes of long
// lines need a few nodes). Past it the buffer doubles as the parse needs.
constexpr std::size_t kMaxReservedNodes = std::size_t{1} << 22;

void parse_events(std::string_view markdown, Events& out) {
  out.events.clear();
  out.links.clear();
  out.tables.clear();
  out.alignments.clear();
  Events::Storage& storage = *out.storage_;
  storage.reset();
  ParseState st(storage);
  Tree tree(std::move(storage.tree_nodes), std::move(storage.tree_spine),
            std::clamp<std::size_t>(markdown.size() / 4, 128, kMaxReservedNodes));
  parse_blocks(markdown, st, tree);
  // Every node gives at most a Start and an End.
  if (out.events.capacity() < 2 * tree.size()) {
    out.events.reserve(2 * tree.size());
    prefer_huge_pages(out.events.data(), out.events.capacity() * sizeof(Event));
  }
  Emitter(markdown, tree, st, out).run();
  out.alignments = std::move(st.alignments);
  storage.tree_nodes = tree.take_nodes();
  storage.tree_spine = tree.take_spine();
}

Events parse_events(std::string_view markdown) {
  Events out;
  parse_events(markdown, out);
  return out;
}

std::string_view name_of(EventKind kind) {
  switch (kind) {
    case EventKind::Start: return "start";
    case EventKind::End: return "end";
    case EventKind::Text: return "text";
    case EventKind::Code: return "code";
    case EventKind::Html: return "html";
    case EventKind::InlineHtml: return "inline_html";
    case EventKind::FootnoteReference: return "footnote_reference";
    case EventKind::SoftBreak: return "soft_break";
    case EventKind::HardBreak: return "hard_break";
    case EventKind::Rule: return "rule";
    case EventKind::TaskListMarker: return "task_list_marker";
  }
  return "?";
}

std::string_view name_of(Tag tag) {
  switch (tag) {
    case Tag::Paragraph: return "Paragraph";
    case Tag::Heading: return "Heading";
    case Tag::BlockQuote: return "BlockQuote";
    case Tag::CodeBlock: return "CodeBlock";
    case Tag::HtmlBlock: return "HtmlBlock";
    case Tag::List: return "List";
    case Tag::Item: return "Item";
    case Tag::FootnoteDefinition: return "FootnoteDefinition";
    case Tag::DefinitionList: return "DefinitionList";
    case Tag::DefinitionListTitle: return "DefinitionListTitle";
    case Tag::DefinitionListDefinition: return "DefinitionListDefinition";
    case Tag::Table: return "Table";
    case Tag::TableHead: return "TableHead";
    case Tag::TableRow: return "TableRow";
    case Tag::TableCell: return "TableCell";
    case Tag::Emphasis: return "Emphasis";
    case Tag::Strong: return "Strong";
    case Tag::Strikethrough: return "Strikethrough";
    case Tag::Link: return "Link";
    case Tag::Image: return "Image";
  }
  return "?";
}

std::string_view name_of(LinkType type) {
  switch (type) {
    case LinkType::Inline: return "inline";
    case LinkType::Reference: return "reference";
    case LinkType::Collapsed: return "collapsed";
    case LinkType::Shortcut: return "shortcut";
    case LinkType::Autolink: return "autolink";
    case LinkType::Email: return "email";
  }
  return "?";
}

std::string_view name_of(Alignment alignment) {
  switch (alignment) {
    case Alignment::None: return "none";
    case Alignment::Left: return "left";
    case Alignment::Center: return "center";
    case Alignment::Right: return "right";
  }
  return "?";
}

}  // namespace zuv::markdown

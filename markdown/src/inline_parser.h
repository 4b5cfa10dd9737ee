// The inline pass: resolves the candidate items of one chain of siblings (the inline content
// of a leaf block, or of a link or emphasis whose content was left unresolved) in place.
//
// Design note. The first sweep resolves what binds tightest, left to right: code spans and
// autolinks and inline HTML (which hide the markup inside them), then links and images with a
// stack of open brackets; link text keeps its nested candidates for a later call when the walk
// enters the link. The second sweep matches emphasis, strong emphasis and strikethrough with a
// delimiter stack; a match turns the opening delimiter items into the container nodes and
// relinks the chain, so runs are split by index arithmetic over the run's items. Lower bounds
// per delimiter kind, length class and opener type keep failed searches from being repeated,
// which keeps the sweep linear.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "block_tree.h"
#include "parse_state.h"
#include "scanners.h"

namespace zuv::markdown {

class InlineParser {
 public:
  InlineParser(std::string_view text, Tree& tree, ParseState& state);

  // Resolves the chain starting at the tree's current node, whose parent is the innermost
  // open node.
  void handle_inline();

 private:
  struct DelimiterRun {
    NodeIndex start;         // first item still available
    std::size_t count;       // items available for matching
    std::size_t run_length;  // length of the whole run
    char c;
    bool both;  // can open and close
  };

  // Open emphasis delimiters, with the lower bounds below which a search cannot succeed.
  class DelimiterStack {
   public:
    void pop_all(Tree& tree);
    bool find_match(Tree& tree, char c, std::size_t run_length, bool both, DelimiterRun& out);
    void push(const DelimiterRun& el);

   private:
    std::size_t lower_bound(char c, std::size_t count, bool both) const;
    void set_lower_bound(char c, std::size_t count, bool both, std::size_t bound);
    void truncate(std::size_t size);

    // Slots: `_` closers that cannot open, `*` likewise, `*` by run length mod 3, `~` by run
    // length (a tilde run closes only one of its own length), `_` by run length mod 3. Every
    // bound is at most the stack's size, so a pushed opener always lies above them.
    static constexpr std::size_t kUnderscoreNotBoth = 0;
    static constexpr std::size_t kAsteriskNotBoth = 1;
    static constexpr std::size_t kAsteriskBase = 2;
    static constexpr std::size_t kSingleTildes = 5;
    static constexpr std::size_t kUnderscoreBase = 6;
    static constexpr std::size_t kDoubleTildes = 9;
    std::vector<DelimiterRun> stack_;
    std::size_t bounds_[10] = {};
  };

  enum class BracketKind : std::uint8_t { Link, Image, Disabled };
  struct Bracket {
    NodeIndex node;
    BracketKind kind;
  };
  // Open brackets; a link inside a link is not allowed, so making a link disables the link
  // openers below it (once: `disabled_from_` marks where the disabled ones end).
  class BracketStack {
   public:
    void push(Bracket b) { inner_.push_back(b); }
    bool pop(Bracket& out);
    void clear() {
      inner_.clear();
      disabled_from_ = 0;
    }
    void disable_all_links();

   private:
    std::vector<Bracket> inner_;
    std::size_t disabled_from_ = 0;
  };

  // Code span closers seen while searching for an earlier opener, by backtick count, so that
  // no opener searches the same stretch twice.
  class CodeDelims {
   public:
    void insert(std::size_t count, NodeIndex ix);
    bool populated() const { return !by_count_.empty(); }
    NodeIndex find(NodeIndex open, std::size_t count);
    void clear() {
      by_count_.clear();
      seen_first_ = false;
    }

   private:
    std::unordered_map<std::size_t, std::deque<NodeIndex>> by_count_;
    bool seen_first_ = false;  // the first delimiter met is the next opener, never a closer
  };

  struct InlineLink {
    std::size_t end;
    std::string_view dest;
    std::string_view title;
  };

  void resolve_code_html_links();
  void resolve_emphasis();
  bool resolve_html(NodeIndex cur, NodeIndex& prev, NodeIndex& next_cur);
  void resolve_code(NodeIndex cur);
  // Tries to close a link or image at the `]` node `cur`. Moves `cur` to the new link node, or
  // sets `advanced` when the walk must go on after `prev` (a footnote reference was made).
  void resolve_link_close(NodeIndex& cur, NodeIndex& prev, bool could_be_ref, bool& advanced);
  void make_code_span(NodeIndex open, NodeIndex close, bool preceded_by_backslash);
  std::optional<InlineLink> scan_inline_link(std::size_t ix, NodeIndex node);
  std::optional<std::pair<std::size_t, std::string_view>> scan_link_title(std::size_t start,
                                                                          NodeIndex node);
  // Inline HTML whose text starts at `ix`, just after a `<`: the offset after it. `stripped`
  // receives the HTML without container prefixes when it spans lines inside containers.
  std::optional<std::size_t> scan_inline_html(std::size_t ix, std::string& stripped);
  std::size_t skip_container_prefixes(std::string_view rest) const;

  std::string_view text_;
  std::string_view block_text_;  // the text up to the end of the current chain's parent
  Tree& tree_;
  ParseState& st_;
  std::size_t link_ref_expansion_limit_;
  HtmlScanGuard html_guard_;
  DelimiterStack delimiters_;
  BracketStack brackets_;
  CodeDelims code_delims_;
  std::string scratch_;
};

}  // namespace zuv::markdown

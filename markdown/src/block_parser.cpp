#include "block_parser.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "code_points.h"
#include "containers.h"
#include "guards.h"
#include "link_label.h"
#include "plain_text.h"
#include "scanners.h"

namespace zuv::markdown {
namespace {

// --- Helpers: delimiter runs, table heads, list fix-ups, paragraph interrupts ---------------

enum class TableMode {
  Scan,      // first line of a paragraph: may be a table head
  Active,    // inside a table row: a pipe ends the cell
  Disabled,  // other lines
};

struct LineResult {
  std::size_t end;
  std::optional<Item> brk;  // the line break, or the table when the line starts one
};

bool is_list_like(ItemKind k) { return k == ItemKind::List || k == ItemKind::DefinitionList; }

// Delimiter flanking, with the previous character looked up no further back than the start of
// the line's content (`line`). `ix` is relative to `line`; `rest` is the text from the run on.
bool delim_run_can_open(std::string_view line, std::string_view rest, std::size_t run_len,
                        std::size_t ix, TableMode mode) {
  if (run_len >= rest.size()) return false;
  char32_t next = decode_at(rest, run_len);
  if (is_white_space(next)) return false;
  if (ix == 0) return true;
  std::string_view before = line.substr(0, ix);
  if (mode == TableMode::Active) {
    if (before.ends_with('|') && !before.ends_with("\\|")) return true;
    if (next == '|') return false;
  }
  char delim = rest[0];
  // `*` and `~~` may open inside a word; `_` and `~` may not.
  if (delim == '*' && !is_punctuation(next)) return true;
  if (delim == '~' && run_len > 1) return true;
  char32_t prev = decode_before(line, ix);
  if (delim == '~' && prev == '~' && !is_punctuation(next)) return true;
  return is_white_space(prev) || is_punctuation(prev);
}

bool delim_run_can_close(std::string_view line, std::string_view rest, std::size_t run_len,
                         std::size_t ix, TableMode mode) {
  if (ix == 0) return false;
  char32_t prev = decode_before(line, ix);
  if (is_white_space(prev)) return false;
  if (run_len >= rest.size()) return true;
  char32_t next = decode_at(rest, run_len);
  std::string_view before = line.substr(0, ix);
  if (mode == TableMode::Active) {
    if (before.ends_with('|') && !before.ends_with("\\|")) return false;
    if (next == '|') return true;
  }
  char delim = rest[0];
  if ((delim == '*' || (delim == '~' && run_len > 1)) && !is_punctuation(prev)) return true;
  if (delim == '~' && prev == '~') return true;
  return is_white_space(next) || is_punctuation(next);
}

// Columns of a table head line from its unescaped pipes: outer pipes do not separate cells.
std::size_t count_header_cols(std::string_view text, std::size_t pipes, std::size_t start,
                              std::size_t last_pipe_ix) {
  start += scan_whitespace_no_nl(text.substr(start));
  if (start < text.size() && text[start] == '|') --pipes;
  if (scan_blank_line(text.substr(last_pipe_ix + 1))) return pipes;
  return pipes + 1;
}

// In a tight list, an item's paragraphs give way to their content.
void surgerize_tight_list(Tree& tree, NodeIndex list_ix) {
  for (NodeIndex item_ix = tree[list_ix].child; item_ix != 0; item_ix = tree[item_ix].next) {
    NodeIndex first = tree[item_ix].child;
    if (first == 0) continue;
    if (tree[first].item.kind == ItemKind::Paragraph) tree[item_ix].child = tree[first].child;
    NodeIndex to_repoint = 0;
    for (NodeIndex child = first; child != 0;) {
      NodeIndex repoint = child;
      if (tree[child].item.kind == ItemKind::Paragraph) {
        NodeIndex firstborn = tree[child].child;
        if (firstborn != 0) {
          if (to_repoint != 0) tree[to_repoint].next = firstborn;
          repoint = tree.last_sibling(firstborn);
        }
      }
      to_repoint = repoint;
      NodeIndex following = tree[child].next;
      tree[repoint].next = following;
      child = following;
    }
  }
}

// A paragraph left pending as a possible title ends the list, which then ends before it.
// Returns the enclosing node that this closes as well, or 0.
NodeIndex fixup_end_of_definition_list(Tree& tree, NodeIndex list_ix) {
  NodeIndex previous = 0;
  for (NodeIndex ix = tree[list_ix].child; ix != 0;) {
    Item& item = tree[ix].item;
    if (item.kind == ItemKind::DefinitionListTitle ||
        item.kind == ItemKind::DefinitionListDefinition) {
      previous = ix;
      ix = tree[ix].next;
      continue;
    }
    if (item.kind == ItemKind::MaybeDefinitionListTitle) item.kind = ItemKind::Paragraph;
    break;
  }
  return previous != 0 ? tree.truncate_to_parent(previous) : 0;
}

// A line starting with a letter (or any non-ASCII byte) opens no container, starts no block
// but a paragraph, neither interrupts a paragraph nor underlines a heading: the common case,
// decided without trying every block start.
bool starts_plain_line(std::string_view s) {
  return !s.empty() && (is_ascii_alpha(byte_at(s, 0)) || byte_at(s, 0) >= 0x80);
}

bool scan_paragraph_interrupt_no_table(std::string_view s, bool current_container,
                                       const Tree& tree) {
  if (scan_eol(s) || scan_hrule(s).found || scan_atx_heading(s) || scan_code_fence(s) ||
      scan_blockquote_start(s)) {
    return true;
  }
  if (auto li = scan_listitem(s)) {
    // Only a non-empty bullet item, or a non-empty ordered item starting at 1, interrupts a
    // paragraph of the same container.
    if (!current_container || tree.is_in_table() ||
        ((li->delimiter == '*' || li->delimiter == '-' || li->delimiter == '+' || li->start == 1) &&
         !scan_blank_line(s.substr(li->bytes)))) {
      return true;
    }
  }
  if (s.starts_with('<') &&
      (html_block_end_tag(s.substr(1)) != nullptr || starts_html_block_type_6(s.substr(1)))) {
    return true;
  }
  if (s.starts_with(':')) return true;
  if (s.starts_with("[^")) {
    auto label = scan_link_label_rest(
        s.substr(2), [](std::string_view) -> std::optional<std::size_t> { return std::nullopt; },
        tree.is_in_table());
    if (label && 2 + label->length < s.size() && s[2 + label->length] == ':') return true;
  }
  return false;
}

// --- The block parser -----------------------------------------------------------------------

class BlockParser {
 public:
  BlockParser(std::string_view text, ParseState& state, Tree& tree)
      : text_(text), tree_(tree), st_(state),
        autocompleted_cells_budget_(std::max(kMinAutocompletedCells, text.size())) {}

  void run() {
    std::size_t ix = 0;
    while (ix < text_.size()) {
      std::size_t next = parse_block(ix);
      if (next <= ix) std::abort();  // every line is consumed; anything else is a bug
      ix = next;
    }
    while (tree_.spine_len() > 0) pop(ix);
  }

 private:
  std::size_t parse_block(std::size_t start_ix);
  std::optional<std::size_t> parse_table(std::size_t cols, std::size_t head_start,
                                         std::size_t body_start);
  std::optional<std::pair<std::size_t, NodeIndex>> parse_table_row_inner(std::size_t ix,
                                                                         std::size_t row_cells);
  std::optional<std::size_t> parse_table_row(std::size_t ix, std::size_t row_cells);
  std::size_t parse_paragraph(std::size_t start_ix);
  std::optional<std::size_t> parse_setext_heading(std::size_t ix, NodeIndex node_ix,
                                                  bool has_trailing_content);
  LineResult parse_line(std::size_t start, TableMode mode);
  // An HTML block; `end_tag` is the end condition of types 1 to 5, null for types 6 and 7.
  std::size_t parse_html_block(std::size_t start_ix, const char* end_tag,
                               std::size_t remaining_space, std::size_t indent);
  std::size_t parse_indented_code_block(std::size_t start_ix, std::size_t remaining_space);
  std::size_t parse_fenced_code_block(std::size_t start_ix, std::size_t indent, char fence_ch,
                                      std::size_t n_fence_char);
  void append_code_text(std::size_t remaining_space, std::size_t start, std::size_t end);
  void append_html_line(std::size_t remaining_space, std::size_t start, std::size_t end);
  void append_indent(std::size_t remaining_space, std::size_t at);
  void pop(std::size_t ix);
  void close_levels(std::size_t n, std::size_t ix);
  void finish_list(std::size_t ix);
  void finish_empty_list_item();
  void continue_list(std::size_t start, char ch, std::uint64_t index);
  std::size_t parse_atx_heading(std::size_t start, int level);
  std::optional<std::size_t> parse_footnote(std::size_t start);
  std::optional<ScannedLabel> parse_refdef_label(std::size_t start);
  struct Refdef {
    std::size_t bytes;
    std::string label;
    LinkDef def;
  };
  std::optional<Refdef> parse_refdef_total(std::size_t start);
  std::optional<std::pair<std::size_t, std::size_t>> scan_refdef_space(std::size_t i);
  std::optional<std::pair<std::size_t, std::string_view>> scan_refdef_title(std::size_t start);
  std::optional<std::pair<std::size_t, LinkDef>> scan_refdef(std::size_t start);
  bool scan_paragraph_interrupt(std::string_view s, bool current_container);
  bool line_continues_refdef(std::string_view s, bool current_container) {
    return !scan_paragraph_interrupt(s, current_container) && !scan_setext_heading(s);
  }
  std::string_view unescaped(std::string_view raw);

  Item& item(NodeIndex ix) { return tree_[ix].item; }
  std::string_view from(std::size_t ix) const { return tail(text_, ix); }
  bool continues_all(LineStart& line) { return scan_containers(tree_, line) == tree_.levels(); }

  std::string_view text_;
  Tree& tree_;
  ParseState& st_;
  std::optional<std::size_t> begin_list_item_;  // set while a list item's first line was blank
  bool last_line_blank_ = false;
  std::optional<Item> next_paragraph_task_;  // a task marker for the paragraph that follows
  // A task marker followed by anything but a paragraph stays in its item, in front.
  void flush_pending_task() {
    if (next_paragraph_task_) {
      tree_.append(*next_paragraph_task_);
      next_paragraph_task_.reset();
    }
  }
  std::size_t missing_empty_cells_ = 0;  // padding cells added to tables so far
  const std::size_t autocompleted_cells_budget_;
  bool table_capped_ = false;  // the padding reached its limit
  std::vector<Alignment> columns_;
  std::string scratch_;
};

std::string_view BlockParser::unescaped(std::string_view raw) {
  if (!unescape(raw, tree_.is_in_table(), scratch_)) return raw;
  return st_.storage.keep(scratch_);
}

// --- One line: container prefixes, then the block it starts ---------------------------------

std::size_t BlockParser::parse_block(std::size_t start_ix) {
  LineStart line(from(start_ix));
  close_levels(tree_.levels() - scan_containers(tree_, line), start_ix);

  // New containers.
  for (;;) {
    LineStart save = line;
    std::size_t outer_indent = line.scan_space_upto(4);
    if (outer_indent >= 4 || starts_plain_line(from(start_ix + line.bytes_scanned()))) {
      line = save;
      break;
    }
    std::size_t container_start = start_ix + line.bytes_scanned();
    if (auto n = parse_footnote(container_start)) {
      start_ix = container_start + *n;
      line = LineStart(from(start_ix));
      continue;
    }
    container_start = start_ix + line.bytes_scanned();
    // Where the marker's indentation starts: its columns counted back from the marker, even
    // into a tab that the container before only partly consumed. Where tab stops carry that
    // count off the line or onto a marker before it on the line, the first byte not consumed
    // by the containers before.
    const std::size_t floor = start_ix + save.marker_end();
    const std::size_t marker_start = container_start - floor >= outer_indent
                                         ? container_start - outer_indent
                                         : start_ix + save.bytes_scanned();
    if (auto marker = line.scan_list_marker(outer_indent)) {
      std::size_t after_marker = start_ix + line.bytes_scanned();
      flush_pending_task();
      continue_list(marker_start, marker->ch, marker->start);
      Item li = make_item(marker_start, after_marker, ItemKind::ListItem);
      li.set_content_indent(static_cast<std::uint32_t>(marker->indent));
      tree_.append(li);
      tree_.push();
      if (auto n = scan_blank_line(from(after_marker))) {
        begin_list_item_ = after_marker + *n;
        return after_marker + *n;
      }
      if (auto checked = line.scan_task_list_marker()) {
        Item task =
            make_item(after_marker, start_ix + line.bytes_scanned(), ItemKind::TaskListMarker);
        task.set_checked(*checked);
        if (auto n = scan_blank_line(from(task.end))) {
          tree_.append(task);
          begin_list_item_ = task.end + *n;
          return task.end + *n;
        }
        next_paragraph_task_ = task;
      }
      continue;
    }
    NodeIndex cur = tree_.cur();
    if (cur != 0 && (item(cur).kind == ItemKind::Paragraph ||
                     item(cur).kind == ItemKind::MaybeDefinitionListTitle ||
                     item(cur).kind == ItemKind::DefinitionListDefinition)) {
      if (auto indent = line.scan_definition_marker(outer_indent)) {
        Item& prior = item(cur);
        if (prior.kind == ItemKind::Paragraph) {
          // The paragraph becomes the list, holding a title made of the paragraph's content.
          prior.kind = ItemKind::DefinitionList;
          prior.set_tight(true);
          NodeIndex title =
              tree_.create_node(make_item(prior.start, prior.end, ItemKind::DefinitionListTitle));
          tree_[title].child = tree_[cur].child;
          tree_[cur].child = title;
          tree_.push();
        } else if (prior.kind == ItemKind::MaybeDefinitionListTitle) {
          prior.kind = ItemKind::DefinitionListTitle;
        }
        std::size_t after_marker = start_ix + line.bytes_scanned();
        Item def = make_item(marker_start, after_marker, ItemKind::DefinitionListDefinition);
        def.set_content_indent(static_cast<std::uint32_t>(*indent));
        tree_.append(def);
        NodeIndex up = tree_.peek_up();
        if (up != 0 && item(up).kind == ItemKind::DefinitionList && last_line_blank_) {
          item(up).set_tight(false);
          last_line_blank_ = false;
        }
        tree_.push();
        if (auto n = scan_blank_line(from(after_marker))) {
          begin_list_item_ = after_marker + *n;
          return after_marker + *n;
        }
        continue;
      }
    }
    if (line.scan_blockquote_marker()) {
      flush_pending_task();
      finish_list(start_ix);
      tree_.open_block_quote(container_start);
      continue;
    }
    line = save;
    break;
  }

  std::size_t ix = start_ix + line.bytes_scanned();
  if (auto n = scan_blank_line(from(ix))) {
    NodeIndex up = tree_.peek_up();
    if (up == 0) {
      last_line_blank_ = true;
    } else {
      Item& parent = item(up);
      if (parent.kind == ItemKind::BlockQuote) {
      } else if ((parent.kind == ItemKind::ListItem ||
                  parent.kind == ItemKind::DefinitionListDefinition) &&
                 begin_list_item_) {
        last_line_blank_ = true;
        // An item that starts with a blank line may continue its list but holds nothing
        // more, so its indentation no longer applies to the following lines.
        parent.set_content_indent(0);
      } else {
        last_line_blank_ = true;
      }
    }
    return ix + *n;
  }

  // Kept so that HTML blocks need not re-scan the indentation.
  std::size_t remaining_space = line.remaining_space();
  std::size_t indent = line.scan_space_upto(4);
  if (indent == 4) {
    flush_pending_task();
    finish_list(start_ix);
    return parse_indented_code_block(start_ix + line.bytes_scanned(), line.remaining_space());
  }
  ix = start_ix + line.bytes_scanned();

  if (starts_plain_line(from(ix))) return parse_paragraph(ix);
  if (text_[ix] == '<') {
    if (const char* end_tag = html_block_end_tag(from(ix + 1))) {
      flush_pending_task();
      finish_list(start_ix);
      return parse_html_block(ix, end_tag, remaining_space, indent);
    }
    if (starts_html_block_type_6(from(ix + 1)) || scan_html_type_7(from(ix))) {
      flush_pending_task();
      finish_list(start_ix);
      return parse_html_block(ix, nullptr, remaining_space, indent);
    }
  }
  if (HruleScan hr = scan_hrule(from(ix)); hr.found) {
    flush_pending_task();
    finish_list(start_ix);
    tree_.append(make_item(ix, ix + hr.n, ItemKind::Rule));
    return ix + hr.n;
  }
  if (auto level = scan_atx_heading(from(ix))) {
    flush_pending_task();
    finish_list(start_ix);
    return parse_atx_heading(ix, *level);
  }
  if (auto fence = scan_code_fence(from(ix))) {
    flush_pending_task();
    finish_list(start_ix);
    return parse_fenced_code_block(ix, indent, fence->second, fence->first);
  }

  // Link reference definitions, one after another; they continue lazily like a paragraph.
  while (auto refdef = parse_refdef_total(start_ix + line.bytes_scanned())) {
    flush_pending_task();
    st_.refdefs.try_emplace(label_key(refdef->label), refdef->def);
    std::size_t end = start_ix + line.bytes_scanned() + refdef->bytes;
    auto nl = scan_blank_line(from(end));
    if (!nl) {
      finish_list(start_ix);
      return end;
    }
    end += *nl;
    LineStart lazy(from(end));
    bool current_container = continues_all(lazy);
    if (!lazy.scan_space(4) &&
        scan_paragraph_interrupt(from(end + lazy.bytes_scanned()), current_container)) {
      finish_list(start_ix);
      return end;
    }
    line = lazy;
    line.scan_all_space();
    start_ix = end;
  }

  return parse_paragraph(start_ix + line.bytes_scanned());
}

// --- Tables ---------------------------------------------------------------------------------

std::optional<std::size_t> BlockParser::parse_table(std::size_t cols, std::size_t head_start,
                                                    std::size_t body_start) {
  table_capped_ = false;
  auto head = parse_table_row_inner(head_start, cols);
  if (!head) return std::nullopt;
  item(head->second).kind = ItemKind::TableHead;
  std::size_t ix = body_start;
  while (!table_capped_) {
    auto next = parse_table_row(ix, cols);
    if (!next) break;
    ix = *next;
  }
  pop(ix);
  return ix;
}

std::optional<std::pair<std::size_t, NodeIndex>> BlockParser::parse_table_row_inner(
    std::size_t ix, std::size_t row_cells) {
  std::size_t cells = 0;
  NodeIndex final_cell = 0;
  NodeIndex old_cur = tree_.cur();
  NodeIndex row = tree_.append(make_item(ix, 0, ItemKind::TableRow));
  tree_.push();
  for (;;) {
    ix += scan_ch(from(ix), '|');
    std::size_t cell_start = ix;
    ix += scan_whitespace_no_nl(from(ix));
    if (auto eol = scan_eol(from(ix))) {
      ix += *eol;
      break;
    }
    NodeIndex cell = tree_.append(make_item(cell_start, ix, ItemKind::TableCell));
    tree_.push();
    LineResult r = parse_line(ix, TableMode::Active);
    item(cell).end = r.end;
    tree_.pop();
    ix = r.end;
    if (++cells == row_cells) final_cell = cell;
  }
  if (old_cur != 0 && cells == 0) {  // a row of nothing but pipes ends the table
    pop(ix);
    tree_[old_cur].next = 0;
    return std::nullopt;
  }
  // Short rows are padded with empty cells, as many as the head has.
  for (; cells < row_cells; ++cells) {
    if (missing_empty_cells_ >= autocompleted_cells_budget_) {
      table_capped_ = true;  // this row stays short and ends the table
      break;
    }
    ++missing_empty_cells_;
    tree_.append(make_item(ix, ix, ItemKind::TableCell));
  }
  // Cells beyond the head's count are dropped.
  if (final_cell != 0) tree_[final_cell].next = 0;
  pop(ix);
  return std::pair{ix, row};
}

std::optional<std::size_t> BlockParser::parse_table_row(std::size_t ix, std::size_t row_cells) {
  LineStart line(from(ix));
  if (!continues_all(line)) return std::nullopt;
  line.scan_all_space();
  ix += line.bytes_scanned();
  if (scan_paragraph_interrupt_no_table(from(ix), true, tree_)) return std::nullopt;
  auto row = parse_table_row_inner(ix, row_cells);
  if (!row) return std::nullopt;
  return row->first;
}

// --- Paragraphs and setext headings ---------------------------------------------------------

std::size_t BlockParser::parse_paragraph(std::size_t start_ix) {
  ItemKind kind = ItemKind::Paragraph;
  NodeIndex up = tree_.peek_up();
  NodeIndex cur = tree_.cur();
  if (up != 0 && item(up).kind == ItemKind::DefinitionList &&
      (cur == 0 || item(cur).kind == ItemKind::DefinitionListDefinition)) {
    // Blank lines between a definition and the next title do not make the list loose.
    last_line_blank_ = false;
    kind = ItemKind::MaybeDefinitionListTitle;
  } else {
    finish_list(start_ix);
  }
  NodeIndex node = tree_.append(make_item(start_ix, 0, kind));
  tree_.push();
  if (next_paragraph_task_) {
    tree_.append(*next_paragraph_task_);
    next_paragraph_task_.reset();
  }

  std::size_t ix = start_ix;
  for (;;) {
    LineResult r = parse_line(ix, ix == start_ix ? TableMode::Scan : TableMode::Disabled);
    if (r.brk && r.brk->kind == ItemKind::Table) {
      std::size_t cols = st_.tables[r.brk->table_index()].count;
      item(node).kind = ItemKind::Table;
      item(node).set_table_index(r.brk->table_index());
      tree_[node].child = 0;
      tree_.pop();
      if (kind == ItemKind::MaybeDefinitionListTitle) finish_list(ix);
      tree_.push();
      if (auto end = parse_table(cols, ix, r.end)) return *end;
    }
    ix = r.end;
    LineStart line(from(ix));
    bool current_container = continues_all(line);
    std::optional<std::size_t> trailing_backslash;
    if (r.brk && r.brk->kind == ItemKind::HardBreak && r.brk->backslash() &&
        text_[r.brk->start] == '\\') {
      trailing_backslash = r.brk->start;
    }
    auto keep_trailing_backslash = [&] {
      if (trailing_backslash)
        tree_.append_text(*trailing_backslash, *trailing_backslash + 1, false);
    };
    if (!line.scan_space(4) && !starts_plain_line(from(ix + line.bytes_scanned()))) {
      std::size_t ix_new = ix + line.bytes_scanned();
      if (current_container) {
        if (auto setext = parse_setext_heading(ix_new, node, trailing_backslash.has_value())) {
          keep_trailing_backslash();
          pop(*setext);
          if (kind == ItemKind::MaybeDefinitionListTitle) finish_list(ix);
          return *setext;
        }
      }
      if (scan_paragraph_interrupt(from(ix_new), current_container)) {
        keep_trailing_backslash();
        break;
      }
    }
    line.scan_all_space();
    if (line.is_at_eol()) {
      keep_trailing_backslash();
      break;
    }
    ix = r.end + line.bytes_scanned();
    if (r.brk) tree_.append(*r.brk);
  }
  pop(ix);
  return ix;
}

std::optional<std::size_t> BlockParser::parse_setext_heading(std::size_t ix, NodeIndex node_ix,
                                                             bool has_trailing_content) {
  auto underline = scan_setext_heading(from(ix));
  if (!underline) return std::nullopt;
  if (NodeIndex cur = tree_.cur(); cur != 0) {
    std::size_t header_start = item(tree_.peek_up()).start;
    std::size_t content_end = item(cur).end;
    std::size_t new_end = content_end;
    if (!has_trailing_content && content_end >= header_start) {
      new_end -= scan_rev_while(text_.substr(header_start, content_end - header_start),
                                is_ascii_whitespace_no_nl);
    }
    item(cur).end = new_end;
  }
  item(node_ix).kind = ItemKind::Heading;
  item(node_ix).set_level(static_cast<std::uint32_t>(underline->second));
  return ix + underline->first;
}

// --- The inline text of a line --------------------------------------------------------------

LineResult BlockParser::parse_line(std::size_t start, TableMode mode) {
  const std::string_view text = text_;
  const std::size_t len = text.size();
  const std::string_view line = text.substr(start);
  std::size_t pipes = 0;
  std::size_t last_pipe_ix = start;
  std::size_t begin_text = start;
  bool backslash_escaped = false;

  auto flush_text = [&](std::size_t upto) {
    tree_.append_text(begin_text, upto, backslash_escaped);
    backslash_escaped = false;
  };
  auto append_at = [&](std::size_t s, std::size_t e, ItemKind kind) {
    flush_text(s);
    tree_.append(make_item(s, e, kind));
    begin_text = e;
  };

  std::size_t ix = start;
  for (;;) {
    ix = skip_plain_text(text, ix);
    if (ix >= len) break;
    auto b = byte_at(text, ix);
    std::size_t skip = 0;
    switch (b) {
      case '\n':
      case '\r': {
        if (mode == TableMode::Active) {
          flush_text(ix - scan_rev_while(text.substr(begin_text, ix - begin_text),
                                         is_ascii_whitespace_no_nl));
          return {ix, std::nullopt};
        }
        std::size_t end_ix = ix + *scan_eol(text.substr(ix));
        std::size_t backslashes =
            scan_rev_while(text.substr(0, ix), [](std::uint8_t c) { return c == '\\'; });
        if (backslashes % 2 == 1 && end_ix < len) {
          flush_text(ix - 1);
          Item brk = make_item(ix - 1, end_ix, ItemKind::HardBreak);
          brk.set_backslash(true);
          return {end_ix, brk};
        }
        if (mode == TableMode::Scan && pipes > 0) {
          // The line may be the head of a table if the next one is a delimiter row.
          std::size_t next_line = end_ix;
          LineStart ls(text.substr(next_line));
          if (continues_all(ls)) {
            std::size_t head_ix = next_line + ls.bytes_scanned();
            std::size_t head_bytes = scan_table_head(text.substr(head_ix), columns_);
            if (head_bytes > 0 &&
                columns_.size() == count_header_cols(text, pipes, start, last_pipe_ix)) {
              Item table = make_item(ix, head_ix + head_bytes, ItemKind::Table);
              table.set_table_index(static_cast<std::uint32_t>(st_.tables.size()));
              st_.tables.push_back({static_cast<std::uint32_t>(st_.alignments.size()),
                                    static_cast<std::uint32_t>(columns_.size())});
              st_.alignments.insert(st_.alignments.end(), columns_.begin(), columns_.end());
              return {head_ix + head_bytes, table};
            }
          }
        }
        std::size_t trailing = scan_rev_while(text.substr(0, ix), is_ascii_whitespace_no_nl);
        if (trailing >= 2) {
          flush_text(ix - trailing);
          // The white space may reach back before the line (a blank line taken lazily).
          return {end_ix, make_item(std::max(ix - trailing, start), end_ix, ItemKind::HardBreak)};
        }
        flush_text(ix - trailing);
        return {end_ix, make_item(ix, end_ix, ItemKind::SoftBreak)};
      }
      case '\\':
        if (ix + 1 < len && is_ascii_punctuation(byte_at(text, ix + 1))) {
          flush_text(ix);
          char next = text[ix + 1];
          if (next == '`') {
            std::size_t count = 1 + scan_ch_repeat(text.substr(ix + 2), '`');
            Item code = make_item(ix + 1, ix + count + 1, ItemKind::MaybeCode);
            code.set_run_length(static_cast<std::uint32_t>(count));
            code.set_backslash(true);
            tree_.append(code);
            begin_text = ix + 1 + count;
            skip = count;
          } else if (next == '|' && mode == TableMode::Active) {
            // An escaped pipe in a cell is plain text, not an escape the inline pass sees.
            begin_text = ix + 1;
            skip = 1;
          } else if (ix + 2 < len && next == '\\' && text[ix + 2] == '|' &&
                     mode == TableMode::Active) {
            begin_text = ix + 2;
            backslash_escaped = true;
            skip = 2;
          } else {
            begin_text = ix + 1;
            backslash_escaped = true;
            skip = 1;
          }
        }
        break;
      case '*':
      case '_':
      case '~': {
        char c = static_cast<char>(b);
        std::size_t count = 1 + scan_ch_repeat(text.substr(ix + 1), c);
        std::string_view rest = text.substr(ix);
        bool can_open = delim_run_can_open(line, rest, count, ix - start, mode);
        bool can_close = delim_run_can_close(line, rest, count, ix - start, mode);
        // Runs of three or more tildes are text.
        if ((can_open || can_close) && (c != '~' || count <= 2)) {
          flush_text(ix);
          for (std::size_t i = 0; i < count; ++i) {
            Item d = make_item(ix + i, ix + i + 1, ItemKind::MaybeEmphasis);
            d.set_delimiter_run(static_cast<std::uint8_t>(c), static_cast<std::uint32_t>(count - i),
                                can_open, can_close);
            tree_.append(d);
          }
          begin_text = ix + count;
        }
        skip = count - 1;
        break;
      }
      case '`': {
        std::size_t count = 1 + scan_ch_repeat(text.substr(ix + 1), '`');
        flush_text(ix);
        Item code = make_item(ix, ix + count, ItemKind::MaybeCode);
        code.set_run_length(static_cast<std::uint32_t>(count));
        tree_.append(code);
        begin_text = ix + count;
        skip = count - 1;
        break;
      }
      case '<':
        if (ix + 1 >= len || text[ix + 1] != '\\') append_at(ix, ix + 1, ItemKind::MaybeHtml);
        break;
      case '!':
        if (ix + 1 < len && text[ix + 1] == '[') {
          append_at(ix, ix + 2, ItemKind::MaybeImage);
          skip = 1;
        }
        break;
      case '[': append_at(ix, ix + 1, ItemKind::MaybeLinkOpen); break;
      case ']': {
        flush_text(ix);
        Item close = make_item(ix, ix + 1, ItemKind::MaybeLinkClose);
        close.set_may_close_reference(true);
        tree_.append(close);
        begin_text = ix + 1;
        break;
      }
      case '&': {
        EntityScan e = scan_entity(text.substr(ix));
        if (e.length > 0) {
          flush_text(ix);
          Item t = make_item(ix, ix + e.length, ItemKind::SynthesizeText);
          t.set_string_index(
              st_.add_string(e.named.empty() ? st_.storage.keep(e.value()) : e.named));
          tree_.append(t);
          begin_text = ix + e.length;
          skip = e.length - 1;
        }
        break;
      }
      case '|':
        if (ix != 0 && text[ix - 1] == '\\') break;
        if (mode == TableMode::Active) {
          flush_text(ix - scan_rev_while(text.substr(begin_text, ix - begin_text),
                                         is_ascii_whitespace_no_nl));
          return {ix, std::nullopt};
        }
        last_pipe_ix = ix;
        ++pipes;
        break;
      default: break;
    }
    ix += skip + 1;
  }
  // End of the text: trailing white space is not content.
  ix = std::min(ix, len);
  flush_text(ix -
             scan_rev_while(text.substr(begin_text, ix - begin_text), is_ascii_whitespace_no_nl));
  return {ix, std::nullopt};
}

// --- HTML blocks and code blocks ------------------------------------------------------------

void BlockParser::append_indent(std::size_t remaining_space, std::size_t at) {
  // Columns of a tab that a container prefix only partly consumed.
  if (remaining_space == 0) return;
  static constexpr std::string_view kSpaces = "   ";
  Item t = make_item(at, at, ItemKind::SynthesizeText);
  t.set_string_index(st_.add_string(kSpaces.substr(0, std::min<std::size_t>(remaining_space, 3))));
  tree_.append(t);
}

void BlockParser::append_code_text(std::size_t remaining_space, std::size_t start,
                                   std::size_t end) {
  append_indent(remaining_space, start);
  if (end - start >= 2 && text_[end - 2] == '\r') {
    // A CR LF line end becomes LF.
    tree_.append_text(start, end - 2, false);
    tree_.append_text(end - 1, end, false);
  } else {
    tree_.append_text(start, end, false);
  }
}

void BlockParser::append_html_line(std::size_t remaining_space, std::size_t start,
                                   std::size_t end) {
  append_indent(remaining_space, start);
  if (end - start >= 2 && text_[end - 2] == '\r') {
    tree_.append(make_item(start, end - 2, ItemKind::Html));
    tree_.append(make_item(end - 1, end, ItemKind::Html));
  } else {
    tree_.append(make_item(start, end, ItemKind::Html));
  }
}

std::size_t BlockParser::parse_html_block(std::size_t start_ix, const char* end_tag,
                                          std::size_t remaining_space, std::size_t indent) {
  tree_.append(make_item(start_ix, 0, ItemKind::HtmlBlock));
  tree_.push();
  std::size_t ix = start_ix;
  std::size_t end_ix;
  for (;;) {
    std::size_t line_start = ix;
    ix += scan_nextline(from(ix));
    append_html_line(std::max(remaining_space, indent), line_start, ix);
    LineStart line(from(ix));
    std::size_t n = scan_containers(tree_, line);
    // Types 1 to 5 end with the line holding their end tag, the others before a blank line.
    bool ends = end_tag != nullptr ? text_.substr(line_start, ix - line_start).find(end_tag) !=
                                         std::string_view::npos
                                   : line.is_at_eol();
    if (n < tree_.levels() || ends) {
      end_ix = ix;
      break;
    }
    std::size_t next_line = ix + line.bytes_scanned();
    if (next_line == text_.size() || (end_tag == nullptr && scan_blank_line(from(next_line)))) {
      end_ix = next_line;
      break;
    }
    ix = next_line;
    remaining_space = line.remaining_space();
    indent = 0;
  }
  pop(end_ix);
  return ix;
}

std::size_t BlockParser::parse_indented_code_block(std::size_t start_ix,
                                                   std::size_t remaining_space) {
  tree_.append(make_item(start_ix, 0, ItemKind::IndentCodeBlock));
  tree_.push();
  NodeIndex last_nonblank_child = 0;
  std::size_t last_nonblank_ix = 0;
  std::size_t end_ix = 0;
  last_line_blank_ = false;
  std::size_t ix = start_ix;
  for (;;) {
    std::size_t line_start = ix;
    ix += scan_nextline(from(ix));
    append_code_text(remaining_space, line_start, ix);
    if (!last_line_blank_) {
      last_nonblank_child = tree_.cur();
      last_nonblank_ix = ix;
      end_ix = ix;
    }
    LineStart line(from(ix));
    std::size_t n = scan_containers(tree_, line);
    if (n < tree_.levels() || !(line.scan_space(4) || line.is_at_eol())) break;
    std::size_t next_line = ix + line.bytes_scanned();
    if (next_line == text_.size()) break;
    ix = next_line;
    remaining_space = line.remaining_space();
    last_line_blank_ = scan_blank_line(from(ix)).has_value();
  }
  // Trailing blank lines are not part of the block.
  if (last_nonblank_child != 0) {
    tree_[last_nonblank_child].next = 0;
    item(last_nonblank_child).end = last_nonblank_ix;
  }
  pop(end_ix);
  return ix;
}

std::size_t BlockParser::parse_fenced_code_block(std::size_t start_ix, std::size_t indent,
                                                 char fence_ch, std::size_t n_fence_char) {
  std::size_t info_start = start_ix + n_fence_char;
  info_start += scan_whitespace_no_nl(from(info_start));
  std::size_t ix = info_start + scan_nextline(from(info_start));
  std::size_t info_end =
      ix - scan_rev_while(text_.substr(info_start, ix - info_start), is_ascii_whitespace);
  Item block = make_item(start_ix, 0, ItemKind::FencedCodeBlock);
  block.set_string_index(
      st_.add_string(unescaped(text_.substr(info_start, info_end - info_start))));
  tree_.append(block);
  tree_.push();
  for (;;) {
    LineStart line(from(ix));
    std::size_t n = scan_containers(tree_, line);
    if (n < tree_.levels()) {
      // The line belongs to an outer block; it is parsed again there.
      pop(ix);
      return ix;
    }
    line.scan_space(indent);
    LineStart close_line = line;
    if (!close_line.scan_space(4 - indent)) {
      std::size_t close_ix = ix + close_line.bytes_scanned();
      if (auto n_close = scan_closing_code_fence(from(close_ix), fence_ch, n_fence_char)) {
        ix = close_ix + *n_close;
        pop(ix);
        // Take the rest of the fence line, or it would count as a blank line.
        return ix + scan_blank_line(from(ix)).value_or(0);
      }
    }
    std::size_t remaining_space = line.remaining_space();
    ix += line.bytes_scanned();
    std::size_t next_ix = ix + scan_nextline(from(ix));
    append_code_text(remaining_space, ix, next_ix);
    ix = next_ix;
  }
}

// --- Closing containers; lists --------------------------------------------------------------

void BlockParser::pop(std::size_t ix) {
  NodeIndex cur = tree_.pop();
  if (cur == 0) return;
  item(cur).end = ix;
  NodeIndex closed = 0;
  if (item(cur).kind == ItemKind::DefinitionList) {
    closed = fixup_end_of_definition_list(tree_, cur);
    begin_list_item_.reset();
  }
  if (is_list_like(item(cur).kind) && item(cur).tight()) {
    surgerize_tight_list(tree_, cur);
    begin_list_item_.reset();
  }
  // A container ends with its content even where tab stops put the closing position earlier,
  // and a container closed along with a definition list ends with it. (Leaf blocks end after
  // their content by construction.)
  NodeIndex first = is_container(item(cur).kind) ? tree_[cur].child : 0;
  if (first != 0) item(cur).end = std::max(item(cur).end, item(tree_.last_sibling(first)).end);
  if (closed != 0) item(closed).end = item(cur).end;
}

// Closes the `n` levels a line did not continue: a pop for each, counted before the first, so
// that a definition list whose end closes its parent too leaves one level fewer open.
void BlockParser::close_levels(std::size_t n, std::size_t ix) {
  while (n > 0 && tree_.spine_len() > 0) {
    std::size_t top = tree_.top_levels();
    if (n < top) {
      tree_.close_inner_quotes(n, ix);
      return;
    }
    pop(ix);
    n -= top;
  }
}

void BlockParser::finish_list(std::size_t ix) {
  finish_empty_list_item();
  if (NodeIndex up = tree_.peek_up(); up != 0 && is_list_like(item(up).kind)) pop(ix);
  if (last_line_blank_) {
    if (NodeIndex gp = tree_.peek_grandparent(); gp != 0 && is_list_like(item(gp).kind)) {
      item(gp).set_tight(false);
    }
    last_line_blank_ = false;
  }
}

void BlockParser::finish_empty_list_item() {
  if (begin_list_item_ && last_line_blank_) {
    // A list item can begin with at most one blank line.
    NodeIndex up = tree_.peek_up();
    if (up != 0 && (item(up).kind == ItemKind::ListItem ||
                    item(up).kind == ItemKind::DefinitionListDefinition)) {
      pop(*begin_list_item_);
    }
  }
  begin_list_item_.reset();
}

void BlockParser::continue_list(std::size_t start, char ch, std::uint64_t index) {
  finish_empty_list_item();
  if (NodeIndex up = tree_.peek_up(); up != 0) {
    Item& parent = item(up);
    if (parent.kind == ItemKind::List && parent.marker() == static_cast<std::uint8_t>(ch)) {
      if (last_line_blank_) {
        parent.set_tight(false);
        last_line_blank_ = false;
      }
      return;
    }
    finish_list(start);
  }
  Item list = make_item(start, 0, ItemKind::List);
  list.set_tight(true);
  list.set_list_marker(static_cast<std::uint8_t>(ch), static_cast<std::uint32_t>(index));
  tree_.append(list);
  tree_.push();
  last_line_blank_ = false;
}

// --- ATX headings ---------------------------------------------------------------------------

std::size_t BlockParser::parse_atx_heading(std::size_t start, int level) {
  std::size_t ix = start;
  NodeIndex heading = tree_.append(make_item(start, 0, ItemKind::Root));
  ix += static_cast<std::size_t>(level);
  if (auto eol = scan_eol(from(ix))) {
    item(heading).end = ix + *eol;
    item(heading).kind = ItemKind::Heading;
    item(heading).set_level(static_cast<std::uint32_t>(level));
    return ix + *eol;
  }
  ix += scan_whitespace_no_nl(from(ix));
  std::size_t header_start = ix;
  NodeIndex header_node = tree_.push();
  LineResult r = parse_line(ix, TableMode::Disabled);
  ix = r.end;
  // A backslash at the end of a heading is text.
  if (r.brk && r.brk->kind == ItemKind::HardBreak && r.brk->backslash()) {
    tree_.append_text(r.brk->start, r.brk->end, false);
  }
  item(header_node).end = ix;

  // Drop the closing sequence and the spaces before it from the last item.
  bool empty_text = false;
  if (NodeIndex cur = tree_.cur(); cur != 0) {
    std::string_view header = text_.substr(header_start, ix - header_start);
    std::size_t limit = header.size();
    while (limit > 0 &&
           (header[limit - 1] == '\n' || header[limit - 1] == '\r' || header[limit - 1] == ' ')) {
      --limit;
    }
    std::size_t closer = limit;
    while (closer > 0 && header[closer - 1] == '#') --closer;
    if (closer == 0) {
      limit = 0;
    } else {
      std::size_t spaces =
          scan_rev_while(header.substr(0, closer), [](std::uint8_t c) { return c == ' '; });
      if (spaces > 0) limit = closer - spaces;
    }
    item(cur).end = limit + header_start;
    empty_text = limit == 0;
  }
  if (empty_text) {
    tree_.remove_node();
  } else {
    tree_.pop();
  }
  item(heading).kind = ItemKind::Heading;
  item(heading).set_level(static_cast<std::uint32_t>(level));
  return ix;
}

// --- Footnote definitions and link reference definitions ------------------------------------

std::optional<std::size_t> BlockParser::parse_footnote(std::size_t start) {
  std::string_view s = from(start);
  if (!s.starts_with("[^")) return std::nullopt;
  // Footnote labels never span lines.
  auto label = scan_link_label_rest(
      s.substr(2), [](std::string_view) -> std::optional<std::size_t> { return std::nullopt; },
      tree_.is_in_table());
  if (!label || label->label.find_first_of("\r\n") != std::string::npos) return std::nullopt;
  std::size_t i = label->length + 2;
  if (scan_ch(s.substr(i), ':') == 0) return std::nullopt;
  ++i;
  flush_pending_task();
  finish_list(start);
  if (NodeIndex up = tree_.peek_up(); up != 0 && item(up).kind == ItemKind::FootnoteDefinition) {
    pop(start);  // a definition ends the previous one
  }
  i += scan_whitespace_no_nl(s.substr(i));
  st_.footnote_labels.insert(label_key(label->label));
  Item def = make_item(start, 0, ItemKind::FootnoteDefinition);
  def.set_string_index(st_.add_owned_string(label->label));
  tree_.append(def);
  tree_.push();
  return i;
}

std::optional<ScannedLabel> BlockParser::parse_refdef_label(std::size_t start) {
  auto on_line_break = [this](std::string_view rest) -> std::optional<std::size_t> {
    LineStart line(rest);
    bool current_container = continues_all(line);
    if (line.scan_space(4)) return line.bytes_scanned();
    std::string_view suffix = rest.substr(line.bytes_scanned());
    if (scan_paragraph_interrupt(suffix, current_container) ||
        (current_container && scan_setext_heading(suffix))) {
      return std::nullopt;
    }
    return line.bytes_scanned();
  };
  return scan_link_label_rest(from(start), on_line_break, tree_.is_in_table());
}

std::optional<BlockParser::Refdef> BlockParser::parse_refdef_total(std::size_t start) {
  std::string_view s = from(start);
  if (scan_ch(s, '[') == 0) return std::nullopt;
  auto label = parse_refdef_label(start + 1);
  if (!label) return std::nullopt;
  std::size_t i = label->length + 1;
  if (scan_ch(s.substr(i), ':') == 0) return std::nullopt;
  ++i;
  auto def = scan_refdef(start + i);
  if (!def) return std::nullopt;
  return Refdef{def->first + i, std::move(label->label), def->second};
}

std::optional<std::pair<std::size_t, std::size_t>> BlockParser::scan_refdef_space(std::size_t i) {
  std::size_t newlines = 0;
  for (;;) {
    i += scan_whitespace_no_nl(from(i));
    auto eol = scan_eol(from(i));
    if (!eol) break;
    i += *eol;
    if (++newlines > 1) return std::nullopt;
    LineStart line(from(i));
    bool current_container = continues_all(line);
    if (!line.scan_space(4) &&
        !line_continues_refdef(from(i + line.bytes_scanned()), current_container)) {
      return std::nullopt;
    }
    i += line.bytes_scanned();
  }
  return std::pair{i, newlines};
}

std::optional<std::pair<std::size_t, std::string_view>> BlockParser::scan_refdef_title(
    std::size_t start) {
  std::string_view s = from(start);
  if (s.empty()) return std::nullopt;
  char closing;
  switch (s[0]) {
    case '\'': closing = '\''; break;
    case '"': closing = '"'; break;
    case '(': closing = ')'; break;
    default: return std::nullopt;
  }
  std::size_t i = 1;
  std::size_t line_begin = 1;
  std::optional<std::string> joined;  // the title's lines without their container prefixes
  while (i < s.size()) {
    char c = s[i];
    if (c == '(' && closing == ')') return std::nullopt;
    if (c == '\n' || c == '\r') {
      if (!joined) joined.emplace();
      joined->append(s.substr(line_begin, i - line_begin));
      *joined += '\n';
      ++i;
      if (c == '\r' && i < s.size() && s[i] == '\n') ++i;
      LineStart line(s.substr(i));
      bool current_container = continues_all(line);
      if (!line.scan_space(4) &&
          !line_continues_refdef(s.substr(i + line.bytes_scanned()), current_container)) {
        return std::nullopt;
      }
      line.scan_all_space();
      i += line.bytes_scanned();
      line_begin = i;
      if (scan_blank_line(s.substr(i))) return std::nullopt;
    } else if (c == '\\') {
      ++i;
      if (i < s.size() && s[i] != '\r' && s[i] != '\n') ++i;
    } else if (c == closing) {
      if (!joined) return std::pair{i + 1, s.substr(line_begin, i - line_begin)};
      joined->append(s.substr(line_begin, i - line_begin));
      return std::pair{i + 1, st_.storage.keep(*joined)};
    } else {
      ++i;
    }
  }
  return std::nullopt;
}

std::optional<std::pair<std::size_t, LinkDef>> BlockParser::scan_refdef(std::size_t start) {
  auto space = scan_refdef_space(start);
  if (!space) return std::nullopt;
  std::size_t i = space->first;
  auto dest = scan_link_dest(text_, i, kLinkMaxNestedParens);
  if (!dest || dest->first == 0) return std::nullopt;
  LinkDef def{unescaped(dest->second), std::nullopt};
  i += dest->first;
  std::pair<std::size_t, LinkDef> without_title{i - start, def};

  auto after = scan_refdef_space(i);
  if (!after) return without_title;
  std::size_t newlines = after->second;
  if (i == text_.size()) ++newlines;
  if (after->first == i && newlines == 0) return std::nullopt;  // the title needs space before it
  if (newlines > 1) return without_title;
  i = after->first;

  if (auto title = scan_refdef_title(i)) {
    i += title->first;
    if (scan_blank_line(from(i))) {
      def.title = unescaped(title->second);
      return std::pair{i - start, def};
    }
  }
  // A title that does not end its line is not a title; on its own line it is not part of the
  // definition.
  if (newlines > 0) return without_title;
  return std::nullopt;
}

// --- Paragraph interruption -----------------------------------------------------------------

bool BlockParser::scan_paragraph_interrupt(std::string_view s, bool current_container) {
  if (scan_paragraph_interrupt_no_table(s, current_container, tree_)) return true;
  // A table whose head row starts with a pipe interrupts a paragraph.
  if (!s.starts_with('|')) return false;
  std::size_t pipes = 0;
  std::size_t next_line = 0;
  bool escaped = false;
  std::size_t last_pipe_ix = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char b = s[i];
    if (b == '\\') {
      escaped = true;
      continue;
    }
    if (b == '|' && !escaped) {
      ++pipes;
      last_pipe_ix = i;
    } else if (b == '\r' || b == '\n') {
      next_line = i + *scan_eol(s.substr(i));
      break;
    }
    escaped = false;
  }
  if (next_line == 0) return false;
  LineStart line(s.substr(next_line));
  if (!continues_all(line)) return false;
  std::size_t head_bytes = scan_table_head(s.substr(next_line + line.bytes_scanned()), columns_);
  if (head_bytes == 0) return false;
  return columns_.size() == count_header_cols(s, pipes, 0, last_pipe_ix);
}

}  // namespace

void parse_blocks(std::string_view text, ParseState& state, Tree& tree) {
  BlockParser(text, state, tree).run();
}

}  // namespace zuv::markdown

// The two passes that finish a Markdown segment.
//
// The engine hands text over event by event, so a citation or cross-reference spread over
// several text events is invisible to the inline-text parser; the re-scan joins each run of
// adjacent text nodes and parses its source again when it may hold one. The language pass
// then gives an inline code span the language written in braces right after it.

#include "passes.h"

#include <array>
#include <iterator>
#include <string>
#include <utility>

#include "bytes.h"
#include "source_map.h"
#include "text.h"

namespace zuv::parser {

namespace {

// The kinds both passes descend into; every other kind passes through untouched. A component's
// children were finished as a segment of their own and html holds raw markup; the definition
// list and footnote definition kinds keep the text as the engine split it, as callers see it.
bool is_descended(NodeKind k) {
  switch (k) {
    case NodeKind::Paragraph:
    case NodeKind::Heading:
    case NodeKind::List:
    case NodeKind::ListItem:
    case NodeKind::Blockquote:
    case NodeKind::Table:
    case NodeKind::TableRow:
    case NodeKind::TableCell:
    case NodeKind::Link:
    case NodeKind::Image:
    case NodeKind::Emphasis:
    case NodeKind::Strong:
    case NodeKind::Strikethrough: return true;
    case NodeKind::Text:
    case NodeKind::CodeInline:
    case NodeKind::CodeBlock:
    case NodeKind::ThematicBreak:
    case NodeKind::Html:
    case NodeKind::DefinitionList:
    case NodeKind::DefinitionTerm:
    case NodeKind::DefinitionDescription:
    case NodeKind::FootnoteDefinition:
    case NodeKind::FootnoteReference:
    case NodeKind::MathInline:
    case NodeKind::MathDisplay:
    case NodeKind::Citation:
    case NodeKind::CrossRef:
    case NodeKind::Component:
    case NodeKind::Variable:
    case NodeKind::Error: return false;
  }
  return false;
}

NodeList& children_of(Node& n) { return *node_children(n); }
const Position& text_position(const Node& text) { return text.as<TextNode>().position; }

// Whether a run's joined source may hold a construct that only a re-parse can see: a citation
// ("[@", or a bracket whose first "]" has an "@" before it and no "(" after it), a
// cross-reference ("{@"), and, since the engine also splits inline math and variables at
// "_", "*", brackets, "<" and escapes, "$" and "{$". One pass over the bytes.
bool needs_rescan(std::string_view s) {
  // For the bracket pattern: remember whether an "@" has been seen since the oldest "[" that
  // still waits for its "]". Every "[" before the next "]" shares that "]", and the pattern
  // holds for the earliest such "[" exactly when an "@" stands anywhere between it and "]".
  bool open_bracket = false;
  bool at_since_open = false;
  // Most runs hold none of these bytes; past the first, they may stand close together (hostile
  // text can be nothing else), so the bytes are looked at one by one.
  constexpr const std::array<bool, 256>& kMarks = kByteSet<'$', '{', '[', '@', ']'>;
  for (size_t i = find_any_byte<'$', '{', '[', '@', ']'>(s, 0); i < s.size(); ++i) {
    if (!kMarks[static_cast<unsigned char>(s[i])]) continue;
    switch (s[i]) {
      case '$': return true;
      case '{':
        if (i + 1 < s.size() && (s[i + 1] == '@' || s[i + 1] == '$')) return true;
        break;
      case '[':
        if (i + 1 < s.size() && s[i + 1] == '@') return true;
        if (i + 1 < s.size() && !open_bracket) {
          open_bracket = true;
          at_since_open = false;
        }
        break;
      case '@':
        if (open_bracket) at_since_open = true;
        break;
      case ']':
        if (open_bracket) {
          if (at_since_open && !(i + 1 < s.size() && s[i + 1] == '(')) return true;
          open_bracket = false;
        }
        break;
      default: break;
    }
  }
  return false;
}

bool is_white_space_only(std::string_view s) {
  for (char c : s) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') return false;
  }
  return true;
}

bool is_language_name(std::string_view s) {
  if (s.empty() || !is_ascii_alpha(s[0])) return false;
  for (char c : s.substr(1)) {
    if (!is_ascii_alnum(c) && c != '_' && c != '-') return false;
  }
  return true;
}

// The index just after the run of text nodes that begins at `a`. A run ends where the source
// between two adjacent text nodes holds more than white space (a block quote's "> ", a list
// marker): the re-parse must not read it as text.
size_t run_end(const NodeList& nodes, size_t a, std::string_view input) {
  size_t b = a + 1;
  for (; b < nodes.size() && nodes[b].kind == NodeKind::Text; ++b) {
    const size_t gap_start = text_position(nodes[b - 1]).end.offset;
    const size_t gap_end = text_position(nodes[b]).start.offset;
    if (gap_start < gap_end && gap_end <= input.size() &&
        !is_white_space_only(input.substr(gap_start, gap_end - gap_start))) {
      break;
    }
  }
  return b;
}

// The source of the text run nodes[a, b) when it has to be parsed again, else empty.
std::string_view rescan_source(const NodeList& nodes, size_t a, size_t b, std::string_view input) {
  const size_t start = text_position(nodes[a]).start.offset;
  const size_t end = text_position(nodes[b - 1]).end.offset;
  if (start >= end || end > input.size()) return {};
  const std::string_view source = input.substr(start, end - start);
  return needs_rescan(source) ? source : std::string_view();
}

// The re-scan of one list whose first run to parse again begins at `cut`: the list is rebuilt
// from there.
void rescan_text_runs(NodeList& nodes, size_t cut, PointCursor& points, std::string_view input) {
  NodeList rebuilt;  // what replaces nodes[cut..]
  rebuilt.reserve(nodes.size() - cut);
  for (size_t a = cut; a < nodes.size();) {
    if (nodes[a].kind != NodeKind::Text) {
      rebuilt.push_back(std::move(nodes[a]));
      ++a;
      continue;
    }
    const size_t b = run_end(nodes, a, input);
    if (const std::string_view source = rescan_source(nodes, a, b, input); !source.empty()) {
      parse_text(source, text_position(nodes[a]).start.offset, points, rebuilt);
    } else {
      for (size_t i = a; i < b; ++i) rebuilt.push_back(std::move(nodes[i]));
    }
    a = b;
  }
  nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(cut), nodes.end());
  nodes.insert(nodes.end(), std::make_move_iterator(rebuilt.begin()),
               std::make_move_iterator(rebuilt.end()));
}

// The language pass over one list: a kept node moves down over the texts that were used up.
void attach_inline_code_lang(NodeList& nodes, size_t from) {
  size_t kept = from;
  auto keep = [&](size_t i) {
    if (kept != i) nodes[kept] = std::move(nodes[i]);
    ++kept;
  };
  for (size_t i = from; i < nodes.size(); ++i) {
    if (nodes[i].kind == NodeKind::CodeInline && i + 1 < nodes.size() &&
        nodes[i + 1].kind == NodeKind::Text) {
      std::string& m = nodes[i + 1].as<TextNode>().value;
      if (!m.empty() && m[0] == '{') {
        const size_t k = m.find('}');
        if (k != std::string::npos && is_language_name(std::string_view(m).substr(1, k - 1))) {
          nodes[i].as<CodeInlineNode>().lang = m.substr(1, k - 1);
          keep(i);
          if (k + 1 < m.size()) {
            m.erase(0, k + 1);
            keep(i + 1);
          }
          ++i;
          continue;
        }
      }
    }
    keep(i);
  }
  nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(kept), nodes.end());
}

}  // namespace

void finish_markdown_nodes(NodeList& nodes, size_t from, PointCursor& points,
                           std::string_view input) {
  // Each pass reads only the nodes of one list, so every list may be finished on its own, the
  // deeper ones first. One walk over the list finishes the lists below, and finds the first run
  // to parse again and whether a code span is followed by text; most lists need nothing more.
  size_t first_rescan = npos;
  bool code_before_text = false;
  for (size_t a = from; a < nodes.size();) {
    Node& n = nodes[a];
    if (n.kind == NodeKind::Text) {
      const size_t b = run_end(nodes, a, input);
      if (first_rescan == npos && !rescan_source(nodes, a, b, input).empty()) first_rescan = a;
      a = b;
      continue;
    }
    if (is_descended(n.kind)) {
      finish_markdown_nodes(children_of(n), 0, points, input);
    } else if (n.kind == NodeKind::CodeInline && a + 1 < nodes.size() &&
               nodes[a + 1].kind == NodeKind::Text) {
      code_before_text = true;
    }
    ++a;
  }
  if (first_rescan != npos) rescan_text_runs(nodes, first_rescan, points, input);
  if (first_rescan != npos || code_before_text) attach_inline_code_lang(nodes, from);
}

}  // namespace zuv::parser

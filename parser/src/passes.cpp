// The two passes that finish a Markdown segment.
//
// The engine hands text over event by event, so a citation or cross-reference spread over
// several text events is invisible to the inline-text parser; the re-scan joins each run of
// adjacent text nodes and parses its source again when it may hold one. The language pass
// then gives an inline code span the language written in braces right after it.

#include "passes.h"

#include <string>
#include <utility>

#include "source_map.h"
#include "text.h"

namespace zuv::parser {

namespace {

// The kinds both passes descend into; every other kind passes through untouched.
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
    case NodeKind::Strikethrough:
      return true;
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
    case NodeKind::Error:
      return false;
  }
  return false;
}

NodeList& children_of(Node& n) { return *node_children(n); }

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
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    switch (c) {
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

class Rescanner {
 public:
  Rescanner(const SourceMap& map, std::string_view input) : map_(map), input_(input) {}

  NodeList run(NodeList nodes) {
    for (Node& n : nodes) {
      if (is_descended(n.kind)) children_of(n) = run(std::move(children_of(n)));
    }
    NodeList out;
    out.reserve(nodes.size());
    NodeList run_nodes;
    for (Node& n : nodes) {
      if (n.kind == NodeKind::Text) {
        // A run ends where the source between two adjacent text nodes holds more than white
        // space (a block quote's "> ", a list marker): the re-parse must not read it as text.
        if (!run_nodes.empty()) {
          const size_t gap_start = run_nodes.back().position().end.offset;
          const size_t gap_end = n.position().start.offset;
          if (gap_start < gap_end && gap_end <= input_.size() &&
              !is_white_space_only(input_.substr(gap_start, gap_end - gap_start))) {
            settle(run_nodes, out);
          }
        }
        run_nodes.push_back(std::move(n));
      } else {
        settle(run_nodes, out);
        out.push_back(std::move(n));
      }
    }
    settle(run_nodes, out);
    return out;
  }

 private:
  void settle(NodeList& run, NodeList& out) {
    if (run.empty()) return;
    const size_t start = run.front().position().start.offset;
    const size_t end = run.back().position().end.offset;
    std::string_view source;
    if (start < end && end <= input_.size()) source = input_.substr(start, end - start);
    if (!source.empty() && needs_rescan(source)) {
      for (Node& n : parse_text(source, start, map_)) out.push_back(std::move(n));
    } else {
      for (Node& n : run) out.push_back(std::move(n));
    }
    run.clear();
  }

  const SourceMap& map_;
  std::string_view input_;
};

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

bool is_language_name(std::string_view s) {
  if (s.empty() || !is_ascii_letter(s[0])) return false;
  for (char c : s.substr(1)) {
    if (!is_ascii_letter(c) && !is_ascii_digit(c) && c != '_' && c != '-') return false;
  }
  return true;
}

}  // namespace

NodeList rescan_text_runs(NodeList nodes, const SourceMap& source_map, std::string_view input) {
  return Rescanner(source_map, input).run(std::move(nodes));
}

NodeList attach_inline_code_lang(NodeList nodes) {
  NodeList out;
  out.reserve(nodes.size());
  for (size_t i = 0; i < nodes.size(); ++i) {
    Node& n = nodes[i];
    if (n.kind == NodeKind::CodeInline && i + 1 < nodes.size() &&
        nodes[i + 1].kind == NodeKind::Text) {
      TextNode& m = nodes[i + 1].as<TextNode>();
      if (!m.value.empty() && m.value[0] == '{') {
        const size_t k = m.value.find('}');
        if (k != std::string::npos && is_language_name(std::string_view(m.value).substr(1, k - 1))) {
          n.as<CodeInlineNode>().lang = m.value.substr(1, k - 1);
          out.push_back(std::move(n));
          if (k + 1 < m.value.size()) {
            out.push_back(Node(NodeKind::Text, TextNode{m.value.substr(k + 1), m.position}));
          }
          ++i;
          continue;
        }
      }
    }
    if (is_descended(n.kind)) children_of(n) = attach_inline_code_lang(std::move(children_of(n)));
    out.push_back(std::move(n));
  }
  return out;
}

}  // namespace zuv::parser

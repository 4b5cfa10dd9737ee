#include "text.h"

#include "bytes.h"
#include "messages.h"
#include "tags.h"
#include "zuv/math.h"
#include "zuv/unicode.h"
#include "zuv/variable_path.h"

namespace zuv::parser {

namespace {

// The bytes at which an inline construct or an escape may begin.
constexpr const std::array<bool, 256>& kMarkers = kByteSet<'$', '[', '\\', '{'>;

size_t find_marker(std::string_view text, size_t from) {
  return find_any_byte<'$', '[', '\\', '{'>(text, from);
}

bool is_valid_cross_ref_target(std::string_view target) {
  if (target.empty() || !(is_ascii_alpha(target[0]) || target[0] == '_')) return false;
  for (char c : target.substr(1)) {
    if (!is_name_byte(c) && c != '.' && c != ':' && c != '-') return false;
  }
  return true;
}

std::optional<std::string> non_empty(std::string_view s) {
  if (s.empty()) return std::nullopt;
  return std::string(s);
}

std::vector<CitationKey> citation_keys(std::string_view content, bool at_form) {
  std::vector<CitationKey> keys;
  for_each_piece(content, ';', [&](std::string_view piece, size_t index) {
    std::string_view part = trim_unicode_white_space(piece);
    if (part.empty()) return true;
    CitationKey key;
    size_t at = part.find('@');
    if (at != npos) {
      key.prefix = non_empty(trim_unicode_white_space(part.substr(0, at)));
      std::tie(key.id, key.locator) = split_locator(part.substr(at + 1));
    } else if (index == 0 && at_form) {
      std::tie(key.id, key.locator) = split_locator(part);
    } else {
      return true;
    }
    if (!key.id.empty()) keys.push_back(std::move(key));
    return true;
  });
  return keys;
}

class TextParser {
 public:
  TextParser(std::string_view text, size_t base, PointCursor& points, NodeList& out)
      : text_(text), base_(base), points_(points), nodes_(out), dollar_(text, '$'),
        bracket_(text, ']'), line_feed_(text, '\n'), at_sign_(text, '@'), brace_(text, '}') {}

  // `first` is the first marker byte of the text.
  void run(size_t first) {
    const size_t n = text_.size();
    // Past the first marker, markers may stand close together (hostile text can be nothing
    // else), so the bytes are looked at one by one.
    for (i_ = first; i_ < n;) {
      if (!kMarkers[static_cast<unsigned char>(text_[i_])]) {
        ++i_;
        continue;
      }
      switch (text_[i_]) {
        case '$': math(); break;
        case '[': citation(); break;
        case '\\': escape(); break;
        default: brace(); break;
      }
    }
    flush();
  }

 private:
  Position position(size_t from, size_t to) { return points_.position(base_ + from, base_ + to); }

  void flush() {
    if (pending_ < i_) {
      nodes_.emplace_back(
          NodeKind::Text,
          TextNode{std::string(text_.substr(pending_, i_ - pending_)), position(pending_, i_)});
    }
  }

  void emit(Node node, size_t end) {
    flush();
    nodes_.push_back(std::move(node));
    pending_ = i_ = end;
  }

  void emit_text(std::string value, size_t end) {
    Position p = position(i_, end);
    emit(Node(NodeKind::Text, TextNode{std::move(value), p}), end);
  }

  void literal() { ++i_; }

  void math() {
    const size_t i = i_;
    if (i > 0 && text_[i - 1] == '{') return literal();
    size_t j = dollar_.find(i + 1);
    if (j == npos) return literal();
    std::string_view content = text_.substr(i + 1, j - i - 1);
    if (content.empty() || content.front() == ' ' || content.back() == ' ') return literal();
    emit(Node(NodeKind::MathInline,
              MathNode{std::string(content), MathBox(parse_math(content)), position(i, j + 1)}),
         j + 1);
  }

  void citation() {
    const size_t i = i_;
    const size_t n = text_.size();
    if (i + 1 >= n) return literal();
    size_t k = std::min(bracket_.find(i + 1), line_feed_.find(i + 1));
    if (k == npos || text_[k] != ']') return literal();
    if (at_sign_.find(i + 1) >= k) return literal();
    if (k + 1 < n && text_[k + 1] == '(') return literal();
    bool at_form = text_[i + 1] == '@';
    std::string_view content =
        at_form ? text_.substr(i + 2, k - i - 2) : text_.substr(i + 1, k - i - 1);
    emit(
        Node(NodeKind::Citation, CitationNode{citation_keys(content, at_form), position(i, k + 1)}),
        k + 1);
  }

  void escape() {
    const size_t i = i_;
    const size_t n = text_.size();
    if (i + 1 >= n) return literal();
    char next = text_[i + 1];
    char after = i + 2 < n ? text_[i + 2] : '\0';
    bool has_after = i + 2 < n;
    switch (next) {
      case '[':
        if (has_after && after == '@') return emit_text("[@", i + 3);
        return literal();
      case '\\': return emit_text("\\", i + 2);
      case '$': return emit_text("$", i + 2);
      case '{':
        if (has_after && after == '$') {
          size_t k = brace_.find(i + 3);
          if (k == npos) return literal();
          return emit_text(std::string(text_.substr(i + 1, k - i)), k + 1);
        }
        if (has_after && after == '{') return emit_text("{{", i + 3);
        if (has_after && after == '@') return emit_text("{@", i + 3);
        return emit_text("{", i + 2);
      case '}':
        if (has_after && after == '}') return emit_text("}}", i + 3);
        return literal();
      default: return literal();
    }
  }

  void brace() {
    const size_t i = i_;
    if (i + 1 >= text_.size()) return literal();
    char next = text_[i + 1];
    if (next != '@' && next != '$') return literal();
    size_t k = brace_.find(i + 2);
    if (k == npos) return literal();
    std::string_view inner = text_.substr(i + 2, k - i - 2);
    Position p = position(i, k + 1);
    std::string raw(text_.substr(i, k + 1 - i));
    if (next == '@') {
      if (is_valid_cross_ref_target(inner)) {
        return emit(Node(NodeKind::CrossRef, CrossRefNode{std::string(inner), p}), k + 1);
      }
      return emit(Node(NodeKind::Error,
                       ErrorNode{messages::invalid_cross_ref_target(inner), std::move(raw), p}),
                  k + 1);
    }
    if (is_valid_variable_path(inner)) {
      return emit(Node(NodeKind::Variable, VariableNode{std::string(inner), p}), k + 1);
    }
    emit(
        Node(NodeKind::Error, ErrorNode{messages::invalid_variable_path(inner), std::move(raw), p}),
        k + 1);
  }

  std::string_view text_;
  size_t base_;
  PointCursor& points_;
  NodeList& nodes_;
  ForwardSearch dollar_, bracket_, line_feed_, at_sign_, brace_;
  size_t pending_ = 0;  // first byte of the ordinary text not yet emitted
  size_t i_ = 0;
};

}  // namespace

void parse_text(std::string_view text, size_t base, PointCursor& points, NodeList& out) {
  const size_t first = find_marker(text, 0);
  if (first == text.size()) {
    // Most texts hold no marker at all: one text node, and no parser to set up.
    if (!text.empty()) {
      out.emplace_back(NodeKind::Text,
                       TextNode{std::string(text), points.position(base, base + text.size())});
    }
    return;
  }
  TextParser(text, base, points, out).run(first);
}

NodeList parse_text(std::string_view text, size_t base, const SourceMap& source_map) {
  PointCursor points(source_map);
  NodeList out;
  parse_text(text, base, points, out);
  return out;
}

std::pair<std::string, std::optional<std::string>> split_locator(std::string_view key_text) {
  size_t comma = key_text.find(',');
  if (comma == npos) return {std::string(trim_unicode_white_space(key_text)), std::nullopt};
  return {std::string(trim_unicode_white_space(key_text.substr(0, comma))),
          non_empty(trim_unicode_white_space(key_text.substr(comma + 1)))};
}

}  // namespace zuv::parser

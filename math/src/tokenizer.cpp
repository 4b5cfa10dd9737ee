#include "tokenizer.h"

#include <array>
#include <cstring>

#include "zuv/ascii.h"
#include "zuv/unicode.h"

namespace zuv::math {
namespace {

using K = MathTokenKind;

// The token kind of each byte that is a token by itself; Char for every other byte.
constexpr std::array<MathTokenKind, 256> kSingleByteKinds = [] {
  std::array<MathTokenKind, 256> t{};
  for (MathTokenKind& k : t) k = K::Char;
  constexpr std::string_view chars = "{}^_&~()[]|+-=<>,;:!'";
  for (size_t i = 0; i < chars.size(); ++i) {
    t[static_cast<unsigned char>(chars[i])] = static_cast<MathTokenKind>(i);
  }
  t['.'] = K::Dot;
  return t;
}();

MathToken make(MathTokenKind kind, size_t start, size_t end) {
  MathToken t;
  t.kind = kind;
  t.start = start;
  t.end = end;
  return t;
}

// `\begin` or `\end` at `i`, its name ending at `j`.
MathToken scan_environment(std::string_view s, MathTokenKind kind, size_t i, size_t j) {
  const size_t k = skip_source_whitespace(s, j);
  MathToken t = make(kind, i, k);
  if (k < s.size() && s[k] == '{') {
    // The braces do not nest: the name runs to the first `}`.
    const void* close = std::memchr(s.data() + k + 1, '}', s.size() - k - 1);
    const size_t name_end =
        close ? static_cast<size_t>(static_cast<const char*>(close) - s.data()) : s.size();
    t.name = trim_unicode_white_space(s.substr(k + 1, name_end - k - 1));
    t.end = close ? name_end + 1 : s.size();
  }
  return t;
}

MathToken scan_backslash(std::string_view s, size_t i) {
  if (i + 1 == s.size()) {
    MathToken t = make(K::Command, i, i + 1);
    t.name = s.substr(i + 1, 0);
    return t;
  }
  const char c = s[i + 1];
  switch (c) {
    case ' ': return make(K::Whitespace, i, i + 2);
    case '!': return make(K::NegThinSpace, i, i + 2);
    case ',': return make(K::ThinSpace, i, i + 2);
    case ':':
    case ';': return make(K::MediumSpace, i, i + 2);
    case '\\': return make(K::RowSep, i, i + 2);
    default: break;
  }
  size_t j = i + 1;
  if (is_ascii_alpha(c)) {
    while (j < s.size() && is_ascii_alpha(s[j])) ++j;
    const std::string_view name = s.substr(i + 1, j - i - 1);
    if (name == "begin") return scan_environment(s, K::Begin, i, j);
    if (name == "end") return scan_environment(s, K::End, i, j);
  } else {
    size_t len = 0;
    decode_utf8(s, i + 1, len);
    j = i + 1 + len;
  }
  MathToken t = make(K::Command, i, j);
  t.name = s.substr(i + 1, j - i - 1);
  return t;
}

}  // namespace

size_t skip_source_whitespace(std::string_view source, size_t i) {
  while (i < source.size() && is_ascii_space(source[i])) ++i;
  return i;
}

MathToken scan_math_token(std::string_view s, size_t i) {
  if (i >= s.size()) return make(K::Eof, s.size(), s.size());
  const char c = s[i];
  if (is_ascii_space(c)) return make(K::Whitespace, i, skip_source_whitespace(s, i));
  if (c == '\\') return scan_backslash(s, i);
  if (is_ascii_digit(c)) {
    MathToken t = make(K::Digit, i, i + 1);
    t.ch = static_cast<char32_t>(c);
    return t;
  }
  const MathTokenKind kind = kSingleByteKinds[static_cast<unsigned char>(c)];
  if (kind != K::Char) return make(kind, i, i + 1);
  size_t len = 0;
  const char32_t ch = decode_utf8(s, i, len);
  MathToken t = make(K::Char, i, i + len);
  t.ch = ch;
  return t;
}

std::vector<MathToken> tokenize_math(std::string_view source) {
  std::vector<MathToken> tokens;
  size_t i = 0;
  for (;;) {
    tokens.push_back(scan_math_token(source, i));
    if (tokens.back().kind == K::Eof) return tokens;
    i = tokens.back().end;
  }
}

void append_token_source(std::string& out, const MathToken& t) {
  switch (t.kind) {
    case K::LBrace:
    case K::RBrace:
    case K::Caret:
    case K::Underscore:
    case K::Ampersand:
    case K::Tilde:
    case K::LParen:
    case K::RParen:
    case K::LBracket:
    case K::RBracket:
    case K::Pipe:
    case K::Plus:
    case K::Minus:
    case K::Equals:
    case K::Less:
    case K::Greater:
    case K::Comma:
    case K::Semicolon:
    case K::Colon:
    case K::Bang:
    case K::Prime: out.push_back("{}^_&~()[]|+-=<>,;:!'"[static_cast<size_t>(t.kind)]); return;
    case K::Command:
      out.push_back('\\');
      out.append(t.name);
      return;
    case K::RowSep: out.append("\\\\"); return;
    case K::ThinSpace: out.append("\\,"); return;
    case K::MediumSpace: out.append("\\;"); return;
    case K::NegThinSpace: out.append("\\!"); return;
    case K::Char:
    case K::Digit: append_utf8(out, t.ch); return;
    case K::Dot: out.push_back('.'); return;
    case K::Begin:
    case K::End:
      out.append(t.kind == K::Begin ? "\\begin{" : "\\end{");
      out.append(t.name);
      out.push_back('}');
      return;
    case K::Whitespace: out.push_back(' '); return;
    case K::Eof: return;
  }
}

std::optional<std::string> MathParser::read_braced_raw() {
  if (!at(K::LBrace)) return std::nullopt;
  advance();
  std::string text;
  size_t open = 1;
  for (;;) {
    if (at(K::Eof)) return text;  // an unclosed group is not reported
    if (at(K::LBrace)) ++open;
    if (at(K::RBrace) && --open == 0) {
      advance();
      return text;
    }
    append_token_source(text, current_);
    advance();
  }
}

}  // namespace zuv::math

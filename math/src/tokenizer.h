#pragma once
// Math tokens and the cursor that the parser moves over them.
//
// The scanner is a pure function from a byte offset to the token that starts there; the parser
// scans lazily, one token ahead of nothing: the only look-ahead the grammar needs (is the token
// after a full stop a digit?) is one byte, because a digit byte always starts a Digit token. Names
// of commands and environments are views into the source, which outlives the parse, so scanning
// allocates nothing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zuv/stack.h"
#include "zuv/unicode.h"

namespace zuv::math {

enum class MathTokenKind : uint8_t {
  LBrace,
  RBrace,
  Caret,
  Underscore,
  Ampersand,
  Tilde,
  LParen,
  RParen,
  LBracket,
  RBracket,
  Pipe,
  Plus,
  Minus,
  Equals,
  Less,
  Greater,
  Comma,
  Semicolon,
  Colon,
  Bang,
  Prime,
  Command,       // `\name`; payload: the name, possibly empty
  RowSep,        // two backslashes
  ThinSpace,     // `\,`
  MediumSpace,   // `\:` or `\;`
  NegThinSpace,  // `\!`
  Char,          // any other character; payload: the code point
  Digit,         // one ASCII digit; payload: the character
  Dot,           // `.`
  Begin,         // `\begin{name}`; payload: the trimmed name
  End,           // `\end{name}`; payload: the trimmed name
  Whitespace,    // a run of white space, or a backslash and a space
  Eof,           // always last
};

struct MathToken {
  MathTokenKind kind = MathTokenKind::Eof;
  char32_t ch = 0;        // Char and Digit
  std::string_view name;  // Command, Begin and End: a view into the source
  size_t start = 0;       // byte span in the source, end exclusive
  size_t end = 0;

  bool is(MathTokenKind k) const { return kind == k; }
  bool is_command(std::string_view n) const { return kind == MathTokenKind::Command && name == n; }
  bool is_end_of(std::string_view env) const { return kind == MathTokenKind::End && name == env; }
};

// The first index at or after `i` whose byte is not tab, line feed, form feed, carriage return or
// space (the tokenizer's white space), or the length of the source.
size_t skip_source_whitespace(std::string_view source, size_t i);

// The token that starts at byte `i` (`i` <= size; at the end it is Eof).
MathToken scan_math_token(std::string_view source, size_t i);

// The whole token list, Eof last.
std::vector<MathToken> tokenize_math(std::string_view source);

// Appends the UTF-8 form of a code point.

using ::zuv::append_utf8;

// The source form of a token: its own text, but one space for any white space, `\;` for both
// medium spaces and `\begin{name}` / `\end{name}` with braces and the trimmed name.
void append_token_source(std::string& out, const MathToken& token);

// The state of one parse: the source and the current token.
class MathParser {
 public:
  explicit MathParser(std::string_view source)
      : source_(source), current_(scan_math_token(source, 0)) {}

  const MathToken& current() const { return current_; }
  bool at(MathTokenKind k) const { return current_.kind == k; }
  std::string_view source() const { return source_; }

  // Consumes the current token and returns it; at Eof, stays there.
  MathToken advance() {
    MathToken t = current_;
    if (t.kind != MathTokenKind::Eof) current_ = scan_math_token(source_, t.end);
    return t;
  }
  void skip_whitespace() {
    while (current_.kind == MathTokenKind::Whitespace) advance();
  }
  // Whether the current token is a Dot followed straight by a digit.
  bool at_dot_before_digit() const {
    return current_.kind == MathTokenKind::Dot && current_.end < source_.size() &&
           source_[current_.end] >= '0' && source_[current_.end] <= '9';
  }

  // The braced group at the current token rebuilt as text, without its outer braces; nothing
  // (and nothing consumed) when the current token is not `{`. An unclosed group ends at Eof.
  std::optional<std::string> read_braced_raw();

  // Nesting of the atom and group parsers now active.
  size_t depth = 0;
  // The calling thread's stack bound (zuv/stack.h), which the nesting checks compare against.
  std::uintptr_t stack_limit = zuv::stack_limit();

 private:
  std::string_view source_;
  MathToken current_;
};

}  // namespace zuv::math

#include "tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace zuv::math {
namespace {

constexpr std::string_view kKindNames[] = {
    "LBrace",  "RBrace",   "Caret",     "Underscore",  "Ampersand",    "Tilde", "LParen",
    "RParen",  "LBracket", "RBracket",  "Pipe",        "Plus",         "Minus", "Equals",
    "Less",    "Greater",  "Comma",     "Semicolon",   "Colon",        "Bang",  "Prime",
    "Command", "RowSep",   "ThinSpace", "MediumSpace", "NegThinSpace", "Char",  "Digit",
    "Dot",     "Begin",    "End",       "Whitespace",  "Eof"};

// "Kind(payload)start-end" per token, blank-separated; Char and Digit show their UTF-8 form.
std::string describe(std::string_view source) {
  std::string out;
  for (const MathToken& t : tokenize_math(source)) {
    if (!out.empty()) out += ' ';
    out += kKindNames[static_cast<size_t>(t.kind)];
    if (t.is(MathTokenKind::Char) || t.is(MathTokenKind::Digit)) {
      out += '(';
      append_utf8(out, t.ch);
      out += ')';
    } else if (t.is(MathTokenKind::Command) || t.is(MathTokenKind::Begin) ||
               t.is(MathTokenKind::End)) {
      out += '(';
      out += t.name;
      out += ')';
    }
    out += std::to_string(t.start) + "-" + std::to_string(t.end);
  }
  return out;
}

TEST(MathTokenizer, Tokens) {
  const struct {
    std::string_view source;
    std::string tokens;
  } cases[] = {
      {"", "Eof0-0"},
      {"   ", "Whitespace0-3 Eof3-3"},
      {"\t\n\f\r \v", "Whitespace0-5 Char(\v)5-6 Eof6-6"},
      {"{}^_&~()[]|+-=<>,;:!'.",
       "LBrace0-1 RBrace1-2 Caret2-3 Underscore3-4 Ampersand4-5 Tilde5-6 LParen6-7 RParen7-8 "
       "LBracket8-9 RBracket9-10 Pipe10-11 Plus11-12 Minus12-13 Equals13-14 Less14-15 "
       "Greater15-16 Comma16-17 Semicolon17-18 Colon18-19 Bang19-20 Prime20-21 Dot21-22 "
       "Eof22-22"},
      {"12.5", "Digit(1)0-1 Digit(2)1-2 Dot2-3 Digit(5)3-4 Eof4-4"},
      {"x2", "Char(x)0-1 Digit(2)1-2 Eof2-2"},
      {std::string_view("a\0b", 3),
       std::string("Char(a)0-1 Char(") + '\0' + ")1-2 Char(b)2-3 Eof3-3"},
      {"*/?@\"#$%`",
       "Char(*)0-1 Char(/)1-2 Char(?)2-3 Char(@)3-4 Char(\")4-5 Char(#)5-6 "
       "Char($)6-7 Char(%)7-8 Char(`)8-9 Eof9-9"},
      {"\u00e9\u2211", "Char(\u00e9)0-2 Char(\u2211)2-5 Eof5-5"},
      {"\\alpha2", "Command(alpha)0-6 Digit(2)6-7 Eof7-7"},
      {"\\beginning", "Command(beginning)0-10 Eof10-10"},
      {"\\Begin{x}", "Command(Begin)0-6 LBrace6-7 Char(x)7-8 RBrace8-9 Eof9-9"},
      {"\\begin {pmatrix}", "Begin(pmatrix)0-16 Eof16-16"},
      {"\\begin{ a b }", "Begin(a b)0-13 Eof13-13"},
      {"\\begin{\u00a0a\u3000}", "Begin(a)0-14 Eof14-14"},
      {"\\begin{\va\v}", "Begin(a)0-11 Eof11-11"},
      {"\\begin x", "Begin()0-7 Char(x)7-8 Eof8-8"},
      {"\\begin{abc", "Begin(abc)0-10 Eof10-10"},
      {"\\begin{a{b}c", "Begin(a{b)0-11 Char(c)11-12 Eof12-12"},
      {"\\end{}", "End()0-6 Eof6-6"},
      {"\\end\n{matrix}x", "End(matrix)0-13 Char(x)13-14 Eof14-14"},
      {"\\", "Command()0-1 Eof1-1"},
      {"\\{\\}\\|\\5\\#",
       "Command({)0-2 Command(})2-4 Command(|)4-6 Command(5)6-8 "
       "Command(#)8-10 Eof10-10"},
      {"\\\n\\\t", "Command(\n)0-2 Command(\t)2-4 Eof4-4"},
      {"\\\\", "RowSep0-2 Eof2-2"},
      {"\\\\\\", "RowSep0-2 Command()2-3 Eof3-3"},
      {"\\,\\:\\;\\!", "ThinSpace0-2 MediumSpace2-4 MediumSpace4-6 NegThinSpace6-8 Eof8-8"},
      {"\\  x", "Whitespace0-2 Whitespace2-3 Char(x)3-4 Eof4-4"},
      {"\\left.", "Command(left)0-5 Dot5-6 Eof6-6"},
      {"\\\u00e9x", "Command(\u00e9)0-3 Char(x)3-4 Eof4-4"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(describe(c.source), c.tokens) << "source: " << c.source;
  }
}

TEST(MathTokenizer, SourceForm) {
  std::string out;
  for (const MathToken& t : tokenize_math("{}^_&~()[]|+-=<>,;:!'. \t x\u00e9 7\\a\\ \\,\\:\\;\\!"
                                          "\\\\\\begin {m}\\end{ n }\\")) {
    append_token_source(out, t);
  }
  EXPECT_EQ(out, "{}^_&~()[]|+-=<>,;:!'. x\u00e9 7\\a \\,\\;\\;\\!\\\\\\begin{m}\\end{n}\\");
}

TEST(MathCursor, AdvanceStopsAtEof) {
  MathParser p("x");
  EXPECT_EQ(p.advance().kind, MathTokenKind::Char);
  EXPECT_EQ(p.advance().kind, MathTokenKind::Eof);
  EXPECT_EQ(p.advance().kind, MathTokenKind::Eof);
  EXPECT_EQ(p.current().start, 1u);
}

TEST(MathCursor, ReadBracedRaw) {
  const struct {
    std::string_view source;
    std::optional<std::string_view> text;
    MathTokenKind after;
  } cases[] = {
      {"{a {b} \\alpha  c}d", "a {b} \\alpha c", MathTokenKind::Char},
      {"{ab", "ab", MathTokenKind::Eof},
      {"{}", "", MathTokenKind::Eof},
      {" {a}", std::nullopt, MathTokenKind::Whitespace},
      {"a", std::nullopt, MathTokenKind::Char},
  };
  for (const auto& c : cases) {
    MathParser p(c.source);
    const std::optional<std::string> text = p.read_braced_raw();
    EXPECT_EQ(text, c.text) << c.source;
    EXPECT_EQ(p.current().kind, c.after) << c.source;
  }
}

}  // namespace
}  // namespace zuv::math

// Backslash commands: from the name alone `parse_command` decides what to build, then reads the
// command's arguments from the same cursor. Each command keeps its own white-space rule: the
// brace arguments of fractions, accents, fonts and the named constructs must follow at once
// (a blank before them is a missing argument), while `\sqrt`, `\smash`, `\text`, `\mbox`, the
// style commands, big-operator scripts and `\left` / `\right` skip white space first.

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "messages.h"
#include "parser.h"
#include "symbols.h"
#include "zuv/unicode.h"

namespace zuv::math {
namespace {

using K = MathTokenKind;

enum class Construct : uint8_t {
  Frac,
  DFrac,
  TFrac,
  Binom,
  Sqrt,
  Left,
  Right,
  Overline,
  Underline,
  Overbrace,
  Underbrace,
  Overset,
  Underset,
  DisplayStyle,
  TextStyle,
  ScriptStyle,
  ScriptScriptStyle,
  Phantom,
  HPhantom,
  VPhantom,
  Smash,
  Color,
  OperatorName,
  Chem
};

inline constexpr NameEntry<Construct> kConstructs[] = {
    {"binom", Construct::Binom},
    {"ce", Construct::Chem},
    {"color", Construct::Color},
    {"dfrac", Construct::DFrac},
    {"displaystyle", Construct::DisplayStyle},
    {"frac", Construct::Frac},
    {"hphantom", Construct::HPhantom},
    {"left", Construct::Left},
    {"operatorname", Construct::OperatorName},
    {"overbrace", Construct::Overbrace},
    {"overline", Construct::Overline},
    {"overset", Construct::Overset},
    {"phantom", Construct::Phantom},
    {"right", Construct::Right},
    {"scriptscriptstyle", Construct::ScriptScriptStyle},
    {"scriptstyle", Construct::ScriptStyle},
    {"smash", Construct::Smash},
    {"sqrt", Construct::Sqrt},
    {"stackrel", Construct::Overset},
    {"textcolor", Construct::Color},
    {"textstyle", Construct::TextStyle},
    {"tfrac", Construct::TFrac},
    {"underbrace", Construct::Underbrace},
    {"underline", Construct::Underline},
    {"underset", Construct::Underset},
    {"vphantom", Construct::VPhantom},
};
static_assert(sorted_by_name(kConstructs));

// Delimiter commands after `\left` and `\right`; here `\|` is the double bar.
inline constexpr NameEntry<Delimiter> kDelimiterCommands[] = {
    {"Vert", Delimiter::DoublePipe}, {"lVert", Delimiter::DoublePipe}, {"langle", Delimiter::Angle},
    {"lbrace", Delimiter::Brace},    {"lceil", Delimiter::Ceil},       {"lfloor", Delimiter::Floor},
    {"lvert", Delimiter::Pipe},      {"rVert", Delimiter::DoublePipe}, {"rangle", Delimiter::Angle},
    {"rbrace", Delimiter::Brace},    {"rceil", Delimiter::Ceil},       {"rfloor", Delimiter::Floor},
    {"rvert", Delimiter::Pipe},      {"vert", Delimiter::Pipe},        {"{", Delimiter::Brace},
    {"|", Delimiter::DoublePipe},    {"}", Delimiter::Brace},
};
static_assert(sorted_by_name(kDelimiterCommands));

// Every command name in one sorted index, so that the dispatch takes one search. Building it
// at compile time also proves the tables disjoint: a name in two of them fails the build.
enum class CommandClass : uint8_t {
  Space,
  Leading,
  Greek,
  Operator,
  BigOperator,
  Function,
  Font,
  Accent,
  Construct,
  Trailing
};

struct IndexEntry {
  std::string_view name;
  CommandClass cls = CommandClass::Space;
  uint8_t index = 0;  // into the table of its class
};

template <class V, size_t N>
constexpr void add_names(IndexEntry*& out, const NameEntry<V> (&table)[N], CommandClass cls) {
  for (size_t i = 0; i < N; ++i) *out++ = {table[i].name, cls, static_cast<uint8_t>(i)};
}

constexpr size_t kCommandCount = std::size(kSpaceCommands) + std::size(kLeadingSymbols) +
                                 std::size(kGreekLetters) + std::size(kOperatorSymbols) +
                                 std::size(kBigOperatorSymbols) + std::size(kFunctionNames) +
                                 std::size(kFontCommands) + std::size(kAccentKinds) +
                                 std::size(kConstructs) + std::size(kTrailingSymbols);

constexpr std::array<IndexEntry, kCommandCount> kCommandIndex = [] {
  std::array<IndexEntry, kCommandCount> index{};
  IndexEntry* out = index.data();
  add_names(out, kSpaceCommands, CommandClass::Space);
  add_names(out, kLeadingSymbols, CommandClass::Leading);
  add_names(out, kGreekLetters, CommandClass::Greek);
  add_names(out, kOperatorSymbols, CommandClass::Operator);
  add_names(out, kBigOperatorSymbols, CommandClass::BigOperator);
  add_names(out, kFunctionNames, CommandClass::Function);
  add_names(out, kFontCommands, CommandClass::Font);
  add_names(out, kAccentKinds, CommandClass::Accent);
  add_names(out, kConstructs, CommandClass::Construct);
  add_names(out, kTrailingSymbols, CommandClass::Trailing);
  std::sort(index.begin(), index.end(),
            [](const IndexEntry& a, const IndexEntry& b) { return a.name < b.name; });
  return index;
}();

constexpr bool names_unique() {
  for (size_t i = 1; i < kCommandIndex.size(); ++i) {
    if (kCommandIndex[i - 1].name == kCommandIndex[i].name) return false;
  }
  return true;
}
static_assert(names_unique());

const IndexEntry* find_command(std::string_view name) {
  const auto it =
      std::lower_bound(kCommandIndex.begin(), kCommandIndex.end(), name,
                       [](const IndexEntry& e, std::string_view n) { return e.name < n; });
  return it != kCommandIndex.end() && it->name == name ? &*it : nullptr;
}

// How an open delimiter is written back into the raw text of an unclosed `\left`.
constexpr std::array<std::string_view, 9> kDelimiterSources = {
    "(", "[", "\\{", "\\langle", "|", "\\|", "\\lfloor", "\\lceil", "."};

MathExpr boxed_body(MathKind kind, MathExpr body) { return {kind, MathBody{std::move(body)}}; }

MathExpr parse_big_operator(MathParser& p, std::string_view symbol) {
  MathBigOperator big{
      {std::string(symbol), OperatorKind::Large}, LimitsStyle::DisplayLimits, {}, {}};
  read_scripts(p, big.lower, big.upper, ScriptLevel::Own);
  return {MathKind::BigOperator, std::move(big)};
}

// `levels`: what the arguments count beyond the fraction's own level.
MathExpr parse_frac(MathParser& p, FracStyle style, size_t levels = 0) {
  MathExpr numerator = parse_group(p, levels);
  MathExpr denominator = parse_group(p, levels);
  return {MathKind::Frac, MathFrac{std::move(numerator), std::move(denominator), style}};
}

// The items of a `[...]` argument whose `[` is consumed; the `]` is left.
MathList parse_bracket_items(MathParser& p) {
  MathList items;
  for (;;) {
    p.skip_whitespace();
    if (p.at(K::RBracket) || p.at(K::Eof) || p.at(K::RBrace) || p.at(K::End)) return items;
    parse_item(p, items);
  }
}

// The source of a `[...]` argument whose `[` is consumed; the `]` is left.
std::string read_bracket_raw(MathParser& p) {
  std::string text;
  while (!p.at(K::RBracket) && !p.at(K::Eof)) append_token_source(text, p.advance());
  return text;
}

MathExpr parse_sqrt(MathParser& p) {
  p.skip_whitespace();
  MathOptBox index;
  if (p.at(K::LBracket)) {
    p.advance();
    index = finish_row(parse_bracket_items(p));
    if (p.at(K::RBracket)) p.advance();
  }
  MathExpr body = parse_group(p);
  return {MathKind::Sqrt, MathSqrt{std::move(index), std::move(body)}};
}

MathExpr parse_smash(MathParser& p) {
  p.skip_whitespace();
  SmashMode mode = SmashMode::Both;
  if (p.at(K::LBracket)) {
    p.advance();
    const std::string text = read_bracket_raw(p);
    if (p.at(K::RBracket)) p.advance();
    const std::string_view trimmed = trim_unicode_white_space(text);
    if (trimmed == "t") mode = SmashMode::Top;
    if (trimmed == "b") mode = SmashMode::Bottom;
  }
  MathExpr body = parse_group(p);
  return {MathKind::Smash, MathSmash{std::move(body), mode}};
}

// A braced body, or else the rest of the row.
MathExpr parse_style_body(MathParser& p) {
  p.skip_whitespace();
  if (p.at(K::LBrace)) return parse_group(p);
  return parse_finished_row(p);
}

MathExpr parse_style(MathParser& p, MathStyle style) {
  MathExpr body = parse_style_body(p);
  return {MathKind::StyleOverride, MathStyleOverride{style, std::move(body)}};
}

// A delimiter not written as one leaves its token for what follows and stands for none.
Delimiter parse_delimiter(MathParser& p) {
  const MathToken& t = p.current();
  Delimiter d = Delimiter::None;
  if (t.is(K::LParen) || t.is(K::RParen)) {
    d = Delimiter::Paren;
  } else if (t.is(K::LBracket) || t.is(K::RBracket)) {
    d = Delimiter::Bracket;
  } else if (t.is(K::LBrace) || t.is(K::RBrace)) {
    d = Delimiter::Brace;
  } else if (t.is(K::Pipe)) {
    d = Delimiter::Pipe;
  } else if (t.is(K::Command)) {
    d = find_name(kDelimiterCommands, t.name).value_or(Delimiter::None);
  } else if (!t.is(K::Dot)) {
    return Delimiter::None;
  }
  p.advance();
  return d;
}

MathExpr parse_left_right(MathParser& p) {
  p.skip_whitespace();
  const Delimiter open = parse_delimiter(p);
  MathList body = parse_row(p);
  p.skip_whitespace();
  if (!p.current().is_command("right")) {
    // The body is dropped; the token that ended it belongs to the enclosing construct.
    std::string raw = "\\left";
    raw += kDelimiterSources[static_cast<size_t>(open)];
    return MathExpr::error(std::move(raw), std::string(msg::kLeftWithoutRight));
  }
  p.advance();
  p.skip_whitespace();
  const Delimiter close = parse_delimiter(p);
  return {MathKind::Fenced, MathFenced{open, close, std::move(body)}};
}

MathExpr parse_construct(MathParser& p, Construct c) {
  switch (c) {
    case Construct::Frac: return parse_frac(p, FracStyle::Auto);
    case Construct::DFrac: return parse_frac(p, FracStyle::Display);
    case Construct::TFrac: return parse_frac(p, FracStyle::Text);
    case Construct::Binom: {
      // A fence around a fraction: its arguments count the second level.
      MathList body;
      body.push_back(parse_frac(p, FracStyle::Auto, 1));
      return {MathKind::Fenced, MathFenced{Delimiter::Paren, Delimiter::Paren, std::move(body)}};
    }
    case Construct::Sqrt: return parse_sqrt(p);
    case Construct::Left: return parse_left_right(p);
    case Construct::Right: return MathExpr::error("\\right", std::string(msg::kRightWithoutLeft));
    case Construct::Overline: return boxed_body(MathKind::Overline, parse_group(p));
    case Construct::Underline: return boxed_body(MathKind::Underline, parse_group(p));
    case Construct::Overbrace:
      return {MathKind::Overbrace, MathBrace{parse_group(p), std::nullopt}};
    case Construct::Underbrace:
      return {MathKind::Underbrace, MathBrace{parse_group(p), std::nullopt}};
    case Construct::Overset: {
      MathExpr over = parse_group(p);
      MathExpr base = parse_group(p);
      return {MathKind::Overset, MathOverset{std::move(over), std::move(base)}};
    }
    case Construct::Underset: {
      MathExpr under = parse_group(p);
      MathExpr base = parse_group(p);
      return {MathKind::Underset, MathUnderset{std::move(under), std::move(base)}};
    }
    case Construct::DisplayStyle: return parse_style(p, MathStyle::Display);
    case Construct::TextStyle: return parse_style(p, MathStyle::Text);
    case Construct::ScriptStyle: return parse_style(p, MathStyle::Script);
    case Construct::ScriptScriptStyle: return parse_style(p, MathStyle::ScriptScript);
    case Construct::Phantom: return boxed_body(MathKind::Phantom, parse_group(p));
    case Construct::HPhantom: return boxed_body(MathKind::HPhantom, parse_group(p));
    case Construct::VPhantom: return boxed_body(MathKind::VPhantom, parse_group(p));
    case Construct::Smash: return parse_smash(p);
    case Construct::Color: {
      std::string color = math_text_of(parse_group(p));
      MathExpr body = parse_group(p);
      return {MathKind::Color, MathColor{std::move(color), std::move(body)}};
    }
    case Construct::OperatorName:
      return MathExpr::op(math_text_of(parse_group(p)), OperatorKind::Prefix);
    case Construct::Chem: return MathExpr::text_kind(MathKind::Chem, math_text_of(parse_group(p)));
  }
  return MathExpr::row({});
}

// Whether a command's atom opens a level of nesting: the constructs and the commands with a
// body do; symbols, `\text`, `\mbox` and `\right` do not, nor does a big operator, whose
// scripts count their own.
bool opens_level(const IndexEntry* e, std::string_view name) {
  if (e == nullptr) return false;
  switch (e->cls) {
    case CommandClass::Font: return name != "text" && name != "mbox";
    case CommandClass::Accent: return true;
    case CommandClass::Construct: return kConstructs[e->index].value != Construct::Right;
    case CommandClass::Space:
    case CommandClass::Leading:
    case CommandClass::Greek:
    case CommandClass::Operator:
    case CommandClass::BigOperator:
    case CommandClass::Function:
    case CommandClass::Trailing: return false;
  }
  return false;
}

}  // namespace

bool counts_levels(const MathToken& t) {
  if (t.is(K::Begin)) return true;
  return t.is(K::Command) && opens_level(find_command(t.name), t.name);
}

MathExpr parse_command(MathParser& p) {
  const std::string_view name = p.current().name;
  const IndexEntry* e = find_command(name);
  const DepthGuard guard(p, opens_level(e, name) ? 1 : 0);
  if (guard.too_deep()) return skip_too_deep(p, SkipExtent::Row);
  p.advance();
  if (e == nullptr) {
    std::string raw = "\\";
    raw += name;
    std::string message(msg::kUnknownCommand);
    message += raw;
    return MathExpr::error(std::move(raw), std::move(message));
  }
  switch (e->cls) {
    case CommandClass::Space: return MathExpr::space(kSpaceCommands[e->index].value);
    case CommandClass::Leading:
      return MathExpr::ident(std::string(kLeadingSymbols[e->index].value));
    case CommandClass::Greek: return MathExpr::ident(std::string(kGreekLetters[e->index].value));
    case CommandClass::Operator: {
      const OperatorSymbol& o = kOperatorSymbols[e->index].value;
      return MathExpr::op(std::string(o.symbol), o.kind);
    }
    case CommandClass::BigOperator:
      return parse_big_operator(p, kBigOperatorSymbols[e->index].value);
    case CommandClass::Function:
      return MathExpr::op(std::string(kFunctionNames[e->index].value), OperatorKind::Prefix);
    case CommandClass::Font: {
      if (name == "text" || name == "mbox") {
        p.skip_whitespace();
        return MathExpr::text_kind(MathKind::Text, p.read_braced_raw().value_or(std::string()));
      }
      MathExpr body = parse_group(p);
      const MathFont font = kFontCommands[e->index].value;
      return {MathKind::FontOverride, MathFontOverride{font, std::move(body)}};
    }
    case CommandClass::Accent: {
      MathExpr body = parse_group(p);
      return {MathKind::Accent, MathAccent{kAccentKinds[e->index].value, std::move(body)}};
    }
    case CommandClass::Construct: return parse_construct(p, kConstructs[e->index].value);
    case CommandClass::Trailing: {
      const TrailingSymbol& s = kTrailingSymbols[e->index].value;
      if (s.is_binary_operator) return MathExpr::op(std::string(s.text), OperatorKind::Binary);
      return MathExpr::ident(std::string(s.text));
    }
  }
  return MathExpr::row({});
}

std::string math_text_of(const MathExpr& expr) {
  std::string out;
  // Rows nest; an explicit stack keeps the walk off the call stack.
  std::vector<const MathExpr*> pending{&expr};
  while (!pending.empty()) {
    const MathExpr& e = *pending.back();
    pending.pop_back();
    switch (e.kind) {
      case MathKind::Ident:
      case MathKind::Number:
      case MathKind::Text: out += e.as<MathText>().value; break;
      case MathKind::Operator: out += e.as<MathOperator>().symbol; break;
      case MathKind::Space: out += ' '; break;
      case MathKind::Row: {
        const MathList& children = e.as<MathRow>().children;
        for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(&*it);
        break;
      }
      case MathKind::Fenced:
      case MathKind::Superscript:
      case MathKind::Subscript:
      case MathKind::Subsuperscript:
      case MathKind::Frac:
      case MathKind::Sqrt:
      case MathKind::Overline:
      case MathKind::Underline:
      case MathKind::Overbrace:
      case MathKind::Underbrace:
      case MathKind::Overset:
      case MathKind::Underset:
      case MathKind::Accent:
      case MathKind::BigOperator:
      case MathKind::Matrix:
      case MathKind::Cases:
      case MathKind::Array:
      case MathKind::Align:
      case MathKind::Gather:
      case MathKind::Phantom:
      case MathKind::HPhantom:
      case MathKind::VPhantom:
      case MathKind::Smash:
      case MathKind::StyleOverride:
      case MathKind::FontOverride:
      case MathKind::Color:
      case MathKind::Chem:
      case MathKind::Error: break;
    }
  }
  return out;
}

}  // namespace zuv::math

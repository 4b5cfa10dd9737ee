#include "parser.h"

#include <utility>

#include "messages.h"
#include "zuv/limits.h"
#include "zuv/math.h"

namespace zuv {

MathExpr parse_math(std::string_view source) {
  math::MathParser p(source);
  // A stop token at the top level ends the expression; what follows it is not parsed.
  return math::parse_finished_row(p);
}

namespace math {
namespace {

using K = MathTokenKind;

bool is_row_stop(const MathToken& t) {
  return t.is(K::RBrace) || t.is(K::Ampersand) || t.is(K::RowSep) || t.is(K::End) || t.is(K::Eof) ||
         t.is_command("right");
}

}  // namespace

// Past the depth limit, or when the thread's stack runs short, the construct is skipped as one
// error node that keeps its source.
// Braces, fences and environments opened inside it are counted, so each stop token that one of
// them owns is skipped with it and the enclosing constructs still meet their own closers.
// Whatever the atom parser would leave for the caller (`}`, `\end`, the end) is left, and
// everything else consumes at least one token, so each loop that calls here still advances.
MathExpr skip_too_deep(MathParser& p, SkipExtent extent) {
  const MathToken& first = p.current();
  if (first.is(K::RBrace) || first.is(K::End) || first.is(K::Eof)) {
    return MathExpr::error("", std::string(msg::kTooDeep));
  }
  const size_t start = first.start;
  size_t end = start;
  size_t braces = 0, fences = 0, environments = 0;
  for (bool at_first = true;; at_first = false) {
    const MathToken& t = p.current();
    if (t.is(K::Eof)) break;
    if (!at_first) {
      const bool open = braces + fences + environments > 0;
      if ((t.is(K::RBrace) && braces == 0) || (t.is(K::End) && environments == 0) ||
          (t.is_command("right") && fences == 0) ||
          ((t.is(K::Ampersand) || t.is(K::RowSep)) && !open)) {
        break;
      }
    }
    // A closer at zero is the first token (a `\right` read as an atom); it opens nothing.
    if (t.is(K::LBrace)) ++braces;
    if (t.is(K::RBrace) && braces > 0) --braces;
    if (t.is(K::Begin)) ++environments;
    if (t.is(K::End) && environments > 0) --environments;
    if (t.is_command("left")) ++fences;
    if (t.is_command("right") && fences > 0) --fences;
    if (!t.is(K::Whitespace)) end = t.end;
    p.advance();
    if (extent == SkipExtent::Group && braces == 0) break;
  }
  return MathExpr::error(std::string(p.source().substr(start, end - start)),
                         std::string(msg::kTooDeep));
}

namespace {

// The script after a consumed `^` or `_`, one level deeper: a group, or else one atom. An atom
// that counts levels of its own (a command with a body, an environment) stands for the script's
// level, unless the script has a level of its own (`ScriptLevel::Own`).
MathExpr read_script(MathParser& p, ScriptLevel level) {
  p.skip_whitespace();
  if (p.at(K::LBrace)) return parse_group(p, 1);
  const bool own = level == ScriptLevel::Own || !counts_levels(p.current());
  const DepthGuard guard(p, own ? 1 : 0);
  if (guard.too_deep()) return skip_too_deep(p, SkipExtent::Row);
  return parse_atom(p);
}

MathExpr script_without_base(MathParser& p, MathKind kind, std::string_view raw,
                             std::string_view message) {
  p.advance();
  MathExpr base = MathExpr::error(std::string(raw), std::string(message));
  MathExpr script = read_script(p, ScriptLevel::Own);
  return {kind, MathScript{std::move(base), std::move(script)}};
}

// Digits and inner points, never a point first or last; white space ends the number.
MathExpr parse_number(MathParser& p) {
  const size_t start = p.advance().start;
  size_t end = start + 1;
  for (;;) {
    if (p.at(K::Digit)) {
      end = p.advance().end;
    } else if (p.at_dot_before_digit()) {
      p.advance();
    } else {
      break;
    }
  }
  return MathExpr::number(std::string(p.source().substr(start, end - start)));
}

MathExpr operator_token(MathParser& p, OperatorKind kind) {
  const MathToken t = p.advance();
  return MathExpr::op(std::string(p.source().substr(t.start, 1)), kind);
}

}  // namespace

MathList parse_row(MathParser& p) {
  MathList items;
  for (;;) {
    p.skip_whitespace();
    if (is_row_stop(p.current())) return items;
    parse_item(p, items);
  }
}

MathExpr parse_finished_row(MathParser& p, size_t* count) {
  // Most rows (groups, scripts, arguments) hold one item, which needs no list.
  MathExpr first;
  bool have_first = false;
  MathList items;
  for (;;) {
    p.skip_whitespace();
    if (is_row_stop(p.current())) break;
    if (!have_first) {
      first = parse_atom(p);
      parse_scripts(p, first);
      have_first = true;
      continue;
    }
    if (items.empty()) {
      items.reserve(4);
      items.push_back(std::move(first));
    }
    parse_item(p, items);
  }
  if (count != nullptr) *count = items.empty() ? (have_first ? 1 : 0) : items.size();
  if (!items.empty()) return MathExpr::row(std::move(items));
  return first;  // the empty row when there is no item
}

void parse_item(MathParser& p, MathList& items) {
  items.push_back(parse_atom(p));
  parse_scripts(p, items.back());
}

MathExpr finish_row(MathList items) {
  if (items.size() == 1) return std::move(items.front());
  return MathExpr::row(std::move(items));
}

MathExpr parse_atom(MathParser& p) {
  p.skip_whitespace();
  const MathToken& t = p.current();
  switch (t.kind) {
    case K::LBrace: return parse_group(p, 1);
    case K::Caret:
      return script_without_base(p, MathKind::Superscript, "^", msg::kCaretWithoutBase);
    case K::Underscore:
      return script_without_base(p, MathKind::Subscript, "_", msg::kUnderscoreWithoutBase);
    case K::Ampersand: p.advance(); return MathExpr::error("&", std::string(msg::kStrayAmpersand));
    case K::RowSep:
      p.advance();
      return MathExpr::error("\\\\", std::string(msg::kStrayRowSeparator));
    case K::Command: return parse_command(p);
    case K::Begin: {
      // Rows and cells put up to five dict-form levels between an environment and its items,
      // so an environment counts as two levels.
      const DepthGuard guard(p, 2);
      if (guard.too_deep()) return skip_too_deep(p, SkipExtent::Row);
      const std::string_view name = p.advance().name;
      return parse_environment(p, name);
    }
    case K::Tilde:
    case K::ThinSpace: p.advance(); return MathExpr::space(SpaceKind::Thin);
    case K::MediumSpace: p.advance(); return MathExpr::space(SpaceKind::Medium);
    case K::NegThinSpace: p.advance(); return MathExpr::space(SpaceKind::NegThin);
    case K::LParen:
    case K::LBracket: return operator_token(p, OperatorKind::Prefix);
    case K::RParen:
    case K::RBracket:
    case K::Bang: return operator_token(p, OperatorKind::Postfix);
    case K::Pipe:
    case K::Plus:
    case K::Minus: return operator_token(p, OperatorKind::Binary);
    case K::Equals:
    case K::Less:
    case K::Greater: return operator_token(p, OperatorKind::Relation);
    case K::Comma:
    case K::Semicolon:
    case K::Colon: return operator_token(p, OperatorKind::Punctuation);
    case K::Prime: p.advance(); return MathExpr::ident("\u2032");
    case K::Char: {
      std::string value;
      append_utf8(value, p.advance().ch);
      return MathExpr::ident(std::move(value));
    }
    case K::Digit: return parse_number(p);
    case K::Dot: p.advance(); return MathExpr::number(".");
    case K::RBrace:
    case K::End:
    case K::Eof: return MathExpr::error("", std::string(msg::kUnexpectedEnd));
    case K::Whitespace: break;  // skipped above
  }
  return MathExpr::error("", std::string(msg::kUnexpectedEnd));
}

void read_scripts(MathParser& p, MathOptBox& sub, MathOptBox& sup, ScriptLevel level) {
  for (int pass = 0; pass < 2; ++pass) {
    p.skip_whitespace();
    MathOptBox* slot = p.at(K::Caret) ? &sup : p.at(K::Underscore) ? &sub : nullptr;
    // A second script of one kind stays for the row, where it has no base.
    if (slot == nullptr || slot->has_value()) return;
    p.advance();
    *slot = read_script(p, level);
  }
}

void parse_scripts(MathParser& p, MathExpr& base) {
  MathOptBox sub, sup;
  read_scripts(p, sub, sup, ScriptLevel::Shared);
  if (sub && sup) {
    base = {MathKind::Subsuperscript,
            MathSubsup{std::move(base), std::move(*sub), std::move(*sup)}};
  } else if (sup) {
    base = {MathKind::Superscript, MathScript{std::move(base), std::move(*sup)}};
  } else if (sub) {
    base = {MathKind::Subscript, MathScript{std::move(base), std::move(*sub)}};
  }
}

MathExpr parse_group(MathParser& p, size_t levels) {
  if (!p.at(K::LBrace)) return MathExpr::error("", std::string(msg::kExpectedGroup));
  const DepthGuard guard(p, levels);
  if (guard.too_deep()) return skip_too_deep(p, SkipExtent::Group);
  p.advance();
  size_t count = 0;
  MathExpr items = parse_finished_row(p, &count);
  if (p.at(K::RBrace)) {
    p.advance();
    return items;
  }
  // The items are dropped; the token that stopped the row belongs to the enclosing construct.
  std::string raw = "{";
  for (size_t i = 0; i < count; ++i) raw += "...";
  return MathExpr::error(std::move(raw), std::string(msg::kUnmatchedBrace));
}

}  // namespace math
}  // namespace zuv

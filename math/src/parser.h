#pragma once
// The recursive-descent core of the math parser and the entry points of its command and
// environment readers, which call back into it.
//
// A row reads atoms, each with its scripts, until a token that some enclosing construct owns:
// `}`, `&`, `\\`, `\end{...}`, `\right` or the end. Nothing here fails: a fault becomes an error
// node in place and the parse goes on at the first token not consumed.
//
// Depth counts nesting levels as the source nests them: a brace group, a script, and a command
// with a body (a fraction, a root, a fence, an accent, a font, a style, ...) each open one;
// `\binom` and environments open two, as they add twice the dict-form levels; symbols open none.
// The check comes before the opening token is consumed, so a construct past kMaxMathDepth is
// skipped whole as one error node (`skip_too_deep`). Each level adds at most four levels to
// the dict form (a superscript around a fraction, its numerator row and the row's children).
//
// Every recursion passes through `parse_group` or a `DepthGuard` of the construct that recurses
// (a script, a command with a body, an environment), and each of them checks the stack, the
// arguments of a construct too (they count no level of their own).

#include <string>
#include <string_view>

#include "tokenizer.h"
#include "zuv/limits.h"
#include "zuv/math_tree.h"
#include "zuv/stack.h"

namespace zuv::math {

// Items up to the token that stops the row, which stays unconsumed.
MathList parse_row(MathParser& p);
// No item: the empty row; one item: itself; more: a row of them.
MathExpr finish_row(MathList items);
// `finish_row(parse_row(p))` without a list for a single item; `count` gets the item count.
MathExpr parse_finished_row(MathParser& p, size_t* count = nullptr);
// One atom without its scripts.
MathExpr parse_atom(MathParser& p);
// Wraps `base` in place with at most one superscript and one subscript that follow.
void parse_scripts(MathParser& p, MathExpr& base);
// Appends one atom with its scripts.
void parse_item(MathParser& p, MathList& items);
// The braced group at the current token, counting `levels` of nesting: one for a group of its
// own (a bare group, a script), none for the argument of a construct that has counted; a group
// adds no node of its own.
MathExpr parse_group(MathParser& p, size_t levels = 0);

// Counts `levels` of nesting for as long as it lives; zero levels check only the stack.
class DepthGuard {
 public:
  DepthGuard(MathParser& p, size_t levels) : p_(p), levels_(levels) { p_.depth += levels_; }
  ~DepthGuard() { p_.depth -= levels_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
  bool too_deep() const { return p_.depth > kMaxMathDepth || stack_is_short(p_.stack_limit); }

 private:
  MathParser& p_;
  size_t levels_;
};

enum class SkipExtent : uint8_t {
  Row,    // an atom: everything up to the next stop token that no skipped construct owns
  Group,  // a group: up to its matching `}`
};

// The construct at the current token, unconsumed, as one error node "math nesting too deep"
// that keeps its source.
MathExpr skip_too_deep(MathParser& p, SkipExtent extent);

// How a script counts: one level of its own, or (`Shared`) none where its atom counts its own
// (a command with a body, an environment), as in `x^\sqrt{y}`, whose script node is then the one
// node around that atom. The scripts of a big operator or of a missing base count their own, as
// a script node can wrap their node in turn.
enum class ScriptLevel : uint8_t { Shared, Own };

// Reads at most one `^` and one `_` script, in either order, into the absent slots.
void read_scripts(MathParser& p, MathOptBox& sub, MathOptBox& sup, ScriptLevel level);

// Called at the Command token, which it consumes after its depth check (commands.cpp).
MathExpr parse_command(MathParser& p);
// Whether the atom at `t` counts levels of its own: a command with a body or an environment.
bool counts_levels(const MathToken& t);
// Called right after the Begin token (environments.cpp).
MathExpr parse_environment(MathParser& p, std::string_view name);

// The plain text of an already parsed argument: idents, numbers, texts and operator symbols
// joined, one space per space node, nothing for any other kind.
std::string math_text_of(const MathExpr& expr);

}  // namespace zuv::math

#pragma once
// The recursive-descent core of the math parser and the entry points of its command and
// environment readers, which call back into it.
//
// A row reads atoms, each with its scripts, until a token that some enclosing construct owns:
// `}`, `&`, `\\`, `\end{...}`, `\right` or the end. Nothing here fails: a fault becomes an error
// node in place and the parse goes on at the first token not consumed.
//
// Depth: every recursion passes through `parse_atom` or `parse_group` (the cycle group, row,
// scripts, group never enters `parse_atom`), so both count their nesting. Past kMaxMathDepth the
// construct at hand is skipped as one error node (see `skip_too_deep` in parser.cpp).

#include <string>
#include <string_view>

#include "tokenizer.h"
#include "zuv/math_tree.h"

namespace zuv::math {

// Items up to the token that stops the row, which stays unconsumed.
MathList parse_row(MathParser& p);
// No item: the empty row; one item: itself; more: a row of them.
MathExpr finish_row(MathList items);
// One atom without its scripts.
MathExpr parse_atom(MathParser& p);
// `base`, or `base` wrapped with at most one superscript and one subscript.
MathExpr parse_scripts(MathParser& p, MathExpr base);
// The braced group at the current token; a group adds no node of its own.
MathExpr parse_group(MathParser& p);

// Reads at most one `^` and one `_` script, in either order, into the absent slots.
void read_scripts(MathParser& p, MathOptBox& sub, MathOptBox& sup);

// Called right after the Command token (commands.cpp).
MathExpr parse_command(MathParser& p, std::string_view name);
// Called right after the Begin token (environments.cpp).
MathExpr parse_environment(MathParser& p, std::string_view name);

// The plain text of an already parsed argument: idents, numbers, texts and operator symbols
// joined, one space per space node, nothing for any other kind.
std::string math_text_of(const MathExpr& expr);

}  // namespace zuv::math

#pragma once
// The math expression parser: LaTeX-style math source in, one math tree out.
//
// The source is the text between the dollar signs of inline math, or the body of a display
// block, without its delimiters. The result is one expression: a single item stands alone, two
// or more form a row, and nothing gives the empty row.
//
// - Never fails. Each fault (a script without a base, an unknown command or environment, a group
//   or `\left` left open, an argument that is not a brace group, ...) becomes an error kind in
//   place, holding the faulty source in `raw` and its message, and the parse goes on after it.
// - A `}`, `&`, `\\`, `\end{...}` or `\right` that stands at the top level ends the expression:
//   that token and everything after it are not part of the tree, and no error records them. The
//   caller keeps the whole source (the `raw` of its math node), so nothing is lost.
// - Nesting is bounded: kMaxMathDepth (zuv/limits.h) levels parse, where each brace group,
//   script and command with a body (fraction, root, fence, accent, font, style, ...) is a level,
//   `\binom` and each environment two, and a script written as one such command without braces
//   (`x^\sqrt{y}`) is that command's level; the construct that opens the next level becomes one
//   error node "math nesting too deep" whose `raw` is its source, and the parse goes on after
//   it. Each level adds at most four levels to the dict form, so the tree stays shallow enough
//   for every pass over it.
// - Linear in the length of the source; reads nothing but its argument.

#include <string_view>

#include "zuv/math_tree.h"

namespace zuv {

MathExpr parse_math(std::string_view source);

}  // namespace zuv

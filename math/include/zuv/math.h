#pragma once
// The math expression parser: LaTeX-style math source in, one math tree out.

#include <string_view>

#include "zuv/math_tree.h"

namespace zuv {

// Never fails: each problem met becomes an error kind inside the tree.
MathExpr parse_math(std::string_view source);

}  // namespace zuv

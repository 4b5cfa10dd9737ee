// Limits that keep the engine linear on hostile input. Each names the quadratic (or unbounded)
// behaviour it prevents.
#pragma once

#include <cstddef>

namespace zuv::markdown {

// Nesting of unescaped parentheses in a link destination (CommonMark allows any limit of at
// least 3); deeper nesting is not a destination. Keeps failed destination scans short.
constexpr std::size_t kLinkMaxNestedParens = 32;

// Empty cells added to pad short table rows, in the whole text: at least this many, at most
// one per byte of the text. A head of n columns over n short rows would otherwise make n^2
// cells out of 2n bytes. Past the budget a short row ends its table.
constexpr std::size_t kMinAutocompletedCells = std::size_t{1} << 16;

// A link label holds fewer than this many characters counted as white space, escapes and
// non-ASCII bytes (CommonMark: at most 999 characters); bounds every failed label scan.
constexpr std::size_t kLinkLabelMaxCodepoints = 1000;

// Bytes of destination and title that reference links may copy out of their definitions,
// at least: the text's own length. One long definition used by many references would make
// the output quadratic in the input; past the budget, references stay text.
constexpr std::size_t kMinLinkRefExpansion = 100000;

// The nesting limit of the event stream, kMaxContainerDepth, is part of the contract: see
// zuv/markdown.h.

}  // namespace zuv::markdown

#pragma once
// Nesting limits of the whole system.
//
// Every tree here is recursive, and so is every pass over one: the parsers, the writers and
// readers of the dict form, the walks, the Python conversions and the destructors all go one C++
// frame (or a few) deeper per nesting level. Hostile input can nest without end, so each input
// that can create depth enforces one of these limits and reports an error value when it is
// reached; the passes behind it may then recurse freely. The values are chosen so that the
// deepest tree the parsers can build, walked by the most stack-hungry pass, stays well inside a
// thread with 1 MiB of stack. A thread may have far less (a host can ask for 32 KiB), so the
// parsers and readers also stop where the thread's stack runs short (zuv/stack.h).

#include <cstddef>

namespace zuv {

// Document nesting: components inside components plus Markdown containers (block quotes, lists,
// emphasis, links, ...) on the way down to a node. Each level costs the tree passes a few
// hundred bytes of stack; 128 levels stay under 128 KiB for any of them, while no real
// document nests even a tenth as deep. The parser holds every tree it returns to it, also
// where nodes move into other containers after they were read (parser/src/nesting.h), so the
// passes over a parsed tree rely on it without checks of their own.
inline constexpr std::size_t kMaxDocumentDepth = 128;

// Math nesting, in levels as the source nests them: a brace group, a script and a command with a
// body (a fraction, a root, a fence, ...) are one each, `\binom` and environments two, symbols
// none; 128 levels parse and the 129th is an error node. Each level adds at most four JSON
// levels to the dict form (a script around a fraction, its numerator row and the row's
// children), the innermost item three more.
inline constexpr std::size_t kMaxMathDepth = 128;

// Nesting of JSON values crossing the Python boundary and read back into trees. It has to hold
// everything the parser can produce: two JSON levels per document level, four per math level,
// JSON attributes (128 levels) and front matter, with room to spare (the deepest document around
// the deepest formula is under 800 levels).
inline constexpr std::size_t kMaxValueDepth = 1024;

}  // namespace zuv

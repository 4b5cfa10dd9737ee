// Unicode data for the engine, generated into unicode_table.cpp by tools/gen_tables.py.
#pragma once

#include <cstddef>

namespace zuv::markdown::unicode_table {

struct CodeRange {
  char32_t lo, hi;  // inclusive
};

// A code point and what it folds to: one to three code points, unused ones zero.
struct CaseFold {
  char32_t from;
  char32_t to[3];
};

extern const CodeRange kPunctuation[];
extern const std::size_t kPunctuationSize;
extern const CodeRange kWhiteSpace[];
extern const std::size_t kWhiteSpaceSize;
extern const CaseFold kCaseFold[];
extern const std::size_t kCaseFoldSize;

}  // namespace zuv::markdown::unicode_table

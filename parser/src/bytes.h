#pragma once
// Byte classes and forward searches shared by the readers of the document layer.

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "zuv/ascii.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zuv::parser {

inline constexpr size_t npos = std::string_view::npos;

constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }
constexpr bool is_name_byte(char c) { return is_ascii_alnum(c) || c == '_'; }

// Index of the first `c` in `text` at or after `from`, or npos.
inline size_t find_byte(std::string_view text, char c, size_t from) {
  if (from >= text.size()) return npos;
  const void* hit = std::memchr(text.data() + from, c, text.size() - from);
  return hit == nullptr ? npos : static_cast<size_t>(static_cast<const char*>(hit) - text.data());
}

// Index of the first byte at or after `from` that is one of `Set`, or text.size(). Plain text
// between markers is long, so it is passed over sixteen bytes at a time where the processor
// allows.
template <char... Set>
inline constexpr std::array<bool, 256> kByteSet = [] {
  std::array<bool, 256> t{};
  ((t[static_cast<unsigned char>(Set)] = true), ...);
  return t;
}();

template <char... Set>
size_t find_any_byte(std::string_view text, size_t from) {
  const size_t n = text.size();
#if defined(__SSE2__)
  if (n >= 16) {
    // One bit per byte of text[at, at + 16) that is in the set.
    auto matches = [&](size_t at) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
      __m128i hit = _mm_setzero_si128();
      ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, _mm_set1_epi8(Set)))), ...);
      return static_cast<unsigned>(_mm_movemask_epi8(hit));
    };
    for (; from + 16 <= n; from += 16) {
      if (const unsigned mask = matches(from); mask != 0) {
        return from + static_cast<size_t>(__builtin_ctz(mask));
      }
    }
    if (from == n) return n;
    // The last sixteen bytes, of which those before `from` are already known to miss.
    const unsigned mask = matches(n - 16) >> (from - (n - 16));
    return mask != 0 ? from + static_cast<size_t>(__builtin_ctz(mask)) : n;
  }
#endif
  while (from < n && !kByteSet<Set...>[static_cast<unsigned char>(text[from])]) ++from;
  return from;
}

// The index just after the line that holds `i`: after its line feed, or the end of the text.
inline size_t line_after(std::string_view text, size_t i) {
  size_t lf = find_byte(text, '\n', i);
  return lf == npos ? text.size() : lf + 1;
}

// The end of the line that holds `i`: the index of its line feed, or the end of the text.
inline size_t line_end(std::string_view text, size_t i) {
  size_t lf = find_byte(text, '\n', i);
  return lf == npos ? text.size() : lf;
}

// True when everything from `i` to the end of its line is space, tab or carriage return.
inline bool rest_of_line_empty(std::string_view text, size_t i) {
  for (; i < text.size() && text[i] != '\n'; ++i) {
    if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r') return false;
  }
  return true;
}

inline size_t skip_blanks(std::string_view text, size_t i) {
  while (i < text.size() && is_blank(text[i])) ++i;
  return i;
}

// The content of a quoted text whose opening quote `q` has been passed: a backslash before `q`
// or before a backslash gives that byte alone; a backslash before any other character stays
// with it; a backslash as the very last byte of `body` is an ordinary byte.
inline std::string unescape_quoted(std::string_view body, char q) {
  std::string out;
  out.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    if (c == '\\' && i + 1 < body.size() && (body[i + 1] == q || body[i + 1] == '\\')) {
      out.push_back(body[++i]);
    } else {
      // Any other escaped character is kept with its backslash; copying byte by byte keeps
      // a multi-byte character whole.
      out.push_back(c);
      if (c == '\\' && i + 1 < body.size()) out.push_back(body[++i]);
    }
  }
  return out;
}

// The index of the quote `q` that closes a quoted text whose content starts at `from` (the byte
// before `from` being the opening quote), or npos: the first `q` not taken by a backslash pair.
// It does not depend on where the content starts, only on the backslashes just before each
// quote, so callers may cache it.
inline size_t find_closing_quote(std::string_view text, char q, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;  // the pair is consumed whatever follows
    } else if (text[i] == q) {
      return i;
    }
  }
  return npos;
}

// Calls `fn(piece, index)` for every piece of `text` split at each `sep` (an empty text is one
// empty piece); stops early when `fn` returns false.
template <class Fn>
void for_each_piece(std::string_view text, char sep, Fn fn) {
  size_t from = 0;
  for (size_t index = 0;; ++index) {
    size_t at = find_byte(text, sep, from);
    if (!fn(text.substr(from, at == npos ? npos : at - from), index) || at == npos) return;
    from = at + 1;
  }
}

// A forward search that remembers its last answer: a search from an index that the last one
// passed over gives the same answer without looking again. A reader that repeats "the first X
// after i" from every marker of a hostile text stays linear this way. The finder must give, from
// any index between a search's start and its answer, that same answer (true of `find_byte`, and
// of `find_closing_quote` as long as every start follows an opening quote).
class ForwardSearch {
 public:
  using Finder = size_t (*)(std::string_view, char, size_t);

  ForwardSearch(std::string_view text, char byte, Finder finder = &find_byte)
      : text_(text), finder_(finder), byte_(byte) {}

  size_t find(size_t from) {
    if (searched_ && from >= from_ && (found_ == npos || from <= found_)) return found_;
    searched_ = true;
    from_ = from;
    found_ = finder_(text_, byte_, from);
    return found_;
  }

 private:
  std::string_view text_;
  Finder finder_;
  char byte_;
  bool searched_ = false;
  size_t from_ = 0;
  size_t found_ = npos;
};

}  // namespace zuv::parser

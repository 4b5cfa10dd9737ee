#include "code_points.h"

#include <algorithm>

#include "unicode_table.h"

namespace zuv::markdown {
namespace {

using unicode_table::CodeRange;

bool in_ranges(const CodeRange* ranges, std::size_t size, char32_t cp) {
  const CodeRange* end = ranges + size;
  const CodeRange* it =
      std::upper_bound(ranges, end, cp, [](char32_t c, const CodeRange& r) { return c < r.lo; });
  return it != ranges && cp <= (it - 1)->hi;
}

bool is_continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of a well-formed UTF-8 sequence starting with `lead`, 0 when `lead` cannot start one.
int sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Decodes the sequence at `pos`; sets `len` to the bytes used (1 for a malformed byte).
char32_t decode(std::string_view text, std::size_t pos, int& len) {
  auto lead = static_cast<unsigned char>(text[pos]);
  len = 1;
  int n = sequence_length(lead);
  if (n == 1) return lead;
  if (n == 0 || pos + static_cast<std::size_t>(n) > text.size()) return kReplacementChar;
  char32_t cp = lead & (0x7F >> n);
  for (int i = 1; i < n; ++i) {
    auto b = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
    if (!is_continuation(b)) return kReplacementChar;
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms and surrogates are malformed.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    return kReplacementChar;
  }
  len = n;
  return cp;
}

}  // namespace

char32_t decode_at(std::string_view text, std::size_t pos) {
  int len;
  return decode(text, pos, len);
}

char32_t decode_before(std::string_view text, std::size_t pos) {
  // Walk back over at most three continuation bytes to a lead byte whose sequence ends at pos.
  std::size_t start = pos - 1;
  for (int back = 0;
       back < 3 && start > 0 && is_continuation(static_cast<unsigned char>(text[start])); ++back) {
    --start;
  }
  int len;
  char32_t cp = decode(text, start, len);
  if (start + static_cast<std::size_t>(len) == pos) return cp;
  auto last = static_cast<unsigned char>(text[pos - 1]);
  return last < 0x80 ? last : kReplacementChar;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool is_punctuation(char32_t cp) {
  if (cp < 0x80) {
    return (cp >= 0x21 && cp <= 0x2F) || (cp >= 0x3A && cp <= 0x40) || (cp >= 0x5B && cp <= 0x60) ||
           (cp >= 0x7B && cp <= 0x7E);
  }
  return in_ranges(unicode_table::kPunctuation, unicode_table::kPunctuationSize, cp);
}

bool is_white_space(char32_t cp) {
  if (cp < 0x80) return cp == ' ' || (cp >= 0x09 && cp <= 0x0D);
  return in_ranges(unicode_table::kWhiteSpace, unicode_table::kWhiteSpaceSize, cp);
}

void append_case_folded(std::string& out, std::string_view text) {
  using unicode_table::CaseFold;
  const CaseFold* begin = unicode_table::kCaseFold;
  const CaseFold* end = begin + unicode_table::kCaseFoldSize;
  std::size_t pos = 0;
  while (pos < text.size()) {
    auto b = static_cast<unsigned char>(text[pos]);
    if (b < 0x80) {
      out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
      ++pos;
      continue;
    }
    int len;
    char32_t cp = decode(text, pos, len);
    const CaseFold* it =
        std::lower_bound(begin, end, cp, [](const CaseFold& f, char32_t c) { return f.from < c; });
    if (it != end && it->from == cp) {
      for (char32_t to : it->to) {
        if (to != 0) append_utf8(out, to);
      }
    } else {
      out.append(text.substr(pos, static_cast<std::size_t>(len)));
    }
    pos += static_cast<std::size_t>(len);
  }
}

}  // namespace zuv::markdown

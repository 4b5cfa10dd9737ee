#include "code_meta.h"

#include <algorithm>

#include "bytes.h"
#include "zuv/unicode.h"

namespace zuv::parser {

namespace {

// Values one highlight list may hold. A range such as {1-4000000000} asks for billions of
// values; a list beyond this many is a fault like any other, and its text stays a word.
constexpr uint64_t kMaxHighlightValues = 65536;

// Removes leading Unicode white space from `s`.
std::string_view trim_start(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    size_t len = 0;
    if (!is_unicode_white_space(decode_utf8(s, i, len))) break;
    i += len;
  }
  return s.substr(i);
}

// An optional "+" and one or more ASCII digits, at most 4294967295.
std::optional<uint32_t> parse_line_number(std::string_view s) {
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    if (!is_ascii_digit(c)) return std::nullopt;
    v = v * 10 + static_cast<uint64_t>(c - '0');
    if (v > UINT32_MAX) return std::nullopt;
  }
  return static_cast<uint32_t>(v);
}

// Calls `fn(a, b)` for every piece of a highlight list (the text between `{` and the first `}`),
// each a range a..b or a single number a = b; false on the first piece that is not a number.
template <class Fn>
bool for_each_highlight_range(std::string_view braced, Fn fn) {
  bool ok = true;
  for_each_piece(braced, ',', [&](std::string_view raw_piece, size_t) {
    std::string_view piece = trim_unicode_white_space(raw_piece);
    if (piece.empty()) return true;
    size_t dash = piece.find('-');
    std::optional<uint32_t> a, b;
    if (dash == npos) {
      a = b = parse_line_number(piece);
    } else {
      a = parse_line_number(trim_unicode_white_space(piece.substr(0, dash)));
      b = parse_line_number(trim_unicode_white_space(piece.substr(dash + 1)));
    }
    if (!a || !b) return ok = false;
    return fn(*a, *b);
  });
  return ok;
}

// The number of values the highlight list `braced` adds, repeats counted; none on any fault,
// when it comes out empty, or when it would add more than kMaxHighlightValues. Only counts: of
// the lists of one info string only the last one read is kept, so only that one is expanded.
std::optional<uint64_t> highlight_count(std::string_view braced) {
  // Give up at the first character no list can hold, before any piece is cut: the text may run
  // far (to the first `}`), and every later item that starts with `{` would cut it again.
  for (size_t i = 0; i < braced.size();) {
    size_t len = 0;
    char32_t c = decode_utf8(braced, i, len);
    if (!(c == ',' || c == '+' || c == '-' || (c >= '0' && c <= '9') ||
          is_unicode_white_space(c))) {
      return std::nullopt;
    }
    i += len;
  }
  uint64_t count = 0;
  const bool ok = for_each_highlight_range(braced, [&](uint32_t a, uint32_t b) {
    if (a <= b) count += uint64_t{b} - a + 1;  // an empty range is no fault
    return count <= kMaxHighlightValues;
  });
  if (!ok || count == 0 || count > kMaxHighlightValues) return std::nullopt;
  return count;
}

// The values of a list that `highlight_count` accepted, ascending and without repeats, cut to
// the `keep` smallest.
std::vector<uint32_t> highlight_values(std::string_view braced, size_t keep) {
  std::vector<uint32_t> values;
  for_each_highlight_range(braced, [&](uint32_t a, uint32_t b) {
    for (uint64_t v = a; v <= b; ++v) values.push_back(static_cast<uint32_t>(v));
    return true;
  });
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  if (values.size() > keep) values.resize(keep);
  return values;
}

bool switch_word(std::string_view rest, std::string_view word) {
  if (rest.substr(0, word.size()) != word) return false;
  return rest.size() == word.size() || rest[word.size()] == ' ' || rest[word.size()] == '\t';
}

}  // namespace

std::optional<std::pair<std::string, size_t>> read_quoted_value(std::string_view s) {
  if (s.empty() || (s[0] != '"' && s[0] != '\'')) return std::nullopt;
  const char q = s[0];
  size_t close = find_closing_quote(s, q, 1);
  if (close == npos) return std::nullopt;
  return std::pair{unescape_quoted(s.substr(1, close - 1), q), close + 1};
}

namespace {

// `name` (such as "title=") and a quoted value at the start of `rest`: stores the value, replacing
// an earlier one, and consumes both.
bool read_named_value(std::string_view& rest, std::string_view name,
                      std::optional<std::string>& into) {
  if (rest.substr(0, name.size()) != name) return false;
  auto v = read_quoted_value(rest.substr(name.size()));
  if (!v) return false;
  into = std::move(v->first);
  rest.remove_prefix(name.size() + v->second);
  return true;
}

}  // namespace

CodeMeta parse_code_meta(std::string_view metadata, HighlightBudget& budget) {
  CodeMeta out;
  std::vector<std::string_view> words;
  bool recognised = false;
  // The list that is kept (the last one read) and the values it adds.
  std::string_view kept_list;
  uint64_t kept_count = 0;
  std::string_view rest = trim_unicode_white_space(metadata);
  const std::string_view all = rest;
  // The first `}` of the metadata from a given place; remembered, as many items may ask.
  ForwardSearch close_brace(all, '}');
  while (true) {
    rest = trim_start(rest);
    if (rest.empty()) break;
    if (read_named_value(rest, "title=", out.title) ||
        read_named_value(rest, "caption=", out.caption)) {
      recognised = true;
      continue;
    }
    if (rest[0] == '{') {
      const size_t at = static_cast<size_t>(rest.data() - all.data());
      size_t close = close_brace.find(at);
      // Once the document's budget is spent, a list is not read, as a list past the limit.
      if (close != npos && budget.left() > 0) {
        const std::string_view braced = all.substr(at + 1, close - at - 1);
        if (std::optional<uint64_t> count = highlight_count(braced)) {
          kept_list = braced;
          kept_count = *count;
          rest = all.substr(close + 1);
          recognised = true;
          continue;
        }
      }
    }
    if (switch_word(rest, "showLineNumbers")) {
      out.showLineNumbers = true;
      rest.remove_prefix(15);
      recognised = true;
      continue;
    }
    if (switch_word(rest, "diff")) {
      out.diff = true;
      rest.remove_prefix(4);
      recognised = true;
      continue;
    }
    size_t w = 0;
    while (w < rest.size() && !is_ascii_space(rest[w])) ++w;
    words.push_back(rest.substr(0, w));
    rest.remove_prefix(w);
  }
  if (!recognised) {
    out = CodeMeta{};
    out.meta = std::string(metadata);
    return out;
  }
  if (kept_count > 0) {
    out.highlight = highlight_values(kept_list, static_cast<size_t>(budget.take(kept_count)));
  }
  if (!words.empty()) {
    std::string joined;
    for (size_t i = 0; i < words.size(); ++i) {
      if (i > 0) joined.push_back(' ');
      joined += words[i];
    }
    out.meta = std::move(joined);
  }
  return out;
}

CodeMeta parse_code_meta(std::string_view metadata) {
  HighlightBudget budget(metadata.size());
  return parse_code_meta(metadata, budget);
}

}  // namespace zuv::parser

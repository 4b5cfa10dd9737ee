#include "link_label.h"

#include "code_points.h"

namespace zuv::markdown {
namespace {

bool is_trimmed_space(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

std::string trimmed(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (e > b && is_trimmed_space(s[e - 1])) --e;
  while (b < e && is_trimmed_space(s[b])) ++b;
  return std::string(s.substr(b, e - b));
}

}  // namespace

std::optional<ScannedLabel> scan_link_label_rest(std::string_view text,
                                                 LineBreakHandler on_line_break, bool in_table) {
  std::size_t ix = 0;
  bool only_white_space = true;
  std::size_t codepoints = 0;
  std::string label;
  std::size_t mark = 0;
  for (;;) {
    if (codepoints >= kLinkLabelMaxCodepoints || ix >= text.size()) return std::nullopt;
    auto b = byte_at(text, ix);
    if (b == '[') return std::nullopt;
    if (b == ']') break;
    if (b == '|' && in_table && ix != 0 && text[ix - 1] == '\\') {
      // An escaped backslash before the pipe: the cell split kept the pipe for us.
      label.append(text.substr(mark, ix - 1 - mark));
      label += '|';
      ++ix;
      only_white_space = false;
      mark = ix;
    } else if (b == '\\' && in_table && ix + 1 < text.size() && text[ix + 1] == '|') {
      label.append(text.substr(mark, ix - mark));
      label += '|';
      ix += 2;
      ++codepoints;
      only_white_space = false;
      mark = ix;
    } else if (b == '\\') {
      if (ix + 1 >= text.size()) return std::nullopt;
      if (is_ascii_punctuation(byte_at(text, ix + 1))) {
        ix += 2;
        codepoints += 2;
      } else {
        ++ix;
      }
      only_white_space = false;
    } else if (is_ascii_whitespace(b)) {
      std::size_t weight = 0;  // above 1: the run is not a single space and is rewritten
      std::size_t line_breaks = 0;
      std::size_t run_start = ix;
      while (ix < text.size() && is_ascii_whitespace(byte_at(text, ix))) {
        if (auto eol = scan_eol(text.substr(ix))) {
          if (++line_breaks > 1) return std::nullopt;
          ix += *eol;
          auto skip = on_line_break(text.substr(ix));
          if (!skip) return std::nullopt;
          ix += *skip;
          weight += 2;
        } else {
          weight += text[ix] == ' ' ? 1 : 2;
          ++ix;
        }
      }
      if (weight > 1) {
        label.append(text.substr(mark, run_start - mark));
        label += ' ';
        mark = ix;
        codepoints += ix - run_start;
      } else {
        ++codepoints;
      }
    } else {
      only_white_space = false;
      ++ix;
      if (b & 0x80) ++codepoints;
    }
  }
  if (only_white_space) return std::nullopt;
  if (mark == 0) return ScannedLabel{ix + 1, trimmed(text.substr(0, ix))};
  label.append(text.substr(mark, ix - mark));
  return ScannedLabel{ix + 1, trimmed(label)};
}

std::string label_key(std::string_view label) {
  std::string key;
  key.reserve(label.size());
  append_case_folded(key, label);
  return key;
}

}  // namespace zuv::markdown

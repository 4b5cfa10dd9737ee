#include "scanners.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "code_points.h"
#include "entities.h"
#include "plain_text.h"

namespace zuv::markdown {
namespace {

std::size_t find_byte(std::string_view s, std::size_t from, char c) {
  if (from >= s.size()) return std::string_view::npos;
  const void* p = std::memchr(s.data() + from, c, s.size() - from);
  return p ? static_cast<std::size_t>(static_cast<const char*>(p) - s.data())
           : std::string_view::npos;
}

bool starts_with_ignore_case(std::string_view s, std::string_view lower) {
  if (s.size() < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i) {
    auto c = byte_at(s, i);
    if (c >= 'A' && c <= 'Z') c = static_cast<std::uint8_t>(c + ('a' - 'A'));
    if (c != static_cast<std::uint8_t>(lower[i])) return false;
  }
  return true;
}

std::pair<std::size_t, std::uint64_t> parse_hex(std::string_view s, std::size_t limit) {
  std::size_t count = 0;
  std::uint64_t value = 0;
  for (; count < s.size() && count < limit; ++count) {
    auto c = byte_at(s, count);
    std::uint64_t digit;
    if (is_ascii_digit(c)) {
      digit = c - '0';
    } else {
      c |= 0x20;
      if (c < 'a' || c > 'f') break;
      digit = static_cast<std::uint64_t>(c - 'a' + 10);
    }
    value = value * 16 + digit;
  }
  return {count, value};
}

// The block-level tag names of HTML blocks of type 6, sorted.
constexpr std::array<std::string_view, 62> kBlockTags = {
    "address",  "article",  "aside",    "base",       "basefont", "blockquote", "body",   "caption",
    "center",   "col",      "colgroup", "dd",         "details",  "dialog",     "dir",    "div",
    "dl",       "dt",       "fieldset", "figcaption", "figure",   "footer",     "form",   "frame",
    "frameset", "h1",       "h2",       "h3",         "h4",       "h5",         "h6",     "head",
    "header",   "hr",       "html",     "iframe",     "legend",   "li",         "link",   "main",
    "menu",     "menuitem", "nav",      "noframes",   "ol",       "optgroup",   "option", "p",
    "param",    "search",   "section",  "summary",    "table",    "tbody",      "td",     "tfoot",
    "th",       "thead",    "title",    "tr",         "track",    "ul"};

bool is_block_tag(std::string_view name) {
  if (name.empty() || name.size() > 10) return false;
  char lower[10];
  for (std::size_t i = 0; i < name.size(); ++i)
    lower[i] = static_cast<char>(byte_at(name, i) | 0x20);
  return std::binary_search(kBlockTags.begin(), kBlockTags.end(),
                            std::string_view(lower, name.size()));
}

bool is_unquoted_attr_value_char(std::uint8_t c) {
  switch (c) {
    case '\'':
    case '"':
    case ' ':
    case '=':
    case '>':
    case '<':
    case '`':
    case '\n':
    case '\r': return false;
    default: return true;
  }
}

std::optional<std::size_t> scan_attribute_name(std::string_view s) {
  if (s.empty()) return std::nullopt;
  auto c = byte_at(s, 0);
  if (!(is_ascii_alpha(c) || c == '_' || c == ':')) return std::nullopt;
  return 1 + scan_while(s.substr(1), [](std::uint8_t b) {
           return is_ascii_alphanumeric(b) || b == '_' || b == '.' || b == ':' || b == '-';
         });
}

// The parts of an HTML tag scan that may cross line ends. When the skipper drops container
// prefixes, the bytes kept so far go to `stripped` and `kept_from` moves past the prefix.
struct TagScanner {
  std::string_view data;
  const PrefixSkipper* skip;
  std::string& stripped;
  std::size_t kept_from = 0;

  // Past a line end at `i` (already known to be one); nullopt when lines may not be crossed.
  std::optional<std::size_t> cross_line(std::size_t i, std::size_t eol, bool keep) {
    if (!skip) return std::nullopt;
    i += eol;
    std::size_t skipped = (*skip)(data.substr(i));
    if (keep && skipped > 0) {
      stripped.append(data.substr(kept_from, i - kept_from));
      kept_from = i + skipped;
    }
    return i + skipped;
  }

  std::optional<std::size_t> whitespace(std::size_t i, bool keep) {
    while (i < data.size()) {
      if (!is_ascii_whitespace(byte_at(data, i))) return i;
      if (auto eol = scan_eol(data.substr(i))) {
        auto next = cross_line(i, *eol, keep);
        if (!next) return std::nullopt;
        i = *next;
      } else {
        ++i;
      }
    }
    return i;
  }

  std::optional<std::size_t> attribute_value(std::size_t i) {
    if (i >= data.size()) return std::nullopt;
    char q = data[i];
    if (q == '"' || q == '\'') {
      ++i;
      while (i < data.size()) {
        if (data[i] == q) return i + 1;
        if (auto eol = scan_eol(data.substr(i))) {
          auto next = cross_line(i, *eol, true);
          if (!next) return std::nullopt;
          i = *next;
        } else {
          ++i;
        }
      }
      return std::nullopt;
    }
    if (!is_unquoted_attr_value_char(byte_at(data, i))) return std::nullopt;
    return i + scan_while(data.substr(i), is_unquoted_attr_value_char);
  }

  std::optional<std::size_t> attribute(std::size_t i) {
    auto name = scan_attribute_name(data.substr(i));
    if (!name) return std::nullopt;
    i += *name;
    std::size_t after_name = i;
    auto ws = whitespace(i, false);
    if (!ws) return std::nullopt;
    if (scan_ch(data.substr(*ws), '=') == 0) return after_name;
    ws = whitespace(after_name, true);
    if (!ws) return std::nullopt;
    ws = whitespace(*ws + 1, true);
    if (!ws) return std::nullopt;
    return attribute_value(*ws);
  }
};

bool scan_uri(std::string_view text, std::size_t start, AutolinkScan& out) {
  std::string_view s = tail(text, start);
  if (s.empty() || !is_ascii_alpha(byte_at(s, 0))) return false;
  std::size_t i = 1;
  while (i < s.size()) {
    auto c = byte_at(s, i);
    ++i;
    if (is_ascii_alphanumeric(c) || c == '.' || c == '-' || c == '+') continue;
    if (c == ':') break;
    return false;
  }
  // The scheme takes 2 to 32 characters and its colon.
  if (i < 3 || i > 33) return false;
  for (; i < s.size(); ++i) {
    auto c = byte_at(s, i);
    if (c == '>') {
      out = {start + i + 1, s.substr(0, i), LinkType::Autolink};
      return true;
    }
    if (c <= ' ' || c == '<') return false;
  }
  return false;
}

bool is_email_local_char(std::uint8_t c) {
  if (is_ascii_alphanumeric(c)) return true;
  switch (c) {
    case '.':
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '*':
    case '+':
    case '/':
    case '=':
    case '?':
    case '^':
    case '_':
    case '`':
    case '{':
    case '|':
    case '}':
    case '~':
    case '-': return true;
    default: return false;
  }
}

bool scan_email(std::string_view text, std::size_t start, AutolinkScan& out) {
  std::string_view s = tail(text, start);
  std::size_t i = 0;
  while (i < s.size()) {
    auto c = byte_at(s, i);
    ++i;
    if (is_email_local_char(c)) continue;
    if (c == '@' && i > 1) break;
    return false;
  }
  for (;;) {
    std::size_t label_start = i;
    bool fresh = true;
    while (i < s.size()) {
      auto c = byte_at(s, i);
      if (is_ascii_alphanumeric(c)) {
      } else if (c == '-') {
        if (fresh) return false;
      } else {
        break;
      }
      fresh = false;
      ++i;
    }
    // Domain labels hold 1 to 63 characters and do not end in a hyphen.
    if (i == label_start || i - label_start > 63 || s[i - 1] == '-') return false;
    if (scan_ch(s.substr(i), '.') == 0) break;
    ++i;
  }
  if (scan_ch(s.substr(i), '>') == 0) return false;
  out = {start + i + 1, s.substr(0, i), LinkType::Email};
  return true;
}

}  // namespace

std::size_t scan_nextline(std::string_view s) {
  std::size_t at = find_byte(s, 0, '\n');
  return at == std::string_view::npos ? s.size() : at + 1;
}

std::pair<std::size_t, std::size_t> calc_indent(std::string_view s, std::size_t max) {
  std::size_t spaces = 0;
  std::size_t offset = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    offset = i;
    char b = s[i];
    if (b == ' ') {
      ++spaces;
      if (spaces == max) break;
    } else if (b == '\t') {
      std::size_t next = spaces + 4 - (spaces & 3);
      if (next > max) break;
      spaces = next;
    } else {
      break;
    }
  }
  return {offset, spaces};
}

HruleScan scan_hrule(std::string_view s) {
  if (s.size() < 3) return {false, 0};
  char c = s[0];
  if (c != '*' && c != '-' && c != '_') return {false, 0};
  std::size_t n = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    char b = s[i];
    if (b == '\n' || b == '\r') {
      i += scan_eol(s.substr(i)).value_or(0);
      break;
    }
    if (b == c) {
      ++n;
    } else if (b != ' ' && b != '\t') {
      return {false, i};
    }
    ++i;
  }
  return {n >= 3, i};
}

std::optional<int> scan_atx_heading(std::string_view s) {
  std::size_t level = scan_ch_repeat(s, '#');
  if (level >= 1 && level <= 6 && (level == s.size() || is_ascii_whitespace(byte_at(s, level)))) {
    return static_cast<int>(level);
  }
  return std::nullopt;
}

std::optional<std::pair<std::size_t, int>> scan_setext_heading(std::string_view s) {
  if (s.empty()) return std::nullopt;
  char c = s[0];
  if (c != '=' && c != '-') return std::nullopt;
  std::size_t i = 1 + scan_ch_repeat(s.substr(1), c);
  auto blank = scan_blank_line(s.substr(i));
  if (!blank) return std::nullopt;
  return std::pair<std::size_t, int>{i + *blank, c == '=' ? 1 : 2};
}

std::size_t scan_table_head(std::string_view s, std::vector<Alignment>& columns) {
  columns.clear();
  auto [i, spaces] = calc_indent(s, 4);
  if (spaces > 3 || i == s.size()) return 0;
  Alignment active = Alignment::None;
  bool start_col = true;
  bool found_pipe = false;
  bool found_hyphen = false;
  bool found_hyphen_in_col = false;
  if (s[i] == '|') {
    ++i;
    found_pipe = true;
  }
  while (i < s.size()) {
    if (auto n = scan_eol(s.substr(i))) {
      i += *n;
      break;
    }
    switch (s[i]) {
      case ' ': break;
      case ':':
        if (start_col && active == Alignment::None) {
          active = Alignment::Left;
        } else if (!start_col && active == Alignment::Left) {
          active = Alignment::Center;
        } else if (!start_col && active == Alignment::None) {
          active = Alignment::Right;
        }
        start_col = false;
        break;
      case '-':
        start_col = false;
        found_hyphen = true;
        found_hyphen_in_col = true;
        break;
      case '|':
        start_col = true;
        found_pipe = true;
        columns.push_back(active);
        active = Alignment::None;
        if (!found_hyphen_in_col) {  // two pipes with no hyphen between them
          columns.clear();
          return 0;
        }
        found_hyphen_in_col = false;
        break;
      default: columns.clear(); return 0;
    }
    ++i;
  }
  if (!start_col) columns.push_back(active);
  if (!found_pipe || !found_hyphen) {  // a list, a setext underline or a thematic break
    columns.clear();
    return 0;
  }
  return i;
}

std::optional<std::pair<std::size_t, char>> scan_code_fence(std::string_view s) {
  if (s.empty() || (s[0] != '`' && s[0] != '~')) return std::nullopt;
  char c = s[0];
  std::size_t i = 1 + scan_ch_repeat(s.substr(1), c);
  if (i < 3) return std::nullopt;
  if (c == '`') {
    std::string_view rest = s.substr(i);
    if (rest.substr(0, scan_nextline(rest)).find('`') != std::string_view::npos) {
      return std::nullopt;
    }
  }
  return std::pair<std::size_t, char>{i, c};
}

std::optional<std::size_t> scan_closing_code_fence(std::string_view s, char fence, std::size_t n) {
  if (s.empty()) return 0;
  std::size_t i = scan_ch_repeat(s, fence);
  if (i < n) return std::nullopt;
  i += scan_ch_repeat(s.substr(i), ' ');
  if (!scan_eol(s.substr(i))) return std::nullopt;
  return i;
}

std::optional<std::size_t> scan_blockquote_start(std::string_view s) {
  if (s.empty() || s[0] != '>') return std::nullopt;
  return 1 + (s.size() > 1 && s[1] == ' ' ? 1 : 0);
}

std::optional<ListItemScan> scan_listitem(std::string_view s) {
  if (s.empty()) return std::nullopt;
  char c = s[0];
  std::size_t w;
  std::uint64_t start = 0;
  if (c == '-' || c == '+' || c == '*') {
    w = 1;
  } else if (is_ascii_digit(byte_at(s, 0))) {
    auto [length, value] = parse_decimal(s, 9);
    if (length >= s.size()) return std::nullopt;
    c = s[length];
    if (c != '.' && c != ')') return std::nullopt;
    w = length + 1;
    start = value;
  } else {
    return std::nullopt;
  }
  std::string_view rest = s.substr(w);
  auto [post_n, post_indent] = calc_indent(rest, 5);
  if (post_indent == 0) {
    if (!scan_eol(rest)) return std::nullopt;
  } else if (post_indent > 4) {
    post_n = 1;
  }
  if (scan_blank_line(rest)) post_n = 0;
  return ListItemScan{w + post_n, c, start};
}

std::pair<std::size_t, std::uint64_t> parse_decimal(std::string_view s, std::size_t limit) {
  std::size_t count = 0;
  std::uint64_t value = 0;
  for (; count < s.size() && count < limit && is_ascii_digit(byte_at(s, count)); ++count) {
    std::uint64_t digit = byte_at(s, count) - '0';
    if (value > (UINT64_MAX - digit) / 10) break;
    value = value * 10 + digit;
  }
  return {count, value};
}

EntityScan scan_entity(std::string_view s) {
  EntityScan out;
  std::size_t end = 1;
  if (scan_ch(s.substr(end), '#') == 1) {
    ++end;
    std::pair<std::size_t, std::uint64_t> digits;
    if (end < s.size() && (byte_at(s, end) | 0x20) == 'x') {
      ++end;
      digits = parse_hex(s.substr(end), 6);
    } else {
      digits = parse_decimal(s.substr(end), 7);
    }
    end += digits.first;
    if (digits.first == 0 || scan_ch(s.substr(end), ';') == 0) return out;
    std::uint64_t cp = digits.second;
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacementChar;
    std::string utf8;
    append_utf8(utf8, static_cast<char32_t>(cp));
    std::memcpy(out.buf, utf8.data(), utf8.size());
    out.buf_len = utf8.size();
    out.length = end + 1;
    return out;
  }
  end += scan_while(s.substr(end), is_ascii_alphanumeric);
  if (scan_ch(s.substr(end), ';') == 1) {
    std::string_view value = lookup_entity(s.substr(1, end - 1));
    if (!value.empty()) {
      out.named = value;
      out.length = end + 1;
    }
  }
  return out;
}

std::optional<std::pair<std::size_t, std::string_view>> scan_link_dest(std::string_view text,
                                                                       std::size_t start,
                                                                       std::size_t max_nest) {
  std::string_view s = tail(text, start);
  std::size_t i = scan_ch(s, '<');
  if (i != 0) {
    for (; i < s.size(); ++i) {
      char c = s[i];
      if (c == '\n' || c == '\r' || c == '<') return std::nullopt;
      if (c == '>') return std::pair{i + 1, s.substr(1, i - 1)};
      if (c == '\\' && i + 1 < s.size() && is_ascii_punctuation(byte_at(s, i + 1))) ++i;
    }
    return std::nullopt;
  }
  std::size_t nest = 0;
  for (; i < s.size(); ++i) {
    auto c = byte_at(s, i);
    if (c <= 0x20) break;
    if (c == '(') {
      if (nest > max_nest) return std::nullopt;
      ++nest;
    } else if (c == ')') {
      if (nest == 0) break;
      --nest;
    } else if (c == '\\' && i + 1 < s.size() && is_ascii_punctuation(byte_at(s, i + 1))) {
      ++i;
    }
  }
  if (nest != 0) return std::nullopt;
  return std::pair{i, s.substr(0, i)};
}

bool unescape(std::string_view in, bool in_table, std::string& out) {
  std::size_t mark = 0;
  // Escapes, entities and carriage returns are all special bytes; what comes before the first
  // special byte stays as it is.
  std::size_t i = skip_plain_text(in, 0);
  bool changed = false;
  auto flush = [&](std::size_t upto) {
    if (!changed) {
      out.clear();
      changed = true;
    }
    out.append(in.substr(mark, upto - mark));
  };
  while (i < in.size()) {
    char c = in[i];
    if (c == '\\' && in_table && i + 2 < in.size() && in[i + 1] == '\\' && in[i + 2] == '|') {
      // Two backslashes before a pipe: the cell split already took one as the pipe's escape.
      flush(i);
      mark = i + 2;
      i += 3;
    } else if (c == '\\' && i + 1 < in.size() && is_ascii_punctuation(byte_at(in, i + 1))) {
      flush(i);
      mark = i + 1;
      i += 2;
    } else if (c == '&') {
      EntityScan e = scan_entity(in.substr(i));
      if (e.length == 0) {
        ++i;
        continue;
      }
      flush(i);
      out.append(e.value());
      i += e.length;
      mark = i;
    } else if (c == '\r') {
      flush(i);
      ++i;
      mark = i;
    } else {
      ++i;
    }
  }
  if (changed) out.append(in.substr(mark));
  return changed;
}

const char* html_block_end_tag(std::string_view s) {
  static constexpr std::pair<std::string_view, const char*> kRawTags[] = {
      {"pre", "</pre>"},
      {"style", "</style>"},
      {"script", "</script>"},
      {"textarea", "</textarea>"}};
  for (const auto& [tag, end] : kRawTags) {
    if (s.size() < tag.size()) break;  // the names are in increasing length
    if (!starts_with_ignore_case(s, tag)) continue;
    if (s.size() == tag.size()) return end;
    auto next = byte_at(s, tag.size());
    if (is_ascii_whitespace(next) || next == '>') return end;
  }
  if (s.starts_with("!--")) return "-->";
  if (s.starts_with("?")) return "?>";
  if (s.starts_with("![CDATA[")) return "]]>";
  if (s.size() > 1 && s[0] == '!' && is_ascii_alpha(byte_at(s, 1))) return ">";
  return nullptr;
}

bool starts_html_block_type_6(std::string_view s) {
  std::string_view tail = s.substr(scan_ch(s, '/'));
  std::size_t n = scan_while(tail, is_ascii_alphanumeric);
  if (!is_block_tag(tail.substr(0, n))) return false;
  tail = tail.substr(n);
  return tail.empty() || tail[0] == ' ' || tail[0] == '\t' || tail[0] == '\r' || tail[0] == '\n' ||
         tail[0] == '>' || tail.starts_with("/>");
}

std::optional<std::size_t> scan_html_type_7(std::string_view s) {
  std::string stripped;
  auto n = scan_html_tag(s, nullptr, stripped);
  if (!n || !scan_blank_line(s.substr(*n))) return std::nullopt;
  return n;
}

std::optional<std::size_t> scan_html_tag(std::string_view s, const PrefixSkipper* skip,
                                         std::string& stripped) {
  stripped.clear();
  if (s.size() < 2) return std::nullopt;
  TagScanner scan{s, skip, stripped};
  std::size_t close = scan_ch(s.substr(1), '/');
  std::size_t name = scan_while(s.substr(1 + close), is_ascii_alpha);
  if (name == 0) return std::nullopt;
  std::size_t i = 1 + close + name;
  i += scan_while(s.substr(i), [](std::uint8_t c) { return c == '-' || is_ascii_alphanumeric(c); });
  if (close == 0) {
    for (;;) {
      std::size_t before = i;
      for (;;) {
        i += scan_whitespace_no_nl(s.substr(i));
        auto eol = scan_eol(s.substr(i));
        if (!eol) break;
        if (*eol == 0) return std::nullopt;
        auto next = scan.cross_line(i, *eol, true);
        if (!next) return std::nullopt;
        i = *next;
      }
      if (i < s.size() && (s[i] == '/' || s[i] == '>')) break;
      if (before == i) return std::nullopt;  // attributes need white space before them
      auto after = scan.attribute(i);
      if (!after) return std::nullopt;
      i = *after;
    }
  }
  i += scan_whitespace_no_nl(s.substr(i));
  if (close == 0) i += scan_ch(s.substr(i), '/');
  if (scan_ch(s.substr(i), '>') == 0) return std::nullopt;
  ++i;
  if (!stripped.empty()) stripped.append(s.substr(scan.kept_from, i - scan.kept_from));
  return i;
}

std::optional<AutolinkScan> scan_autolink(std::string_view text, std::size_t start) {
  AutolinkScan out{};
  if (scan_uri(text, start, out) || scan_email(text, start, out)) return out;
  return std::nullopt;
}

std::optional<std::size_t> scan_inline_html_comment(std::string_view bytes, std::size_t ix,
                                                    HtmlScanGuard& guard) {
  if (ix >= bytes.size()) return std::nullopt;
  char c = bytes[ix];
  ++ix;
  if (c == '-' && ix > guard.comment) {
    if (ix >= bytes.size() || bytes[ix] != '-') return std::nullopt;
    // Search from the first hyphen so that "<!-->" and "<!--->" close themselves.
    --ix;
    for (std::size_t at; (at = find_byte(bytes, ix, '-')) != std::string_view::npos;) {
      ix = at + 1;
      guard.comment = ix;
      if (ix + 1 < bytes.size() && bytes[ix] == '-' && bytes[ix + 1] == '>') return ix + 2;
    }
    return std::nullopt;
  }
  if (c == '[' && bytes.substr(ix).starts_with("CDATA[") && ix > guard.cdata) {
    ix += 6;
    std::size_t at = find_byte(bytes, ix, ']');
    ix = at == std::string_view::npos ? bytes.size() : at;
    std::size_t brackets = scan_ch_repeat(bytes.substr(ix), ']');
    ix += brackets;
    if (brackets == 0 || scan_ch(bytes.substr(ix), '>') == 0) {
      guard.cdata = ix;
      return std::nullopt;
    }
    return ix + 1;
  }
  if (is_ascii_alpha(static_cast<std::uint8_t>(c)) && ix > guard.declaration) {
    std::size_t at = find_byte(bytes, ix, '>');
    if (at == std::string_view::npos) {
      guard.declaration = bytes.size();
      return std::nullopt;
    }
    return at + 1;
  }
  return std::nullopt;
}

std::optional<std::size_t> scan_inline_html_processing(std::string_view bytes, std::size_t ix,
                                                       HtmlScanGuard& guard) {
  if (ix <= guard.processing) return std::nullopt;
  for (std::size_t at; (at = find_byte(bytes, ix, '?')) != std::string_view::npos;) {
    ix = at + 1;
    if (ix < bytes.size() && bytes[ix] == '>') return ix + 1;
  }
  guard.processing = ix;
  return std::nullopt;
}

// --- LineStart ------------------------------------------------------------------------------

std::size_t LineStart::scan_space_inner(std::size_t n) {
  std::size_t from_remaining = std::min(spaces_remaining_, n);
  spaces_remaining_ -= from_remaining;
  n -= from_remaining;
  while (n > 0 && ix_ < bytes_.size()) {
    char c = bytes_[ix_];
    if (c == ' ') {
      ++ix_;
      --n;
    } else if (c == '\t') {
      std::size_t spaces = 4 - (ix_ - tab_start_) % 4;
      ++ix_;
      tab_start_ = ix_;
      std::size_t used = std::min(spaces, n);
      n -= used;
      spaces_remaining_ = spaces - used;
    } else {
      break;
    }
  }
  return n;
}

void LineStart::scan_all_space() {
  spaces_remaining_ = 0;
  while (ix_ < bytes_.size() && (bytes_[ix_] == ' ' || bytes_[ix_] == '\t')) ++ix_;
}

bool LineStart::scan_blockquote_marker() {
  if (!scan_ch('>')) return false;
  marker_end_ = ix_;
  scan_space(1);
  return true;
}

std::optional<std::size_t> LineStart::scan_definition_marker(std::size_t indent) {
  if (!scan_ch(':')) return std::nullopt;
  marker_end_ = ix_;
  std::size_t remaining = 4 - (indent + 1);
  return indent + 1 + scan_space_upto(remaining);
}

std::optional<LineStart::ListMarker> LineStart::scan_list_marker(std::size_t indent) {
  LineStart save = *this;
  if (ix_ < bytes_.size()) {
    char c = bytes_[ix_];
    if (c == '-' || c == '+' || c == '*') {
      if (ix_ >= min_hrule_offset_) {
        HruleScan hr = scan_hrule(bytes_.substr(ix_));
        if (hr.found) {
          *this = save;
          return std::nullopt;
        }
        // The offset is relative to the marker; kept as is, it only ever skips re-checks
        // that would fail again.
        min_hrule_offset_ = hr.n;
      }
      ++ix_;
      marker_end_ = ix_;
      if (scan_space(1) || is_at_eol()) return finish_list_marker(c, 0, indent + 2);
    } else if (is_ascii_digit(static_cast<std::uint8_t>(c))) {
      std::size_t start_ix = ix_;
      std::size_t ix = ix_ + 1;
      std::uint64_t value = static_cast<std::uint64_t>(c - '0');
      // At most nine digits: start numbers stay below 10^9.
      while (ix < bytes_.size() && ix - start_ix < 10) {
        char d = bytes_[ix];
        ++ix;
        if (is_ascii_digit(static_cast<std::uint8_t>(d))) {
          value = value * 10 + static_cast<std::uint64_t>(d - '0');
        } else if (d == ')' || d == '.') {
          ix_ = ix;
          marker_end_ = ix_;
          if (scan_space(1) || is_at_eol()) {
            return finish_list_marker(d, value, indent + 1 + ix - start_ix);
          }
          break;
        } else {
          break;
        }
      }
    }
  }
  *this = save;
  return std::nullopt;
}

std::optional<LineStart::ListMarker> LineStart::finish_list_marker(char c, std::uint64_t start,
                                                                   std::size_t indent) {
  LineStart save = *this;
  if (scan_blank_line(bytes_.substr(ix_))) return ListMarker{c, start, indent};
  std::size_t post = scan_space_upto(4);
  if (post < 4) {
    indent += post;
  } else {
    // Five or more spaces: the content is indented code starting one space after the marker.
    *this = save;
  }
  return ListMarker{c, start, indent};
}

std::optional<bool> LineStart::scan_task_list_marker() {
  LineStart save = *this;
  scan_space_upto(3);
  if (!scan_ch('[')) {
    *this = save;
    return std::nullopt;
  }
  bool checked;
  if (ix_ < bytes_.size() && is_ascii_whitespace_no_nl(static_cast<std::uint8_t>(bytes_[ix_]))) {
    checked = false;
  } else if (ix_ < bytes_.size() && (bytes_[ix_] == 'x' || bytes_[ix_] == 'X')) {
    checked = true;
  } else {
    *this = save;
    return std::nullopt;
  }
  ++ix_;
  if (!scan_ch(']') || ix_ >= bytes_.size() ||
      !is_ascii_whitespace_no_nl(static_cast<std::uint8_t>(bytes_[ix_]))) {
    *this = save;
    return std::nullopt;
  }
  marker_end_ = ix_;
  return checked;
}

}  // namespace zuv::markdown

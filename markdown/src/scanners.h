// Scanners: pure functions over bytes that recognise one fragment of syntax at the start of
// their input and say how much of it they consumed. Positions are byte offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "zuv/markdown.h"

namespace zuv::markdown {

// A non-owning reference to a callable, for the line-break hooks of scanners that may run
// across container prefixes ("> ", list indentation) of the following lines.
template <typename Signature>
class FunctionRef;

template <typename R, typename... Args>
class FunctionRef<R(Args...)> {
 public:
  template <typename F, typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, FunctionRef>>>
  FunctionRef(F&& f)  // implicit: passed where a lambda is
      : object_(const_cast<void*>(static_cast<const void*>(&f))),
        call_([](void* o, Args... args) -> R {
          return (*static_cast<std::remove_reference_t<F>*>(o))(std::forward<Args>(args)...);
        }) {}
  R operator()(Args... args) const { return call_(object_, std::forward<Args>(args)...); }

 private:
  void* object_;
  R (*call_)(void*, Args...);
};

// Given the text after a line break, returns how many bytes of container prefix to skip, or
// nullopt when the construct may not continue on that line.
using LineBreakHandler = FunctionRef<std::optional<std::size_t>(std::string_view)>;
// Like LineBreakHandler for constructs that always continue.
using PrefixSkipper = FunctionRef<std::size_t(std::string_view)>;

inline std::uint8_t byte_at(std::string_view s, std::size_t i) {
  return static_cast<std::uint8_t>(s[i]);
}

constexpr bool is_ascii_whitespace(std::uint8_t c) { return (c >= 0x09 && c <= 0x0D) || c == ' '; }
constexpr bool is_ascii_whitespace_no_nl(std::uint8_t c) {
  return c == '\t' || c == 0x0B || c == 0x0C || c == ' ';
}
constexpr bool is_ascii_alpha(std::uint8_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr bool is_ascii_digit(std::uint8_t c) { return c >= '0' && c <= '9'; }
constexpr bool is_ascii_alphanumeric(std::uint8_t c) {
  return is_ascii_alpha(c) || is_ascii_digit(c);
}
constexpr bool is_ascii_punctuation(std::uint8_t c) {
  return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
         (c >= 0x7B && c <= 0x7E);
}

// The text from `pos` on; empty past the end.
inline std::string_view tail(std::string_view s, std::size_t pos) {
  return pos < s.size() ? s.substr(pos) : std::string_view();
}

inline std::size_t scan_ch(std::string_view s, char c) { return !s.empty() && s[0] == c ? 1 : 0; }

template <typename Pred>
std::size_t scan_while(std::string_view s, Pred pred) {
  std::size_t i = 0;
  while (i < s.size() && pred(byte_at(s, i))) ++i;
  return i;
}

template <typename Pred>
std::size_t scan_rev_while(std::string_view s, Pred pred) {
  std::size_t n = 0;
  while (n < s.size() && pred(byte_at(s, s.size() - 1 - n))) ++n;
  return n;
}

inline std::size_t scan_ch_repeat(std::string_view s, char c) {
  return scan_while(s, [c](std::uint8_t b) { return b == static_cast<std::uint8_t>(c); });
}

inline std::size_t scan_whitespace_no_nl(std::string_view s) {
  return scan_while(s, is_ascii_whitespace_no_nl);
}

// A line end: 1 or 2 bytes, or 0 at the end of the input; nullopt for anything else.
inline std::optional<std::size_t> scan_eol(std::string_view s) {
  if (s.empty()) return 0;
  if (s[0] == '\n') return 1;
  if (s[0] == '\r') return s.size() > 1 && s[1] == '\n' ? 2 : 1;
  return std::nullopt;
}

// A line of white space with its line end.
inline std::optional<std::size_t> scan_blank_line(std::string_view s) {
  std::size_t i = scan_whitespace_no_nl(s);
  auto n = scan_eol(s.substr(i));
  if (!n) return std::nullopt;
  return i + *n;
}

// Bytes up to and including the next line feed (or to the end).
std::size_t scan_nextline(std::string_view s);

// The indentation at the start of `s`, up to `max` columns: (byte offset, columns). The offset
// is that of the last byte examined, as the table-head scanner expects.
std::pair<std::size_t, std::size_t> calc_indent(std::string_view s, std::size_t max);

// A thematic break. Found: the bytes of its line including the line end. Not found: an offset
// before which no thematic break can start on this line.
struct HruleScan {
  bool found;
  std::size_t n;
};
HruleScan scan_hrule(std::string_view s);

// The level of an ATX heading opening sequence.
std::optional<int> scan_atx_heading(std::string_view s);

// A setext underline: (bytes of the line with its end, level).
std::optional<std::pair<std::size_t, int>> scan_setext_heading(std::string_view s);

// A table delimiter row; fills `columns`. Returns its bytes with the line end, 0 when none.
std::size_t scan_table_head(std::string_view s, std::vector<Alignment>& columns);

// An opening code fence: (fence length, fence character).
std::optional<std::pair<std::size_t, char>> scan_code_fence(std::string_view s);
// A closing fence for a fence of `n` `fence` characters: bytes before its line end.
std::optional<std::size_t> scan_closing_code_fence(std::string_view s, char fence, std::size_t n);

std::optional<std::size_t> scan_blockquote_start(std::string_view s);

// A list item marker for paragraph interruption checks.
struct ListItemScan {
  std::size_t bytes;  // marker and the spaces after it
  char delimiter;     // '-', '+', '*', '.' or ')'
  std::uint64_t start;
};
std::optional<ListItemScan> scan_listitem(std::string_view s);

// (digits consumed, value) of at most `limit` decimal digits; stops before an overflow.
std::pair<std::size_t, std::uint64_t> parse_decimal(std::string_view s, std::size_t limit);

// An entity or numeric character reference at `s` (s[0] == '&').
struct EntityScan {
  std::size_t length = 0;  // 0: not a reference
  std::string_view value() const { return named.empty() ? std::string_view(buf, buf_len) : named; }
  std::string_view named;
  char buf[4] = {};
  std::size_t buf_len = 0;
};
EntityScan scan_entity(std::string_view s);

// Link destination starting at `start` of `text`: (bytes consumed, the raw destination).
std::optional<std::pair<std::size_t, std::string_view>> scan_link_dest(std::string_view text,
                                                                       std::size_t start,
                                                                       std::size_t max_nest);

// Resolves backslash escapes and entity references and drops carriage returns. Returns false
// when nothing changes (and leaves `out` alone); else `out` holds the result. In a table cell
// an escaped pipe is a pipe whatever precedes it.
bool unescape(std::string_view in, bool in_table, std::string& out);

// HTML block starts, given the text after the `<`.
const char* html_block_end_tag(std::string_view after_lt);  // types 1 to 5; null when none
bool starts_html_block_type_6(std::string_view after_lt);
// Type 7: a complete open or closing tag alone on its line (s[0] == '<'); the tag's length.
std::optional<std::size_t> scan_html_type_7(std::string_view s);

// An HTML open or closing tag at `s` (s[0] == '<'). With a skipper the tag may span lines; the
// prefixes it skipped are then removed from `stripped` (left empty when nothing was skipped).
std::optional<std::size_t> scan_html_tag(std::string_view s, const PrefixSkipper* skip,
                                         std::string& stripped);

// An autolink whose text starts at `start` (just after the `<`): (offset after the `>`, the
// URI or address, its type).
struct AutolinkScan {
  std::size_t end;
  std::string_view uri;
  LinkType type;
};
std::optional<AutolinkScan> scan_autolink(std::string_view text, std::size_t start);

// Positions before which a failed scan for the same construct would fail again: comments,
// processing instructions, declarations and CDATA are searched for their closers up to the end
// of the block, and remembering where a search ended keeps `<!--` repeated n times linear.
struct HtmlScanGuard {
  std::size_t cdata = 0;
  std::size_t processing = 0;
  std::size_t declaration = 0;
  std::size_t comment = 0;
};

// A comment, CDATA section or declaration; `ix` is just after "<!". Returns the offset after it.
std::optional<std::size_t> scan_inline_html_comment(std::string_view bytes, std::size_t ix,
                                                    HtmlScanGuard& guard);
// A processing instruction; `ix` is just after "<?".
std::optional<std::size_t> scan_inline_html_processing(std::string_view bytes, std::size_t ix,
                                                       HtmlScanGuard& guard);

// The start of a line: indentation with tab stops of 4 and container markers.
class LineStart {
 public:
  explicit LineStart(std::string_view bytes) : bytes_(bytes) {}

  // Consumes up to n columns of indentation; true when all n were there. May consume part.
  bool scan_space(std::size_t n) { return scan_space_inner(n) == 0; }
  std::size_t scan_space_upto(std::size_t n) { return n - scan_space_inner(n); }
  void scan_all_space();
  bool is_at_eol() const {
    return ix_ >= bytes_.size() || bytes_[ix_] == '\r' || bytes_[ix_] == '\n';
  }
  bool scan_blockquote_marker();
  // A definition marker `:` after `indent` columns: the content indent.
  std::optional<std::size_t> scan_definition_marker(std::size_t indent);
  struct ListMarker {
    char ch;
    std::uint64_t start;
    std::size_t indent;
  };
  std::optional<ListMarker> scan_list_marker(std::size_t indent);
  // "[ ]", "[x]" or "[X]" followed by white space: whether it is checked.
  std::optional<bool> scan_task_list_marker();

  std::size_t bytes_scanned() const { return ix_; }
  // Just after the last marker scanned (`>`, `:`, a list or task marker), or 0.
  std::size_t marker_end() const { return marker_end_; }
  // Columns of a partly consumed tab still pending before the current byte.
  std::size_t remaining_space() const { return spaces_remaining_; }

 private:
  std::size_t scan_space_inner(std::size_t n);
  bool scan_ch(char c) {
    if (ix_ < bytes_.size() && bytes_[ix_] == c) {
      ++ix_;
      return true;
    }
    return false;
  }
  std::optional<ListMarker> finish_list_marker(char c, std::uint64_t start, std::size_t indent);

  std::string_view bytes_;
  std::size_t ix_ = 0;
  std::size_t tab_start_ = 0;         // just after the last tab scanned: a tab stop
  std::size_t spaces_remaining_ = 0;  // columns of that tab not consumed yet
  std::size_t min_hrule_offset_ = 0;  // no thematic break can start before this
  std::size_t marker_end_ = 0;
};

}  // namespace zuv::markdown

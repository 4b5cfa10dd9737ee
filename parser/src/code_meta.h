#pragma once
// The metadata of a fenced code block: the text after the first space of its info string,
// read with a small grammar of items: `title="..."`, `caption='...'`, a highlight list such as
// `{1,3-5}`, and the switches `showLineNumbers` and `diff`. Whatever is not an item stays in
// `meta`; metadata without any item stays there unchanged. Never fails.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zuv::parser {

struct CodeMeta {
  std::optional<std::string> meta;
  std::optional<std::string> title;
  std::optional<std::vector<uint32_t>> highlight;  // ascending, no repeats, never empty
  std::optional<bool> showLineNumbers;             // true or absent
  std::optional<bool> diff;                        // true or absent
  std::optional<std::string> caption;
};

// The highlighted line numbers of one document parse. A list holds at most 65,536 values, but
// a document of many code blocks could still ask for millions in a few kilobytes (a block
// `{1-65536}` costs 20 bytes), and each becomes a Python int. One budget serves a whole document
// parse: the larger of kMinLimit and the input's length in values, which no real document
// reaches. A kept list takes the values it adds, counted as for the limit of a list (repeats
// included); past the budget it keeps only its smallest values within what is left, and once
// the budget is spent lists are not read at all: their text stays a word of the metadata.
class HighlightBudget {
 public:
  static constexpr uint64_t kMinLimit = uint64_t{1} << 20;

  explicit HighlightBudget(uint64_t input_length)
      : left_(input_length > kMinLimit ? input_length : kMinLimit) {}

  uint64_t left() const { return left_; }
  // Charges up to `count` values; returns how many were granted.
  uint64_t take(uint64_t count) {
    const uint64_t granted = count < left_ ? count : left_;
    left_ -= granted;
    return granted;
  }

 private:
  uint64_t left_;
};

// Reads `metadata`, charging its highlight list to the document's `budget`.
CodeMeta parse_code_meta(std::string_view metadata, HighlightBudget& budget);
// With a budget of its own, for a metadata text read alone.
CodeMeta parse_code_meta(std::string_view metadata);

// A quoted value at the start of `s` (`"` or `'`; a backslash before the quote or a backslash
// gives that byte, before anything else it stays): the value and the bytes it took, both quotes
// included; none when `s` does not start with a quote or the quote never closes.
std::optional<std::pair<std::string, size_t>> read_quoted_value(std::string_view s);

}  // namespace zuv::parser

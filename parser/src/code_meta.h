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

CodeMeta parse_code_meta(std::string_view metadata);

// A quoted value at the start of `s` (`"` or `'`; a backslash before the quote or a backslash
// gives that byte, before anything else it stays): the value and the bytes it took, both quotes
// included; none when `s` does not start with a quote or the quote never closes.
std::optional<std::pair<std::string, size_t>> read_quoted_value(std::string_view s);

}  // namespace zuv::parser

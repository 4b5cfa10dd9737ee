#include "frontmatter.h"

#include "bytes.h"
#include "yaml_loader.h"
#include "zuv/unicode.h"

namespace zuv::parser {

namespace {

bool is_closer(std::string_view line) {
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  size_t i = 0;
  while (i < line.size()) {
    size_t len = 0;
    if (!is_unicode_white_space(decode_utf8(line, i, len))) break;
    i += len;
  }
  return line.substr(i) == "---";
}

}  // namespace

FrontmatterSplit extract_frontmatter(std::string_view input) {
  FrontmatterSplit none;
  if (input.size() <= 3) return none;
  size_t opener = 0;
  if (input.substr(0, 4) == "---\n") {
    opener = 4;
  } else if (input.substr(0, 5) == "---\r\n") {
    opener = 5;
  } else {
    return none;
  }
  if (opener == input.size()) return none;
  for (size_t line = opener; line < input.size();) {
    size_t lf = find_byte(input, '\n', line);
    size_t end = lf == npos ? input.size() : lf;
    if (is_closer(input.substr(line, end - line))) {
      FrontmatterSplit split;
      split.body_offset = lf == npos ? input.size() : lf + 1;
      std::optional<JsonValue> value = load_yaml(input.substr(opener, line - opener));
      if (value && !value->is_null()) split.frontmatter = std::move(value);
      return split;
    }
    if (lf == npos) break;
    line = lf + 1;
  }
  return none;
}

}  // namespace zuv::parser

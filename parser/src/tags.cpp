#include "tags.h"

#include "bytes.h"

namespace zuv::parser {

OpenTagResult parse_open_tag(std::string_view text, size_t at, size_t base,
                             const SourceMap& source_map, ErrorTextBudget& budget,
                             TagSearchCache* cache) {
  if (at + 1 >= text.size() || text[at] != '<' || !is_ascii_upper(text[at + 1])) {
    return std::monostate{};
  }
  size_t name_end = at + 1;
  while (name_end < text.size() && is_name_byte(text[name_end])) ++name_end;
  AttributesResult attrs = parse_attributes(text, name_end, base, source_map, at, budget, cache);
  if (auto* e = std::get_if<TagError>(&attrs)) return std::move(*e);
  auto& list = std::get<TagAttributes>(attrs);
  return OpenTag{std::string(text.substr(at + 1, name_end - at - 1)),
                 std::move(list.attributes),
                 base + at,
                 base + list.end,
                 list.self_closing,
                 list.end};
}

std::optional<CloseTag> parse_close_tag(std::string_view text, size_t at) {
  if (at + 2 >= text.size() || text[at] != '<' || text[at + 1] != '/' ||
      !is_ascii_upper(text[at + 2])) {
    return std::nullopt;
  }
  size_t i = at + 2;
  while (i < text.size() && is_name_byte(text[i])) ++i;
  const size_t name_end = i;
  while (i < text.size() && is_ascii_space(text[i])) ++i;
  if (i >= text.size() || text[i] != '>') return std::nullopt;
  return CloseTag{std::string(text.substr(at + 2, name_end - at - 2)), i + 1};
}

}  // namespace zuv::parser

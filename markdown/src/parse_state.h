// What the block pass hands to the inline pass besides the tree: link reference definitions,
// footnote labels, and the side tables that items index into.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "storage.h"
#include "zuv/markdown.h"

namespace zuv::markdown {

struct LinkDef {
  std::string_view dest;
  std::optional<std::string_view> title;
};

struct LinkData {
  LinkType type;
  std::string_view dest;
  std::string_view title;
  std::string_view id;
};

struct ParseState {
  explicit ParseState(Events::Storage& s) : storage(s) {}

  // Keys are label_key() of the label; the first definition of a label wins.
  std::unordered_map<std::string, LinkDef> refdefs;
  std::unordered_set<std::string> footnote_labels;

  std::vector<std::string_view> strings;  // texts items refer to by index
  std::vector<LinkData> links;
  std::vector<TableInfo> tables;  // per table: its span of `alignments`
  std::vector<Alignment> alignments;
  Events::Storage& storage;

  std::uint32_t add_string(std::string_view s) {
    strings.push_back(s);
    return static_cast<std::uint32_t>(strings.size() - 1);
  }
  std::uint32_t add_owned_string(std::string_view s) { return add_string(storage.keep(s)); }
  std::uint32_t add_link(const LinkData& link) {
    links.push_back(link);
    return static_cast<std::uint32_t>(links.size() - 1);
  }
};

}  // namespace zuv::markdown

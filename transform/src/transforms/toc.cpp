#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "zuv/transform.h"
#include "zuv/walk.h"

namespace zuv {
namespace {

constexpr std::string_view kTocComponentName = "TableOfContents";

struct TocEntry {
  std::string text;
  std::optional<std::string> id;
  std::optional<std::string> number;
  uint8_t level = 0;
};

std::vector<TocEntry> collect_toc_entries(const NodeList& nodes, const TocSettings& settings) {
  std::vector<TocEntry> entries;
  walk_nodes(nodes, [&](const Node& node) {
    if (node.kind != NodeKind::Heading) return;
    const auto& heading = node.as<StandardBlockNode>();
    if (!heading.depth || *heading.depth < settings.min_depth ||
        *heading.depth > settings.max_depth) {
      return;
    }
    entries.push_back(
        {collect_node_text(heading.children), heading.id, std::nullopt, *heading.depth});
  });
  return entries;
}

// Counters are relative to the shallowest listed level: levels 2, 4 number as 1, 1.0.1.
void number_toc_entries(std::vector<TocEntry>& entries) {
  uint8_t shallowest = entries.front().level;
  uint8_t deepest = shallowest;
  for (const TocEntry& e : entries) {
    shallowest = std::min(shallowest, e.level);
    deepest = std::max(deepest, e.level);
  }
  std::vector<uint32_t> counters(static_cast<size_t>(deepest - shallowest) + 1, 0);
  for (TocEntry& e : entries) {
    const size_t d = e.level - shallowest;
    ++counters[d];
    std::fill(counters.begin() + static_cast<std::ptrdiff_t>(d) + 1, counters.end(), 0);
    std::string number;
    for (size_t i = 0; i <= d; ++i) {
      if (i > 0) number += '.';
      number += std::to_string(counters[i]);
    }
    e.number = std::move(number);
  }
}

Node toc_item(TocEntry entry) {
  std::string label = entry.number ? *entry.number + " " + entry.text : std::move(entry.text);
  LinkNode link;
  link.url = entry.id ? "#" + *entry.id : std::string();
  link.children.emplace_back(NodeKind::Text, TextNode{std::move(label), Position{}});
  StandardBlockNode item;
  item.depth = entry.level;
  item.children.emplace_back(NodeKind::Link, std::move(link));
  return Node(NodeKind::ListItem, std::move(item));
}

Node toc_component(std::vector<TocEntry> entries) {
  StandardBlockNode list;
  list.children.reserve(entries.size());
  for (TocEntry& e : entries) list.children.push_back(toc_item(std::move(e)));
  ComponentNode component;
  component.name = kTocComponentName;
  component.children.emplace_back(NodeKind::List, std::move(list));
  return Node(NodeKind::Component, std::move(component));
}

// Only a top-level, childless component is a placeholder; attributes do not matter.
Node* find_placeholder(NodeList& nodes) {
  for (Node& node : nodes) {
    if (node.kind != NodeKind::Component) continue;
    const auto& component = node.as<ComponentNode>();
    if (component.name == kTocComponentName && component.children.empty()) return &node;
  }
  return nullptr;
}

}  // namespace

void TableOfContentsTransform::transform(Root& root, std::string_view /*source*/) const {
  Node* placeholder = find_placeholder(root.children);
  if (!placeholder && !settings_.auto_insert) return;  // the contents would be dropped
  std::vector<TocEntry> entries = collect_toc_entries(root.children, settings_);
  if (entries.empty()) return;
  if (settings_.numbered) number_toc_entries(entries);
  if (placeholder) {
    *placeholder = toc_component(std::move(entries));
  } else {
    // A fresh list rather than an insert at the front: g++ 12 at -O3 reports a null dereference
    // inside the variant moves of vector::insert that cannot happen.
    NodeList children;
    children.reserve(root.children.size() + 1);
    children.push_back(toc_component(std::move(entries)));
    std::move(root.children.begin(), root.children.end(), std::back_inserter(children));
    root.children = std::move(children);
  }
}

}  // namespace zuv

#include <string>
#include <unordered_map>

#include "zuv/ascii.h"
#include "zuv/transform.h"
#include "zuv/walk.h"

namespace zuv {
namespace {

// The kinds the slug walk enters besides headings, which it handles itself. Definition lists
// are left out on purpose: headings inside them get no id.
bool slug_walk_enters(NodeKind kind) {
  switch (kind) {
    case NodeKind::Paragraph:
    case NodeKind::List:
    case NodeKind::ListItem:
    case NodeKind::Blockquote:
    case NodeKind::ThematicBreak:
    case NodeKind::Html:
    case NodeKind::Table:
    case NodeKind::TableRow:
    case NodeKind::TableCell:
    case NodeKind::Link:
    case NodeKind::Image:
    case NodeKind::Emphasis:
    case NodeKind::Strong:
    case NodeKind::Strikethrough:
    case NodeKind::FootnoteDefinition:
    case NodeKind::Component: return true;
    case NodeKind::Heading:
    case NodeKind::DefinitionList:
    case NodeKind::DefinitionTerm:
    case NodeKind::DefinitionDescription:
    case NodeKind::Text:
    case NodeKind::CodeInline:
    case NodeKind::CodeBlock:
    case NodeKind::FootnoteReference:
    case NodeKind::MathInline:
    case NodeKind::MathDisplay:
    case NodeKind::Citation:
    case NodeKind::CrossRef:
    case NodeKind::Variable:
    case NodeKind::Error: return false;
  }
  return false;
}

// The ids handed out in one run. Every id given is a key, bare slug or suffixed, so a heading
// whose own slug looks like a suffixed one ("A 1" -> "a-1") cannot collide with an earlier
// "a-1". A key's value is the next suffix to try for it; suffixes skipped because they were
// taken are never tried again, so the probing stays linear over the whole document.
class SlugRegistry {
 public:
  std::string claim(const std::string& slug) {
    auto [it, fresh] = next_suffix_.try_emplace(slug, 1);
    if (fresh) return slug;
    uint64_t n = it->second;
    std::string id;
    for (;; ++n) {
      id = slug;
      id += '-';
      id += std::to_string(n);
      if (!next_suffix_.contains(id)) break;
    }
    it->second = n + 1;  // before the insertion below, which may rehash
    next_suffix_.emplace(id, 1);
    return id;
  }

 private:
  std::unordered_map<std::string, uint64_t> next_suffix_;
};

// Recursion is one frame per tree level; the parser bounds the depth (kMaxDocumentDepth).
void assign_heading_slugs(NodeList& nodes, SlugRegistry& registry) {
  for (Node& node : nodes) {
    if (node.kind == NodeKind::Heading) {
      auto& heading = node.as<StandardBlockNode>();
      if (!heading.id) {
        std::string slug = heading_slug(collect_node_text(heading.children));
        if (slug.empty()) continue;  // no id, and its children are not entered
        heading.id = registry.claim(slug);
      }
      assign_heading_slugs(heading.children, registry);
    } else if (slug_walk_enters(node.kind)) {
      if (NodeList* children = node_children(node)) assign_heading_slugs(*children, registry);
    }
  }
}

}  // namespace

// Byte-wise: every byte of a non-ASCII code point is a separator, and a run of separators
// writes one '-', so this equals the rule over code points.
std::string heading_slug(std::string_view text) {
  std::string slug;
  slug.reserve(text.size());
  bool after_separator = true;
  for (char c : text) {
    if (is_ascii_alnum(c)) {
      slug += to_ascii_lower(c);
      after_separator = false;
    } else if (!after_separator) {
      slug += '-';
      after_separator = true;
    }
  }
  if (!slug.empty() && slug.back() == '-') slug.pop_back();
  return slug;
}

void AutoSlugTransform::transform(Root& root, std::string_view /*source*/) const {
  SlugRegistry registry;
  assign_heading_slugs(root.children, registry);
}

}  // namespace zuv

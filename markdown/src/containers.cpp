#include "containers.h"

namespace zuv::markdown {

std::size_t scan_containers(const Tree& tree, LineStart& line) {
  std::size_t matched = 0;
  for (NodeIndex ix : tree.spine()) {
    const Item& item = tree[ix].item;
    LineStart save = line;
    switch (item.kind) {
      case ItemKind::BlockQuote:
        line.scan_space(3);
        if (!line.scan_blockquote_marker()) {
          line = save;
          return matched;
        }
        break;
      case ItemKind::ListItem:
      case ItemKind::DefinitionListDefinition:
        if (!line.scan_space(item.count) && !line.is_at_eol()) {
          line = save;
          return matched;
        }
        break;
      case ItemKind::FootnoteDefinition:
        // Lines of a footnote definition after the first are indented by four columns.
        if (!line.scan_space(4) && !line.is_at_eol()) {
          line = save;
          return matched;
        }
        break;
      default:
        break;
    }
    ++matched;
  }
  return matched;
}

}  // namespace zuv::markdown

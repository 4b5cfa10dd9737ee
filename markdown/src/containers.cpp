#include "containers.h"

namespace zuv::markdown {

std::size_t scan_containers(const Tree& tree, LineStart& line) {
  const std::vector<NodeIndex>& spine = tree.spine();
  std::size_t next_quote = 0;  // index in quote_levels() of the first block quote not continued
  // At the line end every container but a block quote continues without consuming anything,
  // and the next block quote does not: going there at once keeps a run of blank lines in deep
  // lists from costing the depth once per line.
  auto at_line_end = [&] {
    const std::vector<std::size_t>& quotes = tree.quote_levels();
    return next_quote < quotes.size() ? quotes[next_quote] : tree.levels();
  };
  std::size_t matched = 0;  // levels
  for (NodeIndex ix : spine) {
    const Item& item = tree[ix].item;
    switch (item.kind) {
      case ItemKind::BlockQuote: {
        // A folded quote continues level by level: the line may continue only some of them.
        for (std::size_t level = 0, n = levels_of(item); level < n; ++level) {
          LineStart save = line;
          line.scan_space(3);
          if (!line.scan_blockquote_marker()) {
            line = save;
            return matched;
          }
          ++matched;
        }
        ++next_quote;
        continue;
      }
      case ItemKind::ListItem:
      case ItemKind::DefinitionListDefinition: {
        // Short of the indentation, a line continues only at its end (where no columns of a
        // tab are left: the scan took them).
        LineStart save = line;
        if (!line.scan_space(item.content_indent())) {
          if (!line.is_at_eol()) {
            line = save;
            return matched;
          }
          return at_line_end();
        }
        break;
      }
      case ItemKind::FootnoteDefinition: {
        // Lines of a footnote definition after the first are indented by four columns.
        LineStart save = line;
        if (!line.scan_space(4)) {
          if (!line.is_at_eol()) {
            line = save;
            return matched;
          }
          return at_line_end();
        }
        break;
      }
      default: break;
    }
    ++matched;
  }
  return matched;
}

}  // namespace zuv::markdown

#include "zuv/walk.h"

namespace zuv {

std::string collect_node_text(const NodeList& nodes) {
  std::string text;
  walk_nodes(nodes, [&text](const Node& node) {
    if (node.kind == NodeKind::Text) text += node.as<TextNode>().value;
  });
  return text;
}

}  // namespace zuv

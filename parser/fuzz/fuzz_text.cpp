// parse_text on arbitrary bytes: the nodes must tile the input, Text nodes must hold the source
// as written (escapes aside), and a second parse must give the same nodes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zuv::parser::SourceMap map(text);
  const size_t base = 0;
  zuv::NodeList nodes = zuv::parser::parse_text(text, base, map);
  size_t at = 0;
  for (const zuv::Node& n : nodes) {
    const zuv::Position& p = n.position();
    if (p.start.offset != at || p.end.offset <= p.start.offset) std::abort();
    if (n.kind == zuv::NodeKind::Text) {
      std::string_view source = text.substr(p.start.offset, p.end.offset - p.start.offset);
      if (source[0] != '\\' && n.as<zuv::TextNode>().value != source) std::abort();
    }
    at = p.end.offset;
  }
  if (at != text.size()) std::abort();
  if (!(zuv::parser::parse_text(text, base, map) == nodes)) std::abort();
  return 0;
}

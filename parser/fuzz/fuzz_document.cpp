// Whole documents: no input may crash, and every position the parser sets must lie inside the
// input, start before end, with lines and columns that agree with the offsets.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "zuv/dict_form.h"
#include "zuv/parser.h"

namespace {

void check_point(const zuv::Point& p, std::string_view input) {
  if (p.offset > input.size() || p.line == 0 || p.column == 0) std::abort();
  size_t line_start = p.offset - (p.column - 1);
  if (line_start > p.offset) std::abort();
  if (line_start > 0 && input[line_start - 1] != '\n') std::abort();
}

void check(const zuv::NodeList& nodes, std::string_view input) {
  for (const zuv::Node& n : nodes) {
    const zuv::Position& p = n.position();
    check_point(p.start, input);
    check_point(p.end, input);
    if (p.start.offset > p.end.offset) std::abort();
    if (const zuv::NodeList* c = zuv::node_children(n)) check(*c, input);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  zuv::Root root = zuv::parse_document(input);
  check(root.children, input);
  (void)zuv::root_to_value(root);
  return 0;
}

// The tag readers and the block scanner on arbitrary bytes. A fault's raw text must be the
// source of its span; attributes must lie inside their tag; segments must stay in order inside
// the body, with Markdown runs and blocks never overlapping.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "scanner.h"
#include "tags.h"

namespace {

void check_tag(std::string_view text, const zuv::parser::OpenTagResult& r) {
  if (const auto* e = std::get_if<zuv::parser::TagError>(&r)) {
    if (e->end < e->start || e->end > text.size()) std::abort();
    if (text.substr(e->start, e->end - e->start) != e->raw) std::abort();
  } else if (const auto* t = std::get_if<zuv::parser::OpenTag>(&r)) {
    if (t->end > text.size() || t->end != t->end_in_text) std::abort();
    for (const zuv::AttributeNode& a : t->attributes) {
      if (a.position.start.offset <= t->start || a.position.end.offset > t->end) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  {
    std::string tag = "<X " + std::string(input);
    zuv::parser::SourceMap map(tag);
    zuv::parser::ErrorTextBudget budget(tag.size());
    check_tag(tag, zuv::parser::parse_open_tag(tag, 0, 0, map, budget));
  }
  zuv::parser::SourceMap map(input);
  zuv::parser::ErrorTextBudget budget(input.size());
  size_t last = 0;
  for (const zuv::parser::Segment& s : zuv::parser::scan_blocks(input, 0, map, budget)) {
    size_t start = 0, end = 0;
    switch (s.kind()) {
      case zuv::parser::Segment::Kind::Markdown: {
        const auto& m = std::get<zuv::parser::Segment::Markdown>(s.value);
        start = m.start, end = m.end;
        break;
      }
      case zuv::parser::Segment::Kind::Component: {
        const auto& c = std::get<zuv::parser::Segment::Component>(s.value);
        if (c.body_start > c.body_end || c.body_end > c.block_end) std::abort();
        start = c.open_tag.start, end = c.block_end;
        break;
      }
      case zuv::parser::Segment::Kind::SelfClosing: {
        const auto& c = std::get<zuv::parser::Segment::SelfClosing>(s.value);
        start = c.open_tag.start, end = c.open_tag.end;
        break;
      }
      case zuv::parser::Segment::Kind::MathBlock: {
        const auto& m = std::get<zuv::parser::Segment::MathBlock>(s.value);
        if (m.content_start > m.content_end || m.content_end > m.block_end) std::abort();
        start = m.start, end = m.block_end;
        break;
      }
      case zuv::parser::Segment::Kind::Error: {
        const auto& e = std::get<zuv::parser::Segment::Error>(s.value);
        if (e.end > input.size() || input.substr(e.start, e.end - e.start) != e.raw) std::abort();
        // A fault's text may begin past its tag's line and run over the lines after it, which
        // are scanned again: it takes no part in the order.
        continue;
      }
    }
    if (start < last || end < start || end > input.size()) std::abort();
    last = end;
  }
  return 0;
}

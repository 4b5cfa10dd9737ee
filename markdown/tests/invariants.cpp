#include "invariants.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zuv::markdown::testing {
namespace {

bool is_container(Tag tag) {
  switch (tag) {
    case Tag::BlockQuote:
    case Tag::List:
    case Tag::Item:
    case Tag::FootnoteDefinition:
    case Tag::DefinitionList:
    case Tag::DefinitionListTitle:
    case Tag::DefinitionListDefinition: return true;
    default: return false;
  }
}

}  // namespace

std::string check_invariants(std::string_view input, const Events& events) {
  std::vector<const Event*> open;
  std::vector<std::uint32_t> inside;  // events seen directly inside each open container
  std::size_t index = 0;
  std::size_t containers = 0;  // open block containers
  auto fail = [&](const char* what) { return "event " + std::to_string(index) + ": " + what; };
  for (const Event& ev : events.events) {
    if (ev.start > ev.end || ev.end > input.size()) return fail("range outside the input");
    if (ev.kind == EventKind::End) {
      if (open.empty()) return fail("End without Start");
      const Event& start = *open.back();
      if (start.tag != ev.tag) return fail("End tag differs from its Start");
      if (start.start != ev.start || start.end != ev.end)
        return fail("End range differs from its Start");
      if (start.content != inside.back()) return fail("Start content count is wrong");
      if (is_container(ev.tag)) --containers;
      open.pop_back();
      inside.pop_back();
    } else {
      if (!open.empty()) {
        ++inside.back();
        // A task marker leads the paragraph of a loose item (or the title that paragraph
        // became) from before it: it lies in the item.
        const Event* outer = open.back();
        if (ev.kind == EventKind::TaskListMarker) {
          for (auto it = open.rbegin(); it != open.rend(); ++it) {
            if ((*it)->tag == Tag::Item) {
              outer = *it;
              break;
            }
          }
        }
        if (ev.start < outer->start || ev.end > outer->end)
          return fail("range outside its container");
        const Event& parent = *open.back();
        if (parent.tag == Tag::CodeBlock && ev.kind != EventKind::Text) {
          return fail("code block holds a non-Text event");
        }
      }
      if (ev.kind == EventKind::Start) {
        if (ev.tag == Tag::Heading && (ev.level < 1 || ev.level > 6)) return fail("heading level");
        if (ev.tag == Tag::Table &&
            (ev.table >= events.tables.size() || events.tables[ev.table].count == 0 ||
             events.tables[ev.table].begin + events.tables[ev.table].count >
                 events.alignments.size())) {
          return fail("table alignments");
        }
        if ((ev.tag == Tag::Link || ev.tag == Tag::Image) && ev.link >= events.links.size()) {
          return fail("link fields");
        }
        if (is_container(ev.tag) && ++containers > kMaxContainerDepth) {
          return fail("containers nest deeper than the limit");
        }
        open.push_back(&ev);
        inside.push_back(0);
      }
    }
    ++index;
  }
  if (!open.empty()) return fail("Start without End");
  return {};
}

void parse_and_check_or_abort(std::string_view input) {
  Events events = parse_events(input);
  std::string problem = check_invariants(input, events);
  if (!problem.empty()) {
    std::fprintf(stderr, "invariant broken: %s\n", problem.c_str());
    std::abort();
  }
}

}  // namespace zuv::markdown::testing

// The public API beyond what the reference streams show: where texts point, how the storage
// behaves on moves, and the Start fields as the consumer reads them.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "zuv/markdown.h"

namespace zuv::markdown {
namespace {

bool points_into(std::string_view outer, std::string_view inner) {
  return inner.data() >= outer.data() && inner.data() + inner.size() <= outer.data() + outer.size();
}

const Event* first_of(const Events& events, EventKind kind, Tag tag = Tag::Paragraph) {
  for (const Event& ev : events.events) {
    if (ev.kind == kind && (kind != EventKind::Start || ev.tag == tag)) return &ev;
  }
  return nullptr;
}

TEST(Engine, EmptyInputHasNoEvents) { EXPECT_TRUE(parse_events("").events.empty()); }

TEST(Engine, VerbatimTextPointsIntoTheInputAndDecodedTextDoesNot) {
  const std::string input = "a &amp; \\* b\n";
  Events events = parse_events(input);
  std::vector<const Event*> texts;
  for (const Event& ev : events.events) {
    if (ev.kind == EventKind::Text) texts.push_back(&ev);
  }
  ASSERT_EQ(texts.size(), 4u);  // "a ", "&", " ", "* b"
  EXPECT_TRUE(points_into(input, texts[0]->text));
  EXPECT_EQ(texts[1]->text, "&");
  EXPECT_EQ(input.substr(texts[1]->start, texts[1]->end - texts[1]->start), "&amp;");
  // The escaped character starts its own event, just after the backslash.
  EXPECT_EQ(texts[3]->text, "* b");
  EXPECT_EQ(input[texts[3]->start - 1], '\\');
}

TEST(Engine, MovedEventsKeepTheirDecodedTexts) {
  std::string input;
  for (int i = 0; i < 2000; ++i)
    input += "[l" + std::to_string(i) + "](/u&amp;" + std::to_string(i) + " 't&lt;') ";
  Events events = parse_events(input);
  Events moved = std::move(events);
  Events assigned;
  assigned = std::move(moved);
  int links = 0;
  for (const Event& ev : assigned.events) {
    if (ev.kind != EventKind::Start || ev.tag != Tag::Link) continue;
    EXPECT_EQ(ev.text, "/u&" + std::to_string(links));
    EXPECT_EQ(assigned.title_of(ev), "t<");
    ++links;
  }
  EXPECT_EQ(links, 2000);
}

// A line closes as many levels as it leaves unmatched, counted before it closes the first; a
// definition list that ends closes its parent as well, so one level fewer stays open.
TEST(Engine, ALineClosesTheLevelsItDidNotContinueCountedFirst) {
  const std::string text = ">>a\n>>: b\n>";
  Events events = parse_events(text);
  ASSERT_FALSE(events.events.empty());
  const Event& outer = events.events.front();
  EXPECT_EQ(outer.tag, Tag::BlockQuote);
  EXPECT_EQ(outer.end, text.size() - 1);  // closed before the last line's `>`
}

TEST(Engine, ReusedEventsMatchAFreshParse) {
  const std::string first = "| a |\n|---|\n| &amp; |\n\n[x](/u 't') ![i](/p)\n";
  const std::string second = "> *b* [y][r] &lt;\n\n[r]: /v \"w\"\n";
  Events reused;
  parse_events(first, reused);
  parse_events(second, reused);
  Events fresh = parse_events(second);
  ASSERT_EQ(reused.events.size(), fresh.events.size());
  for (std::size_t i = 0; i < fresh.events.size(); ++i) {
    const Event& a = reused.events[i];
    const Event& b = fresh.events[i];
    EXPECT_EQ(a.kind, b.kind) << i;
    EXPECT_EQ(a.tag, b.tag) << i;
    EXPECT_EQ(a.start, b.start) << i;
    EXPECT_EQ(a.end, b.end) << i;
    EXPECT_EQ(a.text, b.text) << i;
  }
  EXPECT_TRUE(reused.tables.empty());
  ASSERT_EQ(reused.links.size(), 1u);
  EXPECT_EQ(reused.links[0].title, "w");
  EXPECT_EQ(reused.links[0].id, "r");
}

TEST(Engine, StartFields) {
  const std::string input =
      "## H\n\n"
      "```a\\_b&lt; x\n"
      "```\n\n"
      "7. i\n\n"
      "| l | c | r |\n|:--|:-:|--:|\n\n"
      "[^n]: note\n";
  Events events = parse_events(input);
  const Event* heading = first_of(events, EventKind::Start, Tag::Heading);
  ASSERT_TRUE(heading);
  EXPECT_EQ(heading->level, 2);
  const Event* code = first_of(events, EventKind::Start, Tag::CodeBlock);
  ASSERT_TRUE(code);
  EXPECT_TRUE(code->fenced);
  EXPECT_EQ(code->text, "a_b< x");
  const Event* list = first_of(events, EventKind::Start, Tag::List);
  ASSERT_TRUE(list);
  EXPECT_TRUE(list->ordered);
  EXPECT_EQ(list->start_number, 7u);
  const Event* table = first_of(events, EventKind::Start, Tag::Table);
  ASSERT_TRUE(table);
  auto cols = events.alignments_of(*table);
  ASSERT_EQ(cols.size(), 3u);
  EXPECT_EQ(cols[0], Alignment::Left);
  EXPECT_EQ(cols[1], Alignment::Center);
  EXPECT_EQ(cols[2], Alignment::Right);
  const Event* footnote = first_of(events, EventKind::Start, Tag::FootnoteDefinition);
  ASSERT_TRUE(footnote);
  EXPECT_EQ(footnote->text, "n");
  // Content counts the events directly inside, not those further down or the End.
  EXPECT_EQ(list->content, 1u);     // the item
  EXPECT_EQ(table->content, 1u);    // the head
  EXPECT_EQ(heading->content, 1u);  // its text
  EXPECT_EQ(code->content, 0u);     // no code lines
  Events para = parse_events("a *b* `c`\nd\n");
  const Event* p = first_of(para, EventKind::Start);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->content, 6u);  // a, emphasis, space, code, break, d
}

TEST(Engine, NamesMatchTheSerialisedForm) {
  EXPECT_EQ(name_of(EventKind::FootnoteReference), "footnote_reference");
  EXPECT_EQ(name_of(Tag::DefinitionListDefinition), "DefinitionListDefinition");
  EXPECT_EQ(name_of(LinkType::Email), "email");
  EXPECT_EQ(name_of(Alignment::Center), "center");
}

}  // namespace
}  // namespace zuv::markdown

#include <gtest/gtest.h>

#include <set>

#include "tree_builders.h"
#include "zuv/transform.h"

namespace zuv {
namespace {

using namespace zuv::testing;

TEST(HeadingSlug, AsciiLettersAndDigitsWithSingleSeparators) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"Hello, World!", "hello-world"},
      {"  --Hello--  ", "hello"},
      {"Q&A: Tips & Tricks!", "q-a-tips-tricks"},
      {"Café Ünder", "caf-nder"},
      {"snake_case and-dash", "snake-case-and-dash"},
      {"Tab\there\nnext", "tab-here-next"},
      {"Version 2.0", "version-2-0"},
      {"A 1", "a-1"},
      {"日本語", ""},
      {"?!", ""},
      {"", ""},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(heading_slug(input), expected) << input;
}

std::vector<std::optional<std::string>> slug_ids(const std::vector<std::string>& titles) {
  NodeList nodes;
  for (const auto& t : titles) nodes.push_back(heading(2, t));
  Root root = root_of(std::move(nodes));
  AutoSlugTransform().transform(root, "");
  std::vector<std::optional<std::string>> ids;
  for (const Node& n : root.children) ids.push_back(n.as<StandardBlockNode>().id);
  return ids;
}

TEST(AutoSlug, IdsAreUniqueAcrossTheDocument) {
  using Ids = std::vector<std::optional<std::string>>;
  const std::pair<std::vector<std::string>, Ids> cases[] = {
      {{"Intro", "Intro", "Intro"}, {"intro", "intro-1", "intro-2"}},
      // A slug that looks like a suffixed id must not reuse one already handed out.
      {{"A", "A", "A 1"}, {"a", "a-1", "a-1-1"}},
      {{"A 1", "A", "A"}, {"a-1", "a", "a-2"}},
      {{"X", "X-1", "X", "X"}, {"x", "x-1", "x-2", "x-3"}},
      {{"B", "B", "B 1", "B 1"}, {"b", "b-1", "b-1-1", "b-1-2"}},
      {{"Hello, World!", "Other"}, {"hello-world", "other"}},
      {{"!!", "Setup", ""}, {std::nullopt, "setup", std::nullopt}},
  };
  for (const auto& [titles, expected] : cases) EXPECT_EQ(slug_ids(titles), expected);
}

TEST(AutoSlug, WalksItsKindsAndSkipsDefinitionLists) {
  Root root = root_of({
      block(NodeKind::Blockquote, {heading(2, "Quote")}),
      block(NodeKind::List, {block(NodeKind::ListItem, {heading(2, "Item")})}),
      footnote(NodeKind::FootnoteDefinition, {heading(2, "Note")}),
      component("Box", {heading(2, "Boxed")}),
      block(NodeKind::DefinitionList,
            {block(NodeKind::DefinitionDescription, {heading(2, "Defined")})}),
      // A heading that keeps its id keeps it and is still entered.
      heading(2, {text("Kept"), heading(3, "Inner")}, "custom"),
      heading(2, {text("The "), code_inline("run"), text(" command")}),
      heading(2, {link("u", {text("Linked")}), block(NodeKind::Emphasis, {text(" words")})}),
  });
  AutoSlugTransform().transform(root, "");
  EXPECT_EQ(outline(root.children),
            R"(blockquote[heading2#quote["Quote"]] )"
            R"(list[list_item[heading2#item["Item"]]] )"
            R"(footnote_definition[heading2#note["Note"]] )"
            R"(component(Box)[heading2#boxed["Boxed"]] )"
            R"(definition_list[definition_description[heading2["Defined"]]] )"
            R"(heading2#custom["Kept" heading3#inner["Inner"]] )"
            R"(heading2#the-command["The " code_inline " command"] )"
            R"(heading2#linked-words[link(u)["Linked"] emphasis[" words"]])");

  Root again = root;
  AutoSlugTransform().transform(again, "");
  EXPECT_EQ(again, root);
}

// Colliding titles in bulk: every id stays unique, and the run stays fast enough that a
// quadratic de-duplication would show as a timeout.
TEST(AutoSlug, ManyCollidingHeadingsStayUnique) {
  std::vector<std::string> titles;
  for (int i = 0; i < 20000; ++i) {
    titles.push_back(i % 3 == 0 ? "A" : i % 3 == 1 ? "A 1" : "A " + std::to_string(i % 50));
  }
  // Every suffix taken first, then the bare slug over and over: the skipped suffixes are
  // probed once, not once per heading.
  for (int i = 1; i <= 20000; ++i) titles.push_back("B " + std::to_string(i));
  for (int i = 0; i < 20000; ++i) titles.push_back("B");
  auto ids = slug_ids(titles);
  std::set<std::string> distinct;
  for (const auto& id : ids) {
    ASSERT_TRUE(id.has_value());
    distinct.insert(*id);
  }
  EXPECT_EQ(distinct.size(), titles.size());
  EXPECT_EQ(ids.back(), "b-39999");  // "b" itself, then b-20001 onwards
}

}  // namespace
}  // namespace zuv

#include <gtest/gtest.h>

#include "json_testing.h"
#include "tree_builders.h"
#include "zuv/dict_form.h"
#include "zuv/transform.h"

namespace zuv {
namespace {

using namespace zuv::testing;

Node placeholder() { return component("TableOfContents"); }

Node heading_with_id(uint8_t depth, std::string title, std::string id) {
  return heading(std::optional<uint8_t>(depth), {text(std::move(title))}, std::move(id));
}

TEST(TableOfContents, FlatListOfLevelsInRangeWithZeroPositions) {
  ComponentNode marked;
  marked.name = "TableOfContents";
  marked.isInline = true;
  marked.attributes.push_back({"title", std::string("Contents"), one_line(1, 1, 0, 5)});
  marked.position = one_line(1, 1, 0, 20);
  Root root = root_of({Node(NodeKind::Component, marked), heading_with_id(1, "Title", "title"),
                       heading_with_id(2, "Setup", "setup"), heading_with_id(3, "Linux", "linux"),
                       heading_with_id(4, "Deep", "deep")});
  TableOfContentsTransform().transform(root, "");

  constexpr const char* kZero =
      R"({"end":{"column":0,"line":0,"offset":0},"start":{"column":0,"line":0,"offset":0}})";
  std::string expected = R"({"attributes":[],"children":[{"children":[
      {"children":[{"children":[{"position":@Z,"type":"text","value":"Setup"}],
        "position":@Z,"type":"link","url":"#setup"}],"depth":2,"position":@Z,"type":"list_item"},
      {"children":[{"children":[{"position":@Z,"type":"text","value":"Linux"}],
        "position":@Z,"type":"link","url":"#linux"}],"depth":3,"position":@Z,"type":"list_item"}],
      "position":@Z,"type":"list"}],
      "isInline":false,"name":"TableOfContents","position":@Z,"type":"component"})";
  for (size_t at; (at = expected.find("@Z")) != std::string::npos;) expected.replace(at, 2, kZero);
  ASSERT_EQ(root.children.size(), 5u);
  EXPECT_JSON(node_to_value(root.children[0]), expected);
}

TEST(TableOfContents, PlaceholderRules) {
  const Node h = heading_with_id(2, "A", "a");
  const std::string toc = R"(component(TableOfContents)[list[list_item2[link(#a)["A"]]]])";
  const std::pair<NodeList, std::string> cases[] = {
      {{placeholder(), h}, toc + R"( heading2#a["A"])"},
      // The first of two placeholders is replaced, the second stays.
      {{h, placeholder(), placeholder()},
       R"(heading2#a["A"] )" + toc + " component(TableOfContents)"},
      // Nested placeholders are not looked for; with children it is no placeholder.
      {{block(NodeKind::Blockquote, {placeholder()}), component("Box", {placeholder()}), h},
       R"(blockquote[component(TableOfContents)] component(Box)[component(TableOfContents)] )"
       R"(heading2#a["A"])"},
      {{component("TableOfContents", {text("x")}), h},
       R"(component(TableOfContents)["x"] heading2#a["A"])"},
      {{component("tableOfContents"), component("TableOfContent"), h},
       R"(component(tableOfContents) component(TableOfContent) heading2#a["A"])"},
      // Nothing listed: the placeholder stays an empty component.
      {{placeholder(), heading_with_id(1, "Top", "top"), heading_with_id(4, "Low", "low")},
       R"(component(TableOfContents) heading1#top["Top"] heading4#low["Low"])"},
  };
  for (const auto& [nodes, expected] : cases) {
    Root root = root_of(nodes);
    TableOfContentsTransform().transform(root, "");
    EXPECT_EQ(outline(root.children), expected);
  }
}

TEST(TableOfContents, EntriesFromTheWholeTree) {
  Root root = root_of({
      placeholder(),
      block(NodeKind::Blockquote, {heading_with_id(2, "Quoted", "quoted")}),
      // No id (definition lists get none from the slug pass): listed with an empty url.
      block(NodeKind::DefinitionList,
            {block(NodeKind::DefinitionDescription, {heading(2, "Defined")})}),
      component("Box", {heading_with_id(3, "Boxed", "boxed")}),
      // No depth: not listed.
      heading(std::nullopt, {text("Levelless")}, "levelless"),
      heading(std::optional<uint8_t>(2),
              {text("Use "), code_inline("x"),
               Node(NodeKind::MathInline, MathNode{"y", MathExpr::ident("y"), {}}),
               block(NodeKind::Strong, {text("it")})},
              "use"),
  });
  TableOfContentsTransform().transform(root, "");
  EXPECT_EQ(outline({root.children[0]}),
            R"(component(TableOfContents)[list[list_item2[link(#quoted)["Quoted"]] )"
            R"(list_item2[link()["Defined"]] list_item3[link(#boxed)["Boxed"]] )"
            R"(list_item2[link(#use)["Use it"]]]])");
}

std::vector<std::string> labels_for(const std::vector<uint8_t>& levels, TocSettings settings) {
  NodeList nodes;
  for (uint8_t level : levels) nodes.push_back(heading(level, "S"));
  Root root = root_of(std::move(nodes));
  TableOfContentsTransform(settings).transform(root, "");
  std::vector<std::string> labels;
  if (root.children.empty() || root.children[0].kind != NodeKind::Component) return labels;
  const auto& list = root.children[0].as<ComponentNode>().children.at(0);
  for (const Node& item : list.as<StandardBlockNode>().children) {
    const Node& l = item.as<StandardBlockNode>().children.at(0);
    labels.push_back(l.as<LinkNode>().children.at(0).as<TextNode>().value);
  }
  return labels;
}

TEST(TableOfContents, SectionNumbersAndDepthRange) {
  const TocSettings numbered{true, true, 1, 6};
  const std::tuple<std::vector<uint8_t>, TocSettings, std::vector<std::string>> cases[] = {
      {{2, 3, 3, 2}, numbered, {"1 S", "1.1 S", "1.2 S", "2 S"}},
      {{2, 4}, numbered, {"1 S", "1.0.1 S"}},
      {{3, 2}, numbered, {"0.1 S", "1 S"}},
      {{2, 3, 4, 2, 4}, numbered, {"1 S", "1.1 S", "1.1.1 S", "2 S", "2.0.1 S"}},
      {{1, 2, 3, 4, 5, 6}, TocSettings{true, false, 3, 5}, {"S", "S", "S"}},
      // Settings beyond the heading levels the parser makes still work.
      {{250, 252, 255}, TocSettings{true, true, 0, 255}, {"1 S", "1.0.1 S", "1.0.1.0.0.1 S"}},
      {{2}, TocSettings{true, false, 4, 3}, {}},
  };
  for (const auto& [levels, settings, expected] : cases) {
    EXPECT_EQ(labels_for(levels, settings), expected);
  }
}

TEST(TableOfContents, AutoInsertOnlyWithoutPlaceholder) {
  const NodeList nodes = {paragraph({text("p")}), heading_with_id(2, "A", "a")};
  const std::string toc = R"(component(TableOfContents)[list[list_item2[link(#a)["A"]]]])";
  const std::tuple<NodeList, bool, std::string> cases[] = {
      {nodes, true, toc + R"( paragraph["p"] heading2#a["A"])"},
      {nodes, false, R"(paragraph["p"] heading2#a["A"])"},
      {{paragraph({text("p")}), placeholder(), heading_with_id(2, "A", "a")},
       true,
       R"(paragraph["p"] )" + toc + R"( heading2#a["A"])"},
      {{paragraph({text("p")})}, true, R"(paragraph["p"])"},
  };
  for (const auto& [input, auto_insert, expected] : cases) {
    Root root = root_of(input);
    TableOfContentsTransform({auto_insert, false, 2, 3}).transform(root, "");
    EXPECT_EQ(outline(root.children), expected);
  }
}

}  // namespace
}  // namespace zuv

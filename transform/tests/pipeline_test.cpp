#include <gtest/gtest.h>

#include "tree_builders.h"
#include "zuv/parser.h"
#include "zuv/transform.h"

namespace zuv {
namespace {

using namespace zuv::testing;

Root headed_document() {
  return root_of(
      {component("TableOfContents"), heading(2, "Getting Started"), heading(3, "Install")});
}

TEST(Pipeline, DefaultOrderGivesLinkedContents) {
  Root root = headed_document();
  apply_transforms(default_transforms(), root, "");
  EXPECT_EQ(
      outline(root.children),
      R"(component(TableOfContents)[list[list_item2[link(#getting-started)["Getting Started"]] )"
      R"(list_item3[link(#install)["Install"]]]] )"
      R"(heading2#getting-started["Getting Started"] heading3#install["Install"])");

  // Contents built before the slugs: empty urls, while the headings still get ids.
  TransformList reversed;
  reversed.push_back(std::make_unique<TableOfContentsTransform>());
  reversed.push_back(std::make_unique<AutoSlugTransform>());
  Root late = headed_document();
  apply_transforms(reversed, late, "");
  EXPECT_EQ(outline(late.children),
            R"(component(TableOfContents)[list[list_item2[link()["Getting Started"]] )"
            R"(list_item3[link()["Install"]]]] )"
            R"(heading2#getting-started["Getting Started"] heading3#install["Install"])");
}

// Records the order of the runs and the text each is given.
class Recorder final : public Transform {
 public:
  Recorder(std::string tag, std::string& log) : tag_(std::move(tag)), log_(log) {}
  std::string_view name() const override { return tag_; }
  void transform(Root& root, std::string_view source) const override {
    log_ += tag_ + "(" + std::string(source) + ") ";
    root.children.push_back(text(tag_));
  }

 private:
  std::string tag_;
  std::string& log_;
};

TEST(Pipeline, ParsesThenRunsTheCallersListInOrder) {
  std::string log;
  TransformList list;
  list.push_back(std::make_unique<Recorder>("first", log));
  list.push_back(std::make_unique<Recorder>("second", log));
  list.push_back(std::make_unique<Recorder>("first", log));
  Root root = parse_with_pipeline(list, "doc");
  EXPECT_EQ(log, "first(doc) second(doc) first(doc) ");
  Root parsed = parse_document("doc");
  for (const char* tag : {"first", "second", "first"}) parsed.children.push_back(text(tag));
  EXPECT_EQ(root, parsed);

  EXPECT_EQ(parse_with_pipeline({}, "doc"), parse_document("doc"));
  EXPECT_EQ(parse_with_default_pipeline("doc"), parse_with_pipeline(default_transforms(), "doc"));
}

TEST(Pipeline, TransformNames) {
  EXPECT_EQ(AutoSlugTransform().name(), "auto-slug");
  EXPECT_EQ(TableOfContentsTransform().name(), "table-of-contents");
  const TocSettings s = TableOfContentsTransform().settings();
  EXPECT_EQ((std::tuple(s.auto_insert, s.numbered, s.min_depth, s.max_depth)),
            (std::tuple(false, false, uint8_t{2}, uint8_t{3})));
}

}  // namespace
}  // namespace zuv

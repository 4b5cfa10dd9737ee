#include "transform_names.h"

#include <gtest/gtest.h>

#include "zuv/github.h"

namespace zuv::module {
namespace {

TEST(TransformNames, AcceptedNamesOnly) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"auto-slug", "auto-slug"},
      {"toc", "table-of-contents"},
      {"github", "github-references"},
      {"TOC", ""},
      {" toc", ""},
      {"toc ", ""},
      {"table-of-contents", ""},
      {"", ""},
  };
  for (const auto& [name, transform_name] : cases) {
    auto t = make_named_transform(name, std::nullopt);
    EXPECT_EQ(t ? t->name() : "", transform_name) << name;
  }
  auto toc = make_named_transform("toc", "o/r");
  const TocSettings s = dynamic_cast<const TableOfContentsTransform&>(*toc).settings();
  EXPECT_EQ((std::tuple(s.auto_insert, s.numbered, s.min_depth, s.max_depth)),
            (std::tuple(false, false, uint8_t{2}, uint8_t{3})));
}

TEST(TransformNames, GithubTakesTheRepositoryWhenGiven) {
  const std::pair<std::optional<std::string_view>, std::string_view> cases[] = {
      {std::nullopt, ""}, {"", ""}, {"owner/repo", "owner/repo"}};
  for (const auto& [repo, expected] : cases) {
    auto t = make_named_transform("github", repo);
    EXPECT_EQ(dynamic_cast<const GithubReferencesTransform&>(*t).repo(), expected);
  }
}

TEST(TransformNames, ListInOrderOrTheFirstUnknownName) {
  const std::vector<std::string> names = {"toc", "auto-slug", "github", "toc"};
  NamedTransforms ok = make_named_transforms(names, std::nullopt);
  ASSERT_FALSE(ok.error);
  std::vector<std::string_view> got;
  for (const auto& t : ok.transforms) got.push_back(t->name());
  EXPECT_EQ(got, (std::vector<std::string_view>{"table-of-contents", "auto-slug",
                                                "github-references", "table-of-contents"}));

  const std::vector<std::string> bad = {"toc", " Toc\"", "nope"};
  NamedTransforms failed = make_named_transforms(bad, "o/r");
  EXPECT_EQ(failed.error, "unknown transform: \" Toc\"\"");
  EXPECT_TRUE(failed.transforms.empty());

  EXPECT_TRUE(make_named_transforms({}, std::nullopt).transforms.empty());
}

}  // namespace
}  // namespace zuv::module

#include <gtest/gtest.h>

#include <algorithm>

#include "tree_builders.h"
#include "zuv/github.h"
#include "zuv/parser.h"

namespace zuv {
namespace {

using namespace zuv::testing;

std::string describe(const std::vector<GithubReference>& refs) {
  std::string out;
  for (const auto& r : refs) {
    const char* kind = r.kind == GithubReferenceKind::Issue     ? "issue"
                       : r.kind == GithubReferenceKind::Mention ? "user"
                                                                : "commit";
    out += std::string(kind) + ":" + std::string(r.text) + "@" + std::to_string(r.start) + "-" +
           std::to_string(r.end) + " ";
  }
  return out;
}

TEST(FindGithubReferences, IssuesMentionsAndCommits) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"See #12.", "issue:12@4-7 "},
      {"(#12)", "issue:12@1-4 "},
      {"#007", "issue:007@0-4 "},
      {"#12abc", "issue:12@0-3 "},
      {"a#12", ""},
      {"##12", ""},
      {"# 1", ""},
      {"@dev_team", "user:dev_team@0-9 "},
      {"hi @dev_team", "user:dev_team@3-12 "},
      {"\t@a\n@b", "user:a@1-3 user:b@4-6 "},
      {"me@example", ""},
      {"(@user)", ""},
      {"\"@user\"", ""},
      {"@user's", "user:user@0-5 "},
      {"@-", "user:-@0-2 "},
      {"@ x", ""},
      {"@#12", ""},
      {"3f2a1b9c0d", "commit:3f2a1b9c0d@0-10 "},
      {"DEADBEEF", "commit:DEADBEEF@0-8 "},
      {"cafe1234_x", "commit:cafe1234@0-8 "},
      {"at abcdef1.", "commit:abcdef1@3-10 "},
      {"1234567", ""},
      {"abc123", ""},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", ""},  // 41 hex digits
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
       "commit:aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
       "aaaaaaaa@0-40 "},
      {"cafe1234z", ""},
      {"xdeadbeef", ""},
      {"#abcdef1", ""},
      {"Fix #3 by @ann in 0abc1234", "issue:3@4-6 user:ann@10-14 commit:0abc1234@18-26 "},
      {"", ""},
      {"#", ""},
      {"@", ""},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(describe(find_github_references(input)), expected) << input;
  }
}

std::string linked(NodeList nodes, std::string_view repository = "o/r") {
  link_github_references(nodes, {repository});
  return outline(nodes);
}

TEST(LinkGithubReferences, TextPiecesAndLinks) {
  const std::pair<std::string, std::string> cases[] = {
      {"See #12.", R"("See " link(https://github.com/o/r/issues/12)["#12"] ".")"},
      {"@dev_team", R"(link(https://github.com/dev_team)["@dev_team"])"},
      {"in 3f2a1b9c0d now",
       R"("in " link(https://github.com/o/r/commit/3f2a1b9c0d)["3f2a1b9"] " now")"},
      {"DEADBEEF", R"(link(https://github.com/o/r/commit/DEADBEEF)["DEADBEE"])"},
      {"#1 #2",
       R"(link(https://github.com/o/r/issues/1)["#1"] " " link(https://github.com/o/r/issues/2)["#2"])"},
      {"nothing here", R"("nothing here")"},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(linked({paragraph({text(value)})}), "paragraph[" + expected + "]");
  }
  EXPECT_EQ(linked({text("#12")}, ""), R"(link(https://github.com//issues/12)["#12"])");
}

TEST(LinkGithubReferences, LinkedContexts) {
  const std::pair<Node, std::string> cases[] = {
      {heading(2, "#1"), "heading2"},
      {block(NodeKind::List, {block(NodeKind::ListItem, {text("#1")})}), "list[list_item"},
      {block(NodeKind::Table,
             {block(NodeKind::TableRow, {block(NodeKind::TableCell, {text("#1")})})}),
       "table[table_row[table_cell"},
      {block(NodeKind::DefinitionList, {block(NodeKind::DefinitionTerm, {text("#1")}),
                                        block(NodeKind::DefinitionDescription, {text("#1")})}),
       "definition_list[definition_term"},
      {footnote(NodeKind::FootnoteDefinition, {text("#1")}), "footnote_definition"},
      {component("Note", {text("#1")}), "component(Note)"},
      {block(NodeKind::Blockquote, {block(NodeKind::Strikethrough, {text("#1")})}),
       "blockquote[strikethrough"},
  };
  for (const auto& [node, prefix] : cases) {
    EXPECT_TRUE(linked({node}).starts_with(prefix + "[link(https://github.com/o/r/issues/1)"))
        << linked({node});
  }
}

TEST(LinkGithubReferences, UnlinkedContexts) {
  const Node cases[] = {
      link("u", {text("#1")}),
      image({text("#1")}),
      code_inline("#1"),
      code_block("#1 @ann 3f2a1b9c0d"),
      // Raw markup: the attribute value must stay inside the html node's text.
      block(NodeKind::Html, {text("<span title=\"#12 @ann\">")}),
      footnote(NodeKind::FootnoteReference, {text("#1")}),
      Node(NodeKind::Error, ErrorNode{"m", "#1", {}}),
  };
  for (const Node& node : cases) {
    NodeList nodes = {paragraph({node})};
    NodeList before = nodes;
    link_github_references(nodes, {"o/r"});
    EXPECT_EQ(nodes, before) << outline(before);
  }
}

TEST(GithubReferencesTransform, RepositoryFromTransformOrFrontMatter) {
  auto front_matter = [](JsonValue github) {
    JsonObject o;
    o.insert(JsonKey(std::string("github")), std::move(github));
    return std::optional<JsonValue>(JsonValue::make_object(std::move(o)));
  };
  const std::optional<JsonValue> fm = front_matter(JsonValue::make_string("fm/repo"));
  // The longest repository the service allows, and one byte more.
  const std::string longest = std::string(39, 'o') + "/" + std::string(100, 'r');
  const std::string too_long = longest + "r";
  const std::tuple<GithubReferencesTransform, std::optional<JsonValue>, std::string> cases[] = {
      {GithubReferencesTransform("o/r"), std::nullopt, "https://github.com/o/r/issues/1"},
      {GithubReferencesTransform("o/r"), fm, "https://github.com/o/r/issues/1"},
      {GithubReferencesTransform(), fm, "https://github.com/fm/repo/issues/1"},
      {GithubReferencesTransform(""), fm, "https://github.com/fm/repo/issues/1"},
      // An empty or malformed repository links nothing, from either source; a malformed `repo`
      // does not fall back to the front matter.
      {GithubReferencesTransform(), front_matter(JsonValue::make_string("")), ""},
      {GithubReferencesTransform(""), front_matter(JsonValue::make_string("")), ""},
      {GithubReferencesTransform(), front_matter(JsonValue::make_string("a b/c d")), ""},
      {GithubReferencesTransform("a b/c d"), std::nullopt, ""},
      {GithubReferencesTransform("a b/c d"), fm, ""},
      // No repository at all: nothing is linked, mentions included.
      {GithubReferencesTransform(), std::nullopt, ""},
      {GithubReferencesTransform(), front_matter(JsonValue::make_u64(5)), ""},
      {GithubReferencesTransform(), JsonValue::make_array({JsonValue::make_string("o/r")}), ""},
      {GithubReferencesTransform(), JsonValue::make_object(), ""},
      {GithubReferencesTransform(longest), std::nullopt,
       "https://github.com/" + longest + "/issues/1"},
      {GithubReferencesTransform(), front_matter(JsonValue::make_string(longest)),
       "https://github.com/" + longest + "/issues/1"},
      // A longer one links nothing, and the front matter is not asked instead.
      {GithubReferencesTransform(too_long), std::nullopt, ""},
      {GithubReferencesTransform(too_long), fm, ""},
      {GithubReferencesTransform(), front_matter(JsonValue::make_string(too_long)), ""},
  };
  for (const auto& [transform, frontmatter, url] : cases) {
    Root root = root_of({paragraph({text("#1 @ann")})});
    root.frontmatter = frontmatter;
    transform.transform(root, "");
    const NodeList& pieces = root.children[0].as<StandardBlockNode>().children;
    if (url.empty()) {
      EXPECT_EQ(outline(pieces), R"("#1 @ann")");
    } else {
      EXPECT_EQ(outline(pieces),
                "link(" + url + R"()["#1"] " " link(https://github.com/ann)["@ann"])");
    }
  }
  EXPECT_EQ(GithubReferencesTransform().name(), "github-references");
  EXPECT_EQ(GithubReferencesTransform().base_url(), "https://github.com");
}

TEST(IsGithubRepository, OwnerSlashName) {
  const std::string longest = std::string(39, 'o') + "/" + std::string(100, 'r');
  const std::pair<std::string, bool> cases[] = {
      {"o/r", true},
      {"Octo-Cat/hello.world", true},
      {"my_org/a-b_c.d", true},
      {"o/.github", true},
      {"0/9", true},
      {longest, true},
      {longest + "r", false},
      {"", false},
      {"o", false},
      {"/r", false},
      {"o/", false},
      {"/", false},
      {"a b/c d", false},
      {" o/r", false},
      {"o/r\n", false},
      {"o/r/x", false},
      {"o//r", false},
      {"o/.", false},
      {"o/..", false},
      {"o.x/r", false},
      {"o/r?x", false},
      {"o/r#1", false},
      {"o/r%20", false},
      {"\xc3\xb6/r", false},
  };
  for (const auto& [repository, accepted] : cases) {
    EXPECT_EQ(is_github_repository(repository), accepted) << repository;
  }
}

std::string positions(const NodeList& nodes) {
  std::string out;
  for (const Node& n : nodes) {
    const Position& p = n.position();
    out += std::to_string(p.start.line) + ":" + std::to_string(p.start.column) + "/" +
           std::to_string(p.start.offset) + "-" + std::to_string(p.end.line) + ":" +
           std::to_string(p.end.column) + "/" + std::to_string(p.end.offset) + " ";
    if (n.kind == NodeKind::Link) {
      EXPECT_EQ(n.as<LinkNode>().children.at(0).position(), p);
    }
  }
  return out;
}

TEST(LinkGithubReferences, PiecePositions) {
  const std::tuple<std::string, Position, std::string> cases[] = {
      {"x #1", one_line(3, 5, 40, 4), "3:5/40-3:7/42 3:7/42-3:9/44 "},
      {"#1 y", one_line(1, 1, 0, 4), "1:1/0-1:3/2 1:3/2-1:5/4 "},
      // A line feed ends its line: the byte after it is column 1 of the next line.
      {"a\n#1 b", Position{{2, 4, 10}, {3, 5, 16}}, "2:4/10-3:1/12 3:1/12-3:3/14 3:3/14-3:5/16 "},
      {"<p>\n\n@ann\n", Position{{1, 1, 0}, {5, 1, 10}}, "1:1/0-3:1/5 3:1/5-3:5/9 3:5/9-4:1/10 "},
  };
  for (const auto& [value, position, expected] : cases) {
    NodeList nodes = {text(value, position)};
    link_github_references(nodes, {"o/r"});
    EXPECT_EQ(positions(nodes), expected) << value;
  }
}

std::string spot(const Point& p) {
  return std::to_string(p.line) + ":" + std::to_string(p.column) + "/" + std::to_string(p.offset);
}

// The point of `offset` in `source`, counted afresh.
std::string spot_in(std::string_view source, uint64_t offset) {
  const std::string_view before = source.substr(0, offset);
  const size_t line_start = before.rfind('\n') + 1;  // npos + 1 is 0
  return spot({static_cast<uint64_t>(std::count(before.begin(), before.end(), '\n')) + 1,
               offset - line_start + 1, offset});
}

// The text and link leaves of a list as `"value"@start-end` (a link as `[label]@...`, inline
// code as `code@...`); every point must have the line and column of its offset in `source`.
void append_placed(std::string& out, const NodeList& nodes, std::string_view source) {
  for (const Node& n : nodes) {
    const Position& p = n.position();
    std::string shown;
    if (n.kind == NodeKind::Text) {
      shown = "\"" + n.as<TextNode>().value + "\"";
    } else if (n.kind == NodeKind::Link) {
      const Node& label = n.as<LinkNode>().children.at(0);
      EXPECT_EQ(label.position(), p);
      shown = "[" + label.as<TextNode>().value + "]";
    } else if (n.kind == NodeKind::CodeInline) {
      shown = "code";
    } else {
      if (const NodeList* children = node_children(n)) append_placed(out, *children, source);
      continue;
    }
    EXPECT_EQ(spot(p.start), spot_in(source, p.start.offset)) << shown;
    EXPECT_EQ(spot(p.end), spot_in(source, p.end.offset)) << shown;
    out += shown + "@" + std::to_string(p.start.offset) + "-" + std::to_string(p.end.offset) + " ";
  }
}

// Links stand on their bytes in the source even where a text's value differs from it: after an
// escape (whose node drops the backslash) and after a code span's `{lang}` (whose following text
// loses the suffix but keeps its range). The first text piece keeps the node's start.
TEST(GithubReferencesTransform, PlacedByTheirSourceBytes) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"`x`{js} see #12 now", R"(code@0-3 " see "@3-12 [#12]@12-15 " now"@15-19 )"},
      {"`x`{js}#12", R"(code@0-3 [#12]@7-10 )"},
      {"\\{$ see #12} x", R"("{$ see "@0-8 [#12]@8-11 "}"@11-12 " x"@12-14 )"},
      {"\\{$a\n#12} x", "\"{$a\n\"@0-5 [#12]@5-8 \"}\"@8-9 \" x\"@9-11 "},
      {"\\* #12", R"("\* "@0-3 [#12]@3-6 )"},
      {"&amp; #12", R"("&amp;"@0-5 " "@5-6 [#12]@6-9 )"},
      {"a #1\n  b #2\n#3 c",
       "\"a \"@0-2 [#1]@2-4 \"\n\"@4-5 \"b \"@7-9 [#2]@9-11 \"\n\"@11-12 [#3]@12-14 \" c\"@14-16 "},
      {"> #12\n> x 3f2a1b9c0d", "[#12]@2-5 \"\n\"@5-6 \"x \"@8-10 [3f2a1b9]@10-20 "},
      {"<Note>\n@ann and #12\n</Note>", R"([@ann]@7-11 " and "@11-16 [#12]@16-19 )"},
      {"a <B>#12</B>", R"("a "@0-2 [#12]@5-8 )"},
      {"\xc3\xa9 `x`{py}\xc3\xbc #1", "\"\xc3\xa9 \"@0-3 code@3-6 \"\xc3\xbc \"@6-13 [#1]@13-15 "},
  };
  for (const auto& [source, expected] : cases) {
    Root root = parse_document(source);
    GithubReferencesTransform("o/r").transform(root, source);
    std::string out;
    append_placed(out, root.children, source);
    EXPECT_EQ(out, expected) << source;
  }
}

// Long texts and long lists of text nodes full of references: one pass each, no splicing that
// shifts the rest of a list for every replaced node.
TEST(LinkGithubReferences, ManyReferencesStayLinear) {
  constexpr size_t kCount = 50000;
  std::string value;
  for (size_t i = 0; i < kCount; ++i) value += "#1 ";
  EXPECT_EQ(find_github_references(value).size(), kCount);

  NodeList nodes = {text(value)};
  link_github_references(nodes, {"o/r"});
  EXPECT_EQ(nodes.size(), 2 * kCount);
  EXPECT_EQ(nodes.back().position().end.offset, value.size());

  NodeList many;
  for (size_t i = 0; i < kCount; ++i) many.push_back(text(i % 2 ? "#7" : "plain"));
  link_github_references(many, {"o/r"});
  EXPECT_EQ(many.size(), kCount);
  EXPECT_EQ(many[1].kind, NodeKind::Link);
  EXPECT_EQ(many[2].kind, NodeKind::Text);
}

}  // namespace
}  // namespace zuv

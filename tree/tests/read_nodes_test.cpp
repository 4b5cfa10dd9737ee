#include <gtest/gtest.h>

#include <string>

#include "json_testing.h"
#include "read_testing.h"

namespace zuv {
namespace {

using testing::nested_message;
using testing::node_rewritten;
using testing::read_root_text;
using testing::root_message;
using testing::top_message;
using testing::with_pos;

constexpr const char* kS = R"({"line":1,"column":1,"offset":0})";

std::string sub(std::string text) {
  for (size_t at; (at = text.find("@S")) != std::string::npos;) text.replace(at, 2, kS);
  return text;
}

TEST(ReadRoot, FaultsInReadingOrder) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"type":"root","children":[],"position":@P})", "ok"},
      {R"(["root", null, [], @P])", "ok"},
      {"{}", "missing field `type`"},
      {R"({"type":"root"})", "missing field `children`"},
      {R"({"type":"root","children":[]})", "missing field `position`"},
      // children sorts before position before type, and values are judged before absences.
      {R"({"type":"Root","children":5})", "invalid type: integer `5`, expected a sequence"},
      {R"({"children":[],"position":7,"type":"Root"})",
       "invalid type: integer `7`, expected struct Position"},
      {R"({"type":"Root"})", "unknown variant `Root`, expected `root`"},
      {R"({"type":{"root":null},"children":[],"position":@P})", "ok"},
      {R"({"type":{"root":{}}})", "invalid type: map, expected unit"},
      {R"({"type":{"root":1}})", "invalid type: integer `1`, expected unit"},
      {R"({"type":{"text":null}})", "unknown variant `text`, expected `root`"},
      {R"({"type":{}})", "invalid value: map, expected map with a single key"},
      {R"({"type":{"root":null,"text":null}})",
       "invalid value: map, expected map with a single key"},
      {R"({"type":null})", "invalid type: null, expected string or map"},
      {R"({"type":["root"]})", "invalid type: sequence, expected string or map"},
      {R"({"type":"root","children":null,"position":@P})",
       "invalid type: null, expected a sequence"},
      {R"({"type":"root","children":[],"position":@P,"extra":[1,{"x":null}],"Frontmatter":5})",
       "ok"},
      {"null", "invalid type: null, expected struct Root"},
      {R"("root")", "invalid type: string \"root\", expected struct Root"},
      {"[]", "invalid length 0, expected struct Root with 4 elements"},
      {R"(["root"])", "invalid length 1, expected struct Root with 4 elements"},
      {"[5]", "invalid type: integer `5`, expected string or map"},
      {R"(["root", null, [], @P, 99])", "invalid length 5, expected fewer elements in array"},
      {R"(["root", null, [], 5, 99])", "invalid type: integer `5`, expected struct Position"},
      // The root's position and points.
      {R"(["root", null, [], {"start":@S}])", "missing field `end`"},
      {R"(["root", null, [], {}])", "missing field `start`"},
      {R"(["root", null, [], [@S]])", "invalid length 1, expected struct Position with 2 elements"},
      {R"(["root", null, [], [@S, @S, @S]])", "invalid length 3, expected fewer elements in array"},
      {R"(["root", null, [], [[0, 0, 0], [1, 1, 1]]])", "ok"},
      {R"(["root", null, [], [{"line":1,"column":1}, @S]])", "missing field `offset`"},
      {R"(["root", null, [], [[1, 1], @S]])",
       "invalid length 2, expected struct Point with 3 elements"},
      {R"(["root", null, [], [[1, 1, 1, 1], @S]])",
       "invalid length 4, expected fewer elements in array"},
      {R"(["root", null, [], [[-1, 1, 1], @S]])", "invalid value: integer `-1`, expected usize"},
      {R"(["root", null, [], [[1.0, 1, 1], @S]])",
       "invalid type: floating point `1.0`, expected usize"},
      {R"(["root", null, [], [[true, 1, 1], @S]])", "invalid type: boolean `true`, expected usize"},
      {R"(["root", null, [], [[18446744073709551615, 1, 1], @S]])", "ok"},
      {R"(["root", null, [], null])", "invalid type: null, expected struct Position"},
  };
  for (const auto& [dict, message] : cases) {
    EXPECT_EQ(root_message(sub(dict)), message) << dict;
  }
}

TEST(ReadRoot, FrontMatterIsTakenOverUnchanged) {
  const std::pair<const char*, const char*> cases[] = {
      {"null", "null"},
      {"false", "false"},
      {"0", "0"},
      {R"("")", R"("")"},
      {"[]", "[]"},
      {"{}", "{}"},
      {R"({"b":[1,-2,2.5],"a":{"x":null}})", R"({"a":{"x":null},"b":[1,-2,2.5]})"},
  };
  for (const auto& [fm, written] : cases) {
    auto r = read_root_text(std::string(R"({"type":"root","children":[],"position":@P,)") +
                            R"("frontmatter":)" + fm + "}");
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(r.value().frontmatter.has_value(), std::string_view(fm) != "null");
    EXPECT_EQ(to_json_text(root_to_value(r.value())),
              testing::compact_json(with_pos(std::string(R"({"children":[],"frontmatter":)") +
                                             written + R"(,"position":@P,"type":"root"})")));
  }
}

constexpr const char* kNodeNames =
    "`text`, `code_inline`, `code_block`, `paragraph`, `heading`, `list`, `list_item`, "
    "`blockquote`, `thematic_break`, `html`, `table`, `table_row`, `table_cell`, `link`, "
    "`image`, `emphasis`, `strong`, `strikethrough`, `definition_list`, `definition_term`, "
    "`definition_description`, `footnote_definition`, `footnote_reference`, `math_inline`, "
    "`math_display`, `citation`, `cross_ref`, `component`, `variable`, `error`";

TEST(ReadNode, TagsAtBothPlaces) {
  const std::string unknown_text =
      std::string("unknown variant `Text`, expected one of ") + kNodeNames;
  const struct {
    const char* node;
    std::string top;
    std::string nested;
  } cases[] = {
      {R"({"type":"text","value":"a","position":@P})", "ok", "ok"},
      {R"(["text","a",@P])", "ok", "ok"},
      {R"({"value":"a","position":@P})", "missing field `type`", "missing field `type`"},
      {"[]", "missing field `type`", "missing field `type`"},
      {R"({"type":"Text","value":5})", unknown_text, unknown_text},
      {R"({"type":"text ","value":"a","position":@P})",
       std::string("unknown variant `text `, expected one of ") + kNodeNames,
       std::string("unknown variant `text `, expected one of ") + kNodeNames},
      {R"({"value":5})", "missing field `type`", "missing field `type`"},
      {R"({"type":0,"value":"a","position":@P})",
       "invalid type: integer `0`, expected variant identifier", "ok"},
      {R"([0,"a",@P])", "invalid type: integer `0`, expected variant identifier", "ok"},
      {R"({"type":29,"message":"m","rawContent":"","position":@P})",
       "invalid type: integer `29`, expected variant identifier", "ok"},
      {R"({"type":30,"message":"m","rawContent":"","position":@P})",
       "invalid type: integer `30`, expected variant identifier",
       "invalid value: integer `30`, expected variant index 0 <= i < 30"},
      {R"({"type":-1})", "invalid type: integer `-1`, expected variant identifier",
       "invalid type: integer `-1`, expected variant identifier"},
      {R"({"type":1.0})", "invalid type: floating point `1.0`, expected variant identifier",
       "invalid type: floating point `1.0`, expected variant identifier"},
      {R"({"type":null})", "invalid type: null, expected variant identifier",
       "invalid type: null, expected variant identifier"},
      {R"({"type":true})", "invalid type: boolean `true`, expected variant identifier",
       "invalid type: boolean `true`, expected variant identifier"},
      {R"({"type":["text"]})", "invalid type: sequence, expected variant identifier",
       "invalid type: sequence, expected variant identifier"},
      {"5", "invalid type: integer `5`, expected internally tagged enum Node",
       "invalid type: integer `5`, expected internally tagged enum Node"},
      {"null", "invalid type: null, expected internally tagged enum Node",
       "invalid type: null, expected internally tagged enum Node"},
      {"true", "invalid type: boolean `true`, expected internally tagged enum Node",
       "invalid type: boolean `true`, expected internally tagged enum Node"},
      // The payload is read inside the node at both places.
      {R"({"type":"text"})", "missing field `value`", "missing field `value`"},
      {R"(["text"])", "invalid length 0, expected struct TextNode with 2 elements",
       "invalid length 0, expected struct TextNode with 2 elements"},
      {R"(["text","a",@P,1])", "invalid length 3, expected 2 elements in sequence",
       "invalid length 3, expected 2 elements in sequence"},
      {R"({"type":"text","value":"a","position":[@S,@S,0]})",
       "invalid length 3, expected 2 elements in sequence",
       "invalid length 3, expected 2 elements in sequence"},
      {R"({"type":"text","value":"a","position":[[1,1,1,1],@S]})",
       "invalid length 4, expected 3 elements in sequence",
       "invalid length 4, expected 3 elements in sequence"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(top_message(sub(c.node)), c.top) << c.node;
    EXPECT_EQ(nested_message(sub(c.node)), c.nested) << c.node;
  }
}

TEST(ReadNode, PayloadFaults) {
  const std::pair<const char*, const char*> cases[] = {
      // A bad value beats a missing field; among bad values the first key in byte order.
      {R"({"type":"text","value":1})", "invalid type: integer `1`, expected a string"},
      {R"({"type":"text","value":1,"position":null})",
       "invalid type: null, expected struct Position"},
      {R"({"type":"text","value":"a","position":@P,"Value":1,"children":5})", "ok"},
      {R"({"type":"link","position":@P})", "missing field `url`"},
      {R"({"type":"component","isInline":1,"name":5})",
       "invalid type: integer `1`, expected a boolean"},
      {R"({"type":"component","isInline":true,"attributes":[],"children":[]})",
       "missing field `name`"},
      // Array forms: every element needed, null for an absent optional field.
      {R"(["code_inline","c",null,@P])", "ok"},
      {R"(["code_inline","c",@P])", "invalid type: map, expected a string"},
      {R"(["code_block","v",null,null,null,null,null,null,null])",
       "invalid length 8, expected struct CodeBlockNode with 9 elements"},
      {R"(["link","u",null,[],@P])", "ok"},
      {R"(["link","u",[],@P])", "invalid type: sequence, expected a string"},
      {R"(["math_display","r",{"type":"ident","value":"x"},@P])",
       "invalid type: map, expected a string"},
      // Field readers.
      {R"({"type":"code_block","value":"","position":@P,"highlight":[-1]})",
       "invalid value: integer `-1`, expected u32"},
      {R"({"type":"code_block","value":"","position":@P,"highlight":[4294967296]})",
       "invalid value: integer `4294967296`, expected u32"},
      {R"({"type":"code_block","value":"","position":@P,"highlight":[2.0]})",
       "invalid type: floating point `2.0`, expected u32"},
      {R"({"type":"code_block","value":"","position":@P,"highlight":"1-3"})",
       "invalid type: string \"1-3\", expected a sequence"},
      {R"({"type":"code_block","value":"","position":@P,"showLineNumbers":"yes"})",
       "invalid type: string \"yes\", expected a boolean"},
      {R"({"type":"code_block","value":"","position":@P,"show_line_numbers":1})", "ok"},
      {R"({"type":"heading","depth":255,"children":[],"position":@P})", "ok"},
      {R"({"type":"heading","depth":256,"children":[],"position":@P})",
       "invalid value: integer `256`, expected u8"},
      {R"({"type":"heading","depth":true,"children":[],"position":@P})",
       "invalid type: boolean `true`, expected u8"},
      {R"({"type":"list","ordered":1,"children":[],"position":@P})",
       "invalid type: integer `1`, expected a boolean"},
      {R"({"type":"thematic_break","position":@P})", "missing field `children`"},
      {R"({"type":"footnote_reference","label":"1","position":@P})", "missing field `children`"},
      {R"({"type":"error","message":"m","position":@P})", "missing field `rawContent`"},
      {R"({"type":"error","message":"m","raw_content":"","position":@P})",
       "missing field `rawContent`"},
      {R"({"type":"error","message":"m","rawContent":null,"position":@P})",
       "invalid type: null, expected a string"},
      {R"({"type":"error","position":@P})", "missing field `message`"},
      {R"({"type":"math_inline","raw":"x","position":@P})", "missing field `tree`"},
      {R"({"type":"math_inline","position":@P})", "missing field `raw`"},
      {R"({"type":"math_inline","raw":"x","tree":null,"position":@P})",
       "invalid type: null, expected internally tagged enum MathExpr"},
      {R"({"type":"citation","keys":null,"position":@P})",
       "invalid type: null, expected a sequence"},
      {R"({"type":"citation","keys":["smith"],"position":@P})",
       "invalid type: string \"smith\", expected struct CitationKey"},
      {R"({"type":"citation","keys":[{}],"position":@P})", "missing field `id`"},
      {R"({"type":"citation","keys":[["a"]],"position":@P})",
       "invalid length 1, expected struct CitationKey with 3 elements"},
      {R"({"type":"citation","keys":[["a",null,null,null]],"position":@P})",
       "invalid length 4, expected 3 elements in sequence"},
      {R"({"type":"cross_ref","target":7,"position":@P})",
       "invalid type: integer `7`, expected a string"},
      {R"({"type":"variable","path":"","position":@P})", "ok"},
      // A nested node's failure is the whole read's; the first bad element is reported.
      {R"({"type":"strong","position":@P,"children":[{"type":"text"},{"type":5}]})",
       "missing field `value`"},
  };
  for (const auto& [node, message] : cases) {
    EXPECT_EQ(top_message(sub(node)), message) << node;
  }
}

TEST(ReadNode, ComponentRawContentAndAttributes) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"type":"component","name":"C","isInline":false,"attributes":[],"children":[],
           "position":@P})",
       "ok"},
      {R"({"type":"component","name":"C","isInline":false,"attributes":[],"children":[],
           "rawContent":null,"position":@P})",
       "invalid type: null, expected a string"},
      // The default stands in for a missing last-but-one element, but the position is then
      // missing: an array form needs all six elements.
      {R"(["component","C",false,[],[]])",
       "invalid length 5, expected struct ComponentNode with 6 elements"},
      {R"(["component","C",false,[],[],""])",
       "invalid length 5, expected struct ComponentNode with 6 elements"},
      {R"(["component","C",false,[]])",
       "invalid length 3, expected struct ComponentNode with 6 elements"},
      {R"(["component","C",false,[],[],"",@P])", "ok"},
      {R"(["component","C",false,[],[],"",@P,0])",
       "invalid length 7, expected 6 elements in sequence"},
      {R"(["component","C",false,[5],[],"",@P])",
       "invalid type: integer `5`, expected struct AttributeNode"},
      {R"(["component","C",false,[["a",1]],[],"",@P])",
       "invalid length 2, expected struct AttributeNode with 3 elements"},
      {R"(["component","C",false,[["a",1,@P,0]],[],"",@P])",
       "invalid length 4, expected 3 elements in sequence"},
      {R"(["component","C",false,[{"name":"a","position":@P}],[],"",@P])", "missing field `value`"},
  };
  for (const auto& [node, message] : cases) {
    EXPECT_EQ(top_message(node), message) << node;
  }
}

// What reads, written again: absent optional fields leave no key.
TEST(ReadNode, ReadsBackAsWritten) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"type":"code_block","value":"v","lang":null,"highlight":null,
           "showLineNumbers":null,"position":@P})",
       R"({"position":@P,"type":"code_block","value":"v"})"},
      {R"({"type":"code_block","value":"v","highlight":[3,1,3],"showLineNumbers":false,
           "position":@P})",
       R"({"highlight":[3,1,3],"position":@P,"showLineNumbers":false,"type":"code_block",
           "value":"v"})"},
      {R"({"type":"code_block","value":"v","highlight":[],"position":@P})",
       R"({"highlight":[],"position":@P,"type":"code_block","value":"v"})"},
      {R"({"type":"paragraph","depth":3,"ordered":true,"checked":null,"children":[],
           "position":@P})",
       R"({"children":[],"depth":3,"ordered":true,"position":@P,"type":"paragraph"})"},
      {R"(["image","u",null,"",[],@P])",
       R"({"alt":"","children":[],"position":@P,"type":"image","url":"u"})"},
      {R"({"type":"footnote_reference","label":"1","position":@P,
           "children":[{"type":"text","value":"x","position":@P}]})",
       R"({"children":[{"position":@P,"type":"text","value":"x"}],"label":"1","position":@P,
           "type":"footnote_reference"})"},
      {R"({"type":"citation","keys":[{"id":"a","prefix":null,"type":"x"}],"position":@P})",
       R"({"keys":[{"id":"a"}],"position":@P,"type":"citation"})"},
      {R"({"type":"component","name":"C","isInline":true,"attributes":[
             ["n", null, @P], ["a", 3, @P], ["b", -3, @P], ["c", 3.0, @P],
             ["d", [null, 1, "s", [2], {"k": false}], @P]],
           "children":[],"rawContent":" ","position":@P})",
       R"({"attributes":[{"name":"n","position":@P,"value":null},
                         {"name":"a","position":@P,"value":3},
                         {"name":"b","position":@P,"value":-3},
                         {"name":"c","position":@P,"value":3.0},
                         {"name":"d","position":@P,"value":[null,1,"s",[2],{"k":false}]}],
           "children":[],"isInline":true,"name":"C","position":@P,"rawContent":" ",
           "type":"component"})"},
  };
  for (const auto& [node, written] : cases) {
    EXPECT_EQ(node_rewritten(node), testing::compact_json(with_pos(written))) << node;
  }
}

TEST(ReadNode, SharedPayloadsKeepTheirKind) {
  auto r = read_root_text(testing::wrap_top(
      R"({"type":"strong","children":[],"position":@P},
         {"type":"emphasis","children":[],"position":@P})"));
  ASSERT_TRUE(r);
  EXPECT_EQ(r.value().children[0].kind, NodeKind::Strong);
  EXPECT_EQ(r.value().children[1].kind, NodeKind::Emphasis);
  EXPECT_EQ(r.value().children[0].payload, r.value().children[1].payload);
}

// A variable attribute value is written as {"path", "position"}; exactly that form reads back
// as a variable, every other object stays an object.
TEST(ReadNode, VariableAttributeValues) {
  const std::string written_pos(testing::kPosText);
  const struct {
    std::string value;
    AttributeKind kind;
  } cases[] = {
      {R"({"path":"user.name","position":@P})", AttributeKind::Variable},
      {R"({"path":"_x","position":{"end":{"column":0,"line":0,"offset":0},
                                   "start":{"column":0,"line":0,"offset":0}}})",
       AttributeKind::Variable},
      {R"({"path":"a b","position":@P})", AttributeKind::Object},
      {R"({"path":"","position":@P})", AttributeKind::Object},
      {R"({"path":5,"position":@P})", AttributeKind::Object},
      {R"({"path":"a","position":@P,"x":1})", AttributeKind::Object},
      {R"({"path":"a"})", AttributeKind::Object},
      {R"({"path":"a","position":[[1,1,0],[1,2,1]]})", AttributeKind::Object},
      {R"({"path":"a","position":{"start":{"line":1,"column":1,"offset":0}}})",
       AttributeKind::Object},
      {R"({"path":"a","position":{"end":{"column":1,"line":1,"offset":-1},
                                   "start":{"column":1,"line":1,"offset":0}}})",
       AttributeKind::Object},
      {R"({"path":"a","position":{"end":{"column":1,"line":1,"offset":0,"x":0},
                                   "start":{"column":1,"line":1,"offset":0}}})",
       AttributeKind::Object},
      {"{}", AttributeKind::Object},
  };
  for (const auto& c : cases) {
    const std::string node = R"({"type":"component","name":"C","isInline":true,"children":[],
        "position":@P,"attributes":[{"name":"v","position":@P,"value":)" +
                             c.value + "}]}";
    auto r = read_root_text(testing::wrap_top(node));
    ASSERT_TRUE(r) << r.error().message;
    const Node& component = r.value().children[0];
    EXPECT_EQ(attribute_kind(component.as<ComponentNode>().attributes[0].value), c.kind) << c.value;
    // Writing it again gives the same dict.
    auto written = node_to_value(component);
    const JsonValue* value = written.get("attributes");
    ASSERT_TRUE(value);
    EXPECT_EQ(to_json_text(*value->items()[0].get("value")),
              testing::compact_json(to_json_text(testing::json(c.value))))
        << c.value;
  }
  auto r = read_root_text(testing::wrap_top(
      R"({"type":"component","name":"C","isInline":true,"children":[],"position":@P,
          "attributes":[{"name":"v","position":@P,"value":{"path":"a.b","position":@P}}]})"));
  ASSERT_TRUE(r);
  const auto& var =
      std::get<VariableNode>(r.value().children[0].as<ComponentNode>().attributes[0].value);
  EXPECT_EQ(var.path, "a.b");
  EXPECT_EQ(var.position, (Position{{1, 1, 0}, {1, 2, 1}}));
}

// Nesting past the limit fails with a message of its own instead of exhausting the stack. A
// chain of n paragraphs is 2n + 3 levels deep down to the innermost position's points.
std::string nested_paragraphs(size_t n) {
  std::string open, close;
  for (size_t i = 0; i < n; ++i) {
    open += R"({"type":"paragraph","position":@P,"children":[)";
    close += "]}";
  }
  return testing::wrap_top(open + close);
}

TEST(ReadNode, NestingLimit) {
  const std::string limit = "nesting too deep (more than 1024 levels)";
  EXPECT_EQ(root_message(nested_paragraphs(510)), "ok");
  EXPECT_EQ(root_message(nested_paragraphs(511)), limit);
  EXPECT_EQ(root_message(nested_paragraphs(2000)), limit);
  std::string deep_math;
  for (int i = 0; i < 1100; ++i) deep_math += R"({"type":"row","children":[)";
  for (int i = 0; i < 1100; ++i) deep_math += "]}";
  EXPECT_EQ(testing::math_message(deep_math), limit);
}

}  // namespace
}  // namespace zuv

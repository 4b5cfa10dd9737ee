#include <gtest/gtest.h>

#include <string>

#include "json_testing.h"
#include "json_text.h"
#include "zuv/schema.h"

namespace zuv {
namespace {

JsonValue json(std::string_view text) {
  std::optional<JsonValue> v = testing::json_from_text(text);
  if (!v) ADD_FAILURE() << "not JSON: " << text;
  return v ? std::move(*v) : JsonValue();
}

struct Case {
  const char* schema;  // JSON text
  const char* error;   // empty: reads
};

// The error of reading `text` as a schema, or empty when it reads.
std::string read_error(std::string_view text) {
  auto result = schema_from_value(json(text));
  return result ? std::string() : result.error().message;
}

Schema read(std::string_view text) {
  auto result = schema_from_value(json(text));
  if (!result) ADD_FAILURE() << text << ": " << result.error().message;
  return result ? std::move(result).value() : Schema{};
}

// One prop schema `p`, inside component A.
std::string prop_case(std::string_view prop) {
  return R"({"components": {"A": {"props": {"p": )" + std::string(prop) + "}}}}";
}

void expect_errors(const Case* begin, const Case* end, std::string (*wrap)(std::string_view)) {
  for (const Case* c = begin; c != end; ++c) {
    EXPECT_EQ(read_error(wrap(c->schema)), c->error) << c->schema;
  }
}

std::string as_is(std::string_view s) { return std::string(s); }

TEST(ReadSchema, SchemaRecord) {
  const Case cases[] = {
      {R"({"components": {}})", ""},
      {R"([{}])", ""},
      {R"([{}, true, []])", ""},
      {R"({"components": {}, "version": [1, 2], "Strict": 1})", ""},
      {R"(5)", "invalid type: integer `5`, expected struct Schema"},
      {R"(-5)", "invalid type: integer `-5`, expected struct Schema"},
      {R"(1e16)", "invalid type: floating point `1e+16`, expected struct Schema"},
      {R"("x")", R"(invalid type: string "x", expected struct Schema)"},
      {R"(null)", "invalid type: null, expected struct Schema"},
      {R"(false)", "invalid type: boolean `false`, expected struct Schema"},
      {R"([])", "invalid length 0, expected struct Schema with 3 elements"},
      {R"([{}, true, [], 1])", "invalid length 4, expected fewer elements in array"},
      {R"([{}, null])", "invalid type: null, expected a boolean"},
      {R"([1, 1, 1, 1])", "invalid type: integer `1`, expected a map"},
      {R"({})", "missing field `components`"},
      {R"({"strict": true})", "missing field `components`"},
      // A present key is read before a missing one is noticed, keys in ascending order.
      {R"({"strict": "yes"})", R"(invalid type: string "yes", expected a boolean)"},
      {R"({"strict": 1, "global_props": 1})", "invalid type: integer `1`, expected a sequence"},
      {R"({"strict": 1, "components": []})", "invalid type: sequence, expected a map"},
      {R"({"components": {}, "strict": null})", "invalid type: null, expected a boolean"},
      {R"({"components": {}, "strict": "a\"\\\n\t\u0000é\u0301"})",
       R"(invalid type: string "a\"\\\n\t\0é\u{301}", expected a boolean)"},
      {R"({"components": {}, "global_props": null})", "invalid type: null, expected a sequence"},
      {R"({"components": {}, "global_props": {}})", "invalid type: map, expected a sequence"},
      {R"({"components": null})", "invalid type: null, expected a map"},
      {R"({"components": {"B": 1, "A": 2}})",
       "invalid type: integer `2`, expected struct ComponentSchema"},
  };
  expect_errors(std::begin(cases), std::end(cases), as_is);
}

TEST(ReadSchema, ComponentRecord) {
  const Case cases[] = {
      {R"({"props": {}})", ""},
      {R"([{}])", ""},
      {R"([{}, true, ["B"], "d"])", ""},
      {R"([{}, false, null, null])", ""},
      {R"({"props": {}, "allowed_children": null, "description": null, "x": 1})", ""},
      {R"({})", "missing field `props`"},
      {R"({"props": null})", "invalid type: null, expected a map"},
      {R"({"props": [1]})", "invalid type: sequence, expected a map"},
      {R"([])", "invalid length 0, expected struct ComponentSchema with 4 elements"},
      {R"([{}, false, null, null, 1])", "invalid length 5, expected fewer elements in array"},
      {R"([{}, null])", "invalid type: null, expected a boolean"},
      {R"([{}, false, null, 1, 1])", "invalid type: integer `1`, expected a string"},
      {R"("Box")", R"(invalid type: string "Box", expected struct ComponentSchema)"},
      {R"({"props": {}, "self_closing": "no"})",
       R"(invalid type: string "no", expected a boolean)"},
      {R"({"allowed_children": [1]})", "invalid type: integer `1`, expected a string"},
      {R"({"allowed_children": ["A", null]})", "invalid type: null, expected a string"},
      {R"({"allowed_children": "B", "props": {}})",
       R"(invalid type: string "B", expected a sequence)"},
      {R"({"description": 1.5, "props": {}})",
       "invalid type: floating point `1.5`, expected a string"},
      {R"({"props": {"b": 1, "a": true}})",
       "invalid type: boolean `true`, expected struct PropSchema"},
  };
  expect_errors(std::begin(cases), std::end(cases), [](std::string_view c) {
    return R"({"components": {"A": )" + std::string(c) + "}}";
  });
}

TEST(ReadSchema, PropRecordAndType) {
  const Case cases[] = {
      {R"({"type": "string"})", ""},
      {R"(["string"])", ""},
      {R"({"type": {"enum": null}})", ""},
      {R"(["enum", false, null, ["a", "b"]])", ""},
      {R"(["any", true, {"x": [1]}, null, "d"])", ""},
      {R"({"type": "any", "default": null, "values": null, "description": null})", ""},
      {R"({})", "missing field `type`"},
      {R"({"required": true})", "missing field `type`"},
      {R"({"required": 1})", "invalid type: integer `1`, expected a boolean"},
      {R"({"type": "str"})",
       "unknown variant `str`, expected one of `string`, `number`, `boolean`, `enum`, `object`, "
       "`array`, `variable`, `any`"},
      {R"({"type": "String"})",
       "unknown variant `String`, expected one of `string`, `number`, `boolean`, `enum`, "
       "`object`, `array`, `variable`, `any`"},
      // The name is shown as given, without escapes.
      {R"({"type": "a\"\n"})",
       "unknown variant `a\"\n`, expected one of `string`, `number`, `boolean`, `enum`, "
       "`object`, `array`, `variable`, `any`"},
      {R"({"type": {"Enum": null}})",
       "unknown variant `Enum`, expected one of `string`, `number`, `boolean`, `enum`, "
       "`object`, `array`, `variable`, `any`"},
      {R"({"type": {"enum": 1}})", "invalid type: integer `1`, expected unit"},
      {R"({"type": {"enum": []}})", "invalid type: sequence, expected unit"},
      {R"({"type": {"nope": 1}})",
       "unknown variant `nope`, expected one of `string`, `number`, `boolean`, `enum`, "
       "`object`, `array`, `variable`, `any`"},
      {R"({"type": {}})", "invalid value: map, expected map with a single key"},
      {R"({"type": {"enum": null, "any": null}})",
       "invalid value: map, expected map with a single key"},
      {R"({"type": 3})", "invalid type: integer `3`, expected string or map"},
      {R"({"type": null})", "invalid type: null, expected string or map"},
      {R"({"type": true})", "invalid type: boolean `true`, expected string or map"},
      {R"({"type": ["string"]})", "invalid type: sequence, expected string or map"},
      {R"({"type": "enum", "values": [1]})", "invalid type: integer `1`, expected a string"},
      {R"({"type": "enum", "values": "a"})", R"(invalid type: string "a", expected a sequence)"},
      {R"({"type": "any", "description": 5})", "invalid type: integer `5`, expected a string"},
      // "default" sorts first: its value is taken whatever it is, then "description" fails.
      {R"({"default": {}, "description": [], "type": 1})",
       "invalid type: sequence, expected a string"},
      {R"([])", "invalid length 0, expected struct PropSchema with 5 elements"},
      {R"(["string", null])", "invalid type: null, expected a boolean"},
      {R"(["string", false, null, null, null, 1])",
       "invalid length 6, expected fewer elements in array"},
      {R"(["string", false, null, null, 1, 1])", "invalid type: integer `1`, expected a string"},
      {R"([1, false, null, null, null, 1])", "invalid type: integer `1`, expected string or map"},
      {R"(null)", "invalid type: null, expected struct PropSchema"},
  };
  expect_errors(std::begin(cases), std::end(cases), prop_case);
}

TEST(ReadSchema, GlobalProps) {
  const Case cases[] = {
      {R"([])", ""},
      {R"([["x", {"type": "any"}], ["x", ["number"]]])", ""},
      {R"([["x"]])", "invalid length 1, expected a tuple of size 2"},
      {R"([[]])", "invalid length 0, expected a tuple of size 2"},
      {R"([["x", {"type": "any"}, 0]])", "invalid length 3, expected fewer elements in array"},
      {R"([["x", {}, 0]])", "missing field `type`"},
      {R"([[1]])", "invalid type: integer `1`, expected a string"},
      {R"([{"x": {"type": "any"}}])", "invalid type: map, expected a tuple of size 2"},
      {R"(["x"])", R"(invalid type: string "x", expected a tuple of size 2)"},
      {R"([[1, {"type": "any"}]])", "invalid type: integer `1`, expected a string"},
      {R"([["x", 1]])", "invalid type: integer `1`, expected struct PropSchema"},
      {R"([["ok", {"type": "any"}], ["x", {"type": "str"}], 5])",
       "unknown variant `str`, expected one of `string`, `number`, `boolean`, `enum`, `object`, "
       "`array`, `variable`, `any`"},
  };
  expect_errors(std::begin(cases), std::end(cases), [](std::string_view c) {
    return R"({"components": {}, "global_props": )" + std::string(c) + "}";
  });
}

TEST(ReadSchema, WhatIsKept) {
  Schema s = read(R"({
    "components": {
      "Box": {"props": {"size": {"type": "number", "required": true, "default": 3,
                                 "description": "d"},
                        "kind": ["enum", false, null, ["a", "b"]],
                        "free": {"type": {"enum": null}, "values": null}},
              "self_closing": true, "allowed_children": [], "description": "box"},
      "Open": [{}, false, ["Box", "Box", "x"]]
    },
    "strict": true,
    "global_props": [["id", {"type": "string"}], ["id", ["any"]], ["cls", ["array"]]]
  })");
  EXPECT_TRUE(s.strict);
  ASSERT_EQ(s.components.size(), 2u);
  const ComponentSchema& box = s.components.at("Box");
  EXPECT_TRUE(box.self_closing);
  EXPECT_EQ(box.allowed_children, std::vector<std::string>{});
  EXPECT_EQ(box.description, "box");
  ASSERT_EQ(box.props.size(), 3u);
  const PropSchema& size = box.props.at("size");
  EXPECT_EQ(size.type, PropType::Number);
  EXPECT_TRUE(size.required);
  ASSERT_TRUE(size.default_value);
  EXPECT_JSON(*size.default_value, "3");
  EXPECT_EQ(size.description, "d");
  const PropSchema& kind = box.props.at("kind");
  EXPECT_EQ(kind.type, PropType::Enum);
  EXPECT_FALSE(kind.required);
  EXPECT_FALSE(kind.default_value);
  EXPECT_EQ(kind.values, (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(kind.description);
  EXPECT_EQ(box.props.at("free").values, std::nullopt);

  const ComponentSchema& open = s.components.at("Open");
  EXPECT_FALSE(open.self_closing);
  EXPECT_TRUE(open.props.empty());
  EXPECT_EQ(open.allowed_children, (std::vector<std::string>{"Box", "Box", "x"}));
  EXPECT_FALSE(open.description);

  ASSERT_EQ(s.global_props.size(), 3u);
  EXPECT_EQ(s.global_props[0].first, "id");
  EXPECT_EQ(s.global_props[0].second.type, PropType::String);
  EXPECT_EQ(s.global_props[1].first, "id");
  EXPECT_EQ(s.global_props[1].second.type, PropType::Any);
  EXPECT_EQ(s.global_props[2].first, "cls");

  Schema bare = read(R"({"components": {}})");
  EXPECT_TRUE(bare.components.empty());
  EXPECT_FALSE(bare.strict);
  EXPECT_TRUE(bare.global_props.empty());

  const std::pair<const char*, PropType> types[] = {
      {"string", PropType::String},     {"number", PropType::Number},
      {"boolean", PropType::Boolean},   {"enum", PropType::Enum},
      {"object", PropType::Object},     {"array", PropType::Array},
      {"variable", PropType::Variable}, {"any", PropType::Any}};
  for (const auto& [name, type] : types) {
    const std::string quoted = '"' + std::string(name) + '"';
    for (const std::string& form : {quoted, "{" + quoted + ": null}"}) {
      Schema one = read(prop_case("[" + form + "]"));
      EXPECT_EQ(one.components.at("A").props.at("p").type, type) << form;
    }
  }
}

TEST(ReadSchema, DefaultsOfEveryKindAreKept) {
  for (const char* value : {"null", "true", "-2", "1.5", "\"s\"", "[1, [2]]", "{\"k\": {}}"}) {
    Schema s = read(prop_case(std::string(R"({"type": "any", "default": )") + value + "}"));
    const PropSchema& p = s.components.at("A").props.at("p");
    if (std::string_view(value) == "null") {
      EXPECT_FALSE(p.default_value);
    } else {
      ASSERT_TRUE(p.default_value) << value;
      EXPECT_JSON(*p.default_value, value);
    }
  }
}

// A schema read from its dict form drives the validator.
TEST(ReadSchema, ReadSchemaValidates) {
  Schema s = read(R"({"components": {"X": {"props": {"kind": ["enum", true, null, ["a"]]}}},
                      "global_props": [["id", ["string"]]]})");
  ComponentNode c;
  c.name = "X";
  c.attributes.push_back(AttributeNode{"kind", std::string("b"), {{2, 4, 0}, {}}});
  c.attributes.push_back(AttributeNode{"id", JsonNumber::from_u64(1), {{2, 9, 0}, {}}});
  c.position = {{2, 1, 0}, {}};
  Root root;
  root.children.push_back(Node(NodeKind::Component, std::move(c)));
  const std::vector<Diagnostic> expected = {
      {R"(prop `kind` on <X> must be one of [a], got "b")", "X", 2, 4, Severity::Error},
      {"prop `id` on <X> expects string, got number", "X", 2, 9, Severity::Error},
  };
  EXPECT_EQ(validate_document(root, s), expected);
}

}  // namespace
}  // namespace zuv

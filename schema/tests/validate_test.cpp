#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json_testing.h"
#include "zuv/schema.h"

namespace zuv {
namespace {

Position at(uint64_t line, uint64_t column) {
  return Position{{line, column, 0}, {line, column + 1, 0}};
}

AttributeNode attr(std::string name, AttributeValue value, uint64_t line = 1, uint64_t column = 1) {
  return AttributeNode{std::move(name), std::move(value), at(line, column)};
}

Node comp(std::string name, Position position, std::vector<AttributeNode> attributes = {},
          NodeList children = {}) {
  ComponentNode c;
  c.name = std::move(name);
  c.attributes = std::move(attributes);
  c.children = std::move(children);
  c.position = position;
  return Node(NodeKind::Component, std::move(c));
}

Node block(NodeKind kind, NodeList children) {
  StandardBlockNode b;
  b.children = std::move(children);
  return Node(kind, std::move(b));
}

Node text(std::string value) { return Node(NodeKind::Text, TextNode{std::move(value), {}}); }

PropSchema prop(PropType type, bool required = false,
                std::optional<std::vector<std::string>> values = std::nullopt) {
  PropSchema p;
  p.type = type;
  p.required = required;
  p.values = std::move(values);
  return p;
}

Root doc(NodeList children) {
  Root r;
  r.children = std::move(children);
  return r;
}

Diagnostic err(std::string message, std::string component, uint64_t line, uint64_t column) {
  return Diagnostic{std::move(message), std::move(component), line, column, Severity::Error};
}

Diagnostic warn(std::string message, std::string component, uint64_t line, uint64_t column) {
  return Diagnostic{std::move(message), std::move(component), line, column, Severity::Warning};
}

// One attribute value against one prop type, through a component X.
std::vector<Diagnostic> check_one(const PropSchema& p, AttributeValue value) {
  Schema s;
  s.components["X"].props["p"] = p;
  NodeList nodes;
  nodes.push_back(comp("X", at(1, 1), {attr("p", std::move(value), 2, 3)}));
  return validate_document(doc(std::move(nodes)), s);
}

TEST(Validate, TypeMatrix) {
  struct Value {
    AttributeValue value;
    const char* actual;  // the kind's name in a finding
    char code;           // the letter that a type's passing set uses
  };
  JsonObject object;
  object.insert(JsonKey(std::string("k")), JsonValue::make_u64(1));
  const Value values[] = {
      {std::monostate{}, "null", 'z'},
      {true, "boolean", 'b'},
      {false, "boolean", 'b'},
      {JsonNumber::from_u64(7), "number", 'n'},
      {JsonNumber::from_i64(-7), "number", 'n'},
      {JsonNumber::from_f64(1.5), "number", 'n'},
      {std::string("s"), "string", 's'},
      {std::string(""), "string", 's'},
      {JsonArray{JsonValue::make_u64(1)}, "array", 'a'},
      {JsonArray{}, "array", 'a'},
      {object, "object", 'o'},
      {JsonObject{}, "object", 'o'},
      {VariableNode{"a.b", {}}, "", 'v'},
  };
  struct Type {
    PropType type;
    const char* expected;
    const char* passes;  // a variable reference passes every type
  };
  const Type types[] = {
      {PropType::String, "string", "sv"},    {PropType::Number, "number", "nv"},
      {PropType::Boolean, "boolean", "bv"},  {PropType::Enum, "string (enum)", "sv"},
      {PropType::Object, "object", "ov"},    {PropType::Array, "array", "av"},
      {PropType::Variable, "variable", "v"}, {PropType::Any, "", "zbnsaov"},
  };
  for (const Type& t : types) {
    for (const Value& v : values) {
      SCOPED_TRACE(std::string(enum_name(t.type)) + " given " + v.actual + " (" + v.code + ")");
      auto found = check_one(prop(t.type), v.value);
      if (std::string_view(t.passes).find(v.code) != std::string_view::npos) {
        EXPECT_EQ(found, std::vector<Diagnostic>{});
      } else {
        EXPECT_EQ(found, std::vector<Diagnostic>{err(std::string("prop `p` on <X> expects ") +
                                                         t.expected + ", got " + v.actual,
                                                     "X", 2, 3)});
      }
    }
  }
}

TEST(Validate, Enumerations) {
  using Values = std::optional<std::vector<std::string>>;
  using Names = std::vector<std::string>;
  struct Case {
    Values values;
    AttributeValue value;
    const char* message;  // empty: passes
  };
  const Case cases[] = {
      {Names{"a", "b"}, std::string("a"), ""},
      {Names{"a", "b"}, std::string("c"), R"(prop `p` on <X> must be one of [a, b], got "c")"},
      {Names{"a", "b"}, std::string("A"), R"(prop `p` on <X> must be one of [a, b], got "A")"},
      {Names{"a"}, std::string("a "), R"(prop `p` on <X> must be one of [a], got "a ")"},
      {std::nullopt, std::string("anything"), ""},
      {Names{}, std::string("a"), R"(prop `p` on <X> must be one of [], got "a")"},
      {Names{}, std::string(""), R"(prop `p` on <X> must be one of [], got "")"},
      // Only the type finding for a value that is no string; a reference skips both checks.
      {Names{"a"}, JsonNumber::from_u64(3), "prop `p` on <X> expects string (enum), got number"},
      {Names{}, VariableNode{"v", {}}, ""},
  };
  for (const Case& c : cases) {
    auto found = check_one(prop(PropType::Enum, false, c.values), c.value);
    if (*c.message == '\0') {
      EXPECT_EQ(found, std::vector<Diagnostic>{});
    } else {
      EXPECT_EQ(found, std::vector<Diagnostic>{err(c.message, "X", 2, 3)});
    }
  }
  // Values restrict only enum props.
  EXPECT_EQ(check_one(prop(PropType::String, false, std::vector<std::string>{}), std::string("x")),
            std::vector<Diagnostic>{});
}

TEST(Validate, RequiredUnknownAndGlobalProps) {
  Schema s;
  ComponentSchema& x = s.components["X"];
  x.props["b"] = prop(PropType::Any, true);
  x.props["a"] = prop(PropType::Any, true);
  x.props["own"] = prop(PropType::Number);
  x.props["opt"] = prop(PropType::Any);
  s.global_props = {{"g", prop(PropType::Number, true)},
                    {"own", prop(PropType::String)},
                    {"twice", prop(PropType::Boolean)},
                    {"twice", prop(PropType::String)}};
  struct Case {
    const char* what;
    std::vector<AttributeNode> attributes;
    std::vector<Diagnostic> expected;
  };
  const Case cases[] = {
      {"both required missing, in name order; a required global prop is never missing",
       {},
       {err("missing required prop `a`", "X", 4, 2), err("missing required prop `b`", "X", 4, 2)}},
      {"either of two attributes of one name satisfies; each is checked on its own",
       {attr("a", true), attr("b", std::string("s"), 5, 1), attr("b", true, 5, 9),
        attr("own", std::string("x"), 6, 1), attr("own", JsonNumber::from_u64(1), 6, 7)},
       {err("prop `own` on <X> expects number, got string", "X", 6, 1)}},
      {"a required prop with a wrong value gets only the type finding",
       {attr("a", true), attr("b", true), attr("own", JsonArray{}, 7, 7)},
       {err("prop `own` on <X> expects number, got array", "X", 7, 7)}},
      {"global props: the first pair of a name applies",
       {attr("a", true), attr("b", true), attr("g", std::string("s"), 8, 1),
        attr("twice", std::string("s"), 8, 10), attr("twice", true, 8, 20)},
       {err("prop `g` on <X> expects number, got string", "X", 8, 1),
        err("prop `twice` on <X> expects boolean, got string", "X", 8, 10)}},
      {"unknown props warn at their own position, in attribute order, after missing props",
       {attr("zz", true, 9, 30), attr("Opt", true, 9, 40), attr("b", true)},
       {err("missing required prop `a`", "X", 4, 2), warn("unknown prop `zz` on <X>", "X", 9, 30),
        warn("unknown prop `Opt` on <X>", "X", 9, 40)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NodeList nodes;
    nodes.push_back(comp("X", at(4, 2), c.attributes));
    EXPECT_EQ(validate_document(doc(std::move(nodes)), s), c.expected);
  }
}

// The walk: which components are checked under which restriction, and the order of findings.
TEST(Validate, WalkOrderAndStructure) {
  Schema s;
  s.components["Box"].props["size"] = prop(PropType::Number, true);
  s.components["Box"].allowed_children = std::vector<std::string>{"Item"};
  s.components["Item"];
  s.components["Leaf"].self_closing = true;
  s.components["Closed"].allowed_children = std::vector<std::string>{};

  NodeList unknown_body;
  unknown_body.push_back(comp("Box", at(3, 1)));  // inside an unknown component: never checked
  NodeList leaf_body;
  leaf_body.push_back(text("t"));
  leaf_body.push_back(comp("Box", at(12, 3)));
  NodeList box_body;
  box_body.push_back(comp("Item", at(6, 1)));
  box_body.push_back(comp("Leaf", at(7, 1)));
  box_body.push_back(block(NodeKind::Paragraph, {comp("Leaf", at(8, 5))}));
  box_body.push_back(comp("Leaf", at(9, 1), {attr("x", true, 9, 7)}, std::move(leaf_body)));
  box_body.push_back(comp("item", at(13, 1)));
  NodeList closed_body;
  closed_body.push_back(comp("Item", at(16, 1)));
  closed_body.push_back(comp("Nope", at(17, 1)));

  NodeList top;
  top.push_back(comp("Foo", at(1, 1), {}, std::move(unknown_body)));
  top.push_back(
      comp("Box", at(5, 1), {attr("size", std::string("big"), 5, 6)}, std::move(box_body)));
  top.push_back(comp("Closed", at(15, 1), {}, std::move(closed_body)));
  NodeList item;
  item.push_back(comp("Box", at(20, 3)));
  top.push_back(block(NodeKind::Blockquote,
                      {block(NodeKind::List, {block(NodeKind::ListItem, std::move(item))})}));

  Root root = doc(std::move(top));
  const std::vector<Diagnostic> lax = {
      err("prop `size` on <Box> expects number, got string", "Box", 5, 6),
      err("<Leaf> is not allowed as a child here", "Leaf", 7, 1),
      err("<Leaf> is not allowed as a child here", "Leaf", 9, 1),
      err("<Leaf> must be self-closing (no children)", "Leaf", 9, 1),
      warn("unknown prop `x` on <Leaf>", "Leaf", 9, 7),
      err("missing required prop `size`", "Box", 12, 3),
      err("<item> is not allowed as a child here", "item", 13, 1),
      err("<Item> is not allowed as a child here", "Item", 16, 1),
      err("<Nope> is not allowed as a child here", "Nope", 17, 1),
      err("missing required prop `size`", "Box", 20, 3),
  };
  EXPECT_EQ(validate_document(root, s), lax);

  s.strict = true;
  std::vector<Diagnostic> strict = lax;
  strict.insert(strict.begin(), err("unknown component <Foo>", "Foo", 1, 1));
  strict.insert(strict.begin() + 8, err("unknown component <item>", "item", 13, 1));
  strict.insert(strict.begin() + 11, err("unknown component <Nope>", "Nope", 17, 1));
  EXPECT_EQ(validate_document(root, s), strict);
}

// The lists are looked up by exact bytes whatever their order, duplicates and bytes past
// ASCII; of several global pairs of one name, wherever they stand, the first applies.
TEST(Validate, ListLookUps) {
  Schema s;
  ComponentSchema& x = s.components["X"];
  x.allowed_children = std::vector<std::string>{"Zed", "\xC3\xA9", "Alpha", "Zed", "A"};
  x.props["c"] = prop(PropType::Any, true);
  x.props["a"] = prop(PropType::Any, true);
  x.props["\xC3\xA9"] = prop(PropType::Any, true);
  x.props["kind"] =
      prop(PropType::Enum, false, std::vector<std::string>{"z", "\xC3\xA9", "a", "z"});
  s.global_props = {{"z", prop(PropType::Number)},  {"a2", prop(PropType::String)},
                    {"z", prop(PropType::Boolean)}, {"m", prop(PropType::Any)},
                    {"a2", prop(PropType::Number)}, {"z", prop(PropType::String)}};
  NodeList children;
  for (const char* name : {"Alpha", "\xC3\xA9", "Zed", "A", "alpha", "Beta", "e", "Zed "}) {
    children.push_back(comp(name, at(2, 1)));
  }
  NodeList nodes;
  nodes.push_back(comp("X", at(1, 1),
                       {attr("c", true), attr("c", true), attr("z", true, 1, 5),
                        attr("a2", JsonNumber::from_u64(1), 1, 7), attr("m", true),
                        attr("kind", std::string("\xC3\xA9")), attr("kind", std::string("a")),
                        attr("kind", std::string("b"), 1, 9), attr("b", true, 1, 11)},
                       std::move(children)));
  const std::vector<Diagnostic> expected = {
      err("missing required prop `a`", "X", 1, 1),
      err("missing required prop `\xC3\xA9`", "X", 1, 1),
      err("prop `z` on <X> expects number, got boolean", "X", 1, 5),
      err("prop `a2` on <X> expects string, got number", "X", 1, 7),
      err("prop `kind` on <X> must be one of [z, \xC3\xA9, a, z], got \"b\"", "X", 1, 9),
      warn("unknown prop `b` on <X>", "X", 1, 11),
      err("<alpha> is not allowed as a child here", "alpha", 2, 1),
      err("<Beta> is not allowed as a child here", "Beta", 2, 1),
      err("<e> is not allowed as a child here", "e", 2, 1),
      err("<Zed > is not allowed as a child here", "Zed ", 2, 1),
  };
  EXPECT_EQ(validate_document(doc(std::move(nodes)), s), expected);
}

TEST(Validate, EmptyCases) {
  Schema none;
  EXPECT_EQ(validate_document(Root{}, none), std::vector<Diagnostic>{});
  NodeList nodes;
  nodes.push_back(block(NodeKind::Paragraph, {text("plain")}));
  nodes.push_back(comp("Any", at(2, 1), {attr("p", true)}));
  Root root = doc(std::move(nodes));
  EXPECT_EQ(validate_document(root, none), std::vector<Diagnostic>{});
  none.strict = true;
  EXPECT_EQ(validate_document(root, none),
            std::vector<Diagnostic>{err("unknown component <Any>", "Any", 2, 1)});
}

TEST(Validate, DiagnosticToValue) {
  EXPECT_JSON(diagnostic_to_value(err("missing required prop `a`", "X", 4, 18446744073709551615u)),
              R"({"column":18446744073709551615,"component":"X","line":4,
                  "message":"missing required prop `a`","severity":"error"})");
  EXPECT_JSON(diagnostic_to_value(warn("unknown prop `q\"` on <X>", "", 0, 0)),
              R"({"column":0,"component":"","line":0,"message":"unknown prop `q\"` on <X>",
                  "severity":"warning"})");
}

}  // namespace
}  // namespace zuv

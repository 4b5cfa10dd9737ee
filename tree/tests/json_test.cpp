#include "zuv/json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <new>

#include "json_testing.h"
#include "json_text.h"

namespace zuv {
namespace {

TEST(JsonValue, NumbersKeepTheirForm) {
  EXPECT_EQ(JsonValue::make_i64(5).kind(), JsonValue::Kind::Unsigned);
  EXPECT_EQ(JsonValue::make_i64(0).kind(), JsonValue::Kind::Unsigned);
  EXPECT_EQ(JsonValue::make_i64(-5).kind(), JsonValue::Kind::Signed);
  EXPECT_EQ(JsonValue::make_f64(1.0).kind(), JsonValue::Kind::Float);
  EXPECT_TRUE(JsonValue::make_f64(std::nan("")).is_null());
  EXPECT_TRUE(JsonValue::make_f64(std::numeric_limits<double>::infinity()).is_null());
  EXPECT_EQ(JsonValue::make_u64(UINT64_MAX).as_u64(), UINT64_MAX);
  EXPECT_EQ(JsonNumber::from_i64(7).form(), JsonNumber::Form::Unsigned);
  EXPECT_TRUE(JsonNumber::from_f64(-std::numeric_limits<double>::infinity()).to_value().is_null());
}

TEST(JsonValue, ObjectKeysStayInByteOrder) {
  JsonObject o;
  for (const char* k : {"b", "ab", "a", "B", "\xc3\xa9", "a"}) {
    o.insert(JsonKey(std::string(k)), JsonValue::make_string(k));
  }
  o.insert(JsonKey(std::string("a")), JsonValue::make_u64(1));  // replaces
  EXPECT_JSON(JsonValue::make_object(o), R"({"B":"B","a":1,"ab":"ab","b":"b","é":"é"})");
  ASSERT_NE(o.find("ab"), nullptr);
  EXPECT_EQ(o.find("zz"), nullptr);
  // A fixed key and an owned key of the same text are one key.
  o.insert(Key::value, JsonValue());
  o.insert(JsonKey(std::string("value")), JsonValue::make_bool(true));
  EXPECT_EQ(o.size(), 5u + 1u);
  EXPECT_TRUE(o.find("value")->as_bool());
}

JsonValue testing_value(std::string_view text) { return *testing::json_from_text(text); }

// A tree built in an arena: {"a": [1, "x", {"k": "v"}], "type": "root"}, with an owned key.
JsonValue arena_tree() {
  auto arena = std::make_unique<JsonArena>();
  JsonMember* inner = arena->new_members(1);
  new (inner) JsonMember{arena->key("k"), arena->string("v")};
  JsonValue* items = arena->new_items(3);
  items[0] = JsonValue::make_u64(1);
  items[1] = arena->string("x");
  items[2] = JsonArena::object(inner, 1);
  JsonMember* top = arena->new_members(3);  // one slot left unused
  new (top) JsonMember{arena->key("a"), JsonArena::array(items, 3)};
  new (top + 1) JsonMember{Key::type, JsonArena::static_string("root")};
  return JsonArena::adopt(std::move(arena), JsonArena::object(top, 2));
}

TEST(JsonArena, TreesReadLikeOwnedValues) {
  const JsonValue tree = arena_tree();
  const char* expected = R"({"a":[1,"x",{"k":"v"}],"type":"root"})";
  EXPECT_EQ(to_json_text(tree), expected);
  EXPECT_EQ(tree.members().size(), 2u);
  EXPECT_EQ(tree.get("type")->text(), "root");
  EXPECT_EQ(tree.get("a")->items()[2].get("k")->text(), "v");
  EXPECT_EQ(tree.get("missing"), nullptr);
  // Equal across storages, in both directions.
  auto owned = testing_value(expected);
  EXPECT_EQ(tree, owned);
  EXPECT_EQ(owned, tree);
  EXPECT_FALSE(tree == JsonValue::make_array());
}

TEST(JsonArena, CopiesAreOwnedAndOutliveTheArena) {
  JsonValue copy;
  JsonValue item;
  {
    const JsonValue tree = arena_tree();
    copy = tree;
    item = tree.get("a")->items()[2];
  }
  EXPECT_EQ(to_json_text(copy), R"({"a":[1,"x",{"k":"v"}],"type":"root"})");
  EXPECT_EQ(to_json_text(item), R"({"k":"v"})");
  // Keys copied from an arena are owned too; fixed keys stay fixed.
  const std::span<const JsonMember> members = copy.members();
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[0].key.known(), JsonKey::kDynamic);
  EXPECT_EQ(members[1].key.known(), static_cast<uint16_t>(Key::type));
}

TEST(JsonArena, EditingMakesTheTreeOwned) {
  JsonValue tree = arena_tree();
  tree.as_object().insert(JsonKey(std::string("b")), JsonValue::make_bool(true));
  tree.as_object().find("a")->as_array().push_back(JsonValue());
  tree.as_object().find("type")->as_string() += "!";
  EXPECT_EQ(to_json_text(tree), R"({"a":[1,"x",{"k":"v"},null],"b":true,"type":"root!"})");
  // A moved tree keeps its arena; the source is null.
  JsonValue moved_from = arena_tree();
  JsonValue moved = std::move(moved_from);
  EXPECT_TRUE(moved_from.is_null());  // NOLINT: the state after a move is specified
  EXPECT_EQ(moved.get("a")->items().size(), 3u);
  // A value can take the place of its own container.
  JsonValue nested = arena_tree();
  nested = std::move(nested.as_object().find("a")->as_array()[2]);
  EXPECT_EQ(to_json_text(nested), R"({"k":"v"})");
  // A scalar top needs no arena.
  EXPECT_EQ(JsonArena::adopt(std::make_unique<JsonArena>(), JsonValue::make_u64(7)).as_u64(), 7u);
}

TEST(JsonArena, CopiesOwnedValuesIn) {
  auto arena = std::make_unique<JsonArena>();
  const JsonValue source = testing_value(R"({"k":[true,-1,2.5,"s",{}],"type":null})");
  JsonValue top = arena->copy(source);
  JsonValue copy = JsonArena::adopt(std::move(arena), std::move(top));
  EXPECT_EQ(copy, source);
  // An empty text still points somewhere: readers hand text pointers to memcpy.
  JsonArena arena_of_empty;
  const JsonValue empty = arena_of_empty.string("");
  EXPECT_NE(empty.text().data(), nullptr);
  // Large trees span many blocks.
  auto big = std::make_unique<JsonArena>();
  JsonValue* items = big->new_items(100000);
  for (size_t i = 0; i < 100000; ++i) items[i] = big->string(std::string(i % 40, 'x'));
  JsonValue array = JsonArena::adopt(std::move(big), JsonArena::array(items, 100000));
  const std::span<const JsonValue> all = array.items();
  ASSERT_EQ(all.size(), 100000u);
  EXPECT_EQ(all.back().text(), std::string(99999 % 40, 'x'));
}

TEST(JsonKey, FixedKeysAreFoundByText) {
  for (size_t i = 0; i < kKeyCount; ++i) {
    EXPECT_EQ(key_from_text(kKeyTexts[i]), static_cast<Key>(i)) << kKeyTexts[i];
  }
  for (const char* other : {"", "typ", "types", "Type", "x", "rawcontent", "\xff"}) {
    EXPECT_EQ(key_from_text(other), std::nullopt) << other;
  }
}

TEST(JsonText, EscapesAndFloats) {
  JsonArray a;
  a.push_back(JsonValue::make_string(std::string("q\"b\\n\n\x01\x7f\xc3\xa9", 10)));
  a.push_back(JsonValue::make_f64(1.0));
  a.push_back(JsonValue::make_f64(-0.0));
  a.push_back(JsonValue::make_i64(-3));
  a.push_back(JsonValue());
  EXPECT_EQ(to_json_text(JsonValue::make_array(a)),
            "[\"q\\\"b\\\\n\\n\\u0001\x7f\xc3\xa9\",1.0,-0.0,-3,null]");
}

TEST(FormatFloatShortest, LaysOutDigitsByExponent) {
  const std::pair<double, const char*> cases[] = {
      {1.0, "1.0"},
      {100.0, "100.0"},
      {0.1, "0.1"},
      {0.25, "0.25"},
      {12.5, "12.5"},
      {-2.5, "-2.5"},
      {0.0, "0.0"},
      {-0.0, "-0.0"},
      {1e15, "1000000000000000.0"},
      {1e16, "1e+16"},
      {1e-5, "0.00001"},
      {1e-6, "1e-6"},
      {1.5e-7, "1.5e-7"},
      {123456789012345680000.0, "1.2345678901234568e+20"},
      {1.7976931348623157e308, "1.7976931348623157e+308"},
      {5e-324, "5e-324"},
      {123456.789, "123456.789"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(format_float_shortest(value), text) << value;
  }
}

TEST(JsonText, FloatsWithoutPlusInTheExponent) {
  const std::pair<double, const char*> cases[] = {
      {1e15, "1000000000000000.0"},
      {1e16, "1e16"},
      {1e21, "1e21"},
      {1.5e300, "1.5e300"},
      {1e-5, "0.00001"},
      {1e-6, "1e-6"},
      {1e-7, "1e-7"},
      {-2.5e-8, "-2.5e-8"},
      {5e-324, "5e-324"},
      {1.7976931348623157e308, "1.7976931348623157e308"},
      {-0.0, "-0.0"},
      {0.1 + 0.2, "0.30000000000000004"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(to_json_text(JsonValue::make_f64(value)), text) << format_float_shortest(value);
  }
}

}  // namespace
}  // namespace zuv

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "json_testing.h"
#include "zuv/json.h"

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

}  // namespace
}  // namespace zuv

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "read_testing.h"
#include "zuv/record_reader.h"
#include "zuv/variable_path.h"

namespace zuv {
namespace {

using testing::json;

TEST(ReadMessages, FoundTexts) {
  const std::pair<JsonValue, const char*> cases[] = {
      {JsonValue(), "null"},
      {JsonValue::make_bool(true), "boolean `true`"},
      {JsonValue::make_bool(false), "boolean `false`"},
      {JsonValue::make_u64(5), "integer `5`"},
      {JsonValue::make_u64(UINT64_MAX), "integer `18446744073709551615`"},
      {JsonValue::make_i64(-5), "integer `-5`"},
      {JsonValue::make_i64(INT64_MIN), "integer `-9223372036854775808`"},
      {JsonValue::make_f64(1.5), "floating point `1.5`"},
      {JsonValue::make_string("a\"b"), "string \"a\\\"b\""},
      {JsonValue::make_array(), "sequence"},
      {JsonValue::make_object(), "map"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(describe_found_value(value), text);
}

TEST(ReadMessages, FloatsInMessages) {
  const std::pair<double, const char*> cases[] = {
      {1e15, "1000000000000000.0"},
      {1e16, "1e+16"},
      {1e-5, "0.00001"},
      {1e-6, "1e-6"},
      {0.1, "0.1"},
      {1.5e-7, "1.5e-7"},
      {123456789012345680000.0, "1.2345678901234568e+20"},
      {-0.0, "-0.0"},
      {100.0, "100.0"},
      {1.0, "1.0"},
  };
  for (const auto& [f, text] : cases) {
    EXPECT_EQ(describe_found_value(JsonValue::make_f64(f)),
              std::string("floating point `") + text + "`");
  }
}

TEST(ReadMessages, EscapesFoundStrings) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"plain 'text'", "plain 'text'"},
      {"q\"b\\s", "q\\\"b\\\\s"},
      {"t\tr\rn\n", "t\\tr\\rn\\n"},
      {std::string_view("z\0z", 3), "z\\0z"},
      {"\x1b\x7f", "\\u{1b}\\u{7f}"},
      {"\xC3\xA9", "\xC3\xA9"},    // é stays
      {"e\xCC\x81", "e\\u{301}"},  // combining acute accent
      {"\xC2\xA0|\xE2\x80\x8B|\xE2\x80\xA8", "\\u{a0}|\\u{200b}|\\u{2028}"},  // Zs, Cf, Zl
      {"\xEE\x80\x80", "\\u{e000}"},                                          // private use
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},                       // an emoji is printable
      {"\xF3\xA0\x80\x81", "\\u{e0001}"},                             // a tag character (Cf)
      {"\xF0\xB0\x80\x80\xEF\xBF\xBF", "\xF0\xB0\x80\x80\\u{ffff}"},  // assigned; Cn
  };
  for (const auto& [text, escaped] : cases) {
    EXPECT_EQ(escape_message_text(text), escaped) << text;
  }
}

TEST(ReadMessages, ExpectedOneOf) {
  const std::string_view names[] = {"a", "b", "c"};
  EXPECT_EQ(expected_one_of(std::span(names, 1)), "`a`");
  EXPECT_EQ(expected_one_of(std::span(names, 2)), "`a` or `b`");
  EXPECT_EQ(expected_one_of(names), "one of `a`, `b`, `c`");
  EXPECT_EQ(unknown_variant("x\"", names).message,
            "unknown variant `x\"`, expected one of `a`, `b`, `c`");
  EXPECT_EQ(unknown_variant("x", {}).message, "unknown variant `x`, there are no variants");
}

template <auto Reader>
std::string run(JsonValue& v) {
  ReadContext ctx;
  auto r = Reader(v, ctx);
  return r ? "ok" : r.error().message;
}

// The element readers, each given kinds of value it refuses.
TEST(ReadMessages, ElementReaders) {
  using Reader = std::string (*)(JsonValue&);
  const struct {
    Reader reader;
    const char* value;
    const char* message;
  } cases[] = {
      {run<read_text>, "\"a\"", "ok"},
      {run<read_text>, "5", "invalid type: integer `5`, expected a string"},
      {run<read_text>, "-5", "invalid type: integer `-5`, expected a string"},
      {run<read_text>, "2.5", "invalid type: floating point `2.5`, expected a string"},
      {run<read_text>, "null", "invalid type: null, expected a string"},
      {run<read_text>, "[]", "invalid type: sequence, expected a string"},
      {run<read_text>, "{}", "invalid type: map, expected a string"},
      {run<read_bool>, "\"yes\"", "invalid type: string \"yes\", expected a boolean"},
      {run<read_bool>, "1", "invalid type: integer `1`, expected a boolean"},
      {run<read_u8>, "255", "ok"},
      {run<read_u8>, "256", "invalid value: integer `256`, expected u8"},
      {run<read_u8>, "-1", "invalid value: integer `-1`, expected u8"},
      {run<read_u8>, "2.0", "invalid type: floating point `2.0`, expected u8"},
      {run<read_u8>, "true", "invalid type: boolean `true`, expected u8"},
      {run<read_u32>, "4294967295", "ok"},
      {run<read_u32>, "4294967296", "invalid value: integer `4294967296`, expected u32"},
      {run<read_usize>, "18446744073709551615", "ok"},
      {run<read_usize>, "-1", "invalid value: integer `-1`, expected usize"},
      {run<read_usize>, "1.0", "invalid type: floating point `1.0`, expected usize"},
      {run<read_usize>, "\"1\"", "invalid type: string \"1\", expected usize"},
      {run<read_list<read_u8>>, "[1, 2]", "ok"},
      {run<read_list<read_u8>>, "[1, 300, true]", "invalid value: integer `300`, expected u8"},
      {run<read_list<read_u8>>, "null", "invalid type: null, expected a sequence"},
      {run<read_optional<read_bool>>, "null", "ok"},
      {run<read_optional<read_bool>>, "0", "invalid type: integer `0`, expected a boolean"},
  };
  for (const auto& c : cases) {
    JsonValue v = json(c.value);
    EXPECT_EQ(c.reader(v), c.message) << c.value;
  }
}

TEST(ReadMessages, UnitEnumForms) {
  const std::string_view names[] = {"paren", "bracket", "pipe"};
  const struct {
    ReadPlace place;
    const char* value;
    const char* message;  // or the index read
  } cases[] = {
      {ReadPlace::Content, "\"pipe\"", "2"},
      {ReadPlace::Content, R"({"pipe": null})", "2"},
      {ReadPlace::Content, R"({"pipe": {}})", "2"},
      {ReadPlace::Value, R"({"pipe": null})", "2"},
      {ReadPlace::Value, R"({"pipe": {}})", "invalid type: map, expected unit"},
      {ReadPlace::Content, R"({"pipe": {"a": 1}})", "invalid type: map, expected unit"},
      {ReadPlace::Content, R"({"pipe": 0})", "invalid type: integer `0`, expected unit"},
      {ReadPlace::Content, R"({"huge": 5})",
       "unknown variant `huge`, expected one of `paren`, `bracket`, `pipe`"},
      {ReadPlace::Content, "\"Paren\"",
       "unknown variant `Paren`, expected one of `paren`, `bracket`, `pipe`"},
      {ReadPlace::Content, R"({"paren": null, "pipe": null})",
       "invalid value: map, expected map with a single key"},
      {ReadPlace::Content, "{}", "invalid value: map, expected map with a single key"},
      {ReadPlace::Content, "null", "invalid type: null, expected string or map"},
      {ReadPlace::Content, "2", "invalid type: integer `2`, expected string or map"},
      {ReadPlace::Content, "[\"pipe\"]", "invalid type: sequence, expected string or map"},
  };
  for (const auto& c : cases) {
    const JsonValue v = json(c.value);
    auto r = unit_enum_from_content(v, names, ReadContext{c.place, 0});
    EXPECT_EQ(r ? std::to_string(r.value()) : r.error().message, c.message) << c.value;
  }
}

TEST(VariablePath, Rule) {
  for (const char* valid : {"a", "a.b_2", "_x.y", "A9._"}) {
    EXPECT_TRUE(is_valid_variable_path(valid)) << valid;
  }
  for (const char* invalid : {"", "a.", ".a", "a..b", "1a", "a.1", "a-b", "a b", "a[0]", " a"}) {
    EXPECT_FALSE(is_valid_variable_path(invalid)) << invalid;
  }
}

}  // namespace
}  // namespace zuv

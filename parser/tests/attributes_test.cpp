// Component tags and their attributes: the values, every message with its raw span, the JSON
// rules, the shared closing search, and the error-text budget.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "layer_testing.h"
#include "repeat.h"
#include "tags.h"

namespace zuv::parser {
namespace {

using testing::describe;
using testing::json_quoted;
using zuv::testing::repeat_n;

OpenTagResult read(std::string_view text, size_t base = 0) {
  SourceMap map(std::string(base, ' ') + std::string(text));
  ErrorTextBudget budget(text.size());
  return parse_open_tag(text, 0, base, map, budget);
}

struct TagCase {
  std::string text;
  std::string name;
  bool self_closing;
  size_t end;
  std::string attributes;
};

TEST(OpenTag, ReadsNamesFlagsAndValues) {
  const TagCase cases[] = {
      {"<Note>", "Note", false, 6, ""},
      {"<Note/>", "Note", true, 7, ""},
      {"<Note  />", "Note", true, 9, ""},
      {"<My_Card2 >rest", "My_Card2", false, 11, ""},
      {R"(<Card title="A \"quoted\" word" open>)", "Card", false, 37,
       R"(title="A \"quoted\" word"@6-31 open=true@32-36)"},
      {R"(<X s='it\'s' d='say "hi"'>)", "X", false, 26, R"(s="it's"@3-12 d="say \"hi\""@13-25)"},
      // An unknown escape keeps its backslash; a doubled backslash gives one.
      {R"(<X a="a\nb" b="a\\b" c="\é">)", "X", false, 29,
       R"(a="a\\nb"@3-11 b="a\\b"@12-20 c="\\é"@21-28)"},
      {R"(<X a="1"b="2" c a>)", "X", false, 18,
       R"(a="1"@3-8 b="2"@8-13 c=true@14-15 a=true@16-17)"},
      {"<X data-x_1='v' _k>", "X", false, 19, R"(data-x_1="v"@3-15 _k=true@16-18)"},
      {"<X\n  a=\"1\"\n  b\n/>", "X", true, 17, R"(a="1"@5-10 b=true@13-14)"},
      {"<X n={42} m={-42} f={ 1.5 } e={1e3} p={+7} z={-0}>", "X", false, 50,
       "n=42@3-9 m=-42@10-17 f=1.5@18-27 e=1000.0@28-35 p=7@36-42 z=0@43-49"},
      {"<X big={9223372036854775808} max={9223372036854775807} min={-9223372036854775808}>", "X",
       false, 82,
       "big=9.223372036854776e18@3-28 max=9223372036854775807@29-54 "
       "min=-9223372036854775808@55-81"},
      {R"(<X d={{"k": [1, 2]}} e={{ {"a": 1} }} f={{}} g={{[1, 2]}}>)", "X", false, 58,
       R"(d={"k":[1,2]}@3-20 e={"a":1}@21-37 f={}@38-44 g=[1,2]@45-57)"},
      {"<X v={$user.name}>", "X", false, 18, R"(v={"path":"user.name","position":{)"},
  };
  for (const TagCase& c : cases) {
    SCOPED_TRACE(c.text);
    OpenTagResult r = read(c.text);
    ASSERT_TRUE(std::holds_alternative<OpenTag>(r))
        << (std::holds_alternative<TagError>(r) ? std::get<TagError>(r).message : "no tag");
    const OpenTag& tag = std::get<OpenTag>(r);
    EXPECT_EQ(tag.name, c.name);
    EXPECT_EQ(tag.self_closing, c.self_closing);
    EXPECT_EQ(tag.start, 0u);
    if (c.end != 0) {
      EXPECT_EQ(tag.end_in_text, c.end);
      EXPECT_EQ(tag.end, c.end);
    }
    if (!c.attributes.empty()) {
      std::string got = describe(tag.attributes);
      EXPECT_EQ(got.substr(0, c.attributes.size()), c.attributes) << got;
    }
  }
}

TEST(OpenTag, PrimitiveAndJsonValues) {
  struct Case {
    std::string text;
    std::string values;  // the values only, compact JSON, in order
  };
  const Case cases[] = {
      {"<X t={true} f={false} n={null} q={ -0.0 }>", "true false null -0.0"},
      {"<X u={18446744073709551615} tiny={1e-400} sp={\u00a01\u3000} dot={.5} p={5.}>",
       "1.8446744073709552e19 0.0 1 0.5 5.0"},
      // Keys sorted, the last of a repeated key kept, a `}}` inside a string passed over,
      // "-0" a float, integers by range.
      {R"(<X d={{"b": 1, "a": 2, "b": 3, "s": "}}", "z": -0, "u": 18446744073709551616, "i": -5}}>)",
       R"({"a":2,"b":3,"i":-5,"s":"}}","u":1.8446744073709552e19,"z":-0.0})"},
      {R"(<X d={{"e": "\u00e9\n", "n": [null, true, 1.5e300]}}>)",
       R"({"e":"é\n","n":[null,true,1.5e300]})"},
      {"<X v={$a} w={$_x.y_2}>", R"({"path":"a")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    OpenTagResult r = read(c.text);
    ASSERT_TRUE(std::holds_alternative<OpenTag>(r))
        << (std::holds_alternative<TagError>(r) ? std::get<TagError>(r).message : "no tag");
    std::string got;
    for (const AttributeNode& a : std::get<OpenTag>(r).attributes) {
      if (!got.empty()) got += " ";
      got += to_json_text(attribute_value_to_value(a.value));
    }
    EXPECT_EQ(got.substr(0, c.values.size()), c.values) << got;
  }
}

TEST(OpenTag, NoTag) {
  for (std::string_view text : {"<note>", "< Note>", "<1>", "<", "x<Note>", ""}) {
    EXPECT_TRUE(std::holds_alternative<std::monostate>(read(text))) << text;
  }
}

struct ErrorCase {
  std::string text;
  std::string message;
  std::string raw;
  size_t start;
  size_t end;
};

TEST(OpenTag, EveryMessageWithItsRawSpan) {
  // JSON nests at most 128 arrays and objects; the braces put around a member list count.
  const std::string deep128 = repeat_n("[", 128) + repeat_n("]", 128);
  const std::string deep129 = repeat_n("[", 129) + repeat_n("]", 129);
  const std::string objects129 = repeat_n("{\"k\":", 129) + "0" + repeat_n("}", 129);
  const std::string members128 = "\"k\":" + deep128;  // 129 levels once braced
  const ErrorCase cases[] = {
      // Faults of the tag: raw from the `<` to the end of the text.
      {"<Note", "Unexpected end of input in tag", "<Note", 0, 5},
      {"<Note a\n", "Unexpected end of input in tag", "<Note a\n", 0, 8},
      {"<Note-x>", "Invalid attribute name character '-'", "<Note-x>", 0, 8},
      {"<Note / > tail", "Invalid attribute name character '/'", "<Note / > tail", 0, 14},
      {"<Note /", "Invalid attribute name character '/'", "<Note /", 0, 7},
      {"<X \xc3\xa9>", "Invalid attribute name character '\xc3\xa9'", "<X \xc3\xa9>", 0, 6},
      {"<X 1>", "Invalid attribute name character '1'", "<X 1>", 0, 5},
      {"<X a =\"x\">", "Invalid attribute name character '='", "<X a =\"x\">", 0, 10},
      {"<X {a}>", "Invalid attribute name character '{'", "<X {a}>", 0, 7},
      {"<X a=", "Unexpected end of input after '='", "<X a=", 0, 5},
      // Faults of the attribute: raw from its name to the end of the text.
      {"<X a=1> more", "Invalid attribute value after '=' for 'a'", "a=1> more", 3, 12},
      {"<X ab= \"x\">", "Invalid attribute value after '=' for 'ab'", "ab= \"x\">", 3, 11},
      {"<X a=\"x>\nline", "Unclosed string attribute", "a=\"x>\nline", 3, 13},
      {"<X a='x\\'>", "Unclosed string attribute", "a='x\\'>", 3, 10},
      {"<X a={1>", "Unclosed primitive attribute", "a={1>", 3, 8},
      {"<X a={inf}> x", "Non-finite float value: inf", "a={inf}> x", 3, 13},
      {"<X a={-Infinity}>", "Non-finite float value: -Infinity", "a={-Infinity}>", 3, 17},
      {"<X a={NaN}>", "Non-finite float value: NaN", "a={NaN}>", 3, 11},
      {"<X a={1e400}>", "Non-finite float value: 1e400", "a={1e400}>", 3, 13},
      {"<X a={}>", "Invalid primitive value: ", "a={}>", 3, 8},
      {"<X a={ 1_000 }>", "Invalid primitive value: 1_000", "a={ 1_000 }>", 3, 15},
      {"<X a={True}>", "Invalid primitive value: True", "a={True}>", 3, 12},
      {"<X a={0x10}>", "Invalid primitive value: 0x10", "a={0x10}>", 3, 12},
      {"<X a={1e}>", "Invalid primitive value: 1e", "a={1e}>", 3, 10},
      {"<X a={-}>", "Invalid primitive value: -", "a={-}>", 3, 9},
      {"<X a={1 2}>", "Invalid primitive value: 1 2", "a={1 2}>", 3, 11},
      {"<X a={\"q\"}>", "Invalid primitive value: \"q\"", "a={\"q\"}>", 3, 11},
      // Faults of the value: raw from its `{`.
      {"<X a={$x>", "Unclosed variable attribute", "{$x>", 5, 9},
      {"<X a={{1>", "Unclosed JSON attribute '{{...}}'", "{{1>", 5, 9},
      {"<X a={{", "Unclosed JSON attribute '{{...}}'", "{{", 5, 7},
      {"<X a={{\"}}\"", "Unclosed JSON attribute '{{...}}'", "{{\"}}\"", 5, 11},
      // ... or the value alone.
      {"<X a={$user..name}> x", "Invalid variable path: user..name", "{$user..name}", 5, 18},
      {"<X a={$ a}>", "Invalid variable path:  a", "{$ a}", 5, 10},
      {"<X a={$}>", "Invalid variable path: ", "{$}", 5, 8},
      {"<X d={{1}}> x", "JSON attribute must be an object or array, got: 1", "{{1}}", 5, 10},
      {"<X d={{\"s\\\"\"}}>", "JSON attribute must be an object or array, got: \"s\\\"\"",
       "{{\"s\\\"\"}}", 5, 14},
      {"<X d={{ 1.50 }}>", "JSON attribute must be an object or array, got: 1.5", "{{ 1.50 }}", 5,
       15},
      {"<X d={{1e2}}>", "JSON attribute must be an object or array, got: 100.0", "{{1e2}}", 5, 12},
      {"<X d={{null}}>", "JSON attribute must be an object or array, got: null", "{{null}}", 5, 13},
      {"<X d={{-0}}>", "JSON attribute must be an object or array, got: -0.0", "{{-0}}", 5, 11},
      {"<X d={{1e21}} />", "JSON attribute must be an object or array, got: 1e21", "{{1e21}}", 5,
       13},
      {"<X d={{-2.5e-8}}>", "JSON attribute must be an object or array, got: -2.5e-8",
       "{{-2.5e-8}}", 5, 16},
      {"<X d={{a}}>", "Malformed JSON in attribute: a", "{{a}}", 5, 10},
      {"<X d={{[1] x}}>", "Malformed JSON in attribute: [1] x", "{{[1] x}}", 5, 14},
      {"<X d={{[1,\f2]}}>", "Malformed JSON in attribute: [1,\f2]", "{{[1,\f2]}}", 5, 15},
      {"<X d={{1e400}}>", "Malformed JSON in attribute: 1e400", "{{1e400}}", 5, 14},
      {"<X d={{\"a\": 1e400}}>", "Malformed JSON in attribute: \"a\": 1e400", "{{\"a\": 1e400}}", 5,
       19},
      {"<X d={{\xef\xbb\xbf[1]}}>", "Malformed JSON in attribute: \xef\xbb\xbf[1]",
       "{{\xef\xbb\xbf[1]}}", 5, 15},
      {"<X d={{" + deep129 + "}}>", "Malformed JSON in attribute: " + deep129,
       "{{" + deep129 + "}}", 5, 5 + 4 + deep129.size()},
      {"<X d={{" + objects129 + "}}>", "Malformed JSON in attribute: " + objects129,
       "{{" + objects129 + "}}", 5, 5 + 4 + objects129.size()},
      {"<X d={{" + members128 + "}}>", "Malformed JSON in attribute: " + members128,
       "{{" + members128 + "}}", 5, 5 + 4 + members128.size()},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.text);
    OpenTagResult r = read(c.text);
    ASSERT_TRUE(std::holds_alternative<TagError>(r));
    const TagError& e = std::get<TagError>(r);
    EXPECT_EQ(e.message, c.message);
    EXPECT_EQ(e.raw, c.raw);
    EXPECT_EQ(e.start, c.start);
    EXPECT_EQ(e.end, c.end);
  }
  // The deepest JSON that is still valid.
  const std::string deepest[] = {
      deep128,
      repeat_n("{\"k\":", 128) + "0" + repeat_n("}", 128),
      "\"k\":" + repeat_n("[", 127) + repeat_n("]", 127),
  };
  for (const std::string& json : deepest) {
    EXPECT_TRUE(std::holds_alternative<OpenTag>(read("<X d={{" + json + "}}>"))) << json;
  }
}

TEST(OpenTag, OffsetsAreAbsolute) {
  // The text starts at offset 100 of an input whose earlier bytes are blank: the span of an
  // error, the tag's start and end, and the attribute positions all count from the input start.
  OpenTagResult err = read("<X a=1>", 100);
  ASSERT_TRUE(std::holds_alternative<TagError>(err));
  EXPECT_EQ(std::get<TagError>(err).start, 103u);
  EXPECT_EQ(std::get<TagError>(err).end, 107u);

  std::string input = "line one\n<X\n  v={$a.b} />";
  SourceMap map(input);
  ErrorTextBudget budget(input.size());
  std::string_view text = std::string_view(input).substr(9);
  OpenTagResult r = parse_open_tag(text, 0, 9, map, budget);
  ASSERT_TRUE(std::holds_alternative<OpenTag>(r));
  const OpenTag& tag = std::get<OpenTag>(r);
  EXPECT_EQ(tag.start, 9u);
  EXPECT_EQ(tag.end, input.size());
  EXPECT_EQ(tag.end_in_text, text.size());
  ASSERT_EQ(tag.attributes.size(), 1u);
  const AttributeNode& a = tag.attributes[0];
  EXPECT_EQ(a.position, (Position{{3, 3, 14}, {3, 11, 22}}));
  EXPECT_EQ(std::get<VariableNode>(a.value).position, (Position{{3, 5, 16}, {3, 11, 22}}));
}

TEST(CloseTag, Reads) {
  struct Case {
    std::string_view text;
    std::optional<std::pair<std::string, size_t>> tag;
  };
  const Case cases[] = {
      {"</Note>", std::pair{std::string("Note"), size_t{7}}},
      {"</Note >x", std::pair{std::string("Note"), size_t{8}}},
      {"</Note\n\t>", std::pair{std::string("Note"), size_t{9}}},
      {"</A_1>", std::pair{std::string("A_1"), size_t{6}}},
      {"</Note/>", std::nullopt},
      {"</Note x>", std::nullopt},
      {"</note>", std::nullopt},
      {"</Note", std::nullopt},
      {"</", std::nullopt},
      {"<Note>", std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<CloseTag> t = parse_close_tag(c.text, 0);
    ASSERT_EQ(t.has_value(), c.tag.has_value()) << c.text;
    if (t) {
      EXPECT_EQ(t->name, c.tag->first);
      EXPECT_EQ(t->end, c.tag->second);
    }
  }
}

// The shared search for the closing `}}` gives, from every start asked, what a fresh scan gives,
// whether or not the starts between were asked too.
TEST(JsonCloseFinder, AgreesWithDirectScan) {
  std::mt19937 rng(7);
  const std::string_view pieces[] = {"={{", "{", "}",     "}}", "\"",
                                     "\\",  "x", "={{\"", "=",  "xxxxxxxx"};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    size_t len = rng() % 60;
    for (size_t i = 0; i < len; ++i) text += pieces[rng() % std::size(pieces)];
    JsonCloseFinder finder(text);
    size_t first = text.empty() ? 0 : rng() % (text.size() + 1);
    ASSERT_EQ(finder.find(first), scan_json_close(text, first)) << text << " @" << first;
    for (size_t s = first + 1; s <= text.size(); ++s) {
      if (s >= 3 && text.compare(s - 3, 3, "={{") == 0 && rng() % 3 != 0) {
        ASSERT_EQ(finder.find(s), scan_json_close(text, s)) << text << " @" << s;
      }
    }
  }
}

// The indexed search for a component's closing text gives what a fresh search gives, from any
// start and in any order of starts.
TEST(TagSearchCache, ClosingTagAgreesWithFind) {
  std::mt19937 rng(11);
  const std::string_view pieces[] = {"</A>",  "</AB>", "</A", "<A>", "</a>", ">",     "x",
                                     "</A >", "</B>",  "<",   "/",   "A",    "</A_1>"};
  const std::string_view names[] = {"A", "AB", "B", "A_1", "C"};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    size_t len = rng() % 40;
    for (size_t i = 0; i < len; ++i) text += pieces[rng() % std::size(pieces)];
    TagSearchCache cache(text);
    for (int ask = 0; ask < 8; ++ask) {
      std::string_view name = names[rng() % std::size(names)];
      size_t from = rng() % (text.size() + 1);
      ASSERT_EQ(cache.closing_tag(name, from), text.find("</" + std::string(name) + ">", from))
          << text << " " << name << " @" << from;
    }
  }
}

// Mended fault: error texts of a document stay linear in its size.
TEST(ErrorTextBudget, KeepsWholeTextsThenLinesThenShortPieces) {
  ErrorTextBudget budget(10);  // the limit is never below 1 MiB
  EXPECT_EQ(budget.limit(), ErrorTextBudget::kMinLimit);
  const std::string line = "<A -\nrest of the body";
  const std::string big(ErrorTextBudget::kMinLimit, 'x');
  EXPECT_EQ(budget.keep(line), line.size());
  EXPECT_EQ(budget.keep(big.substr(line.size())), big.size() - line.size());
  EXPECT_EQ(budget.used(), budget.limit());
  EXPECT_EQ(budget.keep(line), line.size());  // reaching the limit is not passing it
  EXPECT_EQ(budget.keep(line), 5u);           // now past it: up to the end of the first line
  EXPECT_EQ(budget.keep(big), big.size());
  EXPECT_EQ(budget.keep(big), ErrorTextBudget::kClippedTextBytes);  // past twice the limit
  EXPECT_EQ(budget.keep(line), 5u);
  // Never in the middle of a character.
  EXPECT_EQ(budget.keep(std::string(255, 'x') + "\xc3\xa9"), 255u);
  EXPECT_EQ(ErrorTextBudget(0).limit(), ErrorTextBudget::kMinLimit);
  EXPECT_EQ(ErrorTextBudget(5u << 20).limit(), 5u << 20);
  ErrorTextBudget none = ErrorTextBudget::discarding();
  EXPECT_EQ(none.keep(line), 0u);
}

TEST(ErrorTextBudget, ManyFaultsOnOneLine) {
  // As an HTML line read tag by tag: each fault's raw text runs to the end of the line.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "<A -";
  SourceMap map(text);
  ErrorTextBudget budget(text.size());
  size_t total = 0;
  size_t full = 0;
  for (size_t at = 0; at < text.size(); at += 4) {
    OpenTagResult r = parse_open_tag(text, at, 0, map, budget);
    const TagError& e = std::get<TagError>(r);
    EXPECT_EQ(e.message, "Invalid attribute name character '-'");
    EXPECT_EQ(e.end - e.start, e.raw.size());
    EXPECT_EQ(e.raw, text.substr(at, e.raw.size()));
    if (e.raw.size() == text.size() - at) ++full;
    total += e.raw.size();
  }
  EXPECT_GT(full, 10u);  // the first faults keep everything
  EXPECT_LE(total, 2 * budget.limit() + text.size() + 20000 * ErrorTextBudget::kClippedTextBytes);
}

}  // namespace
}  // namespace zuv::parser

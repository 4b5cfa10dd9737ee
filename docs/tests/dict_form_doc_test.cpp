// docs/dict-form.md is the users' reference of the dict form. These checks hold it to the tables
// the code itself uses, so that a kind, key, enumeration value or message added to the code
// without a word in the document (or a kind the document names that the code lacks) fails here.
//
// Document conventions the checks rely on:
// - "## Node kinds" and "## Math kinds" hold one "### `tag`" heading per kind; inside them a
//   table row that begins with a code span ("| `key` | ...") documents a key of that kind (the
//   math tables leave "type" out). Each table is held to the keys that the writer gives that
//   kind in the sample trees of testing/tree_samples.h.
// - "## Math enumerations" and the schema section hold a row per enumeration that begins with
//   its type name ("| FracStyle | ..."), its values written as `"value"`.
// - "## Errors" and "## Validating: the schema dict and diagnostics" list each message in a
//   table headed "| message |", as the first cell of a row, in a code span, with `{word}` where
//   a value is inserted.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "math/src/messages.h"
#include "parser/src/messages.h"
#include "schema/src/messages.h"
#include "tree_samples.h"
#include "zuv/dict_form.h"
#include "zuv/json.h"
#include "zuv/math_tree.h"
#include "zuv/schema.h"
#include "zuv/tree.h"

namespace {

std::string read_file(const std::string& relative) {
  std::ifstream in(std::string(ZUV_SOURCE_DIR) + "/" + relative, std::ios::binary);
  EXPECT_TRUE(in) << "cannot read " << relative;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const std::string& doc() {
  static const std::string text = read_file("docs/dict-form.md");
  return text;
}

// The text of the "## <title>" section, up to the next "## " heading.
std::string section(std::string_view title) {
  const std::string& d = doc();
  const std::string head = "\n## " + std::string(title) + "\n";
  const size_t at = d.find(head);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no section \"## " << title << "\"";
    return "";
  }
  const size_t end = d.find("\n## ", at + head.size());
  return d.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::set<std::string> matches(const std::string& text, const std::regex& re) {
  std::set<std::string> out;
  for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
    out.insert((*it)[1].str());
  }
  return out;
}

// The first cells of the rows of every table headed "| message |", code-span delimiters and the
// blanks inside them dropped (a message holding a backquote stands between double backquotes).
std::set<std::string> listed_messages(const std::string& text) {
  std::set<std::string> out;
  std::istringstream lines(text);
  std::string line;
  bool in_table = false, in_message_table = false;
  const std::regex cell(R"(^\| (?:`` (.+?) ``|`([^`]+)`) \|)");
  while (std::getline(lines, line)) {
    if (line.rfind("|", 0) != 0) {
      in_table = in_message_table = false;
      continue;
    }
    if (!in_table) {
      in_table = true;
      in_message_table = line.rfind("| message |", 0) == 0;
      continue;
    }
    std::smatch m;
    if (in_message_table && std::regex_search(line, m, cell)) {
      out.insert(m[1].matched ? m[1].str() : m[2].str());
    }
  }
  return out;
}

template <class Table>
std::set<std::string> as_set(const Table& table) {
  return std::set<std::string>(std::begin(table), std::end(table));
}

void expect_same(const std::set<std::string>& in_doc, const std::set<std::string>& in_code,
                 std::string_view what) {
  for (const std::string& name : in_code) {
    EXPECT_TRUE(in_doc.count(name)) << what << " missing from docs/dict-form.md: " << name;
  }
  for (const std::string& name : in_doc) {
    EXPECT_TRUE(in_code.count(name)) << what << " named in docs/dict-form.md but unknown: " << name;
  }
}

TEST(DictFormDoc, EveryNodeKindHasItsEntryAndNoOther) {
  expect_same(matches(section("Node kinds"), std::regex("\n### `([a-z_]+)`")),
              as_set(zuv::kNodeKindTags), "node kind");
}

TEST(DictFormDoc, EveryMathKindHasItsEntryAndNoOther) {
  expect_same(matches(section("Math kinds"), std::regex("\n### `([a-z_]+)`")),
              as_set(zuv::kMathKindTags), "math kind");
}

// The key table of each "### `tag`" entry of a kind section: its rows that begin with a code span.
std::map<std::string, std::set<std::string>> key_tables(const std::string& text) {
  std::map<std::string, std::set<std::string>> tables;
  const std::regex heading("\n### `([a-z_]+)`");
  const std::regex row(R"(\n\| `([A-Za-z_]+)` \|)");
  std::vector<std::pair<std::string, size_t>> entries;
  for (std::sregex_iterator it(text.begin(), text.end(), heading), end; it != end; ++it) {
    entries.emplace_back((*it)[1].str(), static_cast<size_t>(it->position()));
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    const size_t end = i + 1 < entries.size() ? entries[i + 1].second : text.size();
    const size_t at = entries[i].second;
    tables[entries[i].first] = matches(text.substr(at, end - at), row);
  }
  return tables;
}

// The keys the writer gives each kind, and each payload record, in the sample trees.
struct WrittenKeys {
  std::map<std::string, std::set<std::string>> kinds;    // by "node tag" or "math tag"
  std::map<size_t, std::set<std::string>> node_records;  // by payload alternative
  std::map<size_t, std::set<std::string>> math_records;

  static std::set<std::string> keys_of(const zuv::JsonValue& object) {
    std::set<std::string> keys;
    for (const zuv::JsonMember& m : object.members()) keys.insert(std::string(m.key.text()));
    return keys;
  }

  // Every math expression below `v`, at any depth.
  void math(const zuv::JsonValue& v) {
    if (v.is_array()) {
      for (const zuv::JsonValue& item : v.items()) math(item);
      return;
    }
    if (!v.is_object()) return;
    if (const zuv::JsonValue* type = v.get("type")) {
      const auto kind = zuv::math_kind_from_tag(type->text());
      ASSERT_TRUE(kind) << type->text();
      const std::set<std::string> keys = keys_of(v);
      kinds["math " + std::string(type->text())].insert(keys.begin(), keys.end());
      math_records[zuv::math_payload_of(*kind)].insert(keys.begin(), keys.end());
    }
    for (const zuv::JsonMember& m : v.members()) math(m.value);
  }

  void node(const zuv::JsonValue& v) {
    const std::string_view tag = v.get("type")->text();
    const auto kind = zuv::node_kind_from_tag(tag);
    ASSERT_TRUE(kind) << tag;
    const std::set<std::string> keys = keys_of(v);
    kinds["node " + std::string(tag)].insert(keys.begin(), keys.end());
    node_records[zuv::node_payload_of(*kind)].insert(keys.begin(), keys.end());
    if (const zuv::JsonValue* children = v.get("children")) {
      for (const zuv::JsonValue& child : children->items()) node(child);
    }
    if (const zuv::JsonValue* tree = v.get("tree")) math(*tree);
  }
};

// Each kind's table lists every key that the writer gave that kind in the sample trees, and no
// key that the writer gave no kind of its payload record (a key that a standard block kind
// never carries may be left out). `extra` is added to each table: the math tables leave "type"
// out.
template <size_t N>
void expect_tables_match(const std::map<std::string, std::set<std::string>>& tables,
                         const std::array<std::string_view, N>& tags, const WrittenKeys& written,
                         const std::map<size_t, std::set<std::string>>& records,
                         size_t (*payload_of)(size_t), std::string_view extra,
                         const std::string& what) {
  for (size_t k = 0; k < N; ++k) {
    const std::string tag(tags[k]);
    const auto kind = written.kinds.find(what + " " + tag);
    if (kind == written.kinds.end()) {
      ADD_FAILURE() << "the sample trees (testing/tree_samples.h) hold no " << what << " " << tag;
      continue;
    }
    const auto table = tables.find(tag);
    if (table == tables.end()) continue;  // reported by the test of the entries
    std::set<std::string> doc = table->second;
    if (!extra.empty()) doc.insert(std::string(extra));
    for (const std::string& key : kind->second) {
      EXPECT_TRUE(doc.count(key)) << what << " kind " << tag << ": the writer gives it `" << key
                                  << "`, which its table in docs/dict-form.md lacks";
    }
    const std::set<std::string>& record = records.at(payload_of(k));
    for (const std::string& key : doc) {
      EXPECT_TRUE(record.count(key)) << what << " kind " << tag << ": its table lists `" << key
                                     << "`, which the writer never gives it";
    }
  }
}

TEST(DictFormDoc, EachKindTableListsTheKeysTheWriterGivesIt) {
  WrittenKeys written;
  const zuv::JsonValue root = zuv::root_to_value(zuv::testing::every_node_kind());
  for (const zuv::JsonValue& node : root.get("children")->items()) written.node(node);
  expect_tables_match(
      key_tables(section("Node kinds")), zuv::kNodeKindTags, written, written.node_records,
      [](size_t k) { return zuv::node_payload_of(static_cast<zuv::NodeKind>(k)); }, "", "node");
  expect_tables_match(
      key_tables(section("Math kinds")), zuv::kMathKindTags, written, written.math_records,
      [](size_t k) { return zuv::math_payload_of(static_cast<zuv::MathKind>(k)); }, "type", "math");
}

// Keys that are no kind's own (those of positions, citation keys, attributes, math rows, the
// operator of a big operator, diagnostics) stand somewhere in the document.
TEST(DictFormDoc, EveryOtherKeyOfTheWritersIsDocumented) {
  std::set<std::string> kind_keys;
  for (std::string_view title : {"Node kinds", "Math kinds"}) {
    for (const auto& [tag, keys] : key_tables(section(title))) {
      kind_keys.insert(keys.begin(), keys.end());
    }
  }
  for (std::string_view key : zuv::kKeyTexts) {
    if (kind_keys.count(std::string(key))) continue;
    EXPECT_NE(doc().find("`" + std::string(key) + "`"), std::string::npos)
        << "key missing from docs/dict-form.md: " << key;
  }
}

// Each enumeration's values, in the table row that begins with its type name.
template <class... E>
void expect_enum_names_documented(const std::string& text) {
  auto check = [&](std::string_view type_name, const auto& names) {
    const size_t at = text.find("\n| " + std::string(type_name) + " |");
    ASSERT_NE(at, std::string::npos) << "no row for " << type_name;
    const std::string row = text.substr(at + 1, text.find('\n', at + 1) - at - 1);
    for (std::string_view name : names) {
      EXPECT_NE(row.find("`\"" + std::string(name) + "\"`"), std::string::npos)
          << type_name << " value missing from docs/dict-form.md: " << name;
    }
  };
  (check(zuv::EnumNames<E>::type_name, zuv::EnumNames<E>::names), ...);
}

TEST(DictFormDoc, EveryEnumerationValueIsDocumented) {
  using namespace zuv;
  expect_enum_names_documented<OperatorKind, Delimiter, MatrixDelimiters, FracStyle, MathStyle,
                               MathFont, AccentKind, LimitsStyle, SmashMode, ColumnAlign,
                               SpaceKind>(section("Math enumerations"));
  expect_enum_names_documented<PropType>(section("Validating: the schema dict and diagnostics"));
}

// The names a message header declares: its string constants and its functions returning text.
std::set<std::string> declared_messages(const std::string& header, const std::string& prefix) {
  const std::string text = read_file(header);
  std::set<std::string> names =
      matches(text, std::regex(R"(inline constexpr std::string_view (\w+) =)"));
  for (const std::string& f : matches(text, std::regex(R"(inline std::string (\w+)\()"))) {
    names.insert(f);
  }
  std::set<std::string> out;
  for (const std::string& n : names) {
    if (n.rfind(prefix, 0) == 0) out.insert(n);
  }
  return out;
}

struct Message {
  std::string name;  // as declared in its header
  std::string text;  // with `{word}` where a value goes
};

std::vector<Message> parser_messages() {
  namespace m = zuv::parser::messages;
  return {
      {"kEndOfInputInTag", std::string(m::kEndOfInputInTag)},
      {"kEndOfInputAfterEquals", std::string(m::kEndOfInputAfterEquals)},
      {"kUnclosedString", std::string(m::kUnclosedString)},
      {"kUnclosedPrimitive", std::string(m::kUnclosedPrimitive)},
      {"kUnclosedVariable", std::string(m::kUnclosedVariable)},
      {"kUnclosedJson", std::string(m::kUnclosedJson)},
      {"kComponentNestingTooDeep", std::string(m::kComponentNestingTooDeep)},
      {"invalid_name_char", m::invalid_name_char("{c}")},
      {"invalid_value_after_equals", m::invalid_value_after_equals("{name}")},
      {"non_finite_float", m::non_finite_float("{v}")},
      {"invalid_primitive", m::invalid_primitive("{v}")},
      {"invalid_variable_path", m::invalid_variable_path("{path}")},
      {"json_not_container", m::json_not_container("{json}")},
      {"malformed_json", m::malformed_json("{inner}")},
      {"unclosed_tag", m::unclosed_tag("{Name}")},
      {"unexpected_closing_tag", m::unexpected_closing_tag("{Name}")},
      {"misnested_tags", m::misnested_tags("{Open}", "{Name}")},
      {"invalid_cross_ref_target", m::invalid_cross_ref_target("{target}")},
  };
}

std::vector<Message> math_messages() {
  namespace m = zuv::math::msg;
  auto s = [](std::string_view v) { return std::string(v); };
  return {
      {"kCaretWithoutBase", s(m::kCaretWithoutBase)},
      {"kUnderscoreWithoutBase", s(m::kUnderscoreWithoutBase)},
      {"kStrayAmpersand", s(m::kStrayAmpersand)},
      {"kStrayRowSeparator", s(m::kStrayRowSeparator)},
      {"kUnexpectedEnd", s(m::kUnexpectedEnd)},
      {"kExpectedGroup", s(m::kExpectedGroup)},
      {"kUnmatchedBrace", s(m::kUnmatchedBrace)},
      {"kTooDeep", s(m::kTooDeep)},
      {"kUnknownCommand", s(m::kUnknownCommand) + "\\{name}"},
      {"kRightWithoutLeft", s(m::kRightWithoutLeft)},
      {"kLeftWithoutRight", s(m::kLeftWithoutRight)},
      {"kCommutativeDiagram", s(m::kCommutativeDiagram)},
      {"kUnknownEnvironment", s(m::kUnknownEnvironment) + "{name}"},
  };
}

std::vector<Message> diagnostic_messages() {
  using namespace zuv::schema;
  return {
      {"msg_not_allowed_child", msg_not_allowed_child("{Name}")},
      {"msg_unknown_component", msg_unknown_component("{Name}")},
      {"msg_must_self_close", msg_must_self_close("{Name}")},
      {"msg_missing_required", msg_missing_required("{prop}")},
      {"msg_unknown_prop", msg_unknown_prop("{prop}", "{Name}")},
      {"msg_wrong_type", msg_wrong_type("{prop}", "{Name}", "{expected}", "{actual}")},
      {"msg_not_in_enum", msg_not_in_enum("{prop}", "{Name}", "{values}", "{value}")},
  };
}

// Both directions: every message of the header stands in `listed`, and every listed message is
// one of the header's.
void expect_messages_documented(const std::vector<std::vector<Message>>& headers,
                                const std::vector<std::pair<std::string, std::string>>& files,
                                const std::set<std::string>& listed) {
  std::set<std::string> known;
  for (size_t i = 0; i < headers.size(); ++i) {
    std::set<std::string> names;
    for (const Message& m : headers[i]) {
      names.insert(m.name);
      known.insert(m.text);
      EXPECT_TRUE(listed.count(m.text)) << "message missing from docs/dict-form.md: " << m.text;
    }
    // A message added to a header must be added to the tables above, and so to the document.
    EXPECT_EQ(names, declared_messages(files[i].first, files[i].second)) << files[i].first;
  }
  for (const std::string& text : listed) {
    EXPECT_TRUE(known.count(text)) << "docs/dict-form.md lists an unknown message: " << text;
  }
}

TEST(DictFormDoc, EveryDocumentErrorMessageIsListedAndNoOther) {
  expect_messages_documented({parser_messages(), math_messages()},
                             {{"parser/src/messages.h", ""}, {"math/src/messages.h", "k"}},
                             listed_messages(section("Errors")));
}

TEST(DictFormDoc, EveryDiagnosticMessageIsListedAndNoOther) {
  expect_messages_documented(
      {diagnostic_messages()}, {{"schema/src/messages.h", "msg_"}},
      listed_messages(section("Validating: the schema dict and diagnostics")));
}

}  // namespace

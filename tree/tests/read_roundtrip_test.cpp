// Write, read, write: every node kind and every math kind comes back as the same tree and the
// same dict.

#include <gtest/gtest.h>

#include "tree_samples.h"
#include "tree_testing.h"
#include "zuv/dict_form.h"
#include "zuv/dict_read.h"

namespace zuv {
namespace {

using testing::every_node_kind;
using testing::SameJson;
using testing::SameTree;

TEST(ReadRoundTrip, EveryKindWriteReadWrite) {
  const Root tree = every_node_kind();
  const JsonValue written = root_to_value(tree);
  auto read = root_from_value(written);
  ASSERT_TRUE(read) << read.error().message;
  EXPECT_PRED_FORMAT2(SameTree, read.value(), tree);
  EXPECT_PRED_FORMAT2(SameJson, root_to_value(read.value()), written);
}

void retag_math(JsonValue& v) {
  if (v.is_array()) {
    for (JsonValue& e : v.as_array()) retag_math(e);
  } else if (v.is_object()) {
    for (JsonMember& m : v.as_object()) {
      if (m.key.text() != "type") {
        retag_math(m.value);
      } else if (auto k = math_kind_from_tag(m.value.as_string())) {
        m.value = JsonValue::make_u64(static_cast<uint64_t>(*k));
      }
    }
  }
}

void retag_node(JsonValue& node, bool nested) {
  JsonObject& o = node.as_object();
  if (nested) {
    JsonValue& type = *o.find("type");
    type = JsonValue::make_u64(static_cast<uint64_t>(*node_kind_from_tag(type.as_string())));
  }
  if (JsonValue* children = o.find("children")) {
    for (JsonValue& child : children->as_array()) retag_node(child, true);
  }
  if (JsonValue* tree = o.find("tree")) retag_math(*tree);
}

// Nested nodes and math expressions may name their kind by its index.
TEST(ReadRoundTrip, EveryKindReadByIndexTags) {
  const Root tree = every_node_kind();
  JsonValue written = root_to_value(tree);
  for (JsonValue& node : written.as_object().find("children")->as_array()) {
    retag_node(node, false);
  }
  EXPECT_NE(to_json_text(written).find(R"("type":0)"), std::string::npos);
  auto read = root_from_value(std::move(written));
  ASSERT_TRUE(read) << read.error().message;
  EXPECT_PRED_FORMAT2(SameTree, read.value(), tree);
}

}  // namespace
}  // namespace zuv

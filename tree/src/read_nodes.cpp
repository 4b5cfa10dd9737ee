// Reading nodes: the tag, the dispatch over the kinds by their payload records, each payload
// record's fields as data, positions, and attribute values.

#include <type_traits>
#include <utility>
#include <variant>

#include "read_tree.h"
#include "zuv/variable_path.h"

namespace zuv {

namespace {

constexpr std::string_view kInternallyTaggedNode = "internally tagged enum Node";
constexpr FieldClass kOpt = FieldClass::Optional;

// ---- Positions ------------------------------------------------------------------------------

constexpr Field kPointFields[] = {
    field<&Point::line, read_usize>("line"),
    field<&Point::column, read_usize>("column"),
    field<&Point::offset, read_usize>("offset"),
};
constexpr RecordSpec<Point> kPointRecord("Point", kPointFields);

constexpr Field kPositionFields[] = {
    field<&Position::start, record_reader<kPointRecord>>("start"),
    field<&Position::end, record_reader<kPointRecord>>("end"),
};
constexpr RecordSpec<Position> kPositionRecord("Position", kPositionFields);

}  // namespace

DictResult<Position> read_position(const JsonValue& value, ReadContext& ctx) {
  return read_record(value, kPositionRecord, ctx);
}

namespace {

// ---- Attributes -----------------------------------------------------------------------------

// A point exactly as the writer lays it out: the three keys, unsigned integers.
std::optional<Point> written_point(const JsonValue& value) {
  const std::span<const JsonMember> e = value.members();
  if (!value.is_object() || e.size() != 3) return std::nullopt;
  static constexpr std::string_view kKeys[] = {"column", "line", "offset"};
  for (size_t i = 0; i < 3; ++i) {
    if (e[i].key.text() != kKeys[i] || e[i].value.kind() != JsonValue::Kind::Unsigned) {
      return std::nullopt;
    }
  }
  return Point{e[1].value.as_u64(), e[0].value.as_u64(), e[2].value.as_u64()};
}

std::optional<Position> written_position(const JsonValue& value) {
  const std::span<const JsonMember> e = value.members();
  if (!value.is_object() || e.size() != 2) return std::nullopt;
  if (e[0].key.text() != "end" || e[1].key.text() != "start") return std::nullopt;
  auto end = written_point(e[0].value);
  auto start = written_point(e[1].value);
  if (!end || !start) return std::nullopt;
  return Position{*start, *end};
}

// A variable attribute value is written as {"path", "position"}. Only that exact shape, with a
// valid path, reads back as a variable, so that writing it again gives the same dict and an
// object attribute of another shape is never taken for one.
std::optional<VariableNode> written_variable(std::span<const JsonMember> members) {
  if (members.size() != 2) return std::nullopt;
  const JsonMember& path = members[0];
  const JsonMember& position = members[1];
  if (path.key.text() != "path" || position.key.text() != "position") return std::nullopt;
  if (!path.value.is_string() || !is_valid_variable_path(path.value.text())) {
    return std::nullopt;
  }
  auto pos = written_position(position.value);
  if (!pos) return std::nullopt;
  return VariableNode{std::string(path.value.text()), *pos};
}

}  // namespace

DictResult<AttributeValue> attribute_value_from_content(const JsonValue& value, ReadContext&) {
  switch (value.kind()) {
    case JsonValue::Kind::Null: return AttributeValue();
    case JsonValue::Kind::Bool: return AttributeValue(std::in_place_type<bool>, value.as_bool());
    case JsonValue::Kind::Unsigned: return AttributeValue(JsonNumber::from_u64(value.as_u64()));
    case JsonValue::Kind::Signed: return AttributeValue(JsonNumber::from_i64(value.as_i64()));
    case JsonValue::Kind::Float: return AttributeValue(JsonNumber::from_f64(value.as_f64()));
    case JsonValue::Kind::String:
      return AttributeValue(std::in_place_type<std::string>, value.text());
    case JsonValue::Kind::Array: {
      const std::span<const JsonValue> items = value.items();
      return AttributeValue(std::in_place_type<JsonArray>, items.begin(), items.end());
    }
    case JsonValue::Kind::Object: {
      const std::span<const JsonMember> members = value.members();
      if (auto variable = written_variable(members)) return AttributeValue(std::move(*variable));
      JsonObject object;
      object.entries().assign(members.begin(), members.end());
      return AttributeValue(std::in_place_type<JsonObject>, std::move(object));
    }
  }
  return AttributeValue();
}

namespace {

// ---- Payload records ------------------------------------------------------------------------

constexpr auto kText = read_text;
constexpr auto kOptText = read_optional<read_text>;
constexpr auto kOptBool = read_optional<read_bool>;
constexpr auto kPos = read_position;
// Children lists and math trees are read in place (`field_into`): they nest as deep as the
// input, and each level then costs the reader no result temporaries.
constexpr auto kChildren = read_list_into<Node, node_from_content>;

DictStatus read_math_tree(const JsonValue& value, MathBox& out, ReadContext& ctx) {
  return math_from_content(value, *out, ctx);
}

constexpr Field kTextNodeFields[] = {
    field<&TextNode::value, kText>("value"),
    field<&TextNode::position, kPos>("position"),
};
constexpr RecordSpec<TextNode> kTextNodeRecord("TextNode", kTextNodeFields);

constexpr Field kCodeInlineFields[] = {
    field<&CodeInlineNode::value, kText>("value"),
    field<&CodeInlineNode::lang, kOptText>("lang", kOpt),
    field<&CodeInlineNode::position, kPos>("position"),
};
constexpr RecordSpec<CodeInlineNode> kCodeInlineRecord("CodeInlineNode", kCodeInlineFields);

constexpr Field kCodeBlockFields[] = {
    field<&CodeBlockNode::value, kText>("value"),
    field<&CodeBlockNode::lang, kOptText>("lang", kOpt),
    field<&CodeBlockNode::meta, kOptText>("meta", kOpt),
    field<&CodeBlockNode::title, kOptText>("title", kOpt),
    field<&CodeBlockNode::highlight, read_optional<read_list<read_u32>>>("highlight", kOpt),
    field<&CodeBlockNode::showLineNumbers, kOptBool>("showLineNumbers", kOpt),
    field<&CodeBlockNode::diff, kOptBool>("diff", kOpt),
    field<&CodeBlockNode::caption, kOptText>("caption", kOpt),
    field<&CodeBlockNode::position, kPos>("position"),
};
constexpr RecordSpec<CodeBlockNode> kCodeBlockRecord("CodeBlockNode", kCodeBlockFields);

constexpr Field kStandardBlockFields[] = {
    field<&StandardBlockNode::depth, read_optional<read_u8>>("depth", kOpt),
    field<&StandardBlockNode::ordered, kOptBool>("ordered", kOpt),
    field<&StandardBlockNode::checked, kOptBool>("checked", kOpt),
    field<&StandardBlockNode::id, kOptText>("id", kOpt),
    field_into<&StandardBlockNode::children, kChildren>("children"),
    field<&StandardBlockNode::position, kPos>("position"),
};
constexpr RecordSpec<StandardBlockNode> kStandardBlockRecord("StandardBlockNode",
                                                             kStandardBlockFields);

constexpr Field kLinkFields[] = {
    field<&LinkNode::url, kText>("url"),
    field<&LinkNode::title, kOptText>("title", kOpt),
    field_into<&LinkNode::children, kChildren>("children"),
    field<&LinkNode::position, kPos>("position"),
};
constexpr RecordSpec<LinkNode> kLinkRecord("LinkNode", kLinkFields);

constexpr Field kImageFields[] = {
    field<&ImageNode::url, kText>("url"),
    field<&ImageNode::title, kOptText>("title", kOpt),
    field<&ImageNode::alt, kOptText>("alt", kOpt),
    field_into<&ImageNode::children, kChildren>("children"),
    field<&ImageNode::position, kPos>("position"),
};
constexpr RecordSpec<ImageNode> kImageRecord("ImageNode", kImageFields);

constexpr Field kFootnoteFields[] = {
    field<&FootnoteNode::label, kText>("label"),
    field_into<&FootnoteNode::children, kChildren>("children"),
    field<&FootnoteNode::position, kPos>("position"),
};
constexpr RecordSpec<FootnoteNode> kFootnoteRecord("FootnoteNode", kFootnoteFields);

constexpr Field kMathNodeFields[] = {
    field<&MathNode::raw, kText>("raw"),
    field_into<&MathNode::tree, read_math_tree>("tree"),
    field<&MathNode::position, kPos>("position"),
};
constexpr RecordSpec<MathNode> kMathNodeRecord("MathNode", kMathNodeFields);

constexpr Field kMathDisplayFields[] = {
    field<&MathDisplayNode::raw, kText>("raw"),
    field_into<&MathDisplayNode::tree, read_math_tree>("tree"),
    field<&MathDisplayNode::label, kOptText>("label", kOpt),
    field<&MathDisplayNode::position, kPos>("position"),
};
constexpr RecordSpec<MathDisplayNode> kMathDisplayRecord("MathDisplayNode", kMathDisplayFields);

constexpr Field kCitationKeyFields[] = {
    field<&CitationKey::id, kText>("id"),
    field<&CitationKey::prefix, kOptText>("prefix", kOpt),
    field<&CitationKey::locator, kOptText>("locator", kOpt),
};
constexpr RecordSpec<CitationKey> kCitationKeyRecord("CitationKey", kCitationKeyFields);

constexpr Field kCitationFields[] = {
    field<&CitationNode::keys, read_list<record_reader<kCitationKeyRecord>>>("keys"),
    field<&CitationNode::position, kPos>("position"),
};
constexpr RecordSpec<CitationNode> kCitationRecord("CitationNode", kCitationFields);

constexpr Field kCrossRefFields[] = {
    field<&CrossRefNode::target, kText>("target"),
    field<&CrossRefNode::position, kPos>("position"),
};
constexpr RecordSpec<CrossRefNode> kCrossRefRecord("CrossRefNode", kCrossRefFields);

constexpr Field kAttributeFields[] = {
    field<&AttributeNode::name, kText>("name"),
    // Required, but null is a value here (`AttributeValue` null), never an absence.
    field<&AttributeNode::value, attribute_value_from_content>("value"),
    field<&AttributeNode::position, kPos>("position"),
};
constexpr RecordSpec<AttributeNode> kAttributeRecord("AttributeNode", kAttributeFields);

constexpr Field kComponentFields[] = {
    field<&ComponentNode::name, kText>("name"),
    field<&ComponentNode::isInline, read_bool>("isInline"),
    field<&ComponentNode::attributes, read_list<record_reader<kAttributeRecord>>>("attributes"),
    field_into<&ComponentNode::children, kChildren>("children"),
    // The writer leaves an empty body out; in an array that ends here the default stands in
    // too, but the position after it is then missing.
    field<&ComponentNode::rawContent, kText>("rawContent", FieldClass::Defaulted),
    field<&ComponentNode::position, kPos>("position"),
};
constexpr RecordSpec<ComponentNode> kComponentRecord("ComponentNode", kComponentFields);

constexpr Field kVariableFields[] = {
    field<&VariableNode::path, kText>("path"),
    field<&VariableNode::position, kPos>("position"),
};
constexpr RecordSpec<VariableNode> kVariableRecord("VariableNode", kVariableFields);

constexpr Field kErrorFields[] = {
    field<&ErrorNode::message, kText>("message"),
    field<&ErrorNode::rawContent, kText>("rawContent"),
    field<&ErrorNode::position, kPos>("position"),
};
constexpr RecordSpec<ErrorNode> kErrorRecord("ErrorNode", kErrorFields);

// The record spec of each payload record.
constexpr const auto& record_of(std::type_identity<TextNode>) { return kTextNodeRecord; }
constexpr const auto& record_of(std::type_identity<CodeInlineNode>) { return kCodeInlineRecord; }
constexpr const auto& record_of(std::type_identity<CodeBlockNode>) { return kCodeBlockRecord; }
constexpr const auto& record_of(std::type_identity<StandardBlockNode>) {
  return kStandardBlockRecord;
}
constexpr const auto& record_of(std::type_identity<LinkNode>) { return kLinkRecord; }
constexpr const auto& record_of(std::type_identity<ImageNode>) { return kImageRecord; }
constexpr const auto& record_of(std::type_identity<FootnoteNode>) { return kFootnoteRecord; }
constexpr const auto& record_of(std::type_identity<MathNode>) { return kMathNodeRecord; }
constexpr const auto& record_of(std::type_identity<MathDisplayNode>) { return kMathDisplayRecord; }
constexpr const auto& record_of(std::type_identity<CitationNode>) { return kCitationRecord; }
constexpr const auto& record_of(std::type_identity<CrossRefNode>) { return kCrossRefRecord; }
constexpr const auto& record_of(std::type_identity<ComponentNode>) { return kComponentRecord; }
constexpr const auto& record_of(std::type_identity<VariableNode>) { return kVariableRecord; }
constexpr const auto& record_of(std::type_identity<ErrorNode>) { return kErrorRecord; }

// Every payload record has its spec, so a kind whose record is new cannot be left out.
static_assert(detail::every_alternative<NodePayload>([]<class S>(std::type_identity<S>) {
                using P = std::remove_cvref_t<decltype(detail::unbox(std::declval<S&>()))>;
                return requires { record_of(std::type_identity<P>{}); };
              }),
              "a node payload record has no record spec");

// ---- Nodes ------------------------------------------------------------------------------------

// The payload of a node of `kind`, read into `out` from the node's object (its "type" entry is
// no field and is passed over) or from its array after the tag.
template <class P>
[[gnu::noinline]] DictStatus read_payload(NodeKind kind, const JsonValue& value, size_t first,
                                          Node& out, ReadContext& ctx) {
  out.kind = kind;
  out.payload.emplace<typename detail::Stored<P>::type>();
  return read_fields(value, first, record_of(std::type_identity<P>{}), out.as<P>(), ctx);
}

// The reader of each kind, by the kind's payload record.
using PayloadReader = DictStatus (*)(NodeKind, const JsonValue&, size_t, Node&, ReadContext&);
constexpr PayloadReader kPayloadReaders[] = {
#define ZUV_NODE_READER(id, tag, payload, walk) &read_payload<payload>,
    ZUV_NODE_KINDS(ZUV_NODE_READER)
#undef ZUV_NODE_READER
};

// Both places read a node alike but for its tag: a nested node's tag may be the kind's index.
// The tag is judged before anything of the payload, whatever the key order.
DictStatus read_node(const JsonValue& value, Node& out, ReadContext& ctx, bool nested) {
  auto tagged = find_record_tag(value, kInternallyTaggedNode);
  if (!tagged) return tagged.take_error();
  ReadLevel level(ctx);
  if (level.too_deep()) return nesting_too_deep();
  auto kind = variant_from_tag(*tagged.value().tag, kNodeKindTags, /*allow_index=*/nested);
  if (!kind) return kind.take_error();
  ReadContext inside{ReadPlace::Content, ctx.depth};
  const auto k = static_cast<NodeKind>(kind.value());
  return kPayloadReaders[kind.value()](k, value, tagged.value().first, out, inside);
}

}  // namespace

DictStatus node_from_value(const JsonValue& value, Node& out, ReadContext& ctx) {
  return read_node(value, out, ctx, /*nested=*/false);
}

DictStatus node_from_content(const JsonValue& value, Node& out, ReadContext& ctx) {
  return read_node(value, out, ctx, /*nested=*/true);
}

}  // namespace zuv

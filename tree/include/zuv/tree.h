#pragma once
// The document tree: a `Root` with its front matter, its top-level nodes and the range of the
// whole input.
//
// A `Node` is a kind beside a payload record; kinds share records (the standard block kinds
// share `StandardBlockNode`, the two footnote kinds `FootnoteNode`). Each kind is one row of
// `ZUV_NODE_KINDS`, from which the enum, the tags, the payload variant and each kind's
// alternative in it are expanded. The rarely built, large records (code blocks, images,
// components) are boxed so that an ordinary node stays small; `Node::as<T>()` hides the box.
// Children are owned by value: a tree is released as a whole and nothing in it is shared.
//
// Field order in every record is the declared order of the dict form.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "zuv/box.h"
#include "zuv/json.h"
#include "zuv/kind_table.h"
#include "zuv/math_tree.h"

namespace zuv {

struct Point {
  uint64_t line = 0;
  uint64_t column = 0;
  uint64_t offset = 0;
  bool operator==(const Point&) const = default;
};

struct Position {
  Point start;
  Point end;  // exclusive
  bool operator==(const Position&) const = default;
};

// Every node kind, one row each: the kind, its dict-form tag, its payload record, and whether
// the tree walks descend into its children (`node_children`: kWalked) or not (kLeaf). The
// order is each kind's index, which the dict form accepts as the tag of a nested node in
// place of the name: it is part of the format, so new kinds go at the end.
// clang-format off
#define ZUV_NODE_KINDS(X)                                                        \
  X(Text,                  "text",                   TextNode,          kLeaf)   \
  X(CodeInline,            "code_inline",            CodeInlineNode,    kLeaf)   \
  X(CodeBlock,             "code_block",             CodeBlockNode,     kLeaf)   \
  X(Paragraph,             "paragraph",              StandardBlockNode, kWalked) \
  X(Heading,               "heading",                StandardBlockNode, kWalked) \
  X(List,                  "list",                   StandardBlockNode, kWalked) \
  X(ListItem,              "list_item",              StandardBlockNode, kWalked) \
  X(Blockquote,            "blockquote",             StandardBlockNode, kWalked) \
  X(ThematicBreak,         "thematic_break",         StandardBlockNode, kWalked) \
  X(Html,                  "html",                   StandardBlockNode, kWalked) \
  X(Table,                 "table",                  StandardBlockNode, kWalked) \
  X(TableRow,              "table_row",              StandardBlockNode, kWalked) \
  X(TableCell,             "table_cell",             StandardBlockNode, kWalked) \
  X(Link,                  "link",                   LinkNode,          kWalked) \
  X(Image,                 "image",                  ImageNode,         kWalked) \
  X(Emphasis,              "emphasis",               StandardBlockNode, kWalked) \
  X(Strong,                "strong",                 StandardBlockNode, kWalked) \
  X(Strikethrough,         "strikethrough",          StandardBlockNode, kWalked) \
  X(DefinitionList,        "definition_list",        StandardBlockNode, kWalked) \
  X(DefinitionTerm,        "definition_term",        StandardBlockNode, kWalked) \
  X(DefinitionDescription, "definition_description", StandardBlockNode, kWalked) \
  X(FootnoteDefinition,    "footnote_definition",    FootnoteNode,      kWalked) \
  X(FootnoteReference,     "footnote_reference",     FootnoteNode,      kLeaf)   \
  X(MathInline,            "math_inline",            MathNode,          kLeaf)   \
  X(MathDisplay,           "math_display",           MathDisplayNode,   kLeaf)   \
  X(Citation,              "citation",               CitationNode,      kLeaf)   \
  X(CrossRef,              "cross_ref",              CrossRefNode,      kLeaf)   \
  X(Component,             "component",              ComponentNode,     kWalked) \
  X(Variable,              "variable",               VariableNode,      kLeaf)   \
  X(Error,                 "error",                  ErrorNode,         kLeaf)
// clang-format on

enum class NodeKind : uint8_t {
#define ZUV_NODE_KIND_ENUM(id, tag, payload, walk) id,
  ZUV_NODE_KINDS(ZUV_NODE_KIND_ENUM)
#undef ZUV_NODE_KIND_ENUM
};

inline constexpr auto kNodeKindTags = std::to_array<std::string_view>({
#define ZUV_NODE_KIND_TAG(id, tag, payload, walk) tag,
    ZUV_NODE_KINDS(ZUV_NODE_KIND_TAG)
#undef ZUV_NODE_KIND_TAG
});
inline constexpr size_t kNodeKindCount = kNodeKindTags.size();
static_assert(detail::names_are_set_and_distinct(kNodeKindTags),
              "a node kind tag is empty or repeated");

inline constexpr std::string_view node_kind_tag(NodeKind k) {
  return kNodeKindTags[static_cast<size_t>(k)];
}

std::optional<NodeKind> node_kind_from_tag(std::string_view tag);

struct Node;
using NodeList = std::vector<Node>;

struct TextNode {
  std::string value;
  Position position;
  bool operator==(const TextNode&) const = default;
};

struct CodeInlineNode {
  std::string value;
  std::optional<std::string> lang;
  Position position;
  bool operator==(const CodeInlineNode&) const = default;
};

struct CodeBlockNode {
  std::string value;
  std::optional<std::string> lang;
  std::optional<std::string> meta;
  std::optional<std::string> title;
  std::optional<std::vector<uint32_t>> highlight;
  std::optional<bool> showLineNumbers;
  std::optional<bool> diff;
  std::optional<std::string> caption;
  Position position;
  bool operator==(const CodeBlockNode&) const = default;
};

struct StandardBlockNode {
  std::optional<uint8_t> depth;
  std::optional<bool> ordered;
  std::optional<bool> checked;
  std::optional<std::string> id;
  NodeList children;
  Position position;
  bool operator==(const StandardBlockNode&) const;
};

struct LinkNode {
  std::string url;
  std::optional<std::string> title;
  NodeList children;
  Position position;
  bool operator==(const LinkNode&) const;
};

struct ImageNode {
  std::string url;
  std::optional<std::string> title;
  std::optional<std::string> alt;
  NodeList children;
  Position position;
  bool operator==(const ImageNode&) const;
};

struct FootnoteNode {
  std::string label;
  NodeList children;
  Position position;
  bool operator==(const FootnoteNode&) const;
};

struct MathNode {
  std::string raw;
  MathBox tree;
  Position position;
  bool operator==(const MathNode&) const = default;
};

struct MathDisplayNode {
  std::string raw;
  MathBox tree;
  std::optional<std::string> label;
  Position position;
  bool operator==(const MathDisplayNode&) const = default;
};

struct CitationKey {
  std::string id;
  std::optional<std::string> prefix;
  std::optional<std::string> locator;
  bool operator==(const CitationKey&) const = default;
};

struct CitationNode {
  std::vector<CitationKey> keys;
  Position position;
  bool operator==(const CitationNode&) const = default;
};

struct CrossRefNode {
  std::string target;
  Position position;
  bool operator==(const CrossRefNode&) const = default;
};

struct VariableNode {
  std::string path;
  Position position;
  bool operator==(const VariableNode&) const = default;
};

// The value of one attribute. The alternatives stand in their declared order:
// null, bool, number, string, array, object, variable.
using AttributeValue = std::variant<std::monostate, bool, JsonNumber, std::string, JsonArray,
                                    JsonObject, VariableNode>;
enum class AttributeKind : uint8_t { Null, Bool, Number, String, Array, Object, Variable };
inline AttributeKind attribute_kind(const AttributeValue& v) {
  return static_cast<AttributeKind>(v.index());
}

struct AttributeNode {
  std::string name;
  AttributeValue value;
  Position position;
  bool operator==(const AttributeNode&) const = default;
};

struct ComponentNode {
  std::string name;
  bool isInline = false;
  std::vector<AttributeNode> attributes;
  NodeList children;
  std::string rawContent;  // empty and absent are one and the same
  Position position;
  bool operator==(const ComponentNode&) const;
};

struct ErrorNode {
  std::string message;
  std::string rawContent;
  Position position;
  bool operator==(const ErrorNode&) const = default;
};

namespace detail {
template <class T>
struct Stored {
  using type = T;
};
template <>
struct Stored<CodeBlockNode> {
  using type = Box<CodeBlockNode>;
};
template <>
struct Stored<ImageNode> {
  using type = Box<ImageNode>;
};
template <>
struct Stored<ComponentNode> {
  using type = Box<ComponentNode>;
};
template <class T>
T& unbox(T& v) {
  return v;
}
template <class T>
const T& unbox(const T& v) {
  return v;
}
template <class T>
T& unbox(Box<T>& v) {
  return *v;
}
template <class T>
const T& unbox(const Box<T>& v) {
  return *v;
}
}  // namespace detail

// One alternative per payload record (boxed where `detail::Stored` says), in the order in which
// the kinds first name them.
using NodePayload = detail::UniqueVariant<
#define ZUV_NODE_PAYLOAD(id, tag, payload, walk) detail::Stored<payload>::type,
    ZUV_NODE_KINDS(ZUV_NODE_PAYLOAD)
#undef ZUV_NODE_PAYLOAD
        void>;

// The payload alternative each kind carries.
inline constexpr auto kNodePayloadIndex = std::to_array<uint8_t>({
#define ZUV_NODE_PAYLOAD_INDEX(id, tag, payload, walk) \
  detail::variant_index<detail::Stored<payload>::type, NodePayload>,
    ZUV_NODE_KINDS(ZUV_NODE_PAYLOAD_INDEX)
#undef ZUV_NODE_PAYLOAD_INDEX
});
constexpr size_t node_payload_of(NodeKind k) { return kNodePayloadIndex[static_cast<size_t>(k)]; }

// The standard block kinds, which share `StandardBlockNode`: containers and spans with nothing
// of their own but children and a few optional fields.
constexpr bool is_standard_block(NodeKind k) {
  return node_payload_of(k) == detail::variant_index<StandardBlockNode, NodePayload>;
}

struct Node {
  NodeKind kind = NodeKind::Text;
  NodePayload payload;

  Node() = default;
  // The payload must be the record the kind carries (checked in debug builds).
  template <class P>
  Node(NodeKind k, P p) : kind(k), payload(typename detail::Stored<P>::type(std::move(p))) {
#ifndef NDEBUG
    if (payload.index() != node_payload_of(k)) __builtin_trap();
#endif
  }

  template <class P>
  P& as() {
    return detail::unbox(std::get<typename detail::Stored<P>::type>(payload));
  }
  template <class P>
  const P& as() const {
    return detail::unbox(std::get<typename detail::Stored<P>::type>(payload));
  }

  // Every payload has a position.
  Position& position();
  const Position& position() const;

  bool operator==(const Node&) const = default;
};

// The children that the tree walks descend into: the payload's children for the kinds that
// `ZUV_NODE_KINDS` marks kWalked (the standard block kinds, link, image, footnote_definition,
// component); null for every other kind, footnote_reference included whatever its payload holds.
const NodeList* node_children(const Node& node);
NodeList* node_children(Node& node);

struct Root {
  std::optional<JsonValue> frontmatter;  // never holds JSON null
  NodeList children;
  Position position;
  bool operator==(const Root&) const = default;
};

inline bool StandardBlockNode::operator==(const StandardBlockNode& o) const {
  return depth == o.depth && ordered == o.ordered && checked == o.checked && id == o.id &&
         children == o.children && position == o.position;
}
inline bool LinkNode::operator==(const LinkNode& o) const {
  return url == o.url && title == o.title && children == o.children && position == o.position;
}
inline bool ImageNode::operator==(const ImageNode& o) const {
  return url == o.url && title == o.title && alt == o.alt && children == o.children &&
         position == o.position;
}
inline bool FootnoteNode::operator==(const FootnoteNode& o) const {
  return label == o.label && children == o.children && position == o.position;
}
inline bool ComponentNode::operator==(const ComponentNode& o) const {
  return name == o.name && isInline == o.isInline && attributes == o.attributes &&
         children == o.children && rawContent == o.rawContent && position == o.position;
}

}  // namespace zuv

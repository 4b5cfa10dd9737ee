#pragma once
// The document tree: a `Root` with its front matter, its top-level nodes and the range of the
// whole input.
//
// A `Node` is a kind beside a payload record; 30 kinds share 14 records (the sixteen container
// kinds share `StandardBlockNode`, the two footnote kinds `FootnoteNode`). The rarely built,
// large records (code blocks, images, components) are boxed so that an ordinary node stays
// small; `Node::as<T>()` hides the box. Children are owned by value: a tree is released as a
// whole and nothing in it is shared.
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

enum class NodeKind : uint8_t {
  Text, CodeInline, CodeBlock, Paragraph, Heading, List, ListItem, Blockquote, ThematicBreak,
  Html, Table, TableRow, TableCell, Link, Image, Emphasis, Strong, Strikethrough,
  DefinitionList, DefinitionTerm, DefinitionDescription, FootnoteDefinition, FootnoteReference,
  MathInline, MathDisplay, Citation, CrossRef, Component, Variable, Error
};
inline constexpr size_t kNodeKindCount = 30;

inline constexpr std::array<std::string_view, kNodeKindCount> kNodeKindTags = {
    "text", "code_inline", "code_block", "paragraph", "heading", "list", "list_item",
    "blockquote", "thematic_break", "html", "table", "table_row", "table_cell", "link",
    "image", "emphasis", "strong", "strikethrough", "definition_list", "definition_term",
    "definition_description", "footnote_definition", "footnote_reference", "math_inline",
    "math_display", "citation", "cross_ref", "component", "variable", "error"};

inline constexpr std::string_view node_kind_tag(NodeKind k) {
  return kNodeKindTags[static_cast<size_t>(k)];
}

// The sixteen standard block kinds, which share `StandardBlockNode`: containers and spans with
// nothing of their own but children and a few optional fields. The one list of them.
constexpr bool is_standard_block(NodeKind k) {
  switch (k) {
    case NodeKind::Paragraph:
    case NodeKind::Heading:
    case NodeKind::List:
    case NodeKind::ListItem:
    case NodeKind::Blockquote:
    case NodeKind::ThematicBreak:
    case NodeKind::Html:
    case NodeKind::Table:
    case NodeKind::TableRow:
    case NodeKind::TableCell:
    case NodeKind::Emphasis:
    case NodeKind::Strong:
    case NodeKind::Strikethrough:
    case NodeKind::DefinitionList:
    case NodeKind::DefinitionTerm:
    case NodeKind::DefinitionDescription:
      return true;
    case NodeKind::Text:
    case NodeKind::CodeInline:
    case NodeKind::CodeBlock:
    case NodeKind::Link:
    case NodeKind::Image:
    case NodeKind::FootnoteDefinition:
    case NodeKind::FootnoteReference:
    case NodeKind::MathInline:
    case NodeKind::MathDisplay:
    case NodeKind::Citation:
    case NodeKind::CrossRef:
    case NodeKind::Component:
    case NodeKind::Variable:
    case NodeKind::Error:
      return false;
  }
  return false;
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
using AttributeValue =
    std::variant<std::monostate, bool, JsonNumber, std::string, JsonArray, JsonObject,
                 VariableNode>;
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

using NodePayload =
    std::variant<TextNode, CodeInlineNode, Box<CodeBlockNode>, StandardBlockNode, LinkNode,
                 Box<ImageNode>, FootnoteNode, MathNode, MathDisplayNode, CitationNode,
                 CrossRefNode, Box<ComponentNode>, VariableNode, ErrorNode>;

// The payload alternative each kind carries.
constexpr size_t node_payload_of(NodeKind k) {
  if (is_standard_block(k)) return 3;
  switch (k) {
    case NodeKind::Text: return 0;
    case NodeKind::CodeInline: return 1;
    case NodeKind::CodeBlock: return 2;
    case NodeKind::Link: return 4;
    case NodeKind::Image: return 5;
    case NodeKind::FootnoteDefinition:
    case NodeKind::FootnoteReference: return 6;
    case NodeKind::MathInline: return 7;
    case NodeKind::MathDisplay: return 8;
    case NodeKind::Citation: return 9;
    case NodeKind::CrossRef: return 10;
    case NodeKind::Component: return 11;
    case NodeKind::Variable: return 12;
    case NodeKind::Error: return 13;
    default: return 3;  // the standard block kinds
  }
}

namespace detail {
template <class T> struct Stored { using type = T; };
template <> struct Stored<CodeBlockNode> { using type = Box<CodeBlockNode>; };
template <> struct Stored<ImageNode> { using type = Box<ImageNode>; };
template <> struct Stored<ComponentNode> { using type = Box<ComponentNode>; };
template <class T> T& unbox(T& v) { return v; }
template <class T> const T& unbox(const T& v) { return v; }
template <class T> T& unbox(Box<T>& v) { return *v; }
template <class T> const T& unbox(const Box<T>& v) { return *v; }
}  // namespace detail

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
  P& as() { return detail::unbox(std::get<typename detail::Stored<P>::type>(payload)); }
  template <class P>
  const P& as() const {
    return detail::unbox(std::get<typename detail::Stored<P>::type>(payload));
  }

  // Every payload has a position.
  Position& position();
  const Position& position() const;

  bool operator==(const Node&) const = default;
};

// The children that the tree walks descend into: the payload's children for the container
// kinds, link, image, footnote_definition and component; null for every other kind, including
// footnote_reference whatever its payload holds.
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

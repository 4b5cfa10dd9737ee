#pragma once
// Compact, readable descriptions of what the document-layer readers return, so that test tables
// can state whole results in one string.

#include <string>
#include <vector>

#include "scanner.h"
#include "tags.h"
#include "zuv/dict_form.h"
#include "zuv/json.h"
#include "zuv/tree.h"

namespace zuv::parser::testing {

inline std::string json_quoted(std::string_view s) {
  std::string out;
  append_json_string(out, s);
  return out;
}

inline std::string range(const Position& p) {
  return std::to_string(p.start.offset) + "-" + std::to_string(p.end.offset);
}

// One node: kind, its text (value, raw, target, path or message), and its offsets. Math trees
// are left out: the math parser is tested on its own.
inline std::string describe(const Node& node) {
  switch (node.kind) {
    case NodeKind::Text:
      return "text " + json_quoted(node.as<TextNode>().value) + " " + range(node.position());
    case NodeKind::MathInline:
      return "math " + json_quoted(node.as<MathNode>().raw) + " " + range(node.position());
    case NodeKind::CrossRef:
      return "ref " + json_quoted(node.as<CrossRefNode>().target) + " " + range(node.position());
    case NodeKind::Variable:
      return "var " + json_quoted(node.as<VariableNode>().path) + " " + range(node.position());
    case NodeKind::Error: {
      const auto& e = node.as<ErrorNode>();
      return "error " + json_quoted(e.message) + " raw " + json_quoted(e.rawContent) + " " +
             range(node.position());
    }
    case NodeKind::Citation: {
      std::string out = "cite [";
      bool first = true;
      for (const CitationKey& k : node.as<CitationNode>().keys) {
        if (!first) out += "; ";
        first = false;
        if (k.prefix) out += json_quoted(*k.prefix) + " ";
        out += "@" + json_quoted(k.id);
        if (k.locator) out += ", " + json_quoted(*k.locator);
      }
      return out + "] " + range(node.position());
    }
    default: return to_json_text(node_to_value(node));
  }
}

inline std::string describe(const NodeList& nodes) {
  std::string out;
  for (const Node& n : nodes) {
    if (!out.empty()) out += " | ";
    out += describe(n);
  }
  return out;
}

// The attributes of a tag: name=value (compact JSON of the dict form) @offsets.
inline std::string describe(const std::vector<AttributeNode>& attributes) {
  std::string out;
  for (const AttributeNode& a : attributes) {
    if (!out.empty()) out += " ";
    out += a.name + "=" + to_json_text(attribute_value_to_value(a.value)) + "@" + range(a.position);
  }
  return out;
}

inline std::string describe(const Segment& s) {
  switch (s.kind()) {
    case Segment::Kind::Markdown: {
      const auto& m = std::get<Segment::Markdown>(s.value);
      return "md " + std::to_string(m.start) + "-" + std::to_string(m.end);
    }
    case Segment::Kind::Component: {
      const auto& c = std::get<Segment::Component>(s.value);
      return "component " + c.open_tag.name + " " + std::to_string(c.open_tag.start) + " body " +
             std::to_string(c.body_start) + "-" + std::to_string(c.body_end) + " end " +
             std::to_string(c.block_end);
    }
    case Segment::Kind::SelfClosing: {
      const auto& c = std::get<Segment::SelfClosing>(s.value);
      return "self " + c.open_tag.name + " " + std::to_string(c.open_tag.start) + "-" +
             std::to_string(c.open_tag.end);
    }
    case Segment::Kind::MathBlock: {
      const auto& m = std::get<Segment::MathBlock>(s.value);
      return "math " + std::to_string(m.start) + (m.label ? " label " + *m.label : "") +
             " content " + std::to_string(m.content_start) + "-" + std::to_string(m.content_end) +
             " end " + std::to_string(m.block_end);
    }
    case Segment::Kind::Error: {
      const auto& e = std::get<Segment::Error>(s.value);
      return "error " + json_quoted(e.message) + " raw " + json_quoted(e.raw) + " " +
             std::to_string(e.start) + "-" + std::to_string(e.end);
    }
  }
  return "";
}

inline std::string describe(const std::vector<Segment>& segments) {
  std::string out;
  for (const Segment& s : segments) {
    if (!out.empty()) out += " | ";
    out += describe(s);
  }
  return out;
}

}  // namespace zuv::parser::testing

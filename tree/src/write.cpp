// Writers of the dict form. Each record's keys are pushed in ascending byte order, the order the
// JSON object keeps, so no object is ever searched or shifted while it is built; debug builds
// assert that order.

#include <optional>

#include "zuv/dict_form.h"

namespace zuv {

namespace {

JsonValue str(const std::string& s) { return JsonValue::make_string(std::string(s)); }
JsonValue u64(uint64_t v) { return JsonValue::make_u64(v); }
JsonValue boolean(bool b) { return JsonValue::make_bool(b); }

class Obj {
 public:
  explicit Obj(size_t n) { o_.reserve(n); }
  Obj& put(Key k, JsonValue v) {
    o_.push_sorted(k, std::move(v));
    return *this;
  }
  Obj& put_opt(Key k, const std::optional<std::string>& v) {
    if (v) put(k, str(*v));
    return *this;
  }
  Obj& put_opt(Key k, const std::optional<bool>& v) {
    if (v) put(k, boolean(*v));
    return *this;
  }
  Obj& type(std::string_view tag) { return put(Key::type, JsonValue::make_string(tag)); }
  JsonValue done() { return JsonValue::make_object(std::move(o_)); }

 private:
  JsonObject o_;
};

JsonValue point_to_value(const Point& p) {
  return Obj(3).put(Key::column, u64(p.column)).put(Key::line, u64(p.line))
      .put(Key::offset, u64(p.offset)).done();
}

JsonValue nodes_to_value(const NodeList& nodes) {
  JsonArray a;
  a.reserve(nodes.size());
  for (const Node& n : nodes) a.push_back(node_to_value(n));
  return JsonValue::make_array(std::move(a));
}

JsonValue math_list_to_value(const MathList& list) {
  JsonArray a;
  a.reserve(list.size());
  for (const MathExpr& e : list) a.push_back(math_to_value(e));
  return JsonValue::make_array(std::move(a));
}

JsonValue math_rows_to_value(const std::vector<MathList>& rows) {
  JsonArray a;
  a.reserve(rows.size());
  for (const MathList& r : rows) a.push_back(math_list_to_value(r));
  return JsonValue::make_array(std::move(a));
}

JsonValue opt_math(const MathOptBox& e) { return e ? math_to_value(*e) : JsonValue(); }

template <class E>
JsonValue name_of(E e) {
  return JsonValue::make_string(enum_name(e));
}

JsonValue copy_json(const JsonValue& v) {
  // The value tree already holds normalised numbers (signed only when negative, floats only
  // when finite), so a copy is a plain copy.
  return v;
}

JsonValue standard_block_to_value(std::string_view tag, const StandardBlockNode& b) {
  Obj o(7);
  o.put_opt(Key::checked, b.checked);
  o.put(Key::children, nodes_to_value(b.children));
  if (b.depth) o.put(Key::depth, u64(*b.depth));
  o.put_opt(Key::id, b.id);
  o.put_opt(Key::ordered, b.ordered);
  o.put(Key::position, position_to_value(b.position));
  return o.type(tag).done();
}

}  // namespace

JsonValue position_to_value(const Position& p) {
  return Obj(2).put(Key::end, point_to_value(p.end)).put(Key::start, point_to_value(p.start))
      .done();
}

JsonValue attribute_value_to_value(const AttributeValue& value) {
  switch (attribute_kind(value)) {
    case AttributeKind::Null: return JsonValue();
    case AttributeKind::Bool: return boolean(std::get<bool>(value));
    case AttributeKind::Number: return std::get<JsonNumber>(value).to_value();
    case AttributeKind::String: return str(std::get<std::string>(value));
    case AttributeKind::Array: return JsonValue::make_array(std::get<JsonArray>(value));
    case AttributeKind::Object: return JsonValue::make_object(std::get<JsonObject>(value));
    case AttributeKind::Variable: {
      const auto& var = std::get<VariableNode>(value);
      return Obj(2).put(Key::path, str(var.path))
          .put(Key::position, position_to_value(var.position)).done();
    }
  }
  return JsonValue();
}

JsonValue node_to_value(const Node& node) {
  const std::string_view tag = node_kind_tag(node.kind);
  switch (node.kind) {
    case NodeKind::Text: {
      const auto& t = node.as<TextNode>();
      return Obj(3).put(Key::position, position_to_value(t.position)).type(tag)
          .put(Key::value, str(t.value)).done();
    }
    case NodeKind::CodeInline: {
      const auto& c = node.as<CodeInlineNode>();
      return Obj(4).put_opt(Key::lang, c.lang).put(Key::position, position_to_value(c.position))
          .type(tag).put(Key::value, str(c.value)).done();
    }
    case NodeKind::CodeBlock: {
      const auto& c = node.as<CodeBlockNode>();
      Obj o(10);
      o.put_opt(Key::caption, c.caption).put_opt(Key::diff, c.diff);
      if (c.highlight) {
        JsonArray lines;
        lines.reserve(c.highlight->size());
        for (uint32_t l : *c.highlight) lines.push_back(u64(l));
        o.put(Key::highlight, JsonValue::make_array(std::move(lines)));
      }
      o.put_opt(Key::lang, c.lang).put_opt(Key::meta, c.meta)
          .put(Key::position, position_to_value(c.position))
          .put_opt(Key::showLineNumbers, c.showLineNumbers).put_opt(Key::title, c.title)
          .type(tag).put(Key::value, str(c.value));
      return o.done();
    }
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
      return standard_block_to_value(tag, node.as<StandardBlockNode>());
    case NodeKind::Link: {
      const auto& l = node.as<LinkNode>();
      return Obj(5).put(Key::children, nodes_to_value(l.children))
          .put(Key::position, position_to_value(l.position)).put_opt(Key::title, l.title)
          .type(tag).put(Key::url, str(l.url)).done();
    }
    case NodeKind::Image: {
      const auto& i = node.as<ImageNode>();
      return Obj(6).put_opt(Key::alt, i.alt).put(Key::children, nodes_to_value(i.children))
          .put(Key::position, position_to_value(i.position)).put_opt(Key::title, i.title)
          .type(tag).put(Key::url, str(i.url)).done();
    }
    case NodeKind::FootnoteDefinition:
    case NodeKind::FootnoteReference: {
      const auto& f = node.as<FootnoteNode>();
      return Obj(4).put(Key::children, nodes_to_value(f.children)).put(Key::label, str(f.label))
          .put(Key::position, position_to_value(f.position)).type(tag).done();
    }
    case NodeKind::MathInline: {
      const auto& m = node.as<MathNode>();
      return Obj(4).put(Key::position, position_to_value(m.position)).put(Key::raw, str(m.raw))
          .put(Key::tree, math_to_value(*m.tree)).type(tag).done();
    }
    case NodeKind::MathDisplay: {
      const auto& m = node.as<MathDisplayNode>();
      return Obj(5).put_opt(Key::label, m.label)
          .put(Key::position, position_to_value(m.position)).put(Key::raw, str(m.raw))
          .put(Key::tree, math_to_value(*m.tree)).type(tag).done();
    }
    case NodeKind::Citation: {
      const auto& c = node.as<CitationNode>();
      JsonArray keys;
      keys.reserve(c.keys.size());
      for (const CitationKey& k : c.keys) {
        keys.push_back(Obj(3).put(Key::id, str(k.id)).put_opt(Key::locator, k.locator)
                           .put_opt(Key::prefix, k.prefix).done());
      }
      return Obj(3).put(Key::keys, JsonValue::make_array(std::move(keys)))
          .put(Key::position, position_to_value(c.position)).type(tag).done();
    }
    case NodeKind::CrossRef: {
      const auto& c = node.as<CrossRefNode>();
      return Obj(3).put(Key::position, position_to_value(c.position))
          .put(Key::target, str(c.target)).type(tag).done();
    }
    case NodeKind::Component: {
      const auto& c = node.as<ComponentNode>();
      JsonArray attrs;
      attrs.reserve(c.attributes.size());
      for (const AttributeNode& a : c.attributes) {
        attrs.push_back(Obj(3).put(Key::name, str(a.name))
                            .put(Key::position, position_to_value(a.position))
                            .put(Key::value, attribute_value_to_value(a.value)).done());
      }
      Obj o(7);
      o.put(Key::attributes, JsonValue::make_array(std::move(attrs)))
          .put(Key::children, nodes_to_value(c.children)).put(Key::isInline, boolean(c.isInline))
          .put(Key::name, str(c.name)).put(Key::position, position_to_value(c.position));
      if (!c.rawContent.empty()) o.put(Key::rawContent, str(c.rawContent));
      return o.type(tag).done();
    }
    case NodeKind::Variable: {
      const auto& v = node.as<VariableNode>();
      return Obj(3).put(Key::path, str(v.path)).put(Key::position, position_to_value(v.position))
          .type(tag).done();
    }
    case NodeKind::Error: {
      const auto& e = node.as<ErrorNode>();
      return Obj(4).put(Key::message, str(e.message))
          .put(Key::position, position_to_value(e.position))
          .put(Key::rawContent, str(e.rawContent)).type(tag).done();
    }
  }
  return JsonValue();
}

JsonValue math_to_value(const MathExpr& e) {
  const std::string_view tag = math_kind_tag(e.kind);
  switch (e.kind) {
    case MathKind::Ident:
    case MathKind::Number:
    case MathKind::Text:
    case MathKind::Chem:
      return Obj(2).type(tag).put(Key::value, str(e.as<MathText>().value)).done();
    case MathKind::Operator: {
      const auto& op = e.as<MathOperator>();
      return Obj(3).put(Key::kind, name_of(op.kind)).put(Key::symbol, str(op.symbol)).type(tag)
          .done();
    }
    case MathKind::Row:
      return Obj(2).put(Key::children, math_list_to_value(e.as<MathRow>().children)).type(tag)
          .done();
    case MathKind::Fenced: {
      const auto& f = e.as<MathFenced>();
      return Obj(4).put(Key::body, math_list_to_value(f.body)).put(Key::close, name_of(f.close))
          .put(Key::open, name_of(f.open)).type(tag).done();
    }
    case MathKind::Superscript:
    case MathKind::Subscript: {
      const auto& s = e.as<MathScript>();
      return Obj(3).put(Key::base, math_to_value(*s.base)).put(Key::script, math_to_value(*s.script))
          .type(tag).done();
    }
    case MathKind::Subsuperscript: {
      const auto& s = e.as<MathSubsup>();
      return Obj(4).put(Key::base, math_to_value(*s.base)).put(Key::sub, math_to_value(*s.sub))
          .put(Key::sup, math_to_value(*s.sup)).type(tag).done();
    }
    case MathKind::Frac: {
      const auto& f = e.as<MathFrac>();
      return Obj(4).put(Key::denominator, math_to_value(*f.denominator))
          .put(Key::numerator, math_to_value(*f.numerator)).put(Key::style, name_of(f.style))
          .type(tag).done();
    }
    case MathKind::Sqrt: {
      const auto& s = e.as<MathSqrt>();
      return Obj(3).put(Key::body, math_to_value(*s.body)).put(Key::index, opt_math(s.index))
          .type(tag).done();
    }
    case MathKind::Overline:
    case MathKind::Underline:
    case MathKind::Phantom:
    case MathKind::HPhantom:
    case MathKind::VPhantom:
      return Obj(2).put(Key::body, math_to_value(*e.as<MathBody>().body)).type(tag).done();
    case MathKind::Overbrace:
    case MathKind::Underbrace: {
      const auto& b = e.as<MathBrace>();
      return Obj(3).put(Key::annotation, opt_math(b.annotation))
          .put(Key::body, math_to_value(*b.body)).type(tag).done();
    }
    case MathKind::Overset: {
      const auto& o = e.as<MathOverset>();
      return Obj(3).put(Key::base, math_to_value(*o.base)).put(Key::over, math_to_value(*o.over))
          .type(tag).done();
    }
    case MathKind::Underset: {
      const auto& u = e.as<MathUnderset>();
      return Obj(3).put(Key::base, math_to_value(*u.base)).type(tag)
          .put(Key::under, math_to_value(*u.under)).done();
    }
    case MathKind::Accent: {
      const auto& a = e.as<MathAccent>();
      return Obj(3).put(Key::body, math_to_value(*a.body)).put(Key::kind, name_of(a.kind))
          .type(tag).done();
    }
    case MathKind::BigOperator: {
      const auto& b = e.as<MathBigOperator>();
      JsonValue op = Obj(2).put(Key::kind, name_of(b.op.kind)).put(Key::symbol, str(b.op.symbol))
                         .done();
      return Obj(5).put(Key::limits, name_of(b.limits)).put(Key::lower, opt_math(b.lower))
          .put(Key::op, std::move(op)).type(tag).put(Key::upper, opt_math(b.upper)).done();
    }
    case MathKind::Matrix: {
      const auto& m = e.as<MathMatrix>();
      return Obj(3).put(Key::delimiters, name_of(m.delimiters))
          .put(Key::rows, math_rows_to_value(m.rows)).type(tag).done();
    }
    case MathKind::Cases: {
      const auto& c = e.as<MathCases>();
      JsonArray rows;
      rows.reserve(c.rows.size());
      for (const CaseRow& r : c.rows) {
        rows.push_back(Obj(2).put(Key::condition, r.condition ? math_to_value(*r.condition)
                                                               : JsonValue())
                           .put(Key::expr, math_to_value(r.expr)).done());
      }
      return Obj(2).put(Key::rows, JsonValue::make_array(std::move(rows))).type(tag).done();
    }
    case MathKind::Array: {
      const auto& a = e.as<MathArray>();
      JsonArray cols;
      cols.reserve(a.columns.size());
      for (ColumnAlign c : a.columns) cols.push_back(name_of(c));
      return Obj(3).put(Key::columns, JsonValue::make_array(std::move(cols)))
          .put(Key::rows, math_rows_to_value(a.rows)).type(tag).done();
    }
    case MathKind::Align: {
      const auto& a = e.as<MathAlign>();
      JsonArray rows;
      rows.reserve(a.rows.size());
      for (const AlignRow& r : a.rows) {
        Obj row(2);
        row.put(Key::cells, math_list_to_value(r.cells)).put_opt(Key::label, r.label);
        rows.push_back(row.done());
      }
      return Obj(3).put(Key::numbered, boolean(a.numbered))
          .put(Key::rows, JsonValue::make_array(std::move(rows))).type(tag).done();
    }
    case MathKind::Gather: {
      const auto& g = e.as<MathGather>();
      return Obj(3).put(Key::numbered, boolean(g.numbered))
          .put(Key::rows, math_list_to_value(g.rows)).type(tag).done();
    }
    case MathKind::Space: {
      const auto& s = e.as<MathSpace>();
      static constexpr Key kSpaceKeys[] = {Key::thin, Key::medium,   Key::thick, Key::quad,
                                           Key::q_quad, Key::neg_thin, Key::custom};
      JsonValue v = s.kind == SpaceKind::Custom ? str(s.custom) : JsonValue();
      return Obj(2).put(kSpaceKeys[static_cast<size_t>(s.kind)], std::move(v)).type(tag).done();
    }
    case MathKind::Smash: {
      const auto& s = e.as<MathSmash>();
      return Obj(3).put(Key::body, math_to_value(*s.body)).put(Key::mode, name_of(s.mode))
          .type(tag).done();
    }
    case MathKind::StyleOverride: {
      const auto& s = e.as<MathStyleOverride>();
      return Obj(3).put(Key::body, math_to_value(*s.body)).put(Key::style, name_of(s.style))
          .type(tag).done();
    }
    case MathKind::FontOverride: {
      const auto& f = e.as<MathFontOverride>();
      return Obj(3).put(Key::body, math_to_value(*f.body)).put(Key::font, name_of(f.font))
          .type(tag).done();
    }
    case MathKind::Color: {
      const auto& c = e.as<MathColor>();
      return Obj(3).put(Key::body, math_to_value(*c.body)).put(Key::color, str(c.color))
          .type(tag).done();
    }
    case MathKind::Error: {
      const auto& er = e.as<MathError>();
      return Obj(3).put(Key::message, str(er.message)).put(Key::raw, str(er.raw)).type(tag)
          .done();
    }
  }
  return JsonValue();
}

JsonValue root_to_value(const Root& root) {
  return Obj(4).put(Key::children, nodes_to_value(root.children))
      .put(Key::frontmatter, root.frontmatter ? copy_json(*root.frontmatter) : JsonValue())
      .put(Key::position, position_to_value(root.position))
      .put(Key::type, JsonValue::make_string("root")).done();
}

}  // namespace zuv

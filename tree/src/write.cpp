// Writers of the dict form. A whole tree is written into one arena, which the top value then
// owns; each record's keys are pushed in ascending byte order, the order the JSON object keeps,
// so no object is ever searched or shifted while it is built (debug builds assert that order).
// Kind and enumeration names are borrowed from their static tables, never copied.

#include <cassert>
#include <memory>
#include <new>
#include <optional>

#include "zuv/dict_form.h"

namespace zuv {

namespace {

class Obj {
 public:
  Obj(JsonArena& arena, size_t capacity)
      : arena_(arena), members_(arena.new_members(capacity)), capacity_(capacity) {}
  Obj& put(Key k, JsonValue v) {
    assert(size_ < capacity_);
    assert(size_ == 0 || members_[size_ - 1].key.text() < key_text(k));
    new (members_ + size_) JsonMember{k, std::move(v)};
    ++size_;
    return *this;
  }
  Obj& put_opt(Key k, const std::optional<std::string>& v) {
    if (v) put(k, arena_.string(*v));
    return *this;
  }
  Obj& put_opt(Key k, const std::optional<bool>& v) {
    if (v) put(k, JsonValue::make_bool(*v));
    return *this;
  }
  Obj& type(std::string_view tag) { return put(Key::type, JsonArena::static_string(tag)); }
  JsonValue done() { return JsonArena::object(members_, size_); }

 private:
  JsonArena& arena_;
  JsonMember* members_;
  [[maybe_unused]] size_t capacity_;  // checked in debug builds
  size_t size_ = 0;
};

// One pass over a tree, every value in `arena`.
class Writer {
 public:
  explicit Writer(JsonArena& arena) : arena_(arena) {}

  JsonValue root(const Root& root);
  JsonValue node(const Node& node);
  JsonValue math(const MathExpr& e);
  JsonValue position(const Position& p);
  JsonValue attribute_value(const AttributeValue& value);
  JsonValue node_pointers(std::span<const Node* const> list) {
    return array(list, [this](const Node* n) { return node(*n); });
  }

 private:
  JsonValue str(const std::string& s) { return arena_.string(s); }
  static JsonValue u64(uint64_t v) { return JsonValue::make_u64(v); }
  static JsonValue boolean(bool b) { return JsonValue::make_bool(b); }
  template <class E>
  static JsonValue name_of(E e) {
    return JsonArena::static_string(enum_name(e));
  }
  Obj obj(size_t capacity) { return Obj(arena_, capacity); }

  // An array of `items.size()` values, each written by `write`.
  template <class Items, class Write>
  JsonValue array(const Items& items, Write write) {
    JsonValue* slots = arena_.new_items(items.size());
    size_t i = 0;
    for (const auto& item : items) slots[i++] = write(item);
    return JsonArena::array(slots, items.size());
  }

  JsonValue point(const Point& p) {
    return obj(3).put(Key::column, u64(p.column)).put(Key::line, u64(p.line))
        .put(Key::offset, u64(p.offset)).done();
  }
  JsonValue nodes(const NodeList& list) {
    return array(list, [this](const Node& n) { return node(n); });
  }
  JsonValue math_list(const MathList& list) {
    return array(list, [this](const MathExpr& e) { return math(e); });
  }
  JsonValue math_rows(const std::vector<MathList>& rows) {
    return array(rows, [this](const MathList& r) { return math_list(r); });
  }
  JsonValue opt_math(const MathOptBox& e) { return e ? math(*e) : JsonValue(); }
  JsonValue standard_block(std::string_view tag, const StandardBlockNode& b);

  JsonArena& arena_;
};

JsonValue Writer::standard_block(std::string_view tag, const StandardBlockNode& b) {
  Obj o = obj(7);
  o.put_opt(Key::checked, b.checked);
  o.put(Key::children, nodes(b.children));
  if (b.depth) o.put(Key::depth, u64(*b.depth));
  o.put_opt(Key::id, b.id);
  o.put_opt(Key::ordered, b.ordered);
  o.put(Key::position, position(b.position));
  return o.type(tag).done();
}

JsonValue Writer::position(const Position& p) {
  return obj(2).put(Key::end, point(p.end)).put(Key::start, point(p.start)).done();
}

JsonValue Writer::attribute_value(const AttributeValue& value) {
  switch (attribute_kind(value)) {
    case AttributeKind::Null: return JsonValue();
    case AttributeKind::Bool: return boolean(std::get<bool>(value));
    case AttributeKind::Number: return std::get<JsonNumber>(value).to_value();
    case AttributeKind::String: return str(std::get<std::string>(value));
    case AttributeKind::Array:
      return arena_.copy(std::span<const JsonValue>(std::get<JsonArray>(value)));
    case AttributeKind::Object:
      return arena_.copy(std::span<const JsonMember>(std::get<JsonObject>(value).entries()));
    case AttributeKind::Variable: {
      const auto& var = std::get<VariableNode>(value);
      return obj(2).put(Key::path, str(var.path)).put(Key::position, position(var.position))
          .done();
    }
  }
  return JsonValue();
}

JsonValue Writer::node(const Node& node) {
  const std::string_view tag = node_kind_tag(node.kind);
  if (is_standard_block(node.kind)) return standard_block(tag, node.as<StandardBlockNode>());
  switch (node.kind) {
    case NodeKind::Text: {
      const auto& t = node.as<TextNode>();
      return obj(3).put(Key::position, position(t.position)).type(tag)
          .put(Key::value, str(t.value)).done();
    }
    case NodeKind::CodeInline: {
      const auto& c = node.as<CodeInlineNode>();
      return obj(4).put_opt(Key::lang, c.lang).put(Key::position, position(c.position))
          .type(tag).put(Key::value, str(c.value)).done();
    }
    case NodeKind::CodeBlock: {
      const auto& c = node.as<CodeBlockNode>();
      Obj o = obj(10);
      o.put_opt(Key::caption, c.caption).put_opt(Key::diff, c.diff);
      if (c.highlight) o.put(Key::highlight, array(*c.highlight, u64));
      o.put_opt(Key::lang, c.lang).put_opt(Key::meta, c.meta)
          .put(Key::position, position(c.position))
          .put_opt(Key::showLineNumbers, c.showLineNumbers).put_opt(Key::title, c.title)
          .type(tag).put(Key::value, str(c.value));
      return o.done();
    }
    case NodeKind::Link: {
      const auto& l = node.as<LinkNode>();
      return obj(5).put(Key::children, nodes(l.children))
          .put(Key::position, position(l.position)).put_opt(Key::title, l.title)
          .type(tag).put(Key::url, str(l.url)).done();
    }
    case NodeKind::Image: {
      const auto& i = node.as<ImageNode>();
      return obj(6).put_opt(Key::alt, i.alt).put(Key::children, nodes(i.children))
          .put(Key::position, position(i.position)).put_opt(Key::title, i.title)
          .type(tag).put(Key::url, str(i.url)).done();
    }
    case NodeKind::FootnoteDefinition:
    case NodeKind::FootnoteReference: {
      const auto& f = node.as<FootnoteNode>();
      return obj(4).put(Key::children, nodes(f.children)).put(Key::label, str(f.label))
          .put(Key::position, position(f.position)).type(tag).done();
    }
    case NodeKind::MathInline: {
      const auto& m = node.as<MathNode>();
      return obj(4).put(Key::position, position(m.position)).put(Key::raw, str(m.raw))
          .put(Key::tree, math(*m.tree)).type(tag).done();
    }
    case NodeKind::MathDisplay: {
      const auto& m = node.as<MathDisplayNode>();
      return obj(5).put_opt(Key::label, m.label)
          .put(Key::position, position(m.position)).put(Key::raw, str(m.raw))
          .put(Key::tree, math(*m.tree)).type(tag).done();
    }
    case NodeKind::Citation: {
      const auto& c = node.as<CitationNode>();
      return obj(3).put(Key::keys, array(c.keys, [this](const CitationKey& k) {
        return obj(3).put(Key::id, str(k.id)).put_opt(Key::locator, k.locator)
            .put_opt(Key::prefix, k.prefix).done();
      })).put(Key::position, position(c.position)).type(tag).done();
    }
    case NodeKind::CrossRef: {
      const auto& c = node.as<CrossRefNode>();
      return obj(3).put(Key::position, position(c.position))
          .put(Key::target, str(c.target)).type(tag).done();
    }
    case NodeKind::Component: {
      const auto& c = node.as<ComponentNode>();
      Obj o = obj(7);
      o.put(Key::attributes, array(c.attributes, [this](const AttributeNode& a) {
         return obj(3).put(Key::name, str(a.name)).put(Key::position, position(a.position))
             .put(Key::value, attribute_value(a.value)).done();
       }))
          .put(Key::children, nodes(c.children)).put(Key::isInline, boolean(c.isInline))
          .put(Key::name, str(c.name)).put(Key::position, position(c.position));
      if (!c.rawContent.empty()) o.put(Key::rawContent, str(c.rawContent));
      return o.type(tag).done();
    }
    case NodeKind::Variable: {
      const auto& v = node.as<VariableNode>();
      return obj(3).put(Key::path, str(v.path)).put(Key::position, position(v.position))
          .type(tag).done();
    }
    case NodeKind::Error: {
      const auto& e = node.as<ErrorNode>();
      return obj(4).put(Key::message, str(e.message))
          .put(Key::position, position(e.position))
          .put(Key::rawContent, str(e.rawContent)).type(tag).done();
    }
    default: break;  // the standard block kinds, written above
  }
  return JsonValue();
}

JsonValue Writer::math(const MathExpr& e) {
  const std::string_view tag = math_kind_tag(e.kind);
  switch (e.kind) {
    case MathKind::Ident:
    case MathKind::Number:
    case MathKind::Text:
    case MathKind::Chem:
      return obj(2).type(tag).put(Key::value, str(e.as<MathText>().value)).done();
    case MathKind::Operator: {
      const auto& op = e.as<MathOperator>();
      return obj(3).put(Key::kind, name_of(op.kind)).put(Key::symbol, str(op.symbol)).type(tag)
          .done();
    }
    case MathKind::Row:
      return obj(2).put(Key::children, math_list(e.as<MathRow>().children)).type(tag)
          .done();
    case MathKind::Fenced: {
      const auto& f = e.as<MathFenced>();
      return obj(4).put(Key::body, math_list(f.body)).put(Key::close, name_of(f.close))
          .put(Key::open, name_of(f.open)).type(tag).done();
    }
    case MathKind::Superscript:
    case MathKind::Subscript: {
      const auto& s = e.as<MathScript>();
      return obj(3).put(Key::base, math(*s.base)).put(Key::script, math(*s.script))
          .type(tag).done();
    }
    case MathKind::Subsuperscript: {
      const auto& s = e.as<MathSubsup>();
      return obj(4).put(Key::base, math(*s.base)).put(Key::sub, math(*s.sub))
          .put(Key::sup, math(*s.sup)).type(tag).done();
    }
    case MathKind::Frac: {
      const auto& f = e.as<MathFrac>();
      return obj(4).put(Key::denominator, math(*f.denominator))
          .put(Key::numerator, math(*f.numerator)).put(Key::style, name_of(f.style))
          .type(tag).done();
    }
    case MathKind::Sqrt: {
      const auto& s = e.as<MathSqrt>();
      return obj(3).put(Key::body, math(*s.body)).put(Key::index, opt_math(s.index))
          .type(tag).done();
    }
    case MathKind::Overline:
    case MathKind::Underline:
    case MathKind::Phantom:
    case MathKind::HPhantom:
    case MathKind::VPhantom:
      return obj(2).put(Key::body, math(*e.as<MathBody>().body)).type(tag).done();
    case MathKind::Overbrace:
    case MathKind::Underbrace: {
      const auto& b = e.as<MathBrace>();
      return obj(3).put(Key::annotation, opt_math(b.annotation))
          .put(Key::body, math(*b.body)).type(tag).done();
    }
    case MathKind::Overset: {
      const auto& o = e.as<MathOverset>();
      return obj(3).put(Key::base, math(*o.base)).put(Key::over, math(*o.over))
          .type(tag).done();
    }
    case MathKind::Underset: {
      const auto& u = e.as<MathUnderset>();
      return obj(3).put(Key::base, math(*u.base)).type(tag)
          .put(Key::under, math(*u.under)).done();
    }
    case MathKind::Accent: {
      const auto& a = e.as<MathAccent>();
      return obj(3).put(Key::body, math(*a.body)).put(Key::kind, name_of(a.kind))
          .type(tag).done();
    }
    case MathKind::BigOperator: {
      const auto& b = e.as<MathBigOperator>();
      JsonValue op = obj(2).put(Key::kind, name_of(b.op.kind)).put(Key::symbol, str(b.op.symbol))
                         .done();
      return obj(5).put(Key::limits, name_of(b.limits)).put(Key::lower, opt_math(b.lower))
          .put(Key::op, std::move(op)).type(tag).put(Key::upper, opt_math(b.upper)).done();
    }
    case MathKind::Matrix: {
      const auto& m = e.as<MathMatrix>();
      return obj(3).put(Key::delimiters, name_of(m.delimiters))
          .put(Key::rows, math_rows(m.rows)).type(tag).done();
    }
    case MathKind::Cases: {
      const auto& c = e.as<MathCases>();
      return obj(2).put(Key::rows, array(c.rows, [this](const CaseRow& r) {
        return obj(2).put(Key::condition, r.condition ? math(*r.condition) : JsonValue())
            .put(Key::expr, math(r.expr)).done();
      })).type(tag).done();
    }
    case MathKind::Array: {
      const auto& a = e.as<MathArray>();
      return obj(3).put(Key::columns, array(a.columns, name_of<ColumnAlign>))
          .put(Key::rows, math_rows(a.rows)).type(tag).done();
    }
    case MathKind::Align: {
      const auto& a = e.as<MathAlign>();
      return obj(3).put(Key::numbered, boolean(a.numbered))
          .put(Key::rows, array(a.rows, [this](const AlignRow& r) {
            Obj row = obj(2);
            row.put(Key::cells, math_list(r.cells)).put_opt(Key::label, r.label);
            return row.done();
          })).type(tag).done();
    }
    case MathKind::Gather: {
      const auto& g = e.as<MathGather>();
      return obj(3).put(Key::numbered, boolean(g.numbered))
          .put(Key::rows, math_list(g.rows)).type(tag).done();
    }
    case MathKind::Space: {
      const auto& s = e.as<MathSpace>();
      static constexpr Key kSpaceKeys[] = {Key::thin, Key::medium,   Key::thick, Key::quad,
                                           Key::q_quad, Key::neg_thin, Key::custom};
      JsonValue v = s.kind == SpaceKind::Custom ? str(s.custom) : JsonValue();
      return obj(2).put(kSpaceKeys[static_cast<size_t>(s.kind)], std::move(v)).type(tag).done();
    }
    case MathKind::Smash: {
      const auto& s = e.as<MathSmash>();
      return obj(3).put(Key::body, math(*s.body)).put(Key::mode, name_of(s.mode))
          .type(tag).done();
    }
    case MathKind::StyleOverride: {
      const auto& s = e.as<MathStyleOverride>();
      return obj(3).put(Key::body, math(*s.body)).put(Key::style, name_of(s.style))
          .type(tag).done();
    }
    case MathKind::FontOverride: {
      const auto& f = e.as<MathFontOverride>();
      return obj(3).put(Key::body, math(*f.body)).put(Key::font, name_of(f.font))
          .type(tag).done();
    }
    case MathKind::Color: {
      const auto& c = e.as<MathColor>();
      return obj(3).put(Key::body, math(*c.body)).put(Key::color, str(c.color))
          .type(tag).done();
    }
    case MathKind::Error: {
      const auto& er = e.as<MathError>();
      return obj(3).put(Key::message, str(er.message)).put(Key::raw, str(er.raw)).type(tag)
          .done();
    }
  }
  return JsonValue();
}

JsonValue Writer::root(const Root& root) {
  return obj(4).put(Key::children, nodes(root.children))
      .put(Key::frontmatter, root.frontmatter ? arena_.copy(*root.frontmatter) : JsonValue())
      .put(Key::position, position(root.position))
      .put(Key::type, JsonArena::static_string("root")).done();
}

// Each entry point writes into an arena of its own and hands it to the top value.
template <class T, class Write>
JsonValue write_tree(const T& tree, Write write) {
  auto arena = std::make_unique<JsonArena>();
  Writer writer(*arena);
  JsonValue top = (writer.*write)(tree);
  return JsonArena::adopt(std::move(arena), std::move(top));
}

}  // namespace

JsonValue root_to_value(const Root& root) { return write_tree(root, &Writer::root); }
JsonValue node_to_value(const Node& node) { return write_tree(node, &Writer::node); }
JsonValue nodes_to_value(std::span<const Node* const> nodes) {
  return write_tree(nodes, &Writer::node_pointers);
}
JsonValue math_to_value(const MathExpr& expr) { return write_tree(expr, &Writer::math); }
JsonValue position_to_value(const Position& position) {
  return write_tree(position, &Writer::position);
}
JsonValue attribute_value_to_value(const AttributeValue& value) {
  return write_tree(value, &Writer::attribute_value);
}

}  // namespace zuv

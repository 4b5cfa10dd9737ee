// Writers of the dict form. A whole tree is written into one arena, which the top value then
// owns. Every object is written by one call of `object`, which lists its members, each with its
// key fixed at compile time and the field it writes, in ascending byte order of the keys (the
// order the JSON object keeps). The call takes room for exactly the members listed, so no record
// can write past its room; a key out of order or listed twice does not compile; no object is
// ever searched or shifted while it is built. Kind and enumeration names are borrowed from their
// static tables, never copied.

#include <memory>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>

#include "zuv/dict_form.h"

namespace zuv {

namespace {

using K = Key;

constexpr uint8_t rank(Key k) { return kKeyRanks[static_cast<size_t>(k)]; }

// The members of an object being written, each naming its key at compile time and the field it
// writes; `object` writes each field straight into its member. `kFirst` and `kLast` bound the
// byte-order ranks of the member's key.
template <Key Id, class T>
struct Put {
  static constexpr uint8_t kFirst = rank(Id);
  static constexpr uint8_t kLast = rank(Id);
  const T& field;
};

// A member left out when `field` is null: an absent optional field, an empty `rawContent`.
template <Key Id, class T>
struct PutIf {
  static constexpr uint8_t kFirst = rank(Id);
  static constexpr uint8_t kLast = rank(Id);
  const T* field;
};

// The "type" member of a node or math expression: its kind's tag, borrowed from the tag table.
struct PutType {
  static constexpr uint8_t kFirst = rank(Key::type);
  static constexpr uint8_t kLast = rank(Key::type);
  std::string_view tag;
};

// The one member of a space beside "type": a key of `kSpaceKeys`, picked by the space's kind.
struct PutSpace {
  static constexpr uint8_t kFirst = rank(Key::custom);  // the first and the last of the keys
  static constexpr uint8_t kLast = rank(Key::thin);
  const MathSpace& space;
};

template <class... Ms>
constexpr bool in_key_order() {
  constexpr uint8_t first[] = {Ms::kFirst...};
  constexpr uint8_t last[] = {Ms::kLast...};
  for (size_t i = 1; i < sizeof...(Ms); ++i) {
    if (first[i] <= last[i - 1]) return false;
  }
  return true;
}

// The key of each space, in `SpaceKind` order.
constexpr Key kSpaceKeys[] = {K::thin,   K::medium,   K::thick, K::quad,
                              K::q_quad, K::neg_thin, K::custom};
static_assert([] {
  const auto& names = EnumNames<SpaceKind>::names;
  if (std::size(kSpaceKeys) != std::size(names)) return false;
  for (size_t i = 0; i < std::size(names); ++i) {
    if (key_text(kSpaceKeys[i]) != names[i]) return false;
    if (rank(kSpaceKeys[i]) < PutSpace::kFirst || rank(kSpaceKeys[i]) > PutSpace::kLast) {
      return false;
    }
  }
  return true;
}());

// One pass over a tree, every value in `arena`.
class Writer {
 public:
  explicit Writer(JsonArena& arena) : arena_(arena) {}

  JsonValue root(const Root& root);
  JsonValue node(const Node& node);
  JsonValue math(const MathExpr& e);
  JsonValue attribute_value(const AttributeValue& value);
  JsonValue node_pointers(std::span<const Node* const> list) {
    return array(list, [this](const Node* n) { return node(*n); });
  }

  // The payload of a node or math expression of the kind whose tag is `tag`: one writer per
  // record, the kinds that share a record differing only by their tag.
  JsonValue payload(std::string_view tag, const TextNode& t);
  JsonValue payload(std::string_view tag, const CodeInlineNode& c);
  JsonValue payload(std::string_view tag, const CodeBlockNode& c);
  JsonValue payload(std::string_view tag, const StandardBlockNode& b);
  JsonValue payload(std::string_view tag, const LinkNode& l);
  JsonValue payload(std::string_view tag, const ImageNode& i);
  JsonValue payload(std::string_view tag, const FootnoteNode& f);
  JsonValue payload(std::string_view tag, const MathNode& m);
  JsonValue payload(std::string_view tag, const MathDisplayNode& m);
  JsonValue payload(std::string_view tag, const CitationNode& c);
  JsonValue payload(std::string_view tag, const CrossRefNode& c);
  JsonValue payload(std::string_view tag, const ComponentNode& c);
  JsonValue payload(std::string_view tag, const VariableNode& v);
  JsonValue payload(std::string_view tag, const ErrorNode& e);

  JsonValue payload(std::string_view tag, const MathText& t);
  JsonValue payload(std::string_view tag, const MathOperator& op);
  JsonValue payload(std::string_view tag, const MathRow& r);
  JsonValue payload(std::string_view tag, const MathFenced& f);
  JsonValue payload(std::string_view tag, const MathScript& s);
  JsonValue payload(std::string_view tag, const MathSubsup& s);
  JsonValue payload(std::string_view tag, const MathFrac& f);
  JsonValue payload(std::string_view tag, const MathSqrt& s);
  JsonValue payload(std::string_view tag, const MathBody& b);
  JsonValue payload(std::string_view tag, const MathBrace& b);
  JsonValue payload(std::string_view tag, const MathOverset& o);
  JsonValue payload(std::string_view tag, const MathUnderset& u);
  JsonValue payload(std::string_view tag, const MathAccent& a);
  JsonValue payload(std::string_view tag, const MathBigOperator& b);
  JsonValue payload(std::string_view tag, const MathMatrix& m);
  JsonValue payload(std::string_view tag, const MathCases& c);
  JsonValue payload(std::string_view tag, const MathArray& a);
  JsonValue payload(std::string_view tag, const MathAlign& a);
  JsonValue payload(std::string_view tag, const MathGather& g);
  JsonValue payload(std::string_view tag, const MathSpace& s);
  JsonValue payload(std::string_view tag, const MathSmash& s);
  JsonValue payload(std::string_view tag, const MathStyleOverride& s);
  JsonValue payload(std::string_view tag, const MathFontOverride& f);
  JsonValue payload(std::string_view tag, const MathColor& c);
  JsonValue payload(std::string_view tag, const MathError& e);

 private:
  // An object of the members `ms`, in the order given, which must be the keys' byte order. Its
  // members are taken first, and each field is then written straight into its member.
  template <class... Ms>
  JsonValue object(const Ms&... ms) {
    static_assert(in_key_order<Ms...>(),
                  "an object's keys are written in ascending byte order, each once");
    JsonMember* members = arena_.new_members(sizeof...(Ms));
    size_t n = 0;
    (place(members, n, ms), ...);
    return JsonArena::object(members, n);
  }
  template <Key Id, class T>
  void place(JsonMember* members, size_t& n, const Put<Id, T>& m) {
    new (members + n++) JsonMember{Id, value_of(m.field)};
  }
  template <Key Id, class T>
  void place(JsonMember* members, size_t& n, const PutIf<Id, T>& m) {
    if (m.field) new (members + n++) JsonMember{Id, value_of(*m.field)};
  }
  static void place(JsonMember* members, size_t& n, const PutType& m) {
    new (members + n++) JsonMember{Key::type, JsonArena::static_string(m.tag)};
  }
  void place(JsonMember* members, size_t& n, const PutSpace& m) {
    const MathSpace& s = m.space;
    new (members + n++) JsonMember{kSpaceKeys[static_cast<size_t>(s.kind)],
                                   s.kind == SpaceKind::Custom ? value_of(s.custom) : JsonValue()};
  }

  template <Key Id, class T>
  static Put<Id, T> put(const T& field) {
    return {field};
  }
  // An optional field, left out when absent.
  template <Key Id, class T>
  static PutIf<Id, T> put_opt(const std::optional<T>& field) {
    return {field ? &*field : nullptr};
  }
  static PutType type(std::string_view tag) { return {tag}; }

  // The JSON form of each kind of field; a field of any other type does not compile (rather
  // than converting, as a pointer would to bool).
  template <class T>
  JsonValue value_of(const T&) = delete;
  JsonValue value_of(const std::string& s) { return arena_.string(s); }
  static JsonValue value_of(bool b) { return JsonValue::make_bool(b); }
  static JsonValue value_of(uint64_t u) { return JsonValue::make_u64(u); }
  static JsonValue value_of(uint32_t u) { return JsonValue::make_u64(u); }
  static JsonValue value_of(uint8_t u) { return JsonValue::make_u64(u); }
  template <class E>
  requires requires { EnumNames<E>::names; }
  static JsonValue value_of(const E& e) { return JsonArena::static_string(enum_name(e)); }
  template <class T>
  JsonValue value_of(const std::vector<T>& items) {
    return array(items, [this](const T& item) { return value_of(item); });
  }
  JsonValue value_of(const Point& p) {
    return object(put<K::column>(p.column), put<K::line>(p.line), put<K::offset>(p.offset));
  }
  JsonValue value_of(const Position& p) {
    return object(put<K::end>(p.end), put<K::start>(p.start));
  }
  JsonValue value_of(const Node& n) { return node(n); }
  JsonValue value_of(const CitationKey& k) {
    return object(put<K::id>(k.id), put_opt<K::locator>(k.locator), put_opt<K::prefix>(k.prefix));
  }
  JsonValue value_of(const AttributeNode& a) {
    return object(put<K::name>(a.name), put<K::position>(a.position), put<K::value>(a.value));
  }
  JsonValue value_of(const AttributeValue& v) { return attribute_value(v); }
  // The front matter: null when absent.
  JsonValue value_of(const std::optional<JsonValue>& v) {
    return v ? arena_.copy(*v) : JsonValue();
  }
  JsonValue value_of(const MathExpr& e) { return math(e); }
  JsonValue value_of(const MathBox& e) { return math(*e); }
  // An optional expression of a math record: null when absent.
  JsonValue value_of(const MathOptBox& e) { return e ? math(*e) : JsonValue(); }
  JsonValue value_of(const std::optional<MathExpr>& e) { return e ? math(*e) : JsonValue(); }
  JsonValue value_of(const MathOperator& op) {
    return object(put<K::kind>(op.kind), put<K::symbol>(op.symbol));
  }
  JsonValue value_of(const CaseRow& r) {
    return object(put<K::condition>(r.condition), put<K::expr>(r.expr));
  }
  JsonValue value_of(const AlignRow& r) {
    return object(put<K::cells>(r.cells), put_opt<K::label>(r.label));
  }

  // An array of `items.size()` values, each written by `write`.
  template <class Items, class Write>
  JsonValue array(const Items& items, Write write) {
    JsonValue* slots = arena_.new_items(items.size());
    size_t i = 0;
    for (const auto& item : items) slots[i++] = write(item);
    return JsonArena::array(slots, items.size());
  }

  JsonArena& arena_;
};

// Every payload record has its writer, so a kind whose record is new cannot be left out.
constexpr auto kWritable = []<class P>(std::type_identity<P>) {
  return requires(Writer & w, std::string_view tag, const P& p) {
    w.payload(tag, detail::unbox(p));
  };
};
static_assert(detail::every_alternative<NodePayload>(kWritable),
              "a node payload record has no writer");
static_assert(detail::every_alternative<MathPayload>(kWritable),
              "a math payload record has no writer");

JsonValue Writer::attribute_value(const AttributeValue& value) {
  switch (attribute_kind(value)) {
    case AttributeKind::Null: return JsonValue();
    case AttributeKind::Bool: return value_of(std::get<bool>(value));
    case AttributeKind::Number: return std::get<JsonNumber>(value).to_value();
    case AttributeKind::String: return value_of(std::get<std::string>(value));
    case AttributeKind::Array:
      return arena_.copy(std::span<const JsonValue>(std::get<JsonArray>(value)));
    case AttributeKind::Object:
      return arena_.copy(std::span<const JsonMember>(std::get<JsonObject>(value).entries()));
    case AttributeKind::Variable: {
      const auto& var = std::get<VariableNode>(value);
      return object(put<K::path>(var.path), put<K::position>(var.position));
    }
  }
  return JsonValue();
}

JsonValue Writer::node(const Node& node) {
  const std::string_view tag = node_kind_tag(node.kind);
  return std::visit([&](const auto& stored) { return payload(tag, detail::unbox(stored)); },
                    node.payload);
}

JsonValue Writer::payload(std::string_view tag, const TextNode& t) {
  return object(put<K::position>(t.position), type(tag), put<K::value>(t.value));
}

JsonValue Writer::payload(std::string_view tag, const CodeInlineNode& c) {
  return object(put_opt<K::lang>(c.lang), put<K::position>(c.position), type(tag),
                put<K::value>(c.value));
}

JsonValue Writer::payload(std::string_view tag, const CodeBlockNode& c) {
  return object(put_opt<K::caption>(c.caption), put_opt<K::diff>(c.diff),
                put_opt<K::highlight>(c.highlight), put_opt<K::lang>(c.lang),
                put_opt<K::meta>(c.meta), put<K::position>(c.position),
                put_opt<K::showLineNumbers>(c.showLineNumbers), put_opt<K::title>(c.title),
                type(tag), put<K::value>(c.value));
}

JsonValue Writer::payload(std::string_view tag, const StandardBlockNode& b) {
  return object(put_opt<K::checked>(b.checked), put<K::children>(b.children),
                put_opt<K::depth>(b.depth), put_opt<K::id>(b.id), put_opt<K::ordered>(b.ordered),
                put<K::position>(b.position), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const LinkNode& l) {
  return object(put<K::children>(l.children), put<K::position>(l.position),
                put_opt<K::title>(l.title), type(tag), put<K::url>(l.url));
}

JsonValue Writer::payload(std::string_view tag, const ImageNode& i) {
  return object(put_opt<K::alt>(i.alt), put<K::children>(i.children), put<K::position>(i.position),
                put_opt<K::title>(i.title), type(tag), put<K::url>(i.url));
}

JsonValue Writer::payload(std::string_view tag, const FootnoteNode& f) {
  return object(put<K::children>(f.children), put<K::label>(f.label), put<K::position>(f.position),
                type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathNode& m) {
  return object(put<K::position>(m.position), put<K::raw>(m.raw), put<K::tree>(m.tree), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathDisplayNode& m) {
  return object(put_opt<K::label>(m.label), put<K::position>(m.position), put<K::raw>(m.raw),
                put<K::tree>(m.tree), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const CitationNode& c) {
  return object(put<K::keys>(c.keys), put<K::position>(c.position), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const CrossRefNode& c) {
  return object(put<K::position>(c.position), put<K::target>(c.target), type(tag));
}

// An empty `rawContent` is left out.
JsonValue Writer::payload(std::string_view tag, const ComponentNode& c) {
  const PutIf<K::rawContent, std::string> raw{c.rawContent.empty() ? nullptr : &c.rawContent};
  return object(put<K::attributes>(c.attributes), put<K::children>(c.children),
                put<K::isInline>(c.isInline), put<K::name>(c.name), put<K::position>(c.position),
                raw, type(tag));
}

JsonValue Writer::payload(std::string_view tag, const VariableNode& v) {
  return object(put<K::path>(v.path), put<K::position>(v.position), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const ErrorNode& e) {
  return object(put<K::message>(e.message), put<K::position>(e.position),
                put<K::rawContent>(e.rawContent), type(tag));
}

JsonValue Writer::math(const MathExpr& e) {
  const std::string_view tag = math_kind_tag(e.kind);
  return std::visit([&](const auto& p) { return payload(tag, p); }, e.payload);
}

JsonValue Writer::payload(std::string_view tag, const MathText& t) {
  return object(type(tag), put<K::value>(t.value));
}

// The operator's two fields stand beside "type" in the same object.
JsonValue Writer::payload(std::string_view tag, const MathOperator& op) {
  return object(put<K::kind>(op.kind), put<K::symbol>(op.symbol), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathRow& r) {
  return object(put<K::children>(r.children), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathFenced& f) {
  return object(put<K::body>(f.body), put<K::close>(f.close), put<K::open>(f.open), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathScript& s) {
  return object(put<K::base>(s.base), put<K::script>(s.script), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathSubsup& s) {
  return object(put<K::base>(s.base), put<K::sub>(s.sub), put<K::sup>(s.sup), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathFrac& f) {
  return object(put<K::denominator>(f.denominator), put<K::numerator>(f.numerator),
                put<K::style>(f.style), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathSqrt& s) {
  return object(put<K::body>(s.body), put<K::index>(s.index), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathBody& b) {
  return object(put<K::body>(b.body), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathBrace& b) {
  return object(put<K::annotation>(b.annotation), put<K::body>(b.body), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathOverset& o) {
  return object(put<K::base>(o.base), put<K::over>(o.over), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathUnderset& u) {
  return object(put<K::base>(u.base), type(tag), put<K::under>(u.under));
}

JsonValue Writer::payload(std::string_view tag, const MathAccent& a) {
  return object(put<K::body>(a.body), put<K::kind>(a.kind), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathBigOperator& b) {
  return object(put<K::limits>(b.limits), put<K::lower>(b.lower), put<K::op>(b.op), type(tag),
                put<K::upper>(b.upper));
}

JsonValue Writer::payload(std::string_view tag, const MathMatrix& m) {
  return object(put<K::delimiters>(m.delimiters), put<K::rows>(m.rows), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathCases& c) {
  return object(put<K::rows>(c.rows), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathArray& a) {
  return object(put<K::columns>(a.columns), put<K::rows>(a.rows), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathAlign& a) {
  return object(put<K::numbered>(a.numbered), put<K::rows>(a.rows), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathGather& g) {
  return object(put<K::numbered>(g.numbered), put<K::rows>(g.rows), type(tag));
}

// The one key beside "type" names the space; only a custom width holds a value.
JsonValue Writer::payload(std::string_view tag, const MathSpace& s) {
  return object(PutSpace{s}, type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathSmash& s) {
  return object(put<K::body>(s.body), put<K::mode>(s.mode), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathStyleOverride& s) {
  return object(put<K::body>(s.body), put<K::style>(s.style), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathFontOverride& f) {
  return object(put<K::body>(f.body), put<K::font>(f.font), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathColor& c) {
  return object(put<K::body>(c.body), put<K::color>(c.color), type(tag));
}

JsonValue Writer::payload(std::string_view tag, const MathError& e) {
  return object(put<K::message>(e.message), put<K::raw>(e.raw), type(tag));
}

JsonValue Writer::root(const Root& root) {
  return object(put<K::children>(root.children), put<K::frontmatter>(root.frontmatter),
                put<K::position>(root.position), type("root"));
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
JsonValue attribute_value_to_value(const AttributeValue& value) {
  return write_tree(value, &Writer::attribute_value);
}

}  // namespace zuv

#pragma once
// The math tree: the parsed form of one LaTeX-style math expression.
//
// `MathExpr` is a kind beside a payload record; kinds that differ only by tag, such as
// ident/number/text/chem or overline/underline/phantom, share one record. Each kind is one row
// of `ZUV_MATH_KINDS`, from which the enum, the tags, the type names, the payload variant and
// each kind's alternative in it are expanded.
// Single children are boxed, lists of children are vectors. Enumerations are one-byte values
// whose index is their place in the declared order; their dict-form names come from
// `enum_name` and `enum_from_name`.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "zuv/box.h"
#include "zuv/kind_table.h"

namespace zuv {

// Every math kind, one row each: the kind, its dict-form tag and its payload record. The kind's
// name is also the type name that reading messages give it ("struct variant MathExpr::Frac").
// The order is each kind's index, which the dict form accepts as a tag in place of the name
// (`{"type": 9, ...}` is a frac): it is part of the format, so new kinds go at the end.
// clang-format off
#define ZUV_MATH_KINDS(X)                                \
  X(Ident,          "ident",          MathText)          \
  X(Number,         "number",         MathText)          \
  X(Operator,       "operator",       MathOperator)      \
  X(Text,           "text",           MathText)          \
  X(Row,            "row",            MathRow)           \
  X(Fenced,         "fenced",         MathFenced)        \
  X(Superscript,    "superscript",    MathScript)        \
  X(Subscript,      "subscript",      MathScript)        \
  X(Subsuperscript, "subsuperscript", MathSubsup)        \
  X(Frac,           "frac",           MathFrac)          \
  X(Sqrt,           "sqrt",           MathSqrt)          \
  X(Overline,       "overline",       MathBody)          \
  X(Underline,      "underline",      MathBody)          \
  X(Overbrace,      "overbrace",      MathBrace)         \
  X(Underbrace,     "underbrace",     MathBrace)         \
  X(Overset,        "overset",        MathOverset)       \
  X(Underset,       "underset",       MathUnderset)      \
  X(Accent,         "accent",         MathAccent)        \
  X(BigOperator,    "big_operator",   MathBigOperator)   \
  X(Matrix,         "matrix",         MathMatrix)        \
  X(Cases,          "cases",          MathCases)         \
  X(Array,          "array",          MathArray)         \
  X(Align,          "align",          MathAlign)         \
  X(Gather,         "gather",         MathGather)        \
  X(Space,          "space",          MathSpace)         \
  X(Phantom,        "phantom",        MathBody)          \
  X(HPhantom,       "h_phantom",      MathBody)          \
  X(VPhantom,       "v_phantom",      MathBody)          \
  X(Smash,          "smash",          MathSmash)         \
  X(StyleOverride,  "style_override", MathStyleOverride) \
  X(FontOverride,   "font_override",  MathFontOverride)  \
  X(Color,          "color",          MathColor)         \
  X(Chem,           "chem",           MathText)          \
  X(Error,          "error",          MathError)
// clang-format on

enum class MathKind : uint8_t {
#define ZUV_MATH_KIND_ENUM(id, tag, payload) id,
  ZUV_MATH_KINDS(ZUV_MATH_KIND_ENUM)
#undef ZUV_MATH_KIND_ENUM
};

// The dict-form tag of each kind ("ident" ... "error"), and the type name used in reading
// messages ("Ident" ... "Error").
inline constexpr auto kMathKindTags = std::to_array<std::string_view>({
#define ZUV_MATH_KIND_TAG(id, tag, payload) tag,
    ZUV_MATH_KINDS(ZUV_MATH_KIND_TAG)
#undef ZUV_MATH_KIND_TAG
});
inline constexpr auto kMathKindTypeNames = std::to_array<std::string_view>({
#define ZUV_MATH_KIND_TYPE_NAME(id, tag, payload) #id,
    ZUV_MATH_KINDS(ZUV_MATH_KIND_TYPE_NAME)
#undef ZUV_MATH_KIND_TYPE_NAME
});
inline constexpr size_t kMathKindCount = kMathKindTags.size();
static_assert(detail::names_are_set_and_distinct(kMathKindTags),
              "a math kind tag is empty or repeated");
static_assert(detail::names_are_set_and_distinct(kMathKindTypeNames),
              "a math kind type name is empty or repeated");

inline constexpr std::string_view math_kind_tag(MathKind k) {
  return kMathKindTags[static_cast<size_t>(k)];
}
std::optional<MathKind> math_kind_from_tag(std::string_view tag);

// ---- Enumerations -------------------------------------------------------------------------

enum class OperatorKind : uint8_t { Binary, Relation, Prefix, Postfix, Large, Punctuation };
enum class Delimiter : uint8_t {
  Paren,
  Bracket,
  Brace,
  Angle,
  Pipe,
  DoublePipe,
  Floor,
  Ceil,
  None
};
enum class MatrixDelimiters : uint8_t { Plain, Paren, Bracket, Brace, Pipe, DoublePipe };
enum class FracStyle : uint8_t { Display, Text, Auto };
enum class MathStyle : uint8_t { Display, Text, Script, ScriptScript };
enum class MathFont : uint8_t {
  Roman,
  Bold,
  Italic,
  BoldItalic,
  SansSerif,
  Monospace,
  Blackboard,
  Calligraphic,
  Fraktur,
  Script
};
enum class AccentKind : uint8_t {
  Hat,
  Tilde,
  Vec,
  Dot,
  Ddot,
  Bar,
  Acute,
  Grave,
  Breve,
  Check,
  WideHat,
  WideTilde
};
enum class LimitsStyle : uint8_t { DisplayLimits, Limits, NoLimits };
enum class SmashMode : uint8_t { Top, Bottom, Both };
enum class ColumnAlign : uint8_t { Left, Center, Right };

// The seven kinds of space; the last carries a width text.
enum class SpaceKind : uint8_t { Thin, Medium, Thick, Quad, QQuad, NegThin, Custom };

// Names of each enumeration's values in declared order (specialised for each one).
template <class E>
struct EnumNames;

#define ZUV_ENUM_NAMES(E, TYPE_NAME, ...)                      \
  template <>                                                  \
  struct EnumNames<E> {                                        \
    static constexpr std::string_view type_name = TYPE_NAME;   \
    static constexpr std::string_view names[] = {__VA_ARGS__}; \
  };

ZUV_ENUM_NAMES(OperatorKind, "OperatorKind", "binary", "relation", "prefix", "postfix", "large",
               "punctuation")
ZUV_ENUM_NAMES(Delimiter, "Delimiter", "paren", "bracket", "brace", "angle", "pipe", "double_pipe",
               "floor", "ceil", "none")
ZUV_ENUM_NAMES(MatrixDelimiters, "MatrixDelimiters", "plain", "paren", "bracket", "brace", "pipe",
               "double_pipe")
ZUV_ENUM_NAMES(FracStyle, "FracStyle", "display", "text", "auto")
ZUV_ENUM_NAMES(MathStyle, "MathStyle", "display", "text", "script", "script_script")
ZUV_ENUM_NAMES(MathFont, "MathFont", "roman", "bold", "italic", "bold_italic", "sans_serif",
               "monospace", "blackboard", "calligraphic", "fraktur", "script")
ZUV_ENUM_NAMES(AccentKind, "AccentKind", "hat", "tilde", "vec", "dot", "ddot", "bar", "acute",
               "grave", "breve", "check", "wide_hat", "wide_tilde")
ZUV_ENUM_NAMES(LimitsStyle, "LimitsStyle", "display_limits", "limits", "no_limits")
ZUV_ENUM_NAMES(SmashMode, "SmashMode", "top", "bottom", "both")
ZUV_ENUM_NAMES(ColumnAlign, "ColumnAlign", "left", "center", "right")
ZUV_ENUM_NAMES(SpaceKind, "MathSpace", "thin", "medium", "thick", "quad", "q_quad", "neg_thin",
               "custom")
#undef ZUV_ENUM_NAMES

template <class E>
constexpr std::string_view enum_name(E e) {
  return EnumNames<E>::names[static_cast<size_t>(e)];
}

template <class E>
constexpr std::optional<E> enum_from_name(std::string_view name) {
  constexpr size_t n = std::size(EnumNames<E>::names);
  for (size_t i = 0; i < n; ++i) {
    if (EnumNames<E>::names[i] == name) return static_cast<E>(i);
  }
  return std::nullopt;
}

// ---- Records ------------------------------------------------------------------------------

struct MathExpr;
using MathBox = Box<MathExpr>;
using MathOptBox = OptBox<MathExpr>;
using MathList = std::vector<MathExpr>;

struct MathOperator {
  std::string symbol;
  OperatorKind kind = OperatorKind::Binary;
  bool operator==(const MathOperator&) const = default;
};

struct MathSpace {
  SpaceKind kind = SpaceKind::Thin;
  std::string custom;  // the width, for SpaceKind::Custom only
  bool operator==(const MathSpace&) const = default;
};

struct CaseRow;
struct AlignRow;

// ident, number, text, chem
struct MathText {
  std::string value;
  bool operator==(const MathText&) const = default;
};
struct MathRow {
  MathList children;
  bool operator==(const MathRow&) const = default;
};
struct MathFenced {
  Delimiter open = Delimiter::None;
  Delimiter close = Delimiter::None;
  MathList body;
  bool operator==(const MathFenced&) const = default;
};
// superscript, subscript
struct MathScript {
  MathBox base;
  MathBox script;
  bool operator==(const MathScript&) const = default;
};
struct MathSubsup {
  MathBox base;
  MathBox sub;
  MathBox sup;
  bool operator==(const MathSubsup&) const = default;
};
struct MathFrac {
  MathBox numerator;
  MathBox denominator;
  FracStyle style = FracStyle::Auto;
  bool operator==(const MathFrac&) const = default;
};
struct MathSqrt {
  MathOptBox index;
  MathBox body;
  bool operator==(const MathSqrt&) const = default;
};
// overline, underline, phantom, h_phantom, v_phantom
struct MathBody {
  MathBox body;
  bool operator==(const MathBody&) const = default;
};
// overbrace, underbrace
struct MathBrace {
  MathBox body;
  MathOptBox annotation;
  bool operator==(const MathBrace&) const = default;
};
struct MathOverset {
  MathBox over;
  MathBox base;
  bool operator==(const MathOverset&) const = default;
};
struct MathUnderset {
  MathBox under;
  MathBox base;
  bool operator==(const MathUnderset&) const = default;
};
struct MathAccent {
  AccentKind kind = AccentKind::Hat;
  MathBox body;
  bool operator==(const MathAccent&) const = default;
};
struct MathBigOperator {
  MathOperator op;
  LimitsStyle limits = LimitsStyle::DisplayLimits;
  MathOptBox lower;
  MathOptBox upper;
  bool operator==(const MathBigOperator&) const = default;
};
struct MathMatrix {
  std::vector<MathList> rows;
  MatrixDelimiters delimiters = MatrixDelimiters::Plain;
  bool operator==(const MathMatrix&) const = default;
};
// The two records whose rows are declared later define their special members out of line.
struct MathCases {
  std::vector<CaseRow> rows;
  MathCases();
  explicit MathCases(std::vector<CaseRow> r);
  MathCases(const MathCases&);
  MathCases(MathCases&&) noexcept;
  MathCases& operator=(const MathCases&);
  MathCases& operator=(MathCases&&) noexcept;
  ~MathCases();
  bool operator==(const MathCases&) const;
};
struct MathArray {
  std::vector<ColumnAlign> columns;
  std::vector<MathList> rows;
  bool operator==(const MathArray&) const = default;
};
struct MathAlign {
  std::vector<AlignRow> rows;
  bool numbered = true;
  MathAlign();
  MathAlign(std::vector<AlignRow> r, bool n);
  MathAlign(const MathAlign&);
  MathAlign(MathAlign&&) noexcept;
  MathAlign& operator=(const MathAlign&);
  MathAlign& operator=(MathAlign&&) noexcept;
  ~MathAlign();
  bool operator==(const MathAlign&) const;
};
struct MathGather {
  MathList rows;
  bool numbered = true;
  bool operator==(const MathGather&) const = default;
};
struct MathSmash {
  MathBox body;
  SmashMode mode = SmashMode::Both;
  bool operator==(const MathSmash&) const = default;
};
struct MathStyleOverride {
  MathStyle style = MathStyle::Display;
  MathBox body;
  bool operator==(const MathStyleOverride&) const = default;
};
struct MathFontOverride {
  MathFont font = MathFont::Roman;
  MathBox body;
  bool operator==(const MathFontOverride&) const = default;
};
struct MathColor {
  std::string color;
  MathBox body;
  bool operator==(const MathColor&) const = default;
};
struct MathError {
  std::string raw;
  std::string message;
  bool operator==(const MathError&) const = default;
};

// One alternative per payload record, in the order in which the kinds first name them.
using MathPayload = detail::UniqueVariant<
#define ZUV_MATH_PAYLOAD(id, tag, payload) payload,
    ZUV_MATH_KINDS(ZUV_MATH_PAYLOAD)
#undef ZUV_MATH_PAYLOAD
        void>;

// The payload alternative each kind carries, and its record.
inline constexpr auto kMathPayloadIndex = std::to_array<uint8_t>({
#define ZUV_MATH_PAYLOAD_INDEX(id, tag, payload) detail::variant_index<payload, MathPayload>,
    ZUV_MATH_KINDS(ZUV_MATH_PAYLOAD_INDEX)
#undef ZUV_MATH_PAYLOAD_INDEX
});
constexpr size_t math_payload_of(MathKind k) { return kMathPayloadIndex[static_cast<size_t>(k)]; }
template <MathKind K>
using MathPayloadOf = std::variant_alternative_t<math_payload_of(K), MathPayload>;

// The member functions that build or destroy a payload are defined below CaseRow and AlignRow:
// clang instantiates the payload's destructor where such a body stands, and that needs both
// complete.
struct MathExpr {
  MathKind kind = MathKind::Row;
  MathPayload payload;  // an empty row by default

  MathExpr();
  // The payload must be the record the kind carries (checked in debug builds).
  template <class P>
  MathExpr(MathKind k, P p);

  template <class P>
  P& as() {
    return std::get<P>(payload);
  }
  template <class P>
  const P& as() const {
    return std::get<P>(payload);
  }

  // Shorthands for the leaf kinds the parser builds most.
  static MathExpr text_kind(MathKind k, std::string value);
  static MathExpr ident(std::string value);
  static MathExpr number(std::string value);
  static MathExpr op(std::string symbol, OperatorKind kind);
  static MathExpr row(MathList children);
  static MathExpr space(SpaceKind k);
  static MathExpr error(std::string raw, std::string message);

  bool operator==(const MathExpr&) const = default;
};

struct CaseRow {
  MathExpr expr;
  std::optional<MathExpr> condition;
  bool operator==(const CaseRow&) const = default;
};

struct AlignRow {
  MathList cells;
  std::optional<std::string> label;
  bool operator==(const AlignRow&) const = default;
};

inline MathCases::MathCases() = default;
inline MathCases::MathCases(std::vector<CaseRow> r) : rows(std::move(r)) {}
inline MathCases::MathCases(const MathCases&) = default;
inline MathCases::MathCases(MathCases&&) noexcept = default;
inline MathCases& MathCases::operator=(const MathCases&) = default;
inline MathCases& MathCases::operator=(MathCases&&) noexcept = default;
inline MathCases::~MathCases() = default;
inline MathAlign::MathAlign() = default;
inline MathAlign::MathAlign(std::vector<AlignRow> r, bool n) : rows(std::move(r)), numbered(n) {}
inline MathAlign::MathAlign(const MathAlign&) = default;
inline MathAlign::MathAlign(MathAlign&&) noexcept = default;
inline MathAlign& MathAlign::operator=(const MathAlign&) = default;
inline MathAlign& MathAlign::operator=(MathAlign&&) noexcept = default;
inline MathAlign::~MathAlign() = default;
inline bool MathCases::operator==(const MathCases& o) const { return rows == o.rows; }
inline bool MathAlign::operator==(const MathAlign& o) const {
  return rows == o.rows && numbered == o.numbered;
}

// Defined once `CaseRow` and `AlignRow` are complete: clang instantiates the (constexpr)
// destructors of the payload's vectors as soon as an inline body names them.
inline MathExpr::MathExpr() : payload(std::in_place_type<MathRow>) {}
inline MathExpr MathExpr::text_kind(MathKind k, std::string value) {
  return {k, MathText{std::move(value)}};
}
inline MathExpr MathExpr::ident(std::string value) {
  return text_kind(MathKind::Ident, std::move(value));
}
inline MathExpr MathExpr::number(std::string value) {
  return text_kind(MathKind::Number, std::move(value));
}
inline MathExpr MathExpr::op(std::string symbol, OperatorKind kind) {
  return {MathKind::Operator, MathOperator{std::move(symbol), kind}};
}
inline MathExpr MathExpr::row(MathList children) {
  return {MathKind::Row, MathRow{std::move(children)}};
}
inline MathExpr MathExpr::space(SpaceKind k) { return {MathKind::Space, MathSpace{k, {}}}; }
inline MathExpr MathExpr::error(std::string raw, std::string message) {
  return {MathKind::Error, MathError{std::move(raw), std::move(message)}};
}

template <class P>
MathExpr::MathExpr(MathKind k, P p) : kind(k), payload(std::move(p)) {
#ifndef NDEBUG
  if (payload.index() != math_payload_of(k)) __builtin_trap();
#endif
}

}  // namespace zuv

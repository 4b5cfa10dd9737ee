// Reading math expressions: the tag, the dispatch over the 34 kinds, and each kind's fields as
// data. The names in messages ("struct variant MathExpr::Frac with 3 elements") come from the
// kind's type name and the length of its field table.

#include "read_tree.h"

namespace zuv {

namespace {

constexpr std::string_view kInternallyTaggedMathExpr = "internally tagged enum MathExpr";

template <class E>
DictResult<E> read_math_enum(JsonValue& value, ReadContext& ctx) {
  return read_enum<E, EnumNames<E>::names>(value, ctx);
}

constexpr RecordName kind_name(MathKind kind) {
  return RecordName{"MathExpr", kMathKindTypeNames[static_cast<size_t>(kind)]};
}

constexpr auto kChild = math_from_content;
constexpr auto kOptChild = read_optional<math_from_content>;
constexpr auto kList = read_list<math_from_content>;
constexpr auto kRows = read_list<read_list<math_from_content>>;
constexpr FieldClass kOpt = FieldClass::Optional;

// ---- Records that stand as values --------------------------------------------------------------

constexpr Field kOperatorFields[] = {
    field<&MathOperator::symbol, read_text>("symbol"),
    field<&MathOperator::kind, read_math_enum<OperatorKind>>("kind"),
};
constexpr RecordSpec<MathOperator> kOperatorRecord("MathOperator", kOperatorFields);

constexpr Field kCaseRowFields[] = {
    field<&CaseRow::expr, kChild>("expr"),
    field<&CaseRow::condition, kOptChild>("condition", kOpt),
};
constexpr RecordSpec<CaseRow> kCaseRowRecord("CaseRow", kCaseRowFields);

constexpr Field kAlignRowFields[] = {
    field<&AlignRow::cells, kList>("cells"),
    field<&AlignRow::label, read_optional<read_text>>("label", kOpt),
};
constexpr RecordSpec<AlignRow> kAlignRowRecord("AlignRow", kAlignRowFields);

// ---- Kinds ------------------------------------------------------------------------------------

constexpr Field kTextFields[] = {field<&MathText::value, read_text>("value")};
constexpr Field kRowFields[] = {field<&MathRow::children, kList>("children")};
constexpr Field kFencedFields[] = {
    field<&MathFenced::open, read_math_enum<Delimiter>>("open"),
    field<&MathFenced::close, read_math_enum<Delimiter>>("close"),
    field<&MathFenced::body, kList>("body"),
};
constexpr Field kScriptFields[] = {
    field<&MathScript::base, kChild>("base"),
    field<&MathScript::script, kChild>("script"),
};
constexpr Field kSubsupFields[] = {
    field<&MathSubsup::base, kChild>("base"),
    field<&MathSubsup::sub, kChild>("sub"),
    field<&MathSubsup::sup, kChild>("sup"),
};
constexpr Field kFracFields[] = {
    field<&MathFrac::numerator, kChild>("numerator"),
    field<&MathFrac::denominator, kChild>("denominator"),
    field<&MathFrac::style, read_math_enum<FracStyle>>("style"),
};
constexpr Field kSqrtFields[] = {
    field<&MathSqrt::index, kOptChild>("index", kOpt),
    field<&MathSqrt::body, kChild>("body"),
};
constexpr Field kBodyFields[] = {field<&MathBody::body, kChild>("body")};
constexpr Field kBraceFields[] = {
    field<&MathBrace::body, kChild>("body"),
    field<&MathBrace::annotation, kOptChild>("annotation", kOpt),
};
constexpr Field kOversetFields[] = {
    field<&MathOverset::over, kChild>("over"),
    field<&MathOverset::base, kChild>("base"),
};
constexpr Field kUndersetFields[] = {
    field<&MathUnderset::under, kChild>("under"),
    field<&MathUnderset::base, kChild>("base"),
};
constexpr Field kAccentFields[] = {
    field<&MathAccent::kind, read_math_enum<AccentKind>>("kind"),
    field<&MathAccent::body, kChild>("body"),
};
constexpr Field kBigOperatorFields[] = {
    field<&MathBigOperator::op, record_reader<kOperatorRecord>>("op"),
    field<&MathBigOperator::limits, read_math_enum<LimitsStyle>>("limits"),
    field<&MathBigOperator::lower, kOptChild>("lower", kOpt),
    field<&MathBigOperator::upper, kOptChild>("upper", kOpt),
};
constexpr Field kMatrixFields[] = {
    field<&MathMatrix::rows, kRows>("rows"),
    field<&MathMatrix::delimiters, read_math_enum<MatrixDelimiters>>("delimiters"),
};
constexpr Field kCasesFields[] = {
    field<&MathCases::rows, read_list<record_reader<kCaseRowRecord>>>("rows"),
};
constexpr Field kArrayFields[] = {
    field<&MathArray::columns, read_list<read_math_enum<ColumnAlign>>>("columns"),
    field<&MathArray::rows, kRows>("rows"),
};
constexpr Field kAlignFields[] = {
    field<&MathAlign::rows, read_list<record_reader<kAlignRowRecord>>>("rows"),
    field<&MathAlign::numbered, read_bool>("numbered"),
};
constexpr Field kGatherFields[] = {
    field<&MathGather::rows, kList>("rows"),
    field<&MathGather::numbered, read_bool>("numbered"),
};
constexpr Field kSmashFields[] = {
    field<&MathSmash::body, kChild>("body"),
    field<&MathSmash::mode, read_math_enum<SmashMode>>("mode"),
};
constexpr Field kStyleOverrideFields[] = {
    field<&MathStyleOverride::style, read_math_enum<MathStyle>>("style"),
    field<&MathStyleOverride::body, kChild>("body"),
};
constexpr Field kFontOverrideFields[] = {
    field<&MathFontOverride::font, read_math_enum<MathFont>>("font"),
    field<&MathFontOverride::body, kChild>("body"),
};
constexpr Field kColorFields[] = {
    field<&MathColor::color, read_text>("color"),
    field<&MathColor::body, kChild>("body"),
};
constexpr Field kErrorFields[] = {
    field<&MathError::raw, read_text>("raw"),
    field<&MathError::message, read_text>("message"),
};

// Kind `K` read as the record `P` with the fields `Fields`.
template <MathKind K, class P, const auto& Fields>
inline constexpr RecordSpec<P> kKindRecord(kind_name(K), Fields);

// Reads the fields of kind `K` from the expression's object (its "type" entry is no field and
// is passed over) or from its array after the tag.
template <MathKind K, class P, const auto& Fields>
DictResult<MathExpr> read_kind(JsonValue& value, size_t first, ReadContext& ctx) {
  P payload{};
  if (DictStatus s = read_fields(value, first, kKindRecord<K, P, Fields>, payload, ctx); !s) {
    return s.take_error();
  }
  return MathExpr(K, std::move(payload));
}

// The space kind holds its width as the one entry beside "type": a name whose value is a unit,
// or "custom" with the width's text.
DictResult<MathExpr> space_from_content(JsonValue& value, ReadContext& ctx) {
  if (!value.is_object()) return invalid_type(value, expected::kStringOrMap);
  JsonObject& object = value.as_object();
  if (object.size() != 2) return invalid_value(value, expected::kSingleKeyMap);
  JsonMember& entry = object.begin()->key.text() == "type" ? *(object.begin() + 1)
                                                           : *object.begin();
  const std::string_view key = entry.key.text();
  const auto kind = enum_from_name<SpaceKind>(key);
  if (!kind) return unknown_variant(key, EnumNames<SpaceKind>::names);
  MathSpace space{*kind, {}};
  if (*kind == SpaceKind::Custom) {
    auto width = read_text(entry.value, ctx);
    if (!width) return width.take_error();
    space.custom = std::move(width).value();
  } else if (DictStatus s = read_unit(entry.value, ctx); !s) {
    return s.take_error();
  }
  return MathExpr(MathKind::Space, std::move(space));
}

DictResult<MathExpr> dispatch(MathKind kind, JsonValue& value, size_t first, ReadContext& ctx) {
  using K = MathKind;
  switch (kind) {
    case K::Ident: return read_kind<K::Ident, MathText, kTextFields>(value, first, ctx);
    case K::Number: return read_kind<K::Number, MathText, kTextFields>(value, first, ctx);
    case K::Operator: {
      MathOperator op;
      if (DictStatus s = read_fields(value, first, kOperatorRecord, op, ctx); !s) {
        return s.take_error();
      }
      return MathExpr(K::Operator, std::move(op));
    }
    case K::Text: return read_kind<K::Text, MathText, kTextFields>(value, first, ctx);
    case K::Row: return read_kind<K::Row, MathRow, kRowFields>(value, first, ctx);
    case K::Fenced: return read_kind<K::Fenced, MathFenced, kFencedFields>(value, first, ctx);
    case K::Superscript:
      return read_kind<K::Superscript, MathScript, kScriptFields>(value, first, ctx);
    case K::Subscript:
      return read_kind<K::Subscript, MathScript, kScriptFields>(value, first, ctx);
    case K::Subsuperscript:
      return read_kind<K::Subsuperscript, MathSubsup, kSubsupFields>(value, first, ctx);
    case K::Frac: return read_kind<K::Frac, MathFrac, kFracFields>(value, first, ctx);
    case K::Sqrt: return read_kind<K::Sqrt, MathSqrt, kSqrtFields>(value, first, ctx);
    case K::Overline: return read_kind<K::Overline, MathBody, kBodyFields>(value, first, ctx);
    case K::Underline: return read_kind<K::Underline, MathBody, kBodyFields>(value, first, ctx);
    case K::Overbrace:
      return read_kind<K::Overbrace, MathBrace, kBraceFields>(value, first, ctx);
    case K::Underbrace:
      return read_kind<K::Underbrace, MathBrace, kBraceFields>(value, first, ctx);
    case K::Overset: return read_kind<K::Overset, MathOverset, kOversetFields>(value, first, ctx);
    case K::Underset:
      return read_kind<K::Underset, MathUnderset, kUndersetFields>(value, first, ctx);
    case K::Accent: return read_kind<K::Accent, MathAccent, kAccentFields>(value, first, ctx);
    case K::BigOperator:
      return read_kind<K::BigOperator, MathBigOperator, kBigOperatorFields>(value, first, ctx);
    case K::Matrix: return read_kind<K::Matrix, MathMatrix, kMatrixFields>(value, first, ctx);
    case K::Cases: return read_kind<K::Cases, MathCases, kCasesFields>(value, first, ctx);
    case K::Array: return read_kind<K::Array, MathArray, kArrayFields>(value, first, ctx);
    case K::Align: return read_kind<K::Align, MathAlign, kAlignFields>(value, first, ctx);
    case K::Gather: return read_kind<K::Gather, MathGather, kGatherFields>(value, first, ctx);
    case K::Space: return space_from_content(value, ctx);
    case K::Phantom: return read_kind<K::Phantom, MathBody, kBodyFields>(value, first, ctx);
    case K::HPhantom: return read_kind<K::HPhantom, MathBody, kBodyFields>(value, first, ctx);
    case K::VPhantom: return read_kind<K::VPhantom, MathBody, kBodyFields>(value, first, ctx);
    case K::Smash: return read_kind<K::Smash, MathSmash, kSmashFields>(value, first, ctx);
    case K::StyleOverride:
      return read_kind<K::StyleOverride, MathStyleOverride, kStyleOverrideFields>(value, first,
                                                                                  ctx);
    case K::FontOverride:
      return read_kind<K::FontOverride, MathFontOverride, kFontOverrideFields>(value, first, ctx);
    case K::Color: return read_kind<K::Color, MathColor, kColorFields>(value, first, ctx);
    case K::Chem: return read_kind<K::Chem, MathText, kTextFields>(value, first, ctx);
    case K::Error: return read_kind<K::Error, MathError, kErrorFields>(value, first, ctx);
  }
  return MathExpr();
}

}  // namespace

DictResult<MathExpr> math_from_content(JsonValue& value, ReadContext& ctx) {
  auto tagged = find_record_tag(value, kInternallyTaggedMathExpr);
  if (!tagged) return tagged.take_error();
  ReadLevel level(ctx);
  if (level.too_deep()) return nesting_too_deep();
  auto kind = variant_from_tag(*tagged.value().tag, kMathKindTags, /*allow_index=*/true);
  if (!kind) return kind.take_error();
  return dispatch(static_cast<MathKind>(kind.value()), value, tagged.value().first, ctx);
}

}  // namespace zuv

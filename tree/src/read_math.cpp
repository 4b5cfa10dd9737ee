// Reading math expressions: the tag, the dispatch over the kinds by their payload records, and
// each record's fields as data. The names in messages ("struct variant MathExpr::Frac with 3
// elements") come from the kind's type name and the length of its field table.

#include <span>
#include <type_traits>
#include <variant>

#include "read_tree.h"

namespace zuv {

namespace {

constexpr std::string_view kInternallyTaggedMathExpr = "internally tagged enum MathExpr";

template <class E>
DictResult<E> read_math_enum(const JsonValue& value, ReadContext& ctx) {
  return read_enum<E, EnumNames<E>::names>(value, ctx);
}

constexpr RecordName kind_name(MathKind kind) {
  return RecordName{"MathExpr", kMathKindTypeNames[static_cast<size_t>(kind)]};
}

// Expression fields are read in place (`field_into`): a math tree nests as deep as its input,
// and each level then costs the reader no result temporaries.
DictStatus read_child(const JsonValue& value, MathBox& out, ReadContext& ctx) {
  return math_from_content(value, *out, ctx);
}

DictStatus read_opt_child(const JsonValue& value, MathOptBox& out, ReadContext& ctx) {
  if (value.is_null()) return {};
  out = MathOptBox(MathExpr());
  return math_from_content(value, *out, ctx);
}

DictStatus read_opt_expr(const JsonValue& value, std::optional<MathExpr>& out, ReadContext& ctx) {
  if (value.is_null()) return {};
  return math_from_content(value, out.emplace(), ctx);
}

constexpr auto kList = read_list_into<MathExpr, math_from_content>;
constexpr auto kRows = read_list_into<MathList, kList>;
constexpr FieldClass kOpt = FieldClass::Optional;

// ---- Records that stand as values --------------------------------------------------------------

constexpr Field kOperatorFields[] = {
    field<&MathOperator::symbol, read_text>("symbol"),
    field<&MathOperator::kind, read_math_enum<OperatorKind>>("kind"),
};
constexpr RecordSpec<MathOperator> kOperatorRecord("MathOperator", kOperatorFields);

constexpr Field kCaseRowFields[] = {
    field_into<&CaseRow::expr, math_from_content>("expr"),
    field_into<&CaseRow::condition, read_opt_expr>("condition", kOpt),
};
constexpr RecordSpec<CaseRow> kCaseRowRecord("CaseRow", kCaseRowFields);

constexpr Field kAlignRowFields[] = {
    field_into<&AlignRow::cells, kList>("cells"),
    field<&AlignRow::label, read_optional<read_text>>("label", kOpt),
};
constexpr RecordSpec<AlignRow> kAlignRowRecord("AlignRow", kAlignRowFields);

// ---- Kinds ------------------------------------------------------------------------------------

constexpr Field kTextFields[] = {field<&MathText::value, read_text>("value")};
constexpr Field kRowFields[] = {field_into<&MathRow::children, kList>("children")};
constexpr Field kFencedFields[] = {
    field<&MathFenced::open, read_math_enum<Delimiter>>("open"),
    field<&MathFenced::close, read_math_enum<Delimiter>>("close"),
    field_into<&MathFenced::body, kList>("body"),
};
constexpr Field kScriptFields[] = {
    field_into<&MathScript::base, read_child>("base"),
    field_into<&MathScript::script, read_child>("script"),
};
constexpr Field kSubsupFields[] = {
    field_into<&MathSubsup::base, read_child>("base"),
    field_into<&MathSubsup::sub, read_child>("sub"),
    field_into<&MathSubsup::sup, read_child>("sup"),
};
constexpr Field kFracFields[] = {
    field_into<&MathFrac::numerator, read_child>("numerator"),
    field_into<&MathFrac::denominator, read_child>("denominator"),
    field<&MathFrac::style, read_math_enum<FracStyle>>("style"),
};
constexpr Field kSqrtFields[] = {
    field_into<&MathSqrt::index, read_opt_child>("index", kOpt),
    field_into<&MathSqrt::body, read_child>("body"),
};
constexpr Field kBodyFields[] = {field_into<&MathBody::body, read_child>("body")};
constexpr Field kBraceFields[] = {
    field_into<&MathBrace::body, read_child>("body"),
    field_into<&MathBrace::annotation, read_opt_child>("annotation", kOpt),
};
constexpr Field kOversetFields[] = {
    field_into<&MathOverset::over, read_child>("over"),
    field_into<&MathOverset::base, read_child>("base"),
};
constexpr Field kUndersetFields[] = {
    field_into<&MathUnderset::under, read_child>("under"),
    field_into<&MathUnderset::base, read_child>("base"),
};
constexpr Field kAccentFields[] = {
    field<&MathAccent::kind, read_math_enum<AccentKind>>("kind"),
    field_into<&MathAccent::body, read_child>("body"),
};
constexpr Field kBigOperatorFields[] = {
    field<&MathBigOperator::op, record_reader<kOperatorRecord>>("op"),
    field<&MathBigOperator::limits, read_math_enum<LimitsStyle>>("limits"),
    field_into<&MathBigOperator::lower, read_opt_child>("lower", kOpt),
    field_into<&MathBigOperator::upper, read_opt_child>("upper", kOpt),
};
constexpr Field kMatrixFields[] = {
    field_into<&MathMatrix::rows, kRows>("rows"),
    field<&MathMatrix::delimiters, read_math_enum<MatrixDelimiters>>("delimiters"),
};
constexpr Field kCasesFields[] = {
    field_into<&MathCases::rows, read_list_into<CaseRow, record_into<kCaseRowRecord>>>("rows"),
};
constexpr Field kArrayFields[] = {
    field<&MathArray::columns, read_list<read_math_enum<ColumnAlign>>>("columns"),
    field_into<&MathArray::rows, kRows>("rows"),
};
constexpr Field kAlignFields[] = {
    field_into<&MathAlign::rows, read_list_into<AlignRow, record_into<kAlignRowRecord>>>("rows"),
    field<&MathAlign::numbered, read_bool>("numbered"),
};
constexpr Field kGatherFields[] = {
    field_into<&MathGather::rows, kList>("rows"),
    field<&MathGather::numbered, read_bool>("numbered"),
};
constexpr Field kSmashFields[] = {
    field_into<&MathSmash::body, read_child>("body"),
    field<&MathSmash::mode, read_math_enum<SmashMode>>("mode"),
};
constexpr Field kStyleOverrideFields[] = {
    field<&MathStyleOverride::style, read_math_enum<MathStyle>>("style"),
    field_into<&MathStyleOverride::body, read_child>("body"),
};
constexpr Field kFontOverrideFields[] = {
    field<&MathFontOverride::font, read_math_enum<MathFont>>("font"),
    field_into<&MathFontOverride::body, read_child>("body"),
};
constexpr Field kColorFields[] = {
    field<&MathColor::color, read_text>("color"),
    field_into<&MathColor::body, read_child>("body"),
};
constexpr Field kErrorFields[] = {
    field<&MathError::raw, read_text>("raw"),
    field<&MathError::message, read_text>("message"),
};

// The fields of each payload record that a kind reads as its own.
constexpr std::span<const Field> fields_of(std::type_identity<MathText>) { return kTextFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathRow>) { return kRowFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathFenced>) { return kFencedFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathScript>) { return kScriptFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathSubsup>) { return kSubsupFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathFrac>) { return kFracFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathSqrt>) { return kSqrtFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathBody>) { return kBodyFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathBrace>) { return kBraceFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathOverset>) {
  return kOversetFields;
}
constexpr std::span<const Field> fields_of(std::type_identity<MathUnderset>) {
  return kUndersetFields;
}
constexpr std::span<const Field> fields_of(std::type_identity<MathAccent>) { return kAccentFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathBigOperator>) {
  return kBigOperatorFields;
}
constexpr std::span<const Field> fields_of(std::type_identity<MathMatrix>) { return kMatrixFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathCases>) { return kCasesFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathArray>) { return kArrayFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathAlign>) { return kAlignFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathGather>) { return kGatherFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathSmash>) { return kSmashFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathStyleOverride>) {
  return kStyleOverrideFields;
}
constexpr std::span<const Field> fields_of(std::type_identity<MathFontOverride>) {
  return kFontOverrideFields;
}
constexpr std::span<const Field> fields_of(std::type_identity<MathColor>) { return kColorFields; }
constexpr std::span<const Field> fields_of(std::type_identity<MathError>) { return kErrorFields; }

// Every payload record is read, as fields of its own or (operator, space) by a reader of its
// own, so a kind whose record is new cannot be left out.
static_assert(detail::every_alternative<MathPayload>([]<class P>(std::type_identity<P>) {
                return std::is_same_v<P, MathOperator> || std::is_same_v<P, MathSpace> || requires {
                  fields_of(std::type_identity<P>{});
                };
              }),
              "a math payload record has no reader");

// Kind `K` read as its record, named after the kind ("struct variant MathExpr::Frac").
template <MathKind K>
inline constexpr RecordSpec<MathPayloadOf<K>> kKindRecord(
    kind_name(K), fields_of(std::type_identity<MathPayloadOf<K>>{}));

// The space kind holds its width as the one entry beside "type": a name whose value is a unit,
// or "custom" with the width's text.
[[gnu::noinline]] DictStatus space_from_content(const JsonValue& value, MathExpr& out,
                                                ReadContext& ctx) {
  if (!value.is_object()) return invalid_type(value, expected::kStringOrMap);
  const std::span<const JsonMember> members = value.members();
  if (members.size() != 2) return invalid_value(value, expected::kSingleKeyMap);
  const JsonMember& entry = members[0].key.text() == "type" ? members[1] : members[0];
  const std::string_view key = entry.key.text();
  const auto kind = enum_from_name<SpaceKind>(key);
  if (!kind) return unknown_variant(key, EnumNames<SpaceKind>::names);
  MathSpace space{*kind, {}};
  if (*kind == SpaceKind::Custom) {
    auto width = read_text(entry.value, ctx);
    if (!width) return width.take_error();
    space.custom = std::move(width).value();
  } else if (DictStatus s = read_unit(entry.value, ctx); !s) {
    return s;
  }
  out = MathExpr(MathKind::Space, std::move(space));
  return {};
}

// Reads kind `K` into `out` from the expression's object (its "type" entry is no field and is
// passed over) or from its array after the tag. An operator holds a `MathOperator`, whose fields
// it reads under that record's name.
template <MathKind K>
[[gnu::noinline]] DictStatus read_kind(const JsonValue& value, size_t first, MathExpr& out,
                                       ReadContext& ctx) {
  using P = MathPayloadOf<K>;
  if constexpr (std::is_same_v<P, MathSpace>) {
    return space_from_content(value, out, ctx);
  } else if constexpr (std::is_same_v<P, MathOperator>) {
    out.kind = K;
    return read_fields(value, first, kOperatorRecord, out.payload.emplace<P>(), ctx);
  } else {
    out.kind = K;
    return read_fields(value, first, kKindRecord<K>, out.payload.emplace<P>(), ctx);
  }
}

using KindReader = DictStatus (*)(const JsonValue&, size_t, MathExpr&, ReadContext&);
constexpr KindReader kKindReaders[] = {
#define ZUV_MATH_READER(id, tag, payload) &read_kind<MathKind::id>,
    ZUV_MATH_KINDS(ZUV_MATH_READER)
#undef ZUV_MATH_READER
};

}  // namespace

DictStatus math_from_content(const JsonValue& value, MathExpr& out, ReadContext& ctx) {
  auto tagged = find_record_tag(value, kInternallyTaggedMathExpr);
  if (!tagged) return tagged.take_error();
  ReadLevel level(ctx);
  if (level.too_deep()) return nesting_too_deep();
  auto kind = variant_from_tag(*tagged.value().tag, kMathKindTags, /*allow_index=*/true);
  if (!kind) return kind.take_error();
  return kKindReaders[kind.value()](value, tagged.value().first, out, ctx);
}

}  // namespace zuv

#pragma once
// The math vocabulary: which command names stand for a Greek letter, an operator, a big
// operator, a function name, a font or an accent, and two groups of further symbols that the
// command dispatch tries first and last.
//
// Each table is a constant array sorted by name (checked at compile time) and matched exactly and
// case-sensitively; nothing is built at run time. The names of all tables are disjoint (the
// command index in commands.cpp checks it), so the order in which the dispatch would try them
// does not matter; `text` and `mbox` are fonts that the dispatch reads as text commands.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>

#include "zuv/math_tree.h"

namespace zuv::math {

template <class V>
struct NameEntry {
  std::string_view name;
  V value;
};

struct OperatorSymbol {
  std::string_view symbol;
  OperatorKind kind;
};

// A symbol tried after every structural command: an identifier, or a binary operator.
struct TrailingSymbol {
  std::string_view text;
  bool is_binary_operator;
};

inline constexpr NameEntry<std::string_view> kGreekLetters[] = {
    {"Delta", "\u0394"},      {"Gamma", "\u0393"},    {"Lambda", "\u039B"}, {"Omega", "\u03A9"},
    {"Phi", "\u03A6"},        {"Pi", "\u03A0"},       {"Psi", "\u03A8"},    {"Sigma", "\u03A3"},
    {"Theta", "\u0398"},      {"Upsilon", "\u03A5"},  {"Xi", "\u039E"},     {"alpha", "\u03B1"},
    {"beta", "\u03B2"},       {"chi", "\u03C7"},      {"delta", "\u03B4"},  {"epsilon", "\u03B5"},
    {"eta", "\u03B7"},        {"gamma", "\u03B3"},    {"iota", "\u03B9"},   {"kappa", "\u03BA"},
    {"lambda", "\u03BB"},     {"mu", "\u03BC"},       {"nu", "\u03BD"},     {"omega", "\u03C9"},
    {"phi", "\u03C6"},        {"pi", "\u03C0"},       {"psi", "\u03C8"},    {"rho", "\u03C1"},
    {"sigma", "\u03C3"},      {"tau", "\u03C4"},      {"theta", "\u03B8"},  {"upsilon", "\u03C5"},
    {"varepsilon", "\u03B5"}, {"varphi", "\u03C6"},   {"varpi", "\u03D6"},  {"varrho", "\u03F1"},
    {"varsigma", "\u03C2"},   {"vartheta", "\u03D1"}, {"xi", "\u03BE"},     {"zeta", "\u03B6"},
};
inline constexpr NameEntry<OperatorSymbol> kOperatorSymbols[] = {
    {"Leftarrow", {"\u21D0", OperatorKind::Relation}},
    {"Leftrightarrow", {"\u27FA", OperatorKind::Relation}},
    {"Rightarrow", {"\u21D2", OperatorKind::Relation}},
    {"approx", {"\u2248", OperatorKind::Relation}},
    {"cap", {"\u2229", OperatorKind::Binary}},
    {"cdot", {"\u00B7", OperatorKind::Binary}},
    {"cdots", {"\u22EF", OperatorKind::Punctuation}},
    {"colon", {":", OperatorKind::Punctuation}},
    {"cong", {"\u2245", OperatorKind::Relation}},
    {"cup", {"\u222A", OperatorKind::Binary}},
    {"ddots", {"\u22F1", OperatorKind::Punctuation}},
    {"div", {"\u00F7", OperatorKind::Binary}},
    {"dots", {"\u2026", OperatorKind::Punctuation}},
    {"downarrow", {"\u2193", OperatorKind::Relation}},
    {"equiv", {"\u2261", OperatorKind::Relation}},
    {"ge", {"\u2265", OperatorKind::Relation}},
    {"geq", {"\u2265", OperatorKind::Relation}},
    {"hookleftarrow", {"\u21A9", OperatorKind::Relation}},
    {"hookrightarrow", {"\u21AA", OperatorKind::Relation}},
    {"iff", {"\u27FA", OperatorKind::Relation}},
    {"implies", {"\u27F9", OperatorKind::Relation}},
    {"in", {"\u2208", OperatorKind::Relation}},
    {"land", {"\u2227", OperatorKind::Binary}},
    {"ldots", {"\u2026", OperatorKind::Punctuation}},
    {"le", {"\u2264", OperatorKind::Relation}},
    {"leftarrow", {"\u2190", OperatorKind::Relation}},
    {"leftrightarrow", {"\u2194", OperatorKind::Relation}},
    {"leq", {"\u2264", OperatorKind::Relation}},
    {"lnot", {"\u00AC", OperatorKind::Prefix}},
    {"lor", {"\u2228", OperatorKind::Binary}},
    {"mapsto", {"\u21A6", OperatorKind::Relation}},
    {"mp", {"\u2213", OperatorKind::Binary}},
    {"ne", {"\u2260", OperatorKind::Relation}},
    {"neg", {"\u00AC", OperatorKind::Prefix}},
    {"neq", {"\u2260", OperatorKind::Relation}},
    {"notin", {"\u2209", OperatorKind::Relation}},
    {"pm", {"\u00B1", OperatorKind::Binary}},
    {"propto", {"\u221D", OperatorKind::Relation}},
    {"rightarrow", {"\u2192", OperatorKind::Relation}},
    {"sim", {"\u223C", OperatorKind::Relation}},
    {"subset", {"\u2282", OperatorKind::Relation}},
    {"subseteq", {"\u2286", OperatorKind::Relation}},
    {"supset", {"\u2283", OperatorKind::Relation}},
    {"supseteq", {"\u2287", OperatorKind::Relation}},
    {"times", {"\u00D7", OperatorKind::Binary}},
    {"to", {"\u2192", OperatorKind::Relation}},
    {"uparrow", {"\u2191", OperatorKind::Relation}},
    {"vdots", {"\u22EE", OperatorKind::Punctuation}},
};
inline constexpr NameEntry<std::string_view> kBigOperatorSymbols[] = {
    {"bigcap", "\u22C2"},   {"bigcup", "\u22C3"},   {"bigoplus", "\u2295"}, {"bigotimes", "\u2297"},
    {"bigsqcup", "\u2294"}, {"biguplus", "\u228E"}, {"bigvee", "\u22C1"},   {"bigwedge", "\u22C0"},
    {"iiint", "\u222D"},    {"iint", "\u222C"},     {"int", "\u222B"},      {"oint", "\u222E"},
    {"prod", "\u220F"},     {"sum", "\u2211"},
};
inline constexpr NameEntry<std::string_view> kFunctionNames[] = {
    {"Pr", "Pr"},   {"arccos", "arccos"},  {"arcsin", "arcsin"},  {"arctan", "arctan"},
    {"arg", "arg"}, {"cos", "cos"},        {"cot", "cot"},        {"csc", "csc"},
    {"deg", "deg"}, {"det", "det"},        {"dim", "dim"},        {"exp", "exp"},
    {"gcd", "gcd"}, {"hom", "hom"},        {"inf", "inf"},        {"ker", "ker"},
    {"lim", "lim"}, {"liminf", "lim inf"}, {"limsup", "lim sup"}, {"ln", "ln"},
    {"log", "log"}, {"max", "max"},        {"min", "min"},        {"sec", "sec"},
    {"sin", "sin"}, {"sup", "sup"},        {"tan", "tan"},
};
inline constexpr NameEntry<MathFont> kFontCommands[] = {
    {"boldsymbol", MathFont::Bold},  {"mathbb", MathFont::Blackboard},
    {"mathbf", MathFont::Bold},      {"mathcal", MathFont::Calligraphic},
    {"mathfrak", MathFont::Fraktur}, {"mathit", MathFont::Italic},
    {"mathrm", MathFont::Roman},     {"mathscr", MathFont::Script},
    {"mathsf", MathFont::SansSerif}, {"mathtt", MathFont::Monospace},
    {"mbox", MathFont::Roman},       {"text", MathFont::Roman},
    {"textit", MathFont::Italic},    {"textrm", MathFont::Roman},
};
inline constexpr NameEntry<AccentKind> kAccentKinds[] = {
    {"acute", AccentKind::Acute},     {"bar", AccentKind::Bar},
    {"breve", AccentKind::Breve},     {"check", AccentKind::Check},
    {"ddot", AccentKind::Ddot},       {"dot", AccentKind::Dot},
    {"grave", AccentKind::Grave},     {"hat", AccentKind::Hat},
    {"tilde", AccentKind::Tilde},     {"vec", AccentKind::Vec},
    {"widehat", AccentKind::WideHat}, {"widetilde", AccentKind::WideTilde},
};
// Spaces and identifiers the dispatch tries before every table.
inline constexpr NameEntry<SpaceKind> kSpaceCommands[] = {
    {"qquad", SpaceKind::QQuad},
    {"quad", SpaceKind::Quad},
};
inline constexpr NameEntry<std::string_view> kLeadingSymbols[] = {
    {"aleph", "\u2135"},   {"ell", "\u2113"},        {"emptyset", "\u2205"}, {"exists", "\u2203"},
    {"forall", "\u2200"},  {"hbar", "\u210F"},       {"infty", "\u221E"},    {"nabla", "\u2207"},
    {"partial", "\u2202"}, {"varnothing", "\u2205"},
};
// Symbols tried after every structural command; `{`, `}` and `|` are the names of `\{`, `\}` and
// `\|` (after `\left` or `\right`, `\|` is the double bar instead).
inline constexpr NameEntry<TrailingSymbol> kTrailingSymbols[] = {
    {"angle", {"\u2220", false}},  {"because", {"\u2235", false}},
    {"bullet", {"\u2022", true}},  {"checkmark", {"\u2713", false}},
    {"circ", {"\u2218", true}},    {"lVert", {"\u2016", false}},
    {"langle", {"\u27E8", false}}, {"lbrace", {"{", false}},
    {"lceil", {"\u2308", false}},  {"lfloor", {"\u230A", false}},
    {"lvert", {"|", false}},       {"perp", {"\u22A5", false}},
    {"prime", {"\u2032", false}},  {"rVert", {"\u2016", false}},
    {"rangle", {"\u27E9", false}}, {"rbrace", {"}", false}},
    {"rceil", {"\u2309", false}},  {"rfloor", {"\u230B", false}},
    {"rvert", {"|", false}},       {"square", {"\u25A1", false}},
    {"star", {"\u22C6", true}},    {"therefore", {"\u2234", false}},
    {"top", {"\u22A4", false}},    {"triangle", {"\u25B3", false}},
    {"{", {"{", false}},           {"|", {"|", false}},
    {"}", {"}", false}},
};

template <class V, size_t N>
constexpr bool sorted_by_name(const NameEntry<V> (&table)[N]) {
  for (size_t i = 1; i < N; ++i) {
    if (!(table[i - 1].name < table[i].name)) return false;
  }
  return true;
}

template <class V, size_t N>
constexpr std::optional<V> find_name(const NameEntry<V> (&table)[N], std::string_view name) {
  const NameEntry<V>* it = std::lower_bound(
      table, table + N, name, [](const NameEntry<V>& e, std::string_view n) { return e.name < n; });
  if (it != table + N && it->name == name) return it->value;
  return std::nullopt;
}

static_assert(sorted_by_name(kGreekLetters) && sorted_by_name(kOperatorSymbols) &&
              sorted_by_name(kBigOperatorSymbols) && sorted_by_name(kFunctionNames) &&
              sorted_by_name(kFontCommands) && sorted_by_name(kAccentKinds) &&
              sorted_by_name(kSpaceCommands) && sorted_by_name(kLeadingSymbols) &&
              sorted_by_name(kTrailingSymbols));

}  // namespace zuv::math

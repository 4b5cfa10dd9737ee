#pragma once
// What the kind tables of the two trees (zuv/tree.h, zuv/math_tree.h) are built with: each tree
// lists its kinds once, as an X-macro of rows (kind, tag, payload record, ...), and the enum, the
// tags, the count, the payload variant and each kind's alternative in it are expanded from that
// one list.

#include <cstddef>
#include <string_view>
#include <type_traits>
#include <variant>

namespace zuv::detail {

// A variant of the types `Ts`, each once, in the order of their first appearance; a `void`
// ends the list (the X-macro rows each expand to "Type,").
template <class Variant, class... Ts>
struct UniqueVariantOf;
template <class... Vs>
struct UniqueVariantOf<std::variant<Vs...>, void> {
  using type = std::variant<Vs...>;
};
template <class... Vs, class T, class... Ts>
struct UniqueVariantOf<std::variant<Vs...>, T, Ts...> {
  using type =
      typename UniqueVariantOf<std::conditional_t<(std::is_same_v<T, Vs> || ...),
                                                  std::variant<Vs...>, std::variant<Vs..., T>>,
                               Ts...>::type;
};
template <class First, class... Ts>
using UniqueVariant = typename UniqueVariantOf<std::variant<First>, Ts...>::type;

// The index of the alternative `T` in the variant `V`.
template <class T, class V>
struct VariantIndex;
template <class T, class... Vs>
struct VariantIndex<T, std::variant<Vs...>> {
  static constexpr size_t value = [] {
    constexpr bool same[] = {std::is_same_v<T, Vs>...};
    size_t i = 0;
    while (i < sizeof...(Vs) && !same[i]) ++i;
    return i;
  }();
  static_assert(value < sizeof...(Vs), "the type is no alternative of the variant");
};
template <class T, class V>
inline constexpr size_t variant_index = VariantIndex<T, V>::value;

// True when `check(std::type_identity<T>{})` holds for every alternative `T` of `Variant`: the
// writers and readers check with it that each payload record has its own.
template <class Variant, class Check>
constexpr bool every_alternative(Check check) {
  return [&]<class... Ts>(std::type_identity<std::variant<Ts...>>) {
    return (check(std::type_identity<Ts>{}) && ...);
  }(std::type_identity<Variant>{});
}

// Every name set and no two alike: a kind table's tags, or its type names.
template <class Names>
constexpr bool names_are_set_and_distinct(const Names& names) {
  for (size_t i = 0; i < std::size(names); ++i) {
    if (std::string_view(names[i]).empty()) return false;
    for (size_t j = 0; j < i; ++j) {
      if (std::string_view(names[i]) == std::string_view(names[j])) return false;
    }
  }
  return true;
}

}  // namespace zuv::detail

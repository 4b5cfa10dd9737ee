#include "zuv/tree.h"

#include <algorithm>
#include <concepts>
#include <type_traits>

#include "zuv/math_tree.h"

namespace zuv {

namespace {

template <size_t N>
std::optional<size_t> index_of(const std::array<std::string_view, N>& tags, std::string_view t) {
  auto it = std::find(tags.begin(), tags.end(), t);
  if (it == tags.end()) return std::nullopt;
  return static_cast<size_t>(it - tags.begin());
}

constexpr bool kWalked = true;
constexpr bool kLeaf = false;

constexpr bool kWalksChildren[] = {
#define ZUV_NODE_WALK(id, tag, payload, walk) walk,
    ZUV_NODE_KINDS(ZUV_NODE_WALK)
#undef ZUV_NODE_WALK
};

template <class P>
constexpr bool kHasChildren = requires(P& p) {
  { p.children } -> std::same_as<NodeList&>;
};
#define ZUV_NODE_WALK_CHECK(id, tag, payload, walk) \
  static_assert(!walk || kHasChildren<payload>, "a walked kind needs a record with children");
ZUV_NODE_KINDS(ZUV_NODE_WALK_CHECK)
#undef ZUV_NODE_WALK_CHECK

}  // namespace

std::optional<NodeKind> node_kind_from_tag(std::string_view tag) {
  if (auto i = index_of(kNodeKindTags, tag)) return static_cast<NodeKind>(*i);
  return std::nullopt;
}

std::optional<MathKind> math_kind_from_tag(std::string_view tag) {
  if (auto i = index_of(kMathKindTags, tag)) return static_cast<MathKind>(*i);
  return std::nullopt;
}

const Position& Node::position() const {
  return std::visit([](const auto& p) -> const Position& { return detail::unbox(p).position; },
                    payload);
}

Position& Node::position() {
  return std::visit([](auto& p) -> Position& { return detail::unbox(p).position; }, payload);
}

const NodeList* node_children(const Node& node) { return node_children(const_cast<Node&>(node)); }

NodeList* node_children(Node& node) {
  if (!kWalksChildren[static_cast<size_t>(node.kind)]) return nullptr;
  return std::visit(
      [](auto& stored) -> NodeList* {
        auto& p = detail::unbox(stored);
        if constexpr (kHasChildren<std::remove_reference_t<decltype(p)>>) {
          return &p.children;
        } else {
          return nullptr;
        }
      },
      node.payload);
}

}  // namespace zuv

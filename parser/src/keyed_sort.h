#pragma once
// Putting the members of an object in key order at once. Objects are read member by member;
// inserting each into a sorted vector would cost quadratic time on a large object whose keys
// come in reverse order, so readers collect the members and sort them once here.

#include <algorithm>
#include <string_view>
#include <vector>

namespace zuv::parser {

enum class DuplicateKeys { KeepFirst, KeepLast, Reject };

// Sorts `items` by `key_of(item)` in ascending byte order, keeping the relative order of equal
// keys, then leaves one item per key as `policy` says. Returns false (leaving `items` sorted but
// with duplicates) when `policy` is Reject and a key repeats.
template <class T, class KeyOf>
bool sort_by_key(std::vector<T>& items, KeyOf key_of, DuplicateKeys policy) {
  std::stable_sort(items.begin(), items.end(), [&](const T& a, const T& b) {
    return std::string_view(key_of(a)) < std::string_view(key_of(b));
  });
  size_t out = 0;
  for (size_t i = 0; i < items.size();) {
    size_t j = i + 1;
    while (j < items.size() && std::string_view(key_of(items[j])) == key_of(items[i])) ++j;
    if (j - i > 1 && policy == DuplicateKeys::Reject) return false;
    size_t keep = policy == DuplicateKeys::KeepLast ? j - 1 : i;
    if (out != keep) items[out] = std::move(items[keep]);
    ++out;
    i = j;
  }
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(out), items.end());
  return true;
}

}  // namespace zuv::parser

#pragma once
// The recipe input of the fuzz targets that build large structured documents. Byte-level fuzzing
// rarely builds the shapes that cost time or memory (thousands of nested markers, then thousands
// of lines that continue them; thousands of tags on one HTML line), since each needs many
// repeated units. A recipe is split at 0xFF bytes into pieces; the first byte of a piece is its
// repeat count and the rest its unit, so a dozen bytes make a document of tens of kilobytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zuv::testing {

// The document of `recipe`, cut at `max_document` bytes (a unit may pass it by its own length).
inline std::string expand_recipe(std::string_view recipe, std::size_t max_document) {
  std::string doc;
  while (!recipe.empty() && doc.size() < max_document) {
    std::size_t end = recipe.find('\xff');
    std::string_view piece = recipe.substr(0, end);
    recipe = end == std::string_view::npos ? std::string_view() : recipe.substr(end + 1);
    if (piece.empty()) continue;
    auto b = static_cast<std::uint8_t>(piece[0]);
    std::size_t repeat = 1 + std::size_t{b} * b / 4;  // 1 to 16257, fine steps at the low end
    std::string_view unit = piece.substr(1);
    for (std::size_t i = 0; i < repeat && doc.size() < max_document; ++i) doc.append(unit);
  }
  return doc;
}

}  // namespace zuv::testing

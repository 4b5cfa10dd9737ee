// The bytes at which the line scanner has work to do; everything else is plain text, skipped
// sixteen bytes at a time where the processor allows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zuv::markdown {

// Line ends, delimiters of emphasis and strikethrough, entities, escapes, brackets, `<`, `!`,
// backticks and table pipes.
inline constexpr char kSpecialChars[] = "\n\r*_~&\\[]<!`|";

constexpr std::array<bool, 256> make_special_table() {
  std::array<bool, 256> t{};
  for (const char* p = kSpecialChars; *p; ++p) t[static_cast<unsigned char>(*p)] = true;
  return t;
}
inline constexpr std::array<bool, 256> kSpecialBytes = make_special_table();

// The first special byte at or after `from`, or text.size().
std::size_t skip_plain_text(std::string_view text, std::size_t from);

}  // namespace zuv::markdown

#pragma once
// Small Unicode helpers shared by the parsers.

#include <cstdint>
#include <string>
#include <string_view>

namespace zuv {

// Decodes one UTF-8 character at `s[i]`; returns the code point and stores its length in `len`.
// Input is valid UTF-8 (it comes from Python str objects), so no error path is needed; a stray
// byte is taken as a one-byte character of its own value.
char32_t decode_utf8(std::string_view s, size_t i, size_t& len);

// Appends the UTF-8 form of `c`.
void append_utf8(std::string& out, char32_t c);

// The Unicode White_Space property.
constexpr bool is_unicode_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// `s` without leading and trailing White_Space characters.
std::string_view trim_unicode_white_space(std::string_view s);

}  // namespace zuv

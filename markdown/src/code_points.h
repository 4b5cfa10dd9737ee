// Character classes and case folding over UTF-8 text. Malformed bytes decode as U+FFFD, one
// byte at a time, so every scan stays inside the input whatever it holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zuv::markdown {

constexpr char32_t kReplacementChar = 0xFFFD;

// The code point starting at `pos` (pos < text.size()).
char32_t decode_at(std::string_view text, std::size_t pos);
// The code point ending just before `pos` (pos > 0).
char32_t decode_before(std::string_view text, std::size_t pos);

void append_utf8(std::string& out, char32_t cp);

// CommonMark's punctuation: ASCII punctuation and the Unicode categories P and S.
bool is_punctuation(char32_t cp);
// The Unicode White_Space property.
bool is_white_space(char32_t cp);

// Appends the full case folding of `text`, for comparing link labels.
void append_case_folded(std::string& out, std::string_view text);

}  // namespace zuv::markdown

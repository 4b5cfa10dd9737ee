#include "zuv/unicode.h"

namespace zuv {

char32_t decode_utf8(std::string_view s, size_t i, size_t& len) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  auto cont = [&](size_t k) -> char32_t {
    return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) & 0x3Fu : 0u;
  };
  auto is_cont = [&](size_t k) {
    return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0u) == 0x80u;
  };
  if (b0 < 0x80) {
    len = 1;
    return b0;
  }
  if ((b0 & 0xE0) == 0xC0 && is_cont(1)) {
    len = 2;
    return (char32_t(b0 & 0x1F) << 6) | cont(1);
  }
  if ((b0 & 0xF0) == 0xE0 && is_cont(1) && is_cont(2)) {
    len = 3;
    return (char32_t(b0 & 0x0F) << 12) | (cont(1) << 6) | cont(2);
  }
  if ((b0 & 0xF8) == 0xF0 && is_cont(1) && is_cont(2) && is_cont(3)) {
    len = 4;
    return (char32_t(b0 & 0x07) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
  }
  len = 1;
  return b0;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string_view trim_unicode_white_space(std::string_view s) {
  size_t begin = 0;
  while (begin < s.size()) {
    size_t len = 0;
    char32_t c = decode_utf8(s, begin, len);
    if (!is_unicode_white_space(c)) break;
    begin += len;
  }
  size_t end = s.size();
  while (end > begin) {
    // Step back to the start of the last character.
    size_t start = end - 1;
    while (start > begin && (static_cast<unsigned char>(s[start]) & 0xC0u) == 0x80u) --start;
    size_t len = 0;
    char32_t c = decode_utf8(s, start, len);
    if (!is_unicode_white_space(c)) break;
    end = start;
  }
  return s.substr(begin, end - begin);
}

}  // namespace zuv

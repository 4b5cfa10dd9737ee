#pragma once
// ASCII byte classes, defined once for every component above the Markdown engine (the engine
// depends on nothing and keeps its own in its scanners). A byte of a multi-byte UTF-8 character
// is in none of these classes.

namespace zuv {

constexpr bool is_ascii_upper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool is_ascii_lower(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool is_ascii_alpha(char c) { return is_ascii_lower(c) || is_ascii_upper(c); }
constexpr bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_ascii_alnum(char c) { return is_ascii_alpha(c) || is_ascii_digit(c); }
constexpr bool is_ascii_hex_digit(char c) {
  return is_ascii_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
// Space, tab, line feed, form feed and carriage return; not vertical tab.
constexpr bool is_ascii_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}
constexpr char to_ascii_lower(char c) {
  return is_ascii_upper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace zuv

#include "numbers.h"

#include <charconv>
#include <limits>

#include "bytes.h"

namespace zuv::parser {

std::optional<uint64_t> parse_digits_u64(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    if (!is_ascii_digit(c)) return std::nullopt;
    auto d = static_cast<uint64_t>(c - '0');
    if (value > (std::numeric_limits<uint64_t>::max() - d) / 10) return std::nullopt;
    value = value * 10 + d;
  }
  return value;
}

bool is_decimal_float(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < n && is_ascii_digit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && is_ascii_digit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exp_digits = 0;
    while (i < n && is_ascii_digit(text[i])) ++i, ++exp_digits;
    if (exp_digits == 0) return false;
  }
  return i == n;
}

namespace {

// Whether a decimal text out of the double range is out of it on the large side: the decimal
// exponent of its leading significant digit decides (the range ends near 1e308 and 1e-324, so
// the sign of that exponent is enough).
bool magnitude_is_large(std::string_view text) {
  size_t i = (text[0] == '+' || text[0] == '-') ? 1 : 0;
  int64_t lead = 0;  // decimal exponent of the first significant digit, plus one
  bool seen = false;
  bool after_point = false;
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
    char c = text[i];
    if (c == '.') {
      after_point = true;
    } else if (!seen && c == '0') {
      if (after_point) --lead;
    } else {
      seen = true;
      if (!after_point) ++lead;
    }
  }
  int64_t exp = 0;
  if (i < text.size()) {
    ++i;
    bool neg = text[i] == '-';
    if (text[i] == '+' || text[i] == '-') ++i;
    for (; i < text.size(); ++i) {
      // Saturate: only the sign of the sum matters.
      if (exp < (int64_t{1} << 40)) exp = exp * 10 + (text[i] - '0');
    }
    if (neg) exp = -exp;
  }
  return lead + exp > 0;
}

}  // namespace

double decimal_float_value(std::string_view text) {
  bool negative = text[0] == '-';
  std::string_view body = (text[0] == '+' || text[0] == '-') ? text.substr(1) : text;
  double value = 0.0;
  auto res =
      std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    value = magnitude_is_large(text) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace zuv::parser

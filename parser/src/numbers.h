#pragma once
// Number texts shared by the attribute primitives and the YAML scalars.

#include <cstdint>
#include <optional>
#include <string_view>

namespace zuv::parser {

// One or more ASCII digits and nothing else, as an unsigned 64-bit value; none when the text is
// not digits or the value does not fit.
std::optional<uint64_t> parse_digits_u64(std::string_view digits);

// A decimal float: an optional sign, then digits with at most one `.` (at least one digit
// before or after it), then optionally `e` or `E`, an optional sign and digits.
bool is_decimal_float(std::string_view text);

// The nearest double to a text that `is_decimal_float` accepts: infinite when its magnitude is
// too large for a double, zero (with its sign) when too small.
double decimal_float_value(std::string_view text);

}  // namespace zuv::parser

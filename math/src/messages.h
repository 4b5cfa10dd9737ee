#pragma once
// Every message text of the math parser's error nodes. A backslash here is one backslash.

#include <string_view>

namespace zuv::math::msg {

inline constexpr std::string_view kCaretWithoutBase = "^ without a base";
inline constexpr std::string_view kUnderscoreWithoutBase = "_ without a base";
inline constexpr std::string_view kStrayAmpersand = "unexpected & outside environment";
inline constexpr std::string_view kStrayRowSeparator = "unexpected row separator \\\\";
inline constexpr std::string_view kUnexpectedEnd = "unexpected end of input";
inline constexpr std::string_view kExpectedGroup = "expected { but found something else";
inline constexpr std::string_view kUnmatchedBrace = "unmatched { \u2014 missing }";
inline constexpr std::string_view kTooDeep = "math nesting too deep";

// Followed by a backslash and the command's name.
inline constexpr std::string_view kUnknownCommand = "unknown command: ";
inline constexpr std::string_view kRightWithoutLeft = "\\right without matching \\left";
inline constexpr std::string_view kLeftWithoutRight = "\\left without matching \\right";

inline constexpr std::string_view kCommutativeDiagram =
    "commutative diagrams (\\begin{CD}) are not supported";
// Followed by the environment's name.
inline constexpr std::string_view kUnknownEnvironment = "unknown environment: ";

}  // namespace zuv::math::msg

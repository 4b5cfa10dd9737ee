#pragma once
// Expectations on parsed math as JSON text. In the expected text, `@` and one ASCII letter stand
// for that letter's ident: `@x` is {"type":"ident","value":"x"}.

#include <string>
#include <string_view>

#include "json_testing.h"
#include "zuv/dict_form.h"
#include "zuv/math.h"

namespace zuv::testing {

inline std::string expand_math_json(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool letter = i + 1 < text.size() && ((text[i + 1] >= 'a' && text[i + 1] <= 'z') ||
                                                (text[i + 1] >= 'A' && text[i + 1] <= 'Z'));
    if (c == '@' && letter) {
      out += R"({"type":"ident","value":")";
      out += text[++i];
      out += R"("})";
    } else {
      out += c;
    }
  }
  return out;
}

inline std::string math_json(std::string_view source) {
  return to_json_text(math_to_value(parse_math(source)));
}

struct MathCase {
  std::string_view source;
  std::string json;
};

template <size_t N>
void expect_math_cases(const MathCase (&cases)[N]) {
  for (const MathCase& c : cases) {
    EXPECT_EQ(math_json(c.source), compact_json(expand_math_json(c.json)))
        << "source: " << c.source;
  }
}

}  // namespace zuv::testing

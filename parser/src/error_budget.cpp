#include "error_budget.h"

#include "bytes.h"

namespace zuv::parser {

size_t ErrorTextBudget::keep(std::string_view s) {
  if (!keeps_texts_) return 0;
  size_t n = s.size();
  if (used_ > limit_) {
    if (used_ > 2 * limit_ && n > kClippedTextBytes) {
      n = kClippedTextBytes;
      // Never split a UTF-8 character.
      while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0u) == 0x80u) --n;
    }
    size_t lf = find_byte(s.substr(0, n), '\n', 0);
    if (lf != npos) n = lf + 1;
  }
  used_ += n;
  return n;
}

}  // namespace zuv::parser

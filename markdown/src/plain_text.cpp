#include "plain_text.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZUV_MARKDOWN_SSSE3 1
#include <immintrin.h>
#endif

namespace zuv::markdown {
namespace {

std::size_t skip_scalar(std::string_view text, std::size_t i) {
  while (i < text.size() && !kSpecialBytes[static_cast<unsigned char>(text[i])]) ++i;
  return i;
}

#ifdef ZUV_MARKDOWN_SSSE3

// Set membership by nibbles: the byte x is special when bit (x >> 4) of low_nibble[x & 15]
// is set. All special bytes are ASCII, so high nibbles 8 to 15 select no bit.
struct NibbleTables {
  alignas(16) std::uint8_t low[16] = {};
  alignas(16) std::uint8_t high[16] = {};
  constexpr NibbleTables() {
    for (const char* p = kSpecialChars; *p; ++p) {
      auto c = static_cast<unsigned char>(*p);
      low[c & 15] = static_cast<std::uint8_t>(low[c & 15] | (1u << (c >> 4)));
    }
    for (int h = 0; h < 8; ++h) high[h] = static_cast<std::uint8_t>(1u << h);
  }
};
constexpr NibbleTables kNibbles;

__attribute__((target("ssse3"))) std::size_t skip_ssse3(std::string_view text, std::size_t i) {
  const __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(kNibbles.low));
  const __m128i high = _mm_load_si128(reinterpret_cast<const __m128i*>(kNibbles.high));
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const char* p = text.data();
  const std::size_t n = text.size();
  for (; i + 16 <= n; i += 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i lo_bits = _mm_shuffle_epi8(low, _mm_and_si128(x, nibble));
    __m128i hi_bits = _mm_shuffle_epi8(high, _mm_and_si128(_mm_srli_epi16(x, 4), nibble));
    __m128i hit = _mm_cmpeq_epi8(_mm_and_si128(lo_bits, hi_bits), _mm_setzero_si128());
    auto mask = static_cast<unsigned>(~_mm_movemask_epi8(hit)) & 0xFFFFu;
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
  return skip_scalar(text, i);
}

const bool kHasSsse3 = __builtin_cpu_supports("ssse3");

#endif

}  // namespace

std::size_t skip_plain_text(std::string_view text, std::size_t from) {
#ifdef ZUV_MARKDOWN_SSSE3
  if (kHasSsse3) return skip_ssse3(text, from);
#endif
  return skip_scalar(text, from);
}

}  // namespace zuv::markdown

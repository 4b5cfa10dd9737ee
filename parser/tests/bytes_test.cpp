#include "bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace zuv::parser {
namespace {

// The sixteen-byte steps find what a byte-by-byte scan finds: markers at every place of a block
// and of the tail, from every start, and none at all.
TEST(FindAnyByte, AgreesWithAByteScan) {
  for (size_t len : {0, 1, 15, 16, 17, 31, 32, 33, 47}) {
    for (size_t at = 0; at <= len; ++at) {
      for (char marker : {'$', '@', 'x'}) {
        std::string text(len, 'a');
        if (at < len) text[at] = marker;
        if (len > 2) text[len / 2 - 1] = '\xe9';  // bytes above 0x7f match nothing
        const std::string_view view(text);
        for (size_t from = 0; from <= len; ++from) {
          size_t expected = view.find_first_of("$@", from);
          if (expected == npos) expected = len;
          ASSERT_EQ((find_any_byte<'$', '@'>(view, from)), expected)
              << "len " << len << " marker " << marker << " at " << at << " from " << from;
        }
      }
    }
  }
}

}  // namespace
}  // namespace zuv::parser

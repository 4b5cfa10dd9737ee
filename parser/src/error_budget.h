#pragma once
// The budget for the text that tag errors copy out of the input.
//
// A tag error keeps the source from the faulty place to the end of the text the reader was
// given, and the block scanner resumes on the next line, so a body of many faulty tag lines
// would copy the rest of the body once per line: a few hundred KB of input could ask for
// gigabytes. One budget serves a whole document parse (the pipeline makes it and passes it to
// every tag reader): while the texts copied so far stay within the larger of 1 MiB and the
// input's length, errors keep their full texts; ordinary documents never get further.
// Past that, an error's raw text (and its end), and any input text quoted in its message, stop
// at the end of the line on which they begin (the line of the `<` for faults of the tag itself),
// line feed included. Past twice the limit (many faults on one long line, as an HTML line can
// hold) they also stop after at most 256 bytes, so the total stays linear in the input.

#include <cstddef>
#include <string_view>

namespace zuv::parser {

class ErrorTextBudget {
 public:
  // The least budget, so that short documents with a few faults keep every text whole.
  static constexpr size_t kMinLimit = size_t{1} << 20;
  // What a text keeps at most once even line-long texts have used twice the limit.
  static constexpr size_t kClippedTextBytes = 256;

  explicit ErrorTextBudget(size_t input_length)
      : limit_(input_length > kMinLimit ? input_length : kMinLimit) {}

  // For readers whose errors are thrown away unseen (the scanner's search for a closing tag):
  // no text is kept and nothing is charged.
  static ErrorTextBudget discarding() {
    ErrorTextBudget b(0);
    b.keeps_texts_ = false;
    return b;
  }

  bool keeps_texts() const { return keeps_texts_; }
  size_t used() const { return used_; }
  size_t limit() const { return limit_; }

  // How many leading bytes of `s` an error may copy; charges them.
  size_t keep(std::string_view s);
  // `s` cut to what `keep` allows.
  std::string_view clip(std::string_view s) { return s.substr(0, keep(s)); }

 private:
  size_t limit_;
  size_t used_ = 0;
  bool keeps_texts_ = true;
};

}  // namespace zuv::parser

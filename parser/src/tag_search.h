#pragma once
// The forward searches of the tag readers over one text, remembered across tags.
//
// The values of a tag end far away when they end at all: a string at its closing quote, a
// variable or primitive at the first `}`, a JSON value at its closing `}}`; and a component
// opened in an HTML text ends at its closing text, if the text holds one. A body of many tag
// lines whose values never close would search to the end of the body once per line, and an HTML
// line of many opening tags once per tag. One cache per text (the scanner makes one per body,
// the Markdown bridge one per HTML text with a tag) answers every such search in amortised
// constant or logarithmic time; the answers are exactly those of a fresh search.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "bytes.h"

namespace zuv::parser {

// The closing `}}` of a JSON value whose text begins at `from` (just after its `{{`), searched
// directly: the index of the first `}` of the pair, or npos. Outside JSON strings `{` and `}`
// count depth; a `}` at depth 0 followed at once by `}` closes; a lone `}` at depth 0 is passed
// over.
size_t scan_json_close(std::string_view text, size_t from);

// Answers `scan_json_close` for many starts in one pass. Every start of a JSON value is just after
// a `={{`, so all of them are known in advance: one walk over the text follows the runs from all
// of them at once, grouped by their string state (outside, inside, just after a backslash) and
// by their depth, and records each run's closing index when it comes. Runs that reach the same
// state and depth are merged; merging goes small into large.
class JsonCloseFinder {
 public:
  explicit JsonCloseFinder(std::string_view text) : text_(text) {}
  JsonCloseFinder(const JsonCloseFinder&) = delete;
  JsonCloseFinder& operator=(const JsonCloseFinder&) = delete;
  ~JsonCloseFinder();

  // Starts must not go below the first one asked; others fall back to a direct scan.
  size_t find(size_t from);

 private:
  struct Lane {
    int64_t offset = 0;                             // depth = key + offset
    std::map<int64_t, std::vector<uint32_t>> runs;  // key -> ids of the runs at that depth
  };
  bool idle() const;    // no run is being followed
  size_t next_start();  // the first start of a JSON value at or after pos_, or npos
  void add_run(size_t start);
  void step();
  void merge_into(std::unique_ptr<Lane>& into, std::unique_ptr<Lane>& from);
  void close_brace(size_t at);

  std::string_view text_;
  bool started_ = false;
  size_t origin_ = 0;
  size_t pos_ = 0;  // next byte to walk
  bool next_start_known_ = false;
  size_t next_start_ = 0;
  std::vector<size_t> starts_;
  std::vector<size_t> answers_;
  std::unique_ptr<Lane> outside_, inside_, escaped_;
};

class TagSearchCache {
 public:
  explicit TagSearchCache(std::string_view text)
      : text_(text), brace_(text, '}'), double_quote_(text, '"', &find_closing_quote),
        single_quote_(text, '\'', &find_closing_quote) {}

  std::string_view text() const { return text_; }

  // The first `}` at or after `from`, or npos.
  size_t closing_brace(size_t from) { return brace_.find(from); }
  // The quote `q` that closes a quoted value whose content starts at `from`, or npos.
  size_t closing_quote(char q, size_t from) {
    return (q == '"' ? double_quote_ : single_quote_).find(from);
  }
  // As `scan_json_close`.
  size_t json_close(size_t from);
  // The first occurrence of the exact text `</name>` at or after `from`, or npos. `name` is a
  // component name (a capital letter, then name bytes).
  size_t closing_tag(std::string_view name, size_t from);

 private:
  // One closing text `</Name>` of the text: the index of its `<` and the length of its name.
  struct Closer {
    size_t at;
    size_t name_size;
  };
  std::string_view closer_name(const Closer& c) const {
    return text_.substr(c.at + 2, c.name_size);
  }

  std::string_view text_;
  ForwardSearch brace_;
  ForwardSearch double_quote_;
  ForwardSearch single_quote_;
  std::unique_ptr<JsonCloseFinder> json_;
  // Every closing text of the text, by name and then by place; indexed on the first search, as
  // an HTML line of many opening tags without closers would otherwise be searched to its end
  // once per tag.
  bool closers_indexed_ = false;
  std::vector<Closer> closers_;
};

}  // namespace zuv::parser

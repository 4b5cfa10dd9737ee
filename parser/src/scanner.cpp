// The block scanner's main loop visits each line once. Two searches look ahead: the closing
// line of a "$$" block, which is remembered (a line either closes math or not, whoever asks, so
// a body of "$$" lines without closers is searched once), and the closing tag of a component
// alone on its line, after which the scan resumes past the found block or stops at an unclosed
// one.

#include "scanner.h"

#include "bytes.h"
#include "messages.h"

namespace zuv::parser {

namespace {

bool is_label_byte(char c) { return is_name_byte(c) || c == '.' || c == ':' || c == '-'; }

class Scanner {
 public:
  Scanner(std::string_view text, size_t base, const SourceMap& source_map, ErrorTextBudget& budget)
      : text_(text), base_(base), map_(source_map), budget_(budget), cache_(text) {}

  std::vector<Segment> run() {
    const size_t n = text_.size();
    while (line_ < n) {
      const size_t p = skip_blanks(text_, line_);
      if (fence_line(p)) {
        line_ = line_after(text_, line_);
        continue;
      }
      if (in_fence_) {
        line_ = line_after(text_, line_);
        continue;
      }
      if (p + 1 < n && text_[p] == '$' && text_[p + 1] == '$' && math_block(p)) continue;
      if (p + 1 < n && text_[p] == '<') {
        if (is_ascii_upper(text_[p + 1])) {
          if (component(p)) continue;
        } else if (text_[p + 1] == '/' && p + 2 < n && is_ascii_upper(text_[p + 2]) &&
                   stray_close(p)) {
          continue;
        }
      }
      line_ = line_after(text_, line_);
    }
    if (!stopped_ && pending_ < n) {
      segments_.push_back(Segment{Segment::Markdown{base_ + pending_, base_ + n}});
    }
    return std::move(segments_);
  }

 private:
  void emit(Segment segment, size_t resume) {
    if (pending_ < line_) {
      segments_.push_back(Segment{Segment::Markdown{base_ + pending_, base_ + line_}});
    }
    segments_.push_back(std::move(segment));
    line_ = pending_ = resume;
  }

  // Handles a fence line, entering or leaving fenced code; false when the line is none.
  bool fence_line(size_t p) {
    if (p >= text_.size() || (text_[p] != '`' && text_[p] != '~')) return false;
    const char c = text_[p];
    size_t run = 0;
    while (p + run < text_.size() && text_[p + run] == c) ++run;
    if (run < 3) return false;
    if (!in_fence_) {
      in_fence_ = true;
      fence_char_ = c;
      fence_len_ = run;
    } else if (c == fence_char_ && run >= fence_len_ && rest_of_line_empty(text_, p + run)) {
      in_fence_ = false;
    }
    return true;
  }

  // The first line at or after the line start `from` whose first non-blank bytes are "$$" with
  // nothing after them, or npos.
  size_t math_closing_line(size_t from) {
    if (closer_searched_ && from >= closer_from_ &&
        (closer_found_ == npos || from <= closer_found_)) {
      return closer_found_;
    }
    closer_searched_ = true;
    closer_from_ = from;
    closer_found_ = npos;
    for (size_t l = from; l < text_.size(); l = line_after(text_, l)) {
      size_t q = skip_blanks(text_, l);
      if (q + 1 < text_.size() && text_[q] == '$' && text_[q + 1] == '$' &&
          rest_of_line_empty(text_, q + 2)) {
        closer_found_ = l;
        break;
      }
    }
    return closer_found_;
  }

  bool math_block(size_t p) {
    const size_t n = text_.size();
    size_t after = p + 2;
    std::optional<std::string> label;
    size_t q = skip_blanks(text_, after);
    if (q + 1 < n && text_[q] == '{' && text_[q + 1] == '#') {
      size_t r = q + 2;
      if (r >= n || !(is_ascii_alpha(text_[r]) || text_[r] == '_')) return false;
      ++r;
      while (r < n && is_label_byte(text_[r])) ++r;
      if (r >= n || text_[r] != '}') return false;
      label = std::string(text_.substr(q + 2, r - q - 2));
      after = r + 1;
    }
    if (!rest_of_line_empty(text_, after)) return false;
    size_t lf = find_byte(text_, '\n', after);
    if (lf == npos || lf + 1 >= n) return false;
    const size_t content_start = lf + 1;
    size_t closing = math_closing_line(content_start);
    if (closing == npos) return false;
    size_t block_end = skip_blanks(text_, closing) + 2;
    emit(Segment{Segment::MathBlock{base_ + p, std::move(label), base_ + content_start,
                                    base_ + closing, base_ + block_end}},
         line_after(text_, block_end));
    return true;
  }

  struct Closing {
    size_t line;  // start of the closing line
    size_t end;   // just after the closing tag's `>`
  };

  // The line that closes a component opened alone on its line, counting nested openings of the
  // same name; nothing else (fences, math, other names) is tracked.
  std::optional<Closing> closing_line(std::string_view name, size_t from) {
    const size_t n = text_.size();
    // Tags read here only count nesting, and their faults are dropped unseen.
    ErrorTextBudget discard = ErrorTextBudget::discarding();
    size_t depth = 1;
    for (size_t l = from; l < n; l = line_after(text_, l)) {
      size_t q = skip_blanks(text_, l);
      if (q + 2 >= n || text_[q] != '<') continue;
      if (text_[q + 1] == '/') {
        if (!is_ascii_upper(text_[q + 2])) continue;
        std::optional<CloseTag> close = parse_close_tag(text_, q);
        if (close && close->name == name && rest_of_line_empty(text_, close->end) && --depth == 0) {
          return Closing{l, close->end};
        }
      } else if (is_ascii_upper(text_[q + 1])) {
        // Only a tag of the same name can count, so others are not read at all.
        size_t name_end = q + 1;
        while (name_end < n && is_name_byte(text_[name_end])) ++name_end;
        if (text_.substr(q + 1, name_end - q - 1) != name) continue;
        OpenTagResult open = parse_open_tag(text_, q, base_, map_, discard, &cache_);
        if (auto* tag = std::get_if<OpenTag>(&open);
            tag && !tag->self_closing && rest_of_line_empty(text_, tag->end_in_text)) {
          ++depth;
        }
      }
    }
    return std::nullopt;
  }

  // Returns true when a segment was emitted; sets `stopped_` when the rest of the body went into
  // an unclosed tag's error.
  bool component(size_t p) {
    OpenTagResult result = parse_open_tag(text_, p, base_, map_, budget_, &cache_);
    if (auto* error = std::get_if<TagError>(&result)) {
      emit(Segment{Segment::Error{std::move(error->message), std::move(error->raw), error->start,
                                  error->end}},
           line_after(text_, p));
      return true;
    }
    auto* tag = std::get_if<OpenTag>(&result);
    if (tag == nullptr) return false;
    const size_t e = tag->end_in_text;
    if (rest_of_line_empty(text_, e)) {
      if (tag->self_closing) {
        emit(Segment{Segment::SelfClosing{std::move(*tag)}}, line_after(text_, e));
        return true;
      }
      const size_t body_start = line_after(text_, e);
      if (std::optional<Closing> closing = closing_line(tag->name, body_start)) {
        emit(Segment{Segment::Component{std::move(*tag), base_ + body_start, base_ + closing->line,
                                        base_ + closing->end}},
             line_after(text_, closing->end));
        return true;
      }
      std::string message = messages::unclosed_tag(tag->name);
      std::string_view raw = budget_.clip(text_.substr(p));
      emit(Segment{Segment::Error{std::move(message), std::string(raw), base_ + p,
                                  base_ + p + raw.size()}},
           text_.size());
      stopped_ = true;
      return true;
    }
    if (tag->self_closing) return false;
    // The closing tag on the opening line: exactly "</Name>", the first occurrence only.
    const std::string closing_text = "</" + tag->name + ">";
    std::string_view rest = text_.substr(e, line_end(text_, e) - e);
    size_t k = rest.find(closing_text);
    if (k == npos) return false;
    const size_t body_end = e + k;
    const size_t block_end = body_end + closing_text.size();
    if (!rest_of_line_empty(text_, block_end)) return false;
    emit(Segment{Segment::Component{std::move(*tag), base_ + e, base_ + body_end,
                                    base_ + block_end}},
         line_after(text_, block_end));
    return true;
  }

  bool stray_close(size_t p) {
    std::optional<CloseTag> close = parse_close_tag(text_, p);
    if (!close || !rest_of_line_empty(text_, close->end)) return false;
    emit(Segment{Segment::Error{messages::unexpected_closing_tag(close->name),
                                std::string(text_.substr(p, close->end - p)), base_ + p,
                                base_ + close->end}},
         line_after(text_, close->end));
    return true;
  }

  std::string_view text_;
  size_t base_;
  const SourceMap& map_;
  ErrorTextBudget& budget_;
  TagSearchCache cache_;
  std::vector<Segment> segments_;
  size_t line_ = 0;
  size_t pending_ = 0;
  bool in_fence_ = false;
  char fence_char_ = 0;
  size_t fence_len_ = 0;
  bool stopped_ = false;
  bool closer_searched_ = false;
  size_t closer_from_ = 0;
  size_t closer_found_ = npos;
};

}  // namespace

std::vector<Segment> scan_blocks(std::string_view text, size_t base, const SourceMap& source_map,
                                 ErrorTextBudget& budget) {
  return Scanner(text, base, source_map, budget).run();
}

}  // namespace zuv::parser

#include "tag_search.h"

#include <algorithm>
#include <utility>

namespace zuv::parser {

size_t scan_json_close(std::string_view text, size_t from) {
  size_t depth = 0;
  bool in_string = false;
  bool escape = false;
  for (size_t i = from; i < text.size(); ++i) {
    char c = text[i];
    if (in_string) {
      if (escape) {
        escape = false;
      } else if (c == '\\') {
        escape = true;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (depth > 0) {
        --depth;
      } else if (i + 1 < text.size() && text[i + 1] == '}') {
        return i;
      }
    }
  }
  return npos;
}

namespace {

constexpr size_t kUnresolved = npos - 1;

bool is_json_start(std::string_view text, size_t i) {
  return i >= 3 && text[i - 3] == '=' && text[i - 2] == '{' && text[i - 1] == '{';
}

void append_ids(std::vector<uint32_t>& into, std::vector<uint32_t>& from) {
  if (into.size() < from.size()) std::swap(into, from);
  into.insert(into.end(), from.begin(), from.end());
  from.clear();
}

}  // namespace

JsonCloseFinder::~JsonCloseFinder() = default;

size_t JsonCloseFinder::find(size_t from) {
  if (!started_) {
    started_ = true;
    origin_ = from;
    pos_ = from;
    outside_ = std::make_unique<Lane>();
    inside_ = std::make_unique<Lane>();
    escaped_ = std::make_unique<Lane>();
  }
  if (from < origin_) return scan_json_close(text_, from);
  while (pos_ < from) {
    if (idle()) {
      // With no run to follow, the bytes before the next `={{` change nothing.
      pos_ = std::min(from, next_start());
      if (pos_ == from) break;
    }
    step();
  }
  if (pos_ == from && (starts_.empty() || starts_.back() != from)) add_run(from);
  auto it = std::lower_bound(starts_.begin(), starts_.end(), from);
  if (it == starts_.end() || *it != from) return scan_json_close(text_, from);
  size_t id = static_cast<size_t>(it - starts_.begin());
  while (answers_[id] == kUnresolved && pos_ < text_.size()) step();
  return answers_[id] == kUnresolved ? npos : answers_[id];
}

bool JsonCloseFinder::idle() const {
  return outside_->runs.empty() && inside_->runs.empty() && escaped_->runs.empty();
}

size_t JsonCloseFinder::next_start() {
  if (!next_start_known_ || next_start_ < pos_) {
    next_start_known_ = true;
    size_t at = text_.find("={{", pos_ < 3 ? 0 : pos_ - 3);
    next_start_ = at == npos ? npos : at + 3;
  }
  return next_start_;
}

void JsonCloseFinder::add_run(size_t start) {
  auto id = static_cast<uint32_t>(starts_.size());
  starts_.push_back(start);
  answers_.push_back(kUnresolved);
  outside_->runs[-outside_->offset].push_back(id);  // depth 0
}

void JsonCloseFinder::merge_into(std::unique_ptr<Lane>& into, std::unique_ptr<Lane>& from) {
  if (from->runs.empty()) return;
  if (into->runs.size() < from->runs.size()) std::swap(into, from);
  for (auto& [key, ids] : from->runs) {
    append_ids(into->runs[key + from->offset - into->offset], ids);
  }
  from->runs.clear();
  from->offset = 0;
}

void JsonCloseFinder::close_brace(size_t at) {
  Lane& lane = *outside_;
  auto first = lane.runs.begin();
  if (first == lane.runs.end() || first->first + lane.offset != 0) {
    --lane.offset;  // every run is deeper than 0
    return;
  }
  std::vector<uint32_t> zero = std::move(first->second);
  lane.runs.erase(first);
  --lane.offset;
  if (at + 1 < text_.size() && text_[at + 1] == '}') {
    for (uint32_t id : zero) answers_[id] = at;
    return;
  }
  // A lone `}` at depth 0 leaves those runs at 0, where the runs one deeper now join them.
  append_ids(lane.runs[-lane.offset], zero);
}

void JsonCloseFinder::step() {
  size_t i = pos_++;
  if ((starts_.empty() || starts_.back() != i) && is_json_start(text_, i)) add_run(i);
  char c = text_[i];
  if (c == '"') {
    // outside -> inside, inside -> outside, escaped -> inside
    std::swap(outside_, inside_);
    merge_into(inside_, escaped_);
  } else if (c == '\\') {
    std::swap(inside_, escaped_);  // outside stays; inside -> escaped -> inside
  } else {
    if (c == '{') {
      ++outside_->offset;
    } else if (c == '}') {
      close_brace(i);
    }
    merge_into(inside_, escaped_);
  }
}

size_t TagSearchCache::json_close(size_t from) {
  if (!json_) json_ = std::make_unique<JsonCloseFinder>(text_);
  return json_->find(from);
}

size_t TagSearchCache::closing_tag(std::string_view name, size_t from) {
  if (!closers_indexed_) {
    closers_indexed_ = true;
    // A name holds no `>`, so the text `</Name>` stands exactly where a `</` is followed by a
    // capital letter, a maximal run of name bytes and then `>`.
    for (size_t at = find_byte(text_, '<', 0); at != npos; at = find_byte(text_, '<', at + 1)) {
      if (at + 2 >= text_.size() || text_[at + 1] != '/' || !is_ascii_upper(text_[at + 2])) {
        continue;
      }
      size_t end = at + 3;
      while (end < text_.size() && is_name_byte(text_[end])) ++end;
      if (end < text_.size() && text_[end] == '>') closers_.push_back({at, end - at - 2});
    }
    std::sort(closers_.begin(), closers_.end(), [&](const Closer& a, const Closer& b) {
      return std::pair{closer_name(a), a.at} < std::pair{closer_name(b), b.at};
    });
  }
  using Key = std::pair<std::string_view, size_t>;
  auto first = std::lower_bound(closers_.begin(), closers_.end(), Key{name, from},
                                [&](const Closer& c, const Key& key) {
                                  return Key{closer_name(c), c.at} < key;
                                });
  if (first == closers_.end() || closer_name(*first) != name) return npos;
  return first->at;
}

}  // namespace zuv::parser

#pragma once
// Test-only: JSON text into a `JsonValue`, as the Python conversion would build it (integers
// from 0 up unsigned, negative ones signed, the rest and every number with a fraction or an
// exponent float; a repeated key replaces the earlier value). Returns nothing for text that is
// not JSON, for numbers without a finite float form, and past `max_depth` arrays and objects.

#include <charconv>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "zuv/json.h"

namespace zuv::testing {

class JsonTextReader {
 public:
  JsonTextReader(std::string_view text, size_t max_depth) : s_(text), max_depth_(max_depth) {}

  std::optional<JsonValue> read_document() {
    auto v = read_value(0);
    skip_ws();
    if (!v || i_ != s_.size()) return std::nullopt;
    return v;
  }

 private:
  void skip_ws() {
    while (i_ < s_.size() && std::string_view(" \n\t\r").find(s_[i_]) != std::string_view::npos) {
      ++i_;
    }
  }
  bool eat(char c) {
    skip_ws();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  bool word(std::string_view w) {
    if (s_.substr(i_, w.size()) != w) return false;
    i_ += w.size();
    return true;
  }

  std::optional<JsonValue> read_value(size_t depth) {
    skip_ws();
    if (i_ >= s_.size()) return std::nullopt;
    const char c = s_[i_];
    if (c == '{' || c == '[') {
      if (depth >= max_depth_) return std::nullopt;
      ++i_;
      return c == '{' ? read_object(depth + 1) : read_array(depth + 1);
    }
    if (c == '"') {
      auto str = read_string();
      if (!str) return std::nullopt;
      return JsonValue::make_string(std::move(*str));
    }
    if (word("null")) return JsonValue();
    if (word("true")) return JsonValue::make_bool(true);
    if (word("false")) return JsonValue::make_bool(false);
    return read_number();
  }

  std::optional<JsonValue> read_array(size_t depth) {
    JsonArray a;
    if (eat(']')) return JsonValue::make_array(std::move(a));
    do {
      auto v = read_value(depth);
      if (!v) return std::nullopt;
      a.push_back(std::move(*v));
    } while (eat(','));
    if (!eat(']')) return std::nullopt;
    return JsonValue::make_array(std::move(a));
  }

  std::optional<JsonValue> read_object(size_t depth) {
    JsonObject o;
    if (eat('}')) return JsonValue::make_object(std::move(o));
    do {
      skip_ws();
      if (i_ >= s_.size() || s_[i_] != '"') return std::nullopt;
      auto key = read_string();
      if (!key || !eat(':')) return std::nullopt;
      auto v = read_value(depth);
      if (!v) return std::nullopt;
      o.insert(JsonKey(std::move(*key)), std::move(*v));
    } while (eat(','));
    if (!eat('}')) return std::nullopt;
    return JsonValue::make_object(std::move(o));
  }

  std::optional<unsigned> hex4() {
    if (i_ + 4 > s_.size()) return std::nullopt;
    unsigned v = 0;
    auto res = std::from_chars(s_.data() + i_, s_.data() + i_ + 4, v, 16);
    if (res.ptr != s_.data() + i_ + 4) return std::nullopt;
    i_ += 4;
    return v;
  }

  static void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }

  std::optional<std::string> read_string() {
    ++i_;  // the opening quotation mark
    std::string out;
    while (i_ < s_.size() && s_[i_] != '"') {
      const char c = s_[i_++];
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (i_ >= s_.size()) return std::nullopt;
      const char e = s_[i_++];
      switch (e) {
        case '"': out.push_back('"'); break;
        case '\\': out.push_back('\\'); break;
        case '/': out.push_back('/'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'u': {
          auto hi = hex4();
          if (!hi) return std::nullopt;
          char32_t cp = *hi;
          if (cp >= 0xD800 && cp < 0xDC00 && word("\\u")) {
            auto lo = hex4();
            if (!lo || *lo < 0xDC00 || *lo >= 0xE000) return std::nullopt;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (*lo - 0xDC00);
          }
          append_utf8(out, cp);
          break;
        }
        default: return std::nullopt;
      }
    }
    if (i_ >= s_.size()) return std::nullopt;
    ++i_;
    return out;
  }

  std::optional<JsonValue> read_number() {
    const size_t start = i_;
    bool integral = true;
    if (i_ < s_.size() && s_[i_] == '-') ++i_;
    const size_t digits = i_;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
    if (i_ == digits) return std::nullopt;
    if (i_ < s_.size() && s_[i_] == '.') {
      integral = false;
      ++i_;
      while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      integral = false;
      ++i_;
      if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
    }
    const std::string_view text = s_.substr(start, i_ - start);
    if (integral) {
      if (text[0] == '-') {
        int64_t v = 0;
        auto res = std::from_chars(text.data(), text.data() + text.size(), v);
        if (res.ec == std::errc() && res.ptr == text.data() + text.size()) {
          return JsonValue::make_i64(v);
        }
      } else {
        uint64_t v = 0;
        auto res = std::from_chars(text.data(), text.data() + text.size(), v);
        if (res.ec == std::errc() && res.ptr == text.data() + text.size()) {
          return JsonValue::make_u64(v);
        }
      }
    }
    const std::string owned(text);
    char* end = nullptr;
    const double f = std::strtod(owned.c_str(), &end);
    if (end != owned.c_str() + owned.size()) return std::nullopt;
    JsonValue v = JsonValue::make_f64(f);
    if (v.is_null()) return std::nullopt;  // out of range
    return v;
  }

  std::string_view s_;
  size_t i_ = 0;
  size_t max_depth_;
};

inline std::optional<JsonValue> json_from_text(std::string_view text, size_t max_depth = 4096) {
  return JsonTextReader(text, max_depth).read_document();
}

}  // namespace zuv::testing

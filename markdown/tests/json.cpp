#include "json.h"

#include <cstdlib>

namespace zuv::markdown::testing {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : s_(text) {}

  std::optional<Json> document() {
    auto v = value();
    skip_ws();
    if (!v || i_ != s_.size()) return std::nullopt;
    return v;
  }

 private:
  void skip_ws() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
  }
  bool eat(char c) {
    skip_ws();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  bool literal(std::string_view word) {
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }

  std::optional<Json> value() {
    skip_ws();
    if (i_ >= s_.size()) return std::nullopt;
    char c = s_[i_];
    if (c == '{') return object();
    if (c == '[') return array();
    if (c == '"') {
      auto str = string();
      if (!str) return std::nullopt;
      return Json{std::move(*str)};
    }
    if (literal("null")) return Json{nullptr};
    if (literal("true")) return Json{true};
    if (literal("false")) return Json{false};
    if (c == '-' || (c >= '0' && c <= '9')) {
      std::size_t start = i_;
      if (c == '-') ++i_;
      while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
      return Json{std::strtoll(std::string(s_.substr(start, i_ - start)).c_str(), nullptr, 10)};
    }
    return std::nullopt;
  }

  std::optional<Json> object() {
    ++i_;
    JsonObject obj;
    if (eat('}')) return Json{std::move(obj)};
    do {
      skip_ws();
      auto key = string();
      if (!key || !eat(':')) return std::nullopt;
      auto v = value();
      if (!v) return std::nullopt;
      obj.insert_or_assign(std::move(*key), std::move(*v));
    } while (eat(','));
    if (!eat('}')) return std::nullopt;
    return Json{std::move(obj)};
  }

  std::optional<Json> array() {
    ++i_;
    JsonArray arr;
    if (eat(']')) return Json{std::move(arr)};
    do {
      auto v = value();
      if (!v) return std::nullopt;
      arr.push_back(std::move(*v));
    } while (eat(','));
    if (!eat(']')) return std::nullopt;
    return Json{std::move(arr)};
  }

  static void put_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::optional<std::uint32_t> hex4() {
    if (i_ + 4 > s_.size()) return std::nullopt;
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
      char h = s_[i_++];
      v <<= 4;
      if (h >= '0' && h <= '9') v |= static_cast<std::uint32_t>(h - '0');
      else if (h >= 'a' && h <= 'f') v |= static_cast<std::uint32_t>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') v |= static_cast<std::uint32_t>(h - 'A' + 10);
      else return std::nullopt;
    }
    return v;
  }

  std::optional<std::string> string() {
    if (i_ >= s_.size() || s_[i_] != '"') return std::nullopt;
    ++i_;
    std::string out;
    while (i_ < s_.size()) {
      char c = s_[i_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) return std::nullopt;
      char e = s_[i_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          auto cp = hex4();
          if (!cp) return std::nullopt;
          if (*cp >= 0xD800 && *cp < 0xDC00 && s_.substr(i_, 2) == "\\u") {
            i_ += 2;
            auto lo = hex4();
            if (!lo) return std::nullopt;
            *cp = 0x10000 + ((*cp - 0xD800) << 10) + (*lo - 0xDC00);
          }
          put_utf8(out, *cp);
          break;
        }
        default:
          return std::nullopt;
      }
    }
    return std::nullopt;
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

void write(std::string& out, const Json& v);

void write_string(std::string& out, const std::string& s) {
  out += '"';
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      static const char* hex = "0123456789abcdef";
      out += "\\u00";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

void write(std::string& out, const Json& v) {
  struct Visitor {
    std::string& out;
    void operator()(std::nullptr_t) { out += "null"; }
    void operator()(bool b) { out += b ? "true" : "false"; }
    void operator()(std::int64_t n) { out += std::to_string(n); }
    void operator()(const std::string& s) { write_string(out, s); }
    void operator()(const JsonArray& a) {
      out += '[';
      for (std::size_t i = 0; i < a.size(); ++i) {
        if (i) out += ',';
        write(out, a[i]);
      }
      out += ']';
    }
    void operator()(const JsonObject& o) {
      out += '{';
      bool first = true;
      for (const auto& [k, val] : o) {
        if (!first) out += ',';
        first = false;
        write_string(out, k);
        out += ':';
        write(out, val);
      }
      out += '}';
    }
  };
  std::visit(Visitor{out}, v.value);
}

}  // namespace

const Json* Json::find(std::string_view key) const {
  const auto* obj = std::get_if<JsonObject>(&value);
  if (!obj) return nullptr;
  auto it = obj->find(key);
  return it == obj->end() ? nullptr : &it->second;
}

std::optional<Json> parse_json(std::string_view text) { return Reader(text).document(); }

std::string to_string(const Json& value) {
  std::string out;
  write(out, value);
  return out;
}

}  // namespace zuv::markdown::testing

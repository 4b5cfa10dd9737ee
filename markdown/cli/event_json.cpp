#include "event_json.h"

#include <cstdio>

namespace zuv::markdown {
namespace {

// Length of the well-formed UTF-8 sequence at `i`, or 0.
std::size_t utf8_length(std::string_view s, std::size_t i) {
  auto b = static_cast<unsigned char>(s[i]);
  std::size_t n;
  unsigned char lo = 0x80;
  unsigned char hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  auto second = static_cast<unsigned char>(s[i + 1]);
  if (second < lo || second > hi) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    auto c = static_cast<unsigned char>(s[i + k]);
    if (c < 0x80 || c > 0xBF) return 0;
  }
  return n;
}

void append_key(std::string& out, std::string_view key) {
  out += ",\"";
  out += key;
  out += "\":";
}

void append_number(std::string& out, std::uint64_t n) { out += std::to_string(n); }

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      std::size_t n = utf8_length(text, i);
      if (n == 0) {
        out += "\xEF\xBF\xBD";
        ++i;
      } else {
        out.append(text.substr(i, n));
        i += n;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  out += '"';
}

void append_json(std::string& out, const Event& ev, const Events& events) {
  out += "{\"ev\":\"";
  out += name_of(ev.kind);
  out += '"';
  switch (ev.kind) {
    case EventKind::Start:
    case EventKind::End:
      append_key(out, "tag");
      append_json_string(out, name_of(ev.tag));
      if (ev.kind == EventKind::End) break;
      switch (ev.tag) {
        case Tag::Heading:
          append_key(out, "level");
          append_number(out, ev.level);
          append_key(out, "id");
          out += "null";
          break;
        case Tag::BlockQuote:
          append_key(out, "kind");
          out += "null";
          break;
        case Tag::CodeBlock:
          append_key(out, "kind");
          out += ev.fenced ? "\"fenced\"" : "\"indented\"";
          if (ev.fenced) {
            append_key(out, "info");
            append_json_string(out, ev.text);
          }
          break;
        case Tag::List:
          append_key(out, "start");
          if (ev.ordered) {
            append_number(out, ev.start_number);
          } else {
            out += "null";
          }
          break;
        case Tag::FootnoteDefinition:
          append_key(out, "label");
          append_json_string(out, ev.text);
          break;
        case Tag::Link:
        case Tag::Image:
          append_key(out, "link_type");
          append_json_string(out, name_of(ev.link_type));
          append_key(out, "dest_url");
          append_json_string(out, ev.text);
          append_key(out, "title");
          append_json_string(out, events.title_of(ev));
          append_key(out, "id");
          append_json_string(out, events.id_of(ev));
          break;
        case Tag::Table: {
          append_key(out, "alignments");
          out += '[';
          bool first = true;
          for (Alignment a : events.alignments_of(ev)) {
            if (!first) out += ',';
            first = false;
            append_json_string(out, name_of(a));
          }
          out += ']';
          break;
        }
        default: break;
      }
      break;
    case EventKind::Text:
    case EventKind::Code:
    case EventKind::Html:
    case EventKind::InlineHtml:
      append_key(out, "text");
      append_json_string(out, ev.text);
      break;
    case EventKind::FootnoteReference:
      append_key(out, "label");
      append_json_string(out, ev.text);
      break;
    case EventKind::TaskListMarker:
      append_key(out, "checked");
      out += ev.checked ? "true" : "false";
      break;
    case EventKind::SoftBreak:
    case EventKind::HardBreak:
    case EventKind::Rule: break;
  }
  append_key(out, "r");
  out += '[';
  append_number(out, ev.start);
  out += ',';
  append_number(out, ev.end);
  out += "]}";
}

}  // namespace zuv::markdown

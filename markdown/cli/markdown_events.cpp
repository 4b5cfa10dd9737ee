// markdown-events: reads Markdown on standard input and writes its events, one JSON object a
// line, with the byte range of every event ("r": [start, end)).
#include <cstdio>
#include <string>

#include "event_json.h"
#include "zuv/markdown.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    std::fprintf(stderr, "usage: %s < input.md\n", argv[0]);
    return 2;
  }
  std::string input;
  char buf[1 << 16];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, stdin)) > 0;) input.append(buf, n);
  zuv::markdown::Events events = zuv::markdown::parse_events(input);
  std::string out;
  for (const zuv::markdown::Event& ev : events.events) {
    zuv::markdown::append_json(out, ev, events);
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

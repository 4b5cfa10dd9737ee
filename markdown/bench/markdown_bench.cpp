// Throughput of the Markdown engine alone: events produced, nothing printed.
//
//   markdown_bench [--runs N] [--reused-only] FILE...
//   markdown_bench [--runs N] [--reused-only] --pathological [SIZE] [--only NAME]
//
//   markdown_bench --list | --dump NAME SIZE
//
// FILE...: each file; --pathological: each hostile input of tests/pathological.cpp built at
// SIZE bytes (default 10^6), or only the one named. --list prints the names of the hostile
// inputs, --dump writes one of them to standard output (for bench/hostile.py).
//
// Prints one line per input: name, size, events, median MB/s over the runs (1 MB = 10^6 bytes,
// over the thread's CPU time) with a fresh Events per parse, and the same when one Events is
// reused for every parse.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "../tests/pathological.h"
#include "zuv/markdown.h"

namespace {

// CPU time of this thread (user and system): on a shared machine it leaves out the time the
// thread waited for a core, which wall-clock time would charge to the engine.
double thread_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Median MB/s; `reuse` parses into one Events object, else each parse makes a fresh one.
double median_mb_per_s(const std::string& input, int runs, bool reuse, std::size_t& events) {
  std::vector<double> seconds;
  zuv::markdown::Events reused;
  // Repeat small inputs inside one timed run so the clock has something to measure, but not
  // inputs that are slow already (a hostile one may take seconds).
  const double before = thread_seconds();
  zuv::markdown::parse_events(input, reused);
  const double once = thread_seconds() - before;
  int inner = static_cast<int>(std::max<std::size_t>(1, (1u << 20) / (input.size() + 1)));
  if (once * inner > 0.05) inner = std::max(1, static_cast<int>(0.05 / once));
  for (int r = 0; r < runs; ++r) {
    double t0 = thread_seconds();
    for (int i = 0; i < inner; ++i) {
      if (reuse) {
        zuv::markdown::parse_events(input, reused);
        events = reused.events.size();
      } else {
        zuv::markdown::Events ev = zuv::markdown::parse_events(input);
        events = ev.events.size();
      }
    }
    seconds.push_back((thread_seconds() - t0) / inner);
  }
  std::sort(seconds.begin(), seconds.end());
  return static_cast<double>(input.size()) / 1e6 / seconds[seconds.size() / 2];
}

bool g_reused_only = false;

void report(const std::string& name, const std::string& input, int runs) {
  std::size_t events = 0;
  double fresh = g_reused_only ? 0.0 : median_mb_per_s(input, runs, false, events);
  double reused = median_mb_per_s(input, runs, true, events);
  std::printf("%-36s %10zu %9zu %9.4g %9.4g\n", name.c_str(), input.size(), events, fresh, reused);
  std::fflush(stdout);
}

void header() {
  std::printf("%-36s %10s %9s %9s %9s\n", "input", "bytes", "events", "MB/s", "reused");
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 7;
  std::vector<std::string> files;
  bool pathological = false;
  std::string only;
  std::size_t size = 1000 * 1000;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (arg == "--reused-only") {
      g_reused_only = true;
    } else if (arg == "--only" && i + 1 < argc) {
      only = argv[++i];
    } else if (arg == "--list") {
      for (const auto& c : zuv::markdown::testing::pathological_cases()) {
        std::printf("%s\n", c.name);
      }
      return 0;
    } else if (arg == "--dump" && i + 2 < argc) {
      std::string name = argv[++i];
      std::size_t dump_size = std::strtoul(argv[++i], nullptr, 10);
      for (const auto& c : zuv::markdown::testing::pathological_cases()) {
        if (name != c.name) continue;
        std::string input = c.make(dump_size);
        std::fwrite(input.data(), 1, input.size(), stdout);
        return 0;
      }
      std::fprintf(stderr, "no hostile input named %s\n", name.c_str());
      return 1;
    } else if (arg == "--pathological") {
      pathological = true;
      if (i + 1 < argc && argv[i + 1][0] != '-') size = std::strtoul(argv[++i], nullptr, 10);
    } else {
      files.push_back(arg);
    }
  }
  header();
  for (const std::string& path : files) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return 1;
    }
    std::string input;
    char buf[1 << 16];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) input.append(buf, n);
    std::fclose(f);
    std::string name = path.substr(path.find_last_of('/') + 1);
    report(name, input, runs);
  }
  if (pathological) {
    for (const auto& c : zuv::markdown::testing::pathological_cases()) {
      if (only.empty() || only == c.name) report(c.name, c.make(size), runs);
    }
  }
  return 0;
}

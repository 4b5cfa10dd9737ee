// Throughput of the Markdown engine alone: events produced, nothing printed.
//
//   markdown_bench [--runs N] [--reused-only] FILE...
//   markdown_bench [--runs N] [--reused-only] --pathological [SIZE] [--only NAME]
//
// FILE...: each file; --pathological: each hostile input of tests/pathological.cpp built at
// SIZE bytes (default 10^6), or only the one named.
//
// Prints one line per input: name, size, events, median MB/s over the runs (1 MB = 10^6 bytes)
// with a fresh Events per parse, and the same when one Events is reused for every parse.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../tests/pathological.h"
#include "zuv/markdown.h"

namespace {

// Median MB/s; `reuse` parses into one Events object, else each parse makes a fresh one.
double median_mb_per_s(const std::string& input, int runs, bool reuse, std::size_t& events) {
  std::vector<double> seconds;
  // Repeat small inputs inside one timed run so the clock has something to measure.
  const int inner = static_cast<int>(std::max<std::size_t>(1, (1u << 20) / (input.size() + 1)));
  zuv::markdown::Events reused;
  for (int r = 0; r < runs; ++r) {
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < inner; ++i) {
      if (reuse) {
        zuv::markdown::parse_events(input, reused);
        events = reused.events.size();
      } else {
        zuv::markdown::Events ev = zuv::markdown::parse_events(input);
        events = ev.events.size();
      }
    }
    auto t1 = std::chrono::steady_clock::now();
    seconds.push_back(std::chrono::duration<double>(t1 - t0).count() / inner);
  }
  std::sort(seconds.begin(), seconds.end());
  return static_cast<double>(input.size()) / 1e6 / seconds[seconds.size() / 2];
}

bool g_reused_only = false;

void report(const std::string& name, const std::string& input, int runs) {
  std::size_t events = 0;
  double fresh = g_reused_only ? 0.0 : median_mb_per_s(input, runs, false, events);
  double reused = median_mb_per_s(input, runs, true, events);
  std::printf("%-36s %10zu %9zu %9.1f %9.1f\n", name.c_str(), input.size(), events, fresh, reused);
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
    } else if (arg == "--pathological") {
      pathological = true;
      if (i + 1 < argc && argv[i + 1][0] != '-') size = std::strtoul(argv[++i], nullptr, 10);
    } else {
      files.push_back(arg);
    }
  }
  header();
  for (const std::string& path : files) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return 1;
    }
    std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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

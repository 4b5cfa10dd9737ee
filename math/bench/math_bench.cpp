// Throughput of the math parser: MB/s of math source, median of several runs.
//
//   math_bench [--runs N] [--files-only] FILE...
//
// Each FILE holds expressions separated by NUL bytes.
//
// After the files (unless --files-only) it times hostile nesting (each construct 100,000 levels
// deep) and one construct at growing depths, whose flat figures show that the parse stays
// linear.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "repeat.h"
#include "zuv/math.h"

namespace {

using zuv::testing::repeat_n;
using Clock = std::chrono::steady_clock;

// Median MB/s of parsing every expression once per run; each run lasts at least ~50 ms.
double median_mbps(const std::vector<std::string>& exprs, int runs) {
  size_t bytes = 0;
  for (const std::string& e : exprs) bytes += e.size();
  std::vector<double> rates;
  size_t kept = 0;
  for (int r = 0; r < runs; ++r) {
    size_t passes = 0;
    const auto start = Clock::now();
    double seconds = 0;
    do {
      for (const std::string& e : exprs) {
        const zuv::MathExpr tree = zuv::parse_math(e);
        kept += static_cast<size_t>(tree.kind);
      }
      ++passes;
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < 0.05);
    rates.push_back(static_cast<double>(bytes * passes) / seconds / 1e6);
  }
  if (kept == 1) std::puts("");  // keeps the parse from being optimised away
  std::sort(rates.begin(), rates.end());
  return rates[rates.size() / 2];
}

std::vector<std::string> read_records(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path);
    std::exit(1);
  }
  in.seekg(0, std::ios::end);
  std::string text(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  std::vector<std::string> records;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\0', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) records.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return records;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 7;
  bool files_only = false;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (std::string_view(argv[i]) == "--files-only") {
      files_only = true;
    } else {
      files.push_back(argv[i]);
    }
  }
  runs = std::max(runs, 1);

  for (const char* path : files) {
    const std::vector<std::string> exprs = read_records(path);
    size_t bytes = 0;
    for (const std::string& e : exprs) bytes += e.size();
    std::printf("%-28s %8zu expressions %10zu bytes %9.1f MB/s\n", path, exprs.size(), bytes,
                median_mbps(exprs, runs));
  }

  if (files_only) return 0;

  constexpr size_t n = 100000;
  const struct {
    const char* name;
    std::string source;
  } deep[] = {
      {"braces", repeat_n("{", n) + "x" + repeat_n("}", n)},
      {"carets", repeat_n("^", n) + "x"},
      {"braced scripts", repeat_n("x^{", n) + repeat_n("}", n)},
      {"roots", repeat_n("\\sqrt{", n) + "x" + repeat_n("}", n)},
      {"fences", repeat_n("\\left(", n) + "x" + repeat_n("\\right)", n)},
      {"matrices", repeat_n("\\begin{matrix}", n) + "x" + repeat_n("\\end{matrix}", n)},
      {"styles", repeat_n("\\displaystyle", n) + "x"},
  };
  for (const auto& d : deep) {
    std::printf("deep %-23s %10zu bytes %9.1f MB/s\n", d.name, d.source.size(),
                median_mbps({d.source}, runs));
  }
  for (size_t depth : {12500u, 25000u, 50000u, 100000u, 200000u, 400000u}) {
    const std::string s = repeat_n("\\left(", depth) + "x" + repeat_n("\\right)", depth);
    std::printf("fences at depth %-12zu %10zu bytes %9.1f MB/s\n", depth, s.size(),
                median_mbps({s}, runs));
  }
  return 0;
}

// Throughput of the document layer: `parse_text` and `scan_blocks` over the benchmark corpus,
// and every reader over the pathological inputs. Prints one line per case: the median of
// several runs, in MB/s.
//
//   parser_bench [--runs N] [--corpus DIR]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "code_meta.h"
#include "frontmatter.h"
#include "pathological_inputs.h"
#include "scanner.h"
#include "text.h"
#include "zuv/parser.h"

namespace {

using namespace zuv::parser;

// Keeps results alive so the work is not optimised away.
size_t g_sink = 0;

double median_seconds(int runs, const std::function<void()>& fn) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    fn();
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void report(const std::string& name, size_t bytes, double seconds) {
  std::printf("%-44s %10zu B %10.3f ms %10.1f MB/s\n", name.c_str(), bytes, seconds * 1e3,
              static_cast<double>(bytes) / 1e6 / std::max(seconds, 1e-9));
}

void bench_text(const std::string& name, const std::string& input, int runs) {
  SourceMap map(input);
  report(name, input.size(),
         median_seconds(runs, [&] { g_sink += parse_text(input, 0, map).size(); }));
}

void bench_scan(const std::string& name, const std::string& input, int runs) {
  SourceMap map(input);
  report(name, input.size(), median_seconds(runs, [&] {
           ErrorTextBudget budget(input.size());
           g_sink += scan_blocks(input, 0, map, budget).size();
         }));
}

std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::string data(std::filesystem::file_size(p), '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  return data;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 7;
  std::string corpus;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--corpus") == 0 && i + 1 < argc) {
      corpus = argv[++i];
    } else {
      std::fprintf(stderr, "usage: parser_bench [--runs N] [--corpus DIR]\n");
      return 2;
    }
  }

  if (!corpus.empty()) {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(corpus)) {
      if (e.path().extension() == ".md") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    std::printf("# corpus (parse_text on the whole file; scan_blocks on the body)\n");
    for (const auto& f : files) {
      std::string input = read_file(f);
      std::string name = f.filename().string();
      bench_text("parse_text " + name, input, runs);
      size_t body = extract_frontmatter(input).body_offset;
      bench_scan("scan_blocks " + name, input.substr(body), runs);
      if (body > 0) {  // the block's own bytes, fences included
        report("extract_frontmatter " + name, body,
               median_seconds(runs, [&] { g_sink += extract_frontmatter(input).body_offset; }));
      }
    }
  }

  std::printf("# pathological inputs\n");
  for (const auto& p : zuv::parser::testing::pathological_inputs(size_t{1} << 20)) {
    switch (p.reader) {
      case zuv::parser::testing::Reader::Text: bench_text(p.name, p.input, runs); break;
      case zuv::parser::testing::Reader::Scanner: bench_scan(p.name, p.input, runs); break;
      case zuv::parser::testing::Reader::Frontmatter:
        report(p.name, p.input.size(),
               median_seconds(runs, [&] { g_sink += extract_frontmatter(p.input).body_offset; }));
        break;
      case zuv::parser::testing::Reader::CodeMeta:
        report(p.name, p.input.size(),
               median_seconds(runs, [&] { g_sink += parse_code_meta(p.input).meta.has_value(); }));
        break;
      case zuv::parser::testing::Reader::Document:
        report(p.name, p.input.size(), median_seconds(runs, [&] {
                 g_sink += zuv::parse_document(p.input).children.size();
               }));
        break;
    }
  }
  return g_sink == 0 ? 1 : 0;
}

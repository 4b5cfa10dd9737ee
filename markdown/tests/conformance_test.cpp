// Conformance with the reference event streams: one test per example of the data files in the
// folder given on the command line. Each compares every event (kind, tag, range, text and the
// fields of Start) with the expected stream, in order, and checks the properties every stream
// has. A case marked as a deliberate difference expects the engine's own stream and also keeps
// the reference's, which must still differ: the case stops documenting a departure that is gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "event_json.h"
#include "invariants.h"
#include "zuv/markdown.h"

namespace zuv::markdown {
namespace {

using Json = nlohmann::json;

// The JSON of `text`, or a discarded value when it is not JSON.
Json read_json(std::string_view text) { return Json::parse(text, nullptr, false); }

struct Example {
  std::string suite;  // the data file's stem
  std::string name;
  std::string markdown;
  std::vector<Json> events;
  std::string difference;       // why the engine departs from the reference, or empty
  std::vector<Json> reference;  // the reference's stream, where it departs
};

class ConformanceTest : public ::testing::Test {
 public:
  explicit ConformanceTest(const Example& example) : example_(example) {}

  void TestBody() override {
    std::string markdown_json;
    append_json_string(markdown_json, example_.markdown);
    Events events = parse_events(example_.markdown);
    EXPECT_EQ(testing::check_invariants(example_.markdown, events), "") << markdown_json;
    if (!example_.difference.empty()) {
      EXPECT_TRUE(example_.reference != example_.events)
          << markdown_json << "\nmarked as a deliberate difference, but the reference agrees";
    }
    const std::string note =
        example_.difference.empty() ? "" : "\ndeliberate difference: " + example_.difference;
    const std::vector<Json>& expected = example_.events;
    const std::size_t n = std::max(expected.size(), events.events.size());
    for (std::size_t i = 0; i < n; ++i) {
      std::string ours = "(none)";
      std::optional<Json> ours_json;
      if (i < events.events.size()) {
        ours.clear();
        append_json(ours, events.events[i], events);
        ours_json = read_json(ours);
        ASSERT_FALSE(ours_json->is_discarded()) << "unreadable event JSON: " << ours;
      }
      const bool same = i < expected.size() && ours_json && *ours_json == expected[i];
      if (!same) {
        FAIL() << "markdown: " << markdown_json << "\nfirst difference at event " << i
               << " (reference has " << expected.size() << " events, engine "
               << events.events.size()
               << ")\n  reference: " << (i < expected.size() ? expected[i].dump() : "(none)")
               << "\n  engine:    " << (ours_json ? ours_json->dump() : ours) << note;
      }
    }
  }

 private:
  const Example& example_;
};

std::vector<Example> load_examples(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".jsonl") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<Example> examples;
  for (const auto& file : files) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty()) continue;
      const Json doc = read_json(line);
      if (!doc.is_object()) {
        std::fprintf(stderr, "unreadable line in %s\n", file.c_str());
        std::exit(2);
      }
      Example ex;
      ex.suite = file.stem().string();
      if (doc.contains("name")) {
        ex.name = doc["name"].get<std::string>();
      } else {
        char name_buf[32];
        std::snprintf(name_buf, sizeof name_buf, "example_%03d", doc["example"].get<int>());
        ex.name = name_buf;
      }
      ex.markdown = doc["markdown"].get<std::string>();
      ex.events = doc["events"].get<std::vector<Json>>();
      if (doc.contains("difference")) {
        ex.difference = doc["difference"].get<std::string>();
        ex.reference = doc["reference"].get<std::vector<Json>>();
      }
      examples.push_back(std::move(ex));
    }
  }
  return examples;
}

}  // namespace
}  // namespace zuv::markdown

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder of .jsonl reference streams>\n", argv[0]);
    return 2;
  }
  static std::vector<zuv::markdown::Example> examples = zuv::markdown::load_examples(argv[1]);
  if (examples.empty()) {
    std::fprintf(stderr, "no examples in %s\n", argv[1]);
    return 2;
  }
  for (const auto& ex : examples) {
    ::testing::RegisterTest(
        ex.suite.c_str(), ex.name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
        [&ex]() -> ::testing::Test* { return new zuv::markdown::ConformanceTest(ex); });
  }
  return RUN_ALL_TESTS();
}

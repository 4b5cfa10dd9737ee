#pragma once
// Hostile inputs for the document layer, shared by the tests (which check the results) and the
// benchmark (which times them). Each is about `size` bytes, or a count of units where the count
// is what matters, and aims at one search that would turn quadratic if it were repeated from
// every marker, at work or memory that a short unit could multiply (the highlight lists of code
// blocks), or at depth that the tree gains after it was read.

#include <string>
#include <vector>

#include "repeat.h"

namespace zuv::parser::testing {

enum class Reader { Text, Scanner, Frontmatter, CodeMeta, Document };

struct PathologicalInput {
  std::string name;
  Reader reader;
  std::string input;
};

using zuv::testing::repeat_n;
using zuv::testing::repeat_to;

inline std::string frontmatter(std::string_view yaml) {
  return "---\n" + std::string(yaml) + "\n---\nbody\n";
}

inline std::vector<PathologicalInput> pathological_inputs(size_t size) {
  std::vector<PathologicalInput> v;
  auto text = [&](std::string name, std::string_view unit) {
    v.push_back({std::move(name), Reader::Text, repeat_to(unit, size)});
  };
  auto scan = [&](std::string name, std::string input) {
    v.push_back({std::move(name), Reader::Scanner, std::move(input)});
  };
  text("text: [", "[");
  text("text: [@", "[@");
  text("text: [@x newline", "[@x\n");
  text("text: {@", "{@");
  text("text: {$", "{$");
  text("text: \\{$", "\\{$");
  text("text: $ ", "$ ");
  text("text: $a", "$a");
  text("text: {@a}", "{@a}");
  scan("scan: <A  lines", repeat_to("<A \n", size));
  scan("scan: <A x={{ lines", repeat_to("<A x={{\n", size));
  scan("scan: <A x={{\" lines", repeat_to("<A x={{\"\\\"\n", size));
  scan("scan: <A x={ lines", repeat_to("<A x={\n", size));
  scan("scan: <A x={$ lines", repeat_to("<A x={$\n", size));
  scan("scan: <A x=\" lines", repeat_to("<A x=\"\\\"\n", size));
  scan("scan: <A x={ lines closed far", repeat_to("<A x={\n", size) + "}");
  scan("scan: $$ lines without closers", repeat_to("$$ {#a}\n", size));
  scan("scan: $$ {#a} then a closer", repeat_to("$$ {#a}\nx\n", size) + "$$\n");
  scan("scan: <A> lines", repeat_to("<A>\n", size));
  scan("scan: <A> then <A x={{ lines", "<A>\n" + repeat_to("<A x={{\n", size));
  scan("scan: fences", "````\n" + repeat_to("<A>\n```\n", size));
  // Front matter at the budget limits and just past them.
  auto fm = [&](std::string name, std::string yaml) {
    v.push_back({std::move(name), Reader::Frontmatter, frontmatter(yaml)});
  };
  fm("yaml: 250,000 nodes", "[" + repeat_n("1,", 249'999) + "]");
  fm("yaml: 250,001 nodes", "[" + repeat_n("1,", 250'000) + "]");
  fm("yaml: 50,000 aliases", "[&a 1, " + repeat_n("*a,", 50'000) + "]");
  fm("yaml: 50,001 aliases", "[&a 1, " + repeat_n("*a,", 50'001) + "]");
  fm("yaml: 50,000 anchors", "[" + repeat_n("&a 1,", 50'000) + "]");
  fm("yaml: 50,001 anchors", "[" + repeat_n("&a 1,", 50'001) + "]");
  fm("yaml: 10,000 merge keys", "b: &b {x: 1}\nl: [" + repeat_n("{<<: *b},", 10'000) + "]");
  fm("yaml: 10,001 merge keys", "b: &b {x: 1}\nl: [" + repeat_n("{<<: *b},", 10'001) + "]");
  fm("yaml: 1,023 levels", std::string(1023, '[') + std::string(1023, ']'));
  fm("yaml: 1,024 levels", std::string(1024, '[') + std::string(1024, ']'));
  fm("yaml: 100,000 levels", std::string(100'000, '['));
  {
    std::string laughs = "a0: &a0 [lol, lol, lol, lol, lol, lol, lol, lol, lol, lol]\n";
    for (int i = 1; i < 10; ++i) {
      laughs += "a" + std::to_string(i) + ": &a" + std::to_string(i) + " [" +
                repeat_n("*a" + std::to_string(i - 1) + ",", 10) + "]\n";
    }
    fm("yaml: billion laughs", laughs);
  }
  fm("yaml: nested anchors", [] {
    std::string s;
    for (int i = 0; i < 1000; ++i)
      s += "- &a" + std::to_string(i) + "\n" + std::string(2 * (i + 1), ' ');
    return s + "x";
  }());
  v.push_back({"meta: { words", Reader::CodeMeta, repeat_to("{ ", size)});
  v.push_back({"meta: {1 {1", Reader::CodeMeta, repeat_to("{1 ", size) + "}"});
  v.push_back({"meta: title=' words", Reader::CodeMeta, "title='" + repeat_to(" title=\"", size)});
  // Whole documents: the Markdown bridge on HTML texts, and code-block metadata.
  auto doc = [&](std::string name, std::string input) {
    v.push_back({std::move(name), Reader::Document, std::move(input)});
  };
  doc("doc: <div> then <A>", "<div>" + repeat_to("<A>", size));
  doc("doc: <!-- then <A>", "<!--" + repeat_to("<A>", size));
  doc("doc: <div> then <A> closed at the end", "<div>" + repeat_to("<A>", size) + "</A>");
  doc("doc: <div> then <A> with JSON", "<div>" + repeat_to("<A x={{[1, {\"k\": 2}]}}>", size));
  doc("doc: <div> then distinct names", [&] {
    std::string s = "<div>";
    for (size_t i = 0; s.size() < size; ++i) s += "<A" + std::to_string(i) + ">";
    return s;
  }());
  doc("doc: <A> then misnested closers",
      "x " + repeat_to("<A>[[[[ x ", size) + repeat_n("</B>", 130));
  // A block that ends inside an inline component moves into it, and the component into the
  // block of its closing tag: each unit nests the tree one level deeper, with no frame left open.
  // A count of units, not a size: 20,000 already overflowed the stack of the main thread.
  doc("doc: moved: paragraphs", repeat_n("\n</A><A>\n", 20000));
  doc("doc: moved: paragraphs, wrong closers", repeat_n("\n</B><A>\n", 20000));
  doc("doc: moved: headings", repeat_n("# </A><A>\n", 20000));
  doc("doc: moved: list items", repeat_n("- </A><A>\n", 20000));
  doc("doc: moved: block quotes", repeat_n("> </A><A>\n\n", 20000));
  doc("doc: moved: table cells", "| a |\n|---|\n" + repeat_n("| </A><A> |\n", 5000));
  doc("doc: moved: emphasis", repeat_n("*</A><A>*\n", 20000));
  doc("doc: {1-60000} lists in one info string",
      "```js " + repeat_to("{1-60000} ", size) + "\n```\n");
  doc("doc: {1-65536} in every block", repeat_to("```js {1-65536}\n```\n", size));
  return v;
}

}  // namespace zuv::parser::testing

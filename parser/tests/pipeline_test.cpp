// End-to-end cases of the document pipeline: segments, the Markdown bridge, inline components,
// the two passes, and the nesting limits. Trees are compared as outlines: each node as
// kind[start-end] with its main value, children in parentheses.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "zuv/limits.h"
#include "zuv/parser.h"

namespace zuv {
namespace {

std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\n') {
      out += "\\n";
    } else {
      out.push_back(c);
    }
  }
  return out + "\"";
}

void outline_into(std::string& out, const NodeList& nodes);

void outline_node(std::string& out, const Node& n) {
  const Position& p = n.position();
  out += node_kind_tag(n.kind);
  switch (n.kind) {
    case NodeKind::Component: out += ":" + n.as<ComponentNode>().name; break;
    case NodeKind::Heading: out += ":" + std::to_string(*n.as<StandardBlockNode>().depth); break;
    case NodeKind::ListItem:
      if (auto c = n.as<StandardBlockNode>().checked) out += *c ? ":x" : ":_";
      break;
    default: break;
  }
  out += "[" + std::to_string(p.start.offset) + "-" + std::to_string(p.end.offset) + "]";
  switch (n.kind) {
    case NodeKind::Text: out += quoted(n.as<TextNode>().value); break;
    case NodeKind::CodeInline: {
      const auto& c = n.as<CodeInlineNode>();
      out += quoted(c.value);
      if (c.lang) out += "{" + *c.lang + "}";
      break;
    }
    case NodeKind::CodeBlock: {
      const auto& c = n.as<CodeBlockNode>();
      out += quoted(c.value);
      if (c.lang) out += " lang=" + *c.lang;
      if (c.meta) out += " meta=" + quoted(*c.meta);
      if (c.title) out += " title=" + *c.title;
      break;
    }
    case NodeKind::Error: {
      const auto& e = n.as<ErrorNode>();
      out += quoted(e.message) + " raw=" + quoted(e.rawContent);
      break;
    }
    case NodeKind::MathInline: out += quoted(n.as<MathNode>().raw); break;
    case NodeKind::MathDisplay: {
      const auto& m = n.as<MathDisplayNode>();
      out += quoted(m.raw);
      if (m.label) out += " label=" + *m.label;
      break;
    }
    case NodeKind::Variable: out += quoted(n.as<VariableNode>().path); break;
    case NodeKind::CrossRef: out += quoted(n.as<CrossRefNode>().target); break;
    case NodeKind::Citation: out += quoted(n.as<CitationNode>().keys.at(0).id); break;
    case NodeKind::Link: out += quoted(n.as<LinkNode>().url); break;
    case NodeKind::Image: out += quoted(n.as<ImageNode>().url); break;
    case NodeKind::FootnoteReference:
    case NodeKind::FootnoteDefinition: out += quoted(n.as<FootnoteNode>().label); break;
    default: break;
  }
  if (n.kind == NodeKind::Component) {
    const auto& c = n.as<ComponentNode>();
    if (c.isInline) out += " inline";
    if (!c.rawContent.empty()) out += " raw=" + quoted(c.rawContent);
  }
  if (const NodeList* children = node_children(n); children && !children->empty()) {
    out += "(";
    outline_into(out, *children);
    out += ")";
  }
}

void outline_into(std::string& out, const NodeList& nodes) {
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (i > 0) out += " ";
    outline_node(out, nodes[i]);
  }
}

std::string outline(std::string_view doc) {
  std::string out;
  outline_into(out, parse_document(doc).children);
  return out;
}

struct Case {
  const char* name;
  const char* doc;
  const char* expected;
};

void run_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(outline(c.doc), c.expected) << c.name << "\n  input: " << c.doc;
  }
}

TEST(Pipeline, MarkdownBlocksAndInlines) {
  run_cases({
      {"blank segment", "  \n\n", ""},
      {"heading", "# Title", "heading:1[0-7](text[2-7]\"Title\")"},
      {"heading attributes are text", "## A {#x}", "heading:2[0-9](text[3-9]\"A {#x}\")"},
      {"lists", "- a\n\n3. b\n",
       "list[0-5](list_item[0-5](text[2-3]\"a\")) list[5-10](list_item[5-10](text[8-9]\"b\"))"},
      {"tight task item", "- [x] done", "list[0-10](list_item:x[0-10](text[6-10]\"done\"))"},
      {"loose task items keep checked absent", "- [x] a\n\n- [ ] b\n",
       "list[0-17](list_item[0-9](paragraph[6-8](text[6-7]\"a\")) "
       "list_item[9-17](paragraph[15-17](text[15-16]\"b\")))"},
      {"link with and without title", "[a](u 't') [b](v)",
       "paragraph[0-17](link[0-10]\"u\"(text[1-2]\"a\") text[10-11]\" \" "
       "link[11-17]\"v\"(text[12-13]\"b\"))"},
      {"image alt as children", "![alt](p.png)",
       "paragraph[0-13](image[0-13]\"p.png\"(text[2-5]\"alt\"))"},
      // The escape reaches the inline parser with its backslash, so no math begins.
      {"escaped dollar", "a \\$ b",
       "paragraph[0-6](text[0-2]\"a \" text[2-4]\"$\" text[4-6]\" b\")"},
      {"entity stays as written", "&amp;", "paragraph[0-5](text[0-5]\"&amp;\")"},
      {"soft break", "a\nb", "paragraph[0-3](text[0-1]\"a\" text[1-2]\"\\n\" text[2-3]\"b\")"},
      {"code span", "`x`", "paragraph[0-3](code_inline[0-3]\"x\")"},
      {"footnotes", "x[^1]\n\n[^1]: Note.",
       "paragraph[0-6](text[0-1]\"x\" footnote_reference[1-5]\"1\") "
       "footnote_definition[7-18]\"1\"(paragraph[13-18](text[13-18]\"Note.\"))"},
      {"fenced code", "```js\nlet a;\n```\n", "code_block[0-16]\"let a;\\n\" lang=js"},
      {"code meta", "```js title='a.js' {1}\nx\n```\n",
       "code_block[0-28]\"x\\n\" lang=js title=a.js"},
      {"code meta with two spaces", "```js  x\n```\n", "code_block[0-12]\"\" lang=js meta=\" x\""},
      {"indented code has no lang", "    x\n", "code_block[4-6]\"x\\n\""},
      {"rule", "***", "thematic_break[0-3]"},
  });
}

TEST(Pipeline, InlineComponents) {
  run_cases({
      {"self-closing in text", "Text <Badge /> more",
       "paragraph[0-19](text[0-5]\"Text \" component:Badge[5-14] inline text[14-19]\" more\")"},
      {"open and close across events", "A <Tip>note</Tip> B",
       "paragraph[0-19](text[0-2]\"A \" component:Tip[2-17] raw=\"note\"(text[7-11]\"note\") "
       "text[17-19]\" B\")"},
      {"unclosed", "x <Tip> y",
       "error[2-7]\"Unclosed tag <Tip>\" raw=\"<Tip>\" text[7-9]\" y\" "
       "paragraph[0-9](text[0-2]\"x \")"},
      {"unexpected closing", "x </Tip> y",
       "paragraph[0-10](text[0-2]\"x \" error[2-8]\"Unexpected closing tag </Tip>\" "
       "raw=\"</Tip>\" text[8-10]\" y\")"},
      // The frame's content survives the misnesting, after the error.
      {"misnested keeps content", "<A>x</B>",
       "paragraph[0-8](error[4-8]\"Misnested tags: expected </A>, found </B>\" raw=\"</B>\" "
       "text[3-4]\"x\")"},
      // Content of frames ended by wrong closers, deeper ones first, stays in order.
      {"misnested in misnested", "x <A>a<B>b<C>c</X></Y>d</A>",
       "paragraph[0-27](text[0-2]\"x \" component:A[2-27] raw=\"a<B>b<C>c</X></Y>d\"("
       "text[5-6]\"a\" error[18-22]\"Misnested tags: expected </B>, found </Y>\" raw=\"</Y>\" "
       "text[9-10]\"b\" error[14-18]\"Misnested tags: expected </C>, found </X>\" raw=\"</X>\" "
       "text[13-14]\"c\" text[22-23]\"d\"))"},
      {"html block component", "<div><Card title='x'>Body</Card></div>\n",
       "html[0-39](component:Card[5-32] raw=\"Body\"(text[21-25]\"Body\"))"},
      {"html block self-closing runs to line end", "<div><Badge /> tail</div>\n",
       "html[0-26](component:Badge[5-25])"},
      {"html block lines", "<div>\nplain\n</div>\n",
       "html[0-19](text[0-6]\"<div>\\n\" text[6-12]\"plain\\n\" text[12-19]\"</div>\\n\")"},
      {"inline html", "a <span> b",
       "paragraph[0-10](text[0-2]\"a \" html[2-8](text[2-8]\"<span>\") text[8-10]\" b\")"},
      {"attribute fault", "x <Card a=1>",
       "paragraph[0-12](text[0-2]\"x \" error[8-12]\"Invalid attribute value after '=' for 'a'\""
       " raw=\"a=1>\")"},
      {"underscore names stay text", "x <My_Card />",
       "paragraph[0-13](text[0-2]\"x \" text[2-3]\"<\" text[3-13]\"My_Card />\")"},
      {"two frames left open", "<A> <B> y",
       "error[4-7]\"Unclosed tag <B>\" raw=\"<B>\" text[7-9]\" y\" paragraph[0-9] "
       "error[0-3]\"Unclosed tag <A>\" raw=\"<A>\" text[3-4]\" \""},
  });
}

// An emphasis, strong, strikethrough, link or image opened between a component's tags keeps its
// content; one opened before the opening tag, and block containers, give the component what
// they receive while it is open.
TEST(Pipeline, InlineContainersInComponents) {
  run_cases({
      {"strong and link", "a <Tip>**bold** and [l](u)</Tip> b",
       "paragraph[0-34](text[0-2]\"a \" "
       "component:Tip[2-32] raw=\"**bold** and [l](u)\"(strong[7-15](text[9-13]\"bold\") "
       "text[15-20]\" and \" link[20-26]\"u\"(text[21-22]\"l\")) text[32-34]\" b\")"},
      {"emphasis in a heading", "## Title <Badge>*new*</Badge>",
       "heading:2[0-29](text[3-9]\"Title \" "
       "component:Badge[9-29] raw=\"*new*\"(emphasis[16-21](text[17-20]\"new\")))"},
      {"link in a list item", "- item <Tip>see [docs](u)</Tip> end",
       "list[0-35](list_item[0-35](text[2-7]\"item \" "
       "component:Tip[7-31] raw=\"see [docs](u)\"(text[12-16]\"see \" "
       "link[16-25]\"u\"(text[17-21]\"docs\")) text[31-35]\" end\"))"},
      {"image, its emphasis, strikethrough", "x <Tip>![i *e*](p.png) ~~s~~</Tip>",
       "paragraph[0-34](text[0-2]\"x \" "
       "component:Tip[2-34] raw=\"![i *e*](p.png) ~~s~~\"(image[7-22]\"p.png\"(text[9-11]\"i \" "
       "emphasis[11-14](text[12-13]\"e\")) text[22-23]\" \" "
       "strikethrough[23-28](text[25-26]\"s\")))"},
      {"nested containers", "x <Tip>**a *b* c**</Tip>",
       "paragraph[0-24](text[0-2]\"x \" "
       "component:Tip[2-24] raw=\"**a *b* c**\"(strong[7-18](text[9-11]\"a \" "
       "emphasis[11-14](text[12-13]\"b\") text[14-16]\" c\")))"},
      {"unclosed tag", "Use Vec<T> with **care**.",
       "error[7-10]\"Unclosed tag <T>\" raw=\"<T>\" text[10-16]\" with \" "
       "strong[16-24](text[18-22]\"care\") text[24-25]\".\" paragraph[0-25](text[0-7]\"Use Vec\")"},
      {"unclosed tag inside emphasis", "*a <Tip>b **c** d*",
       "error[3-8]\"Unclosed tag <Tip>\" raw=\"<Tip>\" text[8-10]\"b \" "
       "strong[10-15](text[12-13]\"c\") text[15-17]\" d\" emphasis[0-18](text[1-3]\"a \") "
       "paragraph[0-18]"},
      {"component inside strong", "**a <Tip>b</Tip> c**",
       "paragraph[0-20](strong[0-20](text[2-4]\"a \" "
       "component:Tip[4-16] raw=\"b\"(text[9-10]\"b\") text[16-18]\" c\"))"},
      {"strong opened before the tag", "**a <Tip>b** c</Tip>",
       "paragraph[0-20](component:Tip[4-20] raw=\"b** c\"(text[9-10]\"b\" "
       "strong[0-12](text[2-4]\"a \") text[12-14]\" c\"))"},
      // Stack depth alone would take the emphasis for the strong that ended before the tag.
      {"emphasis where that strong stood", "**a <Tip>b** *c* d</Tip>",
       "paragraph[0-24](component:Tip[4-24] raw=\"b** *c* d\"(text[9-10]\"b\" "
       "strong[0-12](text[2-4]\"a \") text[12-13]\" \" emphasis[13-16](text[14-15]\"c\") "
       "text[16-18]\" d\"))"},
      {"strong opened inside an earlier component", "<A>**x</A> <B>y** z</B>",
       "paragraph[0-23](component:B[11-23] raw=\"y** z\"(text[14-15]\"y\" "
       "strong[3-17](component:A[0-10] raw=\"**x\"(text[5-6]\"x\") text[10-11]\" \") "
       "text[17-19]\" z\"))"},
      // The closing tag comes inside the strong: what the strong has so far is the component's.
      {"tag closes inside strong", "<Tip>**a</Tip> b**",
       "paragraph[0-18](strong[5-18](component:Tip[0-14] raw=\"**a\"(text[7-8]\"a\") "
       "text[14-16]\" b\"))"},
      {"tag closes inside two", "<Tip>**a *b</Tip> c* d**",
       "paragraph[0-24](strong[5-24](emphasis[9-20](component:Tip[0-17] raw=\"**a *b\"("
       "text[7-9]\"a \" text[10-11]\"b\") text[17-19]\" c\") text[20-22]\" d\"))"},
      {"misnested inside strong", "<A>**x</B> y**",
       "paragraph[0-14](strong[3-14](error[6-10]\"Misnested tags: expected </A>, found </B>\" "
       "raw=\"</B>\" text[5-6]\"x\" text[10-12]\" y\"))"},
      {"misnested keeps the emphasis", "x <A>*y*</B>",
       "paragraph[0-12](text[0-2]\"x \" "
       "error[8-12]\"Misnested tags: expected </A>, found </B>\" raw=\"</B>\" "
       "emphasis[5-8](text[6-7]\"y\"))"},
      {"paragraphs between the tags", "a <Tip> b\n\nc </Tip> d",
       "paragraph[11-21](component:Tip[2-19] raw=\" b\\n\\nc \"(text[7-9]\" b\" "
       "paragraph[0-10](text[0-2]\"a \") text[11-13]\"c \") text[19-21]\" d\")"},
  });
}

TEST(Pipeline, Passes) {
  run_cases({
      {"citation split by emphasis", "*[@key]*",
       "paragraph[0-8](emphasis[0-8](citation[1-7]\"key\"))"},
      {"citation in a heading", "# See [@a]",
       "heading:1[0-10](text[2-6]\"See \" citation[6-10]\"a\")"},
      // Text events split at "_", brackets and escapes no longer hide math and variables.
      {"math split by underscore", "$a_{i}$", "paragraph[0-7](math_inline[0-7]\"a_{i}\")"},
      {"math split by brackets", "$[0,1]$", "paragraph[0-7](math_inline[0-7]\"[0,1]\")"},
      {"math split by escape", "$\\{x\\}$", "paragraph[0-7](math_inline[0-7]\"\\{x\\}\")"},
      {"variable split by underscore", "{$a_b}", "paragraph[0-6](variable[0-6]\"a_b\")"},
      // The "> " of the next line never lands in a re-scanned text.
      {"block quote markers stay out", "> a [@k\n> b]",
       "blockquote[0-12](paragraph[2-12](text[2-8]\"a [@k\\n\" text[10-11]\"b\" "
       "text[11-12]\"]\"))"},
      {"code language", "`x`{python} rest",
       "paragraph[0-16](code_inline[0-3]\"x\"{python} text[3-16]\" rest\")"},
      {"code language alone", "`x`{py}", "paragraph[0-7](code_inline[0-3]\"x\"{py})"},
      {"bad language", "`x`{c++}", "paragraph[0-8](code_inline[0-3]\"x\" text[3-8]\"{c++}\")"},
  });
}

TEST(Pipeline, SegmentsAndBodies) {
  run_cases({
      {"empty input", "", ""},
      {"front matter only", "---\na: 1\n---\n", ""},
      {"empty component", "<Note>\n</Note>\n", "component:Note[0-14]"},
      {"component body is a document", "<Box>\n# Title\n</Box>\n",
       "component:Box[0-20] raw=\"# Title\\n\"(heading:1[6-14](text[8-13]\"Title\"))"},
      {"self-closing block", "<Chart kind='bar' />\n", "component:Chart[0-20]"},
      {"display math", "$$\nx^2\n$$\n", "math_display[0-9]\"x^2\\n\""},
      {"display math label", "  $$ {#eq:a}\nx\n$$\n", "math_display[2-17]\"x\\n\" label=eq:a"},
      {"nested components", "<A>\n<B>\nx\n</B>\n</A>\n",
       "component:A[0-19] raw=\"<B>\\nx\\n</B>\\n\"(component:B[4-14] raw=\"x\\n\"(paragraph[8-10]"
       "(text[8-9]\"x\")))"},
      {"component splits a list", "- a\n<X />\n- b\n",
       "list[0-4](list_item[0-4](text[2-3]\"a\")) component:X[4-9] "
       "list[10-14](list_item[10-14](text[12-13]\"b\"))"},
  });
  Root r = parse_document("---\nt: x\n---\nHi");
  ASSERT_EQ(r.children.size(), 1u);
  EXPECT_EQ(r.children[0].position().start, (Point{4, 1, 13}));
  EXPECT_EQ(r.position.end, (Point{4, 3, 15}));
  ASSERT_TRUE(r.frontmatter.has_value());
}

TEST(Pipeline, RecreatedIndentationHasAnEmptyRange) {
  // The tab after ">" is partly swallowed by the block quote; the engine re-creates the rest as
  // spaces that have no source bytes of their own, so their node claims none either.
  EXPECT_EQ(outline(">\t<div>\n"),
            "blockquote[0-8](html[2-8](text[2-2]\"  \" text[2-8]\"<div>\\n\"))");
}

// How many of each the tree holds.
struct Counts {
  size_t levels = 0;  // of the deepest node
  size_t components = 0;
  size_t too_deep = 0;
  size_t paragraphs = 0;
};

void count(const NodeList& nodes, Counts& c, size_t level = 1) {
  for (const Node& n : nodes) {
    c.levels = std::max(c.levels, level);
    c.components += n.kind == NodeKind::Component;
    c.paragraphs += n.kind == NodeKind::Paragraph;
    c.too_deep +=
        n.kind == NodeKind::Error && n.as<ErrorNode>().message == "Component nesting too deep";
    if (const NodeList* children = node_children(n)) count(*children, c, level + 1);
  }
}

size_t depth_of(const NodeList& nodes) {
  Counts c;
  count(nodes, c);
  return c.levels;
}

TEST(Pipeline, NestingIsBounded) {
  // Block quotes, emphasis, links and components far deeper than the limit: the tree stops at
  // the limit and the text survives.
  const size_t deep = 20000;
  std::string quotes(deep, '>');
  quotes += " x";
  EXPECT_LE(depth_of(parse_document(quotes).children), kMaxDocumentDepth + 1);

  std::string emph;
  for (size_t i = 0; i < deep; ++i) emph += "*a ";
  emph += "b";
  for (size_t i = 0; i < deep; ++i) emph += " c*";
  EXPECT_LE(depth_of(parse_document(emph).children), kMaxDocumentDepth + 1);

  std::string inline_tags;
  for (size_t i = 0; i < 1000; ++i) inline_tags += "<A>";
  EXPECT_LE(depth_of(parse_document("x " + inline_tags).children), kMaxDocumentDepth + 1);

  std::string components;
  for (size_t i = 0; i < 300; ++i) components += "<C>\n";
  components += "x\n";
  for (size_t i = 0; i < 300; ++i) components += "</C>\n";
  Root r = parse_document(components);
  EXPECT_LE(depth_of(r.children), kMaxDocumentDepth + 1);
  const Node* n = &r.children.at(0);
  while (n->kind == NodeKind::Component) n = &n->as<ComponentNode>().children.at(0);
  ASSERT_EQ(n->kind, NodeKind::Error);
  EXPECT_EQ(n->as<ErrorNode>().message, "Component nesting too deep");
}

std::string times(size_t n, std::string_view unit) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += unit;
  return s;
}

TEST(Pipeline, NestingLimitEdges) {
  // No node has more than 128 containers and components above it; a component needs a level
  // for its content, so 127 of them nest and the 128th is the error.
  struct Edge {
    std::string name;
    std::string doc;
    size_t levels, components, too_deep, paragraphs;
  };
  const std::vector<Edge> edges = {
      {"127 components", times(127, "<C>\n") + "x\n" + times(127, "</C>\n"), 129, 127, 0, 1},
      {"128 components", times(128, "<C>\n") + "x\n" + times(128, "</C>\n"), 128, 127, 1, 0},
      {"127 inline components", "x " + times(127, "<A>") + "y" + times(127, "</A>"), 129, 127, 0,
       1},
      {"128 inline components", "x " + times(128, "<A>") + "y" + times(128, "</A>"), 129, 127, 1,
       1},
      {"127 block quotes", times(127, ">") + " x", 129, 0, 0, 1},
      {"128 block quotes: no room for the paragraph", times(128, ">") + " x", 129, 0, 0, 0},
  };
  for (const Edge& e : edges) {
    Counts c;
    count(parse_document(e.doc).children, c);
    EXPECT_EQ(c.levels, e.levels) << e.name;
    EXPECT_EQ(c.components, e.components) << e.name;
    EXPECT_EQ(c.too_deep, e.too_deep) << e.name;
    EXPECT_EQ(c.paragraphs, e.paragraphs) << e.name;
  }
}

TEST(Pipeline, MovedContentIsCutAtTheLimit) {
  // The paragraph that ends inside X moves into it, and X into the paragraph of its closing tag,
  // which then moves into Y: the first paragraph ends five levels below the last. Under 123
  // components that fits; under 124 the first paragraph is one level too deep and gives way to
  // its text; under 125, X is, and leaves the error with its source before its content.
  const std::string body = "a <X>b\n\nc</X> <Y>d\n\ne</Y> f\n";
  auto innermost = [&](size_t wrappers) {
    Root r = parse_document(times(wrappers, "<C>\n") + body + times(wrappers, "</C>\n"));
    const NodeList* nodes = &r.children;
    for (size_t i = 0; i < wrappers; ++i) nodes = &nodes->at(0).as<ComponentNode>().children;
    std::string out;
    outline_into(out, *nodes);
    return out;
  };
  EXPECT_EQ(innermost(123),
            "paragraph[512-520](component:Y[506-517] raw=\"d\\n\\ne\"(text[509-510]\"d\" "
            "paragraph[500-511](component:X[494-505] raw=\"b\\n\\nc\"(text[497-498]\"b\" "
            "paragraph[492-499](text[492-494]\"a \") text[500-501]\"c\") text[505-506]\" \") "
            "text[512-513]\"e\") text[517-519]\" f\")");
  EXPECT_EQ(innermost(124),
            "paragraph[516-524](component:Y[510-521] raw=\"d\\n\\ne\"(text[513-514]\"d\" "
            "paragraph[504-515](component:X[498-509] raw=\"b\\n\\nc\"(text[501-502]\"b\" "
            "text[496-498]\"a \" text[504-505]\"c\") text[509-510]\" \") text[516-517]\"e\") "
            "text[521-523]\" f\")");
  EXPECT_EQ(innermost(125),
            "paragraph[520-528](component:Y[514-525] raw=\"d\\n\\ne\"(text[517-518]\"d\" "
            "paragraph[508-519](error[502-513]\"Component nesting too deep\" "
            "raw=\"<X>b\\n\\nc</X>\" text[505-506]\"b\" text[500-502]\"a \" "
            "text[508-509]\"c\" text[513-514]\" \") text[520-521]\"e\") text[525-527]\" f\")");
}

}  // namespace
}  // namespace zuv

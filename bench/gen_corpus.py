#!/usr/bin/env python3
"""The benchmark corpus: seeded documents that use every construct of the dialect.

For each size it writes two documents from one seeded stream of choices:

- `zuv-<size>.md`: YAML front matter, block, one-line, inline and self-closing components with
  every attribute form (quoted strings, numbers, booleans and null, variables, JSON objects and
  arrays, bare flags), inline math and display math with labels and environments, citations,
  cross-references and variables, and the whole of the Markdown: ATX and setext headings,
  emphasis, strong, strikethrough, code spans, links, images, autolinks, entities and escapes,
  hard breaks, bulleted, numbered, nested and task lists, tables with alignments, footnotes,
  definition lists, fenced code with info strings and metadata, indented code, block quotes,
  HTML blocks and inline HTML, thematic breaks.
- `md-<size>.md`: the same document in plain Markdown, for parsers of Markdown alone: no front
  matter, math as code, components as their Markdown body, citations as links, and
  cross-references and variables left out.

Only the standard library; the same seed and size give the same bytes on every run and every
Python 3 (choices are drawn from `random.Random.random` alone). A document ends with the first
section that brings it to its size.

    python3 bench/gen_corpus.py --out DIR [--sizes 100k,1m] [--seed N]
"""
import argparse
import os
import random

DEFAULT_SEED = 24

NOUNS = """anchor beacon canyon delta ember fjord glacier harbour island jetty kelp lagoon meadow
nebula orchard prairie quarry reef summit tundra upland valley wharf yard zenith atlas bolt
cipher datum engine filter gauge hinge index joint kernel lever matrix needle octet piston
quota relay socket tensor vector widget yoke zone""".split()
VERBS = """builds carries checks draws drives finds folds grows holds joins keeps lifts maps
measures moves opens parses reads records sends sorts splits stores tracks turns writes""".split()
ADJECTIVES = """amber brisk calm dense early faint gentle hollow idle keen lucid mellow narrow
open plain quiet rapid steady tidy upper vivid warm young""".split()

LANGUAGES = ["python", "rust", "c", "go", "js", "sql", "yaml", "toml", "sh", "json", "diff"]
BLOCK_COMPONENTS = ["Note", "Callout", "Panel", "Aside", "Figure", "Steps", "Tabs"]
INLINE_COMPONENTS = ["Badge", "Kbd", "Hint", "Term"]
SELF_CLOSING = ["Chart", "Video", "Map", "Embed", "Divider", "Gallery"]
VARIABLES = ["site.title", "site.base_url", "page.author", "release.tag", "build.number",
             "user.display_name", "env.region", "pricing.tier.monthly"]
GREEK = ["alpha", "beta", "gamma", "delta", "theta", "lambda", "mu", "pi", "rho", "sigma",
         "tau", "phi", "omega", "Gamma", "Delta", "Omega"]
FUNCTIONS = ["sin", "cos", "tan", "log", "ln", "exp", "max", "min", "det", "lim"]
RELATIONS = ["=", "<", ">", "\\le", "\\ge", "\\ne", "\\approx", "\\equiv", "\\to"]
BINARY = ["+", "-", "\\cdot", "\\times", "\\pm"]
CITE_NAMES = ["ahmed", "berg", "costa", "dubois", "eriksen", "fujita", "gomez", "haas",
              "ivanova", "jensen", "kowalski", "lindqvist"]


class Writer:
    """Draws one stream of choices and renders each construct twice: (zuv, plain Markdown)."""

    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.footnotes = 0      # labels are unique in the whole document
        self.pending = []       # footnote labels referenced in the current section
        self.equations = 0
        self.figures = 0

    # -- choices --------------------------------------------------------------------------
    def chance(self, p):
        return self.rng.random() < p

    def below(self, n):
        return min(int(self.rng.random() * n), n - 1)

    def between(self, lo, hi):
        return lo + self.below(hi - lo + 1)

    def pick(self, items):
        return items[self.below(len(items))]

    def weighted(self, table):
        x = self.rng.random() * sum(w for w, _ in table)
        for w, value in table:
            x -= w
            if x < 0:
                return value
        return table[-1][1]

    # -- words ----------------------------------------------------------------------------
    def word(self):
        return self.pick(self.weighted([(5, NOUNS), (2, VERBS), (2, ADJECTIVES)]))

    def words(self, lo, hi):
        return " ".join(self.word() for _ in range(self.between(lo, hi)))

    def name(self):
        return "%s_%s" % (self.pick(ADJECTIVES), self.pick(NOUNS))

    def url(self):
        return "https://%s.example.net/%s/%s" % (self.pick(NOUNS), self.pick(NOUNS),
                                                  self.name().replace("_", "-"))

    # -- math -----------------------------------------------------------------------------
    def atom(self):
        k = self.below(9)
        if k == 0:
            return str(self.between(0, 999))
        if k == 1:
            return "\\" + self.pick(GREEK)
        if k == 2:
            return "\\%s %s" % (self.pick(FUNCTIONS), self.pick("xyt"))
        if k == 3:
            return "%s_{%s}" % (self.pick("xyzab"), self.pick(["i", "j", "n", "k+1", "0"]))
        if k == 4:
            return "%s^{%d}" % (self.pick("xyzen"), self.between(2, 9))
        if k == 5:
            return "\\frac{%s}{%s}" % (self.pick("abn1"), self.pick("2mkq"))
        if k == 6:
            return "\\sqrt{%s}" % self.pick("xy2")
        return self.pick("abcxyznmk")

    def expression(self, lo=2, hi=5):
        parts = [self.atom()]
        for _ in range(self.between(lo, hi) - 1):
            parts.append(self.pick(BINARY + RELATIONS))
            parts.append(self.atom())
        return " ".join(parts)

    def display_body(self):
        k = self.below(7)
        if k == 0:
            rows = " \\\\\n".join("  %s &= %s" % (self.atom(), self.expression())
                                 for _ in range(self.between(2, 4)))
            return "\\begin{aligned}\n%s\n\\end{aligned}" % rows
        if k == 1:
            n = self.between(2, 3)
            env = self.pick(["pmatrix", "bmatrix", "vmatrix", "matrix"])
            rows = " \\\\\n".join("  " + " & ".join(self.atom() for _ in range(n))
                                 for _ in range(n))
            return "M = \\begin{%s}\n%s\n\\end{%s}" % (env, rows, env)
        if k == 2:
            return ("f(x) = \\begin{cases}\n  %s & \\text{if } x > 0 \\\\\n  %s & \\text{else}\n"
                    "\\end{cases}") % (self.expression(1, 2), self.expression(1, 2))
        if k == 3:
            return "\\begin{array}{lcr}\n  %s & %s & %s\n\\end{array}" % (
                self.atom(), self.atom(), self.atom())
        if k == 4:
            return "\\sum_{i=1}^{n} %s \\le \\int_{0}^{\\infty} %s \\, dx" % (
                self.expression(1, 3), self.expression(1, 2))
        if k == 5:
            return "\\left( %s \\right)^{2} %s %s" % (
                self.expression(), self.pick(RELATIONS), self.expression(1, 3))
        return "\\begin{gather}\n  %s \\\\\n  %s\n\\end{gather}" % (
            self.expression(), self.expression())

    # -- attributes -----------------------------------------------------------------------
    def attribute(self):
        key = self.pick(["title", "id", "kind", "size", "width", "ratio", "items", "src",
                         "label", "theme", "count", "series"])
        form = self.weighted([(4, "double"), (1, "single"), (2, "int"), (1, "float"),
                              (1, "literal"), (1, "variable"), (1, "object"), (1, "array"),
                              (1, "flag")])
        if form == "double":
            return '%s="%s"' % (key, self.words(1, 3))
        if form == "single":
            return "%s='%s'" % (key, self.word())
        if form == "int":
            return "%s={%d}" % (key, self.between(-100, 5000))
        if form == "float":
            return "%s={%d.%02d}" % (key, self.between(0, 99), self.below(100))
        if form == "literal":
            return "%s={%s}" % (key, self.pick(["true", "false", "null"]))
        if form == "variable":
            return "%s={$%s}" % (key, self.pick(VARIABLES))
        if form == "object":
            values = ", ".join(str(self.between(0, 500)) for _ in range(self.between(1, 5)))
            return '%s={{"values": [%s], "name": "%s", "stacked": %s}}' % (
                key, values, self.word(), self.pick(["true", "false"]))
        if form == "array":
            return "%s={{[%s]}}" % (key, ", ".join('"%s"' % self.word()
                                                   for _ in range(self.between(1, 4))))
        return self.pick(["open", "compact", "numbered", "interactive"])

    def attributes(self, lo, hi):
        return "".join(" " + self.attribute() for _ in range(self.between(lo, hi)))

    # -- inline text ----------------------------------------------------------------------
    def span(self, in_table):
        """One inline construct: (zuv, plain)."""
        kind = self.weighted([
            (60, "word"), (4, "em"), (3, "strong"), (1, "strong_em"), (2, "strike"),
            (3, "code"), (4, "link"), (1, "titled_link"), (1, "autolink"), (1, "image"),
            (1, "entity"), (1, "escape"), (3, "math"), (2, "citation"), (1, "cross_ref"),
            (1, "variable"), (1, "inline_component"), (1, "footnote"), (1, "html"),
        ])
        if kind == "word":
            w = self.word()
            return w, w
        if kind == "em":
            t = "*%s*" % self.words(1, 3)
            return t, t
        if kind == "strong":
            t = "**%s**" % self.words(1, 3)
            return t, t
        if kind == "strong_em":
            t = "***%s***" % self.word()
            return t, t
        if kind == "strike":
            t = "~~%s~~" % self.words(1, 2)
            return t, t
        if kind == "code":
            t = "`%s`" % self.pick([self.name() + "()", "--" + self.word(), self.name() + ".rs"])
            return t, t
        if kind == "link":
            t = "[%s](%s)" % (self.words(1, 3), self.url())
            return t, t
        if kind == "titled_link":
            t = '[%s](%s "%s")' % (self.word(), self.url(), self.words(1, 2))
            return t, t
        if kind == "autolink":
            t = "<%s>" % self.url()
            return t, t
        if kind == "image":
            t = "![%s](/media/%s.png)" % (self.words(1, 2), self.name())
            return t, t
        if kind == "entity":
            t = self.pick(["&amp;", "&lt;", "&copy;", "&#8212;", "&#x2192;"])
            return t, t
        if kind == "escape":
            t = self.pick(["\\*", "\\_", "\\#", "\\[", "\\`"])
            return t, t
        if kind == "math":
            e = self.expression(1, 3)
            return "$%s$" % e, "`%s`" % e
        if kind == "citation":
            keys = ["%s%d" % (self.pick(CITE_NAMES), 1980 + self.below(45))
                    for _ in range(self.between(1, 3))]
            form = self.below(3)
            if form == 0:
                z = "[@%s, p. %d]" % (keys[0], self.between(1, 400))
            elif form == 1:
                z = "[see @%s]" % "; @".join(keys)
            else:
                z = "[@%s]" % "; @".join(keys)
            return z, "[%s](#%s)" % (keys[0], keys[0])
        if kind == "cross_ref":
            return "{@%s:%s}" % (self.pick(["fig", "eq", "tab", "sec"]), self.name()), ""
        if kind == "variable":
            return "{$%s}" % self.pick(VARIABLES), ""
        if kind == "inline_component":
            name = self.pick(INLINE_COMPONENTS)
            text = self.words(1, 2)
            attribute = self.pick(['tone="%s"' % self.word(), "level={%d}" % self.between(1, 5),
                                   "value={$%s}" % self.pick(VARIABLES)])
            if in_table:
                return text, text
            return "<%s %s>%s</%s>" % (name, attribute, text, name), text
        if kind == "footnote":
            if in_table:
                w = self.word()
                return w, w
            self.footnotes += 1
            self.pending.append(self.footnotes)
            t = "[^n%d]" % self.footnotes
            return t, t
        t = "<kbd>%s</kbd>" % self.word().upper()
        return t, t

    def sentence(self, lo=5, hi=16, in_table=False):
        z, m = [], []
        for _ in range(self.between(lo, hi)):
            a, b = self.span(in_table)
            if a:
                z.append(a)
            if b:
                m.append(b)
        end = self.pick([".", ".", ".", "!", "?", ":"])
        return " ".join(z) + end, " ".join(m) + end

    def paragraph(self):
        z, m = [], []
        for _ in range(self.between(1, 4)):
            a, b = self.sentence()
            z.append(a[:1].upper() + a[1:])
            m.append(b[:1].upper() + b[1:])
        # One sentence a line, as hand-written text often is; now and then a hard break.
        hard = "  " if self.chance(0.05) else ""
        return (hard + "\n").join(z) + "\n", (hard + "\n").join(m) + "\n"

    # -- blocks ---------------------------------------------------------------------------
    def heading(self, level):
        text = self.words(1, 5)
        text = text[:1].upper() + text[1:]
        if self.chance(0.1):
            text += " `%s`" % self.name()
        if level <= 2 and self.chance(0.15):
            t = "%s\n%s\n" % (text, ("=" if level == 1 else "-") * max(3, len(text)))
        else:
            t = "%s %s\n" % ("#" * level, text)
        return t, t

    def list_block(self, depth=0):
        ordered = self.chance(0.35)
        task = not ordered and self.chance(0.3)
        indent = "   " * depth if ordered else "  " * depth
        z, m = [], []
        for n in range(self.between(2, 5)):
            if ordered:
                marker = "%d. " % (n + 1)
            else:
                marker = self.pick(["- ", "* "]) if depth == 0 else "- "
            if task:
                marker += self.pick(["[ ] ", "[x] "])
            a, b = self.sentence(3, 10)
            z.append(indent + marker + a + "\n")
            m.append(indent + marker + b + "\n")
            if depth < 2 and self.chance(0.2):
                a, b = self.list_block(depth + 1)
                z.append(a)
                m.append(b)
        return "".join(z), "".join(m)

    def table(self):
        columns = self.between(2, 5)
        head = "| " + " | ".join(self.words(1, 2).title() for _ in range(columns)) + " |\n"
        rule = "| " + " | ".join(self.pick(["---", ":---", "---:", ":---:"])
                                 for _ in range(columns)) + " |\n"
        z, m = [head, rule], [head, rule]
        for _ in range(self.between(2, 8)):
            zc, mc = [], []
            for _ in range(columns):
                k = self.below(5)
                if k == 0:
                    cell = str(self.between(0, 99999))
                    zc.append(cell)
                    mc.append(cell)
                elif k == 1:
                    e = self.atom()
                    zc.append("$%s$" % e)
                    mc.append("`%s`" % e)
                else:
                    a, b = self.sentence(1, 3, in_table=True)
                    zc.append(a[:-1])
                    mc.append(b[:-1])
            z.append("| " + " | ".join(zc) + " |\n")
            m.append("| " + " | ".join(mc) + " |\n")
        return "".join(z), "".join(m)

    def code_block(self):
        if self.chance(0.1):
            lines = ["    %s = %s(%d)" % (self.name(), self.name(), self.below(100))
                     for _ in range(self.between(2, 6))]
            t = "\n".join(lines) + "\n"
            return t, t
        lang = self.pick(LANGUAGES)
        info = self.weighted([
            (3, lang), (1, ""), (2, '%s title="%s.%s"' % (lang, self.name(), lang)),
            (1, "%s {%d,%d-%d}" % (lang, self.between(1, 2), self.between(3, 4),
                                   self.between(5, 8))),
            (1, "%s showLineNumbers" % lang),
            (1, '%s diff caption="%s"' % (lang, self.words(2, 3))),
        ])
        fence = self.pick(["```", "```", "~~~", "````"])
        lines = []
        level = 0
        for _ in range(self.between(3, 18)):
            k = self.below(8)
            if k == 0 and level < 3:
                lines.append("  " * level + "fn %s(%s) {" % (self.name(), self.pick(NOUNS)))
                level += 1
            elif k == 1 and level > 0:
                level -= 1
                lines.append("  " * level + "}")
            elif k == 2:
                lines.append("")
            elif k == 3:
                lines.append("  " * level + "// " + self.words(2, 7))
            else:
                lines.append("  " * level + "let %s = %s(%d, \"%s\"); // $%d" % (
                    self.name(), self.name(), self.below(1000), self.word(), self.below(10)))
        t = "%s%s\n%s\n%s\n" % (fence, info, "\n".join(lines), fence)
        return t, t

    def blockquote(self):
        z, m = [], []
        for _ in range(self.between(1, 3)):
            a, b = self.list_block() if self.chance(0.25) else self.paragraph()
            z.append(a)
            m.append(b)

        def quoted(text):
            return "".join("> %s\n" % line if line else ">\n"
                           for line in text.rstrip("\n").split("\n"))
        return quoted("\n".join(z)), quoted("\n".join(m))

    def definition_list(self):
        z, m = [], []
        for n in range(self.between(1, 3)):
            if n:
                z.append("\n")
                m.append("\n")
            term = self.words(1, 3).capitalize() + "\n"
            z.append(term)
            m.append(term)
            for _ in range(self.between(1, 2)):
                a, b = self.sentence(3, 10)
                z.append(": " + a + "\n")
                m.append(": " + b + "\n")
        return "".join(z), "".join(m)

    def html_block(self):
        a, b = self.paragraph()
        summary = self.words(2, 4)
        return ("<details>\n<summary>%s</summary>\n\n%s\n</details>\n" % (summary, a),
                "<details>\n<summary>%s</summary>\n\n%s\n</details>\n" % (summary, b))

    def figure(self):
        self.figures += 1
        t = '![%s](/media/figure-%d.svg "%s")\n' % (self.words(2, 4), self.figures,
                                                      self.words(1, 3))
        return t, t

    def display_math(self):
        body = self.display_body()
        self.equations += 1
        opening = "$$"
        if self.chance(0.4):
            opening += " {#eq:%s-%d}" % (self.pick(NOUNS), self.equations)
        return "%s\n%s\n$$\n" % (opening, body), "```latex\n%s\n```\n" % body

    def self_closing(self):
        name = self.pick(SELF_CLOSING)
        attributes = self.attributes(1, 4)
        if self.chance(0.2):
            # A tag over several lines.
            return "<%s\n  %s\n/>\n" % (name, attributes.strip().replace(" ", "\n  ", 2)), ""
        return "<%s%s />\n" % (name, attributes), ""

    def component(self, depth=0):
        name = self.pick(BLOCK_COMPONENTS)
        opening = "<%s%s>" % (name, self.attributes(0, 3))
        if self.chance(0.15):
            text = self.words(2, 6)
            return "%s%s</%s>\n" % (opening, text, name), text + "\n"
        z, m = [], []
        for _ in range(self.between(1, 3)):
            builder = self.weighted([
                (6, self.paragraph), (2, self.list_block), (1, self.code_block),
                (1, self.display_math), (1, self.self_closing),
                (1 if depth < 2 else 0, lambda: self.component(depth + 1)),
            ])
            a, b = builder()
            z.append(a)
            if b:
                m.append(b)
        return "%s\n\n%s\n</%s>\n" % (opening, "\n".join(z), name), "\n".join(m)

    def thematic_break(self):
        t = self.pick(["***\n", "___\n", "- - -\n"])
        return t, t

    def block(self):
        builder = self.weighted([
            (28, self.paragraph), (8, self.list_block), (3, self.table), (6, self.code_block),
            (3, self.blockquote), (2, self.definition_list), (1, self.thematic_break),
            (1, self.figure), (1, self.html_block), (3, self.display_math),
            (3, self.component), (2, self.self_closing),
        ])
        return builder()

    def footnote_definitions(self):
        z, m = [], []
        for label in self.pending:
            a, b = self.sentence(4, 12)
            if self.chance(0.2):
                c, d = self.sentence(4, 10)
                a += "\n\n    " + c
                b += "\n\n    " + d
            # A footnote's text holds no further footnote reference.
            z.append("[^n%d]: %s\n" % (label, a))
            m.append("[^n%d]: %s\n" % (label, b))
        self.pending = []
        return "\n".join(z), "\n".join(m)

    def section(self):
        z, m = [], []

        def add(pair):
            if pair[0]:
                z.append(pair[0])
            if pair[1]:
                m.append(pair[1])
        add(self.heading(2))
        for _ in range(self.between(3, 9)):
            if self.chance(0.15):
                add(self.heading(self.pick([3, 3, 4])))
            add(self.block())
        if self.pending:
            add(self.footnote_definitions())
        return "\n".join(z), "\n".join(m)

    def front_matter(self):
        authors = "".join('  - name: "%s %s"\n    orcid: 0000-%04d\n' % (
            self.pick(NOUNS).title(), self.pick(ADJECTIVES).title(), self.below(10000))
            for _ in range(self.between(1, 3)))
        return ("---\ntitle: \"%s\"\nsummary: >\n  %s\ndate: 2025-%02d-%02d\ndraft: %s\n"
                "revision: %d\nweight: %d.%d\nauthors:\n%stags: [%s]\ngithub: demo/%s\n"
                "site:\n  title: %s\n  base_url: https://demo.example.net\n"
                "release:\n  tag: v%d.%d\n---\n") % (
            self.words(3, 6).title(), self.words(8, 16), self.between(1, 12),
            self.between(1, 28), self.pick(["true", "false"]), self.between(1, 40),
            self.below(10), self.below(10), authors,
            ", ".join(self.word() for _ in range(self.between(2, 5))), self.pick(NOUNS),
            self.pick(NOUNS).title(), self.below(5), self.below(20))

    def documents(self, size):
        """The two documents, ending with the section that reaches `size` bytes of zuv text."""
        front = self.front_matter()
        title = "# %s\n" % self.words(2, 5).title()
        z, m = [front + title], [title]
        written = len(front) + len(title)
        while written < size:
            a, b = self.section()
            z.append(a)
            m.append(b)
            written += len(a.encode("utf-8")) + 1
        return "\n".join(z), "\n".join(m)


def parse_size(text):
    """"100k" is 100 KiB, "1m" 1 MiB, a plain number bytes."""
    text = text.strip().lower()
    scale = {"k": 1 << 10, "m": 1 << 20}.get(text[-1:], 1)
    return int(float(text.rstrip("km")) * scale)


def write(out, sizes, seed=DEFAULT_SEED):
    """Writes zuv-<size>.md and md-<size>.md into `out` for each size of the comma-separated
    `sizes`; returns their paths."""
    os.makedirs(out, exist_ok=True)
    paths = []
    for tag in sizes.lower().split(","):
        zuv, plain = Writer(seed).documents(parse_size(tag))
        for stem, text in (("zuv", zuv), ("md", plain)):
            path = os.path.join(out, "%s-%s.md" % (stem, tag))
            with open(path, "w", encoding="utf-8", newline="\n") as f:
                f.write(text)
            paths.append(path)
    return paths


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--out", required=True)
    ap.add_argument("--sizes", default="100k,1m")
    ap.add_argument("--seed", type=int, default=DEFAULT_SEED)
    a = ap.parse_args()
    for path in write(a.out, a.sizes, a.seed):
        print("%10d  %s" % (os.path.getsize(path), path))


if __name__ == "__main__":
    main()

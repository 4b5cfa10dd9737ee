#!/usr/bin/env python3
"""Speed of the Python boundary of _zuv: value tree -> Python objects (and back).

Until the parser lands, `parse` cannot produce a realistic tree, so this script builds a tree of
the dict form from each corpus document with a crude block and inline splitter (headings, code
blocks, paragraphs; strong, emphasis, inline code, links and text runs, with positions), writes
it as JSON, and times through `_zuv_testing`:

  - value_to_python alone, on the value tree parsed from that JSON once in C++, and with the
    garbage collection it defers to the caller's next allocation (the collector is paused
    during the conversion, so its new objects are all young when it resumes; json.loads runs
    its collections inside the call);
  - json.loads of the same JSON text, the yardstick the whole parse is held to;
  - python_to_value of the resulting dict (the road of validate, query_all, collect_text).

The ratio is json.loads over value_to_python with its collection. Figures are medians of the calling thread's CPU time (so that waiting for a core on a shared
machine does not count); MB/s is measured against the size of the source document.

Usage: PYTHONPATH=build/module-testing python3 bench/module.py [--build build] \
           [--sizes 100k,1m] [--repeat 21]      (the corpus: bench/prepare.py)
"""
import argparse
import json
import os
import re
import statistics
import time

import _zuv_testing
import prepare

INLINE = re.compile(r"\*\*(?P<strong>[^*\n]+)\*\*|\*(?P<em>[^*\n]+)\*|`(?P<code>[^`\n]+)`"
                    r"|\[(?P<label>[^\]]+)\]\((?P<url>[^)\s]+)[^)]*\)")


class Tree:
    def __init__(self, text):
        self.text = text
        self.line_starts = [0] + [m.end() for m in re.finditer("\n", text)]

    def point(self, offset):
        lo, hi = 0, len(self.line_starts) - 1
        while lo < hi:
            mid = (lo + hi + 1) // 2
            if self.line_starts[mid] <= offset:
                lo = mid
            else:
                hi = mid - 1
        return {"column": offset - self.line_starts[lo] + 1, "line": lo + 1, "offset": offset}

    def position(self, start, end):
        return {"end": self.point(end), "start": self.point(start)}

    def texts(self, start, end):
        nodes = []
        for m in re.finditer(r"[^\n]+", self.text[start:end]):
            s, e = start + m.start(), start + m.end()
            nodes.append({"position": self.position(s, e), "type": "text", "value": m.group()})
        return nodes

    def inlines(self, start, end):
        nodes, at = [], start
        for m in INLINE.finditer(self.text, start, end):
            nodes += self.texts(at, m.start())
            pos = self.position(m.start(), m.end())
            if m.group("code") is not None:
                nodes.append({"position": pos, "type": "code_inline", "value": m.group("code")})
            elif m.group("url") is not None:
                s = m.start("label")
                nodes.append({"children": self.texts(s, m.end("label")), "position": pos,
                              "type": "link", "url": m.group("url")})
            else:
                group = "strong" if m.group("strong") is not None else "em"
                s = m.start(group)
                nodes.append({"children": self.texts(s, m.end(group)), "position": pos,
                              "type": "strong" if group == "strong" else "emphasis"})
            at = m.end()
        return nodes + self.texts(at, end)

    def root(self):
        children, text = [], self.text
        blocks = re.finditer(r"(?ms)^```.*?^```[^\n]*$|(?:^[^\n]+\n?)+", text)
        for m in blocks:
            s, e = m.start(), m.end()
            block = m.group()
            pos = self.position(s, e)
            if block.startswith("```"):
                lang = block[3:block.index("\n")].strip() or None
                node = {"position": pos, "type": "code_block",
                        "value": block[block.index("\n") + 1:block.rindex("```")]}
                if lang:
                    node["lang"] = lang
            elif block.startswith("#"):
                hashes = len(block) - len(block.lstrip("#"))
                node = {"children": self.inlines(s + hashes + 1, e), "depth": hashes,
                        "position": pos, "type": "heading"}
            else:
                node = {"children": self.inlines(s, e), "position": pos, "type": "paragraph"}
            children.append(node)
        return {"children": children, "frontmatter": None,
                "position": self.position(0, len(text)), "type": "root"}


def count_nodes(value):
    stack, n = [value], 0
    while stack:
        v = stack.pop()
        if isinstance(v, dict):
            n += "type" in v
            stack.extend(v.values())
        elif isinstance(v, list):
            stack.extend(v)
    return n


def median_seconds(fn, repeat):
    times = []
    for _ in range(repeat):
        start = time.thread_time()
        result = fn()
        times.append(time.thread_time() - start)
        del result
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--sizes", default="100k,1m")
    parser.add_argument("--repeat", type=int, default=21)
    args = parser.parse_args()
    corpus = prepare.corpus(args.build, args.sizes)
    print(f"{'document':<14}{'nodes':>8}{'JSON':>9}  {'value_to_python':>22}  {'+ its gc':>9}"
          f"  {'json.loads':>11}  {'ratio':>6}  {'python_to_value':>16}")
    for size in args.sizes.split(","):
        path = os.path.join(corpus, f"zuv-{size}.md")
        with open(path, encoding="utf-8") as f:
            source = f.read()
        tree = Tree(source).root()
        nodes = count_nodes(tree)
        json_text = json.dumps(tree, sort_keys=True, ensure_ascii=False)
        assert _zuv_testing.build(json_text) == json.loads(json_text)
        # Timed with no other large structure alive, as a caller would meet it.
        del tree
        mb = len(source.encode()) / 1e6
        to_python = statistics.median(_zuv_testing.time_value_to_python(json_text, args.repeat))
        with_gc = statistics.median(
            _zuv_testing.time_value_to_python(json_text, args.repeat, with_collection=True))
        loads = median_seconds(lambda: json.loads(json_text), args.repeat)
        obj = json.loads(json_text)
        to_value = statistics.median(_zuv_testing.time_python_to_value(obj, args.repeat))
        del obj
        print(f"{os.path.basename(path):<14}{nodes:>8}{len(json_text) / 1e6:>8.2f}M"
              f"  {to_python * 1e3:>8.2f} ms {mb / to_python:>6.0f} MB/s"
              f"  {with_gc * 1e3:>6.2f} ms"
              f"  {loads * 1e3:>8.2f} ms  {loads / with_gc:>5.2f}x"
              f"  {to_value * 1e3:>8.2f} ms")


if __name__ == "__main__":
    main()

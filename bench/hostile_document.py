#!/usr/bin/env python3
"""Growth of time and memory on hostile documents: the shapes of the table below, aimed at the
layers above the Markdown engine (component tags, inline tags in HTML, attributes, references,
math, code-fence metadata, front matter, transforms, the readers), each run through the public
functions of _zuv at n and 4n bytes, each measurement in a fresh interpreter.

Prints, per shape, the CPU time of the call at both sizes and its ratio (linear work gives
about 4), and the peak memory of one call in a fresh interpreter (VmHWM once the input is
built, less the resident memory before the call; for the reservation row, the address space:
VmPeak less VmSize). Exits with 1 when a ratio passes 10, when a call peaks above the row's
multiple of its input (plus 16 MB of slack for the allocator), when a call fails (MemoryError
under the children's 6 GB address-space cap) or takes longer than --timeout. It is a check to
run by hand, not a test: times are noisy on a shared machine, re-run a row with --only before
believing a ratio. `bench/hostile.py` does the same for the engine's hostile table.

A row's multiple says how much its output may take: a node costs about 1.3 KB as Python dicts,
so a document of one node per byte peaks near 1,300 times its size whatever the shape; the
multiples of the shapes that make few nodes are small, so that copies of the input show.

    /usr/bin/python3 bench/hostile_document.py [--build build | --module DIR] [--scale 1.0]
                                               [--only TEXT]... [--timeout 300] [--list]
"""
import argparse
import json
import os
import subprocess
import sys
from dataclasses import dataclass

import prepare

MAX_RATIO = 10.0
SLACK_MB = 16.0
AS_CAP = 6_000_000_000  # address space of every child, so that no shape takes the machine


@dataclass
class Shape:
    name: str
    size: int    # n in bytes; the input the setup builds comes out about that long
    setup: str   # Python that builds `text` (the document, whose length is reported) from `n`
    call: str    # the measured expression
    mem: float   # the peak allowed, as a multiple of len(text) (plus SLACK_MB)...
    floor_mb: float = 0.0  # ...or this many MB when more, for budgets with a fixed floor
    vm: bool = False  # measure address space instead of resident memory
    stack_kib: int = 0  # run the call on a thread with this much stack (0: the main thread)


def rep(unit, count="n"):
    return f"text = {unit!r} * max(1, ({count}) // {len(unit)})"


PARSE = "_zuv.parse(text)"

SHAPES = [
    # ---- the faults of the hostile-input review, worst first ---------------------------------
    Shape("fault 1: <div> then <A> without closers", 250_000,
          "text = '<div>' + '<A>' * (n // 3)", PARSE, 600),
    Shape("fault 1: <!-- then <A> without closers", 250_000,
          "text = '<!--' + '<A>' * (n // 3)", PARSE, 600),
    Shape("fault 1: <div> then distinct names", 250_000,
          "text = '<div>' + ''.join(f'<A{i}>' for i in range(n // 8))", PARSE, 600),
    Shape("fault 1: <div> then <A> with JSON", 250_000,
          "text = '<div>' + '<A x={{[1, {\"k\": 2}]}}>' * (n // 23)", PARSE, 600),
    Shape("fault 2: {1-60000} lists in one info string", 250_000,
          "text = '```js ' + '{1-60000} ' * (n // 10) + '\\n```\\n'", PARSE, 60),
    Shape("fault 3: {1-65536} in every block", 16_384,
          rep("```js {1-65536}\n```\n"), PARSE, 100, floor_mb=70),  # 2^20 values at 64 B
    Shape("fault 4: github key and #1 references", 65_536,
          "text = '---\\ngithub: ' + 'a' * (n // 2) + '\\n---\\n' + '#1 ' * (n // 6)",
          "_zuv.parse_with_transforms(text, ['github'])", 200),
    Shape("fault 5: query_all of nested blockquotes", 65_536,
          "text = '> ' * 120 + 'a *b* ' * (n // 6); tree = _zuv.parse(text)",
          "_zuv.query_all(tree, 'blockquote')", 1000),
    Shape("fault 6: validate with a long allowed_children", 262_144,
          "text = '<A>\\n\\n' + '<B />\\n' * (n // 12) + '\\n</A>\\n'; tree = _zuv.parse(text);"
          " schema = {'components': {'A': {'allowed_children':"
          " [f'C{i}' for i in range(n // 12)] + ['B'], 'props': {}},"
          " 'B': {'props': {}}}}",
          "_zuv.validate(tree, schema)", 400),
    Shape("fault 7: reservation, parse of one long line", 32_000_000,
          "text = 'a' * n", PARSE, 5, vm=True),
    # ---- blocks that end inside an inline component move into it, and it into the next block:
    # the tree nests one level deeper per unit though no frame stays open, until it is cut ----
    *[Shape(f"moved: {name}{thread}", size, setup, PARSE, 1500, stack_kib=stack)
      for name, size, setup in [
          ("paragraphs", 180_000, rep("\n</A><A>\n")),
          ("paragraphs, wrong closers", 180_000, rep("\n</B><A>\n")),
          ("headings", 180_000, rep("# </A><A>\n")),
          ("list items", 180_000, rep("- </A><A>\n")),
          ("block quotes", 180_000, rep("> </A><A>\n\n")),
          ("table cells", 60_000, "text = '| a |\\n|---|\\n' + '| </A><A> |\\n' * (n // 12)"),
          ("emphasis", 180_000, rep("*</A><A>*\n"))]
      for thread, stack in [("", 0), (", 1 MiB thread", 1024)]],
    # ---- component tags on their own lines ---------------------------------------------------
    Shape("components: nested openers and closers", 250_000,
          "k = n // 9; text = '<A>\\n' * k + '</A>\\n' * k", PARSE, 1000),
    Shape("components: nested distinct names", 250_000,
          "k = n // 14; text = ''.join(f'<A{i}>\\n' for i in range(k))"
          " + ''.join(f'</A{i}>\\n' for i in reversed(range(k)))", PARSE, 1000),
    Shape("components: siblings", 250_000, rep("<A>\nx\n</A>\n"), PARSE, 1000),
    Shape("components: one opener, then closers", 250_000,
          "text = '<A>\\n' + '</A>\\n' * (n // 5)", PARSE, 1000),
    Shape("components: openers of distinct names, no closer", 250_000,
          "text = ''.join(f'<A{i}>\\n' for i in range(n // 8))", PARSE, 60),
    Shape("components: opener and closer on every line", 250_000,
          rep("<A>x</A>\n"), PARSE, 1000),
    Shape("components: tag lines cut by faults", 250_000, rep("<A x=\"\n"), PARSE, 400),
    # Each of 127 nested components holds the long line in its rawContent: the output itself is
    # 127 times the input (in the tree, its value tree and Python), bounded by the nesting limit.
    Shape("components: 127 nested around one long line", 250_000,
          "text = '<A>\\n' * 127 + 'y' * n + '\\n' + '</A>\\n' * 127", PARSE, 500),
    # ---- inline tags in HTML events ----------------------------------------------------------
    Shape("inline: <A> tags in a paragraph", 250_000,
          "text = 'x ' + '<A> ' * (n // 4)", PARSE, 1000),
    Shape("inline: nested <A> then </A> in a paragraph", 250_000,
          "k = n // 8; text = 'x ' + '<A>' * k + '</A>' * k", PARSE, 1000),
    Shape("inline: 127 nested around one long text", 250_000,
          "text = 'x ' + '<A>' * 127 + 'y' * n + '</A>' * 127", PARSE, 500),
    # Found by fuzzing: each wrong closer moved the content of the innermost of 127 frames.
    Shape("inline: misnested closers under deep frames", 250_000,
          "text = 'x ' + ('<A>' + '[' * 42 + ' x ') * (n // 48) + '</B>' * 130", PARSE, 1500),
    Shape("inline: misnested closers in a paragraph", 250_000,
          "text = 'x <A>' + ' </B>' * (n // 5)", PARSE, 1000),
    Shape("inline: closed components in one HTML line", 250_000,
          "text = '<div>' + '<A>x</A>' * (n // 8)", PARSE, 1000),
    Shape("inline: faulty tags in one HTML line", 250_000,
          "text = '<div>' + '<A x=\\'' * (n // 6)", PARSE, 600),
    Shape("inline: <A> without closers on many HTML lines", 250_000,
          "text = '<div>\\n' + '<A><A><A><A>\\n' * (n // 13)", PARSE, 600),
    # ---- attributes --------------------------------------------------------------------------
    Shape("attributes: many flags on one tag", 250_000,
          "text = '<A ' + 'a ' * (n // 2) + '/>\\n'", PARSE, 1000),
    Shape("attributes: many JSON members", 250_000,
          "text = '<A x={{{' + ','.join(f'\"k{i}\": {i}' for i in range(n // 12)) + '}}} />\\n'",
          PARSE, 1000),
    Shape("attributes: JSON 128 levels deep on every line", 250_000,
          rep("<A x={{" + "[" * 128 + "]" * 128 + "}} />\n"), PARSE, 200),
    Shape("attributes: JSON too deep on every line", 250_000,
          rep("<A x={{" + "[" * 200 + "]" * 200 + "}} />\n"), PARSE, 200),
    Shape("attributes: JSON never closed", 250_000,
          "text = '<A x={{' + '[{\"a\": \"}}' * (n // 11)", PARSE, 60),
    Shape("attributes: escaped quotes in one string", 250_000,
          "text = '<A x=\"' + '\\\\\"' * (n // 2) + '\" />\\n'", PARSE, 60),
    Shape("attributes: invalid primitives", 250_000, rep("<A x={1e999999} />\n"), PARSE, 200),
    # ---- references: citations, cross-references, variables ----------------------------------
    Shape("references: one citation of many keys", 250_000,
          "text = '[@' + 'a; ' * (n // 3) + ']'", PARSE, 1000),
    Shape("references: brackets then one @", 250_000,
          "text = '[' * n + '@]'", PARSE, 1000),
    Shape("references: {@ without a brace", 250_000, rep("{@"), PARSE, 60),
    Shape("references: cross-references", 250_000, rep("{@a} "), PARSE, 1000),
    Shape("references: variables", 250_000, rep("{$a.b} "), PARSE, 1000),
    Shape("references: one long invalid variable", 250_000,
          "text = '{$' + 'a..' * (n // 3) + '}'", PARSE, 60),
    Shape("references: citations split by emphasis", 250_000,
          rep("[@a *b* c] "), PARSE, 1000),
    Shape("references: inline math split by underscores", 250_000,
          rep("$a_b_c$ x_y "), PARSE, 1000),
    # ---- math --------------------------------------------------------------------------------
    Shape("math: many inline expressions", 250_000, rep("$a^2$ "), PARSE, 1000),
    Shape("math: open groups", 250_000, "text = '$' + '{' * n + '$'", PARSE, 200),
    Shape("math: \\left( without \\right", 250_000, "text = '$' + '\\\\left(' * (n // 6) + 'x$'",
          PARSE, 200),
    Shape("math: \\frac{ without arguments", 250_000, "text = '$' + '\\\\frac{' * (n // 6) + '$'",
          PARSE, 200),
    Shape("math: scripts", 250_000, "text = '$' + 'x^' * (n // 2) + 'y$'", PARSE, 1000),
    Shape("math: \\sqrt[ without closers", 250_000, "text = '$' + '\\\\sqrt[' * (n // 6) + '$'",
          PARSE, 200),
    Shape("math: matrix cells", 250_000,
          "text = '$$\\n\\\\begin{matrix}\\n' + 'a & b \\\\\\\\\\n' * (n // 9) +"
          " '\\\\end{matrix}\\n$$\\n'", PARSE, 1000),
    Shape("math: unclosed environments", 250_000,
          "text = '$$\\n' + '\\\\begin{matrix}' * (n // 14) + '\\n$$\\n'", PARSE, 200),
    # ---- code-fence metadata -----------------------------------------------------------------
    Shape("meta: many titles in one info string", 250_000,
          "text = '```js ' + 'title=\\'x\\' ' * (n // 10) + '\\n```\\n'", PARSE, 60),
    Shape("meta: many small lists in one info string", 250_000,
          "text = '```js ' + '{1,3-5} ' * (n // 8) + '\\n```\\n'", PARSE, 60),
    Shape("meta: one list of many pieces", 250_000,
          "text = '```js {' + ','.join(['7'] * (n // 2)) + '}\\n```\\n'", PARSE, 60),
    # ---- front matter ------------------------------------------------------------------------
    Shape("front matter: many keys", 250_000,
          "text = '---\\n' + ''.join(f'k{i}: v\\n' for i in range(n // 10)) + '---\\nbody\\n'",
          PARSE, 1000),
    Shape("front matter: one long flow sequence", 100_000,
          "text = '---\\n[' + '1,' * (n // 2) + ']\\n---\\nbody\\n'", PARSE, 1000),
    Shape("front matter: aliases of a big anchor", 250_000,
          "text = '---\\na: &a [' + '1,' * 1000 + ']\\nb: [' + '*a,' * (n // 3) + ']\\n---\\nx\\n'",
          PARSE, 60),
    # Aliases count as the copies they make: the YAML budget's 64 MiB of text bounds them, and
    # they are held three times (the tree, its value tree, Python) at the peak.
    Shape("front matter: aliases of a long string", 250_000,
          "text = '---\\na: &a ' + 'x' * (n // 2) + '\\nb: [' + '*a, ' * 100 + ']\\n---\\nx\\n'",
          PARSE, 200, floor_mb=200),
    Shape("front matter: merge keys of a big mapping", 250_000,
          "text = '---\\nb: &b {' + ', '.join(f'k{i}: 1' for i in range(200)) + '}\\nl: ['"
          " + '{<<: *b},' * (n // 10) + ']\\n---\\nx\\n'", PARSE, 200),
    Shape("front matter: no closer", 250_000, "text = '---\\n' + 'a: b\\n' * (n // 5)", PARSE,
          1000),
    Shape("front matter: long block scalar", 250_000,
          "text = '---\\na: |\\n' + '  line\\n' * (n // 7) + '---\\nx\\n'", PARSE, 60),
    # ---- transforms and readers --------------------------------------------------------------
    Shape("transforms: equal headings", 250_000, rep("# A\n"),
          "_zuv.parse_with_defaults(text)", 1000),
    Shape("transforms: table of contents", 250_000,
          "text = '<TableOfContents />\\n\\n' + '## A\\n' * (n // 5)",
          "_zuv.parse_with_defaults(text)", 2000),
    Shape("readers: query_all of every text", 250_000,
          "text = 'a *b* ' * (n // 6); tree = _zuv.parse(text)", "_zuv.query_all(tree, 'text')",
          1000),
    Shape("readers: collect_text", 250_000,
          "text = 'a *b* ' * (n // 6); tree = _zuv.parse(text)", "_zuv.collect_text(tree)", 1000),
]

# Runs in a fresh interpreter: builds the input, then either times the call (the fastest of at
# least three calls, in CPU seconds of the thread, repeated until about 0.2 s were spent; of two
# when they take seconds, as the first touch of fresh memory slows the first; of one past 20 s)
# or measures the peak of one call; on the main thread, or on one of the row's stack size.
CHILD = r"""
import gc, json, resource, sys, threading, time, _zuv
cap, mode, n = int(sys.argv[1]), sys.argv[2], int(sys.argv[3])
setup, call, stack = sys.argv[4], sys.argv[5], int(sys.argv[6])
resource.setrlimit(resource.RLIMIT_AS, (cap, cap))
env = {"_zuv": _zuv, "n": n}
exec(setup, env)
size = len(env["text"].encode("utf-8", "surrogatepass"))
code = compile(call, "<call>", "eval")

def status(key):
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1]) * 1024
    raise SystemExit(f"no {key}")

def measure():
    try:
        if mode == "time":
            best, spent, runs = None, 0.0, 0
            while not ((runs >= 3 and spent >= 0.2) or (runs >= 2 and spent > 2.0) or spent > 20.0):
                runs += 1
                t0 = time.thread_time()
                result = eval(code, env)
                t = time.thread_time() - t0
                del result
                best = t if best is None else min(best, t)
                spent += t
            print(json.dumps({"size": size, "seconds": best}))
        else:
            gc.collect()
            rss, vm = status("VmRSS"), status("VmSize")
            with open("/proc/self/clear_refs", "w") as f:
                f.write("5")  # resets VmHWM to the present resident size
            result = eval(code, env)
            hwm, peak = status("VmHWM"), status("VmPeak")
            print(json.dumps({"size": size, "rss": hwm - rss, "vm": max(0, peak - vm)}))
    except MemoryError:
        print(json.dumps({"size": size, "error": "MemoryError"}))

if stack:
    threading.stack_size(stack * 1024)
    worker = threading.Thread(target=measure)
    worker.start()
    worker.join()
else:
    measure()
"""


def child(shape, mode, n, env, timeout):
    cmd = [sys.executable, "-c", CHILD, str(AS_CAP), mode, str(n), shape.setup, shape.call,
           str(shape.stack_kib)]
    try:
        out = subprocess.run(cmd, env=env, capture_output=True, timeout=timeout, text=True)
    except subprocess.TimeoutExpired:
        return {"error": f">{timeout:.0f} s"}
    if out.returncode != 0:
        return {"error": f"exit {out.returncode}: {out.stderr.strip().splitlines()[-1:]}"}
    return json.loads(out.stdout)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    where = ap.add_mutually_exclusive_group()
    where.add_argument("--build", default=os.path.join(prepare.ROOT, "build"),
                       help="build folder whose module is built and used (default build)")
    where.add_argument("--module", help="a folder that holds an already built _zuv module")
    ap.add_argument("--scale", type=float, default=1.0, help="multiplies every n")
    ap.add_argument("--only", action="append", help="rows whose name holds this text (repeatable)")
    ap.add_argument("--timeout", type=float, default=300.0, help="seconds per child")
    ap.add_argument("--list", action="store_true", help="print the row names and stop")
    args = ap.parse_args()

    shapes = [s for s in SHAPES if not args.only or any(o in s.name for o in args.only)]
    if args.list:
        print("\n".join(s.name for s in shapes))
        return 0
    if args.module:
        module = os.path.abspath(args.module)
    else:
        build = os.path.abspath(args.build)
        prepare.build(build, ["zuv_python"])
        module = os.path.join(build, "module")
    env = dict(os.environ, PYTHONPATH=module)

    print(f"module {module}; times are CPU ms of the call, peaks the MB one call adds"
          f" (limit: the row's multiple of its input + {SLACK_MB:.0f} MB)")
    print(f"{'shape':<52}{'n':>10}{'ms n':>10}{'ms 4n':>10}{'ratio':>7}{'MB n':>8}{'MB 4n':>8}"
          f"{'limit':>8}")
    failed = []
    for shape in shapes:
        n = max(1, int(shape.size * args.scale))
        runs = {size: (child(shape, "time", size, env, args.timeout),
                       child(shape, "peak", size, env, args.timeout)) for size in (n, 4 * n)}
        errors = [r["error"] for pair in runs.values() for r in pair if "error" in r]
        (t1, m1), (t4, m4) = runs[n], runs[4 * n]
        key = "vm" if shape.vm else "rss"
        if errors:
            print(f"{shape.name:<52}{n:>10}  failed: {errors[0]}", flush=True)
            failed.append(shape.name)
            continue
        ratio = t4["seconds"] / max(t1["seconds"], 1e-6)
        mb1, mb4 = m1[key] / 2**20, m4[key] / 2**20
        def limit_of(size):
            return max(shape.floor_mb, shape.mem * size / 2**20) + SLACK_MB
        limit = limit_of(m4["size"])
        notes = []
        if ratio > MAX_RATIO:
            notes.append("superlinear")
        if mb4 > limit or mb1 > limit_of(m1["size"]):
            notes.append("memory")
        if notes:
            failed.append(shape.name)
        print(f"{shape.name:<52}{m1['size']:>10}{t1['seconds'] * 1e3:10.1f}"
              f"{t4['seconds'] * 1e3:10.1f}{ratio:7.1f}{mb1:8.1f}{mb4:8.1f}{limit:8.0f}"
              f"{'  <-- ' + ', '.join(notes) if notes else ''}", flush=True)
    if failed:
        print(f"\nfailed: {'; '.join(failed)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

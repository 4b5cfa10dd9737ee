"""Parses a ZUV document with _zuv and prints its tree: an outline, or the whole dict as JSON."""
import argparse
import json
import pathlib

import _zuv

SAMPLE = pathlib.Path(__file__).resolve().parent.parent / "examples" / "sample.zuv"
SHORT = 40  # characters of a value shown in the outline


def cut(text: str) -> str:
    return text if len(text) <= SHORT else text[:SHORT - 3] + "..."


def short(value) -> str:
    return cut(json.dumps(value, ensure_ascii=False))


def attribute_form(value) -> str:
    """An attribute value as a tag writes it: "text", {42}, {true}, {null}, {{[...]}}, {$path}."""
    if isinstance(value, str):
        return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'
    if isinstance(value, dict) and list(value) == ["path", "position"]:
        return "{$" + value["path"] + "}"
    if isinstance(value, (dict, list)):
        return "{{" + json.dumps(value, ensure_ascii=False) + "}}"
    return "{" + json.dumps(value) + "}"


def is_node(value) -> bool:
    return isinstance(value, dict) and "type" in value


def span(position) -> str:
    start, end = position["start"], position["end"]
    return f" {start['line']}:{start['column']}-{end['line']}:{end['column']}"


def outline(node, depth=0, label="") -> None:
    """Prints a node and its descendants, one per line: type, range, then its short values."""
    fields = []
    below = []  # (label, node) pairs printed under this one
    for key, value in node.items():
        if key in ("type", "position"):
            continue
        if key == "children" and isinstance(value, list):
            below += [("", child) for child in value]
        elif is_node(value):
            below.append((f"{key}: ", value))
        elif isinstance(value, list) and value and all(is_node(v) for v in value):
            below += [(f"{key}: ", v) for v in value]
        elif key == "attributes" and node["type"] == "component":
            pairs = (f"{a['name']}={cut(attribute_form(a['value']))}" for a in value)
            fields.append(f"attributes=[{' '.join(pairs)}]")
        else:
            fields.append(f"{key}={short(value)}")
    position = span(node["position"]) if "position" in node else ""
    print("  " * depth + label + node["type"] + position + "".join(" " + f for f in fields))
    for child_label, child in below:
        outline(child, depth + 1, child_label)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--json", action="store_true", help="print the whole dict as JSON")
    parser.add_argument("path", nargs="?", default=SAMPLE, type=pathlib.Path,
                        help="the document (default: examples/sample.zuv)")
    args = parser.parse_args()
    try:
        text = args.path.read_text(encoding="utf-8")
    except OSError as e:
        parser.error(f"cannot read {args.path}: {e.strerror}")
    tree = _zuv.parse(text)
    if args.json:
        print(json.dumps(tree, indent=2, ensure_ascii=False))
    else:
        print(f"_zuv {_zuv.version()}: {args.path}")
        outline(tree)


if __name__ == "__main__":
    main()

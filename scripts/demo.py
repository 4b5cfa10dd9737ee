"""Parses a ZUV document with _zuv and prints its tree as indented JSON."""
import json
import sys

import _zuv


def main() -> None:
    path = sys.argv[1]
    with open(path, encoding="utf-8") as f:
        text = f.read()
    print(f"_zuv {_zuv.version()}")
    if not hasattr(_zuv, "parse"):
        print("parse() is not built yet; the module exports:", _zuv.__all__)
        return
    print(json.dumps(_zuv.parse(text), indent=2, ensure_ascii=False))


if __name__ == "__main__":
    main()

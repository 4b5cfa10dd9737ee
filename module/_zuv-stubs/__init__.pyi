"""ZUV Python module."""

from collections.abc import Mapping, Sequence
from typing import Any, NoReturn, overload

__all__: list[str]

def parse(input: str) -> dict[str, Any]:
    """Parse an ZUV document and return the AST as a Python dict."""

def parse_with_defaults(input: str) -> dict[str, Any]:
    """Parse with default transforms (auto-slug + table of contents)."""

# `transforms` is a sequence of names, each a str, but not a str itself: a str is refused with
# TypeError. No type says "a sequence of str but not a str", so the first overload gives such a
# call no result (the code after it is unreachable) rather than a dict.
@overload
def parse_with_transforms(input: str, transforms: str, repo: str | None = None) -> NoReturn:
    """Parse with a specific set of transforms ("auto-slug", "toc", "github"), in list order."""
@overload
def parse_with_transforms(
    input: str, transforms: Sequence[str], repo: str | None = None
) -> dict[str, Any]:
    """Parse with a specific set of transforms ("auto-slug", "toc", "github"), in list order."""

def validate(ast: Mapping[str, Any], schema: Mapping[str, Any]) -> list[dict[str, Any]]:
    """Validate an AST dict against a schema dict; returns a list of diagnostic dicts."""

def collect_text(ast: Mapping[str, Any]) -> str:
    """Extract plain text from an AST dict."""

def query_all(ast: Mapping[str, Any], node_type: str) -> list[dict[str, Any]]:
    """Find all nodes of a given type. Returns a list of node dicts."""

def version() -> str:
    """Return the ZUV parser version."""

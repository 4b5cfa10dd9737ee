import inspect

import pytest

import _zuv


def test_module_surface():
    assert _zuv.__doc__ == "ZUV Python module."
    assert _zuv.__all__ == ["parse", "parse_with_defaults", "parse_with_transforms", "validate",
                            "collect_text", "query_all", "version"]
    for name in _zuv.__all__:
        function = getattr(_zuv, name)
        assert function.__module__ == "_zuv"
        assert function.__self__ is _zuv


@pytest.mark.parametrize(
    "name, signature, doc",
    [
        ("parse", "(input)", "Parse an ZUV document and return the AST as a Python dict."),
        ("parse_with_defaults", "(input)",
         "Parse with default transforms (auto-slug + table of contents)."),
        ("parse_with_transforms", "(input, transforms, repo=None)",
         "Parse with a specific set of transforms.\n\n"
         'Supported transform names: ``"auto-slug"``, ``"toc"``, ``"github"``.\n'
         'Pass ``repo="owner/repo"`` for the github transform.'),
        ("validate", "(ast, schema)",
         "Validate an AST dict against a schema dict.\nReturns a list of diagnostic dicts."),
        ("collect_text", "(ast)", "Extract plain text from an AST dict."),
        ("query_all", "(ast, node_type)",
         "Find all nodes of a given type. Returns a list of node dicts."),
        ("version", "()", "Return the ZUV parser version."),
    ],
)
def test_doc_strings_and_signatures(name, signature, doc):
    function = getattr(_zuv, name)
    assert function.__name__ == name
    assert function.__text_signature__ == signature
    assert function.__doc__ == doc
    # The signature the interpreter derives names every parameter, each positional-or-keyword.
    params = inspect.signature(function).parameters.values()
    assert all(p.kind is inspect.Parameter.POSITIONAL_OR_KEYWORD for p in params)


def test_version():
    assert _zuv.version() == "0.1.2-beta.11"
    assert _zuv.version() is not _zuv.version()
    try:
        _zuv.version(1)
    except TypeError as e:
        assert "takes no arguments" in str(e)
    else:
        raise AssertionError("version(1) did not raise")


def test_parse_result_shape():
    tree = _zuv.parse("abc")
    assert list(tree) == ["children", "frontmatter", "position", "type"]
    assert list(tree["position"]) == ["end", "start"]
    assert list(tree["position"]["start"]) == ["column", "line", "offset"]
    assert tree == _zuv.parse(input="abc")
    # The fixed keys are interned once and shared by every result.
    assert next(iter(tree)) is next(iter(_zuv.parse("x")))


def test_each_import_fills_its_own_module():
    import importlib.util

    fresh = importlib.util.module_from_spec(_zuv.__spec__)
    _zuv.__spec__.loader.exec_module(fresh)
    assert fresh.__all__ == _zuv.__all__
    assert fresh.parse is not _zuv.parse and fresh.parse.__self__ is fresh

    odd = importlib.util.module_from_spec(_zuv.__spec__)
    odd.__all__ = ("kept",)
    try:
        _zuv.__spec__.loader.exec_module(odd)
    except TypeError as e:
        assert str(e) == "`__all__` must be a list"
    else:
        raise AssertionError("a tuple __all__ was accepted")

import ast
import inspect
import itertools
import pathlib

import _zuv

# An installed module has its stub package beside it; in the build tree the stub is the source's.
_installed = pathlib.Path(_zuv.__file__).with_name("_zuv-stubs") / "__init__.pyi"
STUB = (_installed if _installed.is_file()
        else pathlib.Path(__file__).parents[1] / "_zuv-stubs" / "__init__.pyi")


def test_stub_matches_the_module():
    tree = ast.parse(STUB.read_text(encoding="utf-8"))
    functions = [node for node in tree.body if isinstance(node, ast.FunctionDef)]
    # The overloads of a function stand together.
    assert [name for name, _ in itertools.groupby(f.name for f in functions)] == _zuv.__all__
    for stub in functions:
        runtime = inspect.signature(getattr(_zuv, stub.name))
        defaults = [None] * (len(stub.args.args) - len(stub.args.defaults)) + stub.args.defaults
        assert [(a.arg, d is not None) for a, d in zip(stub.args.args, defaults)] == [
            (p.name, p.default is not p.empty) for p in runtime.parameters.values()], stub.name
        assert stub.returns is not None, stub.name
        doc = ast.get_docstring(stub)
        assert doc and "\n" not in doc, stub.name

import pytest

import _zuv
t = pytest.importorskip("_zuv_testing")  # only the build tree has it, not an installed _zuv


class Text(str):
    pass


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: _zuv.parse(), "parse() missing 1 required positional argument: 'input'"),
        (lambda: _zuv.parse("a", "b"), "parse() takes 1 positional arguments but 2 were given"),
        (lambda: _zuv.parse(text="a"), "parse() got an unexpected keyword argument 'text'"),
        (lambda: _zuv.parse("a", input="a"), "parse() got multiple values for argument 'input'"),
        (lambda: _zuv.parse(5), "argument 'input': 'int' object is not an instance of 'str'"),
        (lambda: _zuv.parse(None), "argument 'input': 'None' is not an instance of 'str'"),
        (lambda: _zuv.parse(b"a"), "argument 'input': 'bytes' object is not an instance of 'str'"),
        (lambda: _zuv.parse(Text), "argument 'input': 'type' object is not an instance of 'str'"),
        # The binder's order: too many positionals first, then keywords as given, then missing.
        (lambda: t.bind(1, 2, 3, 4),
         "bind() takes from 2 to 3 positional arguments but 4 were given"),
        (lambda: t.bind(1, 2, 3, fourth=4), "bind() got an unexpected keyword argument 'fourth'"),
        (lambda: t.bind(1, zero=0, first=1), "bind() got an unexpected keyword argument 'zero'"),
        (lambda: t.bind(1, first=1, zero=0), "bind() got multiple values for argument 'first'"),
        (lambda: t.bind(), "bind() missing 2 required positional arguments: 'first' and 'second'"),
        (lambda: t.bind(third=3), "bind() missing 2 required positional arguments: 'first' and 'second'"),
        (lambda: t.bind(second=2), "bind() missing 1 required positional argument: 'first'"),
        (lambda: t.bind(1, **{"\ud800": 2}), "bind() got an unexpected keyword argument '?'"),
    ],
)
def test_binding_and_text_argument_errors(call, message):
    with pytest.raises(TypeError) as excinfo:
        call()
    assert type(excinfo.value) is TypeError
    assert str(excinfo.value) == message
    assert excinfo.value.args == (message,)


def test_binding_fills_parameters_by_position_and_keyword():
    assert t.bind(1, 2) == {"first": 1, "second": 2}
    assert t.bind(third=3, second=2, first=1) == {"first": 1, "second": 2, "third": 3}
    assert t.bind(1, third=3, second=2) == {"first": 1, "second": 2, "third": 3}


def test_text_arguments():
    assert t.text("plain") == "plain"
    assert t.text("äöü €𝄞") == "äöü €𝄞"
    assert t.text(Text("sub")) == "sub"
    assert t.text(value="kw") == "kw"
    assert _zuv.parse(Text("abc")) == _zuv.parse("abc")
    for call in (lambda: _zuv.parse("a\ud800b"), lambda: t.text("\udfff")):
        with pytest.raises(UnicodeEncodeError) as excinfo:
            call()
        assert "surrogates not allowed" in str(excinfo.value)


def test_optional_text_arguments():
    assert t.optional_text() is None
    assert t.optional_text(None) is None
    assert t.optional_text(value="") == ""
    with pytest.raises(TypeError) as excinfo:
        t.optional_text(5)
    assert str(excinfo.value) == "argument 'value': 'int' object is not an instance of 'str'"


def test_naming_rule_renames_exactly_type_error_and_keeps_its_cause():
    root = KeyError("root")

    def type_error_with_cause():
        raise TypeError("boom") from root

    with pytest.raises(TypeError) as excinfo:
        t.named(type_error_with_cause)
    assert str(excinfo.value) == "argument 'fn': boom"
    assert excinfo.value.__cause__ is root

    class Special(TypeError):
        pass

    for raised in (Special("sub"), ValueError("v"), UnicodeEncodeError("utf-8", "x", 0, 1, "no")):
        def fn(raised=raised):
            raise raised

        with pytest.raises(BaseException) as excinfo:
            t.named(fn)
        assert excinfo.value is raised


def test_failed_calls_keep_no_references(no_leak):
    def failing_calls():
        for call in (lambda: _zuv.parse(), lambda: _zuv.parse(5), lambda: _zuv.parse("\ud800"),
                     lambda: t.bind(1, first=1), lambda: t.bind()):
            try:
                call()
            except (TypeError, UnicodeEncodeError):
                pass

    no_leak(failing_calls)
    no_leak(lambda: _zuv.parse(input="some text"))

import _zuv


def test_module_surface():
    assert _zuv.__doc__ == "ZUV Python module."
    assert _zuv.__all__[-1] == "version"
    for name in _zuv.__all__:
        assert getattr(_zuv, name).__module__ == "_zuv"


def test_version():
    assert _zuv.version() == "0.1.2-beta.11"
    assert _zuv.version.__text_signature__ == "()"
    assert _zuv.version.__doc__ == "Return the ZUV parser version."

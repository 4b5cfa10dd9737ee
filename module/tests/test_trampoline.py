import pytest

t = pytest.importorskip("_zuv_testing")  # only the build tree has it, not an installed _zuv


def panic_type():
    with pytest.raises(BaseException) as excinfo:
        t.fault("logic_error")
    return type(excinfo.value)


def test_panic_exception_type():
    panic = panic_type()
    assert f"{panic.__module__}.{panic.__qualname__}" == "pyo3_runtime.PanicException"
    assert panic.__name__ == "PanicException"
    assert issubclass(panic, BaseException)
    assert not issubclass(panic, Exception)
    assert panic_type() is panic  # made once, kept


@pytest.mark.parametrize(
    "kind, message",
    [
        ("logic_error", "index out of bounds"),
        ("internal", "unreachable state"),
        ("unknown", "internal fault without a message"),
        ("no_object", "a module function returned no object"),
    ],
)
def test_faults_become_the_panic_exception(kind, message):
    panic = panic_type()
    try:
        t.fault(kind)
    except Exception:  # noqa: BLE001 - must not catch it
        pytest.fail("the panic exception was caught as an Exception")
    except panic as e:
        assert e.args == (message,)


def test_bad_alloc_becomes_memory_error():
    with pytest.raises(MemoryError):
        t.fault("bad_alloc")


def test_call_is_counted_only_inside_the_wrapper():
    assert t.inside_call() is True


def test_faults_keep_no_references(no_leak):
    panic = panic_type()

    def faults():
        for kind in ("logic_error", "internal", "unknown", "no_object"):
            try:
                t.fault(kind)
            except panic:
                pass

    no_leak(faults, calls=1000)

"""Calls on threads with small stacks: the deepest inputs the limits accept give their result or
the nesting error, never a crash (small_stack_calls.py, in a subprocess)."""
import os
import subprocess
import sys

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))

# Under the sanitizer every frame is several times larger, and the stack margin with it: a
# 64 KiB thread has no room for any call.
SANITIZED = "libasan" in os.environ.get("LD_PRELOAD", "")


@pytest.mark.parametrize("stack_kib", [
    pytest.param(64, marks=pytest.mark.skipif(SANITIZED, reason="too small under the sanitizer")),
    256,
    1024,
])
def test_small_thread_stacks_give_a_result_or_the_nesting_error(stack_kib):
    done = subprocess.run([sys.executable, os.path.join(HERE, "small_stack_calls.py"),
                           str(stack_kib * 1024)], capture_output=True, text=True, timeout=300)
    assert (done.returncode, done.stderr) == (0, "")
    outcomes = dict(line.split(": ", 1) for line in done.stdout.splitlines())
    assert len(outcomes) == len(done.stdout.splitlines()) > 0
    for name, outcome in outcomes.items():
        if stack_kib == 1024 and not SANITIZED:
            # The stack the limits are made for: the deepest inputs fit without the error.
            assert outcome == "ok", name
        else:
            assert outcome == "ok" or outcome.startswith("ValueError: nesting too deep"), name

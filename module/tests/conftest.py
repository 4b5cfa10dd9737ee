import gc
import os
import tracemalloc

import pytest


# Resident-memory checks mean nothing under the sanitizer: its quarantine holds on to freed memory.
skip_under_sanitizer = pytest.mark.skipif(
    "libasan" in os.environ.get("LD_PRELOAD", ""),
    reason="the sanitizer's quarantine holds on to freed memory")


@pytest.fixture
def no_leak():
    """Asserts that calling `fn` many times keeps no Python memory."""

    def check(fn, calls=3000, slack=16 * 1024):
        for _ in range(200):
            fn()
        gc.collect()
        tracemalloc.start()
        try:
            before = tracemalloc.get_traced_memory()[0]
            for _ in range(calls):
                fn()
            gc.collect()
            grown = tracemalloc.get_traced_memory()[0] - before
        finally:
            tracemalloc.stop()
        assert grown < slack, f"{grown} bytes kept after {calls} calls"

    return check

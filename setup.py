"""Builds the extension `_zuv` with CMake, for the interpreter that runs this build.

The metadata is in pyproject.toml. The build is a Release one without tests, so it needs
cmake, a C++20 compiler, the interpreter's headers, libyaml (its static library) and
nlohmann-json, and nothing else.
"""

import os
import pathlib
import shutil
import sys
import sysconfig

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext
from setuptools.command.install import install

ROOT = pathlib.Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext: Extension) -> None:
        cmake_dir = pathlib.Path(self.build_temp).resolve() / "cmake"
        # libyaml goes into the extension, so that it needs nothing where it is installed but the
        # interpreter and the C and C++ runtimes; its symbol table is stripped
        # (a sixth of its size).
        self.spawn(["cmake", "-S", str(ROOT), "-B", str(cmake_dir), "-DCMAKE_BUILD_TYPE=Release",
                    "-DZUV_TESTS=OFF", "-DZUV_STATIC_YAML=ON",
                    "-DCMAKE_MODULE_LINKER_FLAGS_RELEASE=-s",
                    f"-DPython3_EXECUTABLE={sys.executable}", f"-DZUV_PYTHONS={sys.executable}"])
        jobs = [] if "CMAKE_BUILD_PARALLEL_LEVEL" in os.environ else ["-j", str(os.cpu_count() or 1)]
        self.spawn(["cmake", "--build", str(cmake_dir), "--target", "zuv_python", *jobs])

        built = cmake_dir / "module" / ("_zuv" + sysconfig.get_config_var("EXT_SUFFIX"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


class Install(install):
    # Debian's setuptools reads two options of the install command that only Debian's own
    # interpreters define; without them it cannot build for any other CPython.
    def initialize_options(self) -> None:
        super().initialize_options()
        for option in ("install_layout", "prefix_option"):
            if not hasattr(self, option):
                setattr(self, option, None)


setup(
    ext_modules=[Extension("_zuv", sources=[])],
    cmdclass={"build_ext": CMakeBuild, "install": Install},
    # A module of one file cannot carry its stub, so the stub is a stub-only package, where type
    # checkers look for it.
    packages=["_zuv-stubs"],
    package_dir={"_zuv-stubs": "module/_zuv-stubs"},
    package_data={"_zuv-stubs": ["__init__.pyi"]},
    py_modules=[],
    # Out of `build/`, which is the CMake build folder of the scripts.
    options={"build": {"build_base": "build-package"}},
)

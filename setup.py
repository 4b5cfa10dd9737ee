"""Builds the extension `_zuv` with CMake, for the interpreter that runs this build.

The metadata is in pyproject.toml. The build is a Release one without tests, so it needs
cmake, a C++20 compiler, the interpreter's headers, libyaml and nlohmann-json, and nothing else.
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
        self.spawn(["cmake", "-S", str(ROOT), "-B", str(cmake_dir), "-DCMAKE_BUILD_TYPE=Release",
                    "-DZUV_TESTS=OFF", f"-DPython3_EXECUTABLE={sys.executable}",
                    f"-DZUV_PYTHONS={sys.executable}"])
        jobs = [] if "CMAKE_BUILD_PARALLEL_LEVEL" in os.environ else ["-j", str(os.cpu_count() or 1)]
        self.spawn(["cmake", "--build", str(cmake_dir), "--target", "zuv_python", *jobs])

        built = cmake_dir / "module" / ("_zuv" + sysconfig.get_config_var("EXT_SUFFIX"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)
        # The stub goes beside the extension: a top-level module has no package to carry it.
        shutil.copyfile(ROOT / "module" / "_zuv.pyi", target.parent / "_zuv.pyi")


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
    packages=[],
    py_modules=[],
    # Out of `build/`, which is the CMake build folder of the scripts.
    options={"build": {"build_base": "build-package"}},
)

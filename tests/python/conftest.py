"""Shared by the module's tests: where cuplo-calc and the source tree are, and the demo design.

CTest sets CUPLO_CALC (the cuplo-calc program) and CUPLO_SOURCE (the source tree), and puts
the build tree's package first on PYTHONPATH.
"""
import os
import pathlib
import subprocess

import pytest

import cuplo

SOURCE = pathlib.Path(os.environ.get("CUPLO_SOURCE", pathlib.Path(__file__).parents[2]))
CALC = os.environ.get("CUPLO_CALC", "")
INCH = 0.0254


def calc(*args: str) -> subprocess.CompletedProcess:
    """cuplo-calc run with the arguments; skips the test where it is not given."""
    if not CALC:
        pytest.skip("CUPLO_CALC is not set")
    return subprocess.run([CALC, *args], capture_output=True, text=True, check=True)


@pytest.fixture
def alumina() -> cuplo.Substrate:
    """The substrate of demo/CuploDEMO.DEF, with its losses."""
    return cuplo.Substrate(er=9.8, h="0.025in", t="0.0002in", tand=2e-4,
                           resistivity=2.44e-8, roughness=4 * 0.0254e-6)


@pytest.fixture
def demo_section() -> cuplo.CrossSection:
    return cuplo.CrossSection(n=4, w="0.0015in", s="0.002in")

"""The README's Python example, extracted as it stands and run: it prints what the README
says it prints and draws the design map."""
import os
import re
import subprocess
import sys

import pathlib

import pytest

import cuplo
from conftest import SOURCE

pytest.importorskip("matplotlib")
pytest.importorskip("skrf")


def between(text, marker, fence):
    block = re.search(rf"<!-- {marker} -->\n```{fence}\n(.*?)```", text, re.S)
    assert block, f"no {marker} in README.md"
    return block.group(1)


def test_readme_python_example(tmp_path):
    readme = (SOURCE / "README.md").read_text()
    (tmp_path / "example.py").write_text(between(readme, "python example", "python"))
    # The module this test imports, first on the example's path.
    where = str(pathlib.Path(cuplo.__file__).parents[1])
    path = os.pathsep.join([where, os.environ.get("PYTHONPATH", "")])
    run = subprocess.run([sys.executable, "example.py"], cwd=tmp_path, capture_output=True,
                         text=True, env={**os.environ, "MPLBACKEND": "Agg", "PYTHONPATH": path})
    assert run.returncode == 0, run.stderr
    assert run.stderr == ""  # no accuracy warning
    assert run.stdout == between(readme, "python output", "text")
    picture = (tmp_path / "design_map.png").read_bytes()
    assert picture.startswith(b"\x89PNG") and len(picture) > 20_000

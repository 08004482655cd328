"""cuplo.layout: the files are cuplo-calc's, written whole or not at all; the polygons are the
drawing of the design."""
import datetime
import struct

import numpy as np
import pytest

import cuplo
from conftest import calc

ARGS = ["--n", "4", "--er", "9.8", "--h", "0.025", "--t", "0.0002", "--w", "0.0015",
        "--s", "0.002", "--fo", "10"]


def gds_time(data: bytes) -> datetime.datetime:
    """The modification time in a GDSII library's BGNLIB record (after the 6-byte HEADER)."""
    length, kind = struct.unpack(">HH", data[6:10])
    assert kind == 0x0102 and length == 28
    return datetime.datetime(*struct.unpack(">6h", data[10:22]))


SUB = cuplo.Substrate(er=9.8, h="0.025in", t="0.0002in")


@pytest.fixture
def drawn(tmp_path, demo_section):
    return cuplo.layout(SUB, demo_section, fo="10GHz", output=tmp_path / "calc")  # named calc


@pytest.mark.parametrize("extension", [".kicad_mod", ".svg", ".gds"])
def test_files_equal_cuplo_calc(tmp_path, drawn, extension):
    theirs = tmp_path / "theirs" / f"calc{extension}"
    theirs.parent.mkdir()
    calc("layout", *ARGS, "-o", str(theirs))
    expected = theirs.read_bytes()
    ours = (tmp_path / f"calc{extension}").read_bytes()
    if extension == ".gds":  # each stamped when written: ours again at cuplo-calc's time
        assert ours == drawn.gds_stream(gds_time(ours))
        ours = drawn.gds_stream(gds_time(expected))
    assert ours == expected


def test_polygons_are_the_design(drawn):
    grid = drawn.grid
    w, s = drawn.section.w, drawn.section.s
    height = drawn.copper[:, 2, 1] - drawn.copper[:, 0, 1]
    fingers = drawn.copper[np.isclose(height, w, rtol=0, atol=grid)]
    assert len(fingers) == 4
    order = np.argsort(fingers[:, 0, 1])
    np.testing.assert_allclose(np.diff(fingers[order, 0, 1]), w + s, rtol=0, atol=2 * grid)
    # Alternate fingers belong to the two conductors, finger 0 (at the bottom) to A.
    conductor = drawn.conductors[np.isclose(height, w, rtol=0, atol=grid)]
    assert list(conductor[order]) == [0, 1, 0, 1]
    # Every rectangle counterclockwise from its lower left.
    assert np.all(drawn.copper[:, 1, 0] > drawn.copper[:, 0, 0])
    assert np.all(drawn.copper[:, 2, 1] > drawn.copper[:, 1, 1])
    # Pads: squares of the feed width, ports 1 and 2 left of the centre, 3 and 4 right of it.
    sides = drawn.pads[:, 2] - drawn.pads[:, 0]
    np.testing.assert_allclose(sides, drawn.feed_width, rtol=0, atol=2 * grid)
    assert list(np.sign(drawn.pads[:, 0, 0] + drawn.pads[:, 2, 0])) == [-1, -1, 1, 1]
    assert np.ptp(drawn.copper[:, :, 0]) >= drawn.length
    assert drawn.straps.shape == (2, 2, 2)


def test_a_failed_write_changes_nothing(tmp_path, drawn):
    (tmp_path / "x.svg").mkdir()  # the preview cannot replace a folder
    with pytest.raises(OSError):
        drawn.write(tmp_path / "x")
    assert sorted(p.name for p in tmp_path.iterdir()) == sorted(
        ["calc.kicad_mod", "calc.gds", "calc.svg", "x.svg"])

"""cuplo.plot: the design map marks the target where its contours cross, and the response
picture shows the network's magnitudes and cuplo-calc's quadrature error."""
import csv
import io

import numpy as np
import pytest

import cuplo
from conftest import calc

matplotlib = pytest.importorskip("matplotlib")
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

skrf = pytest.importorskip("skrf")


@pytest.fixture(autouse=True)
def close_figures():
    yield
    plt.close("all")


@pytest.mark.parametrize("unit, scale, log", [("um", 1e-6, False), ("mil", 25.4e-6, True)])
def test_design_map_marks_the_target_on_its_contours(unit, scale, log):
    sub = cuplo.Substrate(er=9.8, h="25mil", t="5um")
    design = cuplo.synthesize(sub, zo=50, coupling=3, f="10GHz", dispersive=True)
    ax = cuplo.plot.design_map(sub, 4, ("10um", "100um"), ("10um", "150um"), f="10GHz",
                               target=design, unit=unit, log=log, points=61)
    star = ax.lines[-1].get_xydata()[0]
    np.testing.assert_allclose(star, np.array([design.section.w, design.section.s]) / scale)
    # Marked with its values at the map's frequency: the dispersive synthesis's check.
    check = design.check
    assert ax.texts[-1].get_text() == f"Zo {check.zo:.1f} ohm, {check.coupling_db:.2f} dB"
    # The bold contours of the target's Zo and coupling pass through the star: the axes are
    # W and S in the unit asked for, each the right way round.
    bold = [c for c in ax.collections if np.max(c.get_linewidths()) > 2]
    assert len(bold) == 2
    step = (100 - 10) * 1e-6 / scale / 60
    for contour in bold:
        points = np.concatenate([p.vertices for p in contour.get_paths()])
        assert np.min(np.hypot(*(points - star).T)) < step
    assert ax.get_xlabel() == f"strip width W ({unit})"
    assert ax.get_xscale() == ("log" if log else "linear")


def test_response_picture(tmp_path, alumina, demo_section):
    coupler = cuplo.quarter_wave(alumina, demo_section, "10GHz")
    f = np.arange(60, 141) * 1e8
    magnitude, phase = cuplo.plot.response(cuplo.response(alumina, coupler, f))
    network = cuplo.response(alumina, coupler, f)
    assert [l.get_label() for l in magnitude.lines] == \
        ["S11 (input)", "S21 (coupled)", "S31 (isolated)", "S41 (through)"]
    for k, line in enumerate(magnitude.lines):
        np.testing.assert_allclose(line.get_ydata(), network.s_db[:, k, 0])
        np.testing.assert_allclose(line.get_xdata(), f / 1e9)
    rows = csv.DictReader(io.StringIO(calc(
        "response", "--n", "4", "--er", "9.8", "--h", "0.025", "--t", "0.0002", "--w", "0.0015",
        "--s", "0.002", "--res", "2.44", "--sr", "4", "--dltan", "0.0002", "--fo", "10",
        "--f", "6:14:0.1", "--format", "csv").stdout))
    theirs = [float(r["quadrature_error_deg"]) for r in rows]
    np.testing.assert_allclose(phase.lines[0].get_ydata(), theirs, rtol=0, atol=1e-4)

"""cuplo.tolerance: the same statistics and samples as cuplo-calc tolerance for the same
options; arrays of every sample; bad tolerances refused naming the argument."""
import csv
import io
import json

import numpy as np
import pytest

import cuplo
from conftest import INCH, calc

DEMO = ["--defaults"]
TOLS = dict(w_tol="0.1mil", s_tol="5%", h_tol="2%", er_tol=0.1, t_tol="10%")
CALC_TOLS = ["--w-tol", "0.1mil", "--s-tol", "5%", "--h-tol", "2%", "--er-tol", "0.1",
             "--t-tol", "10%"]


@pytest.fixture
def demo(alumina):
    section = cuplo.CrossSection(n=4, w="1.5mil", s="2mil")
    return alumina, section


@pytest.mark.parametrize("how, calc_args, py_args", [
    ("length", ["--l", "0.115"], dict(length="0.115in")),
    ("fo", ["--fo", "10GHz"], dict(fo="10GHz")),
    ("uniform", ["--l", "0.115", "--distribution", "uniform"],
     dict(length="0.115in", distribution="uniform")),
])
def test_the_same_as_the_command(demo, how, calc_args, py_args):
    sub, section = demo
    length = py_args.pop("length", None)
    coupler = cuplo.Coupler(section, length) if length else section
    r = cuplo.tolerance(sub, coupler, samples=300, seed=9, **TOLS,
                        spec_coupling="3+-0.03dB", spec_fo=(10e9, "0.2%"), **py_args)
    from conftest import SOURCE
    out = calc("tolerance", "--defaults", str(SOURCE / "demo" / "CuploDEMO.DEF"), "--n", "4",
               "--w", "1.5mil", "--s", "2mil", *calc_args, *CALC_TOLS, "--samples", "300",
               "--seed", "9", "--spec-coupling", "3+-0.03dB", "--spec-fo", "10GHz+-0.2%",
               "--format", "json").stdout
    rows = {row["statistic"]: row for row in json.loads(out)["rows"]}
    keys = {"zo": "zo_ohm", "coupling_db": "coupling_db", "fo": "fo_ghz",
            "balance_db": "balance_db", "phase_deg": "phase_deg",
            "isolation_db": "isolation_db", "return_loss_db": "return_loss_db"}
    for q, key in keys.items():
        scale = 1e9 if q == "fo" else 1.0
        assert np.float32(r.nominal[q] / scale) == np.float32(rows["nominal"][key]), q
        got = np.float32(r.percentiles[q] / scale)
        want = np.float32([rows[p][key] for p in ("p1", "p5", "p50", "p95", "p99")])
        assert np.array_equal(got, want), q
    assert r.yield_["coupling_db"] * 100 == pytest.approx(rows["yield_pct"]["coupling_db"])
    assert r.yield_["all"] * 100 == pytest.approx(rows["yield_pct"]["all_limits"])
    assert 0 < r.yield_["coupling_db"] < 1
    assert r.yield_["all"] <= min(r.yield_["coupling_db"], r.yield_["fo"])


def test_samples_as_arrays(demo):
    sub, section = demo
    r = cuplo.tolerance(sub, cuplo.Coupler(section, "0.115in"), samples=200, seed=3,
                        w_tol="0.2mil", er_tol="1%", distribution="uniform")
    v = r.values
    assert set(v) == {"w", "s", "h", "er", "t", *cuplo.TOLERANCE_QUANTITIES}
    assert all(a.shape == (200,) for a in v.values())
    # Uniform: within the tolerance of the nominal value; the untoleranced ones exact.
    assert np.all(np.abs(v["w"] - 0.0015 * INCH) <= 0.0002 * INCH * 1.0001)
    assert np.all(np.abs(v["er"] - 9.8) <= 0.098 * 1.0001)
    assert np.all(v["s"] == np.float32(0.002) * INCH)
    assert np.std(v["zo"], ddof=1) == pytest.approx(r.sd["zo"], rel=1e-6)


@pytest.mark.parametrize("kwargs, words", [
    (dict(w_tol="-1mil"), "w_tol"),
    (dict(w_tol="2mil"), "w_tol: not below the width"),
    (dict(er_tol=9), "er_tol"),
    (dict(h_tol="3 furlongs"), "h_tol"),
    (dict(etch_tol="5%"), "etch_tol"),
    (dict(samples=0), "samples"),
    (dict(seed=-1), "seed"),
    (dict(distribution="lognormal"), "distribution"),
    (dict(spec_coupling="3dB"), "spec_coupling"),
    (dict(fo="10GHz"), "fo"),
])
def test_bad_input_names_the_argument(demo, kwargs, words):
    sub, section = demo
    with pytest.raises(ValueError, match=words):
        cuplo.tolerance(sub, cuplo.Coupler(section, "0.115in"), samples=kwargs.pop("samples", 10),
                        **kwargs)

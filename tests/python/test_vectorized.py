"""cuplo.impedance, dispersion and sensitivity over numpy arrays: the same values as one call
per point, in the broadcast shape."""
import warnings

import numpy as np
import pytest

import cuplo

IMPEDANCE = ("zo", "zoe", "zoo", "coupling_db", "eeff_even", "eeff_odd")


def test_100000_points_equal_the_scalar_calls(alumina):
    rng = np.random.default_rng(24)
    # W and S over 0.05 to 3 substrate heights, f up to 20 GHz: 1,000 x 100 points.
    w = rng.uniform(0.05, 3, (1000, 1)) * alumina.h
    s = rng.uniform(0.05, 3, (1, 100)) * alumina.h
    f = rng.uniform(0, 20e9, (1000, 100))
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", cuplo.AccuracyWarning)
        arrays = cuplo.impedance(alumina, n=6, w=w, s=s, f=f)
        for k in range(0, 100_000):
            i, j = divmod(k, 100)
            one = cuplo.impedance(alumina, n=6, w=float(w[i, 0]), s=float(s[0, j]),
                                  f=float(f[i, j]))
            for key in IMPEDANCE:
                mine, theirs = getattr(arrays, key)[i, j], getattr(one, key)
                assert mine == theirs or (np.isnan(mine) and np.isnan(theirs)), (key, i, j)
    assert arrays.zo.shape == (1000, 100)


@pytest.mark.parametrize("w, s, f, shape", [
    (40e-6, 50e-6, 0.0, ()),
    ([30e-6, 40e-6, 50e-6], 50e-6, 0.0, (3,)),
    (40e-6, "2mil", np.array([1e9, 5e9]), (2,)),
    (np.full((2, 1), 40e-6), np.full((1, 3), 50e-6), np.zeros((2, 3)), (2, 3)),
    (np.array([], dtype=float), 50e-6, 0.0, (0,)),
])
def test_broadcast_shapes(alumina, w, s, f, shape):
    z = cuplo.impedance(alumina, n=4, w=w, s=s, f=f)
    for key in IMPEDANCE:
        value = getattr(z, key)
        assert (isinstance(value, float) if shape == () else value.shape == shape), key


def test_sensitivity_modes(alumina, demo_section):
    f = [1e9, 10e9]
    both = cuplo.sensitivity(alumina, demo_section, f=f, mode="both")
    even = cuplo.sensitivity(alumina, demo_section, f=f, mode="even")
    odd = cuplo.sensitivity(alumina, demo_section, f=f, mode="odd")
    assert even.zoo_to is None and odd.zoe_to is None
    assert np.array_equal(both.zoe_to.w, even.zoe_to.w)
    assert np.array_equal(both.zoo_to.s, odd.zoo_to.s)
    assert np.array_equal(both.zoo, odd.zoo) and np.array_equal(both.zoe, even.zoe)
    assert np.array_equal(both.f, f)


def test_failures_as_nan_keep_the_other_points():
    # Strips wider than about 13 substrate heights: the odd-mode impedance is not below the
    # even-mode one, so no physical solution there; values elsewhere.
    sub = cuplo.Substrate(er=2.2, h="5mil", t="0.2mil")
    w = np.linspace(0.1e-3, 3e-3, 11)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", cuplo.AccuracyWarning)
        z = cuplo.impedance(sub, n=4, w=w, s="2mil", failures="nan")
        bad = np.isnan(z.zoe)
        assert bad.any() and not bad.all()
        assert np.array_equal(np.isnan(z.eeff_odd), bad)
        with pytest.raises(cuplo.ModelError) as raised:
            cuplo.impedance(sub, n=4, w=w, s="2mil")
    assert raised.value.failure == "no_solution"
    assert f"w = {w[np.argmax(bad)]:g} m" in str(raised.value)

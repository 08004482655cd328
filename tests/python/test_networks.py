"""cuplo.response as a scikit-rf network: the .s4p of cuplo-calc, and the physics of a four-port."""
import numpy as np
import pytest

import cuplo
from conftest import calc

skrf = pytest.importorskip("skrf")

DEMO = ["--n", "4", "--er", "9.8", "--h", "0.025", "--t", "0.0002", "--w", "0.0015",
        "--s", "0.002", "--fo", "10", "--f", "6:14:0.5"]
LOSSES = ["--res", "2.44", "--sr", "4", "--dltan", "0.0002"]
HZ = (np.float32(6) + np.arange(17, dtype=np.float32) * np.float32(0.5)).astype(float) * 1e9


def network(substrate, section, reference=50.0, frequency=HZ):
    coupler = cuplo.quarter_wave(substrate, section, "10GHz")
    return cuplo.response(substrate, coupler, frequency, reference)


def from_file(tmp_path, *args):
    path = tmp_path / "c.s4p"
    calc("response", *DEMO, *args, "-o", str(path))
    return skrf.Network(str(path))


def as_floats(s):
    """The 32-bit floats of complex values; the file's shortest texts read back to them."""
    return s.real.astype(np.float32), s.imag.astype(np.float32)


def renormalized(s, z_from, z_to):
    """S referred to z_from, referred to z_to (numpy: scikit-rf 0.15.4's fails here)."""
    eye = np.eye(4)
    z = z_from * (eye + s) @ np.linalg.inv(eye - s)
    return (z - z_to * eye) @ np.linalg.inv(z + z_to * eye)


@pytest.mark.parametrize("data, atol", [("ri", None), ("ma", 2e-7), ("db", 2e-6)])
def test_equals_the_file_of_cuplo_calc(tmp_path, alumina, demo_section, data, atol):
    theirs = from_file(tmp_path, *LOSSES, "--data", data)
    ours = network(alumina, demo_section)
    assert np.array_equal(ours.f, theirs.f)
    assert np.array_equal(ours.z0, theirs.z0)
    if atol is None:  # real and imaginary parts as written: the same floats
        assert all(np.array_equal(a, b) for a, b in zip(as_floats(ours.s), as_floats(theirs.s)))
    else:  # magnitudes and angles: the same network within the floats' rounding
        np.testing.assert_allclose(ours.s, theirs.s, rtol=0, atol=atol)


@pytest.mark.parametrize("losses", [True, False])
def test_a_reciprocal_passive_four_port(alumina, demo_section, losses):
    sub = alumina if losses else cuplo.Substrate(er=alumina.er, h=alumina.h, t=alumina.t)
    n = network(sub, demo_section)
    assert n.nports == 4 and n.port_names == ["input", "coupled", "isolated", "through"]
    assert np.all(n.z0 == 50)
    assert np.array_equal(n.s, np.transpose(n.s, (0, 2, 1)))
    singular = np.linalg.svd(n.s, compute_uv=False)
    assert singular.max() <= 1 + 1e-6
    gram = np.conj(np.transpose(n.s, (0, 2, 1))) @ n.s
    deviation = np.abs(gram - np.eye(4)).max()
    # Without losses the matrix is unitary; with them power is lost at every frequency.
    assert deviation <= 2e-6 if not losses else singular.min() < 1 - 1e-3


def test_renormalized_to_25_ohm_is_the_file_at_25_ohm(tmp_path, alumina, demo_section):
    at_25 = from_file(tmp_path, *LOSSES, "--reference", "25", "--data", "ri")
    ours = network(alumina, demo_section)
    assert np.all(at_25.z0 == 25)
    np.testing.assert_allclose(renormalized(ours.s, 50.0, 25.0), at_25.s, rtol=0, atol=2e-6)
    # And the network made at 25 ohms is that file.
    made = network(alumina, demo_section, 25.0)
    assert all(np.array_equal(a, b) for a, b in zip(as_floats(made.s), as_floats(at_25.s)))


@pytest.mark.parametrize("frequency, hz", [
    (skrf.Frequency(6, 14, 17, unit="ghz"), HZ), (list(HZ), HZ), ("10GHz", [1e10])])
def test_frequencies_as_given(alumina, demo_section, frequency, hz):
    n = network(alumina, demo_section, frequency=frequency)
    assert np.array_equal(n.f, hz) and n.s.shape == (len(hz), 4, 4)
    assert n.s[-1, 1, 0] == network(alumina, demo_section).s[16 if len(hz) > 1 else 8, 1, 0]

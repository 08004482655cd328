"""Every value of the module equals cuplo-calc's full-precision output for the snapshot designs
(tests/calc/snapshots: NAME.args and NAME.expected): options as texts with their unit, swept
values as the expected rows' floats in SI, results compared as the 32-bit floats printed."""
import csv
import io
import json
import shlex
import warnings

import numpy as np
import pytest

import cuplo
from conftest import INCH, SOURCE

SNAPSHOTS = SOURCE / "tests" / "calc" / "snapshots"
# Names of the defaults file's entries (second word of a record) by option.
ENTRIES = {"DLTAN": "dltan", "Er": "er", "F": "f", "H": "h", "Co": "coupling", "L": "l",
           "N": "n", "RES": "res", "SR": "sr", "S": "s", "T": "t", "W": "w", "Zo": "zo",
           "Zoe": "zoe", "Zoo": "zoo"}


def options(name):
    """The command and its options: the defaults file's values, then those given (named in
    "_given")."""
    words = shlex.split((SNAPSHOTS / f"{name}.args").read_text().replace("$src", str(SOURCE)))
    command, opts, k = words[0], {"_given": set()}, 1
    while k < len(words):
        key = words[k].lstrip("-")
        if key == "dispersive":
            opts[key], k = True, k + 1
            continue
        if key == "defaults":
            for line in open(words[k + 1]).read().splitlines()[1:27]:
                opts.setdefault(ENTRIES.get(line[13:].split()[0], "?"), line[:13].strip())
        opts[key], k = words[k + 1], k + 2
        opts["_given"].add(key)
    return command, opts


def expected(name):
    """The rows (dicts of texts) and the warnings of the expected output."""
    text = (SNAPSHOTS / f"{name}.expected").read_text()
    if text.startswith("{"):
        doc = json.loads(text)
        return [{k: str(v) for k, v in row.items()} for row in doc["rows"]], doc["warnings"]
    return list(csv.DictReader(io.StringIO(text))), None


def f32(x):
    return np.float32(x)


def substrate(o, losses=False):
    extra = {}
    if losses:
        extra = dict(tand=float(o["dltan"]), resistivity=float(f32(o["res"])) * 1e-8,
                     roughness=float(f32(o["sr"])) * INCH * 1e-6)
    return cuplo.Substrate(er=o["er"], h=o["h"] + "in", t=o["t"] + "in", **extra)


def column(rows, key, scale=1.0):
    """An expected column as exact SI values."""
    return np.array([f32(r[key]) for r in rows], dtype=np.float64) * scale


def keyed(result, prefix=""):
    """A result's impedances, coupling and permittivities under cuplo-calc's keys."""
    return {prefix + (k + "_ohm" if k in ("zo", "zoe", "zoo") else k): v
            for k, v in vars(result).items()
            if k in ("zo", "zoe", "zoo") or k.startswith(("eeff", "coupling"))}


def inches(result, **names):
    return {key + "_in": getattr(result, name) / INCH for key, name in names.items()}


def run_impedance(o, rows):
    return keyed(cuplo.impedance(substrate(o), n=int(o["n"]), w=column(rows, "w_in", INCH),
                                 s=column(rows, "s_in", INCH), f=o["f"] + "GHz"))


def run_dispersion(o, rows):
    return keyed(cuplo.dispersion(substrate(o), n=int(o["n"]), w=o["w"] + "in",
                                  s=o["s"] + "in", f=column(rows, "f_ghz", 1e9)))


def run_sensitivity(o, rows):
    x = cuplo.sensitivity(substrate(o), n=int(o["n"]), w=o["w"] + "in", s=o["s"] + "in",
                          f=column(rows, "f_ghz", 1e9), mode=o["mode"])
    out = keyed(x)
    for mode, to in (("zoe", x.zoe_to), ("zoo", x.zoo_to)):
        out.update({f"s_{mode}_{p}": v for p, v in vars(to).items()})
    return out


def run_synthesize(o, rows):
    target = (dict(zoe=o["zoe"], zoo=o["zoo"]) if "zoe" in o["_given"]
              else dict(zo=o["zo"], coupling=o["coupling"]))
    y = cuplo.synthesize(substrate(o), int(o["n"]), f=o["f"] + "GHz",
                         dispersive=o.get("dispersive", False), **target)
    return {**keyed(y), **keyed(y.check, "check_"), **inches(y, l="length"),
            **inches(y.section, w="w", s="s")}


def run_layout(o, rows):
    feed = {"feed_length": o["feed-length"] + "in"} if "feed-length" in o else {}
    if {"zo", "coupling"} & o["_given"]:
        d = cuplo.layout(substrate(o), n=int(o["n"]), zo=o["zo"], coupling=o["coupling"],
                         f=o["f"] + "GHz", dispersive=o.get("dispersive", False), **feed)
    else:
        section = cuplo.CrossSection(int(o["n"]), o["w"] + "in", o["s"] + "in")
        d = cuplo.layout(substrate(o), section, fo=o["fo"] + "GHz", **feed)
    return {**keyed(d), **inches(d.section, w="w", s="s"), "f_ghz": d.centre_frequency / 1e9,
            **inches(d, l="length", feed_width="feed_width", feed_length="feed_length",
                     strap_width="strap_width")}


def run_response(o, rows):
    sub = substrate(o, losses=True)
    section = cuplo.CrossSection(int(o["n"]), o["w"] + "in", o["s"] + "in")
    network = cuplo.response(sub, cuplo.quarter_wave(sub, section, o["fo"] + "GHz"),
                             column(rows, "f_ghz", 1e9))
    a = network.s[:, :, 0]
    out = {}
    for p in range(4):
        out[f"s{p + 1}1_db"] = 20 * np.log10(np.abs(a[:, p]))
        out[f"s{p + 1}1_deg"] = np.angle(a[:, p], deg=True)
    return out


RUNS = {"impedance": run_impedance, "dispersion": run_dispersion,
        "sensitivity": run_sensitivity, "synthesize": run_synthesize, "layout": run_layout,
        "response": run_response}
# The Touchstone snapshot has its own test; an aligned table is for eyes, not for reading back.
CASES = sorted(p.stem for p in SNAPSHOTS.glob("*.args")
               if p.stem != "response_touchstone" and "--format table" not in p.read_text())


@pytest.mark.parametrize("name", CASES)
def test_snapshot(name):
    command, o = options(name)
    rows, expected_warnings = expected(name)
    with warnings.catch_warnings(record=True) as seen:
        warnings.simplefilter("always")
        ours = RUNS[command](o, rows)
    for key, values in ours.items():
        theirs = np.array([f32(r[key]) for r in rows])
        mine = np.atleast_1d(np.asarray(values, dtype=np.float64))
        if command == "response":
            # The file's dB and degrees are the library's own 32-bit arithmetic; ours come
            # from the same complex waves in double precision.
            np.testing.assert_allclose(mine, theirs, rtol=1e-6, atol=1e-5, err_msg=key)
        else:
            np.testing.assert_array_equal(mine.astype(np.float32), theirs, err_msg=key)
    if expected_warnings is not None:
        assert [str(w.message) for w in seen] == expected_warnings


def test_touchstone_snapshot_is_the_network():
    """The RI file's numbers are the S-parameters' 32-bit floats: equal to the last bit."""
    command, o = options("response_touchstone")
    lines = (SNAPSHOTS / "response_touchstone.expected").read_text().splitlines()
    data = np.array(" ".join(l for l in lines if not l.startswith(("!", "#"))).split(),
                    dtype=np.float32).reshape(-1, 33)
    length = next(l for l in lines if l.startswith("! l_in")).split()[3]
    sub = substrate(o, losses=True)
    coupler = cuplo.quarter_wave(sub, cuplo.CrossSection(4, o["w"] + "in", o["s"] + "in"),
                                 o["fo"] + "GHz")
    assert f32(coupler.length / INCH) == f32(length)
    network = cuplo.response(sub, coupler, data[:, 0].astype(np.float64) * 1e9)
    pairs = data[:, 1:].reshape(-1, 4, 4, 2)
    assert np.array_equal(network.s.real.astype(np.float32), pairs[..., 0])
    assert np.array_equal(network.s.imag.astype(np.float32), pairs[..., 1])

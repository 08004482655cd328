"""cuplo.synthesize and cuplo.layout with the process's rules give cuplo-calc's design and
cuplo-calc's words for --min-w, --min-s and --etch, the rules' lines as ProcessWarnings."""
import json
import warnings

import pytest

import cuplo
from conftest import calc

SUB = cuplo.Substrate(er=3.66, h="20mil", t="35um")
LAMINATE = ["--n", "4", "--er", "3.66", "--h", "20mil", "--t", "35um", "--units", "um"]
TARGETS = dict(zo=50, coupling=3, f="5.8GHz")
CALC_TARGETS = ["--zo", "50", "--coupling", "3", "--f", "5.8GHz"]
GIVEN = dict(coupler=cuplo.Coupler(cuplo.CrossSection(4, "100um", "50um"), "8mm"))
CALC_GIVEN = ["--w", "100um", "--s", "50um", "--l", "8mm"]

# (command, the design's arguments, cuplo-calc's, the rules, the minimum that binds)
CASES = [
    ("synthesize", TARGETS, CALC_TARGETS, dict(min_s="100um"), "spacing"),
    ("synthesize", TARGETS, CALC_TARGETS, dict(min_w="200um", etch="20um"), "width"),
    ("synthesize", TARGETS, CALC_TARGETS, dict(min_w="50um", min_s="20um"), "none"),
    ("layout", TARGETS, CALC_TARGETS, dict(min_s="0.1mm", etch="10um"), "spacing"),
    ("layout", GIVEN, CALC_GIVEN, dict(min_w="0.2mm", min_s="60um"), "none"),
]


@pytest.mark.parametrize("command, design, calc_design, rules, binding", CASES)
def test_the_rules_as_cuplo_calc_applies_them(tmp_path, command, design, calc_design, rules,
                                              binding):
    options = [a for key, value in rules.items() for a in ("--" + key.replace("_", "-"), value)]
    drawn = ["-o", str(tmp_path / "c.gds")] if command == "layout" else []
    theirs = json.loads(calc(command, *LAMINATE, *calc_design, *options, *drawn,
                             "--format", "json").stdout)
    with warnings.catch_warnings(record=True) as seen:
        warnings.simplefilter("always")
        ours = getattr(cuplo, command)(SUB, **design, **rules)
    row = theirs["rows"][0]
    assert ours.section.w == pytest.approx(row["w_um"] * 1e-6, rel=1e-6)
    assert ours.section.s == pytest.approx(row["s_um"] * 1e-6, rel=1e-6)
    assert ours.binding == binding
    assert [str(w.message) for w in seen] == theirs.get("warnings", [])
    assert all((w.category is cuplo.ProcessWarning) == ("process's" in str(w.message))
               for w in seen)

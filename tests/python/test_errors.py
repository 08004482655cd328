"""Bad input is a ValueError naming the argument, a model's failure a cuplo.ModelError, and
each accuracy limit left one cuplo.AccuracyWarning: one table of each."""
import warnings

import numpy as np
import pytest

import cuplo

SUB = cuplo.Substrate(er=9.8, h="25mil", t="0.2mil")
XS = cuplo.CrossSection(n=4, w="1.5mil", s="2mil")
COUPLER = cuplo.Coupler(XS, "0.12in")

ERRORS = [
    # Texts are read as cuplo-calc reads them, with its words; they must carry their unit.
    (lambda: cuplo.Substrate(er=9.8, h="20mol"), ValueError, 'h: unknown unit "mol" in "20mol"'),
    (lambda: cuplo.Substrate(er=9.8, h="0.635"), ValueError, 'h: "0.635" has no unit'),
    (lambda: cuplo.Substrate(er=9.8, h="abc mm"), ValueError, 'h: "abc mm" is not a number'),
    (lambda: cuplo.Substrate(er=9.8, h="-1mm"), ValueError, "h: -1mm is not positive"),
    (lambda: cuplo.Substrate(er=0.5, h=1e-3), ValueError, "er: 0.5 is below 1"),
    (lambda: cuplo.Substrate(er=9.8, h=-1e-3), ValueError, "h: -0.001 is not positive"),
    (lambda: cuplo.Substrate(er=9.8, h=1e-60), ValueError, 'h: "1e-60" is out of range'),
    (lambda: cuplo.Substrate(er=9.8, h=float("nan")), ValueError, "h: nan is not positive"),
    (lambda: cuplo.Substrate(er=9.8, h=1e-3, t=-1e-6), ValueError, "t: -1e-06 is negative"),
    (lambda: cuplo.Substrate(er=9.8, h=1e-3, resistivity="2.44"), ValueError, "resistivity:"),
    (lambda: cuplo.Substrate(er=9.8, h=[1e-3]), ValueError, r"h: \[0.001\] is not a number"),
    (lambda: cuplo.CrossSection(n=0, w=1e-4, s=1e-4), ValueError, "n: 0 is not a number of"),
    (lambda: cuplo.CrossSection(n=4, w=1e-4), ValueError, "s: no value given"),
    (lambda: cuplo.Coupler(XS, "10GHz"), ValueError, 'length: unknown unit "GHz"'),
    # The calculations.
    (lambda: cuplo.impedance(SUB, n=8, w=1e-4, s=1e-4), ValueError,
     "n: the closed-form models take 4 or 6 strips"),
    (lambda: cuplo.impedance(SUB, XS, model="spice"), ValueError, "model: 'spice' is not"),
    (lambda: cuplo.impedance(SUB, n=4, w=[1e-4, -1e-4], s=1e-4), ValueError,
     "w: -0.0001 is not positive"),
    (lambda: cuplo.impedance(SUB, n=4, w=[1e-4, 2e-4], s=[1e-4] * 3), ValueError,
     r"w, s, f: shapes \(2,\) \(3,\) \(\) do not broadcast"),
    (lambda: cuplo.impedance(SUB, XS, f="10"), ValueError, 'f: "10" has no unit'),
    (lambda: cuplo.impedance(SUB, XS, f=["10GHz"]), ValueError, "f: an array of numbers"),
    (lambda: cuplo.impedance(SUB, XS, w=1e-4), ValueError, "w: give a CrossSection or n, w"),
    (lambda: cuplo.impedance(SUB, n=4, s=1e-4), ValueError, "w: no value given"),
    (lambda: cuplo.impedance(XS, n=4, w=1e-4, s=1e-4), ValueError, "substrate: "),
    (lambda: cuplo.impedance(SUB, XS, failures="skip"), ValueError, "failures: 'skip'"),
    (lambda: cuplo.sensitivity(SUB, XS, f=1e9, mode="up"), ValueError, "mode: 'up'"),
    (lambda: cuplo.synthesize(SUB, zo=50, zoe=100, zoo=20), ValueError,
     "zo: give zo and coupling, or zoe and zoo, not both"),
    (lambda: cuplo.synthesize(SUB, zoe=20, zoo=100), ValueError,
     "zoo: 100 is not below the even-mode 20"),
    (lambda: cuplo.synthesize(SUB, zo=50), ValueError, "coupling: no value given"),
    (lambda: cuplo.synthesize(SUB, zo=50, coupling=0), ValueError, "coupling: 0 is zero"),
    (lambda: cuplo.synthesize(SUB, zo="50 ohm", coupling="3dB", dispersive=True), ValueError,
     "f: no value given"),
    # A search that finds no strips says what the substrate reaches, as cuplo-calc does.
    (lambda: cuplo.synthesize(SUB, zo=500, coupling=3), cuplo.ModelError,
     "zo=500: the widest and narrowest strips on this substrate give Zo from 1.* to 1.* ohm at 3 dB$"),
    (lambda: cuplo.synthesize(SUB, zoe=1000, zoo=200), cuplo.ModelError,
     "zoe=1000, zoo=200: Zo 447 ohm at 3.52 dB; the widest"),
    (lambda: cuplo.layout(SUB, zo=500, coupling=3, f="10GHz"), cuplo.ModelError,
     "zo=500: the widest"),
    (lambda: cuplo.synthesize(SUB, zo=500, coupling=3, model="field"), cuplo.ModelError,
     "no convergence"),
    (lambda: cuplo.impedance(cuplo.Substrate(er=1.5, h="25mil", t=0), n=4, w="341mil", s="10mil"),
     cuplo.ModelError, "no physical solution: .*: the closed-form model gives no finite value here "
     "\\(at w = 0.0086614 m"),
    (lambda: cuplo.synthesize(SUB, zo=50, coupling=3).coupler, ValueError, "f: the synthesis"),
    (lambda: cuplo.quarter_wave(SUB, XS, 0), ValueError, "f: 0 is not positive"),
    (lambda: cuplo.response(SUB, COUPLER, [-1e9]), ValueError, "frequency: -1e\\+09 is negative"),
    (lambda: cuplo.response(SUB, COUPLER, [[1e9]]), ValueError, "frequency: give one frequency"),
    (lambda: cuplo.response(SUB, COUPLER, 1e9, reference=0), ValueError,
     "reference: 0 is not positive"),
    (lambda: cuplo.response(SUB, XS, 1e9), ValueError, "coupler: CrossSection"),
    (lambda: cuplo.layout(SUB, zo=50, coupling=3), ValueError, "f: no value given"),
    (lambda: cuplo.layout(SUB, XS, fo="10GHz", zo=50), ValueError,
     "zo: the coupler is given by its geometry"),
    (lambda: cuplo.layout(SUB, XS), ValueError, "fo: no value given"),
    (lambda: cuplo.layout(SUB, XS, fo="10GHz", n=6), ValueError, "n: the coupler is given"),
    (lambda: cuplo.layout(SUB, COUPLER, fo="10GHz"), ValueError, "fo: give a Coupler"),
    (lambda: cuplo.layout(SUB, COUPLER, grid=1.5e-9), ValueError,
     "grid: 1.5e-09 is not a whole number of nanometres"),
    (lambda: cuplo.layout(SUB, COUPLER, grid="0.1mm"), ValueError, "w: "),
    (lambda: cuplo.layout(SUB, zo=50, coupling=3, f="10GHz", grid="0.1mm"), ValueError, "grid: "),
    (lambda: cuplo.layout(SUB, COUPLER, reference=1000), ValueError,
     "reference: 1000 ohm: no microstrip on this substrate has that impedance"),
    # The process's rules: a compensation that closes the gaps, minimums that no design holds.
    (lambda: cuplo.synthesize(SUB, zo=50, coupling=3, etch="1.5mil"), ValueError,
     "etch: an etch of 38.1 um per edge, compensated, inverts the gap"),
    (lambda: cuplo.layout(SUB, COUPLER, etch="1mil"), ValueError,
     "etch: an etch of 25.4 um per edge, compensated, closes the gap"),
    (lambda: cuplo.layout(SUB, zo=50, coupling=3, f="10GHz", etch="1mil"), ValueError,
     "etch: compensated for an etch of 25.4 um"),
    (lambda: cuplo.synthesize(SUB, zo=50, coupling=3, min_w="50mil"), cuplo.ModelError,
     "min_w: no design with W and S at or above the process's minimums has Zo = 50 ohm"),
    (lambda: cuplo.synthesize(SUB, zo=50, coupling=3, min_s="-1um"), ValueError,
     "min_s: -1um is negative"),
    (lambda: cuplo.plot.design_map(SUB, unit="cm"), ValueError, "unit: 'cm'"),
    (lambda: cuplo.plot.design_map(SUB, points=1), ValueError, "points: 1"),
    (lambda: cuplo.plot.design_map(SUB, w_range=("1mm", "0.1mm")), ValueError,
     "w_range: 0.001 m is not below 0.0001 m"),
    (lambda: cuplo.plot.response(cuplo.impedance), ValueError, "network: "),
]


@pytest.mark.parametrize("call, error, message", ERRORS)
def test_error(call, error, message):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", cuplo.AccuracyWarning)
        with pytest.raises(error, match="^" + message):
            call()


WIDE = cuplo.CrossSection(n=4, w="100mil", s="2mil")
# The limits of the cross-section carry the closed-form error the validation measured there.
W_H = ("W/H = 4 is above 3, the models' accuracy limit: at W/H = 3, the widest validated, the "
       "closed-form Zo is already high by a median 3 % (18 % with six strips); beyond it the "
       "error is unmeasured; the field model does not have this limit")
WARNINGS = [
    (lambda: cuplo.impedance(SUB, XS, f="10GHz"), []),
    (lambda: cuplo.impedance(SUB, WIDE), [W_H]),
    # A sweep: each limit once, worded at the first point that left it, in the order met.
    (lambda: cuplo.impedance(SUB, n=4, w=np.array([1.5, 100, 120, 1.5]) * 25.4e-6,
                             s=np.array([2, 2, 2, 300]) * 25.4e-6),
     [W_H, "S/H = 12 is above 8, the models' accuracy limit: at S/H = 8, the widest "
      "validated, the closed-form coupling is already too strong by a median 13 dB (18 dB with "
      "six strips); beyond it the error is unmeasured; the field model does not have this "
      "limit"]),
    (lambda: cuplo.response(SUB, COUPLER, [1e9, 50e9]),
     ["F x H (GHz-mm) = 31.75 is above 25, the models' accuracy limit"]),
    (lambda: cuplo.synthesize(SUB, zo=50, coupling=15),
     ["coupling (dB) = -15 is below -12, the models' accuracy limit",
      "|coupling| (dB) = 15 is above 10, the models' accuracy limit"]),
    (lambda: cuplo.synthesize(SUB, zo=50, coupling=1),
     ["S/T = 1.5282 is below 2, the models' accuracy limit: the closed-form Zoo is high by a "
      "median 16 % here (26 % with six strips), the odd-mode permittivity by 33 %; the field "
      "model does not have this limit",
      "coupling (dB) = -1 is above -1.5, the models' accuracy limit",
      "|coupling| (dB) = 1 is below 1.5, the models' accuracy limit"]),
    (lambda: cuplo.layout(SUB, WIDE, fo="10GHz"), [W_H]),
    (lambda: cuplo.sensitivity(SUB, WIDE, f=[1e9, 2e9]), [W_H]),
]


@pytest.mark.parametrize("call, lines", WARNINGS)
def test_accuracy_warnings(call, lines):
    with warnings.catch_warnings(record=True) as seen:
        warnings.simplefilter("always")
        call()
    assert [(w.category, str(w.message)) for w in seen] == \
        [(cuplo.AccuracyWarning, line) for line in lines]


def test_warnings_point_at_the_caller():
    with pytest.warns(cuplo.AccuracyWarning) as seen:
        cuplo.impedance(SUB, WIDE)
    assert seen[0].filename == __file__

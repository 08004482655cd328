"""Interdigitated microstrip quadrature couplers: analysis, synthesis, networks and layouts.

An interdigitated coupler is N parallel microstrip strips on a substrate, alternate strips
tied together. This module is Cuplo's coupler library: the same closed-form models and the
same 32-bit numbers as the console program and ``cuplo-calc``.

Units
-----
Lengths are metres and frequencies hertz (the scikit-rf convention), given as numbers, or
as texts with their unit: ``"20mil"``, ``"0.635mm"``, ``"35um"``, ``"0.025in"``,
``"10GHz"``, ``"500MHz"``. A text must carry its unit. Impedances are ohms, coupling dB
(negative for a passive coupler; a target may be given with either sign), effective
permittivities and sensitivities have none. Results come in the same units.

Errors
------
Bad input raises ``ValueError`` whose message begins with the argument's name. A model that
cannot give values (no convergence, no physical solution) raises :class:`ModelError`. A
design outside the models' accuracy limits is computed all the same, with one
:class:`AccuracyWarning` for each limit it leaves; a design that the process's rules
(``min_w``, ``min_s``) change or that breaks them, with one :class:`ProcessWarning`.

Examples
--------
>>> import cuplo
>>> alumina = cuplo.Substrate(er=9.8, h="25mil", t="5.08um")
>>> z = cuplo.impedance(alumina, cuplo.CrossSection(n=4, w="1.5mil", s="2mil"), f="10GHz")
>>> round(z.zo, 2), round(z.coupling_db, 3)
(50.05, -2.979)
"""
from __future__ import annotations

import dataclasses
import datetime
import errno
import os
import pathlib
import warnings
from dataclasses import dataclass
from typing import TYPE_CHECKING, Callable, Literal, Optional, Union

import numpy as np
import numpy.typing as npt

from . import _core, _units
from ._units import Bound, Dimension, Frequency, Length

if TYPE_CHECKING:
    import skrf

__all__ = [
    "AccuracyWarning",
    "Coupler",
    "CrossSection",
    "Dispersion",
    "Impedances",
    "Layout",
    "ModelError",
    "ProcessWarning",
    "Sensitivities",
    "Sensitivity",
    "Substrate",
    "Synthesis",
    "centre_frequency",
    "dispersion",
    "impedance",
    "layout",
    "quarter_wave",
    "response",
    "sensitivity",
    "synthesize",
    "tolerance",
    "ToleranceResult",
]

#: The library's version, "major.minor".
__version__: str = _core.version()

#: Which model computes the cross-section: ``"closed-form"`` (the console program's
#: closed-form models, N = 4 or 6) or ``"field"`` (the cross-section solved as a 2-D field
#: problem, any even N from 2 to 12).
ModelName = Literal["closed-form", "field"]
#: A value per point: a number, a text with its unit, or an array of numbers.
Values = Union[npt.ArrayLike, str]

_MODELS = {"closed-form": 0, "field": 1}
_PORTS = ("input", "coupled", "isolated", "through")


class ModelError(RuntimeError):
    """The models could not give values: no convergence, or no physical solution.

    Attributes
    ----------
    failure : str
        ``"search_bound"`` (a search reached its bound or left its valid range) or
        ``"no_solution"`` (the odd-mode impedance came out not below the even-mode one).
    index : tuple of int or None
        The point of an array argument that failed, or None.
    """

    def __init__(self, message: str, failure: str, index: Optional[tuple] = None) -> None:
        super().__init__(message)
        self.failure = failure
        self.index = index


class AccuracyWarning(UserWarning):
    """A design outside an accuracy limit of the models; its values are computed all the same.

    The message names the quantity, its value and the limit, e.g.
    ``"W/H = 4 is above 3, the models' accuracy limit"``.
    """


class ProcessWarning(UserWarning):
    """The process's rules changed a design, or a given design breaks them.

    A synthesis whose W or S lies below the process's narrowest line or gap gives the
    nearest design the process makes, and the message says which minimum binds, e.g.
    ``"S = 52.7 um is below the process's narrowest gap, 100 um: the nearest design it makes
    holds Zo = 50 ohm (asked: 50) and reaches a coupling of -4.515 dB (asked: -3 dB); the
    gap binds"``. Lengths in the message are micrometres.

    Not an :class:`AccuracyWarning`: the values are the models' own, but of another design
    than the one asked for, and a script may well want to stop on one and not the other.
    """


def _model(model: str) -> int:
    if model not in _MODELS:
        raise ValueError(f"model: {model!r} is not 'closed-form' or 'field'")
    return _MODELS[model]


def _report(outcome: tuple, where: Callable[[int], str] = lambda k: "",
            stacklevel: int = 3, model_failures: bool = True) -> None:
    """Warns of each limit left, then raises the failure of a calculation, if any (a model's
    failure only with model_failures)."""
    lines, failure, described, detail, index = outcome
    for line in lines:
        warnings.warn(line, AccuracyWarning, stacklevel=stacklevel)
    if failure is None or (failure != "invalid_input" and not model_failures):
        return
    if failure == "invalid_input":
        raise ValueError(detail or described)
    at = where(index)
    raise ModelError(described + (f": {detail}" if detail else "") + (f" (at {at})" if at else ""),
                     failure)


def _rules(min_w: Optional[Length], min_s: Optional[Length], etch: Optional[Length]) -> tuple:
    """The process's rules as the library takes them (0: no rule), and the names of the
    minimums given."""
    values, given = [], []
    for name, value in (("min_w", min_w), ("min_s", min_s), ("etch", etch)):
        values.append(0.0 if value is None else
                      _units.to_library(name, value, Dimension.length, Bound.non_negative))
        if value is not None and name != "etch":
            given.append(name)
    return tuple(values), given


def _beyond_process(outcome: tuple, given: list, zo: float) -> None:
    """Raises the failure of a synthesis that no design within the minimums can hold as a
    ModelError naming them (warning first of the limits left)."""
    lines, failure, _, detail, _ = outcome
    if failure != "search_bound" or detail != _core.BEYOND_PROCESS:
        return
    for line in lines:
        warnings.warn(line, AccuracyWarning, stacklevel=3)
    raise ModelError(f"{', '.join(given)}: no design with W and S at or above the process's "
                     f"minimums has Zo = {zo:g} ohm on this substrate", failure)


def _process_warnings(lines: list) -> None:
    for line in lines:
        warnings.warn(line, ProcessWarning, stacklevel=3)


# --- The value types ----------------------------------------------------------------------


@dataclass(frozen=True, init=False)
class Substrate:
    """The substrate and the metal of the strips.

    Parameters
    ----------
    er : float
        Relative permittivity, at least 1.
    h : float or str
        Substrate height: metres, or a text with its unit (``"25mil"``).
    t : float or str, optional
        Strip thickness (0: strips of no thickness).
    tand : float, optional
        Dielectric loss tangent (0: lossless dielectric).
    resistivity : float, optional
        Conductor resistivity, ohm-metres (gold 2.44e-8; 0: lossless conductor).
    roughness : float or str, optional
        Conductor surface roughness (RMS): metres, or a text with its unit.

    Attributes
    ----------
    er, tand : float
    h, t, roughness : float
        Metres.
    resistivity : float
        Ohm-metres.
    """

    er: float
    h: float
    t: float
    tand: float
    resistivity: float
    roughness: float

    def __init__(self, er: float, h: Length, t: Length = 0.0, tand: float = 0.0,
                 resistivity: float = 0.0, roughness: Length = 0.0) -> None:
        L, P = Dimension.length, Dimension.plain
        set_ = object.__setattr__
        set_(self, "er", _units.si("er", er, P, Bound.at_least_one))
        set_(self, "h", _units.si("h", h, L, Bound.positive))
        set_(self, "t", _units.si("t", t, L, Bound.non_negative))
        set_(self, "tand", _units.si("tand", tand, P, Bound.non_negative))
        if isinstance(resistivity, str):
            raise ValueError(f"resistivity: give ohm-metres as a number, not {resistivity!r}")
        set_(self, "resistivity", _units.si("resistivity", resistivity, P, Bound.non_negative,
                                            _units.OHM_METRES_PER_MICRO_OHM_CM))
        set_(self, "roughness", _units.si("roughness", roughness, L, Bound.non_negative,
                                          _units.METRES_PER_MICRO_INCH))

    def _library(self) -> tuple:
        """Er, H, T, tan delta, resistivity and roughness as the library takes them."""
        return (_units.library(self.er, 1.0),
                _units.library(self.h, _units.METRES_PER_INCH),
                _units.library(self.t, _units.METRES_PER_INCH),
                _units.library(self.tand, 1.0),
                _units.library(self.resistivity, _units.OHM_METRES_PER_MICRO_OHM_CM),
                _units.library(self.roughness, _units.METRES_PER_MICRO_INCH))


@dataclass(frozen=True, init=False)
class CrossSection:
    """The coupler's cross-section: N strips of width W, a gap S between neighbours.

    Parameters
    ----------
    n : int, optional
        Number of strips (4 or 6 for the closed-form models; default 4).
    w : float or str
        Strip width: metres, or a text with its unit (``"1.5mil"``).
    s : float or str
        Spacing between adjacent strips.

    Attributes
    ----------
    n : int
    w, s : float
        Metres.
    """

    n: int
    w: float
    s: float

    def __init__(self, n: int = 4, w: Optional[Length] = None,
                 s: Optional[Length] = None) -> None:
        if w is None or s is None:
            raise ValueError(f"{'w' if w is None else 's'}: no value given")
        object.__setattr__(self, "n", _units.strips("n", n))
        object.__setattr__(self, "w", _units.si("w", w, Dimension.length, Bound.positive))
        object.__setattr__(self, "s", _units.si("s", s, Dimension.length, Bound.positive))


@dataclass(frozen=True, init=False)
class Coupler:
    """A coupler: its cross-section and its coupled length.

    Parameters
    ----------
    section : CrossSection
    length : float or str
        Coupled length: metres, or a text with its unit. :func:`quarter_wave` makes the
        coupler a quarter wave long at a frequency.

    Attributes
    ----------
    section : CrossSection
    length : float
        Metres.
    """

    section: CrossSection
    length: float

    def __init__(self, section: CrossSection, length: Length) -> None:
        if not isinstance(section, CrossSection):
            raise ValueError(f"section: {section!r} is not a CrossSection")
        object.__setattr__(self, "section", section)
        object.__setattr__(self, "length",
                           _units.si("length", length, Dimension.length, Bound.positive))


# --- Results --------------------------------------------------------------------------------

#: A value per point: a float for scalar arguments, else an array of their broadcast shape.
PerPoint = Union[float, np.ndarray]


@dataclass(frozen=True)
class Impedances:
    """The coupler's impedances, coupling and effective permittivities (see :func:`impedance`).

    Attributes
    ----------
    zo : float or ndarray
        Coupler impedance sqrt(zoe * zoo), ohms.
    zoe, zoo : float or ndarray
        Even- and odd-mode impedances of the coupler, ohms.
    coupling_db : float or ndarray
        Midband coupling 20 log10(C), dB (negative).
    eeff_even, eeff_odd : float or ndarray
        Even- and odd-mode effective permittivities.
    """

    zo: PerPoint
    zoe: PerPoint
    zoo: PerPoint
    coupling_db: PerPoint
    eeff_even: PerPoint
    eeff_odd: PerPoint


@dataclass(frozen=True)
class Dispersion:
    """The cross-section at a frequency (see :func:`dispersion`).

    Attributes
    ----------
    eeff_even, eeff_odd : float or ndarray
        Even- and odd-mode effective permittivities.
    eeff_coupler : float or ndarray
        The coupler's, 2 * even * odd / (even + odd).
    zoe, zoo, zo : float or ndarray
        Even-mode, odd-mode and coupler impedances, ohms.
    """

    eeff_even: PerPoint
    eeff_odd: PerPoint
    eeff_coupler: PerPoint
    zoe: PerPoint
    zoo: PerPoint
    zo: PerPoint


@dataclass(frozen=True)
class Sensitivities:
    """Normalized sensitivities S = (dZ/Z) / (dp/p) of an impedance to each design value.

    Attributes
    ----------
    er, h, s, w, t : float or ndarray
        To the permittivity, the substrate height, the spacing, the width and the
        thickness (0 for strips without thickness).
    """

    er: PerPoint
    h: PerPoint
    s: PerPoint
    w: PerPoint
    t: PerPoint


@dataclass(frozen=True)
class Sensitivity:
    """Dispersive impedances and their sensitivities (see :func:`sensitivity`).

    Attributes
    ----------
    f : float or ndarray
        Hertz.
    zoe, zoo : float or ndarray
        Even- and odd-mode impedances, ohms.
    zoe_to, zoo_to : Sensitivities or None
        The sensitivities of zoe (modes "even" and "both") and of zoo (modes "odd" and
        "both"); None for the mode not asked for.
    """

    f: PerPoint
    zoe: PerPoint
    zoo: PerPoint
    zoe_to: Optional[Sensitivities]
    zoo_to: Optional[Sensitivities]


@dataclass(frozen=True)
class Synthesis:
    """A synthesized cross-section (see :func:`synthesize`).

    Attributes
    ----------
    section : CrossSection
        The strips' width and spacing, metres.
    f : float or None
        The frequency of a dispersive synthesis or of the quarter-wave length, hertz.
    zo, zoe, zoo : float
        The impedances aimed at, ohms (where a process minimum binds: the design's own).
    coupling_db : float
        The coupling aimed at, dB (negative; where a minimum binds: the design's own).
    eeff_even, eeff_odd : float
        Effective permittivities of the result: static, or at f for a dispersive synthesis.
    check : Impedances
        The result analysed again (static, or at f for a dispersive synthesis).
    length : float or None
        The length that is a quarter wave at f, metres; None without f.
    binding : {"none", "width", "spacing"}
        The process's minimum that the design stopped at: ``"width"`` (W at ``min_w``, S
        found for Zo), ``"spacing"`` (S at ``min_s``, W found), or ``"none"``.
    """

    section: CrossSection
    f: Optional[float]
    zo: float
    zoe: float
    zoo: float
    coupling_db: float
    eeff_even: float
    eeff_odd: float
    check: Impedances
    length: Optional[float]
    binding: Literal["none", "width", "spacing"] = "none"

    @property
    def coupler(self) -> Coupler:
        """The coupler of this section a quarter wave long at f (ValueError without f)."""
        if self.length is None:
            raise ValueError("f: the synthesis was made without a frequency, so without a length")
        return Coupler(self.section, self.length)


@dataclass(frozen=True)
class Layout:
    """The coupler drawn for a board or a mask (see :func:`layout`).

    The drawing lies in the plane with y up and its origin at the coupler's centre: the
    fingers along x, finger 0 at the bottom; ports 1 (input) and 2 (coupled) at the left
    end, 4 (through) and 3 (isolated) at the right, each a feed line leaving an outer finger
    and a square pad.

    Attributes
    ----------
    section : CrossSection
        The strips as the board has them after the etch (metres): the design.
    length : float
        Coupled length, metres.
    centre_frequency : float
        Where the length is a quarter wave, hertz.
    zo, zoe, zoo : float
        The coupler analysed at its centre frequency, ohms.
    coupling_db : float
        Its coupling there, dB.
    reference : float
        The feed lines' impedance, ohms.
    feed_width, feed_length, strap_width, grid : float
        Metres.
    name : str
        The footprint's and the mask cell's name.
    etch : float
        Metres per edge that the drawing is pre-compensated for: its copper is that much
        larger on every side than the design (fingers W + 2 etch wide, gaps S - 2 etch).
    binding : {"none", "width", "spacing"}
        The process's minimum that a synthesized design stopped at (see :class:`Synthesis`).
    copper : ndarray, shape (k, 4, 2)
        The copper as abutting rectangles (fingers, bars, feed lines), each its four
        corners (x, y) counterclockwise from the lower left, metres.
    conductors : ndarray, shape (k,)
        The conductor each rectangle of copper belongs to: 0 for the even fingers (ports 1
        and 4), 1 for the odd ones (ports 2 and 3).
    pads : ndarray, shape (4, 4, 2)
        The pads of ports 1 to 4, as the copper.
    straps : ndarray, shape (m, 2, 2)
        Each strap (bond wire or air bridge) from one end to the other, metres; its width
        is strap_width.
    """

    section: CrossSection
    length: float
    centre_frequency: float
    zo: float
    zoe: float
    zoo: float
    coupling_db: float
    reference: float
    feed_width: float
    feed_length: float
    strap_width: float
    grid: float
    name: str
    etch: float
    binding: Literal["none", "width", "spacing"]
    copper: np.ndarray = dataclasses.field(repr=False)
    conductors: np.ndarray = dataclasses.field(repr=False)
    pads: np.ndarray = dataclasses.field(repr=False)
    straps: np.ndarray = dataclasses.field(repr=False)
    _drawing: _core.Drawing = dataclasses.field(repr=False, compare=False)

    def kicad_footprint(self) -> str:
        """The KiCad 6 footprint (.kicad_mod) of the drawing."""
        return self._drawing.kicad_footprint()

    def gds_stream(self, time: Optional[datetime.datetime] = None) -> bytes:
        """The GDSII mask (.gds) of the drawing, stamped with time (default: now), in UTC."""
        when = (time or datetime.datetime.now(datetime.timezone.utc))
        if when.tzinfo is not None:
            when = when.astimezone(datetime.timezone.utc)
        return self._drawing.gds_stream((when.year, when.month, when.day, when.hour,
                                         when.minute, when.second))

    def svg_preview(self) -> str:
        """The SVG preview (.svg) of the drawing."""
        return self._drawing.svg_preview()

    def write(self, stem: Union[str, os.PathLike]) -> list[pathlib.Path]:
        """Writes the footprint, the mask and the preview: stem.kicad_mod, stem.gds, stem.svg.

        All three are written whole or none is changed (OSError).

        Returns
        -------
        list of pathlib.Path
            The files written.
        """
        base = pathlib.Path(stem)
        files = {base.with_name(base.name + ".kicad_mod"): self.kicad_footprint().encode(),
                 base.with_name(base.name + ".gds"): self.gds_stream(),
                 base.with_name(base.name + ".svg"): self.svg_preview().encode()}
        written: list[tuple[pathlib.Path, pathlib.Path]] = []
        try:
            for path, data in files.items():
                temporary = path.with_name(f".{path.name}.{os.getpid()}.part")
                fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o666)
                written.append((temporary, path))
                with os.fdopen(fd, "wb") as out:
                    out.write(data)
            # A rename in a folder we have just written to fails only onto a folder: that is
            # found before any file is replaced.
            for path in files:
                if path.is_dir():
                    raise IsADirectoryError(errno.EISDIR, os.strerror(errno.EISDIR), str(path))
            for temporary, path in written:
                os.replace(temporary, path)
        except BaseException:
            for temporary, _ in written:
                temporary.unlink(missing_ok=True)
            raise
        return list(files)


# --- Calculations ---------------------------------------------------------------------------


def _section_arrays(section: Optional[CrossSection], n: Optional[int], w: Optional[Values],
                    s: Optional[Values]) -> tuple:
    if section is not None:
        for name, value in (("n", n), ("w", w), ("s", s)):
            if value is not None:
                raise ValueError(f"{name}: give a CrossSection or n, w and s, not both")
        return section.n, section.w, section.s
    for name, value in (("w", w), ("s", s)):
        if value is None:
            raise ValueError(f"{name}: no value given (give a CrossSection, or n, w and s)")
    return _units.strips("n", 4 if n is None else n), w, s


def _over_points(call: Callable, substrate: Substrate, section: Optional[CrossSection],
                 n: Optional[int], w: Optional[Values], s: Optional[Values], f: Values,
                 failures: str, *extra) -> tuple:
    """Runs a calculation over the broadcast points of w, s and f.

    Returns the rows (points, K), the broadcast shape and the SI values of the points.
    """
    if not isinstance(substrate, Substrate):
        raise ValueError(f"substrate: {substrate!r} is not a Substrate")
    if failures not in ("raise", "nan"):
        raise ValueError(f"failures: {failures!r} is not 'raise' or 'nan'")
    n, w, s = _section_arrays(section, n, w, s)
    arrays = [_units.array("w", w, Dimension.length, Bound.positive),
              _units.array("s", s, Dimension.length, Bound.positive),
              _units.array("f", f, Dimension.frequency, Bound.non_negative)]
    try:
        arrays = np.broadcast_arrays(*arrays)
    except ValueError:
        shapes = " ".join(str(np.shape(a)) for a in arrays)
        raise ValueError(f"w, s, f: shapes {shapes} do not broadcast together") from None
    shape = arrays[0].shape
    scales = (_units.METRES_PER_INCH, _units.METRES_PER_INCH, _units.HERTZ_PER_GHZ)
    flat = [np.ascontiguousarray(_units._as_float(a.ravel(), k)) for a, k in zip(arrays, scales)]
    rows, outcome = call(substrate._library(), n, *flat, *extra, failures == "raise")

    def where(k: int) -> str:
        at = np.unravel_index(k, shape) if shape else ()
        w_k, s_k, f_k = (float(a[at]) for a in arrays)
        return f"w = {w_k:g} m, s = {s_k:g} m, f = {f_k:g} Hz"

    _report(outcome, where, stacklevel=4, model_failures=failures == "raise")
    return rows.astype(np.float64), shape, arrays


def _column(rows: np.ndarray, j: int, shape: tuple) -> PerPoint:
    column = rows[:, j].reshape(shape)
    return float(column) if shape == () else column


def impedance(substrate: Substrate, section: Optional[CrossSection] = None, *,
              n: Optional[int] = None, w: Optional[Values] = None, s: Optional[Values] = None,
              f: Values = 0.0, model: ModelName = "closed-form",
              failures: Literal["raise", "nan"] = "raise") -> Impedances:
    """Impedances, coupling and effective permittivities of the coupler's cross-section.

    The cross-section is a :class:`CrossSection`, or n, w and s given apart; w, s and f may
    be arrays and broadcast together as numpy broadcasts them. The loop over the points runs
    in the library, one calculation per point as ``cuplo-calc impedance`` makes it.

    Parameters
    ----------
    substrate : Substrate
    section : CrossSection, optional
        The strips; or give n, w and s instead.
    n : int, optional
        Number of strips (default 4).
    w, s : float, str or array_like
        Strip width and spacing, metres (or one text with its unit each).
    f : float, str or array_like, optional
        Frequency, hertz; 0 (the default) gives the static values.
    model : {"closed-form", "field"}, optional
        The model of the cross-section.
    failures : {"raise", "nan"}, optional
        What a point the models cannot solve does: raise :class:`ModelError` (the
        default), or give NaN values at that point.

    Returns
    -------
    Impedances
        Floats for scalar arguments, otherwise arrays of the broadcast shape.

    Raises
    ------
    ValueError
        Bad input, naming the argument (for example ``"w: -0.001 is not positive"``).
    ModelError
        The models found no solution at a point (with ``failures="raise"``).

    Warns
    -----
    AccuracyWarning
        Once for each accuracy limit of the models that a point leaves, worded at the first
        such point.

    Examples
    --------
    >>> sub = cuplo.Substrate(er=9.8, h="25mil", t="5.08um")
    >>> z = cuplo.impedance(sub, n=4, w=np.linspace(25e-6, 100e-6, 4), s=50.8e-6)
    >>> z.zo.shape
    (4,)
    """
    rows, shape, _ = _over_points(_core.impedance, substrate, section, n, w, s, f, failures,
                                  _model(model))
    return Impedances(*(_column(rows, j, shape) for j in range(6)))


def dispersion(substrate: Substrate, section: Optional[CrossSection] = None, *,
               n: Optional[int] = None, w: Optional[Values] = None,
               s: Optional[Values] = None, f: Values = 0.0, model: ModelName = "closed-form",
               failures: Literal["raise", "nan"] = "raise") -> Dispersion:
    """Effective permittivities and impedances of the cross-section over frequency.

    As ``cuplo-calc dispersion``; the arguments are those of :func:`impedance`, whose
    values at f are the same, and the result adds the coupler's effective permittivity.

    Returns
    -------
    Dispersion

    Raises
    ------
    ValueError, ModelError
        As :func:`impedance`.

    Warns
    -----
    AccuracyWarning
        As :func:`impedance`.
    """
    rows, shape, _ = _over_points(_core.dispersion, substrate, section, n, w, s, f, failures,
                                  _model(model))
    return Dispersion(*(_column(rows, j, shape) for j in range(6)))


_MODES = {"even": 0, "odd": 1, "both": 2}


def sensitivity(substrate: Substrate, section: Optional[CrossSection] = None, *,
                n: Optional[int] = None, w: Optional[Values] = None,
                s: Optional[Values] = None, f: Values = 0.0,
                mode: Literal["even", "odd", "both"] = "even",
                model: ModelName = "closed-form",
                failures: Literal["raise", "nan"] = "raise") -> Sensitivity:
    """Sensitivities of the dispersive even- and odd-mode impedances to Er, H, S, W and T.

    As ``cuplo-calc sensitivity``: normalized sensitivities (dZ/Z) / (dp/p), by one-sided
    differences with one mode dispersed at a time. The arguments broadcast as in
    :func:`impedance`.

    Parameters
    ----------
    substrate, section, n, w, s, f, model, failures
        As :func:`impedance`.
    mode : {"even", "odd", "both"}, optional
        "even" (the default): every value from the evaluation in which the even mode is
        dispersed, and the sensitivities of zoe; "odd" the same for the odd mode and zoo;
        "both": zoe and its sensitivities from the even-mode evaluation, zoo and its
        sensitivities from the odd-mode one.

    Returns
    -------
    Sensitivity

    Raises
    ------
    ValueError, ModelError
        As :func:`impedance`.

    Warns
    -----
    AccuracyWarning
        As :func:`impedance`.
    """
    if mode not in _MODES:
        raise ValueError(f"mode: {mode!r} is not 'even', 'odd' or 'both'")
    rows, shape, points = _over_points(_core.sensitivity, substrate, section, n, w, s, f,
                                       failures, _MODES[mode], _model(model))
    column = [_column(rows, j, shape) for j in range(12)]
    f_si = float(points[2]) if shape == () else points[2].copy()
    zoe_to = Sensitivities(*column[2:7]) if mode != "odd" else None
    zoo_to = Sensitivities(*column[7:12]) if mode != "even" else None
    return Sensitivity(f_si, column[0], column[1], zoe_to, zoo_to)


def _scalar_section(substrate: Substrate, section: CrossSection) -> tuple:
    if not isinstance(substrate, Substrate):
        raise ValueError(f"substrate: {substrate!r} is not a Substrate")
    if not isinstance(section, CrossSection):
        raise ValueError(f"section: {section!r} is not a CrossSection")
    return (substrate._library(), section.n, _units.library(section.w, _units.METRES_PER_INCH),
            _units.library(section.s, _units.METRES_PER_INCH))


def quarter_wave(substrate: Substrate, section: CrossSection, f: Frequency,
                 model: ModelName = "closed-form") -> Coupler:
    """The coupler of this cross-section that is a quarter wave long at f.

    Parameters
    ----------
    substrate : Substrate
    section : CrossSection
    f : float or str
        The centre frequency, hertz (or a text with its unit).
    model : {"closed-form", "field"}, optional

    Returns
    -------
    Coupler
        Its length a quarter wavelength at f on the coupler's dispersive permittivity.
    """
    f_ghz = _units.to_library("f", f, Dimension.frequency, Bound.positive)
    length, outcome = _core.quarter_wave(*_scalar_section(substrate, section), f_ghz,
                                         _model(model))
    _report(outcome)
    return Coupler(section, float(np.float32(length)) * _units.METRES_PER_INCH)


def centre_frequency(substrate: Substrate, coupler: Coupler,
                     model: ModelName = "closed-form") -> float:
    """The frequency at which the coupler is a quarter wave long.

    Parameters
    ----------
    substrate : Substrate
    coupler : Coupler
    model : {"closed-form", "field"}, optional

    Returns
    -------
    float
        Hertz.

    Raises
    ------
    ModelError
        The search for it reached its bound.
    """
    if not isinstance(coupler, Coupler):
        raise ValueError(f"coupler: {coupler!r} is not a Coupler")
    length = _units.library(coupler.length, _units.METRES_PER_INCH)
    f, outcome = _core.centre_frequency(*_scalar_section(substrate, coupler.section), length,
                                        _model(model))
    _report(outcome)
    return float(np.float32(f)) * _units.HERTZ_PER_GHZ


def _frequencies(frequency: Union["skrf.Frequency", Values]) -> tuple:
    """The frequencies as hertz (float64) and as the library's GHz floats."""
    given = getattr(frequency, "f", frequency)
    hz = np.atleast_1d(_units.array("frequency", given, Dimension.frequency,
                                    Bound.non_negative))
    if hz.ndim != 1 or hz.size == 0:
        raise ValueError("frequency: give one frequency or a 1-D array of them")
    return hz, np.ascontiguousarray(_units._as_float(hz, _units.HERTZ_PER_GHZ))


def response(substrate: Substrate, coupler: Coupler,
             frequency: Union["skrf.Frequency", Values], reference: Union[float, str] = 50.0,
             *, model: ModelName = "closed-form", name: str = "coupler") -> "skrf.Network":
    """The coupler as a four-port network over frequency: a scikit-rf Network.

    As ``cuplo-calc response``: the even/odd-mode analysis of the coupler with conductor and
    dielectric losses from the substrate, every port terminated in the reference impedance,
    and the S-matrix referred to it.

    Parameters
    ----------
    substrate : Substrate
    coupler : Coupler
        The cross-section and length (:func:`quarter_wave` makes a coupler a quarter wave
        long at a frequency).
    frequency : skrf.Frequency, float, str or array_like
        The frequencies, hertz.
    reference : float or str, optional
        The reference impedance of every port, ohms (default 50).
    model : {"closed-form", "field"}, optional
    name : str, optional
        The network's name.

    Returns
    -------
    skrf.Network
        Four ports named input, coupled, isolated and through (``port_names``), ports 1 and
        2 at one end of the coupler, 4 and 3 at the other; z0 the reference.

    Raises
    ------
    ValueError
        Bad input, naming the argument.
    ModelError
        No physical solution at one of the frequencies.
    ImportError
        scikit-rf is not installed (Debian: python3-scikit-rf).

    Warns
    -----
    AccuracyWarning
        Once for each limit left; the highest frequency decides the dispersion limit.
    """
    import skrf

    if not isinstance(coupler, Coupler):
        raise ValueError(f"coupler: {coupler!r} is not a Coupler")
    hz, ghz = _frequencies(frequency)
    z = _units.to_library("reference", reference, Dimension.impedance, Bound.positive)
    length = _units.library(coupler.length, _units.METRES_PER_INCH)
    s, outcome = _core.response(*_scalar_section(substrate, coupler.section), length, ghz, z,
                                _model(model))
    _report(outcome)
    if isinstance(frequency, skrf.Frequency):
        grid = frequency.copy()
    else:
        grid = skrf.Frequency.from_f(hz, unit="hz")
        grid.unit = "ghz"
    network = skrf.Network(frequency=grid, s=s.astype(np.complex128), z0=float(z), name=name)
    network.port_names = list(_PORTS)
    section = coupler.section
    network.comments = (
        f"cuplo {__version__} response: interdigitated microstrip coupler, S-parameters\n"
        "ports: 1 input, 2 coupled, 3 isolated, 4 through; 1 and 2 at one end, 3 and 4 at "
        f"the other\n{substrate}\n{section}\nlength = {coupler.length:g} m\n"
        f"reference = {z:g} ohm")
    return network


def synthesize(substrate: Substrate, n: int = 4, *, zo: Optional[Union[float, str]] = None,
               coupling: Optional[Union[float, str]] = None,
               zoe: Optional[Union[float, str]] = None, zoo: Optional[Union[float, str]] = None,
               f: Optional[Frequency] = None, dispersive: bool = False,
               model: ModelName = "closed-form", min_w: Optional[Length] = None,
               min_s: Optional[Length] = None, etch: Optional[Length] = None) -> Synthesis:
    """Strip width and spacing for a coupler impedance and coupling, or for Zoe and Zoo.

    As ``cuplo-calc synthesize``: from the static impedances, or with ``dispersive=True``
    from the dispersive impedances at f; the result is analysed again as its check.

    With the process's rules (``min_w``, ``min_s``, as ``--min-w``, ``--min-s``): where the
    synthesized W or S lies below its minimum, the result is the nearest design the process
    makes, Zo held and the coupling as near the target as the binding minimum allows, with
    a :class:`ProcessWarning` saying which minimum binds; a design that meets the rules is
    unchanged by them.

    Parameters
    ----------
    substrate : Substrate
    n : int, optional
        Number of strips (default 4).
    zo, coupling : float or str, optional
        The coupler impedance (ohms) and midband coupling (dB; 3 and -3 are the same
        coupler).
    zoe, zoo : float or str, optional
        Or the even- and odd-mode impedances, ohms (zoo below zoe).
    f : float or str, optional
        Hertz: where a dispersive synthesis is made, and where the result's length is a
        quarter wave.
    dispersive : bool, optional
        Synthesize from the dispersive impedances at f.
    model : {"closed-form", "field"}, optional
    min_w, min_s : float or str, optional
        The narrowest line and gap the process makes, metres or a text with its unit (none:
        no rule).
    etch : float or str, optional
        The width the etch takes from each edge: the result is refused when a mask
        pre-compensated for it (gaps drawn S - 2 etch) would close its gaps.

    Returns
    -------
    Synthesis

    Raises
    ------
    ValueError
        Bad input, naming the argument; an etch whose compensation closes the result's gaps
        (``"etch: ..."``).
    ModelError
        The search did not converge (the target is out of the substrate's reach), or no
        design within the minimums has the target's Zo (the message names them).

    Warns
    -----
    AccuracyWarning
        Once for each limit the target or the result leaves.
    ProcessWarning
        When a minimum binds.
    """
    if not isinstance(substrate, Substrate):
        raise ValueError(f"substrate: {substrate!r} is not a Substrate")
    n = _units.strips("n", n)
    I, B = Dimension.impedance, Bound.positive
    pair = zoe is not None or zoo is not None
    if pair and (zo is not None or coupling is not None):
        raise ValueError(f"{'zo' if zo is not None else 'coupling'}: give zo and coupling, or "
                         "zoe and zoo, not both")
    names = ("zoe", "zoo") if pair else ("zo", "coupling")
    given = (zoe, zoo) if pair else (zo, coupling)
    for name, value in zip(names, given):
        if value is None:
            raise ValueError(f"{name}: no value given (give zo and coupling, or zoe and zoo)")
    if pair:
        a = _units.to_library("zoe", zoe, I, B)
        b = _units.to_library("zoo", zoo, I, B)
        if not b < a:
            raise ValueError(f"zoo: {b:g} is not below the even-mode {a:g}")
    else:
        a = _units.to_library("zo", zo, I, B)
        b = _units.to_library("coupling", coupling, Dimension.decibel, Bound.nonzero)
    if dispersive and f is None:
        raise ValueError("f: no value given (a dispersive synthesis is made at f)")
    f_ghz = 0.0 if f is None else _units.to_library("f", f, Dimension.frequency,
                                                       Bound.non_negative)
    rules, given = _rules(min_w, min_s, etch)
    values, outcome = _core.synthesize(substrate._library(), n, pair, a, b, f_ghz, dispersive,
                                       _model(model), rules)
    _beyond_process(outcome, given, float(np.sqrt(a * b)) if pair else a)
    _report(outcome)
    if values["etch"]:
        raise ValueError(f"etch: {values['etch']}")
    _process_warnings([values["process"]] if values["process"] else [])
    inch = _units.METRES_PER_INCH
    section = CrossSection(n, float(np.float32(values["w"])) * inch,
                           float(np.float32(values["s"])) * inch)
    length = values["length"]
    return Synthesis(
        section=section,
        f=None if f is None else f_ghz * _units.HERTZ_PER_GHZ,
        zo=values["zo"], zoe=values["zoe"], zoo=values["zoo"],
        coupling_db=values["coupling_db"], eeff_even=values["eeff_even"],
        eeff_odd=values["eeff_odd"], check=Impedances(*values["check"]),
        length=None if np.isnan(length) else float(np.float32(length)) * inch,
        binding=values["binding"])


# The argument a drawing problem comes from: (geometry given, by fo, targets).
_PROBLEM_ARGUMENT = {
    "width": ("w", "w", "grid"),
    "spacing": ("s", "s", "grid"),
    "feeds": ("reference",) * 3,
    "length": ("length", "fo", "f"),
    "straps": ("length", "fo", "f"),
    "strips": ("n",) * 3,
    "grid": ("grid",) * 3,
    "etch": ("etch",) * 3,
}
_MAX_GRID_NM = 1_000_000
_NANOMETRES_PER_INCH = 25.4e6


def _grid_nm(grid: Length) -> int:
    inches = _units.to_library("grid", grid, Dimension.length, Bound.positive)
    nm = inches * _NANOMETRES_PER_INCH
    whole = round(nm)
    if not (1 <= whole <= _MAX_GRID_NM and abs(nm - whole) <= 1e-4 * whole):
        raise ValueError(f"grid: {grid!r} is not a whole number of nanometres from 1 nm "
                         "(0.001um) to 1 mm")
    return int(whole)


def layout(substrate: Substrate, coupler: Optional[Union[Coupler, CrossSection]] = None, *,
           fo: Optional[Frequency] = None, n: Optional[int] = None,
           zo: Optional[Union[float, str]] = None, coupling: Optional[Union[float, str]] = None,
           f: Optional[Frequency] = None, dispersive: bool = False,
           reference: Union[float, str] = 50.0, feed_length: Optional[Length] = None,
           grid: Length = "0.001um", name: Optional[str] = None,
           output: Optional[Union[str, os.PathLike]] = None,
           model: ModelName = "closed-form", min_w: Optional[Length] = None,
           min_s: Optional[Length] = None, etch: Optional[Length] = None) -> Layout:
    """The coupler drawn as a KiCad footprint, a GDSII mask and an SVG preview.

    As ``cuplo-calc layout``. The coupler is given by its geometry (a :class:`Coupler`, or
    a :class:`CrossSection` with fo, the length then a quarter wave there) or by targets
    (n, zo, coupling and f: synthesized as :func:`synthesize` does, held to ``min_w`` and
    ``min_s``, and made a quarter wave at f). With ``etch`` the drawing is pre-compensated:
    every copper edge drawn that far outward, so that the etched copper is the design.

    Parameters
    ----------
    substrate : Substrate
    coupler : Coupler or CrossSection, optional
        The geometry.
    fo : float or str, optional
        With a CrossSection: the centre frequency, hertz.
    n : int, optional
        With targets: the number of strips (default 4).
    zo, coupling : float or str, optional
        Targets: the coupler impedance (ohms) and the coupling (dB).
    f : float or str, optional
        Targets: the centre frequency, hertz.
    dispersive : bool, optional
        Targets: synthesize from the dispersive impedances at f.
    reference : float or str, optional
        The feed lines' impedance, which sets their width (default 50 ohms).
    feed_length : float or str, optional
        From the coupler to each pad, metres (default two substrate heights).
    grid : float or str, optional
        The mask's database unit: a whole number of nanometres (default 1 nm).
    name : str, optional
        The footprint's and the mask cell's name (default: output's file name, or
        "coupler").
    output : str or path, optional
        Where to write the three files: output.kicad_mod, output.gds and output.svg.
    model : {"closed-form", "field"}, optional
    min_w, min_s : float or str, optional
        The narrowest line and gap the process makes (none: no rule): a synthesis stops at
        them, a given geometry is warned about.
    etch : float or str, optional
        The width the etch takes from each edge (default none).

    Returns
    -------
    Layout
        The design values and the drawing, in metres.

    Raises
    ------
    ValueError
        Bad input, or a design that cannot be drawn, naming the argument at fault
        (``"etch: ..."`` for a compensation that would close the gaps).
    ModelError
        The synthesis or the centre-frequency search failed, or no design within the
        minimums has the target's Zo (the message names them).
    OSError
        A file could not be written (then none is changed).

    Warns
    -----
    AccuracyWarning
        Once for each limit the drawn coupler leaves.
    ProcessWarning
        When a minimum binds a synthesis, or for each rule a given geometry breaks.
    """
    if not isinstance(substrate, Substrate):
        raise ValueError(f"substrate: {substrate!r} is not a Substrate")
    targets = [k for k, v in (("zo", zo), ("coupling", coupling), ("f", f)) if v is not None]
    if dispersive:
        targets.append("dispersive")
    if coupler is not None or fo is not None:
        if n is not None:
            targets.insert(0, "n")
        if targets:
            raise ValueError(f"{targets[0]}: the coupler is given by its geometry (a Coupler, "
                             "or a CrossSection with fo) or by targets (n, zo, coupling, f), "
                             "not both")
        if isinstance(coupler, Coupler):
            if fo is not None:
                raise ValueError("fo: give a Coupler with its length, or a CrossSection with "
                                 "fo, not both")
            kind, section, length, frequency = 0, coupler.section, coupler.length, 0.0
        elif isinstance(coupler, CrossSection):
            if fo is None:
                raise ValueError("fo: no value given (a CrossSection is drawn a quarter wave "
                                 "long at fo)")
            kind, section, length = 1, coupler, 0.0
            frequency = _units.to_library("fo", fo, Dimension.frequency, Bound.positive)
        else:
            raise ValueError(f"coupler: {coupler!r} is not a Coupler or a CrossSection")
        n_strips, w, s = section.n, section.w, section.s
        argument = 0 if kind == 0 else 1
    else:
        for key, value in (("zo", zo), ("coupling", coupling), ("f", f)):
            if value is None:
                raise ValueError(f"{key}: no value given (give a Coupler, a CrossSection and "
                                 "fo, or zo, coupling and f)")
        n_strips = _units.strips("n", 4 if n is None else n)
        kind, w, s, length, argument = 2, 0.0, 0.0, 0.0, 2
        frequency = _units.to_library("f", f, Dimension.frequency, Bound.positive)
    z_target = 0.0 if zo is None else _units.to_library("zo", zo, Dimension.impedance,
                                                         Bound.positive)
    c_target = 0.0 if coupling is None else _units.to_library("coupling", coupling,
                                                               Dimension.decibel, Bound.nonzero)
    z_ref = _units.to_library("reference", reference, Dimension.impedance, Bound.positive)
    feed = -1.0 if feed_length is None else _units.to_library(
        "feed_length", feed_length, Dimension.length, Bound.non_negative)
    grid_nm = _grid_nm(grid)
    rules, given = _rules(min_w, min_s, etch)
    if name is None:
        name = pathlib.Path(output).name if output is not None else "coupler"
    inch = _units.METRES_PER_INCH
    values, drawing, problem, outcome = _core.layout(
        substrate._library(), kind, n_strips, _units.library(w, inch), _units.library(s, inch),
        _units.library(length, inch), frequency, z_target, c_target, dispersive, z_ref, feed,
        grid_nm, name, _model(model), rules)
    if problem is not None:
        what, message = problem
        key = ("feed_length" if feed_length is not None else _PROBLEM_ARGUMENT["length"][argument]) \
            if what == "extent" else _PROBLEM_ARGUMENT.get(what, ("grid",) * 3)[argument]
        raise ValueError(f"{key}: {message}")
    if outcome[1] == "invalid_input" and (outcome[3] or "").startswith("reference"):
        raise ValueError(f"reference: {z_ref:g} ohm: no microstrip on this substrate has that "
                         "impedance")
    _beyond_process(outcome, given, z_target)
    # As cuplo-calc: the rules a given design breaks before the models' limits, the minimum
    # a synthesis stopped at after them.
    process = values["process"] if values is not None else []
    if kind != 2:
        _process_warnings(process)
    _report(outcome)
    if kind == 2:
        _process_warnings(process)
    unit = drawing.grid_nm * 1e-9

    def rectangles(boxes: np.ndarray) -> np.ndarray:
        x0, y0, x1, y1 = (boxes[:, j].astype(np.float64) * unit for j in range(4))
        return np.stack([np.stack([x0, y0], -1), np.stack([x1, y0], -1),
                         np.stack([x1, y1], -1), np.stack([x0, y1], -1)], axis=1)

    straps = drawing.straps.astype(np.float64) * unit
    result = Layout(
        section=CrossSection(n_strips, float(np.float32(values["w"])) * inch,
                             float(np.float32(values["s"])) * inch),
        length=float(np.float32(values["length"])) * inch,
        centre_frequency=float(np.float32(values["centre_ghz"])) * _units.HERTZ_PER_GHZ,
        zo=values["zo"], zoe=values["zoe"], zoo=values["zoo"],
        coupling_db=values["coupling_db"], reference=z_ref,
        feed_width=float(np.float32(values["feed_width"])) * inch,
        feed_length=float(np.float32(values["feed_length"])) * inch,
        strap_width=drawing.strap_width * unit, grid=unit, name=name,
        etch=rules[2] * inch, binding=values["binding"],
        copper=rectangles(drawing.copper), conductors=drawing.conductors,
        pads=rectangles(drawing.pads),
        straps=straps.reshape(-1, 2, 2), _drawing=drawing)
    if output is not None:
        result.write(output)
    return result


# --- Tolerances -----------------------------------------------------------------------------

#: The quantities of a Monte Carlo, in the library's order: Zo (ohms) and the coupling (dB)
#: at the operating frequency, the sample's own centre frequency (hertz), and there the
#: amplitude balance |S21|/|S41| (dB), the phase difference of ports 2 and 4 (degrees), the
#: isolation and the return loss (dB).
TOLERANCE_QUANTITIES = ("zo", "coupling_db", "fo", "balance_db", "phase_deg", "isolation_db",
                        "return_loss_db")
#: The percentiles a Monte Carlo reports.
PERCENTILES = (1.0, 5.0, 50.0, 95.0, 99.0)
_FO = TOLERANCE_QUANTITIES.index("fo")


@dataclass(frozen=True)
class ToleranceResult:
    """A Monte Carlo of a coupler over its tolerances (:func:`tolerance`).

    Attributes
    ----------
    samples, failed : int
        Samples drawn; those the models could not analyse (left out of the statistics,
        counted outside every limit).
    operating_frequency : float
        Hertz: where Zo, the coupling and the four-port values are taken.
    length : float
        The coupled length, metres.
    nominal, mean, sd : dict
        By quantity (``TOLERANCE_QUANTITIES``): the nominal design's value, the samples' mean
        and standard deviation. Frequencies in hertz.
    percentiles : dict
        By quantity: an array of the 1, 5, 50, 95 and 99 % points (``PERCENTILES``).
    yield_ : dict
        The share (0 to 1) of the samples within each limit given, by quantity, and within
        all of them (``"all"``); empty without limits.
    values : dict or None
        With ``keep_samples``: an array per sample of each design value (``"w"``, ``"s"``,
        ``"h"``, ``"t"`` in metres, ``"er"``) and each quantity (NaN where it failed).
    """

    samples: int
    failed: int
    operating_frequency: float
    length: float
    nominal: dict
    mean: dict
    sd: dict
    percentiles: dict
    yield_: dict
    values: Optional[dict]


def _tolerance_of(argument: str, value, dimension: Dimension) -> tuple:
    """(value, relative) in the library's unit: "5%" of the value, a text with its unit, or a
    number (SI; Er plain)."""
    if value is None:
        return (0.0, False)
    if isinstance(value, str) and value.strip().endswith("%"):
        percent = _units.to_library(argument, value.strip()[:-1], Dimension.plain,
                                    Bound.non_negative)
        return (percent / 100.0, True)
    return (_units.to_library(argument, value, dimension, Bound.non_negative), False)


_LIMIT_UNITS = {Dimension.decibel: "dB", Dimension.frequency: "GHz", Dimension.plain: ""}


def _window(argument: str, limits, quantity: str, dimension: Dimension) -> tuple:
    """(given, low, high) as the samples give the quantity, from limits read as cuplo-calc
    reads them ("C+-T", T with its unit or in % of C; for the balance one largest value), or
    from a pair (centre, tolerance) or for the balance one value, each a number in SI or a
    text with its unit."""
    if limits is None:
        return (False, 0.0, 0.0)

    def text(part) -> str:
        if isinstance(part, str):
            return part
        value = _units.to_library(argument, part, dimension, Bound.non_negative)
        return repr(value) + _LIMIT_UNITS[dimension]

    if isinstance(limits, (tuple, list)) and len(limits) == 2:
        limits = text(limits[0]) + "+-" + text(limits[1])
    elif not isinstance(limits, str):
        limits = text(limits)
    low, high = _core.parse_limits(argument, limits, TOLERANCE_QUANTITIES.index(quantity))
    return (True, low, high)


def tolerance(substrate: Substrate, coupler: Union[Coupler, CrossSection], *,
              fo: Optional[Frequency] = None, w_tol=None, s_tol=None, h_tol=None, er_tol=None,
              t_tol=None, etch: Length = 0.0, etch_tol=None,
              distribution: Literal["normal", "uniform"] = "normal", samples: int = 10_000,
              seed: int = 1, spec_coupling=None, spec_balance=None, spec_phase=None,
              spec_fo=None, reference: Union[float, str] = 50.0,
              model: ModelName = "closed-form", keep_samples: bool = True,
              threads: int = 0) -> ToleranceResult:
    """A Monte Carlo of the coupler over its manufacturing tolerances, as
    ``cuplo-calc tolerance``.

    Each sample draws W, S, H, Er, T and the etch independently around the nominal design,
    from its own random stream (the same seed gives the same samples on every machine and
    any number of threads), and is analysed at the operating frequency: the nominal design's
    centre frequency, or ``fo``.

    Parameters
    ----------
    substrate : Substrate
    coupler : Coupler or CrossSection
        A Coupler (its length), or a CrossSection with ``fo`` (the length then the nominal
        design's quarter wave at fo).
    fo : float or str, optional
        The centre frequency, hertz: with a CrossSection.
    w_tol, s_tol, h_tol, t_tol : float or str, optional
        Tolerances: metres, a text with its unit (``"25um"``) or a percentage (``"5%"``).
    er_tol : float or str, optional
        Tolerance of Er: a number or a percentage.
    etch : float or str, optional
        The nominal etch per edge, metres (for a percentage ``etch_tol``).
    etch_tol : float or str, optional
        Tolerance of the etch per edge: W - 2e and S + 2e together.
    distribution : {"normal", "uniform"}, optional
        Normal: a tolerance is three standard deviations. Uniform: the half-width.
    samples : int, optional
        1 to 1,000,000 (default 10,000).
    seed : int, optional
        0 to 2**64 - 1.
    spec_coupling, spec_phase, spec_fo : str or (centre, tolerance), optional
        Limits for the yield: ``"3+-0.5dB"`` (the coupling's magnitude), ``"90+-3deg"``,
        ``"5.8GHz+-2%"``, read as ``cuplo-calc tolerance`` reads its ``--spec-*`` options;
        or a pair such as ``(3, 0.5)``, ``(5.8e9, "2%")``, numbers in dB, degrees and hertz.
    spec_balance : float or str, optional
        The largest amplitude imbalance, dB (``0.5`` or ``"0.5dB"``).
    reference : float or str, optional
        Every port's termination, ohms.
    model : {"closed-form", "field"}, optional
    keep_samples : bool, optional
        Return every sample's values (``values``).
    threads : int, optional
        0: every core. The result is the same for any number.

    Returns
    -------
    ToleranceResult

    Raises
    ------
    ValueError
        Bad input, naming the argument: a tolerance negative, or as large as its value.
    ModelError
        The nominal design cannot be analysed.
    """
    if isinstance(coupler, Coupler):
        if fo is not None:
            raise ValueError("fo: the Coupler has its length; give a CrossSection with fo")
        section, length = coupler.section, _units.library(coupler.length, _units.METRES_PER_INCH)
        fo_ghz = 0.0
    elif isinstance(coupler, CrossSection):
        if fo is None:
            raise ValueError("fo: a CrossSection needs the centre frequency (or give a Coupler)")
        section, length = coupler, 1.0
        fo_ghz = _units.to_library("fo", fo, Dimension.frequency, Bound.positive)
    else:
        raise ValueError(f"coupler: {coupler!r} is not a Coupler or a CrossSection")
    if distribution not in ("normal", "uniform"):
        raise ValueError(f"distribution: {distribution!r} is not 'normal' or 'uniform'")
    for name, v, low, high in (("samples", samples, 1, 1_000_000), ("seed", seed, 0, 2**64 - 1),
                               ("threads", threads, 0, 64)):
        if isinstance(v, bool) or not isinstance(v, int) or not low <= v <= high:
            raise ValueError(f"{name}: {v!r} is not a whole number from {low} to {high}")
    L = Dimension.length
    tols = [_tolerance_of("w_tol", w_tol, L), _tolerance_of("s_tol", s_tol, L),
            _tolerance_of("h_tol", h_tol, L), _tolerance_of("er_tol", er_tol, Dimension.plain),
            _tolerance_of("t_tol", t_tol, L), _tolerance_of("etch_tol", etch_tol, L)]
    etch_in = _units.to_library("etch", etch, L, Bound.non_negative)
    spec = [(False, 0.0, 0.0)] * len(TOLERANCE_QUANTITIES)
    for argument, limits, quantity, dimension in (
            ("spec_coupling", spec_coupling, "coupling_db", Dimension.decibel),
            ("spec_fo", spec_fo, "fo", Dimension.frequency),
            ("spec_balance", spec_balance, "balance_db", Dimension.decibel),
            ("spec_phase", spec_phase, "phase_deg", Dimension.plain)):
        spec[TOLERANCE_QUANTITIES.index(quantity)] = _window(argument, limits, quantity,
                                                             dimension)
    z = _units.to_library("reference", reference, Dimension.impedance, Bound.positive)
    sub, n, w, s = _scalar_section(substrate, section)
    summary, drawn, outcome = _core.tolerance(
        sub, n, w, s, length, fo_ghz, z, _model(model), tols, etch_in,
        0 if distribution == "normal" else 1, samples, seed, spec, keep_samples, threads)
    _report(outcome)
    hz = _units.HERTZ_PER_GHZ

    def by_quantity(values) -> dict:
        out = {q: float(v) for q, v in zip(TOLERANCE_QUANTITIES, values)}
        out["fo"] *= hz
        return out

    points = {q: np.array(row, dtype=np.float64) for q, row in
              zip(TOLERANCE_QUANTITIES, summary["percentiles"])}
    points["fo"] = points["fo"] * hz
    shares = {}
    for k, q in enumerate(TOLERANCE_QUANTITIES):
        if spec[k][0]:
            shares[q] = int(summary["passing"][k]) / samples
    if shares:
        shares["all"] = int(summary["passing_all"]) / samples
    values = None
    if drawn is not None:
        m = _units.METRES_PER_INCH
        columns = ("w", "s", "h", "er", "t") + TOLERANCE_QUANTITIES
        scale = {"w": m, "s": m, "h": m, "t": m, "fo": hz}
        values = {c: drawn[:, j].astype(np.float64) * scale.get(c, 1.0)
                  for j, c in enumerate(columns)}
    sd = by_quantity(summary["sd"])
    return ToleranceResult(
        samples=int(summary["samples"]), failed=int(summary["failed"]),
        operating_frequency=float(np.float32(summary["operating_ghz"])) * hz,
        length=float(np.float32(summary["length"])) * _units.METRES_PER_INCH,
        nominal=by_quantity(summary["nominal"]), mean=by_quantity(summary["mean"]), sd=sd,
        percentiles=points, yield_=shares, values=values)


def __getattr__(name: str):
    # cuplo.plot is imported when first used, so that importing cuplo does not load matplotlib.
    if name == "plot":
        import importlib

        return importlib.import_module(".plot", __name__)
    raise AttributeError(f"module 'cuplo' has no attribute {name!r}")

"""Values as the engineer gives them, checked and turned into SI and into the library's units.

A length is metres as a number or a text with its unit ("20mil", "0.635mm"); a frequency is
hertz as a number or a text ("10GHz"). Every text goes through one reader,
:func:`cuplo._core.parse_quantity`, which has cuplo-calc's units and words. Numbers are
checked here with the same words. The library takes 32-bit floats in inches and GHz: a value
is divided once in double precision and rounded once, as cuplo-calc reads its texts, so that
"0.025in" and 0.000635 give the same float.
"""
from __future__ import annotations

import numbers
from typing import Union

import numpy as np
import numpy.typing as npt

from . import _core

Dimension = _core.Dimension
Bound = _core.Bound

#: A length: metres, or a text with its unit (in, mil, mm, um).
Length = Union[float, str]
#: A frequency: hertz, or a text with its unit (GHz, MHz, kHz, Hz).
Frequency = Union[float, str]

# SI units in one library unit: metres per inch, hertz per GHz.
METRES_PER_INCH = 0.0254
HERTZ_PER_GHZ = 1.0e9
# The substrate's conductor values: ohm-metres per micro-ohm-centimetre, metres per
# micro-inch.
OHM_METRES_PER_MICRO_OHM_CM = 1.0e-8
METRES_PER_MICRO_INCH = 0.0254e-6

_SI_PER_LIBRARY = {
    Dimension.length: METRES_PER_INCH,
    Dimension.frequency: HERTZ_PER_GHZ,
    Dimension.impedance: 1.0,
    Dimension.decibel: 1.0,
    Dimension.plain: 1.0,
}


def parse(argument: str, text: str, dimension: Dimension, bound: Bound) -> float:
    """A text with its unit in the library's unit; ValueError naming the argument."""
    return _core.parse_quantity(argument, text, dimension, bound)


def library(value: float, per_unit: float) -> float:
    """An SI value in the library's unit, as the float the library receives."""
    return float(_as_float(np.float64(value), per_unit))


def _as_float(values: np.ndarray, per_unit: float) -> np.ndarray:
    """SI values divided once in double precision and rounded once to 32-bit floats."""
    with np.errstate(over="ignore"):
        return (values / per_unit).astype(np.float32)


def si(argument: str, value: Union[float, str], dimension: Dimension, bound: Bound,
       per_unit: float | None = None) -> float:
    """A scalar in SI (per_unit: SI units in one library unit, by default the dimension's).

    Texts are read with their unit; numbers must be real, finite and within the bound, and
    must not vanish or overflow as the library's float.
    """
    scale = _SI_PER_LIBRARY[dimension] if per_unit is None else per_unit
    if isinstance(value, str):
        return parse(argument, value, dimension, bound) * (
            _SI_PER_LIBRARY[dimension] if dimension is not Dimension.plain else scale)
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise ValueError(f"{argument}: {value!r} is not a number")
    number = float(value)
    shown = f"{number:g}"
    if not _within(bound, np.float64(number)):
        raise ValueError(f"{argument}: {shown} {_core.bound_text(bound)}")
    as_float = _as_float(np.float64(number), scale)
    if not _within(bound, as_float) or (number != 0 and as_float == 0):
        raise ValueError(f'{argument}: "{shown}" is out of range')
    return number


def to_library(argument: str, value: Union[float, str], dimension: Dimension, bound: Bound,
               per_unit: float | None = None) -> float:
    """A scalar as the library's float (see :func:`si`)."""
    scale = _SI_PER_LIBRARY[dimension] if per_unit is None else per_unit
    return library(si(argument, value, dimension, bound, per_unit), scale)


def strips(argument: str, value: object) -> int:
    """A count of strips: an integer from 1 up (the model decides which it takes)."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral) or int(value) < 1:
        raise ValueError(f"{argument}: {value!r} is not a number of strips")
    return int(value)


def array(argument: str, value: Union[npt.ArrayLike, str], dimension: Dimension,
          bound: Bound) -> np.ndarray:
    """An array of SI values (or one text) as float64, each checked as :func:`si` does."""
    if isinstance(value, str):
        return np.asarray(si(argument, value, dimension, bound))
    values = np.asarray(value)
    if values.dtype.kind not in "biuf":
        raise ValueError(f"{argument}: an array of numbers is needed, not {values.dtype}")
    values = values.astype(np.float64)
    floats = _as_float(values, _SI_PER_LIBRARY[dimension])
    good = _within(bound, values) & _within(bound, floats) & ((values == 0) | (floats != 0))
    if not np.all(good):
        where = np.unravel_index(int(np.argmin(good.ravel())), values.shape)
        si(argument, float(values[where]), dimension, bound)  # raises with the words
    return values


def _within(bound: Bound, v: np.ndarray) -> np.ndarray:
    finite = np.isfinite(v)
    if bound is Bound.positive:
        return finite & (v > 0)
    if bound is Bound.non_negative:
        return finite & (v >= 0)
    if bound is Bound.at_least_one:
        return finite & (v >= 1)
    if bound is Bound.nonzero:
        return finite & (v != 0)
    return finite & ((v == 4) | (v == 6))

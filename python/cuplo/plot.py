"""Pictures of a coupler with matplotlib: the design map over W and S, and the response.

:func:`design_map` shows where on W and S a coupler of given impedance and coupling lies and
how steep the surface is there: contours of Zo and of the coupling over the plane of strip
width and spacing. :func:`response` shows a network's four |S| curves and the quadrature
error of its two outputs.
"""
from __future__ import annotations

from typing import TYPE_CHECKING, Optional, Sequence, Tuple, Union

import numpy as np

from . import Coupler, CrossSection, Substrate, Synthesis, _units, impedance
from ._units import Bound, Dimension, Frequency, Length

if TYPE_CHECKING:
    import matplotlib.axes
    import skrf

__all__ = ["design_map", "response"]

# Metres per unit of the axes.
_AXIS_UNITS = {"mm": 1e-3, "um": 1e-6, "mil": 25.4e-6, "in": 0.0254}


def _axes(ax: Optional["matplotlib.axes.Axes"]) -> "matplotlib.axes.Axes":
    if ax is not None:
        return ax
    import matplotlib.pyplot as plt

    return plt.figure(figsize=(7, 5.5)).add_subplot()


def _span(argument: str, bounds: Sequence[Length], points: int, log: bool) -> np.ndarray:
    if len(bounds) != 2:
        raise ValueError(f"{argument}: give the first and the last value, (low, high)")
    low, high = (_units.si(argument, b, Dimension.length, Bound.positive) for b in bounds)
    if not low < high:
        raise ValueError(f"{argument}: {low:g} m is not below {high:g} m")
    return np.geomspace(low, high, points) if log else np.linspace(low, high, points)


def design_map(substrate: Substrate, n: int = 4, w_range: Sequence[Length] = ("0.1mm", "1mm"),
               s_range: Sequence[Length] = ("0.05mm", "0.5mm"), *, f: Frequency = 0.0,
               target: Optional[Union[Synthesis, CrossSection, Coupler,
                                      Tuple[Length, Length]]] = None,
               points: int = 121, log: bool = False, unit: str = "mm",
               model: str = "closed-form",
               ax: Optional["matplotlib.axes.Axes"] = None) -> "matplotlib.axes.Axes":
    """Contours of the coupler impedance and the coupling over strip width and spacing.

    Zo (solid, ohms) and the coupling (dashed, dB) are computed by :func:`cuplo.impedance`
    on a grid of points x points over the ranges; where the models have no solution the map
    is blank. Close contours mean a steep surface: a small error in W or S moves the coupler
    far there.

    Parameters
    ----------
    substrate : Substrate
    n : int, optional
        Number of strips (default 4).
    w_range, s_range : (low, high)
        The ranges of strip width and spacing: metres, or texts with their unit.
    f : float or str, optional
        Frequency, hertz (default 0: static values).
    target : Synthesis, CrossSection, Coupler or (w, s), optional
        A design to mark, with its Zo and coupling contours drawn bold.
    points : int, optional
        Grid points along each axis (default 121).
    log : bool, optional
        Logarithmic axes, for ranges of a decade or more.
    unit : {"mm", "um", "mil", "in"}, optional
        The unit of the axes (default mm).
    model : {"closed-form", "field"}, optional
    ax : matplotlib.axes.Axes, optional
        Where to draw (default: a new figure).

    Returns
    -------
    matplotlib.axes.Axes

    Raises
    ------
    ValueError
        Bad input, naming the argument.

    Warns
    -----
    cuplo.AccuracyWarning
        Once for each accuracy limit that part of the map leaves.
    """
    if unit not in _AXIS_UNITS:
        raise ValueError(f"unit: {unit!r} is not one of {', '.join(_AXIS_UNITS)}")
    if isinstance(points, bool) or not isinstance(points, int) or points < 2:
        raise ValueError(f"points: {points!r} is not a whole number from 2 up")
    w = _span("w_range", w_range, points, log)
    s = _span("s_range", s_range, points, log)
    grid_w, grid_s = np.meshgrid(w, s)
    z = impedance(substrate, n=n, w=grid_w, s=grid_s, f=f, model=model, failures="nan")
    marked = None
    if target is not None:
        section = getattr(target, "section", target)
        tw, ts = (section.w, section.s) if isinstance(section, CrossSection) else (
            _units.si("target", v, Dimension.length, Bound.positive) for v in section)
        marked = (tw, ts, impedance(substrate, n=n, w=tw, s=ts, f=f, model=model))

    ax = _axes(ax)
    scale = _AXIS_UNITS[unit]
    x, y = grid_w / scale, grid_s / scale
    zo_lines = ax.contour(x, y, z.zo, levels=10, colors="tab:blue", linewidths=0.9)
    ax.clabel(zo_lines, fmt="%g", fontsize=8)
    co_lines = ax.contour(x, y, z.coupling_db, levels=10, colors="tab:red", linewidths=0.9,
                          linestyles="dashed")
    ax.clabel(co_lines, fmt="%g", fontsize=8)
    if marked is not None:
        tw, ts, at = marked
        ax.contour(x, y, z.zo, levels=[at.zo], colors="tab:blue", linewidths=2.2)
        ax.contour(x, y, z.coupling_db, levels=[at.coupling_db], colors="tab:red",
                   linewidths=2.2, linestyles="dashed")
        ax.plot([tw / scale], [ts / scale], marker="*", markersize=14, color="black",
                linestyle="none")
        ax.annotate(f"Zo {at.zo:.1f} ohm, {at.coupling_db:.2f} dB", (tw / scale, ts / scale),
                    xytext=(8, 8), textcoords="offset points", fontsize=9)
    if log:
        ax.set_xscale("log")
        ax.set_yscale("log")
    ax.set_xlabel(f"strip width W ({unit})")
    ax.set_ylabel(f"spacing S ({unit})")
    freq = _units.si("f", f, Dimension.frequency, Bound.non_negative)
    at_f = "static" if freq == 0 else f"{freq / 1e9:g} GHz"
    ax.set_title(f"N = {n}, Er = {substrate.er:g}, H = {substrate.h / scale:g} {unit}, {at_f}: "
                 "Zo (ohm, solid), coupling (dB, dashed)", fontsize=9)
    return ax


def response(network: "skrf.Network",
             axes: Optional[Tuple["matplotlib.axes.Axes", "matplotlib.axes.Axes"]] = None
             ) -> Tuple["matplotlib.axes.Axes", "matplotlib.axes.Axes"]:
    """The four |S| curves of port 1 and the quadrature error over frequency.

    Parameters
    ----------
    network : skrf.Network
        A four-port as :func:`cuplo.response` gives it: port 1 input, 2 coupled, 3
        isolated, 4 through.
    axes : (Axes, Axes), optional
        Where to draw the magnitudes and the quadrature error (default: a new figure).

    Returns
    -------
    (Axes, Axes)
        The magnitudes |S11|, |S21|, |S31|, |S41| (dB) and the quadrature error, the phase
        difference of S21 and S41 less 90 degrees.
    """
    if getattr(network, "nports", None) != 4:
        raise ValueError(f"network: {network!r} is not a four-port")
    if axes is None:
        import matplotlib.pyplot as plt

        figure, axes = plt.subplots(2, sharex=True, figsize=(7, 6))
    magnitude, phase = axes
    names = getattr(network, "port_names", None) or ["port 1", "port 2", "port 3", "port 4"]
    ghz = network.f / 1e9
    column = network.s[:, :, 0]
    with np.errstate(divide="ignore"):
        for k in range(4):
            magnitude.plot(ghz, 20 * np.log10(np.abs(column[:, k])),
                           label=f"S{k + 1}1 ({names[k]})")
        error = np.abs(np.angle(column[:, 1] / column[:, 3], deg=True)) - 90
    phase.plot(ghz, error, color="black")
    magnitude.set_ylabel("|S| (dB)")
    magnitude.legend(fontsize=8)
    magnitude.grid(True)
    phase.set_ylabel("quadrature error (deg)")
    phase.set_xlabel("frequency (GHz)")
    phase.grid(True)
    return magnitude, phase

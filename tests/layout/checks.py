"""What the footprint and mask tests check, on the shapes a real reader returns.

Each reader test draws the coupler for N = 4 and 6 and hands over, in nanometres:
  cut(x)        the copper met by a line across the fingers at x: sorted (low, high) pairs
  pieces        the number of separate copper pieces
  piece_at(p)   the index of the piece under point p, or None
  straps        the straps: (end points, width)
  pads          port name -> (centre, width across the feed)
"""
import json
import subprocess

NM_PER_INCH = 25.4e6


def draw(command, n, path, grid_nm, etch_nm=0):
    """Runs the layout command; returns the copper it should draw, in nanometres: the design
    values it printed, with the mask's compensation for an etch of etch_nm per edge (every
    copper edge that much outward: fingers and feeds 2e wider, gaps 2e narrower)."""
    etch = ["--etch", f"{etch_nm}nm"] if etch_nm else []
    run = subprocess.run(command + ["--n", str(n), "--grid", f"{grid_nm / 1000}um",
                                    "-o", path, "--format", "json"] + etch,
                         capture_output=True, text=True, check=False)
    if run.returncode != 0:
        raise SystemExit(f"N = {n}: exit {run.returncode}: {run.stderr.strip()}")
    row = json.loads(run.stdout)["rows"][0]
    design = {key[:-3]: value * NM_PER_INCH for key, value in row.items() if key.endswith("_in")}
    design["w"] += 2 * etch_nm
    design["feed_width"] += 2 * etch_nm
    design["s"] -= 2 * etch_nm
    return design


def distance(p, segment):
    """From point p to a straight segment."""
    (ax, ay), (bx, by) = segment
    length2 = (bx - ax) ** 2 + (by - ay) ** 2
    t = max(0, min(1, ((p[0] - ax) * (bx - ax) + (p[1] - ay) * (by - ay)) / (length2 or 1)))
    return ((p[0] - ax - t * (bx - ax)) ** 2 + (p[1] - ay - t * (by - ay)) ** 2) ** 0.5


def check(n, grid, design, cut, pieces, piece_at, straps, pads):
    """The faults found, as lines."""
    faults = []
    near = lambda a, b: abs(a - b) <= grid
    # The middle half is fingers only: N strips of width W with gaps S, centred on y = 0.
    for x in (0.0, design["l"] / 4, -design["l"] / 4):
        strips = cut(x)
        if strips and abs(strips[0][0] + strips[-1][1]) > grid:
            faults.append(f"cut at x = {x:.0f} nm: the fingers {strips} are not centred")
        gaps = [b[0] - a[1] for a, b in zip(strips, strips[1:])]
        if (len(strips) != n or not all(near(hi - lo, design["w"]) for lo, hi in strips)
                or not all(near(g, design["s"]) for g in gaps)):
            faults.append(f"cut at x = {x:.0f} nm meets {strips}, wanted {n} strips "
                          f"W = {design['w']:.0f} S = {design['s']:.0f}")
    # A strap joins the pieces under its end points, whatever it passes over.
    group = list(range(pieces))

    def root(i):
        while group[i] != i:
            i = group[i]
        return i

    for ends, width in straps:
        # No strap lands on or passes over another's landing: a strap width clear of its edge.
        for other, _ in straps:
            if other != ends and any(distance(p, other) < 2 * width for p in ends):
                faults.append(f"strap {ends} lands on or beside strap {other}")
        under = [piece_at(p) for p in ends]
        if None in under:
            faults.append(f"strap {ends} does not land on copper at both ends")
        else:
            group[root(under[0])] = root(under[1])
    conductors = {root(i) for i in range(pieces)}
    if len(conductors) != 2:
        faults.append(f"{len(conductors)} conductors, wanted 2")
    port = {name: piece_at(centre) for name, (centre, _) in pads.items()}
    if sorted(port) != ["1", "2", "3", "4"] or None in port.values():
        faults.append(f"pads {sorted(port)}, wanted 1 to 4 on copper")
    elif not (root(port["1"]) == root(port["4"]) != root(port["2"]) == root(port["3"])):
        faults.append("pads 1 and 4 are not one conductor and 2 and 3 the other")
    for name, (_, width) in sorted(pads.items()):
        if not near(width, design["feed_width"]):
            faults.append(f"pad {name} is {width:.0f} nm wide, the feed "
                          f"{design['feed_width']:.0f} nm")
    return [f"N = {n}: {f}" for f in faults]

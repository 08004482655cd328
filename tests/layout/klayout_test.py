"""The mask as KLayout reads it: klayout -b -r klayout_test.py -rd here=DIR -rd command='C...'
(the command's words separated by '|'; it gets --n, --grid, -o and --format json appended).
Drawn as designed, and with the mask compensated for an etch: the fingers read back 2e wider
and the gaps 2e narrower."""
import os
import sys
import tempfile

import pya

sys.path.insert(0, here)  # noqa: F821 (set by -rd)
from checks import check, draw  # noqa: E402

GRID = 1
ETCH_NM = 7_000
faults = []
for n, etch in ((4, 0), (6, 0), (4, ETCH_NM), (6, ETCH_NM)):
    with tempfile.TemporaryDirectory() as folder:
        # Names of odd and even length: GDSII pads an odd string to an even record.
        path = os.path.join(folder, "idc4.gds" if n == 4 else "idc_6.gds")
        design = draw(command.split("|"), n, path, GRID, etch)  # noqa: F821 (set by -rd)
        layout = pya.Layout()
        layout.read(path)
    nm = layout.dbu * 1000
    top = layout.top_cell()
    metal = pya.Region(top.begin_shapes_rec(layout.layer(1, 0))).merged()
    pieces = list(metal.each())
    straps = [([(p.x * nm, p.y * nm) for p in shape.path.each_point()], shape.path.width * nm)
              for shape in top.shapes(layout.layer(2, 0)).each() if shape.is_path()]

    def cut(x):
        line = pya.Region(pya.Box(round(x / nm), -10**9, round(x / nm) + 1, 10**9))
        return sorted((p.bbox().bottom * nm, p.bbox().top * nm) for p in (metal & line).each())

    def piece_at(p):
        point = pya.Point(round(p[0] / nm), round(p[1] / nm))
        inside = [i for i, piece in enumerate(pieces) if piece.inside(point)]
        return inside[0] if len(inside) == 1 else None

    def across(x, y):
        """The width of the copper met by a line along x through (x, y)."""
        line = pya.Region(pya.Box(-10**9, round(y / nm), 10**9, round(y / nm) + 1))
        spans = [p.bbox() for p in (metal & line).each()]
        return next((b.width() * nm for b in spans if b.left * nm <= x <= b.right * nm), 0)

    pads = {}
    for shape in top.shapes(layout.layer(1, 0)).each():
        if shape.is_text():
            x, y = shape.text.x * nm, shape.text.y * nm
            pads[shape.text.string] = ((x, y), across(x, y))
    faults += [f"{f} (etch {etch} nm)" if etch else f
               for f in check(n, GRID, design, cut, len(pieces), piece_at, straps, pads)]
print("\n".join(faults) or "masks read by KLayout: N = 4 and 6, with and without etch, pass")
sys.exit(1 if faults else 0)

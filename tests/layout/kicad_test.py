"""The footprint as KiCad's pcbnew reads it: usage: kicad_test.py COMMAND... (exit 77 without
pcbnew). The command gets --n, --grid, -o and --format json appended."""
import os
import sys
import tempfile

from checks import check, draw

try:
    import pcbnew
except ImportError:
    sys.exit(77)

GRID = 1
faults = []
for n in (4, 6):
    with tempfile.TemporaryDirectory() as folder:
        library = os.path.join(folder, "couplers.pretty")
        os.mkdir(library)
        design = draw(sys.argv[1:], n, os.path.join(library, f"idc{n}.kicad_mod"), GRID)
        footprint = pcbnew.FootprintLoad(library, f"idc{n}")
    copper = pcbnew.SHAPE_POLY_SET()
    straps = []
    for item in footprint.GraphicalItems():
        if item.GetLayer() == pcbnew.F_Cu:
            copper.BooleanAdd(item.GetPolyShape(), pcbnew.SHAPE_POLY_SET.PM_FAST)
        elif item.GetLayer() == pcbnew.Eco1_User:
            straps.append(([(p.x, -p.y) for p in (item.GetStart(), item.GetEnd())],
                           item.GetWidth()))
    pads = {}
    for pad in footprint.Pads():
        copper.BooleanAdd(pad.GetEffectivePolygon(), pcbnew.SHAPE_POLY_SET.PM_FAST)
        pads[pad.GetName()] = ((pad.GetPosition().x, -pad.GetPosition().y), pad.GetSize().x)
    copper.Simplify(pcbnew.SHAPE_POLY_SET.PM_FAST)

    def cut(x):
        line = pcbnew.SHAPE_POLY_SET()
        line.NewOutline()
        for px, py in ((x, -10**9), (x + 1, -10**9), (x + 1, 10**9), (x, 10**9)):
            line.Append(int(px), py)
        line.BooleanIntersection(copper, pcbnew.SHAPE_POLY_SET.PM_FAST)
        ys = [[-line.Outline(i).CPoint(j).y for j in range(line.Outline(i).PointCount())]
              for i in range(line.OutlineCount())]
        return sorted((min(y), max(y)) for y in ys)

    def piece_at(p):
        inside = [i for i in range(copper.OutlineCount())
                  if copper.Contains(pcbnew.VECTOR2I(int(p[0]), -int(p[1])), i)]
        return inside[0] if len(inside) == 1 else None

    faults += check(n, GRID, design, cut, copper.OutlineCount(), piece_at, straps, pads)
print("\n".join(faults) or "footprints read by pcbnew: N = 4 and 6 pass")
sys.exit(1 if faults else 0)

"""The footprint as KiCad's pcbnew reads it, and KiCad's own design-rule check of a board that
carries it with four nets on its pads: usage: kicad_test.py COMMAND... (exit 77 without
pcbnew). The command (a synthesized coupler) gets --n, --grid, -o and --format json appended;
the same without --dispersive draws the geometry of the defaults file."""
import os
import sys
import tempfile

from checks import check, draw

try:
    import pcbnew
except ImportError:
    sys.exit(77)

GRID = 1


def drc(footprint, n):
    """KiCad's design-rule check of a board holding the footprint, pads 1 to 4 on four nets,
    inside an outline on Edge.Cuts: the violations and unconnected items it reports."""
    board = pcbnew.BOARD()
    footprint.SetPosition(pcbnew.wxPointMM(50, 50))
    board.Add(footprint)
    for pad in footprint.Pads():
        net = pcbnew.NETINFO_ITEM(board, "N" + pad.GetName())
        board.Add(net)
        pad.SetNet(net)
    box, margin = footprint.GetBoundingBox(), pcbnew.FromMM(5)
    x0, y0 = box.GetLeft() - margin, box.GetTop() - margin
    x1, y1 = box.GetRight() + margin, box.GetBottom() + margin
    corners = [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
    for a, b in zip(corners, corners[1:] + corners[:1]):
        edge = pcbnew.PCB_SHAPE(board)
        edge.SetShape(pcbnew.SHAPE_T_SEGMENT)
        edge.SetLayer(pcbnew.Edge_Cuts)
        edge.SetStart(pcbnew.wxPoint(*a))
        edge.SetEnd(pcbnew.wxPoint(*b))
        board.Add(edge)
    board.BuildConnectivity()
    with tempfile.TemporaryDirectory() as folder:
        report = os.path.join(folder, "drc.txt")
        pcbnew.WriteDRCReport(board, report, pcbnew.EDA_UNITS_MILLIMETRES, True)
        text = open(report).read()
    found = [line for line in text.splitlines() if line.startswith("** Found ")]
    if found != ["** Found 0 DRC violations **", "** Found 0 unconnected pads **",
                 "** Found 0 Footprint errors **"]:
        return [f"N = {n}: KiCad's design-rule check: {text}"]
    return []


def load(command, n):
    # Six strips under a name with a quote and a backslash: escaped in the file, read back whole.
    name = f"idc{n}" if n == 4 else f'idc "{n}" \\x'
    with tempfile.TemporaryDirectory() as folder:
        library = os.path.join(folder, "couplers.pretty")
        os.mkdir(library)
        design = draw(command, n, os.path.join(library, f"{name}.kicad_mod"), GRID)
        footprint = pcbnew.FootprintLoad(library, name)
        if footprint is None or footprint.GetFPID().GetLibItemName() != name:
            raise SystemExit(f"N = {n}: pcbnew does not read the footprint named {name!r}")
        return design, footprint


geometry = [word for word in sys.argv[1:] if word != "--dispersive"]
faults = drc(load(geometry, 4)[1], 4)
for n in (4, 6):
    design, footprint = load(sys.argv[1:], n)
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
    # The courtyard and the fabrication outline enclose all the metal.
    points = [copper.Outline(i).CPoint(j) for i in range(copper.OutlineCount())
              for j in range(copper.Outline(i).PointCount())]
    xs, ys = [p.x for p in points], [p.y for p in points]
    for layer, name in ((pcbnew.F_CrtYd, "courtyard"), (pcbnew.F_Fab, "fabrication outline")):
        boxes = [item.GetBoundingBox() for item in footprint.GraphicalItems()
                 if item.GetLayer() == layer]
        if not boxes or not (boxes[0].GetLeft() <= min(xs) and boxes[0].GetRight() >= max(xs)
                             and boxes[0].GetTop() <= min(ys)
                             and boxes[0].GetBottom() >= max(ys)):
            faults.append(f"N = {n}: the {name} does not enclose the metal")
    # KiCad's convention: the courtyard 0.25 mm clear of the metal, on a 0.01 mm grid.
    courtyard = [item.GetBoundingBox() for item in footprint.GraphicalItems()
                 if item.GetLayer() == pcbnew.F_CrtYd][0]
    edges = (courtyard.GetLeft(), courtyard.GetTop(), courtyard.GetRight(), courtyard.GetBottom())
    clear = (min(xs) - edges[0], min(ys) - edges[1], edges[2] - max(xs), edges[3] - max(ys))
    # (the bounding box of a line of 0.05 mm reaches half its width beyond the line's middle)
    if any(c < 250_000 + 25_000 for c in clear) or any((e + 25_000 * (-1 if i < 2 else 1))
                                                       % 10_000 for i, e in enumerate(edges)):
        faults.append(f"N = {n}: courtyard {edges} not 0.25 mm clear on a 0.01 mm grid: {clear}")
    faults += drc(footprint, n)
print("\n".join(faults) or "footprints read by pcbnew and checked by its DRC: N = 4 and 6 pass")
sys.exit(1 if faults else 0)

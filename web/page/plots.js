// The page's plots, drawn as SVG: the response over frequency, the quadrature error, and the
// design map (contours of Zo and of the coupling over W and S, found by marching squares,
// with the design point).
const Plots = (function () {
  'use strict';

  const NS = 'http://www.w3.org/2000/svg';
  const COLOURS = ['#444444', '#1f6fb4', '#c23b22', '#2a9d4b'];

  function element(parent, name, attributes, text) {
    const node = document.createElementNS(NS, name);
    for (const [key, value] of Object.entries(attributes || {})) node.setAttribute(key, value);
    if (text !== undefined) node.textContent = text;
    parent.appendChild(node);
    return node;
  }

  // Round steps (1, 2 or 5 times a power of ten) giving about `count` ticks over [low, high].
  function ticks(low, high, count) {
    if (!(high > low)) return { step: 1, values: [low] };
    const raw = (high - low) / count;
    const power = Math.pow(10, Math.floor(Math.log10(raw)));
    const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= raw) || 10 * power;
    const values = [];
    for (let v = Math.ceil(low / step - 1e-9) * step; v <= high + step * 1e-9; v += step) {
      values.push(Math.abs(v) < step * 1e-9 ? 0 : v);
    }
    return { step, values };
  }

  const label = (v) => String(Number(v.toPrecision(6)));

  // Axes and a frame; returns the mapping from data to the drawing.
  function frame(svg, box, x, y, xTitle, yTitle) {
    const { left, top, width, height } = box;
    const sx = (v) => left + ((v - x.low) / (x.high - x.low)) * width;
    const sy = (v) => top + height - ((v - y.low) / (y.high - y.low)) * height;
    element(svg, 'rect', { x: left, y: top, width, height, class: 'frame' });
    for (const v of ticks(x.low, x.high, 6).values) {
      element(svg, 'line', { x1: sx(v), x2: sx(v), y1: top, y2: top + height, class: 'grid' });
      element(svg, 'text', { x: sx(v), y: top + height + 14, class: 'tick', 'text-anchor': 'middle' }, label(v));
    }
    for (const v of ticks(y.low, y.high, 5).values) {
      element(svg, 'line', { x1: left, x2: left + width, y1: sy(v), y2: sy(v), class: 'grid' });
      element(svg, 'text', { x: left - 4, y: sy(v) + 4, class: 'tick', 'text-anchor': 'end' }, label(v));
    }
    element(svg, 'text', { x: left + width / 2, y: top + height + 30, class: 'title', 'text-anchor': 'middle' }, xTitle);
    element(svg, 'text', { x: 12, y: top + height / 2, class: 'title', 'text-anchor': 'middle', transform: `rotate(-90 12 ${top + height / 2})` }, yTitle);
    return { sx, sy };
  }

  function extent(arrays, floor) {
    let low = Infinity;
    let high = -Infinity;
    for (const values of arrays) {
      for (const v of values) {
        if (!Number.isFinite(v) || v < floor) continue;
        low = Math.min(low, v);
        high = Math.max(high, v);
      }
    }
    if (!(high > low)) return { low: (low || 0) - 1, high: (high || 0) + 1 };
    return { low, high };
  }

  // Lines of several series over one x; values below floor are drawn at it.
  function lines(svg, viewBox, data, series, yTitle, floor) {
    svg.replaceChildren();
    const [, , width, height] = viewBox;
    const box = { left: 52, top: 10, width: width - 64, height: height - 50 };
    const x = { low: data.f[0], high: data.f[data.f.length - 1] };
    if (!(x.high > x.low)) { x.low -= 0.5; x.high += 0.5; }
    const y = extent(series.map((s) => data[s.key]), floor);
    const { sx, sy } = frame(svg, box, x, y, 'f (GHz)', yTitle);
    series.forEach((s, i) => {
      const points = Array.from(data[s.key], (v, k) => `${sx(data.f[k]).toFixed(1)},${sy(Math.max(v, y.low)).toFixed(1)}`);
      element(svg, 'polyline', { points: points.join(' '), fill: 'none', stroke: s.colour || COLOURS[i], 'stroke-width': 1.8, 'data-series': s.key });
      if (series.length > 1) {
        const ly = box.top + box.height * 0.3 + i * 15;
        element(svg, 'line', { x1: box.left + box.width - 70, x2: box.left + box.width - 52, y1: ly - 4, y2: ly - 4, stroke: s.colour || COLOURS[i], 'stroke-width': 2 });
        element(svg, 'text', { x: box.left + box.width - 48, y: ly, class: 'legend' }, s.name);
      }
    });
  }

  function response(svg, data) {
    lines(svg, [0, 0, 480, 280], data, [
      { key: 's11', name: '|S11|' }, { key: 's21', name: '|S21|' },
      { key: 's31', name: '|S31|' }, { key: 's41', name: '|S41|' },
    ], 'dB', -60);
  }

  function quadrature(svg, data) {
    lines(svg, [0, 0, 480, 200], data, [{ key: 'quadrature', name: 'error', colour: '#7b3fa0' }], 'degrees', -Infinity);
  }

  // Marching squares: the segments where the grid (rows over y, columns over x) crosses
  // level, in grid coordinates (column, row). A cell with a missing corner draws nothing.
  function contour(grid, level) {
    const segments = [];
    const rows = grid.length;
    const columns = grid[0].length;
    const cross = (a, b) => (level - a) / (b - a);
    for (let j = 0; j + 1 < rows; j += 1) {
      for (let i = 0; i + 1 < columns; i += 1) {
        const v = [grid[j][i], grid[j][i + 1], grid[j + 1][i + 1], grid[j + 1][i]];
        if (!v.every(Number.isFinite)) continue;
        // Edges in order: bottom (0-1), right (1-2), top (3-2), left (0-3).
        const points = [];
        const edge = (a, b, at) => {
          if ((v[a] < level) !== (v[b] < level)) points.push(at(cross(v[a], v[b])));
        };
        edge(0, 1, (t) => [i + t, j]);
        edge(1, 2, (t) => [i + 1, j + t]);
        edge(3, 2, (t) => [i + t, j + 1]);
        edge(0, 3, (t) => [i, j + t]);
        if (points.length === 2) segments.push(points);
        if (points.length === 4) segments.push([points[0], points[1]], [points[2], points[3]]);
      }
    }
    return segments;
  }

  function designMap(svg, options) {
    const { map, range, size, point, wUnit, wScale, sUnit, sScale } = options;
    svg.replaceChildren();
    const box = { left: 52, top: 10, width: 410, height: 300 };
    const x = { low: range.wmin * wScale, high: range.wmax * wScale };
    const y = { low: range.smin * sScale, high: range.smax * sScale };
    const { sx, sy } = frame(svg, box, x, y, `W (${wUnit})`, `S (${sUnit})`);
    const toX = (i) => sx(x.low + ((x.high - x.low) * i) / (size - 1));
    const toY = (j) => sy(y.low + ((y.high - y.low) * j) / (size - 1));
    const layers = [
      { grid: map.zo, colour: '#1f6fb4', unit: '', count: 8, kind: 'zo' },
      { grid: map.coupling, colour: '#d9822b', unit: ' dB', count: 6, kind: 'coupling' },
    ];
    for (const layer of layers) {
      const { low, high } = extent(layer.grid, -Infinity);
      for (const level of ticks(low, high, layer.count).values) {
        const segments = contour(layer.grid, level);
        if (segments.length === 0) continue;
        const d = segments.map(([a, b]) => `M${toX(a[0]).toFixed(1)},${toY(a[1]).toFixed(1)}L${toX(b[0]).toFixed(1)},${toY(b[1]).toFixed(1)}`).join('');
        element(svg, 'path', { d, stroke: layer.colour, fill: 'none', 'stroke-width': 1.2, class: 'contour', 'data-kind': layer.kind, 'data-level': level });
        const [a] = segments[Math.floor(segments.length / 2)];
        element(svg, 'text', { x: toX(a[0]) + 2, y: toY(a[1]) - 2, class: 'contour-label', fill: layer.colour }, label(level) + layer.unit);
      }
    }
    const px = point.w * wScale;
    const py = point.s * sScale;
    const inside = px >= x.low && px <= x.high && py >= y.low && py <= y.high;
    const marker = element(svg, 'circle', { id: 'design-point', cx: sx(px).toFixed(2), cy: sy(py).toFixed(2), r: 5, class: 'point' });
    element(marker, 'title', {}, `design point: W ${label(px)} ${wUnit}, S ${label(py)} ${sUnit}`);
    if (!inside) {
      marker.setAttribute('visibility', 'hidden');
      element(svg, 'text', { x: box.left + 6, y: box.top + 16, class: 'legend' }, 'The design point lies outside the map.');
    }
  }

  return { response, quadrature, designMap, contour, ticks };
})();

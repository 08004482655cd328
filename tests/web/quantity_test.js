// The page's one reader of typed values against cuplo-calc's: for each text, the same float or
// the same message (the tolerance panel's: the same samples or the same message); and the
// map's contour tracing on grids whose contours are known.
//
// usage: node quantity_test.js DIST CUPLO_CALC
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');

const [dist, calc] = process.argv.slice(2);
if (!fs.existsSync(path.join(dist, 'cuplo-engine.js'))) {
  console.log('skipped: the page was not built (no Emscripten)');
  process.exit(77);
}

let passed = 0;
let failed = 0;
function check(name, ok, detail) {
  if (ok) passed += 1;
  else {
    failed += 1;
    console.log(`FAIL  ${name}: ${detail}`);
  }
}

// cuplo-calc impedance with one option typed: the value it read (full precision) or its message.
const BASE = { '--n': '4', '--er': '9.8', '--h': '25mil', '--t': '0', '--w': '1.5mil', '--s': '2mil', '--f': '0' };
const KEYS = { '--n': 'n', '--er': 'er', '--h': 'h_in', '--t': 't_in', '--w': 'w_in', '--s': 's_in', '--f': 'f_ghz' };
function calcReads(option, text) {
  const args = ['impedance'];
  for (const [o, v] of Object.entries(BASE)) args.push(o, o === option ? text : v);
  try {
    const out = execFileSync(calc, [...args, '--format', 'json'], { stdio: ['ignore', 'pipe', 'pipe'] });
    return { value: JSON.parse(out).design[KEYS[option]] };
  } catch (error) {
    const line = String(error.stderr).trim();
    // A model's failure or warning is not the reader's: only a refusal of the text counts.
    return error.status === 2 ? { message: line.replace(/^cuplo-calc: /, '') } : { value: null };
  }
}

// (field, text typed, unit beside the field, the same as cuplo-calc would be typed)
const CASES = [
  ['w', '0.0015', '', '0.0015'], ['w', '1.5', 'mil', '1.5mil'], ['w', '0.0381mm', 'mil', '0.0381mm'],
  ['w', '38.1um', 'in', '38.1um'], ['w', ' 2 MIL ', 'in', ' 2 MIL '], ['w', '+1e-3', '', '+1e-3'],
  ['w', '.5', 'mm', '.5mm'], ['w', '2.', 'mil', '2.mil'], ['w', '0.0381', 'mm', '0.0381mm'],
  ['w', 'abc', 'mil', 'abc'], ['w', '', 'mil', ''], ['w', '2x', 'mil', '2x'], ['w', '0x10', '', '0x10'],
  ['w', '1e', '', '1e'], ['w', '1..2', '', '1..2'], ['w', '+-1', '', '+-1'], ['w', '-1mil', 'in', '-1mil'],
  ['w', '0', 'mil', '0'], ['w', '-0', '', '-0'], ['w', '1e-400', '', '1e-400'], ['w', '1e-50', '', '1e-50'],
  ['w', '1e39', '', '1e39'], ['w', 'inf', '', 'inf'], ['w', 'NaN', '', 'NaN'], ['w', '5GHz', 'mil', '5GHz'],
  ['w', 'x'.repeat(70), '', 'x'.repeat(70)], ['w', '1\u0001', '', '1\u0001'],
  ['t', '0', 'mil', '0'], ['t', '-1', 'mil', '-1'], ['h', '0.635mm', 'mil', '0.635mm'],
  ['f', '10', 'GHz', '10'], ['f', '10000MHz', 'GHz', '10000MHz'], ['f', '5', 'kHz', '5kHz'],
  ['f', '1e10Hz', 'GHz', '1e10Hz'], ['f', '-1', 'GHz', '-1'], ['f', '3mil', 'GHz', '3mil'],
  ['er', '9.8', '', '9.8'], ['er', '0.5', '', '0.5'], ['er', '1', '', '1'],
  ['n', '4', '', '4'], ['n', '6', '', '6'], ['n', '5', '', '5'], ['n', '4.5', '', '4.5'],
];

const glue = fs.readFileSync(path.join(dist, 'cuplo-engine.js'), 'utf8');
// The engine's glue without the worker that follows it in the same text.
const source = new Function(`${glue}; return CUPLO_ENGINE_SOURCE;`)().split('\n// ---- worker')[0];
const createCuploEngine = new Function('require', 'process', '__dirname', `${source}\nreturn createCuploEngine;`)(
  require, process, dist);
const bytes = fs.readFileSync(path.join(dist, 'cuplo.wasm'));

createCuploEngine({
  instantiateWasm(imports, receive) {
    WebAssembly.instantiate(bytes, imports).then((r) => receive(r.instance, r.module));
    return {};
  },
}).then((engine) => {
  for (const [field, text, unit, typed] of CASES) {
    const page = engine.parseQuantity(field, text, unit);
    const tool = calcReads('--' + field, typed);
    const name = `${field} ${JSON.stringify(text)} in ${unit || 'the library unit'}`;
    if (tool.message !== undefined) {
      check(name, !page.ok && page.message === tool.message, `${page.message} against ${tool.message}`);
    } else {
      check(name, page.ok && page.value === Math.fround(tool.value), `${page.value} against ${tool.value}`);
    }
  }

  // The frequency sweep: refused with cuplo-calc's words for --f START:STOP:STEP.
  const DEMO = ['--n', '4', '--er', '9.8', '--h', '25mil', '--t', '0.2mil', '--w', '1.5mil', '--s', '2mil',
    '--l', '122.5mil'];
  const refusal = (args) => {
    try {
      execFileSync(calc, args, { stdio: ['ignore', 'pipe', 'pipe'] });
      return '';
    } catch (error) {
      return String(error.stderr).trim().replace(/^cuplo-calc: /, '');
    }
  };
  for (const [start, stop, step] of [[6, 14, 0], [14, 6, 0.5], [6, 14, -1], [6, 6.5, 1e-5]]) {
    const typed = `${start}:${stop}:${step}`;
    const tool = refusal(['response', ...DEMO, '--f', typed, '-o', '/dev/null', '--format', 'touchstone']);
    const page = engine.sweepMessage(start, stop, step, typed);
    check(`sweep ${typed}`, page !== '' && (page === tool || tool === ''), `${page} against ${tool}`);
  }

  // The tolerance panel's fields, read as cuplo-calc tolerance reads its options: the same
  // message, or the same samples (percentiles of Zo and the coupling) and yield.
  const GIVEN = { w_tol: '10um', s_tol: '', h_tol: '', er_tol: '', t_tol: '', samples: '200', seed: '3' };
  const demo = { model: 'closed-form', mode: 'geometry', dispersive: false, n: 4, er: 9.8, h: 0.025,
    t: Math.fround(0.0002), w: Math.fround(0.0015), s: 0.002, l: Math.fround(0.1225), zo: 0, coupling: 0, f: 0,
    res: 0, sr: 0, dltan: 0, reference: 50, fmin: 6, fmax: 14, fstep: 1, sweepText: '6:14:1', data: 'ma', name: 'c' };
  // (field, text typed, unit beside the field, the same as cuplo-calc would be given it)
  const PANEL = [
    ['w_tol', '0.5', 'mil', '0.5mil'], ['w_tol', '5', '%', '5%'], ['w_tol', '10um', '%', '10um'],
    ['s_tol', '3 %', 'mil', '3 %'], ['h_tol', 'abc', 'mil', 'abc'], ['t_tol', '-1um', 'um', '-1um'], ['t_tol', '', 'um', ''],
    ['w_tol', '2', 'mil', '2mil'], ['er_tol', '0.2', '', '0.2'], ['er_tol', '900', '%', '900%'],
    ['samples', '0', '', '0'], ['samples', '1e3', '', '1e3'], ['seed', '-1', '', '-1'],
    ['spec_coupling', '3+-0.05dB', '', '3+-0.05dB'], ['spec_coupling', '3dB', '', '3dB'],
    ['spec_balance', '0.3dB', '', '0.3dB'], ['spec_balance', '0+-1dB', '', '0+-1dB'],
    ['spec_phase', '90+-0.1deg', '', '90+-0.1deg'], ['spec_fo', '10GHz+-0.1%', '', '10GHz+-0.1%'],
    ['spec_fo', 'x+-1GHz', '', 'x+-1GHz'],
  ];
  const statistics = (args) => {
    try {
      const out = execFileSync(calc, ['tolerance', ...DEMO, ...args, '--format', 'json'], { stdio: ['ignore', 'pipe', 'pipe'] });
      return { rows: Object.fromEntries(JSON.parse(out).rows.map((row) => [row.statistic, row])) };
    } catch (error) {
      return { message: String(error.stderr).trim().replace(/^cuplo-calc: /, '') };
    }
  };
  for (const [field, text, unit, typed] of PANEL) {
    const fields = { distribution: { text: 'normal' } };
    const args = [];
    for (const [name, value] of Object.entries(Object.assign({}, GIVEN, { [field]: typed }))) {
      fields[name] = { text: name === field ? text : value, unit: name === field ? unit : '' };
      if (value !== '') args.push('--' + name.replace('_', '-'), value);
    }
    const page = engine.tolerance(demo, fields);
    const tool = statistics(args);
    const name = `${field} ${JSON.stringify(text)} in ${unit || 'no unit'}`;
    if (tool.message !== undefined) {
      check(name, !page.ok && page.messages[field] === tool.message, `${page.messages[field]} against ${tool.message}`);
      continue;
    }
    const same = page.ok && ['zo_ohm', 'coupling_db'].every((key) => ['p1', 'p5', 'p50', 'p95', 'p99'].every(
      (p, i) => page.percentiles[key][i] === Math.fround(tool.rows[p][key])));
    const limited = tool.rows.yield_pct;
    check(name, same && (limited ? page.yieldAll === Math.fround(limited.all_limits) : page.yieldAll === null),
      JSON.stringify(page));
  }

  // The Touchstone file in each of its pairs, as cuplo-calc writes it, for couplers whose
  // response runs through every model function the page's module replaces (the demo design
  // alone happens to miss some last bits).
  const DESIGNS = [
    { n: 4, er: 9.8, h: 0.025, t: 0.0002, w: 0.0015, s: 0.002, l: 0.1225, res: 2.44, sr: 4, dltan: 0.0002,
      reference: 75, sweep: [1, 20, 1.5] },
    { n: 6, er: 2.2, h: 0.06, t: 0.0007, w: 0.01, s: 0.003, l: 0.9, res: 1.72, sr: 10, dltan: 0.001,
      reference: 50, sweep: [0.5, 40, 0.37] },
    { n: 4, er: 12.9, h: 0.01, t: 0, w: 0.004, s: 0.0003, l: 0.05, res: 0, sr: 0, dltan: 0,
      reference: 50, sweep: [2, 60, 2.9] },
  ];
  for (const d of DESIGNS) {
    const request = { model: 'closed-form', mode: 'geometry', dispersive: false, zo: 0, coupling: 0, f: 0,
      name: 'coupler', fmin: d.sweep[0], fmax: d.sweep[1], fstep: Math.fround(d.sweep[2]),
      sweepText: d.sweep.join(':') };
    for (const key of ['n', 'er', 'h', 't', 'w', 's', 'l', 'res', 'sr', 'dltan', 'reference']) {
      request[key] = Math.fround(d[key]);
    }
    for (const data of ['ma', 'db', 'ri']) {
      const page = engine.touchstone(Object.assign({}, request, { data }));
      const args = ['response', '--f', d.sweep.join(':'), '--data', data, '--format', 'touchstone'];
      for (const key of ['n', 'er', 'h', 't', 'w', 's', 'l', 'res', 'sr', 'dltan', 'reference']) {
        args.push('--' + key, String(d[key]));
      }
      const tool = execFileSync(calc, args, { stdio: ['ignore', 'pipe', 'pipe'] });
      check(`Touchstone of ${d.n} strips on Er ${d.er} in ${data} pairs`,
        page.ok && Buffer.from(page.bytes).equals(tool), page.failure || 'the bytes differ');
    }
  }

  // Contours, by marching squares in plots.js.
  const Plots = new Function(`${fs.readFileSync(path.join(dist, 'plots.js'), 'utf8')}; return Plots;`)();
  const ramp = Array.from({ length: 4 }, () => [0, 1, 2, 3]);
  const vertical = Plots.contour(ramp, 1.5);
  check('a ramp over x crosses 1.5 at x = 1.5 in every row of cells',
    vertical.length === 3 && vertical.every(([a, b]) => a[0] === 1.5 && b[0] === 1.5), JSON.stringify(vertical));
  check('a level outside the grid draws nothing', Plots.contour(ramp, 7).length === 0, '');
  const saddle = Plots.contour([[0, 1], [1, 0]], 0.5);
  check('a saddle cell gives two segments', saddle.length === 2, JSON.stringify(saddle));
  check('a cell with a missing corner draws nothing', Plots.contour([[0, NaN], [1, 1]], 0.5).length === 0, '');
  const t = Plots.ticks(-3.2, 14.1, 6);
  check('ticks at round steps inside the range', t.step === 5 && t.values.join() === '0,5,10', JSON.stringify(t));

  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
});

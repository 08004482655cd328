// The page: reads the fields, asks the engine (the library in WebAssembly, in Web Workers) for
// the design, and shows it. Every value typed goes through the engine's one reader, so a bad
// value is refused with cuplo-calc's words; until it is mended the last good design stays on
// the page, marked as such. The closed-form model answers in a few milliseconds in one worker;
// the field model runs in another, which a newer request replaces, with a progress bar. The
// tolerance panel's Monte Carlo runs on the design shown, in the same worker, after it.
(function () {
  'use strict';

  const $ = (id) => document.getElementById(id);

  const SUBSTRATE = ['er', 'h', 't', 'n', 'res', 'sr', 'dltan'];
  const GEOMETRY = ['w', 's', 'l'];
  const TARGETS = ['zo', 'coupling', 'f'];
  const SWEEP = ['fmin', 'fmax', 'fstep', 'reference'];
  const MAP = ['wmin', 'wmax', 'smin', 'smax'];
  const ALL = [...SUBSTRATE, ...GEOMETRY, ...TARGETS, ...SWEEP, ...MAP];
  // The tolerance panel's fields, named after cuplo-calc tolerance's options, and its rows:
  // the output keys with the decimals shown.
  const TOLERANCE = ['w_tol', 's_tol', 'h_tol', 'er_tol', 't_tol', 'samples', 'seed',
    'spec_coupling', 'spec_balance', 'spec_phase', 'spec_fo'];
  const SPREAD = [['zo_ohm', 2], ['coupling_db', 2], ['fo_ghz', 3], ['balance_db', 2],
    ['phase_deg', 2], ['isolation_db', 2], ['return_loss_db', 2]];
  const PERCENTILES = ['p1', 'p5', 'p50', 'p95', 'p99'];
  const START_UNITS = { length: 'mil', frequency: 'GHz' };
  // How many of each unit make one inch or one GHz: for showing values, never for reading them.
  const PER_UNIT = { in: 1, mil: 1000, mm: 25.4, um: 25400, GHz: 1, MHz: 1e3, kHz: 1e6, Hz: 1e9 };
  const MAP_SIZE = 41;
  const NAME = /^[A-Za-z0-9_][A-Za-z0-9_.-]{0,63}$/;

  // The values of the console's defaults file that the page has no field for, from the demo
  // design until a defaults file is loaded.
  let defaults = {
    title: 'Cuplo defaults: 3 dB 4-strip coupler, 25-mil alumina, 10 GHz',
    fn: 'Cuplo.OUT',
    wstep: 0.0005,
    sstep: 0.0005,
  };

  let quick = null;  // the closed-form engine, and the reader of every field
  let field = null;  // the field model's engine, started when first chosen
  let sequence = 0;
  let good = null;  // the last design shown: {request, reply}
  let designing = false;  // a design is being computed: its tolerances follow it
  let toleranceSequence = 0;
  const fixedEpoch = new URLSearchParams(location.search).get('source_date_epoch');

  // ---- Engines -------------------------------------------------------------------------------

  const workerUrl = URL.createObjectURL(new Blob([CUPLO_ENGINE_SOURCE], { type: 'text/javascript' }));

  class Engine {
    constructor(module) {
      this.module = module;
      this.next = 1;
      this.calls = new Map();
      this.start();
    }

    start() {
      this.worker = new Worker(workerUrl);
      this.ready = new Promise((resolve) => { this.onReady = resolve; });
      this.worker.onmessage = (event) => this.receive(event.data);
      this.worker.onerror = (event) => {
        event.preventDefault();
        this.restart('the engine stopped: ' + event.message);
      };
      this.worker.postMessage({ kind: 'start', module: this.module });
    }

    receive(message) {
      if (message.kind === 'ready') {
        this.onReady(message);
        return;
      }
      const call = this.calls.get(message.id);
      if (!call) return;
      if (message.kind === 'progress') {
        if (call.progress) call.progress(message.done, message.of);
        return;
      }
      this.calls.delete(message.id);
      call.resolve(message);
      if (message.reply && typeof message.reply.failure === 'string' &&
          message.reply.failure.startsWith('the engine failed')) {
        this.restart(message.reply.failure);
      }
    }

    call(message, progress) {
      const id = this.next++;
      return new Promise((resolve) => {
        this.calls.set(id, { resolve, progress });
        this.worker.postMessage(Object.assign({ id }, message));
      });
    }

    busy() {
      return this.calls.size > 0;
    }

    // A fresh worker; the calls in flight end as failures (cancelled).
    restart(reason) {
      this.worker.terminate();
      for (const call of this.calls.values()) call.resolve({ reply: { ok: false, failure: reason, cancelled: true } });
      this.calls.clear();
      this.start();
    }
  }

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error('cannot load ' + src));
      document.head.appendChild(script);
    });
  }

  // The module: fetched beside the page from a server; from the file system, where nothing
  // can be fetched, from the script that holds it.
  async function compileModule() {
    if (location.protocol === 'http:' || location.protocol === 'https:') {
      try {
        const response = await fetch('cuplo.wasm');
        if (response.ok) return await WebAssembly.compile(await response.arrayBuffer());
      } catch (error) {
        // the script below serves
      }
    }
    await loadScript('cuplo-wasm.js');
    const text = atob(CUPLO_WASM_BASE64);
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; i += 1) bytes[i] = text.charCodeAt(i);
    return WebAssembly.compile(bytes);
  }

  // ---- Fields --------------------------------------------------------------------------------

  const mode = () => (document.querySelector('input[name="mode"]:checked') || {}).value || 'geometry';
  const model = () => $('model').value;
  const unitOf = (name) => ($(name + '-unit') ? $(name + '-unit').value : '');

  // The fields read for the design: the coupler's as the mode gives it, and the others.
  function activeFields() {
    return [...SUBSTRATE, ...(mode() === 'targets' ? TARGETS : GEOMETRY), ...SWEEP, ...MAP];
  }

  // A number for a field: six significant digits at most, no trailing zeros.
  function shown(x) {
    if (!Number.isFinite(x)) return '';
    return String(Number(x.toPrecision(6)));
  }

  // The shortest text that reads back to the same 32-bit float.
  function floatText(v) {
    for (let digits = 1; digits <= 9; digits += 1) {
      const text = String(Number(v.toPrecision(digits)));
      if (Math.fround(Number(text)) === v) return text;
    }
    return String(v);
  }

  // In the field's unit, a value given in inches or GHz.
  function setInUnit(name, value) {
    const unit = unitOf(name);
    $(name).value = shown(unit ? value * PER_UNIT[unit] : value);
  }

  function setError(name, message) {
    const input = $(name);
    const error = $(name + '-error');
    if (!input || !error) return;
    // Beside its field the option's name goes without saying: "--w: 0 is not positive".
    error.textContent = message ? message.replace(/^--[a-z-]+: /, '') : '';
    input.setAttribute('aria-invalid', message ? 'true' : 'false');
  }

  function showMode() {
    const targets = mode() === 'targets';
    for (const name of GEOMETRY) $(name).readOnly = targets;
    for (const name of TARGETS) $(name).readOnly = !targets;
    $('dispersive').disabled = !targets;
    $('geometry').classList.toggle('computed', targets);
    $('targets').classList.toggle('computed', !targets);
    for (const name of (targets ? GEOMETRY : TARGETS)) setError(name, '');
  }

  // ---- The design ----------------------------------------------------------------------------

  function requestOf(values) {
    const text = (name) => $(name).value.trim();
    return Object.assign({
      model: model(),
      mode: mode(),
      dispersive: $('dispersive').checked,
      w: 0, s: 0, l: 0, zo: 0, coupling: 0, f: 0,
      sweepText: `${text('fmin')}:${text('fmax')}:${text('fstep')}`,
      data: $('data').value,
      name: $('name').value,
    }, values);
  }

  function mapRange(values) {
    return { wmin: values.wmin, wmax: values.wmax, smin: values.smin, smax: values.smax };
  }

  // Messages of the page's own: the map's range, and the files' name.
  function ownMessages(values, messages) {
    if (!messages.wmax && !messages.wmin && !(values.wmax > values.wmin)) {
      messages.wmax = "--w: the map's last width is not above its first";
    }
    if (!messages.smax && !messages.smin && !(values.smax > values.smin)) {
      messages.smax = "--s: the map's last spacing is not above its first";
    }
    const name = $('name').value;
    setError('name', NAME.test(name) ? '' : `"${name}": a name is letters, digits, '_', '-' and '.'`);
  }

  function stale(yes) {
    $('results').classList.toggle('stale', yes);
    $('stale').hidden = !yes;
    if (yes) {
      $('tolerance').classList.add('stale');
      $('tolerance').setAttribute('aria-busy', 'false');
    }
  }

  function status(text) {
    $('status').textContent = text;
  }

  // Reads every field, and with all of them good computes and shows the design.
  async function update(changed) {
    const seq = ++sequence;
    designing = true;
    $('tolerance').setAttribute('aria-busy', 'true');
    const fields = {};
    for (const name of activeFields()) fields[name] = { text: $(name).value, unit: unitOf(name) };
    const parsed = (await quick.call({ kind: 'parse', fields })).reply;
    if (seq !== sequence) return;
    // A unit typed with the number moves to the field's unit list, the value unchanged.
    if (changed && parsed.units[changed] && !parsed.messages[changed] && $(changed + '-unit')) {
      $(changed).value = $(changed).value.trim().replace(/\s*[A-Za-z]+$/, '');
      $(changed + '-unit').value = parsed.units[changed];
      $(changed + '-unit').dataset.previous = parsed.units[changed];
    }
    ownMessages(parsed.values, parsed.messages);
    for (const name of ALL) setError(name, parsed.messages[name] || '');
    if (Object.keys(parsed.messages).length > 0) {
      designing = false;
      stale(good !== null);
      status('Input to mend: see the marked field.');
      return;
    }
    const request = requestOf(parsed.values);
    await compute(seq, request, mapRange(parsed.values));
    if (seq !== sequence) return;
    designing = false;
    await sampleTolerances();
  }

  async function compute(seq, request, range) {
    const byField = request.model === 'field';
    let engine = quick;
    if (!byField && field !== null && field.busy()) field.restart('superseded');
    if (byField) {
      if (field === null) field = new Engine(quick.module);
      if (field.busy()) field.restart('superseded');
      engine = field;
      $('progress').hidden = false;
      $('progress').removeAttribute('value');
      status('Solving with the field model…');
    }
    const progress = (done, of) => {
      $('progress').max = of;
      $('progress').value = done;
    };
    // The worker answers in order: the design first, then its map. The field model shows the
    // design as soon as it is solved, and the map (a field solution per point) when it is done.
    const evaluation = engine.call({ kind: 'evaluate', request });
    const mapping = engine.call({ kind: 'map', request, range, size: MAP_SIZE, progress: byField },
                                progress);
    const evaluated = await evaluation;
    if (seq !== sequence) return;
    const reply = evaluated.reply;
    if (reply.cancelled) return;
    if (!reply.ok) {
      $('progress').hidden = true;
      $('failure').textContent = reply.failure;
      showWarnings(reply.warnings || []);
      stale(good !== null);
      status('No design: ' + reply.failure);
      return;
    }
    $('failure').textContent = '';
    good = { request, reply, range };
    if (byField) {
      show(reply, request, range, null);
      $('timing').textContent = evaluated.ms.toFixed(1);
      stale(false);
      status('Field model: drawing the design map…');
    }
    const map = await mapping;
    if (seq !== sequence || (map.reply && map.reply.cancelled)) return;
    $('progress').hidden = true;
    show(reply, request, range, map.reply && map.reply.zo ? map.reply : null);
    if (!byField) $('timing').textContent = evaluated.ms.toFixed(1);
    stale(false);
    status(byField ? 'Field model.' : 'Closed-form model.');
  }

  // The Monte Carlo of the design shown, over the tolerance panel's fields; a newer request
  // replaces it (the field model's worker is started anew). Bad fields are marked with
  // cuplo-calc's words; the design stays as it is.
  async function sampleTolerances(changed) {
    const seq = ++toleranceSequence;
    if (designing) return;  // the design on its way samples them when it is shown
    if (good === null || $('results').classList.contains('stale')) {
      $('tolerance').setAttribute('aria-busy', 'false');
      return;
    }
    const request = good.request;
    const byField = request.model === 'field';
    const engine = byField ? field : quick;
    if (byField && engine.busy()) engine.restart('superseded');
    const fields = { distribution: { text: $('distribution').value } };
    for (const name of TOLERANCE) fields[name] = { text: $(name).value, unit: unitOf(name) };
    $('tolerance').setAttribute('aria-busy', 'true');
    if (byField) {
      $('progress').hidden = false;
      $('progress').removeAttribute('value');
      status('Field model: sampling the tolerances…');
    }
    const answer = await engine.call({ kind: 'tolerance', request, fields });
    const reply = answer.reply;
    if (seq !== toleranceSequence || reply.cancelled) return;
    if (byField) {
      $('progress').hidden = true;
      status('Field model.');
    }
    const messages = reply.messages || {};
    const typed = (reply.units || {})[changed];
    if (typed && !messages[changed] && $(changed + '-unit')) {
      $(changed).value = $(changed).value.trim().replace(/\s*([A-Za-z]+|%)$/, '');
      $(changed + '-unit').value = typed;
      $(changed + '-unit').dataset.previous = typed;
    }
    for (const name of TOLERANCE) setError(name, messages[name] || '');
    $('tolerance-failure').textContent = reply.failure || '';
    if (reply.ok) showTolerance(reply, answer.ms);
    $('tolerance').classList.toggle('stale', !reply.ok);
    $('tolerance').setAttribute('aria-busy', 'false');
  }

  function showTolerance(reply, ms) {
    const fixed = (value, decimals) => (Number.isFinite(value) ? value.toFixed(decimals) : '–');
    for (const [key, decimals] of SPREAD) {
      reply.percentiles[key].forEach((value, i) => { $(`${PERCENTILES[i]}-${key}`).textContent = fixed(value, decimals); });
      $('yield_pct-' + key).textContent = key in reply.yield ? fixed(reply.yield[key], 1) : '';
    }
    $('yield_pct-all_limits').textContent = reply.yieldAll === null ? '–' : fixed(reply.yieldAll, 1);
    $('tolerance-at').textContent = `(${reply.samples} samples at ${shown(reply.operatingGhz)} GHz)`;
    $('tolerance-note').textContent = reply.failed > 0
      ? `Warning: ${reply.failed} of ${reply.samples} samples could not be analysed (a value the models do not take): they are left out of the percentiles and counted outside every limit.`
      : '';
    $('tolerance-timing').textContent = ms.toFixed(1);
  }

  function showWarnings(lines) {
    const list = $('warnings');
    list.replaceChildren(...lines.map((line) => {
      const item = document.createElement('li');
      item.textContent = 'Warning: ' + line;
      return item;
    }));
  }

  function show(reply, request, range, map) {
    const r = reply.results;
    const fixed = (id, value, decimals) => { $(id).textContent = value === null ? '–' : value.toFixed(decimals); };
    fixed('zo_ohm', r.zo_ohm, 2);
    fixed('zoe_ohm', r.zoe_ohm, 2);
    fixed('zoo_ohm', r.zoo_ohm, 2);
    fixed('coupling_db', r.coupling_db, 2);
    fixed('eeff_even', r.eeff_even, 3);
    fixed('eeff_odd', r.eeff_odd, 3);
    fixed('fo_ghz', r.fo_ghz, 3);
    $('results-at').textContent = reply.atGhz > 0 ? `at ${shown(reply.atGhz)} GHz` : '(static)';
    showWarnings(reply.foFailure ? [reply.foFailure, ...reply.warnings] : reply.warnings);
    // The other side of the coupler's fields shows what the design came to.
    if (request.mode === 'targets') {
      setInUnit('w', reply.w);
      setInUnit('s', reply.s);
      setInUnit('l', reply.l);
    } else {
      $('zo').value = r.zo_ohm.toFixed(2);
      $('coupling').value = r.coupling_db.toFixed(2);
      if (r.fo_ghz !== null) setInUnit('f', r.fo_ghz);
    }
    if (reply.response) {
      setError('fstep', '');
      Plots.response($('response-plot'), reply.response);
      Plots.quadrature($('quadrature-plot'), reply.response);
    } else {
      setError('fstep', reply.responseFailure);
    }
    if (map) {
      const lengthUnit = unitOf('wmin');
      const spacingUnit = unitOf('smin');
      Plots.designMap($('design-map'), {
        map, range, size: MAP_SIZE,
        point: { w: reply.w, s: reply.s },
        wUnit: lengthUnit, wScale: PER_UNIT[lengthUnit], sUnit: spacingUnit, sScale: PER_UNIT[spacingUnit],
      });
    }
    if (reply.svg) {
      $('layout-drawing').src = 'data:image/svg+xml;charset=utf-8,' + encodeURIComponent(reply.svg);
      $('file-failure').textContent = '';
    } else {
      $('file-failure').textContent = reply.layoutFailure || '';
    }
  }

  // ---- Files ---------------------------------------------------------------------------------

  function save(bytes, name, type) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type }));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }

  function defaultsValues() {
    const { request, reply } = good;
    const targets = request.mode === 'targets';
    return Object.assign({}, defaults, {
      n: request.n, er: request.er, h: request.h, t: request.t,
      dltan: request.dltan, res: request.res, sr: request.sr,
      w: reply.w, s: reply.s, l: reply.l,
      f: targets ? request.f : (reply.results.fo_ghz || 0),
      fmin: request.fmin, fmax: request.fmax, fstep: request.fstep,
      rs: request.reference, rl: request.reference,
      zo: targets ? request.zo : reply.results.zo_ohm,
      co: Math.abs(targets ? request.coupling : reply.results.coupling_db),
      zoe: reply.results.zoe_ohm, zoo: reply.results.zoo_ohm,
      wmin: good.range.wmin, wmax: good.range.wmax, smin: good.range.smin, smax: good.range.smax,
    });
  }

  async function download(kind) {
    $('file-failure').textContent = '';
    if (good === null || $('results').classList.contains('stale')) {
      $('file-failure').textContent = 'No file until the design shown is current: mend the marked field first.';
      return;
    }
    const name = $('name').value;
    if (!NAME.test(name)) {
      $('file-failure').textContent = 'No file without a good name: mend the name first.';
      return;
    }
    const engine = good.request.model === 'field' && field !== null ? field : quick;
    const request = Object.assign({}, good.request, { data: $('data').value, name });
    let reply;
    let file = name + '.' + kind;
    let type = 'application/octet-stream';
    if (kind === 's4p') {
      reply = (await engine.call({ kind: 'touchstone', request })).reply;
      type = 'text/plain';
    } else if (kind === 'def') {
      reply = (await quick.call({ kind: 'defaults', values: defaultsValues() })).reply;
      file = name + '.DEF';
      type = 'text/plain';
    } else {
      const seconds = fixedEpoch !== null && /^\d+$/.test(fixedEpoch) ? Number(fixedEpoch) : Math.floor(Date.now() / 1000);
      reply = (await engine.call({ kind: 'layout', request, fileKind: kind, name, seconds })).reply;
      if (kind === 'svg') type = 'image/svg+xml';
    }
    if (!reply.ok) {
      $('file-failure').textContent = reply.failure;
      return;
    }
    save(reply.bytes, file, type);
  }

  async function loadDefaults(file) {
    const reply = (await quick.call({ kind: 'readDefaults', text: await file.text() })).reply;
    if (!reply.ok) {
      $('file-failure').textContent = `${file.name}: ${reply.failure}`;
      return;
    }
    defaults = { title: reply.title, fn: reply.fn, wstep: reply.wstep, sstep: reply.sstep };
    const inches = { h: reply.h, t: reply.t, w: reply.w, s: reply.s, l: reply.l, wmin: reply.wmin, wmax: reply.wmax, smin: reply.smin, smax: reply.smax };
    for (const [name, value] of Object.entries(inches)) {
      $(name + '-unit').value = 'in';
      $(name).value = floatText(value);
    }
    for (const name of ['f', 'fmin', 'fmax', 'fstep']) {
      $(name + '-unit').value = 'GHz';
      $(name).value = floatText(reply[name]);
    }
    for (const name of ['er', 'res', 'sr', 'dltan', 'zo']) $(name).value = floatText(reply[name]);
    $('n').value = String(reply.n);
    $('coupling').value = floatText(-Math.abs(reply.co));
    $('reference').value = floatText(reply.rs);
    $('mode-geometry').checked = true;
    showMode();
    update();
  }

  // ---- Start ---------------------------------------------------------------------------------

  // A tolerance's list adds "%" (a fraction of the value) and starts on its own unit.
  function fillUnits(units) {
    for (const select of document.querySelectorAll('select[data-unit]')) {
      const list = units[select.dataset.unit].concat('percent' in select.dataset ? ['%'] : []);
      select.replaceChildren(...list.map((unit) => new Option(unit, unit)));
      select.value = select.dataset.start || START_UNITS[select.dataset.unit];
      select.dataset.previous = select.value;
    }
  }

  // A new unit for a field shows the same value in it (not from or to a percentage); a unit
  // typed in the field stays. Then, as for a value typed, then(name).
  function unitChanged(select, then) {
    const name = select.id.replace(/-unit$/, '');
    const input = $(name);
    const before = select.dataset.previous;
    select.dataset.previous = select.value;
    if (/^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$/.test(input.value) && PER_UNIT[before] &&
        PER_UNIT[select.value]) {
      input.value = shown((Number(input.value) / PER_UNIT[before]) * PER_UNIT[select.value]);
    }
    then(name);
  }

  async function start() {
    for (const name of [...ALL, ...TOLERANCE, 'name']) $(name).setAttribute('aria-describedby', name + '-error');
    try {
      quick = new Engine(await compileModule());
      const info = await quick.ready;
      fillUnits(info.units);
      $('version').textContent = 'Library ' + info.version + '.';
    } catch (error) {
      status('The engine cannot start in this browser: ' + error.message);
      return;
    }
    const form = $('design');
    form.addEventListener('input', (event) => {
      if (event.target.tagName === 'INPUT') update();
    });
    form.addEventListener('change', (event) => {
      const target = event.target;
      if (target.tagName === 'SELECT' && target.dataset.unit) unitChanged(target, update);
      else if (target.type === 'radio') { showMode(); update(); }
      else update(target.id);
    });
    for (const name of MAP) {
      $(name).addEventListener('input', () => update());
      $(name).addEventListener('change', () => update(name));
      $(name + '-unit').addEventListener('change', (event) => unitChanged(event.target, update));
    }
    const panel = $('tolerance');
    panel.addEventListener('input', (event) => {
      if (event.target.tagName === 'INPUT') sampleTolerances();
    });
    panel.addEventListener('change', (event) => {
      const target = event.target;
      if (target.tagName === 'SELECT' && target.dataset.unit) unitChanged(target, sampleTolerances);
      else sampleTolerances(target.id);
    });
    $('name').addEventListener('input', () => update());
    $('data').addEventListener('change', () => update());
    for (const kind of ['s4p', 'kicad_mod', 'gds', 'svg', 'def']) {
      $('download-' + kind).addEventListener('click', () => download(kind));
    }
    $('load-defaults').addEventListener('change', (event) => {
      if (event.target.files.length > 0) loadDefaults(event.target.files[0]);
    });
    showMode();
    await update();
  }

  start();
})();

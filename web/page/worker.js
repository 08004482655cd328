// ---- worker
// The engine's side of the page: runs in a Web Worker after the engine's glue, which defines
// createCuploEngine. The page sends it the compiled module first, then requests; each reply
// carries the request's id, and the time the engine took.
(function () {
  'use strict';
  let engine = null;
  const waiting = [];

  self.onmessage = (event) => {
    const message = event.data;
    if (message.kind === 'start') {
      createCuploEngine({
        instantiateWasm(imports, receive) {
          WebAssembly.instantiate(message.module, imports).then((instance) => receive(instance, message.module));
          return {};
        },
      }).then((ready) => {
        engine = ready;
        self.postMessage({ kind: 'ready', units: unitLists(), version: engine.version() });
        waiting.splice(0).forEach(handle);
      });
      return;
    }
    if (engine === null) waiting.push(message);
    else handle(message);
  };

  function unitLists() {
    return { length: engine.unitNames('w'), frequency: engine.unitNames('f') };
  }

  // Every field's text read by the engine: {values, messages, units}.
  function parseAll(fields) {
    const values = {};
    const messages = {};
    const units = {};
    for (const [name, field] of Object.entries(fields)) {
      const r = engine.parseQuantity(name, field.text, field.unit || '');
      if (r.ok) values[name] = r.value;
      else messages[name] = r.message;
      if (r.unit) units[name] = r.unit;
    }
    if ('fmin' in values && 'fmax' in values && 'fstep' in values) {
      const text = ['fmin', 'fmax', 'fstep'].map((name) => fields[name].text.trim()).join(':');
      const why = engine.sweepMessage(values.fmin, values.fmax, values.fstep, text);
      if (why) messages.fstep = why;
    }
    return { values, messages, units };
  }

  // The design map: rows of S from smin to smax, each Zo and the coupling over W.
  function designMap(message) {
    const { request, range, size } = message;
    const zo = [];
    const coupling = [];
    for (let j = 0; j < size; j += 1) {
      const s = range.smin + ((range.smax - range.smin) * j) / (size - 1);
      const row = engine.mapRow(request, s, range.wmin, range.wmax, size);
      zo.push(Array.from(row.zo));
      coupling.push(Array.from(row.coupling));
      if (message.progress) self.postMessage({ kind: 'progress', id: message.id, done: j + 1, of: size });
    }
    return { zo, coupling };
  }

  function handle(message) {
    const started = performance.now();
    let reply;
    try {
      switch (message.kind) {
        case 'parse':
          reply = parseAll(message.fields);
          break;
        case 'evaluate':
          reply = engine.evaluate(message.request);
          break;
        case 'map':
          reply = designMap(message);
          break;
        case 'tolerance':
          reply = engine.tolerance(message.request, message.fields);
          break;
        case 'touchstone':
          reply = engine.touchstone(message.request);
          break;
        case 'layout':
          reply = engine.layoutFile(message.request, message.fileKind, message.name, message.seconds);
          break;
        case 'defaults':
          reply = { ok: true, bytes: engine.defaultsFile(message.values) };
          break;
        case 'readDefaults':
          reply = engine.readDefaults(message.text);
          break;
        default:
          reply = { ok: false, failure: 'unknown request ' + message.kind };
      }
    } catch (error) {
      reply = { ok: false, failure: 'the engine failed: ' + error };
    }
    self.postMessage({ kind: 'reply', id: message.id, reply, ms: performance.now() - started });
  }
})();

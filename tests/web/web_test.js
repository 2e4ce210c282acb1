// The web page in headless Chromium, driven over the DevTools protocol:
// the site's files; its canvas against linesaver-render's picture of the
// same seed, size and ticks, byte for byte; the saver's life on the page;
// the gallery; the music's loudness; bad parameters. One row per case,
// then one line of summary.
//
//     node web_test.js SITE_DIR RENDER_TOOL WORK_DIR
'use strict';

const CDP = require('chrome-remote-interface');
const { execFileSync, spawn } = require('child_process');
const crypto = require('crypto');
const fs = require('fs');
const http = require('http');
const path = require('path');

const [site, renderTool, work] = process.argv.slice(2);
const kWaitMs = 20000; // any one wait, on a loaded machine
const kBrowser = process.env.CHROMIUM || 'chromium-headless-shell';

// seed, size, ticks: small, odd and full-HD screens; one tick, a few, and
// thousands (a tile lost now and then shows only after many).
const frames = [
  ['1', '64x48', 1],
  ['7', '333x211', 5],
  ['18446744073709551615', '801x601', 40],
  ['42', '1920x1080', 1],
  ['3', '1920x1080', 3000],
  ['99', '517x389', 5000],
];

let passed = 0;
let failed = 0;
function row(ok, name, detail) {
  if (ok) ++passed; else ++failed;
  console.log(`${ok ? 'pass' : 'FAIL'}  ${name}${detail ? ': ' + detail : ''}`);
}

for (const signal of ['SIGTERM', 'SIGINT']) process.on(signal, () => process.exit(1));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The site, served from 127.0.0.1 on a free port.
function serve() {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    const name = path.normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).replace(/^\/+/, '');
    const file = path.join(site, name || 'index.html');
    fs.readFile(file, (error, data) => {
      if (error || !file.startsWith(path.resolve(site))) { response.writeHead(404); response.end(); return; }
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Chromium with its DevTools port, which it names on stderr; a start that
// hangs on a loaded machine is tried again.
function launchOnce() {
  const args = ['--headless', '--remote-debugging-port=0', `--user-data-dir=${work}/profile`,
    '--window-size=800,600', '--no-first-run', '--mute-audio', 'about:blank'];
  if (process.getuid && process.getuid() === 0) args.unshift('--no-sandbox');
  // A process group of its own, so that its helpers go with it.
  const browser = spawn(kBrowser, args, { stdio: ['ignore', 'ignore', 'pipe'], detached: true });
  const end = () => { try { process.kill(-browser.pid, 'SIGKILL'); } catch (e) { /* gone already */ } };
  process.on('exit', end);
  return new Promise((resolve, reject) => {
    let text = '';
    const timer = setTimeout(() => {
      end();
      reject(new Error('Chromium named no DevTools port'));
    }, kWaitMs);
    browser.stderr.on('data', (chunk) => {
      text += chunk;
      const m = /DevTools listening on ws:\/\/[^:]+:(\d+)\//.exec(text);
      if (m) { clearTimeout(timer); resolve({ browser, port: Number(m[1]) }); }
    });
    browser.on('exit', () => { clearTimeout(timer); reject(new Error('Chromium ended: ' + text.slice(-300))); });
  });
}

async function launch() {
  for (let attempt = 1; ; ++attempt) {
    try {
      return await launchOnce();
    } catch (e) {
      if (attempt === 3) throw e;
    }
  }
}

// The site's files, relative to it, sorted.
function siteFiles(dir, under = '') {
  return fs.readdirSync(path.join(dir, under), { withFileTypes: true }).flatMap((entry) => {
    const name = under ? `${under}/${entry.name}` : entry.name;
    return entry.isDirectory() ? siteFiles(dir, name) : [name];
  }).sort();
}

async function main() {
  fs.mkdirSync(work, { recursive: true });

  // The site holds what the page loads and the licences, nothing else (no
  // build files): the demo tracks, and these.
  const kSite = ['LICENSES.txt', 'index.html', 'js-synthesizer.min.js', 'libfluidsynth.js', 'licences/GPL-2',
    'licences/LGPL-2.1', 'licences/js-synthesizer.txt', 'linesaver.js', 'linesaver.wasm', 'music.js',
    'music/tracks.txt', 'page.css', 'page.js', 'soundfont.sf2'];
  const files = siteFiles(site);
  const others = files.filter((name) => !/^music\/[^/]+\.mid$/.test(name));
  const extra = others.filter((name) => !kSite.includes(name));
  const lacking = kSite.filter((name) => !others.includes(name));
  row(!extra.length && !lacking.length && others.length < files.length, 'site: the page, its tracks and the licences',
    `${files.length - others.length} tracks, ${others.length} other files` +
    (extra.length ? `, ${extra.length} not the page's: ${extra.slice(0, 3).join(', ')}` : '') +
    (lacking.length ? `, missing ${lacking.join(', ')}` : ''));

  const server = await serve();
  const base = `http://127.0.0.1:${server.address().port}/index.html`;
  const { port } = await launch();
  const client = await CDP({ port });
  const { Page, Runtime, Input } = client;
  await Page.enable();

  async function evaluate(expression) {
    const { result, exceptionDetails } = await Runtime.evaluate({ expression, awaitPromise: true, returnByValue: true });
    if (exceptionDetails) throw new Error(exceptionDetails.exception?.description || exceptionDetails.text);
    return result.value;
  }
  async function waitFor(expression, ms = kWaitMs) {
    const until = Date.now() + ms;
    for (;;) {
      // A page in the middle of loading has no document yet.
      if (await evaluate(expression).catch(() => false)) return true;
      if (Date.now() > until) return false;
      await sleep(25);
    }
  }
  async function open(query) {
    const loaded = Page.loadEventFired();
    await Page.navigate({ url: base + query });
    await Promise.race([loaded, sleep(kWaitMs)]);
    return waitFor("document.documentElement.dataset.state !== 'loading' && document.readyState === 'complete'");
  }
  const state = () => evaluate('document.documentElement.dataset.state');
  const inked = (selector) => evaluate(`(() => { const c = document.querySelector('${selector}');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data; let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] | d[i + 1] | d[i + 2]) ++n; return n; })()`);

  // The canvas, byte for byte, against the render tool's picture.
  for (const [seed, size, ticks] of frames) {
    const name = `frame seed ${seed} size ${size} ticks ${ticks}`;
    try {
      const png = path.join(work, 'frame.png');
      execFileSync(renderTool, ['frame', '--seed', seed, '--size', size, '--ticks', String(ticks), png]);
      const expected = execFileSync('convert', [png, '-depth', '8', 'rgba:-'], { maxBuffer: 1 << 26 });
      await open(`?seed=${seed}&size=${size}&ticks=${ticks}`);
      if (!await waitFor("document.documentElement.dataset.state === 'done'")) throw new Error('never done');
      const shown = Buffer.from(await evaluate(`(() => { const c = document.querySelector('canvas');
        const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data; let s = '';
        for (let i = 0; i < d.length; i += 32768) s += String.fromCharCode.apply(null, d.subarray(i, i + 32768));
        return btoa(s); })()`), 'base64');
      let differing = 0;
      for (let i = 0; i < Math.min(shown.length, expected.length); i += 4)
        if (shown.readUInt32LE(i) !== expected.readUInt32LE(i)) ++differing;
      const same = shown.length === expected.length && differing === 0;
      const digest = crypto.createHash('sha256').update(expected).digest('hex').slice(0, 12);
      row(same, name, same ? `identical (${digest})`
        : `${differing} of ${expected.length / 4} pixels differ, ${shown.length} bytes against ${expected.length}`);
    } catch (e) {
      row(false, name, e.message);
    }
  }

  // The saver's life: start, full screen, drawing; what ends it and what
  // does not.
  const click = async (x, y) => {
    for (const type of ['mousePressed', 'mouseReleased'])
      await Input.dispatchMouseEvent({ type, x, y, button: 'left', clickCount: 1 });
  };
  const move = (x, y) => Input.dispatchMouseEvent({ type: 'mouseMoved', x, y });
  // startSaver(at): a click at `at` on the start page, its button's middle
  // when not given, starts the saver.
  async function startSaver(at) {
    if (!await waitFor("document.documentElement.dataset.state === 'start' && !document.getElementById('start-button').disabled"))
      throw new Error('no start control');
    at = at || await evaluate(`(() => { const r = document.getElementById('start-button').getBoundingClientRect();
      return [r.x + r.width / 2, r.y + r.height / 2]; })()`);
    await click(at[0], at[1]);
    if (!await waitFor("document.documentElement.dataset.state === 'running'")) throw new Error('did not start');
    await move(100, 100);
  }
  const backAtStart = () => waitFor("document.documentElement.dataset.state === 'start' && !document.fullscreenElement" +
    " && !document.querySelector('canvas') && !document.documentElement.dataset.music");
  const life = [
    ['start: full screen, drawing, pointer hidden, music', async () => {
      const music = await waitFor('!!document.documentElement.dataset.music');
      const fullscreen = await evaluate('!!document.fullscreenElement');
      const cursor = await evaluate('document.documentElement.style.cursor');
      const ink = await inked('canvas');
      const track = await evaluate('document.documentElement.dataset.music');
      return [fullscreen && cursor === 'none' && ink > 0 && music,
        `fullscreen ${fullscreen}, cursor '${cursor}', ${ink} pixels inked, playing ${track}`];
    }],
    ['a mouse step of 2 pixels keeps it', async () => {
      await move(102, 100);
      await waitFor('false', 200);
      return [await state() === 'running', await state()];
    }],
    ['a mouse step of 3 pixels ends it', async () => { await move(103, 100); return [await backAtStart(), await state()]; }],
    ['a click ends it', async () => { await click(300, 300); return [await backAtStart(), await state()]; }],
    ['a key ends it', async () => {
      await Input.dispatchKeyEvent({ type: 'keyDown', key: 'a', code: 'KeyA', text: 'a' });
      await Input.dispatchKeyEvent({ type: 'keyUp', key: 'a', code: 'KeyA' });
      return [await backAtStart(), await state()];
    }],
    ['leaving full screen ends it', async () => {
      await evaluate('document.exitFullscreen()');
      return [await backAtStart(), await state()];
    }],
  ];
  // music=0: the saver runs silent; a click away from the button starts it.
  try {
    await open('?seed=5&music=0');
    await startSaver([790, 590]);
    const heard = await waitFor('!!document.documentElement.dataset.music', 2000);
    row(!heard && await state() === 'running', 'life: a click in a corner starts it, music=0 silent',
      heard ? 'music played' : 'silent');
    await click(300, 300);
    await backAtStart();
  } catch (e) {
    row(false, 'life: a click in a corner starts it, music=0 silent', e.message);
  }
  await open('?seed=5');
  for (const [name, check] of life) {
    try {
      await startSaver();
      const [ok, detail] = await check();
      row(ok, 'life: ' + name, detail);
    } catch (e) {
      row(false, 'life: ' + name, e.message);
    }
    if (await state() === 'running') await click(300, 300);
    await backAtStart();
  }

  // The gallery: every pattern in a cell of its own, each drawing.
  try {
    await open('?gallery&seed=1');
    await waitFor('false', 1000);
    const cells = await evaluate(`[...document.querySelectorAll('[data-pattern]')].map((cell) => {
      const c = cell.querySelector('canvas'); const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      let n = 0; for (let i = 0; i < d.length; i += 4) if (d[i] | d[i + 1] | d[i + 2]) ++n;
      return [Number(cell.dataset.pattern), n]; })`);
    const live = cells.filter(([, ink]) => ink > 0).length;
    const numbered = cells.every(([n], i) => n === i + 1);
    row(cells.length === 61 && live === 61 && numbered, 'gallery: 61 live cells', `${cells.length} cells, ${live} drawing`);
  } catch (e) {
    row(false, 'gallery: 61 live cells', e.message);
  }

  // Music: a demo track through the synthesizer and the limiter is heard
  // and stays under -1 dBFS; so does a chord loud enough to need the
  // limiter. measureMusic(track, seconds): a track (a demo track's name or
  // a MIDI file's bytes) rendered at once through the page's voice on a
  // module of its own, and through its synthesizer alone: the loudest
  // sample after and before the limiter, and the loudness after it.
  const measureMusic = (track, seconds) => evaluate(`(async (track, seconds, rate) => {
    const module = await createLinesaver({ linesaverViews: {} });
    const bytes = typeof track === 'string' ? await (await fetch('music/' + encodeURIComponent(track))).arrayBuffer()
      : new Uint8Array(track).buffer;
    const voice = await LinesaverMusic.voice(module, rate);
    const raw = await LinesaverMusic.voice(module, rate);
    try {
      for (const v of [voice, raw]) { await v.synth.addSMFDataToPlayer(bytes.slice(0)); await v.synth.playPlayer(); }
      const left = new Float32Array(2048);
      const right = new Float32Array(2048);
      let rawPeak = 0, peak = 0, energy = 0, frames = 0;
      for (; frames < seconds * rate; frames += left.length) {
        raw.synth.render([left, right]);
        for (let i = 0; i < left.length; ++i) rawPeak = Math.max(rawPeak, Math.abs(left[i]), Math.abs(right[i]));
        voice.render(left, right);
        for (let i = 0; i < left.length; ++i) {
          peak = Math.max(peak, Math.abs(left[i]), Math.abs(right[i]));
          energy += left[i] * left[i] + right[i] * right[i];
        }
      }
      return { rawPeak, peak, rms: Math.sqrt(energy / (2 * frames)) };
    } finally {
      voice.close();
      raw.close();
    }
  })(${JSON.stringify(track)}, ${seconds}, 48000)`);
  const kCeiling = 10 ** (-1 / 20);
  const loudChord = (() => {
    const events = [];
    for (let channel = 0; channel < 9; ++channel) events.push(0, 0xC0 | channel, 48 + channel);
    for (let channel = 0; channel < 9; ++channel)
      for (let key = 36; key < 96; key += 3) events.push(0, 0x90 | channel, key, 127);
    events.push(0x87, 0x40, 0x80, 0x30, 0x3c, 0, 0xff, 0x2f, 0); // 960 ticks on, one off, the end
    const track = [0x4d, 0x54, 0x72, 0x6b, 0, 0, events.length >> 8, events.length & 0xff, ...events];
    return [0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, ...track];
  })();
  for (const [name, track, needsLimiting] of [['a demo track', 'ode_to_joy.mid', false], ['a loud chord', loudChord, true]]) {
    try {
      await open('?seed=1');
      const m = await measureMusic(track, 8);
      const dB = (x) => (20 * Math.log10(x)).toFixed(1);
      const ok = m.rms > 0.001 && m.peak <= kCeiling && (!needsLimiting || m.rawPeak > kCeiling);
      row(ok, `music: ${name} heard, never above -1 dBFS`,
        `peak ${dB(m.peak)} dBFS (${dB(m.rawPeak)} before the limiter), loudness ${dB(m.rms)} dBFS`);
    } catch (e) {
      row(false, `music: ${name}`, e.message);
    }
  }

  // Bad parameters: ignored, named in one line, the page still usable.
  try {
    await open('?pattern=62&size=0x5&colour=red&seed=-1');
    const notice = await evaluate("document.getElementById('notice').hidden ? '' : document.getElementById('notice').textContent");
    const ok = await state() === 'start' && /pattern=62/.test(notice) && /colour=red/.test(notice) &&
      /size=0x5/.test(notice) && /seed=-1/.test(notice) && !notice.includes('\n');
    row(ok, 'bad parameters: one notice, start page', notice);
  } catch (e) {
    row(false, 'bad parameters: one notice, start page', e.message);
  }

  // A browser without WebAssembly: one readable sentence.
  try {
    const { identifier } = await Page.addScriptToEvaluateOnNewDocument({ source: 'delete window.WebAssembly;' });
    await open('?seed=1');
    const notice = await evaluate("document.getElementById('notice').textContent");
    await Page.removeScriptToEvaluateOnNewDocument({ identifier });
    row(/needs WebAssembly/.test(notice), 'no WebAssembly: one sentence', notice);
  } catch (e) {
    row(false, 'no WebAssembly: one sentence', e.message);
  }

  await client.close();
  server.close();
  console.log(`${passed} passed, ${failed} failed`);
  return failed === 0 ? 0 : 1;
}

const deadline = setTimeout(() => { console.log('FAIL  the whole run took too long'); process.exit(1); }, 600000);
main().then((status) => { clearTimeout(deadline); process.exit(status); }, (e) => {
  console.log(`FAIL  ${e.message}`);
  process.exit(1);
});

// What the web page costs, side by side in one run: headless Chromium (all
// its processes) showing a blank page and showing the saver, the desktop
// saver at the same size under Xvfb (with its X server), the time from
// loading the page to its first frame, and the size of the site.
//
//     node bench/web_cost.js SITE_DIR [SAVER] [WIDTHxHEIGHT] [SECONDS]
//
// Needs `make web`, tests/web's npm packages (make test-web installs them)
// and, for the desktop row, the saver and Xvfb.
'use strict';

const path = require('path');
const CDP = require(path.join(__dirname, '../tests/web/node_modules/chrome-remote-interface'));
const { spawn, execFileSync } = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');

const [site, saver, size = '1280x720', seconds = '10'] = process.argv.slice(2);
const [width, height] = size.split('x').map(Number);
const kTicksPerSecond = 100; // /proc's clock ticks
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const started = []; // each in a process group of its own, helpers and all
process.on('exit', () => started.forEach((child) => {
  try { process.kill(-child.pid, 'SIGKILL'); } catch (e) { /* gone already */ }
}));

// CPU seconds used so far by a process and everything below it.
function treeCpu(root) {
  const stats = fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name)).map((pid) => {
    try {
      const text = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const fields = text.slice(text.lastIndexOf(')') + 2).split(' ');
      return { pid: Number(pid), parent: Number(fields[1]), cpu: Number(fields[11]) + Number(fields[12]) };
    } catch (e) { return null; }
  }).filter(Boolean);
  const inTree = new Set([root]);
  for (let grew = true; grew;) {
    grew = false;
    for (const s of stats) if (!inTree.has(s.pid) && inTree.has(s.parent)) { inTree.add(s.pid); grew = true; }
  }
  return stats.filter((s) => inTree.has(s.pid)).reduce((sum, s) => sum + s.cpu, 0) / kTicksPerSecond;
}

async function percentOfCore(root) {
  const before = treeCpu(root);
  await sleep(Number(seconds) * 1000);
  return (100 * (treeCpu(root) - before) / Number(seconds)).toFixed(2);
}

function serve() {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    const file = path.join(site, path.normalize(new URL(request.url, 'http://x').pathname));
    fs.readFile(file, (error, data) => {
      response.writeHead(error ? 404 : 200, { 'Content-Type': types[path.extname(file)] || 'text/plain' });
      response.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function browser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'web-cost-'));
  process.on('exit', () => fs.rmSync(profile, { recursive: true, force: true }));
  const args = ['--headless', '--remote-debugging-port=0', `--user-data-dir=${profile}`, `--window-size=${width},${height}`,
    '--no-first-run', '--mute-audio', 'about:blank'];
  if (process.getuid() === 0) args.unshift('--no-sandbox');
  const child = spawn('chromium-headless-shell', args, { stdio: ['ignore', 'ignore', 'pipe'], detached: true });
  started.push(child);
  const port = await new Promise((resolve, reject) => {
    let text = '';
    setTimeout(() => reject(new Error('Chromium named no DevTools port')), 20000);
    child.stderr.on('data', (chunk) => {
      const m = /DevTools listening on ws:\/\/[^:]+:(\d+)\//.exec(text += chunk);
      if (m) resolve(Number(m[1]));
    });
  });
  return { child, client: await CDP({ port }) };
}

async function waitFor(Runtime, expression) {
  for (const until = Date.now() + 20000; Date.now() < until; await sleep(10)) {
    const { result } = await Runtime.evaluate({ expression, returnByValue: true }).catch(() => ({ result: {} }));
    if (result.value) return result.value;
  }
  throw new Error('timed out: ' + expression);
}

async function main() {
  const server = await serve();
  const base = `http://127.0.0.1:${server.address().port}/index.html`;
  const rows = [];
  const { child, client } = await browser();
  const { Page, Runtime, Input } = client;
  await Page.enable();

  await Page.navigate({ url: 'about:blank' });
  await sleep(2000);
  rows.push([`Chromium, blank page, ${size}, % of one core`, await percentOfCore(child.pid)]);

  // Load to first frame: the pattern view starts without a gesture; the
  // page is polled on every animation frame for a drawn pixel.
  const firsts = [];
  for (let i = 0; i < 5; ++i) {
    await Page.navigate({ url: `${base}?pattern=1&seed=1` });
    firsts.push(await waitFor(Runtime, `(() => { const c = document.querySelector('canvas'); if (!c) return 0;
      const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      for (let i = 0; i < d.length; i += 4) if (d[i] | d[i + 1] | d[i + 2]) return performance.now(); return 0; })()`));
  }
  firsts.sort((a, b) => a - b);
  rows.push(['load to first frame, median of 5, ms', firsts[2].toFixed(0)]);

  for (const [what, query] of [['silent (music=0)', '?seed=1&music=0'], ['with its music', '?seed=1']]) {
    await Page.navigate({ url: base + query });
    const at = await waitFor(Runtime, `(() => { const b = document.getElementById('start-button');
      if (!b || b.disabled) return 0; const r = b.getBoundingClientRect(); return [r.x + 5, r.y + 5]; })()`);
    for (const type of ['mousePressed', 'mouseReleased'])
      await Input.dispatchMouseEvent({ type, x: at[0], y: at[1], button: 'left', clickCount: 1 });
    await waitFor(Runtime, "document.documentElement.dataset.state === 'running'");
    await sleep(3000);
    rows.push([`Chromium, the saver page ${what}, ${size}, % of one core`, await percentOfCore(child.pid)]);
    await Input.dispatchMouseEvent({ type: 'mousePressed', x: 10, y: 10, button: 'left', clickCount: 1 });
    await waitFor(Runtime, "document.documentElement.dataset.state === 'start'");
  }
  await client.close();
  process.kill(-child.pid, 'SIGKILL');
  server.close();

  if (saver) {
    const display = ':' + (90 + Math.floor(Math.random() * 100));
    const xvfb = spawn('Xvfb', [display, '-screen', '0', `${width}x${height}x24`, '-nolisten', 'tcp'],
      { stdio: 'ignore', detached: true });
    started.push(xvfb);
    await sleep(1500);
    const desktop = spawn(saver, [], { stdio: 'ignore', detached: true,
      env: { ...process.env, DISPLAY: display, LINESAVER_SEED: '1' } });
    started.push(desktop);
    await sleep(2000);
    const xBefore = treeCpu(xvfb.pid);
    const saverCpu = await percentOfCore(desktop.pid);
    const xCpu = (100 * (treeCpu(xvfb.pid) - xBefore) / Number(seconds)).toFixed(2);
    rows.push([`desktop saver under Xvfb, ${size}, % of one core (its X server)`, `${saverCpu} (${xCpu})`]);
  }

  const kib = (name) => Number(execFileSync('du', ['-sk', path.join(site, name)]).toString().split('\t')[0]);
  const sizes = fs.readdirSync(site).filter((name) => name !== 'cmake').map((name) => `${name} ${kib(name)}`);
  rows.push(['the site, KiB', sizes.join(', ')]);
  for (const [what, figure] of rows) console.log(`| ${what} | ${figure} |`);
  process.exit(0);
}

main().catch((e) => { console.error(`web_cost: ${e.message}`); process.exit(1); });

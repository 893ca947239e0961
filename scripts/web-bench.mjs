// Measures the browser build's budgets in Debian's headless Chromium and
// prints them: download size, first frame, the game frame, idle CPU. Beside
// them the browser's own floor: a blank page that puts one 1000x600 image on
// a canvas (first frame), the same page running an empty frame callback (idle).
// Usage: node scripts/web-bench.mjs build/web   (run by `make web-bench`)
import { readFileSync, readdirSync } from 'node:fs';
import { createRequire } from 'node:module';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const puppeteer = createRequire(path.join(repo, 'tests/web/package.json'))('puppeteer-core');
const folder = path.resolve(process.argv[2] ?? path.join(repo, 'build/web'));
const Runs = 7;
const FrameSamples = 600;
const IdleSeconds = 10;

const quantile = (values, q) => [...values].sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(values.length * q))];
const median = (values) => quantile(values, 0.5);
const ticksPerSecond = 100;  // USER_HZ of /proc/PID/stat on Linux

const FloorPage = `<!doctype html><meta charset="utf-8"><canvas id="canvas" width="1000" height="600"></canvas>
<script>
const image = new ImageData(1000, 600);
image.data.fill(255);
document.getElementById('canvas').getContext('2d', { alpha: false }).putImageData(image, 0, 0);
performance.mark('first-frame');
if (location.hash === '#frames') requestAnimationFrame(function idle() { requestAnimationFrame(idle); });
</script>`;

function serve() {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  return http.createServer((request, response) => {
    const name = path.basename(new URL(request.url, 'http://x').pathname) || 'index.html';
    if (name === 'floor.html') return response.writeHead(200, { 'Content-Type': 'text/html' }).end(FloorPage);
    try {
      const body = readFileSync(path.join(folder, name));
      response.writeHead(200, { 'Content-Type': types[path.extname(name)] ?? 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
}

// CPU seconds (user + system) a process has used so far.
function cpuSeconds(pid) {
  const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  return (Number(fields[11]) + Number(fields[12])) / ticksPerSecond;
}

function chromiumProcesses(type) {
  return readdirSync('/proc').filter((pid) => /^\d+$/.test(pid)).filter((pid) => {
    try {
      return readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes(`--type=${type}`);
    } catch {
      return false;
    }
  });
}

const gzipKb = (file) => gzipSync(readFileSync(path.join(folder, file)), { level: 9 }).length / 1024;

const server = serve();
await new Promise((done) => server.listen(0, '127.0.0.1', done));
const origin = `http://127.0.0.1:${server.address().port}/`;
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', headless: true, args: ['--no-sandbox'],
});

try {
  const js = gzipKb('lettermoor.js');
  const wasm = gzipKb('lettermoor.wasm');
  console.log(`download   .js ${js.toFixed(1)} KB + .wasm ${wasm.toFixed(1)} KB = ${(js + wasm).toFixed(1)} KB after gzip -9 (budget 300 KB)`);

  // Opens the page in a new tab of the context and waits for its first frame.
  async function open(context, url) {
    const page = await context.newPage();
    await page.setViewport({ width: 1280, height: 820 });
    await page.goto(url);
    await page.waitForFunction(() => performance.getEntriesByName('first-frame').length > 0);
    return page;
  }
  // A first visit each time: a fresh browser context has no cache and no storage.
  // Returns the marks and the files' arrival times, in ms after navigation.
  async function firstVisit(url) {
    const context = await browser.createBrowserContext();
    const page = await open(context, url);
    const times = await page.evaluate(() => Object.fromEntries([
      ...performance.getEntriesByType('resource').map((e) => [e.name.split('/').pop() + ' arrived', e.responseEnd]),
      ...performance.getEntriesByType('mark').map((e) => [e.name, e.startTime]),
    ]));
    await context.close();
    return times;
  }
  // The page's and the floor's visits take turns, so both see the same load.
  const visits = [];
  const floors = [];
  for (let run = 0; run < Runs; ++run) {
    visits.push(await firstVisit(origin));
    floors.push((await firstVisit(origin + 'floor.html'))['first-frame']);
  }
  const firstFrames = visits.map((v) => v['first-frame']);
  console.log(`first frame ${median(firstFrames).toFixed(0)} ms after navigation, median of ${Runs} (spread ${Math.min(...firstFrames).toFixed(0)}-${Math.max(...firstFrames).toFixed(0)} ms; budget 300 ms)`);
  console.log(`  floor     ${median(floors).toFixed(0)} ms: a blank page putting one 1000x600 image on a canvas (spread ${Math.min(...floors).toFixed(0)}-${Math.max(...floors).toFixed(0)} ms)`);
  const steps = Object.keys(visits[0]).filter((step) => visits.every((v) => step in v));
  for (const step of steps.sort((a, b) => visits[0][a] - visits[0][b])) {
    console.log(`  ${step.padEnd(24)} ${median(visits.map((v) => v[step])).toFixed(0).padStart(5)} ms (median)`);
  }

  const page = await open(browser, origin);
  const frames = await page.evaluate((samples) => new Promise((done) => {
    const frame = Module._lettermoor_frame;
    const times = [];
    // The canvas gets the frame in a microtask the frame queued; this one runs after it.
    Module._lettermoor_frame = () => {
      const started = performance.now();
      const alive = frame();
      queueMicrotask(() => {
        times.push(performance.now() - started);
        if (times.length === samples) done(times);
      });
      return alive;
    };
  }), FrameSamples);
  console.log(`game frame ${median(frames).toFixed(2)} ms median, ${quantile(frames, 0.95).toFixed(2)} ms 95th percentile, over ${FrameSamples} frames of the puzzle (performance.now() around the frame function and its canvas update; the timer is coarsened to 0.1 ms)`);

  // Nothing changes on the page: the game keeps running its frames. The floor
  // page runs an empty frame callback in its own renderer, measured after.
  async function idleShare() {
    const renderers = chromiumProcesses('renderer');
    const gpu = chromiumProcesses('gpu-process');
    const before = { renderer: renderers.map(cpuSeconds), gpu: gpu.map(cpuSeconds) };
    await new Promise((done) => setTimeout(done, IdleSeconds * 1000));
    const share = (pids, was) => Math.max(0, ...pids.map((pid, k) => (cpuSeconds(pid) - was[k]) / IdleSeconds * 100));
    return `renderer ${share(renderers, before.renderer).toFixed(1)}% of a core, GPU process ${share(gpu, before.gpu).toFixed(1)}%`;
  }
  console.log(`idle       ${await idleShare()}, over ${IdleSeconds} s with nothing changing`);
  await page.goto(origin + 'floor.html#frames');
  await page.waitForFunction(() => performance.getEntriesByName('first-frame').length > 0);
  console.log(`  floor    ${await idleShare()}: a blank page with an empty frame callback`);
} finally {
  await browser.close();
  server.close();
}

// make web-bench: the 200,000-vector benchmark slide drawn at 1920x1440 in WebAssembly under
// node beside lanterna-cli's time for the same picture, and the time the viewer page takes in
// headless Chromium to show that slide's first picture, and the longest task of that page while
// a library of 352 members draws its grid of miniatures; then, at a device pixel ratio of 2, how
// long one zoom step of the viewer takes on each slide make-samples --bench writes, and whether
// the canvas keeps a picture all the while.
// Usage: node bench.js SITE BUILD_DIR        RUNS=N (default 5)
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {spawnSync} = require('child_process');
const zlib = require('zlib');
const {serve, openPage} = require('./test/browser.js');
const {manyLibrary} = require('./test/name_library.js');

const [site, build] = process.argv.slice(2);
const runs = Number(process.env.RUNS || 5);
const cli = path.join(build, 'lanterna-cli');
const work = fs.mkdtempSync(path.join(fs.existsSync('/dev/shm') ? '/dev/shm' : os.tmpdir(), 'lanterna-web-bench-'));
process.on('exit', () => fs.rmSync(work, {recursive: true, force: true}));
const big = path.join(work, 'big.sld');
spawnSync(path.join(build, 'make-samples'), ['--bench', big, path.join(work, 'lines.sld')], {stdio: 'inherit'});
const bytes = fs.readFileSync(big);

function best(fn) {
  let t = Infinity;
  for (let i = 0; i < runs; ++i) {
    const start = process.hrtime.bigint();
    fn();
    t = Math.min(t, Number(process.hrtime.bigint() - start) / 1e6);
  }
  return t;
}

const kGridMembers = 352;

// The viewer page is handed the library as the system hands it a file, while the browser's
// long tasks (over 50 ms) are watched, and a task queued again and again measures how long the
// page makes it wait: {ms, longTask, gap}.
async function gridTasks(page) {
  await page.evaluate(`(async () => {
      window.longest = {task: 0, gap: 0, done: false};
      new PerformanceObserver((list) => {
        for (const e of list.getEntries()) longest.task = Math.max(longest.task, Math.round(e.duration));
      }).observe({type: 'longtask'});
      const channel = new MessageChannel();
      let last = performance.now();
      channel.port1.onmessage = () => {
        const now = performance.now();
        longest.gap = Math.max(longest.gap, Math.round(now - last));
        last = now;
        if (!longest.done) channel.port2.postMessage(0);
      };
      channel.port2.postMessage(0);
      const bytes = await (await fetch('grid.slb')).arrayBuffer();
      longest.start = performance.now();
      LanternaViewer.launch({files: [{getFile: async () => new File([bytes], 'grid.slb')}]});
    })()`);
  if (!await page.until('document.body.dataset.state === "grid-drawn"', 120)) return null;
  return JSON.parse(await page.evaluate(`(() => {
      longest.done = true;
      return JSON.stringify({ms: Math.round(performance.now() - longest.start), longTask: longest.task, gap: longest.gap});
    })()`));
}

const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];

// One zoom step by the + key, from zoom 1 (Home before each): ms from the key's event until the
// whole new picture is on the canvas (drawn) and until the frame after it (shown). sample: the
// canvas is looked at on every frame of the step, shrunk to 64 x 48, and blank counts the looks
// that found no pixel that is not white; looks their number.
async function zoomStep(page, sample) {
  await page.key('Home', 36);
  if (!await page.until('document.body.dataset.state === "drawn" && document.getElementById("zoom").textContent === "1"', 60)) return null;
  await page.evaluate(`(() => {
      const step = window.step = {sample: ${sample}, looks: 0, blank: 0};
      const canvas = document.getElementById('canvas');
      const small = new OffscreenCanvas(64, 48).getContext('2d', {willReadFrequently: true});
      const look = () => {
        if (step.drawn) return;
        small.fillStyle = '#fff';
        small.fillRect(0, 0, 64, 48);
        small.drawImage(canvas, 0, 0, 64, 48);
        const pixels = new Uint32Array(small.getImageData(0, 0, 64, 48).data.buffer);
        ++step.looks;
        if (pixels.every((p) => p === 0xffffffff)) ++step.blank;
        requestAnimationFrame(look);
      };
      addEventListener('keydown', (e) => {
        if (e.key !== '+') return;
        step.start = performance.now();
        if (step.sample) requestAnimationFrame(look);
      }, {capture: true, once: true});
      const watch = new MutationObserver(() => {
        if (document.body.dataset.state !== 'drawn' || !step.start) return;
        watch.disconnect();
        step.drawn = performance.now() - step.start;
        requestAnimationFrame(() => setTimeout(() => (step.shown = performance.now() - step.start), 0));
      });
      watch.observe(document.body, {attributes: true, attributeFilter: ['data-state']});
    })()`);
  await page.key('+', 107);
  if (!await page.until('window.step.shown !== undefined', 60)) return null;
  return JSON.parse(await page.evaluate('JSON.stringify(window.step)'));
}

// The zoom steps of the viewer at ratio 2 on each benchmark slide; a line of figures each.
async function zoomSteps(server) {
  const lines = [];
  // A screen of ratio 2 (emulated metrics would leave the canvas at its CSS size), the window
  // on it sized for a page of 1280 x 900 CSS pixels.
  const page = await openPage('about:blank', 1280, 900, {ratio: 2, size: [2800, 2200]});
  if (!page) return lines;
  await page.toScreen(1, [2560, 1974]);
  for (const slide of ['big.sld', 'lines.sld']) {
    await page.navigate(`http://127.0.0.1:${server.address().port}/index.html?src=${slide}`);
    if (!await page.until('document.body.dataset.state === "drawn"', 60)) {
      lines.push(`  ${slide}: did not draw`);
      continue;
    }
    const size = await page.evaluate('(() => { const c = document.getElementById("canvas"); return `${c.width}x${c.height}`; })()');
    const steps = [];
    for (let i = 0; i < runs; ++i) steps.push(await zoomStep(page, false));
    const sampled = await zoomStep(page, true);
    if (steps.includes(null) || !sampled) {
      lines.push(`  ${slide}: a zoom step did not finish`);
      continue;
    }
    const ms = (key) => Math.round(median(steps.map((s) => s[key])));
    lines.push(`  ${slide} (${size} device pixels)  whole picture ${ms('drawn')} ms, on screen ${ms('shown')} ms ` +
      `(median of ${runs}; goal: under 150 ms)`);
    lines.push(`    canvas looked at ${sampled.looks} times during a step: ${sampled.blank ? `${sampled.blank} blank` : 'never blank'}`);
  }
  await page.close();
  return lines;
}

async function main() {
  const eng = await require(path.resolve(site, 'lanterna-slide.js')).engine();
  const id = eng.open(bytes);
  const web = best(() => eng.draw(id, '', 'big.sld', 1920, 1440));
  const native = best(() => spawnSync(cli, ['render', big, '--size', '1920x1440', '-o', path.join(work, 'big.ppm')]));
  const wasm = fs.readFileSync(path.join(site, 'lanterna-slide.wasm'));
  console.log(`benchmark slide: ${(bytes.length / 1e6).toFixed(2)} MB, 1920x1440, best of ${runs}`);
  console.log(`  WebAssembly under node  ${web.toFixed(1)} ms`);
  console.log(`  lanterna-cli render     ${native.toFixed(1)} ms (the whole program, PPM written)`);
  console.log(`  ratio                   ${(web / native).toFixed(2)} (goal: at most 1.5)`);
  console.log(`lanterna-slide.wasm: ${wasm.length} bytes, ${zlib.gzipSync(wasm, {level: 9}).length} gzipped (goal: under 100 KB)`);

  // The viewer page opens the slide by ?src= from a local server.
  fs.writeFileSync(path.join(work, 'grid.slb'), manyLibrary(path.join(__dirname, '..', 'samples'), kGridMembers));
  const server = await serve([site, work]);
  const page = await openPage(`http://127.0.0.1:${server.address().port}/index.html?src=big.sld`, 1280, 900);
  let figures = null;
  if (page && await page.until('document.body.dataset.state === "drawn"', 60))
    figures = JSON.parse(await page.evaluate('JSON.stringify(document.body.dataset)'));
  const grid = figures && await gridTasks(page);
  if (page) await page.close();
  const steps = await zoomSteps(server);
  server.close();
  if (steps.length) console.log(`viewer page, a zoom step (+ key, zoom 1 to 2) at device pixel ratio 2, about 1280x900 CSS pixels:\n${steps.join('\n')}`);
  if (!figures) {
    console.log('viewer page: no chromium, or the page did not draw');
    return;
  }
  console.log(`viewer page, headless Chromium, 1280x900 window:`);
  console.log(`  first picture of the slide on screen  ${figures.firstPicture} ms after its bytes arrived (goal: under 150 ms)`);
  console.log(`  the same from the page's start        ${figures.firstPictureSinceStart} ms (engine loaded, slide fetched)`);
  console.log(`  the whole slide drawn                 ${figures.drawnSinceStart} ms from the page's start`);
  if (!grid) {
    console.log(`library of ${kGridMembers} members: the grid did not finish drawing`);
    return;
  }
  console.log(`library of ${kGridMembers} members, its grid of miniatures (${grid.ms} ms to draw them all):`);
  console.log(`  longest task                          ${grid.longTask ? `${grid.longTask} ms` : 'none over 50 ms'} (goal: none over 50 ms)`);
  console.log(`  longest wait of a task queued         ${grid.gap} ms`);
}
main();

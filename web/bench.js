// make web-bench: the 200,000-vector benchmark slide drawn at 1920x1440 in WebAssembly under
// node beside lanterna-cli's time for the same picture, and the time the viewer page takes in
// headless Chromium to show that slide's first picture.
// Usage: node bench.js SITE BUILD_DIR        RUNS=N (default 5)
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const http = require('http');
const {spawn, spawnSync} = require('child_process');
const zlib = require('zlib');

const [site, build] = process.argv.slice(2);
const runs = Number(process.env.RUNS || 5);
const cli = path.join(build, 'lanterna-cli');
const work = fs.mkdtempSync(path.join(fs.existsSync('/dev/shm') ? '/dev/shm' : os.tmpdir(), 'lanterna-web-bench-'));
process.on('exit', () => fs.rmSync(work, {recursive: true, force: true}));
const big = path.join(work, 'big.sld');
spawnSync(path.join(build, 'make-samples'), ['--bench', big], {stdio: 'inherit'});
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

// The page: the site and the slide served from 127.0.0.1, opened by ?src= in headless Chromium
// driven over its debugging pipe; resolves with the page's own figures.
function pageTimes(port) {
  const browser = ['chromium', 'chromium-browser'].find((b) => spawnSync('sh', ['-c', `command -v ${b}`]).status === 0);
  if (!browser) return Promise.resolve(null);
  const args = ['--headless', '--disable-gpu', '--remote-debugging-pipe', '--force-device-scale-factor=1',
    '--window-size=1280,900', `--user-data-dir=${path.join(work, 'profile')}`, 'about:blank'];
  if (process.getuid && process.getuid() === 0) args.unshift('--no-sandbox');
  const child = spawn(browser, args, {stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe']});
  let id = 0, buffered = '';
  const waiting = new Map();
  const send = (method, params = {}, sessionId) => new Promise((resolve) => {
    waiting.set(++id, resolve);
    child.stdio[3].write(JSON.stringify({id, method, params, sessionId}) + '\0');
  });
  child.stdio[4].on('data', (chunk) => {
    buffered += chunk;
    let end;
    while ((end = buffered.indexOf('\0')) >= 0) {
      const message = JSON.parse(buffered.slice(0, end));
      buffered = buffered.slice(end + 1);
      if (message.id && waiting.has(message.id)) waiting.get(message.id)(message.result || {});
    }
  });
  return (async () => {
    const url = `http://127.0.0.1:${port}/index.html?src=big.sld`;
    const {targetId} = await send('Target.createTarget', {url});
    const {sessionId} = await send('Target.attachToTarget', {targetId, flatten: true});
    let figures = null;
    for (let i = 0; i < 300 && !figures; ++i) {
      const r = await send('Runtime.evaluate', {expression:
        'document.body.dataset.state === "drawn" ? JSON.stringify(document.body.dataset) : ""', returnByValue: true}, sessionId);
      if (r.result && r.result.value) figures = JSON.parse(r.result.value);
      else await new Promise((resolve) => setTimeout(resolve, 50));
    }
    child.kill();
    return figures;
  })();
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

  // Serves the site and the slide.
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm'};
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(req.url.split('?')[0]).replace(/^\/+/, '');
    const file = name === 'big.sld' ? big : path.join(site, path.basename(name));
    fs.readFile(file, (err, data) => {
      res.writeHead(err ? 404 : 200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
      res.end(err ? '' : data);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const figures = await pageTimes(server.address().port);
  server.close();
  if (!figures) {
    console.log('viewer page: no chromium, or the page did not draw');
    return;
  }
  console.log(`viewer page, headless Chromium, 1280x900 window:`);
  console.log(`  first picture of the slide on screen  ${figures.firstPicture} ms after its bytes arrived (goal: under 150 ms)`);
  console.log(`  the same from the page's start        ${figures.firstPictureSinceStart} ms (engine loaded, slide fetched)`);
  console.log(`  the whole slide drawn                 ${figures.drawnSinceStart} ms from the page's start`);
}
main();

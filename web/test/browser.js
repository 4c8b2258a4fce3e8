// Headless Chromium driven over its debugging pipe (no package needed), and a small static file
// server on 127.0.0.1 for it to load pages from.
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const {spawn, spawnSync} = require('child_process');

function findChromium() {
  return ['chromium', 'chromium-browser'].find((b) => spawnSync('sh', ['-c', `command -v ${b}`]).status === 0);
}

// Serves files by name from the folders given, first match wins, never to be kept by the
// browser's cache (Cache-Control: no-store); resolves with the server, whose requests counts
// the requests for each name. route(name) may name another file to serve, or null for none.
function serve(folders, route = (name) => name) {
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
    '.webmanifest': 'application/manifest+json', '.svg': 'image/svg+xml', '.png': 'image/png'};
  const requests = new Map();
  const server = http.createServer((req, res) => {
    const asked = path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^(\.\.[/\\])+/, '');
    requests.set(asked, (requests.get(asked) || 0) + 1);
    const name = route(asked);
    const file = name && folders.map((f) => path.join(f, name)).find((f) => fs.existsSync(f) && fs.statSync(f).isFile());
    res.writeHead(file ? 200 : 404, {'Content-Type': types[path.extname(asked)] || 'application/octet-stream',
      'Cache-Control': 'no-store'});
    res.end(file ? fs.readFileSync(file) : '');
  });
  server.requests = requests;
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Opens url in a page of width x height CSS pixels at a device scale of 1; resolves with
// {evaluate(expression), screenshot() -> PNG buffer, close()}.
// Two screens side by side, the second at a device pixel ratio of second.ratio (1.25 by default,
// as a Windows laptop's 125 % scaling) and of second.size device pixels: a window moved there
// draws at that ratio (see toScreen).
// Emulated device metrics would not do: there the canvas's device-pixel box is its CSS box.
const kScreen = [1200, 900];
async function openPage(url, width, height, second = {ratio: 1.25, size: kScreen}) {
  const browser = findChromium();
  if (!browser) return null;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'lanterna-chromium-'));
  const args = ['--headless', '--disable-gpu', '--remote-debugging-pipe',
    `--screen-info={0,0 ${kScreen.join('x')}}{${kScreen[0]},0 ${second.size.join('x')} devicePixelRatio=${second.ratio}}`,
    '--hide-scrollbars', '--window-size=1000,800', `--user-data-dir=${profile}`, 'about:blank'];
  if (process.getuid && process.getuid() === 0) args.unshift('--no-sandbox');
  const child = spawn(browser, args, {stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe']});
  let id = 0, buffered = '';
  const waiting = new Map();
  const send = (method, params = {}, sessionId) => new Promise((resolve, reject) => {
    waiting.set(++id, {resolve, reject});
    child.stdio[3].write(JSON.stringify({id, method, params, sessionId}) + '\0');
  });
  child.stdio[4].on('data', (chunk) => {
    buffered += chunk;
    for (let end; (end = buffered.indexOf('\0')) >= 0;) {
      const message = JSON.parse(buffered.slice(0, end));
      buffered = buffered.slice(end + 1);
      const w = message.id && waiting.get(message.id);
      if (w) message.error ? w.reject(new Error(message.error.message)) : w.resolve(message.result);
    }
  });
  const {targetId} = await send('Target.createTarget', {url: 'about:blank'});
  const {sessionId} = await send('Target.attachToTarget', {targetId, flatten: true});
  const metrics = {width, height, deviceScaleFactor: 1, mobile: false};
  await send('Emulation.setDeviceMetricsOverride', metrics, sessionId);
  await send('Page.navigate', {url}, sessionId);
  return {
    navigate(to) {
      return send('Page.navigate', {url: to}, sessionId);
    },
    async evaluate(expression) {
      const r = await send('Runtime.evaluate', {expression, returnByValue: true, awaitPromise: true}, sessionId);
      return r.result.value;
    },
    // Polls the expression until it is true, for at most seconds.
    async until(expression, seconds) {
      for (const end = Date.now() + seconds * 1000; Date.now() < end;) {
        if (await this.evaluate(expression)) return true;
        await new Promise((resolve) => setTimeout(resolve, 50));
      }
      return false;
    },
    // A turn of the mouse wheel at (x, y) CSS pixels, towards the user for a negative deltaY.
    wheel(x, y, deltaY, deltaX = 0) {
      return send('Input.dispatchMouseEvent', {type: 'mouseWheel', x, y, deltaX, deltaY}, sessionId);
    },
    // Fingers on the touch screen: type touchStart, touchMove or touchEnd, points [[x, y]...].
    touch(type, points) {
      const touchPoints = points.map(([x, y], id) => ({x, y, id}));
      return send('Input.dispatchTouchEvent', {type, touchPoints}, sessionId);
    },
    // A key pressed and let go: key as KeyboardEvent.key names it, code its virtual key code.
    async key(key, code) {
      const text = key.length === 1 ? key : undefined;
      await send('Input.dispatchKeyEvent', {type: 'keyDown', key, text, windowsVirtualKeyCode: code}, sessionId);
      await send('Input.dispatchKeyEvent', {type: 'keyUp', key, windowsVirtualKeyCode: code}, sessionId);
    },
    // Moves the window to screen 0 (a page of width x height CSS pixels at a ratio of 1) or 1
    // (the window's own page, 800 x 570 CSS pixels at least, or size [width, height], at the
    // second screen's ratio).
    async toScreen(n, size) {
      const {windowId} = await send('Browser.getWindowForTarget', {targetId});
      if (n) await send('Emulation.clearDeviceMetricsOverride', {}, sessionId);
      const bounds = {left: n * kScreen[0] + 10, top: 10};
      if (size) [bounds.width, bounds.height] = size;
      await send('Browser.setWindowBounds', {windowId, bounds});
      if (!n) await send('Emulation.setDeviceMetricsOverride', metrics, sessionId);
    },
    // The page's web app manifest: {url, data (its text), errors}.
    manifest() {
      return send('Page.getAppManifest', {}, sessionId);
    },
    async screenshot() {
      const r = await send('Page.captureScreenshot', {format: 'png'}, sessionId);
      return Buffer.from(r.data, 'base64');
    },
    // Closes the browser the way it closes itself, so that its helpers are gone with it before
    // its profile is removed.
    async close() {
      const exited = new Promise((resolve) => child.once('exit', resolve));
      send('Browser.close').catch(() => child.kill());
      await exited;
      for (let tries = 0; ; ++tries) {
        try {
          fs.rmSync(profile, {recursive: true, force: true});
          return;
        } catch (e) {
          if (tries === 20) throw e;
          await new Promise((resolve) => setTimeout(resolve, 100));
        }
      }
    },
  };
}

module.exports = {findChromium, serve, openPage};

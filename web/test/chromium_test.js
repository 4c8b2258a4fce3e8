// Headless Chromium shows a page of <lanterna-slide> elements served from 127.0.0.1; its
// screenshot must hold lanterna-cli's pictures pixel for pixel, each element where the page puts
// it (a left/top style and a size), with no border or padding.
// Usage: node chromium_test.js SITE LANTERNA_CLI SAMPLES; exit 77 without the site or chromium.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const {spawnSync} = require('child_process');
const {findChromium, serve, openPage} = require('./browser.js');
const {check, finish} = require('./checks.js');
const {nameLibrary, manyLibrary} = require('./name_library.js');

// An 8-bit RGB or RGBA, non-interlaced PNG (what Chromium writes): {width, height, rgba}.
function readPng(file) {
  const data = fs.readFileSync(file);
  let at = 8, width, height, channels;
  const idat = [];
  while (at < data.length) {
    const length = data.readUInt32BE(at), type = data.toString('latin1', at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0 || (body[9] !== 2 && body[9] !== 6)) throw new Error('unexpected PNG');
      channels = body[9] === 6 ? 4 : 3;
    }
    if (type === 'IDAT') idat.push(body);
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels, rgba = Buffer.alloc(width * height * 4);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const row = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? row[x - channels] : 0, b = previous[x], c = x >= channels ? previous[x - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predictor = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      row[x] = (row[x] + predictor) & 255;
    }
    for (let x = 0; x < width; ++x)
      for (let k = 0; k < 4; ++k) rgba[(y * width + x) * 4 + k] = k < channels ? row[x * channels + k] : 255;
    previous = row;
  }
  return {width, height, rgba};
}

// lanterna-cli's picture of a slide at a size: {width, height, rgb}.
function cliPicture(cli, name, width, height, work, options = []) {
  const out = path.join(work, 'cli.ppm');
  spawnSync(cli, ['render', name, '-o', out, '--size', `${width}x${height}`, ...options]);
  const ppm = fs.readFileSync(out);
  const header = ppm.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  return {width: +header[1], height: +header[2], rgb: ppm.subarray(header[0].length)};
}

// The first pixel of the picture that the screenshot shows otherwise at (left, top), or ''.
function difference(screen, left, top, picture) {
  for (let y = 0; y < picture.height; ++y)
    for (let x = 0; x < picture.width; ++x) {
      const s = ((top + y) * screen.width + left + x) * 4, c = (y * picture.width + x) * 3;
      for (let k = 0; k < 3; ++k)
        if (screen.rgba[s + k] !== picture.rgb[c + k])
          return `pixel ${x},${y} is ${[...screen.rgba.subarray(s, s + 3)]}, lanterna-cli's ${[...picture.rgb.subarray(c, c + 3)]}`;
    }
  return '';
}


// Each element of the embedding page against lanterna-cli's picture of its slide.
function checkElements(screen, cli, samples, work) {
  const page = fs.readFileSync(path.join(__dirname, 'embed.html'), 'utf8');
  const element = /<lanterna-slide style="left:(\d+)(?:px)?;top:(\d+)(?:px)?" src="samples\/([^"]+)"(?: member="([^"]+)")? width="(\d+)" height="(\d+)">/g;
  for (const m of page.matchAll(element)) {
    const [left, top, file, member, width, height] = [+m[1], +m[2], m[3], m[4], +m[5], +m[6]];
    const name = path.join(samples, file) + (member ? `,${member}` : '');
    // A rendering slide's picture keeps a margin: it may be smaller than the element.
    let problem = difference(screen, left, top, cliPicture(cli, name, width, height, work));
    // Just below the element the page's own background shows.
    if (!problem && screen.rgba[((top + height) * screen.width + left) * 4] !== 0xcc) problem = 'taller than asked';
    check(`${name} ${width}x${height}`, problem);
  }
}

const kSettled = (list) => `(() => {
    const all = ${list};
    return all.length > 0 && all.every((e) => e.state === 'drawn' || e.state === 'failed');
  })()`;

// Each element of a page against lanterna-cli's picture at its size in device pixels.
async function checkDevicePixels(page, scale, cli, samples, work, label) {
  const boxes = await page.evaluate(`[...document.querySelectorAll('lanterna-slide.sized')].map((e) => {
      const r = e.getBoundingClientRect();
      return [r.left, r.top, r.width, r.height].map((v) => Math.round(v * ${scale}))
          .concat(e.getAttribute('src').replace('samples/', ''), e.member);
    })`);
  const screen = await screenshot(page, work);
  for (const [left, top, width, height, file, member] of boxes) {
    const name = path.join(samples, file) + (member ? `,${member}` : '');
    check(`${label} ${file} ${width}x${height}`,
        difference(screen, left, top, cliPicture(cli, name, width, height, work)));
  }
  return boxes;
}

async function screenshot(page, work) {
  const file = path.join(work, 'shot.png');
  fs.writeFileSync(file, await page.screenshot());
  return readPng(file);
}

// elements.html: CSS-sized, one side given, a change of device pixel ratio; then the element's
// failures, made on that page: none shows a picture, each fires error and says why in its box.
async function checkElementContract(page, root, cli, samples, work) {
  await page.navigate(`${root}/elements.html`);
  const statics = 'document.querySelectorAll("lanterna-slide")';
  if (!await page.until(kSettled(`[...${statics}]`), 60)) return check('elements.html', 'did not draw');
  const own = await page.evaluate(`${statics}[2].getBoundingClientRect().height`);
  check('element with a width only', own === 120 ? '' : `height ${own}, the slide's aspect gives 120`);
  const title = await page.evaluate(`${statics}[3].title + '|' +
      ${statics}[3].shadowRoot.querySelector('canvas').getAttribute('aria-label')`);
  check('element title kept', title === 'Colours|Colours' ? '' : title);
  // On a screen of ratio 1.25 every element is drawn again, at its size there.
  await page.toScreen(1);
  const again = await page.until(`[...${statics}].every((e) => e.dataset.loads >= 2)`, 30);
  if (again) await checkDevicePixels(page, 1.25, cli, samples, work, 'ratio 1.25');
  else check('ratio change', 'the elements were not drawn again');
  // The viewer's view there too.
  await page.navigate(`${root}/index.html?src=samples/spiral.sld`);
  if (await page.until('document.body.dataset.state === "drawn"', 30)) {
    // The view's edges in device pixels, each rounded as the browser snaps them.
    const [left, top, width, height] = await page.evaluate(`(() => {
        const r = document.getElementById('view').getBoundingClientRect();
        const [x, y] = [r.left, r.top].map((v) => Math.round(v * 1.25));
        return [x, y, Math.round(r.right * 1.25) - x, Math.round(r.bottom * 1.25) - y];
      })()`);
    check('viewer at ratio 1.25', difference(await screenshot(page, work), left, top,
        cliPicture(cli, path.join(samples, 'spiral.sld'), width, height, work)));
  } else {
    check('viewer at ratio 1.25', 'did not draw');
  }
  await page.navigate(`${root}/elements.html`);
  await page.toScreen(0);
  await page.until(kSettled(`[...${statics}]`), 30);

  // A good slide, then a bad src, beside one bad from the start: the same box, the same message.
  const port = new URL(root).port;
  const failures = await page.evaluate(`(async () => {
      const make = (attributes) => {
        const holder = document.createElement('div');
        holder.innerHTML = '<lanterna-slide ' + attributes + '></lanterna-slide>';
        const e = holder.firstChild;
        e.dataset.errors = 0;
        e.addEventListener('error', () => e.dataset.errors++);
        return document.body.appendChild(e);
      };
      const settled = (list) => new Promise((resolve) => {
        const poll = () => list.every((e) => e.state === 'drawn' || e.state === 'failed') ? resolve() : setTimeout(poll, 30);
        poll();
      });
      const swapped = make('style="left:0;top:400px" src="samples/floorplan.sld" width="120" height="90"');
      await settled([swapped]);
      swapped.src = 'missing.sld';
      await new Promise((resolve) => setTimeout(resolve, 0));
      const made = [swapped, make('style="left:130px;top:400px" src="missing.sld" width="120" height="90"'),
        make('style="left:0;top:600px"'), make('style="left:0;top:800px" src="http://localhost:${port}/samples/spiral.sld"'),
        make('style="left:0;top:5000px" src="lazy.sld" loading="lazy"')];
      await settled(made.slice(0, 4));
      await new Promise((resolve) => setTimeout(resolve, 100));
      return made.map((e) => {
        const note = e.shadowRoot.querySelector('div'), box = e.getBoundingClientRect();
        return {state: e.state, errors: +e.dataset.errors, text: note.hidden ? '' : note.textContent,
          inBox: note.getBoundingClientRect().top === box.top, size: box.width + 'x' + box.height};
      });
    })()`);
  const screen = await screenshot(page, work);
  const left = {width: 120, height: 90, rgb: Buffer.alloc(120 * 90 * 3)};
  for (let y = 0; y < 90; ++y)
    for (let x = 0; x < 120; ++x)
      screen.rgba.copy(left.rgb, (y * 120 + x) * 3, ((400 + y) * screen.width + 130 + x) * 4, ((400 + y) * screen.width + 130 + x) * 4 + 3);
  check('bad src after a good one', difference(screen, 0, 400, left));
  const expected = [['missing.sld: cannot open (HTTP 404)', '120x90'], ['missing.sld: cannot open (HTTP 404)', '120x90'],
    ['no slide', '300x150'], ['cross-origin', '300x150']];
  expected.forEach(([text, size], i) => {
    const f = failures[i];
    check(`element failure ${i + 1} (${text})`, f.state === 'failed' && f.errors === 1 && f.text.includes(text) &&
        f.inBox && f.size === size ? '' : JSON.stringify(f));
  });
  check('lazy element far away', failures[4].state === 'waiting' ? '' : failures[4].state);
  const lazy = await page.evaluate(`(async () => {
      const e = document.querySelector('[loading=lazy]');
      e.scrollIntoView();
      while (e.state !== 'failed') await new Promise((resolve) => setTimeout(resolve, 30));
      return e.state;
    })()`);
  check('lazy element near', lazy === 'failed' ? '' : lazy);

  // 50 members of one library: one fetch.
  const many = await page.evaluate(`(async () => {
      const all = [];
      for (let i = 1; i <= 50; ++i) {
        const e = document.createElement('lanterna-slide');
        Object.assign(e, {src: 'many.slb', member: 'M' + String(i).padStart(3, '0')});
        e.setAttribute('width', 40);
        e.setAttribute('height', 30);
        all.push(document.body.appendChild(e));
      }
      while (!all.every((e) => e.state === 'drawn' || e.state === 'failed')) await new Promise((r) => setTimeout(r, 30));
      return all.filter((e) => e.state === 'drawn').length;
    })()`);
  const fetched = page.server.requests.get('/many.slb');
  check('50 members of one library', many === 50 && fetched === 1 ? '' : `${many} drawn, ${fetched} fetches`);
}

// The script loaded as a module, its .wasm missing beside it (the page's folder has one).
async function checkMissingEngine(page, root, work) {
  fs.writeFileSync(path.join(work, 'nowasm.html'), '<!doctype html><script type="module" src="nowasm/lanterna-slide.js">' +
    '</script><lanterna-slide src="samples/floorplan.sld" onerror="this.dataset.fired = 1"></lanterna-slide>');
  await page.navigate(`${root}/nowasm.html`);
  await page.until('document.querySelector("lanterna-slide").state === "failed"', 30);
  const r = await page.evaluate(`(() => {
      const e = document.querySelector('lanterna-slide');
      return {fired: e.dataset.fired, text: e.shadowRoot.querySelector('div').textContent};
    })()`);
  check('missing .wasm', r.fired === '1' && r.text.includes('/nowasm/lanterna-slide.wasm: cannot load the engine')
      ? '' : JSON.stringify(r));
}

// A zoom step at a device pixel ratio of 2, drawn in many slices: the canvas keeps the previous
// picture, scaled, and is written once, by the whole new picture, which is lanterna-cli's at
// zoom 2 about the middle.
async function checkZoomStepAtRatio2(root, cli, name, work) {
  const page = await openPage('about:blank', 800, 520, {ratio: 2, size: [2400, 1800]});
  await page.toScreen(1, [1200, 1000]);
  await page.navigate(`${root}/index.html?src=${path.basename(name)}`);
  if (!await page.until('document.body.dataset.state === "drawn"', 60)) {
    await page.close();
    return check('zoom step at ratio 2', 'did not draw');
  }
  await page.evaluate(`(() => {
      const canvas = document.getElementById('canvas'), log = window.writes = [];
      window.slices = 0;
      // Slices of 1 ms: however fast the machine, the step spans many.
      const step = LanternaSlide.Engine.prototype.step;
      LanternaSlide.Engine.prototype.step = function (drawing, budget, options) {
        ++slices;
        return step.call(this, drawing, Math.min(budget, 1), {...options, long: 0});
      };
      for (const name of ['putImageData', 'clearRect', 'fillRect', 'drawImage']) {
        const f = CanvasRenderingContext2D.prototype[name];
        CanvasRenderingContext2D.prototype[name] = function (...a) {
          if (this.canvas === canvas) log.push(name + ' over ' + (canvas.style.transform || 'none'));
          return f.apply(this, a);
        };
      }
    })()`);
  await page.key('+', 107);
  const zoomed = await page.until(
      'document.getElementById("zoom").textContent === "2" && document.body.dataset.state === "drawn"', 60);
  const [left, top, width, height, writes, slices] = await page.evaluate(`(() => {
      const r = document.getElementById('view').getBoundingClientRect(), c = document.getElementById('canvas');
      return [r.left * 2, r.top * 2, c.width, c.height, writes.join(), slices];
    })()`);
  const whole = cliPicture(cli, name, width, height, work, ['--zoom', '2', '--pan', `${Math.round(width / 2)},${Math.round(height / 2)}`]);
  check('zoom step at ratio 2', !zoomed ? 'no zoom 2' : slices < 2 ? `drawn in ${slices} slice`
      : !/^putImageData over translate\([^)]*\) scale\(2\)$/.test(writes) ? `canvas written: ${writes}`
      : difference(await screenshot(page, work), Math.round(left), Math.round(top), whole));
  await page.close();
}

async function main() {
  const [site, cli, samples] = process.argv.slice(2);
  if (!fs.existsSync(path.join(site, 'lanterna-slide.js')) || !findChromium()) {
    console.log('skipped: needs the site (make web) and chromium');
    process.exit(77);
  }
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lanterna-browser-'));
  fs.writeFileSync(path.join(work, 'names.slb'), nameLibrary(samples).bytes);
  fs.writeFileSync(path.join(work, 'many.slb'), manyLibrary(samples, 50));
  // nowasm/ is the site without its .wasm.
  const route = (name) => name.startsWith('/nowasm/') ? (name.endsWith('.wasm') ? null : name.slice(7)) : name;
  const server = await serve([site, __dirname, path.dirname(path.resolve(samples)), work], route);
  const root = `http://127.0.0.1:${server.address().port}`;
  const page = await openPage(`${root}/embed.html`, 800, 520);
  // Every element has drawn or given up.
  const drawn = await page.until(`(() => {
      const all = [...document.querySelectorAll('lanterna-slide')];
      return all.length > 0 && all.every((e) => e.state === 'drawn' || e.state === 'failed');
    })()`, 60);
  const shot = path.join(work, 'shot.png');
  fs.writeFileSync(shot, await page.screenshot());
  if (process.env.LANTERNA_SHOT) fs.copyFileSync(shot, process.env.LANTERNA_SHOT);
  if (drawn) checkElements(readPng(shot), cli, samples, work);
  else check('embed.html', 'the elements did not finish drawing');

  // A member named in the code page of names="...": the same picture as its slide alone.
  const named = await page.evaluate(`(async () => {
      const made = ['src="names.slb" names="big5" member="西班牙屋面"', 'src="samples/floorplan.sld"'].map((a) => {
        const e = document.createElement('div');
        e.innerHTML = '<lanterna-slide ' + a + ' width="120" height="90"></lanterna-slide>';
        return document.body.appendChild(e.firstChild);
      });
      while (!made.every((e) => e.state === 'drawn' || e.state === 'failed'))
        await new Promise((resolve) => setTimeout(resolve, 50));
      const pixels = made.map((e) => e.shadowRoot.querySelector('canvas').getContext('2d').getImageData(0, 0, 120, 90).data.join());
      return made[0].state + (pixels[0] === pixels[1] ? '' : ', another picture');
    })()`);
  check('element names="big5"', named === 'drawn' ? '' : named);
  page.server = server;
  await checkElementContract(page, root, cli, samples, work);
  await checkMissingEngine(page, root, work);
  // The viewer opened as a file, which may not fetch: the engine comes from a script.
  await page.navigate(`file://${path.resolve(site)}/index.html`);
  await page.until('typeof LanternaSlide === "object"', 30);
  const local = await page.evaluate('LanternaSlide.engine().then(() => "", (e) => e.message)');
  check('viewer from file://', local);

  // The viewer page by ?src=: its view at zoom 1 is lanterna-cli's picture at the view's size.
  // The report beside the view comes after the first picture and narrows the view, which is
  // then drawn again at its new size: the view is looked at once drawn at its size.
  await page.navigate(`${root}/index.html?src=samples/floorplan.sld`);
  if (await page.until(`(() => {
      const r = document.getElementById('view').getBoundingClientRect();
      return document.body.dataset.state === 'drawn' && document.getElementById('report').rows.length > 0 &&
          canvas.width === r.width && canvas.height === r.height;
    })()`, 60)) {
    const view = await page.evaluate(`(() => {
        const r = document.getElementById('view').getBoundingClientRect();
        return [r.left, r.top, r.width, r.height].map(Math.round);
      })()`);
    fs.writeFileSync(shot, await page.screenshot());
    const picture = cliPicture(cli, path.join(samples, 'floorplan.sld'), view[2], view[3], work);
    check('viewer page', difference(readPng(shot), view[0], view[1], picture));

    // A wheel turn towards the user zooms in about the pointer: lanterna-cli's picture at
    // zoom 2, panned by the pointer's place in the view.
    const at = await page.evaluate(`(() => {
        const r = document.getElementById('view').getBoundingClientRect();
        return [r.left, r.top];
      })()`);
    const [x, y] = [view[0] + Math.round(view[2] / 3), view[1] + Math.round(view[3] / 4)];
    await page.wheel(x, y, -120);
    const zoomed = await page.until(
        'document.getElementById("zoom").textContent === "2" && document.body.dataset.state === "drawn"', 60);
    fs.writeFileSync(shot, await page.screenshot());
    const pan = `${Math.round(x - at[0])},${Math.round(y - at[1])}`;
    const atTwo = cliPicture(cli, path.join(samples, 'floorplan.sld'), view[2], view[3], work,
        ['--zoom', '2', '--pan', pan]);
    check('viewer wheel zoom', zoomed ? difference(readPng(shot), view[0], view[1], atTwo) : 'no zoom 2');

    // A file dropped on the view opens, at zoom 1 again.
    await page.evaluate(`(async () => {
        const bytes = await (await fetch('samples/colours.sld')).arrayBuffer();
        const files = new DataTransfer();
        files.items.add(new File([bytes], 'colours.sld'));
        document.body.dataset.state = '';
        document.getElementById('view').dispatchEvent(
            new DragEvent('drop', {dataTransfer: files, bubbles: true, cancelable: true}));
      })()`);
    const dropped = await page.until('document.body.dataset.state === "drawn"', 60);
    fs.writeFileSync(shot, await page.screenshot());
    const colours = cliPicture(cli, path.join(samples, 'colours.sld'), view[2], view[3], work);
    check('viewer drop', dropped ? difference(readPng(shot), view[0], view[1], colours) : 'did not draw');

    // Tab reaches Open; + zooms about the middle and an arrow pans by a tenth of the view.
    await page.key('Tab', 9);
    const focused = await page.evaluate('document.activeElement.id');
    check('viewer Tab reaches Open', focused === 'open' ? '' : focused);
    await page.key('+', 107);
    await page.key('ArrowRight', 39);
    const keyed = await page.until(
        'document.getElementById("zoom").textContent === "2" && document.body.dataset.state === "drawn"', 60);
    const [w, h] = [view[2], view[3]];
    const keyPan = `${Math.round(w / 2) + Math.round(w / 10)},${Math.round(h / 2)}`;
    const keyView = cliPicture(cli, path.join(samples, 'colours.sld'), w, h, work, ['--zoom', '2', '--pan', keyPan]);
    check('viewer keys zoom and pan', keyed ? difference(await screenshot(page, work), view[0], view[1], keyView) : 'no zoom 2');
    // A trackpad's burst of small movements zooms by their sum; a sideways wheel not at all.
    await page.key('+', 107);
    for (let i = 0; i < 8; ++i) await page.wheel(x, y, -10);
    await page.wheel(x, y, 0, -300);
    const burst = await page.evaluate('document.getElementById("zoom").textContent');
    check('viewer trackpad burst', burst === '4' ? '' : `zoom ${burst} after 8 wheel events of 10 from 3`);
    // Two fingers spread to three times their distance: zoom 1 to 3.
    await page.key('Home', 36);
    await page.touch('touchStart', [[x - 50, y], [x + 50, y]]);
    for (const d of [100, 200, 300]) await page.touch('touchMove', [[x - d / 2, y], [x + d / 2, y]]);
    await page.touch('touchEnd', []);
    const pinched = await page.evaluate('document.getElementById("zoom").textContent');
    check('viewer pinch', pinched === '3' ? '' : `zoom ${pinched}`);

    // The manifest's file handlers, and a file the system hands over.
    const manifest = await page.manifest();
    let handled = '';
    try {
      handled = JSON.parse(manifest.data).file_handlers.flatMap((f) => Object.values(f.accept).flat()).sort().join();
    } catch (e) {
      handled = String(e);
    }
    check('manifest file handlers', !manifest.errors.length && handled === '.rnd,.slb,.sld'
        ? '' : `${handled} ${JSON.stringify(manifest.errors)}`);
    await page.evaluate(`(async () => {
        const bytes = await (await fetch('samples/spiral.sld')).arrayBuffer();
        document.body.dataset.state = '';
        LanternaViewer.launch({files: [{getFile: async () => new File([bytes], 'spiral.sld')}]});
      })()`);
    const launched = await page.until(
        'document.body.dataset.state === "drawn" && document.getElementById("title").textContent === "spiral.sld"', 30);
    check('viewer opens a launched file', launched ? '' : 'not drawn');
    // PNG asked for as a zoom begins to draw: the picture at that zoom, once drawn.
    const saved = await page.evaluate(`(async () => {
        const blob = new Promise((resolve) => {
          const click = HTMLAnchorElement.prototype.click;
          HTMLAnchorElement.prototype.click = function () {
            HTMLAnchorElement.prototype.click = click;
            fetch(this.href).then((r) => r.blob()).then(resolve);
          };
        });
        document.getElementById('zoom-in').click();
        document.getElementById('png').click();
        const bitmap = await createImageBitmap(await blob);
        const copy = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
        copy.drawImage(bitmap, 0, 0);
        const a = copy.getImageData(0, 0, bitmap.width, bitmap.height).data;
        const b = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        return document.body.dataset.state + (a.length === b.length && a.every((v, i) => v === b[i]) ? '' : ', another picture');
      })()`);
    check('viewer PNG once drawn', saved === 'drawn' ? '' : saved);
  } else {
    check('viewer page', 'did not draw');
  }
  // A library's grid in the code page of ?names=, and a member opened from it.
  await page.navigate(`${root}/index.html?src=names.slb&names=big5`);
  const grid = 'document.querySelectorAll("figcaption")';
  await page.until(`${grid}.length === 7`, 60);
  const captions = await page.evaluate(`[...${grid}].map((c) => c.textContent).join()`);
  check('viewer names', captions.startsWith('PLAN,西班牙屋面,地,再,') ? '' : captions);
  await page.evaluate(`${grid}[3].click()`);
  const opened = await page.until('document.body.dataset.state === "drawn"', 60);
  const title = await page.evaluate(`document.getElementById('title').textContent`);
  check('viewer names open', opened && title === 'names.slb,再' ? '' : `${title} ${opened ? '' : 'not drawn'}`);
  const address = await page.evaluate('document.title + " " + decodeURIComponent(location.search)');
  check('viewer title and address', address === 'names.slb,再 – Lanterna ?src=names.slb&member=再&names=big5' ? '' : address);
  await page.evaluate('history.back()');
  const back = await page.until('!document.getElementById("grid").hidden && document.getElementById("canvas").hidden', 30);
  check('viewer back to the library', back ? '' : 'still on the member');

  // A file that is no slide: lanterna-cli's message, and the page goes on.
  await page.navigate(`${root}/index.html?src=embed.html`);
  await page.until('document.body.dataset.state === "failed"', 60);
  const message = await page.evaluate(`document.getElementById('message').textContent`);
  check('viewer page message', message === 'embed.html: not a slide' ? '' : `"${message}"`);

  // The benchmark's slide of 200,000 vectors, from make-samples beside lanterna-cli.
  const big = path.join(work, 'big.sld');
  spawnSync(path.join(path.dirname(cli), 'make-samples'), ['--bench', big]);
  if (fs.existsSync(big)) await checkZoomStepAtRatio2(root.replace(/\/$/, ''), cli, big, work);
  else check('zoom step at ratio 2', 'make-samples --bench wrote nothing');

  // Offline: the service worker has kept the site and the slides it fetched.
  await page.evaluate('navigator.serviceWorker.ready.then(() => true)');
  await page.navigate(`${root}/index.html?src=samples/floorplan.sld`);
  await page.until('document.body.dataset.state === "drawn" && !!navigator.serviceWorker.controller', 30);
  server.close();
  server.closeAllConnections();
  await page.navigate(`${root}/index.html?src=samples/floorplan.sld`);
  check('viewer offline', await page.until('document.body.dataset.state === "drawn"', 30) ? '' : 'did not draw');

  await page.close();
  fs.rmSync(work, {recursive: true, force: true});
  finish();
}
main();

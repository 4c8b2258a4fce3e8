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

// The screenshot's rectangles against lanterna-cli's pictures: the number that differ.
function compare(screen, page, cli, samples, work) {
  const element = /<lanterna-slide style="left:(\d+)(?:px)?;top:(\d+)(?:px)?" src="samples\/([^"]+)"(?: member="([^"]+)")? width="(\d+)" height="(\d+)">/g;
  let passed = 0, failed = 0;
  for (const m of fs.readFileSync(page, 'utf8').matchAll(element)) {
    const [left, top, file, member, width, height] = [+m[1], +m[2], m[3], m[4], +m[5], +m[6]];
    const out = path.join(work, 'cli.ppm');
    const name = path.join(samples, file) + (member ? `,${member}` : '');
    spawnSync(cli, ['render', name, '-o', out, '--size', `${width}x${height}`]);
    const ppm = fs.readFileSync(out);
    const header = ppm.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
    const rgb = ppm.subarray(header[0].length);
    const [w, h] = [+header[1], +header[2]];  // a rendering slide keeps a margin
    let problem = '';
    for (let y = 0; y < h && !problem; ++y)
      for (let x = 0; x < w && !problem; ++x) {
        const s = ((top + y) * screen.width + left + x) * 4, c = (y * w + x) * 3;
        if (screen.rgba[s] !== rgb[c] || screen.rgba[s + 1] !== rgb[c + 1] || screen.rgba[s + 2] !== rgb[c + 2])
          problem = `pixel ${x},${y} is ${[...screen.rgba.subarray(s, s + 3)]}, lanterna-cli's ${[...rgb.subarray(c, c + 3)]}`;
      }
    // Just below the element the page's own background shows.
    if (!problem && screen.rgba[((top + height) * screen.width + left) * 4] !== 0xcc) problem = 'the element is taller than asked';
    if (problem) {
      ++failed;
      console.log(`FAIL ${name} ${width}x${height}: ${problem}`);
    } else {
      ++passed;
    }
  }
  return {passed, failed};
}

async function main() {
  const [site, cli, samples] = process.argv.slice(2);
  if (!fs.existsSync(path.join(site, 'lanterna-slide.js')) || !findChromium()) {
    console.log('skipped: needs the site (make web) and chromium');
    process.exit(77);
  }
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lanterna-browser-'));
  const server = await serve([site, __dirname, path.dirname(path.resolve(samples))]);
  const page = await openPage(`http://127.0.0.1:${server.address().port}/embed.html`, 800, 520);
  // Every element has drawn or given up.
  const done = await page.until(`(() => {
      const all = [...document.querySelectorAll('lanterna-slide')];
      return all.length > 0 && all.every((e) => e.state === 'drawn' || e.state === 'failed');
    })()`, 60);
  const shot = path.join(work, 'shot.png');
  fs.writeFileSync(shot, await page.screenshot());
  await page.close();
  server.close();
  if (process.env.LANTERNA_SHOT) fs.copyFileSync(shot, process.env.LANTERNA_SHOT);
  const {passed, failed} = done ? compare(readPng(shot), path.join(__dirname, 'embed.html'), cli, samples, work)
                                : {passed: 0, failed: 1};
  if (!done) console.log('FAIL the page did not finish drawing');
  fs.rmSync(work, {recursive: true, force: true});
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed || !passed ? 1 : 0);
}
main();

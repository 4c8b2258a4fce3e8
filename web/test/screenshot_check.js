// Compares rectangles of a browser screenshot (PNG) with lanterna-cli's pictures of the same
// slides. Usage: node screenshot_check.js SHOT.png LANTERNA_CLI SAMPLES PAGE.html
// Each <lanterna-slide> of the page with a left/top style and a size is one rectangle.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const {spawnSync} = require('child_process');

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

const [shot, cli, samples, page] = process.argv.slice(2);
const screen = readPng(shot);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lanterna-shot-'));
const html = fs.readFileSync(page, 'utf8');
const element = /<lanterna-slide style="left:(\d+)(?:px)?;top:(\d+)(?:px)?" src="samples\/([^"]+)"(?: member="([^"]+)")? width="(\d+)" height="(\d+)">/g;
let passed = 0, failed = 0;
for (const m of html.matchAll(element)) {
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
  // Just outside the picture the page's own background shows: no border, no padding.
  const outside = ((top + height) * screen.width + left) * 4;
  if (!problem && screen.rgba[outside] !== 0xcc) problem = 'the element is taller than its picture';
  if (problem) {
    ++failed;
    console.log(`FAIL ${name} ${width}x${height}: ${problem}`);
  } else {
    ++passed;
  }
}
fs.rmSync(work, {recursive: true, force: true});
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed || !passed ? 1 : 0);

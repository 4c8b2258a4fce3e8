// Writes the web app's PNG icons (the installers want pixels, not only the SVG): icon.svg's
// picture, a slide with a red line drawing on a dark blue square, drawn at each size.
// Usage: node make_icons.js OUT_DIR SIZE...
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

const crcTable = Array.from({length: 256}, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 255] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}
function chunk(type, body) {
  const out = Buffer.alloc(12 + body.length);
  out.writeUInt32BE(body.length, 0);
  out.write(type, 4, 'latin1');
  body.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + body.length)), 8 + body.length);
  return out;
}
function png(size, rgba) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(size, 0);
  header.writeUInt32BE(size, 4);
  header.set([8, 6, 0, 0, 0], 8);
  const rows = Buffer.alloc(size * (size * 4 + 1));
  for (let y = 0; y < size; ++y) rgba.copy(rows, y * (size * 4 + 1) + 1, y * size * 4, (y + 1) * size * 4);
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(rows, {level: 9})), chunk('IEND', Buffer.alloc(0))]);
}

// The colour at (x, y) of the 64-unit picture, null outside the rounded square.
const line = [[16, 44], [30, 22], [38, 34], [44, 26], [50, 44], [16, 44]];
function distanceToSegment(x, y, [ax, ay], [bx, by]) {
  const dx = bx - ax, dy = by - ay;
  const t = Math.max(0, Math.min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)));
  return Math.hypot(x - ax - t * dx, y - ay - t * dy);
}
function colour(x, y) {
  const cx = Math.max(12, Math.min(52, x)), cy = Math.max(12, Math.min(52, y));
  if (Math.hypot(x - cx, y - cy) > 12) return null;
  for (let i = 1; i < line.length; ++i) if (distanceToSegment(x, y, line[i - 1], line[i]) <= 1.5) return [0xe6, 0x39, 0x46];
  if (x >= 10 && x <= 54 && y >= 14 && y <= 50) return [255, 255, 255];
  return [0x1d, 0x35, 0x57];
}

function icon(size) {
  const rgba = Buffer.alloc(size * size * 4), n = 4;  // n x n samples a pixel
  for (let y = 0; y < size; ++y)
    for (let x = 0; x < size; ++x) {
      const sum = [0, 0, 0, 0];
      for (let j = 0; j < n; ++j)
        for (let i = 0; i < n; ++i) {
          const c = colour((x + (i + 0.5) / n) * 64 / size, (y + (j + 0.5) / n) * 64 / size);
          if (!c) continue;
          for (let k = 0; k < 3; ++k) sum[k] += c[k];
          ++sum[3];
        }
      const at = (y * size + x) * 4;
      for (let k = 0; k < 3; ++k) rgba[at + k] = sum[3] ? Math.round(sum[k] / sum[3]) : 0;
      rgba[at + 3] = Math.round(255 * sum[3] / (n * n));
    }
  return png(size, rgba);
}

const [out, ...sizes] = process.argv.slice(2);
for (const size of sizes) fs.writeFileSync(path.join(out, `icon-${size}.png`), icon(Number(size)));

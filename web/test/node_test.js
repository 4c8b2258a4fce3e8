// The engine in WebAssembly against lanterna-cli: the same pixels for the demo slides and some
// real ones, whole or drawn in slices, and the same messages for files that cannot be drawn.
// Usage: node node_test.js SITE LANTERNA_CLI SAMPLES [CORPUS]; exit 77 when SITE is not built.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {execFileSync, spawnSync} = require('child_process');
const {check, finish} = require('./checks.js');
const {nameLibrary} = require('./name_library.js');

const [site, cli, samples, corpus] = process.argv.slice(2);
const script = path.join(site || '', 'lanterna-slide.js');
if (!fs.existsSync(script)) {
  console.log(`skipped: ${script} is not built (make web)`);
  process.exit(77);
}
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lanterna-web-'));
process.on('exit', () => fs.rmSync(work, {recursive: true, force: true}));

// lanterna-cli render to PPM: {width, height, rgb} and its message line.
function cliRender(file, member, width, height) {
  const out = path.join(work, 'cli.ppm');
  fs.rmSync(out, {force: true});
  const name = member ? `${file},${member}` : file;
  const r = spawnSync(cli, ['render', name, '-o', out, '--size', `${width}x${height}`]);
  const message = r.stderr.toString().trim().split('\n').pop().replace(/^lanterna-cli: /, '');
  if (!fs.existsSync(out)) return {picture: null, message};
  const data = fs.readFileSync(out);
  const header = data.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  const [w, h] = [Number(header[1]), Number(header[2])];
  return {picture: {width: w, height: h, rgb: data.subarray(header[0].length)}, message};
}

// The first pixel that differs, or '' when the pictures are equal.
function difference(expected, picture) {
  if (!picture) return 'no picture';
  if (picture.width !== expected.width || picture.height !== expected.height)
    return `size ${picture.width}x${picture.height}, expected ${expected.width}x${expected.height}`;
  for (let i = 0, j = 0; i < expected.rgb.length; i += 3, j += 4)
    for (let c = 0; c < 3; ++c)
      if (expected.rgb[i + c] !== picture.data[j + c] || picture.data[j + 3] !== 255)
        return `pixel ${(i / 3) % picture.width},${Math.floor(i / 3 / picture.width)} differs`;
  return '';
}

function sliced(eng, id, member, shown, width, height) {
  const {drawing, message} = eng.begin(id, member, shown, width, height);
  if (!drawing) return {picture: null, message};
  let r, slices = 0;
  do {
    r = eng.step(drawing, 0);  // a budget of 0 stops at every input check
    ++slices;
  } while (r.more);
  eng.end(drawing);
  return {picture: r.picture, message: r.message, slices};
}


// Every demo slide and library member, and a few real slides, at two sizes.
function cases(api, eng) {
  const list = [];
  const add = (file, limit) => {
    const bytes = fs.readFileSync(file);
    const id = eng.open(bytes);
    const members = eng.kind(id) === 2 ? eng.members(id, file).names.slice(0, limit).map((n) => api.decodeName(n)) : [''];
    for (const member of members) list.push({file, member});
    eng.close(id);
  };
  for (const f of fs.readdirSync(samples).sort()) add(path.join(samples, f), 99);
  if (corpus && fs.existsSync(corpus)) {
    const real = fs.readdirSync(corpus).filter((f) => /\.(sld|slb|rnd)$/i.test(f)).sort();
    const pick = ['sld', 'slb', 'rnd'].flatMap((k) => real.filter((f) => f.toLowerCase().endsWith(k)).slice(0, 3));
    for (const f of pick) add(path.join(corpus, f), 2);
  }
  return list;
}

async function main() {
  const api = require(path.resolve(script));
  const eng = await api.engine();

  for (const {file, member} of cases(api, eng)) {
    const bytes = fs.readFileSync(file);
    for (const [w, h] of [[320, 240], [123, 301]]) {
      const name = `${path.basename(file)}${member ? ',' + member : ''} ${w}x${h}`;
      const expected = cliRender(file, member, w, h);
      const id = eng.open(bytes);
      const whole = eng.draw(id, member, file, w, h);
      check(name, expected.picture ? difference(expected.picture, whole.picture) : 'lanterna-cli drew nothing');
      if (w === 320) {
        const s = sliced(eng, id, member, file, w, h);
        check(`${name} in ${s.slices} slices`, difference(expected.picture, s.picture));
      }
      eng.close(id);
    }
  }

  // Files that cannot be drawn: the same message as lanterna-cli's, and the engine goes on.
  const floorplan = fs.readFileSync(path.join(samples, 'floorplan.sld'));
  const bad = [
    ['empty.sld', Buffer.alloc(0), ''],
    ['short.sld', floorplan.subarray(0, Math.floor(floorplan.length / 2)), ''],
    ['header.sld', floorplan.subarray(0, 20), ''],
    ['text.sld', Buffer.from('no slide here\n'.repeat(20)), ''],
    ['shapes.slb', fs.readFileSync(path.join(samples, 'shapes.slb')), 'NOSUCH'],
    ['shapes.slb', fs.readFileSync(path.join(samples, 'shapes.slb')), ''],
  ];
  for (const [file, bytes, member] of bad) {
    const full = path.join(work, file);
    fs.writeFileSync(full, bytes);
    const expected = cliRender(full, member, 200, 150);
    const id = eng.open(bytes);
    for (const r of [eng.draw(id, member, full, 200, 150), sliced(eng, id, member, full, 200, 150)]) {
      check(`${file}${member ? ',' + member : ''} message`, r.message === expected.message ? '' : `"${r.message}", expected "${expected.message}"`);
      check(`${file} picture`, expected.picture ? difference(expected.picture, r.picture) : r.picture ? 'a picture' : '');
    }
    eng.close(id);
  }

  // The report, SVG and DXF are lanterna-cli's.
  const spiral = path.join(samples, 'spiral.sld');
  const id = eng.open(fs.readFileSync(spiral));
  check('info', eng.report(id, '', spiral) === execFileSync(cli, ['info', spiral]).toString() ? '' : 'differs');
  execFileSync(cli, ['render', spiral, '-o', path.join(work, 'a.svg')]);
  check('svg', eng.svg(id, '', spiral).text === fs.readFileSync(path.join(work, 'a.svg'), 'utf8') ? '' : 'differs');
  execFileSync(cli, ['dxf', spiral, path.join(work, 'a.dxf')]);
  check('dxf', eng.dxf(id, '', spiral).text === fs.readFileSync(path.join(work, 'a.dxf'), 'utf8') ? '' : 'differs');

  checkNames(api, eng);
  checkLongSlice(eng);
  checkMemoryKept(eng);
  finish();
}

// Big pictures drawn again and again take no more of the module's memory than the first ones.
function checkMemoryKept(eng) {
  const file = path.join(samples, 'spiral.sld');
  const id = eng.open(fs.readFileSync(file));
  const heap = () => eng.m.HEAPU8.buffer.byteLength;
  let first = 0;
  for (let i = 0; i < 6; ++i) {
    eng.draw(id, '', file, 1600, 1200);
    if (i === 1) first = heap();
  }
  eng.close(id);
  check('memory kept across drawings', heap() === first ? '' : `${first} bytes grew to ${heap()}`);
}

// A slice goes on past its budget while the browser says no input waits, and stops at the
// budget once it says some does; with partial false only the whole picture comes out.
function checkLongSlice(eng) {
  const file = path.join(samples, 'spiral.sld');  // two slices at a budget of 0
  const expected = cliRender(file, '', 320, 240);
  const id = eng.open(fs.readFileSync(file));
  for (const pending of [false, true]) {
    Object.defineProperty(globalThis, 'navigator', {value: {scheduling: {isInputPending: () => pending}},
      configurable: true, writable: true});
    const {drawing} = eng.begin(id, '', file, 320, 240);
    const r = eng.step(drawing, 0, {long: 60000, partial: false});
    eng.end(drawing);
    delete globalThis.navigator;
    const problem = pending ? (r.more && !r.picture ? '' : `more ${r.more}, picture ${!!r.picture}`)
                            : r.more ? 'stopped' : difference(expected.picture, r.picture);
    check(`long slice, input ${pending ? '' : 'not '}waiting`, problem);
  }
  eng.close(id);
}

// Member names in code pages: listed byte for byte, decoded as asked, each opening its own slide.
function checkNames(api, eng) {
  const file = path.join(work, 'names.slb');
  const library = nameLibrary(samples);
  const id = eng.open(library.bytes);
  const {names} = eng.members(id, file);
  const listed = names.map((n) => Buffer.from(n).toString('hex')).join(' ');
  const stored = library.members.map((m) => m.name.toString('hex')).join(' ');
  check('names listed as stored', listed === stored ? '' : `${listed}, expected ${stored}`);
  const shown = library.members.flatMap((m, i) => Object.entries(m.text).map(([codePage, text]) => {
    const got = api.decodeName(names[i], codePage === 'auto' ? '' : codePage);
    return got === text ? '' : `${got} for ${text}`;
  })).filter((p) => p);
  check('names decoded', shown.join(', '));
  const fallbacks = [api.decodeName(Uint8Array.of(0x41, 0x81, 0x8d), ''), api.decodeName(Uint8Array.of(0xe7), 'no-such-code-page')];
  check('names undefined bytes and unknown code pages', fallbacks.join() === 'A\ufffd\ufffd,ç' ? '' : fallbacks.join());
  library.members.forEach((m, i) => {
    const alone = eng.open(m.data);
    const expected = eng.draw(alone, '', 'alone', 160, 120).picture;
    eng.close(alone);
    const got = eng.draw(id, names[i], file, 160, 120).picture;
    const problem = difference({width: 160, height: 120, rgb: Buffer.from(expected.data).filter((_, k) => k % 4 !== 3)}, got);
    check(`member ${m.name.toString('hex')} draws its slide`, problem);
  });
  const big5 = api.findMember(names, '西班牙屋面', 'big5'), plan = api.findMember(names, 'plan');
  check('names found as typed', big5 === names[1] && plan === names[0] ? '' : `${big5}, ${plan}`);
  const missing = eng.draw(id, '屋頂', file, 160, 120).message;
  check('names in messages', missing === `${file}: no member 屋頂 (or not enough memory)` ? '' : missing);
  eng.close(id);
}
main();

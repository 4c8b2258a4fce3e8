// A slide library whose member names are in several code pages, made from the demo slides: each
// member is one of them, so that its picture says which member was opened.
'use strict';
const fs = require('fs');
const path = require('path');

// A library's members as {name (bytes), data}, read from its directory.
function readLibrary(bytes) {
  const entries = [];
  for (let at = 32; at + 36 <= bytes.length; at += 36) {
    const offset = bytes.readUInt32LE(at + 32);
    if (!offset) break;
    const end = bytes.indexOf(0, at);
    entries.push({name: bytes.subarray(at, Math.min(end, at + 32)), offset});
  }
  const starts = entries.map((e) => e.offset).concat(bytes.length).sort((a, b) => a - b);
  return entries.map((e) => ({name: e.name, data: bytes.subarray(e.offset, starts[starts.indexOf(e.offset) + 1])}));
}

function writeLibrary(members) {
  const header = Buffer.alloc(32);
  header.write('AutoCAD Slide Library 1.0\r\n\x1a', 'latin1');
  const directory = Buffer.alloc(36 * (members.length + 1));
  let offset = header.length + directory.length;
  members.forEach((m, i) => {
    m.name.copy(directory, 36 * i);
    directory.writeUInt32LE(offset, 36 * i + 32);
    offset += m.data.length;
  });
  return Buffer.concat([header, directory, ...members.map((m) => m.data)]);
}

// {bytes, members: [{name, data, text: {big5?, auto?}}]}: the names with what they decode to.
function nameLibrary(samples) {
  const shapes = readLibrary(fs.readFileSync(path.join(samples, 'shapes.slb')));
  const slide = (file) => fs.readFileSync(path.join(samples, file));
  const data = (name) => shapes.find((m) => m.name.toString('latin1') === name).data;
  const hex = (h) => Buffer.from(h.replace(/ /g, ''), 'hex');
  const members = [
    {name: Buffer.from('PLAN'), data: data('PLAN'), text: {auto: 'PLAN'}},
    {name: hex('A6 E8 AF 5A A4 FA AB CE AD B1'), data: slide('floorplan.sld'), text: {big5: '西班牙屋面'}},
    // Two names whose second bytes differ in ASCII case only.
    {name: hex('A6 61'), data: slide('spiral.sld'), text: {big5: '地'}},
    {name: hex('A6 41'), data: data('TRIANGLE'), text: {big5: '再'}},
    {name: hex('C6 BD C3 E6 CD BC'), data: data('SQUARE'), text: {gbk: '平面图'}},
    {name: hex('46 61 E7 61 64 65'), data: data('HEXAGON'), text: {auto: 'Façade'}},
    {name: hex('54 C3 BC 72'), data: slide('colours.sld'), text: {auto: 'Tür'}},
  ];
  return {bytes: writeLibrary(members), members};
}

// A library of count members, M001, M002..., the demo slides over and over: bytes.
function manyLibrary(samples, count) {
  const shapes = readLibrary(fs.readFileSync(path.join(samples, 'shapes.slb')));
  const slides = ['floorplan.sld', 'spiral.sld', 'colours.sld'].map((f) => fs.readFileSync(path.join(samples, f)))
    .concat(shapes.map((m) => m.data));
  const members = Array.from({length: count}, (_, i) => ({
    name: Buffer.from(`M${String(i + 1).padStart(3, '0')}`), data: slides[i % slides.length]}));
  return writeLibrary(members);
}

module.exports = {nameLibrary, manyLibrary};

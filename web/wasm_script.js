// Writes lanterna-slide-wasm.js: the module's bytes as a script that sets LanternaWasm (base64),
// for pages opened from file://, which may load scripts but not fetch.
// Usage: node wasm_script.js IN.wasm OUT.js
'use strict';
const fs = require('fs');
const [input, output] = process.argv.slice(2);
const base64 = fs.readFileSync(input).toString('base64');
fs.writeFileSync(output, `globalThis.LanternaWasm = '${base64}';\n`);

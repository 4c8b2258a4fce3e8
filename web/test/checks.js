// The tests' tally: every check counted, each failure said as it comes (VERBOSE=1 says the
// passes too), and the process's exit status from them; a run that checked nothing fails.
'use strict';

let passed = 0, failed = 0;

function check(name, problem) {
  if (problem) {
    ++failed;
    console.log(`FAIL ${name}: ${problem}`);
  } else {
    ++passed;
    if (process.env.VERBOSE) console.log(`ok ${name}`);
  }
}

function finish() {
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed || !passed ? 1 : 0);
}

module.exports = {check, finish};

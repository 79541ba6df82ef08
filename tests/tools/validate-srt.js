#!/usr/bin/env node
// Checks SubRip files with the strict validator of package.json: prints one JSON object mapping
// each file named on the command line to the validator's complaints (an empty list when the
// file is valid). Exits 0 when it could check them all, whatever it found.
'use strict';
const fs = require('fs');
const srtValidator = require('srt-validator').default;

const report = {};
for (const file of process.argv.slice(2)) {
  const errors = srtValidator(fs.readFileSync(file, 'utf8'));
  report[file] = errors.map((error) => `line ${error.lineNumber}: ${error.message}`);
}
process.stdout.write(JSON.stringify(report));

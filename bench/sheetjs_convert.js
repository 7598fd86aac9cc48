// Opens an XLSX workbook with SheetJS and saves it again, for timing beside
// bench_xlsx --convert. The module comes from $MORVANE_SHEETJS (a path to
// the xlsx package) or else require('xlsx').
//
//   node sheetjs_convert.js IN.xlsx OUT.xlsx
//   node sheetjs_convert.js --time-write IN.xlsx OUT.xlsx [RUNS]
//       reads once, then times only the writes and prints each in ms,
//       then the median
'use strict';

const XLSX = require(process.env.MORVANE_SHEETJS || 'xlsx');

function usage() {
    console.error('usage: sheetjs_convert.js [--time-write] IN.xlsx OUT.xlsx [RUNS]');
    process.exit(2);
}

function timeWrites(input, output, runs) {
    const workbook = XLSX.readFile(input);
    const times = [];
    for (let i = 0; i < runs; ++i) {
        const start = process.hrtime.bigint();
        XLSX.writeFile(workbook, output);
        times.push(Number(process.hrtime.bigint() - start) / 1e6);
    }
    console.log('write ms: ' + times.map((t) => t.toFixed(1)).join(' '));
    const sorted = [...times].sort((a, b) => a - b);
    console.log('median ms: ' + sorted[Math.floor(sorted.length / 2)].toFixed(1));
}

const args = process.argv.slice(2);
if (args[0] === '--time-write') {
    if (args.length < 3)
        usage();
    timeWrites(args[1], args[2], Number(args[3] || 5));
} else {
    if (args.length !== 2)
        usage();
    XLSX.writeFile(XLSX.readFile(args[0]), args[1]);
}

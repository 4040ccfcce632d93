#!/usr/bin/env node
// Writes records/gb18030_table.inc: the code points of GBK's two-byte cells and
// the runs of GB18030's four-byte codes below U+10000, as the iconv-lite
// package decodes them, and the few private-use code points that Windows code
// page 936 writes into cells to which GB18030 gives a character since 2005.
// Code page 936 is read from Debian's Wine package (its copy of the Windows
// table, /usr/share/wine/nls/c_936.nls): every code point it maps must be
// written to the same bytes, so that text in GBK stays byte for byte what the
// program wrote through code page 936. The single byte 0x80 (the euro sign of
// code page 936) and the four-byte codes above U+FFFF are arithmetic and live
// in gb18030.cpp.
//
//   node scripts/gen/gb18030.js          rewrite the table
//   node scripts/gen/gb18030.js --check  exit 1 unless the table in the
//                                        source is what the library says
// The package is looked up in NODE_PATH (scripts/deps.sh installs it under
// build/tools/node_modules).
'use strict';
const fs = require('fs');
const path = require('path');

function loadLibrary() {
    try {
        return require('iconv-lite');
    } catch (e) {
        process.stderr.write('gb18030: the iconv-lite package is missing (run scripts/deps.sh)\n');
        process.exit(1);
    }
}

const BMP_FOUR_BYTE_CODES = 39420;   // 0x81308130 .. 0x8431A439

function fourBytes(linear) {
    const b4 = linear % 10, b3 = Math.floor(linear / 10) % 126;
    const b2 = Math.floor(linear / 1260) % 10, b1 = Math.floor(linear / 12600);
    return Buffer.from([0x81 + b1, 0x30 + b2, 0x81 + b3, 0x30 + b4]);
}

function tables(iconv) {
    const cells = [];
    for (let lead = 0x81; lead <= 0xFE; lead++) {
        for (let trail = 0x40; trail <= 0xFE; trail++) {
            if (trail === 0x7F)
                continue;
            const s = iconv.decode(Buffer.from([lead, trail]), 'gb18030');
            let cp = s.codePointAt(0);
            // iconv-lite reads A3A0 as a second U+3000 (as web browsers do);
            // code page 936 and GB18030-2005 give it U+E5E5, which otherwise
            // would have no code at all.
            if (lead === 0xA3 && trail === 0xA0 && cp === 0x3000)
                cp = 0xE5E5;
            if (s.length !== 1 || cp === 0xFFFD)
                throw new Error(`two-byte cell ${lead.toString(16)}${trail.toString(16)} has no code point`);
            cells.push(cp);
        }
    }
    // Runs of four-byte codes whose code points count up with them.
    const runs = [];
    let expect = -1;
    for (let linear = 0; linear < BMP_FOUR_BYTE_CODES; linear++) {
        const s = iconv.decode(fourBytes(linear), 'gb18030');
        const cp = s.codePointAt(0);
        if (s.length !== 1 || (cp === 0xFFFD && linear !== fffdIndex(iconv)))
            throw new Error(`four-byte code ${linear} has no code point`);
        if (cp !== expect)
            runs.push([linear, cp]);
        expect = cp + 1;
    }
    return { cells, runs, extras: codePage936Extras(cells) };
}

// The four-byte code of U+FFFD itself, so that its decoding is not taken for a failure.
let fffd = -1;
function fffdIndex(iconv) {
    if (fffd < 0) {
        const b = iconv.encode('\uFFFD', 'gb18030');
        fffd = ((((b[0] - 0x81) * 10 + (b[1] - 0x30)) * 126 + (b[2] - 0x81)) * 10) + (b[3] - 0x30);
    }
    return fffd;
}

// Code page 936 as Windows has it: the code point of every two-byte cell, 0
// where the table maps none.
const CODE_PAGE_936 = process.env.LOOM_CP936_NLS || '/usr/share/wine/nls/c_936.nls';
function codePage936() {
    let data;
    try {
        data = fs.readFileSync(CODE_PAGE_936);
    } catch (e) {
        process.stderr.write(`gb18030: ${CODE_PAGE_936} is missing (Debian's libwine package)\n`);
        process.exit(1);
    }
    const word = i => data.readUInt16LE(2 * i);
    if (word(0) !== 13 || word(1) !== 936 || word(2) !== 2)
        throw new Error('not the table of code page 936');
    const unknown = word(4);
    let i = 13 + 1 + 256;           // header, offset of the reverse table, single bytes
    i += 1 + (word(i) ? 256 : 0);   // glyph table
    i += 1;                         // the count of lead-byte tables
    const offsets = i;
    const cells = [];
    for (let lead = 0x81; lead <= 0xFE; lead++)
        for (let trail = 0x40; trail <= 0xFE; trail++) {
            if (trail === 0x7F)
                continue;
            const cp = word(offsets + word(offsets + lead) + trail);
            cells.push(cp === unknown ? 0 : cp);
        }
    return cells;
}

// The cells where code page 936 has a private-use code point and GB18030 a
// character: [code point, cell]. Any other disagreement stops the generator.
function codePage936Extras(cells) {
    const windows = codePage936();
    const extras = [];
    cells.forEach((cp, i) => {
        const w = windows[i];
        if (!w || w === cp)
            return;
        const cell = ((0x81 + Math.floor(i / 190)) << 8) | (0x40 + i % 190 + (i % 190 >= 0x3F ? 1 : 0));
        if (w < 0xE000 || w > 0xF8FF)
            throw new Error(`code page 936 reads ${cell.toString(16)} as ${w.toString(16)}, GB18030 as ${cp.toString(16)}`);
        extras.push([w, cell]);
    });
    return extras;
}

function hex(n) { return '0x' + n.toString(16).toUpperCase().padStart(4, '0'); }

function render(version, t) {
    let s = '// Generated by scripts/gen/gb18030.js from iconv-lite ' + version + '; do not edit.\n';
    s += '// GbkCells[(lead - 0x81) * 190 + trail - 0x40 - (trail > 0x7F)]: the code point of\n';
    s += '// every two-byte cell (lead 0x81..0xFE, trail 0x40..0xFE but 0x7F).\n';
    s += 'static const uint16_t GbkCells[126 * 190] = {\n';
    for (let i = 0; i < t.cells.length; i += 190) {
        const row = t.cells.slice(i, i + 190);
        for (let j = 0; j < row.length; j += 10)
            s += '    ' + row.slice(j, j + 10).map(hex).join(', ') + ',' + (j === 0 ? ' // ' + (0x81 + i / 190).toString(16).toUpperCase() : '') + '\n';
    }
    s += '};\n';
    s += '// Four-byte codes below U+10000: from FourByteRuns[i][0] (the code\'s index from\n';
    s += '// 0x81308130) the code points count up from FourByteRuns[i][1].\n';
    s += `#define FOUR_BYTE_RUNS ${t.runs.length}\n`;
    s += 'static const uint16_t FourByteRuns[FOUR_BYTE_RUNS][2] = {\n';
    for (let i = 0; i < t.runs.length; i += 6)
        s += '    ' + t.runs.slice(i, i + 6).map(r => `{${r[0]}, ${hex(r[1])}}`).join(', ') + ',\n';
    s += '};\n';
    s += '// Code page 936 writes these private-use code points into cells that now\n';
    s += '// read as GB18030\'s characters: {code point, lead << 8 | trail}.\n';
    s += `#define CODE_PAGE_936_EXTRAS ${t.extras.length}\n`;
    s += 'static const uint16_t CodePage936Extras[CODE_PAGE_936_EXTRAS][2] = {\n';
    for (let i = 0; i < t.extras.length; i += 6)
        s += '    ' + t.extras.slice(i, i + 6).map(r => `{${hex(r[0])}, ${hex(r[1])}}`).join(', ') + ',\n';
    s += '};\n';
    return s;
}

const iconv = loadLibrary();
const lib = require(path.join(path.dirname(require.resolve('iconv-lite')), '..', 'package.json'));
const target = path.join(__dirname, '..', '..', 'records', 'gb18030_table.inc');
const text = render(lib.version, tables(iconv));
if (process.argv.includes('--check')) {
    const have = fs.existsSync(target) ? fs.readFileSync(target, 'utf8') : '';
    if (have !== text) {
        process.stderr.write('gb18030: records/gb18030_table.inc differs from what iconv-lite gives\n');
        process.exit(1);
    }
    console.log('gb18030: the table matches iconv-lite');
} else {
    fs.writeFileSync(target, text);
    console.log('gb18030: wrote ' + target);
}

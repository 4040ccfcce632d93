#!/usr/bin/env node
// Writes calendar/offdays_table.inc: the State Council's days off (休, weekend
// days inside a holiday included) and make-up workdays (班) of 2004-2026.
//
// The facts come from the chinese-days package, whose arrangements are kept
// notice by notice with their sources, and are checked date by date against
// the chinese-workday package (2011-2026, kept independently). Where the two
// disagree the official notice decides: SETTLED below lists every such date
// with the notice, and a disagreement not listed there stops the generator.
//
//   node scripts/gen/offdays.js          rewrite the table
//   node scripts/gen/offdays.js --check  exit 1 unless the table in the source
//                                        is what the packages and SETTLED give
'use strict';
const fs = require('fs');
const path = require('path');

const FIRST = 2004, LAST = 2026;
const SECOND_FIRST = 2011;   // chinese-workday begins with 2011

// Short names for the cells and tips, by chinese-days' holiday keys.
const NAMES = {
    "New Year's Day": '元旦', 'Spring Festival': '春节', 'Tomb-sweeping Day': '清明节', 'Labour Day': '劳动节',
    'Dragon Boat Festival': '端午节', 'National Day': '国庆节', 'Mid-autumn Festival': '中秋节',
    'Anti-Fascist 70th Day': '抗战胜利纪念日',
};

// Dates on which the packages disagree, settled by the State Council's notice
// of the year: date -> [kind ('休', '班' or '' for an ordinary day), the
// holiday's name for a day chinese-days does not name, what the notice says].
const N = '与周末连休';
const SETTLED = {
    '2011-01-29': ['', '', '春节：1月30日（星期日）、2月12日（星期六）上班'],
    '2011-02-12': ['班', '', '春节：1月30日（星期日）、2月12日（星期六）上班'],
    '2011-04-02': ['班', '', '清明节：4月3日至5日放假调休，4月2日（星期六）上班'],
    '2011-06-05': ['休', '端午节', '端午节：6月4日至6日放假公休'],
    '2011-12-31': ['班', '', '2012年元旦：2011年12月31日（星期六）上班'],
    '2012-01-29': ['班', '', '春节：1月21日（星期六）、1月29日（星期日）上班'],
    '2012-03-31': ['班', '', '清明节：3月31日（星期六）、4月1日（星期日）上班'],
    '2012-04-01': ['班', '', '清明节：3月31日（星期六）、4月1日（星期日）上班'],
    '2012-04-28': ['班', '', '劳动节：4月28日（星期六）上班'],
    '2012-06-23': ['休', '端午节', '端午节：6月22日至24日放假公休'],
    '2012-09-30': ['休', '', '中秋节、国庆节：9月30日至10月7日放假调休'],
    '2012-10-08': ['', '', '中秋节、国庆节：9月30日至10月7日放假调休'],
    '2013-04-07': ['班', '', '清明节：4月7日（星期日）上班'],
    '2013-04-27': ['班', '', '劳动节：4月27日（星期六）、4月28日（星期日）上班'],
    '2013-04-28': ['班', '', '劳动节：4月27日（星期六）、4月28日（星期日）上班'],
    '2013-06-08': ['班', '', '端午节：6月8日（星期六）、6月9日（星期日）上班'],
    '2013-06-09': ['班', '', '端午节：6月8日（星期六）、6月9日（星期日）上班'],
    '2013-10-12': ['班', '', '国庆节：9月29日（星期日）、10月12日（星期六）上班'],
    '2013-12-29': ['', '', '2014年元旦：1月1日放假1天，不调休'],
    '2014-06-03': ['', '', '端午节：5月31日至6月2日放假'],
    '2014-06-04': ['', '', '端午节：5月31日至6月2日放假'],
    '2014-09-09': ['', '', '中秋节：9月6日至8日放假'],
    '2014-09-10': ['', '', '中秋节：9月6日至8日放假'],
    '2014-10-11': ['班', '', '国庆节：9月28日（星期日）、10月11日（星期六）上班'],
    '2015-04-04': ['休', '清明节', '清明节：4月5日放假，4月6日（星期一）补休；' + N],
    '2015-05-02': ['休', '劳动节', '劳动节：5月1日放假，' + N],
    '2015-05-03': ['休', '劳动节', '劳动节：5月1日放假，' + N],
    '2015-06-21': ['休', '端午节', '端午节：6月20日放假，6月22日（星期一）补休'],
    '2015-09-26': ['休', '中秋节', '中秋节：9月27日放假；' + N],
    '2016-01-02': ['休', '元旦', '元旦：1月1日放假，' + N],
    '2016-01-03': ['休', '元旦', '元旦：1月1日放假，' + N],
    '2016-04-02': ['休', '清明节', '清明节：4月4日放假，' + N],
    '2016-04-03': ['休', '清明节', '清明节：4月4日放假，' + N],
    '2016-04-30': ['休', '劳动节', '劳动节：5月1日放假，5月2日（星期一）补休；' + N],
    '2017-04-29': ['休', '劳动节', '劳动节：5月1日放假，' + N],
    '2017-04-30': ['休', '劳动节', '劳动节：5月1日放假，' + N],
    '2018-01-01': ['休', '', '元旦：1月1日放假，' + N],
    '2021-01-02': ['休', '', '元旦：1月1日至3日放假，共3天'],
    '2021-01-03': ['休', '', '元旦：1月1日至3日放假，共3天'],
    '2023-01-03': ['', '', '元旦：2022年12月31日至2023年1月2日放假调休'],
    '2015-09-03': ['休', '', '抗战胜利70周年纪念日：9月3日至5日调休放假'],
    '2015-09-04': ['休', '', '抗战胜利70周年纪念日：9月3日至5日调休放假'],
    '2015-09-05': ['休', '', '抗战胜利70周年纪念日：9月3日至5日调休放假'],
    '2015-09-06': ['班', '', '抗战胜利70周年纪念日：9月6日（星期日）上班'],
    '2020-01-31': ['休', '', '国办发明电〔2020〕1号：春节假期延长至2月2日'],
    '2020-02-01': ['休', '', '国办发明电〔2020〕1号：春节假期延长至2月2日，2月1日不再上班'],
    '2020-02-02': ['休', '', '国办发明电〔2020〕1号：春节假期延长至2月2日'],
};

function packageDir(name) {
    for (const dir of (process.env.NODE_PATH || '').split(path.delimiter).concat(module.paths))
        if (dir && fs.existsSync(path.join(dir, name, 'package.json')))
            return path.join(dir, name);
    throw new Error(`${name} not found`);
}

function packageVersion(name) {
    return JSON.parse(fs.readFileSync(path.join(packageDir(name), 'package.json'), 'utf8')).version;
}

function isoDate(t) { return new Date(t).toISOString().slice(0, 10); }
function weekday(date) { return new Date(date + 'T00:00:00Z').getUTCDay(); }

function firstSource(cd, date) {
    const detail = cd.getDayDetail(date);
    const parts = detail.name.split(',');
    if (parts.length < 2)
        return null;   // a day outside every arrangement
    const name = NAMES[parts[0]];
    if (!name)
        throw new Error(`${date}: unknown holiday ${parts[0]}`);
    if (detail.work) {
        const w = weekday(date);
        // a weekday that is simply worked is no make-up day
        return w === 0 || w === 6 ? { kind: '班', name } : null;
    }
    return { kind: '休', name };
}

function secondSource(cw, date) {
    if (cw.isAddtionalWorkday(date))
        return '班';
    if (!cw.isWorkday(date) && cw.getFestival(date) !== '周末')
        return '休';
    return '';
}

async function table() {
    let cd, cw;
    try {
        cd = require('chinese-days');
        // an ES module, which import() finds only by its path, not through NODE_PATH
        cw = await import(require('url').pathToFileURL(path.join(packageDir('chinese-workday'), 'src', 'index.js')).href);
    } catch (e) {
        process.stderr.write('offdays: the chinese-days and chinese-workday packages are missing (run scripts/deps.sh)\n');
        process.exit(1);
    }
    const days = [];
    const unsettled = [];
    for (let t = Date.UTC(FIRST, 0, 1); t < Date.UTC(LAST + 1, 0, 1); t += 86400e3) {
        const date = isoDate(t);
        let day = firstSource(cd, date);
        if (Number(date.slice(0, 4)) >= SECOND_FIRST) {
            const other = secondSource(cw, date);
            if (other !== (day ? day.kind : '')) {
                const settled = SETTLED[date];
                if (!settled)
                    unsettled.push(`${date}: chinese-days ${day ? day.kind : '-'}, chinese-workday ${other || '-'}`);
                else if (settled[0] !== (day ? day.kind : ''))
                    day = settled[0] ? { kind: settled[0], name: day ? day.name : settled[1] } : null;
            }
        }
        if (day)
            days.push({ date, kind: day.kind, name: day.name });
    }
    if (unsettled.length) {
        process.stderr.write('offdays: the packages disagree; settle these by the official notice in SETTLED:\n  ' +
                             unsettled.join('\n  ') + '\n');
        process.exit(1);
    }
    return days;
}

function render(days) {
    const names = [...new Set(days.map(d => d.name))];
    let s = `// Generated by scripts/gen/offdays.js from chinese-days ${packageVersion('chinese-days')}, checked against\n`;
    s += `// chinese-workday ${packageVersion('chinese-workday')} for ${SECOND_FIRST}-${LAST}; do not edit.\n`;
    s += '// Where the two disagree, the official notice settled it:\n';
    for (const date of Object.keys(SETTLED).sort())
        s += `//   ${date} ${SETTLED[date][0] || '-'}  ${SETTLED[date][2]}\n`;
    s += `#define OFFDAY_FIRST_YEAR ${FIRST}\n#define OFFDAY_LAST_YEAR ${LAST}\n`;
    s += 'static const char *const OffDayNames[] = {' + names.map(n => `"${n}"`).join(', ') + '};\n';
    s += '// date, 1 for a make-up workday (班) or 0 for a day off (休), name index; in date order\n';
    s += 'static const OffDayRow OffDayTable[] = {\n';
    for (const d of days) {
        const [y, m, dd] = d.date.split('-').map(Number);
        s += `    {PACK_DATE(${y}, ${m}, ${dd}), ${d.kind === '班' ? 1 : 0}, ${names.indexOf(d.name)}},\n`;
    }
    s += '};\n';
    return s;
}

(async () => {
    const target = path.join(__dirname, '..', '..', 'calendar', 'offdays_table.inc');
    const text = render(await table());
    if (process.argv.includes('--check')) {
        const have = fs.existsSync(target) ? fs.readFileSync(target, 'utf8') : '';
        if (have !== text) {
            process.stderr.write('offdays: calendar/offdays_table.inc differs from what the packages give\n');
            process.exit(1);
        }
        console.log(`offdays: the table matches the packages for ${FIRST}-${LAST}`);
    } else {
        fs.writeFileSync(target, text);
        console.log('offdays: wrote ' + target);
    }
})();

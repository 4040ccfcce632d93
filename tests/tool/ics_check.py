#!/usr/bin/python3
"""The calendar file of `loomcal ics`, read by an independent iCalendar reader.

Fills a scratch data folder through loomcal itself (holiday rules of every
kind, memos of every kind, day notes), exports two ranges of years, parses
each file with python3-icalendar, expands every recurrence with
python3-dateutil's rrule, and compares, date by date over the whole range,
the events of the file with what `loomcal day` says for that date: the solar
term, the holidays, the memos (with their times) and the notes. Both ways: no
event on a day that `loomcal day` does not list, nothing listed that has no
event. Also checks the line format (CRLF, 75 octets, UTF-8) and that UIDs are
unique and survive a later change of the lists.

Usage: ics_check.py LOOMCAL
"""
import collections
import concurrent.futures
import datetime
import os
import shutil
import subprocess
import sys
import tempfile

from dateutil.rrule import rruleset, rrulestr
from icalendar import Calendar

LOOMCAL = sys.argv[1] if len(sys.argv) > 1 else os.environ.get("LOOMCAL", "")
DATA = tempfile.mkdtemp(prefix="loom_ics_check_")


def loomcal(*args):
    result = subprocess.run([LOOMCAL, "--dir", DATA, *args], capture_output=True, timeout=60)
    if result.returncode != 0:
        sys.exit("loomcal %s failed (%d): %s" % (" ".join(args), result.returncode,
                                                  result.stderr.decode("utf-8", "replace")))
    return result.stdout


def escaped(text):
    """A text as `loomcal day` shows it: line breaks, tabs and backslashes escaped."""
    return text.replace("\\", "\\\\").replace("\r\n", "\\n").replace("\n", "\\n").replace("\r", "\\n") \
        .replace("\t", "\\t")


def fill():
    # holidays: the 30 built-in rules come with the defaults; more of every kind
    for rule in (["solar", "02-29", "闰日节"], ["lunar", "01-30", "正月三十"], ["lunar", "12-30", "大年三十"],
                 ["weekday", "2", "5", "0", "二月第五个周日"], ["weekday", "5", "-5", "1", "五月倒数第五个周一"],
                 ["weekday", "3", "-1", "5", "三月最后周五"], ["solar", "06-01", "逗号,分号;反斜\\杠"]):
        loomcal("holidays-add", *rule)
    memos = [
        ["daily", "每天喝水"],
        ["workdays", "08:30", "工作日 打卡"],
        ["workdays", "工作日 周报"],
        ["weekly:0", "周日 例会"],
        ["monthly:31", "08:15", "月底结账"],
        ["monthly:29", "二十九号"],
        ["yearly:02-29", "07:00:30", "闰日生日"],
        ["yearly:12-31", "年终"],
        ["lunar:08-15", "19:30", "赏月"],
        ["lunar:闰04-08", "闰四月初八"],
        ["lunar:L06-30", "闰六月三十"],
        ["lunar:02-30", "二月三十"],
        ["lunar:01-30", "正月三十 备忘"],
        ["lunar:12-30", "除夕 守岁"],
        ["2024-02-29", "06:45", "当天一次"],
        ["2030-01-01", "范围之外"],
        ["weekly:3", "同样的备忘"],
        ["weekly:3", "同样的备忘"],
        ["2023-05-04", "很长的备忘：" + "一二三四五六七八九十" * 12 + "\n第二行,带;标点\\和\t制表"],
    ]
    for memo in memos:
        loomcal("memos", "add", *memo)
    for date, text in (("2023-01-22", "拜年"), ("2024-02-29", "闰日笔记\n两行"), ("2025-12-31", "跨年;准备"),
                       ("2031-01-01", "范围外的笔记")):
        loomcal("notes", "set", date, text)
    loomcal("notes", "mark", "2024-06-01")   # a mark alone is no event


def check_lines(raw):
    assert raw.endswith(b"\r\n"), "the file ends with CRLF"
    lines = raw.split(b"\r\n")[:-1]
    for line in lines:
        assert b"\n" not in line and b"\r" not in line, "a bare line break: %r" % line[:80]
        assert len(line) <= 75, "a line of %d octets: %r" % (len(line), line)
        line.decode("utf-8")   # each physical line alone is whole UTF-8: no character is split
    return len(lines)


def as_datetime(value):
    if isinstance(value, datetime.datetime):
        return value
    return datetime.datetime(value.year, value.month, value.day)


def expand(calendar, first, last):
    """date -> Counter of (category, text, time) from every event and its recurrences."""
    found = collections.defaultdict(collections.Counter)
    uids = []
    events = 0
    for event in calendar.walk("VEVENT"):
        events += 1
        uids.append(str(event["UID"]))
        for name in ("DTSTAMP", "DTSTART", "SUMMARY", "CATEGORIES"):
            assert name in event, "an event without %s: %s" % (name, event["UID"])
        start = event.decoded("DTSTART")
        timed = isinstance(start, datetime.datetime)
        assert not timed or start.tzinfo is None, "a timed memo has a local time"
        alarms = event.walk("VALARM")
        assert bool(alarms) == timed, "a VALARM exactly on the timed memos: %s" % event["UID"]
        if timed:
            assert alarms[0].decoded("TRIGGER") == datetime.timedelta(0)
        if "RRULE" in event:
            rule = rrulestr(event["RRULE"].to_ical().decode(), dtstart=as_datetime(start))
            # the workday memo: the weekly rule less the days off, plus the make-up workdays
            rules = rruleset()
            rules.rrule(rule)
            excluded = set()
            for name, add in (("EXDATE", rules.exdate), ("RDATE", rules.rdate)):
                values = event.get(name, [])
                for value in values if isinstance(values, list) else [values]:
                    for d in value.dts:
                        add(as_datetime(d.dt))
                        if name == "EXDATE":
                            excluded.add(as_datetime(d.dt))
            occurrences = list(rules)
            assert occurrences, "a rule without occurrences: %s" % event["UID"]
            assert occurrences[0] == as_datetime(start) or as_datetime(start) in excluded, \
                "DTSTART is the first occurrence, or taken out"
        else:
            occurrences = [as_datetime(start)]
        category = event["CATEGORIES"].to_ical().decode("utf-8")
        text = escaped(str(event["SUMMARY"]))
        time = start.strftime("%H:%M:%S") if timed else None
        for when in occurrences:
            day = when.date()
            assert first <= day <= last, "%s falls outside the range: %s" % (event["UID"], day)
            found[day][(category, text, time)] += 1
    return found, uids, events


def day_listing(day):
    """Counter of (category, text, time) that `loomcal day` lists for a date."""
    # loomcal shows a stored CR LF as \r\n; the calendar file has one line break for it
    out = loomcal("day", day.isoformat()).decode("utf-8").replace("\\r\\n", "\\n")
    listed = collections.Counter()
    for line in out.split("\n"):
        fields = line.split("\t")
        if fields[0] == "节气":
            listed[("节气", fields[1], None)] += 1
        elif fields[0] == "节日":
            listed[("节日", fields[1], None)] += 1
        elif fields[0] == "备忘":
            time = None if fields[2] == "[无]" else fields[2]
            listed[("备忘", "\t".join(fields[3:]), time)] += 1
        elif fields[0] == "备注":
            listed[("备注", fields[1], None)] += 1
        elif fields[0] == "放假调休":
            suffix = "调休上班" if fields[1] == "班" else "放假"
            listed[("放假调休", "%s %s%s" % (fields[1], fields[2], suffix), None)] += 1
    return listed


def check_range(first_year, last_year, notes):
    args = ["ics", "--from", str(first_year), "--to", str(last_year), "-o", os.path.join(DATA, "cal.ics")]
    if notes:
        args.append("--notes")
    loomcal(*args)
    raw = open(os.path.join(DATA, "cal.ics"), "rb").read()
    lines = check_lines(raw)
    calendar = Calendar.from_ical(raw)
    assert str(calendar["VERSION"]) == "2.0" and "PRODID" in calendar
    first, last = datetime.date(first_year, 1, 1), datetime.date(last_year, 12, 31)
    found, uids, events = expand(calendar, first, last)
    assert len(set(uids)) == len(uids), "UIDs are unique"

    days = [first + datetime.timedelta(n) for n in range((last - first).days + 1)]
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        listings = dict(zip(days, pool.map(day_listing, days)))
    occurrences = 0
    for day in days:
        if not notes:
            listings[day] = collections.Counter({k: v for k, v in listings[day].items() if k[0] != "备注"})
        if found[day] != listings[day]:
            sys.exit("%s: the file has %s, loomcal day lists %s" % (day, dict(found[day]), dict(listings[day])))
        occurrences += sum(found[day].values())
    kinds = collections.Counter(k[0] for day in days for k in found[day].elements())
    print("%d-%d%s: %d lines, %d events, %d occurrences on %d days match loomcal day (%s)" % (
        first_year, last_year, " with notes" if notes else "", lines, events, occurrences, len(days),
        ", ".join("%s %d" % kv for kv in sorted(kinds.items()))))
    return set(uids)


def main():
    if not LOOMCAL:
        sys.exit("usage: ics_check.py LOOMCAL")
    try:
        fill()
        # 2023 has a leap second month and 2025 a leap sixth one, 2024 is a leap year
        before = check_range(2023, 2025, notes=True)
        # 2020 has a leap fourth month
        check_range(2020, 2020, notes=False)
        # a later export after the lists changed keeps every identity
        loomcal("memos", "add", "daily", "新加的")
        loomcal("holidays-add", "lunar", "03-03", "上巳")
        loomcal("ics", "--from", "2023", "--to", "2025", "--notes", "-o", os.path.join(DATA, "later.ics"))
        later = Calendar.from_ical(open(os.path.join(DATA, "later.ics"), "rb").read())
        after = set(str(e["UID"]) for e in later.walk("VEVENT"))
        missing = before - after
        assert not missing, "identities lost: %s" % sorted(missing)[:5]
        print("a later export keeps all %d identities" % len(before))
    finally:
        shutil.rmtree(DATA, ignore_errors=True)


if __name__ == "__main__":
    main()

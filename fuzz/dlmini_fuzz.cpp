// Feeds arbitrary bytes as "dlm.ini": read, walk, export as a calendar file,
// edit, write, read again; no memo or holiday text of the old file may be
// missing afterwards unless the old file was kept whole as "dlm.ini.damaged".
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <set>
#include <string>
#include "fuzz_util.h"
#include "calendar/daytext.h"
#include "calendar/holiday.h"
#include "features/ics.h"
#include "features/report.h"
#include "calendar/today.h"
#include "store/config.h"
#include "records/records.h"
#include "records/settings.h"

static void Reset()
{
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
    AddChimeEntry();
    memset(&Settings, 0, sizeof Settings);
}

// Everything a reader of the lists touches: names, texts, rule descriptions, report lines.
static size_t Walk()
{
    size_t sum = 0;
    for (ListNode *n = HolidayList; n; n = n->next) {
        const HolidayEntry *e = (const HolidayEntry *)n->record;
        sum += strlen(e->name);
        const char *rule = DescribeHolidayCode(e->code);
        if (rule)
            sum += strlen(rule);
        sum += (size_t)HolidayDateThisYear(e->code);
    }
    for (ListNode *n = FirstMemo(); n; n = n->next) {
        const ReminderEntry *r = (const ReminderEntry *)n->record;
        sum += strlen(r->text) + strlen(FormatMemoWhen(r->when));
    }
    return sum;
}

// The calendar file of what was read: whatever the names and texts hold
// (bytes that are not GBK, line breaks, controls), its lines end in CR LF,
// hold no other line break and stay within 75 octets.
static void CheckIcs()
{
    SYSTEMTIME stamp;
    memset(&stamp, 0, sizeof stamp);
    stamp.wYear = 2024;
    stamp.wMonth = 1;
    stamp.wDay = 1;
    TextBuffer ics = {};
    if (BuildIcs(&ics, 2023, 2025, 0, &stamp) < 0)
        abort();
    size_t column = 0;
    for (size_t i = 0; i < ics.length; i++) {
        const char c = ics.text[i];
        if (c == '\r') {
            if (i + 1 >= ics.length || ics.text[i + 1] != '\n')
                abort();
            i++;
            column = 0;
        } else if (c == '\n' || ++column > 75) {
            abort();
        }
    }
    if (column != 0)
        abort();
    TextBufferFree(&ics);
}

static char scratch[64];

// The texts of the entry lines of the first [HOLIDAY] and [REMIND] sections,
// taken from the bytes without the loader: what follows the entry's numbers
// (one for a holiday, two for a memo), its line breaks decoded. Memos that
// the purge may drop are left out.
static void RawTexts(const uint8_t *data, size_t size, int purge, std::set<std::string> *holidays,
                     std::set<std::string> *memos)
{
    std::string all((const char *)data, size);
    int section = 0;   // 1 holidays, 2 memos
    int seen[3] = {0, 0, 0};
    size_t at = 0;
    while (at < all.size()) {
        size_t end = all.find('\n', at);
        bool last = end == std::string::npos;
        std::string line = all.substr(at, last ? std::string::npos : end - at);
        at = last ? all.size() : end + 1;
        if (!last && !line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[') {
            int s = line.compare(0, 9, "[HOLIDAY]") == 0 ? 1 : line.compare(0, 8, "[REMIND]") == 0 ? 2 : 0;
            section = s && !seen[s] ? s : 0;
            if (s)
                seen[s] = 1;
            continue;
        }
        size_t eq = line.find('=');
        if (!section || eq == std::string::npos || eq == 0 || line.find('\0') != std::string::npos)
            continue;
        bool digits = true;
        for (size_t i = 0; i < eq; i++)
            digits = digits && line[i] >= '0' && line[i] <= '9';
        if (!digits)
            continue;
        size_t text = eq + 1;
        for (int i = 0; i < section && text != std::string::npos; i++) {
            size_t comma = line.find(',', text);
            text = comma == std::string::npos ? comma : comma + 1;
        }
        if (text == std::string::npos)
            continue;
        if (section == 2 && purge) {
            unsigned long long when = strtoull(line.c_str() + eq + 1, 0, 16);
            if (when < (unsigned long long)(uint32_t)TodayDate.date)
                continue;
        }
        std::string decoded = line.substr(text);
        DecodeLineBreaks(&decoded[0]);
        decoded.resize(strlen(decoded.c_str()));
        // the writer's one deliberate change: a lone lead byte before a line break becomes '?'
        std::string encoded(decoded.size() * 2 + 1, '\0');
        EncodeLineBreaks(decoded.c_str(), &encoded[0], encoded.size());
        DecodeLineBreaks(&encoded[0]);
        decoded = encoded.c_str();
        (section == 1 ? holidays : memos)->insert(decoded);
    }
}

static bool KeptWhole(const uint8_t *data, size_t size) { return FileHoldsExactly("dlm.ini.damaged", data, size); }

// A damaged input is kept as "dlm.ini.damaged" before it is replaced.
static void RemoveKeptCopies()
{
    char name[64];
    remove("dlm.ini.damaged");
    for (int i = 2; i < 100; i++) {
        snprintf(name, sizeof name, "dlm.ini.damaged%d", i);
        if (remove(name) != 0)
            break;
    }
}

static void RemoveScratch()
{
    RemoveKeptCopies();
    remove("dlm.ini");
    remove("dlm.ini.again");
    remove("dlm.lock");
    rmdir(scratch);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Every run syncs the file it saves: a memory file system keeps that cheap.
    char shm[] = "/dev/shm/dlmini_fuzz_XXXXXX";
    char tmp[] = "/tmp/dlmini_fuzz_XXXXXX";
    const char *dir = mkdtemp(shm);
    if (!dir)
        dir = mkdtemp(tmp);
    if (!dir || chdir(dir) != 0)
        abort();
    snprintf(scratch, sizeof scratch, "%s", dir);
    atexit(RemoveScratch);
    TodayDate.date = PACK_DATE(2024, 6, 15);
    ConfigPurgeDate = &TodayDate.date;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FILE *f = fopen("dlm.ini", "wb");
    if (!f)
        abort();
    fwrite(data, 1, size, f);
    fclose(f);

    RemoveKeptCopies();
    Reset();
    // Looking at the file finds what loading it finds, and changes nothing.
    const int checked = CheckConfigFile("dlm.ini");
    const int32_t checkedProblems = ConfigProblemCount;
    if (HolidayList || FirstMemo())
        abort();
    if (ReadConfigFile("dlm.ini") != checked || ConfigProblemCount != checkedProblems)
        abort();
    const size_t first = Walk();
    TextBuffer report = {};
    TextSink sink = TextBufferSink(&report);
    BuildDateReport(&sink, PACK_DATE(2024, 6, 15), SolarTermsAreHolidays());
    TextBufferFree(&report);
    DayText(PACK_DATE(2024, 6, 15), 0x17 | DAYTEXT_TERMS);
    CheckIcs();

    // an edit, as the reminder dialog makes one
    const int purge = (Settings.flags & CTRL_PURGE_EXPIRED) != 0;
    if (AddReminder(PACK_DATE(2030, 1, 1), REMIND_NO_TIME, "fuzz edit") != 0)
        abort();
    ConfigChanged = 1;
    if (WriteConfigFile("dlm.ini") != 0)
        abort();
    if (checked == CONFIG_DAMAGED) {
        // what the loader could not read is still on the disk
        FILE *kept = fopen("dlm.ini.damaged", "rb");
        if (!kept)
            abort();
        fseek(kept, 0, SEEK_END);
        if ((size_t)ftell(kept) != size)
            abort();
        fclose(kept);
    }
    SettingsRecord saved = Settings;
    Reset();
    if (ReadConfigFile("dlm.ini") != CONFIG_READ)
        abort();   // what the program wrote must read back cleanly
    // The purge can only drop memos on the first read; after that the lists
    // and settings read back exactly as they were written.
    if (memcmp(&saved, &Settings, sizeof Settings) != 0)
        abort();
    const size_t second = Walk();
    // nothing of the old file is missing, or the old file is kept whole
    std::set<std::string> holidays, memos;
    RawTexts(data, size, purge, &holidays, &memos);
    std::set<std::string> names, texts;
    for (ListNode *n = HolidayList; n; n = n->next)
        names.insert(((const HolidayEntry *)n->record)->name);
    for (ListNode *n = FirstMemo(); n; n = n->next)
        texts.insert(((const ReminderEntry *)n->record)->text);
    for (const std::string &h : holidays)
        if (!names.count(h) && !KeptWhole(data, size)) {
            fprintf(stderr, "a holiday name was lost and the old file was not kept: %s\n", h.c_str());
            abort();
        }
    for (const std::string &m : memos)
        if (!texts.count(m) && !KeptWhole(data, size)) {
            fprintf(stderr, "a memo text was lost and the old file was not kept: %s\n", m.c_str());
            abort();
        }
    if (WriteConfigFile("dlm.ini.again") != 0)
        abort();
    (void)first;
    (void)second;
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
    return 0;
}

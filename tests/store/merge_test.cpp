// Two writers on one folder: the three-way merges on their own, table-driven,
// then the program's saves against another writer's changes in the files.
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif
#include <map>
#include <string>
#include <vector>
#include "calendar/today.h"
#include "store/config.h"
#include "store/merge.h"
#include "store/notesync.h"
#include "records/records.h"
#include "records/settings.h"
#include "store_testutil.h"

namespace {

typedef std::map<int32_t, std::string> Keyed;

Keyed MergeKeyedMaps(const Keyed &base, const Keyed &ours, const Keyed &theirs)
{
    auto items = [](const Keyed &m) {
        std::vector<MergeKeyed> v;
        for (const auto &kv : m)
            v.push_back({kv.first, {kv.second.data(), (uint32_t)kv.second.size()}});
        return v;
    };
    std::vector<MergeKeyed> b = items(base), o = items(ours), t = items(theirs);
    std::vector<MergePick> picks(o.size() + t.size() + 1);
    int32_t n = MergeKeyedItems(b.data(), (int32_t)b.size(), o.data(), (int32_t)o.size(), t.data(),
                                (int32_t)t.size(), picks.data());
    Keyed out;
    for (int32_t i = 0; i < n; i++) {
        const MergeKeyed &k = picks[i].from == MERGE_FROM_OURS ? o[picks[i].index] : t[picks[i].index];
        EXPECT_EQ(out.count(k.key), 0u) << "a key picked twice";
        out[k.key] = std::string((const char *)k.value.bytes, k.value.size);
    }
    return out;
}

TEST(Merge, NotesPerDate)
{
    struct Case {
        const char *what;
        Keyed base, ours, theirs, merged;
    } cases[] = {
        {"nobody changed anything", {{1, "a"}}, {{1, "a"}}, {{1, "a"}}, {{1, "a"}}},
        {"each adds another date", {}, {{1, "ours"}}, {{2, "theirs"}}, {{1, "ours"}, {2, "theirs"}}},
        {"they edit, we do not", {{1, "a"}}, {{1, "a"}}, {{1, "b"}}, {{1, "b"}}},
        {"we edit, they do not", {{1, "a"}}, {{1, "b"}}, {{1, "a"}}, {{1, "b"}}},
        {"both edit one date: the later save wins", {{1, "a"}}, {{1, "ours"}}, {{1, "theirs"}}, {{1, "ours"}}},
        {"both add one date: the later save wins", {}, {{1, "ours"}}, {{1, "theirs"}}, {{1, "ours"}}},
        {"they delete what we left alone", {{1, "a"}, {2, "b"}}, {{1, "a"}, {2, "b"}}, {{2, "b"}}, {{2, "b"}}},
        {"we delete what they left alone", {{1, "a"}, {2, "b"}}, {{2, "b"}}, {{1, "a"}, {2, "b"}}, {{2, "b"}}},
        {"we delete what they edited: the edit stays", {{1, "a"}}, {}, {{1, "edited"}}, {{1, "edited"}}},
        {"they delete what we edited: the edit stays", {{1, "a"}}, {{1, "edited"}}, {}, {{1, "edited"}}},
        {"both delete", {{1, "a"}}, {}, {}, {}},
        {"we delete a date they added anew after deleting", {}, {}, {{1, "new"}}, {{1, "new"}}},
        {"many dates, each side its own",
         {{1, "a"}, {3, "c"}, {5, "e"}},
         {{1, "a"}, {2, "ours"}, {3, "c2"}},
         {{3, "c"}, {4, "theirs"}, {5, "e"}},
         {{2, "ours"}, {3, "c2"}, {4, "theirs"}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MergeKeyedMaps(c.base, c.ours, c.theirs), c.merged) << c.what;
}

typedef std::vector<std::string> Records;

// The merged list, sorted: the order of a list is not what these cases are about.
Records MergeLists(const Records &base, const Records &ours, const Records &theirs)
{
    auto blobs = [](const Records &r) {
        std::vector<MergeBlob> v;
        for (const std::string &s : r)
            v.push_back({s.data(), (uint32_t)s.size()});
        return v;
    };
    std::vector<MergeBlob> b = blobs(base), o = blobs(ours), t = blobs(theirs);
    std::vector<MergePick> picks(o.size() + t.size() + 1);
    int32_t n = MergeRecordLists(b.data(), (int32_t)b.size(), o.data(), (int32_t)o.size(), t.data(),
                                 (int32_t)t.size(), picks.data());
    Records out;
    for (int32_t i = 0; i < n; i++)
        out.push_back(picks[i].from == MERGE_FROM_OURS ? ours[picks[i].index] : theirs[picks[i].index]);
    std::sort(out.begin(), out.end());
    return out;
}

// Records are "SUBJ text": the first four bytes are what the record is about
// (a holiday's date code, a memo's day).
TEST(Merge, HolidaysAndMemosPerRecord)
{
    struct Case {
        const char *what;
        Records base, ours, theirs, merged;
    } cases[] = {
        {"each adds one", {"0101 a"}, {"0101 a", "0202 ours"}, {"0101 a", "0303 theirs"},
         {"0101 a", "0202 ours", "0303 theirs"}},
        {"both add the same record: it stays twice, as both asked", {}, {"0101 x"}, {"0101 x"},
         {"0101 x", "0101 x"}},
        {"their order changed, nothing else", {"0101 a", "0202 b", "0303 c"}, {"0101 a", "0202 b", "0303 c"},
         {"0303 c", "0101 a", "0202 b"}, {"0101 a", "0202 b", "0303 c"}},
        {"they edit a record", {"0101 a", "0202 b"}, {"0101 a", "0202 b"}, {"0101 a", "0202 B"},
         {"0101 a", "0202 B"}},
        {"both edit one record: the later save wins", {"0101 a", "0202 b"}, {"0101 a", "0202 ours"},
         {"0101 a", "0202 theirs"}, {"0101 a", "0202 ours"}},
        {"both edit one record, moving its day", {"0101 a", "0202 b"}, {"0101 a", "0909 ours"},
         {"0101 a", "0808 theirs"}, {"0101 a", "0909 ours"}},
        {"we delete what they edited: the edit stays", {"0101 a", "0202 b"}, {"0101 a"},
         {"0101 a", "0202 edited"}, {"0101 a", "0202 edited"}},
        {"they delete what we edited: the edit stays", {"0101 a", "0202 b"}, {"0101 a", "0202 edited"},
         {"0101 a"}, {"0101 a", "0202 edited"}},
        {"both delete one", {"0101 a", "0202 b"}, {"0101 a"}, {"0101 a"}, {"0101 a"}},
        {"one of two equal records deleted", {"0101 x", "0101 x"}, {"0101 x"}, {"0101 x", "0101 x"},
         {"0101 x"}},
        {"we edit one day's record, they add to that day", {"0101 a"}, {"0101 A"}, {"0101 a", "0101 new"},
         {"0101 A", "0101 new"}},
        {"several changes on each side",
         {"0101 a", "0202 b", "0303 c", "0404 d"},
         {"0101 a", "0202 B", "0404 d", "0505 ours"},
         {"0101 a", "0202 b", "0303 C", "0606 theirs"},
         {"0101 a", "0202 B", "0303 C", "0505 ours", "0606 theirs"}},
    };
    for (const Case &c : cases) {
        Records want = c.merged;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(MergeLists(c.base, c.ours, c.theirs), want) << c.what;
    }
}

// ---- the program's saves against another writer's files ----

class TwoWriters : public StoreDirTest {
  protected:
    void SetUp() override
    {
        StoreDirTest::SetUp();
        TodayDate.date = PACK_DATE(2024, 6, 15);
        ConfigPurgeDate = &TodayDate.date;
        ListFreeAll(&HolidayList);
        ListFreeAll(&ReminderList);
        memset(&Settings, 0, sizeof Settings);
    }
    void TearDown() override
    {
        NotesDiscard();
        ListFreeAll(&HolidayList);
        ListFreeAll(&ReminderList);
        StoreDirTest::TearDown();
    }
};

std::vector<std::string> MemoTexts()
{
    std::vector<std::string> texts;
    for (ListNode *n = FirstMemo(); n; n = n->next)
        texts.push_back(((ReminderEntry *)n->record)->text);
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::vector<std::string> HolidayNames()
{
    std::vector<std::string> names;
    for (ListNode *n = HolidayList; n; n = n->next)
        names.push_back(std::to_string(((HolidayEntry *)n->record)->code) + " " + ((HolidayEntry *)n->record)->name);
    std::sort(names.begin(), names.end());
    return names;
}

const char kControl[] = "[CONTROL]\nMonthPos=250,0,600,250,1\nNotePos=0,0,0,0,0\n";

TEST_F(TwoWriters, SettingsHolidaysAndMemos)
{
    WriteWholeFile("dlm.ini", std::string(kControl) +
                                  "Color=ff8080,ffffff,ffff,ff,ff00\nControl=97\n"
                                  "[HOLIDAY]\n0=257,a\n1=514,b\n2=771,c\n"
                                  "[REMIND]\n0=ffffffff,ffffffff,m1\n1=ffffffff,ffffffff,m2\n"
                                  "2=ffffffff,ffffffff,m3\n");
    ASSERT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_FALSE(ConfigFileChanged("dlm.ini"));

    // The other writer: a new colour, holiday b edited and c deleted, memo m2
    // edited, m3 deleted, a new memo.
    WriteWholeFile("dlm.ini", std::string(kControl) +
                                  "Color=123456,ffffff,ffff,ff,ff00\nControl=97\n"
                                  "[HOLIDAY]\n0=257,a\n1=514,b theirs\n"
                                  "[REMIND]\n0=ffffffff,ffffffff,m1\n1=ffffffff,ffffffff,m2 theirs\n"
                                  "2=ffffffff,ffffffff,theirs new\n");
    EXPECT_TRUE(ConfigFileChanged("dlm.ini"));
    // The program meanwhile: another option, holiday b edited too (its save
    // is the later), memo m2 deleted (their edit stays), m3 edited (their
    // deletion does not undo it), a memo of its own.
    Settings.flags = 0x3F;
    for (ListNode *n = HolidayList; n; n = n->next)
        if (!strcmp(((HolidayEntry *)n->record)->name, "b")) {
            if (n == HolidayList)
                HolidayList = n->next;
            ListFreeNode(n);
            break;
        }
    AddHoliday(514, "b ours");
    for (ListNode *n = FirstMemo(); n;) {
        ListNode *next = n->next;
        const char *text = ((ReminderEntry *)n->record)->text;
        if (!strcmp(text, "m2") || !strcmp(text, "m3"))
            ListFreeNode(n);
        n = next;
    }
    AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, "m3 ours");
    AddReminder(PACK_DATE(2024, 7, 1), PACK_TIME(9, 0, 0), "ours new");

    ASSERT_EQ(WriteConfigFile("dlm.ini"), SAVE_OK);
    EXPECT_FALSE(ConfigFileChanged("dlm.ini"));
    EXPECT_EQ(ConfigTakenIn, CONFIG_TOOK_SETTINGS | CONFIG_TOOK_HOLIDAYS | CONFIG_TOOK_MEMOS);
    const std::vector<std::string> memos = {"m1", "m2 theirs", "m3 ours", "ours new", "theirs new"};
    const std::vector<std::string> holidays = {"257 a", "514 b ours"};
    EXPECT_EQ(MemoTexts(), memos);
    EXPECT_EQ(HolidayNames(), holidays);
    EXPECT_EQ(Settings.colorBackground, 0x123456u);
    EXPECT_EQ(Settings.flags, 0x3Fu);

    // The file holds the same.
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
    memset(&Settings, 0, sizeof Settings);
    ASSERT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_EQ(MemoTexts(), memos);
    EXPECT_EQ(HolidayNames(), holidays);
    EXPECT_EQ(Settings.colorBackground, 0x123456u);
    EXPECT_EQ(Settings.flags, 0x3Fu);
}

TEST_F(TwoWriters, TakingInKeepsWhatTheProgramHasNotSaved)
{
    WriteWholeFile("dlm.ini", std::string(kControl) +
                                  "Color=ff8080,ffffff,ffff,ff,ff00\nControl=97\n[HOLIDAY]\n[REMIND]\n"
                                  "0=ffffffff,ffffffff,m1\n");
    ASSERT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, "unsaved");
    Settings.colorMark = 0x0000FF;
    WriteWholeFile("dlm.ini", std::string("[CONTROL]\nMonthPos=1,2,3,4,0\nNotePos=0,0,0,0,0\n") +
                                  "Color=ff8080,ffffff,ffff,ff,ff00\nControl=1\n[HOLIDAY]\n0=257,a\n"
                                  "[REMIND]\n0=ffffffff,ffffffff,m1\n1=ffffffff,ffffffff,theirs\n");
    EXPECT_EQ(ConfigTakeIn("dlm.ini"), CONFIG_TOOK_SETTINGS | CONFIG_TOOK_HOLIDAYS | CONFIG_TOOK_MEMOS);
    EXPECT_EQ(MemoTexts(), (std::vector<std::string>{"m1", "theirs", "unsaved"}));
    EXPECT_EQ(Settings.flags, 1u);
    EXPECT_EQ(Settings.colorMark, 0x0000FFu) << "the program's own change stays";
    EXPECT_EQ(Settings.MonthPos.left, 250) << "the running window keeps its place";
    EXPECT_EQ(ConfigTakeIn("dlm.ini"), 0) << "nothing new the second time";
    // The unsaved memo and colour reach the file with the next save.
    ASSERT_EQ(WriteConfigFile("dlm.ini"), SAVE_OK);
    std::string file = ReadWholeFile("dlm.ini");
    file.erase(std::remove(file.begin(), file.end(), '\r'), file.end());   // text mode on Windows
    EXPECT_NE(file.find("unsaved"), std::string::npos);
    EXPECT_NE(file.find("theirs"), std::string::npos);
    EXPECT_NE(file.find("Color=ff8080,ffffff,ffff,ff,ff\n"), std::string::npos) << file;
}

typedef std::map<int32_t, std::string> NoteMap;   // date -> "mark:text"

void OtherWriter(const NoteMap &set, const std::vector<int32_t> &remove)
{
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    for (int32_t date : remove) {
        TreeNode *node = TreeFind(store->root.children, date);
        if (node)
            StoreDeleteItem((StoreItem *)node->record);
    }
    for (const auto &kv : set) {
        TreeNode *node = TreeFind(store->root.children, kv.first);
        StoreItem *item = node ? (StoreItem *)node->record : StoreAddItem(&store->root, kv.first);
        std::string text = kv.second.substr(2);
        StoreSetData(item, text.c_str(), (uint32_t)text.size() + 1);
        StoreSetUserValue(item, kv.second[0] - '0');
    }
    ASSERT_EQ(StoreClose(store, "dlm.db"), SAVE_OK);
}

NoteMap NotesOf(RecordStore *store)
{
    NoteMap notes;
    struct Walk {
        static int Visit(void *record, void *context)
        {
            StoreItem *item = (StoreItem *)record;
            const char *text = StoreGetData(item);
            (*(NoteMap *)context)[item->entry.key] = std::to_string(item->entry.userValue) + ":" + (text ? text : "");
            return 0;
        }
    };
    TreeWalk(store->root.children, Walk::Visit, &notes);
    return notes;
}

void ProgramSets(int32_t date, const char *value)
{
    StoreItem *item = FindDayNote(date);
    if (!item)
        item = StoreAddItem(&DayNoteStore->root, date);
    StoreSetData(item, value + 2, (uint32_t)strlen(value + 2) + 1);
    StoreSetUserValue(item, value[0] - '0');
}

TEST_F(TwoWriters, NotesPerDate)
{
    OtherWriter({{1, "0:a"}, {2, "0:b"}, {3, "0:c"}, {4, "0:d"}}, {});
    NotesOpen("dlm.db");
    ASSERT_NE(DayNoteStore, nullptr);
    EXPECT_EQ(DayNoteStore->file, nullptr) << "the file is not held open";
    // the other writer: a new date, b edited, c edited, d deleted
    OtherWriter({{5, "1:theirs"}, {2, "0:b theirs"}, {3, "0:c theirs"}}, {4});
    EXPECT_TRUE(NotesFileChanged("dlm.db"));
    // the program: b edited too (the later save wins), c deleted (their edit stays), a new date
    ProgramSets(2, "1:b ours");
    StoreDeleteItem(FindDayNote(3));
    ProgramSets(6, "0:ours");
    ASSERT_EQ(NotesSync("dlm.db", 1), SAVE_OK);
    EXPECT_EQ(DayNoteStore->file, nullptr);
    EXPECT_FALSE(NotesFileChanged("dlm.db"));
    const NoteMap want = {{1, "0:a"}, {2, "1:b ours"}, {3, "0:c theirs"}, {5, "1:theirs"}, {6, "0:ours"}};
    EXPECT_EQ(NotesOf(DayNoteStore), want);
    RecordStore *file = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(NotesOf(file), want);
    StoreDiscard(file);

    // Taking in without saving keeps the program's unsaved note for its save.
    ProgramSets(7, "0:unsaved");
    OtherWriter({{8, "0:later"}}, {1});
    ASSERT_EQ(NotesSync("dlm.db", 0), SAVE_OK);
    EXPECT_EQ(NotesOf(DayNoteStore).count(8), 1u);
    EXPECT_EQ(NotesOf(DayNoteStore).count(1), 0u);
    EXPECT_EQ(NotesOf(DayNoteStore).count(7), 1u);
    EXPECT_TRUE(DayNoteStore->storeChanged);
    ASSERT_EQ(NotesSync("dlm.db", 1), SAVE_OK);
    file = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(NotesOf(file), NotesOf(DayNoteStore));
    EXPECT_EQ(NotesOf(file).count(7), 1u);
    StoreDiscard(file);
}

// Nobody else wrote the file: the save writes the notes in memory without
// reading the file back, and every note stays whole, the untouched ones too
// (their blocks come from the file read at the start), save after save.
TEST_F(TwoWriters, ASaveOverTheProgramsOwnFileKeepsEveryNote)
{
    NoteMap want;
    for (int32_t d = 1; d <= 40; d++)
        want[d] = std::to_string(d % 2) + ":note " + std::to_string(d);
    OtherWriter(want, {});
    NotesOpen("dlm.db");
    ASSERT_NE(DayNoteStore, nullptr);
    const struct {
        int32_t date;
        const char *value;   // "mark:text", or null to delete
    } edits[] = {{3, "1:three, longer than its slot"}, {7, nullptr}, {41, "0:new"}, {3, "0:3"}, {20, "1:"}};
    for (const auto &e : edits) {
        SCOPED_TRACE(e.date);
        if (e.value) {
            ProgramSets(e.date, e.value);
            want[e.date] = e.value;
        } else {
            StoreDeleteItem(FindDayNote(e.date));
            want.erase(e.date);
        }
        ASSERT_EQ(NotesSync("dlm.db", 1), SAVE_OK);
        EXPECT_EQ(DayNoteStore->file, nullptr) << "the file is not held open";
        EXPECT_FALSE(NotesFileChanged("dlm.db"));
        RecordStore *file = StoreOpen("dlm.db", 0, 0, 0);
        EXPECT_EQ(NotesOf(file), want);
        EXPECT_EQ(file->fileState, STORE_FILE_SOUND);
        StoreDiscard(file);
    }
    EXPECT_EQ(NotesOf(DayNoteStore), want);
}

// A file's write time in the platform's own unit, taken and put back whole
// (the standard library's setter rounds to seconds under MinGW).
#ifdef _WIN32
typedef FILETIME WriteTime;
WriteTime WriteTimeOf(const char *name)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(name, GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}
void SetWriteTime(const char *name, WriteTime time)
{
    HANDLE file = CreateFileA(name, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                              OPEN_EXISTING, 0, 0);
    SetFileTime(file, 0, 0, &time);
    CloseHandle(file);
}
#else
typedef struct timespec WriteTime;
WriteTime WriteTimeOf(const char *name)
{
    struct stat st = {};
    stat(name, &st);
    return st.st_mtim;
}
void SetWriteTime(const char *name, WriteTime time)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, time};
    utimensat(AT_FDCWD, name, times, 0);
}
#endif

// Another writer replaced the file with one of the same size within the same
// tick of the file times, so its stamp is the program's: the save still
// finds the change (by the file's bytes) and merges instead of writing over it.
TEST_F(TwoWriters, AReplacementThatKeepsTheStampIsStillMerged)
{
    OtherWriter({{1, "0:a"}, {2, "0:b"}}, {});
    NotesOpen("dlm.db");
    const auto size = std::filesystem::file_size("dlm.db");
    const WriteTime time = WriteTimeOf("dlm.db");
    OtherWriter({{1, "1:a"}}, {});   // the mark alone: the file keeps its size
    ASSERT_EQ(std::filesystem::file_size("dlm.db"), size);
    SetWriteTime("dlm.db", time);
    ASSERT_FALSE(NotesFileChanged("dlm.db")) << "the stamp cannot tell the two files apart";
    ProgramSets(2, "0:b ours");
    ASSERT_EQ(NotesSync("dlm.db", 1), SAVE_OK);
    RecordStore *file = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(NotesOf(file), (NoteMap{{1, "1:a"}, {2, "0:b ours"}}));
    StoreDiscard(file);
}

}   // namespace
